// The option loop: options into `Settings`, the expression to the parser, patterns to targets.
#pragma once

#include <string>
#include <vector>

/// The file patterns of the run, in command-line order, each as it will be searched.
extern std::vector<std::string> TargetList;

/// The path put in front of the plain patterns that follow a `-p` option; "" or ending in a
/// separator.
extern std::string prefixPath;

/// False exactly when the character after the option letter is '-' (as in "-c-").
bool optionOn(const char* argument);

/// `text` read as a decimal integer the way atoi reads it, clamped to the 32-bit range.
int numberValue(const char* text);

/// Reads `argTable` from left to right into `Settings`, the expression and `TargetList`; ends
/// the process through `usage` on bad use or when no file pattern was given.
void readOptions();
