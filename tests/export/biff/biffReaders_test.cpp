// Workbooks built from code, read back by independent readers: xlrd (values,
// types, fonts, formats, merges, sizes, breaks, rich text), olefile (the
// compound file and its property sets) and LibreOffice (every sheet as CSV,
// formulas recalculated).
#include <gtest/gtest.h>

#include "export/biff/biffFile.h"
#include "export/biff/biffFormulaCompiler.h"
#include "export/biff/olepsStream.h"
#include "tests/export/biff/biff_test_util.h"

namespace {

using namespace report;
using namespace rtl::literals;

void AddNumber(TBiffSheet& sheet, int row, int col, double value, int xf = 15) {
  auto c = std::make_unique<TBiffNumberCell>(value);
  c->Row = row;
  c->Col = col;
  c->XF = xf;
  sheet.AddCell(std::move(c));
}

void AddText(TBiffWorkbook& book, TBiffSheet& sheet, int row, int col, const WideString& text, int xf = 15) {
  auto c = std::make_unique<TBiffTextCell>(book.AddString(text));
  c->Row = row;
  c->Col = col;
  c->XF = xf;
  sheet.AddCell(std::move(c));
}

void AddFormula(TBiffWorkbook& book, TBiffSheet& sheet, int row, int col, const AnsiString& text) {
  TBiffFormulaCompiler compiler;
  compiler.LinkTable = book.GetLinkTable();
  compiler.Compile(text);
  auto c = std::make_unique<TBiffFormulaCell>(compiler.Code());
  c->Row = row;
  c->Col = col;
  sheet.AddCell(std::move(c));
}

// Two sheets with every kind of content the writer has.
std::unique_ptr<TBiffWorkbook> SampleWorkbook() {
  auto book = std::make_unique<TBiffWorkbook>();
  auto bold = std::make_unique<TBiffFont>();
  bold->Weight = 700;
  bold->Height = 280;
  bold->Name = u"Times New Roman";
  const int boldFont = book->AddFont(std::move(bold));
  auto italic = std::make_unique<TBiffFont>();
  italic->Options = 0x0002;
  italic->Color = static_cast<std::uint16_t>(book->AddColor(0x0000C0));
  const int italicFont = book->AddFont(std::move(italic));

  auto xfBold = std::make_unique<TBiffXF>();
  xfBold->Font = boldFont;
  xfBold->Parent = 0;
  const int boldXf = book->AddXF(std::move(xfBold));
  auto xfMoney = std::make_unique<TBiffXF>();
  xfMoney->Format = book->AddFormat(u"#,##0.00");
  xfMoney->Parent = 0;
  const int moneyXf = book->AddXF(std::move(xfMoney));
  auto xfDate = std::make_unique<TBiffXF>();
  xfDate->Format = book->AddFormat(u"dd.mm.yyyy hh:mm");
  xfDate->Parent = 0;
  const int dateXf = book->AddXF(std::move(xfDate));

  auto data = std::make_unique<TBiffSheet>(book.get());
  data->Name = u"Data";
  AddText(*book, *data, 0, 0, u"Name", boldXf);
  AddText(*book, *data, 0, 1, u"Value", boldXf);
  AddText(*book, *data, 1, 0, u"\u041A\u0438\u0440\u043F\u0438\u0447");  // Russian
  AddNumber(*data, 1, 1, 1234.5, moneyXf);
  AddText(*book, *data, 2, 0, u"\u6F22\u5B57 \u00E9");  // beyond Latin-1
  AddNumber(*data, 2, 1, 42, moneyXf);
  AddNumber(*data, 3, 1, 45000.75, dateXf);
  auto rich = std::make_unique<TBiffUCS>(u"plain bold", true);
  rich->AddFormat(6, italicFont);
  auto richCell = std::make_unique<TBiffTextCell>(book->AddString(std::move(rich)));
  richCell->Row = 4;
  richCell->Col = 0;
  data->AddCell(std::move(richCell));
  AddText(*book, *data, 5, 0, u"Name");  // shared string reused
  data->MergeCells({0, 6, 2, 7});
  data->SetColWidth(0, 6000);
  data->SetRowHeight(1, 600);
  data->SetRowHeight(9, 400);  // a row without cells
  data->AddPageBreak(5);
  book->AddSheet(std::move(data));

  auto calc = std::make_unique<TBiffSheet>(book.get());
  calc->Name = u"Calc";
  AddNumber(*calc, 0, 0, 2);
  AddNumber(*calc, 1, 0, 3);
  AddFormula(*book, *calc, 2, 0, "SUM(A1:A2)*10");
  AddFormula(*book, *calc, 3, 0, "Data!B2+1");
  AddFormula(*book, *calc, 4, 0, "IF(A1>1,\"big\",\"small\")&\"!\"");
  AddFormula(*book, *calc, 5, 0, "ROUND(2^3^2/7,2)");
  AddFormula(*book, *calc, 6, 0, "SUM('Data'!B2:B3)");
  AddFormula(*book, *calc, 7, 0, "\"фу\"&\"x\""_cp);
  book->AddSheet(std::move(calc));
  return book;
}

TEST(BiffReaders, MemoryAndFileCacheFilesAreIdentical) {
  auto book = SampleWorkbook();
  TBiffDocumentInfo info;
  info.Created = OlepsFileTimeFromUnix(1700000000);
  const std::string cached = bifftest::WorkbookFile(*book, true, info);
  EXPECT_EQ(cached, bifftest::WorkbookFile(*book, false, info));
  EXPECT_GT(cached.size(), 4096u);
}

TEST(BiffReaders, XlrdReadsValuesTypesAndFormatting) {
  if (!bifftest::HavePythonModule("xlrd")) GTEST_SKIP() << "xlrd (Debian python3-xlrd) missing";
  ScratchFolder folder;
  auto book = SampleWorkbook();
  bifftest::WriteText(folder.File("sample.xls"), bifftest::WorkbookFile(*book, true));
  const std::string script = R"PY(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
errors = []
def check(what, got, want):
    if got != want: errors.append("%s: %r != %r" % (what, got, want))
check("sheets", b.sheet_names(), ["Data", "Calc"])
d = b.sheet_by_index(0)
check("A1", d.cell_value(0, 0), "Name")
check("A2", d.cell_value(1, 0), "\u041a\u0438\u0440\u043f\u0438\u0447")
check("B2", d.cell_value(1, 1), 1234.5)
check("B2 type", d.cell_type(1, 1), xlrd.XL_CELL_NUMBER)
check("A3", d.cell_value(2, 0), "\u6f22\u5b57 \u00e9")
check("A6", d.cell_value(5, 0), "Name")
def font(r, c): return b.font_list[b.xf_list[d.cell_xf_index(r, c)].font_index]
check("A1 bold", font(0, 0).weight, 700)
check("A1 font", font(0, 0).name, "Times New Roman")
check("A1 height", font(0, 0).height, 280)
check("A2 font", font(1, 0).name, "Arial")
def fmt(r, c): return b.format_map[b.xf_list[d.cell_xf_index(r, c)].format_key].format_str
check("B2 format", fmt(1, 1), "#,##0.00")
check("B4 format", fmt(3, 1), "dd.mm.yyyy hh:mm")
check("merged", d.merged_cells, [(6, 8, 0, 3)])
check("col width", d.colinfo_map[0].width, 6000)
check("row height", d.rowinfo_map[1].height, 600)
check("row 10 height", d.rowinfo_map[9].height, 400)
check("breaks", d.horizontal_page_breaks, [(5, 0, 254)])
runs = d.rich_text_runlist_map.get((4, 0))
check("runs", [r[0] for r in runs or []], [6])
if runs:
    f = b.font_list[runs[0][1]]
    check("run italic", f.italic, 1)
    check("run colour", b.colour_map.get(f.colour_index), (0xC0, 0, 0))
c = b.sheet_by_index(1)
check("calc A1", c.cell_value(0, 0), 2.0)
check("formula cell type", c.cell_type(2, 0), xlrd.XL_CELL_NUMBER)
print("; ".join(errors) if errors else "OK")
)PY";
  EXPECT_EQ(bifftest::RunPython(folder, script, folder.File("sample.xls")), "OK\n");
}

TEST(BiffReaders, OlefileParsesTheCompoundFileAndPropertySets) {
  if (!bifftest::HavePythonModule("olefile")) GTEST_SKIP() << "olefile (Debian python3-olefile) missing";
  ScratchFolder folder;
  auto book = SampleWorkbook();
  TBiffDocumentInfo info;
  info.Title = u"\u041E\u0442\u0447\u0451\u0442";
  info.Author = u"Tester";
  info.Company = u"Brickworks";
  info.Created = OlepsFileTimeFromUnix(1700000000);
  bifftest::WriteText(folder.File("sample.xls"), bifftest::WorkbookFile(*book, false, info));
  const std::string script = R"PY(
import sys, olefile, datetime
olefile.olefile.DEBUG_MODE = False
ole = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)
errors = []
def check(what, got, want):
    if got != want: errors.append("%s: %r != %r" % (what, got, want))
check("streams", sorted(ole.listdir()), [["\x05DocumentSummaryInformation"], ["\x05SummaryInformation"], ["Workbook"]])
meta = ole.get_metadata()
check("codepage", meta.codepage, 1200)
# olefile reads code-page strings as 8-bit text; decode them by the set's code page.
import struct
def strings(name):
    data = ole.openstream(name).read()
    offset = struct.unpack_from("<I", data, 44)[0]
    count = struct.unpack_from("<I", data, offset + 4)[0]
    out = {}
    for k in range(count):
        pid, at = struct.unpack_from("<II", data, offset + 8 + 8 * k)
        kind = struct.unpack_from("<H", data, offset + at)[0]
        if kind == 30:
            n = struct.unpack_from("<I", data, offset + at + 4)[0]
            out[pid] = data[offset + at + 8: offset + at + 8 + n].decode("utf-16-le").rstrip("\0")
    return out
si = strings("\x05SummaryInformation")
check("title", si.get(2), "\u041e\u0442\u0447\u0451\u0442")
check("author", si.get(4), "Tester")
check("last author", si.get(8), "Tester")
check("company", strings("\x05DocumentSummaryInformation").get(15), "Brickworks")
check("created", meta.create_time, datetime.datetime(2023, 11, 14, 22, 13, 20))
props = ole.getproperties("\x05SummaryInformation")
check("codepage", props.get(1), 1200)
check("workbook size", ole.get_size("Workbook") > 1000, True)
print("; ".join(errors) if errors else "OK")
)PY";
  EXPECT_EQ(bifftest::RunPython(folder, script, folder.File("sample.xls")), "OK\n");
}

TEST(BiffReaders, LibreOfficeConvertsEverySheetAndRecalculates) {
  if (!bifftest::HaveCalc()) GTEST_SKIP() << "LibreOffice Calc (Debian libreoffice-calc-nogui) missing";
  ScratchFolder folder;
  auto book = SampleWorkbook();
  bifftest::WriteText(folder.File("sample.xls"), bifftest::WorkbookFile(*book, true));
  const auto csv = bifftest::CalcCsv(folder, folder.File("sample.xls"), {"Data", "Calc"});
  ASSERT_EQ(csv.size(), 2u);
  EXPECT_NE(csv[0].find("\xD0\x9A\xD0\xB8\xD1\x80\xD0\xBF\xD0\xB8\xD1\x87,1234.5"), std::string::npos) << csv[0];
  EXPECT_NE(csv[0].find("plain bold"), std::string::npos) << csv[0];
  EXPECT_EQ(csv[1], "2\n3\n50\n1235.5\nbig!\n9.14\n1276.5\n\xD1\x84\xD1\x83x\n") << csv[1];
}

}  // namespace
