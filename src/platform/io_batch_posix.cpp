#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/io_batch.h"

namespace {

void runAlone(BatchOp& op) {
  long long result = 0;
  switch (op.kind) {
    case BatchOp::kOpen:
      do result = openat(op.fd, op.name, op.openFlags);
      while (result < 0 && errno == EINTR);
      break;
    case BatchOp::kRead:
      do result = read(op.fd, op.into, op.most);
      while (result < 0 && errno == EINTR);
      break;
    case BatchOp::kClose:
      // Interrupted or not, the descriptor is gone: a close is never repeated.
      result = close(op.fd) == 0 || errno == EINTR ? 0 : -1;
      break;
  }
  op.result = result < 0 ? -errno : result;
}

}  // namespace

void runOneByOne(std::span<BatchOp> ops) {
  for (BatchOp& op : ops) runAlone(op);
}
