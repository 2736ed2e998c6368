// Where a scan reports what it finds in one unit of a search, a file or a piece of one: it
// knows nothing of threads, turns or streams.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "output/file_tally.h"

/// What a scan reports, in the order it finds it.
class ScanSink {
 public:
  virtual ~ScanSink() = default;
  /// The file the unit shows.
  virtual FileTally& tally() = 0;
  /// Makes the tally one that later units of the same file can share, and returns it.
  virtual std::shared_ptr<FileTally> shareTally() = 0;
  /// A hit: element `element` of the unit, counted from its first, whose line is `line` and
  /// whose window is `window`.
  virtual void hit(std::uint64_t element, std::string_view line, std::string_view window) = 0;
  /// One message for the diagnostic stream, formatted.
  virtual void message(std::string_view text) = 0;
  /// One more file opened, for the progress count.
  virtual void progressStep() = 0;
  /// Ends the unit: it held `elements` elements, and its text ended (or the file was given
  /// up) when `ended`; whatever later units of the file show is then dropped.
  virtual void endUnit(std::uint64_t elements, bool ended) = 0;
  /// The scan of a file is done: what it found may go out.
  virtual void flush() = 0;
};
