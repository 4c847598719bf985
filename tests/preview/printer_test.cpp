#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/print/print_destinations.h"
#include "platform/rtl/files.h"
#include "platform/rtl/strings.h"
#include "preview/vuzPageSettingsModel.h"
#include "preview/vuzPrintDialogModel.h"
#include "preview/vuzPrinter.h"
#include "preview/vuzPrinterDefaults.h"
#include "report/vuzClassPage.h"
#include "support/external_tools.h"
#include "support/scratch_folder.h"
#include "tests/platform/print/private_print_server.h"

using namespace preview;
using rtl::operator""_cp;

using support::ScratchFolder;

namespace {

// The whole points of pdfinfo's "Page size: 595.276 x 841.89 pts" line as
// "595 x 841", or "" when the line is missing. (Read with sscanf: gcc 12
// warns falsely inside std::regex in the sanitizer build.)
std::string PdfPageSizePoints(const std::string& info) {
  const std::size_t at = info.find("Page size:");
  double width = 0, height = 0;
  if (at == std::string::npos || std::sscanf(info.c_str() + at, "Page size: %lf x %lf pts", &width, &height) != 2)
    return "";
  return std::to_string(int(width)) + " x " + std::to_string(int(height));
}

// No server at all: the program works with the virtual printer.
class NoPrinters : public ::testing::Test {
 protected:
  void SetUp() override {
    print::SetServer("/nonexistent-zarnik/cups.sock");
    vuzResetPrinters();
  }
  void TearDown() override {
    vuzResetPrinters();
    print::SetServer("");
  }
};

TEST_F(NoPrinters, TheVirtualPrinterIsTheOnlyAndCurrentOne) {
  TfrxPrinters& list = vuzPrinters();
  EXPECT_FALSE(list.HasPhysicalPrinters());
  ASSERT_EQ(list.Count(), 1);
  EXPECT_TRUE(list.Printers().empty());
  EXPECT_EQ(list.PrinterIndex(), 0);
  TfrxCustomPrinter* p = list.GetCurrentPrinter();
  ASSERT_NE(dynamic_cast<TfrxVirtualPrinter*>(p), nullptr);
  EXPECT_EQ(p->Name(), "Виртуальный"_cp);
  EXPECT_EQ(p->Port(), "");
  EXPECT_EQ(p->DPIX(), 600);
  EXPECT_EQ(p->DPIY(), 600);
  EXPECT_EQ(p->DefPaper(), 9);
  EXPECT_EQ(p->DefPaperWidth(), 210);
  EXPECT_EQ(p->DefPaperHeight(), 297);
  EXPECT_EQ(p->Bin(), -1);
  EXPECT_EQ(p->Duplex(), -1);
  EXPECT_EQ(list.GetItem(-1), nullptr);
  EXPECT_EQ(list.IndexOf("виртуальный"_cp), 0);
}

TEST_F(NoPrinters, VirtualPrinterPapersAndLookups) {
  TfrxCustomPrinter* p = vuzPrinters().GetCurrentPrinter();
  ASSERT_EQ(p->Papers().Count(), 67);
  EXPECT_EQ(p->Papers().Name(0), "Пользовательский"_cp);
  EXPECT_EQ(p->Papers().Number(0), 256);
  for (int i = 1; i < 67; ++i) EXPECT_EQ(p->Papers().Name(i), "") << i;
  EXPECT_EQ(p->Papers().Number(1), 1);
  EXPECT_EQ(p->Papers().Number(66), 68);
  EXPECT_EQ(p->PaperIndex(9), 9);
  EXPECT_EQ(p->PaperIndex(48), -1);
  ASSERT_EQ(p->Bins().Count(), 1);
  EXPECT_EQ(p->Bins().Name(0), "По умолчанию"_cp);
  EXPECT_EQ(p->BinNameToNumber("Tray 9"), 7);
  EXPECT_EQ(p->BinNameToNumber("по умолчанию"_cp), 7);
  EXPECT_EQ(p->PaperNameToNumber("A4"), 256);
  EXPECT_EQ(p->BinIndex(7), 0);
  EXPECT_EQ(p->BinIndex(15), -1);
}

TEST_F(NoPrinters, VirtualPrinterPageLayout) {
  TfrxCustomPrinter* p = vuzPrinters().GetCurrentPrinter();
  struct Case {
    int paper;
    long double w, h;
    TPrinterOrientation o;
    int paperAfter;
    long double wAfter, hAfter;
  };
  for (const Case& c : {Case{9, 0, 0, poPortrait, 9, 210, 297}, Case{9, 0, 0, poLandscape, 9, 297, 210},
                        Case{11, 1, 1, poPortrait, 11, 148, 210}, Case{256, 100, 150, poLandscape, 256, 100, 150},
                        Case{48, 120, 80, poPortrait, 256, 120, 80}}) {
    p->SetViewParams(c.paper, c.w, c.h, c.o);
    EXPECT_EQ(p->Paper(), c.paperAfter) << c.paper;
    EXPECT_EQ(p->PaperWidth(), c.wAfter) << c.paper;
    EXPECT_EQ(p->PaperHeight(), c.hAfter) << c.paper;
    EXPECT_EQ(p->Orientation(), c.o) << c.paper;
    for (long double m : {p->LeftMargin(), p->TopMargin(), p->RightMargin(), p->BottomMargin()}) EXPECT_EQ(m, 5);
  }
  p->SetPrintParams(9, 0, 0, poPortrait, 15, 0, 1);
  EXPECT_EQ(p->Bin(), 15);
  // Printing on the virtual printer does nothing and raises nothing.
  p->BeginDoc();
  p->BeginPage();
  p->EndPage();
  p->EndDoc();
}

TEST(TrayNumbers, KeywordsGiveStableBinNumbers) {
  struct Case {
    const char* keyword;
    int position, bin;
  };
  for (const Case c :
       {Case{"auto", 3, 7}, Case{"top", 0, 1}, Case{"main", 0, 1}, Case{"bottom", 5, 2}, Case{"middle", 0, 3},
        Case{"manual", 9, 4}, Case{"envelope", 0, 5}, Case{"large-capacity", 0, 11}, Case{"tray-1", 2, 257},
        Case{"tray-12", 0, 268}, Case{"tray-x", 4, 516}, Case{"tray-", 1, 513}, Case{"tray-99999999", 1, 513},
        Case{"photo", 6, 518}})
    EXPECT_EQ(vuzBinOfTray(c.keyword, c.position), c.bin) << c.keyword;
}

TEST(DuplexNumbers, WindowsNumbersBecomeSides) {
  EXPECT_EQ(TfrxPrinter::SidesOfDuplex(DMDUP_SIMPLEX), print::kOneSided);
  EXPECT_EQ(TfrxPrinter::SidesOfDuplex(DMDUP_VERTICAL), print::kTwoSidedLongEdge);
  EXPECT_EQ(TfrxPrinter::SidesOfDuplex(DMDUP_HORIZONTAL), print::kTwoSidedShortEdge);
  EXPECT_EQ(TfrxPrinter::SidesOfDuplex(0), print::kOneSided);
}

// A private print server with the PDF queue.
class SystemPrinter : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new PrivatePrintServer;
    if (server_->Available()) print::SetServer(server_->Server());
  }
  static void TearDownTestSuite() {
    vuzResetPrinters();
    print::SetServer("");
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (!server_->Available()) GTEST_SKIP() << server_->Reason();
    vuzResetPrinters();
  }
  TfrxPrinter& Current() {
    auto* p = dynamic_cast<TfrxPrinter*>(vuzPrinters().GetCurrentPrinter());
    EXPECT_NE(p, nullptr);
    return *p;
  }
  // Two pages, each with its number and a Russian line.
  static void PrintTwoPages(TfrxCustomPrinter& p) {
    p.BeginDoc();
    for (int page = 1; page <= 2; ++page) {
      p.BeginPage();
      gfx::TCanvas& c = p.Canvas();
      c.Font().SetName("Arial");
      c.Font().SetSize(14);
      c.TextOutW(300, 300, page == 1 ? u"Страница один" : u"Страница два");
      c.TextOut(300, 500, "PAGE-" + std::to_string(page));
      p.EndPage();
    }
    p.EndDoc();
  }
  static PrivatePrintServer* server_;
};
PrivatePrintServer* SystemPrinter::server_ = nullptr;

TEST_F(SystemPrinter, TheDefaultQueueIsCurrentWithItsMediaAndTrays) {
  TfrxPrinters& list = vuzPrinters();
  EXPECT_TRUE(list.HasPhysicalPrinters());
  EXPECT_EQ(list.GetDefaultPrinter(), PrivatePrintServer::kQueue);
  TfrxPrinter& p = Current();
  EXPECT_EQ(p.Name(), PrivatePrintServer::kQueue);
  EXPECT_TRUE(p.Initialized());
  EXPECT_EQ(p.DPIX(), 300);
  EXPECT_EQ(p.DefPaper(), 9);
  EXPECT_EQ(p.PaperWidth(), 210);
  EXPECT_EQ(p.PaperHeight(), 297);
  EXPECT_EQ(p.LeftMargin(), 4);
  EXPECT_EQ(p.BottomMargin(), 5);
  EXPECT_NE(p.PaperIndex(11), -1);  // A5
  EXPECT_NE(p.PaperIndex(1), -1);   // Letter
  EXPECT_EQ(p.Papers().Number(0), 256);
  EXPECT_EQ(p.Bins().Number(0), 7);
  EXPECT_NE(p.BinIndex(DMBIN_MANUAL), -1);
  EXPECT_GE(p.Bins().Count(), 3);

  p.SetViewParams(11, 0, 0, poLandscape);
  EXPECT_EQ(p.PaperWidth(), 210);
  EXPECT_EQ(p.PaperHeight(), 148);
  p.SetViewParams(256, 100, 150, poPortrait);
  EXPECT_EQ(p.Paper(), 256);
  EXPECT_EQ(p.PaperWidth(), 100);
}

// The dialogs list the queue's own paper and tray names (its PPD's texts),
// and what is chosen by name still goes to the job as the IPP keyword.
TEST_F(SystemPrinter, DialogsShowThePrintersNamesAndJobsSendKeywords) {
  TfrxPrinter& p = Current();
  TfrxPageSettingsModel pageSettings(p, duCM);
  TfrxPrintDialogModel printDialog(vuzPrinters());
  const std::vector<AnsiString>& papers = pageSettings.State().Papers;
  const std::vector<AnsiString>& sheets = printDialog.State().Sheets;
  const struct {
    const char* shown;
    int paper;
    const char* keyword;
  } paperCases[] = {
      {"A4", 9, "iso_a4_210x297mm"}, {"A5", 11, "iso_a5_148x210mm"}, {"US Letter", 1, "na_letter_8.5x11in"}};
  for (const auto& c : paperCases) {
    EXPECT_NE(std::find(papers.begin(), papers.end(), c.shown), papers.end()) << c.shown;
    EXPECT_NE(std::find(sheets.begin(), sheets.end(), c.shown), sheets.end()) << c.shown;
    ASSERT_EQ(p.PaperNameToNumber(c.shown), c.paper) << c.shown;
    p.SetPrintParams(p.PaperNameToNumber(c.shown), 0, 0, poPortrait, DMBIN_AUTO, dmNone, 1);
    EXPECT_EQ(p.PendingJob().Media, c.keyword) << c.shown;
  }
  const struct {
    const char* shown;
    int bin;
    const char* keyword;
  } trayCases[] = {{"Upper Tray", DMBIN_UPPER, "top"},
                   {"Lower Tray", DMBIN_LOWER, "bottom"},
                   {"Manual Feed", DMBIN_MANUAL, "manual"}};
  for (const auto& c : trayCases) {
    ASSERT_EQ(p.BinNameToNumber(c.shown), c.bin) << c.shown;
    p.SetPrintParams(9, 0, 0, poPortrait, p.BinNameToNumber(c.shown), dmNone, 1);
    EXPECT_EQ(p.PendingJob().Tray, c.keyword) << c.shown;
  }
  // No keyword ("tray-1", "by-pass-tray") among the names.
  for (int i = 0; i < p.Bins().Count(); ++i)
    EXPECT_EQ(p.Bins().Name(i).find('-'), AnsiString::npos) << p.Bins().Name(i);
}

TEST_F(SystemPrinter, DuplexAndBinsOfAJob) {
  TfrxPrinter& p = Current();
  struct Case {
    int bin, duplex;
    int dialogBin, dialogDuplex;  // -1: nothing chosen in the properties dialog
    std::string tray, sides;
  };
  const std::string manual = p.TrayOfBin(DMBIN_MANUAL);
  ASSERT_EQ(manual, "manual");
  for (const Case& c :
       {Case{7, dmNone, -1, -1, "", print::kOneSided},
        Case{DMBIN_MANUAL, dmVertical, -1, -1, manual, print::kTwoSidedLongEdge},
        Case{7, dmHorizontal, -1, -1, "", print::kTwoSidedShortEdge}, Case{7, dmSimplex, -1, -1, "", print::kOneSided},
        Case{7, dmNone, DMBIN_MANUAL, DMDUP_VERTICAL, manual, print::kTwoSidedLongEdge},
        Case{2, dmHorizontal, DMBIN_MANUAL, DMDUP_SIMPLEX, p.TrayOfBin(2), print::kOneSided}}) {
    p.OnPropertiesDialog = [&](TfrxPrinter&, int& bin, int& duplex) {
      bin = c.dialogBin;
      duplex = c.dialogDuplex;
      return true;
    };
    p.PropertiesDlg();
    p.SetPrintParams(9, 0, 0, poPortrait, c.bin, c.duplex, 3);
    EXPECT_EQ(p.PendingJob().Tray, c.tray) << c.bin << "/" << c.duplex;
    EXPECT_EQ(p.PendingJob().Sides, c.sides) << c.bin << "/" << c.duplex;
    EXPECT_EQ(p.PendingJob().Copies, 3);
  }
  p.SetPrintParams(256, 100, 150, poLandscape, 7, 0, 1);
  EXPECT_EQ(p.PendingJob().Media, "custom_150x100mm_150x100mm");
  // The end of a document forgets the dialog's choice.
  p.BeginDoc();
  p.EndDoc();
  EXPECT_EQ(p.Bin(), -1);
  EXPECT_EQ(p.Duplex(), -1);
}

TEST_F(SystemPrinter, TwoPagesInTwoCopiesArePrintedAsPdf) {
  if (support::FindTool("qpdf").empty()) GTEST_SKIP() << support::Missing("qpdf", "qpdf");
  if (support::FindTool("pdftotext").empty()) GTEST_SKIP() << support::Missing("pdftotext", "poppler-utils");
  TfrxPrinter& p = Current();
  p.Title = "";
  p.Collate = true;
  p.SetPrintParams(9, 0, 0, poPortrait, 7, dmNone, 2);
  PrintTwoPages(p);
  ASSERT_EQ(p.LastError(), "");
  ASSERT_EQ(p.LastJobs().size(), 1u);
  ASSERT_TRUE(server_->WaitForJobs()) << server_->ErrorLog();
  const std::string file = server_->OutputFile();
  EXPECT_NE(PrivatePrintServer::Run("qpdf --check " + file + " 2>&1").find("No syntax or stream encoding errors"),
            std::string::npos);
  const std::string info = PrivatePrintServer::Run("pdfinfo " + file + " 2>&1");
  EXPECT_NE(info.find("Pages:           4"), std::string::npos) << info;
  EXPECT_EQ(PdfPageSizePoints(info), "595 x 841") << info;
  EXPECT_NE(info.find("Rezi Zuzore Document"), std::string::npos) << info;
  // Collated: 1, 2, 1, 2.
  const std::string text = PrivatePrintServer::Run("pdftotext -enc UTF-8 " + file + " - 2>&1");
  std::vector<std::size_t> at;
  for (std::size_t pos = text.find("PAGE-"); pos != std::string::npos; pos = text.find("PAGE-", pos + 1))
    at.push_back(pos);
  ASSERT_EQ(at.size(), 4u) << text;
  EXPECT_EQ(text.substr(at[0], 6), "PAGE-1");
  EXPECT_EQ(text.substr(at[1], 6), "PAGE-2");
  EXPECT_EQ(text.substr(at[2], 6), "PAGE-1");
  EXPECT_EQ(text.substr(at[3], 6), "PAGE-2");
  EXPECT_NE(text.find("Страница один"), std::string::npos) << text;
  EXPECT_NE(text.find("Страница два"), std::string::npos) << text;
  EXPECT_LT(text.find("Страница один"), text.find("Страница два"));
}

TEST_F(SystemPrinter, ATrayChangeBetweenPagesSplitsTheJob) {
  if (support::FindTool("pdfinfo").empty()) GTEST_SKIP() << support::Missing("pdfinfo", "poppler-utils");
  TfrxPrinter& p = Current();
  p.BeginDoc();
  for (int bin : {DMBIN_AUTO, DMBIN_AUTO, DMBIN_MANUAL}) {
    p.SetPrintParams(9, 0, 0, poPortrait, bin, dmNone, 1);
    p.BeginPage();
    p.Canvas().TextOut(100, 100, "x");
    p.EndPage();
  }
  p.EndDoc();
  ASSERT_EQ(p.LastError(), "");
  EXPECT_EQ(p.LastJobs().size(), 2u);
  ASSERT_TRUE(server_->WaitForJobs()) << server_->ErrorLog();
  // The last job is the one page from the manual tray.
  const std::string info = PrivatePrintServer::Run("pdfinfo " + server_->OutputFile() + " 2>&1");
  EXPECT_NE(info.find("Pages:           1"), std::string::npos) << info;
}

TEST_F(SystemPrinter, PrintToFileWritesTheSamePdfAndSendsNoJob) {
  if (support::FindTool("pdfinfo").empty()) GTEST_SKIP() << support::Missing("pdfinfo", "poppler-utils");
  ScratchFolder folder;
  TfrxPrinter& p = Current();
  p.FileName = folder.File("out.prn");
  p.Title = "Отчёт"_cp;
  p.SetPrintParams(11, 0, 0, poPortrait, 7, dmNone, 1);
  PrintTwoPages(p);
  p.FileName.clear();
  EXPECT_EQ(p.LastError(), "");
  EXPECT_TRUE(p.LastJobs().empty());
  const std::string info = PrivatePrintServer::Run("pdfinfo " + folder.File("out.prn") + " 2>&1");
  EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
  EXPECT_EQ(PdfPageSizePoints(info), "419 x 595") << info;
  EXPECT_NE(info.find("Отчёт"), std::string::npos) << info;
}

TEST_F(SystemPrinter, RawDocumentsReachTheQueueUnchanged) {
  TfrxPrinter& p = Current();
  p.BeginRAWDoc();
  p.WriteRAWDoc("%PDF-not really\r\n");
  p.WriteRAWDoc("second line\f");
  p.EndRAWDoc();
  ASSERT_EQ(p.LastError(), "");
  ASSERT_EQ(p.LastJobs().size(), 1u);
  ASSERT_TRUE(server_->WaitForJobs()) << server_->ErrorLog();
  EXPECT_EQ(server_->SpooledDocument(p.LastJobs()[0]), "%PDF-not really\r\nsecond line\f");
}

TEST_F(SystemPrinter, AQueueThatVanishedIsAnErrorNotACrash) {
  TfrxPrinter gone("NoSuchQueue", "");
  gone.Init();
  EXPECT_FALSE(gone.Initialized());
  EXPECT_EQ(gone.Papers().Count(), 1);
  EXPECT_EQ(gone.Bins().Count(), 1);
  gone.BeginDoc();
  gone.BeginPage();
  gone.EndPage();
  gone.EndDoc();
  EXPECT_NE(gone.LastError(), "");
}

}  // namespace

// New report pages take the current printer's default paper once the
// program has installed the hook.
TEST_F(NoPrinters, ReportPagesTakeThePrintersDefaultPaper) {
  vuzInstallPrinterDefaults();
  report::TfrxReportPage page(nullptr);
  page.SetPaperSize(11);  // A5, so the defaults show
  page.SetDefaults();
  const TfrxCustomPrinter* p = vuzPrinters().GetCurrentPrinter();
  EXPECT_EQ(page.PaperSize(), p->DefPaper());
  EXPECT_EQ(page.PaperWidth(), p->DefPaperWidth());
  EXPECT_EQ(page.PaperHeight(), p->DefPaperHeight());
  EXPECT_EQ(page.Orientation(), report::poPortrait);
  report::vuzSetPrinterDefaultsProvider(nullptr);
}
