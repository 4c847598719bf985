// The aggregate list: which calls a page's memos hold, how rows add up for
// each function, groups, running totals, invisible bands, keep blocks and
// vertical columns, and the way a memo's call finds its item through the
// report's expression evaluation.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "report/vuzAggregate.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassRTTI.h"
#include "report/vuzClassReport.h"
#include "report/vuzDataSet.h"
#include "report/vuzVariables.h"

namespace report_test {
namespace {

using report::TfrxAggregateList;
using report::TfrxBand;
using report::TfrxComponent;
using report::TfrxReport;
using rtl::AnsiString;
using rtl::Variant;

// Answers aggregate calls the way the engine does: through the list, for
// the band being output and the current vertical column.
class ListEngine : public report::TfrxCustomEngine {
 public:
  using TfrxCustomEngine::TfrxCustomEngine;
  Variant GetAggregateValue(const AnsiString& name, const AnsiString& expression, TfrxComponent* band,
                            int flags) override {
    return list->GetValue(curBand, CurVColumn, name, expression, band, flags);
  }
  TfrxAggregateList* list = nullptr;
  TfrxComponent* curBand = nullptr;
};

// A page with MasterData1 and its footer, as the engine's structure analysis
// leaves it. "X" is the current row's value.
struct Aggregates : ::testing::Test {
  void SetUp() override {
    report::ReportClassesStartup();
    report::vuzClassRTTIStartup();
    report = std::make_unique<TfrxReport>();
    auto e = std::make_unique<ListEngine>(report.get());
    engine = e.get();
    report->SetEngine(std::move(e));
    report->EngineOptions()->NewSilentMode = report::simSilent;
    list = std::make_unique<TfrxAggregateList>(report.get());
    engine->list = list.get();
    report->OnGetValue = [this](const AnsiString& name, Variant& value) {
      if (name == "X") value = x;
    };
    page = new report::TfrxReportPage(report.get());
    page->SetName("Page1");
    master = new report::TfrxMasterData(page);
    master->SetName("MasterData1");
    footer = new report::TfrxFooter(page);
    footer->SetName("Footer1");
    master->Footer = footer;
    page->SubBands().push_back(master);
    report->PrepareScript();
  }
  void TearDown() override {
    list.reset();
    report.reset();
    report::vuzClassRTTIShutdown();
    report::ReportClassesShutdown();
  }

  report::TfrxMemoView* Memo(TfrxComponent* band, const AnsiString& text) {
    auto* memo = new report::TfrxMemoView(band);
    memo->SetName("Memo" + std::to_string(++memoCount));
    memo->SetAnsiText(text);
    return memo;
  }
  void Rows(TfrxBand* band, const std::vector<Variant>& values, int column = 0) {
    for (const Variant& v : values) {
      x = v;
      list->AddValue(band, column);
    }
  }
  // What a memo of that band shows for the call, evaluated as a memo's
  // expression is.
  Variant Shown(TfrxComponent* band, const AnsiString& call, int column = 0) {
    engine->curBand = band;
    engine->CurVColumn = column;
    return report->Calc(call);
  }
  std::vector<std::string> CallTexts() const {
    std::vector<std::string> texts;
    for (int i = 0; i < list->Count(); ++i) texts.push_back(list->GetItem(i)->CallText);
    return texts;
  }

  std::unique_ptr<TfrxReport> report;
  ListEngine* engine = nullptr;
  std::unique_ptr<TfrxAggregateList> list;
  report::TfrxReportPage* page = nullptr;
  report::TfrxMasterData* master = nullptr;
  report::TfrxFooter* footer = nullptr;
  Variant x;
  int memoCount = 0;
};

// ---------------------------------------------------------------- the functions

struct FunctionCase {
  const char* call;
  std::vector<Variant> rows;
  Variant expected;
};

TEST_F(Aggregates, EachFunctionOverTheRowsOfItsBand) {
  const Variant null = Variant::Null();
  const std::vector<FunctionCase> cases = {
      {"SUM(<X>)", {Variant(1), Variant(2), Variant(3)}, Variant(6)},
      {"SUM(<X>)", {}, Variant(0)},
      {"SUM(<X>)", {null, Variant(4), null}, Variant(4)},
      {"SUM(<X>)", {null, null}, Variant(0)},
      {"AVG(<X>)", {Variant(2), null, Variant(4), null}, Variant(3.0)},
      {"AVG(<X>)", {Variant(1), Variant(2)}, Variant(1.5)},
      {"AVG(<X>)", {}, Variant(0)},
      {"AVG(<X>)", {null, null}, Variant(0)},
      {"MIN(<X>)", {null, null, Variant(5), Variant(3), null, Variant(7)}, Variant(3)},
      {"MAX(<X>)", {null, Variant(5), Variant(9), null, Variant(7)}, Variant(9)},
      {"MIN(<X>)", {Variant(-2), Variant(8)}, Variant(-2)},
      {"COUNT(MasterData1)", {Variant(1), null, Variant(3), null}, Variant(4)},
      {"COUNT(MasterData1)", {}, Variant(0)},
      // A Boolean counts as 1 when true, so a SUM counts the true rows.
      {"SUM(<X>)", {Variant(true), Variant(false), Variant(true)}, Variant(2)},
      {"SUM(<X>)", {Variant(false), Variant(false)}, Variant(0)},
      {"SUM(<X> > 1)", {Variant(1), Variant(2), Variant(3)}, Variant(2)},
      {"AVG(<X>)", {Variant(true), Variant(false)}, Variant(0.5)},
  };
  report::TfrxMemoView* memo = nullptr;
  for (const FunctionCase& c : cases) {
    SCOPED_TRACE(c.call);
    delete memo;
    list->Clear();
    memo = Memo(footer, AnsiString("Total: [") + c.call + "]");
    list->AddItems(page);
    ASSERT_EQ(list->Count(), 1);
    Rows(master, c.rows);
    const Variant shown = Shown(footer, c.call);
    EXPECT_EQ(shown.AsString(), c.expected.AsString());
    EXPECT_EQ(shown, c.expected);
  }
}

// A page whose only master bands are vertical still has a page footer and
// a summary whose sums watch the first of them.
TEST_F(Aggregates, APageOfVerticalMastersOnlySearchesItsFootersToo) {
  page->SubBands().clear();
  page->VSubBands().push_back(master);
  auto* pageFooter = new report::TfrxPageFooter(page);
  Memo(pageFooter, "[SUM(<X>)]");
  auto* summary = new report::TfrxReportSummary(page);
  Memo(summary, "[COUNT(MasterData1)]");
  list->AddItems(page);
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->GetItem(0)->Band, master);
  EXPECT_EQ(list->GetItem(1)->ParentBand, summary);
}

TEST_F(Aggregates, AnItemKnowsItsMemoBandsAndCall) {
  auto* memo = Memo(footer, "[  SUM(<X>, MasterData1, 3) ]");
  list->AddItems(page);
  ASSERT_EQ(list->Count(), 1);
  const report::TfrxAggregateItem& item = *list->GetItem(0);
  EXPECT_EQ(item.Function, report::agSum);
  EXPECT_EQ(item.Expression, "<X>");
  EXPECT_EQ(item.Band, master);
  EXPECT_EQ(item.ParentBand, footer);
  EXPECT_FALSE(item.IsPageFooter);
  EXPECT_TRUE(item.RunningTotal);
  EXPECT_TRUE(item.CountInvisibleBands);
  EXPECT_EQ(item.CallText, "SUM(<X>, MasterData1, 3)");
  EXPECT_EQ(item.MemoName, memo->Name());
}

TEST_F(Aggregates, ACallFindsItsItemOnlyWithItsOwnFunctionExpressionBandAndFlags) {
  Memo(footer, "[SUM(<X>)] [MAX(<X>)]");
  list->AddItems(page);
  Rows(master, {Variant(1), Variant(5)});
  EXPECT_EQ(list->GetValue(footer, 0, "SUM", " <x> ", nullptr, 0), Variant(6));  // case and blanks aside
  EXPECT_EQ(list->GetValue(footer, 0, "MAX", "<X>", master, 0), Variant(5));
  EXPECT_TRUE(list->GetValue(footer, 0, "MIN", "<X>", nullptr, 0).IsNull());
  EXPECT_TRUE(list->GetValue(footer, 0, "SUM", "<X> + 1", nullptr, 0).IsNull());
  EXPECT_TRUE(list->GetValue(footer, 0, "SUM", "<X>", footer, 0).IsNull());
  EXPECT_TRUE(list->GetValue(footer, 0, "SUM", "<X>", nullptr, 2).IsNull());
  EXPECT_TRUE(list->GetValue(master, 0, "SUM", "<X>", nullptr, 0).IsNull());
  // The call text form reads the same item.
  EXPECT_EQ(list->GetValue(footer, "SUM(<X>)", 0), Variant(6));
  EXPECT_EQ(list->GetValue(footer, "max(<X>, MasterData1)", 0), Variant(5));
}

TEST_F(Aggregates, AnAggregateInTheDataBandItselfGivesNull) {
  Memo(master, "[SUM(<X>)]");
  list->AddItems(page);
  EXPECT_EQ(list->Count(), 0);
  Rows(master, {Variant(1), Variant(2)});
  EXPECT_TRUE(Shown(master, "SUM(<X>)").IsNull());
}

TEST_F(Aggregates, RowsOfOtherBandsDoNotCount) {
  auto* other = new report::TfrxMasterData(page);
  other->SetName("MasterData2");
  page->SubBands().push_back(other);
  Memo(footer, "[SUM(<X>)]");
  list->AddItems(page);
  Rows(other, {Variant(100)});
  Rows(master, {Variant(1)});
  EXPECT_EQ(Shown(footer, "SUM(<X>)"), Variant(1));
}

TEST_F(Aggregates, AnExpressionErrorNamesTheMemoAndEndsTheRow) {
  Memo(footer, "[SUM(<X> +* 2)]");
  list->AddItems(page);
  ASSERT_EQ(list->Count(), 1);
  x = Variant(1);
  try {
    list->AddValue(master, 0);
    ADD_FAILURE() << "no error raised";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(AnsiString(e.Message()).substr(0, 7), "Memo1: ");
  }
}

// ---------------------------------------------------------------- bands and groups

TEST_F(Aggregates, AGroupFooterRestartsForEachGroupWhileTheBandFooterGoesOn) {
  auto* header = new report::TfrxGroupHeader(page);
  header->SetName("GroupHeader1");
  auto* groupFooter = new report::TfrxGroupFooter(page);
  groupFooter->SetName("GroupFooter1");
  header->Footer = groupFooter;
  header->SubBands().push_back(header);
  master->Group = header;
  Memo(groupFooter, "[SUM(<X>)]");
  Memo(footer, "[SUM(<X>)]");
  list->AddItems(page);
  ASSERT_EQ(list->Count(), 2);

  Rows(master, {Variant(1), Variant(2)});
  EXPECT_EQ(Shown(groupFooter, "SUM(<X>)"), Variant(3));
  list->Reset(groupFooter);
  Rows(master, {Variant(10)});
  EXPECT_EQ(Shown(groupFooter, "SUM(<X>)"), Variant(10));
  list->Reset(groupFooter);
  EXPECT_EQ(Shown(groupFooter, "SUM(<X>)"), Variant(0));
  EXPECT_EQ(Shown(footer, "SUM(<X>)"), Variant(13));
}

TEST_F(Aggregates, RunningTotalsKeepGrowingUntilTheValuesAreCleared) {
  auto* groupFooter = new report::TfrxGroupFooter(page);
  auto* header = new report::TfrxGroupHeader(page);
  header->Footer = groupFooter;
  master->Group = header;  // no run list: the header alone
  Memo(groupFooter, "[SUM(<X>, MasterData1, 2)] [SUM(<X>)] [COUNT(MasterData1, 2)]");
  list->AddItems(page);
  ASSERT_EQ(list->Count(), 3);

  Rows(master, {Variant(1), Variant(2)});
  list->Reset(groupFooter);
  Rows(master, {Variant(3)});
  EXPECT_EQ(Shown(groupFooter, "SUM(<X>, MasterData1, 2)"), Variant(6));
  EXPECT_EQ(Shown(groupFooter, "COUNT(MasterData1, 2)"), Variant(3));
  EXPECT_EQ(Shown(groupFooter, "SUM(<X>)"), Variant(3));
  list->Reset(groupFooter);
  EXPECT_EQ(Shown(groupFooter, "SUM(<X>, MasterData1, 2)"), Variant(6));

  // Between the two passes of a run everything goes.
  list->ClearValues();
  EXPECT_EQ(Shown(groupFooter, "SUM(<X>, MasterData1, 2)"), Variant(0));
  EXPECT_EQ(Shown(groupFooter, "COUNT(MasterData1, 2)"), Variant(0));
  Rows(master, {Variant(4)});
  EXPECT_EQ(Shown(groupFooter, "SUM(<X>, MasterData1, 2)"), Variant(4));
  EXPECT_TRUE(list->GetItem(0)->RunningTotal);
}

TEST_F(Aggregates, CountWithFlagOneAlsoCountsRowsOfAnInvisibleBand) {
  Memo(footer, "[COUNT(MasterData1)] [COUNT(MasterData1, 1)] [SUM(<X>, MasterData1, 1)] [SUM(<X>)]");
  list->AddItems(page);
  master->SetVisible(false);
  Rows(master, {Variant(1), Variant::Null(), Variant(3)});
  EXPECT_EQ(Shown(footer, "COUNT(MasterData1)"), Variant(0));
  EXPECT_EQ(Shown(footer, "COUNT(MasterData1, 1)"), Variant(3));
  EXPECT_EQ(Shown(footer, "SUM(<X>, MasterData1, 1)"), Variant(4));
  EXPECT_EQ(Shown(footer, "SUM(<X>)"), Variant(0));
}

TEST_F(Aggregates, AddItemsWalksFootersGroupsDetailsAndThePageBands) {
  // MasterData1 -> Footer1 with a child; a detail band with its footer; a
  // run of two group headers with their footers; page footer, column footer
  // and summary; bands whose memos are not searched.
  auto* child = new report::TfrxChild(page);
  child->SetName("Child1");
  footer->SetChild(child);
  auto* detail = new report::TfrxDetailData(page);
  detail->SetName("DetailData1");
  auto* detailFooter = new report::TfrxFooter(page);
  detail->Footer = detailFooter;
  master->SubBands().push_back(detail);
  auto* outer = new report::TfrxGroupHeader(page);
  auto* inner = new report::TfrxGroupHeader(page);
  auto* outerFooter = new report::TfrxGroupFooter(page);
  auto* innerFooter = new report::TfrxGroupFooter(page);
  outer->Footer = outerFooter;
  inner->Footer = innerFooter;
  outer->SubBands() = {outer, inner};
  detail->Group = outer;
  auto* pageFooter = new report::TfrxPageFooter(page);
  auto* columnFooter = new report::TfrxColumnFooter(page);
  auto* summary = new report::TfrxReportSummary(page);
  auto* title = new report::TfrxReportTitle(page);
  auto* header = new report::TfrxHeader(page);
  master->Header = header;

  Memo(footer, "[SUM(<X>)]");
  Memo(child, "[MIN(<X>)]");
  Memo(detailFooter, "[MAX(<X>)]");
  Memo(outerFooter, "[AVG(<X>)]");
  Memo(innerFooter, "[COUNT(DetailData1)]");
  Memo(pageFooter, "[SUM(<X>, MasterData1, 2)]");
  Memo(columnFooter, "[COUNT(MasterData1)]");
  Memo(summary, "[SUM(<X>, DetailData1)]");
  Memo(title, "[SUM(<Y>)]");
  Memo(header, "[SUM(<Y>)]");
  Memo(master, "[SUM(<Y>)]");
  Memo(detail, "[SUM(<Y>)]");
  list->AddItems(page);

  struct Expected {
    std::string call;
    TfrxComponent* parent;
    TfrxBand* band;
  };
  const std::vector<Expected> expected = {
      {"SUM(<X>)", footer, master},
      {"MIN(<X>)", child, master},
      {"MAX(<X>)", detailFooter, detail},
      {"AVG(<X>)", outerFooter, detail},
      {"COUNT(DetailData1)", innerFooter, detail},
      {"SUM(<X>, MasterData1, 2)", pageFooter, master},
      {"COUNT(MasterData1)", columnFooter, master},
      {"SUM(<X>, DetailData1)", summary, detail},
  };
  ASSERT_EQ(list->Count(), static_cast<int>(expected.size()));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].call);
    const report::TfrxAggregateItem& item = *list->GetItem(static_cast<int>(i));
    EXPECT_EQ(item.CallText, expected[i].call);
    EXPECT_EQ(item.ParentBand, expected[i].parent);
    EXPECT_EQ(item.Band, expected[i].band);
    EXPECT_EQ(item.IsPageFooter, expected[i].parent == pageFooter);
  }

  // Without a master band the page's own footers have nothing to count.
  list->Clear();
  page->SubBands().clear();
  list->AddItems(page);
  EXPECT_EQ(list->Count(), 0);
}

// ---------------------------------------------------------------- variables

TEST_F(Aggregates, AnAggregateInsideAReportVariableIsFoundAndComputed) {
  report->Variables()->SetVariable("Total", Variant("SUM(<X>) * 10"));
  report->Variables()->SetVariable("Outer", Variant("<Total> + 1"));
  Memo(footer, "[Outer]");
  list->AddItems(page);
  ASSERT_EQ(CallTexts(), std::vector<std::string>{"SUM(<X>)"});
  Rows(master, {Variant(1), Variant(2), Variant(3)});
  EXPECT_EQ(Shown(footer, "Outer"), Variant(61));
}

TEST_F(Aggregates, VariablesThatNameThemselvesEndTheSearch) {
  report->Variables()->SetVariable("Loop", Variant("<Loop> + SUM(<X>)"));
  report->Variables()->SetVariable("A", Variant("<B> + MAX(<X>)"));
  report->Variables()->SetVariable("B", Variant("<A> + <A> + <B>"));
  // Each level names the next one twice: searched naively this doubles at
  // every level.
  for (int i = 0; i < 60; ++i)
    report->Variables()->SetVariable("V" + std::to_string(i),
                                     Variant("<V" + std::to_string(i + 1) + "> + <V" + std::to_string(i + 1) + ">"));
  report->Variables()->SetVariable("V60", Variant("MIN(<X>)"));
  Memo(footer, "[Loop] [A] [V0]");
  list->AddItems(page);
  EXPECT_EQ(CallTexts(), (std::vector<std::string>{"SUM(<X>)", "MAX(<X>)", "MIN(<X>)"}));
}

// ---------------------------------------------------------------- keep blocks

TEST_F(Aggregates, APageFooterCountsOnlyTheRowsThatStayOnItsPage) {
  auto* pageFooter = new report::TfrxPageFooter(page);
  pageFooter->SetName("PageFooter1");
  Memo(pageFooter, "[SUM(<X>)] [COUNT(MasterData1)] [MIN(<X>)]");
  Memo(footer, "[SUM(<X>)]");
  list->AddItems(page);
  ASSERT_EQ(list->Count(), 4);

  Rows(master, {Variant(5), Variant(6)});
  list->StartKeep();
  Rows(master, {Variant(3), Variant(4)});
  list->StartKeep();  // already keeping: the held rows stay
  Rows(master, {Variant(1)});
  // The block moves to the next page: the old page's footer shows what stayed.
  EXPECT_EQ(Shown(pageFooter, "SUM(<X>)"), Variant(11));
  EXPECT_EQ(Shown(pageFooter, "COUNT(MasterData1)"), Variant(2));
  EXPECT_EQ(Shown(pageFooter, "MIN(<X>)"), Variant(5));
  EXPECT_EQ(Shown(footer, "SUM(<X>)"), Variant(19));
  list->Reset(pageFooter);
  list->EndKeep();
  EXPECT_EQ(Shown(pageFooter, "SUM(<X>)"), Variant(8));
  EXPECT_EQ(Shown(pageFooter, "COUNT(MasterData1)"), Variant(3));
  EXPECT_EQ(Shown(pageFooter, "MIN(<X>)"), Variant(1));
  // After the block rows go straight in again.
  Rows(master, {Variant(2)});
  EXPECT_EQ(Shown(pageFooter, "SUM(<X>)"), Variant(10));
  EXPECT_FALSE(list->GetItem(0)->Keeping);

  // A block that stays on its page joins the rows before it.
  list->Reset(pageFooter);
  Rows(master, {Variant(7)});
  list->StartKeep();
  Rows(master, {Variant(9)});
  list->EndKeep();
  EXPECT_EQ(Shown(pageFooter, "SUM(<X>)"), Variant(16));
  EXPECT_EQ(Shown(pageFooter, "MIN(<X>)"), Variant(7));
}

TEST_F(Aggregates, DeleteValueTakesBackTheLastRowOfItsBand) {
  auto* pageFooter = new report::TfrxPageFooter(page);
  Memo(pageFooter, "[SUM(<X>)]");
  Memo(footer, "[SUM(<X>)] [COUNT(MasterData1)]");
  list->AddItems(page);
  Rows(master, {Variant(1), Variant(2), Variant(3)});
  list->DeleteValue(footer);  // not a data band: nothing feeds from it
  EXPECT_EQ(Shown(footer, "SUM(<X>)"), Variant(6));
  list->DeleteValue(master);
  EXPECT_EQ(Shown(footer, "SUM(<X>)"), Variant(3));
  EXPECT_EQ(Shown(footer, "COUNT(MasterData1)"), Variant(2));
  EXPECT_EQ(Shown(pageFooter, "SUM(<X>)"), Variant(3));
  // The row is added again where the block lands.
  list->Reset(pageFooter);
  list->AddValue(master, 0);
  EXPECT_EQ(Shown(pageFooter, "SUM(<X>)"), Variant(3));
  EXPECT_EQ(Shown(footer, "SUM(<X>)"), Variant(6));
}

// ---------------------------------------------------------------- vertical columns

TEST_F(Aggregates, VerticalColumnsKeepAValueEachFarBeyondAThousand) {
  auto* vertical = new report::TfrxMasterData(page);
  vertical->SetName("VData1");
  vertical->SetVertical(true);
  page->VSubBands().push_back(vertical);
  report->PrepareScript();  // the script learns the new band's name
  // A footer object lying over the vertical band was moved into it.
  auto* moved = Memo(vertical, "[SUM(<X>)] [COUNT(VData1)]");
  moved->SetSourceBand(footer);
  // One of the vertical band's own, from the data row.
  auto* own = Memo(vertical, "[AVG(<X>)]");
  own->SetSourceBand(master);
  list->AddItems(page);
  ASSERT_EQ(list->Count(), 3);
  EXPECT_EQ(list->GetItem(0)->ParentBand, footer);
  EXPECT_EQ(list->GetItem(0)->Band, vertical);
  EXPECT_EQ(list->GetItem(2)->ParentBand, vertical);

  for (int column : {1, 2, 999, 1000, 1001, 1500}) {
    x = Variant(column);
    list->AddValue(vertical, column);
    x = Variant(1);
    list->AddValue(vertical, column);
  }
  EXPECT_EQ(Shown(footer, "SUM(<X>)", 1), Variant(2));
  EXPECT_EQ(Shown(footer, "SUM(<X>)", 2), Variant(3));
  EXPECT_EQ(Shown(footer, "SUM(<X>)", 1000), Variant(1001));
  EXPECT_EQ(Shown(footer, "SUM(<X>)", 1500), Variant(1501));
  EXPECT_EQ(Shown(footer, "COUNT(VData1)", 1500), Variant(2));
  EXPECT_EQ(Shown(footer, "SUM(<X>)", 3), Variant(0));
  EXPECT_EQ(Shown(footer, "SUM(<X>)", 1600), Variant(0));
  EXPECT_EQ(Shown(vertical, "AVG(<X>)", 1500), Variant(750.5));
  // Rows of the horizontal pass (column 0) stay apart from the columns.
  EXPECT_EQ(Shown(footer, "SUM(<X>)", 0), Variant(0));

  list->Reset(footer);
  EXPECT_EQ(Shown(footer, "SUM(<X>)", 1500), Variant(0));
  EXPECT_EQ(Shown(vertical, "AVG(<X>)", 1500), Variant(750.5));
  Rows(vertical, {Variant(4)}, 1500);
  EXPECT_EQ(Shown(footer, "SUM(<X>)", 1500), Variant(4));
}

TEST_F(Aggregates, AVerticalRunningTotalSurvivesItsFootersReset) {
  auto* vertical = new report::TfrxMasterData(page);
  vertical->SetName("VData1");
  vertical->SetVertical(true);
  page->VSubBands().push_back(vertical);
  report->PrepareScript();  // the script learns the new band's name
  Memo(vertical, "[SUM(<X>, VData1, 2)]")->SetSourceBand(footer);
  list->AddItems(page);
  Rows(vertical, {Variant(5)}, 1200);
  list->Reset(footer);
  Rows(vertical, {Variant(6)}, 1200);
  EXPECT_EQ(Shown(footer, "SUM(<X>, VData1, 2)", 1200), Variant(11));
  list->ClearValues();
  EXPECT_EQ(Shown(footer, "SUM(<X>, VData1, 2)", 1200), Variant(0));
}

// ---------------------------------------------------------------- ParseName

struct ParseCase {
  const char* text;
  report::TfrxAggregateFunction function;
  const char* expression;
  const char* band;  // nullptr: none
  bool runningTotal;
  bool countInvisible;
};

TEST_F(Aggregates, ParseNameReadsFunctionArgumentsBandAndFlags) {
  auto* group = new report::TfrxGroupHeader(page);
  group->SetName("GroupHeader1");
  const std::vector<ParseCase> cases = {
      {"SUM(<X>)", report::agSum, "<X>", nullptr, false, false},
      {"sum(<X>)", report::agSum, "<X>", nullptr, false, false},
      {" Avg ( <X> , MasterData1 , 3 ) ", report::agAvg, "<X>", "MasterData1", true, true},
      {"MIN(<X>, masterdata1, 1)", report::agMin, "<X>", "MasterData1", false, true},
      {"MAX(<X>, MasterData1, 2)", report::agMax, "<X>", "MasterData1", true, false},
      {"SUM(<X>, 0, 2)", report::agSum, "<X>", nullptr, true, false},
      {"SUM(<X>, , 2)", report::agSum, "<X>", nullptr, true, false},
      {"SUM(IIF(<A>, 1, 2), MasterData1)", report::agSum, "IIF(<A>, 1, 2)", "MasterData1", false, false},
      {"SUM(Max(<A>, (<B>, 1)), MasterData1)", report::agSum, "Max(<A>, (<B>, 1))", "MasterData1", false, false},
      {"MAX('a,b)', MasterData1, 1)", report::agMax, "'a,b)'", "MasterData1", false, true},
      {"MIN(<DS.\"a,(b\">, MasterData1, 2)", report::agMin, "<DS.\"a,(b\">", "MasterData1", true, false},
      {"SUM(\"it's\", MasterData1)", report::agSum, "\"it's\"", "MasterData1", false, false},
      {"SUM(<X>, MasterData1, 1 + 2)", report::agSum, "<X>", "MasterData1", true, true},
      // Four arguments: the third names the band and the last is dropped.
      {"SUM(<X>, GroupHeader1, MasterData1, 3)", report::agSum, "<X>", "MasterData1", false, false},
      {"SUM(<X>) + 1", report::agSum, "<X>", nullptr, false, false},
      {"COUNT(MasterData1)", report::agCount, "", "MasterData1", false, false},
      {"COUNT(MasterData1, 1)", report::agCount, "", "MasterData1", false, true},
      {"count( MasterData1 , 2 )", report::agCount, "", "MasterData1", true, false},
      {"COUNT()", report::agCount, "", nullptr, false, false},
      {"COUNT(NoSuchBand)", report::agCount, "", nullptr, false, false},
      // A band argument that is not a data band names none.
      {"SUM(<X>, GroupHeader1)", report::agSum, "<X>", nullptr, false, false},
      // Any other name counts.
      {"TOTAL(MasterData1, 1)", report::agCount, "", "MasterData1", false, true},
      {"SUM", report::agSum, "", nullptr, false, false},
      {"SUM(<X>", report::agSum, "<X>", nullptr, false, false},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.text);
    const report::TfrxAggregateCall call = list->ParseName(c.text);
    EXPECT_EQ(call.Function, c.function);
    EXPECT_EQ(call.Expression, c.expression);
    EXPECT_EQ(call.Band, c.band ? report->FindObject(c.band) : nullptr);
    EXPECT_EQ(call.RunningTotal, c.runningTotal);
    EXPECT_EQ(call.CountInvisibleBands, c.countInvisible);
  }
}

// ---------------------------------------------------------------- FindAggregates

struct FindCase {
  const char* text;
  const char* delimiters;
  std::vector<std::string> calls;
};

TEST_F(Aggregates, FindAggregatesReadsTheBracketedExpressionsOfAMemo) {
  auto* dataSet = new report::TfrxUserDataSet(report.get());
  dataSet->SetUserName("DS");
  report->DataSets()->Add(dataSet);
  report->Variables()->SetVariable("Total", Variant("MAX(<X>)"));
  const std::vector<FindCase> cases = {
      {"[SUM(<X>)]", "[,]", {"SUM(<X>)"}},
      {"Sum: [SUM(<X>)] of [COUNT(MasterData1)] rows", "[,]", {"SUM(<X>)", "COUNT(MasterData1)"}},
      {"[SUM(<X>) / count(MasterData1, 1)]", "[,]", {"SUM(<X>)", "count(MasterData1, 1)"}},
      {"[IIF(<A> > 0, SUM(<X>, MasterData1, 2), MAX(<Y>))]", "[,]", {"SUM(<X>, MasterData1, 2)", "MAX(<Y>)"}},
      {"[<SUM(<X>)>]", "[,]", {"SUM(<X>)"}},
      {"[Format('%d', [AVG(<X>)])]", "[,]", {"AVG(<X>)"}},
      {"[SUM(<X>, MasterData1)+MIN(<Y>)]", "[,]", {"SUM(<X>, MasterData1)", "MIN(<Y>)"}},
      {"[SUM(IIF(<A>, (<B> + 1), 0))]", "[,]", {"SUM(IIF(<A>, (<B> + 1), 0))"}},
      {"[Total]", "[,]", {"MAX(<X>)"}},
      {"[<Total>]", "[,]", {"MAX(<X>)"}},
      // Inside strings nothing counts, neither calls nor brackets.
      {"['SUM(<X>)']", "[,]", {}},
      {"[\"SUM(\" + <Name> + ')']", "[,]", {}},
      {"['[' + SUM(<X>) + ']']", "[,]", {"SUM(<X>)"}},
      {"[DS.\"SUM(x)\"]", "[,]", {}},
      {"[DS.\"a\" + SUM(<X>)]", "[,]", {"SUM(<X>)"}},
      {"SUM(<X>) outside brackets", "[,]", {}},
      {"[MySUM(<X>)] [SUMMARY(<X>)] [SUM]", "[,]", {}},
      {"[SUM (<X>)]", "[,]", {}},
      {"[]", "[,]", {}},
      // Other delimiters.
      {"<%SUM(<X>)%> [MIN(<Y>)]", "<%,%>", {"SUM(<X>)"}},
      {"{{COUNT(MasterData1)}} {{MAX(<Y>)}}", "{{,}}", {"COUNT(MasterData1)", "MAX(<Y>)"}},
      {"[SUM(<X>)]", "", {}},
      // Never closed: what follows is the expression.
      {"[SUM(<X>)", "[,]", {"SUM(<X>)"}},
      {"[MAX(<X>", "[,]", {"MAX(<X>"}},
  };
  report::TfrxMemoView* memo = nullptr;
  for (const FindCase& c : cases) {
    SCOPED_TRACE(c.text);
    delete memo;
    list->Clear();
    memo = Memo(footer, c.text);
    memo->SetExpressionDelimiters(c.delimiters);
    list->FindAggregates(memo, master);
    EXPECT_EQ(CallTexts(), c.calls);
  }

  delete memo;
  list->Clear();
  memo = Memo(footer, "[SUM(<X>)]");
  memo->SetAllowExpressions(false);
  list->FindAggregates(memo, master);
  EXPECT_EQ(list->Count(), 0);
}

TEST_F(Aggregates, HostileNestingNeitherCrashesNorHangs) {
  std::string nested = "[";
  for (int i = 0; i < 30; ++i) nested += "IIF(<A>, ";
  nested += "SUM(<X>)";
  for (int i = 0; i < 30; ++i) nested += ", 0)";
  nested += "]";
  auto* memo = Memo(footer, nested);
  list->FindAggregates(memo, master);
  EXPECT_EQ(CallTexts(), std::vector<std::string>{"SUM(<X>)"});

  list->Clear();
  memo->SetAnsiText("[" + std::string(100000, '(') + std::string(100000, '<') + "SUM(<X>)]");
  list->FindAggregates(memo, master);
  EXPECT_EQ(list->Count(), 0);
}

}  // namespace
}  // namespace report_test
