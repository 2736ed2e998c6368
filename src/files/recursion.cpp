#include "files/recursion.h"

#include "files/path_parts.h"
#include "output/diagnostics.h"

bool Walk::onDescentPath(const DirectoryIdentity& identity) const {
  for (const DirectoryIdentity& seen : descentPath_) {
    if (seen.device == identity.device && seen.inode == identity.inode) return true;
  }
  return false;
}

// Hands every plain file of `matches`, the entries that match `pattern`, to the queue.
void Walk::findify(const std::string& pattern, const std::vector<DirectoryEntry>& matches) {
  PatternParts parts = splitPattern(pattern);
  std::string prefix = withTrailingSeparator(parts.directory);
  std::vector<FileToScan> files;
  for (const DirectoryEntry& entry : matches) {
    if (entry.hidden || entry.system || entry.directory) continue;
    FileToScan& file = files.emplace_back();
    file.path = prefix + entry.name;
    file.extensionSkipped = extensionSkipped(file.path, options_.skipExtensions);
  }
  bool found = !files.empty();
  queue_.addFiles(std::move(files));
  if (!found && options_.verboseAll) {
    queue_.addMessage(formatMessage("skern:findify():\"%s%s\" not found.\n",
                                    parts.directory.c_str(), parts.name.c_str()));
  }
}

void Walk::findrecurse(const std::string& pattern) {
  PatternParts parts = splitPattern(pattern);
  std::string prefix = withTrailingSeparator(parts.directory);
  DirectoryIdentity here;
  bool known = options_.recurse && directoryIdentity(prefix, here);
  // A link back to a directory of the current descent is not entered again.
  if (known && onDescentPath(here)) return;
  if (options_.verboseAll) {
    queue_.addMessage(formatMessage("skern:findrecurse(\"%s\"):recursion %d\n", pattern.c_str(),
                                    recursionDepth_));
  }
  DirectoryListing listing = listDirectory(pattern, options_.recurse);
  findify(pattern, listing.matches);
  if (!options_.recurse) return;
  ++recursionDepth_;
  if (known) descentPath_.push_back(here);
  for (const DirectoryEntry& entry : listing.subdirectories) {
    findrecurse(withTrailingSeparator(prefix + entry.name) + parts.name);
  }
  if (known) descentPath_.pop_back();
  --recursionDepth_;
}
