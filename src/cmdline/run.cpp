#include "cmdline/run.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>

#include "cmdline/tokenizer.h"
#include "cmdline/usage.h"
#include "files/recursion.h"
#include "files/scan_config.h"
#include "files/scan_queue.h"
#include "output/diagnostics.h"
#include "output/file_output.h"
#include "output/standard_output.h"
#include "platform/cpu_count.h"
#include "platform/file_reader.h"
#include "platform/host.h"
#include "platform/key_wait.h"
#include "platform/memory.h"
#include "platform/terminal_colours.h"

namespace {

// Bytes of each piece that a big file is cut into, where several threads search: small
// enough that every thread has pieces to take, large enough that each piece's own reading of
// its neighbours' lines and the handing over cost nothing beside its search.
constexpr std::uint64_t kPieceBytes = std::uint64_t{8} << 20;

// Files from this size on are looked through where the host maps them, without a copy; the
// pieces of a cut file are bigger. For smaller files, mapping costs more than it saves.
constexpr std::uint64_t kMappedFrom = std::uint64_t{4} << 20;

// Address space that each thread of a search takes, where the process's is limited: the
// stack, text and element list of a thread leave the rest to the windows of the files.
constexpr std::size_t kAddressSpacePerThread = std::size_t{256} << 20;

// The most threads a search uses: each holds buffers of its own (about 3 MiB at most), and
// beyond this many a search is bound by the system's own work on the files.
constexpr int kMostThreads = 16;

// The threads the search uses: `fixed`, or else one per CPU the process may run on; at most 16,
// as far as the files each holds open fit within the process's limit, and the memory each
// takes within the address space the process may have.
int searchThreads(int fixed) {
  int threads = fixed > 0 ? fixed : usableCpuCount();
  threads = std::min({threads, mostReadingThreads(), kMostThreads});
  if (std::size_t limit = addressSpaceLimit(); limit > 0) {
    std::size_t room = std::max<std::size_t>(limit / kAddressSpacePerThread, 1);
    threads = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(threads), room));
  }
  return threads;
}

}  // namespace

int runAndFinish(const RunRequest& request, const SearchTuning& tuning) {
  const Settings& settings = request.settings;
  ScanConfig config = scanConfig(settings, request.expression);
  const WalkOptions walkOptions{settings.skipExtensions, settings.recurse, settings.verboseAll,
                                settings.verboseErrors};
  OutputStreams streams;
  streams.diagnosticStream = settings.diagnosticStream;
  streams.display = config.display;
  // A terminal shows the hits in colour, and the progress count is wiped from it before
  // anything else is written there.
  streams.display.colours = startColours(stdout);
  if (streams.display.colours) streams.marked = &config.expression;
  streams.hitsOnTerminal = isTerminal(stdout);
  streams.progressOnTerminal = isTerminal(streams.diagnosticStream);
  // Nobody watches hits arrive but on a terminal: elsewhere they go in large blocks.
  streams.holdHits = !isTerminal(stdout);
  bool found;
  {
    const int threads = searchThreads(tuning.threads);
    // Big files are cut into pieces only where several threads take them.
    if (threads >= 2) config.pieceBytes = tuning.pieceBytes > 0 ? tuning.pieceBytes : kPieceBytes;
    config.mappedFrom = tuning.mappedFrom > 0 ? tuning.mappedFrom : kMappedFrom;
    config.blockHook = tuning.blockHook;
    QueueLimits limits;
    if (tuning.heldBytes > 0) limits.heldInAll = limits.mostHeldByOne = tuning.heldBytes;
    ScanQueue queue([&config] { return fileScanner(config); }, streams, threads, limits);
    HostDirectoryLister lister;
    QueueWalkSink sink(queue);
    Walk walk(walkOptions, lister, sink);
    for (const std::string& target : request.targets) walk.findrecurse(target);
    found = queue.finish();
  }
  flushOutput();
  clearProgress(streams);
  endColours();
  if (!found && settings.verboseAll) {
    writeDiagnostic(streams.diagnosticStream, "skern:main():nothing found\n");
  }
  if (settings.waitForKey) {
    writeDiagnostic(streams.diagnosticStream, "(press a key)");
    std::fflush(streams.diagnosticStream);
    waitForKeyPress();
  }
  return found ? 0 : 1;
}

int skernMain(int argc, char** argv, const SearchTuning& tuning) {
  // Hits are written in large blocks when nobody watches them arrive.
  if (!isTerminal(stdout)) std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  if (argc < 2) usage(Settings().skipExtensions);
  try {
    return runAndFinish(readOptions(splitCommandLine(argc, argv)), tuning);
  } catch (const std::bad_alloc&) {
    // Memory ran out outside any one file (a file's own lack is reported with it): the run
    // cannot go on, and what it shows is incomplete.
    ranOutOfMemory();
  }
}
