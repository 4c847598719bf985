// The grid's promises over seeded random small layouts (overlapping text
// objects, lines and filled rectangles, with the options the filters use):
// every non-empty cell's object is settled, a settled object's block is
// exactly its cells, blocks never overlap, and the text of every visible
// memo shows in exactly one cell-owning object.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>

#include "matrix_fixture.h"

using namespace report;

namespace {

using exporttest::MatrixFixture;
using exporttest::Text;

constexpr int kLayouts = 3000;

TEST(MatrixInvariant, RandomLayoutsGiveRectangularDisjointBlocks) {
  std::mt19937 rng(20261211);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int layout = 0; layout < kLayouts; ++layout) {
    SCOPED_TRACE("layout " + std::to_string(layout));
    MatrixFixture f;
    const long double inaccuracies[] = {0, 0.5L, 3};
    f.m.Inaccuracy = inaccuracies[pick(0, 2)];
    f.m.EmptyLines = pick(0, 1) == 1;
    f.m.WhiteFill = pick(0, 3) == 0;
    f.m.FrameOptimization = pick(0, 1) == 1;
    f.m.MaxRowHeight = pick(0, 3) == 0 ? 25 : 0;
    const int objects = pick(1, 12);
    std::vector<std::string> texts;
    for (int i = 0; i < objects; ++i) {
      const long double l = pick(0, 12) * 5 + pick(0, 1) * 0.3L, t = pick(0, 12) * 5;
      const long double w = pick(1, 6) * 5, h = pick(1, 6) * 5;
      const int kind = pick(0, 9);
      if (kind == 0) {
        auto* line = f.Make<TfrxLineView>(l, t, pick(0, 1) ? w : 0, 0);
        f.m.AddObject(line);
      } else if (kind == 1) {
        auto* rect = f.Make<TfrxShapeView>(l, t, w, h);
        rect->SetColor(0x00FF00);
        f.m.AddObject(rect);
      } else {
        const std::string text = "m" + std::to_string(i);
        auto* memo = f.Memo(l, t, w, h, rtl::Utf8ToWide(text));
        memo->Frame()->SetTyp(static_cast<TfrxFrameTypes>(pick(0, 15)));
        if (pick(0, 2) == 0) memo->SetColor(0xFF0000);
        f.m.AddObject(memo);
        texts.push_back(text);
      }
      if (pick(0, 5) == 0) f.m.AddPage(poPortrait, 210, 297, 10, 10, 10, 10, false, 0);
    }
    f.m.Prepare();

    const int n = f.m.GetObjectsCount();
    std::vector<int> cellsOf(static_cast<std::size_t>(n), 0);
    for (int r = 0; r < f.m.RowCount; ++r)
      for (int c = 0; c < f.m.ColumnCount; ++c) {
        const int id = f.m.GetCell(c, r);
        if (id < 0) continue;
        ASSERT_LT(id, n);
        ASSERT_TRUE(f.m.IsSettled(id)) << "cell of an unsettled object";
        ++cellsOf[static_cast<std::size_t>(id)];
        int x = 0, y = 0, w = 0, h = 0;
        f.m.GetObjectPos(id, x, y, w, h);
        ASSERT_TRUE(c >= x && c < x + w && r >= y && r < y + h) << "cell outside its block";
        EXPECT_TRUE(c + 1 < f.m.ColumnCount && r + 1 < f.m.RowCount) << "object in the last column or row";
      }
    std::set<const TfrxIEMObject*> cut;
    for (int id = 0; id < n; ++id)
      if (const TfrxIEMObject* from = f.m.GetObjectById(id)->CutFrom) cut.insert(from);
    std::map<std::string, int> shown;
    for (int id = 0; id < n; ++id) {
      const auto count = cellsOf[static_cast<std::size_t>(id)];
      int x = 0, y = 0, w = 0, h = 0;
      f.m.GetObjectPos(id, x, y, w, h);
      if (count > 0) {
        // Every cell of the block holds the object, so blocks cannot overlap.
        ASSERT_EQ(count, w * h) << "block of " << id << " is not exactly its cells";
        for (int r = y; r < y + h; ++r)
          for (int c = x; c < x + w; ++c) ASSERT_EQ(f.m.GetCell(c, r), id);
        ++shown[Text(f.m.GetObjectById(id))];
      } else {
        EXPECT_FALSE(f.m.IsSettled(id) && w * h > 0) << "settled object " << id << " owns no cell";
      }
    }
    // Settled is what owning cells means; a text shows once if its object is visible at all.
    for (int id = 0; id < n; ++id) {
      const TfrxIEMObject* o = f.m.GetObjectById(id);
      if (o->CutFrom || Text(o).empty()) continue;
      const bool visible = cellsOf[static_cast<std::size_t>(id)] > 0 || cut.count(o);
      EXPECT_EQ(shown[Text(o)], visible ? 1 : 0) << Text(o);
    }
    for (const std::string& text : texts) EXPECT_LE(shown[text], 1) << text;
  }
}

}  // namespace
