// Reading a searched file's bytes, read-only and without locking it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// Gives a buffer's block back to the host.
struct BufferRelease {
  std::size_t bytes = 0;  ///< The size the block was reserved with.
  /// Releases `block`.
  void operator()(char* block) const;
};

/// A growing byte buffer that is reused from file to file and never cleared on growth.
struct ByteBuffer {
  std::unique_ptr<char[], BufferRelease> data;  ///< The bytes; `capacity` of them are allocated.
  std::size_t capacity = 0;                     ///< Allocated bytes.
  std::size_t size = 0;                         ///< Bytes in use.
};

/// Makes room for at least `needed` bytes in `buffer`, keeping the bytes in use.
void reserveBytes(ByteBuffer& buffer, std::size_t needed);

/// A file opened for reading.
struct OpenFile {
  long long handle = -1;  ///< The host's handle, -1 while nothing is open.
  /// The file's first bytes where the host read them with the open; the handle stands after
  /// them. Valid until the file is closed.
  std::string_view ahead;
  bool aheadIsWhole = false;  ///< `ahead` holds all of the file.
  long long size = -1;        ///< The file's size when opened, where the host told it; else -1.
};

/// Sets how many bytes at most are read with a file's open (tests make it tiny); some hosts
/// read none.
void setReadAheadBytes(std::size_t bytes);

/// Tells the reader the files that are to be opened next, in this order, so that the host may
/// open and start reading several at once. Files opened otherwise are opened one by one.
void expectFiles(std::vector<std::string> paths);

/// How many threads may open and read files at once without running the process out of
/// descriptors: each may hold a batch of files open; at least 1.
int mostReadingThreads();

/// Opens an existing file for reading only, without creating, locking or changing it.
bool openForReading(const std::string& path, OpenFile& file);

/// Reads at most `most` bytes of `file` into `into`: the count read, 0 at the end, -1 on error.
/// Fewer bytes than asked for do not mean that the file has ended.
long long readSomeBytes(OpenFile& file, char* into, std::size_t most);

/// Reads at most `most` bytes of `file` from byte `offset` on, without using or moving the
/// file's position (several threads may read one file so): the count read, 0 at the end, -1
/// on error.
long long readBytesAt(OpenFile& file, char* into, std::size_t most, std::uint64_t offset);

/// Goes back to the start of `file`; false when that fails.
bool rewindFile(OpenFile& file);

/// Closes `file`; nothing happens when it is not open.
void closeFile(OpenFile& file);

/// Lets go of what the calling thread's reader holds open between files: the directory it
/// works in, the files read ahead and the closes still waiting.
void resetFileAccess();
