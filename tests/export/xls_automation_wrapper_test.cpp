// The spreadsheet automation wrapper against a recording server: addresses,
// ranges, row sizes, frames and the grouped style, format and row lists.
#include <gtest/gtest.h>

#include "export/vuzExportXLSExcel.h"
#include "xls_automation_fake.h"

namespace {

using namespace report;
using exporttest::RecordingServer;

const std::string kSheet = "Application.WorkBooks.Add.WorkSheets(1).";

// The sheet's assignments (or all its calls) with the sheet's path taken off.
std::vector<std::string> SheetCalls(const exporttest::RecordingLog& log, bool assignmentsOnly = true) {
  std::vector<std::string> out;
  for (const std::string& l : log.lines)
    if (l.rfind(kSheet, 0) == 0 && (!assignmentsOnly || l.find(" = ") != std::string::npos))
      out.push_back(l.substr(kSheet.size()));
  return out;
}

struct Opened {
  RecordingServer server;
  TfrxExcel excel;
  Opened() {
    excel.OpenExcel();
    server.log->lines.clear();
  }
};

TEST(ExcelWrapper, ColumnLetters) {
  const struct {
    int column;
    const char* letters;
  } cases[] = {{1, "A"},    {26, "Z"},   {27, "AA"},  {52, "AZ"},  {53, "BA"},  {255, "IU"},
               {256, "IV"}, {260, "IZ"}, {261, "JA"}, {702, "ZZ"}, {703, "AAA"}};
  for (const auto& c : cases) EXPECT_EQ(TfrxExcel::Pos2Str(c.column), c.letters) << c.column;
  EXPECT_EQ(TfrxExcel::IntToCoord(2, 5), "B5");
}

TEST(ExcelWrapper, OpeningStartsTheApplicationAndAddsAWorkbook) {
  RecordingServer server;
  TfrxExcel excel;
  excel.OpenExcel();
  EXPECT_TRUE(excel.IsOpen);
  EXPECT_EQ(server.log->lines,
            (std::vector<std::string>{"Application", "Application.ScreenUpdating = false",
                                      "Application.DisplayAlerts = false", "Application.WorkBooks",
                                      "Application.WorkBooks.Add", "Application.WorkBooks.Add.WorkSheets(1)"}));
}

TEST(ExcelWrapper, OpeningWithoutAServerFails) {
  report::vuzRegisterAutomationServer("Excel.Application", {});
  TfrxExcel excel;
  EXPECT_THROW(excel.OpenExcel(), EOleError);
  EXPECT_FALSE(excel.IsOpen);
  RecordingServer server;
  server.log->failing = {"WorkBooks.Add"};
  EXPECT_THROW(excel.OpenExcel(), EOleError);
  EXPECT_FALSE(excel.IsOpen);
}

TEST(ExcelWrapper, RangesStopAtColumn254AndEmptyOnesKeepThePrevious) {
  Opened o;
  const struct {
    int column, row, columns, rows;
    const char* call;  // nullptr: no call
  } cases[] = {
      {250, 3, 10, 2, "Range(IP3,IT4)"}, {5, 1, 0, 3, nullptr},        {5, 1, 3, 0, nullptr},
      {300, 1, 2, 1, nullptr},  // cut to 255, which leaves no column
      {2, 5, 3, 2, "Range(B5,D6)"},      {1, 1, 1, 1, "Range(A1,A1)"},
  };
  for (const auto& c : cases) {
    o.server.log->lines.clear();
    o.excel.SetRange(c.column, c.row, c.columns, c.rows);
    EXPECT_EQ(SheetCalls(*o.server.log, false), c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{})
        << c.column << "," << c.row;
  }
}

TEST(ExcelWrapper, RowAndColumnSizes) {
  Opened o;
  o.excel.SetRowSize(7, 500);
  o.excel.SetRowSize(8, 0);  // nothing
  o.excel.SetRowSize(9, 12.5L);
  o.excel.SetColSize(3, 10);
  o.excel.SetColSize(3, 256);  // too wide: nothing
  o.excel.SetColSize(256, 5);  // beyond the sheet: nothing
  EXPECT_EQ(SheetCalls(*o.server.log), (std::vector<std::string>{"Rows(7).RowHeight = 409", "Rows(9).RowHeight = 12.5",
                                                                 "Columns(3).ColumnWidth = 10"}));
}

TEST(ExcelWrapper, FrameSidesChooseBorderItems) {
  const struct {
    TfrxFrameTypes sides;
    std::vector<std::string> items;
  } cases[] = {
      {FrameBit(ftLeft) | FrameBit(ftBottom), {"Item(7).Linestyle = 1", "Item(9).Linestyle = 1"}},
      {FrameBit(ftRight) | FrameBit(ftTop), {"Item(10).Linestyle = 1", "Item(8).Linestyle = 1"}},
      {0, {}},
  };
  for (const auto& c : cases) {
    Opened o;
    o.excel.ApplyFrame("A1,B2", c.sides);
    std::vector<std::string> items;
    for (const std::string& l : o.server.log->With("Linestyle")) items.push_back(l.substr(l.find("Item(")));
    EXPECT_EQ(items, c.items) << c.sides;
    // One borders object, then a get and a put per side.
    if (!c.items.empty()) {
      EXPECT_EQ(o.server.log->With("Range(A1,B2).Cells.Borders").size(), 1 + c.items.size() * 2);
    }
  }
  // The single range's frame: left and right on its cells, top and bottom on the range.
  Opened o;
  o.excel.SetRange(2, 2, 2, 2);
  o.excel.SetCellFrame(FrameBit(ftLeft) | FrameBit(ftTop));
  const auto lines = o.server.log->With("Linestyle");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("Range(B2,C3).Cells.Borders.Item(7)"), std::string::npos);
  EXPECT_NE(lines[1].find("Range(B2,C3).Borders.Item(8)"), std::string::npos);
}

// 28 addresses of 8 characters joined by 27 separators make 251 characters;
// the 29th would make 260, so a second call starts.
TEST(ExcelWrapper, StyleListsAreCutAt255Characters) {
  Opened o;
  TExcelAddressList list;
  for (int i = 0; i < 40; ++i) list.Add("A" + std::to_string(1000000 + i), 3);
  o.excel.ApplyStyles(list, 0, nullptr);
  const auto calls = o.server.log->With(".Style = S3");
  ASSERT_EQ(calls.size(), 2u);
  const std::size_t open = calls[0].find("Range(") + 6, close = calls[0].find(")", open);
  EXPECT_EQ(close - open, 251u);
}

TEST(ExcelWrapper, GroupedListsApplyOneCallPerValue) {
  Opened o;
  TExcelAddressList styles;
  styles.Add("A1", 2);
  styles.Add("B1", 1);
  styles.Add("C1", 2);
  styles.Add("D1:E2", 1);
  styles.Sort();
  o.excel.ApplyStyles(styles, 0, nullptr);
  TExcelAddressList merges;
  merges.Add("D1:E2", 0);
  o.excel.ApplyStyles(merges, 2, nullptr);
  o.excel.ApplyFormats({"0,00=A1", "0,00=A2", "#=B1", "0,00=C1"}, nullptr);
  EXPECT_EQ(SheetCalls(*o.server.log),
            (std::vector<std::string>{"Range(B1,D1:E2).Style = S1", "Range(A1,C1).Style = S2",
                                      "Range(D1:E2).MergeCells = true", "Range(A1,A2).NumberFormat = 0,00",
                                      "Range(B1).NumberFormat = #", "Range(C1).NumberFormat = 0,00"}));
}

// Most rows 12.25 high: every row gets it first, then only the others.
TEST(ExcelWrapper, RowHeightsCommonFirst) {
  Opened o;
  const std::vector<rtl::Currency> heights = {rtl::Currency::FromFloat(12.25), rtl::Currency::FromFloat(30),
                                              rtl::Currency::FromFloat(6.5)};
  TExcelAddressList rows;
  rows.Add("A1", 1);
  rows.Add("A2:A40", 0);
  rows.Add("A41", 2);
  rows.Add("A42:A60", 0);
  rows.Add("A61", 1);
  rows.Sort();
  o.excel.SetRowsSize(rows, heights, 0, 61, nullptr);
  EXPECT_EQ(SheetCalls(*o.server.log),
            (std::vector<std::string>{"Range(A1:A61).RowHeight = 12.25", "Range(A1;A61).Rows.RowHeight = 30",
                                      "Range(A41).Rows.RowHeight = 6.5"}));
}

TEST(ExcelWrapper, FailuresOfGroupedCallsAreIgnoredButNotOfRowSizes) {
  Opened o;
  o.server.log->failing = {"Style", "RowHeight", "NumberFormat", "ColumnWidth"};
  TExcelAddressList list;
  list.Add("A1", 1);
  EXPECT_NO_THROW(o.excel.ApplyStyles(list, 0, nullptr));
  EXPECT_NO_THROW(o.excel.ApplyFormats({"0=A1"}, nullptr));
  EXPECT_NO_THROW(o.excel.SetColSize(1, 5));
  EXPECT_THROW(o.excel.SetRowSize(1, 5), EOleError);
}

}  // namespace
