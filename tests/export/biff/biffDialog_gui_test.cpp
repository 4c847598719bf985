// The workbook export's options dialog, scripted offscreen: a password whose
// confirmation differs is said and asked again (the export never runs with
// the old settings), Cancel then leaves the filter as it was; the chosen
// grouping and the save dialog's name reach the filter.
#include <gtest/gtest.h>

#include "export/biff/vuzExportBIFF.h"
#include "export/biff/vuzExportBIFF_gui.h"
#include "export/pdf_fixture.h"
#include "export/vuzExportRes.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "report/vuzRes.h"

namespace {

using namespace report;

template <class T>
T& Control(gui::TForm& form, const char* name) {
  auto* c = dynamic_cast<T*>(form.FindComponent(name));
  if (!c) throw std::runtime_error(std::string("no control ") + name);
  return *c;
}

TEST(BiffDialogGui, PasswordMismatchAsksAgainAndCancelKeepsTheSettings) {
  export_test::PdfScope scope;
  vuzExportBIFFGuiStartup();
  vuzLoadExportResources();
  TfrxBIFFExport f;
  f.SetPassword(u"old");
  f.FileName = "/tmp/kept.xls";
  {
    gui::DialogScript script;
    script.OnModal([](gui::TForm& form) {
      Control<gui::TEdit>(form, "edPass1").SetText("one");
      Control<gui::TEdit>(form, "edPass2").SetText("two");
      form.SetModalResult(gui::mrOk);
    });
    script.OnModal([](gui::TForm& form) { form.SetModalResult(gui::mrCancel); });
    EXPECT_EQ(f.ShowModal(), gui::mrCancel);
    ASSERT_EQ(script.MessageBoxes().size(), 1u);
    EXPECT_EQ(script.MessageBoxes()[0].Text, vuzGet(9179));
    EXPECT_EQ(script.FileDialogs().size(), 0u);
  }
  EXPECT_EQ(f.Password(), u"old");
  EXPECT_EQ(f.FileName, "/tmp/kept.xls");

  f.FileName.clear();
  gui::DialogScript script;
  script.OnModal([](gui::TForm& form) {
    EXPECT_EQ(Control<gui::TEdit>(form, "edChunk").Text(), "50");
    EXPECT_TRUE(Control<gui::TRadioButton>(form, "rbOriginal").Checked());
    EXPECT_EQ(Control<gui::TEdit>(form, "edPass1").Text(), "");  // never shown again
    Control<gui::TEdit>(form, "edPass1").SetText("one");
    Control<gui::TEdit>(form, "edPass2").SetText("two");
    form.SetModalResult(gui::mrOk);
  });
  script.OnModal([](gui::TForm& form) {
    Control<gui::TEdit>(form, "edPass2").SetText("one");
    Control<gui::TRadioButton>(form, "rbChunks").SetChecked(true);
    Control<gui::TEdit>(form, "edChunk").SetText("25");
    Control<gui::TCheckBox>(form, "cbPreciseQuality").SetChecked(true);
    form.SetModalResult(gui::mrOk);
  });
  script.ChooseFile("/tmp/chosen.xls");
  EXPECT_EQ(f.ShowModal(), gui::mrOk);
  EXPECT_EQ(script.MessageBoxes().size(), 1u);
  EXPECT_EQ(f.Password(), u"one");
  EXPECT_EQ(f.ChunkSize(), 25);
  EXPECT_EQ(f.Inaccuracy, 2);
  EXPECT_EQ(f.FileName, "/tmp/chosen.xls");
  ASSERT_EQ(script.FileDialogs().size(), 1u);
  EXPECT_EQ(script.FileDialogs()[0].DefaultExt, ".xls");
  EXPECT_NE(script.FileDialogs()[0].Filter.find("*.xls"), std::string::npos);
}

}  // namespace
