// The layout matrix collecting objects: drop shadows, rectangles, lines,
// pictures, shared styles, anchors, clamps and limits, pages.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "matrix_fixture.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassServices.h"

using namespace report;

namespace {

using exporttest::MatrixFixture;
using exporttest::Text;

struct Box {
  long double l, t, w, h;
};
void ExpectBox(const TfrxIEMObject* o, Box b) {
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->Left, b.l);
  EXPECT_EQ(o->Top, b.t);
  EXPECT_EQ(o->Width, b.w);
  EXPECT_EQ(o->Height, b.h);
}

constexpr TfrxFrameTypes kAllSides = 15;

TEST(MatrixObjects, DropShadowBecomesTheTextAndTwoStrips) {
  MatrixFixture f;
  auto* memo = f.Memo(10, 20, 100, 50, u"Hi");
  memo->Frame()->SetDropShadow(true);
  memo->Frame()->SetShadowWidth(4);
  memo->Frame()->SetShadowColor(0x123456);
  f.m.AddObject(memo);
  ASSERT_EQ(f.m.GetObjectsCount(), 3);
  const struct {
    Box box;
    const char* text;
    gfx::TColor fill;
  } cases[] = {
      {{10, 20, 96, 46}, "Hi", clTransparent}, {{106, 24, 4, 46}, "", 0x123456}, {{14, 66, 96, 4}, "", 0x123456}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const TfrxIEMObject* o = f.m.GetObjectById(i);
    ExpectBox(o, cases[i].box);
    EXPECT_EQ(Text(o), cases[i].text);
    EXPECT_EQ(o->CellStyle->Color, cases[i].fill);
  }
  // The view is given back as it was.
  EXPECT_EQ(memo->Width(), 100);
  EXPECT_EQ(memo->Height(), 50);
  EXPECT_TRUE(memo->Frame()->DropShadow());
}

TEST(MatrixObjects, RectangleShapesBecomeLinesOrOneFilledObject) {
  MatrixFixture f;
  auto* open = f.Make<TfrxShapeView>(10, 20, 100, 50);
  open->Frame()->SetColor(0x0000FF);
  f.m.AddObject(open);
  ASSERT_EQ(f.m.GetObjectsCount(), 4);
  const Box lines[] = {{10, 20, 100, 1}, {10, 20, 1, 50}, {10, 70, 100, 1}, {110, 20, 1, 50}};
  const TfrxFrameTypes sides[] = {FrameBit(ftTop), FrameBit(ftLeft), FrameBit(ftTop), FrameBit(ftLeft)};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const TfrxIEMObject* o = f.m.GetObjectById(i);
    ExpectBox(o, lines[i]);
    EXPECT_TRUE(o->IsTextObject);
    EXPECT_EQ(o->Name, "Line");
    EXPECT_EQ(o->CellStyle->FrameSides, sides[i]);
    EXPECT_EQ(o->CellStyle->FrameLineColor, 0x0000FFu);
  }

  MatrixFixture g;
  auto* filled = g.Make<TfrxShapeView>(10, 20, 100, 50);
  filled->SetColor(0x00FF00);
  g.m.AddObject(filled);
  ASSERT_EQ(g.m.GetObjectsCount(), 1);
  const TfrxIEMObject* o = g.m.GetObjectById(0);
  ExpectBox(o, {10, 20, 100, 50});
  EXPECT_EQ(o->Name, "Rect");
  EXPECT_EQ(o->CellStyle->FrameSides, kAllSides);
  EXPECT_EQ(o->CellStyle->Color, 0x00FF00u);
  EXPECT_EQ(o->CellStyle->Font->Size(), 1);

  // Other shapes are pictures.
  MatrixFixture h;
  auto* ellipse = h.Make<TfrxShapeView>(0, 0, 40, 30);
  ellipse->SetShape(skEllipse);
  h.m.AddObject(ellipse);
  ASSERT_EQ(h.m.GetObjectsCount(), 1);
  EXPECT_FALSE(h.m.GetObjectById(0)->IsTextObject);
  ASSERT_NE(h.m.GetObjectById(0)->GetImage(), nullptr);
}

TEST(MatrixObjects, LinesTakeASideAndDiagonalsArePictures) {
  const struct {
    Box view;
    Box placed;
    TfrxFrameTypes sides;
    bool picture;
  } cases[] = {
      {{50, 10, 0, 80}, {50, 10, 1, 80}, FrameBit(ftLeft), false},   // vertical
      {{10, 40, 120, 0}, {10, 40, 120, 1}, FrameBit(ftTop), false},  // horizontal
      {{60, 10, -30, 0}, {30, 10, 30, 1}, FrameBit(ftTop), false},   // drawn backwards
      {{10, 10, 40, 40}, {10, 10, 40, 40}, 0, true},                 // diagonal
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<double>(c.view.w));
    MatrixFixture f;
    auto* line = f.Make<TfrxLineView>(c.view.l, c.view.t, c.view.w, c.view.h);
    line->SetDiagonal(c.picture);
    f.m.AddObject(line);
    ASSERT_EQ(f.m.GetObjectsCount(), 1);
    const TfrxIEMObject* o = f.m.GetObjectById(0);
    EXPECT_EQ(o->IsTextObject, !c.picture);
    EXPECT_EQ(o->CellStyle->FrameSides, c.sides);
    if (c.picture) {
      EXPECT_NE(o->GetImage(), nullptr);
      EXPECT_GE(o->Width, 40);
    } else {
      ExpectBox(o, c.placed);
    }
  }
}

TEST(MatrixObjects, EqualLooksShareOneStyle) {
  struct Case {
    const char* name;
    void (*change)(TfrxMemoView*);
    bool shared;
  };
  const Case cases[] = {
      {"same", [](TfrxMemoView*) {}, true},
      {"thousand separator", [](TfrxMemoView* m) { m->DisplayFormat()->SetThousandSeparator(" "); }, true},
      {"decimal separator", [](TfrxMemoView* m) { m->DisplayFormat()->SetDecimalSeparator(","); }, false},
      {"font name case", [](TfrxMemoView* m) { m->Font()->SetName("ARIAL"); }, false},
      {"font size", [](TfrxMemoView* m) { m->Font()->SetSize(12); }, false},
      {"bold", [](TfrxMemoView* m) { m->Font()->SetStyle({gfx::fsBold}); }, false},
      {"fill", [](TfrxMemoView* m) { m->SetColor(0xFF); }, false},
      {"frame side", [](TfrxMemoView* m) { m->Frame()->SetTyp(1); }, false},
      {"alignment", [](TfrxMemoView* m) { m->SetHAlign(haRight); }, false},
      {"text only", [](TfrxMemoView* m) { m->SetText(u"other"); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MatrixFixture f;
    auto* a = f.Memo(0, 0, 10, 10, u"a");
    a->Font()->SetName("Arial");
    auto* b = f.Memo(10, 0, 10, 10, u"a");
    b->Font()->SetName("Arial");
    c.change(b);
    f.m.AddObject(a);
    f.m.AddObject(b);
    EXPECT_EQ(f.m.GetStylesCount(), c.shared ? 1 : 2);
    EXPECT_EQ(f.m.GetObjectById(1)->StyleId, c.shared ? 0 : 1);
  }
}

// The hash index answers as a search from the first style would: the first
// equal style's index, or a new one at the end.
TEST(MatrixObjects, HashIndexKeepsFirstEqualWins) {
  MatrixFixture f;
  std::mt19937 rng(7);
  std::vector<std::unique_ptr<TfrxIEMStyle>> reference;
  for (int i = 0; i < 3000; ++i) {
    auto make = [&] {
      auto s = std::make_unique<TfrxIEMStyle>();
      std::mt19937 r(static_cast<unsigned>(i * 7919 % 257));  // many repeats
      s->Font->SetSize(8 + static_cast<int>(r() % 4));
      s->Color = r() % 3;
      s->FrameSides = r() % 16;
      s->GapX = (r() % 2) * 0.5L;
      s->DisplayFormat->SetFormatStr(r() % 2 ? "%2.2f" : "");
      return s;
    };
    int expected = -1;
    auto probe = make();
    for (std::size_t k = 0; k < reference.size() && expected < 0; ++k)
      if (reference[k]->SameAs(*probe)) expected = static_cast<int>(k);
    if (expected < 0) {
      expected = static_cast<int>(reference.size());
      reference.push_back(make());
    }
    ASSERT_EQ(f.m.AddStyleInternal(make()), expected) << i;
  }
  EXPECT_EQ(f.m.GetStylesCount(), static_cast<int>(reference.size()));
}

// A stand-in report whose prepared pages know one anchor, on page 3.
class AnchorPages : public TfrxCustomPreviewPages {
 public:
  using TfrxCustomPreviewPages::TfrxCustomPreviewPages;
  int GetAnchorPage(const AnsiString& text) override { return text == "total" ? 3 : 1; }
};
class AnchorReport : public TfrxComponent, public TfrxReportServices {
 public:
  AnchorReport() : TfrxComponent(nullptr), pages_(this) {}
  TfrxReportServices* AsReportServices() override { return this; }
  TfrxXMLSerializer* ActiveSerializer() const override { return nullptr; }
  void SetActiveSerializer(TfrxXMLSerializer*) override {}
  rtl::TStrings& Errors() override { return errors_; }
  bool EngineThreadSafe() const override { return false; }
  TfrxSilentMode SilentMode() const override { return simSilent; }
  bool UseGlobalDataSetList() const override { return false; }
  TfrxReportDataSets* ReportDataSets() override { return nullptr; }
  TfrxComponent* FindAncestor(const AnsiString&) override { return nullptr; }
  TfrxCustomPreviewPages* PreviewPages() const override { return const_cast<AnchorPages*>(&pages_); }

 private:
  AnchorPages pages_;
  rtl::TStringList errors_;
};

TEST(MatrixObjects, AnchorsBecomePageLinksOnlyWithASourceReport) {
  const struct {
    bool source;
    const char* url;
    const char* expected;
  } cases[] = {
      {true, "#total", "@3"},      {true, "#missing", "@1"}, {true, "http://x/#total", "http://x/#total"},
      {false, "#total", "#total"}, {true, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    MatrixFixture f;
    AnchorReport report;
    if (c.source) f.m.SourceReport = &report;
    auto* memo = f.Memo(0, 0, 10, 10, u"x");
    memo->SetURL(c.url);
    f.m.AddObject(memo);
    EXPECT_EQ(f.m.GetObjectById(0)->URL, c.expected);
  }
}

TEST(MatrixObjects, GeometryIsClampedAndPicturesBounded) {
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const long double inf = std::numeric_limits<long double>::infinity();
  const struct {
    const char* name;
    Box view;
    Box placed;
  } cases[] = {
      {"negative left", {-20, 5, 10, 10}, {0, 5, 10, 10}},
      {"negative top", {5, -20, 10, 10}, {5, 0, 10, 10}},
      {"NaN", {nan, nan, nan, nan}, {0, 0, 0, 0}},
      {"infinite", {inf, 0, inf, -inf}, {kMatrixCoordinateLimit, 0, kMatrixCoordinateLimit, -kMatrixCoordinateLimit}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MatrixFixture f;
    f.AddMemo(c.view.l, c.view.t, c.view.w, c.view.h, u"x");
    ExpectBox(f.m.GetObjectById(0), c.placed);
  }
  // With a page before it, a negative top lands on the page's top.
  MatrixFixture f;
  f.AddMemo(0, 0, 10, 100, u"first");
  f.m.AddPage(poPortrait, 210, 297, 10, 10, 10, 10, false, 0);
  f.AddMemo(0, -5, 10, 10, u"second");
  EXPECT_EQ(f.m.GetObjectById(1)->Top, 100);

  // A picture the size of a city gets no bitmap, only its place.
  MatrixFixture g;
  auto* huge = g.Make<TfrxShapeView>(0, 0, 1e7L, 1e7L);
  huge->SetShape(skEllipse);
  g.m.AddObject(huge);
  EXPECT_EQ(g.m.GetObjectById(0)->GetImage(), nullptr);
  EXPECT_FALSE(g.m.GetObjectById(0)->IsTextObject);
}

TEST(MatrixObjects, BandsAndTheNullBandAddNothing) {
  MatrixFixture f;
  TfrxNullBand nullBand(nullptr);
  nullBand.SetBounds(0, 0, 0, 0);
  TfrxMasterData data(nullptr);
  data.SetBounds(0, 10, 500, 20);
  f.m.AddObject(&nullBand);
  f.m.AddObject(&data);
  f.AddMemo(0, 10, 100, 20, u"row");
  f.m.Prepare();
  EXPECT_EQ(f.m.GetObjectsCount(), 1);
  EXPECT_EQ(f.Ys(), (std::vector<long double>{10, 30}));
  EXPECT_EQ(f.Grid(), "0 .\n. .\n");
}

TEST(MatrixObjects, PageBackgroundIsTakenOnlyWhenAsked) {
  const struct {
    bool background, exportNotPrintable, printable;
    int objects;
  } cases[] = {{false, true, true, 0}, {false, false, true, 0}, {false, false, false, 1}, {true, true, true, 1}};
  for (const auto& c : cases) {
    MatrixFixture f;
    f.m.Background = c.background;
    f.m.ExportNotPrintable = c.exportNotPrintable;
    auto* back = f.Make<TfrxMemoView>(0, 0, 100, 100);
    back->SetName("_pagebackground");
    back->SetPrintable(c.printable);
    f.m.AddObject(back);
    EXPECT_EQ(f.m.GetObjectsCount(), c.objects);
  }
}

TEST(MatrixObjects, PagesStackAndMirrorTheirMargins) {
  MatrixFixture f;
  f.AddMemo(0, 0, 10, 100, u"a");
  f.m.AddPage(poPortrait, 210, 297, 20, 10, 5, 15, true, 0);
  f.AddMemo(0, 0, 10, 40, u"b");
  f.m.AddPage(poLandscape, 297, 210, 20, 10, 5, 15, true, 1);
  EXPECT_EQ(f.m.GetPagesCount(), 2);
  EXPECT_EQ(f.m.GetPageBreak(0), 100);
  EXPECT_EQ(f.m.GetObjectById(1)->Top, 100);
  EXPECT_EQ(f.m.GetPageBreak(1), 140);
  EXPECT_EQ(f.m.GetPageLMargin(0), 20);
  EXPECT_FALSE(f.m.GetPageMirrorMargin(0));
  EXPECT_EQ(f.m.GetPageLMargin(1), 5);
  EXPECT_EQ(f.m.GetPageRMargin(1), 20);
  EXPECT_TRUE(f.m.GetPageMirrorMargin(1));
  EXPECT_EQ(f.m.GetPageOrientation(1), poLandscape);
  EXPECT_EQ(f.m.GetPageBreak(2), 0);
  EXPECT_EQ(f.m.GetIEPages(-1), nullptr);
}

TEST(MatrixObjects, HeaderAndFooterObjectsAreMarked) {
  MatrixFixture f;
  TfrxPageHeader header(nullptr);
  TfrxPageFooter footer(nullptr);
  auto* inHeader = f.Memo(0, 0, 10, 10, u"h");
  inHeader->SetParent(&header);
  auto* inFooter = f.Memo(0, 20, 10, 10, u"f");
  inFooter->SetParent(&footer);
  f.m.SetPageHeader(&header);
  f.m.SetPageFooter(&footer);
  f.m.AddObject(inHeader);
  f.m.AddObject(inFooter);
  inHeader->SetParent(nullptr);
  inFooter->SetParent(nullptr);
  EXPECT_TRUE(f.m.GetObjectById(0)->InPageHeader);
  EXPECT_FALSE(f.m.GetObjectById(0)->InPageFooter);
  EXPECT_TRUE(f.m.GetObjectById(1)->InPageFooter);
}

TEST(MatrixObjects, AddPosLooksBackOneHundredEntries) {
  std::vector<TfrxIEMPos> list;
  TfrxIEMatrix::AddPos(list, 5);
  for (int i = 0; i < 100; ++i) TfrxIEMatrix::AddPos(list, 100 + i);
  TfrxIEMatrix::AddPos(list, 105);  // among the last 100
  EXPECT_EQ(list.size(), 101u);
  TfrxIEMatrix::AddPos(list, 5);  // 101 entries back: appended again
  EXPECT_EQ(list.size(), 102u);
}

TEST(MatrixObjects, ReadersAnswerOutsideTheLists) {
  MatrixFixture f;
  f.AddMemo(0, 0, 10, 10, u"a");
  f.m.Prepare();
  EXPECT_EQ(f.m.GetCell(-1, 0), -1);
  EXPECT_EQ(f.m.GetCell(0, 99), -1);
  EXPECT_EQ(f.m.GetObject(5, 5), nullptr);
  EXPECT_EQ(f.m.GetStyle(1, 1), nullptr);
  EXPECT_EQ(f.m.GetObjectById(1), nullptr);
  EXPECT_THROW(f.m.GetObjectById(-1), rtl::Exception);
  EXPECT_THROW(f.m.GetStyleById(1), rtl::Exception);
  EXPECT_THROW(f.m.GetXPosById(2), rtl::Exception);
  int c = 0, r = 0, w = 0, h = 0;
  EXPECT_THROW(f.m.GetObjectPos(1, c, r, w, h), rtl::Exception);
  f.m.GetObjectPos(0, c, r, w, h);
  EXPECT_EQ((std::vector<int>{c, r, w, h}), (std::vector<int>{0, 0, 1, 1}));
  f.m.Clear();
  EXPECT_EQ(f.m.GetObjectsCount(), 0);
  EXPECT_EQ(f.m.GetStylesCount(), 0);
}

}  // namespace
