#include "console/tree.h"

#include <new>

#include "platform/assert.h"

namespace {

// Raises the assertion prompt naming the broken rule; returns whether the rule held.
bool Holds(bool rule, const char* text) {
  if (!rule) HalAssert("%s", text);
  return rule;
}

bool CursorSet(const TreeNode* io_Node) {
  return Holds(io_Node != nullptr, "(TreeNode*)io_Node != NULL");
}

bool DataCursorSet(const TreeNode* i_Node) {
  return Holds(i_Node != nullptr, "(TreeNode*)i_Node != NULL");
}

// Moves the cursor along one link when it leads somewhere.
bool Follow(TreeNode*& io_Node, TreeNode* TreeNode::*link) {
  if (!CursorSet(io_Node) || io_Node->*link == nullptr) return false;
  io_Node = io_Node->*link;
  return true;
}

bool Has(const TreeNode* io_Node, TreeNode* TreeNode::*link) {
  return CursorSet(io_Node) && io_Node->*link != nullptr;
}

}  // namespace

Tree::~Tree() {
  Clear();
  Holds(m_NumNodes == 0, "m_NumNodes == 0");
}

TreeNode* Tree::NewNode() {
  TreeNode* i_Node = new (std::nothrow) TreeNode;
  if (!Holds(i_Node != nullptr, "i_Node != NULL")) return nullptr;
  m_NumNodes++;
  return i_Node;
}

void Tree::CreateRoot(TreeNode*& io_Node) {
  Clear();
  m_Root = NewNode();
  io_Node = m_Root;
}

bool Tree::GetRoot(TreeNode*& io_Node) const {
  if (m_Root == nullptr) return false;
  io_Node = m_Root;
  return true;
}

bool Tree::ToFirstChild(TreeNode*& io_Node) const {
  return Follow(io_Node, &TreeNode::firstChild);
}
bool Tree::ToNextSibling(TreeNode*& io_Node) const {
  return Follow(io_Node, &TreeNode::nextSibling);
}
bool Tree::ToPrevSibling(TreeNode*& io_Node) const {
  return Follow(io_Node, &TreeNode::prevSibling);
}
bool Tree::ToParent(TreeNode*& io_Node) const {
  return Follow(io_Node, &TreeNode::parent);
}

bool Tree::HasFirstChild(const TreeNode* io_Node) const {
  return Has(io_Node, &TreeNode::firstChild);
}
bool Tree::HasNextSibling(const TreeNode* io_Node) const {
  return Has(io_Node, &TreeNode::nextSibling);
}
bool Tree::HasPrevSibling(const TreeNode* io_Node) const {
  return Has(io_Node, &TreeNode::prevSibling);
}
bool Tree::HasParent(const TreeNode* io_Node) const {
  return Has(io_Node, &TreeNode::parent);
}

bool Tree::AddFirstChild(TreeNode*& io_Node) {
  if (!Holds(m_Root != nullptr, "m_Root != NULL") || !CursorSet(io_Node)) return false;
  TreeNode* node = NewNode();
  if (node == nullptr) return false;
  node->parent = io_Node;
  node->nextSibling = io_Node->firstChild;
  if (io_Node->firstChild != nullptr) io_Node->firstChild->prevSibling = node;
  io_Node->firstChild = node;
  io_Node = node;
  return true;
}

bool Tree::InsertBefore(TreeNode*& io_Node) {
  if (!Holds(m_Root != nullptr, "m_Root != NULL") || !CursorSet(io_Node)) return false;
  if (io_Node->parent == nullptr) return false;
  TreeNode* node = NewNode();
  if (node == nullptr) return false;
  node->parent = io_Node->parent;
  node->prevSibling = io_Node->prevSibling;
  node->nextSibling = io_Node;
  if (io_Node->prevSibling != nullptr) {
    io_Node->prevSibling->nextSibling = node;
  } else {
    io_Node->parent->firstChild = node;
  }
  io_Node->prevSibling = node;
  io_Node = node;
  return true;
}

bool Tree::InsertAbove(TreeNode*& io_Node) {
  if (!Holds(m_Root != nullptr, "m_Root != NULL") || !CursorSet(io_Node)) return false;
  TreeNode* node = NewNode();
  if (node == nullptr) return false;
  TreeNode* below = io_Node;
  node->parent = below->parent;
  node->prevSibling = below->prevSibling;
  node->nextSibling = below->nextSibling;
  if (below->prevSibling != nullptr) below->prevSibling->nextSibling = node;
  if (below->nextSibling != nullptr) below->nextSibling->prevSibling = node;
  if (below->parent == nullptr) {
    m_Root = node;
  } else if (below->parent->firstChild == below) {
    below->parent->firstChild = node;
  }
  below->parent = node;
  below->prevSibling = nullptr;
  below->nextSibling = nullptr;
  node->firstChild = below;
  io_Node = node;
  return true;
}

void* Tree::GetData(const TreeNode* i_Node) const {
  return DataCursorSet(i_Node) ? i_Node->data : nullptr;
}

void Tree::SetData(TreeNode* i_Node, void* data) {
  if (!DataCursorSet(i_Node)) return;
  if (i_Node->data != nullptr && i_Node->data != data) m_DestroyData(i_Node->data);
  i_Node->data = data;
}

// Frees every node below node, deepest first, without recursion.
void Tree::FreeBelow(TreeNode* node) {
  TreeNode* at = node->firstChild;
  while (at != nullptr) {
    if (at->firstChild != nullptr) {
      at = at->firstChild;
      continue;
    }
    TreeNode* next = at->nextSibling != nullptr ? at->nextSibling : at->parent;
    if (next == at->parent) next->firstChild = nullptr;
    if (at->data != nullptr) m_DestroyData(at->data);
    delete at;
    m_NumNodes--;
    at = next == node ? nullptr : next;
  }
  node->firstChild = nullptr;
}

void Tree::DeleteSubtree(TreeNode*& io_Node) {
  if (!CursorSet(io_Node)) return;
  TreeNode* node = io_Node;
  FreeBelow(node);
  if (node->prevSibling != nullptr) {
    node->prevSibling->nextSibling = node->nextSibling;
  } else if (node->parent != nullptr) {
    node->parent->firstChild = node->nextSibling;
  }
  if (node->nextSibling != nullptr) node->nextSibling->prevSibling = node->prevSibling;
  if (node == m_Root) m_Root = nullptr;
  io_Node = node->parent;
  if (node->data != nullptr) m_DestroyData(node->data);
  delete node;
  m_NumNodes--;
}

void Tree::Clear() {
  TreeNode* node = m_Root;
  if (node != nullptr) DeleteSubtree(node);
}

// ---- The name index ----

namespace {

struct IndexEntry {
  std::string text;
  bool isName = false;
};

void DestroyEntry(void* data) {
  delete static_cast<IndexEntry*>(data);
}

const NameIndex* ActiveCompletionIndex = nullptr;

const IndexEntry& EntryOf(const Tree& tree, const TreeNode* node) {
  static const IndexEntry kNone;
  const auto* entry = static_cast<const IndexEntry*>(tree.GetData(node));
  return entry != nullptr ? *entry : kNone;
}

void SetEntry(Tree& tree, TreeNode* node, std::string_view text, bool isName) {
  auto* entry = new (std::nothrow) IndexEntry{std::string(text), isName};
  if (entry != nullptr) tree.SetData(node, entry);
}

size_t CommonLength(std::string_view a, std::string_view b) {
  size_t n = 0;
  while (n < a.size() && n < b.size() && a[n] == b[n]) n++;
  return n;
}

// The child of node whose text shares more than node's own text with word; siblings part right
// after their parent's text, so there is at most one.
TreeNode* ChildSharing(const Tree& tree, TreeNode* node, std::string_view word) {
  size_t own = EntryOf(tree, node).text.size();
  TreeNode* child = node;
  if (!tree.ToFirstChild(child)) return nullptr;
  do {
    if (CommonLength(EntryOf(tree, child).text, word) > own) return child;
  } while (tree.ToNextSibling(child));
  return nullptr;
}

// A new name node in front of node's children.
void AddLeaf(Tree& tree, TreeNode* node, std::string_view name) {
  if (tree.AddFirstChild(node)) SetEntry(tree, node, name, true);
}

// The node whose subtree holds exactly the names that begin with word, or nullptr.
TreeNode* FindSubtree(const NameIndex* index, std::string_view word) {
  const Tree& tree = index->tree;
  TreeNode* node = nullptr;
  if (!tree.GetRoot(node)) return nullptr;
  while (EntryOf(tree, node).text.size() < word.size()) {
    TreeNode* child = ChildSharing(tree, node, word);
    if (child == nullptr) return nullptr;
    const std::string& text = EntryOf(tree, child).text;
    size_t common = CommonLength(text, word);
    if (common < text.size() && common < word.size()) return nullptr;  // they part ways
    node = child;
  }
  return node;
}

// Visits the names of node's subtree, node first, then its children in sibling order.
template <typename Visit>
void ForEachName(const Tree& tree, TreeNode* node, Visit visit) {
  const IndexEntry& entry = EntryOf(tree, node);
  if (entry.isName) visit(entry.text);
  TreeNode* child = node;
  if (!tree.ToFirstChild(child)) return;
  do {
    ForEachName(tree, child, visit);
  } while (tree.ToNextSibling(child));
}

}  // namespace

NameIndex::NameIndex() : tree(DestroyEntry) {}

void InitNameIndex(NameIndex* index) {
  TreeNode* root = nullptr;
  index->tree.CreateRoot(root);
  if (root != nullptr) SetEntry(index->tree, root, "", false);
}

void AddName(NameIndex* index, std::string_view name) {
  Tree& tree = index->tree;
  TreeNode* node = nullptr;
  if (name.empty() || !tree.GetRoot(node)) return;
  for (;;) {
    TreeNode* child = ChildSharing(tree, node, name);
    if (child == nullptr) return AddLeaf(tree, node, name);
    const IndexEntry& entry = EntryOf(tree, child);
    size_t common = CommonLength(entry.text, name);
    if (common == entry.text.size()) {
      if (common < name.size()) {
        node = child;
        continue;
      }
      if (!entry.isName) SetEntry(tree, child, name, true);
      return;
    }
    // The child's text runs past the part it shares with the name: a node for the shared part
    // goes above it, holding the name itself or parting the two.
    if (!tree.InsertAbove(child)) return;
    SetEntry(tree, child, name.substr(0, common), common == name.size());
    if (common < name.size()) AddLeaf(tree, child, name);
    return;
  }
}

int MatchName(const NameIndex* index, std::string_view word, std::string* completion) {
  TreeNode* node = FindSubtree(index, word);
  if (node == nullptr) return 0;
  int count = 0;
  ForEachName(index->tree, node, [&count](const std::string&) { count++; });
  if (count == 0) return 0;
  // An unmarked node with a single child (only the root can be one) shares more below.
  const Tree& tree = index->tree;
  while (!EntryOf(tree, node).isName && tree.HasFirstChild(node)) {
    TreeNode* child = node;
    tree.ToFirstChild(child);
    if (tree.HasNextSibling(child)) break;
    node = child;
  }
  *completion = EntryOf(tree, node).text;
  return count;
}

std::vector<std::string> ListMatches(const NameIndex* index, std::string_view word) {
  std::vector<std::string> names;
  TreeNode* node = FindSubtree(index, word);
  if (node != nullptr) {
    ForEachName(index->tree, node, [&names](const std::string& n) { names.push_back(n); });
  }
  return names;
}

void SetCompletionIndex(const NameIndex* index) {
  ActiveCompletionIndex = index;
}

const NameIndex* CompletionIndex() {
  return ActiveCompletionIndex;
}
