// Lists of pointers: TList (holds, never frees) and TObjectList (frees the
// objects it owns when they are deleted from it or when it is destroyed).
// A bad index raises EListError "List index out of bounds (<index>)".
#pragma once
#include <functional>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/object.h"

namespace rtl {

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

[[noreturn]] void ListIndexError(int index);

// The order 0..n-1 sorted by less(i, j), keeping equal entries in place. A
// merge sort: it stays within bounds even when less is not a consistent
// order (a user's comparison may not be).
std::vector<int> StableOrder(int n, const std::function<bool(int, int)>& less);

class TList : public TObject {
 public:
  TList() = default;
  ~TList() override;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  void* Items(int index) const;
  void* operator[](int index) const { return Items(index); }
  void SetItems(int index, void* item);
  int Capacity() const { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int capacity);

  int Add(void* item);
  void Insert(int index, void* item);
  void Delete(int index);
  // Removes the first occurrence; answers its former index or -1.
  int Remove(void* item);
  // Removes without the deletion notification (an owning list does not free it).
  void* Extract(void* item);
  int IndexOf(const void* item) const;
  void Clear();
  void Exchange(int a, int b);
  void Move(int from, int to);
  void* First() const { return Items(0); }
  void* Last() const { return Items(Count() - 1); }
  // Removes the null entries.
  void Pack();
  // Sorts by compare(a, b) < 0, keeping the order of equal items.
  void Sort(const std::function<int(void*, void*)>& compare);

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 protected:
  // Called after an item enters and after it leaves the list.
  virtual void Notify(void* item, TListNotification action);

 private:
  void Check(int index) const {
    if (index < 0 || index >= Count()) ListIndexError(index);
  }
  std::vector<void*> items_;
};

// Holds TObjects; with OwnsObjects (the default) deleting an entry, clearing
// or destroying the list frees the object.
class TObjectList : public TList {
 public:
  explicit TObjectList(bool ownsObjects = true) : owns_(ownsObjects) {}
  ~TObjectList() override { Clear(); }

  bool OwnsObjects() const { return owns_; }
  void SetOwnsObjects(bool owns) { owns_ = owns; }
  TObject* Items(int index) const { return static_cast<TObject*>(TList::Items(index)); }
  TObject* operator[](int index) const { return Items(index); }
  int Add(TObject* item) { return TList::Add(item); }
  void Insert(int index, TObject* item) { TList::Insert(index, item); }
  int Remove(TObject* item) { return TList::Remove(item); }
  TObject* Extract(TObject* item) { return static_cast<TObject*>(TList::Extract(item)); }
  int IndexOf(const TObject* item) const { return TList::IndexOf(item); }

 protected:
  void Notify(void* item, TListNotification action) override;

 private:
  bool owns_;
};

}  // namespace rtl
