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

TEST(LineEditor, InsertsAtTheCursorAndIgnoresKeysAtAFullLine) {
  Editor t("6");  // room for 5 characters
  t.Type("ac");
  t.Key(kLeft);
  t.Type("b");
  t.Key(kRight);
  t.Type("defg");  // "f" and "g" find the line full
  t.Key(kLeft);
  t.Key(kLeft);
  t.Type("X");
  t.Key("\x01");  // a control key with no use rings the bell
  EXPECT_EQ(t.Enter(), "abcde");
  EXPECT_EQ(t.Shown().Row(0), "=abcde");
  EXPECT_EQ(t.Shown().bells, 1);
}

TEST(LineEditor, BackspaceAndDeleteWordRedrawWithoutLeftovers) {
  Editor t;
  t.Type("one two  three");
  t.Key(kBackspace);
  EXPECT_TRUE(t.WaitForScreen("=one two  thre"));
  t.Key(kCtrlW);  // the word, then the blanks before it
  t.Key(kCtrlBackspace);
  t.Type("X");
  EXPECT_EQ(t.Enter(), "oneX");
  EXPECT_EQ(t.Shown().Row(0), "=oneX");

  // In the middle of the line only the word before the cursor goes.
  t.Type("alpha beta gamma");
  for (int i = 0; i < 6; i++) t.Key(kLeft);
  t.Key(kCtrlW);
  t.Type("Z");
  t.Key(kBackspace);
  t.Key(kBackspace);
  t.Type("A");
  EXPECT_EQ(t.Enter(), "alphA gamma");
  EXPECT_EQ(t.Shown().Row(2), "=alphA gamma");
  EXPECT_EQ(t.Shown().bells, 0);
}

TEST(LineEditor, EscClearsTheLineAndUnknownSequencesLeaveNothing) {
  Editor t;
  t.Type("abc");
  t.Key(kEsc);
  t.Type("x");
  t.Key("\x1b[15~");  // F5
  t.Key("\x1bOP");    // F1
  t.Key("\x1b[<0;12;3M");
  t.Key("\x1bq");       // Alt+Q
  t.Key("\x1b\x1b[A");  // Alt+Up
  t.Type("y");
  t.Key("\xc3\xa9");  // a non-ASCII character: a bell, nothing inserted
  EXPECT_EQ(t.Enter(), "xy");
  EXPECT_EQ(t.Shown().Row(0), "=xy");
  EXPECT_EQ(t.Shown().bells, 1);
}

TEST(LineEditor, CtrlRRecallsTheLastLineEntered) {
  Editor t;
  t.Key(kCtrlR);  // nothing entered yet
  EXPECT_EQ(t.Enter(), "");
  t.Type("first");
  EXPECT_EQ(t.Enter(), "first");
  t.Type("second");
  EXPECT_EQ(t.Enter(), "second");
  t.Type("typed over");
  t.Key(kCtrlR);
  t.Type("!");
  EXPECT_EQ(t.Enter(), "second!");
  EXPECT_EQ(t.Shown().Row(-3), "=second!");
}

TEST(LineEditor, UpAndDownBrowseTheHistory) {
  Editor t;
  t.Key(kUp);  // an empty history: nothing to show
  EXPECT_EQ(t.Enter(), "");
  for (const char* line : {"a1", "a2", "a3", "a3"}) {  // the repeated line is stored once
    t.Type(line);
    EXPECT_EQ(t.Enter(), line);
  }
  t.Type("some long text");
  t.Key(kUp);  // from a fresh prompt: the last line entered
  EXPECT_EQ(t.Enter(), "a3");
  EXPECT_EQ(t.Shown().Row(-3), "=a3");
  for (int i = 0; i < 4; i++) t.Key(kUp);  // the oldest line shows again at the end
  EXPECT_EQ(t.Enter(), "a1");              // and is stored again: a1 a2 a3 a1
  t.Key(kUp);
  t.Key(kUp);
  t.Key(kUp);
  t.Key(kDown);
  EXPECT_EQ(t.Enter(), "a3");
  t.Key(kUp);
  t.Key(kDown);  // past the newest line the position stays
  EXPECT_EQ(t.Enter(), "a3");
}

TEST(LineEditor, LeftRightAndDelStayInsideTheLine) {
  Editor t;
  t.Type("abcd");
  t.Key(kLeft);
  t.Key(kLeft);
  t.Key(kDel);
  for (int i = 0; i < 3; i++) t.Key(kRight);  // one past the end is not taken
  t.Type("X");
  for (int i = 0; i < 10; i++) t.Key(kLeft);
  t.Type("Y");
  t.Key(kDel);
  EXPECT_EQ(t.Enter(), "YbdX");
  EXPECT_EQ(t.Shown().Row(0), "=YbdX");
  t.Key(kDel);  // on an empty line
  t.Type("z");
  EXPECT_EQ(t.Enter(), "z");
}

TEST(LineEditor, TabCompletesTheWordAfterTheLastBlank) {
  Editor t;
  t.Type("set pip1w");
  t.Key(kTab);  // one match: the name and a blank
  t.Type("1");
  EXPECT_EQ(t.Enter(), "set pip1width 1");
  EXPECT_EQ(t.Shown().Row(0), "=set pip1width 1");

  t.Type("pip1w");  // the first word is never completed, and rings no bell
  t.Key(kTab);
  t.Type(" x pix");
  t.Key(kTab);  // no match: the bell
  EXPECT_EQ(t.Enter(), "pip1w x pix");
  EXPECT_EQ(t.Shown().bells, 1);
}

TEST(LineEditor, TabWithSeveralMatchesExtendsAndLists) {
  Editor t;
  t.Type("x pi");
  t.Key(kTab);  // extends to the common beginning and lists at once
  ASSERT_TRUE(t.WaitFor("=x pip", 2));
  EXPECT_TRUE(t.Shown().Shows("pip1height"));
  EXPECT_TRUE(t.Shown().Shows("pip2width"));
  t.Type("1");
  ASSERT_TRUE(t.WaitForScreen("=x pip1"));
  t.Key(kTab);  // "pip1" is already the common beginning: the first TAB does nothing
  t.Quiet();
  EXPECT_EQ(t.Shown().Row(-1), "=x pip1");
  t.Key(kTab);  // the second lists
  ASSERT_TRUE(t.WaitFor("=x pip1", 2));
  EXPECT_EQ(t.Shown().Row(-2), "");
  EXPECT_EQ(t.Shown().Row(-3), "");
  EXPECT_EQ(t.Shown().Row(-4), "pip1width");
  EXPECT_EQ(t.Shown().Row(-5), "pip1height");  // the newer name first
  EXPECT_EQ(t.Shown().Row(-6), "=x pip1");
  EXPECT_EQ(t.Enter(), "x pip1");
  EXPECT_EQ(t.Shown().bells, 0);
}

TEST(LineEditor, LongListingsAskFirst) {
  Editor t;
  t.Type("x many");
  t.Key(kTab);
  t.Key(kTab);
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
  const std::pair<std::string, std::string> kKeys[] = {
      {kUp, "UP"},
      {kDown, "DOWN"},
      {kLeft, "LEFT"},
      {kRight, "RIGHT"},
      {"\x1bOH", "HOME"},
      {"\x1b[F", "END"},
      {"\x1b[5~", "PGUP"},
      {"\x1b[6~", "PGDN"},
      {"\x1b[2~", "INS"},
      {kDel, "DEL"},
      {"\x1b[1;5A", "UP"},  // Ctrl+Up
      {"\x1b[15~", ""},     // F5: nothing the program knows, swallowed whole
      {kEsc, "ESC"},
      {kBackspace, "BS"},
      {kCtrlBackspace, "\x7f"},  // the delete-word key has
                                 // no name of its own
      {kTab, "TAB"},
      {kEnter, "RETURN"},
      {" ", "SPACE"},
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
