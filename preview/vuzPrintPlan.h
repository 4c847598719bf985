// The arithmetic of printing that needs no printer: which page a position of
// the run stands for, which pages odd/even printing skips, how many sheets
// cover a length, and which way round a sheet serves a page best.
#pragma once
#include <vector>

#include "platform/rtl/strings.h"

namespace preview {

using rtl::AnsiString;

enum TfrxPrintModeKind { pmkDefault = 0, pmkSplit = 1, pmkJoin = 2, pmkScale = 3 };

// The page indices a page-range text asks for, in the order typed (empty
// when the text is empty: every page). Text that is not a page list
// answers false with the conversion error's text in error.
bool vuzPrintPageList(const AnsiString& pageNumbers, int pageCount, std::vector<int>& list, AnsiString& error);

// The number of positions a run walks: the list's length, or every page.
int vuzPrintPositions(const std::vector<int>& list, int pageCount);

// The page index of position i; -1 when it names no page of the store.
int vuzPositionToPage(const std::vector<int>& list, int position, int pageCount);

// True when odd/even printing (0 all, 1 odd, 2 even) leaves out page index p.
bool vuzSkippedByParity(int printPages, int pageIndex);

// How many pieces of length b (millimetres) cover a length a: a remainder
// under 11 mm is dropped, a larger one costs one more piece.
int vuzSheetCount(long double a, long double b);

// The sheets across and down for a page, and whether the sheet is turned.
struct TfrxSheetGrid {
  int Across = 1;
  int Down = 1;
  bool Landscape = false;
  bool operator==(const TfrxSheetGrid&) const = default;
};

// Splitting a page onto sheets: the sheets across the page's width and down
// its height, with the sheet upright or turned; the turned sheet is taken
// only when it needs strictly fewer sheets.
TfrxSheetGrid vuzSplitGrid(long double pageWidth, long double pageHeight, long double sheetWidth,
                           long double sheetHeight);
// Joining pages onto one sheet: the cells across and down the sheet (upright
// or turned, Across along the chosen sheet's width), chosen the same way.
TfrxSheetGrid vuzJoinGrid(long double sheetWidth, long double sheetHeight, long double pageWidth,
                          long double pageHeight);

}  // namespace preview
