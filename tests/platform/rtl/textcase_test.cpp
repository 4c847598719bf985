#include "platform/rtl/textcase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace rtl;

TEST(TextCase, AnsiCaseCoversTheWholeCodePage) {
  struct Case {
    std::string lower, upper;
  };
  const Case cases[] = {
      {"abcxyz", "ABCXYZ"},
      {"абвгдеёжзийклмнопрстуфхцчшщъыьэюя"_cp, "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"_cp},
      {"ґєіїўђѓјљњќћџѕ"_cp, "ҐЄІЇЎЂЃЈЉЊЌЋЏЅ"_cp},
      {"1.5 №«»"_cp, "1.5 №«»"_cp},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AnsiUpperCase(c.lower), c.upper);
    EXPECT_EQ(AnsiLowerCase(c.upper), c.lower);
  }
  // Every byte round-trips through upper and lower case without collisions.
  for (int b = 0; b < 256; ++b) {
    char c = static_cast<char>(b);
    if (IsAnsiLetter(c))
      EXPECT_EQ(AnsiLowerChar(AnsiUpperChar(c)), AnsiLowerChar(c)) << b;
    else
      EXPECT_EQ(AnsiUpperChar(c), c) << b;
  }
}

TEST(TextCase, PlainCaseTouchesAsciiOnly) {
  EXPECT_EQ(UpperCase("abc"_cp + std::string("ёя"_cp)), "ABC"_cp + std::string("ёя"_cp));
  EXPECT_EQ(LowerCase("ABCЁЯ"_cp), "abc"_cp + std::string("ЁЯ"_cp));
  EXPECT_EQ(CompareText("Config", "CONFIG"), 0);
  EXPECT_TRUE(SameText("note1", "NOTE1"));
  EXPECT_FALSE(SameText("ё"_cp, "Ё"_cp));
  EXPECT_TRUE(AnsiSameText("Примечание"_cp, "ПРИМЕЧАНИЕ"_cp));
  EXPECT_TRUE(AnsiSameText("ёлка"_cp, "ЁЛКА"_cp));
  EXPECT_FALSE(AnsiSameText("елка"_cp, "ёлка"_cp));
}

// The collation order of sorted lists: symbols, digits, Latin, Cyrillic with
// Ё after Е; case-insensitive first, the small letter first on a tie.
TEST(TextCase, AnsiCollationOrder) {
  const std::vector<std::string> ordered = {
      "",     " ",     "-",    "№"_cp, "0",    "9",     "a",    "A",     "ab",    "Ab",
      "B",    "z",     "Z",    "а"_cp, "А"_cp, "АА"_cp, "б"_cp, "Е"_cp,  "еж"_cp, "ё"_cp,
      "Ё"_cp, "ёж"_cp, "Ж"_cp, "и"_cp, "І"_cp, "й"_cp,  "Я"_cp, "яя"_cp,
  };
  for (std::size_t i = 0; i < ordered.size(); ++i)
    for (std::size_t j = 0; j < ordered.size(); ++j) {
      int expected = i < j ? -1 : i > j ? 1 : 0;
      EXPECT_EQ(AnsiCompareStr(ordered[i], ordered[j]), expected) << i << " vs " << j;
      int text = AnsiCompareText(ordered[i], ordered[j]);
      if (AnsiSameText(ordered[i], ordered[j]))
        EXPECT_EQ(text, 0) << i << " vs " << j;
      else
        EXPECT_EQ(text, expected) << i << " vs " << j;
    }
  // Sorting a shuffled copy gives the same order.
  auto shuffled = ordered;
  std::reverse(shuffled.begin(), shuffled.end());
  std::sort(shuffled.begin(), shuffled.end(), [](auto& a, auto& b) { return AnsiCompareStr(a, b) < 0; });
  EXPECT_EQ(shuffled, ordered);
}

TEST(TextCase, ByteOrderIsUnsigned) {
  // Files sorted by name compare unsigned bytes: Cyrillic after Latin, Ё (0xA8) before А (0xC0).
  EXPECT_LT(CompareStr("z", "а"_cp), 0);
  EXPECT_LT(CompareStr("Ё"_cp, "А"_cp), 0);
  EXPECT_LT(CompareStr("ab", "abc"), 0);
  EXPECT_GT(CompareText("b", "A"), 0);
}

TEST(TextCase, TrimDropsControlsAndBlanks) {
  struct Case {
    std::string in, both, left, right;
  };
  const Case cases[] = {
      {"  a b \t\r\n", "a b", "a b \t\r\n", "  a b"},
      {"", "", "", ""},
      {" \x01 ", "", "", ""},
      {"\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0"},  // no-break space is not trimmed
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Trim(c.in), c.both);
    EXPECT_EQ(TrimLeft(c.in), c.left);
    EXPECT_EQ(TrimRight(c.in), c.right);
  }
}

TEST(TextCase, NumbersToText) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-2147483648LL), "-2147483648");
  EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(0x5AA5, 2), "5AA5");
  EXPECT_EQ(IntToHex(0, 0), "0");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFFFFFFFFFF");
}

TEST(TextCase, StringReplaceFlags) {
  struct Case {
    std::string s, from, to;
    TReplaceFlags flags;
    std::string out;
  };
  const Case cases[] = {
      {"a.b.c", ".", ",", 0, "a,b.c"},
      {"a.b.c", ".", ",", rfReplaceAll, "a,b,c"},
      {"aXbxc", "x", "--", rfReplaceAll, "aXb--c"},
      {"aXbxc", "x", "--", rfReplaceAll | rfIgnoreCase, "a--b--c"},
      {"Ёлка ёлка"_cp, "ёлка"_cp, "ель"_cp, rfReplaceAll | rfIgnoreCase, "ель ель"_cp},
      {"aaa", "aa", "a", rfReplaceAll, "aa"},
      {"abc", "", "x", rfReplaceAll, "abc"},
      {"", "a", "b", rfReplaceAll, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(StringReplace(c.s, c.from, c.to, c.flags), c.out) << c.s;
}

TEST(TextCase, PosAndCopyAreOneBased) {
  EXPECT_EQ(Pos("b", "abc"), 2);
  EXPECT_EQ(Pos("x", "abc"), 0);
  EXPECT_EQ(Pos("", "abc"), 0);
  EXPECT_EQ(Copy("abcdef", 2, 3), "bcd");
  EXPECT_EQ(Copy("abcdef", 0, 2), "ab");
  EXPECT_EQ(Copy("abcdef", 5, 100), "ef");
  EXPECT_EQ(Copy("abcdef", 7, 1), "");
  EXPECT_EQ(Copy("abcdef", 2, -1), "");
}

TEST(TextCase, DeleteAndInsertClipLikeCopy) {
  struct Case {
    std::int64_t from, count;
    std::string out;
  };
  const Case deletes[] = {{2, 2, "adef"}, {0, 2, "abcdef"}, {7, 1, "abcdef"}, {5, 100, "abcd"}, {1, 0, "abcdef"}};
  for (const auto& c : deletes) {
    AnsiString s = "abcdef";
    Delete(s, c.from, c.count);
    EXPECT_EQ(s, c.out) << c.from << "," << c.count;
  }
  struct Ins {
    std::int64_t at;
    std::string out;
  };
  const Ins inserts[] = {{1, "XYabc"}, {-5, "XYabc"}, {3, "abXYc"}, {4, "abcXY"}, {99, "abcXY"}};
  for (const auto& c : inserts) {
    AnsiString s = "abc";
    Insert("XY", s, c.at);
    EXPECT_EQ(s, c.out) << c.at;
  }
}
