// Puts every process-wide record of skern back to its state at program start.
#pragma once

/// Resets settings, command line, expression, targets, lines, flags and counters.
void resetAll();
