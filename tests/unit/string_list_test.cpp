#include "base/string_list.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class StringLists : public ::testing::Test {
 protected:
  void SetUp() override { InitStringLists(); }
  void TearDown() override { DeleteAllStringLists(); }
};

TEST_F(StringLists, DefaultListReusesABufferAfter24MoreCalls) {
  char* first = GetStr(nullptr);
  std::strcpy(first, "kept");
  for (int i = 0; i < 23; i++) EXPECT_NE(GetStr(nullptr), first);
  EXPECT_STREQ(first, "kept");  // still valid until the ring comes round
  EXPECT_EQ(GetStr(nullptr), first);
  EXPECT_STREQ(first, "");  // handed out again, emptied
  EXPECT_EQ(GetStrSize(nullptr, first), 512u);
}

TEST_F(StringLists, AtMostEightListsExist) {
  StringList* lists[8];
  for (auto& l : lists) ASSERT_NE(l = CreateStringList(2, 0), nullptr);
  EXPECT_EQ(CreateStringList(2, 0), nullptr);
  DeleteStringList(lists[3]);
  EXPECT_NE(CreateStringList(2, 0), nullptr);
}

TEST_F(StringLists, SizedRequestsGrowAndShrinkBack) {
  StringList* list = CreateStringList(1, 0);
  ASSERT_NE(list, nullptr);
  char* a = GetStr(list);
  EXPECT_EQ(GetStrSize(list, a), 1024u);
  char* big = GetStrSized(list, 5000);
  EXPECT_EQ(GetStrSize(list, big), 5000u);
  char* same = GetStrSized(list, 100);  // smaller than the default: the big buffer is kept
  EXPECT_EQ(GetStrSize(list, same), 5000u);
  char* shrunk = GetStrSized(list, 1024);  // exactly the default shrinks it back
  EXPECT_EQ(GetStrSize(list, shrunk), 1024u);
}

}  // namespace
