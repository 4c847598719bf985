// The chart's print preview and copying the chart and the data table to the
// clipboard. Everything comes from what the window shows now; nothing is read
// from the process file again.
#include <memory>

#include "app/FormMain.h"
#include "platform/chart/preview_dialog.h"
#include "platform/gfx/bitmap.h"
#include "platform/gui/clipboard.h"
#include "platform/rtl/strings.h"

using namespace rtl::literals;

namespace app {

using gui::TObject;
using gui::TStringGrid;

bool TForm1::ProcessShown() { return !ProcessListEmpty() && !RowFileName(StringGridProcessList->Row()).empty(); }

AnsiString TForm1::DataTableText(int left, int top, int right, int bottom) {
  AnsiString text;
  for (int row = top; row <= bottom; ++row) {
    for (int col = left; col <= right; ++col) {
      text += StringGridData->Cells(col, row);
      text += col < right ? "\t" : "\r\n";
    }
  }
  return text;
}

void TForm1::APrintGraphExecute(TObject*) {
  ClearStatusPanels();
  if (!ProcessShown()) {
    SetPanelText(0, "Нет данных для печати"_cp);
    return;
  }
  SetPanelText(0, "Подождите..."_cp);
  ProcessMessages();
  // The read-out markers belong to the screen, not to the printed page.
  ClearMarkers();
  chart::ChartPreview(this, *Chart1);
  ClearStatusPanels();
}

void TForm1::ACopyGraphicExecute(TObject*) {
  ClearStatusPanels();
  if (!ProcessShown()) {
    SetPanelText(0, "Нет данных для копирования"_cp);
    return;
  }
  // As drawn now, markers included, over white at the chart's size.
  std::unique_ptr<gfx::TBitmap> picture = Chart1->CreateBitmap(Chart1->Width(), Chart1->Height());
  gui::Clipboard().SetBitmap(*picture);
  SetPanelText(0, "График скопирован в буфер обмена"_cp);
}

void TForm1::ACopyDataExecute(TObject*) {
  ClearStatusPanels();
  if (!ProcessShown()) {
    SetPanelText(0, "Нет данных для копирования"_cp);
    return;
  }
  TStringGrid* g = StringGridData;
  gui::Clipboard().SetAsText(DataTableText(0, 0, g->ColCount() - 1, g->RowCount() - 1));
  SetPanelText(0, "Данные скопированы в буфер обмена"_cp);
}

void TForm1::ACopySelectedExecute(TObject*) {
  ClearStatusPanels();
  if (!ProcessShown()) {
    SetPanelText(0, "Нет данных для копирования"_cp);
    return;
  }
  const gui::TGridRect sel = StringGridData->Selection();
  if (sel.Top == -1 || sel.Left == -1) {
    SetPanelText(0, "Нет выделенных данных"_cp);
    return;
  }
  gui::Clipboard().SetAsText(DataTableText(sel.Left, sel.Top, sel.Right, sel.Bottom));
  SetPanelText(0, "Данные скопированы в буфер обмена"_cp);
}

}  // namespace app
