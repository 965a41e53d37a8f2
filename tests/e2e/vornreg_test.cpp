// Whole runs of vornreg and vorn on a simulated board of their own: a snapshot of the power-on
// board against the committed reference, the round trip save, change, diff, restore, diff, and
// the refusals as the engineer sees them.
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

struct RunResult {
  std::string output;  // standard output and standard error
  int exitCode = -1;
};

// Replaces every occurrence of what in text.
std::string Replaced(std::string text, const std::string& what, const std::string& with) {
  for (size_t at = 0; !what.empty() && (at = text.find(what, at)) != std::string::npos;) {
    text.replace(at, what.size(), with);
    at += with.size();
  }
  return text;
}

class Snapshots : public testing::Test {
 protected:
  // Runs program with args (blank-separated, no quoting) in the directory, on its board, without
  // a terminal; input is its standard input.
  RunResult Run(const char* program, const std::string& args, const std::string& input = "") {
    std::ofstream(dir / "in", std::ios::binary) << input;
    const std::string command = "cd " + dir.Path() +
                                " && setsid -w env VORN_BOARD=sim:" + dir.Path() +
                                "/board.img XDG_RUNTIME_DIR=" + dir.Path() + " timeout -k 1 10 " +
                                program + " " + args + " <in >out 2>&1";
    const int status = std::system(command.c_str());
    return {ReadText(dir / "out"), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
  }
  RunResult Vornreg(const std::string& args) { return Run(VORNREG_BINARY, args); }

  TempDir dir;
};

TEST_F(Snapshots, SaveChangeDiffRestoreDiff) {
  struct Step {
    const char* program;
    const char* args;
    const char* input;
    const char* output;  // the whole output, or its start when startOnly; null: not checked
    int exitCode;
    bool startOnly = false;
  };
  const Step steps[] = {
      {VORNREG_BINARY, "save snap.txt", "",
       "Saved 105 registers and 512 LUT entries of the 77Q41 to snap.txt.\n", 0},
      {VORN_BINARY, "-q", "set hdp 640t\nset pllcontrol 0\nset powersave 0\nl1 0c ff ff ff\n",
       nullptr, 0},
      {VORNREG_BINARY, "diff snap.txt", "",
       "pllcontrol (REG[0012h-b0]): CLKI -> PLL\n"
       "powersave (REG[0014h-b0]): True -> False\n"
       "hdp (REG[0042h-b8:0]): 2 pixels -> 640 pixels\n"
       "L1[0C]: 000000 -> FFFFFF\n",
       1},
      {VORNREG_BINARY, "diff --registers snap.txt", "",
       "REG[0012h]: 0001h -> 0000h\n"
       "REG[0014h]: 04D1h -> 04D0h\n"
       "REG[0042h]: 0000h -> 013Fh\n"
       "L1[0C]: 000000 -> FFFFFF\n",
       1},
      {VORN_BINARY, "-q snap.txt", "", "Register set-up restored from the snapshot taken ", 0,
       true},
      {VORNREG_BINARY, "diff snap.txt", "", "", 0},
      {VORNREG_BINARY, "diff --registers snap.txt", "", "", 0},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.args);
    const RunResult r = Run(step.program, step.args, step.input);
    EXPECT_EQ(r.exitCode, step.exitCode) << r.output;
    if (step.output == nullptr) continue;
    if (step.startOnly) {
      EXPECT_EQ(r.output.rfind(step.output, 0), 0u) << r.output;
    } else {
      EXPECT_EQ(r.output, step.output);
    }
  }
}

// The power-on snapshot matches the committed reference; it is compared with others.
TEST_F(Snapshots, ThePowerOnSnapshotAndFilesThatAreNoSnapshots) {
  ASSERT_EQ(Vornreg("save snap.txt").exitCode, 0);
  const std::string text = ReadText(dir / "snap.txt");
  // The time and the board's path differ from run to run.
  const size_t taken = text.find("' Taken ") + 8;
  const size_t board = text.find(" from the board ", taken);
  ASSERT_NE(board, std::string::npos);
  EXPECT_EQ(Replaced(Replaced(text, text.substr(taken, board - taken), "TIME"),
                     "sim:" + dir.Path() + "/board.img", "BOARD"),
            ReadText(SNAPSHOT_DIR "/power_on.txt"));
  std::ofstream(dir / "stray.txt") << Replaced(text, "X 0014 04D1", "X 0014 04D7");
  std::ofstream(dir / "cut.txt") << text.substr(0, text.size() / 2);
  std::ofstream(dir / "bad.txt") << Replaced(text, "X 0042 0000", "X 0042 0000 0001");
  struct Row {
    const char* args;
    const char* output;
    int exitCode;
  };
  const Row rows[] = {
      {"diff snap.txt stray.txt", "REG[0014h] bits 2:1 (no feature): 0000h -> 0006h\n", 1},
      {"diff stray.txt stray.txt", "", 0},
      {"diff snap.txt cut.txt",
       "ERROR: cut.txt: ends before its last line (\"' End of the snapshot\"): it is cut short\n",
       2},
      {"show bad.txt", "ERROR: bad.txt, line 35: x takes 2 words, not 3\n", 2},
      {"diff missing.txt", "ERROR: missing.txt: No such file or directory\n", 2},
  };
  for (const Row& row : rows) {
    const RunResult r = Vornreg(row.args);
    EXPECT_EQ(r.output, row.output) << row.args;
    EXPECT_EQ(r.exitCode, row.exitCode) << row.args;
  }
}

TEST_F(Snapshots, HelpAndCommandLinesAndBoardsNotUnderstood) {
  const std::string noBoard = std::string("env VORN_BOARD=bogus ") + VORNREG_BINARY;
  const std::string noBridge = std::string("env VORN_BOARD=usb:1234:5678 ") + VORNREG_BINARY;
  struct Row {
    const char* program;
    const char* args;
    const char* start;  // the start of the output
    int exitCode;
  };
  const Row rows[] = {
      {VORNREG_BINARY, "--help",
       "NAME\n    vornreg - save, compare and restore the register set-up of a 77Q41 board\n", 0},
      {VORNREG_BINARY, "diff -h", "NAME\n", 0},
      {VORNREG_BINARY, "", "ERROR: no command: save, diff or show.\nUsage: vornreg save FILE\n", 2},
      {VORNREG_BINARY, "frob", "ERROR: 'frob' is no command: save, diff or show.\n", 2},
      {VORNREG_BINARY, "show --registers a.txt", "ERROR: '--registers' is no option of show.\n", 2},
      {VORNREG_BINARY, "diff a.txt b.txt c.txt", "ERROR: diff takes one or two files.\n", 2},
      {noBoard.c_str(), "save snap.txt",
       "!!!!! VORN_BOARD=bogus is not understood: use auto, usb, usb:VVVV:PPPP, sim, sim:PATH, "
       "simbus, simbus:PATH, uio:/dev/uioN or mem:ADDRESS, any of them followed by ,hcl=XXXX if "
       "need be.\nERROR: no board to save.\n",
       2},
      {noBridge.c_str(), "save snap.txt",
       "\nUsb Transport: No USB bridge 1234:5678 is attached\n"
       "ERROR: Unable to locate an QDX77xxx controller\nERROR: no board to save.\n",
       2},
  };
  for (const Row& row : rows) {
    const RunResult r = Run(row.program, row.args);
    EXPECT_EQ(r.output.rfind(row.start, 0), 0u) << row.args << ":\n" << r.output;
    EXPECT_EQ(r.exitCode, row.exitCode) << row.args;
  }
  EXPECT_FALSE(std::ifstream(dir / "snap.txt").good());  // no board: no file
}

}  // namespace
