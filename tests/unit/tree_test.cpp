#include "console/tree.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

int Destroyed = 0;
void CountDestroyed(void* data) {
  Destroyed++;
  delete static_cast<int*>(data);
}

struct Match {
  int count;
  std::string completion;
};

Match Find(const NameIndex& index, const std::string& word) {
  Match m{0, "(untouched)"};
  m.count = MatchName(&index, word, &m.completion);
  return m;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

TEST(Tree, LinksSiblingsAndChildrenAndFreesEveryNodeOnce) {
  Destroyed = 0;
  {
    Tree tree(CountDestroyed);
    TreeNode* at = nullptr;
    EXPECT_FALSE(tree.GetRoot(at));
    tree.CreateRoot(at);
    TreeNode* root = at;
    tree.SetData(at, new int(0));
    ASSERT_TRUE(tree.AddFirstChild(at));  // root -> b
    tree.SetData(at, new int(2));
    TreeNode* b = at;
    ASSERT_TRUE(tree.InsertBefore(at));  // root -> a, b
    tree.SetData(at, new int(1));
    EXPECT_EQ(root->firstChild, at);
    EXPECT_TRUE(tree.HasNextSibling(at));
    EXPECT_FALSE(tree.HasPrevSibling(at));
    EXPECT_TRUE(tree.ToNextSibling(at));
    EXPECT_EQ(at, b);
    EXPECT_FALSE(tree.ToNextSibling(at));  // no move past the last sibling
    EXPECT_EQ(at, b);
    ASSERT_TRUE(tree.AddFirstChild(at));  // b -> c
    tree.SetData(at, new int(3));
    EXPECT_EQ(tree.NumNodes(), 4u);

    // A node above b takes its place among the siblings and keeps b's subtree below it.
    at = b;
    ASSERT_TRUE(tree.InsertAbove(at));
    EXPECT_EQ(b->parent, at);
    EXPECT_EQ(at->prevSibling, root->firstChild);
    EXPECT_EQ(root->firstChild->nextSibling, at);
    EXPECT_EQ(tree.NumNodes(), 5u);

    // Replacing data frees the old data; deleting a subtree frees its nodes' data and moves the
    // cursor to the parent.
    tree.SetData(at, new int(4));
    tree.SetData(at, new int(5));
    EXPECT_EQ(Destroyed, 1);
    tree.DeleteSubtree(at);
    EXPECT_EQ(at, root);
    EXPECT_EQ(tree.NumNodes(), 2u);
    EXPECT_EQ(Destroyed, 4);
    EXPECT_FALSE(tree.HasNextSibling(root->firstChild));
    EXPECT_FALSE(tree.InsertBefore(at));  // the root has no siblings
  }
  EXPECT_EQ(Destroyed, 6);
}

// The assertion prompt, answered as Enter would be (the end of input), ends the program with 99;
// its text goes to the error stream where the death test reads it.
void AnswerAssertionsWithEnter() {
  int null = open("/dev/null", O_RDONLY);
  dup2(null, STDIN_FILENO);
  dup2(STDERR_FILENO, STDOUT_FILENO);
}

TEST(TreeDeathTest, AnEmptyCursorOrTreeIsAnInterfaceFault) {
  Tree tree(CountDestroyed);
  TreeNode* none = nullptr;
  TreeNode stray;
  TreeNode* cursor = &stray;
  const std::pair<std::function<void()>, const char*> faults[] = {
      {[&] { tree.ToParent(none); }, "ASSERT - \\(TreeNode\\*\\)io_Node != NULL"},
      {[&] { tree.GetData(none); }, "ASSERT - \\(TreeNode\\*\\)i_Node != NULL"},
      {[&] { tree.AddFirstChild(cursor); }, "ASSERT - m_Root != NULL"}};
  for (const auto& [fault, message] : faults) {
    EXPECT_EXIT(
        {
          AnswerAssertionsWithEnter();
          fault();
        },
        ::testing::ExitedWithCode(99), message);
  }
}

TEST(NameIndex, MatchesPrefixesWithRegardToCase) {
  NameIndex index;
  InitNameIndex(&index);
  for (const char* n : {"pip1width", "pip1height", "pip2width"}) AddName(&index, n);
  EXPECT_EQ(Find(index, "pip").count, 3);
  EXPECT_EQ(Find(index, "pip").completion, "pip");
  EXPECT_EQ(Find(index, "pip1").count, 2);
  EXPECT_EQ(Find(index, "pip1").completion, "pip1");
  EXPECT_EQ(Find(index, "pip1w").count, 1);
  EXPECT_EQ(Find(index, "pip1w").completion, "pip1width");
  EXPECT_EQ(Find(index, "pix").count, 0);
  EXPECT_EQ(Find(index, "pix").completion, "(untouched)");
  EXPECT_EQ(Find(index, "PIP1").count, 0);
  EXPECT_EQ(Find(index, "pip1widthx").count, 0);
  // The empty word matches every name; the common beginning lies below the root.
  EXPECT_EQ(Find(index, "").count, 3);
  EXPECT_EQ(Find(index, "").completion, "pip");
  EXPECT_EQ(Sorted(ListMatches(&index, "pip1")),
            (std::vector<std::string>{"pip1height", "pip1width"}));
  EXPECT_TRUE(ListMatches(&index, "q").empty());
}

TEST(NameIndex, DuplicatesAndNamesInsideOtherNames) {
  NameIndex index;
  InitNameIndex(&index);
  AddName(&index, "pip1width");
  size_t nodes = index.tree.NumNodes();
  AddName(&index, "pip1width");
  AddName(&index, "");
  EXPECT_EQ(index.tree.NumNodes(), nodes);
  EXPECT_EQ(ListMatches(&index, "pip"), std::vector<std::string>{"pip1width"});

  // A name that is the beginning of another splits its node; one that equals an inner node
  // marks it.
  AddName(&index, "pip1");
  AddName(&index, "hdp");
  AddName(&index, "hdps");
  AddName(&index, "pip1height");
  AddName(&index, "pip");
  AddName(&index, "pip1");
  EXPECT_EQ(Find(index, "pip").count, 4);
  EXPECT_EQ(Find(index, "pip").completion, "pip");
  EXPECT_EQ(Find(index, "pip1").count, 3);
  EXPECT_EQ(Find(index, "pip1").completion, "pip1");
  EXPECT_EQ(Find(index, "h").count, 2);
  EXPECT_EQ(Find(index, "h").completion, "hdp");
  EXPECT_EQ(Sorted(ListMatches(&index, "")),
            (std::vector<std::string>{"hdp", "hdps", "pip", "pip1", "pip1height", "pip1width"}));

  // Init empties the index again.
  InitNameIndex(&index);
  EXPECT_EQ(Find(index, "").count, 0);
  EXPECT_EQ(index.tree.NumNodes(), 1u);
}

TEST(NameIndex, ManyNamesKeepEveryPrefixCount) {
  NameIndex index;
  InitNameIndex(&index);
  std::vector<std::string> names;
  for (int i = 0; i < 300; i++) names.push_back("f" + std::to_string(i * 7 % 1000));
  for (const std::string& n : names) AddName(&index, n);
  for (const char* prefix : {"f", "f1", "f10", "f7", "f99", "f700"}) {
    size_t expected = std::count_if(names.begin(), names.end(),
                                    [&](const std::string& n) { return n.rfind(prefix, 0) == 0; });
    EXPECT_EQ(Find(index, prefix).count, static_cast<int>(expected)) << prefix;
    EXPECT_EQ(ListMatches(&index, prefix).size(), expected) << prefix;
  }
}

}  // namespace
