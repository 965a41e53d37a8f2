// The console on a real (pseudo-)terminal. The line editor runs inside editor_driver; the pager
// and the terminal restore inside vorn.
#include "terminal.h"

namespace {

// The editor driver with a line buffer of the given size, at its first prompt.
struct Editor : Terminal {
  explicit Editor(const char* size = "256") : Terminal({EDITOR_DRIVER, size}) {
    EXPECT_TRUE(Started());
    EXPECT_TRUE(WaitFor("="));
    EXPECT_TRUE(WaitForLocalModes(ECHO, false));  // no key typed before raw mode
  }
};

// "f" and "g" find the line full; a control key with no use rings the bell.
TEST(LineEditor, InsertsAtTheCursorAndIgnoresKeysAtAFullLine) {
  Editor t("6");  // room for 5 characters
  t.Press({"ac", kLeft, "b", kRight, "defg", kLeft, kLeft, "X", "\x01"});
  EXPECT_EQ(t.Enter(), "abcde");
  EXPECT_EQ(t.Shown().Row(0), "=abcde");
  EXPECT_EQ(t.Shown().bells, 1);
}

// Ctrl+W and Ctrl+Backspace take the word, then the blanks before it; in the middle of the line
// only the word before the cursor goes.
TEST(LineEditor, BackspaceAndDeleteWordRedrawWithoutLeftovers) {
  Editor t;
  t.Press({"one two  three", kBackspace});
  EXPECT_TRUE(t.WaitForScreen("=one two  thre"));
  t.Press({kCtrlW, kCtrlBackspace, "X"});
  EXPECT_EQ(t.Enter(), "oneX");
  EXPECT_EQ(t.Shown().Row(0), "=oneX");
  t.Press({"alpha beta gamma", kLeft, kLeft, kLeft, kLeft, kLeft, kLeft, kCtrlW, "Z", kBackspace,
           kBackspace, "A"});
  EXPECT_EQ(t.Enter(), "alphA gamma");
  EXPECT_EQ(t.Shown().Row(2), "=alphA gamma");
  EXPECT_EQ(t.Shown().bells, 0);
}

// F5, F1, a mouse report, Alt+Q and Alt+Up leave nothing; a non-ASCII character rings the bell.
TEST(LineEditor, EscClearsTheLineAndUnknownSequencesLeaveNothing) {
  Editor t;
  t.Press({"abc", kEsc, "x", "\x1b[15~", "\x1bOP", "\x1b[<0;12;3M", "\x1bq", "\x1b\x1b[A", "y",
           "\xc3\xa9"});
  EXPECT_EQ(t.Enter(), "xy");
  EXPECT_EQ(t.Shown().Row(0), "=xy");
  EXPECT_EQ(t.Shown().bells, 1);
}

TEST(LineEditor, CtrlRRecallsTheLastLineEntered) {
  Editor t;
  t.Key(kCtrlR);  // nothing entered yet
  EXPECT_EQ(t.Enter(), "");
  for (const char* line : {"first", "second"}) {
    t.Type(line);
    EXPECT_EQ(t.Enter(), line);
  }
  t.Press({"typed over", kCtrlR, "!"});
  EXPECT_EQ(t.Enter(), "second!");
  EXPECT_EQ(t.Shown().Row(-3), "=second!");
}

// An empty history shows nothing; a repeated line is stored once; from a fresh prompt Up shows
// the last line; past the oldest, the oldest shows again (and is stored again when entered:
// a1 a2 a3 a1); past the newest line the position stays.
TEST(LineEditor, UpAndDownBrowseTheHistory) {
  Editor t;
  t.Key(kUp);
  EXPECT_EQ(t.Enter(), "");
  for (const char* line : {"a1", "a2", "a3", "a3"}) {
    t.Type(line);
    EXPECT_EQ(t.Enter(), line);
  }
  t.Press({"some long text", kUp});
  EXPECT_EQ(t.Enter(), "a3");
  EXPECT_EQ(t.Shown().Row(-3), "=a3");
  t.Press({kUp, kUp, kUp, kUp});
  EXPECT_EQ(t.Enter(), "a1");
  t.Press({kUp, kUp, kUp, kDown});
  EXPECT_EQ(t.Enter(), "a3");
  t.Press({kUp, kDown});
  EXPECT_EQ(t.Enter(), "a3");
}

// Right stops at the end of the line, Left at its start; Del on an empty line does nothing.
TEST(LineEditor, LeftRightAndDelStayInsideTheLine) {
  Editor t;
  t.Press({"abcd", kLeft, kLeft, kDel, kRight, kRight, kRight, "X"});
  for (int i = 0; i < 10; i++) t.Key(kLeft);
  t.Press({"Y", kDel});
  EXPECT_EQ(t.Enter(), "YbdX");
  EXPECT_EQ(t.Shown().Row(0), "=YbdX");
  t.Press({kDel, "z"});
  EXPECT_EQ(t.Enter(), "z");
}

// One match gives the name and a blank; the first word is never completed, and rings no bell;
// no match rings it.
TEST(LineEditor, TabCompletesTheWordAfterTheLastBlank) {
  Editor t;
  t.Press({"set pip1w", kTab, "1"});
  EXPECT_EQ(t.Enter(), "set pip1width 1");
  EXPECT_EQ(t.Shown().Row(0), "=set pip1width 1");
  t.Press({"pip1w", kTab, " x pix", kTab});
  EXPECT_EQ(t.Enter(), "pip1w x pix");
  EXPECT_EQ(t.Shown().bells, 1);
}

// TAB extends to the common beginning and lists at once; when the word already is the common
// beginning, the first TAB does nothing and the second lists, the newer name first.
TEST(LineEditor, TabWithSeveralMatchesExtendsAndLists) {
  Editor t;
  t.Press({"x pi", kTab});
  ASSERT_TRUE(t.WaitFor("=x pip", 2));
  EXPECT_TRUE(t.Shown().Shows("pip1height"));
  EXPECT_TRUE(t.Shown().Shows("pip2width"));
  t.Type("1");
  ASSERT_TRUE(t.WaitForScreen("=x pip1"));
  t.Key(kTab);
  t.Quiet();
  EXPECT_EQ(t.Shown().Row(-1), "=x pip1");
  t.Key(kTab);
  ASSERT_TRUE(t.WaitFor("=x pip1", 2));
  for (int row : {-2, -3}) EXPECT_EQ(t.Shown().Row(row), "");
  EXPECT_EQ(t.Shown().Row(-4), "pip1width");
  EXPECT_EQ(t.Shown().Row(-5), "pip1height");
  EXPECT_EQ(t.Shown().Row(-6), "=x pip1");
  EXPECT_EQ(t.Enter(), "x pip1");
  EXPECT_EQ(t.Shown().bells, 0);
}

TEST(LineEditor, LongListingsAskFirst) {
  Editor t;
  t.Press({"x many", kTab, kTab});
  ASSERT_TRUE(t.WaitFor("12 results found, display? [y/N]"));
  t.Type("n");
  ASSERT_TRUE(t.WaitFor("=x many", 2));
  EXPECT_FALSE(t.Shown().Shows("many11"));
  t.Key(kTab);
  ASSERT_TRUE(t.WaitFor("12 results found, display? [y/N]", 2));
  t.Type("Y");
  ASSERT_TRUE(t.WaitFor("=x many", 3));
  EXPECT_TRUE(t.Shown().Shows("many11"));
  EXPECT_TRUE(t.Shown().Shows("many0"));
  EXPECT_EQ(t.Enter(), "x many");
}

TEST(KeyNames, DecodesTheTerminalsSequences) {
  Terminal t({EDITOR_DRIVER, "keys"});
  ASSERT_TRUE(t.Started());
  ASSERT_TRUE(t.WaitForLocalModes(ECHO, false));  // no key typed before raw mode
  // Ctrl+Up is UP; F5 is nothing the program knows and is swallowed whole; the delete-word key
  // has no name of its own.
  const std::pair<std::string, std::string> kKeys[] = {
      {kUp, "UP"},         {kDown, "DOWN"},     {kLeft, "LEFT"},
      {kRight, "RIGHT"},   {"\x1bOH", "HOME"},  {"\x1b[F", "END"},
      {"\x1b[5~", "PGUP"}, {"\x1b[6~", "PGDN"}, {"\x1b[2~", "INS"},
      {kDel, "DEL"},       {"\x1b[1;5A", "UP"}, {"\x1b[15~", ""},
      {kEsc, "ESC"},       {kBackspace, "BS"},  {kCtrlBackspace, "\x7f"},
      {kTab, "TAB"},       {kEnter, "RETURN"},  {" ", "SPACE"},
      {"a", "a"},
  };

  std::string expected;
  for (const auto& [key, name] : kKeys) {
    t.Key(key);
    if (name.empty()) continue;
    expected += "<" + name + ">";
    EXPECT_TRUE(t.Until([&] { return t.Output().size() >= expected.size(); })) << name;
  }
  t.Key("Q");
  EXPECT_TRUE(t.WaitFor("<Q>\r\n"));
  EXPECT_EQ(t.Output(), expected + "<Q>\r\n");
}

TEST(Pager, EscAtTheSecondStopEndsTheRestOfTheLine) {
  Vorn t;
  t.Line("h 3");
  ASSERT_TRUE(t.WaitFor("Current Halt setting: 3 lines"));
  t.Line("flog ? ; q ?");  // a 10-line help, then one more line
  ASSERT_TRUE(t.WaitFor("-- more [ESC to exit] --"));
  EXPECT_TRUE(t.Shown().Shows(" FLOG log.txt SET:OFF"));
  EXPECT_FALSE(t.Shown().Shows(" Writes to Filename"));
  t.Type(" ");
  ASSERT_TRUE(t.WaitFor("-- more [ESC to exit] --", 2));
  EXPECT_TRUE(t.Shown().Shows("      OUT - any general output"));
  EXPECT_FALSE(t.Shown().Shows("      SET - output generated"));
  t.Key(kEsc);
  ASSERT_TRUE(t.WaitFor("\b \b="));  // the prompt of the pager erased, the next line's prompt
  t.Quiet();
  EXPECT_FALSE(t.Shown().Shows("      SET - output generated"));
  EXPECT_FALSE(t.Shown().Shows("Quit program."));
  EXPECT_FALSE(t.Shown().Shows("-- more"));  // erased after each key
  EXPECT_EQ(t.Shown().Row(-1), "=");
  EXPECT_EQ(t.Shown().Row(-2), "      OUT - any general output or output from PRINT command");

  t.Quit();
  EXPECT_TRUE(t.WaitForLocalModes(ICANON | ECHO, true));
}

// With the commands piped in, the pager and the assertion still ask the terminal, and the piped
// commands after them all run.
TEST(Pager, AsksTheTerminalWhenTheCommandsArePiped) {
  Terminal t({"/bin/sh", "-c",
              "printf 'h 8\\nflog ?\\ncalc reg32[1fe]\\nq ?\\ncalc reg32[1fe]\\n' | " VORN_BINARY});
  ASSERT_TRUE(t.WaitFor("-- more [ESC to exit] --"));
  t.Key(" ");
  ASSERT_TRUE(t.WaitFor("Abort [Y]: "));
  t.Type("xn");  // other keys ring the bell; n goes on
  ASSERT_TRUE(t.WaitFor("Quit program."));
  ASSERT_TRUE(t.WaitFor("Abort [Y]: ", 2));
  t.Key(kEnter);
  int status = t.Wait();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 99) << status;
  EXPECT_TRUE(t.Shown().Shows("      SET - output generated from the SET command"));
  EXPECT_TRUE(t.WaitForLocalModes(ICANON | ECHO, true));
}

TEST(Terminal, RawWhileReadingAndRestoredWhenCtrlCEndsTheProgram) {
  Vorn t;
  EXPECT_TRUE(t.WaitForLocalModes(ECHO, false));
  EXPECT_TRUE(t.WaitForLocalModes(ICANON, false));
  EXPECT_TRUE(t.WaitForLocalModes(ISIG, true));  // Ctrl-C still signals
  t.Key("\x03");
  int status = t.Wait();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  EXPECT_TRUE(t.WaitForLocalModes(ICANON | ECHO, true));
}

TEST(Terminal, CtrlZHandsTheTerminalBackUntilTheProgramContinues) {
  Vorn t;
  ASSERT_TRUE(t.WaitForLocalModes(ECHO, false));
  t.Key("\x1a");
  ASSERT_TRUE(t.WaitStopped());
  EXPECT_TRUE(t.WaitForLocalModes(ICANON | ECHO, true));
  t.Signal(SIGCONT);
  EXPECT_TRUE(t.WaitForLocalModes(ECHO, false));
  t.Line("q ?");
  ASSERT_TRUE(t.WaitFor("Quit program.\r\n\r\n="));
  EXPECT_EQ(t.Shown().Row(-4), "=q ?");  // echoed once, by the editor alone
}

}  // namespace
