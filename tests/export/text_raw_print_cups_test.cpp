// Printing the text export's file after the export, on a raw queue of the
// tests' private print server (cupsd): what reaches the printer is exactly
// the printer's initialisation followed by the exported file, once per copy,
// and the user's file stays as exported.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "engine_fixture.h"
#include "export/vuzExportRes.h"
#include "export/vuzExportTXT.h"
#include "platform/print/print_destinations.h"
#include "preview/vuzPrinter.h"
#include "tests/platform/print/private_print_server.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

namespace export_test {

namespace {

using namespace rtl::literals;
using rtl::AnsiString;

constexpr const char* kRawQueue = "ZarnikRaw";

class TextRawPrinting : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new PrivatePrintServer;
    if (!server_->Available()) return;
    print::SetServer(server_->Server());
    rawQueue_ = server_->AddRawQueue(kRawQueue);
  }
  static void TearDownTestSuite() {
    preview::vuzResetPrinters();
    print::SetServer("");
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (!server_->Available()) GTEST_SKIP() << server_->Reason();
    if (!rawQueue_) GTEST_SKIP() << "the raw queue could not be made: " << server_->ErrorLog();
    report::vuzLoadExportResources();
    preview::vuzResetPrinters();
  }
  engine_test::EngineScope scope;
  support::ScratchFolder dir;
  static PrivatePrintServer* server_;
  static bool rawQueue_;
};
PrivatePrintServer* TextRawPrinting::server_ = nullptr;
bool TextRawPrinting::rawQueue_ = false;

}  // namespace

TEST_F(TextRawPrinting, EachCopyIsTheInitialisationAndTheExportedFile) {
  // 60 framed Cyrillic rows over two pages: more than 1024 bytes, so the
  // file goes to the printer in several blocks.
  engine_test::ReportBuilder b;
  report::TfrxReportPage* page = b.AddPage();
  std::vector<engine_test::TableDataSet::Row> rows;
  for (int i = 1; i <= 60; ++i) rows.push_back({rtl::Variant(i), rtl::Variant(AnsiString("Строка"_cp))});
  auto& data = b.AddDataSet("Rows", {"N", "T"}, rows);
  auto* band = b.AddDataBand(page, 0, 24, data);
  auto* n = b.AddMemo(band, 0, 0, 70, 24, "[Rows.\"N\"]");
  auto* t = b.AddMemo(band, 70, 0, 210, 24, "[Rows.\"T\"] [Rows.\"N\"]");
  n->Frame()->SetTyp(15);
  t->Frame()->SetTyp(15);
  ASSERT_TRUE(b.Prepare()) << b.Errors();
  ASSERT_GE(b.Store().GetCount(), 2);

  const int queue = preview::vuzPrinters().IndexOf(kRawQueue);
  ASSERT_GE(queue, 0);
  preview::vuzPrinters().SetPrinterIndex(queue);
  report::TfrxTXTExport f(nullptr);
  f.ShowDialog = false;
  f.ShowProgress = false;
  f.Report = &b.Report();
  f.FileName = dir.File("rows.txt");
  f.Borders = true;
  f.Pseudogrpahic = true;
  f.OEMCodepage = true;
  f.PrintAfter = true;
  f.PrinterDialog = false;
  f.Copies = 2;
  f.SelectedPrinterType = 1;                     // EPSON
  f.PrinterTypes[1].Commands[0].Enabled = true;  // Reset
  f.PrinterTypes[1].Commands[5].Enabled = true;  // Bold
  ASSERT_TRUE(b.Store().Export(&f));
  ASSERT_TRUE(server_->WaitForJobs(std::chrono::seconds(60), kRawQueue)) << server_->ErrorLog();

  const std::string exported = support::ReadFile(dir.File("rows.txt"));
  ASSERT_GT(exported.size(), 2048u);
  EXPECT_EQ(exported.find("\x1B@"), std::string::npos);  // the user's file has no initialisation
  const std::string expected = f.InitString + exported;
  EXPECT_EQ(f.InitString.substr(0, 2), "\x1B@");
  // Two jobs, each document as the server received and spooled it.
  const std::string jobs =
      PrivatePrintServer::Run("lpstat -h " + server_->Server() + " -W completed -o " + kRawQueue + " 2>&1");
  const std::regex id(std::string(kRawQueue) + "-(\\d+)");
  int count = 0;
  for (auto it = std::sregex_iterator(jobs.begin(), jobs.end(), id); it != std::sregex_iterator(); ++it) {
    ++count;
    const std::string job = server_->SpooledDocument(std::stoi((*it)[1].str()));
    EXPECT_TRUE(job == expected) << "job " << (*it)[1].str() << ": " << job.size() << " bytes, " << expected.size()
                                 << " expected";
  }
  EXPECT_EQ(count, 2) << jobs;
  // Sent as raw data, which no filter touches.
  const std::string log = server_->ErrorLog();
  EXPECT_NE(log.find("File of type application/vnd.cups-raw"), std::string::npos) << log;
}

}  // namespace export_test
