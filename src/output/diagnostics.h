// The diagnostic stream and the progress indicator.
#pragma once

/// Files opened so far in this run while the progress indicator was on.
extern long long progressCount;

/// Writes one formatted message to `Settings.diagnosticStream`; the caller checks its level.
void diagnostic(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// The step taken after every successful open: the opened message under full verbosity, else
/// a progress count that shows itself on every 256th file.
void openedStep();

/// Sets `progressCount` back to 0 (for tests).
void resetDiagnostics();
