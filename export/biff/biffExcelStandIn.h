// An in-process spreadsheet application behind the automation calls of the
// spreadsheet export: it answers the members the export uses (workbooks,
// sheets, ranges by address lists, named styles with font, fill, alignment
// and rotation, values, number formats, merges, borders, row heights,
// column widths, page breaks, page setup, pasted pictures, grid lines) and
// keeps one workbook, which SaveAs writes as an Excel 97-2003 file through
// the workbook writer, atomically (temporary file, then rename).
//
// BiffExcelStandInStartup registers it as the server "Excel.Application";
// programs without a spreadsheet application install it at start-up.
#pragma once
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "export/biff/biffSheet.h"
#include "export/vuzAutomation.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/variant.h"

namespace report {

void BiffExcelStandInStartup();
void BiffExcelStandInShutdown();
// A new application object (what the registered server makes).
rtl::Variant BiffCreateExcelStandIn();

// A rectangle of 1-based sheet rows and columns.
struct TExcelArea {
  int Left = 1, Top = 1, Right = 1, Bottom = 1;
  friend bool operator==(const TExcelArea&, const TExcelArea&) = default;
};

// Parses an address list: A1-style cells or ranges ("B5:D6"), joined by ","
// or ";". Raises EOleError for text that is no address, a column beyond IV
// or a row beyond 65,536.
std::vector<TExcelArea> BiffParseRangeText(const AnsiString& text);

// What the stand-in holds of its workbook.
struct TExcelStandInStyle {
  bool Bold = false, Italic = false, Underline = false;
  WideString FontName = u"Arial";
  int FontSize = 10;
  std::uint32_t FontColor = 0;              // 0x00BBGGRR
  std::int64_t InteriorColor = -1;          // -1: no fill
  std::int32_t HAlign = 1, VAlign = -4107;  // general, bottom
  int Orientation = 0;                      // degrees, -90..90
};

struct TExcelStandInCell {
  rtl::Variant Value;
  WideString Style;  // a named style, empty for the normal one
  WideString NumberFormat;
  unsigned Borders = 0;  // left 1, right 2, top 4, bottom 8
};

struct TExcelStandInPicture {
  int Column = 1, Row = 1;       // the cell it was pasted at
  double Left = 0, Top = 0;      // points from the sheet's top-left
  double Width = 0, Height = 0;  // points
  TAutomationPicture Data;
};

struct TExcelStandInBook {
  std::map<WideString, TExcelStandInStyle> Styles;
  std::map<std::pair<int, int>, TExcelStandInCell> Cells;  // (row, column)
  std::vector<TExcelArea> Merges;
  std::map<int, double> RowHeights;      // points
  std::map<int, double> ColumnWidths;    // characters
  std::set<int> PageBreaks;              // rows with a manual break above them
  double Margins[4] = {54, 54, 72, 72};  // left, right, top, bottom (points)
  int Orientation = 1;                   // 1 portrait, 2 landscape
  bool GridLines = true;
  std::vector<TExcelStandInPicture> Pictures;
  TExcelArea Selection;

  // The row's height, or the standard height.
  double RowHeight(int row) const;
  double ColumnWidth(int column) const;
  // Fills a workbook with one sheet of this content.
  void Build(TBiffWorkbook& workbook) const;
};

// The workbook of the stand-in that made the last SaveAs in this process
// (for tests); empty before.
const TExcelStandInBook& BiffExcelStandInLastSaved();

}  // namespace report
