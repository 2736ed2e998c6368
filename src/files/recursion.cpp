#include "files/recursion.h"

#include <vector>

#include "cmdline/settings.h"
#include "files/file_scan.h"
#include "files/path_parts.h"
#include "output/diagnostics.h"
#include "platform/directory_search.h"
#include "platform/file_reader.h"

int recursionDepth = 0;

namespace {

// The directories of the current descent, so that a link back to one of them is not entered
// again (where the host can tell directories apart).
std::vector<DirectoryIdentity> descentPath;

bool onDescentPath(const DirectoryIdentity& identity) {
  for (const DirectoryIdentity& seen : descentPath) {
    if (seen.device == identity.device && seen.inode == identity.inode) return true;
  }
  return false;
}

}  // namespace

void findify(const std::string& pattern) {
  PatternParts parts = splitPattern(pattern);
  std::string prefix = withTrailingSeparator(parts.directory);
  std::vector<std::string> files;
  for (const DirectoryEntry& entry : listDirectory(pattern)) {
    if (!entry.hidden && !entry.system && !entry.directory) files.push_back(prefix + entry.name);
  }
  // The reader may open and read the files to come together; those it passes over unread
  // are the ones skern() will not open.
  std::vector<std::string> toOpen;
  for (const std::string& path : files) {
    if (!extensionSkipped(path, Settings.skipExtensions)) toOpen.push_back(path);
  }
  expectFiles(std::move(toOpen));
  bool found = !files.empty();
  for (const std::string& path : files) skern(path);
  if (!found && Settings.verboseAll) {
    diagnostic("skern:findify():\"%s%s\" not found.\n", parts.directory.c_str(),
               parts.name.c_str());
  }
}

void findrecurse(const std::string& pattern) {
  PatternParts parts = splitPattern(pattern);
  std::string prefix = withTrailingSeparator(parts.directory);
  DirectoryIdentity here;
  bool known = Settings.recurse && directoryIdentity(prefix, here);
  // A link back to a directory of the current descent is not entered again.
  if (known && onDescentPath(here)) return;
  if (Settings.verboseAll) {
    diagnostic("skern:findrecurse(\"%s\"):recursion %d\n", pattern.c_str(), recursionDepth);
  }
  findify(pattern);
  if (!Settings.recurse) return;
  ++recursionDepth;
  if (known) descentPath.push_back(here);
  for (const DirectoryEntry& entry : listDirectory(prefix + "*")) {
    if (!entry.directory || entry.name == "." || entry.name == "..") continue;
    findrecurse(withTrailingSeparator(prefix + entry.name) + parts.name);
  }
  if (known) descentPath.pop_back();
  --recursionDepth;
}

void resetRecursion() {
  recursionDepth = 0;
  descentPath.clear();
}
