#include "cmdline/options.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

namespace {

struct Row {
  ArgumentTable options;                   // before the expression "x" and the target "a"
  std::function<void(Settings&)> changes;  // what they change from the defaults
};

TEST(ReadOptions, Settings) {
  const Row rows[] = {
      {{}, [](Settings&) {}},
      {{"-a", "-c-", "-i-", "-j-", "-k", "-n-", "-r40", "-s", "-t", "-w"},
       [](Settings& s) {
         s.showAll = s.waitForKey = s.recurse = s.truncate = s.wholeWords = true;
         s.cute = s.ignoreCase = s.sanityIndicator = s.lineNumbers = false;
         s.rightMargin = 40;
       }},
      {{"-#5", "-+2", "-d-"}, [](Settings& s) { s.lineWindow = 2; }},
      {{"-+1", "-#0", "-r99999999999"}, [](Settings& s) { s.rightMargin = INT_MAX; }},
      {{"-b50:10", "-b25"}, [](Settings& s) { s.binaryTestChars = 10, s.binaryThreshold = 2; }},
      {{"-b200:2000000000", "-#-99999999999"},
       [](Settings& s) {
         s.binaryTestChars = 2000000000, s.binaryThreshold = INT_MAX, s.charWindow = INT_MIN;
       }},
      {{"-b20", "-b-"}, [](Settings& s) { s.binaryTestChars = 0; }},
      {{"-vs", "-v"},
       [](Settings& s) { s.verboseErrors = s.verboseAll = true, s.sanityIndicator = false; }},
      {{"-v", "-v-"}, [](Settings& s) { s.sanityIndicator = false; }},
      {{"-z.c", "-z-", "-z.h"}, [](Settings& s) { s.skipExtensions = ".h."; }},
  };
  for (const Row& row : rows) {
    ArgumentTable arguments{"skern"};
    arguments.insert(arguments.end(), row.options.begin(), row.options.end());
    arguments.insert(arguments.end(), {"x", "a"});
    Settings expected;
    row.changes(expected);
    std::string line;
    for (const std::string& option : row.options) line += option + ' ';
    RunRequest request = readOptions(arguments);
    EXPECT_EQ(request.settings, expected) << line;
    EXPECT_EQ(request.expression.firstTerm, "x") << line;
    EXPECT_EQ(request.targets, TargetList{"a"}) << line;
  }
}

}  // namespace
