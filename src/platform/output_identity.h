// Telling the file that standard output writes into, so that a search never reads its own hits
// (which it would find again as they are written, without end).
#pragma once

#include <cstdint>

#include "platform/file_reader.h"

/// The file that standard output writes into, where it is a file on disk.
struct OutputIdentity {
  bool known = false;        ///< Standard output is a regular file; else nothing matches.
  std::uint64_t volume = 0;  ///< Its device (POSIX) or volume serial number (Windows).
  std::uint64_t index = 0;   ///< Its inode (POSIX) or file index (Windows) on that volume.
};

/// Which file standard output writes into; not known where it is a terminal, a pipe or a
/// device (such as /dev/null or NUL).
OutputIdentity standardOutputIdentity();

/// Whether the open `file` is the file `output` names; false, without asking the host, where
/// `output` is not known.
bool isStandardOutput(const OpenFile& file, const OutputIdentity& output);
