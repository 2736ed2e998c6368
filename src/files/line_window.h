// The windows around a candidate element in which the further terms of a hit are looked for.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "files/line_list.h"

/// Up to `reach` bytes before offset `centre` of element `index` and after the end of the
/// first term (`termLength` bytes) there, across elements, stopping at the file's first and
/// last bytes. `joined` holds the window where it is not one stretch of the text held.
std::string_view characterWindow(LineList& lines, std::size_t index, std::size_t centre,
                                 std::size_t termLength, std::size_t reach, std::string& joined);

/// Up to `reach` elements on either side of element `index`; `joined` as above.
std::string_view lineWindow(LineList& lines, std::size_t index, std::size_t reach,
                            std::string& joined);
