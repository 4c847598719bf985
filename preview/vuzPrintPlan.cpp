#include "preview/vuzPrintPlan.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/stringlists.h"
#include "report/vuzUtils.h"

namespace preview {

bool vuzPrintPageList(const AnsiString& pageNumbers, int pageCount, std::vector<int>& list, AnsiString& error) {
  list.clear();
  rtl::TStringList text;
  try {
    report::vuzParsePageNumbers(pageNumbers, text, pageCount);
  } catch (const rtl::Exception& e) {
    error = e.Message();
    return false;
  }
  for (int i = 0; i < text.Count(); ++i) {
    // Entries are whole numbers by now; a huge one names no page.
    const long long n = std::strtoll(text[i].c_str(), nullptr, 10);
    list.push_back(n < 1 || n > pageCount ? -1 : static_cast<int>(n - 1));
  }
  return true;
}

int vuzPrintPositions(const std::vector<int>& list, int pageCount) {
  return list.empty() ? pageCount : static_cast<int>(list.size());
}

int vuzPositionToPage(const std::vector<int>& list, int position, int pageCount) {
  if (list.empty()) return position >= 0 && position < pageCount ? position : -1;
  if (position < 0 || position >= static_cast<int>(list.size())) return -1;
  const int p = list[static_cast<std::size_t>(position)];
  return p >= 0 && p < pageCount ? p : -1;
}

bool vuzSkippedByParity(int printPages, int pageIndex) {
  const bool oddNumber = (pageIndex + 1) % 2 == 1;
  return (printPages == 1 && !oddNumber) || (printPages == 2 && oddNumber);
}

int vuzSheetCount(long double a, long double b) {
  if (!(b > 0) || !(a > 0)) return 1;
  const long double whole = std::trunc(a / b);
  if (std::fabs(whole * b - a) < 11) return std::max(1, static_cast<int>(std::nearbyint(a / b)));
  return static_cast<int>(whole) + 1;
}

namespace {
TfrxSheetGrid Smaller(const TfrxSheetGrid& upright, const TfrxSheetGrid& turned) {
  return turned.Across * turned.Down < upright.Across * upright.Down ? turned : upright;
}
}  // namespace

TfrxSheetGrid vuzSplitGrid(long double pageWidth, long double pageHeight, long double sheetWidth,
                           long double sheetHeight) {
  return Smaller({vuzSheetCount(pageWidth, sheetWidth), vuzSheetCount(pageHeight, sheetHeight), false},
                 {vuzSheetCount(pageWidth, sheetHeight), vuzSheetCount(pageHeight, sheetWidth), true});
}

TfrxSheetGrid vuzJoinGrid(long double sheetWidth, long double sheetHeight, long double pageWidth,
                          long double pageHeight) {
  return Smaller({vuzSheetCount(sheetWidth, pageWidth), vuzSheetCount(sheetHeight, pageHeight), false},
                 {vuzSheetCount(sheetHeight, pageWidth), vuzSheetCount(sheetWidth, pageHeight), true});
}

}  // namespace preview
