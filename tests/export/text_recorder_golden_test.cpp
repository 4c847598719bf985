// The program's recorder report of a process file exported as dot-matrix
// text, read back by iconv (from code page 1251 with the main window's
// stored settings, from code page 866 with the OEM code page and graphic
// frames) and compared with the golden files
// data/recorder_report_text.txt and data/recorder_report_oem.txt (UTF-8).
// data/README.md says how their content was checked.
#include <gtest/gtest.h>

#include <string>

#include "app/ProcessReport.h"
#include "app/ReportEngineStartup.h"
#include "engine_fixture.h"
#include "export/vuzExportRes.h"
#include "export/vuzExportTXT.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/format_settings.h"
#include "report/vuzClassReport.h"
#include "tests/support/external_tools.h"
#include "tests/support/files.h"
#include "tests/support/process_files.h"
#include "tests/support/scratch_folder.h"

namespace export_test {

namespace {

using namespace rtl::literals;

class RecorderReportText : public ::testing::Test {
 protected:
  void SetUp() override {
    if (support::FindTool("iconv").empty()) GTEST_SKIP() << support::Missing("iconv", "libc-bin");
    report::vuzLoadExportResources();
    rtl::CurrentFormatSettings().DecimalSeparator = ',';  // numbers as the program shows them
    support::ProcessFileSpec spec;
    spec.channels = 4;
    spec.points = 130;
    spec.start = {2026, 3, 14, 9, 30, 0};
    spec.note1 = "Кирпич М150"_cp;
    spec.note2 = "Камера 2"_cp;
    process_ = support::WriteProcessFile(dir_.Path(), spec);
    // The report's title carries the day it was printed: 16.03.2026.
    savedNow_ = rtl::SetNowSource([] { return rtl::TDateTime(46'097.5); });
  }
  void TearDown() override {
    rtl::CurrentFormatSettings().DecimalSeparator = saved_;
    rtl::SetNowSource(savedNow_);
  }

  // The report exported by a filter set up as the caller says; answers the
  // file read back through iconv from the code page.
  template <class Setup>
  std::string Export(const char* codePage, Setup setup) {
    app::TShownProcess process;
    EXPECT_EQ(app::LoadShownProcess(rtl::Utf8ToAnsi(process_), app::TDisplayOptions{}, process),
              app::TProcessLoadResult::Loaded);
    app::TShownProcessSource source(process, app::TProcessChartView{});
    app::TRecorderReport recorder(source, source.TableColCount());
    report::TfrxReport& r = recorder.Report();
    r.EngineOptions()->NewSilentMode = report::simSilent;
    r.SetShowProgress(false);
    if (!recorder.Prepare()) return "not prepared";
    report::TfrxTXTExport f(nullptr);
    f.ShowDialog = false;
    f.ShowProgress = false;
    f.FileName = dir_.File("report.txt");
    setup(f);
    if (!r.Export(&f)) return "not exported";
    return support::CommandOutput(std::string("iconv -f ") + codePage + " -t UTF-8 '" + dir_.File("report.txt") +
                                  "' 2>&1");
  }

  app::TReportEngineStartup started_;
  support::ScratchFolder dir_;
  std::string process_;
  char saved_ = rtl::CurrentFormatSettings().DecimalSeparator;
  rtl::NowSource savedNow_ = nullptr;
};

}  // namespace

TEST_F(RecorderReportText, StoredSettings) {
  const std::string text = Export("CP1251", [](report::TfrxTXTExport&) {});
  EXPECT_TRUE(engine_test::MatchesGolden("recorder_report_text", text));
}

TEST_F(RecorderReportText, OemCodePageWithGraphicFrames) {
  const std::string text = Export("CP866", [](report::TfrxTXTExport& f) {
    f.OEMCodepage = true;
    f.Borders = true;
    f.Pseudogrpahic = true;
  });
  EXPECT_TRUE(engine_test::MatchesGolden("recorder_report_oem", text));
}

}  // namespace export_test
