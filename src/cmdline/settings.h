// The option values of one run.
#pragma once

#include <cstdio>
#include <string>

/// Every option value of one run; written by the option loop, then read by the run driver,
/// which hands each part of the search what it needs.
struct Settings {
  FILE* diagnosticStream = stderr;  ///< Where diagnostics and the key prompt go.
  bool cute = true;                 ///< Trimmed, wrapped hits; else dump them raw.
  bool ignoreCase = true;           ///< Fold a-z onto A-Z when matching terms.
  bool sanityIndicator = true;      ///< Show the every-256-files progress count.
  int rightMargin = 78;             ///< Column beyond which a cute hit wraps.
  int binaryTestChars = 200;        ///< Leading characters the binary test looks at.
  int binaryThreshold = 0;          ///< Control characters that make a file binary.
  std::string skipExtensions = ".exe.dll.zip.obj.ao.";  ///< Extensions never opened.
  bool truncate = false;                                ///< End a cute hit at the margin.
  bool recurse = false;                                 ///< Search every subdirectory too.
  bool showAll = false;                                 ///< Show the hit's whole window.
  bool lineNumbers = false;                             ///< Prefix hits with their line number.
  bool verboseAll = false;                              ///< Write every diagnostic.
  bool verboseErrors = false;  ///< Write the diagnostics about unusable files.
  bool wholeWords = false;     ///< Accept only occurrences that are words.
  bool waitForKey = false;     ///< Wait for a key press at the end.
  int charWindow = 0;          ///< Characters around a hit for further terms.
  int lineWindow = 0;          ///< Lines around a hit for further terms.

  /// True when every option value is the same.
  bool operator==(const Settings&) const = default;
};
