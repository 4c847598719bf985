// The page settings dialog's units (numbers shown with the locale's decimal
// comma), paper and orientation, and its all-or-nothing change of the page.
#include <gtest/gtest.h>

#include "preview/vuzPageSettingsModel.h"
#include "recording_printer.h"
#include "report/vuzRes.h"
#include "store_fixture.h"

namespace preview_test {

using preview::TfrxPageSettingsModel;

TEST(PageSettings, Units) {
  struct Case {
    int units;
    long double mm;
    const char* shown;
  } cases[] = {{preview::duInches, 25.4L, "1"}, {preview::duInches, 210, "8,27"}, {preview::duCM, 210, "21"},
               {preview::duPixels, 15, "1,50"}, {preview::duChars, 100, "10"},    {7, 210, "21"}};
  RecordingPrinter printer;
  printer.Init();
  for (const Case& c : cases) {
    TestPage page;
    page.SetPaperWidth(c.mm);
    TfrxPageSettingsModel dialog(printer, c.units);
    dialog.Show(&page);
    EXPECT_EQ(dialog.State().Width, c.shown) << c.units;
  }
  // An unknown unit is taken as centimetres, labels included.
  EXPECT_EQ(TfrxPageSettingsModel(printer, 7).State().UnitName, report::vuzResources().Get("uCm"));
  EXPECT_EQ(TfrxPageSettingsModel(printer, preview::duInches).State().UnitName, report::vuzResources().Get("uInch"));
}

TEST(PageSettings, OrientationAndPaper) {
  RecordingPrinter printer;
  printer.Init();
  TestPage page;
  page.PaperSize = 256;
  page.SetPaperWidth(100);
  page.SetPaperHeight(200);
  TfrxPageSettingsModel dialog(printer, preview::duCM);
  auto& st = dialog.State();
  dialog.Show(&page);
  EXPECT_EQ(st.Papers[static_cast<std::size_t>(st.Paper)], "Custom");
  dialog.SetPortrait(false);
  EXPECT_EQ(st.Width + "x" + st.Height, "20x10");
  dialog.SetPortrait(true);
  EXPECT_EQ(st.Width + "x" + st.Height, "10x20");
  // A standard paper takes the printer's size, turned with the page.
  st.Paper = printer.PaperIndex(11);
  dialog.PaperChanged();
  EXPECT_EQ(st.Width + "x" + st.Height, "14,80x21");
  dialog.SetPortrait(false);
  EXPECT_EQ(st.Width + "x" + st.Height, "21x14,80");
  // Typing a size picks the custom paper; filling the fields on opening did not.
  dialog.SizeEdited();
  EXPECT_EQ(st.Paper, 0);
}

TEST(PageSettings, AllFieldsOrNothing) {
  RecordingPrinter printer;
  printer.Init();
  TestPage page;
  TfrxPageSettingsModel dialog(printer, preview::duCM);
  auto& st = dialog.State();
  dialog.Show(&page);
  st.Width = "15";
  st.Portrait = false;
  st.Bottom = "a lot";
  AnsiString error;
  EXPECT_FALSE(dialog.Accept(&page, error));
  EXPECT_NE(error.find("a lot"), AnsiString::npos) << error;
  EXPECT_EQ(page.PaperWidth(), 210);  // nothing applied
  EXPECT_EQ(page.Orientation, 0);

  st.Bottom = "2,5";  // either decimal separator
  st.Paper = printer.PaperIndex(256);
  ASSERT_TRUE(dialog.Accept(&page, error));
  EXPECT_EQ(page.PaperWidth(), 150);
  EXPECT_EQ(page.BottomMargin, 25);
  EXPECT_EQ(page.Orientation, 1);
  EXPECT_EQ(page.PaperSize, 256);
}

}  // namespace preview_test
