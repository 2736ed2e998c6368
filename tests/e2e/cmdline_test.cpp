#include <gtest/gtest.h>

#include "e2e/harness.h"

namespace {

TEST(CommandLine, NothingFoundExitsOne) {
  TempTree tree;
  RunResult r = runSkern({"stuff", "a.txt"}, tree.root());
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 1);
}

}  // namespace
