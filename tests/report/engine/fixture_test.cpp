// The fixture checked on what it does by itself: the builder's report tree,
// the table dataset's cursor, the dump of a store filled by hand, the line
// diff and the golden comparison.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "engine_fixture.h"
#include "platform/rtl/strings.h"
#include "report/vuzEngine.h"
#include "report/vuzPaperSizes.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

namespace engine_test {

using rtl::operator""_cp;
using report::TfrxMemoView;

namespace {

rtl::Variant V(int v) { return rtl::Variant(v); }
rtl::Variant V(const char* utf8) { return rtl::Variant(rtl::Utf8ToWide(utf8)); }
rtl::Variant Null() { return rtl::Variant::Null(); }

// Sets or clears an environment variable for a scope.
class EnvVar {
 public:
  EnvVar(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~EnvVar() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace

TEST(EngineFixture, BuilderMakesTheReportTreeWithTheRealClasses) {
  EngineScope scope;
  ReportBuilder b;
  PageSetup spec;
  spec.paperSize = 11;  // A5 148 x 210
  spec.leftMargin = 15;
  spec.rightMargin = 5;
  auto* page = b.AddPage(spec);
  auto& rows = b.AddDataSet("Rows", {"Name", "Sum"}, {{V("а"), V(1)}});
  auto* header = b.AddBand<report::TfrxPageHeader>(page, 0, 30);
  auto* group = b.AddGroupHeader(page, 40, 20, "<Rows.\"Name\">");
  auto* data = b.AddDataBand(page, 70, 18, rows, "Lines");
  MemoSetup stretch;
  stretch.stretch = report::smMaxHeight;
  stretch.shift = report::smWhenOverlapped;
  auto* memo = b.AddMemo(data, 4, 1, 100, 16, "Сумма: [Rows.\"Sum\"]", stretch);
  MemoSetup expr;
  expr.expressionOnly = true;
  auto* total = b.AddMemo(header, 0, 0, 80, 16, "SUM(<Rows.\"Sum\">)", expr);
  report::TfrxReportPage* subPage = nullptr;
  auto* sub = b.AddSubreport(data, 200, 0, 100, 18, &subPage);

  ASSERT_EQ(b.Report().PagesCount(), 2);
  EXPECT_EQ(b.Report().Pages(0), page);
  EXPECT_EQ(page->PaperWidth(), 148);
  EXPECT_EQ(page->LeftMargin(), 15);
  // Bands span the printable width: 148 - 15 - 5 mm.
  EXPECT_EQ(Fixed2(data->Width()), Fixed2(128 * report::fr01cm));
  EXPECT_EQ(Fixed2(data->Top()), "70.00");
  EXPECT_EQ(data->Name(), "Lines");
  EXPECT_EQ(data->DataSet(), &rows.DataSet());
  EXPECT_EQ(data->GetDataSetName(), "Rows");
  EXPECT_NE(b.Report().DataSets()->Find(&rows.DataSet()), nullptr);
  EXPECT_EQ(group->Condition(), "<Rows.\"Name\">");
  EXPECT_EQ(rtl::WideToUtf8(memo->Memo()->Get(0)), "Сумма: [Rows.\"Sum\"]");
  EXPECT_EQ(memo->StretchMode(), report::smMaxHeight);
  EXPECT_EQ(memo->ShiftMode(), report::smWhenOverlapped);
  EXPECT_EQ(rtl::WideToUtf8(total->Memo()->Get(0)), "[SUM(<Rows.\"Sum\">)]");
  EXPECT_EQ(sub->Page(), subPage);
  EXPECT_EQ(subPage->SubReport(), sub);
  // Every object got a name of its own.
  for (report::TfrxComponent* o :
       {static_cast<report::TfrxComponent*>(page), static_cast<report::TfrxComponent*>(header),
        static_cast<report::TfrxComponent*>(group), static_cast<report::TfrxComponent*>(memo),
        static_cast<report::TfrxComponent*>(total), static_cast<report::TfrxComponent*>(sub)})
    EXPECT_FALSE(o->Name().empty());
  EXPECT_NE(memo->Name(), total->Name());
  // The report makes the real store and, without another engine, the real engine.
  EXPECT_NE(dynamic_cast<report::TfrxEngine*>(b.Report().Engine()), nullptr);
  EXPECT_EQ(&b.Store(), b.Report().PreviewPages());
}

TEST(EngineFixture, TableDataSetWalksItsRowsAndReadsNullsAndMissingFields) {
  EngineScope scope;
  struct Case {
    const char* what;
    bool checkEOF;
    bool filterOdd;
    std::vector<std::string> expected;  // Name of each row walked, "null" for Null
  };
  const Case cases[] = {
      {"by count", false, false, {"a", "null", "c", "d"}},
      {"by OnCheckEOF", true, false, {"a", "null", "c", "d"}},
      {"filtered by count", false, true, {"a", "c"}},
      {"filtered by OnCheckEOF", true, true, {"a", "c"}},
  };
  for (const Case& c : cases) {
    TableDataSet t("T", {"Name", "N"}, {{V("a"), V(1)}, {Null(), V(2)}, {V("c"), V(3)}, {V("d")}});
    if (c.checkEOF) t.EndByCheckEOF();
    if (c.filterOdd)
      t.SetFilter([](const TableDataSet::Row& r) { return r.size() > 1 && !r[1].IsNull() && r[1].AsInteger() % 2; });
    report::TfrxUserDataSet& d = t.DataSet();
    std::vector<std::string> seen;
    int guard = 0;
    for (d.First(); !d.Eof() && guard < 20; d.Next(), ++guard) {
      const rtl::Variant v = d.GetValue("name");  // field names ignore case
      seen.push_back(v.IsNull() ? "null" : rtl::WideToUtf8(v.AsWideString()));
      EXPECT_EQ(d.GetValue("Missing").IsNull(), true) << c.what;
    }
    EXPECT_EQ(seen, c.expected) << c.what;
    // Past the end, and before the beginning, every field reads as Null.
    d.Next();
    d.Next();
    EXPECT_TRUE(t.Value("Name").IsNull() || c.checkEOF == false) << c.what;
    d.First();
    d.Prior();
    EXPECT_TRUE(d.GetValue("Name").IsNull()) << c.what;
    EXPECT_EQ(t.CurrentRow(), -1) << c.what;
    EXPECT_GE(t.Asked().firsts, 2) << c.what;
    EXPECT_EQ(t.Asked().priors, 1) << c.what;
  }
  // A row shorter than the columns reads Null for the rest.
  TableDataSet t("T", {"Name", "N"}, {{V("d")}});
  t.DataSet().First();
  EXPECT_TRUE(t.DataSet().GetValue("N").IsNull());
  EXPECT_EQ(rtl::WideToUtf8(t.DataSet().GetDisplayText("Name")), "d");
  // An empty table is at its end at once.
  TableDataSet empty("E", {"Name"}, {});
  empty.DataSet().First();
  EXPECT_TRUE(empty.DataSet().Eof());
}

// A store filled by hand the way the engine fills it, dumped.
TEST(EngineFixture, DumpListsPagesBandsAndMemosOfTheStore) {
  EngineScope scope;
  ReportBuilder b;
  PageSetup spec;
  spec.paperSize = report::DMPAPER_USER;
  spec.paperWidth = 100;
  spec.paperHeight = 50;
  auto* page = b.AddPage(spec);
  auto* header = b.AddBand<report::TfrxPageHeader>(page, 0, 20.004L, "Head");
  auto* title = b.AddMemo(header, 0, 0, 150.5L, 20, "Страница 1", {}, "Title");
  auto* data = b.AddBand<report::TfrxMasterData>(page, 30, 18, "Data");
  auto* cell = b.AddMemo(data, 10.125L, 0, 60, 18, "", {}, "Cell");

  preview::TfrxPreviewPages& store = b.Store();
  b.Report().Engine()->FinalPass = true;
  store.AddPageAction = report::apAdd;
  store.AddSourcePage(page);
  for (int p = 0; p < 2; ++p) {
    store.AddPage(page);
    title->SetText(rtl::Utf8ToWide("Страница " + std::to_string(p + 1)));
    store.AddObject(header);
    for (const char* text : {"один", "два \"2\"\r\nи\\всё"}) {
      cell->SetText(rtl::Utf8ToWide(text));
      store.AddObject(data);
    }
  }
  store.Finish();

  const std::string dump = DumpPages(store);
  const std::string w = Fixed2(80 * report::fr01cm);  // 100 - 10 - 10 mm
  // The page is sized in whole pixels.
  const std::string pageLine = "TfrxReportPage 100.00x50.00mm 378.00x189.00\n";
  const std::string onePage =
      "  TfrxPageHeader Head 0.00 0.00 " + w + " 20.00\n" +
      "    TfrxMemoView Title 0.00 0.00 150.50 20.00 \"Страница @\"\n" + "  TfrxMasterData Data 0.00 30.00 " + w +
      " 18.00\n" + "    TfrxMemoView Cell 10.13 0.00 60.00 18.00 \"один\"\n" + "  TfrxMasterData Data 0.00 30.00 " + w +
      " 18.00\n" + "    TfrxMemoView Cell 10.13 0.00 60.00 18.00 \"два \\\"2\\\"\\nи\\\\всё\"\n";
  auto numbered = [&](const char* n) {
    std::string s = onePage;
    s.replace(s.find('@'), 1, n);
    return s;
  };
  EXPECT_EQ(dump, "pages 2\npage 0 " + pageLine + numbered("1") + "page 1 " + pageLine + numbered("2"));
  EXPECT_EQ(DumpPage(store, 1), "page 1 " + pageLine + numbered("2"));
  EXPECT_EQ(DumpPage(store, 5), "page 5 missing\n");

  // A page can be looked at as a picture.
  support::ScratchFolder folder;
  ASSERT_TRUE(SavePagePng(store, 0, folder.File("page0.png")));
  EXPECT_EQ(support::ReadFile(folder.File("page0.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");
}

TEST(EngineFixture, Fixed2RoundsToHundredthsWithoutNegativeZero) {
  const std::pair<long double, const char*> cases[] = {
      {0, "0.00"},           {-0.001L, "0.00"},     {1.005L, "1.00"},  {1.006L, "1.01"}, {-2.5L, "-2.50"},
      {793.7007L, "793.70"}, {1e7L, "10000000.00"}, {-0.004L, "0.00"}, {0.125L, "0.13"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(Fixed2(value), text) << static_cast<double>(value);
}

TEST(EngineFixture, LineDiffShowsChangedLinesWithContext) {
  struct Case {
    const char* expected;
    const char* actual;
    const char* diff;
  };
  const Case cases[] = {
      {"a\nb\n", "a\nb\n", ""},
      {"a\nb\nc\nd\ne\nf\n", "a\nb\nc\nX\ne\nf\n", "@@ line 2\n b\n c\n-d\n+X\n e\n f\n"},
      {"a\nb\n", "a\nb\nc\n", "@@ line 1\n a\n b\n+c\n"},
      {"a\nb\nc\n", "b\nc\n", "@@ line 1\n-a\n b\n c\n"},
      {"1\n2\n3\n4\n5\n6\n7\n8\n9\n", "0\n2\n3\n4\n5\n6\n7\n8\nZ\n",
       "@@ line 1\n-1\n+0\n 2\n 3\n@@ line 7\n 7\n 8\n-9\n+Z\n"},
      {"a\n", "a", "(the texts differ only in their line ends)\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(LineDiff(c.expected, c.actual), c.diff) << c.actual;
}

TEST(EngineFixture, GoldenCompareFailsWithTheDiffAndWritesWhenAsked) {
  support::ScratchFolder folder;
  EnvVar noUpdate("ZARNIK_UPDATE_GOLDEN", nullptr);
  const std::string rel = "g";
  ::testing::AssertionResult missing = MatchesGolden(rel, "x\n", folder.Path());
  EXPECT_FALSE(missing);
  EXPECT_NE(std::string(missing.message()).find("ZARNIK_UPDATE_GOLDEN=1"), std::string::npos);
  {
    EnvVar update("ZARNIK_UPDATE_GOLDEN", "1");
    EXPECT_TRUE(MatchesGolden(rel, "one\ntwo\n", folder.Path()));
  }
  EXPECT_EQ(support::ReadFile(folder.File("g.txt")), "one\ntwo\n");
  EXPECT_TRUE(MatchesGolden(rel, "one\ntwo\n", folder.Path()));
  ::testing::AssertionResult changed = MatchesGolden(rel, "one\nthree\n", folder.Path());
  EXPECT_FALSE(changed);
  EXPECT_NE(std::string(changed.message()).find("-two\n+three\n"), std::string::npos) << changed.message();
}

}  // namespace engine_test
