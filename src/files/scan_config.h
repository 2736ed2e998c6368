// The settings that every file scan of a run reads, made from the run's options in one place.
#pragma once

#include <cstdint>
#include <functional>

#include "cmdline/settings.h"
#include "expr/expression.h"
#include "expr/hit_eval.h"
#include "files/window_reach.h"
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
  WindowReach reach;              ///< How far a window reaches from a candidate.
  std::uint64_t pieceBytes = 0;   ///< Bytes of each piece a big file is cut into; 0: none is.
  /// Files of at least this many bytes are looked through where the host maps them.
  std::uint64_t mappedFrom = UINT64_MAX;
  std::function<void()> blockHook;  ///< Called before each block is read (tests); empty: none.
  OutputIdentity output;            ///< The file the hits go to: never searched.
};

/// The settings of a search for `expression` under `settings`; no file is cut into pieces.
ScanConfig scanConfig(const Settings& settings, const Expression& expression);
