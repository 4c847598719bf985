// The process display in the main window: the three demo processes (3, 4 and
// 5 channels) from the simulated recorder in chart and table, screenshots of
// both views, the view options with their keys, the zero shift and the base
// dialog, and the chart under the mouse.
#include <algorithm>
#include <cstdlib>

#include "app/ShrinkBase.h"
#include "platform/gui/forms.h"
#include "platform/gui/simulate.h"
#include "platform/rtl/format.h"
#include "platform/rtl/inifiles.h"
#include "tests/app/form_fixture.h"

using namespace rtl::literals;

namespace {

class DisplayTest : public apptest::FormFixture {
 protected:
  void SetUp() override {
    model = std::make_unique<sim::RecorderModel>();
    sim::AddDemoProcesses(*model);
  }
  // The window with the demo processes downloaded; row 1 has 3 channels,
  // row 2 four, row 3 five.
  void Open(const std::string& ini = "") {
    if (!ini.empty()) std::ofstream(folder / "Zarnik.ini") << ini;
    Create();
    FirstTick();
    ASSERT_EQ(DataFiles().size(), 3u);
    form->SetBounds(0, 0, 800, 600);  // the offscreen screen's size
    form->Show();
    form->FormResize(form.get());
  }
  void Select(int row) {
    form->StringGridProcessList->SetRow(row);
    form->ShowProcess();
  }
  std::string Ini(const char* section, const char* key) {
    return rtl::GetPrivateProfileString(section, key, "<none>", 100, (folder / "Zarnik.ini").string());
  }
  chart::TChart& Chart() { return *form->Chart1; }
  gfx::TRect Plot() {
    Chart().UpdateLayout();
    return Chart().ChartRect();
  }
};

int CountPixels(const gui::TGrabbedImage& img, bool (*pred)(int r, int g, int b)) {
  int n = 0;
  for (std::uint32_t p : img.Pixels) n += pred((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  return n;
}

TEST_F(DisplayTest, EachChannelCountFillsItsCurvesAndColumns) {
  Open("[FormMain]\nGraphVisible=1\n");
  struct Case {
    int row, channels, points, columns;
  } cases[] = {{1, 3, 577, 5}, {2, 4, 289, 6}, {3, 5, 145, 7}};
  for (const Case& c : cases) {
    Select(c.row);
    const app::TProcessData& d = form->ShownProcess();
    EXPECT_EQ(d.channels, c.channels);
    EXPECT_EQ(form->StringGridData->ColCount(), c.columns);
    EXPECT_EQ(form->StringGridData->RowCount(), c.points + 1);
    EXPECT_EQ(form->Series1->Count(), c.points);
    EXPECT_EQ(form->Series3->Count(), c.points);
    EXPECT_EQ(form->Series7->Count(), c.channels >= 4 ? c.points : 0);
    EXPECT_EQ(form->Series8->Count(), c.channels >= 5 ? c.points : 0);
    EXPECT_EQ(Chart().LegendMaxRows(), c.channels);
    EXPECT_EQ(app::Recorder().Current.Channels(), c.channels);
    // The shrink axis: the 10 mm window of the data (the default zoom).
    const app::TAxisWindow w = app::ShrinkWindowMm(d.maxRaw, d.minRaw, d.ref, app::TShrinkZoom::mm10);
    EXPECT_EQ(Chart().RightAxis().Minimum(), w.min);
    EXPECT_EQ(Chart().RightAxis().Maximum(), w.min + 10);
    EXPECT_EQ(form->StringGridData->Cells(4, 0), "мм, усадка"_cp);
    EXPECT_EQ(form->StringGridData->Cells(4, 1), "0,000");
  }
  // 577 points at 5 minutes last 48 hours: the day shows above the time.
  Select(1);
  EXPECT_EQ(Chart().BottomAxis().DateTimeFormat(), "dd.mmm\r hh:nn");
  EXPECT_EQ(form->StringGridData->Cells(0, 1), "01.03.13");
  EXPECT_EQ(form->StringGridData->Cells(1, 2), "08:05");
  EXPECT_EQ(Chart().TitleLines().at(0), "Начало 1 мар 2013, 8:00"_cp);
}

TEST_F(DisplayTest, ScreenshotsOfChartAndTable) {
  Open("[FormMain]\nGraphVisible=1\n[Config]\nGraphTitle=Y\n");
  const char* names[] = {"3", "4", "5"};
  for (int row = 1; row <= 3; ++row) {
    Select(row);
    form->ADataGraphic->Execute(form->ADataGraphic);
    gui::TGrabbedImage chartShot = gui::GrabImage(*form);
    ASSERT_EQ(chartShot.Width, 800);
    // The temperature curves are red and brown (the extra ones lie over the
    // first in the demo data), the humidity curve blue.
    EXPECT_GT(CountPixels(chartShot, [](int r, int g, int b) { return r > 100 && g < 80 && b < 60; }), 300);
    EXPECT_GT(CountPixels(chartShot, [](int r, int g, int b) { return b > 200 && r < 60 && g < 60; }), 300);
    gui::GrabToPng(*form, std::string("display-") + names[row - 1] + "ch-chart.png");
    form->ADataTable->Execute(form->ADataTable);
    gui::TGrabbedImage tableShot = gui::GrabImage(*form);
    EXPECT_EQ(CountPixels(tableShot, [](int r, int g, int b) { return r > 200 && g < 60 && b < 60; }), 0);
    EXPECT_GT(CountPixels(tableShot, [](int r, int g, int b) { return r < 80 && g < 80 && b < 80; }), 2000);
    gui::GrabToPng(*form, std::string("display-") + names[row - 1] + "ch-table.png");
  }
}

TEST_F(DisplayTest, ViewOptionsWriteTheirKeysAndChangeTheViews) {
  Open("[FormMain]\nGraphVisible=1\n");
  Select(1);
  struct Zoom {
    gui::TAction* action;
    const char* key;
    double min, max;
    rtl::AnsiString text;
  } zooms[] = {
      {form->AZoom5mm, "5", -4, 1, "Выбран масштаб графика усадки 5 мм"_cp},
      {form->AZoom20mm, "20", -18, 2, "Выбран масштаб графика усадки 20 мм"_cp},
      {form->AZoom10mm, "10", -9, 1, "Выбран масштаб графика усадки 10 мм"_cp},
      // The curve stays above zero: the automatic zoom takes -4 to 1.
      {form->AZoomAuto, "A", -4, 1, "Выбран автоматический масштаб графика усадки"_cp},
  };
  for (const Zoom& z : zooms) {
    z.action->Execute(z.action);
    EXPECT_TRUE(z.action->Checked());
    EXPECT_EQ(Ini("Config", "ShrinkZoom"), z.key);
    EXPECT_EQ(Chart().RightAxis().Minimum(), z.min) << z.key;
    EXPECT_EQ(Chart().RightAxis().Maximum(), z.max) << z.key;
    EXPECT_EQ(Panel(0), z.text);
  }
  EXPECT_FALSE(form->AZoom5mm->Checked());

  form->AZoomProc->Execute(form->AZoomProc);
  EXPECT_EQ(Ini("Config", "ShrinkUnit"), "Proc");
  EXPECT_EQ(Chart().RightAxis().Title(), "Усадка (%)"_cp);
  EXPECT_FALSE(form->AZoom5mm->Enabled());
  EXPECT_TRUE(Chart().RightAxis().Automatic());
  EXPECT_EQ(form->StringGridData->Cells(4, 0), "мм, усадка"_cp);
  EXPECT_EQ(form->StringGridData->Cells(4, 1), "100,0");  // the first point is the reference
  form->AZoomMm->Execute(form->AZoomMm);
  EXPECT_EQ(Ini("Config", "ShrinkUnit"), "mm");
  EXPECT_TRUE(form->AZoom5mm->Enabled());
  EXPECT_EQ(Chart().RightAxis().Title(), "Усадка (мм)"_cp);

  form->APoints->Execute(form->APoints);
  EXPECT_EQ(Ini("Graph", "Points"), "No");
  EXPECT_FALSE(form->Series1->Pointer().Visible);
  form->ALegend->Execute(form->ALegend);
  EXPECT_EQ(Ini("Graph", "Legend"), "No");
  EXPECT_FALSE(Chart().LegendVisible());
  form->AGraphTitle->Execute(form->AGraphTitle);
  EXPECT_EQ(Ini("Config", "GraphTitle"), "Y");
  EXPECT_TRUE(Chart().TitleVisible());
  form->ARelativeTime->Execute(form->ARelativeTime);
  EXPECT_EQ(Ini("Config", "RelativeTime"), "Y");
  EXPECT_EQ(form->StringGridData->Cells(0, 1), "");
  EXPECT_EQ(form->StringGridData->Cells(1, 1), "00:00");

  form->ADataTable->Execute(form->ADataTable);
  EXPECT_EQ(Ini("FormMain", "GraphVisible"), "0");
  EXPECT_TRUE(form->StringGridData->Visible());
  EXPECT_FALSE(Chart().Visible());
  form->ADataGraphic->Execute(form->ADataGraphic);
  EXPECT_EQ(Ini("FormMain", "GraphVisible"), "1");
  EXPECT_TRUE(Chart().Visible());
}

TEST_F(DisplayTest, StartUpRestoresTheOptionsWithoutWriting) {
  Open(
      "[FormMain]\nGraphVisible=1\n[Config]\nShrinkZoom=2x\nShrinkUnit=Proc\nShrinkBase=152.5\n"
      "[Graph]\nPoints=No\nLegend=No\n");
  EXPECT_TRUE(form->AZoom20mm->Checked());
  EXPECT_FALSE(form->AZoom20mm->Enabled());  // per cent
  EXPECT_EQ(Chart().RightAxis().Title(), "Усадка (%)"_cp);
  EXPECT_EQ(form->ShrinkBaseMicrometres(), 152500.0f);
  EXPECT_FALSE(form->Series3->Pointer().Visible);
  EXPECT_FALSE(Chart().LegendVisible());
  EXPECT_EQ(Ini("Config", "ShrinkZoom"), "2x");  // nothing written back
  EXPECT_EQ(Panel(0).find("Выбран"_cp), std::string::npos);
}

TEST_F(DisplayTest, ZeroShiftRedrawsOnceAfterTheLastChange) {
  Open();
  Select(1);
  form->AUseShrinkShift->Execute(form->AUseShrinkShift);
  EXPECT_EQ(Ini("Config", "UseShrinkShift"), "Y");
  EXPECT_TRUE(form->GroupBoxShrinkShift->Visible());
  // The list moves down to make room: top 40, height 121.
  form->FormResize(form.get());
  EXPECT_EQ(form->GroupBoxProcessList->Top(), 40);
  EXPECT_EQ(form->GroupBoxProcessList->Height(), 121);
  form->TimerChangeShrinkShiftTimer(form->TimerChangeShrinkShift);
  form->cbShrinkShift->SetChecked(true);
  EXPECT_TRUE(form->MaskEditShrinkShift->Enabled());
  form->MaskEditShrinkShift->SetText("+00.500");
  // Each change restarts the 500 ms timer; nothing is written yet.
  EXPECT_TRUE(form->TimerChangeShrinkShift->Enabled());
  EXPECT_EQ(form->TimerChangeShrinkShift->Interval(), 500u);
  EXPECT_EQ(Ini("Config", "ShrinkShift"), "+00.000");
  EXPECT_EQ(form->StringGridData->Cells(4, 1), "0,000");
  form->TimerChangeShrinkShiftTimer(form->TimerChangeShrinkShift);
  EXPECT_FALSE(form->TimerChangeShrinkShift->Enabled());
  EXPECT_EQ(Ini("Config", "ShrinkShift"), "+00.500");
  EXPECT_EQ(form->StringGridData->Cells(4, 1), "0,500");
  // Enter in the edit locks it again.
  gui::simulate::PressKey(*form->MaskEditShrinkShift, gui::VK_RETURN);
  EXPECT_FALSE(form->cbShrinkShift->Checked());
  EXPECT_FALSE(form->MaskEditShrinkShift->Enabled());
}

TEST_F(DisplayTest, ShrinkBaseDialogRefusesBadTextInRed) {
  Open();
  Select(1);
  form->AZoomProc->Execute(form->AZoomProc);
  rtl::AnsiString caption, shown;
  gui::TColor afterBad = 0, afterZero = 0, afterGood = 0;
  dialogs.OnModal([&](gui::TForm& f) {
    auto& d = dynamic_cast<app::TfrmShrinkBase&>(f);
    caption = d.Caption();
    shown = d.EditShrinkBase->Text();
    d.EditShrinkBase->SetText("15a");
    afterBad = d.EditShrinkBase->Font().Color();
    d.EditShrinkBase->SetText("0");
    afterZero = d.EditShrinkBase->Font().Color();
    d.EditShrinkBase->SetText("152.5");
    afterGood = d.EditShrinkBase->Font().Color();
    d.SetModalResult(gui::mrCancel);  // Esc keeps what was typed
  });
  form->AShrinkBase->Execute(form->AShrinkBase);
  EXPECT_EQ(caption, "База датчика усадки"_cp);
  EXPECT_EQ(shown, "150");  // no key: 150 mm
  EXPECT_EQ(afterBad, gui::clRed);
  EXPECT_EQ(afterZero, gui::clRed);
  EXPECT_EQ(afterGood, gui::clBlack);
  EXPECT_EQ(Ini("Config", "ShrinkBase"), "152,5");
  EXPECT_EQ(form->ShrinkBaseMicrometres(), 152500.0f);
  // Redrawn with the new base: the first point is 100 % of base + reference.
  EXPECT_EQ(form->StringGridData->Cells(4, 1), "100,0");
}

TEST_F(DisplayTest, DoubleClicksResetAxisEnds) {
  Open("[FormMain]\nGraphVisible=1\n");
  Select(1);
  const gfx::TRect p = Plot();
  Chart().LeftAxis().SetMinMax(10, 50);
  // On the lower half of the right axis: only its minimum (-1 with 10 mm).
  const double rightMax = Chart().RightAxis().Maximum();
  gui::simulate::DoubleClick(Chart(), p.Right + 10, p.Bottom - 20);
  EXPECT_EQ(Chart().RightAxis().Minimum(), -1);
  EXPECT_EQ(Chart().RightAxis().Maximum(), rightMax);
  EXPECT_EQ(Chart().LeftAxis().Minimum(), 10);
  EXPECT_EQ(form->ChartDragZone(), app::TDragZone::None);
  // In the middle of the plot: all six ends.
  gui::simulate::DoubleClick(Chart(), (p.Left + p.Right) / 2, (p.Top + p.Bottom) / 2);
  double x0 = 0, x1 = 0;
  form->Series1->XRange(x0, x1);
  const double a = (x1 - x0) * 0.01;
  EXPECT_EQ(Chart().LeftAxis().Minimum(), -2);
  EXPECT_EQ(Chart().LeftAxis().Maximum(), 102);
  EXPECT_DOUBLE_EQ(Chart().BottomAxis().Minimum(), x0 - a);
  EXPECT_DOUBLE_EQ(Chart().BottomAxis().Maximum(), x1 + a);
  EXPECT_EQ(Chart().RightAxis().Maximum(), 8);
  EXPECT_EQ(Chart().RightAxis().Minimum(), -1);
}

TEST_F(DisplayTest, DraggingTheTimeLabelsMovesTheStart) {
  Open("[FormMain]\nGraphVisible=1\n");
  Select(1);
  const gfx::TRect p = Plot();
  const double min0 = Chart().BottomAxis().Minimum(), span = Chart().BottomAxis().Maximum() - min0;
  const int dx = Chart().ClientWidth() / 10;
  const int x = p.Left + p.Width() / 4, y = p.Bottom + 8;
  // Pressing turns the time labels red until the release.
  Chart().MouseDown(gui::mbLeft, {}, x, y);
  EXPECT_EQ(form->ChartDragZone(), app::TDragZone::TimeStart);
  EXPECT_EQ(Chart().BottomAxis().LabelColor(), 255);
  EXPECT_EQ(Chart().LeftAxis().LabelColor(), gui::clBlack);
  Chart().MouseMove(gui::ssLeft, x + dx, y);
  Chart().MouseUp(gui::mbLeft, {}, x + dx, y);
  EXPECT_NEAR(Chart().BottomAxis().Minimum(), min0 - span * dx / Chart().ClientWidth(), span * 1e-9);
  EXPECT_FALSE(Chart().BottomAxis().Automatic());
  EXPECT_EQ(Chart().BottomAxis().LabelColor(), gui::clBlack);
  // The upper half of the left axis drags its maximum.
  Chart().MouseDown(gui::mbLeft, {}, p.Left - 10, p.Top + 20);
  EXPECT_EQ(form->ChartDragZone(), app::TDragZone::LeftMax);
  EXPECT_EQ(Chart().LeftAxis().LabelColor(), 255);
  Chart().MouseUp(gui::mbLeft, {}, p.Left - 10, p.Top + 20);
}

TEST_F(DisplayTest, ReadoutShowsTimeValuesAndRedMarkers) {
  Open("[FormMain]\nGraphVisible=1\n");
  Select(3);
  const gfx::TRect p = Plot();
  const int x = (p.Left + p.Right) / 2, y = (p.Top + p.Bottom) / 2;
  gui::simulate::MoveMouse(Chart(), x, y);
  EXPECT_EQ(Panel(0).substr(0, 13), "Дата, время: "_cp);
  const double xv = Chart().XScreenToValue(x);
  double t = 0;
  ASSERT_TRUE(app::InterpolateAt(form->Series1->XValues(), form->Series1->YValues(), xv, t));
  const std::string values = Panel(1);
  EXPECT_EQ(values.substr(0, values.find('C') + 1), rtl::FormatFloat("0.0", t) + "°C"_cp);
  EXPECT_NE(values.find(" мм, "_cp), std::string::npos);
  EXPECT_EQ(std::count(values.begin(), values.end(), ','), 4 + 5);  // five values with decimal commas
  for (auto* m : {form->Series4, form->Series5, form->Series6, form->Series9, form->Series10}) {
    ASSERT_EQ(m->Count(), 1);
    EXPECT_EQ(m->PointColor(0), 255);
  }
  EXPECT_NEAR(form->Series4->YValue(0), t, 1e-9);
  // Outside the plot: no texts, no markers.
  gui::simulate::MoveMouse(Chart(), 2, 2);
  EXPECT_EQ(Panel(0), "");
  EXPECT_EQ(Panel(1), "");
  EXPECT_EQ(form->Series4->Count(), 0);
  // While a device operation runs, moving does nothing.
  form->Link().SetBusy(true);
  gui::simulate::MoveMouse(Chart(), x, y);
  EXPECT_EQ(form->Series4->Count(), 0);
  form->Link().SetBusy(false);
}

TEST_F(DisplayTest, ScrollingEndsWithoutTheContextMenu) {
  Open("[FormMain]\nGraphVisible=1\n");
  Select(1);
  int popups = 0;
  form->PopupMenuData->OnPopup = [&](rtl::TObject*) { ++popups; };
  const gfx::TRect p = Plot();
  gui::simulate::DragWith(Chart(), gui::mbRight, p.Left + 100, p.Top + 50, p.Left + 160, p.Top + 50);
  EXPECT_EQ(popups, 0);
  gui::simulate::Click(Chart(), p.Left + 100, p.Top + 50, gui::mbRight);
  EXPECT_EQ(popups, 1);
}

}  // namespace

namespace {

TEST_F(DisplayTest, DamagedFileIsReportedAndTheViewsStayCleared) {
  Open();
  Select(1);
  ASSERT_GT(form->Series1->Count(), 0);
  // The file of row 1 loses its header's point count.
  const std::string name = form->RowFileName(1);
  std::string bytes = apptest::ReadFile(DataFile(name));
  bytes[10] = bytes[11] = 0;
  std::ofstream(DataFile(name), std::ios::binary | std::ios::trunc) << bytes;
  Select(1);
  ASSERT_FALSE(dialogs.MessageBoxes().empty());
  EXPECT_EQ(dialogs.MessageBoxes().back().Text, "Выбранный процесс содержит ошибочные данные"_cp);
  EXPECT_EQ(dialogs.MessageBoxes().back().Caption, "Неверные данные"_cp);
  EXPECT_EQ(form->Series1->Count(), 0);
  EXPECT_EQ(form->StringGridData->RowCount(), 2);
  EXPECT_EQ(form->StringGridData->Cells(0, 1), "");
  EXPECT_EQ(form->StringGridData->Cells(0, 0), "Дата"_cp);
}

// A file that cannot be opened is reported with Retry and Cancel, and then
// as a process with wrong data; the table never shows a horizontal bar.
TEST_F(DisplayTest, UnreadableFileIsReportedByBothBoxes) {
  Open();
  EXPECT_EQ(form->StringGridData->ScrollBars(), gui::ssVertical);
  const std::string name = form->RowFileName(1);
  std::filesystem::remove(DataFile(name));
  ASSERT_EQ(std::system(("mkfifo '" + DataFile(name).string() + "'").c_str()), 0);
  dialogs.AnswerOtherMessageBoxes(gui::IDCANCEL);
  Select(1);
  const auto& boxes = dialogs.MessageBoxes();
  ASSERT_GE(boxes.size(), 2u);
  const auto& open = boxes[boxes.size() - 2];
  EXPECT_EQ(open.Text, "Не могу открыть файл "_cp + rtl::FromNativePath(DataFile(name).string()));
  EXPECT_EQ(open.Flags & 0xF, unsigned(gui::MB_RETRYCANCEL));
  EXPECT_EQ(boxes.back().Text, "Выбранный процесс содержит ошибочные данные"_cp);
}

TEST_F(DisplayTest, RightClickOnTheTableMovesASingleCellAndKeepsARange) {
  Open();
  Select(1);
  int popups = 0;
  form->PopupMenuData->OnPopup = [&](rtl::TObject*) { ++popups; };
  gui::TStringGrid* g = form->StringGridData;
  g->SetRow(1);
  g->SetCol(0);
  const gfx::TRect cell = g->CellRect(2, 3);
  form->StringGridDataMouseUp(g, gui::mbRight, {}, cell.Left + 3, cell.Top + 3);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(g->Row(), 3);
  EXPECT_EQ(g->Col(), 2);
  // A range stays as it is, for "Копировать выделенное".
  g->SetSelection({0, 1, 2, 4});
  const gfx::TRect other = g->CellRect(4, 6);
  form->StringGridDataMouseUp(g, gui::mbRight, {}, other.Left + 3, other.Top + 3);
  EXPECT_EQ(popups, 2);
  EXPECT_EQ(g->Selection(), (gui::TGridRect{0, 1, 2, 4}));
}

}  // namespace
