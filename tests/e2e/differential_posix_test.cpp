// Random files, expressions and options: skern's output must equal the reference search's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/harness.h"
#include "reference/reference_parser.h"
#include "reference/reference_search.h"

namespace {

std::uint64_t envNumber(const char* name, std::uint64_t fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::strtoull(value, nullptr, 0) : fallback;
}

struct Random {
  std::mt19937_64 engine;
  std::size_t below(std::size_t n) { return n == 0 ? 0 : engine() % n; }
  bool chance(std::size_t in) { return below(in) == 0; }  // one chance in `in`
  long long between(long long lo, long long hi) {
    return lo + static_cast<long long>(below(static_cast<std::size_t>(hi - lo + 1)));
  }
  template <typename T>
  const T& pick(const std::vector<T>& v) {
    return v[below(v.size())];
  }
};

// Bytes and terms of one round: few enough that terms recur in the files.
struct Pools {
  std::string alphabet;
  std::vector<std::string> terms;
};

Pools makePools(Random& rng) {
  Pools pools;
  pools.alphabet = "ab";
  const std::string extras[] = {"A",    "B",    "c",  "_", "-",  " ",    "\xe9",
                                "\xc9", "\x01", "\t", "0", "'",  "\x7f", "\x80",
                                "\x1f", "\"",   "&",  "|", "\\", "Q"};
  for (const std::string& extra : extras) {
    if (rng.chance(3)) pools.alphabet += extra;
  }
  std::size_t count = 1 + rng.below(4);
  for (std::size_t i = 0; i < count; ++i) {
    std::string term;
    std::size_t length = 1 + rng.below(4);
    for (std::size_t j = 0; j < length; ++j)
      term += pools.alphabet[rng.below(pools.alphabet.size())];
    if (rng.chance(12)) term += '\n';
    pools.terms.push_back(term);
  }
  return pools;
}

// A term as it may stand in a file: its letters' case changed at random now and then.
std::string variant(Random& rng, const std::string& term) {
  std::string out = term;
  if (!rng.chance(3)) return out;
  for (char& c : out) {
    if (rng.chance(2) && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) c ^= 0x20;
  }
  return out;
}

char specialByte(Random& rng) {
  const char bytes[] = {'\0', '\x01', '\x1b', '\x0b', '\x0c', '\xff', '\xa0', '\x7f', '_', '-'};
  return bytes[rng.below(sizeof bytes)];
}

// One line of text-mode length `length`, without line end or carriage returns.
std::string makeLine(Random& rng, const Pools& pools, std::size_t length) {
  std::string line;
  while (line.size() < length) {
    std::size_t kind = rng.below(10);
    if (kind < 4) {
      line += variant(rng, rng.pick(pools.terms));
    } else if (kind < 8) {
      line += pools.alphabet[rng.below(pools.alphabet.size())];
    } else if (kind < 9) {
      line += rng.chance(2) ? ' ' : '\t';
    } else if (rng.chance(4)) {
      std::string term = variant(rng, rng.pick(pools.terms));  // a term split by a NUL
      term.insert(rng.below(term.size() + 1), 1, '\0');
      line += term;
    } else {
      line += rng.chance(8) ? '\0' : specialByte(rng);
    }
  }
  line.resize(length);
  // Long lines: a term across, at or just before an element end.
  for (std::size_t boundary : {std::size_t{999}, std::size_t{1998}}) {
    if (length + 1 < boundary || rng.chance(4)) continue;
    std::string term = variant(rng, rng.pick(pools.terms));
    std::size_t start = boundary - std::min(boundary, rng.below(term.size() + 2));
    for (std::size_t i = 0; i < term.size() && start + i < line.size(); ++i) {
      line[start + i] = term[i];
    }
  }
  return line;
}

std::size_t lineLength(Random& rng) {
  std::size_t kind = rng.below(20);
  if (kind < 7) return rng.below(13);
  if (kind < 12) return 13 + rng.below(68);
  if (kind < 15) return rng.below(4);
  if (kind < 18) return 990 + rng.below(13);
  return 1990 + rng.below(13);
}

std::string makeFile(Random& rng, const Pools& pools) {
  std::string text;
  std::size_t lines = rng.chance(8) ? 30 + rng.below(30) : rng.below(10);
  const std::vector<std::string> ends = {"\n", "\n",   "\n",   "\n", "\n",   "\n",
                                         "\n", "\r\n", "\r\n", "\r", "\n\r", ""};
  for (std::size_t i = 0; i < lines; ++i) {
    std::size_t kind = rng.below(12);
    if (kind == 0) {
      const char spaces[] = {' ', '\t', '\f', '\v'};
      std::size_t n = rng.below(6);
      for (std::size_t j = 0; j < n; ++j) text += spaces[rng.below(4)];
    } else if (kind == 1) {
      text += variant(rng, rng.pick(pools.terms));
    } else {
      text += makeLine(rng, pools, lineLength(rng));
    }
    bool last = i + 1 == lines;
    text += last && rng.chance(2) ? std::string() : rng.pick(ends);
  }
  // Carriage returns inside lines, a NUL here and there, and now and then an early 0x1A.
  if (!text.empty() && rng.chance(5)) {
    for (std::size_t n = 1 + rng.below(3); n > 0; --n) text.insert(rng.below(text.size()), "\r");
  }
  if (!text.empty() && rng.chance(6)) text.insert(rng.below(text.size()), 1, '\0');
  if (!text.empty() && rng.chance(12)) text.insert(rng.below(text.size() + 1), 1, '\x1a');
  return text;
}

// A file of up to some megabytes of filler that no term holds, with the first term (and other
// terms) planted across the borders of reads: 64 KiB (read with the open) plus multiples of
// 256 KiB, or multiples of 256 KiB, past the first MiB and at the very end.
std::string makeBigFile(Random& rng, const Pools& pools, const std::string& firstTerm) {
  std::size_t size = 300000 + rng.below(2300000);
  std::string text;
  while (text.size() < size) {
    for (std::size_t n = 1 + rng.below(1500); n > 0; --n) text += "xyz"[rng.below(3)];
    text += '\n';
  }
  for (std::size_t n = 1 + rng.below(4); n > 0; --n) {
    std::string term = variant(rng, rng.chance(3) ? rng.pick(pools.terms) : firstTerm);
    std::size_t border = (rng.chance(2) ? std::size_t{1} << 16 : std::size_t{1} << 18) +
                         rng.below(size >> 18) * (std::size_t{1} << 18);
    std::size_t at = rng.chance(3) ? text.size() - rng.below(8) : border;
    at = std::min(text.size(), at - std::min(at, rng.below(term.size() + 2)));
    text.replace(at, std::min(term.size(), text.size() - at), term);
  }
  if (rng.chance(4)) text.insert(rng.below(text.size()), "\r");
  if (rng.chance(8)) text.insert(text.size() - rng.below(text.size() / 4), 1, '\x1a');
  return text;
}

// `term` as it is written in an expression, with its special characters escaped.
std::string escaped(Random& rng, const std::string& term) {
  std::string out;
  for (char c : term) {
    if (c == '&' || c == '|' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '"' && rng.chance(2)) {
      out += "\\Q";
    } else if (c != 'Q' && rng.chance(20)) {
      out += '\\';
      out += c;
    } else {
      out += c;
    }
  }
  return out;
}

std::string joined(Random& rng, const std::vector<std::string>& group) {
  std::string out;
  for (std::size_t i = 0; i < group.size(); ++i) {
    if (i > 0) out += '|';
    out += escaped(rng, group[i]);
  }
  return out;
}

// With `emptyFirst`, the first term is empty and there is at least one group.
std::string makeExpressionText(Random& rng, const Pools& pools, bool emptyFirst) {
  std::string first =
      emptyFirst || rng.chance(4) ? std::string() : variant(rng, rng.pick(pools.terms));
  std::vector<std::vector<std::string>> groups(emptyFirst ? 1 + rng.below(2) : rng.below(4));
  for (auto& group : groups) {
    for (std::size_t n = 1 + rng.below(3); n > 0; --n) group.push_back(rng.pick(pools.terms));
  }
  std::string text;
  std::size_t from = 0;
  if (first.empty() && !groups.empty() && groups[0].size() > 1 && rng.chance(2)) {
    text = joined(rng, groups[0]);  // a leading bar: the first term is empty
    from = 1;
  } else {
    text = escaped(rng, first);
    if (first.empty() && groups.empty() && rng.chance(2)) text = "&";
  }
  for (std::size_t i = from; i < groups.size(); ++i) {
    text += rng.chance(10) ? "&&" : "&";
    text += joined(rng, groups[i]);
  }
  if (!groups.empty() && rng.chance(10)) text += rng.chance(2) ? "&" : "|";
  return text;
}

long long numberValue(const std::string& text) {
  return std::strtoll(text.c_str(), nullptr, 10);
}

// Applies one option to `s`, the way the option loop does.
void applyOption(const std::string& option, reference::Settings& s) {
  bool on = option.size() < 3 || option[2] != '-';
  std::string value = option.substr(2);
  switch (option[1]) {
    case 'i':
      s.ignoreCase = on;
      break;
    case 'w':
      s.wholeWords = on;
      break;
    case 'n':
      s.lineNumbers = on;
      break;
    case 'c':
      s.cute = on;
      break;
    case 't':
      s.truncate = on;
      break;
    case 'a':
      s.showAll = on;
      s.lineNumbers = true;
      s.truncate = false;
      break;
    case 'r':
      s.rightMargin = numberValue(value);
      break;
    case '#':
      s.charWindow = numberValue(value);
      s.lineWindow = 0;
      break;
    case '+':
      s.lineWindow = numberValue(value);
      s.charWindow = 0;
      break;
    case 'b': {
      if (!on) {
        s.binaryThreshold = 0;
        s.binaryTestChars = 0;
        break;
      }
      long long percent = numberValue(value);
      std::size_t colon = value.find(':');
      if (colon != std::string::npos && colon + 1 < value.size()) {
        s.binaryTestChars = numberValue(value.substr(colon + 1));
      }
      s.binaryThreshold = s.binaryTestChars * percent / 100;
      break;
    }
    default:
      break;
  }
}

// With `centred`, case is kept and a small character window is in force: an empty first term
// is then tried at its middle and again at its own place in each line.
std::vector<std::string> makeOptions(Random& rng, bool centred) {
  std::vector<std::string> options;
  auto flag = [&](const char* letter) {
    const char* forms[] = {"", "-", "+", "-"};
    options.push_back(std::string("-") + letter + forms[rng.below(4)]);
  };
  if (rng.chance(2)) flag("i");
  if (rng.chance(2)) flag("w");
  if (rng.chance(3)) flag("n");
  if (rng.chance(3)) flag("c");
  if (rng.chance(3)) flag("a");
  if (rng.chance(3)) flag("t");
  if (rng.chance(2)) {
    const std::vector<long long> margins = {-5, -1, 0, 1, 2, 3, 4, 5, 8, 20, 78};
    long long margin = rng.chance(3) ? rng.between(0, 100) : rng.pick(margins);
    options.push_back("-r" + std::to_string(margin));
  }
  for (std::size_t n = rng.chance(4) ? 0 : 1 + rng.below(2); n > 0; --n) {
    const std::vector<long long> reaches = {-2, -1, 0, 1, 2, 3, 998, 999, 1000, 2000};
    long long reach = rng.chance(2) ? rng.between(0, 12) : rng.pick(reaches);
    options.push_back((rng.chance(2) ? "-#" : "-+") + std::to_string(reach));
  }
  if (rng.chance(4)) {
    const std::vector<std::string> binary = {"-b-",     "-b10",    "-b50:20",  "-b:5",
                                             "-b1:300", "-b100:1", "-b5:-100", "-b30:40"};
    options.push_back(rng.pick(binary));
  }
  std::shuffle(options.begin(), options.end(), rng.engine);
  if (centred) {
    options.push_back("-i-");
    options.push_back("-#" + std::to_string(rng.between(1, 6)));
  }
  return options;
}

std::string shown(const std::string& bytes, std::size_t from, std::size_t count) {
  std::ostringstream out;
  for (std::size_t i = from; i < bytes.size() && i < from + count; ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c >= 32 && c < 127 && c != '\\') {
      out << static_cast<char>(c);
    } else {
      static const char digits[] = "0123456789abcdef";
      out << "\\x" << digits[c >> 4] << digits[c & 15];
    }
  }
  return out.str();
}

// Names that differ even with their letters folded, as a sorted listing shows them.
std::vector<std::string> makeNames(Random& rng) {
  const std::vector<std::string> stems = {"a",   "B",     "c_",    "_u",  "1n", "Zed",
                                          "m-x", "q.txt", "r.TXT", "k.c", "aa", "Ab"};
  std::vector<std::string> names;
  std::set<std::string> folded;
  for (std::size_t n = 1 + rng.below(8); n > 0; --n) {
    std::string name = rng.pick(stems) + (rng.chance(2) ? std::to_string(rng.below(20)) : "");
    std::string key = name;
    for (char& c : key) {
      if (c >= 'a' && c <= 'z') c -= 32;
    }
    if (folded.insert(key).second) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& x, const std::string& y) {
    std::string fx = x, fy = y;
    for (char& c : fx) c = (c >= 'a' && c <= 'z') ? c - 32 : c;
    for (char& c : fy) c = (c >= 'a' && c <= 'z') ? c - 32 : c;
    return fx < fy;
  });
  return names;
}

TEST(Differential, SkernMatchesTheReferenceSearch) {
  const std::uint64_t seed = envNumber("SKERN_DIFF_SEED", 20261206);
  const std::uint64_t rounds = envNumber("SKERN_DIFF_ROUNDS", 300);
  int failures = 0;
  for (std::uint64_t round = 0; round < rounds && failures < 3; ++round) {
    Random rng{std::mt19937_64(seed * 1000003u + round)};
    Pools pools = makePools(rng);
    bool centred = rng.chance(10);
    std::string expressionText = makeExpressionText(rng, pools, centred);
    reference::Expression expression;
    bool operatorSeen = false;
    ASSERT_TRUE(reference::parseExpression(expressionText, expression, operatorSeen))
        << "generated a malformed expression: " << shown(expressionText, 0, 200);
    std::vector<std::string> arguments = makeOptions(rng, centred);
    reference::Settings settings;
    for (const std::string& option : arguments) applyOption(option, settings);
    if (settings.wholeWords && settings.charWindow != 0) ++settings.charWindow;
    bool asOption = expressionText.empty() || expressionText[0] == '-' || rng.chance(4);
    std::string expressionArgument = asOption ? "-:" + expressionText : expressionText;
    arguments.insert(
        arguments.begin() + static_cast<std::ptrdiff_t>(rng.below(arguments.size() + 1)),
        expressionArgument);
    arguments.push_back("*");

    TempTree tree;
    std::string root = std::filesystem::canonical(tree.root()).string();
    std::vector<std::string> names = makeNames(rng);
    std::vector<std::string> contents;
    std::string expected;
    std::vector<std::size_t> ends;  // where each file's part of the expected output ends
    // (Wide line windows are left to small files: the reference copies every window line by line.)
    bool big = !expression.firstTerm.empty() && settings.lineWindow <= 100 && rng.chance(30);
    for (const std::string& name : names) {
      bool bigOne = big && contents.empty();
      contents.push_back(bigOne ? makeBigFile(rng, pools, expression.firstTerm)
                                : makeFile(rng, pools));
      tree.write(name, contents.back());
      expected += reference::searchFile(contents.back(), root + "/" + name, expression, settings);
      ends.push_back(expected.size());
    }
    // Each round also runs with files read a few bytes at a time.
    RunResult run = runSkern(arguments, root);
    int expectedStatus = expected.empty() ? 1 : 0;
    bool tiny = false;
    if (run.out == expected && run.status == expectedStatus && run.err.empty()) {
      setenv("SKERN_UNDER_TEST", SKERN_TINY_BLOCKS, 1);
      setenv("SKERN_BLOCK_BYTES", std::to_string(rng.between(1, 13)).c_str(), 1);
      setenv("SKERN_AHEAD_BYTES", std::to_string(rng.between(1, 9)).c_str(), 1);
      run = runSkern(arguments, root);
      unsetenv("SKERN_UNDER_TEST");
      tiny = true;
      if (run.out == expected && run.status == expectedStatus && run.err.empty()) continue;
    }

    ++failures;
    std::size_t at = 0;
    while (at < run.out.size() && at < expected.size() && run.out[at] == expected[at]) ++at;
    std::size_t file = 0;
    while (file + 1 < ends.size() && ends[file] <= at) ++file;
    std::ostringstream report;
    report << "SKERN_DIFF_SEED=" << seed << " round " << round;
    if (tiny) {
      report << " (SKERN_BLOCK_BYTES=" << std::getenv("SKERN_BLOCK_BYTES")
             << " SKERN_AHEAD_BYTES=" << std::getenv("SKERN_AHEAD_BYTES") << ")";
    }
    report << "\narguments:";
    for (const std::string& argument : arguments) report << " [" << shown(argument, 0, 200) << "]";
    report << "\nexpression: first term [" << shown(expression.firstTerm, 0, 200) << "]";
    for (const std::vector<std::string>& group : expression.groups) {
      report << " &";
      for (const std::string& alternative : group)
        report << " [" << shown(alternative, 0, 200) << "]";
    }
    report << "\nstatus " << run.status << " (expected " << expectedStatus << "), stderr ["
           << shown(run.err, 0, 200) << "]\nfirst difference at byte " << at << " of "
           << run.out.size() << " (expected " << expected.size() << ")\n  skern:     ["
           << shown(run.out, at > 40 ? at - 40 : 0, 120) << "]\n  reference: ["
           << shown(expected, at > 40 ? at - 40 : 0, 120) << "]\n";
    if (!names.empty()) {
      report << "in the output of file " << names[file] << " (" << contents[file].size()
             << " bytes): [" << shown(contents[file], 0, 3000) << "]\n";
    }
    if (const char* keep = std::getenv("SKERN_DIFF_KEEP")) {
      std::filesystem::path kept = std::filesystem::path(keep) / ("round" + std::to_string(round));
      std::filesystem::create_directories(kept);
      std::filesystem::copy(root, kept, std::filesystem::copy_options::overwrite_existing);
      report << "files kept in " << kept.string() << "\n";
    }
    ADD_FAILURE() << report.str();
  }
}

}  // namespace
