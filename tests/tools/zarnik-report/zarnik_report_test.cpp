// zarnik-report as a developer runs it: a process file's report saved as a
// prepared-report file that the engine reads back, the format chosen by
// name or extension, and every refusal as one line on the error output with
// a non-zero exit and nothing left behind.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ReportEngineStartup.h"
#include "export/vuzExportImage.h"
#include "preview/vuzPreviewPages.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassReport.h"
#include "tests/support/files.h"
#include "tests/support/process_files.h"
#include "tests/support/scratch_folder.h"
#include "tools/zarnik-report/ReportFormats.h"

namespace fs = std::filesystem;

namespace {

struct Result {
  int exitCode = -1;
  std::string errors;
};

// Runs the tool with the arguments (already quoted where needed).
Result RunTool(const support::ScratchFolder& dir, const std::string& args) {
  const std::string err = dir.File("stderr.txt");
  // A private runtime folder, as a desktop session gives one.
  const fs::path runtime = dir.Folder() / "runtime";
  fs::create_directory(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  const std::string command = "XDG_RUNTIME_DIR='" + runtime.string() + "' QT_QPA_PLATFORM=offscreen timeout 60 '" +
                              std::string(ZARNIK_REPORT_TOOL) + "' " + args + " 2>'" + err + "' >/dev/null";
  const int status = std::system(command.c_str());
  Result r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.errors = support::ReadFile(err);
  fs::remove(err);
  return r;
}

// The files in the test's folder (the runtime folder aside).
int FileCount(const support::ScratchFolder& dir) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(dir.Folder())) n += e.path().filename() != "runtime";
  return n;
}

TEST(ZarnikReport, SavesThePreparedReportThatTheEngineReadsBack) {
  support::ScratchFolder dir("zarnik-report-");
  support::ProcessFileSpec spec;
  spec.channels = 4;
  spec.points = 120;
  spec.note1 = "Кирпич М150";
  const std::string process = support::WriteProcessFile(dir.Path(), spec);
  const Result r = RunTool(dir, "'" + process + "' -o '" + dir.File("out.fp3") + "'");
  ASSERT_EQ(r.exitCode, 0) << r.errors;
  EXPECT_EQ(r.errors, "");

  app::TReportEngineStartup engine;
  report::TfrxReport report;
  ASSERT_TRUE(report.PreviewPages()->LoadFromFile(dir.File("out.fp3")));
  // 120 points in two columns of 28 rows on page 1 and 50 on the next pages.
  ASSERT_EQ(report.PreviewPages()->GetCount(), 2);
  std::string texts;
  for (auto* band : report.PreviewPages()->GetPage(0)->Objects())
    for (auto* o : band->Objects())
      if (auto* m = dynamic_cast<report::TfrxMemoView*>(o)) texts += m->AnsiText();
  EXPECT_NE(texts.find(rtl::Utf8ToAnsi("Отсчетов: 120\r\n")), std::string::npos) << texts;
}

TEST(ZarnikReport, FormatsByNameAndExtension) {
  struct Case {
    const char* file;
    const char* format;
  } cases[] = {{"a.pdf", "pdf"}, {"a.XLS", "biff"}, {"a.htm", "html"}, {"a.jpg", "jpeg"}, {"a.tiff", "tiff"},
               {"a.fp3", "fp3"}, {"a.emf", "emf"},  {"a.ods", "ods"},  {"a.odt", "odt"},  {"a.txt", "txt"},
               {"a.rtf", "rtf"}, {"a.bmp", "bmp"},  {"a.png", "png"},  {"a.gif", "gif"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const zreport::TReportFormat* f = zreport::FindFormatByFileName(c.file);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->name, c.format);
  }
  EXPECT_EQ(zreport::FindFormatByFileName("a.doc"), nullptr);
  EXPECT_EQ(zreport::FindFormatByFileName("dir.pdf/a"), nullptr);
  EXPECT_EQ(zreport::FindFormatByName("xls-automation")->filterClass, "TfrxXLSExport");
  EXPECT_EQ(zreport::FindFormatByName("PDF")->passwordProperty, "UserPassword");
  EXPECT_EQ(zreport::FindFormatByName("biff")->passwordProperty, "Password");
  EXPECT_EQ(zreport::FindFormatByName("xlsx"), nullptr);
}

TEST(ZarnikReport, RefusalsAreOneLineAndLeaveNothingBehind) {
  support::ScratchFolder dir("zarnik-report-");
  const std::string process = support::WriteProcessFile(dir.Path(), {});
  support::WriteFile(dir.File("garbage.bin"), std::string(100, '\x5A'));
  support::WriteFile(dir.File("old.fp3"), "kept");
  // A format that no filter serves yet, if any: named so that the case
  // follows the exports as they arrive.
  std::string unserved;
  {
    app::TReportEngineStartup engine;
    rtl::TComponent pictures(nullptr);  // the tool offers the picture exports too
    report::vuzCreatePictureExports(&pictures);
    for (const zreport::TReportFormat& f : zreport::ReportFormats())
      if (!f.filterClass.empty() && !zreport::FindRegisteredFilter(f)) unserved = f.name;
  }
  struct Case {
    std::string what, args, message;
  } cases[] = {
      {"missing file", "'" + dir.File("none.bin") + "' -o '" + dir.File("old.fp3") + "'", "cannot read"},
      {"damaged file", "'" + dir.File("garbage.bin") + "' -o '" + dir.File("old.fp3") + "'", "damaged"},
      {"folder as process", "'" + dir.Path() + "' -o '" + dir.File("old.fp3") + "'", "cannot read"},
      {"unwritable output", "'" + process + "' -o '" + dir.File("no/such/dir/x.fp3") + "'", "cannot write"},
      {"unknown extension", "'" + process + "' -o '" + dir.File("x.doc") + "'", "cannot tell the format"},
      {"unknown format", "'" + process + "' -f docx -o '" + dir.File("x.fp3") + "'", "unknown format"},
      {"pages for fp3", "'" + process + "' --pages 1-2 -o '" + dir.File("x.fp3") + "'", "--pages"},
      {"bad page list", "'" + process + "' --pages 1-x -f pdf -o '" + dir.File("x.pdf") + "'", "bad page list"},
      {"no password", "'" + process + "' --password p -o '" + dir.File("x.fp3") + "'", "has no password"},
  };
  const int before = FileCount(dir);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result r = RunTool(dir, c.args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.errors.find(c.message), std::string::npos) << r.errors;
    EXPECT_EQ(r.errors.find('\n'), r.errors.size() - 1) << "one line: " << r.errors;
    EXPECT_EQ(FileCount(dir), before) << "nothing written";
    EXPECT_EQ(support::ReadFile(dir.File("old.fp3")), "kept");
  }
  if (!unserved.empty()) {
    const Result r = RunTool(dir, "'" + process + "' -f " + unserved + " -o '" + dir.File("x.out") + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.errors.find("not available"), std::string::npos) << r.errors;
    EXPECT_EQ(FileCount(dir), before);
  }
  // Usage errors: exit 2 with the usage text.
  for (const std::string& args :
       std::vector<std::string>{"", "'" + process + "'", "-o x.fp3", "'" + process + "' -o"}) {
    SCOPED_TRACE(args);
    const Result r = RunTool(dir, args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.errors.find("usage: zarnik-report"), std::string::npos);
  }
}

}  // namespace
