// Hosts that take no batches: every operation is its own system call.
#include "platform/io_batch.h"

bool runBatch(std::span<BatchOp> ops) {
  if (ops.size() > kBatchLimit) return false;
  runOneByOne(ops);
  return true;
}

bool batchesAreJoined() {
  return false;
}

void failBatchOperations(unsigned) {}
