// The walk over a tree held in memory, where no case can stage it: listings that fail part way.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "files/recursion.h"
#include "platform/wildcard.h"

namespace {

// Lists a tree held in memory, a folder a line: "PATH=ENTRIES" ('/' for the separator),
// entries in listing order, "NAME/" a folder, "?" a listing that fails there.
class TreeLister : public DirectoryLister {
 public:
  explicit TreeLister(const std::vector<std::string>& tree) : tree_(tree) {}
  DirectoryListing list(const std::string& directory, const std::string& namePattern,
                        bool subdirectories) override {
    std::string path = directory;
    std::replace(path.begin(), path.end(), '\\', '/');
    std::istringstream words;
    for (const std::string& folder : tree_) {
      if (folder.starts_with(path + "=")) words.str(folder.substr(path.size() + 1));
    }
    DirectoryListing listing;
    for (std::string word; !listing.incomplete && words >> word;) {
      listing.incomplete = word == "?";
      DirectoryEntry entry;
      entry.directory = word.back() == '/';
      entry.name = entry.directory ? word.substr(0, word.size() - 1) : word;
      if (!listing.incomplete && wildcardMatch(namePattern, entry.name))
        listing.matches.push_back(entry);
      if (subdirectories && entry.directory) listing.subdirectories.push_back(entry);
    }
    return listing;
  }
  bool identity(const std::string&, DirectoryIdentity&) override { return false; }

 private:
  const std::vector<std::string>& tree_;
};

// Writes down what the walk hands over: "files: PATH..." for each listing, messages as they are.
struct Record : WalkSink {
  void addFiles(std::vector<FileToScan> files) override {
    if (files.empty()) return;
    text += "files:";
    for (const FileToScan& file : files) text += " " + file.path;
    text += "\n";
  }
  void addMessage(std::string_view message) override { text += message; }
  std::string text;
};

// A listing that fails is reported after the files it gave, never as not found, and the
// folders it gave are entered. Hidden and system entries: recursion.txt and windows.txt.
TEST(Walk, AListingThatFailsPartWayIsReportedAfterWhatItGave) {
  const std::vector<std::string> tree = {"=a.txt sub/ z/ ? b.txt", "sub/=?", "z/=d.txt"};
  TreeLister lister(tree);
  Record record;
  Walk({.skipExtensions = "", .recurse = true, .verboseAll = true, .verboseErrors = true}, lister,
       record)
      .findrecurse("*.txt");
  std::replace(record.text.begin(), record.text.end(), '\\', '/');
  EXPECT_EQ(
      record.text,
      "skern:findrecurse(\"*.txt\"):recursion 0\nfiles: a.txt\n"
      "skern:findrecurse(\"*.txt\"):couldn't list\nskern:findrecurse(\"sub/*.txt\"):recursion 1\n"
      "skern:findrecurse(\"sub/*.txt\"):couldn't list\n"
      "skern:findrecurse(\"z/*.txt\"):recursion 1\nfiles: z/d.txt\n");
}

}  // namespace
