// Records, the sheet and the workbook model: payload bytes, row blocks with
// their DBCELL offsets, deduplication, formats, palette and the globals.
#include <gtest/gtest.h>

#include "export/biff/biffWorkbook.h"
#include "tests/export/biff/biff_test_util.h"
#include "tests/support/errors.h"

namespace {

using namespace report;
using bifftest::Hex;
using bifftest::Records;
using bifftest::U;

template <class T>
std::string PayloadOf(T& object) {
  TBiffStream stream(false);
  object.Flush(stream);
  return Records(bifftest::Bytes(stream)).at(0).payload;
}

std::vector<bifftest::Record> RecordsOf(TBiffObject& object) {
  TBiffStream stream(false);
  object.Flush(stream);
  return Records(bifftest::Bytes(stream));
}

TEST(BiffRecords, FontHeightsAndHashes) {
  for (auto [height, written] : {std::pair{10, 0}, {20, 20}, {240, 240}, {10000, 8191}}) {
    TBiffFont f;
    f.Height = height;
    EXPECT_EQ(U(PayloadOf(f), 0, 2), static_cast<std::uint32_t>(written));
  }
  TBiffFont a, b, c;
  c.Name = u"Arimo";
  EXPECT_EQ(a.GetHashCode(), b.GetHashCode());
  EXPECT_TRUE(a.Equals(b));
  EXPECT_NE(a.GetHashCode(), c.GetHashCode());
  EXPECT_FALSE(a.Equals(c));
  // The name is always written with 16-bit characters.
  const auto recs = RecordsOf(a);
  EXPECT_EQ(Hex(recs[0].payload.substr(14)), "05 01 41 00 72 00 69 00 61 00 6C 00");
  EXPECT_EQ(a.StrWidth(u""), 0);
  EXPECT_GT(a.StrWidth(u"Brick"), 10);
  EXPECT_GT(a.ZeroWidth(), 3);
  TBiffFont tiny;  // too small to measure: still a width to divide by
  tiny.Height = 0;
  EXPECT_GE(tiny.ZeroWidth(), 1);
}

TEST(BiffRecords, RowPayloads) {
  TBiffRow plain;
  plain.Index = 7;
  plain.FirstCol = 1;
  plain.LastCol = 3;
  EXPECT_EQ(Hex(PayloadOf(plain)), "07 00 01 00 04 00 00 80 00 00 00 00 00 01 0F 00");
  TBiffRow tall;
  tall.Index = 7;
  tall.FirstCol = 1;
  tall.LastCol = 3;
  tall.Height = 300;
  tall.Hidden = true;
  tall.OutlineLevel = 2;
  EXPECT_EQ(Hex(PayloadOf(tall)), "07 00 01 00 04 00 2C 01 00 00 00 00 62 01 0F 00");
}

TEST(BiffRecords, XFPayloads) {
  TBiffWorkbook book;
  TBiffStream stream(false);
  book.Flush(stream);
  std::vector<std::string> xfs;
  for (const auto& r : Records(bifftest::Bytes(stream)))
    if (r.id == 0x00E0) xfs.push_back(r.payload);
  ASSERT_EQ(xfs.size(), 16u);
  EXPECT_EQ(static_cast<unsigned char>(xfs[0][9]), 0x03);
  for (int i = 1; i < 15; ++i) EXPECT_EQ(static_cast<unsigned char>(xfs[static_cast<std::size_t>(i)][9]), 0xF7);
  EXPECT_EQ(static_cast<unsigned char>(xfs[15][9]), 0x00);

  TBiffXF xf;
  xf.HAlign = xfhaJustified;
  xf.Wrap = false;
  xf.VAlign = xfvaBottom;
  xf.Left = {lsThin, 8};
  xf.Bottom = {lsDouble, 9};
  xf.Pattern = 1;
  xf.PatternColor = 10;
  xf.BackColor = 65;
  xf.Font = 5;
  xf.Format = 164;
  const std::string p = xf.Payload();
  ASSERT_EQ(p.size(), 20u);
  EXPECT_EQ(static_cast<unsigned char>(p[6]) & 7, 5);
  EXPECT_EQ(U(p, 0, 2), 5u);
  EXPECT_EQ(U(p, 2, 2), 164u);
  EXPECT_EQ(U(p, 4, 2), 0xFFF1u);
  EXPECT_EQ(U(p, 10, 4), 1u | 6u << 12 | 8u << 16);
  EXPECT_EQ(U(p, 14, 4), 9u << 7 | 1u << 26);
  EXPECT_EQ(U(p, 18, 2), 10u | 65u << 7);
  TBiffXF same = xf;
  EXPECT_TRUE(same.Equals(xf));
}

TEST(BiffRecords, SettingsPayloads) {
  TBiffStyle normal;
  EXPECT_EQ(Hex(PayloadOf(normal)), "00 80 00 FF");
  TBiffStyle user;
  user.XF = 17;
  user.Name = u"Mine";
  EXPECT_EQ(Hex(PayloadOf(user)), "11 00 04 00 00 4D 69 6E 65");
  TBiffPageSetup setup;
  const std::string s = PayloadOf(setup);
  ASSERT_EQ(s.size(), 34u);
  EXPECT_EQ(U(s, 10, 2), 0x0482u);
  setup.Orientation = bpoLandscape;
  setup.Colored = false;
  EXPECT_EQ(U(PayloadOf(setup), 10, 2), 0x0488u);
  TBiffWindow2 window;
  EXPECT_EQ(Hex(PayloadOf(window)), "B6 06 00 00 00 00 40 00 00 00 00 00 00 00 00 00 00 00");
  TBiffColInfo col(3, 15, 2560);
  EXPECT_EQ(Hex(PayloadOf(col)), "03 00 03 00 00 0A 0F 00 00 00 00 00");
}

std::unique_ptr<TBiffCell> Blank(int row, int col) {
  auto c = std::make_unique<TBiffCell>();
  c->Row = row;
  c->Col = col;
  return c;
}

std::vector<bifftest::Record> SheetRecords(TBiffSheet& sheet) {
  TBiffStream stream(false);
  sheet.Flush(stream);
  return Records(bifftest::Bytes(stream));
}

std::vector<bifftest::Record> Only(const std::vector<bifftest::Record>& all, int id) {
  std::vector<bifftest::Record> out;
  for (const auto& r : all)
    if (r.id == id) out.push_back(r);
  return out;
}

TEST(BiffSheet, EmptySheetWritesZeroDimensions) {
  TBiffWorkbook book;
  TBiffSheet sheet(&book);
  const auto recs = SheetRecords(sheet);
  EXPECT_EQ(Hex(Only(recs, 0x0200).at(0).payload), "00 00 00 00 00 00 00 00 00 00 00 00 00 00");
  EXPECT_TRUE(Only(recs, 0x0208).empty());
  EXPECT_TRUE(Only(recs, 0x00D7).empty());
  EXPECT_EQ(recs.front().id, 0x0809);
  EXPECT_EQ(recs.back().id, 0x000A);
}

TEST(BiffSheet, RowBlocksAndTheirIndex) {
  TBiffWorkbook book;
  TBiffSheet three(&book);
  for (int r = 0; r < 3; ++r) three.AddCell(Blank(r, 0));
  const auto recs = SheetRecords(three);
  const auto rows = Only(recs, 0x0208);
  const auto cells = Only(recs, 0x0201);
  const auto dbcell = Only(recs, 0x00D7);
  ASSERT_EQ(rows.size(), 3u);
  ASSERT_EQ(dbcell.size(), 1u);
  const std::int64_t p = rows[0].offset;
  EXPECT_EQ(rows[1].offset, p + 20);
  EXPECT_EQ(rows[2].offset, p + 40);
  EXPECT_EQ(cells[0].offset, p + 60);
  EXPECT_EQ(dbcell[0].offset, p + 90);
  EXPECT_EQ(Hex(dbcell[0].payload), "5A 00 00 00 28 00 0A 00 0A 00");

  struct Case {
    std::vector<int> rows;
    std::vector<std::size_t> blockSizes;
  } cases[] = {{{0, 10, 40}, {2, 1}}, {{}, {}}, {{5}, {1}}};
  std::vector<int> forty;
  for (int r = 0; r <= 40; ++r) forty.push_back(r);
  std::vector<Case> all(std::begin(cases), std::end(cases));
  all.push_back({forty, {32, 9}});
  for (const auto& c : all) {
    TBiffSheet sheet(&book);
    for (int r : c.rows) sheet.AddCell(Blank(r, 0));
    const auto d = Only(SheetRecords(sheet), 0x00D7);
    ASSERT_EQ(d.size(), c.blockSizes.size());
    for (std::size_t i = 0; i < d.size(); ++i) EXPECT_EQ((d[i].payload.size() - 4) / 2, c.blockSizes[i]);
  }
}

TEST(BiffSheet, CellsBeyondTheSheetAreRefused) {
  // The records hold 16-bit positions: these wrapped onto other cells (row
  // 65,536 onto A1, 70,000 onto row 4,464, -1 onto 65,535) or broke readers.
  const struct {
    int row, col;
    const char* error;
  } cases[] = {
      {65536, 0, "Row 65536 is outside the sheet (0 to 65535)"},
      {70000, 3, "Row 70000 is outside the sheet (0 to 65535)"},
      {-1, 0, "Row -1 is outside the sheet (0 to 65535)"},
      {0, 256, "Column 256 is outside the sheet (0 to 255)"},
      {0, -1, "Column -1 is outside the sheet (0 to 255)"},
  };
  TBiffWorkbook book;
  TBiffSheet sheet(&book);
  sheet.AddCell(Blank(0, 0));
  sheet.AddCell(Blank(65535, 255));  // the last cell still fits
  for (const auto& c : cases) {
    EXPECT_EQ(support::ErrorOf([&] { sheet.AddCell(Blank(c.row, c.col)); }), c.error) << c.row << "," << c.col;
    EXPECT_THROW(sheet.AddCell(Blank(c.row, c.col)), EBiffCellOutOfRange);
  }
  std::vector<std::pair<unsigned, unsigned>> written;
  for (const auto& r : Only(SheetRecords(sheet), 0x0201)) written.push_back({U(r.payload, 0, 2), U(r.payload, 2, 2)});
  EXPECT_EQ(written, (std::vector<std::pair<unsigned, unsigned>>{{0, 0}, {65535, 255}}));
}

TEST(BiffSheet, CellsRowsSizesMergesAndBreaks) {
  TBiffWorkbook book;
  TBiffSheet sheet(&book);
  for (int col : {3, 1, 2}) sheet.AddCell(Blank(5, col));
  sheet.SetRowHeight(2, 400);
  EXPECT_EQ(sheet.GetRowHeight(2), 400);
  EXPECT_EQ(sheet.GetRowHeight(3), 0);
  EXPECT_EQ(sheet.GetRow(2)->Cells[0]->XF, 15);
  sheet.SetColWidth(255, 100);
  sheet.SetColWidth(4, 100);
  sheet.SetColWidth(4, 200);
  EXPECT_EQ(sheet.GetColWidth(4), 200);
  EXPECT_EQ(sheet.GetColWidth(255), 0);
  sheet.MergeCells({1, 1, 1, 1});
  for (int i = 0; i < 2000; ++i) sheet.MergeCells({0, i, 1, i});
  EXPECT_THROW(sheet.MergeCells({2, 0, 1, 0}), EAssertionFailed);
  sheet.AddPageBreak(30);
  sheet.AddPageBreak(60);
  const auto recs = SheetRecords(sheet);
  const auto rows = Only(recs, 0x0208);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(U(rows[1].payload, 2, 2), 1u);
  EXPECT_EQ(U(rows[1].payload, 4, 2), 4u);
  std::vector<int> order;
  for (const auto& r : Only(recs, 0x0201))
    if (U(r.payload, 0, 2) == 5) order.push_back(static_cast<int>(U(r.payload, 2, 2)));
  EXPECT_EQ(order, (std::vector<int>{3, 1, 2}));
  const auto merged = Only(recs, 0x00E5);
  ASSERT_EQ(merged.size(), 2u);
  EXPECT_EQ(U(merged[0].payload, 0, 2), 1026u);
  EXPECT_EQ(U(merged[1].payload, 0, 2), 974u);
  EXPECT_EQ(Hex(Only(recs, 0x001B).at(0).payload), "02 00 1E 00 00 00 FE 00 3C 00 00 00 FE 00");
  EXPECT_EQ(Only(recs, 0x007D).size(), 2u);
  EXPECT_EQ(sheet.LastRowIndex(), 5);
}

TEST(BiffWorkbook, DeduplicatesFontsXfsAndStrings) {
  TBiffWorkbook book;
  auto font = [] {
    auto f = std::make_unique<TBiffFont>();
    f->Weight = 700;
    return f;
  };
  EXPECT_EQ(book.AddFont(font()), 5);
  EXPECT_EQ(book.AddFont(font()), 5);
  EXPECT_EQ(book.GetFontsCount(), 5);
  EXPECT_EQ(book.AddFont(std::make_unique<TBiffFont>()), 6);  // equal to a default, still new
  EXPECT_EQ(book.AddXF(std::make_unique<TBiffXF>()), 16);
  EXPECT_EQ(book.AddXF(std::make_unique<TBiffXF>()), 16);
  EXPECT_EQ(book.AddString(u"a"), 0);
  EXPECT_EQ(book.AddString(u"b"), 1);
  EXPECT_EQ(book.AddString(u"a"), 0);
  // The same text with other runs is another entry.
  auto rich = std::make_unique<TBiffUCS>(u"a", true);
  rich->AddFormat(0, 5);
  EXPECT_EQ(book.AddString(std::move(rich)), 2);
  EXPECT_EQ(book.UniqueStringsCount(), 3);
}

TEST(BiffWorkbook, FormatsColoursAndLineBreaks) {
  TBiffWorkbook book;
  EXPECT_EQ(book.AddFormat(u""), 0);
  EXPECT_EQ(book.AddFormat(u"0.00"), 164);
  EXPECT_EQ(book.AddFormat(u"0.000"), 165);
  EXPECT_EQ(book.AddFormat(u"0.00"), 164);
  try {
    book.SetFormat(165, u"x");
    FAIL();
  } catch (const rtl::Exception& e) {
    EXPECT_STREQ(e.what(), "Format #165 already exists");
  }
  EXPECT_EQ(book.AddColor(0x000000), 8);
  EXPECT_EQ(book.AddColor(0xFFFF00), 7);
  EXPECT_EQ(book.AddColor(0x123456), 9);
  EXPECT_EQ(book.AddColor(0x123456), 9);
  for (std::uint32_t i = 0; book.PaletteCount() < 64; ++i) book.AddColor(0x010101u * (i + 20));
  const int n = book.AddColor(0x123457);
  EXPECT_EQ(n, 9);  // the nearest of entries 7..63
  std::uint32_t palette[3] = {0x000000, 0x0000F0, 0x0000F1};
  EXPECT_EQ(NearestColor(palette, 3, 0x0000F1), 2);
  EXPECT_EQ(NearestColor(palette, 0, 5), 0);
  WideString text = u"a\r\nb";
  ValidateLineBreaks(text);
  EXPECT_EQ(text, u"a\nb");
}

TEST(BiffWorkbook, GlobalsOfAnEmptyWorkbook) {
  TBiffWorkbook book;
  TBiffStream stream(false);
  book.Flush(stream);
  const auto recs = Records(bifftest::Bytes(stream));
  EXPECT_EQ(Only(recs, 0x00E0).size(), 16u);
  EXPECT_EQ(Only(recs, 0x0031).size(), 4u);
  EXPECT_EQ(Only(recs, 0x0293).size(), 1u);
  EXPECT_EQ(Only(recs, 0x0092).at(0).payload, std::string("\x38\x00", 2) + std::string(224, '\0'));
  EXPECT_TRUE(Only(recs, 0x013D).at(0).payload.empty());
  EXPECT_TRUE(Only(recs, 0x0085).empty());
  EXPECT_TRUE(Only(recs, 0x00FC).empty());
  EXPECT_TRUE(Only(recs, 0x01AE).empty());
  EXPECT_EQ(Only(recs, 0x005C).at(0).payload.size(), 112u);
  EXPECT_EQ(recs.back().id, 0x000A);
}

TEST(BiffWorkbook, SheetsStringsAndBoundSheetPositions) {
  TBiffWorkbook book;
  for (int s = 0; s < 2; ++s) {
    auto sheet = std::make_unique<TBiffSheet>(&book);
    sheet->Name = s == 0 ? u"One" : u"Two";
    for (int r = 0; r < 3; ++r) {
      auto c = std::make_unique<TBiffTextCell>(book.AddString(u"same"));
      c->Row = r;
      sheet->AddCell(std::move(c));
    }
    book.AddSheet(std::move(sheet));
  }
  EXPECT_EQ(book.StringsCount(), 6);
  EXPECT_EQ(book.GetSheet(2), nullptr);
  TBiffStream stream(false);
  book.Flush(stream);
  const std::string bytes = bifftest::Bytes(stream);
  const auto recs = Records(bytes);
  const auto bound = Only(recs, 0x0085);
  ASSERT_EQ(bound.size(), 2u);
  for (const auto& b : bound) EXPECT_EQ(U(bytes, U(b.payload, 0, 4), 2), 0x0809u);
  EXPECT_EQ(Hex(Only(recs, 0x00FC).at(0).payload.substr(0, 8)), "06 00 00 00 01 00 00 00");
  EXPECT_EQ(Hex(Only(recs, 0x013D).at(0).payload), "01 00 02 00");
}

TEST(BiffWorkbook, ManySheetsDropTheTabIds) {
  TBiffWorkbook book;
  for (int s = 0; s < 4113; ++s) book.AddSheet(std::make_unique<TBiffSheet>(&book));
  TBiffStream stream(false);
  book.Flush(stream);
  EXPECT_TRUE(Only(Records(bifftest::Bytes(stream)), 0x013D).empty());
}

}  // namespace
