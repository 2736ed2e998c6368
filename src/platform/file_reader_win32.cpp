#define WIN32_LEAN_AND_MEAN
// The system's old OpenFile function would hide skern's OpenFile record; it is declared under
// another name here and never used.
#define OpenFile WindowsOpenFile
#include <windows.h>
#undef OpenFile

#include <cstdint>

#include "platform/file_reader.h"

namespace {

HANDLE handleOf(const OpenFile& file) {
  return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(file.handle));
}

}  // namespace

// Windows opens every file on its own: a reader holds nothing.
struct FileReader::State {};

FileReader::FileReader() = default;

FileReader::~FileReader() = default;

void FileReader::setReadAheadBytes(std::size_t) {}

void FileReader::failBatchOperations(unsigned) {}

bool FileReader::batchesAreJoined() {
  return false;
}

void FileReader::expectFiles(std::vector<std::string>) {}

void FileReader::reset() {}

void FileReader::handOver(const OpenFile&) {}

void FileReader::close(OpenFile& file) {
  closeFile(file);
}

int mostReadingThreads() {
  return 64;  // Windows sets no small limit on open handles
}

bool FileReader::open(const std::string& path, OpenFile& file) {
  file = OpenFile();
  // Others may go on reading, writing, renaming or deleting the file while skern reads it. The
  // bytes are read as they are on disk; the caller applies the text-mode rules.
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  file.handle = static_cast<long long>(reinterpret_cast<std::intptr_t>(handle));
  LARGE_INTEGER size;
  if (GetFileSizeEx(handle, &size)) file.size = size.QuadPart;
  return true;
}

long long readBytesAt(OpenFile& file, char* into, std::size_t most, std::uint64_t offset) {
  // A read at an offset of its own: several threads may read one handle at once.
  DWORD ask = most > (1u << 30) ? (1u << 30) : static_cast<DWORD>(most);
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  if (!ReadFile(handleOf(file), into, ask, &got, &at)) {
    return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
  }
  return static_cast<long long>(got);
}

void closeFile(OpenFile& file) {
  if (file.handle == -1) return;
  CloseHandle(handleOf(file));
  file.handle = -1;
}
