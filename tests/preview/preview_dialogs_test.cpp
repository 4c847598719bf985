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

}  // namespace preview_test
