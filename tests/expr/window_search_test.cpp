#include "expr/window_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "expr/expression.h"

namespace {

PreparedExpression prepared(const char* text, bool ignoreCase, bool wholeWords) {
  ExpressionParser parser;
  std::string bad;
  EXPECT_TRUE(parseExpressionText(text, parser, bad));
  return prepareExpression(parser.expression, ignoreCase, wholeWords);
}

// A window of a stretch holds the expression exactly when `evaluateHit` finds it in the
// window's text: on random stretches and windows that move on as a scan's do (a little back
// now and then), at the window's edges under the whole-word rule, the text before let go of.
TEST(WindowSearch, AgreesWithEvaluateHit) {
  const char* const expressions[] = {"a&b",    "x&ab|ba", "x&a b&b",      "x&aa|b-&ba",
                                     "x&abab", "x&A-",    "x&b&ab|bb|a ", "x&aaa"};
  const char alphabet[] = "ab -A\n";
  std::mt19937 random(30);
  for (int round = 0; round < 800; ++round) {
    bool wholeWords = round % 2 == 1;
    bool ignoreCase = round % 4 < 2;
    bool trimmed = wholeWords && round % 8 >= 4;
    PreparedExpression expression = prepared(expressions[round / 8 % 8], ignoreCase, wholeWords);
    WindowSearch search(expression);
    std::string whole;
    StretchOffset from = 0;
    StretchOffset dropped = 0;
    for (int step = 0; step < 60; ++step) {
      if (step == 30 && round % 3 == 0) {
        // A new stretch.
        search.restart();
        whole.clear();
        from = 0;
        dropped = 0;
      }
      std::string piece(random() % 12, 'a');
      for (char& c : piece) c = alphabet[random() % 6];
      whole += piece;
      // The next window begins at or after the last one, but for a step back now and then.
      StretchOffset back = random() % 4 == 0 ? random() % 5 : 0;
      from = std::max(from > back ? from - back : 0, dropped);
      from += random() % (std::min<StretchOffset>(whole.size() - from, 8) + 1);
      StretchOffset to = from + random() % (whole.size() - from + 1);
      std::string window = whole.substr(from, to - from);
      // The text given begins where the windows may begin, or before.
      StretchOffset given = dropped - random() % (dropped + 1) * (random() % 2);
      StretchText text{std::string_view(whole).substr(given), given};
      ASSERT_EQ(search.holds(text, from, to, trimmed), evaluateHit(expression, window, trimmed))
          << "round " << round << " [" << window << "] " << from << ".." << to;
      // No later window begins more than four bytes before this one.
      dropped = std::max<StretchOffset>(dropped, from > 4 ? from - 4 : 0);
      search.dropBefore(dropped);
    }
  }
}

}  // namespace
