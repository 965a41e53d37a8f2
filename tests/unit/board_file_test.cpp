#include "sim/board_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "test_support.h"

namespace {

class BoardFileTest : public ::testing::Test {
 protected:
  off_t FileSize() {
    struct stat info {};
    stat(path_.c_str(), &info);
    return info.st_size;
  }
  // Opens the board file; the test fails when it cannot.
  BoardImage* Open(BoardFile& board) {
    EXPECT_TRUE(board.Open(path_));
    EXPECT_EQ(FileSize(), static_cast<off_t>(sizeof(BoardImage)));
    return board.Image();
  }
  // A register value that tells a used board from a fresh one.
  static uint16_t& Mark(BoardImage* image) { return image->chip.regs[0x0042 / 2]; }

  TempDir dir_;
  std::string path_ = dir_ / "board.img";
};

TEST_F(BoardFileTest, NewFileStartsInThePowerOnStateAndKeepsChanges) {
  {
    BoardFile board;
    BoardImage* image = Open(board);
    EXPECT_EQ(image->chip.regs[0x0208 / 2], 0x8888);
    Mark(image) = 0x1234;
    image->chip.memory[kDisplayMemorySize - 1] = 0x5A;
  }
  BoardFile again, second;
  BoardImage* image = Open(again);
  EXPECT_EQ(Mark(image), 0x1234);
  EXPECT_EQ(image->chip.memory[kDisplayMemorySize - 1], 0x5A);
  // Two mappings share one board.
  ASSERT_TRUE(second.Open(path_));
  Mark(image) = 0x4321;
  EXPECT_EQ(Mark(second.Image()), 0x4321);
}

TEST_F(BoardFileTest, TruncatedCorruptOrOversizedFilesAreRecreated) {
  // Each way of spoiling a used board: cut or grow the file (to size, unless negative), or
  // overwrite its magic or version.
  const struct {
    const char* what;
    off_t size;
    const char* magic;
    uint32_t version;
  } spoils[] = {
      {"truncated", 100, nullptr, 0},     {"wrong magic", -1, "GARBAGE", 0},
      {"wrong version", -1, nullptr, 99}, {"oversized", sizeof(BoardImage) + 4096, nullptr, 0},
      {"empty", 0, nullptr, 0},
  };
  for (const auto& s : spoils) {
    SCOPED_TRACE(s.what);
    {
      BoardFile board;
      BoardImage* image = Open(board);
      Mark(image) = 0x1234;
      image->chip.regs[0x0040 / 2] = 0x0077;
      if (s.magic != nullptr) std::memcpy(image->magic, s.magic, 8);
      if (s.version != 0) image->version = s.version;
    }
    if (s.size >= 0) {
      ASSERT_EQ(truncate(path_.c_str(), s.size), 0);
    }
    BoardFile board;
    BoardImage* image = Open(board);
    EXPECT_EQ(Mark(image), 0);
    EXPECT_EQ(image->chip.regs[0x0040 / 2], 0x0001);
    EXPECT_EQ(image->version, 3u);
  }
}

TEST_F(BoardFileTest, UnusablePathsFailCleanly) {
  BoardFile board;
  EXPECT_FALSE(board.Open(dir_ / "no/such/dir/board.img"));
  EXPECT_FALSE(board.Open(dir_.Path()));  // a directory
  EXPECT_EQ(board.Image(), nullptr);
}

TEST(BoardFilePath, DefaultPathFollowsQdxboardAndRuntimeDir) {
  ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/test");
  ScopedEnv board("QDXBOARD", nullptr);
  EXPECT_EQ(DefaultBoardPath(), "/run/user/test/vorn-board-default.img");
  board.Set("2");
  EXPECT_EQ(DefaultBoardPath(), "/run/user/test/vorn-board-2.img");
  board.Set("../x");
  EXPECT_EQ(DefaultBoardPath(), "/run/user/test/vorn-board-.._x.img");
  runtime.Set(nullptr);
  EXPECT_EQ(DefaultBoardPath(), "/tmp/vorn-board-.._x.img");
}

}  // namespace
