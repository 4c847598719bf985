// The thin layer through which the spreadsheet export drives a spreadsheet
// application by late-bound automation calls: it starts the application
// (the server registered as "Excel.Application"), keeps the new workbook,
// its first sheet and the range being worked on, and packs many cell
// addresses into one call for row heights, styles, frames, number formats
// and merges.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/strings.h"
#include "platform/rtl/variant.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassView.h"

namespace report {

class TfrxCustomProgress;

// The longest range text the application takes in one call.
inline constexpr std::size_t kExcelMaxRangeText = 255;

// Address lists of the grouped operations: an address with a 32-bit value,
// kept sorted by value (stable: equal values keep the order of adding).
struct TExcelAddress {
  AnsiString Address;
  std::int32_t Value = 0;
};
class TExcelAddressList {
 public:
  void Add(const AnsiString& address, std::int32_t value) { items_.push_back({address, value}); }
  void Sort();
  int Count() const { return static_cast<int>(items_.size()); }
  const TExcelAddress& operator[](int i) const { return items_[static_cast<std::size_t>(i)]; }

 private:
  std::vector<TExcelAddress> items_;
};

class TfrxExcel {
 public:
  TfrxExcel() = default;
  ~TfrxExcel() = default;
  TfrxExcel(const TfrxExcel&) = delete;
  TfrxExcel& operator=(const TfrxExcel&) = delete;

  bool IsOpen = false;
  bool IsShown = false;
  rtl::Variant ApplicationObject, WorkbookObject, SheetObject, RangeObject;
  // The separator of address lists (the system's list separator).
  char ListSeparator = ',';

  // Starts the application and adds a workbook; a failure leaves IsOpen
  // false and passes on.
  void OpenExcel();
  void SetVisible(bool shown);

  // Column letters of a 1-based column: A..Z, AA..ZZ, then three letters.
  static AnsiString Pos2Str(int column);
  static AnsiString IntToCoord(int column, int row);

  // Chooses the range (columns cut to 254); failures are ignored.
  void SetRange(int column, int row, int columns, int rows);
  void SetColSize(int column, long double width);
  // Failures reach the caller.
  void SetRowSize(int row, long double height);
  void MergeCells();
  void SetPageMargin(long double left, long double right, long double top, long double bottom,
                     TPrinterOrientation orientation);
  void SetCellFrame(TfrxFrameTypes sides);
  void ApplyStyle(const AnsiString& addresses, int style);
  void ApplyFrame(const AnsiString& addresses, TfrxFrameTypes sides);
  void ApplyFormat(const AnsiString& addresses, const AnsiString& format);

  // mode 0: values are style numbers; 1: frame sides; 2: merges.
  void ApplyStyles(const TExcelAddressList& list, int mode, TfrxCustomProgress* progress);
  // Entries of format "=" address, grouped by format.
  void ApplyFormats(const std::vector<AnsiString>& list, TfrxCustomProgress* progress);
  // Every row first gets heights[common]; then the other groups.
  void SetRowsSize(const TExcelAddressList& list, const std::vector<rtl::Currency>& heights, int common, int rowCount,
                   TfrxCustomProgress* progress);

  static TfrxFrameTypes ByteToFrameTypes(std::uint8_t b) { return static_cast<TfrxFrameTypes>(b & 0x0F); }

 private:
  void ApplyByMode(const AnsiString& addresses, int mode, std::int32_t value);
};

}  // namespace report
