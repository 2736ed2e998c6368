#include "cmdline/options.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "cmdline/settings.h"
#include "cmdline/tokenizer.h"
#include "cmdline/usage.h"
#include "expr/expression.h"
#include "files/path_parts.h"
#include "platform/ascii.h"
#include "platform/host.h"

std::vector<std::string> TargetList;
std::string prefixPath;

namespace {

// Parses `text` into `Expression`; a malformed expression writes "bad arg: %s\n" and the usage
// text to standard output and ends the process with status 3.
void parseExpression(char* text) {
  std::string badText;
  if (parseExpressionText(text, badText)) return;
  std::printf("bad arg: %s\n", badText.c_str());
  usage();
}

int clamped(std::int64_t value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// The binary test's option: "-b-" turns it off, "-bP" and "-bP:N" set the percentage P of the
// first N characters (N kept from before when not given).
void readBinaryOption(const char* argument) {
  if (!optionOn(argument)) {
    Settings.binaryThreshold = 0;
    Settings.binaryTestChars = 0;
    return;
  }
  const char* value = argument + 2;
  int percentage = numberValue(value);
  const char* colon = std::strchr(value, ':');
  if (colon != nullptr && colon[1] != '\0') Settings.binaryTestChars = numberValue(colon + 1);
  Settings.binaryThreshold =
      clamped(static_cast<std::int64_t>(Settings.binaryTestChars) * percentage / 100);
}

// "-v" with its letters: 's' sends the diagnostics to standard output, 'e' keeps only errors.
void readVerboseOption(const char* argument) {
  bool on = optionOn(argument);
  Settings.verboseErrors = on;
  Settings.verboseAll = on;
  if (!on) return;
  Settings.sanityIndicator = false;
  const char* value = argument + 2;
  Settings.diagnosticStream = std::strchr(value, 's') != nullptr ? stdout : stderr;
  if (std::strchr(value, 'e') != nullptr) Settings.verboseAll = false;
}

// "-z": "-z-" empties the skip list, any other form appends its value and a closing dot.
void readSkipOption(const char* argument) {
  if (!optionOn(argument)) {
    Settings.skipExtensions.clear();
    return;
  }
  Settings.skipExtensions += argument + 2;
  Settings.skipExtensions += '.';
}

// Acts on one option argument; false when its letter is not in the table.
bool readOption(char* argument) {
  char* value = argument + 2;
  bool on = optionOn(argument);
  switch (argument[1]) {
    case '\0':
      break;
    case '#':
      Settings.charWindow = numberValue(value);
      Settings.lineWindow = 0;
      break;
    case '+':
      Settings.lineWindow = numberValue(value);
      Settings.charWindow = 0;
      break;
    case ':':
      parseExpression(value);
      break;
    case 'a':
      Settings.showAll = on;
      Settings.lineNumbers = true;
      Settings.truncate = false;
      break;
    case 'b':
      readBinaryOption(argument);
      break;
    case 'c':
      Settings.cute = on;
      break;
    case 'd':
    case 's':
      Settings.recurse = on;
      break;
    case 'f':
      TargetList.emplace_back(value);
      break;
    case 'i':
      Settings.ignoreCase = on;
      break;
    case 'j':
      Settings.sanityIndicator = on;
      break;
    case 'k':
      Settings.waitForKey = on;
      break;
    case 'n':
      Settings.lineNumbers = on;
      break;
    case 'p':
      prefixPath = withTrailingSeparator(value);
      break;
    case 'r':
      Settings.rightMargin = numberValue(value);
      break;
    case 't':
      Settings.truncate = on;
      break;
    case 'v':
      readVerboseOption(argument);
      break;
    case 'w':
      Settings.wholeWords = on;
      break;
    case 'z':
      readSkipOption(argument);
      break;
    default:
      return false;
  }
  return true;
}

}  // namespace

bool optionOn(const char* argument) {
  return argument[1] == '\0' || argument[2] != '-';
}

int numberValue(const char* text) {
  while (isAsciiSpace(*text)) ++text;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  std::int64_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > static_cast<std::int64_t>(INT_MAX) + 1)
      value = static_cast<std::int64_t>(INT_MAX) + 1;
  }
  return clamped(negative ? -value : value);
}

void readOptions() {
  char leadIn = '-';
  bool expressionSeen = false;
  for (int i = 1; i < argCount; ++i) {
    char* argument = argTable[i];
    if (argument[0] == '/' && slashIsOptionLeadIn()) leadIn = '/';
    if (argument[0] == leadIn) {
      if (argument[1] == ':') expressionSeen = true;
      if (!readOption(argument)) usage();
    } else if (expressionSeen) {
      TargetList.push_back(prefixPath + argument);
    } else {
      parseExpression(argument);
      expressionSeen = true;
    }
  }
  if (TargetList.empty()) usage();
}
