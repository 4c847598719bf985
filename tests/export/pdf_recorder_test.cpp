// The recorder's report of a process file through zarnik-report to PDF,
// with and without a password, read back by qpdf, poppler and mupdf.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "pdf_fixture.h"
#include "tests/support/external_tools.h"
#include "tests/support/process_files.h"
#include "tests/support/scratch_folder.h"

namespace export_test {

namespace {

// zarnik-report is built beside the test programs.
std::string ReportTool() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return {};
  const std::filesystem::path tool = std::filesystem::path(std::string(self, n)).parent_path() / "zarnik-report";
  return std::filesystem::exists(tool) ? tool.string() : std::string();
}

TEST(PdfRecorderReport, ZarnikReportWritesReadablePdfWithAndWithoutPassword) {
  const std::string tool = ReportTool();
  if (tool.empty()) GTEST_SKIP() << "zarnik-report is not built";
  for (const char* reader : {"qpdf", "pdftotext", "pdffonts", "mutool"})
    if (support::FindTool(reader).empty()) GTEST_SKIP() << support::Missing(reader, "qpdf, poppler-utils, mupdf-tools");
  support::ScratchFolder dir;
  support::ProcessFileSpec spec;
  spec.points = 3'000;
  const std::string process = support::WriteProcessFile(dir.Path(), spec);
  const std::string plain = dir.Path() + "plain.pdf", locked = dir.Path() + "locked.pdf";

  const CommandResult run = RunCommand(tool + " " + process + " -o " + plain);
  ASSERT_EQ(run.status, 0) << run.output;
  const CommandResult check = RunCommand("qpdf --check " + plain);
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_EQ(RunCommand("mutool show " + plain + " trailer").status, 0);
  const CommandResult text = RunCommand("pdftotext -enc UTF-8 " + plain + " -");
  EXPECT_EQ(text.status, 0);
  EXPECT_GT(text.output.size(), 10'000u);
  EXPECT_NE(text.output.find("Отчет о процессе регистрации"), std::string::npos) << text.output.substr(0, 500);
  const CommandResult fonts = RunCommand("pdffonts " + plain);
  EXPECT_NE(fonts.output.find("CID TrueType"), std::string::npos) << fonts.output;

  const CommandResult run2 = RunCommand(tool + " " + process + " -o " + locked + " --password s3cret");
  ASSERT_EQ(run2.status, 0) << run2.output;
  const std::string out = dir.Path() + "open.pdf";
  EXPECT_EQ(RunCommand("qpdf --password=s3cret --decrypt " + locked + " " + out).status, 0);
  EXPECT_NE(RunCommand("qpdf --password=wrong --decrypt " + locked + " " + out).status, 0);
  EXPECT_NE(RunCommand("qpdf --show-encryption --password=s3cret " + locked).output.find("P = -4"), std::string::npos);
}

}  // namespace

}  // namespace export_test
