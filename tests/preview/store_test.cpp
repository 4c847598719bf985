// The prepared-pages store: source copies and aliases, objects and their
// difference kinds, passes, bands, keep-together moves, anchors, built pages,
// the page cache, swapping and the prepared-report file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/streams.h"
#include "preview/vuzPreparedFile.h"
#include "preview/vuzPreviewPages.h"
#include "report/vuzXMLSerializer.h"
#include "store_fixture.h"
#include "support/errors.h"
#include "support/scratch_folder.h"

namespace preview_test {

using rtl::operator""_cp;

using preview::TfrxOutline;
using preview::TfrxPreviewPages;
using report::TfrxXMLItem;

namespace {

// The page as a whole-page text, for comparing built pages.
std::string Written(TfrxComponent* page) {
  TfrxXMLItem item;
  report::TfrxXMLSerializer serializer(nullptr);
  serializer.WriteRootComponent(page, true, &item);
  rtl::TMemoryStream out;
  report::TfrxXMLWriter writer(out);
  writer.WriteItem(&item, 0);
  writer.FlushBuffer();
  return out.Bytes();
}

// A run of n pages, each with the header and `rows` data bands whose first
// cell says the row.
void BuildRun(StoreFixture& f, TemplatePage& t, int pages, int rows) {
  f.store->Initialize();
  f.store->AddPageAction = report::apAdd;
  f.store->AddSourcePage(t.page.get());
  f.store->BeginPass();
  for (int p = 0; p < pages; ++p) {
    f.store->AddPage(t.page.get());
    f.store->AddObject(t.header);
    for (int r = 0; r < rows; ++r) {
      t.data->SetTop(40 + 20 * r);
      t.cell1->Text = "row " + std::to_string(p) + "." + std::to_string(r);
      f.store->AddObject(t.data);
    }
  }
  f.store->Finish();
}

}  // namespace

TEST(PreviewPagesSource, AliasesByKindAndOrder) {
  StoreFixture f;
  TemplatePage t;
  f.store->AddSourcePage(t.page.get());
  struct Case {
    TfrxComponent* object;
    const char* alias;
  } cases[] = {{t.header, "b1"}, {t.title, "m1"}, {t.data, "b2"}, {t.cell1, "m2"}, {t.cell2, "m3"}, {t.footer, "b3"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.alias);
    EXPECT_EQ(c.object->AliasName(), c.alias);
    TfrxComponent* copy = f.store->GetObject(c.alias);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Original(), c.object);
    EXPECT_EQ(c.object->Original(), copy);
    EXPECT_EQ(copy->Name(), c.object->Name());
  }
  EXPECT_EQ(f.store->Dictionary().GetSourceName("m2"), "Page0.Memo2");
  EXPECT_EQ(f.store->SourcePage(0)->Original(), t.page.get());
  // The stored text is the class and the stored properties of the copy.
  EXPECT_EQ(f.store->StoredText(f.store->GetObject("m1")).substr(0, 9), "TestMemo ");
  EXPECT_NE(f.store->StoredText(f.store->GetObject("m1")).find("Text=\"Title\""), std::string::npos);
}

TEST(PreviewPagesSource, TenthTextObjectIsM10AndHiddenStylesAreSkipped) {
  StoreFixture f;
  TestPage page;
  auto* band = new TestDataBand(&page);
  for (int i = 1; i <= 10; ++i) new TestMemo(band);
  auto* hidden = new TestMemo(band);  // not preview-visible: no copy, no alias
  hidden->SetFrComponentStyle(0);
  new TestMemo(hidden);
  f.store->AddSourcePage(&page);
  EXPECT_EQ(band->Objects()[9]->AliasName(), "m10");
  EXPECT_EQ(hidden->AliasName(), "");
  EXPECT_EQ(f.store->Dictionary().Count(), 11);  // b1 and m1..m10
}

TEST(PreviewPagesSource, RunTimeObjectsGetACopyOnTheLastSourcePage) {
  StoreFixture f;
  TemplatePage t;
  f.store->AddSourcePage(t.page.get());
  TestMemo runtime(nullptr);
  runtime.Text = "made while running";
  f.store->AddToSourcePage(&runtime);
  EXPECT_EQ(runtime.AliasName(), "m4");
  ASSERT_NE(runtime.Original(), nullptr);
  EXPECT_EQ(runtime.Original()->Parent(), f.store->SourcePage(0));
  EXPECT_EQ(runtime.Original()->Original(), nullptr);  // no link back
}

TEST(PreviewPagesObjects, DifferenceKinds) {
  struct Case {
    const char* what;
    bool finalPass, visible, previewVisible, defaultDiff, linked, wholePage;
    const char* name;       // element name ("" = no element)
    bool hasText, hasName;  // "Text" and the object's full properties
  } cases[] = {
      {"diff against the copy", true, true, true, false, true, false, "m2", true, false},
      {"first pass keeps geometry only", false, true, true, false, true, false, "m2", false, false},
      {"default-diff style writes all", true, true, true, true, true, false, "m2", true, true},
      {"no link: class and all", true, true, true, false, false, false, "TestMemo", true, true},
      {"whole page: class and all", true, true, true, false, true, true, "TestMemo", true, true},
      {"invisible: nothing", true, false, true, false, true, false, "", false, false},
      {"not preview-visible: nothing", true, true, false, false, true, false, "", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StoreFixture f;
    TemplatePage t;
    f.store->AddPageAction = report::apAdd;
    f.store->AddSourcePage(t.page.get());
    f.store->AddPage(t.page.get());
    if (c.wholePage) f.store->CurXMLPage()->Name = "TestPage";
    f.engine.FinalPass = c.finalPass;
    TestMemo* m = t.cell1;
    m->Text = "changed";
    m->SetLeft(33);
    m->SetVisible(c.visible);
    m->SetFrComponentStyle((c.previewVisible ? report::csPreviewVisible : 0u) |
                           (c.defaultDiff ? report::csDefaultDiff : 0u));
    if (!c.linked) m->SetOriginal(nullptr);
    f.store->AddObject(m);
    TfrxXMLItem* page = f.store->CurXMLPage();
    if (!*c.name) {
      EXPECT_EQ(page->Count(), 0);
      continue;
    }
    ASSERT_EQ(page->Count(), 1);
    TfrxXMLItem* item = page->Items(0);
    EXPECT_EQ(item->Name, c.name);
    EXPECT_EQ(item->GetProp("l"), c.hasName ? item->GetProp("l") : "33");
    EXPECT_EQ(item->PropExists("Text"), c.hasText) << item->Prop;
    EXPECT_EQ(item->PropExists("Width"), c.hasName) << item->Prop;
  }
}

TEST(PreviewPagesObjects, ChildrenFollowTheirBandAndSizeGrows) {
  StoreFixture f;
  TemplatePage t;
  BuildRun(f, t, 1, 2);
  TfrxXMLItem* page = f.store->Tree().Page(0);
  ASSERT_EQ(page->Count(), 3);
  EXPECT_EQ(page->Items(0)->Name, "b1");
  EXPECT_EQ(page->Items(1)->Name, "b2");
  ASSERT_EQ(page->Items(1)->Count(), 2);
  EXPECT_EQ(page->Items(1)->Items(0)->Name, "m2");
  EXPECT_EQ(page->Items(1)->Items(0)->GetProp("Text"), "row 0.0");
  EXPECT_EQ(page->Items(2)->GetProp("t"), "60");
}

TEST(PreviewPagesPasses, SecondPassReplacesTheFirst) {
  StoreFixture f;
  TemplatePage t;
  f.engine.doublePass = true;
  f.engine.FinalPass = false;
  f.store->AddSourcePage(t.page.get());
  f.store->BeginPass();
  for (int p = 0; p < 3; ++p) {
    f.store->AddPageAction = report::apAdd;
    f.store->AddPage(t.page.get());
    f.store->AddObject(t.header);
    f.store->AddAnchor("a" + std::to_string(p));
    f.store->PreparedOutline().LevelRoot();
    f.store->PreparedOutline().AddItem("o" + std::to_string(p), 0);
  }
  f.store->ResetLogicalPageNumber();
  // The engine turns to the final pass, then clears what the first one added.
  f.engine.FinalPass = true;
  f.store->CurPage = f.store->GetCount() - 1;
  f.store->ClearFirstPassPages();
  EXPECT_EQ(f.store->GetCount(), 0);
  EXPECT_EQ(f.store->CurPage, -1);
  for (int p = 0; p < 2; ++p) {
    f.store->AddPageAction = report::apAdd;
    f.store->AddPage(t.page.get());
  }
  EXPECT_EQ(f.store->GetCount(), 2);
  // Anchors and logical numbers of the first pass stay; the final pass adds none.
  EXPECT_EQ(f.store->GetAnchorCurPosition(), 2);
  EXPECT_EQ(f.store->Tree().Section("logicalpagenumbers")->Count(), 3);
  f.store->CurPage = 1;
  EXPECT_EQ(f.store->GetLogicalPageNo(), 2);
  EXPECT_EQ(f.store->GetLogicalTotalPages(), 3);
}

TEST(PreviewPagesPasses, WriteOverAppendsNothing) {
  StoreFixture f;
  TemplatePage t;
  BuildRun(f, t, 2, 0);
  const auto logBefore = f.host->log.size();
  f.store->CurPage = -1;
  f.store->AddPageAction = report::apWriteOver;
  f.store->AddPage(t.page.get());
  EXPECT_EQ(f.store->GetCount(), 2);
  EXPECT_EQ(f.store->CurPage, 0);
  EXPECT_EQ(f.host->log.size(), logBefore);  // no progress
  EXPECT_EQ(f.store->Tree().Section("logicalpagenumbers")->Count(), 2);
}

TEST(PreviewPagesBands, LastY) {
  StoreFixture f;
  TemplatePage t;
  auto* column = new TestDataBand(t.page.get());
  column->SetBounds(200, 500, 100, 50);
  auto* titleBand = new TestReportTitle(t.page.get());
  titleBand->SetBounds(200, 0, 100, 45);
  f.store->AddPageAction = report::apAdd;
  f.store->AddSourcePage(t.page.get());
  f.store->AddPage(t.page.get());
  EXPECT_EQ(f.store->GetLastY(0), 0);
  f.store->AddObject(t.header);  // t 0 h 40
  f.store->AddObject(t.data);    // t 40 h 20
  f.store->AddObject(t.footer);  // ignored: a page footer
  struct Case {
    long double x, expected;
  } cases[] = {{0, 60}, {200, 40}, {0.0005L, 60}};
  for (const Case& c : cases) EXPECT_EQ(f.store->GetLastY(c.x), c.expected) << static_cast<double>(c.x);
  f.store->AddObject(column);  // l 200: counted at 200 only
  EXPECT_EQ(f.store->GetLastY(200), 550);
  EXPECT_EQ(f.store->GetLastY(0), 550);
  f.store->AddObject(titleBand);
  EXPECT_EQ(f.store->GetLastY(7), 45);  // only page headers and titles count elsewhere
}

TEST(PreviewPagesBands, BandExists) {
  StoreFixture f;
  TemplatePage t;
  TestPageFooter otherFooter(nullptr);
  TestColumnFooter columnFooter(nullptr);
  f.store->AddPageAction = report::apAdd;
  f.store->AddSourcePage(t.page.get());
  f.store->AddPage(t.page.get());
  EXPECT_FALSE(f.store->BandExists(t.data));
  f.store->AddObject(t.data);
  f.store->AddObject(t.footer);
  EXPECT_TRUE(f.store->BandExists(t.data));
  EXPECT_FALSE(f.store->BandExists(t.header));
  EXPECT_TRUE(f.store->BandExists(&otherFooter));  // any page footer matches
  EXPECT_FALSE(f.store->BandExists(&columnFooter));
}

TEST(PreviewPagesMoves, CutAndPasteKeepDistances) {
  StoreFixture f;
  TemplatePage t;
  f.store->AddPageAction = report::apAdd;
  f.store->AddSourcePage(t.page.get());
  f.store->AddPage(t.page.get());
  for (int r = 0; r < 5; ++r) {
    t.data->SetTop(40 + 20 * r);
    f.store->AddObject(t.data);
  }
  f.store->CutObjects(3);
  EXPECT_EQ(f.store->GetCurPosition(), 3);
  f.store->AddPageAction = report::apAdd;
  f.store->AddPage(t.page.get());
  f.store->PasteObjects(0, 100);
  TfrxXMLItem* page = f.store->CurXMLPage();
  ASSERT_EQ(page->Count(), 2);
  EXPECT_EQ(page->Items(0)->GetProp("t"), "100");
  EXPECT_EQ(page->Items(1)->GetProp("t"), "120");
  EXPECT_EQ(f.store->Tree().Root()->Find("cutted"), -1);
}

TEST(PreviewPagesMoves, ShiftAnchors) {
  StoreFixture f;
  TemplatePage t;
  BuildRun(f, t, 2, 0);
  f.store->CurPage = 1;
  f.engine.CurY = 500;
  f.store->AddAnchor("x");
  f.engine.CurY = 520;
  f.store->AddAnchor("y");
  f.store->ShiftAnchors(-1, 0);
  EXPECT_EQ(f.store->FindAnchor("x")->Prop, "text=\"x\" page=\"2\" top=\"0\"");
  EXPECT_EQ(f.store->FindAnchor("Y")->Prop, "text=\"y\" page=\"2\" top=\"20\"");
  EXPECT_EQ(f.store->GetAnchorPage("y"), 3);
  EXPECT_EQ(f.store->GetAnchorPage("none"), 1);
}

TEST(PreviewPagesBuild, PagesRebuildFromTheirDifferences) {
  StoreFixture f;
  TemplatePage t;
  BuildRun(f, t, 2, 3);
  TfrxComponent* page = f.store->GetPage(1);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->Name(), "Page1");
  ASSERT_EQ(page->Objects().size(), 4u);
  TfrxComponent* third = page->Objects()[3];
  EXPECT_EQ(third->Name(), "MasterData1");
  EXPECT_EQ(third->Top(), 80);
  ASSERT_EQ(third->Objects().size(), 2u);
  auto* cell = dynamic_cast<TestMemo*>(third->Objects()[0]);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->Text, "row 1.2");
  EXPECT_EQ(cell->Name(), "Memo2");
  EXPECT_EQ(dynamic_cast<TestMemo*>(third->Objects()[1])->Text, "");
  const report::TfrxPoint size = f.store->GetPageSize(1);
  EXPECT_EQ(size.X, 794);
  EXPECT_EQ(size.Y, 1123);
  EXPECT_EQ(f.store->GetPageSize(2).X, 0);
  EXPECT_EQ(f.store->GetPage(5), nullptr);
}

TEST(PreviewPagesBuild, PageCacheKeepsAndEvicts) {
  StoreFixture f;
  TemplatePage t;
  f.host->useFileCache = true;
  BuildRun(f, t, 4, 2);
  TfrxComponent* first = f.store->GetPage(0);
  EXPECT_EQ(f.store->GetPage(0), first);  // the same object while idle
  f.store->GetPage(1);
  f.store->GetPage(0);
  EXPECT_EQ(f.store->CachedPageIndices(), (std::vector<int>{0, 1}));  // swapped to the front
  f.host->pagesInCache = 1;
  f.store->ClearPageCache();
  const std::string before = Written(f.store->GetPage(2));
  f.store->GetPage(3);  // page 2 leaves the cache and its element the memory
  EXPECT_EQ(f.store->CachedPageIndices(), std::vector<int>{3});
  EXPECT_FALSE(f.store->Tree().Page(2)->Loaded);
  EXPECT_TRUE(f.store->Tree().Page(1)->Loaded);  // the first two pages stay
  EXPECT_EQ(Written(f.store->GetPage(2)), before);
  f.engine.Running = true;
  EXPECT_NE(f.store->GetPage(2), f.store->GetPage(2));  // a new object while the engine runs
}

TEST(PreviewPagesBuild, SwappedPagesRebuildIdentically) {
  std::vector<std::string> resident;
  {
    StoreFixture f;
    TemplatePage t;
    BuildRun(f, t, 6, 20);
    for (int i = 0; i < 6; ++i) resident.push_back(Written(f.store->GetPage(i)));
  }
  StoreFixture f;
  TemplatePage t;
  f.host->useFileCache = true;
  f.host->maxMemSize = 0;  // every page but the last two goes to the file
  BuildRun(f, t, 6, 20);
  int parked = 0;
  for (int i = 0; i < 6; ++i) parked += f.store->Tree().Page(i)->Loaded ? 0 : 1;
  EXPECT_EQ(parked, 2);  // pages 3 and 4; the first two and the last two stay
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Written(f.store->GetPage(i)), resident[static_cast<std::size_t>(i)]) << i;
}

TEST(PreviewPagesBuild, OutOfRangeSourcePagesGiveAnEmptyPageAndAnError) {
  StoreFixture f;
  TemplatePage t;
  BuildRun(f, t, 1, 1);
  f.store->Tree().AppendPage("page7")->Add("m1");
  f.store->Tree().AppendPage("page-1");
  f.store->Tree().AppendPage("pagexyz");
  for (int i = 1; i <= 3; ++i) {
    TfrxComponent* page = f.store->GetPage(i);
    ASSERT_NE(page, nullptr) << i;
    EXPECT_TRUE(page->Objects().empty());
  }
  EXPECT_EQ(f.store->Problems().size(), 3u);
  EXPECT_EQ(f.host->errors.Count(), 3);
  EXPECT_EQ(f.store->GetPageSize(1).X, 794);  // the default page's size
}

TEST(PreviewPagesBuild, UnknownClassesAndAliasesAreSkippedWithAnError) {
  StoreFixture f;
  TemplatePage t;
  BuildRun(f, t, 1, 0);
  TfrxXMLItem* page = f.store->Tree().Page(0);
  page->Add("m999")->Prop = "l=\"1\"";
  page->Add("TNoSuchClass")->Prop = "l=\"1\"";
  TfrxComponent* built = f.store->GetPage(0);
  ASSERT_NE(built, nullptr);
  EXPECT_EQ(built->Objects().size(), 1u);
  EXPECT_EQ(f.store->Problems().size(), 2u);
}

TEST(PreviewPagesEditing, EmptyDeleteModify) {
  StoreFixture f;
  TemplatePage t;
  BuildRun(f, t, 2, 1);
  f.store->AddEmptyPage(0);
  EXPECT_EQ(f.store->GetCount(), 3);
  EXPECT_EQ(f.store->Tree().Page(0)->Name, "page0");
  EXPECT_TRUE(f.store->GetPage(0)->Objects().empty());
  TfrxComponent* page = f.store->GetPage(1);
  page->Objects()[0]->SetTop(333);
  f.store->ModifyPage(1, page);
  EXPECT_EQ(f.store->Tree().Page(1)->Name, "TestPage");
  EXPECT_TRUE(f.store->CachedPageIndices().empty());
  EXPECT_EQ(f.store->GetPage(1)->Objects()[0]->Top(), 333);
  f.store->DeletePage(0);
  f.store->DeletePage(0);
  EXPECT_EQ(f.store->GetCount(), 1);
  f.store->DeletePage(0);  // the last page stays
  EXPECT_EQ(f.store->GetCount(), 1);
}

TEST(PreviewPagesEditing, UpdatePageDimensions) {
  StoreFixture f;
  TemplatePage t;
  f.store->AddPageAction = report::apAdd;
  f.store->AddSourcePage(t.page.get());
  f.store->AddPage(t.page.get());
  f.store->UpdatePageDimensions(t.page.get(), 500, 2000);
  auto* source = dynamic_cast<TestPage*>(f.store->SourcePage(0));
  EXPECT_EQ(source->PaperSize, 256);
  EXPECT_NEAR(static_cast<double>(source->PaperHeight()), 2000 / 3.77953, 1e-9);
  EXPECT_EQ(f.store->GetPageSize(0).Y, 2000);
}

TEST(PreviewPagesFile, RoundTripThroughTheStore) {
  support::ScratchFolder folder;
  const std::string file = folder.File("report.fp3");
  StoreFixture f;
  TemplatePage t;
  BuildRun(f, t, 3, 4);
  f.store->CurPage = 2;
  f.store->AddAnchor("Итого"_cp);
  f.store->SaveToFile(file);
  // Writes the fuzz seed of the store when asked to.
  if (const char* seed = std::getenv("ZARNIK_WRITE_STORE_SEED")) f.store->SaveToFile(seed);
  std::vector<std::string> pages;
  for (int i = 0; i < 3; ++i) pages.push_back(Written(f.store->GetPage(i)));

  StoreFixture g;
  ASSERT_TRUE(g.store->LoadFromFile(file));
  ASSERT_EQ(g.store->GetCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Written(g.store->GetPage(i)), pages[static_cast<std::size_t>(i)]) << i;
  EXPECT_EQ(g.store->GetAnchorPage("итого"_cp), 3);
  EXPECT_TRUE(g.store->Problems().empty());
  EXPECT_EQ(g.store->Tree().Section("sourcepages")->Count(), 0);  // emptied after reading
  // Saving again gives the same file, but for the parking markers.
  rtl::TMemoryStream a, b;
  f.store->SaveToStream(a);
  g.store->SaveToStream(b);
  std::string expected = a.Bytes();
  for (std::size_t at; (at = expected.find(" ld=\"0\"")) != std::string::npos;) expected.erase(at, 7);
  EXPECT_EQ(b.Bytes(), expected);
}

TEST(PreviewPagesFile, DamagedFilesChangeNothing) {
  StoreFixture f;
  TemplatePage t;
  BuildRun(f, t, 2, 1);
  rtl::TMemoryStream good;
  f.store->SaveToStream(good);
  const std::string bytes = good.Bytes();
  // Files cut short between elements loaded as blank pages and replaced
  // the store's pages: a file whose root is not closed is refused.
  const std::size_t pagesEnd = bytes.rfind("</previewpages>");
  const std::size_t rootEnd = bytes.rfind("</preparedreport>");
  ASSERT_NE(pagesEnd, std::string::npos);
  ASSERT_NE(rootEnd, std::string::npos);
  for (const std::string& bad :
       {std::string("garbage"), bytes.substr(0, bytes.size() / 2), std::string(), bytes.substr(0, pagesEnd),
        bytes.substr(0, rootEnd),
        std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?><preparedreport><previewpages><page0>")}) {
    rtl::TMemoryStream in;
    in.WriteBuffer(bad.data(), static_cast<std::int64_t>(bad.size()));
    in.SetPosition(0);
    EXPECT_ANY_THROW(f.store->LoadFromStream(in));
    EXPECT_EQ(f.store->GetCount(), 2);
    EXPECT_EQ(f.store->SourcePageCount(), 1);
  }
  rtl::TMemoryStream cut(bytes.substr(0, pagesEnd));
  EXPECT_EQ(support::ErrorOf([&] { f.store->LoadFromStream(cut); }), "Invalid file format");
  EXPECT_FALSE(f.store->LoadFromFile("/nonexistent/x.fp3"));
  EXPECT_ANY_THROW(f.store->LoadFromFile("/nonexistent/x.fp3", true));
  EXPECT_EQ(f.store->GetCount(), 2);
}

TEST(PreviewPagesFile, DictionaryEntriesBeyondTheSourcePagesAreSkipped) {
  StoreFixture f;
  TemplatePage t;
  BuildRun(f, t, 1, 1);
  rtl::TMemoryStream out;
  f.store->SaveToStream(out);
  std::string text = out.Bytes();
  const std::size_t at = text.find("name=\"Page0.Memo2\"");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 18, "name=\"Page9.Memo2\"");
  rtl::TMemoryStream in;
  in.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  in.SetPosition(0);
  StoreFixture g;
  g.store->LoadFromStream(in);
  EXPECT_EQ(g.store->GetObject("m2"), nullptr);
  EXPECT_FALSE(g.store->Problems().empty());
  ASSERT_NE(g.store->GetPage(0), nullptr);  // the page still builds, without that object
}

TEST(PreviewPagesEditing, AddFromAppendsAnotherReportsPages) {
  TestPage reportA, reportB;  // stand for the two reports the stores belong to
  StoreFixture a, b;
  a.store = std::make_unique<TfrxPreviewPages>(&reportA);
  b.store = std::make_unique<TfrxPreviewPages>(&reportB);
  for (StoreFixture* f : {&a, &b}) {
    auto host = std::make_unique<RecordingHost>();
    f->host = host.get();
    f->store->SetHost(std::move(host));
    f->store->Engine = &f->engine;
    f->engine.FinalPass = true;
  }
  TemplatePage t;
  BuildRun(a, t, 2, 1);
  BuildRun(b, t, 3, 2);
  b.store->CurPage = 2;
  b.store->AddAnchor("end");
  b.store->PreparedOutline().LevelRoot();
  b.store->PreparedOutline().AddItem("chapter", 5);
  b.store->PreparedOutline().AddItem("section", 7);
  const std::string third = Written(b.store->GetPage(2));
  a.store->AddFrom(&reportB);
  EXPECT_EQ(a.store->GetCount(), 5);
  EXPECT_EQ(a.store->Tree().Page(4)->Name, "TestPage");
  EXPECT_EQ(Written(a.store->GetPage(4)), third);
  EXPECT_EQ(a.store->GetAnchorPage("end"), 5);
  TfrxOutline& outline = a.store->PreparedOutline();
  outline.LevelRoot();
  ASSERT_EQ(outline.GetCount(), 1);
  AnsiString text;
  int page = 0, top = 0;
  outline.GetItem(0, text, page, top);
  EXPECT_EQ(text, "chapter");
  EXPECT_EQ(page, 4);
  outline.LevelDown(0);
  ASSERT_EQ(outline.GetCount(), 1);
  outline.GetItem(0, text, page, top);
  EXPECT_EQ(text, "section");
  EXPECT_EQ(top, 7);
  EXPECT_EQ(a.store->LastY(), 80);  // the other report's lowest band on its last page
  EXPECT_EQ(b.store->CurPage, -1);
}

TEST(PreviewPagesOutline, TheBaseOutlineWorksOnTheStoreTree) {
  StoreFixture f;
  TemplatePage t;
  BuildRun(f, t, 2, 0);
  report::TfrxCustomOutline* outline = f.store->Outline();
  ASSERT_NE(outline, nullptr);
  f.store->CurPage = 1;
  outline->LevelRoot();
  outline->AddItem("Глава"_cp, 40);
  outline->LevelUp();
  EXPECT_EQ(outline->GetCount(), 1);
  AnsiString text;
  int page = -1, top = -1;
  outline->GetItem(0, text, page, top);
  EXPECT_EQ(text, "Глава"_cp);
  EXPECT_EQ(page, 1);
  EXPECT_EQ(top, 40);
}

}  // namespace preview_test
