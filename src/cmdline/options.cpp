#include "cmdline/options.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

#include "cmdline/usage.h"
#include "files/path_parts.h"
#include "platform/ascii.h"
#include "platform/host.h"

namespace {

// What the option loop holds while it reads the arguments.
struct OptionLoop {
  Settings settings;
  ExpressionParser parser;
  TargetList targets;
  std::string prefixPath;  // put in front of the plain patterns that follow a -p option
};

// Parses `text` into the loop's expression; a malformed expression writes "bad arg: %s\n" and
// the usage text to standard output and ends the process with status 3.
void parseExpression(OptionLoop& loop, const char* text) {
  std::string badText;
  if (parseExpressionText(text, loop.parser, badText)) return;
  std::printf("bad arg: %s\n", badText.c_str());
  usage(loop.settings.skipExtensions);
}

int clamped(std::int64_t value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// The binary test's option: "-b-" turns it off, "-bP" and "-bP:N" set the percentage P of the
// first N characters (N kept from before when not given).
void readBinaryOption(Settings& settings, const char* argument) {
  if (!optionOn(argument)) {
    settings.binaryThreshold = 0;
    settings.binaryTestChars = 0;
    return;
  }
  const char* value = argument + 2;
  int percentage = numberValue(value);
  const char* colon = std::strchr(value, ':');
  if (colon != nullptr && colon[1] != '\0') settings.binaryTestChars = numberValue(colon + 1);
  settings.binaryThreshold =
      clamped(static_cast<std::int64_t>(settings.binaryTestChars) * percentage / 100);
}

// "-v" with its letters: 's' sends the diagnostics to standard output, 'e' keeps only errors.
void readVerboseOption(Settings& settings, const char* argument) {
  bool on = optionOn(argument);
  settings.verboseErrors = on;
  settings.verboseAll = on;
  if (!on) return;
  settings.sanityIndicator = false;
  const char* value = argument + 2;
  settings.diagnosticStream = std::strchr(value, 's') != nullptr ? stdout : stderr;
  if (std::strchr(value, 'e') != nullptr) settings.verboseAll = false;
}

// "-z": "-z-" empties the skip list, any other form appends its value and a closing dot.
void readSkipOption(Settings& settings, const char* argument) {
  if (!optionOn(argument)) {
    settings.skipExtensions.clear();
    return;
  }
  settings.skipExtensions += argument + 2;
  settings.skipExtensions += '.';
}

// Acts on one option argument; false when its letter is not in the table.
bool readOption(OptionLoop& loop, const char* argument) {
  Settings& settings = loop.settings;
  const char* value = argument + 2;
  bool on = optionOn(argument);
  switch (argument[1]) {
    case '\0':
      break;
    case '#':
      settings.charWindow = numberValue(value);
      settings.lineWindow = 0;
      break;
    case '+':
      settings.lineWindow = numberValue(value);
      settings.charWindow = 0;
      break;
    case ':':
      parseExpression(loop, value);
      break;
    case 'a':
      settings.showAll = on;
      settings.lineNumbers = true;
      settings.truncate = false;
      break;
    case 'b':
      readBinaryOption(settings, argument);
      break;
    case 'c':
      settings.cute = on;
      break;
    case 'd':
    case 's':
      settings.recurse = on;
      break;
    case 'f':
      loop.targets.emplace_back(value);
      break;
    case 'i':
      settings.ignoreCase = on;
      break;
    case 'j':
      settings.sanityIndicator = on;
      break;
    case 'k':
      settings.waitForKey = on;
      break;
    case 'n':
      settings.lineNumbers = on;
      break;
    case 'p':
      loop.prefixPath = withTrailingSeparator(value);
      break;
    case 'r':
      settings.rightMargin = numberValue(value);
      break;
    case 't':
      settings.truncate = on;
      break;
    case 'v':
      readVerboseOption(settings, argument);
      break;
    case 'w':
      settings.wholeWords = on;
      break;
    case 'z':
      readSkipOption(settings, argument);
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

RunRequest readOptions(const ArgumentTable& arguments) {
  OptionLoop loop;
  char leadIn = '-';
  bool expressionSeen = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const char* argument = arguments[i].c_str();
    if (argument[0] == '/' && slashIsOptionLeadIn()) leadIn = '/';
    if (argument[0] == leadIn) {
      if (argument[1] == ':') expressionSeen = true;
      if (!readOption(loop, argument)) usage(loop.settings.skipExtensions);
    } else if (expressionSeen) {
      loop.targets.push_back(loop.prefixPath + argument);
    } else {
      parseExpression(loop, argument);
      expressionSeen = true;
    }
  }
  if (loop.targets.empty()) usage(loop.settings.skipExtensions);
  return RunRequest{std::move(loop.settings), std::move(loop.parser.expression),
                    std::move(loop.targets)};
}
