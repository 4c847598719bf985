// Code pages beyond the table-driven 1251/866/1252: bytes and characters
// agreed against an independent decoder.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/strings.h"

using namespace rtl;

namespace {

struct PageCase {
  unsigned codePage;
  const char* bytes;
  char16_t character;
};

const PageCase kPages[] = {
    {1250, "\x8A", u'\u0160'},     {1253, "\xC1", u'\u0391'},    {1254, "\xD0", u'\u011E'},
    {1255, "\xE0", u'\u05D0'},     {1256, "\xC7", u'\u0627'},    {1257, "\xC0", u'\u0104'},
    {1258, "\xC3", u'\u0102'},     {874, "\xA1", u'\u0E01'},     {932, "\x82\xA0", u'\u3042'},
    {936, "\xC4\xE3", u'\u4F60'},  {949, "\xB0\xA1", u'\uAC00'}, {950, "\xA4\xA4", u'\u4E2D'},
    {1361, "\x88\x61", u'\uAC00'}, {10007, "\x80", u'\u0410'},
};

}  // namespace

TEST(CodePageConverters, KnownBytesAndCharactersBothWays) {
  for (const auto& c : kPages) {
    const std::string bytes = std::string("a") + c.bytes + "z";
    const std::u16string wide = std::u16string(u"a") + c.character + u"z";
    EXPECT_EQ(AnsiToWide(bytes, c.codePage), wide) << c.codePage;
    EXPECT_EQ(WideToAnsi(wide, c.codePage), bytes) << c.codePage;
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(bytes, c.codePage), c.codePage), bytes) << c.codePage;
  }
}

TEST(CodePageConverters, SingleBytePagesRoundTripTheirDefinedBytes) {
  for (unsigned cp : {1250u, 1253u, 1254u, 1255u, 1256u, 1257u, 1258u, 874u, 10007u}) {
    for (int b = 0x20; b < 0x100; ++b) {
      const std::string byte(1, static_cast<char>(b));
      const std::u16string wide = AnsiToWide(byte, cp);
      ASSERT_EQ(wide.size(), 1u) << cp << " byte " << b;
      if (wide[0] == 0xFFFD) continue;  // a hole in the page
      EXPECT_EQ(WideToAnsi(wide, cp), byte) << cp << " byte " << b;
    }
  }
}

TEST(CodePageConverters, UnmappableCharactersBecomeQuestionMarks) {
  const struct {
    unsigned codePage;
    std::u16string text;
    std::string expected;
  } cases[] = {
      {1250, u"a\u0416b", "a?b"},           // Cyrillic in a Latin page
      {1253, u"\u4E2D\u0391", "?\xC1"},     // Han in Greek
      {932, u"\U0001F600x", "?x"},          // a surrogate pair is one character
      {936, u"\xD800x", "?x"},              // a lone surrogate
      {949, u"\u0E01\uAC00", "?\xB0\xA1"},  // Thai in Korean
  };
  for (const auto& c : cases) EXPECT_EQ(WideToAnsi(c.text, c.codePage), c.expected) << c.codePage;
  EXPECT_EQ(Utf8ToAnsi("\xD0\x96", 1250), "?");
}

TEST(CodePageConverters, BrokenMultibyteInputBecomesReplacementCharacters) {
  EXPECT_EQ(AnsiToWide("a\x82", 932), u"a\uFFFD");  // cut off after the lead byte
  EXPECT_EQ(AnsiToWide("\xA4\xA4\xA4", 950), u"\u4E2D\uFFFD");
  EXPECT_EQ(AnsiToWide("\xFF"
                       "a",
                       936),
            u"\uFFFDa");  // a byte that starts nothing
  EXPECT_EQ(AnsiToWide("", 949), u"");
}

TEST(CodePageConverters, SymbolPageUsesThePrivateArea) {
  EXPECT_EQ(AnsiToWide("\x01\x41\xFF", CP_SYMBOL), u"\u0001\uF041\uF0FF");
  EXPECT_EQ(WideToAnsi(u"\u0001\uF041\uF0FFA", CP_SYMBOL), "\x01\x41\xFF?");
}

TEST(CodePageConverters, UnknownPageRaisesConvertError) {
  for (unsigned cp : {0u, 2u, 437u, 1200u, 99999u}) {
    EXPECT_THROW(AnsiToWide("abc", cp), EConvertError) << cp;
    EXPECT_THROW(WideToAnsi(u"abc", cp), EConvertError) << cp;
    EXPECT_THROW(AnsiToUtf8("abc", cp), EConvertError) << cp;
    EXPECT_THROW(Utf8ToAnsi("abc", cp), EConvertError) << cp;
  }
}

TEST(CodePageConverters, ThreadsShareOneConverterSafely) {
  const std::string bytes = "\x82\xA0\x82\xA2\x82\xA4 text";
  const std::u16string wide = AnsiToWide(bytes, 932);
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 2000; ++i) {
        if (AnsiToWide(bytes, 932) != wide || WideToAnsi(wide, 932) != bytes) ++failures[t];
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int f : failures) EXPECT_EQ(f, 0);
}

// Windows-1252 differs from Latin-1 in 0x80-0x9F; reading those bytes as
// Latin-1 turned the euro sign and the typographic quotes into control codes.
TEST(CodePageConverters, Cp1252PlacesTheEuroAndQuotesAndKeepsItsHoles) {
  const struct {
    unsigned char byte;
    char16_t character;
  } cases[] = {{0x80, u'\u20AC'}, {0x84, u'\u201E'}, {0x8A, u'\u0160'}, {0x93, u'\u201C'}, {0x99, u'\u2122'},
               {0x9F, u'\u0178'}, {0x81, u'\u0081'}, {0x9D, u'\u009D'}, {0xE9, u'\u00E9'}, {0x41, u'A'}};
  for (const auto& c : cases) {
    const std::string byte(1, static_cast<char>(c.byte));
    EXPECT_EQ(AnsiToWide(byte, 1252), std::u16string(1, c.character)) << int(c.byte);
  }
  for (int b = 0; b < 0x100; ++b) {
    const std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(WideToAnsi(AnsiToWide(byte, 1252), 1252), byte) << b;
  }
  EXPECT_EQ(WideToAnsi(u"\u0080\u0416", 1252), "??");  // a C1 code 1252 assigns elsewhere; Cyrillic
}
