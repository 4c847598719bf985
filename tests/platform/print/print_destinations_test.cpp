#include "platform/print/print_destinations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/gfx/document_canvas.h"
#include "platform/rtl/streams.h"
#include "support/external_tools.h"
#include "tests/platform/print/private_print_server.h"

namespace {

class PrintDestinations : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new PrivatePrintServer;
    if (server_->Available()) print::SetServer(server_->Server());
  }
  static void TearDownTestSuite() {
    print::SetServer("");
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (!server_->Available()) GTEST_SKIP() << server_->Reason();
  }
  static PrivatePrintServer* server_;
};
PrivatePrintServer* PrintDestinations::server_ = nullptr;

const print::TMedia* FindMedia(const print::TDestination& d, double w, double h) {
  for (const print::TMedia& m : d.Media)
    if (std::abs(m.WidthMM - w) < 1 && std::abs(m.HeightMM - h) < 1) return &m;
  return nullptr;
}

TEST_F(PrintDestinations, ListsTheQueueAsDefault) {
  std::string def;
  const std::vector<std::string> names = print::DestinationNames(&def);
  EXPECT_NE(std::find(names.begin(), names.end(), PrivatePrintServer::kQueue), names.end());
  EXPECT_EQ(def, PrivatePrintServer::kQueue);
}

TEST_F(PrintDestinations, DescribesMediaMarginsTraysAndDuplex) {
  print::TDestination d;
  std::string error;
  ASSERT_TRUE(print::QueryDestination(PrivatePrintServer::kQueue, d, error)) << error;
  EXPECT_EQ(d.DpiX, 300);
  EXPECT_EQ(d.DpiY, 300);
  const print::TMedia* a4 = FindMedia(d, 210, 297);
  ASSERT_NE(a4, nullptr);
  EXPECT_EQ(d.DefaultMedia, a4->Name);
  // 11.34 and 14.17 points: 4 and 5 mm.
  EXPECT_NEAR(a4->LeftMM, 4.0, 0.05);
  EXPECT_NEAR(a4->BottomMM, 5.0, 0.05);
  EXPECT_NE(FindMedia(d, 148, 210), nullptr);
  EXPECT_NE(FindMedia(d, 215.9, 279.4), nullptr);
  std::vector<std::string> trays;
  for (const print::TTray& t : d.Trays) trays.push_back(t.Keyword);
  EXPECT_NE(std::find(trays.begin(), trays.end(), "auto"), trays.end());
  EXPECT_NE(std::find(trays.begin(), trays.end(), "manual"), trays.end());
  EXPECT_GE(trays.size(), 4u);
  EXPECT_TRUE(d.CanDuplex);
  EXPECT_EQ(d.DefaultSides, print::kOneSided);
}

TEST_F(PrintDestinations, UnknownDestinationIsAnErrorNotACrash) {
  print::TDestination d;
  std::string error;
  EXPECT_FALSE(print::QueryDestination("NoSuchQueue", d, error));
  EXPECT_NE(error.find("NoSuchQueue"), std::string::npos);
  EXPECT_EQ(print::SubmitJob("NoSuchQueue", {}, "x", error), 0);
}

TEST_F(PrintDestinations, APdfJobWithPageRangeAndCopiesLandsAsPdf) {
  if (support::FindTool("pdftotext").empty()) GTEST_SKIP() << support::Missing("pdftotext", "poppler-utils");
  rtl::TMemoryStream pdf;
  {
    gfx::TDocumentCanvas c(pdf, gfx::TDocumentFormat::Pdf, 72, 72);
    for (const char16_t* text : {u"first", u"second", u"third"}) {
      c.BeginPage({595, 842});
      c.TextOutW(100, 100, text);
      c.EndPage();
    }
    c.EndDocument();
  }
  print::TJob job;
  job.Title = "range";
  job.PageRanges = "2-3";
  job.Copies = 2;
  job.Collate = false;
  std::string error;
  ASSERT_GT(print::SubmitJob(PrivatePrintServer::kQueue, job, pdf.Bytes(), error), 0) << error;
  ASSERT_TRUE(server_->WaitForJobs()) << server_->ErrorLog();
  const std::string text = PrivatePrintServer::Run("pdftotext " + server_->OutputFile() + " - 2>&1");
  // Uncollated copies: each page twice before the next.
  const std::size_t s1 = text.find("second"), s2 = text.find("second", s1 + 1), t1 = text.find("third");
  ASSERT_NE(s2, std::string::npos) << text;
  EXPECT_LT(s2, t1) << text;
  EXPECT_EQ(text.find("first"), std::string::npos) << text;
}

}  // namespace
