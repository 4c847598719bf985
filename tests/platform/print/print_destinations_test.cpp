#include "platform/print/print_destinations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/gfx/document_canvas.h"
#include "platform/print/shown_names_p.h"
#include "platform/rtl/streams.h"
#include "support/external_tools.h"
#include "support/watchdog.h"
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

// A printer whose PPD names its sizes and trays for people, Latin-1 text
// included ("Bac arri\xe8re"), and a tray without a text of its own.
const std::string kNamedTraysPpd = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "ZNAMED.PPD"
*Manufacturer: "Zarnik"
*Product: "(Zarnik Named)"
*ModelName: "Zarnik Named"
*ShortNickName: "Zarnik Named"
*NickName: "Zarnik Named"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*FileSystem: False
*cupsVersion: 2.4
*cupsFilter: "application/vnd.cups-pdf 0 -"
*OpenUI *PageSize/Page Size: PickOne
*DefaultPageSize: A4
*PageSize A4/A4: ""
*PageSize Letter/US Letter: ""
*CloseUI: *PageSize
*DefaultImageableArea: A4
*ImageableArea A4/A4: "11.34 14.17 578.27 827.72"
*ImageableArea Letter/US Letter: "18 36 594 756"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595.28 841.89"
*PaperDimension Letter/US Letter: "612 792"
*OpenUI *InputSlot/Media Source: PickOne
*DefaultInputSlot: Tray1
*InputSlot Tray1/Tray 1: ""
*InputSlot Manual/Manual Feed: ""
*InputSlot RearFeed/Bac arri)PPD"
                                   "\xe8"
                                   R"PPD(re: ""
*InputSlot Tray2: ""
*CloseUI: *InputSlot
*DefaultFont: Courier
*Font Courier: Standard "(001.004)" Standard ROM
)PPD";

std::string ShownTray(const print::TDestination& d, const std::string& keyword) {
  for (const print::TTray& t : d.Trays)
    if (t.Keyword == keyword) return t.DisplayName;
  return "(no tray " + keyword + ")";
}

std::string ShownMedia(const print::TDestination& d, const std::string& keyword) {
  for (const print::TMedia& m : d.Media)
    if (m.Name == keyword) return m.DisplayName;
  return "(no media " + keyword + ")";
}

// People see the printer's own names; the keywords stay for the jobs. A text
// that neither the PPD nor CUPS has (CUPS's own follow the user's language:
// English has "Tray 2", Russian and C none) leaves the keyword.
TEST_F(PrintDestinations, ShowsThePrintersOwnPaperAndTrayNames) {
  support::Watchdog watchdog(std::chrono::seconds(120));
  ASSERT_TRUE(server_->AddPpdQueue("ZarnikNamed", kNamedTraysPpd)) << server_->ErrorLog();
  print::TDestination d;
  std::string error;
  ASSERT_TRUE(print::QueryDestination("ZarnikNamed", d, error)) << error;
  EXPECT_EQ(ShownMedia(d, "iso_a4_210x297mm"), "A4");
  EXPECT_EQ(ShownMedia(d, "na_letter_8.5x11in"), "US Letter");
  EXPECT_EQ(ShownTray(d, "tray-1"), "Tray 1");
  EXPECT_EQ(ShownTray(d, "manual"), "Manual Feed");
  EXPECT_EQ(ShownTray(d, "rear-feed"), "Bac arri\xc3\xa8re");  // UTF-8
  EXPECT_THAT(ShownTray(d, "tray-2"), ::testing::AnyOf("Tray 2", "tray-2"));
}

// A driverless queue's PPD is written by the scheduler from the printer's
// IPP answers: its choices carry no texts, so CUPS's own texts or the
// keywords are shown.
TEST_F(PrintDestinations, ADriverlessQueueShowsCupsTextsOrKeywords) {
  support::Watchdog watchdog(std::chrono::seconds(120));
  if (!server_->AddDriverlessQueue("ZarnikEverywhere")) GTEST_SKIP() << "lpadmin -m everywhere is not available here";
  print::TDestination d;
  std::string error;
  ASSERT_TRUE(print::QueryDestination("ZarnikEverywhere", d, error)) << error;
  EXPECT_EQ(ShownMedia(d, "iso_a4_210x297mm"), "A4");
  EXPECT_THAT(ShownTray(d, "manual"), ::testing::AnyOf("Manual", "manual"));
  EXPECT_THAT(ShownTray(d, "auto"), ::testing::AnyOf("Automatic", "auto"));
  for (const print::TTray& t : d.Trays) EXPECT_FALSE(t.DisplayName.empty()) << t.Keyword;
}

// The scheduler's keywords for InputSlot names are what the naming rule
// foresees, so each tray finds its PPD text by name.
TEST_F(PrintDestinations, TrayKeywordsFollowTheSlotNames) {
  support::Watchdog watchdog(std::chrono::seconds(120));
  const std::vector<std::string> names = {"Auto", "Upper",         "Lower",    "Middle",     "Cassette", "MultiPurpose",
                                          "MP",   "LargeCapacity", "Envelope", "RearFeed",   "Tray2",    "Tray_3",
                                          "4",    "PhotoTray",     "Side",     "ManualFeed", "Roll",     "CDTray",
                                          "Disc"};
  std::string ppd = kNamedTraysPpd;
  std::string slots;
  for (const std::string& n : names) slots += "*InputSlot " + n + "/Slot " + n + ": \"\"\n";
  ppd.insert(ppd.find("*InputSlot Tray1/"), slots);
  ASSERT_TRUE(server_->AddPpdQueue("ZarnikSlots", ppd)) << server_->ErrorLog();
  print::TDestination d;
  std::string error;
  ASSERT_TRUE(print::QueryDestination("ZarnikSlots", d, error)) << error;
  ASSERT_EQ(d.Trays.size(), names.size() + 4);
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(d.Trays[i].Keyword, print::InputSlotKeyword(names[i])) << names[i];
    EXPECT_EQ(d.Trays[i].DisplayName, "Slot " + names[i]);
  }
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
