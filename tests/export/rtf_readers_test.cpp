// RTF documents read by programs we did not write: LibreOffice headless
// converts them to text and to PDF (read back by pdftotext), unrtf writes
// them as text and as HTML (tables as rows and cells). A fixture with
// hostile memo text, and the recorder's report made by zarnik-report, whose
// every text must come through.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "engine_fixture.h"
#include "export/vuzExportRTF.h"
#include "export/vuzExportRes.h"
#include "platform/rtl/strings.h"
#include "report/vuzClassMemo.h"
#include "tests/export/export_tools.h"
#include "tests/support/process_files.h"

namespace {

using namespace exporttest;
using rtl::AnsiString;
using namespace rtl::literals;

// Quotes, markup characters, a tab, a control character and Cyrillic.
const char kHostileUtf8[] =
    "Q\"uo'te <b>&amp; a&b\tTab\x01"
    "end Сушка {x} \\y";

std::string ReportTool() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return {};
  const auto tool = std::filesystem::path(std::string(self, n)).parent_path() / "zarnik-report";
  return std::filesystem::exists(tool) ? tool.string() : std::string();
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

std::string WithoutBom(std::string text) {
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  return text;
}

// Two pages of framed cells, a page header, a hostile memo and a
// 10,000-character line.
struct HostileReport {
  HostileReport() {
    report::TfrxReportPage* page = b.AddPage();
    auto& data = b.AddDataSet("Rows", {"N", "T"},
                              {{rtl::Variant(1), rtl::Variant(AnsiString("Один"_cp))},
                               {rtl::Variant(2), rtl::Variant(AnsiString("Два"_cp))}});
    b.AddMemo(b.AddBand<report::TfrxPageHeader>(page, 0, 20), 0, 0, 300, 20, "Шапка страницы");
    auto* band = b.AddDataBand(page, 40, 60, data);
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

class RtfReaders : public ::testing::Test {
 protected:
  void SetUp() override { report::vuzLoadExportResources(); }
  // One LibreOffice start converts every file to the format.
  void Convert(const std::string& soffice, const std::string& format, const std::string& files) {
    Shell("timeout 600 " + Quote(soffice) + " -env:UserInstallation=file://" + dir.Path() +
          "/profile --headless --convert-to " + format + " --outdir " + Quote(dir.File("out")) + files);
  }
  engine_test::EngineScope scope;
  TempDir dir;
};

TEST_F(RtfReaders, HostileTextAndRecorderReportSurviveEveryReader) {
  const std::string soffice = FindTool("soffice");
  if (soffice.empty() || FindTool("unrtf").empty() || FindTool("pdftotext").empty())
    GTEST_SKIP() << "needs LibreOffice (libreoffice-writer-nogui), unrtf and poppler-utils";
  {
    HostileReport r;
    report::TfrxRTFExport f;
    f.ShowDialog = false;
    f.ShowProgress = false;
    f.FileName = dir.File("hostile.rtf");
    f.Report = &r.b.Report();
    ASSERT_TRUE(r.b.Store().Export(&f));
  }
  // The recorder's report, and its prepared pages to learn what it shows.
  const std::string tool = ReportTool();
  std::set<std::string> reportTexts;
  int pages = 0;
  std::string files = " " + Quote(dir.File("hostile.rtf"));
  if (!tool.empty()) {
    support::ProcessFileSpec spec;
    spec.points = 600;
    const std::string process = support::WriteProcessFile(dir.Path() + "/", spec);
    ASSERT_EQ(Shell(Quote(tool) + " " + Quote(process) + " -o " + Quote(dir.File("recorder.rtf"))), 0);
    ASSERT_EQ(Shell(Quote(tool) + " " + Quote(process) + " -o " + Quote(dir.File("recorder.fp3"))), 0);
    report::TfrxReport prepared;
    ASSERT_TRUE(prepared.PreviewPages()->LoadFromFile(dir.File("recorder.fp3")));
    for (int p = 0; p < prepared.PreviewPages()->GetCount(); ++p)
      for (auto* band : prepared.PreviewPages()->GetPage(p)->Objects())
        for (auto* o : band->Objects())
          if (auto* m = dynamic_cast<report::TfrxMemoView*>(o)) {
            const std::string text = rtl::WideToUtf8(m->Text());
            std::size_t start = 0;
            for (std::size_t end; start < text.size(); start = end + 1) {
              end = text.find_first_of("\r\n", start);
              if (end == std::string::npos) end = text.size();
              std::string line = text.substr(start, end - start);
              line.erase(line.find_last_not_of(' ') + 1);
              if (!line.empty()) reportTexts.insert(line);
            }
          }
    EXPECT_GT(reportTexts.size(), 100u);
    pages = prepared.PreviewPages()->GetCount();
    files += " " + Quote(dir.File("recorder.rtf"));
  }

  Convert(soffice, "'txt:Text (encoded):UTF8'", files);
  Convert(soffice, "pdf", files);

  // LibreOffice's text: every value, the hostile memo as typed but for the
  // control character, the long line whole.
  const std::string txt = WithoutBom(ReadFile(dir.File("out/hostile.txt")));
  for (const char* v : {"Один", "Два", "Шапка страницы", "Q\"uo'te <b>&amp; a&b\tTabend Сушка {x} \\y"})
    EXPECT_NE(txt.find(v), std::string::npos) << v << "\n" << txt.substr(0, 1500);
  EXPECT_NE(txt.find(std::string(10000, 'x')), std::string::npos);
  EXPECT_EQ(Count(txt, "Шапка страницы"), 2);
  // The PDF LibreOffice made: two pages, the texts there too.
  const std::string pdf = dir.File("out/hostile.pdf");
  ASSERT_TRUE(std::filesystem::exists(pdf));
  EXPECT_NE(Output("pdfinfo " + Quote(pdf)).find("Pages:           2"), std::string::npos);
  const std::string pdfText = Output("pdftotext -enc UTF-8 " + Quote(pdf) + " -");
  for (const char* v : {"Один", "Два", "Q\"uo'te <b>&amp; a&b", "Сушка {x} \\y"})
    EXPECT_NE(pdfText.find(v), std::string::npos) << v << "\n" << pdfText.substr(0, 1500);

  // unrtf: its text mode writes ASCII only (non-ASCII characters come out
  // as single bytes), so Cyrillic is read from its HTML, where tables are
  // rows and cells.
  const std::string plain = Output("unrtf --text " + Quote(dir.File("hostile.rtf")) + " 2>&1");
  for (const char* v : {"Q\"uo'te <b>&amp; a&b", "Tabend", "{x} \\y"})
    EXPECT_NE(plain.find(v), std::string::npos) << v << "\n" << plain.substr(0, 1500);
  EXPECT_NE(plain.find(std::string(10000, 'x')), std::string::npos);
  const std::string html = Output("unrtf --html " + Quote(dir.File("hostile.rtf")) + " 2>&1");
  EXPECT_GE(Count(html, "<table"), 1);
  EXPECT_GE(Count(html, "<tr>"), 4) << html.substr(0, 3000);
  EXPECT_GE(Count(html, "<td"), 8);
  // "Один" and "Сушка" as character references.
  EXPECT_NE(html.find("&#1054;&#1076;&#1080;&#1085;"), std::string::npos);
  EXPECT_NE(html.find("&#1057;&#1091;&#1096;&#1082;&#1072;"), std::string::npos);
  EXPECT_NE(html.find("&lt;b&gt;&amp;amp; a&amp;b"), std::string::npos);

  if (tool.empty()) GTEST_SKIP() << "zarnik-report is not built";
  const std::string rec = WithoutBom(ReadFile(dir.File("out/recorder.txt")));
  EXPECT_NE(rec.find("Отчет о процессе регистрации"), std::string::npos) << rec.substr(0, 1000);
  int missing = 0;
  for (const std::string& t : reportTexts)
    if (rec.find(t) == std::string::npos && ++missing < 10) ADD_FAILURE() << "missing: " << t;
  EXPECT_EQ(missing, 0);
  const std::string recPdf = dir.File("out/recorder.pdf");
  ASSERT_TRUE(std::filesystem::exists(recPdf));
  EXPECT_NE(Output("pdftotext -enc UTF-8 " + Quote(recPdf) + " -").find("Отчет о процессе регистрации"),
            std::string::npos);
  // A page of the report is a page of the document.
  EXPECT_NE(Output("pdfinfo " + Quote(recPdf)).find("Pages:           " + std::to_string(pages) + "\n"),
            std::string::npos)
      << pages;
  // The chart comes as a picture.
  EXPECT_GE(Count(Output("pdfimages -list " + Quote(recPdf)), "\n"), 3);
  const std::string recHtml = Output("unrtf --html " + Quote(dir.File("recorder.rtf")) + " 2>/dev/null");
  EXPECT_GT(Count(recHtml, "<tr>"), 300);
}

}  // namespace
