// The PNG picture's own behaviour: chunk order, filter choice, IDAT sizes,
// chunk rules, transparency, gamma, resizing and the typed constructor.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "report/frxpngcodec_p.h"
#include "report/frxpngimage.h"
#include "report/png_support.h"

using namespace report;
using report_test::Chunk;
using report_test::Load;
using report_test::RawImage;
using report_test::Save;

namespace {

std::vector<std::string> Names(const std::vector<Chunk>& chunks) {
  std::vector<std::string> n;
  for (auto& c : chunks) n.push_back(c.name);
  return n;
}

using Names_ = std::vector<std::string>;

// Noise: compresses badly, so the image data spans several IDAT chunks.
void FillNoise(TPNGObject& png, std::uint32_t seed) {
  std::mt19937 rng(seed);
  for (int y = 0; y < png.GetHeight(); ++y)
    for (int x = 0; x < png.GetWidth(); ++x) png.SetPixels(x, y, rng() & 0xFFFFFF);
}

// The filter-type byte of every row of a non-interlaced image.
std::vector<int> RowFilters(const std::string& file, std::size_t rowBytes, int rows) {
  std::string raw = report_test::InflateIdat(report_test::ListChunks(file));
  std::vector<int> types;
  for (int r = 0; r < rows; ++r)
    types.push_back(static_cast<std::uint8_t>(raw.at(static_cast<std::size_t>(r) * (rowBytes + 1))));
  return types;
}

// IDAT chunks of exactly `full` bytes, then one shorter.
void ExpectIdatSizes(const std::vector<Chunk>& chunks, std::size_t full) {
  std::vector<std::size_t> sizes;
  for (auto& c : chunks)
    if (c.name == "IDAT") sizes.push_back(c.data.size());
  ASSERT_GE(sizes.size(), 2u);
  for (std::size_t i = 0; i + 1 < sizes.size(); ++i) EXPECT_EQ(sizes[i], full);
  EXPECT_LT(sizes.back(), full);
}

TEST(PngWriter, RgbImageWritesHeaderDataEndWithSubFilterAndFullIdatChunks) {
  TPNGObject png(COLOR_RGB, 8, 300, 250);
  FillNoise(png, 1);
  std::string file = Save(png);
  auto chunks = report_test::ListChunks(file);
  EXPECT_EQ(chunks.front().name, "IHDR");
  EXPECT_EQ(chunks.back().name, "IEND");
  for (std::size_t i = 1; i + 1 < chunks.size(); ++i) EXPECT_EQ(chunks[i].name, "IDAT");
  EXPECT_EQ(chunks[0].data, report_test::IhdrData(300, 250, 8, 2, 0));
  ExpectIdatSizes(chunks, 65535);
  // zlib's header records level 7 as "maximum compression" (FLEVEL 3).
  EXPECT_EQ(static_cast<std::uint8_t>(chunks[1].data[1]) >> 6, 3);
  for (int t : RowFilters(file, 900, 250)) ASSERT_EQ(t, 1);
}

TEST(PngWriter, TransparentColourAddsSixByteTrnsBeforeImageData) {
  TPNGObject png(COLOR_RGB, 8, 4, 4);
  png.SetTransparentColor(PNGColor(1, 2, 3));
  auto chunks = report_test::ListChunks(Save(png));
  EXPECT_EQ(Names(chunks), (Names_{"IHDR", "tRNS", "IDAT", "IEND"}));
  EXPECT_EQ(chunks[1].data, std::string("\0\1\0\2\0\3", 6));
  EXPECT_EQ(png.GetTransparencyMode(), ptmBit);
  EXPECT_EQ(png.GetTransparentColor(), PNGColor(1, 2, 3));
}

TEST(PngWriter, LargestIdatSize) {
  struct Row {
    std::int32_t set, expected;
  };
  for (Row r : {Row{1000, 65535}, Row{0, 65535}, Row{65535, 65535}, Row{100000, 100000}}) {
    TPNGObject png;
    png.SetMaxIdatSize(r.set);
    EXPECT_EQ(png.MaxIdatSize(), r.expected) << r.set;
  }
  TPNGObject png(COLOR_RGB, 8, 300, 250);
  FillNoise(png, 2);
  png.SetMaxIdatSize(100000);
  ExpectIdatSizes(report_test::ListChunks(Save(png)), 100000);
}

TEST(PngWriter, SmallImageGetsOneIdatChunk) {
  TPNGObject png(COLOR_PALETTE, 8, 50, 50);
  EXPECT_EQ(Names(report_test::ListChunks(Save(png))), (Names_{"IHDR", "PLTE", "IDAT", "IEND"}));
}

TEST(PngWriter, FilterChoicePerRow) {
  // One 8-bit grey row of 20 pixels, written with filters None, Sub and Up.
  struct Row {
    const char* what;
    std::vector<int> bytes;
    int expected;
  };
  std::vector<int> same(20, 77), triangular, ramp;
  for (int i = 0; i < 20; ++i) triangular.push_back(i * (i + 1) / 2);
  for (int i = 0; i < 20; ++i) ramp.push_back(10 * i);
  const Row rows[] = {
      {"equal bytes score alike: the lowest type wins", same, 0},
      {"no repeated neighbours under any filter", triangular, 0},
      {"a ramp repeats under Sub only", ramp, 1},
  };
  for (const Row& r : rows) {
    TPNGObject png(COLOR_GRAYSCALE, 8, 20, 1);
    png.SetFilters(FilterSet({pfNone, pfSub, pfUp}));
    for (int x = 0; x < 20; ++x)
      png.GetScanline(0)[x] = static_cast<std::uint8_t>(r.bytes[static_cast<std::size_t>(x)]);
    EXPECT_EQ(RowFilters(Save(png), 20, 1), std::vector<int>{r.expected}) << r.what;
  }
}

TEST(PngWriter, FilterSetsWithOneMemberOrNone) {
  struct Row {
    TFilters set;
    int expected;
  };
  for (Row r : {Row{FilterSet({}), 0}, Row{FilterSet({pfNone}), 0}, Row{FilterSet({pfUp}), 2},
                Row{FilterSet({pfAverage}), 3}, Row{FilterSet({pfPaeth}), 4}}) {
    TPNGObject png(COLOR_RGB, 8, 16, 6);
    FillNoise(png, 3);
    png.SetFilters(r.set);
    for (int t : RowFilters(Save(png), 48, 6)) EXPECT_EQ(t, r.expected) << int(r.set);
  }
}

TEST(PngWriter, ChooseFilterWithoutPositiveScoreIsNoneEvenWhenNotInSet) {
  const std::uint8_t a[] = {1, 2, 3, 4, 5, 6};
  const std::uint8_t b[] = {9, 7, 5, 3, 1, 0};
  const std::uint8_t* filtered[5] = {a, nullptr, nullptr, a, b};
  EXPECT_EQ(pngcodec::ChooseFilter(FilterSet({pfAverage, pfPaeth}), filtered, 6), 0);
}

TEST(PngReader, RejectsOrKeepsChunks) {
  RawImage img = report_test::RandomImage(COLOR_RGB, 8, 5, 4, 7);
  struct Row {
    const char* what;
    std::vector<Chunk> extra;
    bool fails;
    Names_ saved;
  };
  const Row rows[] = {
      {"unknown critical chunk", {{"ABCD", "x"}}, true, {}},
      {"unknown ancillary chunk is kept", {{"abCd", "data"}}, false, {"IHDR", "abCd", "IDAT", "IEND"}},
      {"cHRM is dropped", {{"cHRM", std::string(32, '\1')}}, false, {"IHDR", "IDAT", "IEND"}},
      {"tIME and tEXt are kept",
       {{"tIME", std::string("\x07\xEA\x0C\x0A\x0D\x0E\x0F", 7)}, {"tEXt", std::string("Title\0Report", 12)}},
       false,
       {"IHDR", "tIME", "tEXt", "IDAT", "IEND"}},
  };
  for (const Row& r : rows) {
    report_test::EncodeOptions opt;
    opt.beforeIdat = r.extra;
    std::string file = report_test::Encode(img, opt);
    TPNGObject png;
    if (r.fails) {
      EXPECT_THROW(Load(png, file), EPNGUnknownCriticalChunk) << r.what;
      continue;
    }
    Load(png, file);
    auto chunks = report_test::ListChunks(Save(png));
    EXPECT_EQ(Names(chunks), r.saved) << r.what;
    for (const auto& c : r.extra)
      for (const auto& s : chunks)
        if (s.name == c.name) {
          EXPECT_EQ(s.data, c.data) << r.what;
        }
  }
}

TEST(PngReader, ReadsTimeTextAndPhysicalSize) {
  RawImage img = report_test::RandomImage(COLOR_GRAYSCALE, 8, 3, 3, 1);
  report_test::EncodeOptions opt;
  opt.beforeIdat = {{"tIME", std::string("\x07\xEA\x0C\x0A\x0D\x0E\x0F", 7)},
                    {"pHYs", std::string("\0\0\x0B\x13\0\0\x0B\x13\1", 9)},
                    {"tEXt", std::string("Title\0Report", 12)}};
  TPNGObject png;
  Load(png, report_test::Encode(img, opt));
  auto* t = png.Chunks().FindChunk<TChunktIME>();
  ASSERT_TRUE(t);
  EXPECT_EQ(t->Year, 2026);
  EXPECT_EQ(t->Month, 12);
  EXPECT_EQ(t->Second, 15);
  auto* p = png.Chunks().FindChunk<TChunkpHYs>();
  ASSERT_TRUE(p);
  EXPECT_EQ(p->PPUnitX, 2835u);
  EXPECT_EQ(p->UnitType, utMeter);
  auto* tx = png.Chunks().FindChunk<TChunktEXt>();
  ASSERT_TRUE(tx);
  EXPECT_EQ(tx->Keyword, "Title");
  EXPECT_EQ(tx->Text, "Report");
}

TEST(PngReader, ImageDataSplitAnywhereReadsTheSameImage) {
  RawImage img = report_test::RandomImage(COLOR_RGBALPHA, 8, 40, 30, 5);
  std::string whole;
  {
    TPNGObject png;
    Load(png, report_test::Encode(img));
    whole = Save(png);
  }
  for (std::vector<std::size_t> sizes : {std::vector<std::size_t>{1}, {7, 100}, {1000, 1, 1}, {70000}}) {
    report_test::EncodeOptions opt;
    opt.idatSizes = sizes;
    TPNGObject png;
    Load(png, report_test::Encode(img, opt));
    EXPECT_EQ(Save(png), whole) << sizes.front();
  }
}

TEST(PngReader, CrcErrorInTheSecondOfThreeIdatChunks) {
  RawImage img = report_test::RandomImage(COLOR_RGB, 8, 40, 30, 5);
  report_test::EncodeOptions opt;
  opt.idatSizes = {300};
  std::string file = report_test::Encode(img, opt);
  auto chunks = report_test::ListChunks(file);
  ASSERT_GE(chunks.size(), 5u);
  // Position of the CRC of the second IDAT: signature, IHDR, first IDAT.
  std::size_t pos = 8 + 12 + chunks[0].data.size() + 12 + chunks[1].data.size() + 8 + chunks[2].data.size();
  file[pos] = static_cast<char>(file[pos] ^ 0x55);
  TPNGObject png;
  EXPECT_THROW(Load(png, file), EPngInvalidCRC);
}

TEST(PngReader, ReadErrors) {
  RawImage img = report_test::RandomImage(COLOR_GRAYSCALE, 8, 6, 6, 3);
  const std::string good = report_test::Encode(img);
  const std::string sig = good.substr(0, 8);
  const std::string ihdr = report_test::ChunkBytes("IHDR", report_test::IhdrData(6, 6, 8, 0, 0));
  const std::string iend = report_test::ChunkBytes("IEND", "");
  auto idatOnly = [&] {
    std::string s;
    for (auto& c : report_test::ListChunks(good))
      if (c.name == "IDAT") s += report_test::ChunkBytes("IDAT", c.data);
    return s;
  }();
  auto expectThrow = [](const std::string& what, const std::string& file, auto tag) {
    using E = decltype(tag);
    TPNGObject png;
    EXPECT_THROW(Load(png, file), E) << what;
  };
  expectThrow("bad signature", "\x89PNX" + good.substr(4), EPNGInvalidFileHeader());
  expectThrow("empty stream", "", EPNGInvalidFileHeader());
  expectThrow("IHDR not first", sig + report_test::ChunkBytes("gAMA", std::string(4, '\1')) + ihdr + idatOnly + iend,
              EPNGIHDRNotFirst());
  expectThrow("width 70000",
              sig + report_test::ChunkBytes("IHDR", report_test::IhdrData(70000, 6, 8, 0, 0)) + idatOnly + iend,
              EPNGSizeExceeds());
  expectThrow(
      "short IHDR",
      sig + report_test::ChunkBytes("IHDR", report_test::IhdrData(6, 6, 8, 0, 0).substr(0, 12)) + idatOnly + iend,
      EPngInvalidIHDR());
  std::string badCompression = report_test::IhdrData(6, 6, 8, 0, 0);
  badCompression[10] = 1;
  expectThrow("compression 1", sig + report_test::ChunkBytes("IHDR", badCompression) + idatOnly + iend,
              EPNGUnknownCompression());
  expectThrow("interlace 2",
              sig + report_test::ChunkBytes("IHDR", report_test::IhdrData(6, 6, 8, 0, 2)) + idatOnly + iend,
              EPNGUnknownInterlace());
  expectThrow("no image data", sig + ihdr + iend, EPNGNoImageData());
  expectThrow("ends after IHDR", sig + ihdr, EPngUnexpectedEnd());
  expectThrow("palette of 4 bytes", sig + ihdr + report_test::ChunkBytes("PLTE", "abcd") + idatOnly + iend,
              EPNGInvalidPalette());
  expectThrow("tRNS of 257 bytes",
              sig + ihdr + report_test::ChunkBytes("tRNS", std::string(257, 'a')) + idatOnly + iend,
              EPNGInvalidPalette());
  expectThrow("image data continued by another chunk",
              sig + ihdr + report_test::ChunkBytes("IDAT", report_test::ListChunks(good)[1].data.substr(0, 20)) +
                  report_test::ChunkBytes("tEXt", "a\0b") + iend,
              EPNGMissingMultipleIDAT());
  std::string crcBroken = good;
  crcBroken[8 + 8 + 13] ^= 1;
  expectThrow("IHDR crc", crcBroken, EPngInvalidCRC());
}

TEST(PngReader, ZlibErrorText) {
  const std::string sig("\x89PNG\r\n\x1a\n", 8);
  std::string file = sig + report_test::ChunkBytes("IHDR", report_test::IhdrData(2, 2, 8, 0, 0)) +
                     report_test::ChunkBytes("IDAT", "\x78\x9c\xff\xff\xff\xff") + report_test::ChunkBytes("IEND", "");
  TPNGObject png;
  try {
    Load(png, file);
    FAIL() << "no error";
  } catch (const EPNGZLIBError& e) {
    EXPECT_EQ(
        e.Message(),
        "Could not decompress the image because it contains invalid compressed data.\r\n Description: data error (-3)");
  }
}

TEST(PngReader, TwoBitPaletteIsSavedAtFourBits) {
  RawImage img = report_test::RandomImage(COLOR_PALETTE, 2, 11, 7, 4);
  TPNGObject png;
  Load(png, report_test::Encode(img));
  auto chunks = report_test::ListChunks(Save(png));
  EXPECT_EQ(chunks[0].data, report_test::IhdrData(11, 7, 4, 3, 0));
  EXPECT_EQ(chunks[1].name, "PLTE");
  EXPECT_EQ(chunks[1].data.size(), 12u);  // the file's four entries
}

TEST(PngObject, TypedConstructor) {
  struct Row {
    int type, depth;
    bool valid;
  };
  const Row rows[] = {{3, 16, false}, {2, 4, false}, {2, 1, false}, {4, 4, false}, {6, 2, false}, {1, 8, false},
                      {0, 3, false},  {0, 1, true},  {0, 16, true}, {2, 8, true},  {3, 2, true},  {4, 16, true}};
  for (const Row& r : rows) {
    if (!r.valid) {
      EXPECT_THROW(TPNGObject(r.type, r.depth, 4, 4), EPNGInvalidSpec) << r.type << "/" << r.depth;
      continue;
    }
    TPNGObject png(r.type, r.depth, 4, 4);
    EXPECT_EQ(png.GetWidth(), 4);
    EXPECT_EQ(png.GetPixels(0, 0), 0u);
  }
  EXPECT_THROW(TPNGObject(COLOR_RGB, 8, 0, 4), EPNGInvalidSpec);
  TPNGObject pal(COLOR_PALETTE, 2, 4, 4);
  auto chunks = report_test::ListChunks(Save(pal));
  EXPECT_EQ(Names(chunks), (Names_{"IHDR", "PLTE", "IDAT", "IEND"}));
  EXPECT_EQ(chunks[0].data, report_test::IhdrData(4, 4, 4, 3, 0));
  EXPECT_EQ(chunks[1].data.size(), 48u);
}

TEST(PngObject, ChunkRules) {
  TPNGObject png(COLOR_PALETTE, 8, 4, 4);
  EXPECT_THROW(png.Chunks().Add<TChunkIHDR>(), EPngError);
  EXPECT_THROW(png.Chunks().Add<TChunkIDAT>(), EPngError);
  png.Chunks().Add<TChunkgAMA>();
  EXPECT_THROW(png.Chunks().Add<TChunkgAMA>(), EPngError);
  png.Chunks().Add<TChunkpHYs>();
  png.Chunks().Add<TChunktRNS>();
  png.AddtEXt("Author", "me");
  EXPECT_EQ(Names(report_test::ListChunks(Save(png))),
            (Names_{"IHDR", "pHYs", "gAMA", "PLTE", "tRNS", "IDAT", "tEXt", "IEND"}));
  try {
    png.Chunks().Add<TChunktRNS>();
    FAIL();
  } catch (const EPngError& e) {
    EXPECT_EQ(e.Message(),
              "The program tried to add a existent critical chunk to the current image which is not allowed.");
  }
  TPNGObject empty;
  try {
    empty.AddtEXt("a", "b");
    FAIL();
  } catch (const EPngError& e) {
    EXPECT_EQ(e.Message(), "It's not allowed to add a new chunk because the current image is invalid.");
  }
  EXPECT_THROW(empty.GetHeader(), EPNGHeaderNotPresent);
  EXPECT_TRUE(empty.GetEmpty());
  EXPECT_EQ(empty.GetWidth(), 0);
  TChunkIHDR header(&png);
  TChunkPLTE palette(&png);
  EXPECT_THROW(header.Assign(palette), EPngError);
}

TEST(PngObject, TrnsOfAGreyImageWithoutPaletteGoesAfterHeader) {
  TPNGObject png(COLOR_GRAYSCALE, 8, 2, 2);
  png.SetTransparentColor(PNGColor(200, 200, 200));
  EXPECT_EQ(Names(report_test::ListChunks(Save(png))), (Names_{"IHDR", "tRNS", "IDAT", "IEND"}));
  EXPECT_EQ(report_test::ListChunks(Save(png))[1].data, std::string("\0\xC8", 2));
}

TEST(PngObject, TextChunksRoundTrip) {
  TPNGObject png(COLOR_RGB, 8, 2, 2);
  png.AddtEXt("Title", "Отчёт");
  png.AddzTXt("Comment", std::string(5000, 'z'));
  png.AddzTXt("Empty", "");
  TPNGObject back;
  Load(back, Save(png));
  std::vector<std::pair<std::string, std::string>> texts;
  for (int i = 0; i < back.Chunks().Count(); ++i)
    if (auto* t = dynamic_cast<TChunktEXt*>(back.Chunks().Item(i))) texts.emplace_back(t->Keyword, t->Text);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], std::make_pair(std::string("Title"), std::string("Отчёт")));
  EXPECT_EQ(texts[1], std::make_pair(std::string("Comment"), std::string(5000, 'z')));
  EXPECT_EQ(texts[2], std::make_pair(std::string("Empty"), std::string(" ")));
  EXPECT_TRUE(report_test::PngcheckPasses(Save(png)));
}

TEST(PngObject, TransparencyModes) {
  struct Row {
    const char* what;
    int type;
    std::string trns;
    TPNGTransparencyMode mode;
  };
  const Row rows[] = {
      {"grey", 0, "", ptmNone},
      {"grey with key", 0, std::string("\0\1", 2), ptmBit},
      {"rgb with key", 2, std::string(6, '\0'), ptmBit},
      {"palette", 3, "", ptmNone},
      {"palette, one clear entry", 3, std::string("\xFF\0\xFF", 3), ptmBit},
      {"palette, two clear entries", 3, std::string("\0\0", 2), ptmPartial},
      {"palette, one half-clear entry", 3, std::string("\xFF\x80", 2), ptmPartial},
      {"palette, all opaque", 3, std::string("\xFF\xFF", 2), ptmPartial},
      {"grey alpha", 4, "", ptmPartial},
      {"rgb alpha", 6, "", ptmPartial},
  };
  for (const Row& r : rows) {
    RawImage img = report_test::RandomImage(r.type, 8, 3, 3, 2);
    img.trns.assign(r.trns.begin(), r.trns.end());
    TPNGObject png;
    Load(png, report_test::Encode(img));
    EXPECT_EQ(png.GetTransparencyMode(), r.mode) << r.what;
    EXPECT_EQ(png.GetTransparent(), r.mode != ptmNone) << r.what;
  }
}

TEST(PngObject, TransparentColourRules) {
  TPNGObject rgba(COLOR_RGBALPHA, 8, 2, 2);
  EXPECT_THROW(rgba.SetTransparentColor(0), EPNGCannotChangeTransparent);
  TPNGObject empty;
  empty.SetTransparentColor(0xFFFFFF);
  EXPECT_TRUE(empty.GetEmpty());
  EXPECT_EQ(empty.GetTransparentColor(), 0u);

  // Palette: the first entry of the colour gets 0, those before it 255.
  RawImage img = report_test::RandomImage(COLOR_PALETTE, 8, 3, 3, 2);
  img.palette = {10, 10, 10, 20, 20, 20, 30, 30, 30, 20, 20, 20};
  TPNGObject pal;
  Load(pal, report_test::Encode(img));
  pal.SetTransparentColor(PNGColor(20, 20, 20));
  auto chunks = report_test::ListChunks(Save(pal));
  EXPECT_EQ(chunks[2].name, "tRNS");
  EXPECT_EQ(chunks[2].data, std::string("\xFF\0", 2));
  EXPECT_EQ(pal.GetTransparentColor(), PNGColor(20, 20, 20));
  EXPECT_EQ(pal.GetTransparencyMode(), ptmBit);
  // A colour the palette lacks makes nothing transparent and keeps the file valid.
  pal.SetTransparentColor(PNGColor(1, 2, 3));
  EXPECT_EQ(report_test::ListChunks(Save(pal))[2].data, std::string(4, '\xFF'));
  EXPECT_TRUE(report_test::PngcheckPasses(Save(pal)));

  pal.RemoveTransparency();
  EXPECT_FALSE(pal.Chunks().FindChunk<TChunktRNS>());
  pal.CreateAlpha();
  EXPECT_EQ(report_test::ListChunks(Save(pal))[2].data, std::string(4, '\xFF'));
}

TEST(PngObject, AlphaPlaneComesAndGoes) {
  TPNGObject png(COLOR_RGB, 8, 3, 2);
  png.SetPixels(1, 1, PNGColor(9, 8, 7));
  png.CreateAlpha();
  EXPECT_EQ(png.GetHeader()->ColorType, COLOR_RGBALPHA);
  EXPECT_EQ(png.GetAlphaScanline(1)[2], 255);
  png.GetAlphaScanline(1)[1] = 17;
  RawImage back;
  ASSERT_TRUE(report_test::LibpngDecode(Save(png), back));
  EXPECT_EQ(back.Sample(1, 1, 0), 9);
  EXPECT_EQ(back.Sample(1, 1, 3), 17);
  png.RemoveTransparency();
  EXPECT_EQ(png.GetHeader()->ColorType, COLOR_RGB);
  EXPECT_EQ(png.GetAlphaScanline(0), nullptr);
  EXPECT_EQ(png.GetPixels(1, 1), PNGColor(9, 8, 7));

  // Low-depth grey gains alpha at 8 bits, keeping its brightness.
  TPNGObject grey(COLOR_GRAYSCALE, 1, 3, 1);
  grey.SetPixels(0, 0, 0xFFFFFF);
  grey.CreateAlpha();
  EXPECT_EQ(grey.GetHeader()->BitDepth, 8);
  EXPECT_EQ(grey.GetPixels(0, 0), 0xFFFFFFu);
  EXPECT_EQ(grey.GetPixels(1, 0), 0u);
  EXPECT_TRUE(report_test::PngcheckPasses(Save(grey)));
}

TEST(PngObject, Resize) {
  TPNGObject png(COLOR_RGBALPHA, 8, 2, 2);
  png.SetPixels(1, 1, PNGColor(50, 60, 70));
  png.GetAlphaScanline(1)[1] = 40;
  EXPECT_THROW(png.Resize(0, 10), EPNGInvalidNewSize);
  EXPECT_THROW(png.Resize(10, 0), EPNGInvalidNewSize);
  png.Resize(4, 3);
  EXPECT_EQ(png.GetWidth(), 4);
  EXPECT_EQ(png.GetHeight(), 3);
  EXPECT_EQ(png.GetPixels(1, 1), PNGColor(50, 60, 70));
  EXPECT_EQ(png.GetAlphaScanline(1)[1], 40);
  EXPECT_EQ(png.GetPixels(3, 2), 0u);
  EXPECT_EQ(png.GetAlphaScanline(2)[3], 255);
  png.SetWidth(1);
  EXPECT_EQ(png.GetWidth(), 1);
  EXPECT_EQ(png.GetHeight(), 3);
  RawImage back;
  ASSERT_TRUE(report_test::LibpngDecode(Save(png), back));
  EXPECT_EQ(back.width, 1);

  TPNGObject bits(COLOR_GRAYSCALE, 1, 9, 1);
  for (int x = 0; x < 9; ++x) bits.SetPixels(x, 0, 0xFFFFFF);
  bits.Resize(5, 1);
  bits.Resize(9, 1);
  EXPECT_EQ(bits.GetPixels(4, 0), 0xFFFFFFu);
  EXPECT_EQ(bits.GetPixels(5, 0), 0u);
}

TEST(PngObject, GammaTablesFromGama) {
  RawImage img = report_test::RandomImage(COLOR_RGB, 8, 1, 1, 2);
  img.rows[0] = {0, 128, 255};
  report_test::EncodeOptions opt;
  opt.beforeIdat = {{"gAMA", std::string("\0\0\xB1\x8F", 4)}};  // 45455: a display exponent of 1
  TPNGObject png;
  Load(png, report_test::Encode(img, opt));
  EXPECT_EQ(png.GammaTable[128], 128);
  opt.beforeIdat = {{"gAMA", std::string("\0\1\x86\xA0", 4)}};  // 100000: exponent 1 / 2.2
  Load(png, report_test::Encode(img, opt));
  EXPECT_EQ(png.GammaTable[0], 0);
  EXPECT_EQ(png.GammaTable[255], 255);
  EXPECT_EQ(png.GammaTable[128], 186);  // 255 * (128/255)^(1/2.2)
  EXPECT_EQ(png.GetPixels(0, 0), PNGColor(0, 186, 255));
  EXPECT_EQ(png.InverseTable[186], 128);
  // Saving undoes the table: the file keeps its samples.
  RawImage back;
  ASSERT_TRUE(report_test::LibpngDecode(Save(png), back));
  EXPECT_EQ(back.rows[0], img.rows[0]);
  png.InitializeGamma();
  EXPECT_EQ(png.GammaTable[128], 128);
}

TEST(PngObject, AssignCopiesEverything) {
  RawImage img = report_test::RandomImage(COLOR_RGBALPHA, 16, 9, 7, 3);
  report_test::EncodeOptions opt;
  opt.interlace = true;
  opt.afterIdat = {{"zzZz", "keep"}};
  TPNGObject src;
  Load(src, report_test::Encode(img, opt));
  src.SetFilters(FilterSet({pfPaeth}));
  src.SetCompressionLevel(9);
  TPNGObject copy;
  copy.AssignPNG(src);
  EXPECT_EQ(copy.InterlaceMethod(), imAdam7);
  EXPECT_EQ(copy.Filters(), FilterSet({pfPaeth}));
  EXPECT_EQ(copy.CompressionLevel(), 9);
  EXPECT_EQ(Save(copy), Save(src));
  RawImage back;
  ASSERT_TRUE(report_test::LibpngDecode(Save(copy), back));
  EXPECT_EQ(back.rows, img.rows);  // the low bytes too
}

TEST(PngObject, PixelsOfEachType) {
  TPNGObject grey(COLOR_GRAYSCALE, 4, 2, 1);
  grey.SetPixels(0, 0, PNGColor(250, 250, 250));
  EXPECT_EQ(grey.GetPixels(0, 0), 0xFFFFFFu);
  grey.SetPixels(1, 0, PNGColor(100, 100, 100));
  EXPECT_EQ(grey.GetPixels(1, 0), PNGColor(102, 102, 102));
  EXPECT_EQ(grey.GetPixels(-1, 0), 0u);
  EXPECT_EQ(grey.GetPixels(2, 0), 0u);
  grey.SetPixels(5, 5, 0xFFFFFF);  // ignored

  TPNGObject ga(COLOR_GRAYSCALEALPHA, 8, 1, 1);
  ga.SetPixels(0, 0, PNGColor(77, 1, 2));
  EXPECT_EQ(ga.GetPixels(0, 0), PNGColor(77, 77, 77));

  TPNGObject pal(COLOR_PALETTE, 1, 2, 1);
  pal.SetPalette({{0, 0, 0}, {250, 10, 10}});
  pal.SetPixels(1, 0, PNGColor(255, 0, 0));
  EXPECT_EQ(pal.GetPixels(1, 0), PNGColor(250, 10, 10));
  EXPECT_EQ(pal.GetPalette().size(), 2u);
  EXPECT_EQ(pal.Chunks().FindChunk<TChunkPLTE>()->Item(1), (TPNGRGB{250, 10, 10}));
  EXPECT_THROW(pal.Chunks().FindChunk<TChunkPLTE>()->Item(2), EPngError);
}

TEST(PngObject, LibraryVersion) { EXPECT_EQ(TPNGObject::GetLibraryVersion(), "1.564"); }

}  // namespace
