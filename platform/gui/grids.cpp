#include "platform/gui/grids.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <algorithm>

#include "platform/gui/canvas_delegate_p.h"
#include "platform/gui/qt_bridge_p.h"

namespace gui {

using detail::Guarded;

// The model tells the view only how many rows and columns it publishes and
// answers for the cells the view paints. Grid row r is model row r - H, where
// H is 1 when row 0 is shown as the header.
class TStringGrid::Model : public QAbstractTableModel {
 public:
  explicit Model(TStringGrid* g) : grid(g) {}
  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows; }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : cols; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!grid) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
      return detail::ToQ(grid->Cells(index.column(), index.row() + grid->HeaderRows()));
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role == Qt::BackgroundRole && index.row() + grid->HeaderRows() < grid->fixedRows_)
      return detail::ToQColor(clBtnFace);
    return {};
  }
  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (!grid) return {};
    if (o == Qt::Horizontal && role == Qt::DisplayRole) return detail::ToQ(grid->Cells(section, 0));
    if (o == Qt::Horizontal && role == Qt::TextAlignmentRole) return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!grid) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled;
    if (index.row() + grid->HeaderRows() >= grid->fixedRows_) f |= Qt::ItemIsSelectable;
    if (grid->options_ & goEditing) f |= Qt::ItemIsEditable;
    return f;
  }
  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (role != Qt::EditRole || !grid) return false;
    grid->SetCells(index.column(), index.row() + grid->HeaderRows(), detail::FromQ(value.toString()));
    return true;
  }
  void Publish(int newRows, int newCols) {
    if (newCols > cols) {
      beginInsertColumns({}, cols, newCols - 1);
      cols = newCols;
      endInsertColumns();
    } else if (newCols < cols) {
      beginRemoveColumns({}, newCols, cols - 1);
      cols = newCols;
      endRemoveColumns();
    }
    if (newRows > rows) {
      beginInsertRows({}, rows, newRows - 1);
      rows = newRows;
      endInsertRows();
    } else if (newRows < rows) {
      beginRemoveRows({}, newRows, rows - 1);
      rows = newRows;
      endRemoveRows();
    }
  }
  void Refresh() {
    if (rows > 0 && cols > 0) emit dataChanged(index(0, 0), index(rows - 1, cols - 1), {Qt::DisplayRole});
    if (cols > 0) emit headerDataChanged(Qt::Horizontal, 0, cols - 1);
  }
  TStringGrid* grid;
  int rows = 0, cols = 0;
};

class TStringGrid::View : public QTableView {
 public:
  bool mousePressing = false;
  void ForceLayout() {
    executeDelayedItemsLayout();
    updateGeometries();
  }

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    // Only the left button moves the current cell and the selection: a
    // right-click keeps a range selected for the context menu to copy.
    if (e->button() != Qt::LeftButton) {
      e->accept();
      return;
    }
    mousePressing = true;
    QTableView::mousePressEvent(e);
    mousePressing = false;
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() != Qt::LeftButton) {
      e->accept();
      return;
    }
    QTableView::mouseReleaseEvent(e);
  }
};

TStringGrid::TStringGrid(TComponent* owner) : TControl(owner) {
  model_ = new Model(this);
  view_ = new View;
  view_->setModel(model_);
  model_->setParent(view_);
  Attach(view_);
  RegisterInner(view_->viewport());
  RegisterInner(view_->horizontalHeader());
  view_->resize(320, 120);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  view_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  view_->setWordWrap(false);
  view_->setCornerButtonEnabled(false);
  view_->setTabKeyNavigation(false);
  QHeaderView* vh = view_->verticalHeader();
  vh->hide();
  vh->setSectionResizeMode(QHeaderView::Fixed);
  vh->setMinimumSectionSize(1);
  QHeaderView* hh = view_->horizontalHeader();
  hh->setSectionResizeMode(QHeaderView::Interactive);
  hh->setMinimumSectionSize(1);
  hh->setHighlightSections(false);
  hh->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  hh->setSectionsClickable(false);
  cells_.resize(static_cast<std::size_t>(colCount_), std::vector<AnsiString>(static_cast<std::size_t>(rowCount_)));
  colWidths_.assign(static_cast<std::size_t>(colCount_), defaultColWidth_);
  SetDefaultRowHeight(defaultRowHeight_);
  ApplySelectionMode();
  auto* delegate = new detail::CanvasDelegate(view_);
  delegate->draw = [this](gfx::TCanvas& c, const QModelIndex& index, TRect rect, unsigned odState) {
    if (!OnDrawCell) return false;
    int row = index.row() + HeaderRows();
    unsigned state = 0;
    if (odState & detail::odSelected) state |= gdSelected;
    if (odState & detail::odFocused) state |= gdFocused;
    if (row < fixedRows_) state |= gdFixed;
    if (DefaultDrawing) c.TextRect(rect, rect.Left + 2, rect.Top + 2, Cells(index.column(), row));
    OnDrawCell(this, index.column(), row, rect, state);
    return true;
  };
  view_->setItemDelegate(delegate);
  delegate_ = delegate;

  QObject::connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, context_,
                   [this](const QModelIndex& now, const QModelIndex& before) {
                     if (now.row() == before.row() && now.column() == before.column()) return;
                     // A mouse press clicks once, when the button is released.
                     if (view_->mousePressing) return;
                     Guarded([&] {
                       if (OnClick) OnClick(this);
                     });
                   });
  QObject::connect(hh, &QHeaderView::sectionResized, context_, [this](int col, int, int size) {
    if (col >= 0 && col < static_cast<int>(colWidths_.size()))
      colWidths_[static_cast<std::size_t>(col)] = std::max(0, size - 1);
  });
  QObject::connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, context_, [this] {
    int top = TopRow();
    if (top == lastTop_) return;
    lastTop_ = top;
    Guarded([&] {
      if (OnTopLeftChanged) OnTopLeftChanged(this);
    });
  });
  Sync();
}

TStringGrid::~TStringGrid() {
  // The view is deleted later; it must not reach back into this grid.
  model_->grid = nullptr;
  static_cast<detail::CanvasDelegate*>(delegate_)->draw = nullptr;
}

gfx::TCanvas& TStringGrid::Canvas() { return static_cast<detail::CanvasDelegate*>(delegate_)->Canvas(); }

void TStringGrid::ApplySelectionMode() {
  view_->setSelectionBehavior(options_ & goRowSelect ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
  view_->setSelectionMode(options_ & goRangeSelect ? QAbstractItemView::ContiguousSelection
                                                   : QAbstractItemView::SingleSelection);
  view_->setShowGrid(options_ & (goHorzLine | goVertLine));
  view_->setEditTriggers(options_ & goEditing ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                                    QAbstractItemView::AnyKeyPressed
                                              : QAbstractItemView::NoEditTriggers);
  view_->horizontalHeader()->setSectionResizeMode(options_ & goColSizing ? QHeaderView::Interactive
                                                                         : QHeaderView::Fixed);
}

void TStringGrid::SetOptions(TGridOptions o) {
  options_ = o;
  ApplySelectionMode();
}

void TStringGrid::Sync() const {
  auto* self = const_cast<TStringGrid*>(this);
  int wantRows = std::max(0, rowCount_ - HeaderRows());
  int wantCols = colCount_;
  bool changed = model_->rows != wantRows || model_->cols != wantCols;
  if (model_->cols != wantCols) {
    model_->Publish(model_->rows, wantCols);
    QHeaderView* hh = view_->horizontalHeader();
    for (int c = 0; c < wantCols; ++c) hh->resizeSection(c, self->colWidths_[static_cast<std::size_t>(c)] + 1);
  }
  if (model_->rows != wantRows) model_->Publish(wantRows, wantCols);
  view_->horizontalHeader()->setVisible(fixedRows_ > 0);
  if (changed) view_->ForceLayout();
}

void TStringGrid::ScheduleFlush() {
  if (flushPending_) return;
  flushPending_ = true;
  QTimer::singleShot(0, context_, [this] {
    flushPending_ = false;
    Sync();
    model_->Refresh();
  });
}

void TStringGrid::InvalidateCells() { ScheduleFlush(); }

void TStringGrid::SetRowCount(int n) {
  n = std::max(0, n);
  if (n == rowCount_) return;
  rowCount_ = n;
  for (auto& col : cells_) col.resize(static_cast<std::size_t>(n));
  if (n < model_->rows + HeaderRows())
    Sync();  // a shrinking grid drops rows at once: the view must not ask for them
  else
    ScheduleFlush();
}

void TStringGrid::SetColCount(int n) {
  n = std::max(0, n);
  if (n == colCount_) return;
  colCount_ = n;
  cells_.resize(static_cast<std::size_t>(n), std::vector<AnsiString>(static_cast<std::size_t>(rowCount_)));
  colWidths_.resize(static_cast<std::size_t>(n), defaultColWidth_);
  Sync();
}

void TStringGrid::SetFixedRows(int n) {
  n = std::max(0, n);
  if (n == fixedRows_) return;
  // The published rows depend on whether row 0 is the header: start afresh.
  model_->Publish(0, model_->cols);
  fixedRows_ = n;
  Sync();
  ScheduleFlush();
}

void TStringGrid::SetDefaultRowHeight(int h) {
  defaultRowHeight_ = std::max(1, h);
  view_->verticalHeader()->setDefaultSectionSize(Pitch());
  view_->horizontalHeader()->setFixedHeight(Pitch());
}

void TStringGrid::SetDefaultColWidth(int w) {
  defaultColWidth_ = w;
  std::fill(colWidths_.begin(), colWidths_.end(), w);
  for (int c = 0; c < model_->cols; ++c) view_->horizontalHeader()->resizeSection(c, w + 1);
}

int TStringGrid::ColWidths(int col) const {
  return col >= 0 && col < colCount_ ? colWidths_[static_cast<std::size_t>(col)] : defaultColWidth_;
}

void TStringGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= colCount_) return;
  colWidths_[static_cast<std::size_t>(col)] = std::max(0, width);
  Sync();
  view_->horizontalHeader()->resizeSection(col, std::max(0, width) + 1);
}

AnsiString TStringGrid::Cells(int col, int row) const {
  if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_) return {};
  if (OnGetCellText) return OnGetCellText(col, row);
  return cells_[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)];
}

void TStringGrid::SetCells(int col, int row, const AnsiString& text) {
  if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_) return;
  cells_[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)] = text;
  ScheduleFlush();
}

std::vector<AnsiString> TStringGrid::RowCells(int row) const {
  std::vector<AnsiString> v;
  for (int c = 0; c < colCount_; ++c) v.push_back(Cells(c, row));
  return v;
}

void TStringGrid::SetRowCells(int row, const std::vector<AnsiString>& cells) {
  for (int c = 0; c < colCount_ && c < static_cast<int>(cells.size()); ++c)
    SetCells(c, row, cells[static_cast<std::size_t>(c)]);
}

std::vector<AnsiString> TStringGrid::ColCells(int col) const {
  std::vector<AnsiString> v;
  for (int r = 0; r < rowCount_; ++r) v.push_back(Cells(col, r));
  return v;
}

int TStringGrid::Row() const {
  Sync();
  QModelIndex i = view_->selectionModel()->currentIndex();
  return i.isValid() ? i.row() + HeaderRows() : std::min(fixedRows_, rowCount_ - 1);
}

int TStringGrid::Col() const {
  Sync();
  QModelIndex i = view_->selectionModel()->currentIndex();
  return i.isValid() ? i.column() : 0;
}

void TStringGrid::SetRow(int r) {
  Sync();
  int m = r - HeaderRows();
  if (m < 0 || m >= model_->rows || r < fixedRows_) return;
  noSelection_ = false;
  int c = std::max(0, Col());
  auto flags = QItemSelectionModel::ClearAndSelect |
               (options_ & goRowSelect ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate);
  view_->selectionModel()->setCurrentIndex(model_->index(m, std::min(c, model_->cols - 1)), flags);
}

void TStringGrid::SetCol(int c) {
  Sync();
  if (c < 0 || c >= model_->cols) return;
  int m = std::max(0, Row() - HeaderRows());
  if (m >= model_->rows) return;
  view_->selectionModel()->setCurrentIndex(
      model_->index(m, c), QItemSelectionModel::ClearAndSelect |
                               (options_ & goRowSelect ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
}

int TStringGrid::TopRow() const {
  Sync();
  return view_->verticalScrollBar()->value() + HeaderRows();
}

void TStringGrid::SetTopRow(int r) {
  Sync();
  view_->verticalScrollBar()->setValue(std::max(0, r - HeaderRows()));
}

namespace {
int ViewportHeight(const QTableView* v) {
  if (v->isVisible()) return v->viewport()->height();
  // A hidden view has not laid out its viewport: work it out.
  int h = v->height() - 2 * v->frameWidth();
  if (v->horizontalHeader()->isVisibleTo(const_cast<QTableView*>(v))) h -= v->horizontalHeader()->height();
  if (v->horizontalScrollBar()->isVisibleTo(const_cast<QTableView*>(v))) h -= v->horizontalScrollBar()->height();
  return h;
}
}  // namespace

void TStringGrid::SetScrollBars(TScrollStyle s) {
  scrollBars_ = s;
  view_->setHorizontalScrollBarPolicy(s == ssHorizontal || s == ssBoth ? Qt::ScrollBarAsNeeded
                                                                       : Qt::ScrollBarAlwaysOff);
  view_->setVerticalScrollBarPolicy(s == ssVertical || s == ssBoth ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

int TStringGrid::ClientWidth() const {
  Sync();
  if (view_->isVisible()) return view_->viewport()->width();
  int w = view_->width() - 2 * view_->frameWidth();
  if (view_->verticalScrollBar()->isVisibleTo(view_)) w -= view_->verticalScrollBar()->width();
  return std::max(0, w);
}

int TStringGrid::ClientHeight() const {
  Sync();
  int h = ViewportHeight(view_);
  if (view_->horizontalHeader()->isVisibleTo(view_)) h += view_->horizontalHeader()->height();
  return std::max(0, h);
}

int TStringGrid::VisibleRowCount() const {
  Sync();
  int fit = std::max(0, ViewportHeight(view_) / Pitch());
  return std::max(0, std::min(fit, rowCount_ - TopRow()));
}

int TStringGrid::LeftCol() const {
  Sync();
  int c = view_->columnAt(0);
  return c < 0 ? 0 : c;
}

int TStringGrid::VisibleColCount() const {
  Sync();
  int n = 0;
  int width = view_->viewport()->width();
  for (int c = LeftCol(); c < colCount_; ++c) {
    QRect r = view_->visualRect(model_->index(0, c));
    if (model_->rows == 0 || r.right() >= width) break;
    ++n;
  }
  return n;
}

TGridRect TStringGrid::Selection() const {
  Sync();
  if (noSelection_) return {-1, -1, -1, -1};
  QModelIndexList sel = view_->selectionModel()->selectedIndexes();
  if (sel.isEmpty()) {
    QModelIndex i = view_->selectionModel()->currentIndex();
    if (!i.isValid()) return {-1, -1, -1, -1};
    return {i.column(), i.row() + HeaderRows(), i.column(), i.row() + HeaderRows()};
  }
  TGridRect r{colCount_, rowCount_, -1, -1};
  for (const QModelIndex& i : sel) {
    r.Left = std::min(r.Left, i.column());
    r.Right = std::max(r.Right, i.column());
    r.Top = std::min(r.Top, i.row() + HeaderRows());
    r.Bottom = std::max(r.Bottom, i.row() + HeaderRows());
  }
  return r;
}

void TStringGrid::SetSelection(const TGridRect& r) {
  Sync();
  QItemSelectionModel* sm = view_->selectionModel();
  if (r.Left < 0 || r.Top < 0 || r.Right < 0 || r.Bottom < 0) {
    noSelection_ = true;
    sm->clearSelection();
    return;
  }
  noSelection_ = false;
  int h = HeaderRows();
  QModelIndex tl = model_->index(std::max(0, r.Top - h), std::max(0, r.Left));
  QModelIndex br = model_->index(std::min(model_->rows - 1, r.Bottom - h), std::min(model_->cols - 1, r.Right));
  if (!tl.isValid() || !br.isValid()) return;
  sm->select(QItemSelection(tl, br), QItemSelectionModel::ClearAndSelect);
}

void TStringGrid::MouseToCell(int x, int y, int& col, int& row) const {
  Sync();
  QPoint vp = view_->viewport()->mapFrom(view_, QPoint(x, y));
  col = view_->columnAt(vp.x());
  if (vp.y() < 0) {
    row = fixedRows_ > 0 && y >= 0 ? 0 : -1;
    return;
  }
  int m = view_->rowAt(vp.y());
  row = m < 0 ? -1 : m + HeaderRows();
}

TRect TStringGrid::CellRect(int col, int row) const {
  Sync();
  QRect r;
  if (row == 0 && fixedRows_ > 0) {
    QHeaderView* hh = view_->horizontalHeader();
    r = QRect(hh->sectionViewportPosition(col), 0, hh->sectionSize(col), hh->height());
    r.translate(hh->mapTo(view_, QPoint(0, 0)));
  } else {
    r = view_->visualRect(model_->index(row - HeaderRows(), col));
    if (!r.isValid()) return {};
    r.translate(view_->viewport()->mapTo(view_, QPoint(0, 0)));
  }
  return Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

}  // namespace gui
