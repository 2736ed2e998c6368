#include "output/file_tally.h"

#include "platform/full_path.h"

const std::string& FileTally::fullPath() {
  if (full.empty() && !::fullPath(std::string(path), full)) full = path;
  return full;
}
