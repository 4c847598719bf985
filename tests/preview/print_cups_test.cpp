// Printing prepared pages through the private print server's PDF queue,
// read back with qpdf, pdfinfo and pdftotext: collated copies, a page split
// over two sheets and two pages joined on one turned sheet.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "platform/print/print_destinations.h"
#include "preview/vuzPrinter.h"
#include "store_fixture.h"
#include "support/external_tools.h"
#include "tests/platform/print/private_print_server.h"

namespace preview_test {

namespace {
class PrintingToCups : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new PrivatePrintServer;
    if (server_->Available()) print::SetServer(server_->Server());
  }
  static void TearDownTestSuite() {
    preview::vuzResetPrinters();
    print::SetServer("");
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (!server_->Available()) GTEST_SKIP() << server_->Reason();
    for (const char* tool : {"qpdf", "pdfinfo", "pdftotext"})
      if (support::FindTool(tool).empty()) GTEST_SKIP() << support::Missing(tool, "qpdf / poppler-utils");
    preview::vuzResetPrinters();
    f.host->printSettings.ShowDialog = false;
    f.host->printSettings.Printer = PrivatePrintServer::kQueue;
  }
  // Pages "PAGE-1".. of a paper size in millimetres.
  void Build(int pages, int width, int height) {
    t.page->SetPaperWidth(width);
    t.page->SetPaperHeight(height);
    t.page->PaperSize = 256;
    f.store->AddPageAction = report::apAdd;
    f.store->AddSourcePage(t.page.get());
    for (int p = 0; p < pages; ++p) {
      t.title->Text = "PAGE-" + std::to_string(p + 1);
      f.store->AddPage(t.page.get());
      f.store->AddObject(t.header);
    }
    f.store->Finish();
  }
  // Prints and answers the PDF the queue wrote.
  std::string PrintAndRead() {
    EXPECT_TRUE(f.store->Print());
    EXPECT_TRUE(server_->WaitForJobs()) << server_->ErrorLog();
    const std::string file = server_->OutputFile();
    EXPECT_NE(PrivatePrintServer::Run("qpdf --check " + file + " 2>&1").find("No syntax or stream encoding errors"),
              std::string::npos);
    return file;
  }
  static std::vector<std::string> PageMarks(const std::string& text) {
    std::vector<std::string> marks;
    for (std::size_t pos = text.find("PAGE-"); pos != std::string::npos; pos = text.find("PAGE-", pos + 1))
      marks.push_back(text.substr(pos, 6));
    return marks;
  }

  StoreFixture f;
  TemplatePage t;
  static PrivatePrintServer* server_;
};
PrivatePrintServer* PrintingToCups::server_ = nullptr;
}  // namespace

TEST_F(PrintingToCups, TwoCopiesCollated) {
  Build(2, 210, 297);
  f.host->printSettings.Copies = 2;
  const std::string file = PrintAndRead();
  const std::string info = PrivatePrintServer::Run("pdfinfo " + file + " 2>&1");
  EXPECT_NE(info.find("Pages:           4"), std::string::npos) << info;
  const std::string text = PrivatePrintServer::Run("pdftotext -layout " + file + " - 2>&1");
  EXPECT_EQ(PageMarks(text), (std::vector<std::string>{"PAGE-1", "PAGE-2", "PAGE-1", "PAGE-2"})) << text;
}

TEST_F(PrintingToCups, SplitModeTwoSheetsForAWidePage) {
  Build(1, 380, 297);
  f.host->printSettings.PrintMode = 1;
  f.host->printSettings.PrintOnSheet = 9;
  const std::string file = PrintAndRead();
  const std::string info = PrivatePrintServer::Run("pdfinfo " + file + " 2>&1");
  EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
  EXPECT_TRUE(std::regex_search(info, std::regex("Page size: +595\\.\\d* x 841\\.\\d* pts"))) << info;
}

TEST_F(PrintingToCups, JoinModeTwoPagesOnOneTurnedSheet) {
  Build(2, 148, 210);
  f.host->printSettings.PrintMode = 2;
  f.host->printSettings.PrintOnSheet = 9;
  const std::string file = PrintAndRead();
  const std::string info = PrivatePrintServer::Run("pdfinfo " + file + " 2>&1");
  EXPECT_NE(info.find("Pages:           1"), std::string::npos) << info;
  EXPECT_NE(info.find("(A4)"), std::string::npos) << info;
  // The document sent was one turned sheet (the queue fits it to its A4).
  auto* printer = dynamic_cast<preview::TfrxPrinter*>(preview::vuzPrinters().GetCurrentPrinter());
  ASSERT_NE(printer, nullptr);
  ASSERT_FALSE(printer->LastJobs().empty());
  const std::string sent = server_->SpooledDocument(printer->LastJobs().back());
  EXPECT_TRUE(std::regex_search(sent, std::regex("/MediaBox \\[ *0 0 841\\.\\d* 595\\."))) << sent.substr(0, 400);
  // Side by side: both marks on one line of the laid-out text.
  const std::string text = PrivatePrintServer::Run("pdftotext -layout " + file + " - 2>&1");
  EXPECT_TRUE(std::regex_search(text, std::regex("PAGE-1 +PAGE-2"))) << text;
}

}  // namespace preview_test
