// Starting skern.exe with a command line typed exactly as given (Windows only).
#pragma once

#include <string>

#include "e2e/harness.h"

/// Runs skern in `directory` with the raw command line made of its quoted path, one space and
/// `tail` unchanged, standard input from NUL and no console. The result is exactly what skern
/// wrote: CR LF line ends and Windows paths.
RunResult runCommandLine(const std::string& tail, const std::string& directory);

/// The text that skern's quote rules split back into exactly `argument`.
std::string quotedArgument(const std::string& argument);
