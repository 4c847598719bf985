// The PNG codec's mended faults: sixteen-bit low bytes, two-bit grey
// brightness, transparent keys at every depth, and hostile input.
#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <string>

#include "report/frxpngimage.h"
#include "report/png_support.h"

using namespace report;
using report_test::Load;
using report_test::RawImage;
using report_test::Save;

namespace {

const std::string kSig("\x89PNG\r\n\x1a\n", 8);

TEST(PngSixteenBit, LowBytesSurviveReadWriteAndAssign) {
  for (int type : {0, 2, 4, 6}) {
    RawImage img = report_test::RandomImage(type, 16, 5, 4, 11);
    TPNGObject png;
    Load(png, report_test::Encode(img));
    TPNGObject copy;
    copy.AssignPNG(png);
    for (TPNGObject* p : {&png, &copy}) {
      RawImage back;
      ASSERT_TRUE(report_test::LibpngDecode(Save(*p), back));
      EXPECT_EQ(back.rows, img.rows) << "type " << type;
    }
  }
}

TEST(PngTwoBitGrey, KeepsItsBrightness) {
  RawImage img = report_test::RandomImage(COLOR_GRAYSCALE, 2, 4, 1, 1);
  img.rows[0] = {0x1B};  // levels 0, 1, 2, 3
  TPNGObject png;
  Load(png, report_test::Encode(img));
  EXPECT_EQ(png.GetPixels(0, 0), 0u);
  EXPECT_EQ(png.GetPixels(1, 0), PNGColor(85, 85, 85));
  EXPECT_EQ(png.GetPixels(2, 0), PNGColor(170, 170, 170));
  EXPECT_EQ(png.GetPixels(3, 0), 0xFFFFFFu);
  RawImage back;
  ASSERT_TRUE(report_test::LibpngDecode(Save(png), back));
  ASSERT_EQ(back.depth, 4);
  EXPECT_EQ(back.rows[0], (std::vector<std::uint8_t>{0x05, 0xAF}));  // 0, 5, 10, 15 of 15
}

TEST(PngTransparentKey, FollowsTheDepthOfThePixels) {
  struct Row {
    const char* what;
    int type, depth;
    std::string trnsIn;       // as read from a file ("" = set by colour)
    TPNGColor setColor;       // used when trnsIn is empty
    TPNGColor expectedColor;  // GetTransparentColor
    std::string trnsOut;      // as written
  };
  const Row rows[] = {
      {"16-bit grey white key", 0, 16, std::string("\xFF\xFF", 2), 0, 0xFFFFFF, std::string("\xFF\xFF", 2)},
      {"16-bit grey mid key", 0, 16, std::string("\x80\x11", 2), 0, PNGColor(128, 128, 128),
       std::string("\x80\x11", 2)},
      {"2-bit grey white key", 0, 2, std::string("\0\3", 2), 0, 0xFFFFFF, std::string("\0\x0F", 2)},
      {"1-bit grey white key", 0, 1, std::string("\0\1", 2), 0, 0xFFFFFF, std::string("\0\1", 2)},
      {"4-bit grey key", 0, 4, std::string("\0\5", 2), 0, PNGColor(85, 85, 85), std::string("\0\5", 2)},
      {"16-bit rgb key", 2, 16, std::string("\xFF\x00\x80\x00\x00\xFF", 6), 0, PNGColor(255, 128, 0),
       std::string("\xFF\x00\x80\x00\x00\xFF", 6)},
      {"set white on 1-bit grey", 0, 1, "", 0xFFFFFF, 0xFFFFFF, std::string("\0\1", 2)},
      {"set white on 2-bit grey", 0, 2, "", 0xFFFFFF, 0xFFFFFF, std::string("\0\x0F", 2)},
      {"set white on 16-bit grey", 0, 16, "", 0xFFFFFF, 0xFFFFFF, std::string("\xFF\xFF", 2)},
      {"set grey 0x33 on 4-bit grey", 0, 4, "", 0x333333, 0x333333, std::string("\0\3", 2)},
      {"set colour on 16-bit rgb", 2, 16, "", PNGColor(1, 2, 3), PNGColor(1, 2, 3),
       std::string("\x01\x01\x02\x02\x03\x03", 6)},
  };
  for (const Row& r : rows) {
    RawImage img = report_test::RandomImage(r.type, r.depth, 3, 2, 5);
    img.trns.assign(r.trnsIn.begin(), r.trnsIn.end());
    TPNGObject png;
    Load(png, report_test::Encode(img));
    if (r.trnsIn.empty()) png.SetTransparentColor(r.setColor);
    EXPECT_EQ(png.GetTransparentColor(), r.expectedColor) << r.what;
    std::string file = Save(png);
    RawImage back;
    ASSERT_TRUE(report_test::LibpngDecode(file, back)) << r.what;
    EXPECT_EQ(std::string(back.trns.begin(), back.trns.end()), r.trnsOut) << r.what;
    EXPECT_TRUE(report_test::PngcheckPasses(file)) << r.what;
  }
}

TEST(PngHostileInput, IsRefusedWithAClearError) {
  const std::string ihdr = report_test::ChunkBytes("IHDR", report_test::IhdrData(4, 4, 8, 0, 0));
  const std::string iend = report_test::ChunkBytes("IEND", "");
  std::string hugeLength = kSig + ihdr;
  hugeLength += std::string("\x7F\xFF\xFF\xF0tEXt", 8) + "short";
  struct Row {
    const char* what;
    std::string file;
    int error;  // 0 unexpected end, 1 invalid IHDR
  };
  const Row rows[] = {
      {"chunk length past the end", hugeLength, 0},
      {"IDAT length past the end", kSig + ihdr + std::string("\0\0\xFF\xFFIDAT\x78", 9), 0},
      {"zero width", kSig + report_test::ChunkBytes("IHDR", report_test::IhdrData(0, 4, 8, 0, 0)) + iend, 1},
      {"zero height", kSig + report_test::ChunkBytes("IHDR", report_test::IhdrData(4, 0, 8, 2, 0)) + iend, 1},
      {"rgb at 4 bits", kSig + report_test::ChunkBytes("IHDR", report_test::IhdrData(4, 4, 4, 2, 0)) + iend, 1},
      {"palette at 16 bits", kSig + report_test::ChunkBytes("IHDR", report_test::IhdrData(4, 4, 16, 3, 0)) + iend, 1},
      {"grey alpha at 2 bits", kSig + report_test::ChunkBytes("IHDR", report_test::IhdrData(4, 4, 2, 4, 0)) + iend, 1},
      {"colour type 5", kSig + report_test::ChunkBytes("IHDR", report_test::IhdrData(4, 4, 8, 5, 0)) + iend, 1},
      {"depth 3", kSig + report_test::ChunkBytes("IHDR", report_test::IhdrData(4, 4, 3, 0, 0)) + iend, 1},
      {"second header", kSig + ihdr + report_test::ChunkBytes("IHDR", report_test::IhdrData(9, 9, 8, 2, 1)) + iend, 1},
  };
  for (const Row& r : rows) {
    TPNGObject png;
    if (r.error == 0)
      EXPECT_THROW(Load(png, r.file), EPngUnexpectedEnd) << r.what;
    else
      EXPECT_THROW(Load(png, r.file), EPngInvalidIHDR) << r.what;
  }
}

TEST(PngHostileInput, ImageTooBigForMemoryRaisesOutOfMemoryBeforeAllocating) {
  // 65535 x 65535 RGBA at 16 bits would need 32 GiB.
  std::string file = kSig + report_test::ChunkBytes("IHDR", report_test::IhdrData(65535, 65535, 16, 6, 0)) +
                     report_test::ChunkBytes("IDAT", "x") + report_test::ChunkBytes("IEND", "");
  TPNGObject png;
  try {
    Load(png, file);
    FAIL() << "no error";
  } catch (const EPNGOutMemory& e) {
    EXPECT_EQ(e.Message(),
              "Some operation could not be performed because the system is out of resources. Close some windows and "
              "try again.");
  }
  TPNGObject small(COLOR_RGB, 8, 10, 10);
  EXPECT_THROW(small.Resize(65535, 65535), EPNGOutMemory);
  EXPECT_EQ(small.GetWidth(), 10);
  EXPECT_THROW(TPNGObject(COLOR_RGBALPHA, 16, 65535, 65535), EPNGOutMemory);
}

TEST(PngHostileInput, CompressedTextBombIsNotInflatedWithoutLimit) {
  // 8 MiB of zeros deflate to about 8 KiB.
  std::string zeros(8u << 20, '\0');
  uLongf size = compressBound(static_cast<uLong>(zeros.size()));
  std::string z(size, '\0');
  compress2(reinterpret_cast<Bytef*>(z.data()), &size, reinterpret_cast<const Bytef*>(zeros.data()),
            static_cast<uLong>(zeros.size()), 9);
  z.resize(size);
  zeros.clear();
  zeros.shrink_to_fit();
  RawImage img = report_test::RandomImage(COLOR_GRAYSCALE, 8, 2, 2, 1);
  report_test::EncodeOptions opt;
  opt.beforeIdat = {{"zTXt", std::string("Bomb\0\0", 6) + z}};
  TPNGObject png;
  Load(png, report_test::Encode(img, opt));
  auto* t = png.Chunks().FindChunk<TChunkzTXt>();
  ASSERT_TRUE(t);
  EXPECT_EQ(t->Keyword, "Bomb");
  EXPECT_TRUE(t->Text.empty());
}

TEST(PngHostileInput, DamagedCompressedTextLeavesTextEmpty) {
  RawImage img = report_test::RandomImage(COLOR_GRAYSCALE, 8, 2, 2, 1);
  report_test::EncodeOptions opt;
  opt.beforeIdat = {{"zTXt", std::string("Key\0\0\x78\x9c\xff", 8)}};
  TPNGObject png;
  Load(png, report_test::Encode(img, opt));
  EXPECT_TRUE(png.Chunks().FindChunk<TChunkzTXt>()->Text.empty());
}

TEST(PngHostileInput, ImageDataEndingEarly) {
  RawImage img = report_test::RandomImage(COLOR_RGB, 8, 20, 20, 1);
  RawImage half = img;
  half.rows.resize(10);
  half.height = 10;
  // The image data of 10 rows under a header of 20.
  std::string shortData = report_test::Encode(half);
  std::string file = shortData.substr(0, 8) + report_test::ChunkBytes("IHDR", report_test::IhdrData(20, 20, 8, 2, 0)) +
                     shortData.substr(8 + 25);
  TPNGObject png;
  EXPECT_THROW(Load(png, file), EPNGMissingMultipleIDAT);
  // Cut inside the last IDAT: the stream ends.
  std::string cut = report_test::Encode(img).substr(0, 8 + 25 + 40);
  EXPECT_THROW(Load(png, cut), EPngUnexpectedEnd);
}

}  // namespace

namespace {

TEST(PngGamma, InterlacedSixteenBitAlphaIsWrittenLikePlain) {
  // With a gamma table the stored high bytes are displayed values; both
  // layouts must turn them back the same way.
  RawImage img = report_test::RandomImage(COLOR_RGBALPHA, 16, 11, 9, 4);
  report_test::EncodeOptions opt;
  opt.beforeIdat = {{"gAMA", std::string("\0\1\x86\xA0", 4)}};
  TPNGObject png;
  Load(png, report_test::Encode(img, opt));
  RawImage plain, adam7;
  png.SetInterlaceMethod(imNone);
  ASSERT_TRUE(report_test::LibpngDecode(Save(png), plain));
  png.SetInterlaceMethod(imAdam7);
  ASSERT_TRUE(report_test::LibpngDecode(Save(png), adam7));
  EXPECT_EQ(plain.rows, adam7.rows);
}

}  // namespace
