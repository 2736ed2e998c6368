#include "cmdline/run.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <new>

#include "cmdline/options.h"
#include "cmdline/settings.h"
#include "cmdline/tokenizer.h"
#include "cmdline/usage.h"
#include "expr/expression.h"
#include "files/recursion.h"
#include "files/scan_queue.h"
#include "output/diagnostics.h"
#include "output/file_output.h"
#include "output/standard_output.h"
#include "platform/cpu_count.h"
#include "platform/current_directory.h"
#include "platform/file_reader.h"
#include "platform/host.h"
#include "platform/key_wait.h"
#include "platform/memory.h"
#include "platform/output_identity.h"

std::string startDirectory;

namespace {

int fixedThreads = 0;               // 0: one per usable CPU
std::uint64_t fixedPieceBytes = 0;  // 0: the pieces' usual size

// Bytes of each piece that a big file is cut into, where several threads search: small
// enough that every thread has pieces to take, large enough that each piece's own reading of
// its neighbours' lines and the handing over cost nothing beside its search.
constexpr std::uint64_t kPieceBytes = std::uint64_t{8} << 20;

// Address space that each thread of a search takes, where the process's is limited: the
// stack, text and element list of a thread leave the rest to the windows of the files.
constexpr std::size_t kAddressSpacePerThread = std::size_t{256} << 20;

// The most threads a search uses: each holds buffers of its own (about 3 MiB at most), and
// beyond this many a search is bound by the system's own work on the files.
constexpr int kMostThreads = 16;

// The threads the search uses: one per CPU the process may run on, at most 16, as far as the
// files each holds open fit within the process's limit, and the memory each takes within the
// address space the process may have.
int searchThreads() {
  int threads = fixedThreads > 0 ? fixedThreads : usableCpuCount();
  threads = std::min({threads, mostReadingThreads(), kMostThreads});
  if (std::size_t limit = addressSpaceLimit(); limit > 0) {
    std::size_t room = std::max<std::size_t>(limit / kAddressSpacePerThread, 1);
    threads = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(threads), room));
  }
  return threads;
}

// What every file scan reads of the settings.
ScanConfig scanConfig() {
  ScanConfig config;
  config.expression = prepareExpression(Expression, Settings.ignoreCase, Settings.wholeWords);
  config.display.cute = Settings.cute;
  config.display.lineNumbers = Settings.lineNumbers;
  config.display.showAll = Settings.showAll;
  config.display.truncate = Settings.truncate;
  config.display.rightMargin = Settings.rightMargin;
  config.binaryTestChars = Settings.binaryTestChars;
  config.binaryThreshold = Settings.binaryThreshold;
  config.verboseErrors = Settings.verboseErrors;
  config.verboseAll = Settings.verboseAll;
  config.sanityIndicator = Settings.sanityIndicator;
  config.lineWindow = Settings.lineWindow;
  config.output = standardOutputIdentity();
  config.charWindow = Settings.charWindow;
  // Under -w the character window reaches one byte further, so that the byte just beyond the
  // user's reach decides whether a word ends there.
  if (Settings.wholeWords && config.charWindow != 0 && config.charWindow != INT_MAX) {
    ++config.charWindow;
  }
  return config;
}

}  // namespace

void fixSearchThreads(int threads) {
  fixedThreads = threads;
}

void fixPieceBytes(std::uint64_t bytes) {
  fixedPieceBytes = bytes;
}

int runAndFinish() {
  startDirectory = currentDirectory();
  ScanConfig config = scanConfig();
  const WalkOptions walkOptions{Settings.skipExtensions, Settings.recurse, Settings.verboseAll,
                                Settings.verboseErrors};
  OutputStreams streams;
  streams.diagnosticStream = Settings.diagnosticStream;
  streams.display = config.display;
  // Nobody watches hits arrive but on a terminal: elsewhere they go in large blocks.
  streams.holdHits = !isTerminal(stdout);
  bool found;
  {
    const int threads = searchThreads();
    // Big files are cut into pieces only where several threads take them.
    if (threads >= 2) config.pieceBytes = fixedPieceBytes > 0 ? fixedPieceBytes : kPieceBytes;
    ScanQueue queue([&config] { return fileScanner(config); }, streams, threads);
    Walk walk(walkOptions, queue);
    for (const std::string& target : TargetList) {
      setCurrentDirectory(startDirectory);
      walk.findrecurse(target);
    }
    found = queue.finish();
  }
  flushOutput();
  setCurrentDirectory(startDirectory);
  if (!found && Settings.verboseAll) {
    writeDiagnostic(streams.diagnosticStream, "skern:main():nothing found\n");
  }
  if (Settings.waitForKey) {
    writeDiagnostic(streams.diagnosticStream, "(press a key)");
    std::fflush(streams.diagnosticStream);
    waitForKeyPress();
  }
  return found ? 0 : 1;
}

int skernMain(int argc, char** argv) {
  // Hits are written in large blocks when nobody watches them arrive.
  if (!isTerminal(stdout)) std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  if (argc < 2) usage();
  try {
    splitCommandLine(argc, argv);
    readOptions();
    return runAndFinish();
  } catch (const std::bad_alloc&) {
    // Memory ran out outside any one file (a file's own lack is reported with it): the run
    // cannot go on, and what it shows is incomplete.
    ranOutOfMemory();
  }
}
