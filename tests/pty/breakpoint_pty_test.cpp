// The stop prompt of a register breakpoint on a real terminal, and the access log written when
// Ctrl-C ends the program there.
#include <fstream>
#include <sstream>

#include "terminal.h"

namespace {

// The program started with switches, at its first prompt.
struct VornWith : Terminal {
  explicit VornWith(std::initializer_list<std::string> switches) : Terminal(Args(switches)) {
    EXPECT_TRUE(Started());
    EXPECT_TRUE(WaitFor("="));
    EXPECT_TRUE(WaitForLocalModes(ECHO, false));
  }
  static std::vector<std::string> Args(std::initializer_list<std::string> switches) {
    std::vector<std::string> args{VORN_BINARY};
    args.insert(args.end(), switches);
    return args;
  }
};

TEST(BreakpointPrompt, KeysStepAndRun) {
  VornWith t({"/break:aw:reg16[0044-b3]==1"});
  t.Line("x 44 8");
  ASSERT_TRUE(t.WaitFor("After write break: Reg: 0044 Mask: 0008 Value: 0001\r\nCommand: "));
  t.Key("?");
  ASSERT_TRUE(t.WaitFor("R - run until next breakpoint"));
  t.Key("z");
  EXPECT_EQ(t.Shown().bells, 1);
  t.Key(kUp);  // an extended key is no answer either
  EXPECT_TRUE(t.Until([&] { return t.Shown().bells == 2; }));
  t.Key("S");  // step mode: the next access stops, with no breakpoint line
  ASSERT_TRUE(t.WaitFor("[44] < 0008"));
  t.Line("x 44");
  ASSERT_TRUE(t.WaitFor("Current Register: 0044", 2));
  t.Key("r");
  ASSERT_TRUE(t.WaitFor("[44] > 0008"));
  ASSERT_TRUE(t.WaitFor("=", 3));
  t.Line("q");
  int status = t.Wait();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(BreakpointPrompt, CtrlCThereRestoresTheTerminalAndWritesTheLog) {
  VornWith t({"/break:bw:reg[0044]", "/debug:w:pty.log"});
  t.Line("x 40 1");
  t.Line("x 44 2");
  ASSERT_TRUE(t.WaitFor("Command: "));
  t.Key("\x03");
  int status = t.Wait();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  EXPECT_TRUE(t.WaitForLocalModes(ECHO | ICANON, true));
  std::ifstream log(t.Dir() + "/pty.log");
  std::stringstream text;
  text << log.rdbuf();
  EXPECT_EQ(text.str(), "x16 0040 01\n");  // stopped before the second write
}

}  // namespace
