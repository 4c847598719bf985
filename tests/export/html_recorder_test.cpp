// The recorder's report of a process through zarnik-report
// to HTML, ODS and ODT, read by tools we did not write: tidy, xmllint and
// Python's html.parser for the HTML, headless Chromium rendering it (against
// the screenshot kept in data/), unzip, xmllint and python3-odf for the
// packages, and one LibreOffice run converting both to CSV and text, which
// must hold every word the HTML shows. (The report shows no notes: hostile
// memo texts are the fixture reports' part, html_export_test and
// odf_export_test.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include "platform/rtl/strings.h"
#include "tests/export/export_tools.h"
#include "tests/support/process_files.h"

namespace {

namespace fs = std::filesystem;
using namespace exporttest;

std::string ReportTool() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return {};
  const fs::path tool = fs::path(std::string(self, static_cast<std::size_t>(n))).parent_path() / "zarnik-report";
  return fs::exists(tool) ? tool.string() : std::string();
}

// Quotes, markup, a tab, a control character, Cyrillic; the second note is
// one 10,000-character line.
const char kNote1[] =
    "Q\"uo'te <b>&amp; a&b\tTab\x01"
    "end Сушка";

std::set<std::string> Words(const std::string& text) {
  std::set<std::string> out;
  std::istringstream in(text);
  for (std::string w; in >> w;) out.insert(w);
  return out;
}

class RecorderExports : public ::testing::Test {
 protected:
  void SetUp() override {
    tool = ReportTool();
    if (tool.empty()) GTEST_SKIP() << "zarnik-report is not built";
    support::ProcessFileSpec spec;
    spec.points = 400;
    process = support::WriteProcessFile(dir.Path(), spec);
  }
  std::string Export(const std::string& name) {
    const std::string out = dir.File(name);
    const std::string result = Output(Quote(tool) + " " + Quote(process) + " -o " + Quote(out) + " 2>&1");
    EXPECT_TRUE(fs::exists(out)) << result;
    return out;
  }
  std::string tool, process;
  TempDir dir;
};

TEST_F(RecorderExports, HtmlReadByTidyXmllintPythonAndChromium) {
  const std::string html = Export("report.html");
  const std::string doc = ReadFile(html);
  EXPECT_NE(doc.find("Отчет о процессе регистрации"), std::string::npos);
  if (!FindTool("tidy").empty()) {
    const std::string report = Output("tidy -errors -q -utf8 " + Quote(html) + " 2>&1; echo status=$?");
    EXPECT_EQ(report.find("status=2"), std::string::npos) << report.substr(0, 3000);
  }
  if (!FindTool("xmllint").empty()) {
    const std::string report = Output("xmllint --html --noout " + Quote(html) + " 2>&1");
    EXPECT_EQ(report.find("error"), std::string::npos) << report.substr(0, 3000);
  }
  if (PythonHas("html.parser")) {
    const std::string out = RunPython(dir,
                                      "import sys, html.parser\n"
                                      "class P(html.parser.HTMLParser):\n"
                                      "    def handle_starttag(self, tag, attrs):\n"
                                      "        for k, v in attrs:\n"
                                      "            if v is None or '\"' in v or '<' in v: print('BAD', tag, k, v)\n"
                                      "P().feed(open(sys.argv[1], encoding='utf-8').read())\n",
                                      Quote(html));
    EXPECT_EQ(out.find("BAD"), std::string::npos) << out.substr(0, 2000);
  }
  const std::string chromium = FindTool("chromium");
  if (chromium.empty() || !PythonHas("PIL")) GTEST_SKIP() << "needs chromium and Python's imaging library";
  const std::string shot = dir.File("shot.png");
  Shell("timeout 180 " + Quote(chromium) +
        " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking "
        "--disable-component-update --disable-sync --hide-scrollbars --user-data-dir=" +
        Quote(dir.File("chromium-profile")) + " --window-size=900,1200 --screenshot=" + Quote(shot) + " " +
        Quote("file://" + html));
  ASSERT_TRUE(fs::exists(shot)) << "chromium wrote no screenshot";
  const std::string kept = std::string(ENGINE_TEST_DATA) + "/recorder_html.png";
  // ZARNIK_UPDATE_FIXTURES=1 keeps this rendering as the new fixture (look
  // at it before committing it; data/README.md).
  if (std::getenv("ZARNIK_UPDATE_FIXTURES")) fs::copy_file(shot, kept, fs::copy_options::overwrite_existing);
  // The rendering against the kept screenshot: same size, and alike but for
  // a few glyphs (dates and the like). See data/README.md.
  const std::string out = RunPython(dir,
                                    "import sys\n"
                                    "from PIL import Image, ImageChops\n"
                                    "a = Image.open(sys.argv[1]).convert('L')\n"
                                    "b = Image.open(sys.argv[2]).convert('L')\n"
                                    "print(a.size == b.size)\n"
                                    "d = ImageChops.difference(a, b)\n"
                                    "diff = sum(1 for p in d.getdata() if p > 64)\n"
                                    "dark = sum(1 for p in a.getdata() if p < 128)\n"
                                    "print(diff, dark)\n",
                                    Quote(shot) + " " + Quote(kept));
  int diff = -1, dark = -1;
  ASSERT_EQ(out.rfind("True\n", 0), 0u) << out;
  ASSERT_EQ(std::sscanf(out.c_str() + 5, "%d %d", &diff, &dark), 2) << out;
  EXPECT_GT(dark, 5000) << "the page looks empty";
  EXPECT_LT(diff, dark / 10) << out;
}

TEST_F(RecorderExports, PackagesReadByUnzipXmllintOdfpyAndLibreOffice) {
  const std::string html = Export("report.html");
  const std::string ods = Export("report.ods"), odt = Export("report.odt");
  for (const std::string& file : {ods, odt}) {
    SCOPED_TRACE(file);
    const std::string listing = Output("unzip -v " + Quote(file));
    const auto first = listing.find("Stored");
    ASSERT_NE(first, std::string::npos) << listing;
    EXPECT_LT(first, listing.find("Defl")) << listing;
    EXPECT_LT(listing.find("mimetype"), listing.find("content.xml")) << listing;
    const std::string x = file + ".d";
    ASSERT_EQ(Shell("unzip -q -o " + Quote(file) + " -d " + Quote(x)), 0);
    for (const char* part : {"content.xml", "styles.xml", "meta.xml", "META-INF/manifest.xml"})
      EXPECT_EQ(Shell("xmllint --noout " + Quote(x + "/" + part)), 0) << part;
  }
  if (PythonHas("odf.opendocument")) {
    const std::string out = RunPython(dir,
                                      "import sys\n"
                                      "from odf.opendocument import load\n"
                                      "from odf import teletype, table\n"
                                      "for f in sys.argv[1:]:\n"
                                      "    d = load(f)\n"
                                      "    print('TABLES', len(d.getElementsByType(table.Table)))\n"
                                      "    print('CELLS', sum(1 for c in d.getElementsByType(table.TableCell)\n"
                                      "                       if teletype.extractText(c)))\n",
                                      Quote(ods) + " " + Quote(odt));
    EXPECT_EQ(out.find("Traceback"), std::string::npos) << out.substr(0, 2000);
    // A table per page in both; 400 rows of five values at the least.
    int odsTables = 0, odsCells = 0, odtTables = 0, odtCells = 0;
    ASSERT_EQ(
        std::sscanf(out.c_str(), "TABLES %d CELLS %d TABLES %d CELLS %d", &odsTables, &odsCells, &odtTables, &odtCells),
        4)
        << out;
    EXPECT_GT(odsTables, 2);
    EXPECT_EQ(odsTables, odtTables);
    EXPECT_GT(odsCells, 2000);
    EXPECT_EQ(odsCells, odtCells);
  }
  const std::string soffice = FindTool("soffice");
  if (soffice.empty() || !PythonHas("html.parser")) GTEST_SKIP() << "needs LibreOffice and Python";
  // One start of LibreOffice for both: every sheet to its own CSV file, the
  // text document to plain text.
  Shell("cd " + Quote(dir.Path()) + " && timeout 600 " + Quote(soffice) + " -env:UserInstallation=file://" +
        dir.Path() +
        "/profile --headless --convert-to 'csv:Text - txt - csv "
        "(StarCalc):44,34,76,1,,0,false,true,false,false,false,-1' --outdir csv " +
        Quote(ods) + " >/dev/null 2>&1; timeout 600 " + Quote(soffice) + " -env:UserInstallation=file://" + dir.Path() +
        "/profile --headless --convert-to 'txt:Text (encoded):UTF8' --outdir txt " + Quote(odt) + " >/dev/null 2>&1");
  std::string csv;
  for (const auto& e : fs::directory_iterator(dir.File("csv"))) csv += ReadFile(e.path().string()) + "\n";
  const std::string txt = ReadFile(dir.File("txt/report.txt"));
  // The words the HTML shows, as a browser's text.
  const std::string shown = RunPython(dir,
                                      "import sys, html.parser\n"
                                      "class P(html.parser.HTMLParser):\n"
                                      "    skip = False\n"
                                      "    def handle_starttag(self, t, a): self.skip = t in ('style', 'title')\n"
                                      "    def handle_endtag(self, t): self.skip = False\n"
                                      "    def handle_data(self, d):\n"
                                      "        if not self.skip: sys.stdout.write(d + ' ')\n"
                                      "P().feed(open(sys.argv[1], encoding='utf-8').read())\n",
                                      Quote(html));
  const std::set<std::string> words = Words(shown);
  ASSERT_GT(words.size(), 400u) << shown.substr(0, 1000);
  const std::set<std::string> inCsv = Words(csv), inTxt = Words(txt);
  int missingCsv = 0, missingTxt = 0;
  for (const std::string& w : words) {
    // CSV quotes a field with a quote in it: compare the hostile note apart.
    if (w.find('"') != std::string::npos) continue;
    if (!inCsv.count(w) && csv.find(w) == std::string::npos && ++missingCsv < 10) ADD_FAILURE() << "CSV lacks " << w;
    if (!inTxt.count(w) && txt.find(w) == std::string::npos && ++missingTxt < 10) ADD_FAILURE() << "text lacks " << w;
  }
  for (const std::string& out : {csv, txt}) EXPECT_NE(out.find("Отчет о процессе регистрации"), std::string::npos);
}

}  // namespace
