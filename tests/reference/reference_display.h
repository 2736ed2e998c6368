// The file header and one hit, written out character by character.
#pragma once

#include <string>

#include "reference/reference_types.h"

namespace reference {

/// Appends the header for `currentPath` to `out` unless `headerShown`, which it then sets.
void showheader(bool& headerShown, const std::string& currentPath, std::string& out);

/// Appends the header if due, then hit `lineNumber` (its `line` and `window`) in the cute or
/// the dump style.
void showhit(long long lineNumber, const std::string& line, const std::string& window,
             const Settings& settings, bool& headerShown, const std::string& currentPath,
             std::string& out);

}  // namespace reference
