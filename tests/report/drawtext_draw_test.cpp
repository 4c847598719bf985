// Text layout drawn on a recording canvas (fixed metrics) and on a bitmap
// (the font engine), and the tag parser.
#include <gtest/gtest.h>

#include <cmath>

#include "drawtext_fixture.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/document_canvas.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"
#include "test_util.h"

using namespace report;
using namespace report_test;
using gfx::TCanvasOp;
using gfx::TRecordingCanvas;

namespace {

std::vector<const gfx::TCanvasCall*> TextCalls(const TRecordingCanvas& canvas) {
  return canvas.CallsOf(TCanvasOp::ExtTextOut);
}

// ---------------------------------------------------------------- the tag parser

struct TagCase {
  const char* name;
  std::u16string source;
  std::u16string text;
  // Per character: bold, colour, size, lowered, same as previous.
  std::vector<std::tuple<bool, gfx::TColor, int, int, bool>> tags;
};

TEST(HTMLTags, ParserTable) {
  using gfx::clBlack;
  const TagCase cases[] = {
      {"bold on and off", u"<b>x</b>y", u"xy", {{true, clBlack, 12, 0, false}, {false, clBlack, 12, 0, false}}},
      {"tags without regard to case", u"<B>x</B>", u"x", {{true, clBlack, 12, 0, false}}},
      {"subscript", u"a<sub>2</sub>", u"a2", {{false, clBlack, 12, 0, true}, {false, clBlack, 8, 1, false}}},
      {"superscript", u"a<sup>2</sup>", u"a2", {{false, clBlack, 12, 0, true}, {false, clBlack, 8, 0, false}}},
      {"quoted hex colour",
       u"<font color=\"#FF0000\">r</font>g",
       u"rg",
       {{false, 0x0000FF, 12, 0, false}, {false, clBlack, 12, 0, false}}},
      {"colour name", u"<font color=Red>r", u"r", {{false, gfx::clRed, 12, 0, false}}},
      {"blanks after =", u"<font color=  Navy>r", u"r", {{false, gfx::clNavy, 12, 0, false}}},
      {"quoted colour name is text", u"<font color=\"Red\">", u"<font color=\"Red\">", {}},
      {"unknown tag is text", u"<x>", u"<x>", {}},
      {"unclosed font tag is text", u"<font color=Red", u"<font color=Red", {}},
      {"empty text becomes a blank", u"<b></b>", u" ", {{false, clBlack, 12, 0, true}}},
  };
  for (const TagCase& c : cases) {
    SCOPED_TRACE(c.name);
    TfrxHTMLTagsList list;
    list.SetDefaults(clBlack, 12, {});
    std::u16string text = c.source;
    list.ExpandHTMLTags(text);
    EXPECT_EQ(text, c.text);
    ASSERT_EQ(list.Count(), 1);
    ASSERT_EQ(list.GetItems(0).Count(), static_cast<int>(text.size()));
    for (std::size_t k = 0; k < c.tags.size(); ++k) {
      SCOPED_TRACE(k);
      const TfrxHTMLTag& tag = list.GetItems(0)[static_cast<int>(k)];
      const auto& [bold, colour, size, lowered, same] = c.tags[k];
      EXPECT_EQ(tag.FontStyle.Contains(gfx::fsBold), bold);
      EXPECT_EQ(tag.FontColor, colour);
      EXPECT_EQ(tag.FontSize, size);
      EXPECT_EQ(tag.Lowered, lowered);
      EXPECT_EQ(tag.Reduced, size != 12);
      EXPECT_EQ(tag.SameAsPrevious, same);
    }
  }
}

TEST(HTMLTags, PositionsCountTagsAndLineEnds) {
  TfrxHTMLTagsList list;
  list.SetDefaults(gfx::clBlack, 10, {});
  std::u16string first = u"<i>ab</i>", second = u"<strike>c</strike><nowrap> d</nowrap>";
  list.ExpandHTMLTags(first);
  list.NextPos += 2;
  list.NewLine();
  list.ExpandHTMLTags(second);
  EXPECT_EQ(second, u"c d");
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetItems(0)[0].SourcePos, 4);
  EXPECT_EQ(list.GetItems(0)[1].SourcePos, 5);
  EXPECT_EQ(list.GetItems(1)[0].SourcePos, 9 + 2 + 8 + 1);
  EXPECT_TRUE(list.GetItems(1)[0].FontStyle.Contains(gfx::fsStrikeOut));
  EXPECT_FALSE(list.GetItems(1)[0].SameAsPrevious);  // italic before, strike-out now
  EXPECT_TRUE(list.GetItems(1)[1].NoWrap);
  EXPECT_FALSE(list.GetItems(1)[0].NoWrap);
  EXPECT_EQ(list.GetPrevTag(), &list.GetItems(1)[1]);
}

TEST(HTMLTags, TagsNotAllowedAreText) {
  TfrxHTMLTagsList list;
  list.TagsAllowed = false;
  list.SetDefaults(gfx::clBlack, 10, {});
  std::u16string text = u"<b>x";
  list.ExpandHTMLTags(text);
  EXPECT_EQ(text, u"<b>x");
  for (const TfrxHTMLTag& tag : list.GetItems(0).Items()) EXPECT_TRUE(tag.SameAsPrevious);
}

TEST(HTMLTags, InvalidHexColourRaisesAConversionError) {
  TfrxHTMLTagsList list;
  list.SetDefaults(gfx::clBlack, 10, {});
  std::u16string text = u"<font color=\"#GG0000\">x";
  EXPECT_THROW(list.ExpandHTMLTags(text), rtl::EConvertError);

  DrawTextFixture f;
  f.Options(true, true);
  EXPECT_THROW(f.Lay(text, 100), rtl::EConvertError);
}

TEST(HTMLTags, WrapMovesTheTailAndCopiesTheHyphensFormat) {
  TfrxHTMLTagsList list;
  list.SetDefaults(gfx::clBlack, 10, {});
  std::u16string text = u"<b>abc</b>def";
  list.ExpandHTMLTags(text);
  list.Wrap(2, true);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetItems(0).Count(), 3);  // a, b and the hyphen in b's format
  EXPECT_TRUE(list.GetItems(0)[2].FontStyle.Contains(gfx::fsBold));
  EXPECT_EQ(list.GetItems(1).Count(), 4);
  EXPECT_EQ(list.GetItems(1)[0].SourcePos, 6);
  list.Wrap(10, false);  // not that many tags: nothing
  EXPECT_EQ(list.Count(), 2);
  list.Wrap(2, false);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.GetItems(2)[0].SourcePos, 12);  // its own position, not its predecessor's
}

// ---------------------------------------------------------------- drawing

TEST(TextDrawing, JustificationSpreadsOverTheBlanksWithOneExtraPixel) {
  DrawTextFixture f;
  f.Lay(u"a b c d eeeeeeee", 66, 100, 10, 20);
  ASSERT_EQ(f.layout.WrappedLine(0), u"a b c d");
  TRecordingCanvas canvas;
  f.layout.DrawText(canvas, haBlock, vaTop);
  const auto texts = TextCalls(canvas);
  ASSERT_EQ(texts.size(), 2u);
  // 66 - 56 = 10 pixels over 3 blanks: 4, 4 and 3.
  EXPECT_EQ(texts[0]->dx, (std::vector<int>{8, 12, 8, 12, 8, 11, 8}));
  EXPECT_EQ(texts[0]->points[0], (gfx::TPoint{10, 20}));
  // The paragraph's last line is left-aligned.
  EXPECT_EQ(texts[1]->dx, std::vector<int>(8, 8));
  EXPECT_EQ(texts[1]->points[0], (gfx::TPoint{10, 36}));
}

TEST(TextDrawing, HorizontalAlignment) {
  const struct {
    TfrxHAlign align;
    bool bold;
    int x;
  } cases[] = {
      {haLeft, false, 0},
      {haCenter, false, 20},
      {haRight, false, 40},
      {haRight, true, 33},  // 38 pixels of bold text by layout, one pixel further left
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.align));
    DrawTextFixture f;
    f.font.SetStyle(c.bold ? gfx::TFontStyles{gfx::fsBold} : gfx::TFontStyles{});
    f.layout.SetFont(f.font);
    f.Lay(u"abcd", 72);
    TRecordingCanvas canvas;
    f.layout.DrawText(canvas, c.align, vaTop);
    ASSERT_EQ(TextCalls(canvas).size(), 1u);
    EXPECT_EQ(TextCalls(canvas)[0]->points[0].X, c.x);
  }
}

TEST(TextDrawing, WysiwygPlacesRunsWhereLayoutPutThem) {
  DrawTextFixture f;
  f.Options(true, true);
  f.Lay(u"<b>ab</b>cd", 100, 100, 100, 0);
  TRecordingCanvas canvas;
  f.layout.DrawText(canvas, haLeft, vaTop);
  const auto texts = TextCalls(canvas);
  ASSERT_EQ(texts.size(), 2u);
  // Layout: 60 + 60 + 50 + 50 = 220 layout pixels = 35 device pixels; the
  // device measures 10 + 10 + 8 + 8 = 36, so one pixel comes off.
  EXPECT_EQ(texts[0]->text, u"ab");
  EXPECT_EQ(texts[0]->dx, (std::vector<int>{10, 9}));
  EXPECT_TRUE(texts[0]->state.font.Style().Contains(gfx::fsBold));
  EXPECT_EQ(texts[1]->text, u"cd");
  EXPECT_EQ(texts[1]->points[0].X, 119);
  EXPECT_FALSE(texts[1]->state.font.Style().Contains(gfx::fsBold));
  EXPECT_EQ(texts[0]->args[0] & gfx::ETO_CLIPPED, int(gfx::ETO_CLIPPED));
  EXPECT_EQ(texts[0]->rect, gfx::Rect(100, 0, 200, 100));

  f.Options(true, true, false, 0, false);  // without Wysiwyg: the device's own advances
  f.Lay(u"<b>ab</b>cd", 100, 100, 100, 0);
  canvas.Clear();
  f.layout.DrawText(canvas, haLeft, vaTop);
  ASSERT_EQ(TextCalls(canvas).size(), 2u);
  EXPECT_TRUE(TextCalls(canvas)[0]->dx.empty());
  EXPECT_EQ(TextCalls(canvas)[1]->points[0].X, 120);
}

TEST(TextDrawing, SubscriptIsSmallerAndLowered) {
  DrawTextFixture f;
  f.Options(true, true);
  f.Lay(u"H<sub>2</sub>O", 100);
  TRecordingCanvas canvas;
  f.layout.DrawText(canvas, haLeft, vaTop);
  const auto texts = TextCalls(canvas);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0]->state.font.Height(), -16);
  EXPECT_EQ(texts[1]->state.font.Height(), -11);  // 8 points
  EXPECT_EQ(texts[1]->points[0].Y, 8);            // lowered by its size
  EXPECT_EQ(texts[2]->state.font.Height(), -16);
  EXPECT_EQ(texts[2]->points[0].Y, 0);
}

TEST(TextDrawing, WysiwygLineAdvancesAddUpToTheLayoutHeight) {
  DrawTextFixture f;
  f.font.SetSize(10);
  f.layout.SetFont(f.font);
  f.layout.SetGaps(0, 0, 2);
  f.Lay(u"a\r\nb\r\nc", 100, 100);
  TRecordingCanvas canvas;
  f.layout.DrawText(canvas, haLeft, vaTop);
  const auto texts = TextCalls(canvas);
  ASSERT_EQ(texts.size(), 3u);
  // 13 + 2 pixels a line on screen, 45.84 by layout: one pixel spread in.
  EXPECT_EQ(texts[0]->points[0].Y, 0);
  EXPECT_EQ(texts[1]->points[0].Y, 16);
  EXPECT_EQ(texts[2]->points[0].Y, 31);
}

TEST(TextDrawing, WysiwygLineAdvancesOnAPrinter) {
  DrawTextFixture f;
  f.font.SetSize(10);
  f.layout.SetFont(f.font);
  f.layout.SetGaps(0, 0, 2);
  const double scale = 300.0 / 96;
  f.layout.SetDimensions(scale, scale, 1, gfx::Rect(0, 0, 100, 100), gfx::Rect(0, 0, 313, 313));
  TWideStrings lines;
  lines.SetText(u"a\r\nb\r\nc");
  f.layout.SetText(lines);
  TRecordingCanvas printer(300, 300, {}, gfx::dkPrinter);
  f.layout.DrawText(printer, haLeft, vaTop);
  const auto texts = TextCalls(printer);
  ASSERT_EQ(texts.size(), 3u);
  // 42 + 6 pixels a line at 300 dpi; layout gives 143.25: one pixel comes off.
  EXPECT_EQ(texts[0]->state.font.Height(), -42);
  EXPECT_EQ(texts[1]->points[0].Y, 47);
  EXPECT_EQ(texts[2]->points[0].Y, 95);
}

TEST(TextDrawing, StartPointsOfTheEightAngles) {
  const struct {
    int rotation;
    TfrxVAlign vAlign;
    gfx::TPoint start;
  } cases[] = {
      {0, vaTop, {100, 200}},      {45, vaTop, {100, 389}},   {90, vaTop, {100, 400}},    {135, vaTop, {289, 400}},
      {180, vaTop, {300, 400}},    {225, vaTop, {300, 211}},  {270, vaTop, {300, 200}},   {315, vaTop, {111, 200}},
      {0, vaBottom, {100, 384}},   {0, vaCenter, {100, 292}}, {90, vaBottom, {284, 400}}, {180, vaBottom, {300, 216}},
      {270, vaBottom, {116, 200}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rotation);
    DrawTextFixture f;
    f.Options(false, false, false, c.rotation);
    f.layout.SetDimensions(1, 1, 1, gfx::Rect(0, 0, 200, 200), gfx::Rect(100, 200, 300, 400));
    TWideStrings lines;
    lines.Add(u"ab");
    f.layout.SetText(lines);
    TRecordingCanvas canvas;
    f.layout.DrawText(canvas, haLeft, c.vAlign);
    const auto texts = TextCalls(canvas);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->points[0], c.start);
    EXPECT_EQ(texts[0]->state.font.Orientation(), c.rotation * 10);
    EXPECT_EQ(canvas.Font().Orientation(), 0);  // the caller's font comes back
  }
}

TEST(TextDrawing, RotatedLinesStackAcrossTheBaseline) {
  DrawTextFixture f;
  f.Options(true, false, false, 90);
  f.layout.SetGaps(Chars(1), 0, 0);
  f.layout.SetDimensions(1, 1, 1, gfx::Rect(0, 0, 100, Chars(4)), gfx::Rect(0, 0, 100, Chars(4)));
  TWideStrings lines;
  lines.Add(u"aa bbbb");
  f.layout.SetText(lines);
  ASSERT_EQ(f.layout.WrappedLineCount(), 2);
  TRecordingCanvas canvas;
  f.layout.DrawText(canvas, haLeft, vaTop);
  const auto texts = TextCalls(canvas);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0]->points[0], (gfx::TPoint{0, 32 - 8}));  // the indent runs up the baseline
  EXPECT_EQ(texts[1]->points[0], (gfx::TPoint{16, 32}));     // the next line to the right
}

TEST(TextDrawing, PrinterSizesFromItsResolution) {
  DrawTextFixture f;
  f.Lay(u"ab", 100);
  TRecordingCanvas printer(600, 600, {}, gfx::dkPrinter), screen(96, 96);
  EXPECT_TRUE(TfrxDrawText::IsPrinter(printer));
  EXPECT_FALSE(TfrxDrawText::IsPrinter(screen));
  f.layout.SetDimensions(6.25, 6.25, 1, gfx::Rect(0, 0, 100, 100), gfx::Rect(0, 0, 625, 625));
  f.layout.DrawText(printer, haLeft, vaTop);
  ASSERT_EQ(TextCalls(printer).size(), 1u);
  EXPECT_EQ(TextCalls(printer)[0]->state.font.Height(), -100);
  EXPECT_EQ(TextCalls(printer)[0]->state.font.PixelsPerInch(), 600);
  EXPECT_EQ(TextCalls(printer)[0]->dx, (std::vector<int>{50, 50}));
  f.layout.SetDimensions(2, 2, 1, gfx::Rect(0, 0, 100, 100), gfx::Rect(0, 0, 200, 200));
  f.layout.DrawText(screen, haLeft, vaTop);
  EXPECT_EQ(TextCalls(screen)[0]->state.font.Height(), -32);
  EXPECT_EQ(TextCalls(screen)[0]->dx, (std::vector<int>{16, 16}));
}

// A font of another charset shows the text as its 8-bit code page has it,
// unless the text object asks for the default charset.
TEST(TextDrawing, FontCharsetDecidesWhatIsShown) {
  const struct {
    gfx::TFontCharset charset;
    bool useDefault;
    std::u16string shown;
  } cases[] = {
      {gfx::ANSI_CHARSET, false, u"?aé"},
      {gfx::ANSI_CHARSET, true, u"Жaé"},
      {gfx::RUSSIAN_CHARSET, false, u"Жa?"},
      {gfx::DEFAULT_CHARSET, false, u"Жaé"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.charset));
    DrawTextFixture f;
    f.font.SetCharset(c.charset);
    f.layout.SetFont(f.font);
    f.layout.SetUseDefaultCharset(c.useDefault);
    f.Lay(u"Жaé", 100);
    TRecordingCanvas canvas;
    f.layout.DrawText(canvas, haLeft, vaTop);
    ASSERT_EQ(TextCalls(canvas).size(), 1u);
    EXPECT_EQ(TextCalls(canvas)[0]->text, c.shown);
  }
}

TEST(TextDrawing, NothingToDrawWithoutLines) {
  DrawTextFixture f;
  TRecordingCanvas canvas;
  f.layout.DrawText(canvas, haLeft, vaTop);
  EXPECT_TRUE(canvas.Calls().empty());
}

TEST(SpreadIncrements, SpreadsEvenly) {
  const struct {
    int size, n;
    std::vector<int> result;
  } cases[] = {
      {4, 1, {0, 1, 0, 0}},    {4, 2, {1, 0, 1, 0}}, {4, 4, {1, 1, 1, 1}},
      {5, 2, {1, 0, 1, 0, 0}}, {1, 1, {1}},          {3, 0, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    std::vector<int> a(static_cast<std::size_t>(c.size), 0);
    vuzSpreadIncrements(a, 0, c.size - 1, 1, c.n);
    EXPECT_EQ(a, c.result) << c.size << " " << c.n;
  }
  std::vector<int> empty;
  vuzSpreadIncrements(empty, 0, -1, 1, 3);  // an empty range takes nothing
  EXPECT_TRUE(empty.empty());
}

// ---------------------------------------------------------------- drawing a part

// A text far taller than its box, laid out whole and laid out as drawing
// needs it (the lines the box can show, found as the text object finds
// them), drawn on a recording canvas: the part draws exactly what the whole
// draws for its lines, and every line it leaves out is outside the box.
struct PartCase {
  const char* name;
  TfrxVAlign vAlign;
  int rotation;
  bool wysiwyg;
  bool tags;
};

// 300 paragraphs that wrap into two or three lines each; with tags the
// first paragraph opens a bold run that every later line continues in.
std::u16string TallText(bool tags) {
  std::u16string text = tags ? u"<b>" : u"";
  for (int i = 0; i < 300; ++i) {
    if (i > 0) text += u"\r\n";
    text += u"строка " + rtl::AnsiToWide(std::to_string(i)) + u" aaa bbbb cc ddddd eee";
    if (tags && i % 7 == 0) text += u" x<sub>2</sub> <i>k</i>";
  }
  return text;
}

// The layout the text object's drawing makes, which must leave lines out.
void LayAsDrawingDoes(DrawTextFixture& f, const gfx::TCanvas& canvas, TfrxVAlign vAlign, const TWideStrings& lines) {
  ASSERT_FALSE(f.layout.VisibleLines(canvas, vAlign, -1).whole);
  f.layout.SetShownText(lines, canvas, vAlign);
}

TEST(TextDrawingPart, DrawsWhatTheWholeLayoutShows) {
  const PartCase cases[] = {
      {"top", vaTop, 0, true, false},
      {"bottom", vaBottom, 0, true, false},
      {"centre", vaCenter, 0, true, false},
      {"top without wysiwyg", vaTop, 0, false, false},
      {"centre without wysiwyg", vaCenter, 0, false, false},
      {"top with tags", vaTop, 0, true, true},
      {"bottom with tags", vaBottom, 0, true, true},
      {"centre with tags", vaCenter, 0, true, true},
      {"turned 90, top", vaTop, 90, true, false},
      {"turned 90, bottom", vaBottom, 90, true, false},
      {"turned 180, centre", vaCenter, 180, true, false},
      {"turned 270, bottom", vaBottom, 270, true, true},
  };
  const gfx::TRect box = gfx::Rect(40, 30, 40 + Chars(20), 30 + 120);
  for (const PartCase& c : cases) {
    SCOPED_TRACE(c.name);
    TWideStrings lines;
    lines.SetText(TallText(c.tags));
    auto lay = [&](DrawTextFixture& f) {
      f.Options(true, c.tags, false, c.rotation, c.wysiwyg);
      f.layout.SetGaps(4, 0, 1);
      // Turned a right angle, the text wraps on the box's height.
      const int across = c.rotation % 180 == 0 ? box.Width() : box.Height();
      const gfx::TRect layoutRect =
          c.rotation % 180 == 0 ? gfx::Rect(0, 0, across, box.Height()) : gfx::Rect(0, 0, box.Width(), across);
      f.layout.SetDimensions(1, 1, 1, layoutRect, box);
    };
    DrawTextFixture whole, part;
    lay(whole);
    whole.layout.SetText(lines);
    TRecordingCanvas all;
    whole.layout.DrawText(all, haBlock, c.vAlign);

    lay(part);
    TRecordingCanvas shown;
    LayAsDrawingDoes(part, shown, c.vAlign, lines);
    ASSERT_EQ(part.layout.LineCount(), whole.layout.WrappedLineCount());
    EXPECT_GE(part.layout.LineCount(), 600);
    EXPECT_LT(part.layout.WrappedLineCount(), 60);  // what the box shows and a margin, not the text
    EXPECT_EQ(part.layout.TagList().Count(), part.layout.WrappedLineCount());
    part.layout.DrawText(shown, haBlock, c.vAlign);

    // Both draw one call per run; the part's runs are the whole's of its lines.
    const auto wholeCalls = TextCalls(all), partCalls = TextCalls(shown);
    const int from = part.layout.FirstKeptLine(), to = from + part.layout.WrappedLineCount();
    std::vector<const gfx::TCanvasCall*> expected, outside;
    {
      // Calls belong to lines in order; a line's calls follow its first one.
      std::size_t call = 0;
      for (int line = 0; line < whole.layout.WrappedLineCount(); ++line) {
        const std::u16string text = whole.layout.WrappedLine(line);
        std::u16string drawn;
        while (call < wholeCalls.size() && drawn.size() < text.size()) {
          drawn += wholeCalls[call]->text;
          (line >= from && line < to ? expected : outside).push_back(wholeCalls[call++]);
        }
      }
      ASSERT_EQ(call, wholeCalls.size());
    }
    ASSERT_EQ(partCalls.size(), expected.size());
    for (std::size_t k = 0; k < partCalls.size(); ++k) {
      SCOPED_TRACE(k);
      EXPECT_EQ(partCalls[k]->text, expected[k]->text);
      EXPECT_EQ(partCalls[k]->points, expected[k]->points);
      EXPECT_EQ(partCalls[k]->dx, expected[k]->dx);
      EXPECT_EQ(partCalls[k]->state.font.Height(), expected[k]->state.font.Height());
      EXPECT_EQ(partCalls[k]->state.font.Style(), expected[k]->state.font.Style());
    }
    // A left-out line starts more than three font heights outside the box
    // along the way the lines advance.
    for (const gfx::TCanvasCall* call : outside) {
      const gfx::TPoint p = call->points[0];
      const int along = c.rotation % 180 == 0 ? p.Y : p.X;
      const int lo = c.rotation % 180 == 0 ? box.Top : box.Left, hi = c.rotation % 180 == 0 ? box.Bottom : box.Right;
      EXPECT_TRUE(along < lo - 3 * 16 || along > hi + 3 * 16) << rtl::WideToUtf8(call->text) << " at " << along;
    }
  }
}

// Where the clip rectangle does not hide what lies outside the box, or the
// canvas keeps what it is given, every line is laid out and drawn as before.
TEST(TextDrawingPart, WholeWhereNothingIsHidden) {
  const struct {
    const char* name;
    bool clipped;
    int rotation;
    gfx::TDeviceKind kind;
    bool whole;
  } cases[] = {
      {"clipped on a screen", true, 0, gfx::dkScreen, false},
      {"clipped on a bitmap, turned 270", true, 270, gfx::dkBitmap, false},
      {"not clipped", false, 0, gfx::dkScreen, true},
      {"turned 45", true, 45, gfx::dkScreen, true},
      {"a metafile", true, 0, gfx::dkMetafile, true},
      {"a printer", true, 0, gfx::dkPrinter, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DrawTextFixture f;
    f.layout.SetOptions(true, false, false, false, c.clipped, true, c.rotation);
    f.layout.SetDimensions(1, 1, 1, gfx::Rect(0, 0, 100, 100), gfx::Rect(0, 0, 100, 100));
    TRecordingCanvas canvas(96, 96, {}, c.kind);
    for (TfrxVAlign vAlign : {vaTop, vaBottom, vaCenter}) {
      EXPECT_EQ(f.layout.VisibleLines(canvas, vAlign, -1).whole, c.whole);
      EXPECT_EQ(f.layout.VisibleLines(canvas, vAlign, 100000).whole, c.whole);
    }
  }
  // A text the box holds is whole once its count is known.
  DrawTextFixture f;
  f.layout.SetDimensions(1, 1, 1, gfx::Rect(0, 0, 100, 100), gfx::Rect(0, 0, 100, 100));
  TRecordingCanvas canvas;
  for (TfrxVAlign vAlign : {vaTop, vaBottom, vaCenter}) EXPECT_TRUE(f.layout.VisibleLines(canvas, vAlign, 6).whole);
}

// The same on a bitmap, pixel for pixel, where the font engine draws.
TEST(TextDrawingPart, SamePixelsOnABitmap) {
  for (TfrxVAlign vAlign : {vaTop, vaBottom, vaCenter}) {
    SCOPED_TRACE(static_cast<int>(vAlign));
    TWideStrings lines;
    lines.SetText(TallText(true));
    gfx::TBitmap wholeBitmap(200, 200), partBitmap(200, 200);
    for (gfx::TBitmap* b : {&wholeBitmap, &partBitmap}) {
      b->Canvas().Brush().SetColor(gfx::clWhite);
      b->Canvas().FillRect(gfx::Rect(0, 0, 200, 200));
    }
    const gfx::TRect box = gfx::Rect(20, 30, 180, 170);
    DrawTextFixture whole, part;
    for (DrawTextFixture* f : {&whole, &part}) {
      f->Options(true, true);
      f->layout.SetDimensions(1, 1, 1, gfx::Rect(0, 0, box.Width(), box.Height()), box);
    }
    whole.layout.SetText(lines);
    whole.layout.DrawText(wholeBitmap.Canvas(), haLeft, vAlign);
    LayAsDrawingDoes(part, partBitmap.Canvas(), vAlign, lines);
    EXPECT_LT(part.layout.WrappedLineCount(), whole.layout.WrappedLineCount() / 10);
    part.layout.DrawText(partBitmap.Canvas(), haLeft, vAlign);
    int differ = 0, ink = 0;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 200; ++x) {
        differ += wholeBitmap.PixelColor(x, y) != partBitmap.PixelColor(x, y);
        ink += wholeBitmap.PixelColor(x, y) != gfx::clWhite;
      }
    EXPECT_EQ(differ, 0);
    EXPECT_GT(ink, 500);
  }
}

// ---------------------------------------------------------------- real fonts

// The font engine measures: a justified, wrapped Russian text fills its lines
// and its ink stays inside the clip rectangle.
TEST(TextDrawing, RussianTextOnABitmap) {
  TfrxDrawText layout;
  gfx::TFont font;
  font.SetName("Arial");
  font.SetSize(10);
  font.SetColor(gfx::clBlack);
  layout.SetFont(font);
  layout.SetOptions(true, false, false, true, true, true, 0);
  layout.SetGaps(0, 0, 2);
  const gfx::TRect box = gfx::Rect(10, 10, 160, 90);
  layout.SetDimensions(1, 1, 1, gfx::Rect(0, 0, box.Width(), box.Height()), box);
  TWideStrings lines;
  lines.Add(u"Кирпич сушится в камере при постоянной температуре и влажности, усадка измеряется датчиком.");
  layout.SetText(lines);
  ASSERT_GE(layout.WrappedLineCount(), 3);
  for (int i = 0; i + 1 < layout.WrappedLineCount(); ++i) {
    TRecordingCanvas recording;
    std::vector<int> advances;
    const int width = layout.TagList().FillCharSpacingArray(advances, layout.WrappedLine(i), layout.LayoutCanvas(), i,
                                                            0, false, false);
    EXPECT_LE(width, std::lround(box.Width() * 6.25)) << i;  // every wrapped line fits the width
  }
  gfx::TBitmap bitmap(200, 120, gfx::pf24bit);
  bitmap.Canvas().Brush().SetColor(gfx::clWhite);
  bitmap.Canvas().FillRect(gfx::Rect(0, 0, 200, 120));
  layout.DrawText(bitmap.Canvas(), haBlock, vaTop);
  int inside = 0, outside = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 200; ++x)
      if ((gfx::ColorToRGB(bitmap.PixelColor(x, y)) & 0xFF) < 128) ++(box.Contains(x, y) ? inside : outside);
  EXPECT_GT(inside, 200);
  EXPECT_EQ(outside, 0);
}

}  // namespace

namespace {

// The printing path: a 300-dpi PDF page read back by poppler keeps the
// Russian words of a justified, wrapped memo and of a turned one.
TEST(TextDrawing, RussianTextInAPdfReadsBack) {
  const std::string pdftotext = support::FindTool("pdftotext");
  if (pdftotext.empty()) GTEST_SKIP() << support::Missing("pdftotext", "poppler-utils");
  support::ScratchFolder dir;
  {
    rtl::TFileStream out(dir.File("page.pdf"), rtl::fmCreate);
    gfx::TDocumentCanvas printer(out, gfx::TDocumentFormat::Pdf, 300, 300);
    printer.BeginPage({2480, 3508});
    TfrxDrawText layout;
    gfx::TFont font;
    font.SetName("Times New Roman");
    font.SetSize(12);
    font.SetColor(gfx::clBlack);
    const double scale = 300.0 / 96;
    auto draw = [&](const std::u16string& text, int rotation, const gfx::TRect& rect) {
      layout.SetFont(font);
      layout.SetOptions(true, false, false, true, true, true, rotation);
      layout.SetGaps(0, 0, 2);
      const gfx::TRect device = gfx::Rect(std::lround(rect.Left * scale), std::lround(rect.Top * scale),
                                          std::lround(rect.Right * scale), std::lround(rect.Bottom * scale));
      layout.SetDimensions(scale, scale, 1, gfx::Rect(0, 0, rect.Width(), rect.Height()), device);
      TWideStrings lines;
      lines.SetText(text);
      layout.SetText(lines);
      layout.DrawText(printer, haBlock, vaTop);
    };
    draw(u"Кирпич сушится в камере при постоянной температуре, усадка образца измеряется датчиком.", 0,
         gfx::Rect(40, 40, 240, 200));
    draw(u"Повёрнутый текст", 90, gfx::Rect(300, 40, 340, 300));
    printer.EndPage();
    printer.EndDocument();
  }
  const std::string text =
      support::CommandOutput("'" + pdftotext + "' -enc UTF-8 '" + dir.File("page.pdf") + "' - 2>/dev/null");
  for (const char* word : {"Кирпич", "сушится", "температуре,", "усадка", "датчиком.", "Повёрнутый", "текст"})
    EXPECT_NE(text.find(word), std::string::npos) << word << " in\n" << text;
}

}  // namespace
