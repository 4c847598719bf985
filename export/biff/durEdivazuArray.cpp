#include "export/biff/durEdivazuArray.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "export/vuzCryptoAssert.h"

namespace report {

namespace {
constexpr const char* kUnit = "durEdivazu";
constexpr int kResidentBlocks = 8;

char FillByte(bool zero) { return zero ? '\0' : '\xFF'; }
}  // namespace

// ---------------------------------------------------------------- TArray

void TArray::VerifyIndex(int i) const { VUZ_ASSERT(i >= 0 && i < GetCount(), "Index out of bounds", kUnit); }

void TArray::Append(const void* item) {
  SetCount(GetCount() + 1);
  SetItem(GetCount() - 1, item);
}

void TArray::Insert(int i, const void* item) {
  VerifyIndex(i);
  SetCount(GetCount() + 1);
  const auto size = static_cast<std::size_t>(GetItemSize());
  std::string moving(size, '\0');
  for (int k = GetCount() - 2; k >= i; --k) {
    std::memcpy(moving.data(), GetItemData(k), size);
    std::memcpy(GetItemData(k + 1), moving.data(), size);
  }
  SetItem(i, item);
}

void TArray::Delete(int i) {
  VerifyIndex(i);
  const auto size = static_cast<std::size_t>(GetItemSize());
  std::string moving(size, '\0');
  for (int k = i + 1; k < GetCount(); ++k) {
    std::memcpy(moving.data(), GetItemData(k), size);
    std::memcpy(GetItemData(k - 1), moving.data(), size);
  }
  SetCount(GetCount() - 1);
}

// Each address is taken again before use: with a cached array, fetching one
// item may swap out the block of the other.
void TArray::Exchange(int i, int j) {
  const auto size = static_cast<std::size_t>(GetItemSize());
  std::string a(size, '\0'), b(size, '\0');
  std::memcpy(a.data(), GetItemData(i), size);
  std::memcpy(b.data(), GetItemData(j), size);
  std::memcpy(GetItemData(i), b.data(), size);
  std::memcpy(GetItemData(j), a.data(), size);
}

void TArray::GetItem(int i, void* out) { std::memcpy(out, GetItemData(i), static_cast<std::size_t>(GetItemSize())); }

void TArray::SetItem(int i, const void* in) {
  std::memcpy(GetItemData(i), in, static_cast<std::size_t>(GetItemSize()));
}

void TArray::ResetItems(int first, int last) {
  for (int i = first; i <= last; ++i)
    std::memset(GetItemData(i), FillByte(GetZero()), static_cast<std::size_t>(GetItemSize()));
}

void TArray::Sort(const TArrayCompare& compare, int low, int high) { QuickSort(compare, low, high); }

void TArray::QuickSort(const TArrayCompare& compare, int low, int high) {
  if (low >= high) return;
  const auto size = static_cast<std::size_t>(GetItemSize());
  std::string pivot(size, '\0'), item(size, '\0');
  std::memcpy(pivot.data(), GetItemData(low + (high - low) / 2), size);
  int i = low, j = high;
  // Items are copied out before comparing: the pivot and the item may live
  // in different blocks of a cached array.
  auto at = [&](int k) -> const void* {
    std::memcpy(item.data(), GetItemData(k), size);
    return item.data();
  };
  do {
    while (compare(at(i), pivot.data()) < 0) ++i;
    while (compare(pivot.data(), at(j)) < 0) --j;
    if (i <= j) {
      Exchange(i, j);
      ++i;
      --j;
    }
  } while (i <= j);
  if (low < j) QuickSort(compare, low, j);
  if (i < high) QuickSort(compare, i, high);
}

// ---------------------------------------------------------------- in memory

template <class Base>
void TMemoryArray<Base>::SetCount(int count) {
  const int old = count_;
  bytes_.resize(static_cast<std::size_t>(count) * Size());
  count_ = count;
  if (count > old) this->ResetItems(old, count - 1);
}

template class TMemoryArray<TIntArrayBase>;
template class TMemoryArray<TExtArrayBase>;

std::int32_t TIntArrayBase::GetItem(int i) {
  std::int32_t v;
  std::memcpy(&v, GetItemData(i), 4);
  return v;
}

void TIntArrayBase::SetItem(int i, std::int32_t value) { std::memcpy(GetItemData(i), &value, 4); }

long double TExtArrayBase::GetItem(int i) { return ExtendedFromBytes(GetItemData(i)); }

void TExtArrayBase::SetItem(int i, long double value) { ExtendedToBytes(value, GetItemData(i)); }

void TExtArrayBase::Append(long double value) {
  char bytes[10];
  ExtendedToBytes(value, bytes);
  TArray::Append(bytes);
}

void TExtArrayBase::Insert(int i, long double value) {
  char bytes[10];
  ExtendedToBytes(value, bytes);
  TArray::Insert(i, bytes);
}

// ---------------------------------------------------------------- extended reals

void ExtendedToBytes(long double value, void* tenBytes) {
  std::uint64_t mantissa = 0;
  int exponent = 0;
  const bool negative = std::signbit(value);
  if (std::isnan(value)) {
    exponent = 0x7FFF;
    mantissa = 0xC000000000000000ull;
  } else if (std::isinf(value)) {
    exponent = 0x7FFF;
    mantissa = 0x8000000000000000ull;
  } else if (value != 0) {
    int e = 0;
    const long double fraction = std::frexp(std::fabs(value), &e);  // 0.5 <= fraction < 1
    exponent = e - 1 + 16383;
    if (exponent <= 0) {  // beyond the normal range: a denormal with a smaller mantissa
      mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64 + exponent - 1));
      exponent = 0;
    } else {
      mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    }
  }
  auto* out = static_cast<unsigned char*>(tenBytes);
  for (int b = 0; b < 8; ++b) out[b] = static_cast<unsigned char>(mantissa >> (8 * b));
  const unsigned top = static_cast<unsigned>(exponent) | (negative ? 0x8000u : 0u);
  out[8] = static_cast<unsigned char>(top & 0xFF);
  out[9] = static_cast<unsigned char>(top >> 8);
}

long double ExtendedFromBytes(const void* tenBytes) {
  const auto* in = static_cast<const unsigned char*>(tenBytes);
  std::uint64_t mantissa = 0;
  for (int b = 7; b >= 0; --b) mantissa = (mantissa << 8) | in[b];
  const unsigned top = in[8] | (unsigned{in[9]} << 8);
  const int exponent = static_cast<int>(top & 0x7FFF);
  const bool negative = (top & 0x8000) != 0;
  long double value;
  if (exponent == 0x7FFF)
    value = (mantissa << 1) == 0 ? HUGE_VALL : static_cast<long double>(NAN);
  else
    value = std::ldexp(static_cast<long double>(mantissa), (exponent == 0 ? 1 : exponent) - 16383 - 63);
  return negative ? -value : value;
}

// ---------------------------------------------------------------- cached arrays

TDataBlock::TDataBlock(int length, bool zero) : data_(static_cast<std::size_t>(std::max(length, 0)), FillByte(zero)) {}

void DbWrite(rtl::TStream& stream, rtl::TObject& block) {
  auto& b = static_cast<TDataBlock&>(block);
  const std::int32_t size = b.Size();
  stream.WriteBuffer(&size, 4);
  stream.WriteBuffer(b.Data(), size);
}

std::unique_ptr<rtl::TObject> DbRead(rtl::TStream& stream) {
  std::int32_t size = 0;
  stream.ReadBuffer(&size, 4);
  if (size < 0) throw rtl::EReadError("A cached block has a negative size");
  // Read in steps so a corrupt size cannot allocate more than the stream holds.
  std::string bytes;
  constexpr std::int32_t kStep = 1 << 20;
  for (std::int32_t done = 0; done < size;) {
    const std::int32_t n = std::min(kStep, size - done);
    bytes.resize(static_cast<std::size_t>(done + n));
    stream.ReadBuffer(bytes.data() + done, n);
    done += n;
  }
  auto result = std::make_unique<TDataBlock>(size, true);
  if (size > 0) std::memcpy(result->Data(), bytes.data(), bytes.size());
  return result;
}

TCachedArray::TCachedArray(rtl::TStream* swap, rtl::TStream* directory, int itemsPerBlock, int itemSize)
    : cache_(std::make_unique<TListCache>(TLcCreateParams{swap, directory, kResidentBlocks})),
      itemsPerBlock_(itemsPerBlock),
      itemSize_(itemSize) {
  Setup();
}

TCachedArray::TCachedArray(const rtl::AnsiString& swapFileName, const rtl::AnsiString& directoryFileName,
                           int itemsPerBlock, int itemSize)
    : cache_(std::make_unique<TListCache>(swapFileName, directoryFileName, kResidentBlocks)),
      itemsPerBlock_(itemsPerBlock),
      itemSize_(itemSize) {
  Setup();
}

void TCachedArray::Setup() {
  VUZ_ASSERT(itemsPerBlock_ > 0 && itemSize_ > 0, "", kUnit);
  cache_->FixedSize = true;
  cache_->WriteObj = DbWrite;
  cache_->ReadObj = DbRead;
}

void* TCachedArray::GetItemData(int i) {
  VerifyIndex(i);
  auto* block = static_cast<TDataBlock*>(cache_->GetObject(i / itemsPerBlock_));
  VUZ_ASSERT(block != nullptr, "A block of the array is missing", kUnit);
  return block->Data() + static_cast<std::size_t>(i % itemsPerBlock_) * static_cast<std::size_t>(itemSize_);
}

void TCachedArray::SetCount(int count) {
  const int blocks = (count + itemsPerBlock_ - 1) / itemsPerBlock_;
  const int have = cache_->GetObjectsCount();
  if (blocks > have) {
    for (int b = have; b < blocks; ++b) cache_->Add(std::make_unique<TDataBlock>(itemsPerBlock_ * itemSize_, zero_));
  } else {
    cache_->SetObjectsCount(blocks);
  }
  count_ = count;
}

void TCachedArray::Sort(const TArrayCompare& compare, int low, int high) {
  if (low != 0 || high != count_ - 1) {
    QuickSort(compare, low, high);
    return;
  }
  if (cache_->GetObjectsCount() == 0) return;
  for (int first = 0; first < count_; first += itemsPerBlock_) {
    const int n = std::min(itemsPerBlock_, count_ - first);
    SortBlock(compare, first, n);
    if (first > 0) MergeBlock(compare, first, n);
  }
}

// Exchange sort within one block.
void TCachedArray::SortBlock(const TArrayCompare& compare, int first, int count) {
  for (int p = first; p < first + count; ++p)
    for (int q = p + 1; q < first + count; ++q)
      if (compare(GetItemData(p), GetItemData(q)) >= 0) Exchange(p, q);
}

// Merges the sorted block at first into the sorted prefix before it: every
// prefix item not smaller than the block's smallest trades places with it,
// and the block stays sorted, so the prefix ends up holding the smallest.
void TCachedArray::MergeBlock(const TArrayCompare& compare, int first, int count) {
  const auto size = static_cast<std::size_t>(itemSize_);
  std::string k(size, '\0'), t(size, '\0');
  std::memcpy(k.data(), GetItemData(first), size);
  int lo = 0, hi = first - 1;
  while (lo != hi) {
    const int mid = (lo + hi) / 2;
    if (compare(k.data(), GetItemData(mid)) < 0)
      hi = mid;
    else if (lo == mid)
      break;
    else
      lo = mid;
  }
  for (int pos = lo; pos < first; ++pos) {
    std::memcpy(t.data(), GetItemData(pos), size);
    if (compare(t.data(), k.data()) < 0) continue;
    std::memcpy(GetItemData(pos), k.data(), size);
    // k leaves the block's first place; t goes in at its ordered place.
    int q = first;
    while (q + 1 < first + count && compare(GetItemData(q + 1), t.data()) < 0) {
      std::memcpy(k.data(), GetItemData(q + 1), size);
      std::memcpy(GetItemData(q), k.data(), size);
      ++q;
    }
    std::memcpy(GetItemData(q), t.data(), size);
    std::memcpy(k.data(), GetItemData(first), size);
  }
}

}  // namespace report
