// The layout matrix (or a rectangular block of its cells) as one worksheet:
// a cell record per matrix cell (text, number, formula, rich text or blank,
// each with its cell format), merged ranges for spanned objects, column
// widths and row heights from the grid, the page's margins, paper and
// orientation, page breaks in the one-sheet grouping, and pictures as
// drawings. The workbook filter calls it once per sheet, on the calling
// thread or on a worker of the draft pool; any other writer of sheets (the
// spreadsheet stand-in of the automation export) may use it the same way.
#pragma once
#include <memory>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/strings.h"

namespace report {

class TfrxIEMatrix;
class TBiffSheet;
class TBiffWorkbook;

// The paper of the page a sheet comes from (millimetres).
struct TfrxPageInfo {
  long double PaperWidth = 0, PaperHeight = 0, LeftMargin = 0, RightMargin = 0, TopMargin = 0, BottomMargin = 0;
  int Orientation = 0;   // 0 portrait, 1 landscape
  int PageCount = 1;     // copies in the sheet's page setup
  int PaperSize = 9;     // the paper code; outside 1..117 the sheet gets A4
  rtl::WideString Name;  // the sheet's name; empty: "Страница" and the sheet index
};

// Everything one conversion of a matrix block into a sheet needs.
struct TfrxBiffPageOptions {
  TfrxIEMatrix* Matrix = nullptr;
  TBiffSheet* Sheet = nullptr;  // not read by the conversion
  TfrxPageInfo PageInfo;
  int SheetIndex = 0;
  int FirstColumn = 0, FirstRow = 0;    // the block's first matrix cell
  int SheetColumn = 0, SheetRow = 0;    // where that cell goes in the sheet
  int BlockColumns = 0, BlockRows = 0;  // 0: as many as the sheet takes
  // The matrix objects that may be pictures; null: every object.
  const std::vector<int>* PictureList = nullptr;
  bool OffsetByOne = false;
  bool Pictures = true, SingleSheet = false;
  TBiffWorkbook* Workbook = nullptr;
  bool FitPages = false;
  int SpaceWidth = 0, ZeroWidth = 0;  // pixels of "   " and "0" in the workbook's first font
  bool GridLines = true;
  long double RowHeightScale = 1;
  bool ExportFormulas = true;
};

// The user pressed Cancel in a converter's progress window: the sheet keeps
// what was converted so far.
class ETerminated : public rtl::Exception {
 public:
  ETerminated() : rtl::Exception(rtl::AnsiString()) {}
};

// Converts the block into a new sheet of the options' workbook; the caller
// adds it to the workbook. With showProgress a progress window (when the GUI
// installed one) shows each phase and may cancel it: the sheet then holds
// what was converted so far and *terminated (when given) is set. The
// options' matrix must be prepared; its objects' ExportMark counts the cells
// already written, so a matrix converted block by block writes each object's
// content once.
std::unique_ptr<TBiffSheet> vuzConvertMatrixToBiffSheet(const TfrxBiffPageOptions& options, bool showProgress,
                                                        bool* terminated = nullptr);

}  // namespace report
