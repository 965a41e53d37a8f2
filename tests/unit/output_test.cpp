#include "console/output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

class OutputTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    Output.VerboseMask = CH_ALL;
    Output.LogMask = CH_ALL;
    Output.HaltLines = 0;
    Output.LineCount = 0;
    Output.LogFile.reset();
  }
  // Logs into an anonymous file; LogText reads back what was written.
  static void StartLog() { Output.LogFile.reset(std::tmpfile()); }
  static std::string LogText() {
    FILE* f = Output.LogFile.get();
    std::string text;
    std::rewind(f);
    for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) text += static_cast<char>(c);
    return text;
  }
};

std::vector<int> PausesOver(int lines) {
  std::vector<int> pauses;
  for (int line = 1; line <= lines; line++) {
    if (CountPagedLine()) pauses.push_back(line);
  }
  return pauses;
}

TEST_F(OutputTest, PagerPausesEveryHaltLinesAndNeverAtZero) {
  Output.HaltLines = 3;
  EXPECT_EQ(PausesOver(10), (std::vector<int>{3, 6, 9}));
  EXPECT_EQ(Output.LineCount, 1u);
  Output.HaltLines = 1;
  Output.LineCount = 0;
  EXPECT_EQ(PausesOver(3), (std::vector<int>{1, 2, 3}));
  Output.HaltLines = 0;
  EXPECT_TRUE(PausesOver(1000).empty());
  // A count already past a lowered setting pauses at the next line instead of never.
  Output.HaltLines = 5;
  Output.LineCount = 20;
  EXPECT_EQ(PausesOver(6), (std::vector<int>{1, 6}));
}

TEST_F(OutputTest, SilencedChannelsStillGiveTheirResults) {
  Output.VerboseMask = CH_ALL & ~CH_OUT & ~CH_ERR;
  StartCapture();
  EXPECT_TRUE(OutPrintf(CH_OUT, "hidden\n"));
  EXPECT_FALSE(OutPrintf(CH_ERR, "hidden error\n"));
  EXPECT_TRUE(OutPrintf(CH_SET, "shown\n"));
  EXPECT_TRUE(OutPrintf(CH_ALL, "all\n"));
  EXPECT_EQ(Captured(), "shown\nall\n");
  EXPECT_EQ(Output.LineCount, 2u);  // only lines on the console count
  Output.VerboseMask = CH_ALL;
  StartCapture();
  EXPECT_FALSE(OutPrintf(CH_ERR, "ERROR: %s\n", "x"));
  EXPECT_EQ(Captured(), "ERROR: x\n");
}

TEST_F(OutputTest, PercentPairsCollapseButArgumentsAreNeverFormats) {
  StartCapture();
  OutPrintf(CH_OUT, "%s|%s|100%%|%d\n", "50%%", "%s%n%d", 7);
  EXPECT_EQ(Captured(), "50%|%s%n%d|100%|7\n");
}

TEST_F(OutputTest, LogGetsItsChannelsUnchangedWhateverTheConsoleShows) {
  StartLog();
  Output.LogMask = CH_ALL & ~CH_SET;
  Output.VerboseMask = CH_SET;
  StartCapture();
  OutPrintf(CH_OUT, "out %s\n", "50%%");
  OutPrintf(CH_SET, "set\n");
  OutPrintf(CH_CMD, "=");
  EXPECT_FALSE(OutPrintf(CH_ERR, "err\n"));
  EXPECT_EQ(Captured(), "set\n");
  EXPECT_EQ(LogText(), "out 50%\n=err\n");  // as the console would show it
}

TEST_F(OutputTest, OverlongMessagesAreCutAtTheScratchCapacity) {
  std::string big(5000, 'x');
  StartCapture();
  EXPECT_TRUE(OutPrintf(CH_OUT, "%s\n", big.c_str()));
  std::string shown = Captured();
  // The capacity is the format's length + 1024 with the terminator; the line end survives.
  EXPECT_EQ(shown, std::string(3 + 1024 - 2, 'x') + "\n");
  EXPECT_EQ(Output.LineCount, 1u);
}

TEST_F(OutputTest, ShowErrorAtPutsTheCaretUnderTheColumn) {
  StartLog();
  StartCapture();
  EXPECT_FALSE(ShowErrorAt(3, "ERROR: %s\n", "bad"));
  EXPECT_EQ(Captured(), "    ^\nERROR: bad\n");
  EXPECT_EQ(LogText(), "    ^\n");  // the message goes straight to the console
  Output.VerboseMask = CH_ALL & ~CH_CMD;
  StartCapture();
  ShowErrorAt(0, "ERROR: y\n");
  EXPECT_EQ(Captured(), "ERROR: y\n");
}

}  // namespace
