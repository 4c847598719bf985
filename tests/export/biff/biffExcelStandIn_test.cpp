// The in-process spreadsheet application: address lists, the members it
// answers and refuses, and the workbook it saves, read back by xlrd.
#include "export/biff/biffExcelStandIn.h"

#include <gtest/gtest.h>

#include "biff_test_util.h"
#include "platform/rtl/files.h"

namespace {

using namespace report;
using support::ScratchFolder;

TEST(ExcelStandIn, AddressLists) {
  const struct {
    const char* text;
    std::vector<TExcelArea> areas;  // empty: refused
  } cases[] = {
      {"A1", {{1, 1, 1, 1}}},
      {"B5:D6", {{2, 5, 4, 6}}},
      {"D6:B5", {{2, 5, 4, 6}}},
      {"A1,B2;C3:C4", {{1, 1, 1, 1}, {2, 2, 2, 2}, {3, 3, 3, 4}}},
      {"$A$1", {{1, 1, 1, 1}}},
      {"iv65536", {{256, 65536, 256, 65536}}},
      {"A1:A21706", {{1, 1, 1, 21706}}},
      {"IW1", {}},
      {"A0", {}},
      {"A65537", {}},
      {"", {}},
      {"1A", {}},
      {"A1,", {}},
      {"A1:", {}},
      {"AAAAAAAAAAAAAAAA1", {}},
  };
  for (const auto& c : cases) {
    if (c.areas.empty()) {
      EXPECT_THROW(BiffParseRangeText(c.text), EOleError) << c.text;
    } else {
      EXPECT_EQ(BiffParseRangeText(c.text), c.areas) << c.text;
    }
  }
}

TEST(ExcelStandIn, UnknownMembersAndBadArgumentsAreRefused) {
  rtl::Variant app = BiffCreateExcelStandIn();
  EXPECT_THROW(OleCall(app, "ActiveSheet"), EOleError);  // no workbook yet
  const rtl::Variant book = OleCall(OleCall(app, "WorkBooks"), "Add");
  EXPECT_THROW(OleCall(app, "Launch"), EOleError);
  EXPECT_THROW(OleGet(book, "WorkSheets", {2}), EOleError);
  const rtl::Variant styles = OleGet(book, "Styles");
  OleCall(styles, "Add", {"S1"});
  EXPECT_THROW(OleCall(styles, "Add", {"S1"}), EOleError);  // a name is taken once
  const rtl::Variant sheet = OleGet(book, "WorkSheets", {1});
  EXPECT_THROW(OlePut(OleGet(sheet, "Range", {"A1"}), "Style", "S9"), EOleError);
  EXPECT_THROW(OleGet(sheet, "Range", {"ZZZ1"}), EOleError);
  EXPECT_THROW(OleCall(sheet, "PasteSpecial"), EOleError);  // nothing on the clipboard
  EXPECT_THROW(OleCall(book, "SaveAs", {"x.xlsx", 51}), EOleError);
  EXPECT_THROW(OleCall(sheet, "Pictures", {1}), EOleError);
}

TEST(ExcelStandIn, SavedWorkbookReadByXlrd) {
  if (!bifftest::HavePythonModule("xlrd")) GTEST_SKIP() << "xlrd (Debian python3-xlrd) missing";
  ScratchFolder folder;
  rtl::Variant app = BiffCreateExcelStandIn();
  const rtl::Variant book = OleCall(OleCall(app, "WorkBooks"), "Add");
  const rtl::Variant sheet = OleGet(book, "WorkSheets", {1});
  const rtl::Variant style = OleCall(OleGet(book, "Styles"), "Add", {"S0"});
  OlePut(OleGet(style, "Font"), "Bold", true);
  OlePut(OleGet(style, "Font"), "Name", "Times New Roman");
  OlePut(OleGet(style, "Font"), "Size", 14);
  OlePut(OleGet(style, "Interior"), "Color", 0x00FFFF);
  OlePut(style, "HorizontalAlignment", -4108);
  OlePut(style, "Orientation", -60);
  OlePut(OleGet(sheet, "Range", {"A1,B2:C3"}), "Style", "S0");
  OlePut(OleGet(sheet, "Range", {"B2:C3"}), "MergeCells", true);
  OlePut(OleGet(OleCall(OleGet(sheet, "Range", {"A5"}), "Borders"), "Item", {9}), "Linestyle", 1);
  OlePut(OleGet(OleCall(OleCall(OleGet(sheet, "Range", {"B5:B6"}), "Cells"), "Borders"), "Item", {7}), "Linestyle", 1);
  OlePut(OleGet(sheet, "Range", {"A6"}), "NumberFormat", "0.00");
  OlePut(OleCall(sheet, "Columns", {2}), "ColumnWidth", 20);
  OlePut(OleGet(sheet, "Range", {"A1:A3"}), "RowHeight", 30);
  OlePut(OleCall(sheet, "Rows", {5}), "PageBreak", -4135);
  OlePut(OleGet(app, "ActiveWindow"), "DisplayGridlines", false);
  const std::int32_t bounds[] = {1, 6, 1, 2};
  rtl::Variant values = rtl::VarArrayCreate(bounds, rtl::varVariant);
  auto put = [&](int r, int c, const rtl::Variant& v) {
    const std::int32_t at[] = {r, c};
    values.PutElement(at, v);
  };
  put(1, 1, u"'Заголовок");
  put(2, 2, u"merged");
  put(6, 1, 1234.5);
  put(5, 1, u"'0012");  // kept as text
  OlePut(OleGet(sheet, "Range", {"A1", "B6"}), "Value", values);
  const std::string file = folder.File("standin.xls");
  OleCall(book, "SaveAs", {file, -4143});
  ASSERT_TRUE(rtl::FileExists(file));
  const std::string out = bifftest::Capture(
      "/usr/bin/python3 -c \"\n"
      "import xlrd\n"
      "b = xlrd.open_workbook('" +
      file +
      "', formatting_info=True)\n"
      "s = b.sheet_by_index(0)\n"
      "print(s.name, repr(s.cell_value(0,0)), s.cell_value(1,1), s.cell_value(5,0), repr(s.cell_value(4,0)))\n"
      "xf = b.xf_list[s.cell_xf_index(0,0)]\n"
      "f = b.font_list[xf.font_index]\n"
      "print(f.name, f.bold, f.height, xf.alignment.hor_align, xf.alignment.rotation)\n"
      "print(b.xf_list[xf.parent_style_index].is_style, 'S0' in b.style_name_map)\n"
      "print(b.colour_map[xf.background.pattern_colour_index])\n"
      "print(b.format_map[b.xf_list[s.cell_xf_index(5,0)].format_key].format_str)\n"
      "print(b.xf_list[s.cell_xf_index(4,0)].border.bottom_line_style, "
      "b.xf_list[s.cell_xf_index(4,1)].border.left_line_style)\n"
      "print(s.merged_cells, s.horizontal_page_breaks, s.colinfo_map[1].width, s.rowinfo_map[0].height, "
      "s.show_grid_lines)\n"
      "\"");
  EXPECT_EQ(out,
            "Sheet1 'Заголовок' merged 1234.5 '0012'\n"
            "Times New Roman 1 280 2 150\n"
            "1 True\n"
            "(255, 255, 0)\n"
            "0.00\n"
            "1 1\n"
            "[(1, 3, 1, 3)] [(4, 0, 254)] 5120 600 0\n");
}

}  // namespace
