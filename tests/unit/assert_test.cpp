#include "platform/assert.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// In a child process: the answer keys on standard input, then the assertion; a caller that
// goes on exits with 7.
void AssertWithKeys(const std::string& keys) {
  int input[2];
  if (pipe(input) != 0) std::_Exit(1);
  if (write(input[1], keys.data(), keys.size()) != static_cast<ssize_t>(keys.size())) {
    std::_Exit(1);
  }
  close(input[1]);
  dup2(input[0], STDIN_FILENO);
  HalAssert("qvReadReg16() Index must be even.");
  std::_Exit(7);
}

TEST(AssertPrompt, NoGoesOnEverythingElseThatEndsItAborts) {
  EXPECT_EXIT(AssertWithKeys("n"), testing::ExitedWithCode(7), "");
  EXPECT_EXIT(AssertWithKeys("N"), testing::ExitedWithCode(7), "");
  EXPECT_EXIT(AssertWithKeys("x?n"), testing::ExitedWithCode(7), "");  // other keys ignored
  EXPECT_EXIT(AssertWithKeys("y"), testing::ExitedWithCode(99), "");
  EXPECT_EXIT(AssertWithKeys("\r"), testing::ExitedWithCode(99), "");
  EXPECT_EXIT(AssertWithKeys("\n"), testing::ExitedWithCode(99), "");
  EXPECT_EXIT(AssertWithKeys(""), testing::ExitedWithCode(99), "");  // end of input is Enter
}

}  // namespace
