#include "sim/board_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class BoardFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/vorn-board-test-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
    path_ = dir_ + "/board.img";
  }
  void TearDown() override {
    unlink(path_.c_str());
    rmdir(dir_.c_str());
  }
  void WriteFile(const void* bytes, size_t len) {
    int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, bytes, len), static_cast<ssize_t>(len));
    close(fd);
  }
  off_t FileSize() {
    struct stat info {};
    stat(path_.c_str(), &info);
    return info.st_size;
  }
  // A register value that tells a used board from a fresh one.
  static constexpr uint32_t kMarkIndex = 0x0042 / 2;

  std::string dir_;
  std::string path_;
};

TEST_F(BoardFileTest, NewFileStartsInThePowerOnStateAndKeepsChanges) {
  {
    BoardFile board;
    ASSERT_TRUE(board.Open(path_));
    EXPECT_EQ(FileSize(), static_cast<off_t>(sizeof(BoardImage)));
    EXPECT_EQ(board.Image()->chip.regs[0x0208 / 2], 0x8888);
    board.Image()->chip.regs[kMarkIndex] = 0x1234;
    board.Image()->chip.memory[kDisplayMemorySize - 1] = 0x5A;
  }
  BoardFile again;
  ASSERT_TRUE(again.Open(path_));
  EXPECT_EQ(again.Image()->chip.regs[kMarkIndex], 0x1234);
  EXPECT_EQ(again.Image()->chip.memory[kDisplayMemorySize - 1], 0x5A);
}

TEST_F(BoardFileTest, TwoMappingsShareOneBoard) {
  BoardFile first;
  BoardFile second;
  ASSERT_TRUE(first.Open(path_));
  ASSERT_TRUE(second.Open(path_));
  first.Image()->chip.regs[kMarkIndex] = 0x4321;
  EXPECT_EQ(second.Image()->chip.regs[kMarkIndex], 0x4321);
}

TEST_F(BoardFileTest, TruncatedCorruptOrOversizedFilesAreRecreated) {
  {
    BoardFile board;
    ASSERT_TRUE(board.Open(path_));
    board.Image()->chip.regs[kMarkIndex] = 0x1234;
  }
  // Truncated: the header is intact but the rest is missing.
  ASSERT_EQ(truncate(path_.c_str(), 100), 0);
  {
    BoardFile board;
    ASSERT_TRUE(board.Open(path_));
    EXPECT_EQ(FileSize(), static_cast<off_t>(sizeof(BoardImage)));
    EXPECT_EQ(board.Image()->chip.regs[kMarkIndex], 0);
    EXPECT_EQ(board.Image()->chip.regs[0x0040 / 2], 0x0001);
    board.Image()->chip.regs[kMarkIndex] = 0x1234;
    std::memcpy(board.Image()->magic, "GARBAGE", 8);  // right size, wrong content
  }
  {
    BoardFile board;
    ASSERT_TRUE(board.Open(path_));
    EXPECT_EQ(board.Image()->chip.regs[kMarkIndex], 0);
    board.Image()->version = 99;
  }
  {
    BoardFile board;
    ASSERT_TRUE(board.Open(path_));
    EXPECT_EQ(board.Image()->version, 3u);
  }
  ASSERT_EQ(truncate(path_.c_str(), sizeof(BoardImage) + 4096), 0);
  {
    BoardFile board;
    ASSERT_TRUE(board.Open(path_));
    EXPECT_EQ(FileSize(), static_cast<off_t>(sizeof(BoardImage)));
  }
  WriteFile("", 0);  // empty
  BoardFile board;
  ASSERT_TRUE(board.Open(path_));
  EXPECT_EQ(board.Image()->chip.regs[0x0208 / 2], 0x8888);
}

TEST_F(BoardFileTest, UnusablePathsFailCleanly) {
  BoardFile board;
  EXPECT_FALSE(board.Open(dir_ + "/no/such/dir/board.img"));
  EXPECT_FALSE(board.Open(dir_));  // a directory
  EXPECT_EQ(board.Image(), nullptr);
}

TEST(BoardFilePath, DefaultPathFollowsQdxboardAndRuntimeDir) {
  setenv("XDG_RUNTIME_DIR", "/run/user/test", 1);
  unsetenv("QDXBOARD");
  EXPECT_EQ(DefaultBoardPath(), "/run/user/test/vorn-board-default.img");
  setenv("QDXBOARD", "2", 1);
  EXPECT_EQ(DefaultBoardPath(), "/run/user/test/vorn-board-2.img");
  setenv("QDXBOARD", "../x", 1);
  EXPECT_EQ(DefaultBoardPath(), "/run/user/test/vorn-board-.._x.img");
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(DefaultBoardPath(), "/tmp/vorn-board-.._x.img");
  unsetenv("QDXBOARD");
}

}  // namespace
