// A worksheet: rows of cells (written in blocks of up to 32 rows, each with
// its DBCELL index), column widths, row heights, merged ranges, page breaks,
// margins, page setup, window and pictures. Also the workbook's table of
// sheet references for formulas and the formula cell.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "export/biff/biffRecords.h"
#include "export/biff/biffStream.h"
#include "export/biff/durEdivazu.h"
#include "export/vuzCryptoAssert.h"

namespace report {

// The last row and column index a sheet holds (65,536 rows, 256 columns).
inline constexpr int kBiffMaxRow = 65535;
inline constexpr int kBiffMaxCol = 255;

VUZ_DECLARE_EXCEPTION(EBiffCellOutOfRange, rtl::Exception)
VUZ_DECLARE_EXCEPTION(EBiffFormulaTooLong, rtl::Exception)

class TBiffWorkbook;
class TEscherGroup;
class TEscherShape;

enum TBiffSheetVisibility : std::uint8_t { svVisible, svHidden, svVeryHidden };

struct TBiffRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class TBiffSheet : public TBiffObject {
 public:
  explicit TBiffSheet(TBiffWorkbook* workbook);
  ~TBiffSheet() override;

  void AddCell(std::unique_ptr<TBiffCell> cell);
  TBiffRow* GetRow(int rowIndex);
  void SetColWidth(int col, int width);
  int GetColWidth(int col) const;
  void SetRowHeight(int row, int height);
  int GetRowHeight(int row);
  int LastRowIndex() const { return lastRow_; }
  void MergeCells(const TBiffRect& r);
  void AddPageBreak(int row) { pageBreaks_.push_back(row); }
  TEscherShape* AddDrawing();
  void AddColInfo(std::unique_ptr<TBiffColInfo> info) { colInfos_.Add(std::move(info)); }
  void Flush(TBiffStream& stream) override;

  int StringCellCount() const { return stringCells_.load(); }
  const TObjList<TBiffRow>& Rows() const { return rows_; }
  const std::vector<TBiffRect>& MergedRanges() const { return merged_; }
  TEscherGroup* DrawingGroup() const { return drawing_; }

  WideString Name = u"Sheet";
  int SheetType = 0;
  TBiffSheetVisibility Visibility = svVisible;
  double LeftMargin = 0, TopMargin = 0, RightMargin = 0, BottomMargin = 0;  // inches
  TBiffPageSetup PageSetup;
  TBiffWindow2 Window;
  TBiffRecord BoundSheetRecord;  // set by the workbook's Flush
  int FirstRow() const { return firstRow_; }
  int FirstCol() const { return firstCol_; }
  int LastCol() const { return lastCol_; }

 private:
  void FlushRowBlocks(TBiffStream& stream);
  void FlushDrawing(TBiffStream& stream);

  TBiffWorkbook* workbook_;
  TObjList<TBiffRow> rows_;
  TObjList<TBiffColInfo> colInfos_;
  std::vector<TBiffRect> merged_;
  TEscherGroup* drawing_ = nullptr;
  std::vector<int> pageBreaks_;
  std::atomic<int> stringCells_{0};
  int rowSearchStart_ = 0;
  int firstRow_ = -1, lastRow_ = -1, firstCol_ = -1, lastCol_ = -1;
};

// References of formulas to sheets by name (SUPBOOK and EXTERNSHEET).
// Formulas may be compiled on several threads at once: the table locks itself.
class TBiffLinkTable : public TBiffObject {
 public:
  // The reference index of the sheet name, a new entry when it is new.
  int GetInternalSheetRef(const AnsiString& sheetName);
  int GetRefsCount() const;
  void SetRefsCount(int n);
  int FindSheet(const AnsiString& sheetName) const;
  void SetSheetIndex(const AnsiString& sheetName, int sheetIndex);
  // Names of the references that matched no sheet when the workbook was flushed.
  std::vector<AnsiString> MissingSheets() const;
  void Flush(TBiffStream& stream) override;
  int SheetCount = 0;

 private:
  mutable std::mutex lock_;
  std::vector<AnsiString> names_;
  std::vector<int> indexes_;
  std::vector<bool> resolved_;
};

// The parsed expression of a FORMULA record shares one record with the cell's
// 22 bytes of position, format, value and flags; readers take no CONTINUE
// for it.
inline constexpr std::size_t kBiffMaxFormulaTokens = kBiffMaxRecordData - 22;
// Raises EBiffFormulaTooLong for more token bytes than that.
void BiffCheckFormulaSize(std::size_t tokenBytes);

class TBiffFormulaCell : public TBiffCell {
 public:
  // Raises EBiffFormulaTooLong when the tokens do not fit the record.
  explicit TBiffFormulaCell(std::string tokens);
  std::string Tokens;  // BIFF8 parsed-expression bytes
  void Flush(TBiffStream& stream) override;
};

}  // namespace report
