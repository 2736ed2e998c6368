// The directory skern is working in, held open on POSIX: it is listed, identified and its
// files are opened through one descriptor, so that the system walks its path only once.
#pragma once

#include <dirent.h>

#include <string>

/// The descriptor of `directory` ("" for the current one, else ending in a separator), opened
/// unless it is the one held; the directory held before is closed. -1 when it cannot be opened.
int heldDirectoryFd(const std::string& directory);

/// The held stream of `directory`, as `heldDirectoryFd` opens it, positioned at its first
/// entry. Null when it cannot be opened.
DIR* heldDirectoryToList(const std::string& directory);

/// Closes the held directory (relative names mean other directories once the current one
/// changes).
void releaseHeldDirectory();
