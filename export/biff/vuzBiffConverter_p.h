// The converter behind vuzConvertMatrixToBiffSheet, open to its tests.
#pragma once
#include <memory>
#include <optional>

#include "export/biff/biffRecords.h"
#include "export/biff/vuzBiffConverter.h"
#include "export/biff/vuzBiffStyles.h"
#include "platform/rtl/strings.h"

namespace report {

class TfrxCustomProgress;
class TfrxIEMObject;

class TfrxBiffConverter {
 public:
  TfrxBiffConverter(const TfrxBiffPageOptions& options, bool showProgress);
  ~TfrxBiffConverter();

  // A new sheet with the block converted; a cancel keeps what was done.
  std::unique_ptr<TBiffSheet> GetSheet();
  bool Terminated() const { return terminated_; }
  void Convert(TBiffSheet& sheet);
  std::unique_ptr<TBiffCell> CreateCell(int row, int column, TfrxIEMObject* object, TfrxBiffStyles& styles);
  std::unique_ptr<TBiffCell> CreateTextCell(const TfrxIEMObject& object);
  // Nothing when the text holds no digit (the caller writes it as text).
  std::unique_ptr<TBiffCell> CreateNumberCell(const TfrxIEMObject& object);
  std::unique_ptr<TBiffCell> CreateFormulaCell(const TfrxIEMObject& object);
  std::unique_ptr<TBiffCell> CreateHTMLCell(const TfrxIEMObject& object, TfrxBiffStyles& styles);
  bool IsFormula(const TfrxIEMObject& object) const;
  static void SuppressEndingTrash(rtl::WideString& text);
  void MergeCells(TBiffSheet& sheet, int id);
  void SetColWidths(TBiffSheet& sheet);
  void SetRowHeights(TBiffSheet& sheet);
  double GetColWidth(int i) const;
  double GetRowHeight(int i) const;
  double GetColWidthFactor() const;
  static double GetRowHeightFactor() { return 15; }
  void AddImage(TBiffSheet& sheet, int id);
  // The block after the sheet's limits (read after Convert).
  const TfrxBiffPageOptions& Options() const { return o_; }

 private:
  void NormaliseBlock();
  void InitProgressBar(int count, const char* phase);
  void FreeProgressBar();
  void BreakIfTerminated() const;

  TfrxBiffPageOptions o_;
  bool showProgress_;
  std::unique_ptr<TfrxCustomProgress> progress_;
  bool terminated_ = false;
};

// The number a displayed text shows: the sign of a leading "-", the digits
// before the first decimal separator as the whole part and those after it as
// the fraction; every other character is dropped. Nothing without any digit.
std::optional<double> BiffNumberFromText(const rtl::WideString& text, char16_t decimalSeparator);

}  // namespace report
