// The walk over a tree held in memory, as it hands files and messages on: its order, the
// entries it passes over, links back up the descent, listings that fail or find no room.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "files/recursion.h"
#include "platform/host.h"
#include "platform/wildcard.h"

namespace {

// Lists a tree held in memory, a folder a line: "PATH=ENTRIES", PATH as a pattern's directory
// part ends ('/' for the separator), ENTRIES in listing order: "NAME/" a folder, "NAME!" a
// system entry, a leading dot hidden, "#N" the folder's identity, "?" a listing that fails
// there, "~" one that finds no room. A folder not in the tree does not exist.
class TreeLister : public DirectoryLister {
 public:
  explicit TreeLister(const std::vector<std::string>& tree) : tree_(tree) {}
  DirectoryListing list(const std::string& directory, const std::string& namePattern,
                        bool subdirectories) override {
    DirectoryListing listing;
    std::istringstream words(entriesOf(directory));
    for (std::string word; !listing.incomplete && words >> word;) {
      if (word == "~") throw std::bad_alloc();
      listing.incomplete = word == "?";
      if (listing.incomplete || word[0] == '#') continue;
      DirectoryEntry entry;
      entry.hidden = word.front() == '.';
      entry.system = word.back() == '!';
      entry.directory = word.back() == '/';
      if (entry.system || entry.directory) word.pop_back();
      entry.name = word;
      if (wildcardMatch(namePattern, entry.name)) listing.matches.push_back(entry);
      if (subdirectories && entry.directory) listing.subdirectories.push_back(entry);
    }
    return listing;
  }
  bool identity(const std::string& path, DirectoryIdentity& identity) override {
    std::string entries = entriesOf(path);
    std::size_t mark = entries.find('#');
    if (mark == std::string::npos) return false;
    identity.inode = std::stoull(entries.substr(mark + 1));
    return true;
  }

 private:
  std::string entriesOf(std::string path) const {
    std::replace(path.begin(), path.end(), '\\', '/');
    for (const std::string& folder : tree_) {
      if (folder.starts_with(path + "=")) return folder.substr(path.size() + 1);
    }
    return "";
  }
  const std::vector<std::string>& tree_;
};

// Writes down what the walk hands over: "files: PATH..." for the files of each listing, and
// each message as it is.
class Record : public WalkSink {
 public:
  void addFiles(std::vector<FileToScan> files) override {
    if (files.empty()) return;
    text += "files:";
    for (const FileToScan& file : files) text += " " + file.path;
    text += "\n";
  }
  void addMessage(std::string_view message) override { text += message; }

  std::string text;
};

// A recursive walk of `pattern`, at the full level or at the error level, over `tree`, and what
// it hands over ('/' for the separator).
struct WalkCase {
  const char* what;
  std::string pattern;
  bool everything;
  std::vector<std::string> tree;
  const char* handed;
};

const WalkCase kCases[] = {
    {"files before folders, both in listing order, depth first; hidden and system files and "
     "folders among the matches passed over, hidden folders entered",
     "*.txt",
     true,
     {"=b.txt .h.txt s.txt! a.txt x.txt/ sub/ .hid/", "x.txt/=in.txt", "sub/=c.txt deeper/",
      "sub/deeper/=d.txt", ".hid/=e.txt"},
     "skern:findrecurse(\"*.txt\"):recursion 0\nfiles: b.txt a.txt\n"
     "skern:findrecurse(\"x.txt/*.txt\"):recursion 1\nfiles: x.txt/in.txt\n"
     "skern:findrecurse(\"sub/*.txt\"):recursion 1\nfiles: sub/c.txt\n"
     "skern:findrecurse(\"sub/deeper/*.txt\"):recursion 2\nfiles: sub/deeper/d.txt\n"
     "skern:findrecurse(\".hid/*.txt\"):recursion 1\nfiles: .hid/e.txt\n"},
    {"a target's directory part kept below; nothing matched is not found",
     "sub/*.c",
     true,
     {"sub/=c.txt deeper/", "sub/deeper/=d.txt"},
     "skern:findrecurse(\"sub/*.c\"):recursion 0\nskern:findify():\"sub/*.c\" not found.\n"
     "skern:findrecurse(\"sub/deeper/*.c\"):recursion 1\n"
     "skern:findify():\"sub/deeper/*.c\" not found.\n"},
    {"a folder on the way down is not entered again, the same folder beside it is",
     "*.txt",
     true,
     {"=#1 d/ lnk/", "d/=#2 f.txt self/ up/", "d/self/=#2", "d/up/=#1", "lnk/=#2 f.txt self/",
      "lnk/self/=#2"},
     "skern:findrecurse(\"*.txt\"):recursion 0\nskern:findify():\"*.txt\" not found.\n"
     "skern:findrecurse(\"d/*.txt\"):recursion 1\nfiles: d/f.txt\n"
     "skern:findrecurse(\"lnk/*.txt\"):recursion 1\nfiles: lnk/f.txt\n"},
    {"a listing that fails is reported after the files it gave, never as not found, and the "
     "folders it gave are entered",
     "*.txt",
     true,
     {"=a.txt sub/ z/ ? b.txt", "sub/=?", "z/=d.txt"},
     "skern:findrecurse(\"*.txt\"):recursion 0\nfiles: a.txt\n"
     "skern:findrecurse(\"*.txt\"):couldn't list\nskern:findrecurse(\"sub/*.txt\"):recursion 1\n"
     "skern:findrecurse(\"sub/*.txt\"):couldn't list\n"
     "skern:findrecurse(\"z/*.txt\"):recursion 1\nfiles: z/d.txt\n"},
    {"a listing that finds no room is reported at the error level, and the walk goes on",
     "*.txt",
     false,
     {"=a.txt big/ z/", "big/=~", "z/=z.txt"},
     "files: a.txt\nskern:findrecurse(\"big/*.txt\"):out of memory\nfiles: z/z.txt\n"},
};

TEST(Walk, HandsOverWhatTheTreeHoldsInWalkOrder) {
  for (const WalkCase& row : kCases) {
    SCOPED_TRACE(row.what);
    WalkOptions options;
    options.recurse = true;
    options.verboseAll = row.everything;
    options.verboseErrors = true;
    TreeLister lister(row.tree);
    Record record;
    std::string pattern = row.pattern;
    std::replace(pattern.begin(), pattern.end(), '/', pathSeparator());
    Walk(options, lister, record).findrecurse(pattern);
    std::replace(record.text.begin(), record.text.end(), '\\', '/');
    EXPECT_EQ(record.text, row.handed);
  }
}

}  // namespace
