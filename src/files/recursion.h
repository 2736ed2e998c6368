// Expanding file patterns in their directory and, on request, in every subdirectory below.
#pragma once

#include <string>

/// The depth of the directory descent: 0 in a target's own directory.
extern int recursionDepth;

/// Hands every plain file that matches `pattern` to the file scan, in listing order.
void findify(const std::string& pattern);

/// Expands `pattern` with `findify`, then, under `Settings.recurse`, does the same with its
/// file-name part in every subdirectory, depth first.
void findrecurse(const std::string& pattern);

/// Sets `recursionDepth` back to 0 and forgets the descent (for tests).
void resetRecursion();
