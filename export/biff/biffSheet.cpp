#include "export/biff/biffSheet.h"

#include <algorithm>
#include <cstring>

#include "export/biff/biffEscher.h"
#include "export/biff/biffWorkbook.h"
#include "platform/rtl/format.h"
#include "platform/rtl/variant.h"

namespace report {

namespace {

constexpr const char* kUnit = "biffSheet";

void U16Record(TBiffStream& stream, int id, std::uint32_t value) { stream.Add(id).WriteConst(value, 2); }

void DoubleRecord(TBiffStream& stream, int id, double value) { stream.Add(id).WriteDouble(value); }

}  // namespace

TBiffSheet::TBiffSheet(TBiffWorkbook* workbook) : workbook_(workbook) {}
TBiffSheet::~TBiffSheet() = default;

void TBiffSheet::AddCell(std::unique_ptr<TBiffCell> cell) {
  const int row = cell->Row, col = cell->Col;
  // The records hold 16-bit positions: a row beyond the last would wrap onto
  // another cell (65,536 onto A1), a column beyond IV makes readers fail.
  if (row < 0 || row > kBiffMaxRow)
    throw EBiffCellOutOfRange(rtl::Format("Row %d is outside the sheet (0 to %d)", {row, kBiffMaxRow}));
  if (col < 0 || col > kBiffMaxCol)
    throw EBiffCellOutOfRange(rtl::Format("Column %d is outside the sheet (0 to %d)", {col, kBiffMaxCol}));
  const bool text = dynamic_cast<TBiffTextCell*>(cell.get()) != nullptr;
  int i = rows_.Count() - 1;
  while (i >= 0 && rows_[i]->Index > row) --i;
  if (i >= 0 && rows_[i]->Index == row) {
    TBiffRow* r = rows_[i];
    r->FirstCol = std::min(r->FirstCol, col);
    r->LastCol = std::max(r->LastCol, col);
    r->Cells.Add(std::move(cell));
  } else {
    auto r = std::make_unique<TBiffRow>();
    r->Index = row;
    r->FirstCol = r->LastCol = col;
    r->Cells.Add(std::move(cell));
    rows_.Insert(i + 1, std::move(r));
  }
  if (firstRow_ == -1 || row < firstRow_) firstRow_ = row;
  if (lastRow_ == -1 || row > lastRow_) lastRow_ = row;
  if (firstCol_ == -1 || col < firstCol_) firstCol_ = col;
  if (lastCol_ == -1 || col > lastCol_) lastCol_ = col;
  if (text) ++stringCells_;
}

TBiffRow* TBiffSheet::GetRow(int rowIndex) {
  const int count = rows_.Count();
  for (int n = 0; n < count; ++n) {
    const int at = (rowSearchStart_ + n) % count;
    if (rows_[at]->Index == rowIndex) {
      rowSearchStart_ = at + 1;
      return rows_[at];
    }
  }
  return nullptr;
}

void TBiffSheet::SetColWidth(int col, int width) {
  if (col < 0 || col > 254) return;
  colInfos_.Add(std::make_unique<TBiffColInfo>(col, 15, width));
}

int TBiffSheet::GetColWidth(int col) const {
  for (int i = colInfos_.Count() - 1; i >= 0; --i)
    if (colInfos_[i]->FirstCol <= col && col <= colInfos_[i]->LastCol) return colInfos_[i]->Width;
  return 0;
}

void TBiffSheet::SetRowHeight(int row, int height) {
  if (row < 0 || row > 65534) return;
  TBiffRow* r = GetRow(row);
  if (!r) {
    auto blank = std::make_unique<TBiffCell>();
    blank->Row = row;
    blank->Col = 0;
    AddCell(std::move(blank));
    r = GetRow(row);
  }
  r->Height = height;
}

int TBiffSheet::GetRowHeight(int row) {
  TBiffRow* r = GetRow(row);
  return r ? r->Height : 0;
}

void TBiffSheet::MergeCells(const TBiffRect& r) {
  VUZ_ASSERT(r.Left <= r.Right && r.Top <= r.Bottom, "", kUnit);
  if (r.Left == r.Right && r.Top == r.Bottom) return;
  merged_.push_back(r);
}

TEscherShape* TBiffSheet::AddDrawing() {
  if (!drawing_) drawing_ = workbook_->AddDrawingGroup();
  return workbook_->AddShape(drawing_);
}

void TBiffSheet::FlushRowBlocks(TBiffStream& stream) {
  int start = 0;
  while (start < rows_.Count()) {
    int end = start;
    const int limit = rows_[start]->Index + 31;
    while (end < rows_.Count() && rows_[end]->Index <= limit) ++end;
    for (int i = start; i < end; ++i) {
      rows_[i]->RowPosition = stream.GetSize();
      rows_[i]->Flush(stream);
    }
    for (int i = start; i < end; ++i) {
      TBiffRow* r = rows_[i];
      r->CellPosition = stream.GetSize();
      for (const auto& cell : r->Cells) cell->Flush(stream);
    }
    const std::int64_t dbcell = stream.GetSize();
    TBiffRecord rec = stream.Add(0x00D7);
    std::string payload;
    auto put = [&payload](std::uint32_t v, int n) {
      for (int k = 0; k < n; ++k) payload += static_cast<char>((v >> (8 * k)) & 0xFF);
    };
    put(static_cast<std::uint32_t>(dbcell - rows_[start]->RowPosition), 4);
    for (int i = start; i < end; ++i) {
      const std::int64_t offset = i == start ? rows_[i]->CellPosition - (rows_[i]->RowPosition + 20)
                                             : rows_[i]->CellPosition - rows_[i - 1]->CellPosition;
      put(static_cast<std::uint32_t>(offset), 2);
    }
    rec.Write(payload.data(), static_cast<int>(payload.size()));
    start = end;
  }
}

// Each picture's shape container goes into its own MSODRAWING record followed
// by its OBJ record: readers pair an object with the drawing bytes before it,
// so objects written after one record of all shapes would be lost.
void TBiffSheet::FlushDrawing(TBiffStream& stream) {
  TEscherStream drawing;
  drawing_->Flush(drawing);
  rtl::TMemoryStream bytes;
  drawing.Flush(bytes);
  const int count = drawing_->Count();
  // The shape containers end the drawing: find where each one ends.
  std::vector<std::int64_t> ends(static_cast<std::size_t>(count));
  std::int64_t end = bytes.Size();
  for (int i = count - 1; i >= 0; --i) {
    ends[static_cast<std::size_t>(i)] = end;
    TEscherStream one;
    drawing_->GetShape(i)->Flush(one);
    rtl::TMemoryStream shape;
    one.Flush(shape);
    end -= shape.Size();
  }
  std::int64_t from = 0;
  for (int i = 0; i < count; ++i) {
    const std::int64_t to = ends[static_cast<std::size_t>(i)];
    stream.Add(0x00EC).Write(bytes.Memory() + from, static_cast<int>(to - from));
    from = to;
    TBiffRecord obj = stream.Add(0x005D);
    // Each object needs its own id.
    const auto id = static_cast<std::uint16_t>(i + 1);
    const std::uint16_t words[] = {0x0015, 18, 8, id, 0, 0, 0, 0, 0, 0, 0, 0x0007, 2, 0xFFFF, 0x0008, 2, 0};
    obj.Write(words, sizeof words);
  }
}

void TBiffSheet::Flush(TBiffStream& stream) {
  stream.AddBOF(0x0010);
  U16Record(stream, 0x000D, 1);
  U16Record(stream, 0x000C, 100);
  U16Record(stream, 0x000F, 1);
  U16Record(stream, 0x0011, 0);
  DoubleRecord(stream, 0x0010, 0.001);
  U16Record(stream, 0x005F, 1);
  U16Record(stream, 0x002A, 0);
  U16Record(stream, 0x002B, 0);
  U16Record(stream, 0x0082, 1);
  stream.Add(0x0080).WriteZeros(8);
  TBiffRecord defHeight = stream.Add(0x0225);
  defHeight.WriteConst(0, 2);
  defHeight.WriteConst(300, 2);
  U16Record(stream, 0x0081, 0x00C1);
  if (!pageBreaks_.empty()) {
    TBiffRecord r = stream.Add(0x001B);
    r.WriteConst(static_cast<std::uint32_t>(pageBreaks_.size()), 2);
    for (int row : pageBreaks_) {
      r.WriteConst(static_cast<std::uint32_t>(row), 2);
      r.WriteConst(0, 2);
      r.WriteConst(254, 2);
    }
  }
  stream.Add(0x0014);
  stream.Add(0x0015);
  U16Record(stream, 0x0083, 0);
  U16Record(stream, 0x0084, 0);
  DoubleRecord(stream, 0x0026, LeftMargin);
  DoubleRecord(stream, 0x0028, TopMargin);
  DoubleRecord(stream, 0x0027, RightMargin);
  DoubleRecord(stream, 0x0029, BottomMargin);
  PageSetup.Flush(stream);
  U16Record(stream, 0x0055, 8);
  FlushList(colInfos_, stream);
  TBiffRecord dims = stream.Add(0x0200);
  dims.WriteConst(static_cast<std::uint32_t>(std::max(firstRow_, 0)), 4);
  dims.WriteConst(static_cast<std::uint32_t>(lastRow_ + 1), 4);
  dims.WriteConst(static_cast<std::uint32_t>(std::max(firstCol_, 0)), 2);
  dims.WriteConst(static_cast<std::uint32_t>(lastCol_ + 1), 2);
  dims.WriteConst(0, 2);
  FlushRowBlocks(stream);
  if (drawing_) FlushDrawing(stream);
  Window.Flush(stream);
  for (std::size_t first = 0; first < merged_.size(); first += 1026) {
    const std::size_t count = std::min<std::size_t>(1026, merged_.size() - first);
    TBiffRecord r = stream.Add(0x00E5);
    r.WriteConst(static_cast<std::uint32_t>(count), 2);
    for (std::size_t k = first; k < first + count; ++k) {
      const TBiffRect& m = merged_[k];
      r.WriteConst(static_cast<std::uint32_t>(m.Top), 2);
      r.WriteConst(static_cast<std::uint32_t>(m.Bottom), 2);
      r.WriteConst(static_cast<std::uint32_t>(m.Left), 2);
      r.WriteConst(static_cast<std::uint32_t>(m.Right), 2);
    }
  }
  stream.AddEOF();
}

// --- link table ----------------------------------------------------------------

int TBiffLinkTable::GetInternalSheetRef(const AnsiString& sheetName) {
  std::lock_guard<std::mutex> hold(lock_);
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (names_[i] == sheetName) return static_cast<int>(i);
  names_.push_back(sheetName);
  indexes_.push_back(0);
  resolved_.push_back(false);
  return static_cast<int>(names_.size()) - 1;
}

int TBiffLinkTable::GetRefsCount() const {
  std::lock_guard<std::mutex> hold(lock_);
  return static_cast<int>(names_.size());
}

void TBiffLinkTable::SetRefsCount(int n) {
  std::lock_guard<std::mutex> hold(lock_);
  names_.resize(static_cast<std::size_t>(n));
  indexes_.resize(static_cast<std::size_t>(n));
  resolved_.resize(static_cast<std::size_t>(n));
}

int TBiffLinkTable::FindSheet(const AnsiString& sheetName) const {
  std::lock_guard<std::mutex> hold(lock_);
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (names_[i] == sheetName) return static_cast<int>(i);
  return static_cast<int>(names_.size());
}

void TBiffLinkTable::SetSheetIndex(const AnsiString& sheetName, int sheetIndex) {
  std::lock_guard<std::mutex> hold(lock_);
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (names_[i] == sheetName) {
      indexes_[i] = sheetIndex;
      resolved_[i] = true;
    }
}

std::vector<AnsiString> TBiffLinkTable::MissingSheets() const {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<AnsiString> missing;
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (!resolved_[i]) missing.push_back(names_[i]);
  return missing;
}

void TBiffLinkTable::Flush(TBiffStream& stream) {
  std::lock_guard<std::mutex> hold(lock_);
  TBiffRecord supbook = stream.Add(0x01AE);
  supbook.WriteConst(static_cast<std::uint32_t>(SheetCount), 2);
  supbook.WriteConst(0x0401, 2);
  TBiffRecord extern_ = stream.Add(0x0017);
  extern_.WriteConst(static_cast<std::uint32_t>(names_.size()), 2);
  for (std::size_t i = 0; i < names_.size(); ++i) {
    // A sheet that does not exist is a deleted sheet (#REF!), never the first one.
    const std::uint32_t index = resolved_[i] ? static_cast<std::uint32_t>(indexes_[i]) : 0xFFFFu;
    extern_.WriteConst(0, 2);
    extern_.WriteConst(index, 2);
    extern_.WriteConst(index, 2);
  }
}

void BiffCheckFormulaSize(std::size_t tokenBytes) {
  if (tokenBytes > kBiffMaxFormulaTokens)
    throw EBiffFormulaTooLong(
        rtl::Format("Formula too long: %d bytes of tokens, at most %d fit the record",
                    {static_cast<std::int64_t>(tokenBytes), static_cast<std::int64_t>(kBiffMaxFormulaTokens)}));
}

TBiffFormulaCell::TBiffFormulaCell(std::string tokens) : Tokens(std::move(tokens)) {
  BiffCheckFormulaSize(Tokens.size());
}

void TBiffFormulaCell::Flush(TBiffStream& stream) {
  std::string payload;
  auto put = [&payload](std::uint32_t v, int n) {
    for (int k = 0; k < n; ++k) payload += static_cast<char>((v >> (8 * k)) & 0xFF);
  };
  put(static_cast<std::uint32_t>(Row), 2);
  put(static_cast<std::uint32_t>(Col), 2);
  put(static_cast<std::uint32_t>(XF), 2);
  put(0, 4);
  put(0, 4);
  put(0, 2);
  put(0, 4);
  put(static_cast<std::uint32_t>(Tokens.size()), 2);
  payload += Tokens;
  stream.Add(0x0006).Write(payload.data(), static_cast<int>(payload.size()));
}

}  // namespace report
