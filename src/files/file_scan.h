// Scanning one file: open, binary test, reading, and the walk over its lines.
#pragma once

#include <string>

#include "expr/hit_eval.h"
#include "files/line_list.h"
#include "output/file_output.h"
#include "output/hit_display.h"
#include "platform/output_identity.h"

/// What every file scan of a run reads and none changes.
struct ScanConfig {
  PreparedExpression expression;  ///< The terms, prepared once.
  DisplayOptions display;         ///< How hits look.
  int binaryTestChars = 200;      ///< Leading characters the binary test looks at.
  int binaryThreshold = 0;        ///< Control characters that make a file binary; 0: no test.
  bool verboseErrors = false;     ///< Report files skipped, unopened, binary or too large.
  bool verboseAll = false;        ///< Report every file opened.
  bool sanityIndicator = true;    ///< Count opened files for the progress indicator.
  int charWindow = 0;             ///< Bytes around the first term for further terms.
  int lineWindow = 0;             ///< Elements around a candidate for further terms.
  bool holdHits = false;          ///< Write hits in large blocks, not each as it is found.
  OutputIdentity output;          ///< The file the hits go to: never searched.
};

/// A file as the walk hands it over.
struct FileToScan {
  std::string path;               ///< As the directory part and the listed name make it.
  bool extensionSkipped = false;  ///< Its extension is on the skip list: it is not opened.
};

/// The scan of one file at a time; each thread that scans owns one.
class FileScan {
 public:
  /// A scan under `config`, which must outlive it.
  explicit FileScan(const ScanConfig& config);

  /// Scans `file` (relative to the current directory unless absolute), writing its messages
  /// and hits to `out`; true when it showed a hit.
  bool scan(const FileToScan& file, FileOutput& out);

  /// The text as the scan holds it (for tests: the read size).
  LineList& lines() { return lines_; }

 private:
  const std::string& fullPath();
  void report(const char* format);
  void scanFile(OpenFile& file, bool binaryTest);
  bool looksBinary();
  void scanLines();
  void scanForFirstTerm();
  bool lookThrough(TextOffset& from);
  bool tryCandidate(std::size_t index, long long centre);
  void showHit(std::size_t index, std::string_view window);
  void writeHits();

  const ScanConfig& config_;
  LineList lines_;
  std::string path_;      // as given
  std::string fullPath_;  // formed when first needed: most files are never reported or shown
  bool pathFormed_ = false;
  bool headerShown_ = false;
  FileOutput* out_ = nullptr;
  std::string joined_;   // a window that is not one stretch of the text
  std::string hitText_;  // hits formatted and not yet written
};
