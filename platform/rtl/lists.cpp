#include "platform/rtl/lists.h"

#include <algorithm>
#include <numeric>

namespace rtl {

void ListIndexError(int index) { throw EListError("List index out of bounds (" + std::to_string(index) + ")"); }

std::vector<int> StableOrder(int n, const std::function<bool(int, int)>& less) {
  std::vector<int> order(static_cast<std::size_t>(std::max(n, 0)));
  std::iota(order.begin(), order.end(), 0);
  std::vector<int> buffer(order.size());
  for (std::size_t width = 1; width < order.size(); width *= 2) {
    for (std::size_t lo = 0; lo < order.size(); lo += 2 * width) {
      std::size_t mid = std::min(lo + width, order.size()), hi = std::min(lo + 2 * width, order.size());
      std::size_t a = lo, b = mid, out = lo;
      // Take from the right run only when it is strictly smaller: stable.
      while (a < mid && b < hi) buffer[out++] = less(order[b], order[a]) ? order[b++] : order[a++];
      while (a < mid) buffer[out++] = order[a++];
      while (b < hi) buffer[out++] = order[b++];
    }
    order.swap(buffer);
  }
  return order;
}

TList::~TList() {
  // Derived lists clear themselves in their own destructors, where their
  // Notify still runs; here the entries are just dropped.
  items_.clear();
}

void* TList::Items(int index) const {
  Check(index);
  return items_[static_cast<std::size_t>(index)];
}

void TList::SetItems(int index, void* item) {
  Check(index);
  void*& slot = items_[static_cast<std::size_t>(index)];
  if (slot == item) return;
  void* old = slot;
  slot = item;
  if (old) Notify(old, lnDeleted);
  if (item) Notify(item, lnAdded);
}

void TList::SetCapacity(int capacity) {
  if (capacity < Count()) throw EListError("List capacity out of bounds (" + std::to_string(capacity) + ")");
  items_.reserve(static_cast<std::size_t>(capacity));
}

int TList::Add(void* item) {
  items_.push_back(item);
  if (item) Notify(item, lnAdded);
  return Count() - 1;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > Count()) ListIndexError(index);
  items_.insert(items_.begin() + index, item);
  if (item) Notify(item, lnAdded);
}

void TList::Delete(int index) {
  Check(index);
  void* item = items_[static_cast<std::size_t>(index)];
  items_.erase(items_.begin() + index);
  if (item) Notify(item, lnDeleted);
}

int TList::Remove(void* item) {
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* item) {
  int index = IndexOf(item);
  if (index < 0) return nullptr;
  items_.erase(items_.begin() + index);
  Notify(item, lnExtracted);
  return item;
}

int TList::IndexOf(const void* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TList::Clear() {
  // Delete from the end so that a notification sees a consistent list.
  while (!items_.empty()) Delete(Count() - 1);
  items_.shrink_to_fit();
}

void TList::Exchange(int a, int b) {
  Check(a);
  Check(b);
  std::swap(items_[static_cast<std::size_t>(a)], items_[static_cast<std::size_t>(b)]);
}

void TList::Move(int from, int to) {
  if (from == to) return;
  Check(from);
  Check(to);
  void* item = items_[static_cast<std::size_t>(from)];
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, item);
}

void TList::Pack() { items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end()); }

void TList::Sort(const std::function<int(void*, void*)>& compare) {
  auto order = StableOrder(Count(), [&](int a, int b) {
    return compare(items_[static_cast<std::size_t>(a)], items_[static_cast<std::size_t>(b)]) < 0;
  });
  std::vector<void*> sorted;
  sorted.reserve(items_.size());
  for (int i : order) sorted.push_back(items_[static_cast<std::size_t>(i)]);
  items_ = std::move(sorted);
}

void TList::Notify(void*, TListNotification) {}

void TObjectList::Notify(void* item, TListNotification action) {
  if (owns_ && action == lnDeleted) delete static_cast<TObject*>(item);
}

}  // namespace rtl
