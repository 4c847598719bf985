#include "export/biff/durEdivazuTree.h"

#include <array>

namespace report {

namespace {
constexpr const char* kUnit = "durEdivazu";

// Counted by clearing the lowest set bit until none is left.
constexpr std::array<std::uint8_t, 256> MakeBitCounts() {
  std::array<std::uint8_t, 256> table{};
  for (unsigned v = 0; v < 256; ++v) {
    std::uint8_t n = 0;
    for (unsigned x = v; x != 0; x &= x - 1) ++n;
    table[v] = n;
  }
  return table;
}
constexpr std::array<std::uint8_t, 256> kBitCounts = MakeBitCounts();

int Height(const TAVLTreeNode* node) { return node ? node->height : 0; }

void UpdateHeight(TAVLTreeNode* node) {
  node->height = static_cast<std::uint8_t>(1 + std::max(Height(node->child[0]), Height(node->child[1])));
}
}  // namespace

const std::uint8_t* BitCountTable() { return kBitCounts.data(); }

// ---------------------------------------------------------------- B-tree node

TBTreeNode::TBTreeNode(int capacity) {
  VUZ_ASSERT(capacity >= 1, "", kUnit);
  keys_.assign(static_cast<std::size_t>(capacity), 0);
  values_.assign(static_cast<std::size_t>(capacity), nullptr);
  refs_.assign(static_cast<std::size_t>(capacity) + 1, nullptr);
}

TBTreeNode::~TBTreeNode() {
  for (TBTreeNode* child : refs_) delete child;
}

TMapKey TBTreeNode::GetKey(int i) const {
  VUZ_ASSERT(i >= 0 && i < length_, "", kUnit);
  return keys_[static_cast<std::size_t>(i)];
}

void* TBTreeNode::GetVal(int i) const {
  VUZ_ASSERT(i >= 0 && i < length_, "", kUnit);
  return values_[static_cast<std::size_t>(i)];
}

void TBTreeNode::SetKey(int i, TMapKey key) {
  VUZ_ASSERT(i >= 0 && i < length_, "", kUnit);
  keys_[static_cast<std::size_t>(i)] = key;
}

void TBTreeNode::SetVal(int i, void* value) {
  VUZ_ASSERT(i >= 0 && i < length_, "", kUnit);
  values_[static_cast<std::size_t>(i)] = value;
}

TBTreeNode* TBTreeNode::GetRef(int i) const {
  VUZ_ASSERT(i >= 0 && i <= length_, "", kUnit);
  return refs_[static_cast<std::size_t>(i)];
}

void TBTreeNode::SetRef(int i, TBTreeNode* node) {
  VUZ_ASSERT(i >= 0 && i <= length_, "", kUnit);
  refs_[static_cast<std::size_t>(i)] = node;
}

void TBTreeNode::SetLen(int length) {
  VUZ_ASSERT(length >= 0 && length <= Capacity(), "", kUnit);
  // Slots beyond a shorter length hold no references: they moved elsewhere.
  for (int i = length + 1; i <= length_; ++i) refs_[static_cast<std::size_t>(i)] = nullptr;
  length_ = length;
}

int BTreeFindIndex(const TBTreeNode& node, TMapKey key) {
  const int n = node.Length();
  if (n <= 9) {
    int i = 0;
    while (i < n && node.GetKey(i) < key) ++i;
    return i;
  }
  int lo = 0, hi = n;
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (node.GetKey(mid) < key)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

// ---------------------------------------------------------------- B-tree

TBTree::TBTree(int order) : order_(order) {
  VUZ_ASSERT(order >= 4 && order % 2 == 0, "The order of a B-tree must be even and at least 4", kUnit);
}

TBTree::~TBTree() { delete root_; }

const TBTreeNode* TBTree::FindKey(TMapKey key, int& index) const {
  for (const TBTreeNode* node = root_; node;) {
    const int i = BTreeFindIndex(*node, key);
    if (i < node->Length() && node->GetKey(i) == key) {
      index = i;
      return node;
    }
    node = node->GetRef(i);
  }
  return nullptr;
}

bool TBTree::ItemExists(TMapKey key) const {
  int i;
  return FindKey(key, i) != nullptr;
}

void* TBTree::GetItem(TMapKey key) const {
  int i;
  const TBTreeNode* node = FindKey(key, i);
  return node ? node->GetVal(i) : nullptr;
}

void TBTree::SetItemExistence(TMapKey key, bool exists) {
  if (!exists) throw ENotImplemented("Removing keys not implemented");
  Insert(key, nullptr);
}

// Inserts at i of node: later keys, values and references shift right; the
// reference right of the new key is right.
static void InsertAt(TBTreeNode* node, int i, TMapKey key, void* value, TBTreeNode* right) {
  const int n = node->Length();
  node->SetLen(n + 1);
  node->SetRef(n + 1, node->GetRef(n));
  for (int k = n; k > i; --k) {
    node->SetKey(k, node->GetKey(k - 1));
    node->SetVal(k, node->GetVal(k - 1));
    node->SetRef(k, node->GetRef(k - 1));
  }
  node->SetKey(i, key);
  node->SetVal(i, value);
  node->SetRef(i + 1, right);
}

void TBTree::Split(TBTreeNode* parent, int i) {
  TBTreeNode* c = parent->GetRef(i);
  VUZ_ASSERT(c && Full(c) && !Full(parent), "", kUnit);
  const int length = c->Length();
  const int h = length / 2;
  auto* right = new TBTreeNode(order_ - 1);
  right->SetLen(length - h - 1);
  for (int k = h + 1; k < length; ++k) {
    right->SetKey(k - h - 1, c->GetKey(k));
    right->SetVal(k - h - 1, c->GetVal(k));
  }
  for (int k = h + 1; k <= length; ++k) right->SetRef(k - h - 1, c->GetRef(k));
  const TMapKey key = c->GetKey(h);
  void* value = c->GetVal(h);
  for (int k = h + 1; k <= length; ++k) c->SetRef(k, nullptr);
  c->SetLen(h);
  InsertAt(parent, i, key, value, right);
}

bool TBTree::Insert(TMapKey key, void* value) {
  if (!root_) {
    root_ = new TBTreeNode(order_ - 1);
    root_->SetLen(1);
    root_->SetKey(0, key);
    root_->SetVal(0, value);
    return true;
  }
  if (Full(root_)) {
    auto* top = new TBTreeNode(order_ - 1);
    top->SetRef(0, root_);
    root_ = top;
    Split(top, 0);
  }
  TBTreeNode* node = root_;
  for (;;) {
    int i = BTreeFindIndex(*node, key);
    if (i < node->Length() && node->GetKey(i) == key) {
      node->SetVal(i, value);
      return false;
    }
    TBTreeNode* child = node->GetRef(i);
    if (!child) {
      InsertAt(node, i, key, value, nullptr);
      return true;
    }
    if (Full(child)) {
      Split(node, i);
      if (node->GetKey(i) == key) {
        node->SetVal(i, value);
        return false;
      }
      if (key >= node->GetKey(i)) ++i;
      child = node->GetRef(i);
    }
    node = child;
  }
}

static int CountKeys(const TBTreeNode* node) {
  if (!node) return 0;
  int n = node->Length();
  for (int i = 0; i <= node->Length(); ++i) n += CountKeys(node->GetRef(i));
  return n;
}

int TBTree::GetKeysCount() const { return CountKeys(root_); }

int TBTree::GetHeight() const {
  int h = 0;
  for (const TBTreeNode* n = root_; n; n = n->GetRef(0)) ++h;
  return h;
}

static void Walk(const TBTreeNode* node, std::vector<TMapKey>* keys, std::vector<void*>* values) {
  if (!node) return;
  for (int i = 0; i < node->Length(); ++i) {
    Walk(node->GetRef(i), keys, values);
    if (keys) keys->push_back(node->GetKey(i));
    if (values) values->push_back(node->GetVal(i));
  }
  Walk(node->GetRef(node->Length()), keys, values);
}

void TBTree::GetKeysAndValues(std::vector<TMapKey>* keys, std::vector<void*>* values) const {
  const auto count = static_cast<std::size_t>(GetKeysCount());
  if (keys) {
    keys->clear();
    keys->reserve(count);
  }
  if (values) {
    values->clear();
    values->reserve(count);
  }
  Walk(root_, keys, values);
}

// ---------------------------------------------------------------- AVL tree

TAVLTreeNode::~TAVLTreeNode() {
  delete child[0];
  delete child[1];
}

const TAVLTreeNode* TAVLTree::FindKey(TMapKey key) const {
  const TAVLTreeNode* node = root_;
  while (node && node->key != key) node = node->child[key < node->key ? 1 : 0];
  return node;
}

void* TAVLTree::GetItem(TMapKey key) const {
  const TAVLTreeNode* node = FindKey(key);
  return node ? node->value : nullptr;
}

void TAVLTree::SetItemExistence(TMapKey key, bool exists) {
  if (!exists) throw ENotImplemented("Item cannot be removed");
  SetItem(key, nullptr);
}

void TAVLTree::SetItem(TMapKey key, void* value) {
  if (!root_) {
    root_ = new TAVLTreeNode(key, value);
    return;
  }
  Insert(nullptr, root_, key, value);
}

void TAVLTree::Insert(TAVLTreeNode* parent, TAVLTreeNode* node, TMapKey key, void* value) {
  if (node->key == key) {
    node->value = value;
    return;
  }
  const int d = key < node->key ? 1 : 0;
  if (!node->child[d]) {
    node->child[d] = new TAVLTreeNode(key, value);
    // A new leaf makes its parent at least 2 high (the other side may be
    // higher already).
    UpdateHeight(node);
    return;
  }
  Insert(node, node->child[d], key, value);
  UpdateHeight(node);
  TAVLTreeNode* c = node->child[d];
  if (Height(c) < Height(node->child[1 - d]) + 2) return;
  if (Height(c->child[1 - d]) > Height(c->child[d])) Rotate(node, c, 1 - d);
  Rotate(parent, node, d);
}

void TAVLTree::Rotate(TAVLTreeNode* parent, TAVLTreeNode* node, int d) {
  TAVLTreeNode* c = node->child[d];
  node->child[d] = c->child[1 - d];
  c->child[1 - d] = node;
  if (!parent)
    root_ = c;
  else if (parent->child[1] == node)
    parent->child[1] = c;
  else
    parent->child[0] = c;
  UpdateHeight(node);
  UpdateHeight(c);
}

}  // namespace report
