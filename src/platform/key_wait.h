// Waiting for one key press on the console.
#pragma once

/// Reads one key from the console itself (not standard input), without echo and without Enter,
/// and discards it. Returns at once when there is no console to read from.
void waitForKeyPress();
