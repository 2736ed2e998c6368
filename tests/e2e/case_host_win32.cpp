// The case runner on Windows: skern.exe started with CreateProcess and the case's command line
// exactly as typed, so the text reaches GetCommandLineA as written.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "e2e/case_host.h"

const char kSeparator = '\\';

namespace {

// The full, long form of an existing path, as a process started in it reports it.
std::string fullLongPath(const std::string& path) {
  char full[MAX_PATH], longer[MAX_PATH];
  DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return path;
  length = GetLongPathNameA(full, longer, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? full : longer;
}

}  // namespace

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

// A folder held open, shared with no one, cannot be listed: the search meets a sharing violation.
bool stageSpecial(const std::string& kind, const std::string& path) {
  if (kind == "unlisted") {
    HANDLE folder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder != INVALID_HANDLE_VALUE) undoStaging.push_back([folder] { CloseHandle(folder); });
    return folder != INVALID_HANDLE_VALUE;
  }
  DWORD attribute = kind == "hidden" ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_SYSTEM;
  DWORD before = GetFileAttributesA(path.c_str());
  return (kind == "hidden" || kind == "system") && before != INVALID_FILE_ATTRIBUTES &&
         SetFileAttributesA(path.c_str(), before | attribute);
}

int runLine(const std::string& program, const std::string& root, const std::string& line,
            const std::string& out, const RunLimits&) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  auto open = [&](const std::string& path, DWORD access, DWORD creation) {
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, creation,
                       0, nullptr);
  };
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = open("NUL", GENERIC_READ, OPEN_EXISTING);
  startup.hStdOutput = open(out, GENERIC_WRITE, CREATE_ALWAYS);
  startup.hStdError = open(root + ".err", GENERIC_WRITE, CREATE_ALWAYS);
  PROCESS_INFORMATION process = {};
  std::string commandLine = "\"" + program + "\" " + expand(line);  // the program's path quoted
  // Wine on a busy machine now and then refuses a start that succeeds when made again.
  BOOL started = FALSE;
  DWORD error = 0;
  for (int attempt = 0; attempt < 3 && !started; ++attempt) {
    started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                             DETACHED_PROCESS, nullptr, root.c_str(), &startup, &process);
    if (!started) error = GetLastError();
  }
  for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
    CloseHandle(handle);
  if (!started)
    throw std::runtime_error("CreateProcessA failed (error " + std::to_string(error) + ") for " +
                             program);
  WaitForSingleObject(process.hProcess, INFINITE);  // until skern ends
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return static_cast<int>(status);
}
