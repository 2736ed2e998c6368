// The case runner on Windows: skern.exe started with CreateProcess and the case's command line
// exactly as typed, so the text reaches GetCommandLineA as written.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "e2e/case_host.h"

const char* const kHost = "windows";
const char kSeparator = '\\';

namespace {

// A path as Windows spells it: a Unix path (such as the build's own, compiled in) lies on
// Wine's drive Z:, which maps the Unix root; every slash becomes a backslash.
std::string windowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
}

// The full, long form of an existing path, as a process started in it reports it.
std::string fullLongPath(const std::string& path) {
  char full[MAX_PATH], longer[MAX_PATH];
  DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return path;
  length = GetLongPathNameA(full, longer, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? full : longer;
}

// Reads a pipe to its end into a string (both given as a pair); run on a thread of its own for
// one of the two pipes, so that neither can fill up while the other is read.
DWORD WINAPI drain(void* context) {
  auto* job = static_cast<std::pair<HANDLE, std::string*>*>(context);
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(job->first, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    job->second->append(buffer, got);
  }
  CloseHandle(job->first);
  return 0;
}

}  // namespace

std::string skernExecutable() {
  const char* override = std::getenv("SKERN_UNDER_TEST");
  return override != nullptr ? override : SKERN_EXECUTABLE;
}

std::string makeFolder() {
  char base[MAX_PATH];
  DWORD length = GetTempPathA(MAX_PATH, base);
  if (length == 0 || length >= MAX_PATH) throw std::runtime_error("GetTempPathA failed");
  static unsigned serial = 0;
  for (;;) {
    std::string candidate = std::string(base) + "skern-e2e-" +
                            std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    if (CreateDirectoryA(candidate.c_str(), nullptr)) return fullLongPath(candidate);
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("CreateDirectoryA failed");
  }
}

void removeFolder(const std::string& root) {
  std::error_code ignored;
  // Attributes such as hidden and system would stand in the way of removal.
  for (auto it = std::filesystem::recursive_directory_iterator(root, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    SetFileAttributesA(it->path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  std::filesystem::remove_all(root, ignored);
}

bool stageEntry(const std::string& root, const std::string& kind, const std::string& path,
                const std::string& bytes, long long /*offset*/) {
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
                  std::string (*expand)(const std::string&), const RunLimits& /*limits*/) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE outRead, outWrite, errRead, errWrite;
  if (!CreatePipe(&outRead, &outWrite, &inherit, 0) ||
      !CreatePipe(&errRead, &errWrite, &inherit, 0)) {
    throw std::runtime_error("CreatePipe failed");
  }
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                  OPEN_EXISTING, 0, nullptr);
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process = {};
  std::string program = windowsPath(skernExecutable());
  std::string commandLine = "\"" + program + "\" " + expand(line);  // the program's path quoted
  BOOL started =
      CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS,
                     nullptr, fullLongPath(windowsPath(root)).c_str(), &startup, &process);
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  CloseHandle(startup.hStdInput);
  RunResult result;
  std::pair<HANDLE, std::string*> errJob{errRead, &result.err}, outJob{outRead, &result.out};
  HANDLE errThread = CreateThread(nullptr, 0, drain, &errJob, 0, nullptr);
  drain(&outJob);
  WaitForSingleObject(errThread, INFINITE);
  CloseHandle(errThread);
  if (!started) throw std::runtime_error("CreateProcessA failed for " + program);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  result.status = static_cast<int>(status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return result;
}
