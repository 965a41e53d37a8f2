// Scripts and their dialogue on a real terminal: INPUT, the single-step pause, and ESC leaving
// a script or a loop that would run forever.
#include <fstream>

#include "terminal.h"

namespace {

void WriteScript(const Vorn& t, const std::string& name, const std::string& text) {
  std::ofstream(t.Dir() + "/" + name) << text;
}

void Command(Vorn& t, const std::string& line) {
  t.Type(line);
  t.Key(kEnter);
}

TEST(ScriptDialogue, InputKeyNamesTheKeyAndInputLineReadsAnEditedLine) {
  Vorn t;
  Command(t, "$k = input key");
  t.Quiet();
  t.Key(kUp);
  ASSERT_TRUE(t.WaitFor("=", 2));
  Command(t, "set $k");
  ASSERT_TRUE(t.WaitFor("$k = \"UP\""));
  Command(t, "$k = input key");
  t.Quiet();
  t.Key("x");
  Command(t, "set $k");
  ASSERT_TRUE(t.WaitFor("$k = \"x\""));

  Command(t, "$l = input line");
  t.Type("abd");
  t.Key(kBackspace);
  t.Type("c def");
  t.Key(kEnter);
  Command(t, "set $l");
  ASSERT_TRUE(t.WaitFor("$l = \"abc def\""));
  Command(t, "q");
  EXPECT_EQ(t.Wait(), 0);
}

TEST(ScriptDialogue, SingleStepPausesAfterEveryLineAndEscEndsTheScript) {
  Vorn t;
  WriteScript(t, "steps.txt", "print \"one\\n\"\nprint \"two\\n\"\nprint \"three\\n\"\n");
  Command(t, "singlestep on");
  Command(t, "steps");
  ASSERT_TRUE(t.WaitFor("Press any key to continue or ESC to exit..."));
  EXPECT_TRUE(t.Shown().Shows("one"));
  t.Key(" ");
  ASSERT_TRUE(t.WaitFor("Press any key to continue or ESC to exit...", 2));
  EXPECT_TRUE(t.Shown().Shows("two"));
  t.Key(kEsc);
  t.Quiet();
  EXPECT_FALSE(t.Shown().Shows("three"));
  // The pause text is erased from the screen once a key is pressed.
  EXPECT_FALSE(t.Shown().Shows("Press any key"));
  // ESC at the pause counts as a completed run: the assignment form still stores.
  Command(t, "$r = steps");
  ASSERT_TRUE(t.WaitFor("Press any key to continue or ESC to exit...", 3));
  t.Key(kEsc);
  t.Quiet();
  Command(t, "singlestep off");
  Command(t, "set $r");
  ASSERT_TRUE(t.WaitFor("$r = 0h (0t)"));
}

TEST(ScriptDialogue, EscLeavesAScriptThatLoopsForeverAndAWhileAtThePrompt) {
  Vorn t;
  WriteScript(t, "forever.txt", "VERBOSE CMD:OFF SET:OFF\nsection top\ngoto top\n");
  Command(t, "forever");
  t.Quiet();
  t.Key(kEsc);
  ASSERT_TRUE(t.WaitFor("ERROR: Script stopped with ESC."));
  Command(t, "verbose set:off");
  Command(t, "set $i 0");
  Command(t, "while 1 do set $i $i+1");
  t.Quiet();
  t.Key(kEsc);
  ASSERT_TRUE(t.WaitFor("ERROR: Loop stopped with ESC."));
  Command(t, "q");
  EXPECT_EQ(t.Wait(), 0);
}

}  // namespace
