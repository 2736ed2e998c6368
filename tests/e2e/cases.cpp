// The end-to-end case runner: reads the case files named on its command line and runs every
// case meant for this host in a fresh temporary folder. The format is described in the README.
#include <cctype>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/case_host.h"

namespace {

// One entry of a case's tree: its kind, path and content (a link's target).
struct Entry {
  std::string kind, path, bytes;
};

struct Case {
  std::string name, host;
  int line = 0;
  std::vector<Entry> tree;
  std::string command, out, err;  // as written, before expansion
  int status = 0;
  long openFileLimit = 0;
  bool hasCommand = false;
};

std::string root;  // the current case's folder, as skern prints it

// The index of the brace that closes the one at `open`, escapes skipped.
std::size_t closing(const std::string& s, std::size_t open) {
  int depth = 0;
  for (std::size_t i = open; i < s.size(); ++i) {
    if (s[i] == '\\')
      ++i;
    else if (s[i] == '{')
      ++depth;
    else if (s[i] == '}' && --depth == 0)
      return i;
  }
  throw std::runtime_error("unclosed brace in: " + s);
}

// Decodes escapes, repetitions and placeholders; the text is cut at every {*}. On Windows the
// slashes of a path that begins with {root} become backslashes.
std::vector<std::string> pieces(const std::string& s) {
  std::vector<std::string> parts(1);
  bool inRootPath = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    std::string next = s.substr(i + 1, 3);
    if (c == '\\' && next.size() == 3 && next[0] == 'x' && std::isxdigit(next[1]) &&
        std::isxdigit(next[2])) {
      c = static_cast<char>(std::stoi(next.substr(1), nullptr, 16));
      i += 3;
    } else if (c == '\\' && !next.empty() &&
               std::string("nrt0\\{}").find(next[0]) != std::string::npos) {
      std::size_t at = std::string("nrt0").find(next[0]);
      c = at == std::string::npos ? next[0] : "\n\r\t"[at];
      ++i;
    } else if (c == '{') {
      std::size_t end = closing(s, i);
      std::string inner = s.substr(i + 1, end - i - 1);
      i = end;
      if (inner == "root") {
        parts.back() += root;
        inRootPath = true;
      } else if (inner == "/") {
        parts.back() += kSeparator;
      } else if (inner == "*") {
        parts.emplace_back();
      } else {
        std::size_t star = inner.rfind('*');
        std::string unit;
        for (const std::string& part : pieces(inner.substr(0, star))) unit += part;
        for (long n = std::stol(inner.substr(star + 1)); n > 0; --n) parts.back() += unit;
      }
      continue;
    } else if (c == ' ' || c == '"' || c == '\n') {
      inRootPath = false;
    }
    parts.back() += c == '/' && inRootPath ? kSeparator : c;
  }
  return parts;
}

std::string expand(const std::string& s) {
  std::string whole;
  for (const std::string& part : pieces(s)) whole += part;
  return whole;
}

// True when `text` is `parts` with any bytes at the cuts between them.
bool matches(const std::string& text, std::vector<std::string> parts) {
  if (parts.size() == 1) return text == parts[0];
  if (text.size() < parts.front().size() + parts.back().size() ||
      text.compare(0, parts.front().size(), parts.front()) != 0 ||
      text.compare(text.size() - parts.back().size(), std::string::npos, parts.back()) != 0) {
    return false;
  }
  std::size_t at = parts.front().size();
  for (std::size_t i = 1; i + 1 < parts.size(); ++i) {
    at = text.find(parts[i], at);
    if (at == std::string::npos) return false;
    at += parts[i].size();
  }
  return at <= text.size() - parts.back().size();
}

// `text` with control bytes made visible, for failure reports.
std::string visible(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\n')
      out += "\n";
    else if (c == '\\')
      out += "\\\\";
    else if (c < 32 || c >= 127)
      out += "\\x" + std::string(1, "0123456789abcdef"[c / 16]) + "0123456789abcdef"[c % 16];
    else
      out += static_cast<char>(c);
  }
  return out;
}

// The lines where expected and actual differ, after their common first and last lines.
void diff(const char* stream, const std::string& expected, const std::string& actual) {
  auto lines = [](const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(visible(text));
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
  };
  std::vector<std::string> e = lines(expected), a = lines(actual);
  std::size_t head = 0, tail = 0;
  while (head < e.size() && head < a.size() && e[head] == a[head]) ++head;
  while (tail + head < e.size() && tail + head < a.size() &&
         e[e.size() - 1 - tail] == a[a.size() - 1 - tail]) {
    ++tail;
  }
  std::cout << "  " << stream << " differs after line " << head << " (- expected, + actual):\n";
  for (std::size_t i = head; i + tail < e.size(); ++i) std::cout << "  -" << e[i] << "\n";
  for (std::size_t i = head; i + tail < a.size(); ++i) std::cout << "  +" << a[i] << "\n";
}

// Runs one case; false, after a report, when it fails.
bool run(const Case& c, const std::string& file) {
  TempTree tree;
  root = tree.root();
  std::string where = file + ":" + std::to_string(c.line) + ": case \"" + c.name + "\"";
  for (const Entry& e : c.tree) {
    if (!stageEntry(root, e.kind, expand(e.path), expand(e.bytes))) {
      std::cout << where << ": cannot stage " << e.kind << " " << e.path << "\n";
      return false;
    }
  }
  RunResult r = runLine(root, c.command, expand, c.openFileLimit);
  bool ok = r.status == c.status;
  if (!ok) std::cout << where << ": exit status " << r.status << ", expected " << c.status << "\n";
  const std::pair<const char*, std::pair<const std::string*, const std::string*>> streams[] = {
      {"stdout", {&c.out, &r.out}}, {"stderr", {&c.err, &r.err}}};
  for (const auto& [stream, texts] : streams) {
    std::vector<std::string> parts = pieces(*texts.first);
    for (std::string& part : parts) {
      std::string lines;  // on Windows, with the line ends of the C runtime's text mode
      for (char c : part) lines += kSeparator == '\\' && c == '\n' ? "\r\n" : std::string(1, c);
      part = lines;
    }
    if (matches(*texts.second, parts)) continue;
    if (ok) std::cout << where << "\n";
    ok = false;
    std::string expected;
    for (const std::string& part : parts) expected += (expected.empty() ? "" : "{*}") + part;
    diff(stream, expected, *texts.second);
  }
  // skern never changes what it searches.
  for (const Entry& e : c.tree) {
    if (e.kind != "file") continue;
    std::ifstream in(root + "/" + expand(e.path), std::ios::binary);
    if (!in) continue;  // paths beyond the limit are not read back
    std::string now((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (now != expand(e.bytes)) {
      std::cout << where << ": " << e.path << " changed\n";
      ok = false;
    }
  }
  return ok;
}

// Reads the cases of one file. A case's tree holds the entries of the case before it (unless it
// says fresh) and its own; an entry replaces an earlier one of the same path.
std::vector<Case> readCases(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file);
  std::vector<Case> cases;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("== ", 0) == 0) {
      std::vector<Entry> before = cases.empty() ? std::vector<Entry>() : cases.back().tree;
      cases.emplace_back();
      cases.back().tree = before;
      cases.back().name = line.substr(3);
      cases.back().line = number;
      continue;
    }
    if (cases.empty()) throw std::runtime_error(file + ":" + std::to_string(number) + ": no case");
    Case& c = cases.back();
    std::string word = line.substr(0, line.find_first_of(" |"));
    std::string rest = line.size() > word.size() ? line.substr(word.size() + 1) : "";
    if (word == "out" || word == "err") {
      std::string& sink = word == "out" ? c.out : c.err;
      std::size_t slashes = rest.size() - rest.find_last_not_of('\\') - 1;
      if (rest.find_last_not_of('\\') == std::string::npos) slashes = rest.size();
      sink += slashes % 2 == 1 ? rest.substr(0, rest.size() - 1) : rest + "\n";
    } else if (word == "$") {
      if (rest.rfind("skern", 0) != 0) throw std::runtime_error("command without skern: " + line);
      c.command = rest.size() > 6 ? rest.substr(6) : "";
      c.hasCommand = true;
    } else if (word == "exit") {
      c.status = std::stoi(rest);
    } else if (word == "fresh") {
      c.tree.clear();
    } else if (word == "only") {
      c.host = rest;
    } else if (word == "nofile") {
      c.openFileLimit = std::stol(rest);
    } else if (word == "files") {
      std::size_t space = rest.find(' '), equals = rest.find(" = ");
      std::string path = rest.substr(space + 1, equals - space - 1);
      std::size_t hashes = path.find('#'), width = path.find_last_of('#') - hashes + 1;
      for (long i = 0, n = std::stol(rest); i < n; ++i) {
        std::string digits = std::to_string(i);
        digits.insert(0, width > digits.size() ? width - digits.size() : 0, '0');
        c.tree.push_back({"file", path.substr(0, hashes) + digits + path.substr(hashes + width),
                          equals == std::string::npos ? "" : rest.substr(equals + 3)});
      }
    } else {
      std::size_t cut = rest.find(word == "link" ? " -> " : " = ");
      std::string path = rest.substr(0, cut);
      if (word != "hidden" && word != "system") {
        std::erase_if(c.tree, [&](const Entry& e) { return e.path == path; });
      }
      c.tree.push_back(
          {word, path,
           cut == std::string::npos ? "" : rest.substr(cut + (word == "link" ? 4 : 3))});
    }
  }
  for (const Case& c : cases) {
    if (!c.hasCommand) {
      throw std::runtime_error(file + ":" + std::to_string(c.line) + ": case without a command");
    }
  }
  return cases;
}

}  // namespace

int main(int argc, char** argv) {
  int failed = 0, passed = 0;
  for (int i = 1; i < argc; ++i) {
    std::string file = argv[i];
    for (const Case& c : readCases(file)) {
      if (!c.host.empty() && c.host != kHost) continue;
      bool ok = false;
      try {
        ok = run(c, file.substr(file.find_last_of("/\\") + 1));
      } catch (const std::exception& e) {
        std::cout << file << ":" << c.line << ": " << e.what() << "\n";
      }
      ++(ok ? passed : failed);
    }
  }
  std::cout << passed << " cases passed, " << failed << " failed\n";
  return failed == 0 ? 0 : 1;
}
