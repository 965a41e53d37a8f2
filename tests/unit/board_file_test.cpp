#include "sim/board_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
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
    std::string why;
    EXPECT_TRUE(board.Open(path_, &why)) << why;
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
  Open(second);
  Mark(image) = 0x4321;
  EXPECT_EQ(Mark(second.Image()), 0x4321);
}

TEST_F(BoardFileTest, BoardImagesOfAnotherBuildAndEmptyFilesBecomeNewBoards) {
  // Each way a board image no longer fits this build: cut or grown (to size, unless negative),
  // or another version.
  const struct {
    const char* what;
    off_t size;
    uint32_t version;
  } spoils[] = {
      {"truncated", 100, 0},
      {"other version", -1, 99},
      {"oversized", sizeof(BoardImage) + 4096, 0},
      {"empty", 0, 0},
  };
  for (const auto& s : spoils) {
    SCOPED_TRACE(s.what);
    {
      BoardFile board;
      BoardImage* image = Open(board);
      Mark(image) = 0x1234;
      image->chip.regs[0x0040 / 2] = 0x0077;
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

// A file given by mistake is never turned into a board: it is refused and left as it was.
TEST_F(BoardFileTest, FilesThatAreNoBoardImageAreRefusedAndLeftAlone) {
  for (const std::string& foreign :
       {std::string("my notes\n"), std::string(sizeof(BoardImage), 'G')}) {
    std::ofstream(path_, std::ios::binary) << foreign;
    BoardFile board;
    std::string why;
    EXPECT_FALSE(board.Open(path_, &why));
    EXPECT_EQ(why, "'" + path_ + "' is not a board image; it is left as it is");
    EXPECT_EQ(FileSize(), static_cast<off_t>(foreign.size()));
    EXPECT_EQ(board.Image(), nullptr);
  }
}

TEST_F(BoardFileTest, UnusablePathsFailNamingTheFileAndTheCause) {
  BoardFile board;
  std::string why;
  EXPECT_FALSE(board.Open(dir_ / "no/such/dir/board.img", &why));
  EXPECT_EQ(why, "Cannot open the board file '" + dir_ / "no/such/dir/board.img" +
                     "': No such file or directory");
  EXPECT_FALSE(board.Open(dir_.Path(), &why));  // a directory
  EXPECT_EQ(why, "Cannot open the board file '" + dir_.Path() + "': Is a directory");
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
