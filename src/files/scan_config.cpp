#include "files/scan_config.h"

#include <climits>

ScanConfig scanConfig(const Settings& settings, const Expression& expression) {
  ScanConfig config;
  config.expression = prepareExpression(expression, settings.ignoreCase, settings.wholeWords);
  config.display.cute = settings.cute;
  config.display.lineNumbers = settings.lineNumbers;
  config.display.showAll = settings.showAll;
  config.display.truncate = settings.truncate;
  config.display.rightMargin = settings.rightMargin;
  config.binaryTestChars = settings.binaryTestChars;
  config.binaryThreshold = settings.binaryThreshold;
  config.verboseErrors = settings.verboseErrors;
  config.verboseAll = settings.verboseAll;
  config.sanityIndicator = settings.sanityIndicator;
  config.lineWindow = settings.lineWindow;
  config.charWindow = settings.charWindow;
  // Under -w the character window reaches one byte further, so that the byte just beyond the
  // user's reach decides whether a word ends there.
  if (settings.wholeWords && config.charWindow != 0 && config.charWindow != INT_MAX) {
    ++config.charWindow;
  }
  // Only groups are looked for in a window; a character window wins over a line window.
  if (!config.expression.groups.empty()) {
    if (config.charWindow > 0) {
      config.reach.bytes = static_cast<std::size_t>(config.charWindow);
    } else if (config.lineWindow > 0) {
      config.reach.lines = static_cast<std::size_t>(config.lineWindow);
    }
  }
  config.output = standardOutputIdentity();
  return config;
}
