// Taking file patterns and paths apart and joining them again.
#pragma once

#include <string>
#include <string_view>

/// A file pattern split into its directory part and its file-name part.
struct PatternParts {
  std::string directory;  ///< Drive prefix and everything up to the last separator; may be "".
  std::string name;       ///< Everything after the directory part.
};

/// Splits `pattern` after its last separator (or its drive prefix).
PatternParts splitPattern(std::string_view pattern);

/// `path` with the host's separator appended, unless it is empty or already ends in one.
std::string withTrailingSeparator(std::string_view path);

/// The extension of the last component of `path`: from its last dot on, the dot included; ""
/// when there is no dot, or when the component is "." or "..".
std::string_view extensionOf(std::string_view path);

/// True when the extension of `path`, followed by a dot, occurs in `skipList` (letters compared
/// regardless of case).
bool extensionSkipped(std::string_view path, std::string_view skipList);
