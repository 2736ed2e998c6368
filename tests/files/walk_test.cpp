// The walk over a tree held in memory, as it hands files and messages on, where no case can
// stage the tree: system entries on POSIX, listings that fail part way.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "files/recursion.h"
#include "platform/wildcard.h"

namespace {

// Lists a tree held in memory, a folder a line: "PATH=ENTRIES", PATH as a pattern's directory
// part ends ('/' for the separator), ENTRIES in listing order: "NAME/" a folder, "NAME!" a
// system entry, a leading dot hidden, "?" a listing that fails there. A folder not in the tree
// does not exist; none has an identity.
class TreeLister : public DirectoryLister {
 public:
  explicit TreeLister(const std::vector<std::string>& tree) : tree_(tree) {}
  DirectoryListing list(const std::string& directory, const std::string& namePattern,
                        bool subdirectories) override {
    DirectoryListing listing;
    std::istringstream words(entriesOf(directory));
    for (std::string word; !listing.incomplete && words >> word;) {
      listing.incomplete = word == "?";
      if (listing.incomplete) continue;
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
  bool identity(const std::string&, DirectoryIdentity&) override { return false; }

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

// A recursive walk of "*.txt" at the full level over `tree`, and what it hands over ('/' for
// the separator).
struct WalkCase {
  const char* what;
  std::vector<std::string> tree;
  const char* handed;
};

const WalkCase kCases[] = {
    {"hidden and system files among the matches passed over, hidden folders entered",
     {"=b.txt .h.txt s.txt! a.txt .hid/", ".hid/=e.txt"},
     "skern:findrecurse(\"*.txt\"):recursion 0\nfiles: b.txt a.txt\n"
     "skern:findrecurse(\".hid/*.txt\"):recursion 1\nfiles: .hid/e.txt\n"},
    {"a listing that fails is reported after the files it gave, never as not found, and the "
     "folders it gave are entered",
     {"=a.txt sub/ z/ ? b.txt", "sub/=?", "z/=d.txt"},
     "skern:findrecurse(\"*.txt\"):recursion 0\nfiles: a.txt\n"
     "skern:findrecurse(\"*.txt\"):couldn't list\nskern:findrecurse(\"sub/*.txt\"):recursion 1\n"
     "skern:findrecurse(\"sub/*.txt\"):couldn't list\n"
     "skern:findrecurse(\"z/*.txt\"):recursion 1\nfiles: z/d.txt\n"},
};

TEST(Walk, HandsOverWhatTheTreeHoldsInWalkOrder) {
  for (const WalkCase& row : kCases) {
    SCOPED_TRACE(row.what);
    WalkOptions options;
    options.recurse = true;
    options.verboseAll = true;
    options.verboseErrors = true;
    TreeLister lister(row.tree);
    Record record;
    Walk(options, lister, record).findrecurse("*.txt");
    std::replace(record.text.begin(), record.text.end(), '\\', '/');
    EXPECT_EQ(record.text, row.handed);
  }
}

}  // namespace
