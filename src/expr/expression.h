// The search expression: a first term and groups of alternatives, and its parser.
#pragma once

#include <string>
#include <string_view>
#include <vector>

/// What a line must hold: the first term, and for every group one of its alternatives.
struct Expression {
  std::string firstTerm;  ///< Selects candidate lines; "" makes all lines candidates.
  std::vector<std::vector<std::string>> groups;  ///< "&"-separated groups of "|"-separated terms.
};

/// The expression of a run as its parses leave it: each parse replaces the last one's.
struct ExpressionParser {
  Expression expression;      ///< What the parses have stored so far.
  bool operatorSeen = false;  ///< Set once any parse has reached an '&', its end, or a restart.
};

/// Parses `text` (up to its first NUL) into `parser.expression`; on a malformed expression
/// `badText` receives the text that was being read and the result is false.
bool parseExpressionText(std::string_view text, ExpressionParser& parser, std::string& badText);
