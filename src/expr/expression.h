// The search expression: a first term and groups of alternatives.
#pragma once

#include <string>
#include <vector>

/// What a line must hold: the first term, and for every group one of its alternatives.
struct ExpressionRecord {
  std::string firstTerm;  ///< Selects candidate lines; "" makes all lines candidates.
  std::vector<std::vector<std::string>> groups;  ///< "&"-separated groups of "|"-separated terms.
};

/// The expression of this run.
extern ExpressionRecord Expression;

/// Set once any parse has reached an '&', its end, or the restart of a leading bar.
extern bool operatorSeen;

/// Parses `text` into `Expression`; on a malformed expression `badText` receives the text that
/// was being read and the result is false. `text` may be rewritten in place.
bool parseExpressionText(char* text, std::string& badText);

/// Empties `Expression` and clears `operatorSeen` (for tests).
void resetExpression();
