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
  std::string why;
  {
    BoardFile board;
    ASSERT_TRUE(board.Open(path_, &why));
    EXPECT_EQ(FileSize(), static_cast<off_t>(sizeof(BoardImage)));
    EXPECT_EQ(board.Image()->chip.regs[0x0208 / 2], 0x8888);
    board.Image()->chip.regs[kMarkIndex] = 0x1234;
    board.Image()->chip.memory[kDisplayMemorySize - 1] = 0x5A;
  }
  BoardFile again;
  ASSERT_TRUE(again.Open(path_, &why));
  EXPECT_EQ(again.Image()->chip.regs[kMarkIndex], 0x1234);
  EXPECT_EQ(again.Image()->chip.memory[kDisplayMemorySize - 1], 0x5A);
}

TEST_F(BoardFileTest, TwoMappingsShareOneBoard) {
  std::string why;
  BoardFile first;
  BoardFile second;
  ASSERT_TRUE(first.Open(path_, &why));
  ASSERT_TRUE(second.Open(path_, &why));
  first.Image()->chip.regs[kMarkIndex] = 0x4321;
  EXPECT_EQ(second.Image()->chip.regs[kMarkIndex], 0x4321);
}

// A board image of another build (truncated, another version, oversized) or an empty file
// becomes a fresh board; a file that is not a board image is refused and left as it was.
TEST_F(BoardFileTest, OnlyBoardImagesAndEmptyFilesAreTaken) {
  std::string why;
  auto marked = [&](auto change) {
    BoardFile board;
    EXPECT_TRUE(board.Open(path_, &why)) << why;
    board.Image()->chip.regs[kMarkIndex] = 0x1234;
    change(board.Image());
  };
  auto freshBoard = [&] {
    BoardFile board;
    EXPECT_TRUE(board.Open(path_, &why)) << why;
    EXPECT_EQ(FileSize(), static_cast<off_t>(sizeof(BoardImage)));
    EXPECT_EQ(board.Image()->chip.regs[kMarkIndex], 0);
    EXPECT_EQ(board.Image()->chip.regs[0x0208 / 2], 0x8888);
  };
  marked([&](BoardImage*) { ASSERT_EQ(truncate(path_.c_str(), 100), 0); });
  freshBoard();
  marked([](BoardImage* image) { image->version = 99; });
  freshBoard();
  marked([&](BoardImage*) { ASSERT_EQ(truncate(path_.c_str(), sizeof(BoardImage) + 4096), 0); });
  freshBoard();
  WriteFile("", 0);
  freshBoard();

  for (const std::string& foreign :
       {std::string("hello\n"), std::string(sizeof(BoardImage), 'G')}) {
    WriteFile(foreign.data(), foreign.size());
    BoardFile board;
    EXPECT_FALSE(board.Open(path_, &why));
    EXPECT_EQ(why, "'" + path_ + "' is not a board image; it is left as it is");
    EXPECT_EQ(FileSize(), static_cast<off_t>(foreign.size()));
  }
}

TEST_F(BoardFileTest, UnusablePathsFailNamingTheFileAndTheCause) {
  BoardFile board;
  std::string why;
  EXPECT_FALSE(board.Open(dir_ + "/no/such/dir/board.img", &why));
  EXPECT_EQ(why, "Cannot open the board file '" + dir_ +
                     "/no/such/dir/board.img': No such file or directory");
  EXPECT_FALSE(board.Open(dir_, &why));  // a directory
  EXPECT_EQ(why, "Cannot open the board file '" + dir_ + "': Is a directory");
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
