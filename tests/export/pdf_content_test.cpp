// Page content: operator text per object kind, numbers and colours, dash
// styles, arrows, text placement over alignments and rotations, and the glyph
// codes and names of the document fonts. The expected operator texts were
// worked out by hand from the coordinate rules (a page of 794 x 1123 pixels
// without margins: X(v) = 0.75 v, Y(v) = 842.25 - 0.75 v); the whole pages
// are drawn by independent readers in pdf_readers_test.cpp.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "pdf_fixture.h"
#include "report/vuzChBox.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassPicture.h"
#include "report/vuzClassShape.h"

namespace export_test {

namespace {

using namespace report;
using namespace rtl::literals;

int Count(const std::string& s, const std::string& what) {
  int n = 0;
  for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + what.size())) ++n;
  return n;
}

// A filter with one open page of 794 x 1123 pixels and no margins.
class PdfContent : public ::testing::Test {
 public:
  PdfContent() {
    FixFilter(filter);
    filter.Stream = &out;
    page.SetBounds(0, 0, 794, 1123);
    page.SetLeftMargin(0);
    page.SetTopMargin(0);
    page.SetRightMargin(0);
    page.SetBottomMargin(0);
    filter.Start();
    filter.StartPage(&page, 0);
  }
  ~PdfContent() override {
    filter.FinishPage(&page, 0);
    filter.Finish();
  }
  // The operators one object adds.
  std::string Add(TfrxView& view) {
    filter.Content().clear();
    filter.AddObject(&view);
    return filter.Content();
  }
  template <class T>
  T& Make(long double l, long double t, long double w, long double h) {
    views.push_back(std::make_unique<T>(nullptr));
    T& v = static_cast<T&>(*views.back());
    v.SetBounds(l, t, w, h);
    return v;
  }
  TfrxMemoView& Memo(const char* utf8, long double l = 0, long double t = 0, long double w = 200, long double h = 20) {
    auto& m = Make<TfrxMemoView>(l, t, w, h);
    m.SetText(rtl::Utf8ToWide(utf8));
    m.Font()->SetName("DejaVu Sans");
    return m;
  }

  PdfScope scope;
  TfrxPDFExport filter;
  rtl::TMemoryStream out;
  TfrxReportPage page{nullptr};
  std::vector<std::unique_ptr<TfrxView>> views;
};

TEST(PdfNumbers, NumbersColoursAndDashes) {
  struct Num {
    double v;
    const char* text;
  } nums[] = {{12, "12"}, {12.5, "12.50"}, {-0.75, "-0.75"}, {0, "0"}, {595.5, "595.50"}, {1e-17, "0.00"}};
  for (const Num& n : nums) EXPECT_EQ(PdfNum(n.v), n.text) << n.v;
  // PdfColor: two digits of (c x 100) div 256
  EXPECT_EQ(PdfColor(10), "0.03 0 0");
  EXPECT_EQ(PdfColor(0xFF00FF), "1 0 1");
  EXPECT_EQ(PdfFillRect(0, 0, 10, 5, 0xFFFFFF),
            "0 w\r\n1 1 1 RG\r\n1 1 1 rg\r\n0 0 m\r\n10 0 l\r\n10 5 l\r\n0 5 l\r\nB\r\n");
  struct Dash {
    TfrxFrameStyle style;
    double width;
    const char* line;
  } dashes[] = {
      {fsSolid, 1, "[] 0 d\r\n"},
      {fsDash, 1, "[6 ] 0 d\r\n"},
      {fsDot, 1, "[2 6 ] 0 d\r\n"},
      {fsDashDot, 1, "[6 6 2 6 ] 0 d\r\n"},
      {fsDashDotDot, 0.5, "[3 3 1 3 1 3 ] 0 d\r\n"},
      {fsDouble, 2, "[] 0 d\r\n"},
      {fsAltDot, 2, "[] 0 d\r\n"},
      {fsSquare, 2, "[] 0 d\r\n"},
  };
  for (const Dash& d : dashes) EXPECT_EQ(PdfDash(d.style, d.width), d.line) << d.style;
  EXPECT_EQ(EscapeSpecialChar("a(b)c\\\r\n"), "a\\(b\\)c\\\\\\r\\n");
  EXPECT_EQ(StrToUTF16H(u"Aя"), "FEFF0041044F");
  EXPECT_EQ(PdfURI(u"http://x.org/a b/я"), "http://x.org/a%20b/%D1%8F");
}

TEST_F(PdfContent, PdfColorCacheAndTexts) {
  EXPECT_EQ(filter.GetPDFColor(0), "0 0 0");
  EXPECT_EQ(filter.GetPDFColor(0xFFFFFF), "1 1 1");
  EXPECT_EQ(filter.GetPDFColor(128), "0.50 0 0");
  EXPECT_EQ(filter.GetPDFColor(128), "0.50 0 0");
  EXPECT_EQ(filter.GetPDFColor(0xFF0000), "0 0 1");
}

TEST_F(PdfContent, ShapesLinesAndChecks) {
  struct Case {
    const char* what;
    std::function<TfrxView&(PdfContent&)> make;
    const char* ops;
  } cases[] = {
      {"rectangle, clear", [](PdfContent& t) -> TfrxView& { return t.Make<TfrxShapeView>(10, 20, 40, 30); },
       "[] 0 d\r\n0 0 0 RG\r\n0.75 w\r\n1 1 1 rg\r\n7.50 804.75 30 22.50 re\r\nS\r\n"},
      {"rectangle, filled, dashed",
       [](PdfContent& t) -> TfrxView& {
         auto& s = t.Make<TfrxShapeView>(10, 20, 40, 30);
         s.SetColor(0x00FF00);
         s.Frame()->SetStyle(fsDash);
         return s;
       },
       "[6 ] 0 d\r\n0 0 0 RG\r\n0.75 w\r\n0 1 0 rg\r\n7.50 804.75 30 22.50 re\r\nB\r\n"},
      {"triangle",
       [](PdfContent& t) -> TfrxView& {
         auto& s = t.Make<TfrxShapeView>(10, 20, 40, 30);
         s.SetShape(skTriangle);
         return s;
       },
       "[] 0 d\r\n0 0 0 RG\r\n0.75 w\r\n1 1 1 rg\r\n22.50 827.25 m 37.50 804.75 l 7.50 804.75 l 22.50 827.25 "
       "l\r\nS\r\n"},
      {"diamond",
       [](PdfContent& t) -> TfrxView& {
         auto& s = t.Make<TfrxShapeView>(10, 20, 40, 30);
         s.SetShape(skDiamond);
         return s;
       },
       "[] 0 d\r\n0 0 0 RG\r\n0.75 w\r\n1 1 1 rg\r\n22.50 827.25 m 37.50 816 l 22.50 804.75 l 7.50 816 l 22.50 827.25 "
       "l\r\nS\r\n"},
      {"diagonal 1",
       [](PdfContent& t) -> TfrxView& {
         auto& s = t.Make<TfrxShapeView>(10, 20, 40, 30);
         s.SetShape(skDiagonal1);
         return s;
       },
       "[] 0 d\r\n0 0 0 RG\r\n0.75 w\r\n7.50 804.75 m\r\n37.50 827.25 l\r\nS\r\n"},
      {"diagonal 2",
       [](PdfContent& t) -> TfrxView& {
         auto& s = t.Make<TfrxShapeView>(10, 20, 40, 30);
         s.SetShape(skDiagonal2);
         return s;
       },
       "[] 0 d\r\n0 0 0 RG\r\n0.75 w\r\n7.50 827.25 m\r\n37.50 804.75 l\r\nS\r\n"},
      {"round rectangle, Curve 0: radius 7.48",
       [](PdfContent& t) -> TfrxView& {
         auto& s = t.Make<TfrxShapeView>(0, 0, 40, 20);
         s.SetShape(skRoundRectangle);
         s.SetCurve(0);
         return s;
       },
       "[] 0 d\r\n0 0 0 RG\r\n0.75 w\r\n1 1 1 rg\r\n5.61 827.25 m\r\n24.39 827.25 l\r\n27.20 827.25 30 830.06 30 "
       "832.86 "
       "c\r\n30 836.64 l\r\n30 839.45 27.20 842.25 24.39 842.25 c\r\n5.61 842.25 l\r\n2.81 842.25 0 839.45 0 836.64 "
       "c\r\n0 832.86 l\r\n0 830.06 2.81 827.25 5.61 827.25 c\r\nS\r\n"},
      {"horizontal line with a solid arrow at its end",
       [](PdfContent& t) -> TfrxView& {
         auto& l = t.Make<TfrxLineView>(0, 0, 100, 0);
         l.SetArrowEnd(true);
         l.SetArrowSolid(true);
         l.SetArrowLength(20);
         l.SetArrowWidth(5);
         return l;
       },
       "[] 0 d\r\n0 0 0 RG\r\n0.75 w\r\n0 842.25 m\r\n75 842.25 l\r\nS\r\n[] 0 d\r\n60 838.50 m\r\n75 842.25 l\r\n60 "
       "846 "
       "l\r\n1 j\r\n0 0 0 rg\r\nb\r\n"},
      {"vertical line, arrow longer than the line",
       [](PdfContent& t) -> TfrxView& {
         auto& l = t.Make<TfrxLineView>(0, 0, 0, 10);
         l.SetArrowEnd(true);
         l.SetArrowLength(20);
         l.SetArrowWidth(5);
         return l;
       },
       "[] 0 d\r\n0 0 0 RG\r\n0.75 w\r\n0 842.25 m\r\n0 834.75 l\r\nS\r\n[] 0 d\r\n-3.75 849.75 m\r\n0 834.75 "
       "l\r\n3.75 "
       "849.75 l\r\nS\r\n"},
      {"unchecked check box: nothing",
       [](PdfContent& t) -> TfrxView& {
         auto& c = t.Make<TfrxCheckBoxView>(0, 0, 16, 16);
         c.SetChecked(false);
         return c;
       },
       ""},
      {"checked, no full frame: the mark only",
       [](PdfContent& t) -> TfrxView& {
         auto& c = t.Make<TfrxCheckBoxView>(0, 0, 16, 16);
         c.SetChecked(true);
         return c;
       },
       "[] 0 d\r\n0 0 0 RG\r\n1.50 w\r\n1 1 1 rg\r\n1.50 836.25 m 4 833.25 l 9 840.54 l\r\nS\r\n"},
      {"checked with a frame: mark and box",
       [](PdfContent& t) -> TfrxView& {
         auto& c = t.Make<TfrxCheckBoxView>(0, 0, 16, 16);
         c.SetChecked(true);
         c.Frame()->SetTyp(15);
         return c;
       },
       "[] 0 d\r\n0 0 0 RG\r\n1.50 w\r\n1 1 1 rg\r\n1.50 836.25 m 4 833.25 l 9 840.54 l\r\n0 842.25 m 12 842.25 l 12 "
       "832.50 l 0 832.50 l 0 842.25 l\r\nS\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(Add(c.make(*this)), c.ops) << c.what;
}

TEST_F(PdfContent, DispatchOfViews) {
  struct Case {
    const char* what;
    std::function<TfrxView&(PdfContent&)> make;
    bool text, picture;
  } cases[] = {
      {"plain memo", [](PdfContent& t) -> TfrxView& { return t.Memo("Text"); }, true, false},
      {"hatched memo",
       [](PdfContent& t) -> TfrxView& {
         auto& m = t.Memo("Text");
         m.SetBrushStyle(gfx::bsCross);
         return m;
       },
       false, true},
      {"tagged memo",
       [](PdfContent& t) -> TfrxView& {
         auto& m = t.Memo("<b>Text</b>");
         m.SetAllowHTMLTags(true);
         return m;
       },
       false, true},
      {"picture", [](PdfContent& t) -> TfrxView& { return t.Make<TfrxPictureView>(0, 0, 30, 30); }, false, true},
      {"page background",
       [](PdfContent& t) -> TfrxView& {
         auto& p = t.Make<TfrxPictureView>(0, 0, 30, 30);
         p.SetName("_pagebackground");
         return p;
       },
       false, false},
      {"zero width", [](PdfContent& t) -> TfrxView& { return t.Make<TfrxPictureView>(0, 0, 0, 30); }, false, false},
  };
  for (const Case& c : cases) {
    const std::string ops = Add(c.make(*this));
    EXPECT_EQ(ops.find("> Tj") != std::string::npos, c.text) << c.what << "\n" << ops.substr(0, 300);
    EXPECT_EQ(ops.find("\r\nBI\r\n") != std::string::npos, c.picture) << c.what;
    EXPECT_EQ(Count(ops, "q\r\n"), Count(ops, "Q\r\n")) << c.what;
    if (c.picture) {
      // a 3-component JPEG right after "ID" and one white-space byte
      EXPECT_NE(ops.find("/CS /RGB\r\n/BPC 8\r\n/I true\r\n/F [/DCT]\r\nID\n\xFF\xD8"), std::string::npos) << c.what;
    }
  }
  filter.HTMLTags = false;
  auto& tagged = Memo("<b>Text</b>");
  tagged.SetAllowHTMLTags(true);
  EXPECT_NE(Add(tagged).find("> Tj"), std::string::npos);
  filter.Background = true;
  auto& back = Make<TfrxPictureView>(0, 0, 30, 30);
  back.SetName("_pagebackground");
  EXPECT_NE(Add(back).find("BI"), std::string::npos);
}

// The "x y Td" of each line.
std::vector<std::pair<double, double>> Positions(const std::string& ops) {
  std::vector<std::pair<double, double>> v;
  const std::regex td(R"(BT\r\n(-?[\d.]+) (-?[\d.]+) Td)");
  for (std::sregex_iterator it(ops.begin(), ops.end(), td), end; it != end; ++it)
    v.emplace_back(std::stod((*it)[1].str()), std::stod((*it)[2].str()));
  return v;
}

TEST_F(PdfContent, TextPlacementOverAlignmentsAndRotations) {
  auto place = [&](TfrxHAlign h, TfrxVAlign v, int rotation = 0, long double charSpacing = 0) {
    auto& m = Memo("Ab", 100, 100, 200, 60);
    m.SetHAlign(h);
    m.SetVAlign(v);
    m.SetRotation(rotation);
    m.SetCharSpacing(charSpacing);
    return Add(m);
  };
  const auto left = Positions(place(haLeft, vaTop));
  const auto right = Positions(place(haRight, vaTop));
  const auto center = Positions(place(haCenter, vaTop));
  const auto bottom = Positions(place(haLeft, vaBottom));
  const auto middle = Positions(place(haLeft, vaCenter));
  ASSERT_EQ(left.size(), 1u);
  ASSERT_EQ(right.size(), 1u);
  // Left edge: X(100 + GapX + size x 0.01 + GapX / 2) = 0.75 x 103.1 (10-point font, GapX 2).
  EXPECT_NEAR(left[0].first, 77.33, 0.011);
  // Baseline of the first line: Y(100 + GapY - 1 + LH).
  EXPECT_GT(left[0].second, bottom[0].second);
  EXPECT_NEAR(middle[0].second, (left[0].second + bottom[0].second) / 2, 0.02);
  EXPECT_NEAR(center[0].first, (left[0].first + right[0].first) / 2, 0.02);
  EXPECT_GT(right[0].first, left[0].first + 100);
  // CharSpacing 2 moves right-aligned lines 1.5 points right (and widens them); left ones stay.
  const auto rightSpaced = Positions(place(haRight, vaTop, 0, 2));
  const auto leftSpaced = Positions(place(haLeft, vaTop, 0, 2));
  EXPECT_NEAR(leftSpaced[0].first, left[0].first, 0.001);
  EXPECT_NE(place(haRight, vaTop, 0, 2).find("1.50 Tc"), std::string::npos);
  EXPECT_LT(rightSpaced[0].first, right[0].first + 1.5 + 0.001);
  // Rotations: 90 turns round the box centre; 30 and 60 use the two size pairs.
  const std::string r90 = place(haLeft, vaTop, 90);
  EXPECT_NE(r90.find("0.00 1 -1 0.00 150 744.75 cm"), std::string::npos) << r90.substr(0, 300);
  const auto p90 = Positions(r90);
  ASSERT_EQ(p90.size(), 1u);
  EXPECT_NEAR(p90[0].first, -(60 - 4) / 2.0 * 0.75, 0.011);  // -a/2 with a = H' (the shadow width 4 comes off)
  const std::string r30 = place(haLeft, vaTop, 30), r60 = place(haLeft, vaTop, 60);
  EXPECT_NE(r30.find("0.87 0.50 -0.50 0.87 "), std::string::npos);
  EXPECT_NE(r60.find("0.50 0.87 -0.87 0.50 "), std::string::npos);
  // cx of 30 degrees: X(100 + (200 cos + 60 sin) / 2); of 60: X(100 + (60 cos + 200 sin) / 2)
  EXPECT_NE(r30.find(" 0.87 " + PdfNum(0.75 * (100 + (200 * 0.8660254 + 60 * 0.5) / 2)) + " "), std::string::npos)
      << r30.substr(0, 200);
  EXPECT_NE(r60.find(" 0.50 " + PdfNum(0.75 * (100 + (60 * 0.5 + 200 * 0.8660254) / 2)) + " "), std::string::npos)
      << r60.substr(0, 200);
}

TEST_F(PdfContent, TextColourFrameAndClosing) {
  auto& m = Memo("Line one\nLine two", 0, 0, 200, 60);
  m.Font()->SetColor(gfx::clTransparent);
  m.Frame()->SetTyp(15);
  m.SetColor(0xFFFF00);
  m.Font()->SetStyle({gfx::fsUnderline});
  const std::string ops = Add(m);
  EXPECT_EQ(ops.substr(0, 3), "q\r\n");
  EXPECT_EQ(ops.substr(ops.size() - 3), "Q\r\n");
  EXPECT_NE(ops.find("0 0 0 rg\r\n"), std::string::npos);  // transparent font colour: black
  EXPECT_NE(ops.find("0 1 1 rg\r\n0 797.25 150 45 re\r\nf\r\n"), std::string::npos) << ops;
  EXPECT_EQ(Count(ops, " Tj\r\n"), 2);
  EXPECT_EQ(Count(ops, "S\r\n"), 4 + 2);  // four frame sides, two underlines
  // A bad link does not lose the object: no annotation, the text is drawn.
  auto& bad = Memo("Bad link");
  bad.SetURL("@x");
  EXPECT_NE(Add(bad).find(" Tj"), std::string::npos);
}

TEST_F(PdfContent, FontsGlyphsAndNames) {
  TfrxPDFFont sans([] {
    gfx::TFont f;
    f.SetName("DejaVu Sans");
    return f;
  }());
  EXPECT_TRUE(sans.RemapString(u"", false).empty());
  const std::u16string codes = sans.RemapString(u"Ab", false);
  ASSERT_EQ(codes.size(), 2u);
  EXPECT_EQ(sans.UsedText(), (std::vector<std::u16string>{u"A", u"b"}));
  EXPECT_EQ(sans.Widths().size(), 2u);
  EXPECT_GT(sans.Widths()[0], 500);  // 1/1000 em
  // Right to left: the first glyph shown is the last character.
  const std::u16string hebrew = sans.RemapString(u"אבג", true);
  ASSERT_EQ(hebrew.size(), 3u);
  EXPECT_EQ(sans.UsedText()[2], u"ג");
  // A ligature maps back to every character it stands for.
  TfrxPDFFont serif([] {
    gfx::TFont f;
    f.SetName("DejaVu Serif");
    return f;
  }());
  const std::u16string fi = serif.RemapString(u"fi", false);
  if (fi.size() == 1) {
    EXPECT_EQ(serif.UsedText()[0], u"fi");
  }
  EXPECT_FALSE(sans.IsSubstitute());

  struct Name {
    const char* name;
    gfx::TFontStyles style;
    const char* base;
  } names[] = {
      {"Times New Roman", {}, "Times#20New#20Roman"},
      {"Arial", {gfx::fsBold}, "Arial,Bold"},
      {"Arial", {gfx::fsBold, gfx::fsItalic}, "Arial,BoldItalic"},
      {"MS UI Gothic", {gfx::fsBold}, "MS#20UI#20Gothic"},
      {"A(b)/c", {}, "A#28b#29#2Fc"},
  };
  for (const Name& n : names) {
    gfx::TFont f;
    f.SetName(n.name);
    f.SetStyle(n.style);
    EXPECT_EQ(TfrxPDFFont(f).GetFontName(), n.base) << n.name;
  }
  gfx::TFont cyr;
  cyr.SetName("Шрифт"_cp);
  EXPECT_EQ(TfrxPDFFont(cyr).GetFontName(), "#D8#F0#E8#F4#F2");
  gfx::TFont times;
  times.SetName("Times New Roman");
  EXPECT_TRUE(TfrxPDFFont(times).IsSubstitute());
}

TEST_F(PdfContent, FontIdentityPerStyleAndStemV) {
  auto& regular = Memo("a");
  auto& bold = Memo("b");
  bold.Font()->SetStyle({gfx::fsBold});
  auto& again = Memo("c");
  auto& listed = Memo("d");
  listed.Font()->SetName("MS UI Gothic");
  auto& listedBold = Memo("e");
  listedBold.Font()->SetName("MS UI Gothic");
  listedBold.Font()->SetStyle({gfx::fsBold});
  EXPECT_NE(Add(regular).find("/F0 10 Tf"), std::string::npos);
  EXPECT_NE(Add(bold).find("/F1 10 Tf"), std::string::npos);
  EXPECT_NE(Add(again).find("/F0 10 Tf"), std::string::npos);
  EXPECT_NE(Add(listed).find("/F2 10 Tf"), std::string::npos);
  const std::string simulated = Add(listedBold);
  EXPECT_NE(simulated.find("/F2 10 Tf"), std::string::npos);
  EXPECT_NE(simulated.find("2 Tr 0.29 w 0 0 0 RG"), std::string::npos) << simulated;
  filter.FinishPage(&page, 0);
  filter.Compressed = false;
  filter.Finish();
  const std::string pdf = out.Bytes();
  EXPECT_EQ(Count(pdf, "/Subtype /Type0"), 3);
  EXPECT_NE(pdf.find("/StemV 88\r\n"), std::string::npos);   // weight 400
  EXPECT_NE(pdf.find("/StemV 166\r\n"), std::string::npos);  // weight 700
  filter.Start();                                            // the fixture closes a page and the document again
  filter.StartPage(&page, 0);
}

}  // namespace

}  // namespace export_test
