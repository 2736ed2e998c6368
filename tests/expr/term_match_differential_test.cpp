// findTerm and findText against the plain offset-by-offset reference, on many random cases.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "cmdline/settings.h"
#include "expr/term_match.h"
#include "reference/reference_match.h"
#include "support/reset.h"

namespace {

std::string escapedBytes(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 32 && c < 127 && c != '\\') {
      out += static_cast<char>(c);
    } else {
      static const char digits[] = "0123456789abcdef";
      out += "\\x";
      out += digits[c >> 4];
      out += digits[c & 15];
    }
  }
  return out;
}

TEST(TermMatchDifferential, BoundaryClassMatchesForEveryByte) {
  for (int c = 0; c < 256; ++c) {
    EXPECT_EQ(isWordBoundary(static_cast<unsigned char>(c)),
              reference::isWordBoundary(static_cast<unsigned char>(c)))
        << "byte " << c;
  }
}

TEST(TermMatchDifferential, FindTermMatchesTheReference) {
  resetAll();
  // Small alphabets make terms recur, overlap and sit next to every kind of neighbour.
  const std::string alphabets[] = {"ab", "aAbB", "a_b- ", "aA\xe9\xc9\x01\n", "ab\t\x7f\x80'"};
  std::mt19937_64 engine(977);
  int failures = 0;
  for (int i = 0; i < 150000 && failures < 5; ++i) {
    const std::string& alphabet = alphabets[engine() % 5];
    std::string text, term;
    for (std::size_t n = engine() % 70; n > 0; --n) text += alphabet[engine() % alphabet.size()];
    for (std::size_t n = engine() % 5; n > 0; --n) term += alphabet[engine() % alphabet.size()];
    Settings.ignoreCase = engine() % 2 == 0;
    Settings.wholeWords = engine() % 2 == 0;
    bool trimmed = engine() % 2 == 0;
    long long expected =
        reference::findTerm(text, term, trimmed, Settings.ignoreCase, Settings.wholeWords);
    long long got = findTerm(text, term, trimmed);
    long long expectedText = reference::findText(text, term, Settings.ignoreCase);
    long long gotText = findText(text, term);
    if (got != expected || gotText != expectedText) {
      ++failures;
      ADD_FAILURE() << "text [" << escapedBytes(text) << "] term [" << escapedBytes(term)
                    << "] ignoreCase " << Settings.ignoreCase << " wholeWords "
                    << Settings.wholeWords << " trimmed " << trimmed << ": findTerm " << got
                    << " (reference " << expected << "), findText " << gotText << " (reference "
                    << expectedText << ")";
    }
  }
  resetAll();
}

}  // namespace
