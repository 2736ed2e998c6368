// Splitting the command line into the program's own argument table.
#pragma once

#include <string>
#include <vector>

/// The arguments of a run, program name first.
using ArgumentTable = std::vector<std::string>;

/// The argument table: the host's raw command line split by skern's quote rules where the host
/// has one, else `argv` unchanged. Entry 0 is always `argv[0]`.
ArgumentTable splitCommandLine(int argc, char** argv);

/// `text` split by skern's quote rules, with `programName` as entry 0 in place of the text's
/// first argument.
ArgumentTable splitCommandText(const char* text, const char* programName);
