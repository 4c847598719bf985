#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/rtl/files.h"
#include "platform/rtl/strings.h"
#include "preview/vuzOutline.h"
#include "preview/vuzPreparedFile.h"
#include "preview/vuzPreparedTree.h"
#include "report/vuzXML.h"
#include "support/scratch_folder.h"

using namespace preview;
using report::TfrxXMLItem;
using rtl::operator""_cp;

using support::ScratchFolder;

namespace {

std::string Saved(TfrxPreparedTree& tree) {
  rtl::TMemoryStream out;
  tree.SaveToStream(out);
  return out.Bytes();
}

// A page element with objects at the given tops (l 10, h 20 each).
TfrxXMLItem* PageWithObjects(TfrxPreparedTree& tree, const std::vector<int>& tops) {
  TfrxXMLItem* page = tree.AppendPage("page0");
  tree.CurPage = tree.Count() - 1;
  for (std::size_t i = 0; i < tops.size(); ++i)
    page->Add("b" + std::to_string(i + 1))->Prop =
        "l=\"10\" t=\"" + std::to_string(tops[i]) + "\" h=\"20\" u=\"" + std::to_string(i) + "\"";
  return page;
}

// --- anchors ----------------------------------------------------------------------

TEST(PreparedTreeAnchors, AttributesFindAndPage) {
  TfrxPreparedTree tree;
  PageWithObjects(tree, {});
  tree.AddAnchor("Total & \"sum\"", 12.5L);  // halves go to the even neighbour
  tree.AddAnchor("other", 13.5L);
  tree.AddAnchor("TOTAL & \"SUM\"", 40);
  TfrxXMLItem* anchors = tree.Section("anchors");
  ASSERT_EQ(anchors->Count(), 3);
  EXPECT_EQ(anchors->Items(0)->Prop, "text=\"Total &#38; &#34;sum&#34;\" page=\"0\" top=\"12\"");
  EXPECT_EQ(anchors->Items(1)->GetProp("top"), "14");
  EXPECT_EQ(tree.FindAnchor("total & \"sum\""), anchors->Items(2));  // the later one of a name
  EXPECT_EQ(tree.FindAnchor("missing"), nullptr);
  EXPECT_EQ(tree.GetAnchorPage("other"), 1);
  EXPECT_EQ(tree.GetAnchorPage("missing"), 1);
  EXPECT_EQ(tree.GetAnchorCurPosition(), 2);
}

TEST(PreparedTreeAnchors, ShiftMovesTheLaterOnesToTheNextPage) {
  struct Case {
    int from, top;
    std::vector<std::pair<int, int>> after;  // page, top of the three anchors
  };
  for (const Case& c : {Case{-1, 0, {{2, 0}, {2, 20}, {2, 40}}}, Case{0, 100, {{1, 500}, {2, 100}, {2, 120}}},
                        Case{2, 0, {{1, 500}, {1, 520}, {1, 540}}}, Case{-5, 0, {{1, 500}, {1, 520}, {1, 540}}}}) {
    TfrxPreparedTree tree;
    PageWithObjects(tree, {});
    PageWithObjects(tree, {});
    for (int top : {500, 520, 540}) tree.AddAnchor("a", top);
    tree.ShiftAnchors(c.from, c.top);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(vuzIntProp(tree.Section("anchors")->Items(i), "page"), c.after[i].first) << c.from << " #" << i;
      EXPECT_EQ(vuzIntProp(tree.Section("anchors")->Items(i), "top"), c.after[i].second) << c.from << " #" << i;
    }
  }
  EXPECT_EQ(TfrxPreparedTree().GetAnchorCurPosition(), -1);
}

// A block moved to the next column of its page takes its anchors along on
// that page.
TEST(PreparedTreeAnchors, ShiftWithinThePageKeepsTheirPage) {
  TfrxPreparedTree tree;
  PageWithObjects(tree, {});
  for (int top : {500, 520, 540}) tree.AddAnchor("a", top);
  tree.ShiftAnchors(0, 100, false);
  const std::vector<std::pair<int, int>> after{{0, 500}, {0, 100}, {0, 120}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(vuzIntProp(tree.Section("anchors")->Items(i), "page"), after[i].first) << i;
    EXPECT_EQ(vuzIntProp(tree.Section("anchors")->Items(i), "top"), after[i].second) << i;
  }
}

// --- logical page numbers ---------------------------------------------------------

TEST(PreparedTreeLogicalNumbers, GroupsCloseWithTheirCount) {
  TfrxPreparedTree tree;
  // Two groups: three pages, then two.
  for (int group : {3, 2}) {
    for (int i = 0; i < group; ++i) {
      PageWithObjects(tree, {});
      tree.IncLogicalPageNumber(false, false);
    }
    tree.ResetLogicalPageNumber(false, false);
  }
  struct Expect {
    int page, n, t;
  };
  for (const Expect e : {Expect{0, 1, 3}, Expect{2, 3, 3}, Expect{3, 1, 2}, Expect{4, 2, 2}}) {
    tree.CurPage = e.page;
    EXPECT_EQ(tree.GetLogicalPageNo(0), e.n) << e.page;
    EXPECT_EQ(tree.GetLogicalTotalPages(99, 0), e.t) << e.page;
  }
  // The final pass of a two-pass run counts nothing.
  tree.IncLogicalPageNumber(true, true);
  tree.ResetLogicalPageNumber(true, true);
  EXPECT_EQ(tree.Section("logicalpagenumbers")->Count(), 5);
  // Past the recorded pages the run's numbering stands in.
  PageWithObjects(tree, {});
  EXPECT_EQ(tree.GetLogicalPageNo(2), 4);
  EXPECT_EQ(tree.GetLogicalTotalPages(9, 2), 7);
}

// --- keep-together --------------------------------------------------------------

TEST(PreparedTreeCutAndPaste, MovedBandsKeepTheirDistances) {
  TfrxPreparedTree tree;
  PageWithObjects(tree, {0, 20, 40, 700, 730});
  tree.CutObjects(3);
  EXPECT_EQ(tree.GetCurPosition(), 3);
  EXPECT_EQ(tree.Section("cutted")->Count(), 2);
  PageWithObjects(tree, {0});
  tree.PasteObjects(0, 100);
  EXPECT_EQ(tree.Root()->Find("cutted"), -1);
  TfrxXMLItem* page = tree.CurXMLPage();
  ASSERT_EQ(page->Count(), 3);
  EXPECT_EQ(vuzFloatProp(page->Items(1), "t"), 100);
  EXPECT_EQ(vuzFloatProp(page->Items(2), "t"), 130);
  EXPECT_EQ(vuzFloatProp(page->Items(1), "l"), 0);
  EXPECT_EQ(page->Items(2)->GetProp("u"), "4");
  // Pasting with nothing cut changes nothing.
  tree.PasteObjects(5, 5);
  EXPECT_EQ(page->Count(), 3);
}

// --- pages and passes -------------------------------------------------------------

TEST(PreparedTreePages, EmptyPagesDeletionAndBounds) {
  TfrxPreparedTree tree;
  tree.AddEmptyPage(0);  // nothing on an empty tree
  EXPECT_EQ(tree.Count(), 0);
  PageWithObjects(tree, {1, 2});
  tree.DeletePage(0);  // the last page stays
  EXPECT_EQ(tree.Count(), 1);
  tree.AddEmptyPage(0);
  ASSERT_EQ(tree.Count(), 2);
  EXPECT_EQ(tree.Page(0)->Name, "page0");
  EXPECT_EQ(tree.Page(0)->Count(), 0);
  EXPECT_EQ(tree.Page(1)->Count(), 2);
  tree.AddEmptyPage(7);
  tree.DeletePage(-1);
  EXPECT_EQ(tree.Count(), 2);
  EXPECT_EQ(tree.Page(2), nullptr);
  EXPECT_EQ(tree.Page(-1), nullptr);
  // The third page on may be parked; the first two never.
  PageWithObjects(tree, {});
  EXPECT_FALSE(tree.Page(0)->Unloadable);
  EXPECT_TRUE(tree.Page(2)->Unloadable);
}

TEST(PreparedTreePasses, TheSecondPassReplacesTheFirst) {
  TfrxPreparedTree tree;
  TfrxOutline outline(tree);
  tree.BeginPass(false, true);
  EXPECT_EQ(tree.FirstPage, -1);
  for (int i = 0; i < 3; ++i) {
    PageWithObjects(tree, {0, 10});
    tree.IncLogicalPageNumber(false, true);
    outline.LevelRoot();
    outline.AddItem("first pass", 0);
  }
  tree.AddAnchor("kept", 5);
  tree.CurPage = 2;
  tree.ClearFirstPassPages(true, true);
  EXPECT_EQ(tree.Count(), 0);
  EXPECT_EQ(tree.Section("outline")->Count(), 0);
  EXPECT_EQ(tree.Section("anchors")->Count(), 1);
  EXPECT_EQ(tree.Section("logicalpagenumbers")->Count(), 3);
  EXPECT_EQ(tree.CurPage, -1);

  // A run appended to earlier pages: only what it added goes.
  TfrxPreparedTree two;
  TfrxOutline o2(two);
  PageWithObjects(two, {0, 10, 20});
  o2.LevelRoot();
  o2.AddItem("earlier", 0);
  two.BeginPass(false, true);
  EXPECT_EQ(two.FirstPage, 0);
  EXPECT_EQ(two.FirstObject, 3);
  EXPECT_EQ(two.FirstOutline, 1);
  two.CurXMLPage()->Add("b9");
  PageWithObjects(two, {0});
  o2.LevelRoot();
  o2.AddItem("this run", 0);
  two.ClearFirstPassPages(true, true);
  EXPECT_EQ(two.Count(), 1);
  EXPECT_EQ(two.Page(0)->Count(), 3);
  EXPECT_EQ(two.Section("outline")->Count(), 1);
  EXPECT_EQ(two.CurPage, 0);
}

// --- parking ------------------------------------------------------------------------

TEST(PreparedTreeParking, ParkedPagesSaveAndComeBackIdentically) {
  ScratchFolder folder;
  TfrxPreparedTree tree;
  for (int p = 0; p < 6; ++p) PageWithObjects(tree, {p, p + 20, p + 40});
  const std::string before = Saved(tree);
  tree.ParkPages(folder.Path());
  EXPECT_TRUE(tree.Page(0)->Loaded);
  EXPECT_TRUE(tree.Page(1)->Loaded);
  for (int p = 2; p < 5; ++p) {
    EXPECT_FALSE(tree.Page(p)->Loaded) << p;
    EXPECT_EQ(tree.Page(p)->Count(), 0) << p;
  }
  EXPECT_TRUE(tree.Page(5)->Loaded);  // the page being written stays
  EXPECT_EQ(tree.XMLSize, 0);
  EXPECT_EQ(Saved(tree), before);  // saving reads parked pages back and drops them again
  EXPECT_FALSE(tree.Page(3)->Loaded);
  tree.LoadPage(tree.Page(3));
  ASSERT_EQ(tree.Page(3)->Count(), 3);
  EXPECT_EQ(tree.Page(3)->Items(2)->Prop, "l=\"10\" t=\"43\" h=\"20\" u=\"2\"");
  // A second parking stops at the pages already parked.
  PageWithObjects(tree, {1});
  tree.ParkPages(folder.Path());
  EXPECT_FALSE(tree.Page(5)->Loaded);
  EXPECT_EQ(Saved(tree).size(),
            before.size() + std::string("<page0 ld=\"0\"><b1 l=\"10\" t=\"1\" h=\"20\" u=\"0\"/></page0>").size());
  tree.Clear();
  EXPECT_EQ(tree.Count(), 0);
}

// --- the file -------------------------------------------------------------------------

// A prepared report with pages, Cyrillic text, outline, anchors, logical
// numbers, pictures, the dictionary and the report's settings.
void BuildFixture(TfrxPreparedTree& tree) {
  TfrxOutline outline(tree);
  for (int p = 0; p < 4; ++p) {
    TfrxXMLItem* page = PageWithObjects(tree, {0, 30});
    page->Add("m1")->SetProp("u", "Привет, мир & \"друзья\" <"_cp + std::to_string(p) + ">");
    page->Add("p1")->SetProp("ImageIndex", std::to_string(p % 2 + 1));
    tree.IncLogicalPageNumber(false, false);
    outline.LevelRoot();
    outline.AddItem("Глава "_cp + std::to_string(p), 10 * p);
    outline.AddItem("Раздел"_cp, 5);
    outline.LevelUp();
    tree.AddAnchor("якорь"_cp + std::to_string(p), 7);
  }
  tree.ResetLogicalPageNumber(false, false);
  TfrxPreparedReportSettings s;
  s.Name = "Отчёт \"Сушка\""_cp;
  s.OutlineWidth = 140;
  s.OutlineVisible = true;
  vuzWriteReportSettings(tree, s);
  TfrxDictionary d;
  d.Add("m1", "Page0.Memo1", nullptr);
  d.Add("b1", "Page0.Band1", nullptr);
  d.Add("p1", "Page0.Picture1", nullptr);
  vuzWriteDictionary(tree, d);
  TfrxPictureCache cache;
  TfrxXMLItem pics("picturecache");
  pics.Add("item")->Prop = "stream=\"01ABFF\"";
  pics.Add("item")->Prop = "stream=\"424D00\"";
  cache.LoadFromXML(&pics);
  vuzWritePictureCache(tree, cache);
}

std::string WithoutParkMarkers(std::string s) {
  for (std::size_t p; (p = s.find(" ld=\"0\"")) != std::string::npos;) s.erase(p, 7);
  return s;
}

TEST(PreparedFile, SavedTwiceIdenticalAndReloadedEqualButTheMarkers) {
  TfrxPreparedTree tree;
  BuildFixture(tree);
  const std::string first = Saved(tree);
  EXPECT_EQ(Saved(tree), first);
  EXPECT_EQ(first.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?><preparedreport>", 0), 0u);
  EXPECT_EQ(first.find('\n'), std::string::npos);                // one line
  EXPECT_NE(first.find("<page0 ld=\"0\">"), std::string::npos);  // pages 3 and 4
  EXPECT_EQ(first.find("&amp;"), std::string::npos);
  EXPECT_NE(first.find("&#38;"), std::string::npos);
  EXPECT_NE(first.find("<TfrxReport DotMatrixReport=\"0\" PreviewOptions.OutlineVisible=\"1\" "
                       "PreviewOptions.OutlineWidth=\"140\" ReportOptions.Name=\""
                       "&#1054;&#1090;&#1095;&#1105;&#1090; &#34;&#1057;&#1091;&#1096;&#1082;&#1072;&#34;\"/>"),
            std::string::npos);
  EXPECT_NE(first.find("<dictionary><b1 name=\"Page0.Band1\"/><m1 name=\"Page0.Memo1\"/>"), std::string::npos);

  TfrxPreparedTree loaded;
  rtl::TMemoryStream in(first);
  loaded.LoadFromStream(in);
  const std::string again = Saved(loaded);
  EXPECT_EQ(again, WithoutParkMarkers(first));
  EXPECT_NE(again.size(), first.size());

  // What was saved reads back.
  loaded.CurPage = 3;
  EXPECT_EQ(loaded.GetLogicalPageNo(0), 4);
  EXPECT_EQ(loaded.GetLogicalTotalPages(0, 0), 4);
  EXPECT_EQ(loaded.GetAnchorPage("ЯКОРЬ2"_cp), 3);
  EXPECT_EQ(loaded.Page(2)->Items(2)->GetProp("u"), "Привет, мир & \"друзья\" <2>"_cp);
  TfrxOutline outline(loaded);
  outline.LevelRoot();
  ASSERT_EQ(outline.GetCount(), 4);
  AnsiString text;
  int page = -1, top = -1;
  outline.GetItem(3, text, page, top);
  EXPECT_EQ(text, "Глава 3"_cp);
  EXPECT_EQ(page, 3);
  EXPECT_EQ(top, 30);
  TfrxPreparedReportSettings s;
  ASSERT_TRUE(vuzReadReportSettings(loaded, s));
  EXPECT_EQ(s.Name, "Отчёт \"Сушка\""_cp);
  EXPECT_EQ(s.OutlineWidth, 140);
  EXPECT_TRUE(s.OutlineVisible);
  EXPECT_FALSE(s.DotMatrixReport);
  TfrxPictureCache cache;
  vuzReadPictureCache(loaded, cache);
  ASSERT_EQ(cache.Count(), 2);
  EXPECT_EQ(cache.PictureBytes(1), std::string("\x01\xAB\xFF", 3));
  TfrxDictionary d;
  std::vector<AnsiString> errors;
  std::vector<std::pair<int, AnsiString>> asked;
  vuzReadDictionary(
      loaded, d, 1,
      [&](int k, const AnsiString& name) {
        asked.emplace_back(k, name);
        return nullptr;
      },
      errors);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(d.Count(), 3);
  EXPECT_EQ(d.GetSourceName("p1"), "Page0.Picture1");
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[0], std::make_pair(0, AnsiString("Band1")));
}

TEST(PreparedFile, TextsEscapedEitherWayReadBack) {
  const std::string file =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><preparedreport><previewpages><page0>"
      "<m1 u=\"a &amp; b &#38; c &lt;&gt; &quot;q&quot; &#60;x&#62;\"/></page0></previewpages></preparedreport>";
  TfrxPreparedTree tree;
  rtl::TMemoryStream in(file);
  tree.LoadFromStream(in);
  EXPECT_EQ(tree.Page(0)->Items(0)->GetProp("u"), "a & b & c <> \"q\" <x>");
}

TEST(PreparedFile, BadFilesRaiseAndChangeNothing) {
  TfrxPreparedTree tree;
  BuildFixture(tree);
  const std::string good = Saved(tree);
  std::mt19937 random(7);
  std::string noise(5000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  for (const std::string& bad :
       {noise, good.substr(0, good.size() / 2), std::string(), std::string("<?xml version=\"1.0\"?><other/>"),
        std::string("<preparedreport></preparedreport>"),
        std::string("<?xml version=\"1.0\"?><preparedreport><previewpages><page0></previewpages>")}) {
    rtl::TMemoryStream in(bad);
    EXPECT_ANY_THROW(tree.LoadFromStream(in)) << bad.substr(0, 60);
    EXPECT_EQ(Saved(tree), good);
  }
}

TEST(PreparedFile, MissingFilesAndAtomicSaves) {
  ScratchFolder folder;
  TfrxPreparedTree tree;
  BuildFixture(tree);
  const std::string good = Saved(tree);
  EXPECT_FALSE(tree.LoadFromFile(folder.File("missing.fp3"), false));
  EXPECT_EQ(Saved(tree), good);
  EXPECT_THROW(tree.LoadFromFile(folder.File("missing.fp3"), true), rtl::EStreamError);
  EXPECT_EQ(Saved(tree), good);

  const std::string name = folder.File("report.fp3");
  tree.SaveToFile(name);
  // A save that fails after writing leaves the old file whole.
  TfrxPreparedTree other;
  PageWithObjects(other, {1});
  rtl::SetSaveFaultForTests([](std::string_view) { throw rtl::EWriteError("disk full"); });
  EXPECT_THROW(other.SaveToFile(name), rtl::EWriteError);
  rtl::SetSaveFaultForTests(nullptr);
  TfrxPreparedTree back;
  EXPECT_TRUE(back.LoadFromFile(name, false));
  EXPECT_EQ(Saved(back), WithoutParkMarkers(good));
}

TEST(PreparedFile, DictionaryEntriesBeyondTheSourcePagesAreSkipped) {
  TfrxPreparedTree tree;
  TfrxXMLItem* d = tree.Section("dictionary");
  struct Entry {
    const char* alias;
    const char* prop;
    bool kept;
  };
  const Entry entries[] = {{"m1", "name=\"Page0.Memo1\"", true},  {"m2", "name=\"Page1.Memo2\"", true},
                           {"m3", "name=\"Page2.Memo3\"", false}, {"m4", "name=\"Page-1.Memo\"", false},
                           {"m5", "name=\"PageX.Memo\"", false},  {"m6", "name=\"Memo\"", false},
                           {"m7", "nome=\"Page0.Memo\"", false},  {"m8", "name=\"Page99999999999.M\"", false},
                           {"m9", "name=\"Page0.\"", true},       {"", "name=\"Page0.Memo\"", false}};
  for (const Entry& e : entries) d->Add(e.alias)->Prop = e.prop;
  TfrxDictionary dict;
  std::vector<AnsiString> errors;
  vuzReadDictionary(tree, dict, 2, nullptr, errors);
  int kept = 0;
  for (const Entry& e : entries) {
    if (!*e.alias) continue;
    EXPECT_EQ(dict.Contains(e.alias), e.kept) << e.alias;
    kept += e.kept;
  }
  EXPECT_EQ(dict.Count(), kept);
  EXPECT_EQ(errors.size(), std::size(entries) - static_cast<std::size_t>(kept));
}

TEST(PreparedFile, SourcePageIndexOfElementNames) {
  struct Case {
    const char* name;
    int index;
  };
  for (const Case c :
       {Case{"page0", 0}, Case{"page12", 12}, Case{"PAGE3", 3}, Case{"page-1", -1}, Case{"page", -1}, Case{"pageX", -1},
        Case{"TfrxReportPage", -1}, Case{"page99999999999", -1}, Case{"pag", -1}, Case{"page1x", -1}})
    EXPECT_EQ(vuzSourcePageIndex(c.name), c.index) << c.name;
}

// --- outline ----------------------------------------------------------------------------

TEST(Outline, LevelsItemsAndShift) {
  TfrxPreparedTree tree;
  TfrxOutline outline(tree);
  EXPECT_EQ(outline.GetCount(), 0);  // no current item yet
  PageWithObjects(tree, {});
  outline.LevelRoot();
  outline.AddItem("A", 10);
  outline.AddItem("A.1", 20);
  outline.LevelUp();
  outline.LevelUp();
  outline.LevelUp();  // stays at the root
  EXPECT_EQ(outline.CurItem(), outline.Root());
  PageWithObjects(tree, {});
  outline.AddItem("B", 30);
  outline.LevelUp();
  outline.AddItem("C", 40);
  outline.LevelUp();
  EXPECT_EQ(outline.Root()->Items(0)->Prop, "text=\"A\" page=\"0\" top=\"10\"");
  ASSERT_EQ(outline.GetCount(), 3);
  EXPECT_EQ(outline.GetCurPosition(), outline.Root()->Items(2));

  // An entry without page leaves the caller's value.
  outline.Root()->Items(2)->DeleteProp("page");
  AnsiString text;
  int page = 77, top = 0;
  outline.GetItem(2, text, page, top);
  EXPECT_EQ(text, "C");
  EXPECT_EQ(page, 77);
  EXPECT_EQ(top, 40);
  outline.GetItem(9, text, page, top);  // outside: nothing
  EXPECT_EQ(text, "C");

  // Only the entry right after "A" moves, with its sub-entries.
  outline.Root()->Items(1)->Add("item")->Prop = "text=\"B.1\" page=\"1\" top=\"35\"";
  outline.ShiftItems(outline.Root()->Items(0), 0);
  EXPECT_EQ(outline.Root()->Items(1)->Prop, "text=\"B\" page=\"2\" top=\"0\"");
  EXPECT_EQ(outline.Root()->Items(1)->Items(0)->Prop, "text=\"B.1\" page=\"2\" top=\"5\"");
  EXPECT_EQ(vuzIntProp(outline.Root()->Items(2), "top"), 40);
  // Within the page (a block moved to the next column): the page stays.
  outline.ShiftItems(outline.Root()->Items(0), 10, false);
  EXPECT_EQ(outline.Root()->Items(1)->Prop, "text=\"B\" page=\"2\" top=\"10\"");
  EXPECT_EQ(outline.Root()->Items(1)->Items(0)->Prop, "text=\"B.1\" page=\"2\" top=\"15\"");
  // The last entry of its level has nothing after it.
  const std::string before = Saved(tree);
  outline.ShiftItems(outline.Root()->Items(2), 0);
  outline.ShiftItems(nullptr, 0);
  EXPECT_EQ(Saved(tree), before);

  outline.LevelDown(0);
  EXPECT_EQ(outline.GetCount(), 1);
  outline.LevelDown(5);  // outside: stays
  EXPECT_EQ(outline.GetCount(), 1);
  // After the tree is cleared the old position is gone, not dangling.
  tree.Clear();
  EXPECT_EQ(outline.GetCount(), 0);
  EXPECT_EQ(outline.GetCurPosition(), nullptr);
  outline.AddItem("fresh", 1);
  EXPECT_EQ(outline.Root()->Count(), 1);
}

}  // namespace

namespace {

TEST(PreparedFile, OddNumbersAndReferencesReadAsAbsentNotAsErrors) {
  const std::string file =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><preparedreport><previewpages><page0/></previewpages>"
      "<anchors><item text=\"&#x;\" page=\"99999999999999\" top=\"1e999\"/>"
      "<item text=\"ok\" page=\"-7x\" top=\"12\"/></anchors>"
      "<logicalpagenumbers><page n=\"&#;\" t=\"2147483648\"/></logicalpagenumbers>"
      "<outline><item text=\"&#zz;\" page=\"\" top=\"1.5\"/></outline></preparedreport>";
  TfrxPreparedTree tree;
  rtl::TMemoryStream in(file);
  tree.LoadFromStream(in);
  EXPECT_EQ(tree.GetAnchorPage("&#x;"), 1);  // the raw text, page unreadable
  EXPECT_EQ(tree.GetAnchorPage("ok"), 1);
  EXPECT_EQ(tree.FindAnchor("ok"), tree.Section("anchors")->Items(1));
  tree.ShiftAnchors(-1, 0);  // the unreadable top counts as 0
  EXPECT_EQ(vuzIntProp(tree.Section("anchors")->Items(1), "top"), 12);
  EXPECT_EQ(vuzIntProp(tree.Section("anchors")->Items(1), "page"), 1);
  tree.CurPage = 0;
  EXPECT_EQ(tree.GetLogicalPageNo(0), 0);
  EXPECT_EQ(tree.GetLogicalTotalPages(5, 0), 0);
  TfrxOutline outline(tree);
  outline.LevelRoot();
  AnsiString text;
  int page = 4, top = 9;
  outline.GetItem(0, text, page, top);
  EXPECT_EQ(text, "&#zz;");
  EXPECT_EQ(page, 4);
  EXPECT_EQ(top, 9);
}

}  // namespace
