// The usage text as skern must print it, for the unit and the end-to-end tests.
#pragma once

#include <gtest/gtest.h>

#include <regex>
#include <string>

/// Succeeds when `text` is the 24-line usage text showing `skipList` as the extension skip list;
/// line 2 may name any version, build date and time. Otherwise names the first line that differs.
inline ::testing::AssertionResult isUsageText(const std::string& text,
                                              const std::string& skipList) {
  const std::string lines[24] = {
      "skern \"stuff\" afn [afn...] (AFN => bingo*.cpp etc.)",
      "",  // build date and time, checked by pattern
      "\"stuff&bongo|bingo\" finds lines on which \"stuff\" appears + either \"bongo\" or",
      "\"bingo\". If the first logical operator is a |, then searches every line for a",
      "hit. Quotes are mandatory to avoid DOS hysteria at |&. Escape like",
      "\"Mac\\|Life\"; \\Q produces double-quote.",
      "-s or -d  recurse thru directories.   -pPath    prepend path to next AFNs.",
      "-w        find words?                 -i+       default ignore case.",
      "-fafn     specify afn, in case you need file like \"-bongo\" i.e. \"-f-bongo\".",
      "-+1       line range for additional &| hits in EITHER DIRECTION. Default is",
      "          single line (-+0).",
      "-#25      etc. but characters.",
      "\"-:-stuff\" specify stuff inside option in case you need etc.",
      "-v        verbose, q.v. source. -vs: to stdout, else stderr. -ve: just errors.",
      "-c+       default cute; else just dump stuff. c+ options (defaults): -r78:",
      "right margin. -t+: truncate to margin. Other formatting: -n: line numbers. -a",
      "(does -n, -t-): if -#,+, show all; otherwise (default) just the hit line.",
      "Might show |s for line-ends.",
      "-j-       don't show sanity indicator. -w can take a while with -d.",
      "-k        wait for keypress at end.",
      "-b0:200   percentage, test chars, for binary rejection. -b0, -b- defeats.",
      "-z" + skipList + " Skip binary extensions.",
      "\"-z.bongo.wongo\" add some. \"-z-\" defeat.",
      "(returns errorlevel 1 if nothing; 0 for anything)",
  };
  // The version, then the build date and time as the compiler gives them.
  const std::regex buildLine(
      R"(\(skern [0-9]+\.[0-9]+\.[0-9]+, )"
      R"(built [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4} at [0-9]{2}:[0-9]{2}:[0-9]{2}\))");
  std::size_t at = 0;
  for (int i = 0; i < 24; ++i) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) {
      return ::testing::AssertionFailure() << "line " << i + 1 << " missing in:\n" << text;
    }
    std::string line = text.substr(at, end - at);
    bool same = i == 1 ? std::regex_match(line, buildLine) : line == lines[i];
    if (!same) {
      return ::testing::AssertionFailure()
             << "line " << i + 1 << " is \"" << line << "\", expected \""
             << (i == 1 ? "(build date and time)" : lines[i]) << "\"";
    }
    at = end + 1;
  }
  if (at != text.size()) {
    return ::testing::AssertionFailure() << "text goes on after line 24: " << text.substr(at);
  }
  return ::testing::AssertionSuccess();
}
