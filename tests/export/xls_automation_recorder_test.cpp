// The recorder's report of a process file through zarnik-report's spreadsheet
// export by automation: the workbook the in-process application saves is
// parsed strictly by olefile and read by xlrd, and holds the same values,
// cell by cell, as the OpenDocument export of the same report read by
// python3-odf (both are laid out by the same layout matrix).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/export/export_tools.h"
#include "tests/support/process_files.h"

namespace {

using namespace exporttest;

std::string ReportTool() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return {};
  const std::filesystem::path tool = std::filesystem::path(std::string(self, n)).parent_path() / "zarnik-report";
  return std::filesystem::exists(tool) ? tool.string() : std::string();
}

// Prints every non-empty cell value of the workbook (numbers as %.6g), one
// line of "|"-joined values per row that has any.
const char kXlsValues[] = R"PY(
import sys, xlrd, olefile
ole = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)
assert ole.exists('Workbook')
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
s = b.sheet_by_index(0)
def val(c):
    if c.ctype == xlrd.XL_CELL_NUMBER: return '%.6g' % c.value
    return str(c.value).strip()
for r in range(s.nrows):
    row = [val(c) for c in s.row(r) if val(c) != '']
    if row: print('|'.join(row))
print('breaks', len(s.horizontal_page_breaks))
)PY";

// The same of an OpenDocument spreadsheet, all tables in turn.
const char kOdsValues[] = R"PY(
import sys
from odf.opendocument import load
from odf import table, teletype
d = load(sys.argv[1])
def attr(e, name):
    for k, v in e.attributes.items():
        if k[1] == name: return v
    return None
for t in d.spreadsheet.getElementsByType(table.Table):
    for r in t.getElementsByType(table.TableRow):
        row = []
        for c in r.getElementsByType(table.TableCell):
            if attr(c, 'value-type') == 'float': row.append('%.6g' % float(attr(c, 'value')))
            else:
                v = teletype.extractText(c).strip()
                if v: row.append(v)
        if row:
            n = int(attr(r, 'number-rows-repeated') or 1)
            for _ in range(n): print('|'.join(row))
)PY";

TEST(XlsAutomationRecorderReport, ReadsTheSameAsTheOpenDocumentExport) {
  const std::string tool = ReportTool();
  if (tool.empty()) GTEST_SKIP() << "zarnik-report is not built";
  if (!PythonHas("xlrd") || !PythonHas("olefile") || !PythonHas("odf.opendocument"))
    GTEST_SKIP() << "needs python3-xlrd, python3-olefile and python3-odf";
  TempDir dir;
  support::ProcessFileSpec spec;
  spec.points = 1'500;
  spec.channels = 5;
  const std::string process = support::WriteProcessFile(dir.Path(), spec);
  const std::string xls = dir.File("report.xls"), ods = dir.File("report.ods");
  ASSERT_EQ(Shell(tool + " " + Quote(process) + " -o " + Quote(xls) + " -f xls-automation"), 0);
  ASSERT_EQ(Shell(tool + " " + Quote(process) + " -o " + Quote(ods)), 0);
  std::string fromXls = RunPython(dir, kXlsValues, Quote(xls));
  const std::string fromOds = RunPython(dir, kOdsValues, Quote(ods));
  const std::size_t breaks = fromXls.rfind("breaks ");
  ASSERT_NE(breaks, std::string::npos) << fromXls.substr(0, 2000);
  const int pages = std::atoi(fromXls.c_str() + breaks + 7) + 1;
  fromXls.resize(breaks);
  EXPECT_GT(pages, 10);
  EXPECT_GT(fromXls.size(), 30'000u);
  EXPECT_NE(fromXls.find("Отчет о процессе регистрации"), std::string::npos) << fromXls.substr(0, 1000);
  EXPECT_EQ(fromXls, fromOds);
}

}  // namespace
