// A general tree container, and the name index built on it that the line editor completes
// words from.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct TreeNode {
  TreeNode* parent = nullptr;
  TreeNode* prevSibling = nullptr;
  TreeNode* nextSibling = nullptr;
  TreeNode* firstChild = nullptr;
  void* data = nullptr;  // owned: freed by the tree's data destructor
};

// One tree. Every operation works on a cursor, a node pointer held by the caller, which the
// moving operations move. A cursor that points nowhere, or an empty tree where a root is needed,
// is an interface fault: it raises the assertion prompt, and the operation then does nothing.
class Tree {
 public:
  using DataDestructor = void (*)(void* data);

  explicit Tree(DataDestructor destroyData) : m_DestroyData(destroyData) {}
  ~Tree();
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;

  // Makes a new empty node the root (a tree that had one is cleared first); the cursor moves to
  // it.
  void CreateRoot(TreeNode*& io_Node);
  // The cursor moves to the root; false when the tree is empty.
  bool GetRoot(TreeNode*& io_Node) const;

  // Each moves the cursor; false, cursor unchanged, when there is no such node.
  bool ToFirstChild(TreeNode*& io_Node) const;
  bool ToNextSibling(TreeNode*& io_Node) const;
  bool ToPrevSibling(TreeNode*& io_Node) const;
  bool ToParent(TreeNode*& io_Node) const;

  bool HasFirstChild(const TreeNode* io_Node) const;
  bool HasNextSibling(const TreeNode* io_Node) const;
  bool HasPrevSibling(const TreeNode* io_Node) const;
  bool HasParent(const TreeNode* io_Node) const;

  // A new empty node becomes the cursor node's first child (its only one, as the index uses it;
  // children already there follow it). The cursor moves to the new node.
  bool AddFirstChild(TreeNode*& io_Node);
  // A new empty node is linked in front of the cursor's node among its siblings; the cursor
  // moves to it. The root has no siblings: false.
  bool InsertBefore(TreeNode*& io_Node);
  // A new empty node takes the cursor node's place (the root's too) and the cursor's node, with
  // everything below it, becomes its only child; the cursor moves to the new node.
  bool InsertAbove(TreeNode*& io_Node);

  void* GetData(const TreeNode* i_Node) const;
  // Data replaced by other data is freed with the data destructor.
  void SetData(TreeNode* i_Node, void* data);

  // Deletes the cursor's node and everything below it; the cursor moves to its parent (none
  // when the root went).
  void DeleteSubtree(TreeNode*& io_Node);
  // Deletes every node.
  void Clear();

  size_t NumNodes() const { return m_NumNodes; }

 private:
  TreeNode* NewNode();
  void FreeBelow(TreeNode* node);

  TreeNode* m_Root = nullptr;
  size_t m_NumNodes = 0;
  DataDestructor m_DestroyData;
};

// A prefix tree of names: every node's text begins with its parent's text; a node marked as a
// name is one complete name; an unmarked inner node holds the longest beginning shared by the
// names below it. The root holds the empty text. Names are compared with regard to case.
struct NameIndex {
  Tree tree;
  NameIndex();
};

// Clears the index and creates the root with the empty text.
void InitNameIndex(NameIndex* index);
// Inserts a name; a name already present (or an empty one) is ignored.
void AddName(NameIndex* index, std::string_view name);
// The number of names that begin with word; when there is at least one, completion receives the
// longest beginning they all share (the whole name when there is exactly one).
int MatchName(const NameIndex* index, std::string_view word, std::string* completion);
// The names that begin with word, the most recently added first among siblings.
std::vector<std::string> ListMatches(const NameIndex* index, std::string_view word);

// Makes the index the one the line editor completes from; nullptr turns completion off.
void SetCompletionIndex(const NameIndex* index);
const NameIndex* CompletionIndex();
