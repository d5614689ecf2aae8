// The program's choices that do not need a real console or folder.
#include "app/program.h"
#include "tests/test_support.h"

namespace {

TEST(PauseBeforeExitTest, OnlyInAConsoleWindowOfItsOwn) {
  EXPECT_TRUE(wants_pause_before_exit(1));   // dropped on from Explorer
  EXPECT_FALSE(wants_pause_before_exit(2));  // started from a shell's console
  EXPECT_FALSE(wants_pause_before_exit(5));
  EXPECT_FALSE(wants_pause_before_exit(0));  // no console at all
}

}  // namespace
