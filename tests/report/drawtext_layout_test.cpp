// Text layout: wrapping, hyphenation, measuring and cutting, on fixed metrics.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "drawtext_fixture.h"
#include "platform/rtl/exceptions.h"
#include "report/vuzGraphicUtils.h"
#include "report/vuzHyphenation.h"

using namespace report;
using namespace report_test;
using rtl::literals::operator""_cp;

namespace {

struct WrapCase {
  const char* name;
  std::u16string text;
  int widthChars;
  bool tags, wordBreak;
  std::vector<std::u16string> lines;
  std::vector<int> flags;
};

TEST(TextLayoutWrap, Table) {
  const WrapCase cases[] = {
      {"short line is one paragraph", u"abc", 10, false, false, {u"abc"}, {3}},
      {"exactly the width", u"abcdefghij", 10, false, false, {u"abcdefghij"}, {3}},
      {"break at the last blank, blank dropped", u"aaa bbb ccc", 7, false, false, {u"aaa bbb", u"ccc"}, {1, 2}},
      {"blank that overflows is dropped", u"aaaa bbbb", 4, false, false, {u"aaaa", u"bbbb"}, {1, 2}},
      {"word longer than the width is cut", u"abcdefghij", 4, false, false, {u"abcd", u"efgh", u"ij"}, {1, 0, 2}},
      {"width below one character", u"abc", 0, false, false, {u"a", u"b", u"c"}, {1, 0, 2}},
      {"two paragraphs", u"aa bb\r\ncc", 3, false, false, {u"aa", u"bb", u"cc"}, {1, 2, 3}},
      {"a blank inside nowrap is no wrap point",
       u"<nowrap>aa bbbb</nowrap>",
       5,
       true,
       false,
       {u"aa bb", u"bb"},
       {1, 2}},
      {"the same without nowrap", u"aa bbbb", 5, false, false, {u"aa", u"bbbb"}, {1, 2}},
      {"tags take no width", u"<b>aa</b> <i>bb</i>", 6, true, false, {u"aa bb"}, {3}},
      {"hyphenated after МОЛО", u"МОЛОКО", 5, false, true, {u"МОЛО-", u"КО"}, {1, 2}},
      {"hyphenated after МО", u"МОЛОКО", 3, false, true, {u"МО-", u"ЛО-", u"КО"}, {1, 0, 2}},
      {"hyphenation keeps the case", u"Пей молоко", 8, false, true, {u"Пей мо-", u"локо"}, {1, 2}},
      {"without word break the word moves down", u"Пей молоко", 8, false, false, {u"Пей", u"молоко"}, {1, 2}},
      {"a word without syllables is cut", u"ВСТРЕЧ", 3, false, true, {u"ВСТ", u"РЕЧ"}, {1, 2}},
      {"latin words are not hyphenated", u"ab milkshake", 8, false, true, {u"ab", u"milkshak", u"e"}, {1, 0, 2}},
  };
  for (const WrapCase& c : cases) {
    SCOPED_TRACE(c.name);
    DrawTextFixture f;
    f.Options(true, c.tags, c.wordBreak);
    f.Lay(c.text, Chars(c.widthChars));
    EXPECT_EQ(f.Lines(), c.lines);
    EXPECT_EQ(f.Flags(), c.flags);
    // One tag line per output line; with tags a tag for every character (a
    // line that lost its closing blank keeps the blank's tag), without them
    // only the first character's, which holds where the line starts.
    ASSERT_EQ(f.layout.TagList().Count(), f.layout.WrappedLineCount());
    for (int i = 0; i < f.layout.WrappedLineCount(); ++i) {
      const TfrxHTMLTags& tags = f.layout.TagList().GetItems(i);
      if (c.tags) {
        EXPECT_GE(tags.Count(), static_cast<int>(f.layout.WrappedLine(i).size())) << i;
      } else {
        ASSERT_EQ(tags.Count(), 1) << i;
        // Positions are 1-based in the source text, a line end counting 2.
        const std::u16string line = f.layout.WrappedLine(i);
        EXPECT_EQ(c.text.substr(static_cast<std::size_t>(tags[0].SourcePos - 1), line.size() - (line.back() == u'-')),
                  line.substr(0, line.size() - (line.back() == u'-')))
            << i;
      }
    }
  }
}

TEST(TextLayoutWrap, EmptyLinesAndParagraphGap) {
  DrawTextFixture f;
  TWideStrings lines;
  lines.Add(u"");
  lines.Add(u"aaa bbb");
  f.layout.SetGaps(Chars(2), 0, 0);  // the first line of a paragraph is two characters narrower
  f.layout.SetDimensions(1, 1, 1, gfx::Rect(0, 0, Chars(7), 100), gfx::Rect(0, 0, Chars(7), 100));
  f.layout.SetText(lines);
  EXPECT_EQ(f.Lines(), (std::vector<std::u16string>{u" ", u"aaa", u"bbb"}));
  EXPECT_EQ(f.Flags(), (std::vector<int>{3, 1, 2}));
  EXPECT_EQ(f.layout.GetWrappedText(), u" \r\naaa\r\nbbb\r\n");
  EXPECT_EQ(f.layout.GetInBoundsText(), u"\r\naaa bbb\r\n");
  f.layout.SetParaBreaks(true, true);
  EXPECT_EQ(f.Flags(), (std::vector<int>{2, 1, 0}));
}

TEST(TextLayoutWrap, WithoutWordWrapEveryLineStays) {
  DrawTextFixture f;
  f.Options(false);
  f.Lay(u"aaa bbb ccc\r\nd", Chars(3));
  EXPECT_EQ(f.Lines(), (std::vector<std::u16string>{u"aaa bbb ccc", u"d"}));
}

TEST(TextLayoutWrap, RotatedTextWrapsOnTheHeight) {
  for (int rotation : {90, 270, -90, 135}) {
    SCOPED_TRACE(rotation);
    DrawTextFixture f;
    f.Options(true, false, false, rotation);
    f.layout.SetDimensions(1, 1, 1, gfx::Rect(0, 0, Chars(100), Chars(3)), gfx::Rect(0, 0, Chars(100), Chars(3)));
    TWideStrings lines;
    lines.Add(u"aaa bbb");
    f.layout.SetText(lines);
    EXPECT_EQ(f.Lines(), (std::vector<std::u16string>{u"aaa", u"bbb"}));
  }
}

// Lines far beyond the 32,768 entries the advance arrays once had.
TEST(TextLayoutWrap, LinesLongerThan32768Characters) {
  DrawTextFixture f;
  const std::u16string word(40000, u'a');
  f.Lay(word, Chars(100));
  ASSERT_EQ(f.layout.WrappedLineCount(), 400);
  EXPECT_EQ(f.layout.WrappedLine(399), std::u16string(100, u'a'));

  std::u16string words;
  for (int i = 0; i < 10000; ++i) words += u"abc ";
  f.Options(false);
  f.Lay(words, Chars(50), 100);
  ASSERT_EQ(f.layout.WrappedLineCount(), 1);
  gfx::TRecordingCanvas canvas;
  f.layout.DrawText(canvas, haBlock, vaTop);  // one paragraph line: left-aligned
  const auto texts = canvas.CallsOf(gfx::TCanvasOp::ExtTextOut);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->dx.size(), 40000u);
  EXPECT_EQ(f.layout.CalcWidth(), 40000 * 8);
}

// ---------------------------------------------------------------- hyphenation

TEST(Hyphenation, SyllablePositions) {
  const struct {
    const char* word;  // UTF-8, upper case
    std::vector<int> positions;
  } cases[] = {
      {"МОЛОКО", {2, 4}}, {"ВАННА", {3}},         {"ЧАЙКА", {3}}, {"ПОДЪЕЗД", {2}}, {"ДОМ", {}},
      {"ВСТРЕЧ", {}},     {"КОЛБАСА", {2, 3, 5}}, {"LATIN", {}},  {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.word);
    EXPECT_EQ(vuzSyllablePositions(rtl::Utf8ToAnsi(c.word)), c.positions);
  }
}

// Positions are integers: words beyond 254 letters hyphenate where they should.
TEST(Hyphenation, LongWordsHyphenateBeyond254Letters) {
  std::string word;
  for (int i = 0; i < 150; ++i) word += "МО";
  const std::vector<int> positions = vuzSyllablePositions(rtl::Utf8ToAnsi(word));
  ASSERT_EQ(positions.size(), 149u);
  EXPECT_EQ(positions.back(), 298);

  DrawTextFixture f;
  f.Options(true, false, true);
  f.Lay(rtl::Utf8ToWide(word), Chars(281));
  ASSERT_EQ(f.layout.WrappedLineCount(), 2);
  EXPECT_EQ(f.layout.WrappedLine(0).size(), 281u);
  EXPECT_EQ(f.layout.WrappedLine(0).back(), u'-');
  EXPECT_EQ(f.layout.WrappedLine(1).size(), 20u);
}

// ---------------------------------------------------------------- measuring

TEST(TextLayoutMetrics, TenPointsAre83LayoutPixels) {
  DrawTextFixture f;
  f.font.SetSize(10);
  f.layout.SetFont(f.font);
  f.layout.SetGaps(0, 0, 2);
  EXPECT_EQ(f.layout.LayoutCanvas().Font().Height(), -83);
  EXPECT_EQ(f.layout.PointSize(), 10);
  EXPECT_DOUBLE_EQ(f.layout.TextHeight(), 13.28);
  EXPECT_DOUBLE_EQ(f.layout.LineHeight(), 15.28);
  EXPECT_EQ(f.layout.CalcHeight(), 0);
  f.Lay(u"one\r\ntwo\r\nthree", 200);
  EXPECT_NEAR(f.layout.CalcHeight(), 45.84, 1e-9);
  f.layout.SetGaps(0, 0, -2);  // negative spacing: one more |LineSpacing|
  EXPECT_NEAR(f.layout.CalcHeight(), 3 * 11.28 + 2, 1e-9);
}

TEST(TextLayoutMetrics, CalcWidth) {
  const struct {
    const char* name;
    std::u16string text;
    double paragraphGap, charSpacing;
    bool tags;
    double width;
  } cases[] = {
      {"widest line", u"aaa\r\nbbbbb", 0, 0, false, 40},
      {"character spacing", u"aaa\r\nbbbbb", 0, 1, false, (250 + 31) / 6.25},
      {"paragraph gap on the first line", u"aaaaa\r\nbb", 2, 0, false, (250 + 12) / 6.25},
      {"bold run", u"<b>aa</b>bbb", 0, 0, true, (120 + 150) / 6.25},
      {"tags not allowed are text", u"<b>", 0, 0, false, 24},
      {"nothing", u"", 0, 0, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DrawTextFixture f;
    f.Options(true, c.tags);
    f.layout.SetGaps(c.paragraphGap, c.charSpacing, 0);
    f.Lay(c.text, 10000);
    EXPECT_NEAR(f.layout.CalcWidth(), c.width, 1e-9);
  }
}

TEST(TextLayoutMetrics, UnusedSpace) {
  DrawTextFixture f;  // 12 points: 16 report pixels a line, 18 with spacing 2
  f.layout.SetGaps(0, 0, 2);
  const struct {
    int height;
    double unused;
  } cases[] = {{35, 0.0001}, {16, 0}, {39, 4}, {53, 0.0001}, {0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.height);
    f.Lay(u"text", 100, c.height);
    EXPECT_DOUBLE_EQ(f.layout.UnusedSpace(), c.unused);
  }
}

// ---------------------------------------------------------------- cutting

TEST(TextLayoutCut, GetOutBoundsText) {
  const struct {
    const char* name;
    std::u16string text;
    int widthChars, linesThatFit;
    bool tags, wordBreak;
    std::u16string rest, inBounds;
    bool inParagraph;
    int linesLeft;
  } cases[] = {
      {"everything fits", u"aaa bbb", 10, 1, false, false, u"", u"aaa bbb\r\n", false, 1},
      {"cut at a blank", u"aaa bbb ccc ddd", 7, 1, false, false, u"ccc ddd\r\n", u"aaa bbb", true, 1},
      {"a hyphen of the text's own is not doubled", u"aaa- bbbbbb", 5, 1, false, true, u"bbbbbb\r\n", u"aaa-", true, 1},
      {"cut at a paragraph end", u"aaa\r\nbbb", 7, 1, false, false, u"bbb\r\n", u"aaa\r\n", false, 1},
      {"cut inside a word repeats nothing", u"abcdefghij", 4, 1, false, false, u"efghij\r\n", u"abcd", true, 1},
      {"cut after a hyphen", u"МОЛОКО", 5, 1, false, true, u"КО\r\n", u"МОЛО-", true, 1},
      {"not one line fits", u"aaa bbb", 3, 0, false, false, u"aaa bbb\r\n", u"", false, 0},
      {"format carried over", u"<b>aaa <font color=Red>bbb</font></b>", 4, 1, true, false,
       u"<font color=\"#FF0000\"><b>bbb</font></b>\r\n", u"<b>aaa <font color=Red>", true, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DrawTextFixture f;
    f.Options(true, c.tags, c.wordBreak);
    f.Lay(c.text, Chars(c.widthChars), c.linesThatFit * 16 + 14);
    bool inParagraph = !c.inParagraph;
    EXPECT_EQ(f.layout.GetOutBoundsText(inParagraph), c.rest);
    EXPECT_EQ(inParagraph, c.inParagraph);
    EXPECT_EQ(f.layout.GetInBoundsText(), c.inBounds);
    EXPECT_EQ(f.layout.WrappedLineCount(), c.linesLeft);
  }
}

// Splitting a text part by part loses and repeats nothing.
TEST(TextLayoutCut, PartsJoinToTheWholeText) {
  const std::u16string text = u"Кирпич сохнет неделю, потом его обжигают в печи.\r\nВторой абзац текста.";
  DrawTextFixture f;
  std::u16string remainder = text, joined;
  for (int guard = 0; !remainder.empty() && guard < 50; ++guard) {
    f.Lay(remainder, Chars(9), 2 * 16 + 14);
    bool inParagraph = false;
    const std::u16string rest = f.layout.GetOutBoundsText(inParagraph);
    joined += f.layout.GetInBoundsText();
    remainder = rest;
  }
  std::u16string expected = text + u"\r\n", got = joined;
  // Cuts at blanks drop the blank; compare without blanks and line ends.
  std::erase_if(expected, [](char16_t c) { return c == u' ' || c == u'\r' || c == u'\n'; });
  std::erase_if(got, [](char16_t c) { return c == u' ' || c == u'\r' || c == u'\n'; });
  EXPECT_EQ(got, expected);
}

TEST(TextLayoutCut, DeleteTags) {
  DrawTextFixture f;
  f.Options(true, true);
  EXPECT_EQ(f.layout.DeleteTags(u"<b>a</b><font color=Red>b</font><x>"), u"ab<x>");
  EXPECT_EQ(f.layout.DeleteTags(u""), u"");
  f.Options(true, false);
  EXPECT_EQ(f.layout.DeleteTags(u"<b>a</b>"), u"<b>a</b>");
}

// ---------------------------------------------------------------- the shared object and its lock

TEST(TextLayoutLock, StartupMakesTheSharedObjectAndTheLock) {
  // Another test of this program may have left the report classes started.
  if (!vuzDrawText()) {
    EXPECT_THROW(TfrxDrawText::Lock(), rtl::EInvalidOperation);
  }
  const bool before = vuzDrawText() != nullptr;
  vuzDrawTextStartup();
  vuzDrawTextStartup();
  ASSERT_NE(vuzDrawText(), nullptr);
  {
    TfrxDrawTextLock outer;
    TfrxDrawTextLock inner;  // the lock is recursive, as callers nest it
  }
  vuzDrawTextShutdown();
  EXPECT_NE(vuzDrawText(), nullptr);
  vuzDrawTextShutdown();
  EXPECT_EQ(vuzDrawText() != nullptr, before);
  if (!before) {
    vuzDrawTextShutdown();  // one too many does nothing
    EXPECT_EQ(vuzDrawText(), nullptr);
  }
}

// Two threads configure, lay out and query the shared object, each holding
// the lock for its whole sequence: neither sees the other's settings.
TEST(TextLayoutLock, SequencesOnTheSharedObjectDoNotMix) {
  vuzDrawTextStartup();
  static const TfrxFixedTextMeasurer metrics(0.5, 0.5);
  auto run = [](int widthChars, int expectedLines, int& wrong) {
    TWideStrings lines;
    lines.Add(u"aa bb cc dd ee ff gg hh ii jj kk ll");
    gfx::TFont font;
    font.SetSize(12);
    for (int k = 0; k < 300; ++k) {
      TfrxDrawTextLock lock;
      TfrxDrawText& layout = *vuzDrawText();
      layout.SetMeasurer(&metrics);
      layout.SetFont(font);
      layout.SetOptions(true, false, false, false, true, true, 0);
      layout.SetGaps(0, 0, 0);
      layout.SetDimensions(1, 1, 1, gfx::Rect(0, 0, Chars(widthChars), 100), gfx::Rect(0, 0, Chars(widthChars), 100));
      layout.SetText(lines);
      if (layout.WrappedLineCount() != expectedLines) ++wrong;
    }
  };
  int wrongA = 0, wrongB = 0;
  std::thread a(run, 2, 12, std::ref(wrongA)), b(run, 5, 6, std::ref(wrongB));
  a.join();
  b.join();
  EXPECT_EQ(wrongA, 0);
  EXPECT_EQ(wrongB, 0);
  vuzDrawText()->SetMeasurer(nullptr);
  vuzDrawTextShutdown();
}

}  // namespace
