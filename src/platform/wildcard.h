// Wildcard matching of directory entry names, for hosts whose directory search has none.
#pragma once

#include <string_view>

/// True when `name` matches `pattern`: `*` matches any run of characters (also none), `?`
/// exactly one, ASCII letters compare regardless of case, and "*.*" matches every name.
bool wildcardMatch(std::string_view pattern, std::string_view name);

/// Orders names by their bytes after folding a-z onto A-Z, ties broken by the plain bytes.
bool foldedNameLess(std::string_view a, std::string_view b);
