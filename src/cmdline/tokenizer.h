// Splitting the command line into the program's own argument table.
#pragma once

#include <vector>

/// The arguments, program name first, followed by a closing null entry.
extern std::vector<char*> argTable;

/// The number of arguments in `argTable`, the program name included.
extern int argCount;

/// Fills `argTable` and `argCount`: from the host's raw command line split by skern's quote
/// rules where the host has one, else from `argv` unchanged. Entry 0 is always `argv[0]`.
void splitCommandLine(int argc, char** argv);

/// Splits `text` by skern's quote rules into `argTable` and `argCount`, then makes `programName`
/// entry 0. The split text is kept until the process ends (or the next reset).
void splitCommandText(const char* text, const char* programName);

/// Empties `argTable` and `argCount` and releases the kept texts (for tests).
void resetCommandLine();
