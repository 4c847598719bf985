#include "platform/rtl/object_handles.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace rtl {
namespace {

// handle = generation << kIndexBits | index; index 0 is never used, so no
// handle is 0, and every handle is positive.
constexpr int kIndexBits = 20;
constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;
constexpr uint32_t kGenerationLimit = 1u << (31 - kIndexBits);
constexpr std::size_t kMinFreeBeforeReuse = 4096;

struct Slot {
  void* object = nullptr;
  const std::type_info* type = nullptr;
  uint32_t generation = 1;
};

struct Table {
  std::atomic<int> live{0};  // registrations, read without the lock by Release
  std::mutex lock;
  std::vector<Slot> slots{1};  // slot 0 stays empty
  std::deque<uint32_t> free;   // oldest first: a slot rests before it is reused
  std::unordered_map<const void*, int32_t> byObject;
};

Table& TheTable() {
  static Table* table = new Table;  // outlives objects freed by late finalisers
  return *table;
}

int32_t MakeHandle(uint32_t index, uint32_t generation) {
  return static_cast<int32_t>((generation << kIndexBits) | index);
}

}  // namespace

int32_t ObjectHandles::Acquire(void* object, const std::type_info& type) {
  Table& t = TheTable();
  std::lock_guard guard(t.lock);
  if (auto it = t.byObject.find(object); it != t.byObject.end()) {
    const Slot& slot = t.slots[static_cast<uint32_t>(it->second) & kIndexMask];
    if (*slot.type != type) throw EInvalidCast("Invalid class typecast");
    return it->second;
  }
  uint32_t index;
  // Freed slots wait in line while the table can still grow, so a slot's
  // generation wraps only after millions of objects, not after a few
  // thousand creations and frees of one object.
  if (!t.free.empty() && (t.free.size() >= kMinFreeBeforeReuse || t.slots.size() > kIndexMask)) {
    index = t.free.front();
    t.free.pop_front();
  } else {
    if (t.slots.size() > kIndexMask) throw EOutOfMemory("Too many objects have script handles");
    index = static_cast<uint32_t>(t.slots.size());
    t.slots.emplace_back();
  }
  Slot& slot = t.slots[index];
  slot.object = object;
  slot.type = &type;
  int32_t handle = MakeHandle(index, slot.generation);
  t.byObject.emplace(object, handle);
  t.live.fetch_add(1, std::memory_order_release);
  return handle;
}

void* ObjectHandles::Lookup(int32_t handle, const std::type_info& type) {
  Table& t = TheTable();
  std::lock_guard guard(t.lock);
  auto h = static_cast<uint32_t>(handle);
  uint32_t index = h & kIndexMask;
  uint32_t generation = h >> kIndexBits;
  if (handle < 0 || index == 0 || index >= t.slots.size() || t.slots[index].object == nullptr ||
      t.slots[index].generation != generation)
    throw EInvalidPointer("Invalid object reference");
  if (*t.slots[index].type != type) throw EInvalidCast("Invalid class typecast");
  return t.slots[index].object;
}

bool ObjectHandles::IsValid(int32_t handle) noexcept {
  Table& t = TheTable();
  std::lock_guard guard(t.lock);
  auto h = static_cast<uint32_t>(handle);
  uint32_t index = h & kIndexMask;
  return handle > 0 && index != 0 && index < t.slots.size() && t.slots[index].object != nullptr &&
         t.slots[index].generation == (h >> kIndexBits);
}

void ObjectHandles::Release(const void* object) noexcept {
  Table& t = TheTable();
  // Every object of a class tree may call this from its destructor; most were
  // never registered, and with no registrations at all there is nothing to do.
  if (t.live.load(std::memory_order_acquire) == 0) return;
  std::lock_guard guard(t.lock);
  auto it = t.byObject.find(object);
  if (it == t.byObject.end()) return;
  uint32_t index = static_cast<uint32_t>(it->second) & kIndexMask;
  t.byObject.erase(it);
  t.live.fetch_sub(1, std::memory_order_release);
  Slot& slot = t.slots[index];
  slot.object = nullptr;
  slot.type = nullptr;
  // Generation 0 is skipped so that a handle is never the plain index.
  slot.generation = slot.generation + 1 < kGenerationLimit ? slot.generation + 1 : 1;
  t.free.push_back(index);
}

int ObjectHandles::Count() noexcept {
  Table& t = TheTable();
  std::lock_guard guard(t.lock);
  return static_cast<int>(t.byObject.size());
}

}  // namespace rtl
