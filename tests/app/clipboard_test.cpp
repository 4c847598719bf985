// Copying the chart and the data table to the clipboard and the chart's
// print preview from the main window: the status texts, the clipboard's
// contents as another program would read them, and no process or no
// selection.
#include "platform/gui/clipboard.h"

#include <string>
#include <vector>

#include "platform/chart/preview_dialog.h"
#include "platform/gfx/bitmap.h"
#include "platform/gui/forms.h"
#include "tests/app/form_fixture.h"

using namespace rtl::literals;

namespace {

class ClipboardTest : public apptest::FormFixture {
 protected:
  ~ClipboardTest() override { chart::SetChartPrintSink(nullptr); }
  // The window with the processes of the recorder downloaded and the first one shown.
  void Open(std::vector<sim::ProcessSpec> processes) {
    model = std::make_unique<sim::RecorderModel>();
    for (const auto& p : processes) ASSERT_GE(model->AddProcess(p), 0);
    Create();
    FirstTick();
    form->SetBounds(0, 0, 800, 600);
    form->Show();
    form->FormResize(form.get());
    if (!processes.empty()) {
      form->StringGridProcessList->SetRow(1);
      form->ShowProcess();
    }
    gui::Clipboard().Clear();
  }
  void OpenSmall() { Open({sim::MakeProcess(3, 3)}); }
  // The selection as the user leaves it with the mouse.
  void Select(int left, int top, int right, int bottom) {
    form->StringGridData->SetSelection({left, top, right, bottom});
  }
  std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
      lines.push_back(text.substr(at, end - at));
    EXPECT_EQ(at, text.size()) << "text does not end in CR LF";
    return lines;
  }
  std::string Cell(int c, int r) { return form->StringGridData->Cells(c, r); }
};

TEST_F(ClipboardTest, CopySelectedGivesTheRectangleRowByRow) {
  OpenSmall();
  ASSERT_EQ(form->StringGridData->RowCount(), 4);
  ASSERT_EQ(form->StringGridData->ColCount(), 5);
  struct Case {
    const char* what;
    gui::TGridRect sel;
    std::string expected;
  } cases[] = {
      {"one cell", {2, 1, 2, 1}, Cell(2, 1) + "\r\n"},
      {"2 x 2", {1, 2, 2, 3}, Cell(1, 2) + "\t" + Cell(2, 2) + "\r\n" + Cell(1, 3) + "\t" + Cell(2, 3) + "\r\n"},
      {"whole row",
       {0, 3, 4, 3},
       Cell(0, 3) + "\t" + Cell(1, 3) + "\t" + Cell(2, 3) + "\t" + Cell(3, 3) + "\t" + Cell(4, 3) + "\r\n"},
      {"one column", {0, 1, 0, 3}, Cell(0, 1) + "\r\n" + Cell(0, 2) + "\r\n" + Cell(0, 3) + "\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gui::Clipboard().SetAsText("stale");
    form->StatusBar1->SetPanelText(1, "old");
    Select(c.sel.Left, c.sel.Top, c.sel.Right, c.sel.Bottom);
    form->ACopySelected->Execute();
    EXPECT_EQ(gui::Clipboard().AsText(), c.expected);
    EXPECT_EQ(Panel(0), "Данные скопированы в буфер обмена"_cp);
    EXPECT_EQ(Panel(1), "");
  }
  // The cells are the table's own texts, not empty ones.
  EXPECT_FALSE(Cell(2, 1).empty());
  EXPECT_EQ(Cell(4, 0), "мм, усадка"_cp);
}

TEST_F(ClipboardTest, NothingToCopyLeavesTheClipboardAlone) {
  struct Case {
    const char* what;
    bool process;
    gui::TGridRect sel;
    gui::TAction* app::TForm1::*action;
    std::string panel;
  } cases[] = {
      {"no process, selected", false, {0, 0, 0, 0}, &app::TForm1::ACopySelected, "Нет данных для копирования"_cp},
      {"no process, table", false, {-1, -1, -1, -1}, &app::TForm1::ACopyData, "Нет данных для копирования"_cp},
      {"no process, chart", false, {-1, -1, -1, -1}, &app::TForm1::ACopyGraphic, "Нет данных для копирования"_cp},
      {"no selection", true, {-1, -1, -1, -1}, &app::TForm1::ACopySelected, "Нет выделенных данных"_cp},
      {"no top", true, {1, -1, 2, -1}, &app::TForm1::ACopySelected, "Нет выделенных данных"_cp},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.process)
      OpenSmall();
    else
      Open({});
    Select(c.sel.Left, c.sel.Top, c.sel.Right, c.sel.Bottom);
    gui::Clipboard().SetAsText("kept");
    form->StatusBar1->SetPanelText(1, "old");
    (form.get()->*c.action)->Execute();
    EXPECT_EQ(Panel(0), c.panel);
    EXPECT_EQ(Panel(1), "");
    EXPECT_EQ(gui::Clipboard().AsText(), "kept");
    EXPECT_FALSE(gui::Clipboard().HasPicture());
  }
}

TEST_F(ClipboardTest, CopyDataGivesTheWholeTableWithItsCaptions) {
  OpenSmall();
  Select(1, 1, 1, 1);  // the selection does not matter
  form->ACopyData->Execute();
  EXPECT_EQ(Panel(0), "Данные скопированы в буфер обмена"_cp);
  // Three points ten minutes apart: the air from 20 to 60 degrees and from
  // 80 to 20 per cent, the shrink from zero; 1251 text, CR LF after each row.
  EXPECT_EQ(gui::Clipboard().AsText(),
            "Дата\tВремя\t°C, температура среды\t%, относительная влажность\tмм, усадка\r\n"
            "07.03.13\t09:05\t20,0\t80,0\t0,000\r\n"
            "07.03.13\t09:15\t40,0\t50,0\t2,595\r\n"
            "07.03.13\t09:25\t60,0\t20,0\t2,947\r\n"_cp);
  // Every row is the table's row, whatever it shows.
  const std::vector<std::string> lines = Lines(gui::Clipboard().AsText());
  ASSERT_EQ(lines.size(), 4u);
  for (int r = 0; r < 4; ++r) {
    std::string expected;
    for (int c = 0; c < 5; ++c) expected += Cell(c, r) + (c < 4 ? "\t" : "");
    EXPECT_EQ(lines[r], expected) << "row " << r;
  }
}

TEST_F(ClipboardTest, CopyDataOfALargeProcessKeepsEveryRow) {
  Open({sim::MakeProcess(600, 5)});
  form->ACopyData->Execute();
  const std::vector<std::string> lines = Lines(gui::Clipboard().AsText());
  ASSERT_EQ(lines.size(), 601u);
  EXPECT_EQ(std::count(lines[600].begin(), lines[600].end(), '\t'), 6);
  EXPECT_EQ(lines[600].substr(0, lines[600].find('\t')), Cell(0, 600));
}

TEST_F(ClipboardTest, CopyGraphicPutsTheChartOnWhiteAtItsSize) {
  OpenSmall();
  form->ShowDataView(true);
  form->ACopyGraphic->Execute();
  EXPECT_EQ(Panel(0), "График скопирован в буфер обмена"_cp);
  gfx::TBitmap b;
  ASSERT_TRUE(gui::Clipboard().GetBitmap(b));
  ASSERT_GT(form->Chart1->Width(), 10);
  EXPECT_EQ(b.Width(), form->Chart1->Width());
  EXPECT_EQ(b.Height(), form->Chart1->Height());
  // White around the chart, and something drawn on it.
  EXPECT_EQ(b.PixelColor(0, 0) & 0xFFFFFF, gfx::clWhite);
  EXPECT_EQ(b.PixelColor(b.Width() - 1, b.Height() - 1) & 0xFFFFFF, gfx::clWhite);
  int white = 0, other = 0;
  for (int y = 0; y < b.Height(); y += 2)
    for (int x = 0; x < b.Width(); x += 2) ((b.PixelColor(x, y) & 0xFFFFFF) == gfx::clWhite ? white : other)++;
  EXPECT_GT(white, other);
  EXPECT_GT(other, 100);
}

TEST_F(ClipboardTest, PrintGraphShowsThePreviewWithoutTheMarkers) {
  int printed = 0;
  chart::SetChartPrintSink([&](const std::string& pdf) {
    printed += pdf.compare(0, 5, "%PDF-") == 0;
    return true;
  });
  // No process: nothing shown, nothing printed.
  Open({});
  form->APrintGraph->Execute();
  EXPECT_EQ(Panel(0), "Нет данных для печати"_cp);
  EXPECT_EQ(printed, 0);

  OpenSmall();
  form->Series4->AddXY(1, 1);  // a read-out marker left on the chart
  form->StatusBar1->SetPanelText(1, "old");
  rtl::AnsiString caption, panelDuring;
  int markersDuring = -1;
  dialogs.OnModal([&](gui::TForm& preview) {
    caption = preview.Caption();
    panelDuring = Panel(0);
    markersDuring = form->Series4->Count();
    for (int i = 0; i < preview.ControlCount(); ++i)
      if (auto* b = dynamic_cast<gui::TButton*>(preview.Controls(i)); b && b->Caption() == "Печать"_cp) b->Click();
  });
  form->APrintGraph->Execute();
  EXPECT_EQ(caption, "Предварительный просмотр"_cp);
  EXPECT_EQ(panelDuring, "Подождите..."_cp);
  EXPECT_EQ(markersDuring, 0);
  EXPECT_EQ(printed, 1);
  EXPECT_EQ(Panel(0), "");
  EXPECT_EQ(Panel(1), "");
}

}  // namespace
