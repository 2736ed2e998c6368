// The usage text, printed on every bad use of the command line.
#pragma once

#include <string>

/// The 24-line usage text, showing `skipExtensions`, the extension skip list as it stands.
std::string usageText(const std::string& skipExtensions);

/// Writes the usage text, showing `skipExtensions`, to standard output and ends the process
/// with status 3.
[[noreturn]] void usage(const std::string& skipExtensions);
