// The parts of a test's temporary folder that are the same on every host.
#include <filesystem>
#include <fstream>

#include "e2e/harness.h"

void TempTree::write(const std::string& relative, const std::string& bytes) const {
  std::filesystem::path path = std::filesystem::path(root_) / relative;
  std::filesystem::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void TempTree::mkdir(const std::string& relative) const {
  std::filesystem::create_directories(std::filesystem::path(root_) / relative);
}
