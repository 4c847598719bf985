#include "export/vuzExportXLSExcel.h"

#include <algorithm>
#include <cmath>

#include "export/vuzAutomation.h"
#include "export/vuzExportRes.h"
#include "report/vuzProgress.h"
#include "report/vuzRes.h"

namespace report {

namespace {

// Border items of a range: left, top, bottom and right edge.
constexpr int kEdgeLeft = 7, kEdgeTop = 8, kEdgeBottom = 9, kEdgeRight = 10;
constexpr int kContinuous = 1;

// Runs a call whose failure the operation ignores.
template <class F>
void Quietly(F&& f) {
  try {
    f();
  } catch (const std::exception&) {
  }
}

bool Cancelled(TfrxCustomProgress* progress) { return progress && progress->Terminated(); }

void SetLine(const rtl::Variant& borders, int item) {
  OlePut(OleGet(borders, "Item", {item}), "Linestyle", kContinuous);
}

}  // namespace

void TExcelAddressList::Sort() {
  std::stable_sort(items_.begin(), items_.end(),
                   [](const TExcelAddress& a, const TExcelAddress& b) { return a.Value < b.Value; });
}

void TfrxExcel::OpenExcel() {
  try {
    rtl::Variant server = vuzCreateOleObject("Excel.Application");
    ApplicationObject = OleCall(server, "Application");
    OlePut(ApplicationObject, "ScreenUpdating", false);
    OlePut(ApplicationObject, "DisplayAlerts", false);
    WorkbookObject = OleCall(OleCall(ApplicationObject, "WorkBooks"), "Add");
    SheetObject = OleGet(WorkbookObject, "WorkSheets", {1});
    IsOpen = true;
  } catch (...) {
    IsOpen = false;
    throw;
  }
}

void TfrxExcel::SetVisible(bool shown) {
  if (IsOpen) OlePut(ApplicationObject, "Visible", shown);
}

// Bijective base 26: 1..26 are A..Z, 27 is AA, 702 ZZ, 703 AAA.
AnsiString TfrxExcel::Pos2Str(int column) {
  AnsiString out;
  for (int c = std::max(column, 1); c > 0; c = (c - 1) / 26)
    out.insert(out.begin(), static_cast<char>('A' + (c - 1) % 26));
  return out;
}

AnsiString TfrxExcel::IntToCoord(int column, int row) { return Pos2Str(column) + std::to_string(row); }

void TfrxExcel::SetRange(int column, int row, int columns, int rows) {
  column = std::min(column, 255);
  if (column + columns > 255) columns = 255 - column;
  if (columns <= 0 || rows <= 0) return;
  Quietly([&] {
    RangeObject =
        OleGet(SheetObject, "Range", {IntToCoord(column, row), IntToCoord(column + columns - 1, row + rows - 1)});
  });
}

void TfrxExcel::SetColSize(int column, long double width) {
  if (!(width > 0 && width < 256) || column >= 256) return;
  Quietly([&] { OlePut(OleCall(SheetObject, "Columns", {column}), "ColumnWidth", width); });
}

void TfrxExcel::SetRowSize(int row, long double height) {
  if (!(height > 0)) return;
  OlePut(OleCall(SheetObject, "Rows", {row}), "RowHeight", std::min(height, 409.0L));
}

void TfrxExcel::MergeCells() { OlePut(RangeObject, "MergeCells", true); }

void TfrxExcel::SetPageMargin(long double left, long double right, long double top, long double bottom,
                              TPrinterOrientation orientation) {
  Quietly([&] {
    rtl::Variant setup = OleCall(OleCall(ApplicationObject, "ActiveSheet"), "PageSetup");
    OlePut(setup, "LeftMargin", left);
    OlePut(setup, "RightMargin", right);
    OlePut(setup, "TopMargin", top);
    OlePut(setup, "BottomMargin", bottom);
    OlePut(setup, "Orientation", static_cast<std::int32_t>(orientation == poLandscape ? 2 : 1));
  });
}

void TfrxExcel::SetCellFrame(TfrxFrameTypes sides) {
  if (sides & FrameBit(ftLeft)) SetLine(OleCall(OleCall(RangeObject, "Cells"), "Borders"), kEdgeLeft);
  if (sides & FrameBit(ftRight)) SetLine(OleCall(OleCall(RangeObject, "Cells"), "Borders"), kEdgeRight);
  if (sides & FrameBit(ftTop)) SetLine(OleCall(RangeObject, "Borders"), kEdgeTop);
  if (sides & FrameBit(ftBottom)) SetLine(OleCall(RangeObject, "Borders"), kEdgeBottom);
}

void TfrxExcel::ApplyStyle(const AnsiString& addresses, int style) {
  if (addresses.empty()) return;
  Quietly([&] { OlePut(OleGet(SheetObject, "Range", {addresses}), "Style", "S" + std::to_string(style)); });
}

void TfrxExcel::ApplyFrame(const AnsiString& addresses, TfrxFrameTypes sides) {
  if ((sides & 15u) == 0 || addresses.empty()) return;
  Quietly([&] {
    rtl::Variant borders = OleCall(OleCall(OleGet(SheetObject, "Range", {addresses}), "Cells"), "Borders");
    if (sides & FrameBit(ftLeft)) SetLine(borders, kEdgeLeft);
    if (sides & FrameBit(ftRight)) SetLine(borders, kEdgeRight);
    if (sides & FrameBit(ftTop)) SetLine(borders, kEdgeTop);
    if (sides & FrameBit(ftBottom)) SetLine(borders, kEdgeBottom);
  });
}

void TfrxExcel::ApplyFormat(const AnsiString& addresses, const AnsiString& format) {
  if (addresses.empty()) return;
  Quietly([&] { OlePut(OleGet(SheetObject, "Range", {addresses}), "NumberFormat", format); });
}

void TfrxExcel::ApplyByMode(const AnsiString& addresses, int mode, std::int32_t value) {
  switch (mode) {
    case 0: ApplyStyle(addresses, value); break;
    case 1: ApplyFrame(addresses, static_cast<TfrxFrameTypes>(value)); break;
    default:
      if (!addresses.empty()) Quietly([&] { OlePut(OleGet(SheetObject, "Range", {addresses}), "MergeCells", true); });
  }
}

void TfrxExcel::ApplyStyles(const TExcelAddressList& list, int mode, TfrxCustomProgress* progress) {
  if (list.Count() == 0) return;
  vuzLoadExportResources();
  if (progress && !progress->Terminated())
    progress->Execute(list.Count(), vuzResources().Get("ProgressStyles") + " - " + std::to_string(mode + 1), true,
                      true);
  AnsiString acc = list[0].Address;
  std::int32_t cur = list[0].Value;
  for (int k = 1; k < list.Count(); ++k) {
    if (Cancelled(progress)) break;
    const TExcelAddress& e = list[k];
    if (e.Value == cur) {
      if (acc.size() + 1 + e.Address.size() > kExcelMaxRangeText) {
        ApplyByMode(acc, mode, cur);
        acc = e.Address;
      } else {
        acc += ListSeparator + e.Address;
      }
    } else {
      ApplyByMode(acc, mode, cur);
      cur = e.Value;
      acc = e.Address;
    }
  }
  ApplyByMode(acc, mode, cur);
}

void TfrxExcel::ApplyFormats(const std::vector<AnsiString>& list, TfrxCustomProgress* progress) {
  if (list.empty()) return;
  if (progress && !progress->Terminated()) progress->Execute(static_cast<int>(list.size()), "Data formats", true, true);
  // The format is everything before the last "=": a format may hold "=" itself.
  auto split = [](const AnsiString& entry, AnsiString& format, AnsiString& address) {
    const std::size_t eq = entry.rfind('=');
    format = eq == AnsiString::npos ? AnsiString() : entry.substr(0, eq);
    address = eq == AnsiString::npos ? entry : entry.substr(eq + 1);
  };
  AnsiString name, acc;
  split(list[0], name, acc);
  for (std::size_t k = 1; k < list.size(); ++k) {
    if (Cancelled(progress)) break;
    AnsiString format, address;
    split(list[k], format, address);
    if (format != name) {
      ApplyFormat(acc, name);
      name = format;
      acc = address;
    } else if (acc.size() + 1 + address.size() > kExcelMaxRangeText) {
      ApplyFormat(acc, name);
      acc = address;
    } else {
      acc += ListSeparator + address;
    }
  }
  ApplyFormat(acc, name);
}

void TfrxExcel::SetRowsSize(const TExcelAddressList& list, const std::vector<rtl::Currency>& heights, int common,
                            int rowCount, TfrxCustomProgress* progress) {
  if (list.Count() == 0 || heights.empty()) return;
  vuzLoadExportResources();
  if (progress && !progress->Terminated())
    progress->Execute(list.Count(), vuzResources().Get("ProgressRows") + " - 2", true, true);
  auto height = [&](int index) {
    return heights[static_cast<std::size_t>(std::clamp<int>(index, 0, static_cast<int>(heights.size()) - 1))];
  };
  auto apply = [&](const AnsiString& acc, int index) {
    if (acc.empty()) return;
    Quietly([&] { OlePut(OleCall(OleGet(SheetObject, "Range", {acc}), "Rows"), "RowHeight", height(index)); });
  };
  Quietly(
      [&] { OlePut(OleGet(SheetObject, "Range", {"A1:A" + std::to_string(rowCount)}), "RowHeight", height(common)); });
  AnsiString acc = list[0].Value == common ? AnsiString() : list[0].Address;
  std::int32_t cur = list[0].Value;
  for (int k = 1; k < list.Count(); ++k) {
    if (Cancelled(progress)) break;
    const TExcelAddress& e = list[k];
    if (e.Value == common) continue;
    if (e.Value == cur && !acc.empty()) {
      if (acc.size() + 1 + e.Address.size() > kExcelMaxRangeText) {
        apply(acc, cur);
        acc = e.Address;
      } else {
        acc += ";" + e.Address;
      }
    } else {
      if (cur != common) apply(acc, cur);
      cur = e.Value;
      acc = e.Address;
    }
  }
  if (cur != common) apply(acc, cur);
}

}  // namespace report
