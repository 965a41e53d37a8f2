#include "lang/own_memory.h"

#include <sys/mman.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A page of our own below 4 GiB, where a 32-bit address can reach it.
class LowPage : public ::testing::Test {
 protected:
  void SetUp() override {
    for (uintptr_t at = 0x10000000; at < 0xF0000000 && page_ == nullptr; at += 0x01000000) {
      void* p = mmap(reinterpret_cast<void*>(at), kSize, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
      if (p != MAP_FAILED) page_ = static_cast<uint8_t*>(p);
    }
    ASSERT_NE(page_, nullptr);
  }
  void TearDown() override {
    if (page_ != nullptr) munmap(page_, kSize);
  }
  uint32_t Address(size_t offset) const {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(page_) + offset);
  }
  static constexpr size_t kSize = 4096;
  uint8_t* page_ = nullptr;
};

TEST_F(LowPage, ReadsAndWritesEachWidthInHostOrder) {
  const uint8_t bytes[] = {0x11, 0x22, 0x33, 0x44};
  std::memcpy(page_ + 8, bytes, 4);
  uint32_t v = 0;
  ASSERT_TRUE(ReadOwnMemory(Address(8), 1, &v));
  EXPECT_EQ(v, 0x11u);
  ASSERT_TRUE(ReadOwnMemory(Address(8), 2, &v));
  EXPECT_EQ(v, 0x2211u);
  ASSERT_TRUE(ReadOwnMemory(Address(9), 4, &v));  // unaligned
  EXPECT_EQ(v, 0x00443322u);
  ASSERT_TRUE(WriteOwnMemory(Address(16), 2, 0xABCDEF));
  EXPECT_EQ(page_[16], 0xEF);
  EXPECT_EQ(page_[17], 0xCD);
  EXPECT_EQ(page_[18], 0x00);
}

TEST_F(LowPage, AnAccessThatCannotBeMadeFailsInsteadOfFaulting) {
  uint32_t v = 0x5A5A;
  EXPECT_FALSE(ReadOwnMemory(0, 4, &v));
  EXPECT_EQ(v, 0x5A5Au);
  // Four bytes running off the end of the page into unmapped space.
  EXPECT_FALSE(ReadOwnMemory(Address(kSize - 2), 4, &v));
  ASSERT_EQ(mprotect(page_, kSize, PROT_READ), 0);
  EXPECT_FALSE(WriteOwnMemory(Address(0), 1, 1));
  EXPECT_EQ(page_[0], 0);
}

}  // namespace
