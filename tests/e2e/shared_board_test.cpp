// Two VORN processes on one simulated board: what the first writes, the second reads.
#include <unistd.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string RunVorn(const std::string& board, const std::string& args) {
  std::string command = "VORN_BOARD=sim:" + board + " " VORN_BINARY " " + args + " </dev/null 2>&1";
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  pclose(pipe);
  return output;
}

TEST(SharedBoard, ASecondProcessSeesWhatTheFirstWrote) {
  std::string board = "/tmp/vorn-shared-board-" + std::to_string(getpid()) + ".img";
  unlink(board.c_str());
  RunVorn(board, "w 100 1234 ABCD");
  std::string read = RunVorn(board, "r 100 102");
  EXPECT_NE(read.find("00000100:  1234"), std::string::npos) << read;
  EXPECT_NE(read.find("00000102:  ABCD"), std::string::npos) << read;
  unlink(board.c_str());
}

}  // namespace
