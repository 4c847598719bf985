// Laying out the window and the list's handlers. Showing the selected
// process (ShowProcess, ClearDataView) lives in FormMain_display.cpp.
#include <cmath>

#include "app/FormMain.h"
#include "platform/rtl/files.h"
#include "platform/rtl/streams.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

void TForm1::ClearStatusPanels() {
  SetPanelText(0, "");
  SetPanelText(1, "");
  ProcessMessages();
}

void TForm1::ClearGridSelection(TStringGrid* grid) { grid->SetSelection({-1, -1, -1, -1}); }

void TForm1::StringGridProcessListClick(TObject*) {
  ClearStatusPanels();
  for (TAction* a : {ADeleteGaugeProcess, ADeleteProgProcess, ADeleteProcessTotal}) a->SetEnabled(true);
  ShowProcess();
}

void TForm1::FormResize(TObject*) {
  LayoutStatusPanels();
  // The list's columns: date and time fixed, the rest shared 1:1:1:2:2 in whole pixels.
  TStringGrid* g = StringGridProcessList;
  g->SetColWidths(0, 56);
  g->SetColWidths(1, 48);
  const int w = g->ClientWidth() - 56 - 48 - 5;
  const float share = static_cast<float>(w) / 7.0f;
  const int base = static_cast<int>(share);
  float sum = 0;
  int total = 0;
  int widths[7];
  for (int i = 0; i < 7; ++i) {
    sum += share;
    total += base;
    if (static_cast<int>(std::trunc(sum)) != total) {
      widths[i] = base + 1;
      ++total;
    } else {
      widths[i] = base;
    }
  }
  g->SetColWidths(2, widths[0]);
  g->SetColWidths(3, widths[1]);
  g->SetColWidths(4, widths[2]);
  g->SetColWidths(5, widths[3] + widths[4]);
  g->SetColWidths(6, widths[5] + widths[6]);

  // The lamp over panel 3.
  const TRect lamp = StatusBar1->PanelRect(3);
  PanelShapeLink->SetBounds(lamp.Left, lamp.Top, lamp.Width(), lamp.Height());
  const int d = std::max(4, std::min(lamp.Width(), lamp.Height()) - 6);
  ShapeLink->SetBounds((lamp.Width() - d) / 2, (lamp.Height() - d) / 2, d, d);
  LayoutDataViews();
}

}  // namespace app
