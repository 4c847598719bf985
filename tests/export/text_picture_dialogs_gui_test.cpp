// The windows of the text and picture exports, driven as a user drives them
// (clicks, keys, typing through platform/gui/simulate.h) with the file
// dialogs and message boxes answered by a DialogScript: the text options
// dialog with its live preview, the printer dialog, the picture dialog, and
// the dialogs installed as the filters' own. Each window is also grabbed
// and compared with the screenshot kept in data/screens (see the README
// there for how those were taken).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "export/vuzExportImage.h"
#include "export/vuzExportImage_gui.h"
#include "export/vuzExportRes.h"
#include "export/vuzExportTXT.h"
#include "export/vuzExportTXT_gui.h"
#include "platform/gui/application.h"
#include "platform/gui/comctrls.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/simulate.h"
#include "platform/gui/stdctrls.h"
#include "raw_printer.h"
#include "tests/support/external_tools.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/watchdog.h"

namespace export_test {

namespace {

using namespace rtl::literals;
using rtl::AnsiString;

template <class T>
T& Find(gui::TForm& form, const char* name) {
  auto* c = dynamic_cast<T*>(form.FindComponent(name));
  if (!c) throw std::runtime_error(std::string("no control ") + name);
  return *c;
}

void ClickOn(gui::TControl& c) { gui::simulate::Click(c, 5, c.Height() / 2); }

// The window as a picture: kept beside the test program for a look, written
// into $ZARNIK_SCREENSHOT_DIR when set (how the kept screenshots are made,
// under Xvfb), and compared with the kept one by ImageMagick with room for
// the anti-aliasing of another font rasteriser.
void Screenshot(gui::TForm& form, const std::string& name) {
  const std::string file = name + ".png";
  ASSERT_TRUE(gui::GrabToPng(form, file));
  if (const char* dir = std::getenv("ZARNIK_SCREENSHOT_DIR")) gui::GrabToPng(form, std::string(dir) + "/" + file);
  const std::filesystem::path kept = std::filesystem::path(ENGINE_TEST_DATA) / "screens" / file;
  if (!std::filesystem::exists(kept)) return;
  const std::string compare = support::FindTool("compare");
  if (compare.empty()) return;
  const std::string out =
      support::CommandOutput(compare + " -metric AE -fuzz 25% '" + kept.string() + "' '" + file + "' null: 2>&1");
  const gui::TGrabbedImage img = gui::GrabImage(form);
  // At most 2 % of the pixels differ beyond the fuzz.
  EXPECT_LT(std::atof(out.c_str()), 0.02 * img.Width * img.Height) << name << ": " << out;
}

// Two pages "Page 1" and "Page 2" (plus a framed cell on each), prepared.
struct TwoPages {
  TwoPages() {
    report::TfrxReportPage* page = b.AddPage();
    auto& data = b.AddDataSet("Rows", {"N"}, {{rtl::Variant(1)}, {rtl::Variant(2)}});
    auto* band = b.AddDataBand(page, 0, 40, data);
    band->SetStartNewPage(true);
    b.AddMemo(band, 0, 0, 140, 16, "Page [Rows.\"N\"]");
    auto* cell = b.AddMemo(band, 0, 16, 70, 24, "X");
    cell->Frame()->SetTyp(15);
    EXPECT_TRUE(b.Prepare()) << b.Errors();
    b.Report().SetFileName("/data/drying.fr3");
  }
  engine_test::ReportBuilder b;
};

class ExportDialogsGui : public ::testing::Test {
 protected:
  void SetUp() override {
    gui::Application->Initialize();
    report::vuzLoadExportResources();
  }
  engine_test::EngineScope scope;
  support::ScratchFolder dir;
  support::Watchdog watchdog{std::chrono::seconds(60)};
};

}  // namespace

// The options dialog: the narrow window, the preview beside it with page 1
// as the export writes it, page turning, the OEM rule on the frame buttons,
// a refused scale in the preview that does not freeze the scales, OK with a
// refused scale that keeps the window open, and the save dialog.
TEST_F(ExportDialogsGui, TextOptionsDialogWithLivePreview) {
  TwoPages r;
  report::TfrxTXTExport f(nullptr);
  f.Report = &r.b.Report();
  f.Borders = true;
  gui::DialogScript script;
  int widthNarrow = 0, widthWide = 0;
  AnsiString page1, page2, page9, pgWidth, oemPreview;
  bool graphEnabledAfter = true, simpleAfter = false, panelHidden = false;
  script.OnModal([&](gui::TForm& form) {
    widthNarrow = form.ClientWidth();
    panelHidden = !Find<gui::TPanel>(form, "Panel2").Visible();
    Screenshot(form, "txt_export_dialog");
    ClickOn(Find<gui::TSpeedButton>(form, "BtnPreview"));
    widthWide = form.ClientWidth();
    auto& memo = Find<gui::TMemo>(form, "Preview");
    page1 = memo.Text();
    pgWidth = Find<gui::TLabel>(form, "PgWidth").Caption();
    Screenshot(form, "txt_export_dialog_preview");
    auto& page = Find<gui::TEdit>(form, "EPage");
    page.SetText("2");
    page2 = memo.Text();
    page.SetText("9");
    page9 = memo.Text();
    page.SetText("1");
    // OEM on, graphic frames, OEM off: the simple frames are chosen.
    ClickOn(Find<gui::TCheckBox>(form, "CB_OEM"));
    ClickOn(Find<gui::TRadioButton>(form, "RB_Graph"));
    oemPreview = memo.Text();
    ClickOn(Find<gui::TCheckBox>(form, "CB_OEM"));
    graphEnabledAfter = Find<gui::TRadioButton>(form, "RB_Graph").Enabled();
    simpleAfter = Find<gui::TRadioButton>(form, "RB_Simple").Checked();
    // A scale that is no number: the refresh says so and the scales still
    // answer afterwards.
    auto& scaleX = Find<gui::TEdit>(form, "E_ScaleX");
    scaleX.SetText("abc");
    scaleX.SetText("200");
    EXPECT_EQ(scaleX.Text(), "200");
    EXPECT_NE(memo.Text().find("Page 1"), AnsiString::npos) << memo.Text();
    scaleX.SetText("x");  // kept for OK: refused there too
    form.SetModalResult(gui::mrOk);
  });
  for (int i = 0; i < 3; ++i) script.AnswerMessageBox(gui::IDOK);  // two refused refreshes, the refused OK
  script.OnModal([&](gui::TForm& form) {
    Find<gui::TEdit>(form, "E_ScaleX").SetText("200");
    Find<gui::TEdit>(form, "E_Range").SetText("2");
    Find<gui::TCheckBox>(form, "CB_PrintAfter").SetChecked(true);
    gui::simulate::PressKey(form, gui::VK_RETURN);
  });
  script.ChooseFile(dir.File("chosen.txt"));
  EXPECT_EQ(report::vuzShowTXTExportDialog(f), gui::mrOk);
  EXPECT_EQ(widthNarrow, 277);
  EXPECT_EQ(widthWide, 631);
  EXPECT_TRUE(panelHidden);
  // The frame's left edge is the first column, so the text keeps one space.
  EXPECT_EQ(page1.substr(0, 7), " Page 1") << page1;
  EXPECT_EQ(pgWidth, "11");
  EXPECT_EQ(page2.substr(0, 7), " Page 2") << page2;
  EXPECT_EQ(page9, "");
  // The graphic frames are shown as the simple set in the memo.
  EXPECT_NE(oemPreview.find("+---------+"), AnsiString::npos) << oemPreview;
  EXPECT_FALSE(graphEnabledAfter);
  EXPECT_TRUE(simpleAfter);
  ASSERT_EQ(script.MessageBoxes().size(), 3u);
  // What OK wrote into the filter, and the save dialog's first name.
  EXPECT_EQ(f.ScaleWidth, 2);
  EXPECT_EQ(f.PageNumbers, "2");
  EXPECT_TRUE(f.Borders);
  EXPECT_FALSE(f.Pseudogrpahic);
  EXPECT_TRUE(f.PrintAfter);
  EXPECT_EQ(f.FileName, dir.File("chosen.txt"));
  ASSERT_EQ(script.FileDialogs().size(), 1u);
  EXPECT_EQ(script.FileDialogs()[0].FileName, "drying.txt");

  // Cancelling the save dialog cancels the export; Esc cancels the options.
  script.OnModal([](gui::TForm& form) { gui::simulate::PressKey(form, gui::VK_RETURN); });
  script.CancelFileDialog();
  EXPECT_EQ(report::vuzShowTXTExportDialog(f), gui::mrCancel);
  script.OnModal([](gui::TForm& form) { gui::simulate::PressKey(form, gui::VK_ESCAPE); });
  EXPECT_EQ(report::vuzShowTXTExportDialog(f), gui::mrCancel);
}

// The printer dialog: printers and types listed, a type and a command chosen
// and the printer changed, then cancelled (the type stays, the printer comes
// back); then copies and OK; printer-init files loaded and saved.
TEST_F(ExportDialogsGui, PrinterDialog) {
  RawPrinterScope printers;
  report::TfrxTXTExport f(nullptr);
  gui::DialogScript script;
  std::vector<AnsiString> commands;
  script.OnModal([&](gui::TForm& form) {
    auto& types = Find<gui::TComboBox>(form, "ComboBox1");
    EXPECT_EQ(types.ItemCount(), 4);
    EXPECT_EQ(types.ItemIndex(), 0);
    gui::simulate::PressKey(types, gui::VK_DOWN);  // "EPSON ..."
    for (int i = 0; i < 12; ++i)
      commands.push_back(Find<gui::TCheckBox>(form, ("Command" + std::to_string(i)).c_str()).Caption());
    ClickOn(Find<gui::TCheckBox>(form, "Command0"));  // Reset
    auto& list = Find<gui::TComboBox>(form, "CB1");
    EXPECT_EQ(list.ItemCount(), 2);
    gui::simulate::PressKey(list, gui::VK_DOWN);  // "Second"
    EXPECT_EQ(preview::vuzPrinters().GetCurrentPrinter()->Name(), "Second");
    Screenshot(form, "txt_printer_dialog");
    gui::simulate::PressKey(form, gui::VK_ESCAPE);
  });
  EXPECT_EQ(report::vuzShowPrnInitDialog(f), gui::mrCancel);
  ASSERT_EQ(commands.size(), 12u);
  EXPECT_EQ(commands[0], "Reset");
  EXPECT_EQ(commands[11], "Linefeed 1/6\"");
  EXPECT_EQ(f.SelectedPrinterType, 1);
  EXPECT_TRUE(f.PrinterTypes[1].Commands[0].Enabled);
  EXPECT_EQ(preview::vuzPrinters().GetCurrentPrinter()->Name(), "First");
  EXPECT_EQ(f.Copies, 1);

  // Copies typed, the settings saved to a file, another type, the file read
  // back; OK keeps the copies.
  const std::string fpi = dir.File("epson.fpi");
  script.OnModal([&](gui::TForm& form) {
    auto& copies = Find<gui::TMaskEdit>(form, "E1");
    copies.SetText("3");
    ClickOn(Find<gui::TSpeedButton>(form, "Button2"));
    gui::simulate::PressKey(Find<gui::TComboBox>(form, "ComboBox1"), gui::VK_DOWN);  // "HP PCL"
    EXPECT_EQ(f.SelectedPrinterType, 2);
    ClickOn(Find<gui::TSpeedButton>(form, "Button1"));
    EXPECT_EQ(Find<gui::TComboBox>(form, "ComboBox1").ItemIndex(), 1);
    EXPECT_TRUE(Find<gui::TCheckBox>(form, "Command0").Checked());
    form.SetModalResult(gui::mrOk);
  });
  script.ChooseFile(fpi);
  script.ChooseFile(fpi);
  EXPECT_EQ(report::vuzShowPrnInitDialog(f), gui::mrOk);
  EXPECT_EQ(f.Copies, 3);
  EXPECT_EQ(f.SelectedPrinterType, 1);
  EXPECT_EQ(support::ReadFile(fpi).substr(0, 9), "1\r\nTrue\r\n");
  ASSERT_EQ(script.FileDialogs().size(), 2u);
  EXPECT_EQ(script.FileDialogs()[0].DefaultExt, ".fpi");

  // A hostile file: the error is shown, the dialog stays usable.
  ASSERT_TRUE(support::WriteFile(fpi, "9\r\n"));
  script.OnModal([&](gui::TForm& form) {
    ClickOn(Find<gui::TSpeedButton>(form, "Button1"));
    form.SetModalResult(gui::mrOk);
  });
  script.ChooseFile(fpi);
  EXPECT_EQ(report::vuzShowPrnInitDialog(f), gui::mrOk);
  ASSERT_EQ(script.MessageBoxes().size(), 1u);
  EXPECT_NE(script.MessageBoxes()[0].Text.find("epson.fpi"), AnsiString::npos) << script.MessageBoxes()[0].Text;
  EXPECT_EQ(f.SelectedPrinterType, 1);
}

// Installed as the filter's dialogs: an export shows the options, and
// printing afterwards asks the printer dialog, whose copies are printed.
TEST_F(ExportDialogsGui, InstalledDialogsDriveAnExportAndItsPrinting) {
  RawPrinterScope printers;
  report::vuzExportTXTGuiStartup();
  TwoPages r;
  report::TfrxTXTExport f(nullptr);
  f.Report = &r.b.Report();
  f.ShowProgress = false;
  gui::DialogScript script;
  script.OnModal([](gui::TForm& form) {
    Find<gui::TCheckBox>(form, "CB_PrintAfter").SetChecked(true);
    form.SetModalResult(gui::mrOk);
  });
  script.ChooseFile(dir.File("out.txt"));
  script.OnModal([](gui::TForm& form) {
    Find<gui::TMaskEdit>(form, "E1").SetText("2");
    form.SetModalResult(gui::mrOk);
  });
  ASSERT_TRUE(r.b.Store().Export(&f));
  EXPECT_EQ(script.PendingAnswers(), 0);
  const std::string text = support::ReadFile(dir.File("out.txt"));
  EXPECT_EQ(text.substr(0, 6), "Page 1");
  ASSERT_EQ(printers.a->jobs.size(), 2u);
  std::string printed;
  for (const auto& block : printers.a->jobs[1]) printed += block;
  EXPECT_EQ(printed, text);  // type "NONE": nothing in front
  report::TfrxTXTExport::SetDialogHandler(nullptr);
  report::TfrxTXTExport::SetPrinterDialogHandler(nullptr);
}

// The picture dialog: quality only for JPEG, monochrome not for GIF, the page
// edit's keys, a refused resolution keeps the window open, OK and the save
// dialog with the filter's own filter text.
TEST_F(ExportDialogsGui, PictureDialog) {
  TwoPages r;
  report::TfrxJPEGExport jpeg(nullptr);
  jpeg.Report = &r.b.Report();
  gui::DialogScript script;
  script.OnModal([&](gui::TForm& form) {
    EXPECT_TRUE(Find<gui::TEdit>(form, "Quality").Enabled());
    EXPECT_TRUE(Find<gui::TCheckBox>(form, "Mono").Enabled());
    EXPECT_TRUE(Find<gui::TCheckBox>(form, "SeparateCB").Checked());
    auto& pages = Find<gui::TEdit>(form, "PageNumbersE");
    gui::simulate::TypeText(pages, "1a-2;");
    EXPECT_EQ(pages.Text(), "1-2");
    EXPECT_TRUE(Find<gui::TRadioButton>(form, "PageNumbersRB").Checked());
    Find<gui::TEdit>(form, "Resolution").SetText("5000");
    Screenshot(form, "picture_export_dialog");
    gui::simulate::PressKey(form, gui::VK_RETURN);
  });
  script.AnswerMessageBox(gui::IDOK);
  script.OnModal([&](gui::TForm& form) {
    EXPECT_EQ(Find<gui::TEdit>(form, "Resolution").Text(), "5000");  // as typed, for a correction
    Find<gui::TEdit>(form, "Resolution").SetText("150");
    Find<gui::TEdit>(form, "Quality").SetText("70");
    ClickOn(Find<gui::TCheckBox>(form, "CropPage"));
    gui::simulate::PressKey(form, gui::VK_RETURN);
  });
  script.ChooseFile(dir.File("p.jpg"));
  EXPECT_EQ(report::vuzShowIMGExportDialog(jpeg), gui::mrOk);
  ASSERT_EQ(script.MessageBoxes().size(), 1u);
  EXPECT_NE(script.MessageBoxes()[0].Text.find("1200"), AnsiString::npos);
  EXPECT_EQ(jpeg.Resolution, 150);
  EXPECT_EQ(jpeg.JPEGQuality, 70);
  EXPECT_TRUE(jpeg.CropImages);
  EXPECT_EQ(jpeg.PageNumbers, "1-2");
  EXPECT_EQ(jpeg.FileName, dir.File("p.jpg"));
  ASSERT_EQ(script.FileDialogs().size(), 1u);
  EXPECT_EQ(script.FileDialogs()[0].FileName, "drying.jpg");
  EXPECT_EQ(script.FileDialogs()[0].Filter, jpeg.FileFilter);

  // GIF: no quality, no monochrome; into the temporary folder no separate
  // files and no save dialog.
  report::TfrxGIFExport gif(nullptr);
  gif.Report = &r.b.Report();
  gif.ExportToTemp = true;
  script.OnModal([&](gui::TForm& form) {
    EXPECT_FALSE(Find<gui::TEdit>(form, "Quality").Enabled());
    EXPECT_FALSE(Find<gui::TCheckBox>(form, "Mono").Enabled());
    EXPECT_FALSE(Find<gui::TCheckBox>(form, "SeparateCB").Visible());
    form.SetModalResult(gui::mrOk);
  });
  EXPECT_EQ(report::vuzShowIMGExportDialog(gif), gui::mrOk);
  EXPECT_EQ(script.FileDialogs().size(), 1u);
  EXPECT_FALSE(gif.SeparateFiles);

  // Installed: the export driver shows it, and a cancel ends the export.
  report::vuzExportImageGuiStartup();
  report::TfrxPNGExport png(nullptr);
  png.ShowProgress = false;
  script.OnModal([](gui::TForm& form) { gui::simulate::PressKey(form, gui::VK_ESCAPE); });
  EXPECT_FALSE(r.b.Store().Export(&png));
  report::TfrxCustomImageExport::SetDialogHandler(nullptr);
}

}  // namespace export_test
