// Whole reports built in code, run by the engine into the real store, and
// their prepared pages compared with kept dumps (data/<name>.txt). Each
// report shows one behaviour a reader can check on the dump: groups with
// footers and sums, master and detail rows, page columns, a group kept
// together across a page end, a memo split over pages, a subreport.
//
// ZARNIK_UPDATE_GOLDEN=1 renews the dumps; ZARNIK_GOLDEN_PNG=<folder> also
// writes every page as a PNG there, to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "engine_fixture.h"
#include "report/vuzPaperSizes.h"

namespace engine_test {

namespace {

rtl::Variant S(const char* utf8) { return rtl::Variant(rtl::Utf8ToWide(utf8)); }
rtl::Variant N(double v) { return rtl::Variant(v); }
rtl::Variant I(int v) { return rtl::Variant(v); }
rtl::Variant Null() { return rtl::Variant::Null(); }

// A small custom paper keeps the reports to a few rows a page.
PageSetup SmallPaper(long double heightMm = 80) {
  PageSetup spec;
  spec.paperSize = report::DMPAPER_USER;
  spec.paperWidth = 100;
  spec.paperHeight = heightMm;
  spec.leftMargin = spec.rightMargin = spec.topMargin = spec.bottomMargin = 5;
  return spec;
}

void SavePngs(const std::string& name, preview::TfrxPreviewPages& store) {
  const char* folder = std::getenv("ZARNIK_GOLDEN_PNG");
  if (!folder || !*folder) return;
  for (int i = 0; i < store.GetCount(); ++i)
    SavePagePng(store, i, std::string(folder) + "/" + name + "_" + std::to_string(i) + ".png", 2);
}

// Runs the report and compares its pages with the golden dump.
void ExpectPages(ReportBuilder& b, const std::string& name) {
  ASSERT_TRUE(b.Prepare()) << b.Errors();
  const std::string dump = DumpPages(b.Store());
  SavePngs(name, b.Store());
  EXPECT_GOLDEN(name, dump);
}

MemoSetup Stretching() {
  MemoSetup m;
  m.stretch = report::smActualHeight;
  return m;
}

}  // namespace

// Rows grouped by city (the rows come sorted): a header per city, a footer
// with the city's sum (a Null sum counts as nothing), the page header with
// the page number out of the total (two passes) and a summary with the
// grand total and the row count.
TEST(EngineGolden, GroupsWithFootersAndSums) {
  EngineScope scope;
  ReportBuilder b;
  b.Report().EngineOptions()->DoublePass = true;
  auto* page = b.AddPage(SmallPaper());
  auto& rows = b.AddDataSet("Rows", {"City", "Name", "Sum"},
                            {{S("Казань"), S("Арбузов"), N(10.5)},
                             {S("Казань"), S("Белов"), N(4)},
                             {S("Казань"), S("Волков"), Null()},
                             {S("Омск"), S("Гусев"), N(7.25)},
                             {S("Омск"), S("Дронов"), N(1)},
                             {S("Тверь"), S("Ершов"), N(100)},
                             {S("Тверь"), S("Жуков"), N(2)},
                             {S("Тверь"), S("Зотов"), N(3)},
                             {S("Тверь"), S("Ильин"), N(4)},
                             {S("Тверь"), S("Котов"), N(5)},
                             {S("Тверь"), S("Лапин"), N(6)}});
  auto* header = b.AddBand<report::TfrxPageHeader>(page, 0, 20);
  b.AddMemo(header, 0, 0, 200, 18, "Страница [Page#] из [TotalPages#]");
  auto* group = b.AddGroupHeader(page, 30, 20, "<Rows.\"City\">");
  b.AddMemo(group, 0, 0, 200, 18, "Город: [Rows.\"City\"]");
  auto* data = b.AddDataBand(page, 60, 18, rows);
  b.AddMemo(data, 10, 0, 150, 18, "[Rows.\"Name\"]");
  b.AddMemo(data, 170, 0, 100, 18, "[Rows.\"Sum\"]");
  auto* footer = b.AddBand<report::TfrxGroupFooter>(page, 90, 18);
  b.AddMemo(footer, 10, 0, 250, 18, "Итого по городу: [SUM(<Rows.\"Sum\">)]");
  auto* summary = b.AddBand<report::TfrxReportSummary>(page, 120, 18);
  b.AddMemo(summary, 0, 0, 300, 18, "Всего: [SUM(<Rows.\"Sum\">, MasterData1)], строк: [COUNT(MasterData1)]");
  (void)data;
  ExpectPages(b, "groups_sums");
}

// Orders and their items: a detail band under the master shows the items of
// the master's current order, with a footer summing them; an order without
// items still prints (PrintIfDetailEmpty).
TEST(EngineGolden, MasterDetail) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPaper(120));
  auto& orders = b.AddDataSet("Orders", {"Id", "Client"},
                              {{I(1), S("ООО «Глина»")}, {I(2), S("Завод №2")}, {I(3), S("ИП Сушкин")}});
  auto& items = b.AddDataSet("Items", {"Order", "Item", "Qty"},
                             {{I(1), S("Кирпич М150"), I(1000)},
                              {I(1), S("Кирпич М200"), I(250)},
                              {I(3), S("Поддон"), I(4)},
                              {I(1), S("Доставка"), I(1)}});
  items.SetFilter([&orders](const TableDataSet::Row& r) {
    const rtl::Variant id = orders.Value("Id");
    return !id.IsNull() && r[0].AsInteger() == id.AsInteger();
  });
  auto* master = b.AddDataBand(page, 20, 18, orders);
  master->SetPrintIfDetailEmpty(true);
  b.AddMemo(master, 0, 0, 300, 18, "Заказ [Orders.\"Id\"]: [Orders.\"Client\"]");
  auto* detail = b.AddDataBand<report::TfrxDetailData>(page, 50, 16, items);
  b.AddMemo(detail, 20, 0, 150, 16, "[Items.\"Item\"]");
  b.AddMemo(detail, 180, 0, 80, 16, "[Items.\"Qty\"]");
  auto* footer = b.AddBand<report::TfrxFooter>(page, 80, 16);
  b.AddMemo(footer, 20, 0, 240, 16, "Позиций: [COUNT(DetailData1)], штук: [SUM(<Items.\"Qty\">, DetailData1)]");
  ExpectPages(b, "master_detail");
}

// Twelve rows on a page of two columns: the first column fills, the rows go
// on at the top of the second, then on the next page; the page header
// stays across the page.
TEST(EngineGolden, TwoPageColumns) {
  EngineScope scope;
  ReportBuilder b;
  PageSetup spec = SmallPaper(60);
  spec.columns = 2;
  auto* page = b.AddPage(spec);
  std::vector<TableDataSet::Row> table;
  for (int i = 1; i <= 12; ++i) table.push_back({I(i)});
  auto& rows = b.AddDataSet("Rows", {"N"}, table);
  auto* header = b.AddBand<report::TfrxPageHeader>(page, 0, 20);
  b.AddMemo(header, 0, 0, 300, 18, "Две колонки");
  auto* data = b.AddDataBand(page, 30, 30, rows);
  data->SetWidth(45 * report::fr01cm);  // one column's width
  b.AddMemo(data, 0, 0, 100, 18, "Строка [Rows.\"N\"]");
  ExpectPages(b, "two_columns");
}

// Groups of four rows kept together: the second group does not fit under
// the first, so it starts the next page whole instead of being cut.
TEST(EngineGolden, KeepTogetherGroupMovesWhole) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPaper(70));  // 60 mm = 226.77 px printable
  std::vector<TableDataSet::Row> table;
  for (int g = 1; g <= 3; ++g)
    for (int i = 1; i <= 4; ++i) table.push_back({I(g), I(g * 10 + i)});
  auto& rows = b.AddDataSet("Rows", {"G", "N"}, table);
  auto* group = b.AddGroupHeader(page, 0, 20, "<Rows.\"G\">");
  group->SetKeepTogether(true);
  b.AddMemo(group, 0, 0, 200, 18, "Группа [Rows.\"G\"]");
  auto* data = b.AddDataBand(page, 30, 20, rows);
  b.AddMemo(data, 10, 0, 100, 18, "[Rows.\"N\"]");
  auto* footer = b.AddBand<report::TfrxGroupFooter>(page, 60, 20);
  b.AddMemo(footer, 10, 0, 200, 18, "Сумма [SUM(<Rows.\"N\">)]");
  ExpectPages(b, "keep_together");
}

// A band with AllowSplit holds a memo far taller than a page: it is output
// in parts over the pages, and the memo under it follows the last part.
TEST(EngineGolden, SplitMemoOverPages) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPaper(60));
  std::string text;
  for (int i = 1; i <= 30; ++i) text += "Строка " + std::to_string(i) + (i < 30 ? "\r\n" : "");
  auto& rows = b.AddDataSet("Rows", {"Text"}, {{S(text.c_str())}});
  auto* before = b.AddBand<report::TfrxReportTitle>(page, 0, 20);
  b.AddMemo(before, 0, 0, 200, 18, "Начало");
  auto* data = b.AddDataBand(page, 30, 40, rows);
  data->SetAllowSplit(true);
  data->SetStretched(true);
  b.AddMemo(data, 0, 0, 200, 20, "[Rows.\"Text\"]", Stretching());
  b.AddMemo(data, 0, 20, 200, 18, "Под текстом");
  ExpectPages(b, "split_memo");
}

// A subreport on the master band prints its own page's rows under each
// master row; the master band's objects after it follow on the same page.
TEST(EngineGolden, Subreport) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPaper(120));
  auto& kilns = b.AddDataSet("Kilns", {"Kiln"}, {{S("Камера 1")}, {S("Камера 2")}});
  auto& temps = b.AddDataSet("Temps", {"T"}, {{N(61.5)}, {N(63)}, {N(64.25)}});
  auto* master = b.AddDataBand(page, 20, 40, kilns);
  b.AddMemo(master, 0, 0, 200, 18, "[Kilns.\"Kiln\"]");
  report::TfrxReportPage* subPage = nullptr;
  b.AddSubreport(master, 20, 20, 200, 20, &subPage, SmallPaper(120));
  auto* sub = b.AddDataBand(subPage, 0, 16, temps);
  b.AddMemo(sub, 0, 0, 100, 16, "t = [Temps.\"T\"]");
  ExpectPages(b, "subreport");
}

// A memo that grows by two lines: the object under it with smAlways moves
// down by the growth, the smDontShift one stays, the smWhenOverlapped one
// moves only as far as the grown memo's bottom, an object beside the memo
// stays, and the band (Stretched) grows to hold them all.
TEST(EngineGolden, StretchAndShiftModes) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPaper());
  auto& rows = b.AddDataSet("Rows", {"Text"}, {{S("один\r\nдва\r\nтри")}, {S("одна строка")}});
  auto* data = b.AddDataBand(page, 0, 60, rows);
  data->SetStretched(true);
  b.AddMemo(data, 0, 0, 100, 20, "[Rows.\"Text\"]", Stretching(), "Grows");
  MemoSetup always;
  b.AddMemo(data, 0, 22, 100, 16, "всегда", always, "Always");
  MemoSetup still;
  still.shift = report::smDontShift;
  b.AddMemo(data, 110, 22, 60, 16, "на месте", still, "Still");
  MemoSetup overlapped;
  overlapped.shift = report::smWhenOverlapped;
  b.AddMemo(data, 50, 40, 100, 16, "если задет", overlapped, "Overlapped");
  b.AddMemo(data, 200, 0, 100, 16, "сбоку", always, "Beside");
  ExpectPages(b, "stretch_shift");
}

// The page's own bands: the title once, a page header on every page but the
// first (PrintOnFirstPage off), a data header reprinted on each page, the
// page footer with the page number, the summary after the last row.
TEST(EngineGolden, PageBandsAndReprintedHeader) {
  EngineScope scope;
  ReportBuilder b;
  b.Report().EngineOptions()->DoublePass = true;
  auto* page = b.AddPage(SmallPaper(60));
  std::vector<TableDataSet::Row> table;
  for (int i = 1; i <= 14; ++i) table.push_back({I(i)});
  auto& rows = b.AddDataSet("Rows", {"N"}, table);
  auto* title = b.AddBand<report::TfrxReportTitle>(page, 0, 20);
  b.AddMemo(title, 0, 0, 200, 18, "Отчёт");
  auto* header = b.AddBand<report::TfrxPageHeader>(page, 30, 16);
  header->SetPrintOnFirstPage(false);
  b.AddMemo(header, 0, 0, 200, 16, "продолжение");
  auto* dataHeader = b.AddBand<report::TfrxHeader>(page, 60, 16);
  dataHeader->SetReprintOnNewPage(true);
  b.AddMemo(dataHeader, 0, 0, 200, 16, "№ строки");
  auto* data = b.AddDataBand(page, 90, 18, rows);
  b.AddMemo(data, 0, 0, 100, 18, "[Rows.\"N\"] ([Line])");
  auto* summary = b.AddBand<report::TfrxReportSummary>(page, 120, 16);
  b.AddMemo(summary, 0, 0, 200, 16, "Конец, страниц: [TotalPages]");
  auto* footer = b.AddBand<report::TfrxPageFooter>(page, 150, 16);
  b.AddMemo(footer, 0, 0, 200, 16, "[Page#]");
  ExpectPages(b, "page_bands");
}

// A data band of three columns: rows go across, then down; the band's
// left moves by column width plus gap.
TEST(EngineGolden, DataBandColumns) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPaper());
  std::vector<TableDataSet::Row> table;
  for (int i = 1; i <= 7; ++i) table.push_back({I(i)});
  auto& rows = b.AddDataSet("Rows", {"N"}, table);
  auto* data = b.AddDataBand(page, 0, 20, rows);
  data->SetColumns(3);
  data->SetColumnWidth(100);
  data->SetColumnGap(10);
  b.AddMemo(data, 0, 0, 90, 18, "№[Rows.\"N\"]");
  auto* footer = b.AddBand<report::TfrxFooter>(page, 40, 18);
  b.AddMemo(footer, 0, 0, 200, 18, "Всего [COUNT(MasterData1)]");
  ExpectPages(b, "band_columns");
}

// Group options: a footer that hides for a group of one row, and groups
// that start a new page from the second on with page numbers restarting.
TEST(EngineGolden, GroupFooterHiddenForOneRowAndNewPagePerGroup) {
  EngineScope scope;
  ReportBuilder b;
  auto* page = b.AddPage(SmallPaper());
  auto& rows = b.AddDataSet("Rows", {"G", "N"}, {{S("А"), I(1)}, {S("Б"), I(2)}, {S("Б"), I(3)}, {S("В"), I(4)}});
  auto* group = b.AddGroupHeader(page, 0, 20, "<Rows.\"G\">");
  group->SetStartNewPage(true);
  group->SetResetPageNumbers(true);
  b.AddMemo(group, 0, 0, 250, 18, "Группа [Rows.\"G\"], стр. [Page]");
  auto* data = b.AddDataBand(page, 30, 18, rows);
  b.AddMemo(data, 10, 0, 100, 18, "[Rows.\"N\"]");
  auto* footer = b.AddBand<report::TfrxGroupFooter>(page, 60, 18);
  footer->SetHideIfSingleDataRecord(true);
  b.AddMemo(footer, 10, 0, 200, 18, "Строк в группе: [COUNT(MasterData1)]");
  (void)data;
  ExpectPages(b, "group_options");
}

// The fit test has no tolerance: a band exactly as tall as the space left
// stays on the page, one a pixel taller goes to the next. A printable
// height of 188.98 (60 mm less margins) under a 20-pixel header leaves
// 168.98: rows of 42.245 fill it exactly with four, rows of 43.245 take three.
TEST(EngineGolden, BandThatFitsExactlyStaysAndOnePixelMoreMoves) {
  EngineScope scope;
  for (const char* name : {"fit_exact", "fit_pixel_more"}) {
    ReportBuilder b;
    auto* page = b.AddPage(SmallPaper(60));
    auto& rows = b.AddDataSet("Rows", {"N"}, {{I(1)}, {I(2)}, {I(3)}, {I(4)}, {I(5)}});
    auto* header = b.AddBand<report::TfrxPageHeader>(page, 0, 20);
    b.AddMemo(header, 0, 0, 100, 18, "[Page#]");
    const long double printable = (60 - 10) * report::fr01cm;
    const long double row = (printable - 20) / 4 + (name == std::string("fit_exact") ? 0 : 1);
    auto* data = b.AddDataBand(page, 30, row, rows);
    b.AddMemo(data, 0, 0, 100, 18, "[Rows.\"N\"]");
    ExpectPages(b, name);
  }
}

// A memo with SuppressRepeated prints a value once per run of equal values,
// and again on the first row of a new page; the page footer tells the last
// page apart through the first pass's page count (two passes), and a data
// band with RowCount and no dataset prints that many rows.
TEST(EngineGolden, SuppressRepeatedLastPageAndRowCount) {
  EngineScope scope;
  ReportBuilder b;
  b.Report().EngineOptions()->DoublePass = true;
  auto* page = b.AddPage(SmallPaper(60));
  auto& rows = b.AddDataSet("Rows", {"Kiln", "T"},
                            {{S("К1"), I(60)},
                             {S("К1"), I(61)},
                             {S("К1"), I(62)},
                             {S("К1"), I(63)},
                             {S("К1"), I(64)},
                             {S("К1"), I(65)},
                             {S("К1"), I(66)},
                             {S("К2"), I(70)},
                             {S("К2"), I(71)}});
  auto* data = b.AddDataBand(page, 0, 20, rows);
  auto* kiln = b.AddMemo(data, 0, 0, 100, 18, "[Rows.\"Kiln\"]");
  kiln->SetSuppressRepeated(true);
  b.AddMemo(data, 110, 0, 100, 18, "[Rows.\"T\"]");
  auto* counter = b.AddBand<report::TfrxMasterData>(page, 40, 16);
  counter->SetRowCount(3);
  b.AddMemo(counter, 0, 0, 100, 16, "пустая [Line]");
  auto* footer = b.AddBand<report::TfrxPageFooter>(page, 80, 16);
  b.AddMemo(footer, 0, 0, 300, 16,
            "[Page#] [IIF(<Page#> = <TotalPages#>, 'последняя', 'из ' + IntToStr(<TotalPages#>))]");
  ExpectPages(b, "suppress_lastpage_rowcount");
}

// Structure errors are reported with the band's name and nothing is built.
TEST(EngineGolden, StructureErrorsBuildNothing) {
  EngineScope scope;
  struct Case {
    const char* what;
    std::function<void(ReportBuilder&, report::TfrxReportPage*, TableDataSet&)> make;
    const char* error;
  };
  const Case cases[] = {
      {"header without data band",
       [](ReportBuilder& b, report::TfrxReportPage* page, TableDataSet&) {
         b.AddBand<report::TfrxHeader>(page, 0, 20, "Lonely");
       },
       "Не подключенный header/footer Lonely"},
      {"group without data band",
       [](ReportBuilder& b, report::TfrxReportPage* page, TableDataSet&) {
         b.AddGroupHeader(page, 0, 20, "1", "Alone");
       },
       "Нет дата-бэнда для группы Alone"},
      {"group footer without header",
       [](ReportBuilder& b, report::TfrxReportPage* page, TableDataSet& rows) {
         b.AddDataBand(page, 0, 20, rows);
         b.AddBand<report::TfrxGroupFooter>(page, 40, 20, "Orphan");
       },
       "Нет заголовка группы Orphan"},
  };
  for (const Case& c : cases) {
    ReportBuilder b;
    auto* page = b.AddPage(SmallPaper());
    auto& rows = b.AddDataSet("Rows", {"N"}, {{I(1)}});
    c.make(b, page, rows);
    EXPECT_FALSE(b.Prepare()) << c.what;
    EXPECT_NE(b.Errors().find(c.error), std::string::npos) << c.what << ": " << b.Errors();
    EXPECT_EQ(b.Store().GetCount(), 0) << c.what;
  }
}

}  // namespace engine_test
