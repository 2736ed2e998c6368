// The option loop: options into the settings, the expression to the parser, patterns to targets.
#pragma once

#include <string>
#include <vector>

#include "cmdline/settings.h"
#include "cmdline/tokenizer.h"
#include "expr/expression.h"

/// The file patterns of a run, in command-line order, each as it will be searched.
using TargetList = std::vector<std::string>;

/// What the command line asks of a run.
struct RunRequest {
  Settings settings;      ///< The option values.
  Expression expression;  ///< What a line must hold.
  TargetList targets;     ///< The file patterns to search, in order.
};

/// False exactly when the character after the option letter is '-' (as in "-c-").
bool optionOn(const char* argument);

/// `text` read as a decimal integer the way atoi reads it, clamped to the 32-bit range.
int numberValue(const char* text);

/// Reads `arguments` from left to right into the settings, the expression and the targets;
/// ends the process through `usage` on bad use or when no file pattern was given.
RunRequest readOptions(const ArgumentTable& arguments);
