// Reading the current directory, which skern never changes.
#pragma once

#include <string>

/// The current directory, or "" when it cannot be read or is longer than the host's path limit.
std::string currentDirectory();
