#include "files/file_scan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cmdline/settings.h"
#include "expr/expression.h"
#include "platform/full_path.h"
#include "support/reset.h"

namespace {

// Everything written to `stream` since it was made.
std::string contents(FILE* stream) {
  std::fflush(stream);
  std::rewind(stream);
  std::string text;
  char buffer[256];
  while (std::size_t got = std::fread(buffer, 1, sizeof buffer, stream)) text.append(buffer, got);
  return text;
}

// A file that was listed but is gone when it is opened is reported and passed over.
TEST(Skern, FileGoneBeforeItIsOpenedIsReported) {
  resetAll();
  FILE* diagnostics = std::tmpfile();
  ASSERT_NE(diagnostics, nullptr);
  Settings.diagnosticStream = diagnostics;
  Settings.verboseErrors = true;
  char term[] = "stuff";
  parseExpression(term);
  const std::string path = "nonexistent-skern-dir/gone.txt";
  std::string shown;
  ASSERT_TRUE(fullPath(path, shown));
  skern(path);
  EXPECT_EQ(contents(diagnostics), "skern:skern():couldn't open \"" + shown + "\"\n");
  EXPECT_FALSE(HeaderShown);
  std::fclose(diagnostics);
  resetAll();
}

}  // namespace
