#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model_fixture.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassPage.h"
#include "report/vuzDataSet.h"
#include "report/vuzRes.h"

using namespace report_test;
using namespace report;

namespace {

template <class C>
std::unique_ptr<TfrxBand> Make() {
  return std::make_unique<C>(nullptr);
}

// A kind derived from a numbered kind keeps its number.
class TfrxMyMaster : public TfrxMasterData {
  RTL_CLASS_INFO
 public:
  using TfrxMasterData::TfrxMasterData;
};

}  // namespace

const rtl::TClassInfo& TfrxMyMaster::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxMyMaster>("TfrxMyMaster", &TfrxMasterData::StaticClass()).Build();
  return info;
}

TEST(Bands, NumbersAndNamesOfEveryKind) {
  struct Case {
    std::unique_ptr<TfrxBand> band;
    int number;
    const char* name;
  };
  Case cases[] = {
      {Make<TfrxReportTitle>(), 0, "ReportTitle"},
      {Make<TfrxReportSummary>(), 1, "ReportSummary"},
      {Make<TfrxPageHeader>(), 2, "PageHeader"},
      {Make<TfrxPageFooter>(), 3, "PageFooter"},
      {Make<TfrxHeader>(), 4, "Header"},
      {Make<TfrxFooter>(), 5, "Footer"},
      {Make<TfrxMasterData>(), 6, "MasterData"},
      {Make<TfrxDetailData>(), 7, "DetailData"},
      {Make<TfrxSubdetailData>(), 8, "SubdetailData"},
      {Make<TfrxDataBand4>(), 9, "Data4"},
      {Make<TfrxDataBand5>(), 10, "Data5"},
      {Make<TfrxDataBand6>(), 11, "Data6"},
      {Make<TfrxGroupHeader>(), 12, "GroupHeader"},
      {Make<TfrxGroupFooter>(), 13, "GroupFooter"},
      {Make<TfrxChild>(), 14, "Child"},
      {Make<TfrxColumnHeader>(), 15, "ColumnHeader"},
      {Make<TfrxColumnFooter>(), 16, "ColumnFooter"},
      {Make<TfrxOverlay>(), 17, "Overlay"},
      {Make<TfrxNullBand>(), 0, "Null"},
      {Make<TfrxMyMaster>(), 6, "MyMaster"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.band->ClassName());
    EXPECT_EQ(c.band->BandNumber(), c.number);
    EXPECT_EQ(c.band->GetBandName(), c.name);
  }
  ASSERT_EQ(vuzBands().size(), 18u);
  EXPECT_EQ(vuzBands()[0]->Name(), "TfrxReportTitle");
  EXPECT_EQ(vuzBands()[17]->Name(), "TfrxOverlay");
}

TEST(Bands, DefaultsOfTheKindsThatDifferFromTheBase) {
  TfrxPageHeader header(nullptr);
  TfrxPageFooter footer(nullptr);
  EXPECT_TRUE(header.PrintOnFirstPage());
  EXPECT_TRUE(footer.PrintOnFirstPage());
  EXPECT_TRUE(footer.PrintOnLastPage());
  TfrxMasterData data(nullptr);
  EXPECT_EQ(data.OriginalObjectsCount, -1);
  EXPECT_FALSE(data.Stretched());
  EXPECT_EQ(data.Columns(), 0);
  // Only the kinds that publish a switch store it.
  EXPECT_EQ(TfrxOverlay::StaticClass().FindProperty("AllowSplit"), nullptr);
  EXPECT_NE(TfrxReportTitle::StaticClass().FindProperty("AllowSplit"), nullptr);
  EXPECT_EQ(TfrxColumnFooter::StaticClass().FindProperty("Child"), nullptr);
}

// A band may not end up in its own chain of children: that would print
// forever.
TEST(Bands, ChildChainsRefuseCycles) {
  TfrxReportTitle title(nullptr);
  TfrxChild a(nullptr), b(nullptr), c(nullptr);
  const AnsiString refusal = vuzResources().Get("clCirRefNotAllow");
  auto refused = [&](TfrxBand& band, TfrxChild* child) {
    try {
      band.SetChild(child);
    } catch (const rtl::Exception& e) {
      EXPECT_EQ(AnsiString(e.what()), refusal);
      return true;
    }
    return false;
  };

  EXPECT_TRUE(refused(a, &a));  // itself
  EXPECT_EQ(a.Child(), nullptr);

  EXPECT_FALSE(refused(title, &a));  // title -> a -> b -> c
  EXPECT_FALSE(refused(a, &b));
  EXPECT_FALSE(refused(b, &c));
  EXPECT_TRUE(refused(b, &a));  // a is already b's parent in the chain
  EXPECT_TRUE(refused(c, &a));  // three links round
  EXPECT_EQ(c.Child(), nullptr);
  EXPECT_EQ(b.Child(), &c);  // a refused change keeps the old child
  EXPECT_FALSE(refused(c, nullptr));
  EXPECT_FALSE(refused(b, &c));  // setting the same child again is fine
}

TEST(Bands, FreeingAChildClearsTheReference) {
  TfrxReportTitle title(nullptr);
  auto* child = new TfrxChild(nullptr);
  title.SetChild(child);
  delete child;
  EXPECT_EQ(title.Child(), nullptr);
}

TEST(Bands, DataBandColumnsMoveTheBand) {
  TfrxMasterData band(nullptr);
  band.SetColumns(3);
  band.SetColumnWidth(100);
  band.SetColumnGap(10);
  struct Case {
    int column, expectedColumn;
    long double left;
  };
  const Case cases[] = {{1, 1, 0}, {2, 2, 110}, {3, 3, 220}, {4, 1, 0}, {0, 0, -110}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column);
    band.MaxY = 50;
    band.SetCurColumn(c.column);
    EXPECT_EQ(band.CurColumn(), c.expectedColumn);
    EXPECT_DOUBLE_EQ(static_cast<double>(band.Left()), static_cast<double>(c.left));
    // The column bottom starts again with the first column only.
    EXPECT_EQ(band.MaxY, c.expectedColumn == 1 ? 0 : 50);
  }
}

TEST(Bands, RowCountDrivesTheBandsOwnDataSet) {
  TfrxMasterData band(nullptr);
  ASSERT_NE(band.VirtualDataSet(), nullptr);
  EXPECT_EQ(band.VirtualDataSet()->RangeEnd(), reCount);
  EXPECT_EQ(band.VirtualDataSet()->Owner(), nullptr);
  band.SetRowCount(5);
  EXPECT_EQ(band.RowCount(), 5);
  EXPECT_EQ(band.VirtualDataSet()->RangeEndCount(), 5);

  // The engine walks it: five rows, then the end.
  TfrxDataSet& rows = *band.VirtualDataSet();
  rows.First();
  int seen = 0;
  while (!rows.Eof() && seen < 100) {
    ++seen;
    rows.Next();
  }
  EXPECT_EQ(seen, 5);
}

// A template of many data bands must not carry a dataset per band: every
// look-up of a dataset by name walks the global list. The band's own
// dataset appears when first asked for, with the row count set before.
TEST(Bands, OwnDataSetMadeOnlyWhenUsed) {
  ReportClassesStartup();
  const int before = vuzDataSetList()->Count();
  std::vector<std::unique_ptr<TfrxMasterData>> bands;
  for (int i = 0; i < 1000; ++i) {
    bands.push_back(std::make_unique<TfrxMasterData>(nullptr));
    bands.back()->SetRowCount(i + 1);
  }
  EXPECT_EQ(vuzDataSetList()->Count(), before);
  TfrxUserDataSet* rows = bands[6]->VirtualDataSet();
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(vuzDataSetList()->Count(), before + 1);
  EXPECT_EQ(rows->RangeEnd(), reCount);
  EXPECT_EQ(rows->RangeEndCount(), 7);
  EXPECT_EQ(bands[6]->VirtualDataSet(), rows);  // one dataset, kept
  bands[6]->SetRowCount(2);
  EXPECT_EQ(rows->RangeEndCount(), 2);
  bands.clear();
  EXPECT_EQ(vuzDataSetList()->Count(), before);
}

TEST(Bands, DataSetReferenceAndName) {
  ReportClassesStartup();
  {
    auto report = std::make_unique<TfrxTestReport>();
    auto* page = new TfrxReportPage(report.get());
    auto* band = new TfrxMasterData(page);
    auto* data = new TfrxUserDataSet(report.get());
    data->SetUserName("Rows");
    band->SetDataSet(data);
    EXPECT_EQ(band->GetDataSetName(), "Rows");
    band->SetDataSet(nullptr);
    EXPECT_EQ(band->GetDataSetName(), "");
    band->SetDataSetName("Rows");  // looked up among the report's datasets
    EXPECT_EQ(band->DataSet(), data);
    delete data;
    EXPECT_EQ(band->DataSet(), nullptr);
    EXPECT_EQ(band->GetDataSetName(), "Rows");  // the name stays
  }
  ReportClassesShutdown();
}

TEST(Bands, GroupHeaderNamesItsDrillDownInTheDescription) {
  TfrxGroupHeader group(nullptr), other(nullptr);
  group.SetDrillName("a&b");
  EXPECT_EQ(group.Diff(&other), " t=\"0\"");
  group.SetDrillDown(true);
  EXPECT_EQ(group.Diff(&other), " t=\"0\" DrillName=\"a&b\"");
}
