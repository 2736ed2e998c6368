// The end-to-end case runner: each case of the files named, for this host, in a fresh folder.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "e2e/case_host.h"

namespace fs = std::filesystem;

std::vector<std::function<void()>> undoStaging;

namespace {

struct Entry {  // one entry of a case's tree, as written
  std::string kind, path, bytes;
  long long offset = 0;
};

struct Case {
  std::string name, command, out, err;  // as written, before expansion
  int line = 0;                         // of the command; 0 until the case has one
  int status = 0;
  std::vector<Entry> tree;
  RunLimits limits;
  std::string outputInTree;  // the tree's file that standard output goes to, if any
};

std::string root;  // the current case's folder, as skern prints it

std::string join(const std::vector<std::string>& parts, const std::string& cut = "") {
  std::string whole = parts[0];
  for (std::size_t i = 1; i < parts.size(); ++i) whole += cut + parts[i];
  return whole;
}

// Decodes `s`, cut at every {*}; on Windows the slashes after {root} become backslashes and an
// expected `output` has CR LF line ends.
std::vector<std::string> pieces(const std::string& s, bool output = false) {
  std::vector<std::string> parts(1);
  bool inRootPath = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    std::size_t escape = c == '\\' ? std::string("nrt0\\{}x").find(s[i + 1]) : std::string::npos;
    if (escape == 7 && std::isxdigit(s[i + 2]) && std::isxdigit(s[i + 3])) {
      c = static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else if (escape < 7) {
      c = "\n\r\t\0\\{}"[escape];
      ++i;
    } else if (c == '{') {
      std::size_t end = i;  // the closing brace, escapes and nested braces passed over
      for (int depth = 0; end < s.size() && (s[end] != '}' || --depth > 0); ++end) {
        depth += s[end] == '{';
        end += s[end] == '\\';
      }
      std::string inner = s.substr(i + 1, end - i - 1);
      std::size_t star = inner.rfind('*');
      i = end;
      if (inner == "root") {
        parts.back() += root;
        inRootPath = true;
      } else if (inner == "*") {
        parts.emplace_back();
      } else {
        const std::string unit = join(pieces(inner.substr(0, star), output));
        for (long n = std::stol(inner.substr(star + 1)); n > 0; --n) parts.back() += unit;
      }
      continue;
    } else if (c == ' ' || c == '"' || c == '\n') {
      inRootPath = false;
    }
    if (c == '\n' && output && kSeparator == '\\') parts.back() += '\r';
    parts.back() += c == '/' && inRootPath ? kSeparator : c;
  }
  return parts;
}

// True when `text` is `parts` with any bytes at the cuts between them.
bool matches(const std::string& text, const std::vector<std::string>& parts) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    std::size_t found = i == 0                  ? 0
                        : i + 1 == parts.size() ? text.size() - std::min(text.size(), part.size())
                                                : text.find(part, at);
    if (found == std::string::npos || found < at || text.compare(found, part.size(), part) != 0)
      return false;
    at = found + part.size();
  }
  return at == text.size();
}

// Prints `expected` and `actual` from their first differing line on, control bytes made visible.
void diff(const char* stream, const std::string& expected, const std::string& actual) {
  std::size_t same =
      std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first -
      expected.begin();
  same = same == 0 ? 0 : expected.rfind('\n', same - 1) + 1;
  std::cout << "  std" << stream << " from byte " << same << " (- expected, + actual):\n";
  for (auto [sign, text] : {std::pair('-', &expected), std::pair('+', &actual)}) {
    std::cout << "  " << sign;
    for (unsigned char c : text->substr(same, 4000)) {
      char shown[8] = {static_cast<char>(c)};
      if (c < 32 || c >= 127 || c == '\\') std::snprintf(shown, sizeof shown, "\\x%02x", c);
      std::cout << (c == '\n' ? std::string("\n  ") + sign : std::string(shown));
    }
    std::cout << "\n";
  }
}

// Creates `e` in `root`, entering one directory at a time to reach paths beyond the system's limit.
bool stage(const Entry& e) {
  std::string path = expand(e.path), bytes = expand(e.bytes);
  std::error_code error;
  fs::current_path(root, error);
  for (std::size_t slash; !error && (slash = path.find('/')) != std::string::npos;
       path.erase(0, slash + 1)) {
    fs::create_directory(path.substr(0, slash), error);
    fs::current_path(path.substr(0, slash), error);
  }
  if (e.kind == "file" || e.kind == "locked" || e.kind == "patch") {
    std::fstream file(path, std::ios::binary | std::ios::out |
                                (e.kind == "patch" ? std::ios::in : std::ios::trunc));
    file.seekp(e.offset).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (e.kind == "locked") fs::permissions(path, fs::perms::none, error);
    return !error && file.good();
  }
  if (e.kind == "dir") return !error && fs::create_directory(path, error);
  if (e.kind == "unlisted") fs::create_directory(path, error);  // its entries may come before it
  if (e.kind == "link") fs::create_symlink(bytes, path, error);
  if (e.kind == "sparse") {  // a hole of the size given, where the file system allows
    std::ofstream{path};
    fs::resize_file(path, std::stoull(bytes), error);
  }
  return !error && (e.kind == "link" || e.kind == "sparse" || stageSpecial(e.kind, path));
}

// Runs one case of `program` in `root`; false, after a report, when it fails.
bool run(const std::string& program, const Case& c, const std::string& where) {
  for (const Entry& e : c.tree)
    if (!stage(e)) throw std::runtime_error("cannot stage " + e.kind + " " + e.path);
  const std::string out = c.outputInTree.empty() ? root + ".out" : root + "/" + c.outputInTree;
  int status = runLine(program, root, c.command, out, c.limits);
  bool ok = status == c.status;
  if (!ok) std::cout << where << ": exit status " << status << ", expected " << c.status << "\n";
  for (auto [stream, expected] : {std::pair("out", &c.out), std::pair("err", &c.err)}) {
    std::ifstream in(stream[0] == 'o' ? out : root + ".err", std::ios::binary);
    std::string actual(std::istreambuf_iterator<char>(in), {});
    std::vector<std::string> parts = pieces(*expected, true);
    if (matches(actual, parts)) continue;
    if (ok) std::cout << where << "\n";
    ok = false;
    diff(stream, join(parts, "{*}"), actual);
  }
  return ok;
}

// Reads the cases of `file`, each with the tree that its command finds.
std::vector<Case> readCases(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file);
  std::vector<Case> cases(1);
  std::vector<Entry> tree;  // as the next command finds it
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    std::string word = line.substr(0, line.find_first_of(" |"));
    std::string rest = line.size() > word.size() ? line.substr(word.size() + 1) : "";
    bool expectation = word == "out" || word == "err" || word == ":::" || word == "exit";
    if (!expectation && cases.back().line > 0) cases.emplace_back();
    Case& c = cases.back();
    if (expectation && c.line == 0)
      throw std::runtime_error(file + ":" + std::to_string(number) + ": no command before");
    if (word == "out" || word == "err" || word == ":::") {
      std::size_t bar = word == ":::" ? rest.find(" |") : std::string::npos;  // ::: PATH [|HIT]
      if (bar != std::string::npos) rest.replace(bar, 2, "\\n");
      if (word == ":::") rest = "\\n::::::::: {root}/" + rest;
      std::size_t text = rest.find_last_not_of('\\') + 1;  // an odd count of final backslashes
      (word == "err" ? c.err : c.out) +=
          (rest.size() - text) % 2 == 1 ? rest.substr(0, rest.size() - 1) : rest + "\n";
    } else if (word == "exit") {
      c.status = std::stoi(rest);
    } else if (word == "$") {  // $ skern ARGUMENTS  # NAME
      std::size_t name = rest.find("  # ");
      c.name = name == std::string::npos ? rest : rest.substr(name + 4);
      c.command = rest.substr(0, name);
      c.command.erase(0, std::min(c.command.size(), std::string("skern ").size()));
      c.line = number;
      c.tree = tree;
    } else if (word == "fresh") {
      tree.clear();
    } else if (word == "limit") {  // limit files N | limit memory N
      (rest.rfind("files", 0) == 0 ? c.limits.openFiles : c.limits.memoryMiB) =
          std::stol(rest.substr(rest.find(' ')));
    } else if (word == "terminal") {  // terminal [NAME=VALUE]
      c.limits.terminal = rest.empty() ? "TERM=xterm" : rest;
    } else if (word == "env") {  // env NAME=VALUE
      c.limits.environment = rest;
    } else if (word == "output") {  // output full | output into PATH
      c.limits.fullOutput = rest == "full";
      if (rest.rfind("into ", 0) == 0) c.outputInTree = rest.substr(5);
    } else {  // KIND [COUNT or OFFSET] PATH [= BYTES | -> TARGET]
      long long count = word == "patch" || word == "files" ? std::stoll(rest) : 0;
      if (word == "patch" || word == "files") rest = rest.substr(rest.find(' ') + 1);
      std::string cut = word == "link" ? " -> " : " = ";
      std::size_t at = rest.find(cut);
      Entry e{word, rest.substr(0, at), at == std::string::npos ? "" : rest.substr(at + cut.size()),
              word == "patch" ? count : 0};
      if (word != "hidden" && word != "system" && word != "patch")
        std::erase_if(tree, [&](const Entry& old) { return old.path == e.path; });
      for (long long i = 0; word == "files" && i < count; ++i) {  // PATH's # becomes i
        std::string path = e.path;
        tree.push_back({"file", path.replace(path.find('#'), 1, std::to_string(i)), e.bytes});
      }
      if (word != "files") tree.push_back(e);
    }
  }
  if (cases.back().line == 0) cases.pop_back();  // setup without a command, if any, is dropped
  return cases;
}

}  // namespace

std::string expand(const std::string& text) {
  return join(pieces(text));
}

// skern_cases SKERN FILE...: runs the cases of the files with the skern given.
int main(int argc, char** argv) {
  const fs::path home = fs::current_path();
  const std::string program = argc > 1 ? fs::absolute(argv[1]).string() : "";
  const std::string otherHost = kSeparator == '/' ? "Windows: " : "POSIX: ";
  int failed = 0, passed = 0;
  for (int i = 2; i < argc; ++i) {
    std::string file = argv[i];
    for (const Case& c : readCases(file)) {
      // (The sanitizers' shadow memory needs more than any limit a case sets.)
      if (c.name.rfind(otherHost, 0) == 0 || (c.limits.memoryMiB > 0 && SKERN_SANITIZED)) continue;
      std::string where =
          file.substr(file.find_last_of("/\\") + 1) + ":" + std::to_string(c.line) + ": " + c.name;
      bool ok = false;
      root = makeFolder();
      try {
        ok = run(program, c, where);
      } catch (const std::exception& e) {
        std::cout << where << ": " << e.what() << "\n";
      }
      std::error_code ignored;  // the run's folder and output go, whatever remains in them
      fs::current_path(home, ignored);
      for (const auto& undo : undoStaging) undo();
      undoStaging.clear();
      for (const char* suffix : {"", ".out", ".err"}) fs::remove_all(root + suffix, ignored);
      ++(ok ? passed : failed);
    }
  }
  std::cout << passed << " cases passed, " << failed << " failed\n";
  return failed == 0 ? 0 : 1;
}
