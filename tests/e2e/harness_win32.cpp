// The end-to-end harness on Windows: skern.exe is started with CreateProcess and an exact
// command line, so the text reaches GetCommandLineA as written.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "e2e/harness.h"

namespace {

// A path as Windows spells it: a Unix path (such as the build's own, compiled in) lies on
// Wine's drive Z:, which maps the Unix root; every slash becomes a backslash.
std::string windowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// The full, long form of an existing path, as the process started in it reports it.
std::string fullLongPath(const std::string& path) {
  char full[MAX_PATH];
  DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return path;
  char longer[MAX_PATH];
  length = GetLongPathNameA(full, longer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return full;
  return longer;
}

// Reads everything from a pipe into a string, both given as a pair; run on a thread of its own
// for one of the two pipes, so that neither can fill up while the other is read.
DWORD WINAPI drain(void* context) {
  auto* job = static_cast<std::pair<HANDLE, std::string*>*>(context);
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(job->first, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    job->second->append(buffer, got);
  }
  return 0;
}

// Runs skern.exe with `commandLine` in `directory`, with a console of its own or none.
RunResult start(const std::string& commandLine, const std::string& directory, bool console) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE outRead, outWrite, errRead, errWrite;
  if (!CreatePipe(&outRead, &outWrite, &inherit, 0) ||
      !CreatePipe(&errRead, &errWrite, &inherit, 0)) {
    throw std::runtime_error("CreatePipe failed");
  }
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process = {};
  std::string line = commandLine;  // CreateProcessA may write to its command-line argument
  std::string program = windowsPath(skernExecutable());
  std::string cwd = fullLongPath(windowsPath(directory));
  BOOL started =
      CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                     console ? 0 : DETACHED_PROCESS, nullptr, cwd.c_str(), &startup, &process);
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  CloseHandle(input);
  RunResult result;
  if (!started) {
    CloseHandle(outRead);
    CloseHandle(errRead);
    throw std::runtime_error("CreateProcessA failed for " + program);
  }
  std::pair<HANDLE, std::string*> errJob{errRead, &result.err};
  HANDLE errThread = CreateThread(nullptr, 0, drain, &errJob, 0, nullptr);
  std::pair<HANDLE, std::string*> outJob{outRead, &result.out};
  drain(&outJob);
  WaitForSingleObject(errThread, INFINITE);
  CloseHandle(errThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  result.status = static_cast<int>(status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(outRead);
  CloseHandle(errRead);
  return result;
}

}  // namespace

std::string skernExecutable() {
  if (const char* override = std::getenv("SKERN_UNDER_TEST")) return override;
  return SKERN_EXECUTABLE;
}

TempTree::TempTree() {
  char base[MAX_PATH];
  DWORD length = GetTempPathA(MAX_PATH, base);
  if (length == 0 || length >= MAX_PATH) throw std::runtime_error("GetTempPathA failed");
  static unsigned serial = 0;
  for (;;) {
    std::string candidate = std::string(base) + "skern-e2e-" +
                            std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      root_ = fullLongPath(candidate);
      break;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("CreateDirectoryA failed");
  }
}

TempTree::~TempTree() {
  std::error_code ignored;
  // Attributes such as read-only and hidden would stand in the way of removal.
  for (auto it = std::filesystem::recursive_directory_iterator(
           root_, std::filesystem::directory_options::none, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    SetFileAttributesA(it->path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  std::filesystem::remove_all(root_, ignored);
}

RunResult runCommandLine(const std::string& tail, const std::string& directory) {
  std::string line = "\"";  // the program's path quoted, then the tail as typed
  line.append(windowsPath(skernExecutable())).append("\" ").append(tail);
  return start(line, directory, false);
}
