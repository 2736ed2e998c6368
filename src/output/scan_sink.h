// Where a scan reports what it finds in one unit of a search, a file or a piece of one: it
// knows nothing of threads, turns or streams.
#pragma once

#include <cstdint>
#include <string_view>

#include "output/file_tally.h"

/// The verbosity a message belongs to: `kError` for a file that is not searched or is given
/// up, `kAll` for every other.
enum class MessageLevel { kError, kAll };

/// What a scan reports, in the order it finds it.
class ScanSink {
 public:
  virtual ~ScanSink() = default;
  /// The file the unit shows.
  virtual FileTally& tally() = 0;
  /// A hit: element `element` of the unit, counted from its first, whose line is `line` and
  /// whose window is `window`.
  virtual void hit(std::uint64_t element, std::string_view line, std::string_view window) = 0;
  /// One message of `level` for the diagnostic stream, formatted; the verbosity that leaves
  /// it out has left it out before.
  virtual void message(MessageLevel level, std::string_view text) = 0;
  /// One more file opened, for the progress count.
  virtual void progressStep() = 0;
  /// Ends the unit: it held `elements` elements, and its text ended (or the file was given
  /// up) when `ended`; whatever later units of the file show is then dropped.
  virtual void endUnit(std::uint64_t elements, bool ended) = 0;
  /// The scan of a file is done: what it found may go out.
  virtual void flush() = 0;
};
