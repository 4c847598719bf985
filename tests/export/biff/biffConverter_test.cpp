// The matrix-to-sheet converter on small layouts: column and row limits,
// spans and merges, numbers from displayed text, formulas and their
// fallbacks, rich text runs, widths and heights, page breaks, sheet names,
// page setup, chunks of rows and the pictures they anchor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "export/biff/biffSheet.h"
#include "export/biff/biffWorkbook.h"
#include "export/biff/vuzBiffConverter_p.h"
#include "export/matrix_fixture.h"
#include "platform/rtl/format.h"
#include "platform/rtl/format_settings.h"
#include "report/vuzClassShape.h"
#include "tests/export/biff/biff_test_util.h"
#include "tests/export/biff/cancel_progress.h"

namespace {

using namespace report;

struct Converted {
  TBiffWorkbook book;
  std::unique_ptr<TBiffSheet> sheet;

  // "r,c" -> "T:text", "N:value", "F:<bytes>", "B" for every cell written.
  std::map<std::string, std::string> Cells() {
    std::map<std::string, std::string> out;
    for (const auto& row : sheet->Rows())
      for (const auto& cell : row->Cells) {
        std::string v = "B";
        if (auto* t = dynamic_cast<TBiffTextCell*>(cell.get()))
          v = "T:" + rtl::WideToUtf8(book.GetString(t->SstIndex)->Text());
        else if (auto* n = dynamic_cast<TBiffNumberCell*>(cell.get()))
          v = "N:" + rtl::FloatToStr(n->Value, rtl::FormatSettings::Invariant());
        else if (auto* f = dynamic_cast<TBiffFormulaCell*>(cell.get()))
          v = "F:" + std::to_string(f->Tokens.size());
        out[std::to_string(cell->Row) + "," + std::to_string(cell->Col)] = v;
      }
    return out;
  }
  const TBiffCell* Cell(int r, int c) {
    for (const auto& row : sheet->Rows())
      for (const auto& cell : row->Cells)
        if (cell->Row == r && cell->Col == c) return cell.get();
    return nullptr;
  }
};

TfrxBiffPageOptions OptionsFor(TfrxIEMatrix& m, TBiffWorkbook& book) {
  TfrxBiffPageOptions o;
  o.Matrix = &m;
  o.Workbook = &book;
  o.ZeroWidth = 7;
  o.SpaceWidth = 9;
  o.PageInfo.PaperWidth = 210;
  o.PageInfo.PaperHeight = 297;
  o.PageInfo.LeftMargin = o.PageInfo.RightMargin = 10;
  o.PageInfo.TopMargin = o.PageInfo.BottomMargin = 10;
  return o;
}

void Convert(Converted& out, TfrxBiffPageOptions o) {
  o.Workbook = &out.book;
  out.sheet = vuzConvertMatrixToBiffSheet(o, false);
}

TEST(BiffConverter, ColumnLimits) {
  exporttest::MatrixFixture f;
  for (int c = 0; c < 300; ++c) f.AddMemo(c * 10, 0, 10, 10, u"x");
  f.m.Prepare();
  ASSERT_EQ(f.m.ColumnCount, 301);
  const struct { int first, sheetColumn, columns; } cases[] = {{0, 0, 255}, {200, 0, 55}, {0, 250, 5}, {290, 0, 0}};
  for (const auto& c : cases) {
    Converted out;
    TfrxBiffPageOptions o = OptionsFor(f.m, out.book);
    o.FirstColumn = c.first;
    o.SheetColumn = c.sheetColumn;
    for (int id = 0; id < f.m.GetObjectsCount(); ++id) f.m.GetObjectById(id)->ExportMark = 0;
    Convert(out, o);
    int texts = 0;
    for (const auto& [at, cell] : out.Cells()) texts += cell == "T:x";
    EXPECT_EQ(texts, c.columns) << c.first << " " << c.sheetColumn;
    if (c.columns) {
      EXPECT_EQ(out.sheet->LastCol(), c.sheetColumn + c.columns - 1);
    }
  }
}

TEST(BiffConverter, RowsStopAtTheSheetsLastRow) {
  exporttest::MatrixFixture f;
  for (int r = 0; r < 10; ++r) f.AddMemo(0, r * 10, 10, 10, u"x");
  f.m.Prepare();
  Converted out;
  TfrxBiffPageOptions o = OptionsFor(f.m, out.book);
  o.SheetRow = 65530;
  Convert(out, o);
  EXPECT_EQ(out.Cells().size(), 5u);
  EXPECT_EQ(out.sheet->LastRowIndex(), 65534);
  // Shifted by one, each way.
  Converted shifted;
  for (int id = 0; id < f.m.GetObjectsCount(); ++id) f.m.GetObjectById(id)->ExportMark = 0;
  TfrxBiffPageOptions s = OptionsFor(f.m, shifted.book);
  s.OffsetByOne = true;
  s.FirstRow = -3;
  Convert(shifted, s);
  EXPECT_EQ(shifted.Cells().count("1,1"), 1u);
  EXPECT_EQ(shifted.Cells().count("0,0"), 0u);
}

TEST(BiffConverter, SpansGiveOneContentCellBlanksAndAMerge) {
  exporttest::MatrixFixture f;
  f.AddMemo(0, 0, 10, 10, u"a");
  f.AddMemo(10, 0, 10, 10, u"b");
  f.AddMemo(20, 0, 10, 10, u"c");
  f.AddMemo(0, 10, 10, 10, u"d");
  f.AddMemo(0, 20, 10, 10, u"e");
  f.AddMemo(10, 10, 20, 20, u"big");               // 2 x 2 below b, c
  f.AddMemo(30, 0, 10, 30, u"tall");               // column 3, rows 0-2
  auto* wide = f.AddMemo(0, 30, 40, 20, u"wide");  // 4 x 1 at row 3
  wide->Frame()->SetTyp(15);
  f.m.Prepare();
  Converted out;
  Convert(out, OptionsFor(f.m, out.book));
  const auto cells = out.Cells();
  EXPECT_EQ(cells.at("1,1"), "T:big");
  EXPECT_EQ(cells.at("1,2"), "B");
  EXPECT_EQ(cells.at("2,1"), "B");
  EXPECT_EQ(cells.at("2,2"), "B");
  EXPECT_EQ(cells.at("3,0"), "T:wide");
  for (const char* blank : {"3,1", "3,2", "3,3"}) {
    EXPECT_EQ(cells.at(blank), "B") << blank;
    EXPECT_EQ(out.Cell(3, blank[2] - '0')->XF, out.Cell(3, 0)->XF) << blank;
  }
  std::vector<std::string> merged;
  for (const TBiffRect& r : out.sheet->MergedRanges())
    merged.push_back(std::to_string(r.Left) + "," + std::to_string(r.Top) + "-" + std::to_string(r.Right) + "," +
                     std::to_string(r.Bottom));
  EXPECT_EQ(merged, (std::vector<std::string>{"3,0-3,2", "1,1-2,2", "0,3-3,3"}));
}

TEST(BiffConverter, NumbersFromDisplayedText) {
  const struct {
    std::u16string text;
    const char* separator;
    const char* expected;
  } cases[] = {
      {u"1 234,50", ",", "N:1234.5"},
      {u"-12", ",", "N:-12"},
      {u"1\u00A0234,5 \u0440.", ",", "N:1234.5"},
      {u"-0,25", ",", "N:-0.25"},
      {u"3.75", ".", "N:3.75"},
      {u"3.75", ",", "N:375"},  // the point is not the separator: a digit group
      {u"12,", ",", "N:12"},
      {u",5", ",", "N:0.5"},
      {u"\u043d\u0435\u0442", ",", "T:\u043d\u0435\u0442"},  // no digits: the text as it is
      {u"-", ",", "T:-"},
      {u"", ",", ""},
  };
  for (const auto& c : cases) {
    exporttest::MatrixFixture f;
    auto* memo = f.AddMemo(0, 0, 40, 10, c.text);
    (void)memo;
    f.m.Prepare();
    TfrxFormat format;
    format.SetKind(fkNumeric);
    format.SetDecimalSeparator(c.separator);
    f.m.GetObjectById(0)->CellStyle->SetDisplayFormat(format);
    Converted out;
    Convert(out, OptionsFor(f.m, out.book));
    const auto cells = out.Cells();
    const std::string expected = rtl::WideToUtf8(rtl::Utf8ToWide(c.expected));
    if (expected.empty()) {
      EXPECT_EQ(cells.count("0,0") ? cells.at("0,0") : "B", "B");
    } else {
      EXPECT_EQ(cells.at("0,0"), expected) << rtl::WideToUtf8(c.text);
    }
  }
  // Only the first separator splits: the rest is fraction digits.
  EXPECT_EQ(BiffNumberFromText(u"1,000,5", u','), 1.0005);
  EXPECT_FALSE(BiffNumberFromText(u"abc", u','));
  EXPECT_FALSE(BiffNumberFromText(std::u16string(400, u'9'), u','));
}

TEST(BiffConverter, FormulasAndTheirFallbacks) {
  const struct {
    std::u16string text;
    bool formulas;
    std::string expected;
  } cases[] = {
      {u"=SUM(A1:A3)", true, "F:"}, {u"=SUM(A1:A3)", false, "T:=SUM(A1:A3)"},
      {u"=SUM(", true, "T:=SUM("},  {u"=1+", true, "T:=1+"},
      {u"=A1*2", true, "F:"},       {u"1+1", true, "T:1+1"},
  };
  for (const auto& c : cases) {
    exporttest::MatrixFixture f;
    f.AddMemo(0, 0, 40, 10, c.text);
    f.m.Prepare();
    Converted out;
    TfrxBiffPageOptions o = OptionsFor(f.m, out.book);
    o.ExportFormulas = c.formulas;
    Convert(out, o);
    const std::string got = out.Cells().at("0,0");
    EXPECT_EQ(got.substr(0, c.expected.size()), c.expected) << rtl::WideToUtf8(c.text);
  }
}

TEST(BiffConverter, RichTextRuns) {
  exporttest::MatrixFixture f;
  for (const auto& [left, text] : {std::pair<int, std::u16string>{0, u"<b>a</b>b"},
                                   {60, u"x<font color=\"#FF0000\">yz</font>"},
                                   {120, u"one\r\n<i>two</i>"}}) {
    auto* memo = f.Memo(left, 0, 60, 10, text);
    memo->SetAllowHTMLTags(true);
    f.m.AddObject(memo);
  }
  f.m.Prepare();
  Converted out;
  Convert(out, OptionsFor(f.m, out.book));
  auto runs = [&](int col) {
    auto* cell = dynamic_cast<const TBiffTextCell*>(out.Cell(0, col));
    EXPECT_NE(cell, nullptr);
    const TBiffUCS* s = out.book.GetString(cell ? cell->SstIndex : -1);
    std::vector<std::pair<int, int>> r;
    for (std::size_t i = 0; s && i + 4 <= s->Runs().size(); i += 4)
      r.push_back({static_cast<int>(bifftest::U(s->Runs(), i, 2)), static_cast<int>(bifftest::U(s->Runs(), i + 2, 2))});
    return std::make_pair(s ? rtl::WideToUtf8(s->Text()) : std::string(), r);
  };
  auto [text, r] = runs(0);
  EXPECT_EQ(text, "ab");
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].first, 0);
  EXPECT_EQ(r[1].first, 1);
  const TBiffFont* bold = out.book.GetFont(r[0].second > 4 ? r[0].second - 1 : r[0].second);
  const TBiffFont* plain = out.book.GetFont(r[1].second > 4 ? r[1].second - 1 : r[1].second);
  ASSERT_TRUE(bold && plain);
  EXPECT_EQ(bold->Weight, 700);
  EXPECT_EQ(plain->Weight, 400);
  auto [text2, r2] = runs(1);
  EXPECT_EQ(text2, "xyz");
  ASSERT_EQ(r2.size(), 2u);
  EXPECT_EQ(r2[1].first, 1);
  const TBiffFont* red = out.book.GetFont(r2[1].second > 4 ? r2[1].second - 1 : r2[1].second);
  ASSERT_NE(red, nullptr);
  EXPECT_EQ(out.book.Palette()[red->Color] & 0xFFFFFF, 0x0000FFu);  // red in BGR order
  auto [text3, r3] = runs(2);
  EXPECT_EQ(text3, "one\ntwo");  // the line break stays as a line feed
  ASSERT_EQ(r3.size(), 2u);
  EXPECT_EQ(r3[1].first, 4);
}

TEST(BiffConverter, SheetNamePageSetupMarginsAndGridLines) {
  exporttest::MatrixFixture f;
  f.AddMemo(0, 0, 10, 10, u"x");
  f.m.Prepare();
  const struct {
    int paper, orientation, expectedPaper;
    bool grid;
    std::u16string name, expectedName;
  } cases[] = {
      {9, 0, 9, true, u"", u"\u0421\u0442\u0440\u0430\u043d\u0438\u0446\u0430 3"},
      {117, 1, 117, false, u"Data", u"Data"},
      {256, 0, 9, true, u"", u"\u0421\u0442\u0440\u0430\u043d\u0438\u0446\u0430 3"},
      {0, 0, 9, true, u"", u"\u0421\u0442\u0440\u0430\u043d\u0438\u0446\u0430 3"},
  };
  for (const auto& c : cases) {
    f.m.GetObjectById(0)->ExportMark = 0;
    Converted out;
    TfrxBiffPageOptions o = OptionsFor(f.m, out.book);
    o.SheetIndex = 3;
    o.PageInfo.PaperSize = c.paper;
    o.PageInfo.Orientation = c.orientation;
    o.PageInfo.PageCount = 2;
    o.PageInfo.Name = c.name;
    o.PageInfo.LeftMargin = 25.4L;
    o.GridLines = c.grid;
    Convert(out, o);
    EXPECT_EQ(out.sheet->Name, c.expectedName);
    EXPECT_EQ(out.sheet->PageSetup.PaperSize, c.expectedPaper);
    EXPECT_EQ(out.sheet->PageSetup.Orientation, c.orientation ? bpoLandscape : bpoPortrait);
    EXPECT_EQ(out.sheet->PageSetup.Copies, 2);
    EXPECT_DOUBLE_EQ(out.sheet->LeftMargin, 1.0);
    EXPECT_EQ((out.sheet->Window.Options & 2) != 0, c.grid);
  }
}

TEST(BiffConverter, WidthsHeightsAndFitting) {
  exporttest::MatrixFixture f;
  f.AddMemo(0, 0, 96, 20, u"a");
  f.AddMemo(96, 0, 480, 20, u"b");
  f.AddMemo(0, 20, 96, 600, u"c");
  f.m.Prepare();
  Converted out;
  TfrxBiffPageOptions o = OptionsFor(f.m, out.book);
  o.RowHeightScale = 1.5L;
  Convert(out, o);
  const double factor = 24576.0 / (7 * 72);
  EXPECT_EQ(out.sheet->GetColWidth(0), static_cast<int>(std::nearbyint(96 * factor)));
  EXPECT_EQ(out.sheet->GetColWidth(1), static_cast<int>(std::nearbyint(480 * factor)));
  EXPECT_EQ(out.sheet->GetRowHeight(0), 20 * 15 * 3 / 2);
  EXPECT_EQ(out.sheet->GetRowHeight(1), 8190);  // 600 px is above what a sheet row takes
  // Fitted: 576 px = 152.4 mm of columns into 190 mm of paper stays; on A6
  // (105 mm, 10 mm margins) they shrink.
  for (auto& id : {0, 1, 2}) f.m.GetObjectById(id)->ExportMark = 0;
  Converted fitted;
  TfrxBiffPageOptions g = OptionsFor(f.m, fitted.book);
  g.FitPages = true;
  g.PageInfo.PaperWidth = 105;
  g.PageInfo.PaperHeight = 148;
  Convert(fitted, g);
  const double scale = 85.0 / ((576.0 + 2) / 96 * 25.4);
  EXPECT_EQ(fitted.sheet->GetColWidth(1), static_cast<int>(std::nearbyint(480 * factor * scale)));
  EXPECT_LT(fitted.sheet->GetRowHeight(0), 300);
}

TEST(BiffConverter, PageBreaksInOneSheet) {
  // Each page's objects start a little below the page's top, as the filter
  // places them.
  exporttest::MatrixFixture f;
  for (int p = 0; p < 3; ++p) {
    f.AddMemo(0, 10, 50, 100, u"p");
    f.AddMemo(0, 110, 50, 100, u"q");
    f.m.AddPage(poPortrait, 210, 297, 10, 10, 10, 10, false, p);
  }
  f.m.Prepare();
  Converted out;
  TfrxBiffPageOptions o = OptionsFor(f.m, out.book);
  o.SingleSheet = true;
  Convert(out, o);
  const auto cells = out.Cells();
  std::vector<int> pageStarts;
  for (const auto& [at, cell] : cells)
    if (cell == "T:p" && at.substr(0, at.find(',')) != "0") pageStarts.push_back(std::stoi(at));
  std::sort(pageStarts.begin(), pageStarts.end());
  ASSERT_EQ(pageStarts.size(), 2u);
  TBiffStream stream(false);
  out.sheet->Flush(stream);
  std::vector<int> breaks;
  for (const auto& r : bifftest::Records(bifftest::Bytes(stream)))
    if (r.id == 0x001B)
      for (std::size_t i = 0; i < bifftest::U(r.payload, 0, 2); ++i)
        breaks.push_back(static_cast<int>(bifftest::U(r.payload, 2 + i * 6, 2)));
  EXPECT_EQ(breaks, pageStarts);
}

TEST(BiffConverter, ChunksWriteEachObjectOnceAndAnchorPicturesByTheirTopRow) {
  exporttest::MatrixFixture f;
  f.m.MetafilePictures = true;
  for (int r = 0; r < 100; ++r) f.AddMemo(0, r * 10, 30, 10, u"r" + rtl::AnsiToWide(std::to_string(r)));
  auto* inside = f.Make<TfrxShapeView>(30, 600, 20, 30);  // rows 60..62
  inside->SetShape(skEllipse);
  f.m.AddObject(inside);
  auto* crossing = f.Make<TfrxShapeView>(30, 980, 20, 40);  // rows 98..100: crosses into the next chunk
  crossing->SetShape(skEllipse);
  f.m.AddObject(crossing);
  auto* spanning = f.AddMemo(50, 480, 20, 40, u"span");  // rows 48..51 across the border
  (void)spanning;
  f.m.Prepare();
  std::vector<int> pictures;
  for (int id = 0; id < f.m.GetObjectsCount(); ++id)
    if (f.m.GetObjectById(id)->HasMetafilePicture() && f.m.GetObjectById(id)->MetafilePicture().Width() != 0)
      pictures.push_back(id);
  ASSERT_EQ(pictures.size(), 2u);
  auto chunk = [&](Converted& out, int firstRow) {
    TfrxBiffPageOptions o = OptionsFor(f.m, out.book);
    o.FirstRow = firstRow;
    o.BlockRows = 50;
    o.PictureList = &pictures;
    Convert(out, o);
  };
  Converted first, second, third;
  chunk(first, 0);
  chunk(second, 50);
  chunk(third, 100);
  EXPECT_EQ(first.Cells().at("48,2"), "T:span");
  EXPECT_EQ(second.Cells().at("0,2"), "B");  // written once, in the first chunk
  EXPECT_EQ(second.Cells().at("0,0"), "T:r50");
  EXPECT_EQ(first.sheet->DrawingGroup(), nullptr);
  ASSERT_NE(second.sheet->DrawingGroup(), nullptr);
  ASSERT_EQ(second.sheet->DrawingGroup()->Count(), 2);
  const TEscherShapePos& a = second.sheet->DrawingGroup()->GetShape(0)->Anchor;
  EXPECT_EQ(a.StartRow, 10);
  EXPECT_EQ(a.EndRow, 13);
  EXPECT_EQ(a.StartCol, 1);
  EXPECT_EQ(a.EndCol, 2);
  const TEscherShapePos& b = second.sheet->DrawingGroup()->GetShape(1)->Anchor;
  EXPECT_EQ(b.StartRow, 48);
  EXPECT_EQ(b.EndRow, 51);  // reaches past the chunk's rows, anchored all the same
  // The last chunk holds only the rest of the crossing picture's cells.
  for (const auto& [at, cell] : third.Cells()) EXPECT_EQ(cell, "B") << at;
  EXPECT_EQ(third.sheet->DrawingGroup(), nullptr);
}

}  // namespace

namespace {

TEST(BiffConverter, CancelKeepsWhatWasConverted) {
  exporttest::MatrixFixture f;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) f.AddMemo(c * 10, r * 10, 10, 10, u"x");
  f.m.Prepare();
  const struct {
    const char* phase;
    std::size_t cells;
    bool widths;
  } cases[] = {{"BiffCell", 1, false}, {"BiffCol", 9, false}, {"BiffRow", 9, true}, {"none", 9, true}};
  for (const auto& c : cases) {
    for (int id = 0; id < f.m.GetObjectsCount(); ++id) f.m.GetObjectById(id)->ExportMark = 0;
    bifftest::CancelIn cancel(c.phase);
    Converted out;
    TfrxBiffPageOptions o = OptionsFor(f.m, out.book);
    bool terminated = false;
    out.sheet = vuzConvertMatrixToBiffSheet(o, true, &terminated);
    EXPECT_EQ(terminated, std::string(c.phase) != "none") << c.phase;
    EXPECT_EQ(out.Cells().size(), c.cells) << c.phase;
    EXPECT_EQ(out.sheet->GetColWidth(1) > 0, c.widths) << c.phase;
    // Without progress nothing can cancel.
    for (int id = 0; id < f.m.GetObjectsCount(); ++id) f.m.GetObjectById(id)->ExportMark = 0;
    Converted quiet;
    EXPECT_EQ(vuzConvertMatrixToBiffSheet(OptionsFor(f.m, quiet.book), false, &terminated)->Rows().Count(), 3);
    EXPECT_FALSE(terminated);
  }
}

}  // namespace
