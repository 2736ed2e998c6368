#include <errno.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/file_reader.h"
#include "platform/held_directory_posix.h"
#include "platform/host.h"
#include "platform/io_batch.h"
#include "platform/memory.h"

namespace {

// O_NONBLOCK keeps a FIFO or device that took a listed file's place from blocking the open or
// a read; it changes nothing for a regular file.
constexpr int kOpenFlags = O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;

// Bytes read with the open. Most searched files are smaller and are read whole in one go; a
// larger one is first checked to be a regular file and then read on.
constexpr std::size_t kAheadBytes = std::size_t{1} << 16;

// Bytes asked for by the read that follows the first one in the same batch: a file has ended
// only when a read gives nothing, and for most files this one does.
constexpr std::size_t kConfirmBytes = std::size_t{1} << 12;

// Room for one file's first bytes.
constexpr std::size_t kSlotBytes = kAheadBytes + kConfirmBytes;

// Files opened and read in one batch, at most.
constexpr std::size_t kMostAhead = kBatchLimit / 2;

// A file of a batch.
struct AheadFile {
  std::string path;
  int fd = -1;            // -errno when the open failed
  long long got = 0;      // what the first read returned
  long long further = 0;  // what the read after it returned
};

}  // namespace

// What a reader holds: the files it was told to expect, the latest batch and the room for its
// files' first bytes, the closes that wait for the next batch and its ring. It opens files
// through the directory its thread holds.
struct FileReader::State {
  // Bytes asked for by the first read (less than `kAheadBytes` in tests of block borders).
  std::size_t aheadBytes = kAheadBytes;
  BatchRing ring;

  // The files announced by `expectFiles`, and the next one of them not yet in a batch.
  std::vector<std::string> expected;
  std::size_t nextExpected = 0;

  // The files of the latest batch, and the next one not yet taken by `openForReading`.
  std::vector<AheadFile> batch;
  std::size_t nextInBatch = 0;

  // Descriptors whose close waits for the next batch, where it costs no call of its own.
  std::vector<int> closing;

  // The descriptor of the file last handed out from a batch.
  int handedOut = -1;

  // Room for the first bytes of every file of a batch.
  char* slots = nullptr;

  // Files per batch: the descriptors of a batch and of the closes it waits for must fit well
  // within the process's limit.
  static std::size_t batchSize() {
    static std::size_t size = [] {
      struct rlimit limit;
      if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return kMostAhead;
      }
      rlim_t spare = limit.rlim_cur > 32 ? (limit.rlim_cur - 32) / 4 : 1;
      return std::clamp<std::size_t>(static_cast<std::size_t>(spare), 1, kMostAhead);
    }();
    return size;
  }

  // Runs `ops` as one batch, unless the process may open so few files that batches would not
  // pay for the descriptor they take: then one by one.
  bool runFileBatch(std::span<BatchOp> ops) {
    if (batchSize() > 1) return ring.run(ops);
    runOneByOne(ops);
    return true;
  }

  static void closeNow(int fd) {
    BatchOp op;
    op.kind = BatchOp::kClose;
    op.fd = fd;
    runOneByOne(std::span<BatchOp>(&op, 1));
  }

  // Makes every waiting close now.
  void closeWaiting() {
    for (int fd : closing) closeNow(fd);
    closing.clear();
  }

  // Closes every descriptor of the latest batch that was never handed out.
  void dropBatch() {
    for (std::size_t i = nextInBatch; i < batch.size(); ++i) {
      if (batch[i].fd >= 0) closing.push_back(batch[i].fd);
    }
    batch.clear();
    nextInBatch = 0;
  }

  // The waiting closes as operations, leaving room in a batch for `opens` more.
  std::vector<BatchOp> waitingCloses(std::size_t opens) {
    while (closing.size() + opens > kBatchLimit) {
      closeNow(closing.back());
      closing.pop_back();
    }
    std::vector<BatchOp> ops(closing.size());
    for (std::size_t i = 0; i < closing.size(); ++i) {
      ops[i].kind = BatchOp::kClose;
      ops[i].fd = closing[i];
    }
    closing.clear();
    return ops;
  }

  // Opens `paths` and reads the first bytes of each into the slots, with the waiting closes.
  void fillBatch(std::span<const std::string> paths) {
    dropBatch();
    if (slots == nullptr) slots = static_cast<char*>(reserveMemory(kMostAhead * kSlotBytes));
    std::vector<BatchOp> ops = waitingCloses(paths.size());
    const std::size_t firstOpen = ops.size();
    // The files of one listing lie in one directory, the held one; a path elsewhere is opened
    // by its whole name.
    std::string directoryPart = paths.front().substr(0, lastComponentStart(paths.front()));
    // With descriptors so short that files are opened one by one, none is spent on it.
    int heldFd = batchSize() > 1 ? threadDirectory().fd(directoryPart) : -1;
    for (const std::string& path : paths) batch.emplace_back().path = path;
    // The names stay where they are while the system reads them: the batch is not grown again.
    for (const AheadFile& file : batch) {
      const std::string& path = file.path;
      bool held = heldFd >= 0 && path.size() > directoryPart.size() &&
                  path.compare(0, directoryPart.size(), directoryPart) == 0 &&
                  path.find('/', directoryPart.size()) == std::string::npos;
      BatchOp& op = ops.emplace_back();
      op.kind = BatchOp::kOpen;
      op.fd = held ? heldFd : AT_FDCWD;
      op.name = file.path.c_str() + (held ? directoryPart.size() : 0);
      op.openFlags = kOpenFlags;
    }
    bool whole = runFileBatch(ops);
    std::vector<BatchOp> reads;
    for (std::size_t i = 0; i < batch.size(); ++i) {
      batch[i].fd = whole ? static_cast<int>(ops[firstOpen + i].result) : -EIO;
      if (batch[i].fd < 0) continue;
      BatchOp& first = reads.emplace_back();
      first.kind = BatchOp::kRead;
      first.fd = batch[i].fd;
      first.into = slots + i * kSlotBytes;
      first.most = aheadBytes;
      first.thenNext = true;
      BatchOp& further = reads.emplace_back();
      further.kind = BatchOp::kRead;
      further.fd = batch[i].fd;
      further.into = slots + i * kSlotBytes + aheadBytes;
      further.most = std::min(kConfirmBytes, aheadBytes);
    }
    if (whole) whole = runFileBatch(reads);
    if (!whole) {
      // The system may still be writing into the slots: they are given up, and the files of
      // this batch are opened afresh one by one.
      slots = nullptr;
      dropBatch();
      return;
    }
    std::size_t read = 0;
    for (AheadFile& file : batch) {
      if (file.fd < 0) continue;
      file.got = reads[read++].result;
      file.further = reads[read++].result;
    }
  }

  // Opens `path` alone and reads its first bytes, as a batch of one.
  bool openAlone(const std::string& path) {
    fillBatch(std::span<const std::string>(&path, 1));
    return !batch.empty();
  }

  // The entry of the latest batch for `path`, at or after the next one; null when there is none.
  AheadFile* takeFromBatch(const std::string& path) {
    for (std::size_t i = nextInBatch; i < batch.size(); ++i) {
      if (batch[i].path != path) continue;
      // Files passed over are not opened by the caller after all.
      for (std::size_t j = nextInBatch; j < i; ++j) {
        if (batch[j].fd >= 0) closing.push_back(batch[j].fd);
      }
      nextInBatch = i + 1;
      return &batch[i];
    }
    return nullptr;
  }

  // Starts a batch at `path` when it is one of the files expected next.
  bool batchFrom(const std::string& path) {
    auto found = std::find(expected.begin() + static_cast<std::ptrdiff_t>(nextExpected),
                           expected.end(), path);
    if (found == expected.end()) return false;
    std::size_t from = static_cast<std::size_t>(found - expected.begin());
    std::size_t count = std::min(batchSize(), expected.size() - from);
    fillBatch(std::span<const std::string>(expected.data() + from, count));
    nextExpected = from + count;
    return !batch.empty();
  }

  // Turns a batch entry into `file`; false when it could not be opened or is no regular file.
  bool handOut(AheadFile& entry, OpenFile& file) {
    if (entry.fd == -EMFILE || entry.fd == -ENFILE) {
      // Too many files open at once: the waiting closes are made now, and the file is tried on
      // its own.
      closeWaiting();
      std::string path = entry.path;
      if (!openAlone(path)) return false;
      AheadFile* alone = takeFromBatch(path);
      return alone != nullptr && alone->fd >= 0 && handOut(*alone, file);
    }
    if (entry.fd < 0) return false;
    bool whole = entry.got >= 0 && entry.further == 0;
    struct stat info;
    if (!whole) {
      // A file that goes on after its first bytes, or fails to be read, may be a device or
      // directory that took the listed file's place: it is read on only when it is still a
      // regular file.
      if (fstat(entry.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        closing.push_back(entry.fd);
        entry.fd = -1;
        return false;
      }
    }
    char* slot = slots + static_cast<std::size_t>(&entry - batch.data()) * kSlotBytes;
    if (!whole) file.size = static_cast<long long>(info.st_size);
    std::size_t got = entry.got > 0 ? static_cast<std::size_t>(entry.got) : 0;
    if (entry.got >= 0 && entry.further > 0) {
      // A first read that gave less than asked for did not end the file: the bytes of the
      // second one follow those of the first.
      std::memmove(slot + got, slot + aheadBytes, static_cast<std::size_t>(entry.further));
      got += static_cast<std::size_t>(entry.further);
    }
    file.handle = entry.fd;
    file.ahead = std::string_view(slot, got);
    file.aheadIsWhole = whole;
    if (whole) file.size = static_cast<long long>(got);
    handedOut = entry.fd;
    entry.fd = -1;
    return true;
  }

  // Lets go of every file read ahead and of the directory held.
  void reset() {
    dropBatch();
    closeWaiting();
    expected.clear();
    nextExpected = 0;
    handedOut = -1;
    threadDirectory().release();
  }
};

FileReader::FileReader() : state_(std::make_unique<State>()) {}

FileReader::~FileReader() {
  state_->reset();
  if (state_->slots != nullptr) releaseMemory(state_->slots, kMostAhead * kSlotBytes);
}

void FileReader::setReadAheadBytes(std::size_t bytes) {
  state_->aheadBytes = std::clamp<std::size_t>(bytes, 1, kAheadBytes);
}

void FileReader::failBatchOperations(unsigned every) {
  state_->ring.failEvery(every);
}

bool FileReader::batchesAreJoined() {
  return state_->ring.joined();
}

int mostReadingThreads() {
  struct rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 64;
  // A thread holds at most a batch, the closes that wait for the next one, its directory and
  // the file it reads; 32 descriptors are left to the rest of the process.
  constexpr rlim_t kPerThread = 2 * kMostAhead + 8;
  rlim_t spare = limit.rlim_cur > 32 ? (limit.rlim_cur - 32) / kPerThread : 0;
  return static_cast<int>(std::clamp<rlim_t>(spare, 1, 64));
}

void FileReader::expectFiles(std::vector<std::string> paths) {
  state_->expected = std::move(paths);
  state_->nextExpected = 0;
}

bool FileReader::open(const std::string& path, OpenFile& file) {
  State& state = *state_;
  file = OpenFile();
  AheadFile* entry = state.takeFromBatch(path);
  if (entry == nullptr && (state.batchFrom(path) || state.openAlone(path))) {
    entry = state.takeFromBatch(path);
  }
  return entry != nullptr && state.handOut(*entry, file);
}

void FileReader::close(OpenFile& file) {
  if (file.handle < 0) return;
  int fd = static_cast<int>(file.handle);
  if (fd == state_->handedOut) {
    // Closed with the next batch, where it costs no call of its own.
    state_->closing.push_back(fd);
    state_->handedOut = -1;
  } else {
    State::closeNow(fd);
  }
  file.handle = -1;
  file.ahead = std::string_view();
}

void FileReader::handOver(const OpenFile& file) {
  if (file.handle >= 0 && file.handle == state_->handedOut) state_->handedOut = -1;
}

void FileReader::reset() {
  state_->reset();
}

long long readBytesAt(OpenFile& file, char* into, std::size_t most, std::uint64_t offset) {
  for (;;) {
    ssize_t got = pread(static_cast<int>(file.handle), into, most, static_cast<off_t>(offset));
    if (got >= 0 || errno != EINTR) return got;
  }
}

void closeFile(OpenFile& file) {
  if (file.handle < 0) return;
  ::close(static_cast<int>(file.handle));
  file.handle = -1;
  file.ahead = std::string_view();
}
