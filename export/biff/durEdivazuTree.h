// Maps keyed by 32-bit values (pointers or integers, compared unsigned) for the
// storage unit: a B-tree and an AVL tree behind one interface. Neither can
// remove a key. Also the unit's table of bit counts and its two exception
// classes.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "export/vuzCryptoAssert.h"
#include "platform/rtl/exceptions.h"

namespace report {

VUZ_DECLARE_EXCEPTION(ENotImplemented, rtl::Exception)
VUZ_DECLARE_EXCEPTION(ENotSupportedException, rtl::Exception)

// The number of 1 bits of each byte value.
const std::uint8_t* BitCountTable();

using TMapKey = std::uint32_t;

class TMap {
 public:
  virtual ~TMap() = default;
  // Adds the key with a nil value; removing raises ENotImplemented.
  virtual void SetItemExistence(TMapKey key, bool exists) = 0;
  virtual bool ItemExists(TMapKey key) const = 0;
  // The value, or nullptr when the key is absent.
  virtual void* GetItem(TMapKey key) const = 0;
  virtual void SetItem(TMapKey key, void* value) = 0;
};

class TOrderedMap : public TMap {
 public:
  // Fills either list (a nullptr list is skipped) in ascending key order.
  virtual void GetKeysAndValues(std::vector<TMapKey>* keys, std::vector<void*>* values) const = 0;
};

class TBTreeNode {
 public:
  // capacity >= 1 keys, capacity + 1 child references.
  explicit TBTreeNode(int capacity);
  ~TBTreeNode();
  TBTreeNode(const TBTreeNode&) = delete;
  TBTreeNode& operator=(const TBTreeNode&) = delete;

  int Length() const { return length_; }
  int Capacity() const { return static_cast<int>(keys_.size()); }
  TMapKey GetKey(int i) const;
  void* GetVal(int i) const;
  void SetKey(int i, TMapKey key);
  void SetVal(int i, void* value);
  TBTreeNode* GetRef(int i) const;
  void SetRef(int i, TBTreeNode* node);  // the node takes ownership
  void SetLen(int length);

 private:
  std::vector<TMapKey> keys_;
  std::vector<void*> values_;
  std::vector<TBTreeNode*> refs_;
  int length_ = 0;
};

class TBTree : public TOrderedMap {
 public:
  // order: even, at least 4; a node holds at most order - 1 keys.
  explicit TBTree(int order);
  ~TBTree() override;
  TBTree(const TBTree&) = delete;
  TBTree& operator=(const TBTree&) = delete;

  void SetItemExistence(TMapKey key, bool exists) override;
  bool ItemExists(TMapKey key) const override;
  void* GetItem(TMapKey key) const override;
  void SetItem(TMapKey key, void* value) override { Insert(key, value); }
  void GetKeysAndValues(std::vector<TMapKey>* keys, std::vector<void*>* values) const override;

  // True when the key is new, false when only its value was replaced.
  bool Insert(TMapKey key, void* value);
  int GetKeysCount() const;
  int GetHeight() const;
  const TBTreeNode* Root() const { return root_; }

 private:
  bool Full(const TBTreeNode* node) const { return node->Length() == order_ - 1; }
  void Split(TBTreeNode* parent, int i);
  const TBTreeNode* FindKey(TMapKey key, int& index) const;

  int order_;
  TBTreeNode* root_ = nullptr;
};

// The first index whose key is not smaller than key (linear for short nodes,
// binary for longer ones).
int BTreeFindIndex(const TBTreeNode& node, TMapKey key);

struct TAVLTreeNode {
  TAVLTreeNode(TMapKey k, void* v) : key(k), value(v) {}
  ~TAVLTreeNode();
  TAVLTreeNode(const TAVLTreeNode&) = delete;
  TAVLTreeNode& operator=(const TAVLTreeNode&) = delete;
  TMapKey key;
  void* value;
  std::uint8_t height = 1;
  // child[1] holds smaller keys, child[0] greater ones.
  TAVLTreeNode* child[2] = {nullptr, nullptr};
};

class TAVLTree : public TMap {
 public:
  TAVLTree() = default;
  ~TAVLTree() override { delete root_; }
  TAVLTree(const TAVLTree&) = delete;
  TAVLTree& operator=(const TAVLTree&) = delete;

  void SetItemExistence(TMapKey key, bool exists) override;
  bool ItemExists(TMapKey key) const override { return FindKey(key) != nullptr; }
  void* GetItem(TMapKey key) const override;
  void SetItem(TMapKey key, void* value) override;
  const TAVLTreeNode* Root() const { return root_; }

 private:
  const TAVLTreeNode* FindKey(TMapKey key) const;
  void Insert(TAVLTreeNode* parent, TAVLTreeNode* node, TMapKey key, void* value);
  void Rotate(TAVLTreeNode* parent, TAVLTreeNode* node, int d);

  TAVLTreeNode* root_ = nullptr;
};

}  // namespace report
