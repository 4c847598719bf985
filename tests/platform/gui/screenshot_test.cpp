// A smoke check of what a person sees: a small form with the process list
// grid and the five-panel status bar with its lamp, grabbed offscreen into a
// PNG file (kept beside the test program for a look) and checked for the
// lamp, the caption row and the file itself.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "platform/gui/comctrls.h"
#include "platform/gui/extctrls.h"
#include "platform/gui/forms.h"
#include "platform/gui/grids.h"

using namespace gui;
using namespace rtl::literals;

TEST(Screenshot, FormWithGridAndStatusBar) {
  TForm form(nullptr);
  form.SetCaption("Zudazuzira zirudoradid");
  form.SetBounds(0, 0, 480, 220);

  auto* grid = new TStringGrid(&form);
  grid->SetParent(&form);
  grid->SetAlign(alClient);
  grid->SetDefaultRowHeight(16);
  grid->SetColCount(7);
  grid->SetRowCount(12);
  grid->SetOptions(grid->Options() | goRowSelect);
  const char* widths[] = {"56", "48", "70", "70", "70", "70", "70"};
  const AnsiString captions[] = {
      "Дата"_cp,           "Время"_cp,         "Длительность, час:мин"_cp, "Период отсчетов, мин"_cp,
      "Всего отсчетов"_cp, "Вид продукции"_cp, "Место установки"_cp};
  for (int c = 0; c < 7; ++c) {
    grid->SetColWidths(c, std::atoi(widths[c]));
    grid->SetCells(c, 0, captions[c]);
  }
  for (int r = 1; r < 12; ++r) {
    grid->SetRowCells(r, {"05.11.13", "09:" + std::to_string(10 + r), "24:00", "1", "1441", "Кирпич"_cp, "Цех 2"_cp});
  }

  auto* bar = new TStatusBar(&form);
  bar->SetParent(&form);
  for (int w : {100, 200, 42, 20, 50}) bar->AddPanel(w);
  bar->SetPanelText(0, "Принято"_cp);
  bar->SetPanelText(1, "Попытка соединения..."_cp);
  bar->SetPanelText(2, "COM1");
  bar->SetPanelAlignment(2, taCenter);
  auto* lamp = new TShape(&form);
  lamp->SetParent(bar);
  lamp->SetShape(stCircle);
  lamp->SetBrushColor(clRed);
  TRect r3 = bar->PanelRect(3);
  lamp->SetBounds(r3.Left + 3, 4, 12, 12);

  form.Show();
  grid->SetRow(3);

  const char* file = "screenshot_form_grid_statusbar.png";
  std::remove(file);
  ASSERT_TRUE(GrabToPng(form, file));
  std::ifstream in(file, std::ios::binary);
  char sig[8] = {};
  in.read(sig, 8);
  EXPECT_EQ(std::string(sig, 8), std::string("\x89PNG\r\n\x1a\n", 8));

  TGrabbedImage img = GrabImage(form);
  EXPECT_EQ(img.Width, 480);
  EXPECT_EQ(img.Height, 220);
  // The lamp is a red circle over panel 3.
  std::uint32_t centre = img.Pixel(r3.Left + 9, bar->Top() + 10);
  EXPECT_EQ((centre >> 16) & 0xFF, 255u);
  EXPECT_LT((centre >> 8) & 0xFF, 40u);
  // The caption row carries text: dark pixels in its first cell.
  TRect cap = grid->CellRect(0, 0);
  int dark = 0;
  for (int y = cap.Top; y < cap.Bottom; ++y)
    for (int x = cap.Left; x < cap.Right; ++x) {
      std::uint32_t p = img.Pixel(x, y);
      dark += ((p >> 16) & 0xFF) < 100 && ((p >> 8) & 0xFF) < 100 && (p & 0xFF) < 100;
    }
  EXPECT_GT(dark, 5);
}
