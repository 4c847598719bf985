// The print dialog's controls against the print options, both ways, on two
// recording printers with different papers.
#include <gtest/gtest.h>

#include <memory>

#include "preview/vuzPrintDialogModel.h"
#include "preview/vuzPrinter.h"
#include "recording_printer.h"
#include "report/vuzRes.h"

namespace preview_test {

using preview::TfrxPrintDialogModel;
using preview::TfrxPrintSettings;

namespace {
class PrintDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    preview::vuzResetPrinters();
    preview::TfrxPrinters& list = preview::vuzPrinters();
    list.AddPrinter(std::make_unique<RecordingPrinter>(true, "First", std::vector<int>{9, 11, 1}));
    list.AddPrinter(std::make_unique<RecordingPrinter>(true, "Second", std::vector<int>{11, 1}));
    list.SetPrinterIndex(0);
  }
  void TearDown() override { preview::vuzResetPrinters(); }
  preview::TfrxPrinters& printers() { return preview::vuzPrinters(); }
};
}  // namespace

TEST_F(PrintDialog, OptionsIntoTheControls) {
  TfrxPrintDialogModel dialog(printers());
  auto& st = dialog.State();
  EXPECT_EQ(st.Printers, (std::vector<AnsiString>{"First", "Second"}));
  EXPECT_EQ(st.Where, "port-First");
  ASSERT_EQ(st.Sheets.size(), 4u);  // "По умолчанию" and three papers, the custom one left out
  EXPECT_EQ(st.Sheets[0], report::vuzResources().Get("pgDefault"));
  TfrxPrintSettings s;
  s.Copies = 3;
  s.Collate = false;
  s.PageNumbers = "2-4";
  s.PrintPages = 2;
  s.Reverse = true;
  s.PrintMode = 3;
  s.PrintOnSheet = 11;
  s.Duplex = 2;
  dialog.Show(s);
  EXPECT_EQ(st.Copies, "3");
  EXPECT_FALSE(st.Collate);
  EXPECT_EQ(st.Pages, preview::pcNumbers);
  EXPECT_EQ(st.PageNumbers, "2-4");
  EXPECT_EQ(st.PrintPages, 2);
  EXPECT_EQ(st.Order, 1);
  EXPECT_EQ(st.PrintMode, 3);
  EXPECT_EQ(st.Duplex, 2);
  EXPECT_TRUE(st.SheetEnabled);
  EXPECT_EQ(st.Sheets[static_cast<std::size_t>(st.Sheet)], "Paper11");
}

TEST_F(PrintDialog, ControlsIntoTheOptions) {
  TfrxPrintDialogModel dialog(printers());
  auto& st = dialog.State();
  dialog.Show(TfrxPrintSettings{});
  struct Case {
    preview::TfrxPagesChoice pages;
    const char* copies;
    const char* pageNumbers;  // expected
    int expectedCopies;
  } cases[] = {{preview::pcAll, "2", "", 2},
               {preview::pcCurrent, "4", "7", 4},
               {preview::pcNumbers, "", "1,3", 1},    // empty copies count as 1
               {preview::pcNumbers, "x", "1,3", 5}};  // not a number: the copies stay
  for (const Case& c : cases) {
    TfrxPrintSettings s;
    s.Copies = 5;
    st.Pages = c.pages;
    st.PageNumbers = "1,3";
    st.Copies = c.copies;
    ASSERT_TRUE(dialog.Accept(s, 7, nullptr));
    EXPECT_EQ(s.PageNumbers, c.pageNumbers);
    EXPECT_EQ(s.Copies, c.expectedCopies) << c.copies;
  }
  TfrxPrintSettings s;
  st.Order = 1;
  st.PrintPages = 1;
  st.Duplex = 3;
  dialog.ChoosePrintMode(2);
  ASSERT_TRUE(dialog.Accept(s, 1, nullptr));
  EXPECT_TRUE(s.Reverse);
  EXPECT_EQ(s.PrintPages, 1);
  EXPECT_EQ(s.Duplex, 3);
  EXPECT_EQ(s.PrintMode, 2);
  EXPECT_EQ(s.PrintOnSheet, 9);  // a mode chosen with no sheet takes A4
  dialog.ChoosePrintMode(0);
  EXPECT_FALSE(st.SheetEnabled);
  ASSERT_TRUE(dialog.Accept(s, 1, nullptr));
  EXPECT_EQ(s.PrintOnSheet, 256);  // "По умолчанию": the printer's own paper
}

TEST_F(PrintDialog, AnotherPrinterKeepsTheSheetWhenItHasIt) {
  TfrxPrintDialogModel dialog(printers());
  auto& st = dialog.State();
  dialog.ChoosePrintMode(1);
  st.Sheet = TfrxPrintDialogModel::SheetItemOf(*printers().GetItem(0), 11);
  dialog.ChoosePrinter(1);
  EXPECT_EQ(printers().PrinterIndex(), 1);  // current at once
  EXPECT_EQ(st.Where, "port-Second");
  EXPECT_EQ(st.Sheets[static_cast<std::size_t>(st.Sheet)], "Paper11");
  dialog.ChoosePrinter(0);
  st.Sheet = TfrxPrintDialogModel::SheetItemOf(*printers().GetItem(0), 9);
  dialog.ChoosePrinter(1);  // the second has no A4
  EXPECT_EQ(st.Sheet, 0);
  dialog.Cancel();
  EXPECT_EQ(printers().PrinterIndex(), 0);
}

TEST_F(PrintDialog, PropertiesDuplexAndPrintToFile) {
  TfrxPrintDialogModel dialog(printers());
  auto& st = dialog.State();
  struct Case {
    int windows, shown;
  } cases[] = {{3, 2}, {2, 1}, {1, 3}, {0, 3}, {-1, 3}};  // 0 and below change nothing
  for (const Case& c : cases) {
    dialog.PropertiesChosen(c.windows);
    EXPECT_EQ(st.Duplex, c.shown) << c.windows;
  }
  EXPECT_EQ(TfrxPrintDialogModel::PrintFileName("/tmp/out.pdf"), "/tmp/out.prn");
  EXPECT_EQ(TfrxPrintDialogModel::PrintFileName("/tmp/out"), "/tmp/out.prn");
  EXPECT_EQ(TfrxPrintDialogModel::PrintFileName("/tmp/a.b/out"), "/tmp/a.b/out.prn");

  st.PrintToFile = true;
  dialog.ChoosePrinter(1);
  TfrxPrintSettings s;
  ASSERT_TRUE(dialog.Accept(s, 1, [](AnsiString& file) {
    file = "/tmp/job.txt";
    return true;
  }));
  EXPECT_EQ(s.OutputFile, "/tmp/job.prn");
  // Cancelling the file dialog cancels the print and brings the earlier
  // printer back.
  EXPECT_FALSE(dialog.Accept(s, 1, [](AnsiString&) { return false; }));
  EXPECT_EQ(printers().PrinterIndex(), 0);
}

}  // namespace preview_test
