// Reading and changing the current directory.
#pragma once

#include <string>

/// The current directory, or "" when it cannot be read or is longer than the host's path limit.
std::string currentDirectory();

/// Makes `path` the current directory; false when that fails.
bool setCurrentDirectory(const std::string& path);
