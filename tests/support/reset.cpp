#include "support/reset.h"

#include "cmdline/options.h"
#include "cmdline/run.h"
#include "cmdline/settings.h"
#include "cmdline/tokenizer.h"
#include "expr/expression.h"
#include "files/file_scan.h"
#include "files/line_list.h"
#include "files/recursion.h"
#include "output/diagnostics.h"
#include "output/hit_display.h"
#include "platform/file_reader.h"

void resetAll() {
  resetSettings();
  resetCommandLine();
  resetExpression();
  resetOptions();
  resetLines();
  resetRecursion();
  resetDiagnostics();
  CurrentPath.clear();
  HeaderShown = false;
  foundAny = false;
  startDirectory.clear();
  resetFileAccess();
}
