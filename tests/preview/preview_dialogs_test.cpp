// The preview's dialog windows, offscreen, answered through the dialog
// script: the print dialog shows the options and writes the choices back
// (printer, mode with its sheet, copies, duplex, print to file, cancelling),
// the page settings dialog keeps itself open until every field is a number,
// and the search dialog remembers the last confirmed text.
#include <gtest/gtest.h>

#include <memory>

#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/registry.h"
#include "preview/vuzCtrls_gui.h"
#include "preview/vuzDock_gui.h"
#include "preview/vuzPageSettingsModel.h"
#include "preview/vuzPageSettings_gui.h"
#include "preview/vuzPrintDialog_gui.h"
#include "preview/vuzPrinter.h"
#include "report/vuzRes.h"
#include "tests/preview/recording_printer.h"
#include "tests/preview/store_fixture.h"
#include "tests/support/scratch_folder.h"

namespace preview_test {

using rtl::operator""_cp;

namespace {

template <class T>
T& Control(gui::TForm& form, const char* name) {
  auto* c = dynamic_cast<T*>(form.FindComponent(name));
  if (!c) throw std::runtime_error(std::string("no control ") + name);
  return *c;
}

// What a user's choice in a list does (code alone runs no handler).
void Choose(gui::TForm& form, const char* name, int index) {
  auto& box = Control<gui::TComboBox>(form, name);
  box.SetItemIndex(index);
  if (box.OnSelect) box.OnSelect(&box);
}

void Press(gui::TForm& form, gui::TModalResult result) { form.SetModalResult(result); }

class PrintDialogWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    preview::vuzResetPrinters();
    preview::vuzPrinters().AddPrinter(std::make_unique<RecordingPrinter>(true, "First", std::vector<int>{9, 11}));
    preview::vuzPrinters().AddPrinter(std::make_unique<RecordingPrinter>(true, "Second", std::vector<int>{11}));
    preview::vuzPrinters().SetPrinterIndex(0);
  }
  void TearDown() override { preview::vuzResetPrinters(); }
  gui::DialogScript script_;
};

}  // namespace

TEST_F(PrintDialogWindow, ShowsTheOptionsAndWritesTheChoicesBack) {
  preview::TfrxPrintSettings s;
  s.Copies = 2;
  s.Collate = false;
  s.PageNumbers = "2-3";
  s.Duplex = preview::dmNone;
  script_.OnModal([](gui::TForm& f) {
    EXPECT_EQ(f.Caption(), report::vuzGet(200));
    EXPECT_EQ(Control<gui::TEdit>(f, "CopiesE").Caption(), "2");
    EXPECT_FALSE(Control<gui::TCheckBox>(f, "CollateCB").Checked());
    EXPECT_TRUE(Control<gui::TRadioButton>(f, "PageNumbersRB").Checked());
    EXPECT_EQ(Control<gui::TEdit>(f, "PageNumbersE").Caption(), "2-3");
    EXPECT_FALSE(Control<gui::TComboBox>(f, "PagPageSizeCB").Enabled());
    EXPECT_EQ(Control<gui::TLabel>(f, "WhereL1").Caption(), "port-First");
    // Join mode without a sheet takes A4.
    Choose(f, "PrintModeCB", 2);
    auto& sheet = Control<gui::TComboBox>(f, "PagPageSizeCB");
    EXPECT_TRUE(sheet.Enabled());
    EXPECT_EQ(sheet.Caption(), "Paper9");
    // Another printer without A4: the sheet falls back to the default.
    Choose(f, "PrintersCB", 1);
    EXPECT_EQ(sheet.ItemIndex(), 0);
    EXPECT_EQ(Control<gui::TLabel>(f, "WhereL1").Caption(), "port-Second");
    Control<gui::TEdit>(f, "CopiesE").SetCaption("");  // counts as 1
    Choose(f, "DuplexCB", 2);
    Control<gui::TRadioButton>(f, "AllRB").SetChecked(true);
    Press(f, gui::mrOk);
  });
  ASSERT_TRUE(preview::vuzShowPrintDialog(nullptr, s));
  EXPECT_EQ(s.Copies, 1);
  EXPECT_EQ(s.PrintMode, 2);
  EXPECT_EQ(s.PrintOnSheet, report::DMPAPER_USER);
  EXPECT_EQ(s.Duplex, preview::dmHorizontal);
  EXPECT_EQ(s.PageNumbers, "");
  EXPECT_EQ(preview::vuzPrinters().PrinterIndex(), 1);  // the chosen printer stays current
}

TEST_F(PrintDialogWindow, CancelKeepsTheOptionsAndTheEarlierPrinter) {
  preview::TfrxPrintSettings s;
  s.Copies = 4;
  const preview::TfrxPrintSettings before = s;
  script_.OnModal([](gui::TForm& f) {
    Choose(f, "PrintersCB", 1);
    Control<gui::TEdit>(f, "CopiesE").SetCaption("9");
    Press(f, gui::mrCancel);
  });
  EXPECT_FALSE(preview::vuzShowPrintDialog(nullptr, s));
  EXPECT_TRUE(s == before);
  EXPECT_EQ(preview::vuzPrinters().PrinterIndex(), 0);
}

TEST_F(PrintDialogWindow, PrintToFileAsksForAFileNamedPrn) {
  support::ScratchFolder folder("print-file-");
  preview::TfrxPrintSettings s;
  script_.ChooseFile(folder.File("report.pdf"));
  script_.OnModal([](gui::TForm& f) {
    Choose(f, "PrintersCB", 1);
    Control<gui::TCheckBox>(f, "FileCB").SetChecked(true);
    Press(f, gui::mrOk);
  });
  ASSERT_TRUE(preview::vuzShowPrintDialog(nullptr, s));
  EXPECT_EQ(s.OutputFile, folder.File("report.prn"));
  ASSERT_EQ(script_.FileDialogs().size(), 1u);
  EXPECT_TRUE(script_.FileDialogs()[0].Save);
  EXPECT_EQ(script_.FileDialogs()[0].Title, report::vuzGet(507));

  // Cancelling the file dialog cancels the print and brings the printer
  // that was current before the dialog back.
  preview::vuzPrinters().SetPrinterIndex(0);
  script_.CancelFileDialog();
  script_.OnModal([](gui::TForm& f) {
    Choose(f, "PrintersCB", 1);
    Control<gui::TCheckBox>(f, "FileCB").SetChecked(true);
    Press(f, gui::mrOk);
  });
  preview::TfrxPrintSettings t;
  EXPECT_FALSE(preview::vuzShowPrintDialog(nullptr, t));
  EXPECT_EQ(preview::vuzPrinters().PrinterIndex(), 0);
}

TEST_F(PrintDialogWindow, PageSettingsStayOpenUntilEveryFieldIsANumber) {
  TestPage page;
  page.SetPaperWidth(210);
  page.SetPaperHeight(297);
  script_.OnModal([](gui::TForm& f) {
    EXPECT_EQ(f.Caption(), report::vuzGet(400));
    EXPECT_EQ(Control<gui::TEdit>(f, "MarginLeftE").Caption(), "1");  // 10 mm in centimetres
    EXPECT_EQ(Control<gui::TLabel>(f, "UnitL3").Caption(), report::vuzResources().Get("uCm"));
    Control<gui::TEdit>(f, "MarginLeftE").SetCaption("2");
    Control<gui::TEdit>(f, "MarginBottomE").SetCaption("a lot");
    Press(f, gui::mrOk);
  });
  script_.OnModal([](gui::TForm& f) {
    // Shown again with what was typed; the page is still as it was.
    EXPECT_EQ(Control<gui::TEdit>(f, "MarginBottomE").Caption(), "a lot");
    Control<gui::TEdit>(f, "MarginBottomE").SetCaption("1,5");
    Control<gui::TRadioButton>(f, "ApplyToAllRB").SetChecked(true);
    Press(f, gui::mrOk);
  });
  bool all = false;
  ASSERT_TRUE(preview::vuzShowPageSettings(nullptr, &page, all));
  ASSERT_EQ(script_.MessageBoxes().size(), 1u);
  EXPECT_NE(script_.MessageBoxes()[0].Text.find("a lot"), AnsiString::npos);
  EXPECT_TRUE(all);
  EXPECT_EQ(page.LeftMargin, 20);
  EXPECT_EQ(page.BottomMargin, 15);

  // Cancelled: nothing changes, even after the orientation was switched.
  script_.OnModal([](gui::TForm& f) {
    Control<gui::TRadioButton>(f, "LandscapeRB").SetChecked(true);
    Control<gui::TEdit>(f, "MarginLeftE").SetCaption("5");
    Press(f, gui::mrCancel);
  });
  EXPECT_FALSE(preview::vuzShowPageSettings(nullptr, &page, all));
  EXPECT_EQ(page.Orientation, 0);
  EXPECT_EQ(page.LeftMargin, 20);
}

TEST(SearchDialogWindow, OffersTheLastConfirmedText) {
  gui::DialogScript script;
  preview::vuzLastSearchText() = "";
  script.OnModal([](gui::TForm& f) {
    EXPECT_EQ(f.Caption(), report::vuzGet(300));
    Control<gui::TEdit>(f, "TextE").SetCaption("Итого"_cp);
    Control<gui::TCheckBox>(f, "CaseCB").SetChecked(true);
    Press(f, gui::mrOk);
  });
  AnsiString text;
  bool fromTop = true, matchCase = false;
  ASSERT_TRUE(preview::vuzShowSearchDialog(text, fromTop, matchCase));
  EXPECT_EQ(text, "Итого"_cp);
  EXPECT_FALSE(fromTop);
  EXPECT_TRUE(matchCase);

  script.OnModal([](gui::TForm& f) {
    EXPECT_EQ(Control<gui::TEdit>(f, "TextE").Caption(), "Итого"_cp);
    Control<gui::TEdit>(f, "TextE").SetCaption("other");
    Press(f, gui::mrCancel);
  });
  EXPECT_FALSE(preview::vuzShowSearchDialog(text, fromTop, matchCase));
  EXPECT_EQ(preview::vuzLastSearchText(), "Итого"_cp);
}

// A real form's place through the layout routines and the settings store;
// toolbar panels stack from the top in a vertical tool area.
TEST(DockWidgets, FormPlaceRoundTripAndToolbarPanels) {
  support::ScratchFolder folder("dock-widgets-");
  rtl::TMemIniFile ini(folder.File("layout.ini"));
  gui::TForm saved(nullptr);
  saved.SetBounds(40, 30, 500, 400);
  preview::TfrxGuiFormFace savedFace(saved, "TfrxPreviewForm");
  preview::vuzSaveFormPosition(ini, savedFace);
  EXPECT_EQ(ini.ReadInteger("Form4.TfrxPreviewForm", "Width", 0), 500);

  gui::TForm restored(nullptr);
  restored.SetBounds(0, 0, 200, 100);
  preview::TfrxGuiFormFace face(restored, "TfrxPreviewForm");
  preview::vuzRestoreFormPosition(ini, face);
  EXPECT_EQ(restored.Width(), 500);
  EXPECT_EQ(restored.Height(), 400);

  gui::TForm form(nullptr);
  auto* side = new gui::TPanel(&form);
  side->SetParent(&form);
  side->SetAlign(gui::alLeft);
  auto* area = new gui::TPanel(&form);
  area->SetParent(side);
  auto* panel = new preview::TfrxTBPanel(&form);
  panel->SetParent(area);
  EXPECT_EQ(panel->Align(), gui::alTop);
  auto* top = new gui::TPanel(&form);
  top->SetParent(&form);
  top->SetAlign(gui::alTop);
  auto* row = new gui::TPanel(&form);
  row->SetParent(top);
  auto* other = new preview::TfrxTBPanel(&form);
  other->SetParent(row);
  EXPECT_EQ(other->Align(), gui::alLeft);
}

// The flat combo box chooses from its list into its edit part; the font box
// lists the machine's fonts and moves a chosen one to the top; the combo
// edit's button sits at its right end.
TEST(ControlWidgets, FlatComboAndFontBox) {
  support::ScratchFolder folder("control-widgets-");
  rtl::SetSettingsFolder(folder.Path() + "/");
  gui::TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  auto* combo = new preview::TfrxComboBox(&form);
  combo->SetParent(&form);
  combo->SetBounds(10, 10, 59, 19);
  combo->SetItems({"25%", "50%", "100%"});
  int selected = 0;
  combo->OnSelect = [&](gui::TObject*) { ++selected; };
  combo->Choose(1);
  EXPECT_EQ(combo->Caption(), "50%");
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(selected, 1);
  combo->Choose(7);  // no such item
  EXPECT_EQ(selected, 1);
  EXPECT_EQ(combo->PaintState(), preview::cpsNormal);
  // The edit part sits inside the frame, left of the button.
  EXPECT_EQ(combo->Edit().Left(), 3);
  EXPECT_EQ(combo->Edit().Width(), 59 - 11 - 8);

  auto* fonts = new preview::TfrxFontComboBox(&form);
  fonts->SetParent(&form);
  fonts->PopulateList();
  const std::vector<preview::TfrxFontItem>& items = fonts->List().Items();
  ASSERT_GT(items.size(), 2u);
  int clicks = 0;
  fonts->OnClick = [&](gui::TObject*) { ++clicks; };
  const AnsiString chosen = items.back().Name;
  fonts->CloseUp(static_cast<int>(items.size()) - 1);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(fonts->List().Items().front().Name, chosen);
  EXPECT_EQ(fonts->List().MRUCount(), 0);
  EXPECT_EQ(fonts->Caption(), chosen);

  auto* edit = new preview::TfrxComboEdit(&form);
  edit->SetParent(&form);
  edit->SetBounds(10, 60, 120, 21);
  EXPECT_EQ(edit->Button().Left(), 101);
  EXPECT_EQ(edit->Button().Width(), 17);
  EXPECT_EQ(edit->Edit().Width(), 95);
  int pressed = 0;
  edit->OnButtonClick = [&](gui::TObject*) { ++pressed; };
  edit->Button().Click();
  EXPECT_EQ(pressed, 1);
  rtl::SetSettingsFolder("");
}

}  // namespace preview_test
