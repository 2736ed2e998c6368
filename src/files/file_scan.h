// Scanning one file: extension skip, open, binary test, reading, and the walk over its lines.
#pragma once

#include <string>

/// The full path of the file being scanned, as messages and the file header show it; read it
/// through `currentPath()`, which forms it when it is first needed.
extern std::string CurrentPath;

/// `CurrentPath`, formed from the path `skern` was given if that has not been done yet.
const std::string& currentPath();

/// Set once the current file's header has been written.
extern bool HeaderShown;

/// True when the binary test judges the current file's first characters to be binary.
bool looksBinary();

/// Walks `LineList`, hands every line on which the expression holds to the hit display.
void scanLines();

/// Scans the file at `path` (relative to the current directory unless absolute).
void skern(const std::string& path);
