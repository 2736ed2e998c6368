// Command lines whose meaning is POSIX's own.
#include <gtest/gtest.h>

#include "e2e/harness.h"

namespace {

TEST(CommandLinePosix, SlashLeadsAnAbsolutePath) {
  TempTree tree;
  tree.write("sub/a.txt", "the stuff is here\n");
  RunResult r = runSkern({"stuff", tree.root() + "/sub/a.txt", "-i"}, tree.root());
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("the stuff is here"), std::string::npos) << r.out;
  EXPECT_EQ(r.err, "");
}

}  // namespace
