#include "export/vuzExportTXTDialog.h"

#include <algorithm>
#include <cmath>

#include "export/vuzTextScreen.h"
#include "platform/rtl/format.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/textcase.h"
#include "preview/vuzPrinter.h"
#include "report/vuzClassReport.h"

namespace report {

using namespace rtl::literals;

namespace {
bool ParseScale(const AnsiString& text, long double& scale) {
  AnsiString t = text;
  t.erase(std::remove(t.begin(), t.end(), '%'), t.end());
  int v = 0;
  if (!rtl::TryStrToInt(rtl::Trim(t), v) || v < 1 || v > 10000) return false;
  scale = v / 100.0L;
  return true;
}
}  // namespace

TfrxTXTDialogOptions TfrxTXTDialogOptions::FromFilter(const TfrxTXTExport& f) {
  TfrxTXTDialogOptions o;
  o.GraphFrames = f.Pseudogrpahic;
  o.NoneFrames = !f.Borders;
  o.SimpleFrames = f.Borders && !f.Pseudogrpahic;
  o.PageBreaks = f.PageBreaks;
  o.OEM = f.OEMCodepage;
  o.GraphEnabled = f.OEMCodepage;
  o.EmptyLines = f.EmptyLines;
  o.LeadSpaces = f.LeadSpaces;
  o.ScaleX = std::to_string(std::llrint(f.ScaleWidth * 100));
  o.ScaleY = std::to_string(std::llrint(f.ScaleHeight * 100));
  o.PrintAfterVisible = !f.ExportToTemp;
  o.PrintAfter = f.ExportToTemp ? false : f.PrintAfter;
  return o;
}

bool TfrxTXTDialogOptions::ApplyTo(TfrxTXTExport& f, AnsiString* error) const {
  long double sx = 1, sy = 1;
  if (!ParseScale(ScaleX, sx) || !ParseScale(ScaleY, sy)) {
    if (error) *error = "Масштаб должен быть целым числом процентов от 1 до 10000"_cp;
    return false;
  }
  f.PageNumbers = Range;
  f.Borders = !NoneFrames;
  f.Pseudogrpahic = GraphFrames;
  f.PageBreaks = PageBreaks;
  f.OEMCodepage = OEM;
  f.EmptyLines = EmptyLines;
  f.LeadSpaces = LeadSpaces;
  f.ScaleWidth = sx;
  f.ScaleHeight = sy;
  f.PrintAfter = PrintAfterVisible && PrintAfter;
  return true;
}

void TfrxTXTDialogOptions::OemClicked() {
  GraphEnabled = OEM;
  if (!SimpleFrames) SimpleFrames = GraphFrames;
  if (!OEM && GraphFrames) GraphFrames = false;
}

bool TfrxTXTPreview::Refresh(const TfrxTXTDialogOptions& options, const AnsiString& page, AnsiString* error) {
  running_ = true;
  struct Clear {
    bool& flag;
    ~Clear() { flag = false; }
  } clear{running_};
  text_.clear();
  width_ = height_ = 0;
  TfrxTXTExport filter;  // not registered: the preview's own
  filter.PreviewMode = true;
  filter.ShowDialog = false;
  filter.ShowProgress = false;
  if (!options.ApplyTo(filter, error)) return false;
  filter.PrintAfter = false;
  filter.PageNumbers = page;
  rtl::TMemoryStream out;
  filter.Stream = &out;
  auto* report = dynamic_cast<TfrxReport*>(owner_.Report);
  if (!report) return false;
  const int number = rtl::StrToIntDef(rtl::Trim(page), 0);
  TfrxCustomPreviewPages* pages = report->PreviewPages();
  if (number < 1 || !pages || number > pages->GetCount()) return true;  // an empty preview
  filter.Report = report;
  if (!report->Export(&filter)) {
    if (error) *error = "Не удалось показать страницу"_cp;
    return false;
  }
  text_.assign(out.Memory(), static_cast<std::size_t>(out.Size()));
  width_ = filter.MaxLineLength;
  height_ = filter.LinesCount;
  return true;
}

AnsiString vuzTXTPreviewDisplayText(const AnsiString& text, bool oem) {
  AnsiString shown;
  shown.reserve(text.size());
  for (char c : text) {
    if (c == '\x0C') continue;
    const std::size_t frame = oem ? AnsiString(kGraphicFrameSet).find(c) : AnsiString::npos;
    shown += frame == AnsiString::npos ? c : kSimpleFrameSet[frame];
  }
  return oem ? rtl::Cp866ToCp1251(shown) : shown;
}

TfrxPrnInitModel::TfrxPrnInitModel(TfrxTXTExport& filter)
    : filter_(filter), startPrinter_(preview::vuzPrinters().PrinterIndex()) {}

void TfrxPrnInitModel::SelectType(int index) {
  if (index >= 0 && index < filter_.PrinterTypesCount) filter_.SelectedPrinterType = index;
}

void TfrxPrnInitModel::SetCommandEnabled(int command, bool enabled) {
  const int type = filter_.SelectedPrinterType;
  if (type < 0 || type >= filter_.PrinterTypesCount) return;
  if (command >= 0 && command < filter_.PrinterTypes[type].CommandsCount)
    filter_.PrinterTypes[type].Commands[command].Enabled = enabled;
}

void TfrxPrnInitModel::SelectPrinter(int index) {
  if (index >= 0 && index < preview::vuzPrinters().Count()) preview::vuzPrinters().SetPrinterIndex(index);
}

void TfrxPrnInitModel::Close(int modalResult, int copies) {
  if (modalResult != 1) {
    if (startPrinter_ >= 0 && startPrinter_ < preview::vuzPrinters().Count())
      preview::vuzPrinters().SetPrinterIndex(startPrinter_);
    return;
  }
  filter_.Copies = std::max(1, copies);
}

}  // namespace report
