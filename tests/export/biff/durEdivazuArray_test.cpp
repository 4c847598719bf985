// Storage arrays: in-memory and cached arrays of integers and extended reals,
// item operations, both sorts and the 10-byte extended format.
#include "export/biff/durEdivazuArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>

#include "export/vuzCryptoAssert.h"
#include "platform/rtl/files.h"
#include "tests/support/scratch_folder.h"

namespace {

using namespace report;

int CompareInts(const void* a, const void* b) {
  std::int32_t x, y;
  std::memcpy(&x, a, 4);
  std::memcpy(&y, b, 4);
  return x < y ? -1 : x > y ? 1 : 0;
}

std::vector<std::int32_t> Items(TIntArrayBase& a) {
  std::vector<std::int32_t> out;
  for (int i = 0; i < a.GetCount(); ++i) out.push_back(a.GetItem(i));
  return out;
}

// Every array kind behind one fixture: in memory, cached over memory
// streams, cached over files.
struct IntArrayKind {
  const char* name;
  std::function<std::unique_ptr<TIntArrayBase>(rtl::TMemoryStream&, rtl::TMemoryStream&, const std::string&)> make;
};

const IntArrayKind kIntKinds[] = {
    {"memory", [](auto&, auto&, const std::string&) { return std::make_unique<TIntArray>(); }},
    {"cached streams", [](rtl::TMemoryStream& s, rtl::TMemoryStream& d,
                          const std::string&) { return std::make_unique<TCachedIntArray>(&s, &d, 4); }},
    {"cached files",
     [](auto&, auto&, const std::string& folder) {
       return std::make_unique<TCachedIntArray>(folder + "swap", folder + "dir", 3);
     }},
};

class IntArrays : public ::testing::TestWithParam<IntArrayKind> {
 protected:
  support::ScratchFolder folder_;
  rtl::TMemoryStream swap_, dir_;
  // A fresh array each time: the streams start empty again.
  std::unique_ptr<TIntArrayBase> Make() {
    swap_.Clear();
    dir_.Clear();
    return GetParam().make(swap_, dir_, folder_.Path());
  }
};

TEST_P(IntArrays, AppendInsertDeleteExchange) {
  auto a = Make();
  for (int v : {10, 20, 30, 40, 50, 60, 70, 80, 90}) a->Append(v);
  a->Insert(0, 5);
  a->Insert(4, 35);
  EXPECT_EQ(Items(*a), (std::vector<std::int32_t>{5, 10, 20, 30, 35, 40, 50, 60, 70, 80, 90}));
  a->Delete(0);
  a->Delete(9);
  a->Exchange(0, 8);
  EXPECT_EQ(Items(*a), (std::vector<std::int32_t>{80, 20, 30, 35, 40, 50, 60, 70, 10}));
  // Inserting at the count is not appending: the index must exist.
  EXPECT_THROW(a->Insert(a->GetCount(), 1), EAssertionFailed);
  EXPECT_THROW(a->Delete(-1), EAssertionFailed);
  a->Clear();
  EXPECT_EQ(a->GetCount(), 0);
}

TEST_P(IntArrays, NewItemsFollowTheZeroFlag) {
  auto a = Make();
  a->SetZero(false);
  a->SetCount(3);
  EXPECT_EQ(Items(*a), (std::vector<std::int32_t>{-1, -1, -1}));
  a->SetZero(true);
  a->ResetItems(1, 2);
  EXPECT_EQ(Items(*a), (std::vector<std::int32_t>{-1, 0, 0}));
}

TEST_P(IntArrays, WholeAndPartialSortsAgreeWithTheLibrary) {
  std::mt19937 random(7);
  for (int n : {0, 1, 2, 10, 37, 200}) {
    auto a = Make();
    std::vector<std::int32_t> expected;
    for (int i = 0; i < n; ++i) {
      const auto v = static_cast<std::int32_t>(random() % 50) - 25;  // duplicates on purpose
      a->Append(v);
      expected.push_back(v);
    }
    if (n > 4) {
      // A part only: the quicksort.
      a->Sort(CompareInts, 1, n - 2);
      std::sort(expected.begin() + 1, expected.end() - 1);
      EXPECT_EQ(Items(*a), expected) << n;
    }
    a->Sort(CompareInts, 0, n - 1);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Items(*a), expected) << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, IntArrays, ::testing::ValuesIn(kIntKinds), [](const auto& param) {
  std::string n = param.param.name;
  std::replace(n.begin(), n.end(), ' ', '_');
  return n;
});

TEST(CachedArray, IndexIsCheckedAndBlocksSurviveSwapping) {
  rtl::TMemoryStream swap, dir;
  TCachedIntArray a(&swap, &dir, 4);
  // 40 blocks, only eight resident: the others are written back and read in.
  for (int i = 0; i < 160; ++i) a.Append(i * 3);
  for (int i = 0; i < 160; i += 7) a.SetItem(i, -i);
  for (int i = 159; i >= 0; --i) EXPECT_EQ(a.GetItem(i), i % 7 == 0 ? -i : i * 3) << i;
  EXPECT_THROW(a.GetItem(160), EAssertionFailed);
  EXPECT_THROW(a.SetItem(-1, 0), EAssertionFailed);
  EXPECT_GT(swap.Size(), 0);
  // Shrinking and growing again gives fresh items.
  a.SetCount(5);
  a.SetCount(9);
  EXPECT_EQ(a.GetItem(4), 12);
  EXPECT_EQ(a.GetItem(8), 0);
}

TEST(CachedArray, TheSameStreamTwiceIsRefused) {
  rtl::TMemoryStream one;
  EXPECT_THROW(TCachedIntArray(&one, &one, 4), rtl::Exception);
}

TEST(CachedArray, FileFormsRemoveTheirFiles) {
  support::ScratchFolder folder;
  const std::string swap = folder.File("s"), dir = folder.File("d");
  {
    TCachedExtArray a(swap, dir, 2);
    for (int i = 0; i < 40; ++i) a.Append(i / 4.0L);
    EXPECT_EQ(a.GetItem(39), 9.75L);
    EXPECT_TRUE(rtl::FileExists(swap));
  }
  EXPECT_FALSE(rtl::FileExists(swap));
  EXPECT_FALSE(rtl::FileExists(dir));
}

TEST(CachedArray, WholeSortOfTenInBlocksOfFourMatchesQuicksort) {
  const std::int32_t values[] = {9, -3, 7, 7, 0, 12, -8, 4, 1, 5};
  rtl::TMemoryStream s1, d1;
  TCachedIntArray merged(&s1, &d1, 4);
  TIntArray quick;
  for (auto v : values) {
    merged.Append(v);
    quick.Append(v);
  }
  merged.Sort(CompareInts, 0, 9);
  quick.Sort(CompareInts, 0, 9);
  EXPECT_EQ(Items(merged), Items(quick));
  EXPECT_EQ(Items(quick), (std::vector<std::int32_t>{-8, -3, 0, 1, 4, 5, 7, 7, 9, 12}));
}

TEST(ExtArray, ValuesKeepAllSixtyFourBitsOfTheMantissa) {
  TExtArray a;
  const long double values[] = {0.0L, -0.0L, 1.0L, -2.5L, 1.0L / 3, LDBL_MAX, LDBL_MIN, 1e-4940L, HUGE_VALL};
  for (long double v : values) a.Append(v);
  for (int i = 0; i < a.GetCount(); ++i) EXPECT_EQ(a.GetItem(i), values[i]) << i;
  EXPECT_TRUE(std::signbit(a.GetItem(1)));
  a.Append(NAN);
  EXPECT_TRUE(std::isnan(a.GetItem(a.GetCount() - 1)));
  EXPECT_EQ(a.GetItemSize(), 10);
}

TEST(ExtArray, TenByteLayout) {
  // 1.0: mantissa 0x8000000000000000, exponent 0x3FFF; -2.0: exponent 0x4000, sign.
  const struct {
    long double value;
    const char* bytes;
  } cases[] = {
      {1.0L, "\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x3F"},
      {-2.0L, "\x00\x00\x00\x00\x00\x00\x00\x80\x00\xC0"},
      {0.0L, "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"},
  };
  for (const auto& c : cases) {
    char out[10];
    ExtendedToBytes(c.value, out);
    EXPECT_EQ(std::string(out, 10), std::string(c.bytes, 10)) << static_cast<double>(c.value);
  }
}

TEST(DataBlock, WritesSizeThenBytesAndReadsThemBack) {
  TDataBlock block(3, false);
  EXPECT_EQ(std::string(block.Data(), 3), "\xFF\xFF\xFF");
  rtl::TMemoryStream s;
  DbWrite(s, block);
  EXPECT_EQ(s.Bytes(), std::string("\x03\x00\x00\x00\xFF\xFF\xFF", 7));
  s.SetPosition(0);
  auto back = DbRead(s);
  EXPECT_EQ(static_cast<TDataBlock&>(*back).Size(), 3);
  // A corrupt size larger than the stream fails with the stream's error.
  rtl::TMemoryStream bad(std::string("\xFF\xFF\xFF\x7F", 4));
  EXPECT_THROW(DbRead(bad), rtl::EReadError);
}

}  // namespace
