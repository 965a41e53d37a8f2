// Scripts and their dialogue on a real terminal: the single-step pause, and ESC leaving a script
// or a loop that would run forever. (INPUT takes its keys and lines from the key decoder and the
// line editor, which the console tests drive on a terminal.)
#include <fstream>

#include "terminal.h"

namespace {

void WriteScript(const Vorn& t, const std::string& name, const std::string& text) {
  std::ofstream(t.Dir() + "/" + name) << text;
}

TEST(ScriptDialogue, SingleStepPausesAfterEveryLineAndEscEndsTheScript) {
  Vorn t;
  WriteScript(t, "steps.txt", "print \"one\\n\"\nprint \"two\\n\"\nprint \"three\\n\"\n");
  t.Line("singlestep on");
  t.Line("steps");
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
  t.Line("$r = steps");
  ASSERT_TRUE(t.WaitFor("Press any key to continue or ESC to exit...", 3));
  t.Key(kEsc);
  t.Quiet();
  t.Line("singlestep off");
  t.Line("set $r");
  ASSERT_TRUE(t.WaitFor("$r = 0h (0t)"));
}

TEST(ScriptDialogue, EscLeavesAScriptThatLoopsForeverAndAWhileAtThePrompt) {
  Vorn t;
  WriteScript(t, "forever.txt", "VERBOSE CMD:OFF SET:OFF\nsection top\ngoto top\n");
  t.Line("forever");
  t.Quiet();
  t.Key(kEsc);
  ASSERT_TRUE(t.WaitFor("ERROR: Script stopped with ESC."));
  t.Line("verbose set:off");
  t.Line("set $i 0");
  t.Line("while 1 do set $i $i+1");
  t.Quiet();
  t.Key(kEsc);
  ASSERT_TRUE(t.WaitFor("ERROR: Loop stopped with ESC."));
  t.Quit();
}

}  // namespace
