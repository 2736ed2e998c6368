// The case runner on Windows: skern.exe started with the case's command line exactly as typed.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "e2e/case_host.h"

const char* const kHost = "windows";
const char kSeparator = '\\';

bool stageEntry(const std::string& root, const std::string& kind, const std::string& path,
                const std::string& bytes) {
  std::filesystem::path full = std::filesystem::path(root) / path;
  std::error_code error;
  if (kind == "file") {
    std::filesystem::create_directories(full.parent_path(), error);
    std::ofstream file(full, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file.good();
  }
  if (kind == "dir") return std::filesystem::create_directories(full, error);
  DWORD attribute = kind == "hidden"   ? FILE_ATTRIBUTE_HIDDEN
                    : kind == "system" ? FILE_ATTRIBUTE_SYSTEM
                                       : 0;
  DWORD before = GetFileAttributesA(full.string().c_str());
  return attribute != 0 && before != INVALID_FILE_ATTRIBUTES &&
         SetFileAttributesA(full.string().c_str(), before | attribute);
}

RunResult runLine(const std::string& root, const std::string& line,
                  std::string (*expand)(const std::string&), long /*openFileLimit*/) {
  return runCommandLine(expand(line), root);
}
