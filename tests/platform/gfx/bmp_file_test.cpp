// BMP files: every depth written and read back, checked by an independent
// reader (ImageMagick), files it writes read by us, and malformed headers
// refused without touching the bitmap.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "external_tools.h"
#include "platform/gfx/bitmap.h"
#include "platform/rtl/files.h"

using namespace gfx;

namespace {

const char* kConvert = "/usr/bin/convert";

bool HaveImageMagick() { return support::IsProgram(kConvert); }

// In a folder of this program's own: test programs run in parallel.
std::string Temp(const std::string& name) {
  static support::ScratchFolder dir;
  return dir.File(name);
}

// A small picture in a few colours that every depth can hold.
void Paint(TBitmap& b) {
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(clWhite);
  c.FillRect(Rect(0, 0, b.Width(), b.Height()));
  c.Brush().SetColor(clBlack);
  c.FillRect(Rect(1, 1, 4, 3));
  c.Pen().SetColor(clBlack);
  c.MoveTo(0, b.Height() - 1);
  c.LineTo(b.Width(), b.Height() - 1);
}

// ImageMagick's view of one pixel as "r,g,b" (8-bit values).
std::string MagickPixel(const std::string& file, int x, int y) {
  std::ostringstream cmd;
  cmd << kConvert << " '" << file << "' -depth 8 -format '%[fx:int(255*p{" << x << "," << y << "}.r)],%[fx:int(255*p{"
      << x << "," << y << "}.g)],%[fx:int(255*p{" << x << "," << y << "}.b)]' info:";
  return gfx_test::Output(cmd.str());
}

}  // namespace

TEST(BmpFile, EveryDepthRoundTripsAndImageMagickAgrees) {
  for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
    SCOPED_TRACE(f);
    TBitmap b(13, 7, f);  // odd width: rows need padding
    Paint(b);
    const std::string file = Temp("depth.bmp");
    b.SaveToFile(file);

    TBitmap back;
    back.LoadFromFile(file);
    EXPECT_EQ(back.Width(), 13);
    EXPECT_EQ(back.Height(), 7);
    EXPECT_EQ(back.PixelFormat(), f);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 13; ++x) ASSERT_EQ(back.PixelColor(x, y), b.PixelColor(x, y)) << x << "," << y;

    if (!HaveImageMagick()) continue;
    std::string id = gfx_test::Output(std::string(kConvert) + " '" + file + "' -format '%w %h' info:");
    EXPECT_EQ(id, "13 7");
    EXPECT_EQ(MagickPixel(file, 2, 2), "0,0,0");
    EXPECT_EQ(MagickPixel(file, 8, 2), "255,255,255");
    EXPECT_EQ(MagickPixel(file, 12, 6), "0,0,0");  // the bottom row
    std::remove(file.c_str());
  }
}

TEST(BmpFile, ReadsWhatImageMagickWrites) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
  // A 4 x 2 picture: red, green, blue, white over black, grey, yellow, cyan.
  const std::string ppm = Temp("src.ppm");
  {
    std::ofstream o(ppm);
    o << "P3 4 2 255\n255 0 0  0 255 0  0 0 255  255 255 255\n0 0 0  128 128 128  255 255 0  0 255 255\n";
  }
  const TColor expected[2][4] = {{clRed, clLime, clBlue, clWhite},
                                 {clBlack, static_cast<TColor>(0x808080), clYellow, clAqua}};
  struct Variant {
    const char* args;
    const char* what;
  } variants[] = {
      {"-type TrueColor BMP3:", "24-bit, 40-byte header"},
      {"-type TrueColor BMP:", "24-bit, larger header"},
      {"-type Palette BMP3:", "8-bit palette"},
      {"-type Palette -compress RLE BMP3:", "8-bit run-length"},
      {"-type TrueColorAlpha BMP:", "32-bit with bit fields"},
  };
  for (const auto& v : variants) {
    SCOPED_TRACE(v.what);
    const std::string out = Temp("magick.bmp");
    gfx_test::Output(std::string(kConvert) + " '" + ppm + "' " + v.args + "'" + out + "'");
    TBitmap b;
    b.LoadFromFile(out);
    ASSERT_EQ(b.Width(), 4);
    ASSERT_EQ(b.Height(), 2);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 4; ++x) EXPECT_EQ(b.PixelColor(x, y), expected[y][x]) << x << "," << y;
    if (b.PixelFormat() == pf32bit) {
      EXPECT_EQ(b.ScanLine(0)[3], 0xFF);  // alpha kept: opaque
    }
    std::remove(out.c_str());
  }
  std::remove(ppm.c_str());
}

TEST(BmpFile, MalformedFilesAreRefusedAndTheBitmapKept) {
  TBitmap good(3, 2);
  good.SetPixelColor(0, 0, clRed);
  rtl::TMemoryStream s;
  good.SaveToStream(s);
  const std::string valid = s.Bytes();

  auto patched = [&](std::size_t at, std::uint32_t value, int bytes) {
    std::string d = valid;
    for (int i = 0; i < bytes; ++i) d[at + i] = static_cast<char>(value >> (8 * i));
    return d;
  };
  struct Case {
    std::string data;
    const char* what;
  } cases[] = {
      {"BM", "file header cut"},
      {"XY" + valid.substr(2), "wrong signature"},
      {valid.substr(0, 30), "info header cut"},
      {valid.substr(0, valid.size() - 3), "pixel data cut"},
      {patched(14, 20, 4), "unknown header size"},
      {patched(18, 0, 4), "zero width"},
      {patched(18, 0x7FFFFFFF, 4), "huge width"},
      {patched(18, 8000, 4), "large width without the data"},
      {patched(22, 0x80000000u, 4), "huge negative height"},
      {patched(26, 3, 2), "three planes"},
      {patched(28, 7, 2), "7 bits per pixel"},
      {patched(30, 9, 4), "unknown compression"},
      {patched(30, 1, 4), "run-length on 24 bits"},
      {[] {  // an 8-bit run-length header claiming 8000 x 8000 pixels in a few bytes
         TBitmap small(2, 2, pf8bit);
         rtl::TMemoryStream m;
         small.SaveToStream(m);
         std::string d = m.Bytes();
         for (int at : {18, 22}) d[at] = '\x40', d[at + 1] = '\x1F', d[at + 2] = 0, d[at + 3] = 0;
         d[30] = 1;
         return d;
       }(),
       "run-length bomb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TBitmap b(5, 5);
    b.SetPixelColor(4, 4, clBlue);
    rtl::TMemoryStream in(c.data);
    EXPECT_THROW(b.LoadFromStream(in), EInvalidGraphic);
    EXPECT_EQ(b.Width(), 5);
    EXPECT_EQ(b.PixelColor(4, 4), clBlue);
  }
}

TEST(BmpFile, StreamsHoldMoreThanOneBitmapAndEmptyOnes) {
  TBitmap a(3, 2), b(5, 1, pf8bit), empty(0, 0);
  a.SetPixelColor(2, 1, clRed);
  b.SetPixelColor(4, 0, clBlue);
  rtl::TMemoryStream s;
  a.SaveToStream(s);
  empty.SaveToStream(s);  // nothing
  b.SaveToStream(s);
  s.WriteString("tail");
  s.SetPosition(0);
  TBitmap ra, rb;
  ra.LoadFromStream(s);
  rb.LoadFromStream(s);
  EXPECT_EQ(ra.PixelColor(2, 1), clRed);
  EXPECT_EQ(rb.Width(), 5);
  EXPECT_EQ(rb.PixelColor(4, 0), clBlue);
  EXPECT_EQ(s.ReadRest(), "tail");
  rtl::TMemoryStream none;
  TBitmap c(4, 4);
  c.LoadFromStream(none);
  EXPECT_TRUE(c.Empty());
}

TEST(BmpFile, RunLengthDataCannotWriteOutsideThePicture) {
  // 8-bit RLE 2 x 2 with a delta far beyond the picture and runs that overflow rows.
  std::string d = "BM";
  auto p32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) d.push_back(static_cast<char>(v >> (8 * i)));
  };
  auto p16 = [&](std::uint16_t v) {
    d.push_back(static_cast<char>(v));
    d.push_back(static_cast<char>(v >> 8));
  };
  const std::string rle("\x10\x01\x00\x02\xFF\xFF\x05\x01\x00\x01", 10);
  p32(14 + 40 + 8 + static_cast<std::uint32_t>(rle.size()));
  p32(0);
  p32(14 + 40 + 8);
  p32(40);
  p32(2);
  p32(2);
  p16(1);
  p16(8);
  p32(1);
  p32(static_cast<std::uint32_t>(rle.size()));
  p32(0);
  p32(0);
  p32(2);
  p32(0);
  p32(0x000000);
  p32(0xFFFFFF);
  d += rle;
  TBitmap b;
  rtl::TMemoryStream in(d);
  b.LoadFromStream(in);
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(b.PixelColor(0, 1), clWhite);  // bottom row from the first run
  EXPECT_EQ(b.PixelColor(1, 1), clWhite);
}

TEST(BmpFile, SavingOverAnExistingFileKeepsItWhenWritingFails) {
  const std::string file = Temp("keep.bmp");
  TBitmap b(2, 2);
  b.SaveToFile(file);
  // The disk fills up after the new bytes are written.
  TBitmap big(4, 4);
  rtl::SetSaveFaultForTests([](std::string_view) { throw rtl::EWriteError("disk full"); });
  EXPECT_ANY_THROW(big.SaveToFile(file));
  rtl::SetSaveFaultForTests(nullptr);
  TBitmap back;
  back.LoadFromFile(file);
  EXPECT_EQ(back.Width(), 2);
  std::remove(file.c_str());
}

TEST(BmpFile, DamagedFilesNeverCrash) {
  // Every depth and RLE, each damaged at random places: a clean error or a
  // picture, never a crash or a read past the data.
  std::vector<std::string> samples;
  for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
    TBitmap b(9, 5, f);
    Paint(b);
    rtl::TMemoryStream s;
    b.SaveToStream(s);
    samples.push_back(s.Bytes());
  }
  unsigned seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (int round = 0; round < 3000; ++round) {
    std::string d = samples[round % samples.size()];
    if (round % 7 == 0) {  // make it a run-length 8-bit file
      d[30] = 1;
      d[28] = 8;
    }
    const int edits = 1 + next() % 4;
    for (int e = 0; e < edits; ++e) d[next() % d.size()] = static_cast<char>(next());
    if (round % 5 == 0) d.resize(next() % d.size());
    rtl::TMemoryStream in(d);
    TBitmap b;
    try {
      b.LoadFromStream(in);
      EXPECT_EQ(b.Width() > 0, !d.empty());
    } catch (const EInvalidGraphic&) {
    }
  }
}
