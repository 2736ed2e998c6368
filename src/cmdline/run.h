// The run driver: every target in order, the end-of-run messages and the exit status.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "cmdline/options.h"

/// How the search is spread over threads; the defaults suit every run, test builds fix them.
struct SearchTuning {
  int threads = 0;                  ///< Threads to search on; 0: one per usable CPU.
  std::uint64_t pieceBytes = 0;     ///< Bytes of each piece of a big file; 0: the usual size.
  std::size_t heldBytes = 0;        ///< Output the threads may hold for later units; 0: the usual.
  std::uint64_t mappedFrom = 0;     ///< Files from this size on are mapped; 0: the usual size.
  std::function<void()> blockHook;  ///< Called before each block a scan reads; empty: none.
};

/// Searches every target of `request` in order, each from the directory the run started in,
/// returns there, writes the end-of-run messages and waits for a key when asked to; returns 0
/// when a hit was shown, else 1.
int runAndFinish(const RunRequest& request, const SearchTuning& tuning);

/// The whole program: splits and reads the command line, runs the search under `tuning` and
/// returns the exit status.
int skernMain(int argc, char** argv, const SearchTuning& tuning = {});
