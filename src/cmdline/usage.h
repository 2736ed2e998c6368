// The usage text, printed on every bad use of the command line.
#pragma once

#include <string>

/// The 24-line usage text, showing the current extension skip list.
std::string usageText();

/// Writes the usage text to standard output and ends the process with status 3.
[[noreturn]] void usage();
