// Hosts that take no batches: every operation is its own system call.
#include "platform/io_batch.h"

struct BatchRing::Ring {};

BatchRing::BatchRing() = default;

BatchRing::~BatchRing() = default;

bool BatchRing::run(std::span<BatchOp> ops) {
  if (ops.size() > kBatchLimit) return false;
  runOneByOne(ops);
  return true;
}

bool BatchRing::joined() {
  return false;
}

void BatchRing::failEvery(unsigned) {}
