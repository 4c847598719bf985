// The HTML export over real prepared reports: the pieces of text and style,
// the document's tables, anchors, links and pictures in each of its modes,
// the files it leaves (none after a failure), and readers we did not write:
// tidy, xmllint's HTML parser and Python's html.parser, which must find
// every attribute exactly as it was meant.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <string>

#include "engine_fixture.h"
#include "export/vuzExportHTML.h"
#include "export/vuzExportMatrix.h"
#include "export/vuzExportRes.h"
#include "app/ReportEngineStartup.h"
#include "platform/gfx/bitmap.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/typinfo.h"
#include "report/vuzClassPicture.h"
#include "report/vuzClassReport.h"
#include "report/vuzDsgnIntf.h"
#include "tests/export/export_tools.h"

namespace {

namespace fs = std::filesystem;
using namespace exporttest;
using rtl::AnsiString;

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + what.size())) ++n;
  return n;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& e : fs::recursive_directory_iterator(folder, ec))
    out.push_back(fs::relative(e.path(), folder).string());
  std::sort(out.begin(), out.end());
  return out;
}

// ---------------------------------------------------------------- text pieces

TEST(HtmlCellText, EscapesFormatsAndTrims) {
  struct Case {
    std::u16string in;
    bool tags;
    const char* out;
  } cases[] = {
      {u"a<b", false, "a&lt;b"},
      {u"one\r\ntwo\r\n", false, "one<br>two"},  // the final line end goes, the inner one is a break
      {u"a\nb", false, "a\nb"},                  // a lone line feed stays
      {u"   ", false, "&nbsp;"},
      {u"", true, "&nbsp;"},
      {u"x \"q\" 'a' & y", false, "x &quot;q&quot; &#39;a&#39; &amp; y"},
      {u"ctl\x01\x1f!", false, "ctl!"},
      {u"Сушка", false, "Сушка"},
      // Tags are text unless the object allows them.
      {u"<b>x</b>", false, "&lt;b&gt;x&lt;/b&gt;"},
      {u"<b>x</b>", true, "<b>x</b>"},
      {u"<b><font color=\"#FF0000\">red</font></b> plain", true,
       "<span style=\"color:#ff0000\"><b>red</b></span> plain"},
      {u"<i><u>iu</u></i><strike>s</strike>", true, "<u><i>iu</i></u><s>s</s>"},
      {u"<b>a<b</b>", true, "<b>a&lt;b</b>"},  // text left after the tags is escaped
  };
  for (const Case& c : cases)
    EXPECT_EQ(report::HtmlCellText(c.in, c.tags), c.out) << rtl::WideToUtf8(c.in) << " tags " << c.tags;
}

TEST(HtmlStyleBlock, DecorationsFontsFramesAndAlignment) {
  report::TfrxIEMStyle s;
  s.Font->SetName(rtl::Utf8ToAnsi("Шрифт;}"));
  s.Font->SetSize(12);
  s.Font->SetColor(0x0000FF);  // red, as Windows colours go
  s.Color = gfx::clTransparent;
  s.HAlign = report::haCenter;
  s.VAlign = report::vaCenter;
  struct Case {
    gfx::TFontStyles style;
    const char* decoration;  // nullptr: none written
  } cases[] = {
      {gfx::TFontStyles{gfx::fsUnderline, gfx::fsStrikeOut}, " text-decoration: underline line-through;"},
      {gfx::TFontStyles{gfx::fsUnderline}, " text-decoration: underline;"},
      {gfx::TFontStyles{gfx::fsStrikeOut}, " text-decoration: line-through;"},
      {gfx::TFontStyles{}, nullptr},
  };
  for (const Case& c : cases) {
    s.Font->SetStyle(c.style);
    const std::string block = report::HtmlStyleBlock(s, 3);
    if (c.decoration)
      EXPECT_NE(block.find(c.decoration), std::string::npos) << block;
    else
      EXPECT_EQ(block.find("text-decoration"), std::string::npos) << block;
    EXPECT_EQ(block.find('|'), std::string::npos) << block;
  }
  const std::string block = report::HtmlStyleBlock(s, 3);
  EXPECT_EQ(block.rfind(".s3 {", 0), 0u) << block;
  // The font name in UTF-8, without what would end the declaration.
  EXPECT_NE(block.find("font-family: Шрифт;"), std::string::npos) << block;
  EXPECT_NE(block.find("font-size: 16px;"), std::string::npos) << block;
  EXPECT_NE(block.find("color: #ff0000;"), std::string::npos) << block;
  EXPECT_NE(block.find("background-color: transparent;"), std::string::npos) << block;
  EXPECT_NE(block.find("text-align: Center; vertical-align: Middle;}"), std::string::npos) << block;
  s.FrameSides = report::FrameBit(report::ftLeft) | report::FrameBit(report::ftBottom);
  s.FrameLineWidth = 2;
  s.Color = 0xFFFFFF;
  const std::string framed = report::HtmlStyleBlock(s, 0);
  EXPECT_NE(framed.find(" border-style: solid; border-left-width: 2px; border-right-width: 0px; "
                        "border-top-width: 0px; border-bottom-width: 2px;"),
            std::string::npos)
      << framed;
  EXPECT_NE(framed.find("background-color: #ffffff;"), std::string::npos);
}

// ---------------------------------------------------------------- documents

// Hostile text: quotes, markup, a tab, a control character, Cyrillic.
const char kHostile[] =
    "Q\"uo'te <b>&amp; a&b\tTab\x01"
    "end Сушка";

// Three pages of a framed row each; on page 1 a link to page 2, a two-column
// by three-row object, a hostile memo and a 10,000-character line.
struct HtmlReport {
  explicit HtmlReport(const std::string& name = "Rep") {
    b.Report().ReportOptions()->Name = rtl::Utf8ToAnsi(name);
    report::TfrxReportPage* page = b.AddPage();
    auto& data = b.AddDataSet("Rows", {"N"}, {{rtl::Variant(1)}, {rtl::Variant(2)}, {rtl::Variant(3)}});
    auto* band = b.AddDataBand(page, 0, 200, data);
    band->SetStartNewPage(true);
    b.AddMemo(band, 0, 0, 100, 20, "[Rows.\"N\"]")->Frame()->SetTyp(15);
    auto* link = b.AddMemo(band, 100, 0, 100, 20, "to page 2");
    link->SetURL("@2");
    b.AddMemo(band, 0, 20, 200, 60, "big");  // two columns, three rows (20, 40, 60)
    b.AddMemo(band, 200, 20, 50, 20, "r1");
    b.AddMemo(band, 200, 40, 50, 20, "r2");
    b.AddMemo(band, 200, 60, 50, 20, "r3");
    b.AddMemo(band, 0, 90, 300, 16, kHostile);
    auto* longLine = b.AddMemo(band, 0, 120, 500, 16, std::string(10000, 'x'));
    longLine->SetWordWrap(false);
    EXPECT_TRUE(b.Prepare()) << b.Errors();
  }
  engine_test::ReportBuilder b;
};

class HtmlExport : public ::testing::Test {
 protected:
  void SetUp() override { report::vuzLoadExportResources(); }
  // Exports with the settings the caller sets; answers the driver's result.
  bool Export(HtmlReport& r, const std::string& file, const std::function<void(report::TfrxHTMLExport&)>& set = {}) {
    report::TfrxHTMLExport f(nullptr);
    f.ShowDialog = false;
    f.ShowProgress = false;
    f.FileName = rtl::Utf8ToAnsi(file);
    f.Report = &r.b.Report();
    if (set) set(f);
    const bool ok = r.b.Store().Export(&f);
    created.clear();
    for (int i = 0; i < f.CreatedFiles->Count(); ++i) created.push_back(rtl::AnsiToUtf8((*f.CreatedFiles)[i]));
    return ok;
  }
  engine_test::EngineScope scope;
  TempDir dir;
  std::vector<std::string> created;
};

TEST_F(HtmlExport, OneDocumentHasATablePerPageWithAnchors) {
  HtmlReport r;
  ASSERT_TRUE(Export(r, dir.File("rep.html")));
  const std::string html = ReadFile(dir.File("rep.html"));
  EXPECT_EQ(Count(html, "<table"), 3) << html.substr(0, 3000);
  EXPECT_EQ(Count(html, "</table>"), 3);
  EXPECT_EQ(Count(html, "class=\"page_break\""), 2);
  const auto a1 = html.find("<a name=\"PageN1\">"), a2 = html.find("<a name=\"PageN2\">"),
             a3 = html.find("<a name=\"PageN3\">");
  ASSERT_NE(a3, std::string::npos);
  EXPECT_LT(a1, html.find("<table"));
  EXPECT_LT(a1, a2);
  EXPECT_LT(a2, a3);
  // The page link stays inside the document.
  EXPECT_NE(html.find("<a href=\"#PageN2\">to page 2</a>"), std::string::npos);
  // The spanning object: one cell, no cells for the rest of its block.
  EXPECT_NE(html.find("colspan=\"2\" rowspan=\"3\""), std::string::npos);
  EXPECT_NE(html.find("Q&quot;uo&#39;te &lt;b&gt;&amp;amp; a&amp;b\tTabend Сушка"), std::string::npos)
      << html.substr(html.find("uo") - 200, 400);
  EXPECT_NE(html.find(std::string(10000, 'x')), std::string::npos);
  EXPECT_NE(html.find("<title>Rep</title>"), std::string::npos);
  EXPECT_NE(html.find("charset=utf-8"), std::string::npos);
  EXPECT_EQ(html.find("text-decoration: underline |"), std::string::npos);
  // Nothing but the document: no empty pictures folder.
  EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"rep.html"}));
  EXPECT_EQ(created, (std::vector<std::string>{dir.File("rep.html")}));
}

TEST_F(HtmlExport, MultipageWritesAPageFileEachWithRelativePageLinks) {
  HtmlReport r;
  ASSERT_TRUE(Export(r, dir.File("rep.html"), [](report::TfrxHTMLExport& f) { f.Multipage = true; }));
  EXPECT_EQ(FilesIn(dir.Path()),
            (std::vector<std::string>{"rep.files", "rep.files/1.html", "rep.files/2.html", "rep.files/3.html"}));
  const std::string p1 = ReadFile(dir.File("rep.files/1.html")), p2 = ReadFile(dir.File("rep.files/2.html"));
  EXPECT_NE(p1.find("<a href=\"2.html\">to page 2</a>"), std::string::npos) << p1.substr(0, 3000);
  // Each page is a whole document with one table closed once.
  for (const std::string& p : {p1, p2}) {
    EXPECT_EQ(Count(p, "<table"), 1);
    EXPECT_EQ(Count(p, "</table>"), 1);
    EXPECT_NE(p.find("</body></html>"), std::string::npos);
  }
}

TEST_F(HtmlExport, NavigatorFramesetAroundTheDocument) {
  HtmlReport r("Name \"with\" <quotes> & Кириллица");
  ASSERT_TRUE(Export(r, dir.File("rep.html"), [](report::TfrxHTMLExport& f) { f.Navigator = true; }));
  EXPECT_EQ(FilesIn(dir.Path()),
            (std::vector<std::string>{"rep.files", "rep.files/main.html", "rep.files/nav.html", "rep.html"}));
  const std::string frames = ReadFile(dir.File("rep.html"));
  EXPECT_NE(frames.find("<frame name=\"topFrame\" src=\"rep.files/nav.html\""), std::string::npos) << frames;
  EXPECT_NE(frames.find("<frame name=\"mainFrame\" src=\"rep.files/main.html\">"), std::string::npos);
  EXPECT_NE(frames.find("<title>Name &quot;with&quot; &lt;quotes&gt; &amp; Кириллица</title>"), std::string::npos);
  const std::string nav = ReadFile(dir.File("rep.files/nav.html"));
  EXPECT_NE(nav.find("var frPgCnt = 3;"), std::string::npos);
  EXPECT_NE(nav.find("Всего страниц"), std::string::npos);
}

TEST_F(HtmlExport, HostileLinksTitlesAndFileNamesStayInsideTheirAttributes) {
  HtmlReport r("T\"><script>alert(1)</script>");
  auto* memo = dynamic_cast<report::TfrxMemoView*>(r.b.Report().FindObject("Memo2"));
  ASSERT_NE(memo, nullptr);
  // The prepared pages keep their own copies, so the link is set on the
  // template and the report prepared again.
  memo->SetURL(rtl::Utf8ToAnsi("http://x/?a=1&b=\"2\" onmouseover=\"alert(1)\" й"));
  ASSERT_TRUE(r.b.Prepare()) << r.b.Errors();
  const std::string file = dir.File("отчёт \"q\".html");
  ASSERT_TRUE(Export(r, file, [](report::TfrxHTMLExport& f) { f.URLTarget = "_blank\" x=\"y"; }));
  ASSERT_TRUE(fs::exists(file));
  if (!PythonHas("html.parser")) GTEST_SKIP() << "needs Python";
  const std::string out = RunPython(dir,
                                    "import sys, html.parser\n"
                                    "class P(html.parser.HTMLParser):\n"
                                    "    title = False\n"
                                    "    def handle_starttag(self, tag, attrs):\n"
                                    "        if tag == 'title': self.title = True\n"
                                    "        for k, v in attrs:\n"
                                    "            if k not in ('href','target','name','class','style','colspan',\n"
                                    "                         'rowspan','width','border','cellspacing',\n"
                                    "                         'cellpadding','bgcolor','text','http-equiv',\n"
                                    "                         'content','type','src','height','alt'):\n"
                                    "                print('ATTR', tag, k, v)\n"
                                    "            if k in ('href', 'target'): print(k.upper(), v)\n"
                                    "        if tag == 'script': print('SCRIPT')\n"
                                    "    def handle_endtag(self, tag):\n"
                                    "        if tag == 'title': self.title = False\n"
                                    "    def handle_data(self, d):\n"
                                    "        if self.title: print('TITLE', d)\n"
                                    "P().feed(open(sys.argv[1], encoding='utf-8').read())\n",
                                    Quote(file));
  EXPECT_EQ(out.find("ATTR"), std::string::npos) << out;
  EXPECT_EQ(out.find("SCRIPT"), std::string::npos) << out;
  EXPECT_NE(out.find("HREF http://x/?a=1&b=\"2\" onmouseover=\"alert(1)\" й\n"), std::string::npos) << out;
  EXPECT_NE(out.find("TARGET _blank\" x=\"y\n"), std::string::npos) << out;
  EXPECT_NE(out.find("TITLE T\"><script>alert(1)</script>\n"), std::string::npos) << out;
}

// A picture goes into the pictures folder and the cell refers to it.
TEST_F(HtmlExport, PicturesBesideTheDocument) {
  HtmlReport r;
  auto* band = r.b.Report().FindObject("Memo1")->Parent();
  auto* picture = new report::TfrxPictureView(band);
  picture->SetBounds(300, 0, 40, 30);
  gfx::TBitmap bmp(40, 30);
  bmp.Canvas().Brush().SetColor(0x00FF00);
  bmp.Canvas().FillRect(gfx::TRect{0, 0, 40, 30});
  picture->Picture()->SetGraphic(&bmp);
  ASSERT_TRUE(r.b.Prepare()) << r.b.Errors();
  for (const bool same : {false, true}) {
    SCOPED_TRACE(same);
    TempDir out;
    ASSERT_TRUE(Export(r, out.File("rep.html"), [same](report::TfrxHTMLExport& f) { f.PicsInSameFolder = same; }));
    const std::string html = ReadFile(out.File("rep.html"));
    const std::string first = same ? "rep.img0.png" : "rep.files/img0.png";
    EXPECT_NE(html.find("<img src=\"" + first + "\""), std::string::npos) << html.substr(0, 3000);
    EXPECT_TRUE(fs::exists(out.File(first)));
    EXPECT_TRUE(fs::exists(out.File(same ? "rep.img2.png" : "rep.files/img2.png")));
    if (!FindTool("pngcheck").empty()) {
      EXPECT_EQ(Shell("pngcheck -q " + Quote(out.File(first))), 0);
    }
  }
}

// A failure or a stop in the middle leaves no file at all, and an older
// export of the same name stays as it was.
TEST_F(HtmlExport, FailedOrStoppedExportLeavesNothing) {
  struct Failing : report::TfrxHTMLExport {
    bool stop = false;
    int objects = 0;
    void ExportObject(report::TfrxComponent* object) override {
      if (++objects == 30) {
        if (stop) throw report::EExportTerminated();
        throw rtl::Exception("disk full");
      }
      report::TfrxHTMLExport::ExportObject(object);
    }
  };
  HtmlReport r;
  WriteFile(dir.File("rep.html"), "older");
  for (const bool multipage : {false, true})
    for (const bool stop : {false, true}) {
      SCOPED_TRACE(std::to_string(multipage) + std::to_string(stop));
      Failing f;
      f.stop = stop;
      f.ShowDialog = false;
      f.ShowProgress = false;
      f.Multipage = multipage;
      f.FileName = rtl::Utf8ToAnsi(dir.File("rep.html"));
      f.Report = &r.b.Report();
      r.b.Report().EngineOptions()->NewSilentMode = report::simSilent;
      const bool ok = r.b.Store().Export(&f);
      EXPECT_EQ(ok, stop);  // a stop is no error, a failure is
      EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"rep.html"}));
      EXPECT_EQ(ReadFile(dir.File("rep.html")), "older");
    }
  // A folder that does not exist: refused, nothing made.
  EXPECT_FALSE(Export(r, dir.File("missing/rep.html")));
  EXPECT_FALSE(fs::exists(dir.File("missing")));
}

TEST_F(HtmlExport, StreamGetsTheDocumentAlone) {
  HtmlReport r;
  rtl::TMemoryStream stream;
  report::TfrxHTMLExport f(nullptr);
  f.ShowDialog = false;
  f.ShowProgress = false;
  f.Multipage = f.Navigator = true;  // switched off for a stream
  f.Stream = &stream;
  f.Report = &r.b.Report();
  ASSERT_TRUE(r.b.Store().Export(&f));
  const std::string html = stream.Bytes();
  EXPECT_EQ(Count(html, "<table"), 3);
  EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{});
}

TEST_F(HtmlExport, ReadersAcceptTheDocument) {
  HtmlReport r;
  ASSERT_TRUE(Export(r, dir.File("rep.html"), [](report::TfrxHTMLExport& f) { f.Navigator = true; }));
  ASSERT_TRUE(Export(r, dir.File("one.html")));
  for (const char* name : {"one.html", "rep.html", "rep.files/nav.html", "rep.files/main.html"}) {
    SCOPED_TRACE(name);
    const std::string file = dir.File(name);
    if (!FindTool("tidy").empty()) {
      // Status 2 means errors; warnings (1) are about the transitional markup.
      const std::string report = Output("tidy -errors -q -utf8 " + Quote(file) + " 2>&1; echo status=$?");
      EXPECT_EQ(report.find("status=2"), std::string::npos) << report.substr(0, 3000);
      EXPECT_EQ(report.find("Error:"), std::string::npos) << report.substr(0, 3000);
    }
    if (!FindTool("xmllint").empty()) {
      const std::string report = Output("xmllint --html --noout --encode utf-8 " + Quote(file) + " 2>&1");
      EXPECT_EQ(report.find("error"), std::string::npos) << report.substr(0, 3000);
    }
  }
}

// The filters the main window stores, in its export menu's order, with the
// settings it stores for the HTML and OpenDocument ones.
TEST(TableExportsStartup, StoredSettingsOfTheMainWindow) {
  const app::TReportEngineStartup engine;  // makes the main window's filters
  report::TfrxExportFilterCollection& filters = report::vuzExportFilters();
  std::vector<std::string> order;
  std::map<std::string, report::TfrxCustomExportFilter*> byClass;
  for (int i = 0; i < filters.Count(); ++i) {
    report::TfrxCustomExportFilter* f = filters.GetExportFilterItem(i)->Filter;
    order.push_back(f->ClassName());
    byClass[f->ClassName()] = f;
  }
  auto position = [&order](const std::string& name) {
    return std::find(order.begin(), order.end(), name) - order.begin();
  };
  EXPECT_LT(position("TfrxODSExport"), position("TfrxODTExport"));
  EXPECT_LT(position("TfrxODTExport"), position("TfrxPDFExport"));
  EXPECT_LT(position("TfrxPDFExport"), position("TfrxHTMLExport"));
  EXPECT_LT(position("TfrxHTMLExport"), static_cast<long>(order.size()));
  struct Case {
    const char* filter;
    const char* property;
    rtl::Variant value;
  } cases[] = {
      {"TfrxHTMLExport", "FixedWidth", rtl::Variant(true)},
      {"TfrxHTMLExport", "Background", rtl::Variant(false)},
      {"TfrxHTMLExport", "Centered", rtl::Variant(false)},
      {"TfrxHTMLExport", "EmptyLines", rtl::Variant(true)},
      {"TfrxHTMLExport", "Print", rtl::Variant(false)},
      {"TfrxHTMLExport", "PictureType", rtl::Variant(static_cast<int>(report::gpPNG))},
      {"TfrxODSExport", "PictureType", rtl::Variant(static_cast<int>(report::gpPNG))},
      {"TfrxODSExport", "Background", rtl::Variant(true)},
      {"TfrxODSExport", "Creator", rtl::Variant(AnsiString("ReziZuzore"))},
      {"TfrxODSExport", "Language", rtl::Variant(AnsiString("en"))},
      {"TfrxODTExport", "Creator", rtl::Variant(AnsiString("ReziZuzore"))},
      {"TfrxODTExport", "SuppressPageHeadersFooters", rtl::Variant(false)},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(byClass.count(c.filter)) << c.filter;
    EXPECT_EQ(rtl::GetPropValue(*byClass[c.filter], c.property), c.value) << c.filter << "." << c.property;
  }
  for (const char* name : {"TfrxHTMLExport", "TfrxODSExport", "TfrxODTExport"}) {
    report::TfrxCustomExportFilter& f = *byClass[name];
    EXPECT_TRUE(f.UseFileCache && f.ShowProgress && !f.OverwritePrompt && !f.DataOnly) << name;
  }
  report::TfrxCustomExportFilter& html = *byClass["TfrxHTMLExport"];
  EXPECT_EQ(html.GetDescription(), rtl::Utf8ToAnsi("Документ HTML (табличный)"));
  EXPECT_EQ(html.DefaultExt, ".html");
  EXPECT_EQ(html.FileFilter, rtl::Utf8ToAnsi("Файл HTML (*.html)|*.html"));
}

}  // namespace
