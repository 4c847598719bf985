// The string grid: a table of text cells with fixed caption rows, column
// widths, a current cell or row, range selection, scrolling by rows and
// hit-testing. The toolkit view asks for the text of the cells it paints
// only, so a grid of 21,707 rows costs one short string per cell (or none,
// when the cells come from OnGetCellText) and paints as fast as a small one.
#pragma once
#include <memory>
#include <vector>

#include "platform/gui/controls.h"

namespace gui {

enum TGridOption : unsigned {
  goFixedVertLine = 1u << 0,
  goFixedHorzLine = 1u << 1,
  goVertLine = 1u << 2,
  goHorzLine = 1u << 3,
  goRangeSelect = 1u << 4,
  goDrawFocusSelected = 1u << 5,
  goRowSizing = 1u << 6,
  goColSizing = 1u << 7,
  goRowMoving = 1u << 8,
  goColMoving = 1u << 9,
  goEditing = 1u << 10,
  goTabs = 1u << 11,
  goRowSelect = 1u << 12,
  goAlwaysShowEditor = 1u << 13,
  goThumbTracking = 1u << 14,
};
using TGridOptions = unsigned;

// A block of cells, inclusive; all -1 for no selection.
struct TGridRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

// What OnDrawCell is told about a cell (bits).
enum TGridDrawState : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TDrawCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, TRect Rect, unsigned State)>;

class TStringGrid : public TControl {
 public:
  explicit TStringGrid(TComponent* owner);
  ~TStringGrid() override;

  int RowCount() const { return rowCount_; }
  void SetRowCount(int n);
  int ColCount() const { return colCount_; }
  void SetColCount(int n);
  // The first FixedRows rows are captions that do not scroll (row 0 is shown
  // as the header); FixedCols is kept for callers, columns all scroll.
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int n);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int n) { fixedCols_ = n; }
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int h);
  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int w);
  int ColWidths(int col) const;
  void SetColWidths(int col, int width);
  int GridLineWidth() const { return 1; }

  // Cells[col][row]; cells outside the grid read as "".
  AnsiString Cells(int col, int row) const;
  void SetCells(int col, int row, const AnsiString& text);
  // All cells of a row (Rows[row]) and of a column (Cols[col]).
  std::vector<AnsiString> RowCells(int row) const;
  void SetRowCells(int row, const std::vector<AnsiString>& cells);
  std::vector<AnsiString> ColCells(int col) const;
  // Cells taken from a function instead of the grid's own store (nothing is
  // stored; the view asks only for what it shows). Cleared: back to Cells.
  std::function<AnsiString(int col, int row)> OnGetCellText;
  // Repaints after the data behind OnGetCellText changed.
  void InvalidateCells();

  TGridOptions Options() const { return options_; }
  void SetOptions(TGridOptions o);
  // ssVertical: never a horizontal bar (a list whose columns fill its width).
  void SetScrollBars(TScrollStyle s);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  // The area the cells are shown in: without the frame and the scroll bars
  // (and, for ClientHeight, with the caption row).
  int ClientWidth() const override;
  int ClientHeight() const override;

  // The current cell. Changing it (by code, keys or mouse) runs OnClick.
  int Row() const;
  void SetRow(int r);
  int Col() const;
  void SetCol(int c);
  // The first scrollable row shown, and how many scrollable rows are fully
  // visible from it.
  int TopRow() const;
  void SetTopRow(int r);
  int VisibleRowCount() const;
  int LeftCol() const;
  int VisibleColCount() const;
  TGridRect Selection() const;
  void SetSelection(const TGridRect& r);
  // The cell at a point of the control (-1 where there is none).
  void MouseToCell(int x, int y, int& col, int& row) const;
  TRect CellRect(int col, int row) const;

  TNotifyEvent OnTopLeftChanged;
  // Owner drawing of the scrollable cells on Canvas(): the rectangle is the
  // cell's own (from 0, 0) with its background filled and, with
  // DefaultDrawing, its text drawn already.
  TDrawCellEvent OnDrawCell;
  bool DefaultDrawing = true;
  gfx::TCanvas& Canvas();
  bool ClickOnMouseUp() const override { return true; }

  // Platform-internal: brings the view up to the grid's size now (it is
  // otherwise brought up once the current handler returns).
  void Sync() const;

 private:
  TScrollStyle scrollBars_ = ssBoth;
  class Model;
  class View;
  friend class Model;
  void ScheduleFlush();
  void ApplySelectionMode();
  int HeaderRows() const { return fixedRows_ > 0 ? 1 : 0; }
  int Pitch() const { return defaultRowHeight_ + 1; }

  int rowCount_ = 5, colCount_ = 5, fixedRows_ = 1, fixedCols_ = 0;
  int defaultRowHeight_ = 24, defaultColWidth_ = 64;
  TGridOptions options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
  std::vector<std::vector<AnsiString>> cells_;  // [col][row]
  std::vector<int> colWidths_;
  Model* model_ = nullptr;
  View* view_ = nullptr;
  void* delegate_ = nullptr;
  bool flushPending_ = false;
  bool noSelection_ = false;
  int lastTop_ = -1;
};

}  // namespace gui
