// Parsing an expression text into a first term and groups, one character at a time.
#pragma once

#include <string>

#include "reference/reference_types.h"

namespace reference {

/// Parses `text` into `expression` (groups cleared first); false when it is malformed.
/// `operatorSeen` carries over between parses of one run.
bool parseExpression(const std::string& text, Expression& expression, bool& operatorSeen);

}  // namespace reference
