// Cell looks of the layout matrix as workbook cell formats and fonts:
// rotations, line styles, fills, number formats, indents and the variants
// a style gets with and without fill, read back from the written XF records.
#include <gtest/gtest.h>

#include "export/biff/biffWorkbook.h"
#include "export/biff/vuzBiffStyles.h"
#include "export/vuzExportMatrix.h"
#include "platform/rtl/format_settings.h"
#include "tests/export/biff/biff_test_util.h"

namespace {

using namespace report;
using bifftest::U;

TEST(BiffStyles, Rotations) {
  const std::pair<int, int> cases[] = {{0, 0},     {90, 90}, {45, 45}, {270, 180}, {-90, 180}, {135, 0},
                                       {-45, 135}, {180, 0}, {360, 0}, {450, 90},  {-135, 0},  {315, 135},
                                       {1, 1},     {-1, 91}, {91, 0},  {-179, 0}};
  for (const auto& [degrees, code] : cases) EXPECT_EQ(BiffRotation(degrees), code) << degrees;
}

TEST(BiffStyles, LineStylesByFrameStyleAndWidth) {
  struct Case {
    TfrxFrameStyle style;
    TBiffLineStyle thin, medium, thick;
  };
  const Case cases[] = {
      {fsSolid, lsThin, lsMedium, lsThick},
      {fsDash, lsDashed, lsMediumDashed, lsMediumDashed},
      {fsDot, lsDotted, lsDotted, lsDotted},
      {fsDashDot, lsThinDashDotted, lsMediumDashDotted, lsMediumDashDotted},
      {fsDashDotDot, lsThinDashDotDotted, lsMediumDashDotDotted, lsMediumDashDotDotted},
      {fsDouble, lsDouble, lsDouble, lsDouble},
      {fsAltDot, lsHair, lsHair, lsHair},
      {fsSquare, lsThin, lsThin, lsThin},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BiffLineStyle(c.style, 0), lsNone) << c.style;
    EXPECT_EQ(BiffLineStyle(c.style, 0.000001), lsNone) << c.style;
    EXPECT_EQ(BiffLineStyle(c.style, 1), c.thin) << c.style;
    EXPECT_EQ(BiffLineStyle(c.style, 1.4999), c.thin) << c.style;
    EXPECT_EQ(BiffLineStyle(c.style, 1.5), c.medium) << c.style;
    EXPECT_EQ(BiffLineStyle(c.style, 2.4999), c.medium) << c.style;
    EXPECT_EQ(BiffLineStyle(c.style, 2.5), c.thick) << c.style;
    EXPECT_EQ(BiffLineStyle(c.style, 12), c.thick) << c.style;
  }
}

TEST(BiffStyles, FillPatterns) {
  const std::pair<gfx::TBrushStyle, int> cases[] = {
      {gfx::bsSolid, 1},      {gfx::bsClear, 1},      {gfx::bsHorizontal, 11}, {gfx::bsVertical, 12},
      {gfx::bsFDiagonal, 13}, {gfx::bsBDiagonal, 14}, {gfx::bsCross, 15},      {gfx::bsDiagCross, 16}};
  for (const auto& [brush, pattern] : cases) EXPECT_EQ(BiffFillPattern(brush), pattern) << brush;
}

TEST(BiffStyles, NumberFormatsFromDisplayFormats) {
  rtl::FormatSettings saved = rtl::CurrentFormatSettings();
  rtl::CurrentFormatSettings().CurrencyString = "\xF0.";  // "р."
  struct Case {
    const char* format;
    TfrxFormatKind kind;
    std::u16string text;
    int currencyFormat = 3;
  };
  const Case cases[] = {
      {"%2.2n", fkNumeric, u"#,##0.00"},
      {"%2.2f", fkNumeric, u"0.00"},
      {"%.3f", fkNumeric, u"0.000"},
      {"%g", fkNumeric, u""},
      {"%2.2x", fkNumeric, u"%2.2x"},  // an unknown letter: the text as it is
      {"%2.zf", fkNumeric, u"%2.zf"},  // a count that is no number
      {"%d", fkNumeric, u"0"},         // whole numbers: no "." without decimals
      {"%2.2d", fkNumeric, u"#.##"},
      {"%2.0n", fkNumeric, u"#,##0"},
      {"0.0##", fkNumeric, u"0.0##"},  // a workbook format is taken as it is
      {"dd.mm.yyyy", fkDateTime, u"dd.mm.yyyy"},
      {"", fkDateTime, u""},  // date and time without a format: General
      {"", fkText, u""},
      {"", fkBoolean, u""},
      {"%2.2m", fkNumeric, u"#,##0.00 \"\u0440.\"", 3},
      {"%2.2m", fkNumeric, u"\"\u0440.\"#,##0.00", 0},
      {"%2.2m", fkNumeric, u"#,##0.00\"\u0440.\"", 1},
      {"%2.2m", fkNumeric, u"\"\u0440.\" #,##0.00", 2},
  };
  for (const Case& c : cases) {
    rtl::CurrentFormatSettings().CurrencyFormat = static_cast<unsigned char>(c.currencyFormat);
    TfrxFormat f;
    f.SetFormatStr(c.format);
    f.SetKind(c.kind);
    EXPECT_EQ(rtl::WideToUtf8(BiffNumberFormat(f)), rtl::WideToUtf8(c.text)) << c.format;
  }
  rtl::CurrentFormatSettings() = saved;

  // Indexes: the built-in 0.00 for a numeric kind without text, General for
  // the others, the same index for the same text.
  TBiffWorkbook book;
  TfrxFormat numeric, date, g, n1, n2;
  numeric.SetKind(fkNumeric);
  date.SetKind(fkDateTime);
  g.SetFormatStr("%g");
  n1.SetFormatStr("%2.2n");
  n2.SetFormatStr("%9.2n");
  EXPECT_EQ(BiffNumberFormatIndex(book, &numeric), 2);
  EXPECT_EQ(BiffNumberFormatIndex(book, &date), 0);
  EXPECT_EQ(BiffNumberFormatIndex(book, &g), 0);
  EXPECT_EQ(BiffNumberFormatIndex(book, nullptr), 0);
  const int first = BiffNumberFormatIndex(book, &n1);
  EXPECT_GE(first, 164);
  EXPECT_EQ(BiffNumberFormatIndex(book, &n2), first);
}

// The XF records of a workbook, in index order.
std::vector<std::string> XfPayloads(TBiffWorkbook& book) {
  TBiffStream stream(false);
  book.Flush(stream);
  std::vector<std::string> out;
  for (const auto& r : bifftest::Records(bifftest::Bytes(stream)))
    if (r.id == 0x00E0) out.push_back(r.payload);
  return out;
}

struct Xf {
  explicit Xf(const std::string& p)
      : font(U(p, 0, 2)),
        format(U(p, 2, 2)),
        hAlign(U(p, 6, 1) & 7),
        wrap((U(p, 6, 1) >> 3) & 1),
        vAlign((U(p, 6, 1) >> 4) & 7),
        rotation(U(p, 7, 1)),
        indent(U(p, 8, 1) & 15),
        textDir((U(p, 8, 1) >> 6) & 3),
        left(U(p, 10, 4) & 15),
        right((U(p, 10, 4) >> 4) & 15),
        top((U(p, 10, 4) >> 8) & 15),
        bottom((U(p, 10, 4) >> 12) & 15),
        pattern((U(p, 14, 4) >> 26) & 63),
        patternColor(U(p, 18, 2) & 127),
        backColor((U(p, 18, 2) >> 7) & 127) {}
  unsigned font, format, hAlign, wrap, vAlign, rotation, indent, textDir, left, right, top, bottom, pattern,
      patternColor, backColor;
};

std::unique_ptr<TfrxIEMStyle> Style() {
  auto s = std::make_unique<TfrxIEMStyle>();
  s->Font->SetName("Arial");
  s->Font->SetSize(10);
  s->Color = gfx::clTransparent;
  return s;
}

TEST(BiffStyles, StyleVariantsAndTheirRecords) {
  TBiffWorkbook book;
  TfrxBiffStyles styles(3, &book, 8);
  auto filled = Style();
  filled->Color = 0x00FFCC;
  filled->HAlign = haRight;
  filled->VAlign = vaCenter;
  filled->WordWrap = true;
  filled->FrameSides = FrameBit(ftLeft) | FrameBit(ftBottom);
  filled->FrameLineWidth = 2;
  filled->FrameLineStyle = fsDash;
  filled->Rotation = 270;
  auto clear = Style();
  clear->HAlign = haLeft;
  clear->ParagraphGap = 1;  // a gap of 1 gives no indent
  auto indented = Style();
  indented->ParagraphGap = 10;  // 10 mm = 37.8 px over 8 px: 5 spaces
  indented->Font->SetStyle({gfx::fsBold, gfx::fsItalic});

  // The same style under a picture (no fill) is another cell format.
  const int withFill = styles.AddStyle(0, filled.get(), true, false);
  const int noFill = styles.AddStyle(0, filled.get(), false, false);
  const int rtl = styles.AddStyle(0, filled.get(), true, true);
  EXPECT_NE(withFill, noFill);
  EXPECT_NE(withFill, rtl);
  EXPECT_EQ(styles.AddStyle(0, filled.get(), true, false), withFill);
  EXPECT_EQ(styles.GetStyle(0, false, false), noFill);
  EXPECT_EQ(styles.GetStyle(0, false, true), -1);
  const int plain = styles.AddStyle(1, clear.get(), true, false);
  const int indent = styles.AddStyle(2, indented.get(), true, false);
  EXPECT_EQ(styles.CreateStyle(nullptr, true, false), kBiffDefaultXF);
  EXPECT_THROW(styles.GetStyle(3, true, false), rtl::Exception);
  EXPECT_THROW(styles.AddStyle(-1, clear.get(), true, false), rtl::Exception);
  EXPECT_EQ(TfrxBiffStyles::GetEntryIndex(2, true, true), 11);

  const auto xfs = XfPayloads(book);
  ASSERT_GT(xfs.size(), static_cast<std::size_t>(indent));
  const Xf a(xfs[static_cast<std::size_t>(withFill)]);
  EXPECT_EQ(a.hAlign, 3u);  // right
  EXPECT_EQ(a.vAlign, 1u);  // centred
  EXPECT_EQ(a.wrap, 1u);
  EXPECT_EQ(a.rotation, 180u);
  EXPECT_EQ(a.textDir, 1u);  // left to right
  EXPECT_EQ(a.left, static_cast<unsigned>(lsMediumDashed));
  EXPECT_EQ(a.bottom, static_cast<unsigned>(lsMediumDashed));
  EXPECT_EQ(a.top, 0u);
  EXPECT_EQ(a.right, 0u);
  EXPECT_EQ(a.pattern, 1u);
  EXPECT_EQ(a.backColor, 65u);  // the window colour behind a solid fill
  EXPECT_EQ(book.Palette()[a.patternColor] & 0xFFFFFF, 0x00FFCCu);
  const Xf b(xfs[static_cast<std::size_t>(noFill)]);
  EXPECT_EQ(b.pattern, 0u);
  EXPECT_EQ(Xf(xfs[static_cast<std::size_t>(rtl)]).textDir, 2u);
  const Xf c(xfs[static_cast<std::size_t>(plain)]);
  EXPECT_EQ(c.pattern, 0u);  // transparent: no fill even where fill is allowed
  EXPECT_EQ(c.indent, 0u);
  EXPECT_EQ(c.wrap, 0u);
  EXPECT_EQ(c.hAlign, 1u);
  const Xf d(xfs[static_cast<std::size_t>(indent)]);
  EXPECT_EQ(d.indent, 5u);
  EXPECT_NE(d.font, c.font);
}

TEST(BiffStyles, FontsAndTheFontCache) {
  TBiffWorkbook book;
  TfrxBiffStyles styles(0, &book, 8);
  gfx::TFont f;
  f.SetName("Courier New");
  f.SetSize(12);
  f.SetPitch(gfx::fpFixed);
  f.SetStyle({gfx::fsBold, gfx::fsUnderline, gfx::fsStrikeOut});
  f.SetColor(0x0000FF);
  const int index = styles.CreateFont(&f);
  EXPECT_EQ(styles.CreateFont(&f), index);  // equal fonts share one entry
  EXPECT_EQ(styles.CreateFont(nullptr), 0);
  TBiffFont* made = book.GetFont(index > 4 ? index - 1 : index);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->Height, 240);
  EXPECT_EQ(made->Weight, 700);
  EXPECT_EQ(made->Underline, 1);
  EXPECT_EQ(made->Options, 8);
  EXPECT_EQ(made->Family, ffModern);
  EXPECT_EQ(made->Name, u"Courier New");
  EXPECT_EQ(book.Palette()[made->Color] & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(styles.GetFont(&f), -1);
  EXPECT_EQ(styles.AddFont(&f), index);
  EXPECT_EQ(styles.GetFont(&f), index);
}

}  // namespace
