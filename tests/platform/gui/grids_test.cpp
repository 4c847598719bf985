// The string grid: a data table of 21,707 rows, scrolling, visible rows,
// hit-testing, the current row and its click, selection, cells from a
// function.
#include "platform/gui/grids.h"

#include <gtest/gtest.h>

#include "gui_test_util.h"
#include "platform/gui/forms.h"
#include "platform/gui/simulate.h"

using namespace gui;

namespace {

// A shown form holding a grid of 16-pixel rows with one caption row.
struct GridFixture {
  TForm form{nullptr};
  TStringGrid* grid = new TStringGrid(&form);
  explicit GridFixture(int rows, int cols = 7, int height = 200) {
    form.SetBounds(0, 0, 500, height + 40);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 480, height);
    grid->SetDefaultRowHeight(16);
    grid->SetColCount(cols);
    grid->SetRowCount(rows);
    grid->SetFixedRows(1);
    grid->SetOptions(grid->Options() | goRowSelect);
    form.Show();
  }
};

}  // namespace

TEST(StringGrid, DataTableOf21707RowsScrollsToARowAndReportsTopRowAndVisibleRows) {
  GridFixture f(21708);
  for (int c = 0; c < 7; ++c) f.grid->SetCells(c, 0, "col" + std::to_string(c));
  for (int r = 1; r < 21708; ++r) f.grid->SetCells(0, r, std::to_string(r));
  const int visible = f.grid->VisibleRowCount();
  // 200 pixels less the caption row and frame: ten or eleven rows of 17.
  EXPECT_GE(visible, 9);
  EXPECT_LE(visible, 11);
  EXPECT_EQ(f.grid->TopRow(), 1);

  f.grid->SetTopRow(12000);
  EXPECT_EQ(f.grid->TopRow(), 12000);
  EXPECT_EQ(f.grid->VisibleRowCount(), visible);
  int col = -1, row = -1;
  f.grid->MouseToCell(5, f.grid->CellRect(0, 12000).Top + 3, col, row);
  EXPECT_EQ(row, 12000);
  EXPECT_EQ(col, 0);

  // The top row cannot pass the point where the last rows fill the view.
  f.grid->SetTopRow(21707);
  EXPECT_EQ(f.grid->TopRow(), 21708 - visible);
  EXPECT_EQ(f.grid->TopRow() + f.grid->VisibleRowCount() - 1, 21707);
  EXPECT_EQ(f.grid->Cells(0, 21707), "21707");
}

TEST(StringGrid, KeepingTheCurrentRowInViewByTopRow) {
  // The list rule: the current row becomes the fourth visible one.
  GridFixture f(31);
  f.grid->SetRow(10);
  f.grid->SetTopRow(f.grid->Row() - 3);
  EXPECT_EQ(f.grid->TopRow(), 7);
  f.grid->SetTopRow(1);
  EXPECT_EQ(f.grid->TopRow(), 1);
}

TEST(StringGrid, VisibleRowCountStopsAtTheLastRow) {
  GridFixture f(4);
  EXPECT_EQ(f.grid->VisibleRowCount(), 3);
  f.grid->SetRowCount(2);
  EXPECT_EQ(f.grid->VisibleRowCount(), 1);
}

TEST(StringGrid, SettingTheRowClicksOnceAndOnlyOnChange) {
  GridFixture f(10);
  int clicks = 0;
  f.grid->OnClick = [&](TObject*) { ++clicks; };
  f.grid->SetRow(3);
  EXPECT_EQ(f.grid->Row(), 3);
  EXPECT_EQ(clicks, 1);
  f.grid->SetRow(3);
  EXPECT_EQ(clicks, 1);
  f.grid->SetRow(0);  // the caption row cannot be current
  EXPECT_EQ(f.grid->Row(), 3);
}

TEST(StringGrid, MouseClickOnACellMakesItCurrentAndClicksOnce) {
  GridFixture f(10);
  int clicks = 0;
  f.grid->OnClick = [&](TObject*) { ++clicks; };
  TRect r = f.grid->CellRect(2, 5);
  simulate::Click(*f.grid, r.Left + 4, r.Top + 4);
  EXPECT_EQ(f.grid->Row(), 5);
  EXPECT_EQ(f.grid->Col(), 2);
  EXPECT_EQ(clicks, 1);
}

TEST(StringGrid, MouseToCellOverTheCaptionRowAndOutside) {
  GridFixture f(3);
  int col = 0, row = 0;
  TRect caption = f.grid->CellRect(1, 0);
  f.grid->MouseToCell(caption.Left + 3, caption.Top + 3, col, row);
  EXPECT_EQ(row, 0);
  EXPECT_EQ(col, 1);
  f.grid->MouseToCell(5, 190, col, row);  // below the last row
  EXPECT_EQ(row, -1);
}

TEST(StringGrid, SelectionClearsToMinusOneAndCoversARange) {
  GridFixture f(10);
  f.grid->SetOptions((f.grid->Options() & ~unsigned{goRowSelect}) | goRangeSelect);
  f.grid->SetSelection({1, 2, 3, 4});
  EXPECT_EQ(f.grid->Selection(), (TGridRect{1, 2, 3, 4}));
  f.grid->SetSelection({-1, -1, -1, -1});
  EXPECT_EQ(f.grid->Selection(), (TGridRect{-1, -1, -1, -1}));
}

TEST(StringGrid, CellsOutsideTheGridReadEmptyAndShrinkingDropsRows) {
  GridFixture f(5, 3);
  f.grid->SetCells(2, 4, "x");
  EXPECT_EQ(f.grid->Cells(2, 4), "x");
  EXPECT_EQ(f.grid->Cells(3, 4), "");
  EXPECT_EQ(f.grid->Cells(0, 99), "");
  f.grid->SetCells(9, 9, "ignored");
  f.grid->SetRowCount(2);
  EXPECT_EQ(f.grid->Cells(2, 4), "");
  f.grid->SetRowCount(5);
  EXPECT_EQ(f.grid->Cells(2, 4), "");  // grown rows start empty
}

TEST(StringGrid, CellsFromAFunctionCostNoStore) {
  GridFixture f(21708);
  int asked = 0;
  f.grid->OnGetCellText = [&](int c, int r) {
    ++asked;
    return std::to_string(r * 10 + c);
  };
  EXPECT_EQ(f.grid->Cells(3, 21000), "210003");
  gui::Application->ProcessMessages();
  f.grid->Repaint();
  // Painting asks only for what is on screen, not for 150,000 cells.
  EXPECT_LT(asked, 1000);
}

TEST(StringGrid, ColumnWidthsAndRowsOfCells) {
  GridFixture f(3, 3);
  f.grid->SetColWidths(0, 56);
  f.grid->SetColWidths(1, 48);
  EXPECT_EQ(f.grid->ColWidths(0), 56);
  EXPECT_EQ(f.grid->CellRect(1, 1).Left - f.grid->CellRect(0, 1).Left, 57);
  f.grid->SetRowCells(1, {"a", "b", "c"});
  EXPECT_EQ(f.grid->RowCells(1), (std::vector<AnsiString>{"a", "b", "c"}));
  EXPECT_EQ(f.grid->ColCells(1), (std::vector<AnsiString>{"", "b", ""}));
}

TEST(StringGrid, RightClickKeepsARangeAndReportsTheCellUnderThePointer) {
  GridFixture f(10);
  f.grid->SetOptions((f.grid->Options() & ~unsigned{goRowSelect}) | goRangeSelect);
  f.grid->SetSelection({0, 2, 2, 4});
  int upCol = -1, upRow = -1;
  f.grid->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
    if (b == mbRight) f.grid->MouseToCell(x, y, upCol, upRow);
  };
  TRect cell = f.grid->CellRect(1, 7);
  simulate::Click(*f.grid, cell.Left + 3, cell.Top + 3, mbRight);
  EXPECT_EQ(f.grid->Selection(), (TGridRect{0, 2, 2, 4}));
  EXPECT_EQ(upCol, 1);
  EXPECT_EQ(upRow, 7);
}

TEST(StringGrid, WithoutFixedRowsRowZeroIsData) {
  TForm form(nullptr);
  auto* grid = new TStringGrid(&form);
  grid->SetParent(&form);
  grid->SetBounds(0, 0, 200, 100);
  grid->SetFixedRows(0);
  grid->SetRowCount(3);
  grid->SetColCount(2);
  grid->SetCells(1, 0, "first");
  form.Show();
  grid->SetRow(0);
  EXPECT_EQ(grid->Row(), 0);
  EXPECT_EQ(grid->TopRow(), 0);
  int col = -1, row = -1;
  TRect r = grid->CellRect(1, 0);
  grid->MouseToCell(r.Left + 2, r.Top + 2, col, row);
  EXPECT_EQ(row, 0);
  EXPECT_EQ(col, 1);
  grid->SetFixedRows(1);
  EXPECT_EQ(grid->TopRow(), 1);
  EXPECT_EQ(grid->Cells(1, 0), "first");
}

TEST(StringGrid, ClientWidthIsTheCellAreaSoColumnsCanFillItExactly) {
  GridFixture f(50, 7, 120);
  f.grid->SetScrollBars(ssVertical);
  gui::Application->ProcessMessages();
  int client = f.grid->ClientWidth();
  EXPECT_LT(client, f.grid->Width());  // frame and vertical bar left out
  // Columns that add up to the client width fill it: no horizontal scrolling.
  int each = (client - 7) / 7;
  for (int c = 0; c < 7; ++c) f.grid->SetColWidths(c, c < 6 ? each : client - 7 - 6 * each);
  TRect last = f.grid->CellRect(6, 1);
  EXPECT_EQ(last.Right + f.grid->GridLineWidth(), f.grid->CellRect(0, 1).Left + client);
  EXPECT_EQ(f.grid->LeftCol(), 0);
}
