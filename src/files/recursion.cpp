#include "files/recursion.h"

#include <new>

#include "files/path_parts.h"
#include "output/diagnostics.h"
#include "platform/host.h"

bool Walk::onDescentPath(const DirectoryIdentity& identity) const {
  for (const DirectoryIdentity& seen : descentPath_) {
    if (seen.device == identity.device && seen.inode == identity.inode) return true;
  }
  return false;
}

// Reports, at the error level, what the walk passes over for want of memory, as `message()`
// formats it; where even the message finds no room, it is left out.
template <typename Message>
void Walk::reportNoMemory(Message message) {
  if (!options_.verboseErrors) return;
  try {
    sink_.addMessage(message());
  } catch (const std::bad_alloc&) {
  }
}

// Hands every plain file of `listing`, the listing of the pattern `parts` in `prefix`, to the
// sink. A file whose path finds no room in memory is reported and passed over, in its place
// among the others. Only a directory listed to its end can tell that nothing matches.
void Walk::findify(const PatternParts& parts, const std::string& prefix,
                   const DirectoryListing& listing) {
  std::vector<FileToScan> files;
  bool found = false;
  for (const DirectoryEntry& entry : listing.matches) {
    if (entry.hidden || entry.system || entry.directory) continue;
    found = true;
    try {
      FileToScan file;
      file.path = prefix + entry.name;
      file.extensionSkipped = extensionSkipped(file.path, options_.skipExtensions);
      files.push_back(std::move(file));
    } catch (const std::bad_alloc&) {
      sink_.addFiles(std::move(files));
      files.clear();
      reportNoMemory([&] {
        return formatMessage("skern:findify():out of memory \"%s%s\"\n", prefix.c_str(),
                             entry.name.c_str());
      });
    }
  }
  sink_.addFiles(std::move(files));
  if (!found && !listing.incomplete && options_.verboseAll) {
    sink_.addMessage(formatMessage("skern:findify():\"%s%s\" not found.\n", parts.directory.c_str(),
                                   parts.name.c_str()));
  }
}

void Walk::findrecurse(const std::string& pattern) {
  // Memory that runs out while the directory is listed, or anywhere in its own files, ends
  // this directory only: it is reported, and the walk goes on with the next entry.
  try {
    PatternParts parts = splitPattern(pattern);
    std::string prefix = withTrailingSeparator(parts.directory);
    DirectoryIdentity here;
    bool known = options_.recurse && lister_.identity(prefix, here);
    // A link back to a directory of the current descent is not entered again.
    if (known && onDescentPath(here)) return;
    if (options_.verboseAll) {
      sink_.addMessage(formatMessage("skern:findrecurse(\"%s\"):recursion %d\n", pattern.c_str(),
                                     recursionDepth_));
    }
    DirectoryListing listing = lister_.list(parts.directory, parts.name, options_.recurse);
    findify(parts, prefix, listing);
    // A directory that cannot be listed to its end is reported after the files it gave.
    if (listing.incomplete && options_.verboseErrors) {
      sink_.addMessage(formatMessage("skern:findrecurse(\"%s\"):couldn't list\n", pattern.c_str()));
    }
    if (!options_.recurse) return;
    if (known) descentPath_.push_back(here);
    ++recursionDepth_;
    descend(prefix, parts.name, listing);
    --recursionDepth_;
    if (known) descentPath_.pop_back();
  } catch (const std::bad_alloc&) {
    reportNoMemory([&] {
      return formatMessage("skern:findrecurse(\"%s\"):out of memory\n", pattern.c_str());
    });
  }
}

// Walks every subdirectory of `listing`, which lies in `prefix`, with the file-name part
// `name`, in order. One whose pattern finds no room in memory is reported and passed over.
void Walk::descend(const std::string& prefix, const std::string& name,
                   const DirectoryListing& listing) {
  for (const DirectoryEntry& entry : listing.subdirectories) {
    std::string below;
    try {
      below = withTrailingSeparator(prefix + entry.name) + name;
    } catch (const std::bad_alloc&) {
      reportNoMemory([&] {
        return formatMessage("skern:findrecurse(\"%s%s%c%s\"):out of memory\n", prefix.c_str(),
                             entry.name.c_str(), pathSeparator(), name.c_str());
      });
      continue;
    }
    findrecurse(below);
  }
}
