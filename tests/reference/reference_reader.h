// Reading a file's bytes the way a text-mode line reader of 999 characters per call does.
#pragma once

#include <list>
#include <string>

#include "reference/reference_types.h"

namespace reference {

/// What reading one file gave: its elements, or the verdict that it is binary.
struct ReadResult {
  std::list<std::string> lines;  ///< One element per chunk, cut at the chunk's first NUL.
  bool binary = false;           ///< The binary test rejected the file.
};

/// Reads `bytes` in text mode chunk by chunk, running the binary test of `settings` on the way.
ReadResult readFile(const std::string& bytes, const Settings& settings);

}  // namespace reference
