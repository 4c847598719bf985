// Typed arrays of fixed-size items for the storage unit: 32-bit integers and
// 10-byte extended reals, either in memory or in blocks that a TListCache can
// swap out to streams or files, so that a very large array keeps only a few
// blocks in memory. One abstract base does append, insert, delete, exchange
// and sort on raw item memory.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "export/biff/durEdivazu.h"
#include "platform/rtl/object.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace report {

// compare(a, b) gets two item addresses: negative, zero or positive.
using TArrayCompare = std::function<int(const void* a, const void* b)>;

class TArray {
 public:
  virtual ~TArray() = default;

  // Whether new items are filled with 0 bytes (else with 0xFF bytes).
  virtual bool GetZero() const = 0;
  virtual void SetZero(bool zero) = 0;
  virtual int GetItemSize() const = 0;
  virtual int GetCount() const = 0;
  virtual void SetCount(int count) = 0;
  // The address of item i; for a cached array valid until the next call.
  virtual void* GetItemData(int i) = 0;
  virtual void Exchange(int i, int j);
  virtual void Delete(int i);
  virtual void Sort(const TArrayCompare& compare, int low, int high);

  void Append(const void* item);
  void Clear() { SetCount(0); }
  // The index must already exist: appending goes through Append.
  void Insert(int i, const void* item);
  void GetItem(int i, void* out);
  void SetItem(int i, const void* in);
  // An index outside 0..count-1 fails the assertion "Index out of bounds".
  void VerifyIndex(int i) const;
  // Fills items first..last with the bytes the zero flag gives.
  void ResetItems(int first, int last);

 protected:
  void QuickSort(const TArrayCompare& compare, int low, int high);
};

// The typed bases read and write items through GetItemData, so the index
// check is the storage's: none in memory, an assertion in a cached array.
class TIntArrayBase : public TArray {
 public:
  static constexpr int kItemSize = 4;
  int GetItemSize() const override { return kItemSize; }
  virtual std::int32_t GetItem(int i);
  virtual void SetItem(int i, std::int32_t value);
  void Append(std::int32_t value) { TArray::Append(&value); }
  void Insert(int i, std::int32_t value) { TArray::Insert(i, &value); }
};

class TExtArrayBase : public TArray {
 public:
  static constexpr int kItemSize = 10;
  int GetItemSize() const override { return kItemSize; }
  virtual long double GetItem(int i);
  virtual void SetItem(int i, long double value);
  void Append(long double value);
  void Insert(int i, long double value);
};

// An array of items in one block of memory. GetItem and SetItem do not check
// the index.
template <class Base>
class TMemoryArray : public Base {
 public:
  bool GetZero() const override { return zero_; }
  void SetZero(bool zero) override { zero_ = zero; }
  int GetCount() const override { return count_; }
  void SetCount(int count) override;
  void* GetItemData(int i) override { return bytes_.data() + static_cast<std::size_t>(i) * Size(); }

 protected:
  std::size_t Size() const { return static_cast<std::size_t>(this->GetItemSize()); }

 private:
  std::string bytes_;
  int count_ = 0;
  bool zero_ = true;
};

using TIntArray = TMemoryArray<TIntArrayBase>;
using TExtArray = TMemoryArray<TExtArrayBase>;

// A block of a cached array.
class TDataBlock : public rtl::TObject {
 public:
  // length bytes of 0 (zero) or 0xFF.
  TDataBlock(int length, bool zero);
  int Size() const { return static_cast<int>(data_.size()); }
  char* Data() { return data_.data(); }

 private:
  std::string data_;
};

// Writes the 32-bit size, then the bytes.
void DbWrite(rtl::TStream& stream, rtl::TObject& block);
// Reads the size, then that many bytes into a new block.
std::unique_ptr<rtl::TObject> DbRead(rtl::TStream& stream);

// Items in blocks of a fixed number of items, held by a TListCache that keeps
// eight blocks resident and writes the others back in place.
class TCachedArray : public TArray {
 public:
  TCachedArray(rtl::TStream* swap, rtl::TStream* directory, int itemsPerBlock, int itemSize);
  TCachedArray(const rtl::AnsiString& swapFileName, const rtl::AnsiString& directoryFileName, int itemsPerBlock,
               int itemSize);

  bool GetZero() const override { return zero_; }
  void SetZero(bool zero) override { zero_ = zero; }
  int GetItemSize() const override { return itemSize_; }
  int GetCount() const override { return count_; }
  void SetCount(int count) override;
  void* GetItemData(int i) override;
  // The whole array is merge-sorted block by block (two blocks at work);
  // a part of it is quick-sorted.
  void Sort(const TArrayCompare& compare, int low, int high) override;

 private:
  void Setup();
  void SortBlock(const TArrayCompare& compare, int first, int count);
  void MergeBlock(const TArrayCompare& compare, int first, int count);

  std::unique_ptr<TListCache> cache_;
  int itemsPerBlock_, itemSize_;
  int count_ = 0;
  bool zero_ = true;
};

// The cached forms of the typed arrays: every item operation goes to a
// TCachedArray of the base's item size (so indexes are checked).
template <class Base>
class TCachedTypedArray : public Base {
 public:
  TCachedTypedArray(rtl::TStream* swap, rtl::TStream* directory, int itemsPerBlock)
      : items_(swap, directory, itemsPerBlock, Base::kItemSize) {}
  TCachedTypedArray(const rtl::AnsiString& swapFileName, const rtl::AnsiString& directoryFileName, int itemsPerBlock)
      : items_(swapFileName, directoryFileName, itemsPerBlock, Base::kItemSize) {}
  bool GetZero() const override { return items_.GetZero(); }
  void SetZero(bool zero) override { items_.SetZero(zero); }
  int GetCount() const override { return items_.GetCount(); }
  void SetCount(int count) override { items_.SetCount(count); }
  void* GetItemData(int i) override { return items_.GetItemData(i); }
  void Sort(const TArrayCompare& compare, int low, int high) override { items_.Sort(compare, low, high); }

 private:
  TCachedArray items_;
};

using TCachedIntArray = TCachedTypedArray<TIntArrayBase>;
using TCachedExtArray = TCachedTypedArray<TExtArrayBase>;

// The 10 bytes of an extended real and back (the 80-bit format: 64-bit
// mantissa, then sign and exponent).
void ExtendedToBytes(long double value, void* tenBytes);
long double ExtendedFromBytes(const void* tenBytes);

}  // namespace report
