// Controls that paint through the canvas (custom controls, owner-drawn grid
// cells and combo items), the wheel and scroll bars: what the preview's page
// area and the print dialog build on.
#include <gtest/gtest.h>

#include "gui_test_util.h"
#include "platform/gui/extctrls.h"
#include "platform/gui/forms.h"
#include "platform/gui/grids.h"
#include "platform/gui/simulate.h"
#include "platform/gui/stdctrls.h"

using namespace gui;

namespace {

bool IsRed(std::uint32_t argb) {
  return ((argb >> 16) & 0xFF) > 200 && ((argb >> 8) & 0xFF) < 80 && (argb & 0xFF) < 80;
}

// A page area: paints a red page on grey and counts its paints.
class PageArea : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int paints = 0;

 protected:
  void Paint() override {
    ++paints;
    Canvas().Brush().SetColor(clGray);
    Canvas().FillRect(Rect(0, 0, Width(), Height()));
    Canvas().Brush().SetColor(clRed);
    Canvas().FillRect(Rect(10, 10, 30, 40));
  }
};

}  // namespace

TEST(CustomControl, PaintOverrideDrawsThroughTheCanvasAndTakesKeys) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 150);
  auto* area = new PageArea(&form);
  area->SetParent(&form);
  area->SetAlign(alClient);
  Word key = 0;
  area->OnKeyDown = [&](TObject*, Word& k, TShiftState) { key = k; };
  form.Show();
  TGrabbedImage img = GrabImage(*area);
  EXPECT_GT(area->paints, 0);
  EXPECT_TRUE(IsRed(img.Pixel(20, 20)));
  EXPECT_FALSE(IsRed(img.Pixel(50, 50)));
  simulate::PressKey(*area, VK_DOWN);
  EXPECT_EQ(key, VK_DOWN);
}

TEST(MouseWheel, ParentsAreAskedUntilOneHandlesIt) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 150);
  auto* area = new PageArea(&form);
  area->SetParent(&form);
  area->SetBounds(0, 0, 100, 100);
  form.Show();
  std::vector<int> deltas;
  bool ctrl = false;
  form.OnMouseWheel = [&](TObject*, TShiftState s, int delta, TPoint, bool& handled) {
    deltas.push_back(delta);
    ctrl = s.Contains(TShiftState::ssCtrl);
    handled = true;
  };
  simulate::Wheel(*area, 20, 20, -120, ssCtrl);
  EXPECT_EQ(deltas, (std::vector<int>{-120}));
  EXPECT_TRUE(ctrl);
}

TEST(ScrollBar, PageSizeLimitsThePositionAndChangesAreReported) {
  TForm form(nullptr);
  auto* bar = new TScrollBar(&form);
  bar->SetParent(&form);
  bar->SetKind(sbVertical);
  bar->SetMax(100);
  bar->SetPageSize(10);
  int changes = 0;
  bar->OnChange = [&](TObject*) { ++changes; };
  bar->SetPosition(500);
  EXPECT_EQ(bar->Position(), 91);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(bar->Max(), 100);
}

TEST(OwnerDraw, GridCellsAreDrawnByTheHandlerOnTheCanvas) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  auto* grid = new TStringGrid(&form);
  grid->SetParent(&form);
  grid->SetAlign(alClient);
  grid->SetDefaultRowHeight(16);
  grid->SetColCount(3);
  grid->SetRowCount(6);
  std::vector<std::pair<int, int>> drawn;
  unsigned stateOfCurrent = 0;
  grid->OnDrawCell = [&](TObject*, int col, int row, TRect r, unsigned state) {
    drawn.push_back({col, row});
    if (row == 2 && col == 0) stateOfCurrent = state;
    if (col == 1 && row == 3) {
      grid->Canvas().Brush().SetColor(clRed);
      grid->Canvas().FillRect(r);
    }
  };
  form.Show();
  grid->SetRow(2);
  gui::Application->ProcessMessages();
  TGrabbedImage img = GrabImage(*grid);
  TRect cell = grid->CellRect(1, 3);
  EXPECT_TRUE(IsRed(img.Pixel(cell.Left + 5, cell.Top + 5)));
  EXPECT_FALSE(IsRed(img.Pixel(grid->CellRect(0, 3).Left + 5, cell.Top + 5)));
  EXPECT_TRUE(stateOfCurrent & gdSelected);
  EXPECT_NE(std::find(drawn.begin(), drawn.end(), std::make_pair(2, 5)), drawn.end());
}

TEST(OwnerDraw, ComboItemsDrawnByTheHandlerWhenTheListOpens) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  auto* combo = new TComboBox(&form);
  combo->SetParent(&form);
  combo->SetStyle(csOwnerDrawFixed);
  combo->SetItemHeight(34);
  combo->SetListWidth(250);
  combo->SetItems({"pmDefault", "pmSplit", "pmJoin", "pmScale"});
  std::vector<int> items;
  int dropDowns = 0;
  combo->OnDropDown = [&](TObject*) { ++dropDowns; };
  combo->OnDrawItem = [&](TObject*, int index, TRect r, unsigned) {
    items.push_back(index);
    combo->Canvas().TextOut(r.Left + 70, r.Top + 10, combo->Item(index));
  };
  form.Show();
  combo->SetDroppedDown(true);
  EXPECT_TRUE(gui_test::PumpUntil([&] { return items.size() >= 4; }, 2000));
  EXPECT_EQ(dropDowns, 1);
  combo->SetDroppedDown(false);
}
