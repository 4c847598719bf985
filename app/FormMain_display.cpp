// Showing the selected process: the chart with its curves and the data table
// fed from the converted samples (no cell text is stored; the grid asks for
// the rows it paints), and the sizes of the two views.
#include <cmath>

#include "app/FileBytes.h"
#include "app/FormMain.h"
#include "app/MenuBuilding.h"
#include "app/ProcessChart.h"
#include "app/ProcessFile.h"
#include "platform/gui/application.h"
#include "platform/rtl/files.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

namespace {

// Reads a whole file; false when it cannot be opened or read, or is
// implausibly large for a process.
bool ReadWholeFile(const AnsiString& path, std::string& bytes) {
  constexpr std::size_t kLimit = std::size_t(1) << 24;
  return ReadFilePrefix(path, kLimit + 1, bytes) && bytes.size() <= kLimit;
}

}  // namespace

void TForm1::CreateDisplay() {
  Chart1 = new chart::TChart(this);
  Chart1->SetName("Chart1");
  Chart1->SetParent(this);
  Chart1->SetAlign(alClient);
  Chart1->SetVisible(false);
  const TProcessChartSeries series = SetUpProcessChart(*Chart1);
  chart::TLineSeries** curves[5] = {&Series1, &Series2, &Series3, &Series7, &Series8};
  chart::TPointSeries** markers[5] = {&Series4, &Series5, &Series6, &Series9, &Series10};
  for (int i = 0; i < 5; ++i) {
    *curves[i] = series.curves[i];
    *markers[i] = series.markers[i];
  }
  Chart1->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    Chart1MouseDown(s, b, sh, x, y);
  };
  Chart1->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { Chart1MouseMove(s, sh, x, y); };
  Chart1->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    Chart1MouseUp(s, b, sh, x, y);
  };
  Chart1->OnDblClick = [this](TObject* s) { Chart1DblClick(s); };
  Chart1->OnScroll = [this](TObject* s) { Chart1Scroll(s); };

  // The data table: same place as the chart, fed from the samples on show.
  TStringGrid* g = StringGridData;
  g->SetVisible(false);
  g->SetFixedRows(1);
  g->SetFixedCols(0);
  g->SetDefaultRowHeight(16);
  g->SetScrollBars(ssVertical);
  g->SetColCount(5);
  g->SetRowCount(2);
  g->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect);
  g->OnGetCellText = [this](int col, int row) { return DataCellText(shown_, col, row); };
  g->OnExit = [this](TObject*) { ClearGridSelection(StringGridData); };
  g->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    StringGridDataMouseUp(s, b, sh, x, y);
  };
  PopupMenuData->SetAutoPopup(false);

  // The zero shift box: a check box that unlocks the edit.
  GroupBoxShrinkShift->SetCaption(" Смещение нуля датчика перемещения "_cp);
  cbShrinkShift = new TCheckBox(this);
  cbShrinkShift->SetName("cbShrinkShift");
  cbShrinkShift->SetParent(GroupBoxShrinkShift);
  cbShrinkShift->SetCaption("Разрешить изменение"_cp);
  cbShrinkShift->SetBounds(8, 18, 140, 17);
  MaskEditShrinkShift->SetBounds(156, 16, 64, 21);
  MaskEditShrinkShift->SetEditMask("#00\\.000;1");
  MaskEditShrinkShift->SetText("+00.000");
  MaskEditShrinkShift->SetEnabled(false);
  cbShrinkShift->OnClick = [this](TObject*) { MaskEditShrinkShift->SetEnabled(cbShrinkShift->Checked()); };
  MaskEditShrinkShift->OnChange = [this](TObject*) {
    TimerChangeShrinkShift->SetEnabled(false);
    TimerChangeShrinkShift->SetEnabled(true);
  };
  MaskEditShrinkShift->OnKeyDown = [this](TObject*, Word& key, TShiftState) {
    if (key == VK_RETURN) cbShrinkShift->SetChecked(false);
  };
  TimerChangeShrinkShift->OnTimer = [this](TObject* s) { TimerChangeShrinkShiftTimer(s); };

  // The actions of the views.
  AZoom5mm->OnExecute = [this](TObject* s) { AZoomExecute(s, TShrinkZoom::mm5); };
  AZoom10mm->OnExecute = [this](TObject* s) { AZoomExecute(s, TShrinkZoom::mm10); };
  AZoom20mm->OnExecute = [this](TObject* s) { AZoomExecute(s, TShrinkZoom::mm20); };
  AZoomAuto->OnExecute = [this](TObject* s) { AZoomExecute(s, TShrinkZoom::Auto); };
  AZoomMm->OnExecute = [this](TObject* s) { AZoomMmExecute(s); };
  AZoomProc->OnExecute = [this](TObject* s) { AZoomProcExecute(s); };
  AShrinkBase->OnExecute = [this](TObject* s) { AShrinkBaseExecute(s); };
  AUseShrinkShift->OnExecute = [this](TObject* s) { AUseShrinkShiftExecute(s); };
  ARelativeTime->OnExecute = [this](TObject* s) { ARelativeTimeExecute(s); };
  APoints->OnExecute = [this](TObject* s) { APointsExecute(s); };
  ALegend->OnExecute = [this](TObject* s) { ALegendExecute(s); };
  AGraphTitle->OnExecute = [this](TObject* s) { AGraphTitleExecute(s); };
  ADataGraphic->OnExecute = [this](TObject* s) { ADataGraphicExecute(s); };
  ADataTable->OnExecute = [this](TObject* s) { ADataTableExecute(s); };

  // The context menu of the chart and the table.
  TMenuItem* root = PopupMenuData->Items();
  AddActionItem(this, root, ADataGraphic);
  AddActionItem(this, root, ADataTable);
  AddSeparator(this, root);
  TMenuItem* zoom = AddSubMenu(this, root, "Масштаб графика усадки"_cp);
  for (TAction* a : {AZoom5mm, AZoom10mm, AZoom20mm, AZoomAuto}) AddActionItem(this, zoom, a);
  AddSeparator(this, zoom);
  for (TAction* a : {AZoomMm, AZoomProc}) AddActionItem(this, zoom, a);
  AddSeparator(this, zoom);
  AddActionItem(this, zoom, AShrinkBase);
  for (TAction* a : {ARelativeTime, AUseShrinkShift}) AddActionItem(this, root, a);
  AddSeparator(this, root);
  for (TAction* a : {APoints, ALegend, AGraphTitle}) AddActionItem(this, root, a);
  AddSeparator(this, root);
  for (TAction* a : {ACopyGraphic, ACopyData, ACopySelected}) AddActionItem(this, root, a);
  AddSeparator(this, root);
  AddActionItem(this, root, APrintGraph);
}

void TForm1::ClearDataView() {
  // The table keeps its columns and shows the captions over one empty row.
  TProcessData empty;
  empty.channels = StringGridData->ColCount() == 7 ? 5 : StringGridData->ColCount() == 6 ? 4 : 3;
  empty.percent = AZoomProc->Checked();
  shown_ = std::move(empty);
  StringGridData->SetRowCount(2);
  StringGridData->InvalidateCells();
  ClearGridSelection(StringGridData);
  for (int i = 0; i < Chart1->SeriesCount(); ++i) Chart1->Series(i).Clear();
}

void TForm1::ShowProcess() {
  ++showCalls_;
  ClearDataView();
  // An empty list shows nothing and highlights nothing.
  if (ProcessListEmpty()) return ClearGridSelection(StringGridProcessList);
  std::string bytes;
  AnsiString path;
  for (;;) {
    const AnsiString name = RowFileName(StringGridProcessList->Row());
    if (name.empty()) return;
    path = DataFolder() + name;
    // A row whose file has just gone (the list is being rebuilt) shows nothing.
    if (!rtl::FileExists(path)) return;
    // A file that cannot be opened is reported (with Retry) before anything
    // else, and then as a process whose data are wrong.
    if (ReadProcessFileKey(path).empty()) {
      MessageBox("Выбранный процесс содержит ошибочные данные"_cp, "Неверные данные"_cp, MB_OK | MB_ICONWARNING);
      return;
    }
    if (ReadWholeFile(path, bytes)) break;
    if (MessageBox("Не удается прочитать файл данных "_cp + path, Application->Title(),
                   MB_RETRYCANCEL | MB_ICONWARNING | MB_DEFBUTTON2) != IDRETRY)
      return;
  }
  if (ProcessFileKey(bytes).empty()) {
    MessageBox("Выбранный процесс содержит ошибочные данные"_cp, "Неверные данные"_cp, MB_OK | MB_ICONWARNING);
    return;
  }

  TDisplayOptions o;
  o.relative = ARelativeTime->Checked();
  o.percent = AZoomProc->Checked();
  o.base = shrinkBase_;
  o.shiftVisible = GroupBoxShrinkShift->Visible();
  o.shiftText = MaskEditShrinkShift->Text();
  TProcessData d;
  if (!DecodeProcessFile(bytes, o, d)) return;

  // The shared header and record buffer keep what was read last.
  Recorder().Current = d.header;
  if (d.points > 0) {
    const std::size_t record = static_cast<std::size_t>(d.channels) * 2;
    const std::size_t at = 16 + (static_cast<std::size_t>(d.points) - 1) * record;
    for (int ch = 0; ch < d.channels; ++ch)
      Recorder().Sample[static_cast<std::size_t>(ch)] = static_cast<std::uint16_t>(
          static_cast<std::uint8_t>(bytes[at + 2 * ch]) | (static_cast<std::uint8_t>(bytes[at + 2 * ch + 1]) << 8));
  }

  // The table: its columns and one row per point.
  StringGridData->SetColCount(DataColumnCount(d.channels));
  StringGridData->SetRowCount(std::max(2, d.points + 1));

  // The chart: title, time axis, curves and the shrink axis window.
  ShowProcessOnChart(*Chart1,
                     {{Series1, Series2, Series3, Series7, Series8}, {Series4, Series5, Series6, Series9, Series10}}, d,
                     ShrinkZoom());
  Chart1->SetTitleVisible(AGraphTitle->Checked());
  shown_ = std::move(d);
  StringGridData->InvalidateCells();
  FormResize(this);
}

void TForm1::LayoutStatusPanels() {
  if (Width() > Screen->Width()) SetWidth(Screen->Width());
  if (Height() > Screen->Height()) SetHeight(Screen->Height());
  // Panel 1 (the running operation) 35 % of the bar; 2, 3 and 4 keep
  // their sizes; panel 0 takes the rest.
  const int w = StatusBar1->Width();
  const int p1 = static_cast<int>(std::trunc(0.35 * w));
  StatusBar1->SetPanelWidth(1, p1);
  StatusBar1->SetPanelWidth(0, std::max(0, w - p1 - 42 - 20 - 20));
}

void TForm1::LayoutDataViews() {
  // Columns 0 and 1 fixed; the rest share the width, the remainder spread
  // one pixel at a time as the running sum of the shares passes it.
  TStringGrid* g = StringGridData;
  g->SetColWidths(0, 56);
  g->SetColWidths(1, 48);
  const int n = g->ColCount() - 2;
  if (n <= 0) return;
  const int w = g->ClientWidth() - 5 - 56 - 48;
  const float share = static_cast<float>(w) / static_cast<float>(n);
  const int base = static_cast<int>(share);
  int total = 104;
  float sum = 104.0f;
  for (int c = 2; c < g->ColCount(); ++c) {
    sum += share;
    total += base;
    if (static_cast<int>(std::trunc(sum)) != total) {
      g->SetColWidths(c, base + 1);
      ++total;
    } else {
      g->SetColWidths(c, base);
    }
  }
}

}  // namespace app
