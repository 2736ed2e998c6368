// The small facts in which the hosts differ.
#pragma once

#include <cstdio>
#include <string_view>

/// The separator that joins a directory and a name ('\\' on Windows, '/' on POSIX).
char pathSeparator();

/// True for every character that separates path components when a pattern is split.
bool isPathSeparator(char c);

/// The length of a drive prefix ("C:") at the start of `path`; 0 on hosts without drives.
std::size_t drivePrefixLength(std::string_view path);

/// Where the last component of `path` begins: after its last separator, else after its drive
/// prefix.
inline std::size_t lastComponentStart(std::string_view path) {
  std::size_t start = drivePrefixLength(path);
  for (std::size_t i = start; i < path.size(); ++i) {
    if (isPathSeparator(path[i])) start = i + 1;
  }
  return start;
}

/// True where an argument beginning with '/' switches the option lead-in to '/'.
bool slashIsOptionLeadIn();

/// True when `stream` is connected to a terminal or console.
bool isTerminal(FILE* stream);
