// The recorder's report of a process file as a workbook, read by readers we
// did not write: zarnik-report writes it (plain and with a password); xlrd
// reads every cell with its format, olefile parses the compound file
// strictly, LibreOffice (one start for every file) opens the plain file,
// writes every sheet as CSV equal to what xlrd reads, and opens the locked
// file only with its password. In the process, the pooled and the serial
// conversion give the same xlrd dump.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/ProcessReport.h"
#include "app/ReportEngineStartup.h"
#include "export/biff/vuzExportBIFF.h"
#include "platform/rtl/format_settings.h"
#include "report/vuzClassReport.h"
#include "tests/export/biff/xls_dump.h"
#include "tests/support/process_files.h"
#include "tests/support/watchdog.h"

namespace {

using namespace report;

std::string ReportTool() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return {};
  const auto tool =
      std::filesystem::path(std::string(self, static_cast<std::size_t>(n))).parent_path() / "zarnik-report";
  return std::filesystem::exists(tool) ? tool.string() : std::string();
}

TEST(BiffRecorderReport, ZarnikReportWorkbookReadByXlrdOlefileAndLibreOffice) {
  const std::string tool = ReportTool();
  if (tool.empty()) GTEST_SKIP() << "zarnik-report is not built";
  for (const char* module : {"xlrd", "olefile", "uno"})
    if (!bifftest::HavePythonModule(module))
      GTEST_SKIP() << module << " missing (Debian python3-xlrd, python3-olefile, python3-uno)";
  if (!bifftest::HaveCalc()) GTEST_SKIP() << "LibreOffice Calc (Debian libreoffice-calc-nogui) missing";
  support::Watchdog watchdog(std::chrono::minutes(5));
  support::ScratchFolder folder;
  support::ProcessFileSpec spec;
  spec.points = 3'000;
  const std::string process = support::WriteProcessFile(folder.Path(), spec);
  const std::string plain = folder.File("report.xls"), locked = folder.File("locked.xls");
  ASSERT_EQ(bifftest::Capture(tool + " " + process + " -o " + plain + " >/dev/null 2>&1; echo $?"), "0\n");
  ASSERT_EQ(bifftest::Capture(tool + " " + process + " -o " + locked + " --password s3cret >/dev/null 2>&1; echo $?"),
            "0\n");
  ASSERT_EQ(
      bifftest::Capture(tool + " " + process + " -o " + folder.File("named") + " -f biff >/dev/null 2>&1; echo $?"),
      "0\n");

  const auto dumps = bifftest::XlsDump(folder, {plain, locked, folder.File("named")});
  const std::string& dump = dumps.at("report.xls");
  EXPECT_EQ(dumps.at("named"), dump);
  EXPECT_NE(dumps.at("locked.xls").find("Workbook is encrypted"), std::string::npos) << dumps.at("locked.xls");
  const auto sheets = bifftest::SheetLines(dump);
  ASSERT_GE(sheets.size(), 2u) << dump.substr(0, 2000);
  EXPECT_NE(dump.find("Отчет о процессе регистрации"), std::string::npos) << dump.substr(0, 3000);
  // The report's table: its head and its measurements (texts: the report
  // formats them itself, with no numeric display format).
  EXPECT_NE(dump.find("t1 'Темп.среды, °C'"), std::string::npos) << dump.substr(0, 6000);
  EXPECT_NE(dump.find("t1 'Отсчетов: 3000'"), std::string::npos) << dump.substr(0, 6000);
  EXPECT_EQ(dump.find("ERROR"), std::string::npos);

  const std::string olefile = R"PY(
import sys, olefile
ole = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)
print(sorted("/".join(e) for e in ole.listdir()))
print(ole.get_type("Workbook") == olefile.STGTY_STREAM, ole.get_size("Workbook") > 100000)
print(sorted(ole.getproperties("\x05SummaryInformation")))
)PY";
  EXPECT_EQ(bifftest::RunPython(folder, olefile, plain),
            "['\\x05DocumentSummaryInformation', '\\x05SummaryInformation', 'Workbook']\nTrue True\n[12, 13, 19]\n");

  // Every sheet through LibreOffice as CSV against xlrd's values, and the
  // locked file with and without its password: one LibreOffice for all.
  const std::string body = R"PY(
    import csv, glob, xlrd
    errors = []
    book = xlrd.open_workbook(sys.argv[2])
    doc = load()
    if doc == "refused":
        errors.append("plain file refused")
    else:
        out = os.path.join(folder, "csv")
        os.makedirs(out, exist_ok=True)
        doc.storeToURL(uno.systemPathToFileUrl(os.path.join(out, "report.csv")),
                       (PropertyValue(Name="FilterName", Value="Text - txt - csv (StarCalc)"),
                        PropertyValue(Name="FilterOptions", Value="44,34,76,1,,0,false,true,false,false,false,-1")))
        doc.close(True)
        for s in book.sheets():
            with open(os.path.join(out, "report-" + s.name + ".csv"), encoding="utf-8") as f:
                rows = list(csv.reader(f))
            for r in range(s.nrows):
                for c in range(s.ncols):
                    want = s.cell_value(r, c)
                    got = rows[r][c] if r < len(rows) and c < len(rows[r]) else ""
                    same = float(got) == want if isinstance(want, float) and got != "" else got == want
                    if not same and len(errors) < 10:
                        errors.append("%s %d,%d: %r against %r" % (s.name, r, c, got, want))
    url = uno.systemPathToFileUrl(sys.argv[3])
    def load_locked(password):
        props = [PropertyValue(Name="Hidden", Value=True)]
        if password is not None: props.append(PropertyValue(Name="Password", Value=password))
        try:
            d = desktop.loadComponentFromURL(url, "_blank", 0, tuple(props))
        except Exception:
            return None
        return d
    if load_locked(None) is not None: errors.append("opened without a password")
    if load_locked("wrong") is not None: errors.append("opened with a wrong password")
    d = load_locked("s3cret")
    if d is None:
        errors.append("refused its password")
    else:
        first = d.Sheets.getByIndex(0)
        if first.getCellByPosition(0, 0).getString() != book.sheet_by_index(0).cell_value(0, 0):
            errors.append("locked A1 differs")
        d.close(True)
    print("; ".join(errors) if errors else "OK")
)PY";
  const std::string result = bifftest::CalcUno(folder, plain + " " + locked, body);
  EXPECT_EQ(result.substr(result.size() >= 3 ? result.size() - 3 : 0), "OK\n") << result;
}

TEST(BiffRecorderReport, PooledAndSerialConversionsReadTheSame) {
  if (!bifftest::HavePythonModule("xlrd")) GTEST_SKIP() << "xlrd (Debian python3-xlrd) missing";
  support::Watchdog watchdog(std::chrono::minutes(3));
  support::ScratchFolder folder;
  support::ProcessFileSpec spec;
  spec.points = 2'000;
  const std::string file = support::WriteProcessFile(folder.Path(), spec);
  app::TReportEngineStartup started;
  rtl::CurrentFormatSettings().DecimalSeparator = ',';
  app::TShownProcess process;
  ASSERT_EQ(app::LoadShownProcess(rtl::Utf8ToAnsi(file), app::TDisplayOptions{}, process),
            app::TProcessLoadResult::Loaded);
  app::TShownProcessSource source(process, app::TProcessChartView{});
  app::TRecorderReport recorder(source, source.TableColCount());
  TfrxReport& r = recorder.Report();
  r.EngineOptions()->NewSilentMode = simSilent;
  r.SetShowProgress(false);
  ASSERT_TRUE(recorder.Prepare());
  for (const auto& [name, threads] : {std::pair<const char*, int>{"serial.xls", 0}, {"pooled.xls", 4}}) {
    TfrxBIFFExport f;
    f.ShowDialog = false;
    f.ShowProgress = false;
    f.SetParallelPages(threads);
    f.FileName = folder.File(name);
    ASSERT_TRUE(r.Export(&f)) << name;
  }
  const auto dumps = bifftest::XlsDump(folder, {folder.File("serial.xls"), folder.File("pooled.xls")});
  EXPECT_GT(bifftest::SheetLines(dumps.at("serial.xls")).size(), 1u);
  EXPECT_EQ(dumps.at("pooled.xls"), dumps.at("serial.xls"));
}

}  // namespace
