#include "platform/assert.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// In a child process without a terminal: keys waiting on standard input, then the assertion. It
// must answer as Enter would (exit 99) without reading them; a caller that goes on exits with 7.
void AssertWithPipedKeys(const std::string& keys) {
  setsid();
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

TEST(AssertPrompt, WithoutATerminalItAbortsAndLeavesPipedInputAlone) {
  EXPECT_EXIT(AssertWithPipedKeys("n"), testing::ExitedWithCode(99), "");
  EXPECT_EXIT(AssertWithPipedKeys(""), testing::ExitedWithCode(99), "");
}

// A watched assertion names the fault, asks nothing and returns; the watch remembers it, and the
// prompt is back once the watch ends.
TEST(AssertWatch, PrintsTheMessageOnlyAndReturns) {
  testing::internal::CaptureStdout();
  {
    AssertWatch watch;
    EXPECT_FALSE(watch.Fired());
    HalAssert("qvReadReg16() Index must be even.");
    EXPECT_TRUE(watch.Fired());
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ASSERT - qvReadReg16() Index must be even.\n");
  EXPECT_EXIT(AssertWithPipedKeys(""), testing::ExitedWithCode(99), "");
}

}  // namespace
