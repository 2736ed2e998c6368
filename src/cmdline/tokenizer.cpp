#include "cmdline/tokenizer.h"

#include "platform/ascii.h"
#include "platform/command_line.h"

namespace {

// How many double quotes stand at `p`, counting no further than three.
int quoteRun(const char* p) {
  int n = 0;
  while (n < 3 && p[n] == '"') ++n;
  return n;
}

enum class State { between, start, inside };

}  // namespace

ArgumentTable splitCommandText(const char* text, const char* programName) {
  // The text is split in a copy, in place. A removed character is skipped by the reading
  // position `r` while the writing position `w` stays, which is the same as moving the rest of
  // the text to the left, without doing it again for every quote. `starts` holds where each
  // argument begins; each ends at the first NUL from there.
  std::string copy = text;
  std::vector<const char*> starts;
  char* r = copy.data();
  char* w = copy.data();
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
      starts.push_back(w);
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
  ArgumentTable table;
  table.emplace_back(programName);
  for (std::size_t i = 1; i < starts.size(); ++i) table.emplace_back(starts[i]);
  return table;
}

ArgumentTable splitCommandLine(int argc, char** argv) {
  const char* programName = argc > 0 && argv[0] != nullptr ? argv[0] : "skern";
  if (const char* raw = rawCommandLine()) return splitCommandText(raw, programName);
  ArgumentTable table;
  table.emplace_back(programName);
  for (int i = 1; i < argc; ++i) table.emplace_back(argv[i]);
  return table;
}
