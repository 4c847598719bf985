// The spreadsheet export's options dialog window: installed as the filter's
// dialog, Escape cancels and changes nothing, Enter takes the values shown.
#include <gtest/gtest.h>

#include "export/vuzExportRes.h"
#include "export/vuzExportXLS.h"
#include "export/vuzExportXLS_gui.h"
#include "platform/gui/application.h"
#include "platform/gui/simulate.h"

namespace {

TEST(XlsExportDialogGui, EscapeCancelsAndEnterKeepsTheValuesShown) {
  gui::Application->Initialize();
  report::vuzLoadExportResources();
  report::vuzExportXLSGuiStartup();
  report::TfrxXLSExport f(nullptr);
  // Into the temporary folder: no save dialog follows.
  f.ExportToTemp = true;
  f.EmptyLines = false;
  f.PageNumbers = "2-3";
  f.AsText = true;
  gui::simulate::PressKeyInNextDialog(gui::VK_ESCAPE);
  EXPECT_EQ(f.ShowModal(), 2);
  EXPECT_EQ(f.PageNumbers, "2-3");
  gui::simulate::PressKeyInNextDialog(gui::VK_RETURN);
  EXPECT_EQ(f.ShowModal(), 1);
  EXPECT_EQ(f.PageNumbers, "2-3");
  EXPECT_FALSE(f.EmptyLines);
  EXPECT_TRUE(f.SuppressPageHeadersFooters);  // "continuous" was shown checked
  EXPECT_TRUE(f.AsText);
  EXPECT_FALSE(f.OpenExcelAfterExport);
  report::TfrxXLSExport::SetDialogHandler({});
  EXPECT_EQ(f.ShowModal(), 1);  // without the window the settings hold
}

}  // namespace
