// The layout matrix building its grid: merging and splitting boundaries,
// spans, overlapped objects cut into fragments, the two-thirds rule, colour
// inheritance, empty rows, frame optimisation, limits.
#include <gtest/gtest.h>

#include "matrix_fixture.h"

using namespace report;

namespace {

using exporttest::MatrixFixture;
using exporttest::Text;
using Coords = std::vector<long double>;

constexpr TfrxFrameTypes L = 1, R = 2, T = 4, B = 8;

Coords Ordered(TfrxIEMatrix& m, const Coords& in, bool vertical) {
  std::vector<TfrxIEMPos> list;
  for (long double v : in) list.push_back({v});
  m.OrderPosArray(list, vertical);
  Coords out;
  for (const auto& p : list) out.push_back(p.Coordinate);
  return out;
}

TEST(MatrixGrid, BoundariesMergeAndSplit) {
  const struct {
    const char* name;
    long double inaccuracy, maxRow;
    Coords in, out;
  } cases[] = {
      {"a run merges into its last", 0.5, 0, {10, 10.3, 10.6, 12}, {10.6, 12}},
      {"a wide inaccuracy swallows more", 10, 0, {10, 10.3, 10.6, 12, 25}, {12, 25}},
      {"equal edges become one", 0, 0, {5, 5, 7}, {5, 7}},
      {"unsorted input", 0, 0, {30, 10, 20}, {10, 20, 30}},
      {"a long row is split", 0, 500, {0, 1200}, {0, 500, 1000, 1200}},
      // A split point on the far edge would give a row of no height.
      {"an exact multiple splits only inside", 0, 500, {0, 1000}, {0, 500, 1000}},
      {"a row of exactly the limit stays", 0, 500, {0, 500}, {0, 500}},
      {"several gaps", 0, 100, {0, 150, 160, 400}, {0, 100, 150, 160, 260, 360, 400}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MatrixFixture f;
    f.m.Inaccuracy = c.inaccuracy;
    f.m.MaxRowHeight = c.maxRow;
    EXPECT_EQ(Ordered(f.m, c.in, true), c.out);
    // Horizontal lists split by MaxColumnWidth only.
    if (c.maxRow > 0) {
      EXPECT_EQ(Ordered(f.m, c.in, false).size(), c.in.size());
      f.m.MaxColumnWidth = c.maxRow;
      EXPECT_EQ(Ordered(f.m, c.in, false), c.out);
    }
  }
}

// An exact multiple far back in a long list: no zero-height row appears
// even when the far edge is no longer among the last entries.
TEST(MatrixGrid, SplittingNeverMakesEmptyHeightRows) {
  MatrixFixture f;
  f.m.MaxRowHeight = 500;
  f.AddMemo(0, 0, 10, 1000, u"tall");
  for (int i = 0; i < 150; ++i) f.AddMemo(20, 2000 + i * 10, 10, 10, u"r");
  f.m.Prepare();
  for (int r = 0; r + 1 < f.m.RowCount; ++r) EXPECT_LT(f.m.GetYPosById(r), f.m.GetYPosById(r + 1)) << r;
  int c = 0, row = 0, w = 0, h = 0;
  f.m.GetObjectPos(0, c, row, w, h);
  EXPECT_EQ(h, 2);
}

TEST(MatrixGrid, SpansCoverTheObject) {
  MatrixFixture f;
  f.AddMemo(0, 0, 100, 20, u"wide");
  f.AddMemo(0, 20, 50, 20, u"a");
  f.AddMemo(50, 20, 50, 40, u"b");
  f.AddMemo(0, 40, 50, 0, u"flat");  // no height: no cells
  f.m.Prepare();
  EXPECT_EQ(f.Xs(), (Coords{0, 50, 100}));
  EXPECT_EQ(f.Ys(), (Coords{0, 20, 40, 60}));
  EXPECT_EQ(f.Grid(), "0 0 .\n1 2 .\n. 2 .\n. . .\n");
  int c = 0, r = 0, w = 0, h = 0;
  f.m.GetObjectPos(3, c, r, w, h);
  EXPECT_EQ(h, 0);
  const char* texts[] = {"wide", "a", "b"};
  for (int id = 0; id < 3; ++id) EXPECT_EQ(Text(f.m.GetObjectById(id)), texts[id]);
}

// A (0, 0, 300 x 90) added first, B (100, 30, 100 x 30) on top: B takes the
// middle, A is cut into four fragments, the top strip takes A's text and
// each fragment keeps only the frame sides on A's outline.
TEST(MatrixGrid, OverlappedObjectIsCutIntoFragments) {
  MatrixFixture f;
  auto* a = f.Memo(0, 0, 300, 90, u"A");
  a->Frame()->SetTyp(L | R | T | B);
  f.m.AddObject(a);
  f.AddMemo(100, 30, 100, 30, u"B");
  f.m.Prepare();
  EXPECT_EQ(f.Grid(),
            "2 2 2 .\n"
            "3 1 4 .\n"
            "3 5 4 .\n"
            ". . . .\n");
  const struct {
    int id;
    long double l, t, w, h;
    TfrxFrameTypes sides;
    const char* text;
  } fragments[] = {
      {2, 0, 0, 300, 30, L | R | T, "A"},
      {3, 0, 30, 100, 60, L | B, ""},
      {4, 200, 30, 100, 60, R | B, ""},
      {5, 100, 60, 100, 30, B, ""},
  };
  for (const auto& fr : fragments) {
    SCOPED_TRACE(fr.id);
    const TfrxIEMObject* o = f.m.GetObjectById(fr.id);
    EXPECT_EQ(o->Left, fr.l);
    EXPECT_EQ(o->Top, fr.t);
    EXPECT_EQ(o->Width, fr.w);
    EXPECT_EQ(o->Height, fr.h);
    EXPECT_EQ(o->CellStyle->FrameSides, fr.sides);
    EXPECT_EQ(Text(o), fr.text);
    EXPECT_EQ(o->CutFrom, f.m.GetObjectById(0));
  }
  EXPECT_EQ(Text(f.m.GetObjectById(0)), "");
  EXPECT_EQ(f.m.GetObjectsCount(), 6);
}

TEST(MatrixGrid, TwoThirdsRuleChoosesTheFragmentWithTheText) {
  const struct {
    const char* name;
    long double coverW, coverH;  // a later object over A's upper-left corner
    int textAt;                  // the id that shows A's text
  } cases[] = {
      // Uncovered strip to the right starts at 100 of 300: inside two thirds.
      {"covered a third", 100, 90, 2},
      // The visible part starts past two thirds: only the fallback keeps the text.
      {"covered beyond two thirds", 250, 90, 2},
      {"covered upper rows", 300, 70, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MatrixFixture f;
    f.AddMemo(0, 0, 300, 90, u"A");
    f.AddMemo(0, 0, c.coverW, c.coverH, u"cover");
    f.m.Prepare();
    EXPECT_EQ(Text(f.m.GetObjectById(c.textAt)), "A");
    EXPECT_EQ(Text(f.m.GetObjectById(0)), "");
    int shown = 0;
    for (int id = 0; id < f.m.GetObjectsCount(); ++id) shown += Text(f.m.GetObjectById(id)) == "A";
    EXPECT_EQ(shown, 1);
  }
}

TEST(MatrixGrid, TransparentTextTakesTheColourBeneath) {
  const struct {
    const char* name;
    gfx::TColor under, textColour, expected;
  } cases[] = {
      {"coloured rectangle", 0x00FF00, 0x000000, 0x00FF00},
      {"rectangle in the text colour", 0x0000FF, 0x0000FF, clTransparent},
      {"transparent beneath", clTransparent, 0, clTransparent},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MatrixFixture f;
    auto* under = f.Memo(0, 0, 200, 100, u"");
    under->SetColor(c.under);
    f.m.AddObject(under);
    auto* text = f.Memo(20, 20, 50, 20, u"t");
    text->Font()->SetColor(c.textColour);
    f.m.AddObject(text);
    f.m.Prepare();
    EXPECT_EQ(f.m.GetObjectById(1)->CellStyle->Color, c.expected);
  }
}

TEST(MatrixGrid, EmptyRowsGoWhenAsked) {
  for (bool keep : {true, false}) {
    SCOPED_TRACE(keep);
    MatrixFixture f;
    f.m.EmptyLines = keep;
    f.AddMemo(0, 0, 50, 20, u"a");
    f.AddMemo(0, 40, 50, 20, u"b");  // rows 20..40 hold nothing
    f.m.AddPage(poPortrait, 210, 297, 0, 0, 0, 0, false, 0);
    f.m.Prepare();
    if (keep) {
      EXPECT_EQ(f.Ys(), (Coords{0, 20, 40, 60}));
      EXPECT_EQ(f.Grid(), "0 .\n. .\n1 .\n. .\n");
    } else {
      EXPECT_EQ(f.Ys(), (Coords{0, 20, 40}));
      EXPECT_EQ(f.Grid(), "0 .\n1 .\n. .\n");
    }
    EXPECT_EQ(f.m.GetPageBreak(0), 60);  // pages keep their ends
    int c = 0, r = 0, w = 0, h = 0;
    f.m.GetObjectPos(1, c, r, w, h);
    EXPECT_EQ(r, keep ? 2 : 1);
  }
}

// One row taken out by hand: the rows below move up by its height; the
// last row has no height to give; rows outside the grid are ignored.
TEST(MatrixGrid, DeleteMatrixLineMovesTheRowsBelowUp) {
  MatrixFixture f;
  f.AddMemo(0, 0, 50, 20, u"a");
  f.AddMemo(0, 20, 50, 30, u"b");
  f.AddMemo(0, 50, 50, 10, u"c");
  f.m.Prepare();
  EXPECT_EQ(f.Grid(), "0 .\n1 .\n2 .\n. .\n");
  f.m.DeleteMatrixLine(1);
  EXPECT_EQ(f.Ys(), (Coords{0, 20, 30}));
  EXPECT_EQ(f.Grid(), "0 .\n2 .\n. .\n");
  f.m.DeleteMatrixLine(2);
  EXPECT_EQ(f.Ys(), (Coords{0, 20}));
  f.m.DeleteMatrixLine(7);
  f.m.DeleteMatrixLine(-1);
  EXPECT_EQ(f.m.RowCount, 2);
}

TEST(MatrixGrid, FrameOptimisationDropsDoubledSides) {
  const struct {
    const char* name;
    gfx::TColor rightColour;
    long double rightWidth;
    TfrxFrameTypes leftSides, rightSides;
  } cases[] = {
      {"equal width and colour", 0, 1, L | R | T | B, R | T | B},
      {"other colour", 0xFF, 1, L | R | T | B, L | R | T | B},
      {"other width", 0, 2, L | R | T | B, L | R | T | B},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MatrixFixture f;
    f.m.FrameOptimization = true;
    auto* left = f.Memo(0, 0, 50, 20, u"l");
    left->Frame()->SetTyp(L | R | T | B);
    auto* right = f.Memo(50, 0, 50, 20, u"r");
    right->Frame()->SetTyp(L | R | T | B);
    right->Frame()->SetColor(c.rightColour);
    right->Frame()->SetWidth(c.rightWidth);
    f.m.AddObject(left);
    f.m.AddObject(right);
    f.m.Prepare();
    EXPECT_EQ(f.m.GetObjectById(0)->CellStyle->FrameSides, c.leftSides);
    EXPECT_EQ(f.m.GetObjectById(1)->CellStyle->FrameSides, c.rightSides);
  }
  // Stacked: the lower one's top goes.
  MatrixFixture g;
  g.m.FrameOptimization = true;
  for (int i = 0; i < 2; ++i) g.Memo(0, i * 20, 50, 20, u"x")->Frame()->SetTyp(L | R | T | B);
  for (auto& o : g.owned) g.m.AddObject(o.get());
  g.m.Prepare();
  EXPECT_EQ(g.m.GetObjectById(1)->CellStyle->FrameSides, L | R | B);
}

TEST(MatrixGrid, WhiteFillLiesUnderEverything) {
  MatrixFixture f;
  f.m.WhiteFill = true;
  f.AddMemo(20, 10, 30, 10, u"a");
  f.m.Prepare();
  EXPECT_EQ(Text(f.m.GetObjectById(1)), "a");
  EXPECT_EQ(f.m.GetObjectById(0)->CellStyle->Color, 0xFFFFFFu);
  EXPECT_EQ(f.Grid(), "2 2 .\n3 1 .\n. . .\n");  // the fill is cut around "a"

  MatrixFixture empty;
  empty.m.WhiteFill = true;
  empty.m.Prepare();
  EXPECT_EQ(empty.m.ColumnCount, 1);
  EXPECT_EQ(empty.m.RowCount, 1);
  EXPECT_EQ(empty.m.GetCell(0, 0), -1);

  MatrixFixture none;
  none.m.Prepare();
  EXPECT_EQ(none.m.ColumnCount, 0);
  EXPECT_EQ(none.m.RowCount, 0);
}

TEST(MatrixGrid, LimitsGiveClearErrors) {
  {
    // 3,000 columns x 12,000 rows: more cells than the grid may hold.
    MatrixFixture f;
    for (int i = 0; i < 3000; ++i) f.AddMemo(i * 10, 0, 10, 10, u"c");
    for (int i = 0; i < 12000; ++i) f.AddMemo(0, 20 + i * 10, 10, 10, u"r");
    EXPECT_THROW(f.m.Prepare(), EMatrixLimit);
  }
  {
    // One row a pixel high over a page a billion pixels tall.
    MatrixFixture f;
    f.m.MaxRowHeight = 1;
    f.AddMemo(0, 0, 10, 1e9L, u"tall");
    EXPECT_THROW(f.m.Prepare(), EMatrixLimit);
  }
  {
    // Many large objects piled on one another.
    MatrixFixture f;
    for (int i = 0; i < 2000; ++i) f.AddMemo(i % 3000, i % 2000, 3000, 3000, u"p");
    for (int i = 0; i < 2000; ++i) f.AddMemo(i % 3000, i % 2000, 1, 1, u"d");
    try {
      f.m.Prepare();
      FAIL() << "no error";
    } catch (const EMatrixLimit& e) {
      EXPECT_NE(e.Message().find("overlap"), std::string::npos) << e.Message();
    }
  }
}

}  // namespace
