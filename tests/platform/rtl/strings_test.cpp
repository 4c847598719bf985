#include "platform/rtl/strings.h"

#include <gtest/gtest.h>

using namespace rtl;

TEST(Cp1251Literal, ConvertsCyrillicAtCompileTime) {
  constexpr CpLiteral wait = "Подождите..."_cp;
  ASSERT_EQ(wait.size(), 12u);
  EXPECT_EQ(static_cast<unsigned char>(wait.c_str()[0]), 0xCF);  // П
  EXPECT_EQ(static_cast<unsigned char>(wait.c_str()[1]), 0xEE);  // о
  EXPECT_EQ(std::string("Ёё№"_cp), std::string("\xA8\xB8\xB9"));
  EXPECT_EQ(std::string("COM"_cp), "COM");
}

TEST(CodePages, RoundTripEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(WideToAnsi(AnsiToWide(all, CP_1251), CP_1251), all);
  EXPECT_EQ(WideToAnsi(AnsiToWide(all, CP_866), CP_866), all);
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
}

TEST(CodePages, ConvertsBetweenPages) {
  struct Case {
    const char* utf8;
    const char* cp1251;
    const char* cp866;
  };
  const Case cases[] = {
      {"Привет", "\xCF\xF0\xE8\xE2\xE5\xF2", "\x8F\xE0\xA8\xA2\xA5\xE2"},
      {"Ёё", "\xA8\xB8", "\xF0\xF1"},
      {"abc", "abc", "abc"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToAnsi(c.utf8), c.cp1251) << c.utf8;
    EXPECT_EQ(Cp1251ToCp866(c.cp1251), c.cp866) << c.utf8;
    EXPECT_EQ(Cp866ToCp1251(c.cp866), c.cp1251) << c.utf8;
  }
}

TEST(CodePages, UnmappableBecomesQuestionMark) {
  EXPECT_EQ(WideToAnsi(u"a\u4E2Db"), "a?b");
  EXPECT_EQ(WideToAnsi(u"\U0001F600"), "?");
  EXPECT_EQ(WideToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(Utf8ToWide("\xC3"), u"\uFFFD");
}
