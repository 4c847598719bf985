// Printing prepared pages, on a recording printer: the order and copies of
// pages, printer settings, duplex back pages and the four ways pages map to
// sheets, read from what DrawPage was handed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/recording_canvas.h"
#include "platform/rtl/exceptions.h"
#include "preview/vuzPreviewObjects.h"
#include "preview/vuzPreviewPages.h"
#include "preview/vuzPrintPlan.h"
#include "preview/vuzPrinter.h"
#include "recording_printer.h"
#include "report/vuzPaperSizes.h"
#include "store_fixture.h"

namespace preview_test {

namespace {

using preview::TfrxPrintSettings;

// What DrawPage was handed for each page drawn: the page's title text, the
// scales in hundredths and the offsets in device dots.
struct Drawn {
  std::string page;
  long double sx, sy, ox, oy;
};

class Printing : public ::testing::Test {
 protected:
  void SetUp() override {
    preview::vuzResetPrinters();
    auto owned = std::make_unique<RecordingPrinter>(initializes_);
    printer = owned.get();
    preview::vuzPrinters().SetPrinterIndex(preview::vuzPrinters().AddPrinter(std::move(owned)));
    savedHook_ = preview::vuzObjectHooks().DrawPageBackground;
    preview::vuzObjectHooks().DrawPageBackground = [this](TfrxComponent* page, gfx::TCanvas&, long double sx,
                                                          long double sy, long double ox, long double oy) {
      auto* title = dynamic_cast<TestMemo*>(page->FindObject("Memo1"));
      drawn.push_back({title ? title->Text : "?", sx, sy, ox, oy});
      copies.push_back(f.store->CopyNo);
    };
    f.host->printSettings.ShowDialog = false;
  }
  void TearDown() override {
    preview::vuzObjectHooks().DrawPageBackground = savedHook_;
    preview::vuzResetPrinters();
  }
  // Pages "P1".."Pn"; sizes[i] (width, height in mm) when given.
  void Build(int pages, std::vector<std::pair<int, int>> sizes = {}) {
    f.store->AddPageAction = report::apAdd;
    if (!sizes.empty()) {
      t.page->SetPaperWidth(sizes[0].first);
      t.page->SetPaperHeight(sizes[0].second);
    }
    f.store->AddSourcePage(t.page.get());
    for (int p = 0; p < pages; ++p) {
      t.title->Text = "P" + std::to_string(p + 1);
      f.store->AddPage(t.page.get());
      f.store->AddObject(t.header);
    }
    f.store->Finish();
    f.host->log.clear();
  }
  std::string Order() const {
    std::string s;
    for (const Drawn& d : drawn) s += (s.empty() ? "" : " ") + d.page;
    return s;
  }
  std::vector<std::string> Params() const {
    std::vector<std::string> v;
    for (const auto& line : printer->log)
      if (line.rfind("params", 0) == 0) v.push_back(line);
    return v;
  }
  bool initializes_ = true;
  StoreFixture f;
  TemplatePage t;
  RecordingPrinter* printer = nullptr;
  std::vector<Drawn> drawn;
  std::vector<int> copies;

 private:
  std::function<void(TfrxComponent*, gfx::TCanvas&, long double, long double, long double, long double)> savedHook_;
};

constexpr long double kDots = 600.0L / 96;  // device dots per pixel

}  // namespace

// A remainder under 11 mm is dropped, so 430 mm on 210 mm sheets takes two.
TEST(PrintPlan, SheetCounts) {
  struct Case {
    long double a, b;
    int count;
  } cases[] = {{420, 210, 2}, {425, 210, 2}, {430, 210, 2}, {431, 210, 3}, {210, 210, 1}, {200, 210, 1},
               {150, 210, 1}, {0, 210, 1},   {210, 0, 1},   {640, 210, 3}, {641, 210, 4}};
  for (const Case& c : cases) EXPECT_EQ(preview::vuzSheetCount(c.a, c.b), c.count) << c.a << "/" << c.b;
}

TEST(PrintPlan, SheetOrientationChoice) {
  using preview::TfrxSheetGrid;
  // A landscape A3 page on A4 sheets: two upright sheets side by side.
  EXPECT_EQ(preview::vuzSplitGrid(420, 297, 210, 297), (TfrxSheetGrid{2, 1, false}));
  // An upright A3 page: two turned sheets, one above the other.
  EXPECT_EQ(preview::vuzSplitGrid(297, 420, 210, 297), (TfrxSheetGrid{1, 2, true}));
  // A page that fits takes one upright sheet.
  EXPECT_EQ(preview::vuzSplitGrid(210, 297, 210, 297), (TfrxSheetGrid{1, 1, false}));
  // A5 pages on an A4 sheet: the turned sheet holds two side by side.
  EXPECT_EQ(preview::vuzJoinGrid(210, 297, 148, 210), (TfrxSheetGrid{2, 1, true}));
  // A6 pages on an A4 sheet: four upright.
  EXPECT_EQ(preview::vuzJoinGrid(210, 297, 105, 148), (TfrxSheetGrid{2, 2, false}));
}

TEST(PrintPlan, PositionsAndPageLists) {
  std::vector<int> list;
  AnsiString error;
  ASSERT_TRUE(preview::vuzPrintPageList("2, 4-5,9", 6, list, error));
  EXPECT_EQ(list, (std::vector<int>{1, 3, 4, -1}));
  EXPECT_EQ(preview::vuzPrintPositions(list, 6), 4);
  EXPECT_EQ(preview::vuzPositionToPage(list, 3, 6), -1);
  EXPECT_EQ(preview::vuzPositionToPage(list, 1, 6), 3);
  EXPECT_EQ(preview::vuzPositionToPage({}, 5, 6), 5);
  EXPECT_EQ(preview::vuzPositionToPage({}, 6, 6), -1);
  EXPECT_FALSE(preview::vuzPrintPageList("2,x", 6, list, error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(preview::vuzSkippedByParity(1, 1));
  EXPECT_FALSE(preview::vuzSkippedByParity(1, 0));
  EXPECT_TRUE(preview::vuzSkippedByParity(2, 0));
  EXPECT_FALSE(preview::vuzSkippedByParity(0, 1));
}

TEST_F(Printing, OrderOfPages) {
  Build(5);
  struct Case {
    const char* numbers;
    bool reverse;
    int printPages;
    const char* order;
  } cases[] = {{"", false, 0, "P1 P2 P3 P4 P5"}, {"2,4", true, 0, "P4 P2"},    {"", false, 1, "P1 P3 P5"},
               {"", true, 2, "P4 P2"},           {"3-", false, 0, "P3 P4 P5"}, {"5,1,9", false, 0, "P5 P1"},
               {"2-4", false, 1, "P3"}};
  for (const Case& c : cases) {
    drawn.clear();
    f.host->printSettings.PageNumbers = c.numbers;
    f.host->printSettings.Reverse = c.reverse;
    f.host->printSettings.PrintPages = c.printPages;
    EXPECT_TRUE(f.store->Print());
    EXPECT_EQ(Order(), c.order) << c.numbers << " reverse " << c.reverse << " pages " << c.printPages;
  }
}

TEST_F(Printing, CollatedAndUncollatedCopies) {
  Build(2);
  f.host->printSettings.Copies = 3;
  std::vector<std::string> events;
  f.host->onPrintPage = [&](TfrxComponent* page, int copy) {
    events.push_back(dynamic_cast<TestMemo*>(page->FindObject("Memo1"))->Text + "/" + std::to_string(copy));
  };
  EXPECT_TRUE(f.store->Print());
  EXPECT_EQ(Order(), "P1 P2 P1 P2 P1 P2");
  EXPECT_EQ(copies, (std::vector<int>{1, 1, 2, 2, 3, 3}));
  EXPECT_EQ(events, (std::vector<std::string>{"P1/1", "P2/1", "P1/2", "P2/2", "P1/3", "P2/3"}));
  EXPECT_EQ(Params(), (std::vector<std::string>{"params 9 210x297 port bin7 dup0 x1"}));
  EXPECT_EQ(f.store->CopyNo, 0);

  drawn.clear();
  copies.clear();
  printer->log.clear();
  f.host->printSettings.Collate = false;
  EXPECT_TRUE(f.store->Print());
  EXPECT_EQ(Order(), "P1 P2");
  EXPECT_EQ(copies, (std::vector<int>{1, 1}));
  EXPECT_EQ(Params(), (std::vector<std::string>{"params 9 210x297 port bin7 dup0 x3"}));
  EXPECT_EQ(printer->log.back(), "end-doc");
}

TEST_F(Printing, DuplexCopiesStartOnANewSheet) {
  Build(3);
  f.host->printSettings.Copies = 2;
  f.host->printSettings.Duplex = preview::dmVertical;
  EXPECT_TRUE(f.store->Print());
  EXPECT_EQ(Order(), "P1 P2 P3 P1 P2 P3");
  // Three pages use two sheets; the back of the second is left blank.
  EXPECT_EQ(printer->sheets, 8);
  EXPECT_EQ(Params(), (std::vector<std::string>{"params 9 210x297 port bin7 dup1 x1"}));
  // An even page count needs no blank page.
  printer->sheets = 0;
  f.host->printSettings.PageNumbers = "1-2";
  EXPECT_TRUE(f.store->Print());
  EXPECT_EQ(printer->sheets, 4);
  // The dialog's duplex choice outlives the print; nothing else does.
  EXPECT_EQ(f.host->printSettings.Duplex, preview::dmVertical);
}

TEST_F(Printing, PrinterSettingsAreSentOnlyWhenTheyChange) {
  t.page->Bin = 1;  // the first page from the upper tray, the rest automatic
  Build(4);
  EXPECT_TRUE(f.store->Print());
  EXPECT_EQ(Params(),
            (std::vector<std::string>{"params 9 210x297 port bin1 dup0 x1", "params 9 210x297 port bin7 dup0 x1"}));
  EXPECT_EQ(std::count(printer->log.begin(), printer->log.end(), "begin-doc"), 1);
}

TEST_F(Printing, ScaleModeStretchesAnA4PageOntoAnA5Sheet) {
  Build(1);
  f.host->printSettings.PrintMode = preview::pmkScale;
  f.host->printSettings.PrintOnSheet = 11;
  EXPECT_TRUE(f.store->Print());
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_NEAR(static_cast<double>(drawn[0].sx), static_cast<double>(kDots * 148 / 210), 1e-9);
  EXPECT_NEAR(static_cast<double>(drawn[0].sy), static_cast<double>(kDots * 210 / 297), 1e-9);
  EXPECT_NEAR(static_cast<double>(drawn[0].ox), -5 * 600 / 25.4, 1e-9);
  EXPECT_NEAR(static_cast<double>(f.store->PrintScale), 148.0 / 210, 1e-12);
  EXPECT_EQ(Params(), (std::vector<std::string>{"params 11 148x210 port bin7 dup0 x1"}));
}

TEST_F(Printing, SplitModeTilesALargePageWithAnOverlap) {
  // 380 mm fits two sheets even after each loses its margins and the strip.
  Build(1, {{380, 297}});
  f.host->printSettings.PrintMode = preview::pmkSplit;
  f.host->printSettings.PrintOnSheet = report::DMPAPER_A4;
  EXPECT_TRUE(f.store->Print());
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(printer->sheets, 2);
  EXPECT_EQ(Params(), (std::vector<std::string>{"params 9 210x297 port bin7 dup0 x1"}));
  const long double mm = 600 / 25.4L, margin = 5 * mm, width = 210 * mm, strip = 3 * mm;
  // Actual size; the second sheet starts where the first's printable part
  // ended, less the strip both repeat.
  EXPECT_NEAR(static_cast<double>(drawn[0].sx), static_cast<double>(kDots), 1e-9);
  EXPECT_NEAR(static_cast<double>(drawn[0].ox), static_cast<double>(-margin), 1e-6);
  EXPECT_NEAR(static_cast<double>(drawn[1].ox), static_cast<double>(-(width - 2 * margin - strip)), 1e-6);
  EXPECT_NEAR(static_cast<double>(drawn[1].oy), static_cast<double>(-margin), 1e-6);
  // The repeated strip is clipped away on the second sheet.
  // (Each sheet's clip is followed by the page's own.)
  const auto clips = printer->canvas_.CallsOf(gfx::TCanvasOp::IntersectClip);
  ASSERT_EQ(clips.size(), 4u);
  EXPECT_EQ(clips[0]->rect.Left, std::lround(margin));
  EXPECT_EQ(clips[2]->rect.Left, std::lround(margin + strip));
}

TEST_F(Printing, JoinModePutsTwoA5PagesOnATurnedA4Sheet) {
  Build(3, {{148, 210}});
  f.host->printSettings.PrintMode = preview::pmkJoin;
  f.host->printSettings.PrintOnSheet = report::DMPAPER_A4;
  struct Case {
    int copies;
    bool collate;
    const char* order;
    int sheets;
  } cases[] = {{1, true, "P1 P2 P3", 2},
               {2, false, "P1 P1 P2 P2 P3 P3", 3},
               // A page whose copies do not fit continues on the next sheet.
               {3, false, "P1 P1 P1 P2 P2 P2 P3 P3 P3", 5},
               // Collated: each set starts on a sheet of its own.
               {2, true, "P1 P2 P3 P1 P2 P3", 4}};
  for (const Case& c : cases) {
    drawn.clear();
    printer->sheets = 0;
    printer->log.clear();
    f.host->printSettings.Copies = c.copies;
    f.host->printSettings.Collate = c.collate;
    EXPECT_TRUE(f.store->Print());
    EXPECT_EQ(Order(), c.order) << c.copies << (c.collate ? " collated" : "");
    EXPECT_EQ(printer->sheets, c.sheets) << c.copies << (c.collate ? " collated" : "");
    EXPECT_EQ(Params().front(), "params 9 297x210 land bin7 dup0 x1");
  }
  // Side by side: the second cell is one page width further right.
  const long double mm = 600 / 25.4L;
  ASSERT_GE(drawn.size(), 2u);
  EXPECT_NEAR(static_cast<double>(drawn[0].ox), static_cast<double>(-5 * mm), 1e-6);
  EXPECT_NEAR(static_cast<double>(drawn[1].ox), static_cast<double>(-5 * mm + 148 * mm), 1e-6);
  EXPECT_NEAR(static_cast<double>(drawn[1].oy), static_cast<double>(-5 * mm), 1e-6);
}

TEST_F(Printing, TheDialogDecidesForOnePrintOnly) {
  Build(2);
  const TfrxPrintSettings before = f.host->printSettings;
  f.host->printSettings.ShowDialog = true;
  f.host->printDialog = [](TfrxPrintSettings&) { return false; };
  EXPECT_FALSE(f.store->Print());
  EXPECT_TRUE(drawn.empty());
  EXPECT_EQ(f.host->printSettings.Copies, before.Copies);

  f.host->printDialog = [](TfrxPrintSettings& s) {
    s.Copies = 2;
    s.Reverse = true;
    s.Duplex = preview::dmHorizontal;
    return true;
  };
  EXPECT_TRUE(f.store->Print());
  EXPECT_EQ(Order(), "P2 P1 P2 P1");
  EXPECT_EQ(f.host->printSettings.Copies, 1);
  EXPECT_FALSE(f.host->printSettings.Reverse);
  EXPECT_TRUE(f.host->printSettings.ShowDialog);
  EXPECT_EQ(f.host->printSettings.Duplex, preview::dmHorizontal);
}

TEST_F(Printing, BadPageRangeIsReportedAndNothingPrints) {
  Build(2);
  f.host->printSettings.PageNumbers = "1,two";
  EXPECT_FALSE(f.store->Print());
  EXPECT_TRUE(drawn.empty());
  EXPECT_TRUE(printer->log.empty());
  ASSERT_FALSE(f.host->log.empty());
  EXPECT_EQ(f.host->log.back().rfind("error: ", 0), 0u) << f.host->log.back();
  EXPECT_EQ(f.host->printSettings.PageNumbers, "1,two");
}

TEST_F(Printing, AFailureWhileDrawingAbortsTheJobAndRestoresTheOptions) {
  Build(3);
  f.host->printSettings.ShowDialog = true;
  f.host->printDialog = [](TfrxPrintSettings& s) {
    s.Copies = 5;
    return true;
  };
  f.host->onPrintPage = [](TfrxComponent* page, int) {
    if (dynamic_cast<TestMemo*>(page->FindObject("Memo1"))->Text == "P2") throw rtl::Exception("out of toner");
  };
  EXPECT_THROW(f.store->Print(), rtl::Exception);
  EXPECT_EQ(printer->log.back(), "abort");
  EXPECT_EQ(f.host->log.back(), "after-print-report");
  EXPECT_EQ(f.host->printSettings.Copies, 1);
  EXPECT_EQ(f.store->CopyNo, 0);
}

TEST_F(Printing, StoppingAbortsBeforeTheNextPage) {
  Build(4);
  f.host->onPrintPage = [&](TfrxComponent*, int) {
    if (drawn.size() == 1) f.host->terminated = true;
  };
  EXPECT_TRUE(f.store->Print());
  EXPECT_EQ(Order(), "P1 P2");
  EXPECT_EQ(printer->log.back(), "abort");
}

TEST_F(Printing, SplitModeCountsTheSheetsThatMarginsAndStripsCost) {
  // 420 mm would be two bare sheets, but two printable widths less the strip
  // (2 x 200 - 3) fall short: three sheets.
  Build(1, {{420, 297}});
  f.host->printSettings.PrintMode = preview::pmkSplit;
  f.host->printSettings.PrintOnSheet = report::DMPAPER_A4;
  EXPECT_TRUE(f.store->Print());
  EXPECT_EQ(printer->sheets, 3);
}

class PrintingOnABrokenPrinter : public Printing {
 protected:
  PrintingOnABrokenPrinter() { initializes_ = false; }
};

// Kept as the program always did: the message, nothing printed, and the
// print counts as done.
TEST_F(PrintingOnABrokenPrinter, SaysSoAndCountsAsPrinted) {
  Build(2);
  EXPECT_TRUE(f.store->Print());
  EXPECT_TRUE(drawn.empty());
  EXPECT_TRUE(printer->log.empty());
  EXPECT_NE(std::find(f.host->log.begin(), f.host->log.end(), "message: Printer selected is not valid"),
            f.host->log.end());
}

}  // namespace preview_test
