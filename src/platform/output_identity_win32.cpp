#define WIN32_LEAN_AND_MEAN
// The system's old OpenFile function would hide skern's OpenFile record; it is declared under
// another name here and never used.
#define OpenFile WindowsOpenFile
#include <windows.h>
#undef OpenFile

#include "platform/output_identity.h"

namespace {

// The volume and index of the file behind `handle`; not known for anything but a disk file.
OutputIdentity identityOf(HANDLE handle) {
  OutputIdentity identity;
  BY_HANDLE_FILE_INFORMATION info;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
      GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info)) {
    return identity;
  }
  identity.known = true;
  identity.volume = info.dwVolumeSerialNumber;
  identity.index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return identity;
}

}  // namespace

OutputIdentity standardOutputIdentity() {
  return identityOf(GetStdHandle(STD_OUTPUT_HANDLE));
}

bool isStandardOutput(const OpenFile& file, const OutputIdentity& output) {
  if (!output.known) return false;
  OutputIdentity identity =
      identityOf(reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(file.handle)));
  return identity.known && identity.volume == output.volume && identity.index == output.index;
}
