// The OpenDocument exports over real prepared reports, checked by readers we
// did not write: unzip (entry order and methods), xmllint (every XML file),
// python3-odf (loads the package) and LibreOffice headless (converts it to
// CSV and text, which must show every value, hostile text included).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "engine_fixture.h"
#include "export/vuzExportODF.h"
#include "export/vuzExportRes.h"
#include "platform/rtl/strings.h"
#include "report/vuzClassBands.h"
#include "tests/export/export_tools.h"

namespace {

using namespace exporttest;
using namespace rtl::literals;
using rtl::AnsiString;

// Quotes, markup characters, a tab, a control character and Cyrillic.
const char kHostileUtf8[] =
    "Q\"uo'te <b>&amp; a&b\tTab\x01"
    "end Сушка";

// Two pages of two framed cells each, a hostile memo and a 10,000-character line.
struct OdfReport {
  OdfReport() {
    report::TfrxReportPage* page = b.AddPage();
    auto& data = b.AddDataSet("Rows", {"N", "T"},
                              {{rtl::Variant(1), rtl::Variant(AnsiString("Один"_cp))},
                               {rtl::Variant(2), rtl::Variant(AnsiString("Два"_cp))}});
    auto* band = b.AddDataBand(page, 0, 60, data);
    band->SetStartNewPage(true);
    b.AddMemo(band, 0, 8, 70, 16, "[Rows.\"N\"]")->Frame()->SetTyp(15);
    b.AddMemo(band, 70, 8, 140, 16, "[Rows.\"T\"]")->Frame()->SetTyp(15);
    b.AddMemo(band, 210, 8, 300, 16, kHostileUtf8);
    auto* longLine = b.AddMemo(band, 0, 30, 500, 16, AnsiString(10000, 'x'));
    longLine->SetWordWrap(false);
    EXPECT_TRUE(b.Prepare()) << b.Errors();
  }
  engine_test::ReportBuilder b;
};

class OdfExport : public ::testing::Test {
 protected:
  void SetUp() override { report::vuzLoadExportResources(); }
  template <class F>
  void Export(OdfReport& r, const std::string& file) {
    F f(nullptr);
    f.ShowDialog = false;
    f.ShowProgress = false;
    f.FileName = file;
    f.Report = &r.b.Report();
    ASSERT_TRUE(r.b.Store().Export(&f));
  }
  engine_test::EngineScope scope;
  TempDir dir;
};

TEST(OdfCellText, SpacesTabsMarkupAndControls) {
  struct Case {
    std::u16string in;
    const char* out;
  } cases[] = {
      {u"a  b", "a <text:s/>b"},
      {u"  a", "<text:s text:c=\"2\"/>a"},
      {u"a ", "a<text:s/>"},  // readers drop a plain space at the end
      {u"x & <y> \"z\"", "x &amp; &lt;y&gt; &quot;z&quot;"},
      {u"a\tb", "a<text:tab/>b"},
      {u"a\x01\x1f"
       u"b",
       "ab"},
      {u"Сушка\tЖ", "Сушка<text:tab/>Ж"},  // tabs are replaced in the Unicode text
  };
  for (const Case& c : cases) EXPECT_EQ(report::OdfCellText(c.in), c.out) << rtl::WideToUtf8(c.in);
}

// Both kinds: a valid package every reader accepts, with every value.
TEST_F(OdfExport, PackagesReadByIndependentReaders) {
  OdfReport r;
  Export<report::TfrxODSExport>(r, dir.File("r.ods"));
  Export<report::TfrxODTExport>(r, dir.File("r.odt"));
  for (const char* name : {"r.ods", "r.odt"}) {
    SCOPED_TRACE(name);
    const std::string file = dir.File(name);
    // The first entry is the stored mimetype.
    const std::string listing = Output("unzip -v " + Quote(file));
    const auto first = listing.find("Stored");
    ASSERT_NE(first, std::string::npos) << listing;
    EXPECT_LT(first, listing.find("Defl")) << listing;
    EXPECT_NE(listing.find("mimetype"), std::string::npos);
    EXPECT_LT(listing.find("mimetype"), listing.find("content.xml"));
    const std::string x = dir.File(std::string(name) + ".d");
    ASSERT_EQ(Shell("unzip -q -o " + Quote(file) + " -d " + Quote(x)), 0);
    for (const char* part : {"content.xml", "styles.xml", "meta.xml", "META-INF/manifest.xml"})
      EXPECT_EQ(Shell("xmllint --noout " + Quote(x + "/" + part)), 0) << part;
  }
  EXPECT_EQ(ReadFile(dir.File("r.ods.d/mimetype")), "application/vnd.oasis.opendocument.spreadsheet");
  EXPECT_EQ(ReadFile(dir.File("r.odt.d/mimetype")), "application/vnd.oasis.opendocument.text");
  // One table per page, named after the page.
  const std::string content = ReadFile(dir.File("r.ods.d/content.xml"));
  EXPECT_NE(content.find("table:name=\"Страница 1\""), std::string::npos);
  EXPECT_NE(content.find("table:name=\"Страница 2\""), std::string::npos);
  EXPECT_NE(content.find("text:style-name=\"pagebreak\""), std::string::npos);

  if (PythonHas("odf.opendocument")) {
    const std::string out = RunPython(dir,
                                      "import sys\n"
                                      "from odf.opendocument import load\n"
                                      "from odf import teletype, table\n"
                                      "for f in sys.argv[1:]:\n"
                                      "    d = load(f)\n"
                                      "    cells = d.getElementsByType(table.TableCell)\n"
                                      "    print(f.endswith('ods'), len(d.getElementsByType(table.Table)),\n"
                                      "          '|'.join(teletype.extractText(c) for c in cells if "
                                      "teletype.extractText(c)))\n",
                                      Quote(dir.File("r.ods")) + " " + Quote(dir.File("r.odt")));
    for (const char* v : {"Один", "Два", "Q\"uo'te <b>&amp; a&b\tTabend Сушка"})
      EXPECT_NE(out.find(v), std::string::npos) << v << "\n" << out.substr(0, 2000);
    EXPECT_NE(out.find(std::string(10000, 'x')), std::string::npos);
    EXPECT_EQ(out.find("Traceback"), std::string::npos) << out.substr(0, 2000);
  }

  const std::string soffice = FindTool("soffice");
  if (soffice.empty()) GTEST_SKIP() << "needs LibreOffice";
  Shell(support::LibreOfficeCommand(soffice, dir.Path() + "/profile") +
        " --convert-to csv:Text\\ -\\ txt\\ -\\ csv\\ \\(StarCalc\\):44,34,76 --outdir " + Quote(dir.File("csv")) +
        " " + Quote(dir.File("r.ods")));
  Shell(support::LibreOfficeCommand(soffice, dir.Path() + "/profile") +
        " --convert-to 'txt:Text (encoded):UTF8' --outdir " + Quote(dir.File("txt")) + " " + Quote(dir.File("r.odt")));
  const std::string csv = ReadFile(dir.File("csv/r.csv"));
  const std::string txt = ReadFile(dir.File("txt/r.txt"));
  // The CSV filter writes the first sheet (page 1) only; the text has both pages.
  EXPECT_NE(txt.find("Два"), std::string::npos);
  for (const std::string& out : {csv, txt}) {
    for (const char* v : {"Один", "<b>&amp; a&b", "Сушка"})
      EXPECT_NE(out.find(v), std::string::npos) << v << "\n" << out.substr(0, 1500);
    EXPECT_NE(out.find(std::string(10000, 'x')), std::string::npos);
  }
  EXPECT_NE(csv.find("1"), std::string::npos);
}

// A failed export leaves neither the file nor the private folder.
TEST_F(OdfExport, FailedRunLeavesNothing) {
  OdfReport r;
  report::TfrxODSExport f(nullptr);
  f.ShowDialog = false;
  f.ShowProgress = false;
  f.FileName = dir.File("missing-folder/r.ods");
  f.Report = &r.b.Report();
  // The package's temporary folder goes into a private temporary folder of
  // this test, so other exports running at the same time do not count.
  support::ScratchFolder tmp("zarnik-odf-tmp-");
  const char* before = std::getenv("TMPDIR");
  const std::string saved = before ? before : "";
  ::setenv("TMPDIR", tmp.Path().c_str(), 1);
  r.b.Store().Export(&f);
  if (before) {
    ::setenv("TMPDIR", saved.c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing-folder/r.ods")));
  for (const auto& e : std::filesystem::directory_iterator(tmp.Folder())) ADD_FAILURE() << "left behind: " << e.path();
}

// Tagged text becomes spans (tags may run over line ends); what is left of
// the text is escaped in every span; spaces and tabs become their elements.
TEST(OdfSpanParagraphs, TagsBecomeEscapedSpansPerLine) {
  std::vector<std::pair<gfx::TColor, gfx::TFontStyles>> made;
  auto style = [&made](gfx::TColor c, gfx::TFontStyles s) {
    for (std::size_t i = 0; i < made.size(); ++i)
      if (made[i].first == c && made[i].second == s) return "ss-" + std::to_string(i + 1);
    made.emplace_back(c, s);
    return "ss-" + std::to_string(made.size());
  };
  struct Case {
    std::u16string in;
    std::vector<std::string> out;
  } cases[] = {
      {u"a <b>b&c</b>",
       {"<text:span text:style-name=\"ss-1\">a </text:span>"
        "<text:span text:style-name=\"ss-2\">b&amp;c</text:span>"}},
      {u"<b>one\r\ntwo</b>\r\n",
       {"<text:span text:style-name=\"ss-2\">one</text:span>", "<text:span text:style-name=\"ss-2\">two</text:span>"}},
      {u"<font color=\"#FF0000\">x<y</font>\t  z",
       {"<text:span text:style-name=\"ss-3\">x&lt;y</text:span>"
        "<text:span text:style-name=\"ss-1\"><text:tab/> <text:s/>z</text:span>"}},
      {u"end  ", {"<text:span text:style-name=\"ss-1\">end<text:s text:c=\"2\"/></text:span>"}},
      {u"", {""}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(report::OdfSpanParagraphs(c.in, gfx::clBlack, gfx::TFontStyles(), style), c.out) << rtl::WideToUtf8(c.in);
  ASSERT_EQ(made.size(), 3u);
  EXPECT_EQ(made[1].second, gfx::TFontStyles{gfx::fsBold});
  EXPECT_EQ(made[2].first, gfx::TColor(0x0000FF));
}

// The thumbnail shows the first page at a fifth of its size, each object
// where it lies on the page; a tagged memo's package is read by LibreOffice.
TEST_F(OdfExport, ThumbnailAndTaggedTextInThePackage) {
  engine_test::ReportBuilder b;
  report::TfrxReportPage* page = b.AddPage();
  auto* band = b.AddBand<report::TfrxReportTitle>(page, 0, 400);
  auto* block = b.AddMemo(band, 300, 200, 100, 100, "");
  block->SetColor(gfx::clBlack);
  auto* tagged = b.AddMemo(band, 0, 0, 200, 20, "<b>B&amp;</b> <i>i</i> <font color=\"#FF0000\">red<</font>");
  tagged->SetAllowHTMLTags(true);
  ASSERT_TRUE(b.Prepare()) << b.Errors();
  report::TfrxODTExport f(nullptr);
  f.ShowDialog = false;
  f.ShowProgress = false;
  f.FileName = dir.File("t.odt");
  f.Report = &b.Report();
  ASSERT_TRUE(b.Store().Export(&f));
  const std::string x = dir.File("t.d");
  ASSERT_EQ(Shell("unzip -q -o " + Quote(dir.File("t.odt")) + " -d " + Quote(x)), 0);
  EXPECT_EQ(Shell("xmllint --noout " + Quote(x + "/content.xml")), 0);
  const std::string content = ReadFile(x + "/content.xml");
  EXPECT_NE(content.find(">B&amp;amp;</text:span>"), std::string::npos) << content;
  EXPECT_NE(content.find(">red&lt;</text:span>"), std::string::npos);
  EXPECT_NE(content.find("fo:color=\"#ff0000\""), std::string::npos);
  if (PythonHas("PIL")) {
    // The page's printable area starts at the 10 mm margins; the block lies
    // 300 and 200 pixels further in, so at (38+300)/5, (38+200)/5 on the thumbnail.
    const std::string out = RunPython(dir,
                                      "import sys\n"
                                      "from PIL import Image\n"
                                      "im = Image.open(sys.argv[1]).convert('L')\n"
                                      "print(im.size[0], im.size[1], im.getpixel((77, 57)), im.getpixel((150, 110)))\n",
                                      Quote(x + "/Thumbnails/thumbnail.jpg"));
    int w = 0, h = 0, inside = 255, outside = 0;
    ASSERT_EQ(std::sscanf(out.c_str(), "%d %d %d %d", &w, &h, &inside, &outside), 4) << out;
    EXPECT_NEAR(w, 159, 1);  // a fifth of A4 at 96 dpi
    EXPECT_NEAR(h, 225, 1);
    EXPECT_LT(inside, 60) << out;    // dark where the block is
    EXPECT_GT(outside, 200) << out;  // light where a doubly scaled offset would put it
  }
  const std::string soffice = FindTool("soffice");
  if (soffice.empty()) GTEST_SKIP() << "needs LibreOffice";
  Shell("timeout 300 " + Quote(soffice) + " -env:UserInstallation=file://" + dir.Path() +
        "/profile --headless --convert-to 'txt:Text (encoded):UTF8' --outdir " + Quote(dir.File("txt")) + " " +
        Quote(dir.File("t.odt")));
  EXPECT_NE(ReadFile(dir.File("txt/t.txt")).find("B&amp; i red<"), std::string::npos)
      << ReadFile(dir.File("txt/t.txt"));
}

}  // namespace
