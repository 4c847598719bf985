// Clearing and freeing report trees: objects that stay hear of every object
// that goes, and objects that go together still hear of the partners they
// point at that went before them (so their own end never touches a freed
// object).
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzClassSubreport.h"
#include "report/vuzDataSet.h"

namespace report_test {
namespace {

using namespace report;

// Text object and data band that say, at the start of their end, what they
// still point at.
struct WatchedMemo : TfrxMemoView {
  using TfrxMemoView::TfrxMemoView;
  std::function<void(WatchedMemo&)> onEnd;
  ~WatchedMemo() override {
    if (onEnd) onEnd(*this);
  }
};

struct WatchedBand : TfrxMasterData {
  using TfrxMasterData::TfrxMasterData;
  std::function<void(WatchedBand&)> onEnd;
  ~WatchedBand() override {
    if (onEnd) onEnd(*this);
  }
};

class Clearing : public ::testing::Test {
 protected:
  void SetUp() override { ReportClassesStartup(); }
  void TearDown() override { ReportClassesShutdown(); }
};

// How a tree goes: the report cleared, freed on its own, or freed with the
// component that owns it.
enum class Ending { ClearReport, FreeReport, FreeOwner };

class EveryEnding : public Clearing, public ::testing::WithParamInterface<Ending> {
 protected:
  // Runs the ending on a report made by the caller (owned by holder_).
  void End(TfrxReport*& report) {
    switch (GetParam()) {
      case Ending::ClearReport: report->Clear(); break;
      case Ending::FreeReport:
        delete report;
        report = nullptr;
        break;
      case Ending::FreeOwner:
        holder_.reset();
        report = nullptr;
        break;
    }
  }
  std::unique_ptr<rtl::TComponent> holder_ = std::make_unique<rtl::TComponent>(nullptr);
};

TEST_P(EveryEnding, ObjectsGoingTogetherForgetPartnersThatWentFirst) {
  // Objects go last made first, so the partners are made after the objects
  // that point at them.
  auto* report = new TfrxReport(holder_.get());
  auto* page = new TfrxReportPage(report);
  auto* band = new WatchedBand(page);
  auto* second = new WatchedMemo(band);
  auto* first = new TfrxMemoView(band);
  auto* dataPage = new TfrxDataPage(report);
  auto* data = new TfrxUserDataSet(dataPage);
  data->SetName("Orders");
  band->SetDataSet(data);
  second->SetFlowTo(first);  // points back at an object freed before it
  int ends = 0;
  band->onEnd = [&](WatchedBand& b) {
    ++ends;
    EXPECT_EQ(b.DataSet(), nullptr);  // the dataset's page went first
  };
  second->onEnd = [&](WatchedMemo& m) {
    ++ends;
    EXPECT_EQ(m.FlowTo(), nullptr);
  };
  End(report);
  EXPECT_EQ(ends, 2);
  if (report) {
    EXPECT_TRUE(report->Objects().empty());
  }
  delete report;
}

INSTANTIATE_TEST_SUITE_P(Endings, EveryEnding,
                         ::testing::Values(Ending::ClearReport, Ending::FreeReport, Ending::FreeOwner));

TEST_F(Clearing, ObjectsThatStayHearOfEveryObjectThatGoes) {
  TfrxReport report;
  auto* dataPage = new TfrxDataPage(&report);
  auto* data = new TfrxUserDataSet(dataPage);
  data->SetName("Orders");
  auto* page = new TfrxReportPage(&report);
  auto* band = new TfrxMasterData(page);
  auto* memo = new TfrxMemoView(band);
  band->SetDataSet(data);
  memo->SetDataSet(data);
  page->SetDataSet(data);
  dataPage->Clear();  // the dataset goes, the page holding the band stays
  EXPECT_EQ(band->DataSet(), nullptr);
  EXPECT_EQ(memo->DataSet(), nullptr);
  EXPECT_EQ(page->DataSet(), nullptr);
  EXPECT_EQ(report.FindObject("Orders"), nullptr);
}

// Two memos flowing into each other share one free-notification link: when
// one of them is pointed elsewhere, the other must still hear when it goes.
TEST_F(Clearing, MemosFlowingIntoEachOtherForgetEachOtherAfterARepoint) {
  for (const bool repointFirst : {true, false}) {
    TfrxReport report;
    auto* page = new TfrxReportPage(&report);
    auto* band = new TfrxMasterData(page);
    auto* a = new TfrxMemoView(band);
    auto* b = new TfrxMemoView(band);
    auto* c = new TfrxMemoView(band);
    a->SetFlowTo(b);
    b->SetFlowTo(a);
    (repointFirst ? a : b)->SetFlowTo(c);
    TfrxMemoView* stays = repointFirst ? b : a;
    TfrxMemoView* goes = repointFirst ? a : b;
    delete goes;
    EXPECT_EQ(stays->FlowTo(), nullptr) << (repointFirst ? "first repointed" : "second repointed");
    band->Clear();  // under the sanitizers: no memo touches a freed one
  }
}

TEST_F(Clearing, AClearedBandLeavesItsSiblingsAndOtherPagesInPlace) {
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* cleared = new TfrxMasterData(page);
  auto* kept = new TfrxMasterData(page);
  kept->SetName("Kept");
  for (int i = 0; i < 50; ++i) new TfrxMemoView(cleared);
  auto* flowing = new TfrxMemoView(kept);
  flowing->SetName("Flowing");
  auto* target = new TfrxMemoView(cleared);
  flowing->SetFlowTo(target);
  cleared->Clear();
  EXPECT_TRUE(cleared->Objects().empty());
  EXPECT_EQ(flowing->FlowTo(), nullptr);
  ASSERT_EQ(page->Objects().size(), 2u);
  EXPECT_EQ(report.FindObject("Flowing"), flowing);
  // Objects made after a Clear are heard of again as usual.
  auto* late = new TfrxMemoView(cleared);
  flowing->SetFlowTo(late);
  delete late;
  EXPECT_EQ(flowing->FlowTo(), nullptr);
}

TEST_F(Clearing, ASubreportAndItsPageGoTogetherInEitherOrder) {
  for (bool pageFirst : {true, false}) {
    TfrxReport report;
    TfrxReportPage* inner = nullptr;
    if (pageFirst) inner = new TfrxReportPage(&report);
    auto* outer = new TfrxReportPage(&report);
    auto* band = new TfrxMasterData(outer);
    auto* sub = new TfrxSubreport(band);
    if (!pageFirst) inner = new TfrxReportPage(&report);
    sub->SetPage(inner);
    report.Clear();
    EXPECT_TRUE(report.Objects().empty());
  }
}

// A hostile template can give a subreport its own page: the page then frees
// the subreport while the page itself is going, and the subreport must not
// reach back into it (sanitizers caught the read of the half-freed page).
TEST_F(Clearing, ASubreportOnItsOwnPageGoesWithIt) {
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* band = new TfrxMasterData(page);
  auto* sub = new TfrxSubreport(band);
  sub->SetPage(page);
  ASSERT_EQ(page->SubReport(), sub);
  delete page;
  EXPECT_TRUE(report.Objects().empty());
}

}  // namespace
}  // namespace report_test
