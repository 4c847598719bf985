// Fonts: matching with metric-compatible substitutes, the metrics and
// advances text layout depends on, glyphs, shaping and the font program.
#include "platform/gfx/font_engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#include "external_tools.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/recording_canvas.h"

using namespace gfx;

namespace {

TFont TimesAt(int points, int ppi = 96) {
  TFont f;
  f.SetPixelsPerInch(ppi);
  f.SetName("Times New Roman");
  f.SetSize(points);
  return f;
}

std::uint32_t Be32(const std::string& s, std::size_t at) {
  auto b = reinterpret_cast<const unsigned char*>(s.data()) + at;
  return (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | b[3];
}

}  // namespace

TEST(FontMatching, DocumentFamiliesGetMetricCompatibleSubstitutes) {
  struct Case {
    const char* asked;
    const char* expected;
  } cases[] = {
      {"Times New Roman", "Liberation Serif"},
      {"Arial", "Liberation Sans"},
      {"Courier New", "Liberation Mono"},
      {"Tahoma", "DejaVu Sans"},
      {"arial", "Liberation Sans"},
      {"Arial Cyr", "Liberation Sans"},
  };
  for (const auto& c : cases) EXPECT_EQ(TFontInstance::ResolveFamily(c.asked), c.expected) << c.asked;
  // An unknown family still yields a usable face.
  TFontRequest r;
  r.family = "No Such Family 123";
  auto f = TFontInstance::Get(r);
  EXPECT_FALSE(f->FamilyName().empty());
  EXPECT_GT(f->CharAdvance(U'A'), 0);
}

TEST(FontMatching, BoldAndItalicPickTheirFaces) {
  TFont f = TimesAt(10);
  f.SetStyle({fsBold, fsItalic});
  auto fi = TFontInstance::Get(f);
  EXPECT_NE(fi->FilePath().find("BoldItalic"), std::string::npos) << fi->FilePath();
  EXPECT_FALSE(fi->SyntheticBold());
  EXPECT_EQ(fi->TextMetrics().tmWeight, 700);
  EXPECT_EQ(fi->TextMetrics().tmItalic, 1);
}

TEST(FontSize, HeightFollowsPointsAndResolution) {
  EXPECT_EQ(TimesAt(10).Height(), -13);
  EXPECT_EQ(TimesAt(10, 600).Height(), -83);  // the layout resolution
  EXPECT_EQ(TimesAt(8).Height(), -11);
  TFont f = TimesAt(10, 600);
  EXPECT_EQ(f.Size(), 10);
  f.SetPixelsPerInch(96);  // the height stays; the size in points changes
  EXPECT_EQ(f.Height(), -83);
  EXPECT_EQ(f.Size(), 62);
}

TEST(FontMetrics, TimesSubstituteAtTenPointsOnScreen) {
  auto fi = TFontInstance::Get(TimesAt(10));
  const TTextMetric& tm = fi->TextMetrics();
  EXPECT_EQ(tm.tmHeight, 15);
  EXPECT_EQ(tm.tmAscent, 12);
  EXPECT_EQ(tm.tmDescent, 3);
  EXPECT_EQ(tm.tmInternalLeading, 2);
  EXPECT_EQ(tm.tmExternalLeading, 1);
  EXPECT_EQ(tm.tmWeight, 400);
  EXPECT_EQ(tm.tmCharSet, RUSSIAN_CHARSET);
}

TEST(FontMetrics, TimesSubstituteAdvancesAreFixed) {
  // Whole device pixels per character, each rounded on its own, no kerning:
  // the same figures on every machine with the listed font packages.
  auto fi = TFontInstance::Get(TimesAt(10));
  EXPECT_EQ(fi->Advances(u"Hello, World!"), (std::vector<int>{9, 6, 4, 4, 7, 3, 3, 12, 7, 4, 4, 7, 4}));
  EXPECT_EQ(fi->Advances(u"Привет"), (std::vector<int>{9, 7, 7, 6, 6, 6}));
  EXPECT_EQ(fi->Advances(u"0123456789"), std::vector<int>(10, 7));
  EXPECT_EQ(fi->TextWidth(u"AV"), fi->CharAdvance(U'A') + fi->CharAdvance(U'V'));  // no kerning
  // At the layout resolution of 600 pixels per inch.
  auto layout = TFontInstance::Get(TimesAt(10, 600));
  EXPECT_EQ(layout->Advances(u"Hello"), (std::vector<int>{60, 37, 23, 23, 42}));
  EXPECT_EQ(layout->GlyphAdvanceUnits(layout->GlyphIndex(U'H')), 1479);
}

TEST(FontMetrics, ThousandPixelEmGivesGlyphSpaceUnits) {
  // A font scaled to a 1000-pixel em reads its metrics in thousandths of an em.
  TFont f;
  f.SetName("Arial");
  f.SetHeight(-1000);
  auto fi = TFontInstance::Get(f);
  const TOutlineTextMetric& o = fi->OutlineTextMetrics();
  EXPECT_EQ(o.otmEMSquare, 2048u);
  EXPECT_EQ(o.otmAscent, 728);
  EXPECT_EQ(o.otmDescent, -210);
  EXPECT_EQ(o.otmsCapEmHeight, 688u);
  EXPECT_EQ(o.otmItalicAngle, 0);
  EXPECT_LT(o.otmrcFontBox.Left, 0);
  EXPECT_GT(o.otmrcFontBox.Top, 900);
  EXPECT_EQ(fi->CharAdvance(U'A'), 667);
  EXPECT_EQ(fi->CharAdvance(U' '), 278);
  EXPECT_EQ(o.otmpFamilyName, "Liberation Sans");

  f.SetStyle({fsItalic});
  EXPECT_LT(TFontInstance::Get(f)->OutlineTextMetrics().otmItalicAngle, 0);
}

TEST(FontMetrics, ExtremeHeightsStayUsable) {
  for (int h : {0, 1, -1, 2147483647, -2147483647 - 1}) {
    TFont f;
    f.SetName("Arial");
    f.SetHeight(h);
    auto fi = TFontInstance::Get(f);
    EXPECT_GE(fi->TextMetrics().tmHeight, 0) << h;
    EXPECT_GE(fi->TextWidth(u"Wide text"), 0) << h;
  }
}

TEST(FontMetrics, CanvasMeasuresWithTheSameInstance) {
  TRecordingCanvas c;
  c.Font() = TimesAt(10);
  EXPECT_EQ(c.TextWidthW(u"Hello, World!"), 74);
  EXPECT_EQ(c.TextHeight("Hello"), 15);
  EXPECT_EQ(c.GetTextExtentExPoint(u"Hello"), (std::vector<int>{9, 15, 19, 23, 30}));
  // 8-bit text is 1251.
  EXPECT_EQ(c.TextWidth("\xCF\xF0\xE8\xE2\xE5\xF2"), c.TextWidthW(u"Привет"));
}

TEST(FontGlyphs, IndicesShapingAndSymbols) {
  auto fi = TFontInstance::Get(TimesAt(10));
  std::vector<std::uint32_t> g = fi->GlyphIndices(u"AБ");
  ASSERT_EQ(g.size(), 2u);
  EXPECT_NE(g[0], 0u);
  EXPECT_NE(g[1], 0u);
  EXPECT_EQ(fi->GlyphIndex(U'\uE000'), 0u);  // not in the font

  std::vector<TShapedGlyph> s = fi->Shape(u"Ab");
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].glyph, g[0]);
  EXPECT_EQ(s[0].advance, fi->CharAdvance(U'A'));
  EXPECT_EQ(s[1].cluster, 1u);
  // Right to left: visual order, clusters counted from the end.
  std::vector<TShapedGlyph> r = fi->Shape(u"Ab", true);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].cluster, 1u);
  EXPECT_EQ(r[1].cluster, 0u);

  // Mixed directions: the Hebrew word is shaped right to left and, in a
  // left-to-right line, stays between the Latin words.
  const std::u16string mixed = u"ab \u05D0\u05D1 cd";
  auto runs = TFontInstance::ItemizeLine(mixed, false);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_FALSE(runs[0].rightToLeft);
  EXPECT_TRUE(runs[1].rightToLeft);
  EXPECT_EQ(runs[1].start, 3u);
  EXPECT_EQ(runs[1].length, 2u);  // the blanks around it belong to the line's direction
  TFont dv = TimesAt(10);
  dv.SetName("DejaVu Sans");
  std::vector<TShapedGlyph> line = TFontInstance::Get(dv)->ShapeLine(mixed, false);
  ASSERT_EQ(line.size(), mixed.size());
  std::vector<std::uint32_t> clusters;
  for (const auto& x : line) clusters.push_back(x.cluster);
  EXPECT_EQ(clusters, (std::vector<std::uint32_t>{0, 1, 2, 4, 3, 5, 6, 7}));
  // A right-to-left paragraph puts the runs in the opposite order.
  auto rtlRuns = TFontInstance::ItemizeLine(mixed, true);
  // There the blanks between the scripts take the paragraph's direction:
  // "cd" is shown leftmost, then the Hebrew word with both blanks, then "ab".
  ASSERT_EQ(rtlRuns.size(), 3u);
  EXPECT_EQ(rtlRuns[0].start, 6u);
  EXPECT_EQ(rtlRuns[1].start, 2u);
  EXPECT_EQ(rtlRuns[1].length, 4u);
  EXPECT_TRUE(rtlRuns[1].rightToLeft);
  EXPECT_TRUE(TFontInstance::ItemizeLine(u"", false).empty());

  // The check-box marks of the symbol font have glyphs and width.
  TFont w;
  w.SetName("Wingdings");
  w.SetCharset(SYMBOL_CHARSET);
  w.SetHeight(-20);
  auto wi = TFontInstance::Get(w);
  EXPECT_TRUE(wi->IsSymbolFont());
  for (char32_t code : {U'\xFB', U'\xFC'}) {
    EXPECT_NE(wi->GlyphIndex(code), 0u);
    EXPECT_GT(wi->CharAdvance(code), 0);
    EXPECT_FALSE(wi->GlyphOutline(wi->GlyphIndex(code)).empty());
  }
  // The symbol font's letters are Greek.
  TFont sym = w;
  sym.SetName("Symbol");
  auto si = TFontInstance::Get(sym);
  TFont plain = w;
  plain.SetName("DejaVu Sans");
  plain.SetCharset(DEFAULT_CHARSET);
  EXPECT_EQ(si->GlyphIndex(U'p'), TFontInstance::Get(plain)->GlyphIndex(U'π'));
}

TEST(FontProgram, TablesAndWholeFile) {
  auto fi = TFontInstance::Get(TimesAt(10));
  std::string whole = fi->FontData();
  EXPECT_EQ(whole, support::ReadFile(fi->FilePath()));
  std::string head = fi->FontData(TFontInstance::MakeTag("head"));
  ASSERT_EQ(head.size(), 54u);
  EXPECT_EQ(Be32(head, 12), 0x5F0F3CF5u);  // the table's magic number
  EXPECT_TRUE(fi->FontData(TFontInstance::MakeTag("zzzz")).empty());
}

TEST(FontProgram, OneFaceIsTakenOutOfACollection) {
  // Build a two-face collection from two installed fonts.
  std::string a = TFontInstance::Get(TimesAt(10))->FontData();
  TFont sans = TimesAt(10);
  sans.SetName("Arial");
  std::string b = TFontInstance::Get(sans)->FontData();
  auto dirSize = [](const std::string& f) {
    return 12 + 16 * ((std::size_t(std::uint8_t(f[4])) << 8) | std::uint8_t(f[5]));
  };
  std::string ttc = "ttcf";
  auto put32 = [](std::string& s, std::uint32_t v) {
    for (int i = 3; i >= 0; --i) s.push_back(static_cast<char>(v >> (8 * i)));
  };
  put32(ttc, 0x00010000);
  put32(ttc, 2);
  const std::uint32_t dirA = 20, dirB = static_cast<std::uint32_t>(dirA + dirSize(a));
  put32(ttc, dirA);
  put32(ttc, dirB);
  const std::uint32_t dataA = static_cast<std::uint32_t>(dirB + dirSize(b));
  const std::uint32_t dataB = static_cast<std::uint32_t>(dataA + a.size());
  auto relocated = [&](const std::string& f, std::uint32_t shift) {
    std::string d = f.substr(0, dirSize(f));
    for (std::size_t e = 12; e < d.size(); e += 16) {
      std::uint32_t off = Be32(d, e + 8) + shift;
      for (int i = 0; i < 4; ++i) d[e + 8 + i] = static_cast<char>(off >> (8 * (3 - i)));
    }
    return d;
  };
  ttc += relocated(a, dataA) + relocated(b, dataB) + a + b;
  support::ScratchFolder dir;
  const std::string path = dir.File("two-faces.ttc");
  { std::ofstream(path, std::ios::binary) << ttc; }

  TFontRequest req;
  req.height = -1000;
  auto second = TFontInstance::GetFromFile(path, 1, req);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->FamilyName(), "Liberation Sans");
  std::string face = second->FontData();
  EXPECT_EQ(Be32(face, 0), 0x00010000u);
  // The whole file sums to the font checksum constant.
  std::uint32_t sum = 0;
  const std::string padded = face + std::string(4, '\0');
  for (std::size_t i = 0; i < face.size(); i += 4) sum += Be32(padded, i);
  EXPECT_EQ(sum, 0xB1B0AFBAu);
  EXPECT_EQ(second->FontData(TFontInstance::MakeTag("glyf")),
            TFontInstance::Get(sans)->FontData(TFontInstance::MakeTag("glyf")));
  // FreeType opens the extracted face as a font of its own.
  const std::string single = dir.File("one-face.ttf");
  { std::ofstream(single, std::ios::binary) << face; }
  auto reopened = TFontInstance::GetFromFile(single, 0, req);
  ASSERT_TRUE(reopened);
  EXPECT_EQ(reopened->CharAdvance(U'A'), 667);
  std::remove(path.c_str());
  std::remove(single.c_str());
}

TEST(FontMetrics, MeasuringFromSeveralThreadsAgrees) {
  const std::u16string text = u"Температура 23,5 °C; влажность 45 %";
  auto font = TFontInstance::Get(TimesAt(10, 600));
  const std::vector<int> expected = font->Advances(text);
  std::vector<std::thread> threads;
  std::atomic<int> mismatches{0};
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      TFont f = TimesAt(10 + t % 2, 600);
      for (int i = 0; i < 200; ++i) {
        if (TFontInstance::Get(TimesAt(10, 600))->Advances(text) != expected) ++mismatches;
        TFontInstance::Get(f)->Shape(text);
        TFontInstance::Get(f)->GlyphOutline(3);
      }
    });
  // Meanwhile this thread draws with the same faces.
  TBitmap b(300, 40);
  b.Canvas().Font() = TimesAt(10);
  for (int i = 0; i < 50; ++i) b.Canvas().TextOutW(0, 0, text);
  for (auto& th : threads) th.join();
  EXPECT_EQ(mismatches.load(), 0);
}
