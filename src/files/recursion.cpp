#include "files/recursion.h"

#include <vector>

#include "cmdline/settings.h"
#include "files/file_scan.h"
#include "files/path_parts.h"
#include "output/diagnostics.h"
#include "platform/directory_search.h"

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
  bool found = false;
  for (const DirectoryEntry& entry : listDirectory(pattern)) {
    if (entry.hidden || entry.system || entry.directory) continue;
    found = true;
    skern(prefix + entry.name);
  }
  if (!found && Settings.verboseAll) {
    diagnostic("skern:findify():\"%s%s\" not found.\n", parts.directory.c_str(),
               parts.name.c_str());
  }
}

void findrecurse(const std::string& pattern) {
  if (Settings.verboseAll) {
    diagnostic("skern:findrecurse(\"%s\"):recursion %d\n", pattern.c_str(), recursionDepth);
  }
  findify(pattern);
  if (!Settings.recurse) return;
  ++recursionDepth;
  PatternParts parts = splitPattern(pattern);
  std::string prefix = withTrailingSeparator(parts.directory);
  DirectoryIdentity here;
  bool known = directoryIdentity(prefix, here);
  if (known) descentPath.push_back(here);
  for (const DirectoryEntry& entry : listDirectory(prefix + "*")) {
    if (!entry.directory || entry.name == "." || entry.name == "..") continue;
    std::string subdirectory = withTrailingSeparator(prefix + entry.name);
    DirectoryIdentity identity;
    if (known && directoryIdentity(subdirectory, identity) && onDescentPath(identity)) continue;
    findrecurse(subdirectory + parts.name);
  }
  if (known) descentPath.pop_back();
  --recursionDepth;
}

void resetRecursion() {
  recursionDepth = 0;
  descentPath.clear();
}
