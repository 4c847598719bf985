// Storage trees: the B-tree and the AVL tree against a reference map, their
// shapes on small inputs, refused removals and the bit-count table.
#include "export/biff/durEdivazuTree.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

using namespace report;

void* P(std::uintptr_t v) { return reinterpret_cast<void*>(v); }

std::vector<TMapKey> InOrder(const TBTree& t) {
  std::vector<TMapKey> keys;
  t.GetKeysAndValues(&keys, nullptr);
  return keys;
}

// Every node of a B-tree holds at most order - 1 keys, and every leaf lies
// at the same depth.
void CheckBTree(const TBTreeNode* node, int order, int depth, int& leafDepth) {
  if (!node) return;
  ASSERT_LE(node->Length(), order - 1);
  ASSERT_GE(node->Length(), 1);
  if (!node->GetRef(0)) {
    if (leafDepth < 0) leafDepth = depth;
    ASSERT_EQ(depth, leafDepth);
    return;
  }
  for (int i = 0; i <= node->Length(); ++i) CheckBTree(node->GetRef(i), order, depth + 1, leafDepth);
}

// AVL: children differ in height by at most one; heights are right.
int CheckAvl(const TAVLTreeNode* node) {
  if (!node) return 0;
  const int a = CheckAvl(node->child[0]), b = CheckAvl(node->child[1]);
  EXPECT_LE(std::abs(a - b), 1);
  EXPECT_EQ(node->height, 1 + std::max(a, b));
  return 1 + std::max(a, b);
}

TEST(BTree, OrderFourOneToTen) {
  TBTree t(4);
  for (TMapKey k = 1; k <= 10; ++k) EXPECT_TRUE(t.Insert(k, P(k * 100)));
  EXPECT_EQ(t.GetHeight(), 3);
  EXPECT_EQ(InOrder(t), (std::vector<TMapKey>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_FALSE(t.Insert(5, P(55)));
  EXPECT_EQ(t.GetItem(5), P(55));
  EXPECT_EQ(t.GetKeysCount(), 10);
  EXPECT_EQ(t.GetItem(11), nullptr);
  EXPECT_FALSE(t.ItemExists(0));
}

TEST(BTree, OrdersMustBeEvenAndAtLeastFour) {
  for (int order : {5, 2, 0, -4}) EXPECT_THROW(TBTree{order}, EAssertionFailed) << order;
  for (int order : {4, 6, 32}) EXPECT_NO_THROW(TBTree{order}) << order;
}

TEST(BTreeNode, AccessorsCheckTheirRanges) {
  TBTreeNode n(3);
  EXPECT_THROW(n.GetKey(0), EAssertionFailed);
  n.SetLen(2);
  n.SetKey(1, 7);
  EXPECT_EQ(n.GetKey(1), 7u);
  EXPECT_NO_THROW(n.GetRef(2));
  EXPECT_THROW(n.GetRef(3), EAssertionFailed);
  EXPECT_THROW(n.SetLen(4), EAssertionFailed);
  EXPECT_THROW(TBTreeNode(0), EAssertionFailed);
}

TEST(BTreeNode, LinearAndBinarySearchGiveTheSameIndex) {
  for (int length : {3, 9, 10, 25}) {
    TBTreeNode n(length);
    n.SetLen(length);
    for (int i = 0; i < length; ++i) n.SetKey(i, static_cast<TMapKey>(i * 2 + 1));
    for (TMapKey key = 0; key <= static_cast<TMapKey>(length * 2 + 1); ++key)
      EXPECT_EQ(BTreeFindIndex(n, key), std::min<int>(length, static_cast<int>(key / 2))) << length << " " << key;
  }
}

// Both maps against std::map over random keys, unsigned order included
// (keys above 2^31).
TEST(Maps, AgreeWithAReferenceMap) {
  for (int order : {4, 6, 20}) {
    std::mt19937 random(static_cast<unsigned>(order));
    TBTree b(order);
    TAVLTree avl;
    std::map<TMapKey, void*> ref;
    for (int i = 0; i < 3000; ++i) {
      const TMapKey key = (random() % 2) ? random() : random() % 500;
      void* value = P(static_cast<std::uintptr_t>(i + 1));
      const bool isNew = ref.find(key) == ref.end();
      ref[key] = value;
      EXPECT_EQ(b.Insert(key, value), isNew);
      avl.SetItem(key, value);
    }
    std::vector<TMapKey> keys;
    std::vector<void*> values;
    b.GetKeysAndValues(&keys, &values);
    ASSERT_EQ(keys.size(), ref.size());
    std::size_t i = 0;
    for (const auto& [k, v] : ref) {
      EXPECT_EQ(keys[i], k);
      EXPECT_EQ(values[i], v);
      EXPECT_EQ(avl.GetItem(k), v);
      EXPECT_TRUE(avl.ItemExists(k));
      ++i;
    }
    int leafDepth = -1;
    CheckBTree(b.Root(), order, 0, leafDepth);
    CheckAvl(avl.Root());
  }
}

TEST(AVLTree, RotationsBringTheMiddleKeyToTheRoot) {
  const std::vector<TMapKey> orders[] = {{1, 2, 3}, {3, 2, 1}, {3, 1, 2}, {1, 3, 2}};
  for (const auto& keys : orders) {
    TAVLTree t;
    for (TMapKey k : keys) t.SetItem(k, P(k));
    ASSERT_NE(t.Root(), nullptr);
    EXPECT_EQ(t.Root()->key, 2u) << keys[0] << keys[1] << keys[2];
    EXPECT_EQ(t.Root()->height, 2);
  }
}

TEST(Maps, RemovingAKeyIsNotImplemented) {
  TBTree b(4);
  TAVLTree a;
  b.SetItemExistence(3, true);
  a.SetItemExistence(3, true);
  EXPECT_TRUE(b.ItemExists(3));
  EXPECT_TRUE(a.ItemExists(3));
  EXPECT_EQ(b.GetItem(3), nullptr);
  try {
    b.SetItemExistence(3, false);
    FAIL();
  } catch (const ENotImplemented& e) {
    EXPECT_STREQ(e.what(), "Removing keys not implemented");
  }
  try {
    a.SetItemExistence(3, false);
    FAIL();
  } catch (const ENotImplemented& e) {
    EXPECT_STREQ(e.what(), "Item cannot be removed");
  }
}

TEST(BitCountTable, CountsOnes) {
  const std::uint8_t* t = BitCountTable();
  const struct { int byte, bits; } cases[] = {{0, 0}, {255, 8}, {0xF0, 4}, {1, 1}, {0x80, 1}, {0x55, 4}, {0x7F, 7}};
  for (const auto& c : cases) EXPECT_EQ(t[c.byte], c.bits) << c.byte;
}

}  // namespace
