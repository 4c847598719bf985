// The GIF writer: exact bytes of small files, the LZW coder's clear codes
// and widths, the colour reduction, and decoding by ImageMagick and Python.
#include "export/Gif.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "export/vuzColorQuantizer.h"
#include "tests/export/export_tools.h"
#include "tests/export/gif_reader.h"

namespace {

using namespace exporttest;
using report::GIFSaveToStream;

std::string Gif(gfx::TBitmap& bitmap) {
  rtl::TMemoryStream out;
  GIFSaveToStream(out, bitmap);
  return out.Bytes();
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

using Bitmap = std::unique_ptr<gfx::TBitmap>;

Bitmap Blank(int w, int h) { return std::make_unique<gfx::TBitmap>(w, h, gfx::pf24bit); }

Bitmap NoiseBitmap(int w, int h, unsigned seed) {
  Bitmap b = Blank(w, h);
  std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
  std::mt19937 random(seed);
  for (auto& p : px) p = random() & 0xFFFFFF;
  b->FromRGB32(px.data());
  return b;
}

// An 8-bit bitmap of random indices: every pixel pair is new to the coder.
Bitmap IndexNoise(int w, int h, unsigned seed) {
  Bitmap b = std::make_unique<gfx::TBitmap>(w, h, gfx::pf8bit);
  std::vector<gfx::TRGBQuad> palette(256);
  for (int i = 0; i < 256; ++i)
    palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 7),
                  0};
  b->SetPalette(palette);
  std::mt19937 random(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b->ScanLine(y)[x] = static_cast<std::uint8_t>(random());
  return b;
}

Bitmap Gradient(int w, int h) {
  Bitmap b = Blank(w, h);
  std::vector<std::uint32_t> px;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      px.push_back((std::uint32_t(x * 255 / (w - 1)) << 16) | (std::uint32_t(y * 255 / (h - 1)) << 8) |
                   std::uint32_t((x + y) * 255 / (w + h - 2)));
  b->FromRGB32(px.data());
  return b;
}

// Text drawn over white: anti-aliased edges give many colours.
Bitmap Page(int w, int h) {
  Bitmap b = Blank(w, h);
  gfx::TCanvas& c = b->Canvas();
  c.Brush().SetColor(gfx::clWhite);
  c.FillRect({0, 0, w, h});
  c.Font().SetSize(12);
  for (int y = 10, i = 0; y < h - 20; y += 24, ++i) {
    c.Font().SetColor(i % 3 == 0 ? 0x0000C0 : i % 3 == 1 ? 0x006000 : 0x000000);
    c.TextOut(10, y, "Сушка кирпича: камера " + std::to_string(i) + ", 105 C, влажность 12.5%");
  }
  c.Brush().SetColor(0xC0E0FF);
  c.FillRect({w / 2, h / 2, w - 10, h - 10});
  return b;
}

Bitmap Black(int w, int h) {
  Bitmap b = Blank(w, h);
  b->Canvas().Brush().SetColor(gfx::clBlack);
  b->Canvas().FillRect({0, 0, w, h});
  return b;
}

// The colours of the bitmap after the same reduction as the writer's.
std::vector<std::uint32_t> Reduced(const gfx::TBitmap& source) {
  gfx::TBitmap copy;
  copy.Assign(source);
  report::vuzConvertTo8Bit(copy);
  std::vector<std::uint32_t> px = copy.ToRGB32();
  for (auto& p : px) p &= 0xFFFFFF;
  return px;
}

TEST(GifWriter, OnePixelFileByteForByte) {
  gfx::TBitmap b(1, 1, gfx::pf24bit);
  b.SetPixelColor(0, 0, 0x563412);  // TColor: red 0x12, green 0x34, blue 0x56
  const std::string gif = Gif(b);
  std::string want =
      "GIF89a" + Bytes({1, 0, 1, 0, 0xE7, 0, 0}) + Bytes({0x12, 0x34, 0x56}) + std::string(255 * 3, '\0');
  want += Bytes({0x21, 0xF9, 4, 0, 0, 0, 0, 0});
  want += Bytes({0x21, 0xFE, 10}) + "ReziZuzore" + Bytes({0});
  want += Bytes({0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 8});
  // Clear (256), the pixel (0), end (257) in 9-bit codes, least significant bit first.
  want += Bytes({4, 0x00, 0x01, 0x04, 0x04, 0, 0x3B});
  EXPECT_EQ(gif, want);
  const GifFile read = ReadGif(gif);
  ASSERT_EQ(read.codes.size(), 3u);
  for (const auto& c : read.codes) EXPECT_EQ(c.width, 9);
}

TEST(GifWriter, FullTableForcesAClearCodeAndWidthNine) {
  Bitmap b = IndexNoise(300, 300, 7);
  std::vector<std::uint8_t> source;
  for (int y = 0; y < 300; ++y) source.insert(source.end(), b->ScanLine(y), b->ScanLine(y) + 300);
  const GifFile gif = ReadGif(Gif(*b));
  EXPECT_EQ(gif.pixels, source);
  // Count the new entries between clear codes: the table holds codes 258 to
  // 4095 (3838 entries); the string after that brings the clear code.
  int clears = 0, entries = -1;
  bool seenTwelve = false;
  for (std::size_t i = 0; i < gif.codes.size(); ++i) {
    const GifCode& c = gif.codes[i];
    if (c.code == 256) {
      if (clears > 0) {
        EXPECT_EQ(entries, 3838) << "clear number " << clears;
        EXPECT_EQ(c.width, 12);
        ASSERT_LT(i + 1, gif.codes.size());
        EXPECT_EQ(gif.codes[i + 1].width, 9) << "coding restarts at 9 bits";
      }
      ++clears;
      entries = -1;
      continue;
    }
    if (c.code == 257) break;
    ++entries;  // every code after the first of a table adds one entry
    seenTwelve = seenTwelve || c.width == 12;
  }
  EXPECT_GE(clears, 3);
  EXPECT_TRUE(seenTwelve);
  for (int size : gif.subBlockSizes) EXPECT_LE(size, 254);
  EXPECT_EQ(gif.subBlockSizes.front(), 254);
}

TEST(GifWriter, BlocksAndFlags) {
  struct Case {
    const char* what;
    Bitmap bitmap;
  };
  Case cases[] = {{"all zero", Black(200, 150)},
                  {"gradient", Gradient(120, 80)},
                  {"index noise", IndexNoise(64, 64, 3)},
                  {"one column", Gradient(2, 300)}};
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<std::uint32_t> want = Reduced(*c.bitmap);
    const std::string bytes = Gif(*c.bitmap);
    EXPECT_EQ(c.bitmap->PixelFormat(), gfx::pf8bit) << "converted in place";
    const GifFile gif = ReadGif(bytes);
    EXPECT_EQ(gif.packed, 0xE7);
    EXPECT_EQ(gif.palette.size(), 256u);
    EXPECT_EQ(gif.comment, "ReziZuzore");
    EXPECT_EQ(gif.graphicControl, (std::vector<std::uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(static_cast<unsigned char>(bytes[11]), 0) << "background index";
    ASSERT_EQ(gif.pixels.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) ASSERT_EQ(gif.Color(i), want[i]) << "pixel " << i;
  }
}

TEST(GifWriter, ZeroSizeGivesAnEmptyImage) {
  gfx::TBitmap b(0, 0, gfx::pf24bit);
  const GifFile gif = ReadGif(Gif(b));
  EXPECT_EQ(gif.width, 0);
  EXPECT_TRUE(gif.pixels.empty());
  ASSERT_EQ(gif.codes.size(), 2u);
  EXPECT_EQ(gif.codes[0].code, 256);
  EXPECT_EQ(gif.codes[1].code, 257);
}

TEST(ColorQuantizer, KeepsFewColoursExactlyAndReducesManyWell) {
  // At most 256 colours: exact.
  Bitmap few = IndexNoise(40, 40, 1);
  few->SetPixelFormat(gfx::pf24bit);
  EXPECT_EQ(Reduced(*few), [&] {
    auto px = few->ToRGB32();
    for (auto& p : px) p &= 0xFFFFFF;
    return px;
  }());
  // A smooth gradient of thousands of colours: small errors everywhere.
  struct Case {
    const char* what;
    Bitmap bitmap;
    double meanLimit;
    int maxLimit;
  };
  Case cases[] = {{"gradient", Gradient(256, 256), 4.0, 24}, {"page", Page(400, 300), 2.0, 64}};
  for (Case& c : cases) {
    const std::vector<std::uint32_t> source = [&] {
      auto px = c.bitmap->ToRGB32();
      for (auto& p : px) p &= 0xFFFFFF;
      return px;
    }();
    const std::vector<std::uint32_t> reduced = Reduced(*c.bitmap);
    double sum = 0;
    int worst = 0;
    for (std::size_t i = 0; i < source.size(); ++i)
      for (int s = 0; s < 24; s += 8) {
        const int d = std::abs(int((source[i] >> s) & 0xFF) - int((reduced[i] >> s) & 0xFF));
        sum += d;
        worst = std::max(worst, d);
      }
    EXPECT_LT(sum / (source.size() * 3), c.meanLimit) << c.what;
    EXPECT_LE(worst, c.maxLimit) << c.what;
  }
}

// Random sizes, formats and pixels: every file decodes to the reduced source.
TEST(GifWriter, RandomPicturesAlwaysDecode) {
  std::mt19937 random(42);
  const gfx::TPixelFormat formats[] = {gfx::pf1bit, gfx::pf4bit, gfx::pf8bit, gfx::pf24bit, gfx::pf32bit};
  for (int round = 0; round < 60; ++round) {
    const int w = 1 + static_cast<int>(random() % 90), h = 1 + static_cast<int>(random() % 90);
    Bitmap b = NoiseBitmap(w, h, static_cast<unsigned>(random()));
    if (round % 3 == 0) {  // few colours, long runs
      b->Canvas().Brush().SetColor(random() & 0xFFFFFF);
      b->Canvas().FillRect({0, 0, w / 2 + 1, h});
    }
    b->SetPixelFormat(formats[round % 5]);
    const std::vector<std::uint32_t> want = Reduced(*b);
    const GifFile gif = ReadGif(Gif(*b));
    ASSERT_EQ(gif.pixels.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) ASSERT_EQ(gif.Color(i), want[i]) << "round " << round;
  }
}

// ImageMagick and Python's imaging library read what we wrote, pixel for
// pixel against the source after the colour reduction.
TEST(GifWriter, IndependentReadersDecodeEveryFile) {
  const std::string convert = FindTool("convert");
  const bool python = PythonHas("PIL");
  if (convert.empty() && !python) GTEST_SKIP() << "needs imagemagick or python3-pil";
  struct Case {
    const char* name;
    Bitmap bitmap;
  };
  Case cases[] = {
      {"one", Blank(1, 1)},      {"noise", NoiseBitmap(256, 256, 5)}, {"indexnoise", IndexNoise(300, 200, 9)},
      {"zero", Black(300, 200)}, {"gradient", Gradient(300, 100)},    {"page", Page(500, 400)}};
  TempDir dir;
  std::string files;
  std::vector<std::vector<std::uint32_t>> wants;
  for (Case& c : cases) {
    wants.push_back(Reduced(*c.bitmap));
    WriteFile(dir.File(std::string(c.name) + ".gif"), Gif(*c.bitmap));
    files += " " + Quote(dir.File(std::string(c.name) + ".gif"));
  }
  if (python)
    RunPython(dir, R"PY(
import sys
from PIL import Image
for f in sys.argv[1:]:
    im = Image.open(f)
    assert im.format == "GIF", f
    assert im.info.get("comment") == b"ReziZuzore", im.info
    open(f + ".rgb", "wb").write(im.convert("RGB").tobytes())
)PY",
              files);
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    SCOPED_TRACE(cases[k].name);
    const std::string gif = dir.File(std::string(cases[k].name) + ".gif");
    const auto& want = wants[k];
    if (python) {
      const std::string rgb = ReadFile(gif + ".rgb");
      ASSERT_EQ(rgb.size(), want.size() * 3) << "Python could not read it";
      for (std::size_t i = 0; i < want.size(); ++i) {
        const std::uint32_t got = (std::uint32_t(static_cast<unsigned char>(rgb[3 * i])) << 16) |
                                  (std::uint32_t(static_cast<unsigned char>(rgb[3 * i + 1])) << 8) |
                                  static_cast<unsigned char>(rgb[3 * i + 2]);
        ASSERT_EQ(got, want[i]) << "Python, pixel " << i;
      }
    }
    if (!convert.empty()) {
      const gfx_test::RgbImage img = ReadWithImageMagick(convert, gif);
      ASSERT_EQ(static_cast<std::size_t>(img.width) * img.height, want.size()) << "ImageMagick could not read it";
      for (std::size_t i = 0; i < want.size(); ++i) {
        const unsigned bgr = img.Pixel(static_cast<int>(i % img.width), static_cast<int>(i / img.width));
        const std::uint32_t got = ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
        ASSERT_EQ(got, want[i]) << "ImageMagick, pixel " << i;
      }
    }
  }
}

}  // namespace
