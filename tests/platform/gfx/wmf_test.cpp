// The placeable WMF format: writing from EMF records, reading back into
// them, and refusing damaged files.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "external_tools.h"
#include "platform/gfx/wmf_format.h"
#include "sample_metafile.h"

using namespace gfx::emf;
using namespace gfx::wmf;
using gfx_test::SampleDocument;

namespace {

std::uint16_t Checksum(const std::string& wmf) {
  gfx::bytes::Reader r(wmf);
  std::uint16_t sum = 0;
  for (std::size_t i = 0; i < 20; i += 2) sum ^= r.U16(i);
  return sum;
}

// The WMF records after the headers: (function, parameters).
std::vector<std::pair<std::uint16_t, std::string>> WmfRecords(const std::string& wmf) {
  std::vector<std::pair<std::uint16_t, std::string>> out;
  gfx::bytes::Reader r(wmf);
  for (std::size_t off = 40; off + 6 <= wmf.size();) {
    std::size_t size = r.U32(off) * 2;
    out.emplace_back(r.U16(off + 4), wmf.substr(off + 6, size - 6));
    off += size;
  }
  return out;
}

}  // namespace

TEST(WmfFormat, PlaceableHeaderCarriesSizeInchAndChecksum) {
  std::string wmf = FromEmf(SampleDocument(), 0);
  gfx::bytes::Reader r(wmf);
  EXPECT_TRUE(LooksLikePlaceable(wmf));
  EXPECT_EQ(r.U32(0), kPlaceableKey);
  EXPECT_EQ(r.I16(6), 0);
  EXPECT_EQ(r.I16(8), 0);
  EXPECT_EQ(r.I16(10), 100) << "bounding box right at 96 units per inch";
  EXPECT_EQ(r.I16(12), 80);
  EXPECT_EQ(r.U16(14), 96) << "inch defaults to 96";
  EXPECT_EQ(r.U16(20), Checksum(wmf));
  // The standard header: memory metafile, 9 words, version 3, size in words.
  EXPECT_EQ(r.U16(22), 1);
  EXPECT_EQ(r.U16(24), 9);
  EXPECT_EQ(r.U16(26), 0x0300);
  EXPECT_EQ(r.U32(28) * 2, wmf.size() - 22);
  auto records = WmfRecords(wmf);
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(records.back().first, META_EOF);
  std::uint32_t largest = 0;
  for (auto& rec : records)
    largest = std::max<std::uint32_t>(largest, static_cast<std::uint32_t>(rec.second.size() + 6) / 2);
  EXPECT_EQ(r.U32(34), largest) << "largest record in words";

  std::string fine = FromEmf(SampleDocument(), 1440);
  gfx::bytes::Reader f(fine);
  EXPECT_EQ(f.U16(14), 1440);
  EXPECT_EQ(f.I16(10), 1500) << "the same picture in twips";
  EXPECT_EQ(f.I16(12), 1200);
}

TEST(WmfFormat, LargePicturesLowerTheResolutionToFit16Bits) {
  Document doc = SampleDocument();
  doc.header.frame = {0, 0, 2540 * 100, 2540 * 10};  // 100 x 10 inches
  std::string wmf = FromEmf(doc, 1440);
  gfx::bytes::Reader r(wmf);
  EXPECT_LE(r.I16(10), 32767);
  EXPECT_LT(r.U16(14), 1440);
  EXPECT_NEAR(double(r.I16(10)) / r.U16(14), 100.0, 0.5) << "still 100 inches wide";
}

TEST(WmfFormat, RecordsTranslateBothWays) {
  std::string wmf = FromEmf(SampleDocument(), 0);
  auto records = WmfRecords(wmf);
  // The red box: RECTANGLE with bottom, right, top, left.
  auto rect = std::find_if(records.begin(), records.end(), [](auto& r) {
    return r.first == META_RECTANGLE && gfx::bytes::Reader(r.second).I16(6) == 10;
  });
  ASSERT_NE(rect, records.end());
  gfx::bytes::Reader rr(rect->second);
  EXPECT_EQ(rr.I16(0), 40);
  EXPECT_EQ(rr.I16(2), 50);
  EXPECT_EQ(rr.I16(4), 10);
  // Text is 1251 with a Russian charset font and keeps its dx array.
  auto text = std::find_if(records.begin(), records.end(), [](auto& r) { return r.first == META_EXTTEXTOUT; });
  ASSERT_NE(text, records.end());
  gfx::bytes::Reader tr(text->second);
  EXPECT_EQ(tr.U16(4), 4);
  EXPECT_EQ(text->second.substr(8, 4), rtl::WideToAnsi(u"Дата"));
  EXPECT_EQ(tr.I16(12), 10);
  auto font = std::find_if(records.begin(), records.end(), [](auto& r) { return r.first == META_CREATEFONTINDIRECT; });
  ASSERT_NE(font, records.end());
  EXPECT_EQ(static_cast<unsigned char>(font->second[13]), RUSSIAN_CHARSET);

  // Reading it back and writing again gives the same file.
  std::uint16_t inch = 0;
  Document back = ToEmf(wmf, &inch);
  EXPECT_EQ(inch, 96);
  EXPECT_NEAR(back.header.FrameWidthPx(), 100, 0.1);
  EXPECT_NEAR(back.header.FrameHeightPx(), 80, 0.1);
  EXPECT_EQ(FromEmf(back, 96), wmf);
  bool sawText = false;
  for (const Record& rec : back.records)
    if (rec.Type() == EMR_EXTTEXTOUTW) {
      TextOut t = DecodeExtTextOut(rec);
      EXPECT_EQ(t.text, u"Дата");
      EXPECT_EQ(t.dx, (std::vector<std::int32_t>{10, 10, 10, 10}));
      sawText = true;
    }
  EXPECT_TRUE(sawText);
}

TEST(WmfFormat, SymbolFontsKeepTheirByteCodes) {
  Document doc = SampleDocument();
  LogFont wing;
  wing.height = -20;
  wing.charSet = SYMBOL_CHARSET;
  wing.faceName = u"Wingdings";
  doc.records.push_back(MakeCreateFont(7, wing));
  doc.records.push_back(MakeU32Record(EMR_SELECTOBJECT, 7));
  doc.records.push_back(MakeExtTextOutW({}, {0, 0}, u"\u00FC\u00FB", 0, {}, {}));
  std::uint16_t inch;
  Document back = ToEmf(FromEmf(doc, 0), &inch);
  EXPECT_EQ(DecodeExtTextOut(back.records.back()).text, u"\u00FC\u00FB");
}

TEST(WmfFormat, StockObjectsAndObjectSlotsMatchUp) {
  // Stock objects become real WMF objects; deleted slots are reused lowest
  // first, as readers expect.
  Document doc;
  doc.header.frame = {0, 0, 2646, 2646};
  doc.records.push_back(MakeCreateBrush(1, LogBrush{BS_SOLID, 0x0000FF, 0}));
  doc.records.push_back(MakeCreateBrush(2, LogBrush{BS_SOLID, 0x00FF00, 0}));
  doc.records.push_back(MakeU32Record(EMR_SELECTOBJECT, NULL_PEN));
  doc.records.push_back(MakeU32Record(EMR_DELETEOBJECT, 1));
  doc.records.push_back(MakeCreateBrush(3, LogBrush{BS_SOLID, 0xFF0000, 0}));
  doc.records.push_back(MakeU32Record(EMR_SELECTOBJECT, 3));
  doc.records.push_back(MakeU32Record(EMR_SELECTOBJECT, 2));
  std::string wmf = FromEmf(doc, 0);
  std::vector<int> selected;
  for (auto& [func, params] : WmfRecords(wmf))
    if (func == META_SELECTOBJECT) selected.push_back(gfx::bytes::Reader(params).U16(0));
  EXPECT_EQ(selected, (std::vector<int>{2, 0, 1})) << "null pen in slot 2, then the reused slot 0, then slot 1";

  std::uint16_t inch;
  Document back = ToEmf(wmf, &inch);
  std::uint32_t lastBrushColor = 0;
  std::map<std::uint32_t, std::uint32_t> colors;
  for (const Record& rec : back.records) {
    if (rec.Type() == EMR_CREATEBRUSHINDIRECT) {
      std::uint32_t index;
      LogBrush b = DecodeCreateBrush(rec, &index);
      colors[index] = b.color;
    }
    if (rec.Type() == EMR_SELECTOBJECT) {
      std::uint32_t sel = rec.Body().U32(8);
      if (colors.count(sel)) lastBrushColor = colors[sel];
    }
  }
  EXPECT_EQ(lastBrushColor, 0x00FF00u) << "the last selected brush is the green one";
}

TEST(WmfFormat, DamagedFilesAreRefusedOrSkipped) {
  std::string good = FromEmf(SampleDocument(), 0);
  std::uint16_t inch;
  for (std::size_t len = 0; len < good.size(); len += 2)
    EXPECT_THROW(ToEmf(std::string_view(good).substr(0, len), &inch), gfx::EMetafileFormat) << len;

  auto patch16 = [](std::string s, std::size_t at, std::uint16_t v) {
    s[at] = static_cast<char>(v);
    s[at + 1] = static_cast<char>(v >> 8);
    return s;
  };
  EXPECT_THROW(ToEmf(patch16(good, 0, 0), &inch), gfx::EMetafileFormat) << "no key";
  EXPECT_THROW(ToEmf(patch16(good, 24, 7), &inch), gfx::EMetafileFormat) << "header size";
  EXPECT_THROW(ToEmf(patch16(good, 40, 0), &inch), gfx::EMetafileFormat) << "record of size 0";
  EXPECT_THROW(ToEmf(patch16(good, 42, 0x7FFF), &inch), gfx::EMetafileFormat) << "record beyond the file";
  EXPECT_NO_THROW(ToEmf(patch16(good, 20, Checksum(good) ^ 1), &inch)) << "a wrong checksum is tolerated";

  // A select or delete of an object that does not exist, and drawing records
  // too short for their fields, are skipped.
  gfx::bytes::Writer w;
  w.Bytes(good.substr(0, 40));
  auto rec = [&](std::uint16_t func, std::initializer_list<std::uint16_t> params) {
    w.U32(static_cast<std::uint32_t>(3 + params.size()));
    w.U16(func);
    for (auto p : params) w.U16(p);
  };
  rec(META_SELECTOBJECT, {40});
  rec(META_DELETEOBJECT, {41});
  rec(META_RECTANGLE, {1, 2});
  rec(META_POLYGON, {5000, 1, 1});
  rec(META_EXTTEXTOUT, {0, 0, 300, 0});
  rec(META_STRETCHDIB, {0xCC, 0x20, 0, 1, 1, 0, 0, 1, 1, 0, 0, 40, 0});
  rec(META_EOF, {});
  EXPECT_NO_THROW(ToEmf(w.Data(), &inch));
}

TEST(WmfFormat, GarbageNeverCrashes) {
  std::mt19937 rng(777);
  std::string good = FromEmf(SampleDocument(), 0);
  for (int round = 0; round < 500; ++round) {
    std::string data = good;
    int flips = 1 + rng() % 8;
    for (int i = 0; i < flips; ++i) data[40 + rng() % (data.size() - 40)] = static_cast<char>(rng());
    std::uint16_t inch;
    try {
      Document doc = ToEmf(data, &inch);
      FromEmf(doc, inch);
    } catch (const gfx::EMetafileFormat&) {
    }
  }
}

TEST(WmfFormat, LibwmfReadsOurFile) {
  std::string wmf2svg = support::FindTool("wmf2svg");
  if (wmf2svg.empty()) GTEST_SKIP() << "needs wmf2svg (libwmf-bin)";
  support::ScratchFolder dir;
  std::string file = dir.File("sample.wmf"), svg = dir.File("sample.svg");
  support::WriteFile(file, FromEmf(SampleDocument(), 0));
  ASSERT_EQ(gfx_test::Run("'" + wmf2svg + "' -o '" + svg + "' '" + file + "'"), 0);
  std::string out = support::ReadFile(svg);
  EXPECT_NE(out.find("width=\"100\" height=\"80\""), std::string::npos) << out;
  EXPECT_NE(out.find("fill:red"), std::string::npos) << out;
  EXPECT_NE(out.find("<ellipse"), std::string::npos) << out;
  EXPECT_NE(out.find("fill:blue"), std::string::npos) << out;
  EXPECT_NE(out.find("<text"), std::string::npos) << out;
  // The red box spans 40 of the picture's 100 units from x = 10.
  std::size_t rect = out.find("fill:red");
  std::size_t start = out.rfind("<rect", rect);
  ASSERT_NE(start, std::string::npos);
  double x = 0, width = 0;
  std::sscanf(out.c_str() + out.find("x=\"", start) + 3, "%lf", &x);
  std::sscanf(out.c_str() + out.find("width=\"", start) + 7, "%lf", &width);
  EXPECT_NEAR(x, 10, 1.5);
  EXPECT_NEAR(width, 40, 1.5);
}

TEST(WmfFormat, LibreOfficeRendersOurFile) {
  std::string soffice = support::FindTool("soffice"), convert = support::FindTool("convert");
  if (soffice.empty() || convert.empty())
    GTEST_SKIP() << "needs soffice (libreoffice-draw-nogui) and convert (imagemagick)";
  support::ScratchFolder dir;
  std::string file = dir.File("sample.wmf");
  support::WriteFile(file, FromEmf(SampleDocument(), 0));
  std::string png = gfx_test::ConvertWithLibreOffice(soffice, dir, file);
  ASSERT_FALSE(png.empty()) << "LibreOffice did not convert the WMF";
  gfx_test::RgbImage img = gfx_test::ReadWithImageMagick(convert, png, dir.File("out.ppm"));
  ASSERT_FALSE(img.Empty());
  gfx_test::ExpectSampleRendered(img);
}

TEST(WmfFormat, RestoreLevelsBecomeRelative) {
  Document doc;
  doc.header.frame = {0, 0, 2646, 2646};
  doc.records.push_back(MakeSaveDC());
  doc.records.push_back(MakeSaveDC());
  doc.records.push_back(MakeSaveDC());
  doc.records.push_back(MakeU32Record(EMR_RESTOREDC, 2));  // absolute: back to the second save
  doc.records.push_back(MakeU32Record(EMR_RESTOREDC, static_cast<std::uint32_t>(-1)));
  doc.records.push_back(MakeU32Record(EMR_RESTOREDC, static_cast<std::uint32_t>(-5)));  // more than saved: ignored
  doc.records.push_back(MakeU32Record(EMR_RESTOREDC, 0x80000000u));
  std::vector<int> levels;
  for (auto& [func, params] : WmfRecords(FromEmf(doc, 0)))
    if (func == META_RESTOREDC) levels.push_back(gfx::bytes::Reader(params).I16(0));
  EXPECT_EQ(levels, (std::vector<int>{-2, -1}));
}
