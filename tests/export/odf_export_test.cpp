// The OpenDocument exports over real prepared reports, checked by readers we
// did not write: unzip (entry order and methods), xmllint (every XML file),
// python3-odf (loads the package) and LibreOffice headless (converts it to
// CSV and text, which must show every value, hostile text included).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine_fixture.h"
#include "export/vuzExportODF.h"
#include "export/vuzExportRes.h"
#include "platform/rtl/strings.h"
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
        " --convert-to csv:Text\\ -\\ txt\\ -\\ csv\\ \\(StarCalc\\):44,34,76 --outdir " +
        Quote(dir.File("csv")) + " " + Quote(dir.File("r.ods")));
  Shell(support::LibreOfficeCommand(soffice, dir.Path() + "/profile") +
        " --convert-to 'txt:Text (encoded):UTF8' --outdir " + Quote(dir.File("txt")) + " " +
        Quote(dir.File("r.odt")));
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

}  // namespace
