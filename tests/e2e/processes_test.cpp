// Whole VORN processes with what a transcript cannot hold: several processes on one simulated
// board at once, scripts too large for one, and NUL bytes.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

namespace {

struct RunResult {
  std::string output;
  int exitCode = -1;
};

// Runs vorn in dir with env (assignments separated by blanks) in front and input (a file in dir,
// or /dev/null) as its standard input.
RunResult RunVorn(const std::string& dir, const std::string& env, const std::string& args,
                  const std::string& input) {
  std::string command =
      "cd " + dir + " && " + env + " " VORN_BINARY " -q " + args + " <" + input + " 2>&1";
  RunResult run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, n);
  int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class Processes : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/vorn-shared-board-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
  }
  void TearDown() override {
    std::string cleanup = "rm -rf " + dir_;
    EXPECT_EQ(std::system(cleanup.c_str()), 0);
  }
  std::string Env(const std::string& board) const {
    return "VORN_BOARD=sim:" + dir_ + "/board.img XDG_RUNTIME_DIR=" + dir_ + " QDXBOARD=" + board;
  }
  RunResult Vorn(const std::string& args, const std::string& board = "a",
                 const std::string& input = "/dev/null") const {
    return RunVorn(dir_, Env(board), args, input);
  }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << text;
  }
  std::string dir_;
};

TEST_F(Processes, ASecondProcessSeesWhatTheFirstWrote) {
  Vorn("w 100 1234 ABCD");
  std::string read = Vorn("r 100 102", "b").output;
  EXPECT_NE(read.find("00000100:  1234"), std::string::npos) << read;
  EXPECT_NE(read.find("00000102:  ABCD"), std::string::npos) << read;
}

// Each process writes its own numbers to its own address and reads every one back. The memory
// engine's address is one for the whole board, so without one lock between them a process
// would move it under the other's write or read.
TEST_F(Processes, DifferentQdxboardValuesShareTheBoardFilesLock) {
  Write("writer.txt",
        "VERBOSE CMD:OFF SET:OFF\n"
        "set $a arg[1].n\n"
        "set $base arg[2].n\n"
        "set $i 0\n"
        "set $bad 0\n"
        "while $i<20000t do set $i $i+1; set disp32[$a] $i+$base; "
        "if disp32[$a]!=$i+$base then set $bad $bad+1\n"
        "print \"bad=\" $bad.s \"\\n\"\n");
  Vorn("d 0 L10");  // creates the board before the writers race for it
  std::string first = "cd " + dir_ + " && " + Env("one") +
                      " " VORN_BINARY " -q writer 100 0 </dev/null >one.out 2>&1 &";
  ASSERT_EQ(std::system(first.c_str()), 0);
  RunResult second = Vorn("writer 200 80000000", "two");
  std::string one;
  for (int i = 0; i < 500 && one.find('\n') == std::string::npos; i++) {
    usleep(20000);
    std::ifstream in(dir_ + "/one.out");
    one.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  EXPECT_EQ(one, "bad=0\n");
  EXPECT_EQ(second.output, "bad=0\n");
  EXPECT_EQ(Vorn("r32 100 200", "three").output,
            "00000100:  00004E20  ' N..'\n00000200:  80004E20  ' N..'\n");
}

// A script that could only run cut is refused whole: nothing of it runs, the board stays as it
// was. One byte less than the limit still runs.
TEST_F(Processes, ScriptsOverTheSizeLimitOrWithANulByteAreRefusedWhole) {
  const std::string pad(204799 - 7 - 2, 'x');
  struct Row {
    const char* name;
    std::string text;
    std::string message;
  };
  const Row rows[] = {
      {"big", std::string("w 10 5\n'") + pad + "yz\n",
       "ERROR: Script file '" + dir_ +
           "/big.txt' is larger than 204799 bytes (line 2); nothing "
           "of it was run.\n"},
      {"nul", std::string("w 10 5\nw 12 6\0 7\nw 14 8\n", 20),
       "ERROR: Script file '" + dir_ +
           "/nul.txt' holds a NUL byte (line 2); nothing of it was "
           "run.\n"},
  };
  for (const Row& row : rows) {
    Write(std::string(row.name) + ".txt", row.text);
    RunResult run = Vorn(row.name);
    EXPECT_EQ(run.output, row.message) << row.name;
    EXPECT_EQ(run.exitCode, 1) << row.name;
    EXPECT_EQ(Vorn("r 10 12 14").output,
              "00000010:  0000  '..'\n00000012:  0000  '..'\n00000014:  0000  '..'\n");
  }
  Write("limit.txt", std::string("w 10 5\n'") + pad + "\n");
  EXPECT_EQ(Vorn("limit").exitCode, 0);
  EXPECT_EQ(Vorn("r 10").output, "00000010:  0005  '..'\n");
}

// A NUL byte would end a typed line early: the line is refused whole, the next one runs.
TEST_F(Processes, ALineWithANulByteIsRefusedWhole) {
  Write("input", std::string("w 30 1\0 2\nr 30 32\n", 18));
  EXPECT_EQ(Vorn("", "a", "input").output,
            "=w 30 1\nERROR: Line holds a NUL byte; it was refused.\n"
            "=r 30 32\n00000030:  0000  '..'\n00000032:  0000  '..'\n\n=");
}

}  // namespace
