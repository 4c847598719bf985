#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "preview/vuzDictionary.h"

using preview::TfrxDictionary;

namespace {

struct AliasCase {
  const char* what;
  std::vector<std::string> existing;
  const char* prefix;
  const char* next;
};

class UniqueAlias : public ::testing::TestWithParam<AliasCase> {};

TEST_P(UniqueAlias, IsTheFirstFreeNumberAfterTheProbes) {
  TfrxDictionary d;
  for (const std::string& a : GetParam().existing) d.Add(a, "Page0." + a, nullptr);
  EXPECT_EQ(d.CreateUniqueName(GetParam().prefix), GetParam().next) << GetParam().what;
}

std::vector<std::string> Numbered(const char* prefix, int from, int to) {
  std::vector<std::string> v;
  for (int i = from; i <= to; ++i) v.push_back(prefix + std::to_string(i));
  return v;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UniqueAlias,
    ::testing::Values(AliasCase{"first text object", {}, "m", "m1"}, AliasCase{"second", {"m1"}, "m", "m2"},
                      AliasCase{"a band beside texts", {"m1", "m2"}, "b", "b1"},
                      AliasCase{"after m1 to m9", Numbered("m", 1, 9), "m", "m10"},
                      AliasCase{"case ignored", {"M1"}, "m", "m2"},
                      AliasCase{"after m1 to m10000", Numbered("m", 1, 10000), "m", "m10001"},
                      AliasCase{"probe stops at 5000", {"m5000"}, "m", "m5001"},
                      AliasCase{"a gap below the probes is not refilled", {"m1", "m3", "m4"}, "m", "m5"},
                      AliasCase{"a lone probe number", {"p2"}, "p", "p3"}));

TEST(Dictionary, AddUniqueLinksAliasSourceNameAndObject) {
  TfrxDictionary d;
  rtl::TObject memo, band;
  EXPECT_EQ(d.AddUnique("m", "Page0.Memo1", &memo), "m1");
  EXPECT_EQ(d.AddUnique("b", "Page0.MasterData1", &band), "b1");
  EXPECT_EQ(d.GetObject("m1"), &memo);
  EXPECT_EQ(d.GetObject("B1"), &band);
  EXPECT_EQ(d.GetSourceName("b1"), "Page0.MasterData1");
  EXPECT_EQ(d.GetObject("m2"), nullptr);
  EXPECT_EQ(d.GetSourceName("m2"), "");
  // Sorted without regard to case, for saving.
  ASSERT_EQ(d.Count(), 2);
  EXPECT_EQ(d.Alias(0), "b1");
  EXPECT_EQ(d.SourceNameAt(1), "Page0.Memo1");
  d.Clear();
  EXPECT_EQ(d.Count(), 0);
  EXPECT_EQ(d.GetObject("m1"), nullptr);
}

// A store of a hundred thousand objects hands out a hundred thousand
// aliases: each one costs the probes and a step past the last one given,
// not a count over all the numbers taken before it.
TEST(Dictionary, HandingOutManyAliasesCostsFewLookUpsEach) {
  TfrxDictionary d;
  constexpr int kAliases = 30000;
  for (int i = 1; i <= kAliases; ++i) {
    const std::string band = d.AddUnique("b", "Page0.Band", nullptr);
    const std::string memo = d.AddUnique("m", "Page0.Memo", nullptr);
    ASSERT_EQ(band, "b" + std::to_string(i));
    ASSERT_EQ(memo, "m" + std::to_string(i));
  }
  EXPECT_LE(d.LookUps(), 2LL * kAliases * 20);
  EXPECT_EQ(d.Count(), 2 * kAliases);
  EXPECT_EQ(d.Alias(0), "b1");
  EXPECT_EQ(d.Alias(1), "b10");  // sorted as texts, case ignored
  // A gap under a run already counted is not refilled.
  d.Add("x1", "", nullptr);
  d.Add("x3", "", nullptr);
  EXPECT_EQ(d.CreateUniqueName("x"), "x2");
  d.Add("X2", "", nullptr);
  EXPECT_EQ(d.CreateUniqueName("x"), "x4");
}

TEST(Dictionary, ARepeatedAliasKeepsItsFirstObject) {
  TfrxDictionary d;
  rtl::TObject a, b;
  d.Add("m1", "Page0.A", &a);
  d.Add("M1", "Page0.B", &b);
  EXPECT_EQ(d.Count(), 1);
  EXPECT_EQ(d.GetObject("m1"), &a);
}

}  // namespace
