// The command line as the host hands it over.
#pragma once

/// The process's raw command line as one text, or nullptr where the host has already split it
/// into the argument vector (POSIX shells do).
const char* rawCommandLine();
