#include "export/biff/durEdivazu.h"

#include "export/biff/biffFileBuffer.h"
#include "platform/rtl/files.h"

namespace report {

namespace {
constexpr int kBuckets = 65536;
constexpr int kArenaBlock = 4096;
}  // namespace

bool THashTable::SelfTest(std::uint32_t seed, int count) {
  std::uint32_t state = seed;
  for (int i = 0; i < count; ++i) {
    state = state * 134775813u + 1u;
    const auto key = static_cast<std::uint32_t>((std::uint64_t{state} * 0x7FFFFFFFu) >> 32);
    SetValue(key, reinterpret_cast<void*>(static_cast<std::uintptr_t>(key)));
    if (GetValue(key) != reinterpret_cast<void*>(static_cast<std::uintptr_t>(key))) return false;
  }
  return true;
}

TListHashTable::TListHashTable() : buckets_(kBuckets, nullptr) {}
TListHashTable::~TListHashTable() = default;

TListHashTable::TLhtEntry* TListHashTable::NewEntry(std::uint32_t key, void* value) {
  if (arena_.empty() || arenaUsed_ == kArenaBlock) {
    arena_.push_back(std::make_unique<TLhtEntry[]>(kArenaBlock));
    arenaUsed_ = 0;
  }
  TLhtEntry* e = &arena_.back()[static_cast<std::size_t>(arenaUsed_++)];
  *e = TLhtEntry{nullptr, key, value};
  return e;
}

void TListHashTable::Link(TLhtEntry* entry) {
  TLhtEntry** p = &buckets_[entry->key & 0xFFFF];
  while (*p) p = &(*p)->next;
  *p = entry;
}

void* TListHashTable::GetValue(std::uint32_t key) const {
  for (const TLhtEntry* e = buckets_[key & 0xFFFF]; e; e = e->next)
    if (e->key == key) return e->value;
  return nullptr;
}

void* TListHashTable::SetValue(std::uint32_t key, void* value) {
  for (TLhtEntry* e = buckets_[key & 0xFFFF]; e; e = e->next)
    if (e->key == key) return e->value;
  Link(NewEntry(key, value));
  return nullptr;
}

void* TListHashTable::FindOrAdd(std::uint32_t key, void* value, const std::function<bool(void*)>& same) {
  for (TLhtEntry* e = buckets_[key & 0xFFFF]; e; e = e->next)
    if (e->key == key && same(e->value)) return e->value;
  Link(NewEntry(key, value));
  return nullptr;
}

// --- TListCache ----------------------------------------------------------------

TListCache::TListCache() = default;

TListCache::TListCache(const TLcCreateParams& params) { Initialize(params); }

TListCache::TListCache(const rtl::AnsiString& swapFileName, const rtl::AnsiString& directoryFileName, int queueLength)
    : swapFileName_(swapFileName), directoryFileName_(directoryFileName) {
  ownedSwap_ = std::make_unique<TBufferedFileStream>(swapFileName);
  ownedDirectory_ = std::make_unique<TBufferedFileStream>(directoryFileName);
  Initialize({ownedSwap_.get(), ownedDirectory_.get(), queueLength});
}

TListCache::~TListCache() {
  queue_.clear();  // resident objects are freed without being written out
  list_.clear();
  ownedDirectory_.reset();
  if (!directoryFileName_.empty()) rtl::DeleteFile(directoryFileName_);
  ownedSwap_.reset();
  if (!swapFileName_.empty()) rtl::DeleteFile(swapFileName_);
}

void TListCache::Initialize(const TLcCreateParams& params) {
  if (params.SwapStream == params.DirectoryStream)
    throw rtl::Exception("Caching stream and objects stream must be different streams");
  WriteBack = true;
  swap_ = params.SwapStream;
  directory_ = params.DirectoryStream;
  queue_.clear();
  queue_.resize(static_cast<std::size_t>(std::max(params.QueueLength, 1)));
}

int TListCache::GetObjectsCount() const {
  if (!IsCaching()) return static_cast<int>(list_.size());
  return static_cast<int>(directory_->Size() / 16);
}

TListCache::DirEntry TListCache::ReadEntry(int index) {
  DirEntry e;
  directory_->SetPosition(std::int64_t{index} * 16);
  directory_->ReadBuffer(&e.offset, 8);
  directory_->ReadBuffer(&e.size, 8);
  return e;
}

void TListCache::WriteEntry(int index, const DirEntry& e) {
  directory_->SetPosition(std::int64_t{index} * 16);
  directory_->WriteBuffer(&e.offset, 8);
  directory_->WriteBuffer(&e.size, 8);
}

rtl::TObject* TListCache::GetObject(int index) {
  if (index < 0 || index >= GetObjectsCount()) return nullptr;
  if (!IsCaching()) return list_[static_cast<std::size_t>(index)].get();
  for (auto& slot : queue_)
    if (slot.object && slot.index == index) return slot.object.get();
  const DirEntry e = ReadEntry(index);
  if (e.size == 0) return nullptr;
  swap_->SetPosition(e.offset);
  std::unique_ptr<rtl::TObject> object = ReadObj(*swap_);
  if (swap_->Position() != e.offset + e.size) throw rtl::Exception("The read object does not match the written object");
  rtl::TObject* result = object.get();
  PushObject(std::move(object), index);
  return result;
}

void TListCache::SetObject(int index, std::unique_ptr<rtl::TObject> object) {
  if (index < 0) throw rtl::Exception("Cannot store an object an a negative index");
  if (!IsCaching()) {
    if (index >= static_cast<int>(list_.size())) list_.resize(static_cast<std::size_t>(index) + 1);
    list_[static_cast<std::size_t>(index)] = std::move(object);
    return;
  }
  const int count = GetObjectsCount();
  if (OverwriteGuard && index < count && ReadEntry(index).size > 0)
    throw rtl::Exception("Attempt to overwrite an existing object");
  if (index >= count) {
    static const char zeros[16] = {};
    directory_->SetPosition(std::int64_t{count} * 16);
    for (int i = count; i <= index; ++i) directory_->WriteBuffer(zeros, 16);
  }
  if (object) {
    // A resident older version of this position is replaced, not written out.
    for (auto& slot : queue_)
      if (slot.object && slot.index == index) slot.object.reset();
    PushObject(std::move(object), index);
  }
}

int TListCache::Add(std::unique_ptr<rtl::TObject> object) {
  const int index = GetObjectsCount();
  SetObject(index, std::move(object));
  return index;
}

void TListCache::PushObject(std::unique_ptr<rtl::TObject> object, int index) {
  Slot& last = queue_.back();
  if (last.object) UnloadObject(std::move(last.object), last.index);
  for (std::size_t i = queue_.size() - 1; i > 0; --i) queue_[i] = std::move(queue_[i - 1]);
  queue_[0] = Slot{std::move(object), index};
}

void TListCache::UnloadObject(std::unique_ptr<rtl::TObject> object, int index) {
  DirEntry e = ReadEntry(index);
  if (!FixedSize || (e.offset == 0 && e.size == 0)) {
    e.offset = swap_->Seek(0, rtl::soEnd);
    WriteObj(*swap_, *object);
    e.size = swap_->Position() - e.offset;
    WriteEntry(index, e);
  } else if (WriteBack) {
    swap_->SetPosition(e.offset);
    WriteObj(*swap_, *object);
    if (swap_->Position() != e.offset + e.size)
      throw rtl::Exception("The written object corrupted the consequent object");
  }
}

void TListCache::Exchange(int i, int j) {
  if (!IsCaching()) {
    std::swap(list_[static_cast<std::size_t>(i)], list_[static_cast<std::size_t>(j)]);
    return;
  }
  const DirEntry a = ReadEntry(i), b = ReadEntry(j);
  WriteEntry(i, b);
  WriteEntry(j, a);
  for (auto& slot : queue_) {
    if (slot.index == i)
      slot.index = j;
    else if (slot.index == j)
      slot.index = i;
  }
}

void TListCache::SetObjectsCount(int n) {
  if (GetObjectsCount() < n) {
    SetObject(n - 1, nullptr);
    return;
  }
  if (!IsCaching()) {
    list_.resize(static_cast<std::size_t>(n));
    return;
  }
  for (auto& slot : queue_)
    if (slot.object && slot.index >= n) slot = Slot{};
  directory_->SetSize(std::int64_t{n} * 16);
}

void TListCache::Clear() {
  if (!IsCaching()) {
    list_.clear();
    return;
  }
  swap_->SetSize(0);
  directory_->SetSize(0);
  ClearQueue();
}

void TListCache::ClearQueue() {
  for (auto& slot : queue_) slot = Slot{};
}

}  // namespace report
