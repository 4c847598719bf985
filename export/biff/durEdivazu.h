// Storage containers of the workbook writer: an owning list, a hash table of
// 32-bit keys with 65,536 chained buckets, and a list of objects that either
// lives in memory or swaps its objects out to two streams, keeping only a few
// of them resident.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/object.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace report {

// A list that owns its items: clearing or destroying it frees them.
template <class T>
class TObjList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  T* operator[](int i) const { return items_[static_cast<std::size_t>(i)].get(); }
  T* Items(int i) const { return (*this)[i]; }
  int Add(std::unique_ptr<T> item) {
    items_.push_back(std::move(item));
    return Count() - 1;
  }
  void Insert(int i, std::unique_ptr<T> item) { items_.insert(items_.begin() + i, std::move(item)); }
  T* Last() const { return items_.empty() ? nullptr : items_.back().get(); }
  void Exchange(int i, int j) { std::swap(items_[static_cast<std::size_t>(i)], items_[static_cast<std::size_t>(j)]); }
  void SetCount(int n) { items_.resize(static_cast<std::size_t>(n)); }
  void Set(int i, std::unique_ptr<T> item) { items_[static_cast<std::size_t>(i)] = std::move(item); }
  std::unique_ptr<T> Take(int i) { return std::move(items_[static_cast<std::size_t>(i)]); }
  void Clear() { items_.clear(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<std::unique_ptr<T>> items_;
};

class THashTable {
 public:
  virtual ~THashTable() = default;
  virtual void* GetValue(std::uint32_t key) const = 0;
  // Stores key -> value unless the key is present; answers the value already
  // stored (unchanged) or nullptr when the pair was added.
  virtual void* SetValue(std::uint32_t key, void* value) = 0;
  // Stores count random keys (from seed) and reads each back.
  bool SelfTest(std::uint32_t seed, int count);
};

// Keys hash to their low 16 bits. Entries live in an arena freed as a whole;
// values are never freed by the table.
class TListHashTable : public THashTable {
 public:
  TListHashTable();
  ~TListHashTable() override;
  TListHashTable(const TListHashTable&) = delete;
  TListHashTable& operator=(const TListHashTable&) = delete;

  void* GetValue(std::uint32_t key) const override;
  void* SetValue(std::uint32_t key, void* value) override;
  // Several values may share a key (different objects whose hash codes
  // collide): answers the first stored value under key that same() accepts,
  // or stores value as a further entry of that key and answers nullptr.
  void* FindOrAdd(std::uint32_t key, void* value, const std::function<bool(void*)>& same);

 private:
  struct TLhtEntry {
    TLhtEntry* next;
    std::uint32_t key;
    void* value;
  };
  TLhtEntry* NewEntry(std::uint32_t key, void* value);
  void Link(TLhtEntry* entry);

  std::vector<TLhtEntry*> buckets_;
  std::vector<std::unique_ptr<TLhtEntry[]>> arena_;
  int arenaUsed_ = 0;
};

// Routines with which a caching list writes an object out and reads it back.
using TLcWriteObj = std::function<void(rtl::TStream& stream, rtl::TObject& object)>;
using TLcReadObj = std::function<std::unique_ptr<rtl::TObject>(rtl::TStream& stream)>;

struct TLcCreateParams {
  rtl::TStream* SwapStream = nullptr;
  rtl::TStream* DirectoryStream = nullptr;
  int QueueLength = 4;
};

// A list of objects in memory, or (caching) a directory of 16-byte entries
// (offset, size) into a swap stream with a few resident objects. Objects read
// from the cache belong to it: a pointer answered by GetObject is valid only
// until the next call of the list.
class TListCache {
 public:
  TListCache();  // memory mode
  TListCache(const TLcCreateParams& params);
  // Creates both files (replacing any) and deletes them when destroyed.
  TListCache(const rtl::AnsiString& swapFileName, const rtl::AnsiString& directoryFileName, int queueLength);
  ~TListCache();
  TListCache(const TListCache&) = delete;
  TListCache& operator=(const TListCache&) = delete;

  void Initialize(const TLcCreateParams& params);
  TLcWriteObj WriteObj;
  TLcReadObj ReadObj;

  int GetObjectsCount() const;
  rtl::TObject* GetObject(int index);
  void SetObject(int index, std::unique_ptr<rtl::TObject> object);
  int Add(std::unique_ptr<rtl::TObject> object);
  rtl::TObject* First() { return GetObject(0); }
  rtl::TObject* Last() { return GetObject(GetObjectsCount() - 1); }
  void Exchange(int i, int j);
  void SetObjectsCount(int n);
  void Clear();
  void ClearQueue();
  bool IsCaching() const { return swap_ != nullptr; }

  bool WriteBack = true;
  bool OverwriteGuard = false;
  bool FixedSize = false;

 private:
  struct Slot {
    std::unique_ptr<rtl::TObject> object;
    int index = -1;
  };
  struct DirEntry {
    std::int64_t offset = 0, size = 0;
  };
  DirEntry ReadEntry(int index);
  void WriteEntry(int index, const DirEntry& e);
  void PushObject(std::unique_ptr<rtl::TObject> object, int index);
  void UnloadObject(std::unique_ptr<rtl::TObject> object, int index);

  std::vector<std::unique_ptr<rtl::TObject>> list_;
  rtl::TStream* swap_ = nullptr;
  rtl::TStream* directory_ = nullptr;
  std::vector<Slot> queue_;
  std::unique_ptr<rtl::TStream> ownedSwap_, ownedDirectory_;
  rtl::AnsiString swapFileName_, directoryFileName_;
};

}  // namespace report
