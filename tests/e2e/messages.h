// The texts skern writes that end-to-end tests expect, built as skern builds them.
#pragma once

#include <string>

/// The header before the first hit of the file at `path`.
inline std::string header(const std::string& path) {
  return "\n::::::::: " + path + "\n";
}

/// The message on entering `pattern` at `depth`.
inline std::string recursion(const std::string& pattern, int depth) {
  return "skern:findrecurse(\"" + pattern + "\"):recursion " + std::to_string(depth) + "\n";
}

/// The message for a pattern that matched no file.
inline std::string notFound(const std::string& pattern) {
  return "skern:findify():\"" + pattern + "\" not found.\n";
}

/// A file scan's message: `what` ("opened", "couldn't open", ...) about the file at `path`.
inline std::string scanned(const char* what, const std::string& path) {
  return std::string("skern:skern():") + what + " \"" + path + "\"\n";
}

/// The message at the end of a run that found nothing.
inline constexpr char kNothingFound[] = "skern:main():nothing found\n";
