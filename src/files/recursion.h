// Expanding file patterns in their directory and, on request, in every subdirectory below.
#pragma once

#include <string>
#include <vector>

#include "files/path_parts.h"
#include "files/walk_sink.h"
#include "platform/directory_search.h"

/// What the walk reads of the settings.
struct WalkOptions {
  std::string skipExtensions;  ///< Extensions of files never opened.
  bool recurse = false;        ///< Search every subdirectory too.
  bool verboseAll = false;     ///< Report every directory entered and every pattern unmatched.
  bool verboseErrors = false;  ///< Report folders that cannot be listed, and what memory lacks for.
};

/// The walk over the targets of a run: lists their directories and hands every file found,
/// and its messages, to a sink in walk order.
class Walk {
 public:
  /// A walk under `options` that lists through `lister` and hands its files to `sink`; all
  /// must outlive it.
  Walk(const WalkOptions& options, DirectoryLister& lister, WalkSink& sink)
      : options_(options), lister_(lister), sink_(sink) {}

  /// Expands `pattern` with `findify`, then, under `recurse`, does the same with its
  /// file-name part in every subdirectory, depth first.
  void findrecurse(const std::string& pattern);

 private:
  void findify(const PatternParts& parts, const std::string& prefix,
               const DirectoryListing& listing);
  void descend(const std::string& prefix, const std::string& name, const DirectoryListing& listing);
  template <typename Message>
  void reportNoMemory(Message message);
  bool onDescentPath(const DirectoryIdentity& identity) const;

  const WalkOptions& options_;
  DirectoryLister& lister_;
  WalkSink& sink_;
  int recursionDepth_ = 0;  // 0 in a target's own directory
  // The directories of the current descent, so that a link back to one of them is not
  // entered again (where the host can tell directories apart).
  std::vector<DirectoryIdentity> descentPath_;
};
