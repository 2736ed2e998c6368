#include "cmdline/tokenizer.h"

#include <cstring>
#include <list>
#include <string>

#include "platform/ascii.h"
#include "platform/command_line.h"

std::vector<char*> argTable;
int argCount = 0;

namespace {

// The writable texts that `argTable` points into; a list, so that they never move.
std::list<std::string> keptTexts;

char* keep(const char* text) {
  keptTexts.emplace_back(text);
  return keptTexts.back().data();
}

// How many double quotes stand at `p`, counting no further than three.
int quoteRun(const char* p) {
  int n = 0;
  while (n < 3 && p[n] == '"') ++n;
  return n;
}

enum class State { between, start, inside };

}  // namespace

void splitCommandText(const char* text, const char* programName) {
  argTable.clear();
  argCount = 0;
  // The text is split in place. A removed character is skipped by the reading position `r`
  // while the writing position `w` stays, which is the same as moving the rest of the text to
  // the left, without doing it again for every quote.
  char* copy = keep(text);
  char* r = copy;
  char* w = copy;
  State state = State::between;
  bool quoting = false;
  while (*r != '\0') {
    if (state == State::between) {
      while (*r >= 1 && *r <= 32 && *r != '\n') ++r;
      if (*r == '\0' || *r == '\n') break;
      state = State::start;
    }
    int quotes = quoteRun(r);
    if (state == State::start) {
      argTable.push_back(w);
      ++argCount;
      state = State::inside;
      if (quotes == 1) {
        r += 1;
        quoting = true;
        if (*r == '\0') break;  // a lone opening quote at the very end: an empty argument
      } else if (quotes == 2) {
        r += 1;
      } else if (quotes == 3) {
        r += 2;
        quoting = true;
      }
      *w++ = *r++;
      continue;
    }
    // Inside an argument.
    if (quotes == 0) {
      if (isAsciiSpace(*r) && !quoting) {
        *w++ = '\0';
        ++r;
        state = State::between;
      } else {
        *w++ = *r++;
      }
    } else if (quotes == 1) {
      *w++ = '\0';
      ++r;
      quoting = false;
      state = State::between;
    } else if (quotes == 2) {
      r += 1;
      *w++ = *r++;
    } else {
      r += 1;
      *w++ = *r++;
      *w++ = '\0';
      ++r;
      quoting = false;
      state = State::between;
    }
  }
  *w = '\0';
  argTable.push_back(nullptr);
  char* name = keep(programName);
  if (argCount > 0) {
    argTable[0] = name;
  } else {
    argTable.insert(argTable.begin(), name);
  }
}

void splitCommandLine(int argc, char** argv) {
  const char* programName = argc > 0 && argv[0] != nullptr ? argv[0] : "skern";
  if (const char* raw = rawCommandLine()) {
    splitCommandText(raw, programName);
    return;
  }
  argTable.clear();
  for (int i = 0; i < argc; ++i) argTable.push_back(keep(i == 0 ? programName : argv[i]));
  argCount = argc;
  argTable.push_back(nullptr);
}

void resetCommandLine() {
  argTable.clear();
  argCount = 0;
  keptTexts.clear();
}
