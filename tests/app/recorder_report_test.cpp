// The recorder's report templates and their feed without the window: the
// template each table width picks, the stored templates as the program keeps
// them, every name the get-value event answers, the records the user dataset
// yields, relative time past a day, and the chart picture before printing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ProcessReport.h"
#include "app/ReportEngineStartup.h"
#include "app/ReportFeed.h"
#include "platform/gfx/metafile.h"
#include "platform/rtl/datetime.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassPicture.h"
#include "report/vuzClassReport.h"
#include "report/vuzDataSet.h"
#include "tests/support/process_files.h"

using namespace rtl::literals;
using rtl::AnsiString;

namespace {

// A table and list row given by the test; the chart records where it was asked to draw.
class TableSource : public app::TReportSource {
 public:
  std::vector<std::vector<AnsiString>> rows;  // row 0: captions
  std::vector<AnsiString> list;
  std::vector<gfx::TRect> drawn;

  AnsiString ListCell(int col) const override {
    return col >= 0 && col < int(list.size()) ? list[std::size_t(col)] : AnsiString();
  }
  AnsiString TableCell(int col, int row) const override {
    if (row < 0 || row >= int(rows.size())) return {};
    const auto& r = rows[std::size_t(row)];
    return col >= 0 && col < int(r.size()) ? r[std::size_t(col)] : AnsiString();
  }
  int TableRowCount() const override { return int(rows.size()); }
  void DrawChart(gfx::TCanvas& canvas, const gfx::TRect& rect) override {
    drawn.push_back(rect);
    canvas.Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom);
  }
};

// A 7-column table of n points whose cells name their place ("c2r3").
TableSource NamedCells(int points) {
  TableSource s;
  for (int r = 0; r <= points; ++r) {
    std::vector<AnsiString> row;
    for (int c = 0; c < 7; ++c) row.push_back("c" + std::to_string(c) + "r" + std::to_string(r));
    s.rows.push_back(row);
  }
  s.list = {"07.03.13", "9:05", "23:40", "20", "72", "note 1", "note 2"};
  return s;
}

class RecorderReport : public ::testing::Test {
 protected:
  app::TReportEngineStartup engine;
};

TEST(RecorderTemplate, ChosenByTheDataTableWidth) {
  struct Case {
    int columns;
    app::TRecorderTemplate t;
    const char* name;
  } cases[] = {
      {5, app::TRecorderTemplate::Report1, "vuzReport1"}, {6, app::TRecorderTemplate::Report2, "vuzReport2"},
      {7, app::TRecorderTemplate::Report3, "vuzReport3"}, {4, app::TRecorderTemplate::Report3, "vuzReport3"},
      {0, app::TRecorderTemplate::Report3, "vuzReport3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.columns);
    EXPECT_EQ(app::TemplateForDataColumns(c.columns), c.t);
    EXPECT_EQ(app::RecorderTemplateName(c.t), c.name);
  }
  // The table of a process has 5, 6 or 7 columns for 3, 4 or 5 channels.
  EXPECT_EQ(app::TemplateForDataColumns(app::DataColumnCount(3)), app::TRecorderTemplate::Report1);
  EXPECT_EQ(app::TemplateForDataColumns(app::DataColumnCount(4)), app::TRecorderTemplate::Report2);
  EXPECT_EQ(app::TemplateForDataColumns(app::DataColumnCount(5)), app::TRecorderTemplate::Report3);
}

TEST_F(RecorderReport, TemplatesHoldTheirPagesBandsAndMemos) {
  struct Memo {
    long double width;
    const char* text;
  };
  struct Case {
    app::TRecorderTemplate t;
    long double columnWidth;
    const char* secondColumn;
    bool footerOnFirstPage;
    long double headerHeight;
    std::vector<Memo> header, data;
  } cases[] = {
      {app::TRecorderTemplate::Report1,
       92.5,
       "92,50",
       false,
       37.79527559,
       {{68.03154, "[ДатаЗ]"},
        {52.91342, "[ВремяЗ]"},
        {86.92919, "[Температура средыЗ]"},
        {75.5906, "[Относительная влажностьЗ]"},
        {56.69295, "[УсадкаЗ]"}},
       {{68.03154, "[Дата]"},
        {52.91342, "[Время]"},
        {86.92919, "[Температура среды]"},
        {75.5906, "[Относительная влажность]"},
        {56.69295, "[Усадка]"}}},
      {app::TRecorderTemplate::Report2,
       95,
       "95",
       true,
       56.69291339,
       {{94.48825, "Дата, время"},
        {56.69295, "Темп. среды, °С"},
        {75.5906, "[Относительная влажностьЗ]"},
        {56.69295, "[УсадкаЗ]"},
        {56.69295, "Темп. доп., °С"}},
       {{94.48825, "[Дата], [Время]"},
        {56.69295, "[Температура среды]"},
        {75.5906, "[Относительная влажность]"},
        {56.69295, "[Усадка]"},
        {56.69295, "[Температура доп.1]"}}},
      {app::TRecorderTemplate::Report3,
       92.5,
       "92,50",
       true,
       56.69291339,
       {{52.9133858267717, "Время"},
        {56.69295, "Темп. среды, °С"},
        {75.5906, "[Относительная влажностьЗ]"},
        {56.69295, "[УсадкаЗ]"},
        {49.13389, "Темп. доп.1, °С"},
        {49.13389, "Темп. доп.2, °С"}},
       {{52.9133858267717, "[Время]"},
        {56.69295, "[Температура среды]"},
        {75.5906, "[Относительная влажность]"},
        {56.69295, "[Усадка]"},
        {49.13389, "[Температура доп.1]"},
        {49.13389, "[Температура доп.2]"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(app::RecorderTemplateName(c.t));
    report::TfrxUserDataSet dataSet(nullptr);
    dataSet.SetName("vuzUserDataSet1");
    report::TfrxReport r;
    app::LoadRecorderTemplate(r, c.t);
    ASSERT_EQ(r.Errors().Count(), 0) << r.Errors().Text();

    // The report's stored settings.
    EXPECT_EQ(r.Version(), "4.14");
    EXPECT_FALSE(r.DotMatrixReport());
    EXPECT_EQ(r.IniFile(), "\\Software\\Dodo Vavezev");
    using namespace report;
    EXPECT_EQ(r.PreviewOptions()->Buttons, (1u << pbPrint) | (1u << pbLoad) | (1u << pbSave) | (1u << pbExport) |
                                               (1u << pbZoom) | (1u << pbFind) | (1u << pbPageSetup) | (1u << pbTools) |
                                               (1u << pbNavigator));
    EXPECT_EQ(r.PreviewOptions()->Zoom, 1);
    EXPECT_EQ(r.PrintOptions()->Printer, "По умолчанию"_cp);
    EXPECT_EQ(r.ScriptLanguage(), "PascalScript");
    EXPECT_EQ(r.ScriptText()->Text(), "begin\r\n\r\nend.\r\n");
    // Only the first report lists the dataset; every master band names it.
    EXPECT_EQ(r.DataSets()->Count(), c.t == app::TRecorderTemplate::Report1 ? 1 : 0);

    auto* data = dynamic_cast<TfrxDataPage*>(r.FindObject("Data"));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->Width(), 1000);
    EXPECT_EQ(data->Height(), 1000);
    auto* page = dynamic_cast<TfrxReportPage*>(r.FindObject("Page1"));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->PaperSize(), 9);
    EXPECT_EQ(page->PaperWidth(), 210);
    EXPECT_EQ(page->PaperHeight(), 297);
    EXPECT_EQ(page->LeftMargin(), 20);
    EXPECT_EQ(page->RightMargin(), 5);
    EXPECT_EQ(page->TopMargin(), 10);
    EXPECT_EQ(page->BottomMargin(), 10);
    EXPECT_EQ(page->Columns(), 2);
    EXPECT_NEAR(double(page->ColumnWidth()), double(c.columnWidth), 1e-9);
    ASSERT_EQ(page->ColumnPositions()->Count(), 2);
    EXPECT_EQ(page->ColumnPositions()->Strings(0), "0");
    EXPECT_EQ(page->ColumnPositions()->Strings(1), c.secondColumn);

    auto band = [&](const char* name, long double height) {
      auto* b = dynamic_cast<TfrxBand*>(r.FindObject(name));
      EXPECT_NE(b, nullptr) << name;
      if (b) {
        EXPECT_NEAR(double(b->Height()), double(height), 1e-6) << name;
      }
      return b;
    };
    band("ReportTitle1", 415.7483);
    auto* footer = dynamic_cast<TfrxPageFooter*>(band("PageFooter1", 37.7953));
    ASSERT_NE(footer, nullptr);
    EXPECT_EQ(footer->PrintOnFirstPage(), c.footerOnFirstPage);
    auto* header = band("ColumnHeader1", c.headerHeight);
    auto* master = dynamic_cast<TfrxMasterData*>(band("MasterData1", 18.89765));
    ASSERT_NE(master, nullptr);
    EXPECT_EQ(master->DataSet(), &dataSet);
    EXPECT_EQ(master->RowCount(), 0);

    // Title and page number: not framed; everything else framed and centred vertically.
    struct Fixed {
      const char* name;
      long double left, top, width, height;
      int fontHeight;
      const char* text;
    } fixed[] = {
        {"Memo1", 0, 0, 691.65399, 37.7953, -19, "[Заголовок] [DATE]"},
        {"Memo2", 0, 37.7953, 264.5671, 18.89765, -13, "Дата и время [ДатаП], [ВремяП]"},
        {"Memo4", 264.5671, 37.7953, 226.7718, 18.89765, -13, "Длительность [ДлительностьП]"},
        {"Memo5", 491.3389, 37.7953, 200.31509, 18.89765, -13, "Отсчетов: [ОтсчетовП]"},
        {"Memo17", 0, 18.89765, 699.21305, 18.89765, -16, "- [Page#] -"},
    };
    for (const Fixed& f : fixed) {
      SCOPED_TRACE(f.name);
      auto* m = dynamic_cast<TfrxMemoView*>(r.FindObject(f.name));
      ASSERT_NE(m, nullptr);
      EXPECT_NEAR(double(m->Left()), double(f.left), 1e-6);
      EXPECT_NEAR(double(m->Top()), double(f.top), 1e-6);
      EXPECT_NEAR(double(m->Width()), double(f.width), 1e-6);
      EXPECT_NEAR(double(m->Height()), double(f.height), 1e-6);
      EXPECT_EQ(m->Font()->Height(), f.fontHeight);
      EXPECT_EQ(m->Font()->Name(), "Times New Roman");
      EXPECT_EQ(m->Font()->Color(), gfx::clBlack);
      EXPECT_EQ(m->HAlign(), haCenter);
      EXPECT_EQ(m->Frame()->Typ(), 0u);
      EXPECT_EQ(m->AnsiText(), rtl::Utf8ToAnsi(f.text) + "\r\n");
    }
    auto* picture = dynamic_cast<TfrxPictureView*>(r.FindObject("Picture1"));
    ASSERT_NE(picture, nullptr);
    EXPECT_NEAR(double(picture->Top()), 64.25201, 1e-6);
    EXPECT_NEAR(double(picture->Width()), 691.65399, 1e-6);
    EXPECT_NEAR(double(picture->Height()), 340.1577, 1e-6);
    EXPECT_FALSE(picture->Transparent());
    EXPECT_EQ(picture->TransparentColor(), gfx::clWhite);
    EXPECT_FALSE(picture->HightQuality());

    auto row = [&](TfrxComponent* b, const std::vector<Memo>& memos, long double height) {
      ASSERT_NE(b, nullptr);
      ASSERT_EQ(b->Objects().size(), memos.size());
      long double left = 0;
      for (std::size_t i = 0; i < memos.size(); ++i) {
        auto* m = dynamic_cast<TfrxMemoView*>(b->Objects()[i]);
        ASSERT_NE(m, nullptr);
        SCOPED_TRACE(memos[i].text);
        EXPECT_EQ(m->AnsiText(), rtl::Utf8ToAnsi(memos[i].text) + "\r\n");
        EXPECT_NEAR(double(m->Left()), double(left), 1e-6);
        EXPECT_NEAR(double(m->Width()), double(memos[i].width), 1e-6);
        EXPECT_NEAR(double(m->Height()), double(height), 1e-6);
        EXPECT_EQ(m->Font()->Name(), "Times New Roman");
        EXPECT_EQ(m->Frame()->Typ(), 15u);
        EXPECT_EQ(m->HAlign(), haCenter);
        EXPECT_EQ(m->VAlign(), vaCenter);
        left += memos[i].width;
      }
    };
    row(header, c.header, c.headerHeight);
    row(master, c.data, 18.89765);
  }
}

TEST(RecorderReportFeed, AnswersEveryNameOfTheTable) {
  TableSource s = NamedCells(3);
  struct Case {
    const char* name;
    int recNo;
    std::string answer;
  } cases[] = {
      {"Заголовок", 0, "Велдор. Отчет о процессе регистрации."},
      {"ДатаП", 0, "07.03.13"},
      {"ВремяП", 0, "9:05"},
      {"ДлительностьП", 0, "23:40"},
      {"ОтсчетовП", 0, "72"},
      {"ДатаЗ", 0, "Дата"},
      {"ВремяЗ", 0, "Время"},
      {"Температура средыЗ", 0, "Темп.среды, °C"},
      {"Относительная влажностьЗ", 0, "Влажность, %"},
      {"УсадкаЗ", 0, "Усадка, мм"},
      {"Дата", 0, "c0r1"},
      {"Время", 0, "c1r1"},
      {"Температура среды", 1, "c2r2"},
      {"Относительная влажность", 1, "c3r2"},
      {"Усадка", 2, "c4r3"},
      {"Температура доп.1", 2, "c5r3"},
      {"Температура доп.2", 2, "c6r3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rtl::Variant v;
    EXPECT_TRUE(app::RecorderReportValue(s, rtl::Utf8ToAnsi(c.name), c.recNo, v));
    EXPECT_EQ(v.AsString(), rtl::Utf8ToAnsi(c.answer));
  }
  // Other names, and the feed's names in another case or with blanks, are
  // left to the engine: the variant stays as it was.
  for (const char* other : {"заголовок", "DATE", "Дата ", "УСАДКА", "Page#", ""}) {
    SCOPED_TRACE(other);
    rtl::Variant v(42);
    EXPECT_FALSE(app::RecorderReportValue(s, rtl::Utf8ToAnsi(other), 0, v));
    EXPECT_EQ(v.AsInteger(), 42);
  }
}

TEST_F(RecorderReport, FiveTableRowsGiveFourRecords) {
  for (int points : {4, 1, 0}) {
    SCOPED_TRACE(points);
    TableSource s = NamedCells(points);
    app::TRecorderReportFeed feed(s);
    report::TfrxUserDataSet& ds = feed.DataSet();
    std::vector<AnsiString> seen;
    ds.First();
    for (int guard = 0; !ds.Eof() && guard < 100; ++guard) {
      rtl::Variant v;
      feed.GetValue("Дата"_cp, v);
      seen.push_back(v.AsString());
      ds.Next();
    }
    std::vector<AnsiString> expected;
    for (int r = 1; r <= points; ++r) expected.push_back("c0r" + std::to_string(r));
    EXPECT_EQ(seen, expected) << "one record per row after the captions";
    EXPECT_EQ(ds.RangeEndCount(), points);
  }
}

TEST_F(RecorderReport, MasterBandPrintsOneRowPerPoint) {
  TableSource s = NamedCells(4);
  app::TRecorderReport rr(s, 5);
  rr.Report().EngineOptions()->NewSilentMode = report::simSilent;
  rr.Report().SetShowProgress(false);
  ASSERT_TRUE(rr.Prepare());
  auto* page = rr.Report().PreviewPages()->GetPage(0);
  ASSERT_NE(page, nullptr);
  std::vector<AnsiString> dates;
  for (auto* band : page->Objects())
    if (band->ClassName() == "TfrxMasterData")
      for (auto* o : band->Objects())
        if (auto* m = dynamic_cast<report::TfrxMemoView*>(o); m && m->Name() == "Memo11")
          dates.push_back(m->AnsiText());
  EXPECT_EQ(dates, (std::vector<AnsiString>{"c0r1\r\n", "c0r2\r\n", "c0r3\r\n", "c0r4\r\n"}));
}

TEST_F(RecorderReport, RelativeTimeBeyondADayShowsTheTimeOfDayAndNoDate) {
  support::ProcessFileSpec spec;
  spec.points = 160;  // every 10 minutes: 26 h 30 min
  spec.start = {2013, 3, 7, 9, 5, 0};
  const std::string archive = support::ProcessArchiveBytes(spec);
  app::TDisplayOptions options;
  options.relative = true;
  app::TShownProcess p;
  ASSERT_TRUE(app::DecodeProcessFile(archive, options, p.data));
  app::TShownProcessSource source(p, {});
  struct Case {
    int recNo;
    const char* time;
  } cases[] = {{0, "00:00"}, {6, "01:00"}, {143, "23:50"}, {144, "00:00"}, {150, "01:00"}, {159, "02:30"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.recNo);
    rtl::Variant date, time;
    ASSERT_TRUE(app::RecorderReportValue(source, "Дата"_cp, c.recNo, date));
    ASSERT_TRUE(app::RecorderReportValue(source, "Время"_cp, c.recNo, time));
    EXPECT_EQ(date.AsString(), "");
    EXPECT_EQ(time.AsString(), c.time);
  }
}

TEST_F(RecorderReport, ChartPictureIsAPlainMetafileOfThePictureSize) {
  TableSource s = NamedCells(2);
  app::TRecorderReportFeed feed(s);
  report::TfrxPictureView picture(nullptr), other(nullptr);
  picture.SetName("Picture1");
  picture.SetBounds(0, 64.25201, 691.65399, 340.1577);
  other.SetName("Picture2");
  other.SetBounds(0, 0, 100, 100);
  report::TfrxMemoView memo(nullptr);
  memo.SetName("Memo1");

  feed.BeforePrint(&other);
  feed.BeforePrint(&memo);
  feed.BeforePrint(nullptr);
  EXPECT_TRUE(s.drawn.empty()) << "only Picture1 gets the chart";
  EXPECT_TRUE(other.Picture()->Empty());

  feed.BeforePrint(&picture);
  ASSERT_EQ(s.drawn.size(), 1u);
  EXPECT_EQ(s.drawn[0], gfx::Rect(0, 0, 691, 340)) << "whole pixels, truncated";
  auto* mf = dynamic_cast<gfx::TMetafile*>(picture.Picture()->Graphic());
  ASSERT_NE(mf, nullptr);
  EXPECT_FALSE(mf->Enhanced());
  EXPECT_EQ(mf->Width(), 691);
  EXPECT_EQ(mf->Height(), 340);
  EXPECT_FALSE(mf->Empty());
}

}  // namespace
