// The layout matrix, second half: Prepare turns the collected objects into
// the grid. Edges are sorted and merged into column and row boundaries,
// objects are painted into the cells in the order they were added (later
// ones cover earlier ones), empty rows may go, and Analyse gives every
// object one rectangle of cells, cutting partly covered objects into
// fragments.
#include <algorithm>
#include <cmath>
#include <string>

#include "export/vuzExportMatrix.h"
#include "report/vuzRes.h"

namespace report {

namespace {

constexpr TfrxFrameTypes kLeft = 1u << ftLeft, kRight = 1u << ftRight, kTop = 1u << ftTop, kBottom = 1u << ftBottom;

bool ByCoordinate(const TfrxIEMPos& a, const TfrxIEMPos& b) { return a.Coordinate < b.Coordinate; }

}  // namespace

void TfrxIEMatrix::Tick() {
  if (progress_ && vuzMatrixProgressHooks().Tick) vuzMatrixProgressHooks().Tick();
}

void TfrxIEMatrix::Prepare() {
  TfrxIEMProgressHooks& hooks = vuzMatrixProgressHooks();
  progress_ = ShowProgress && hooks.Start;
  if (progress_) hooks.Start(11, vuzResources().Get("ProgressWait"));
  struct Stop {
    TfrxIEMatrix* m;
    ~Stop() {
      if (m->progress_ && vuzMatrixProgressHooks().Stop) vuzMatrixProgressHooks().Stop();
      m->progress_ = false;
    }
  } stop{this};

  if (WhiteFill) {
    CheckObjectRoom(1);
    auto style = std::make_unique<TfrxIEMStyle>();
    style->Color = 0xFFFFFF;
    auto fill = std::make_unique<TfrxIEMObject>();
    fill->StyleId = AddStyleInternal(std::move(style));
    fill->CellStyle = styles_[static_cast<std::size_t>(fill->StyleId)].get();
    fill->Left = WhiteFillCropped ? MinObjectLeft : 0;
    fill->Top = WhiteFillCropped ? MinObjectTop : 0;
    fill->Width = MaxRight;
    fill->Height = MaxBottom;
    AddPos(XCoordinates, 0);
    AddPos(YCoordinates, 0);
    records_.emplace_front().Target = std::move(fill);
  }
  OrderByCells();
  ColumnCount = static_cast<int>(XCoordinates.size());
  RowCount = static_cast<int>(YCoordinates.size());
  Render();
  if (!EmptyLines) {
    // Every empty row but the last goes; the rows below move up by its height.
    std::vector<char> empty(static_cast<std::size_t>(RowCount), 0);
    for (int r = 0; r + 1 < RowCount; ++r) {
      const auto row = cells_.begin() + static_cast<std::ptrdiff_t>(r) * ColumnCount;
      empty[static_cast<std::size_t>(r)] = std::all_of(row, row + ColumnCount, [](std::int32_t v) { return v == -1; });
    }
    long double shift = 0;
    int kept = 0;
    for (int r = 0; r < RowCount; ++r) {
      const std::size_t ur = static_cast<std::size_t>(r);
      if (empty[ur]) {
        shift += YCoordinates[ur + 1].Coordinate - YCoordinates[ur].Coordinate;
        continue;
      }
      YCoordinates[static_cast<std::size_t>(kept)].Coordinate = YCoordinates[ur].Coordinate - shift;
      if (kept != r)
        std::copy_n(cells_.begin() + static_cast<std::ptrdiff_t>(r) * ColumnCount, ColumnCount,
                    cells_.begin() + static_cast<std::ptrdiff_t>(kept) * ColumnCount);
      ++kept;
    }
    YCoordinates.resize(static_cast<std::size_t>(kept));
    cells_.resize(static_cast<std::size_t>(kept) * static_cast<std::size_t>(ColumnCount));
    RowCount = kept;
  }
  Analyse();
  if (FrameOptimization) OptimizeFrames();
}

bool TfrxIEMatrix::QuickFind(const std::vector<TfrxIEMPos>& list, long double value, int& index) {
  int lo = 0, hi = static_cast<int>(list.size()) - 1;
  bool found = false;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    const long double c = list[static_cast<std::size_t>(mid)].Coordinate;
    if (c >= value) {
      hi = mid - 1;
      if (c == value) {
        lo = mid;
        found = true;
        break;
      }
    } else {
      lo = mid + 1;
    }
  }
  index = lo;
  return found;
}

void TfrxIEMatrix::OrderPosArray(std::vector<TfrxIEMPos>& list, bool vertical) {
  std::sort(list.begin(), list.end(), ByCoordinate);
  Tick();
  // Of a run of edges each closer than Inaccuracy to the next only the last
  // survives. Equal edges always become one: a boundary of zero width would
  // give objects with the same edge different columns.
  const long double inaccuracy = std::isnan(Inaccuracy) ? 0 : Inaccuracy;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const bool last = i + 1 == list.size();
    if (!last) {
      const long double next = list[i + 1].Coordinate, here = list[i].Coordinate;
      if (next == here || inaccuracy > next - here) continue;
    }
    list[kept++] = list[i];
  }
  list.resize(kept);
  Tick();

  // Over-large gaps are split by points strictly inside them: a point on the
  // far edge itself would make a boundary of zero height.
  const long double limit = vertical ? MaxRowHeight : MaxColumnWidth;
  bool split = false;
  if (limit > 0 && !std::isnan(limit)) {
    const std::size_t pairs = list.size() > 0 ? list.size() - 1 : 0;
    for (std::size_t i = 0; i < pairs; ++i) {
      const long double from = list[i].Coordinate, to = list[i + 1].Coordinate;
      if (to - from <= limit) continue;
      split = true;
      const long double steps = std::ceil((to - from) / limit) - 1;
      if (static_cast<long double>(list.size()) + steps > kMaxMatrixCoordinates)
        throw EMatrixLimit("Splitting the export layout's " + std::string(vertical ? "rows" : "columns") +
                           " gives more than " + std::to_string(kMaxMatrixCoordinates) + " edges");
      for (long double k = 1; k <= steps; ++k) {
        const long double v = from + k * limit;
        if (v >= to) break;
        list.push_back({v});
      }
    }
  }
  Tick();
  Tick();
  if (split) std::sort(list.begin(), list.end(), ByCoordinate);
}

void TfrxIEMatrix::OrderByCells() {
  OrderPosArray(XCoordinates, false);
  OrderPosArray(YCoordinates, true);
  // The first coordinate at or past the far edge ends the span; the last
  // coordinate is the furthest a span reaches.
  auto place = [](const std::vector<TfrxIEMPos>& list, long double start, long double size, int& cell, int& span) {
    int k = 0;
    QuickFind(list, start, k);
    const int count = static_cast<int>(list.size());
    if (k >= count) return;
    cell = k;
    const long double end = start + size;
    if (!(start < end) || k == count - 1) {
      span = 0;
      return;
    }
    auto it = std::lower_bound(list.begin() + k + 1, list.end(), TfrxIEMPos{end}, ByCoordinate);
    const int j = it == list.end() ? count - 1 : static_cast<int>(it - list.begin());
    span = j - k;
  };
  for (TfrxIEMObjectList& r : records_) {
    const TfrxIEMObject& o = *r.Target;
    place(XCoordinates, o.Left, o.Width, r.CellX, r.SpanX);
    place(YCoordinates, o.Top, o.Height, r.CellY, r.SpanY);
  }
  Tick();
}

void TfrxIEMatrix::SetCell(int column, int row, int value) {
  if (column < 0 || row < 0 || column >= ColumnCount || row >= RowCount) return;
  cells_[static_cast<std::size_t>(column) + static_cast<std::size_t>(row) * ColumnCount] = value;
}

void TfrxIEMatrix::FillArea(int column, int row, int columns, int rows, int value) {
  const int x0 = std::max(column, 0), y0 = std::max(row, 0);
  const int x1 = static_cast<int>(std::min<std::int64_t>(static_cast<std::int64_t>(column) + columns, ColumnCount));
  const int y1 = static_cast<int>(std::min<std::int64_t>(static_cast<std::int64_t>(row) + rows, RowCount));
  for (int y = y0; y < y1; ++y) {
    auto begin = cells_.begin() + static_cast<std::ptrdiff_t>(y) * ColumnCount;
    std::fill(begin + x0, begin + std::max(x0, x1), value);
  }
}

void TfrxIEMatrix::Render() {
  const std::int64_t cells = static_cast<std::int64_t>(ColumnCount) * RowCount;
  if (cells > kMaxMatrixCells)
    throw EMatrixLimit("The export layout needs " + std::to_string(ColumnCount) + " x " + std::to_string(RowCount) +
                       " cells, more than " + std::to_string(kMaxMatrixCells));
  cells_.assign(static_cast<std::size_t>(cells), -1);
  std::int64_t painted = 0;
  for (int id = 0; id < RecordCount(); ++id) {
    TfrxIEMObjectList& r = records_[static_cast<std::size_t>(id)];
    TfrxIEMObject& o = *r.Target;
    // A transparent object over a coloured one takes the colour beneath its
    // top-left cell, unless that is its own text colour.
    if (o.CellStyle && o.CellStyle->Color == clTransparent) {
      const int under = GetCell(r.CellX, r.CellY);
      const TfrxIEMStyle* beneath = under >= 0 ? records_[static_cast<std::size_t>(under)].Target->CellStyle : nullptr;
      if (beneath && beneath->Color != o.CellStyle->Color && beneath->Color != o.CellStyle->Font->Color()) {
        auto copy = std::make_unique<TfrxIEMStyle>();
        copy->Assign(*o.CellStyle);
        copy->Color = beneath->Color;
        o.StyleId = AddStyleInternal(std::move(copy));
        o.CellStyle = styles_[static_cast<std::size_t>(o.StyleId)].get();
      }
    }
    painted += static_cast<std::int64_t>(std::max(r.SpanX, 0)) * std::max(r.SpanY, 0);
    if (painted > kMaxMatrixPaint)
      throw EMatrixLimit("The export layout's objects overlap too much (more than " + std::to_string(kMaxMatrixPaint) +
                         " cells to paint)");
    FillArea(r.CellX, r.CellY, r.SpanX, r.SpanY, id);
  }
  Tick();
}

void TfrxIEMatrix::DeleteMatrixLine(int row) {
  if (row < 0 || row >= RowCount) return;
  const std::size_t ur = static_cast<std::size_t>(row);
  const long double h = row < RowCount - 1 ? YCoordinates[ur + 1].Coordinate - YCoordinates[ur].Coordinate : 0;
  for (std::size_t i = ur + 1; i < YCoordinates.size(); ++i) YCoordinates[i].Coordinate -= h;
  YCoordinates.erase(YCoordinates.begin() + row);
  const auto begin = cells_.begin() + static_cast<std::ptrdiff_t>(row) * ColumnCount;
  cells_.erase(begin, begin + ColumnCount);
  --RowCount;
}

void TfrxIEMatrix::FindRectArea(int x, int y, int& w, int& h) const {
  const int v = GetCell(x, y);
  w = 0;
  int r = y;
  while (r < RowCount && GetCell(x, r) == v) {
    int c = x;
    while (c < ColumnCount && GetCell(c, r) == v) ++c;
    const int width = c - x;
    if (w == 0)
      w = width;
    else if (width < w)
      break;
    ++r;
  }
  h = r - y;
}

void TfrxIEMatrix::Analyse() {
  for (int y = 0; y < RowCount; ++y) {
    for (int x = 0; x < ColumnCount; ++x) {
      const int id = cells_[static_cast<std::size_t>(x) + static_cast<std::size_t>(y) * ColumnCount];
      if (id < 0) continue;
      TfrxIEMObjectList& r = records_[static_cast<std::size_t>(id)];
      if (r.Settled) continue;
      int w = 0, h = 0;
      FindRectArea(x, y, w, h);
      if (r.SpanX == w && r.SpanY == h) {
        r.CellX = x;
        r.CellY = y;
      }
      if (r.CellX == x && r.CellY == y && r.SpanX == w && r.SpanY == h)
        r.Settled = true;
      else
        CutObject(id, x, y, w, h);
    }
  }
  // A cut object whose visible fragments all start beyond its first two
  // thirds would keep its text and picture in no cell at all: they go to
  // its first fragment instead of being lost.
  for (const auto& [cut, first] : firstFragment_) {
    TfrxIEMObject& o = *records_[static_cast<std::size_t>(cut)].Target;
    if (o.Memo.Count() == 0 && !o.GetImage() && !o.LinkedObject) continue;
    MoveContent(o, *records_[static_cast<std::size_t>(first)].Target);
  }
  firstFragment_.clear();
  Tick();
}

void TfrxIEMatrix::MoveContent(TfrxIEMObject& from, TfrxIEMObject& to) {
  to.SetImage(from.GetImage());
  to.LinkedObject = from.LinkedObject;
  to.IsTextObject = from.IsTextObject;
  to.Memo.Assign(from.Memo);
  from.Memo.Clear();
  from.IsTextObject = true;
  from.LinkedObject = nullptr;
  from.SetImage(nullptr);
}

void TfrxIEMatrix::CutObject(int id, int x, int y, int w, int h) {
  TfrxIEMObject& o = *records_[static_cast<std::size_t>(id)].Target;
  auto f = std::make_unique<TfrxIEMObject>();
  f->StyleId = o.StyleId;
  f->CellStyle = o.CellStyle;
  f->Left = GetXPosById(x);
  f->Top = GetYPosById(y);
  f->Width = GetXPosById(x + w) - f->Left;
  f->Height = GetYPosById(y + h) - f->Top;
  f->CutFrom = &o;
  f->IsTextObject = o.IsTextObject;
  f->IsRichTextObject = o.IsRichTextObject;
  f->AllowHTMLTags = o.AllowHTMLTags;
  // The content goes to the first fragment that starts in the object's
  // upper-left two thirds.
  if (o.Top + o.Height - f->Top > o.Height / 3 && o.Left + o.Width - f->Left > o.Width / 3) MoveContent(o, *f);
  const int j = AddInternalObject(std::move(f), x, y, w, h);
  firstFragment_.emplace(id, j);
  ReplaceArea(id, x, y, w, h, j);
  CloneFrames(id, j);
  records_[static_cast<std::size_t>(j)].Settled = true;
}

int TfrxIEMatrix::AddInternalObject(std::unique_ptr<TfrxIEMObject> object, int column, int row, int columns, int rows) {
  CheckObjectRoom(1);
  TfrxIEMObjectList& record = records_.emplace_back();
  record.Target = std::move(object);
  record.CellX = column;
  record.CellY = row;
  record.SpanX = columns;
  record.SpanY = rows;
  return RecordCount() - 1;
}

void TfrxIEMatrix::ReplaceArea(int oldId, int x, int y, int w, int h, int newId) {
  const int y1 = std::min(y + h, RowCount), x1 = std::min(x + w, ColumnCount);
  for (int r = std::max(y, 0); r < y1; ++r)
    for (int c = std::max(x, 0); c < x1; ++c) {
      std::int32_t& cell = cells_[static_cast<std::size_t>(c) + static_cast<std::size_t>(r) * ColumnCount];
      if (cell == oldId) cell = newId;
    }
}

void TfrxIEMatrix::CloneFrames(int cutId, int fragmentId) {
  TfrxIEMObject& o = *records_[static_cast<std::size_t>(cutId)].Target;
  TfrxIEMObject& f = *records_[static_cast<std::size_t>(fragmentId)].Target;
  if (!o.CellStyle || !f.CellStyle) return;
  // A fragment keeps a side only where its edge lies on the object's edge.
  TfrxFrameTypes sides = 0;
  const TfrxFrameTypes was = o.CellStyle->FrameSides;
  if ((was & kTop) && f.Top == o.Top) sides |= kTop;
  if ((was & kLeft) && f.Left == o.Left) sides |= kLeft;
  if ((was & kBottom) && f.Top + f.Height == o.Top + o.Height) sides |= kBottom;
  if ((was & kRight) && f.Left + f.Width == o.Left + o.Width) sides |= kRight;
  if (sides == f.CellStyle->FrameSides) return;
  auto copy = std::make_unique<TfrxIEMStyle>();
  copy->Assign(*o.CellStyle);
  copy->FrameSides = sides;
  f.StyleId = AddStyleInternal(std::move(copy));
  f.CellStyle = styles_[static_cast<std::size_t>(f.StyleId)].get();
}

void TfrxIEMatrix::OptimizeFrames() {
  auto styleAt = [this](int x, int y, int& id) -> const TfrxIEMStyle* {
    id = GetCell(x, y);
    return id < 0 ? nullptr : records_[static_cast<std::size_t>(id)].Target->CellStyle;
  };
  for (int y = 0; y < RowCount; ++y) {
    for (int x = 0; x < ColumnCount; ++x) {
      int id = -1;
      const TfrxIEMStyle* style = styleAt(x, y, id);
      if (!style) continue;
      TfrxFrameTypes sides = style->FrameSides;
      auto doubled = [&](int nx, int ny, TfrxFrameTypes facing) {
        int other = -1;
        const TfrxIEMStyle* s = styleAt(nx, ny, other);
        return s && other != id && (s->FrameSides & facing) && s->FrameLineWidth == style->FrameLineWidth &&
               s->FrameLineColor == style->FrameLineColor;
      };
      if ((sides & kTop) && y > 0 && doubled(x, y - 1, kBottom)) sides &= ~kTop;
      if ((sides & kLeft) && x > 0 && doubled(x - 1, y, kRight)) sides &= ~kLeft;
      if (sides == style->FrameSides) continue;
      auto copy = std::make_unique<TfrxIEMStyle>();
      copy->Assign(*style);
      copy->FrameSides = sides;
      TfrxIEMObject& o = *records_[static_cast<std::size_t>(id)].Target;
      o.StyleId = AddStyleInternal(std::move(copy));
      o.CellStyle = styles_[static_cast<std::size_t>(o.StyleId)].get();
    }
  }
}

}  // namespace report
