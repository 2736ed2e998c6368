#include "output/diagnostics.h"

#include <cstdarg>
#include <cstdio>

#include "cmdline/settings.h"
#include "files/file_scan.h"
#include "output/standard_output.h"

long long progressCount = 0;

void diagnostic(const char* format, ...) {
  // Hits wait in standard output's buffer; they go first, so that the order of what was
  // written is kept when the diagnostics go elsewhere, and so that a failure to write them is
  // told from a failure to write a diagnostic, which is ignored.
  flushOutput();
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(Settings.diagnosticStream, format, arguments);
  va_end(arguments);
  if (Settings.diagnosticStream == stdout) {
    std::fflush(stdout);
    std::clearerr(stdout);
  }
}

void openedStep() {
  if (Settings.verboseAll) {
    diagnostic("skern:skern():opened \"%s\"\n", currentPath().c_str());
  } else if (Settings.sanityIndicator) {
    ++progressCount;
    if (progressCount % 256 == 0) diagnostic("skern:%lld\r", progressCount);
  }
}

void resetDiagnostics() {
  progressCount = 0;
}
