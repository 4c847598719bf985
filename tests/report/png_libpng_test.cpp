// Our PNG reader and writer checked against libpng and pngcheck, for every
// colour type and bit depth the format allows, with and without interlacing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "report/frxpngimage.h"
#include "report/png_support.h"

using report_test::RawImage;
using namespace report;

namespace {

struct Case {
  int colorType, depth;
  bool interlace;
  int width, height;
};

std::string CaseName(const testing::TestParamInfo<Case>& info) {
  const Case& c = info.param;
  return "type" + std::to_string(c.colorType) + "_depth" + std::to_string(c.depth) +
         (c.interlace ? "_adam7" : "_plain") + "_" + std::to_string(c.width) + "x" + std::to_string(c.height);
}

std::vector<Case> AllCases() {
  const int formats[][2] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                            {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  const int sizes[][2] = {{37, 29}, {1, 1}, {9, 3}};
  std::vector<Case> cases;
  for (auto& f : formats)
    for (bool il : {false, true})
      for (auto& s : sizes) cases.push_back({f[0], f[1], il, s[0], s[1]});
  return cases;
}

// The image as our writer should give it back: two-bit images come out as
// four-bit ones, grey levels spread so that white stays white.
RawImage AsWritten(const RawImage& img) {
  if (img.depth != 2) return img;
  RawImage out = img;
  out.depth = 4;
  out.rows.clear();
  for (int y = 0; y < img.height; ++y) {
    std::vector<std::uint8_t> row(out.RowBytes(), 0);
    for (int x = 0; x < img.width; ++x) {
      int v = img.Sample(x, y, 0) * (img.colorType == 0 ? 5 : 1);
      row[static_cast<std::size_t>(x / 2)] =
          static_cast<std::uint8_t>(row[static_cast<std::size_t>(x / 2)] | (v << ((x & 1) ? 0 : 4)));
    }
    out.rows.push_back(std::move(row));
  }
  return out;
}

void ExpectSameSamples(const RawImage& expected, const RawImage& actual) {
  ASSERT_EQ(expected.width, actual.width);
  ASSERT_EQ(expected.height, actual.height);
  ASSERT_EQ(expected.colorType, actual.colorType);
  ASSERT_EQ(expected.depth, actual.depth);
  for (int y = 0; y < expected.height; ++y)
    for (int x = 0; x < expected.width; ++x)
      for (int ch = 0; ch < expected.Channels(); ++ch)
        ASSERT_EQ(expected.Sample(x, y, ch), actual.Sample(x, y, ch)) << "x " << x << " y " << y << " channel " << ch;
}

// Compares the pixel store of a decoded image with the samples of the file.
void ExpectHeldPixels(TPNGObject& png, const RawImage& img) {
  TChunkIHDR* header = png.GetHeader();
  const TPNGPixels& px = header->Pixels();
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const std::uint8_t* row = px.ScanLine(y);
      const std::uint8_t* lo = px.ExtraLine(y);
      auto held16 = [&](int hiByte, int loByte) { return (hiByte << 8) | loByte; };
      switch (img.colorType) {
        case 0:
        case 3:
          if (img.depth == 16)
            ASSERT_EQ(img.Sample(x, y, 0), held16(row[x], lo[x])) << x << "," << y;
          else
            ASSERT_EQ(img.Sample(x, y, 0) * (img.depth == 2 && img.colorType == 0 ? 5 : 1), px.IndexAt(x, y))
                << x << "," << y;
          break;
        case 4:
          if (img.depth == 16) {
            ASSERT_EQ(img.Sample(x, y, 0), held16(row[x], lo[x]));
            ASSERT_EQ(img.Sample(x, y, 1), held16(px.AlphaLine(y)[x], px.AlphaLowLine(y)[x]));
          } else {
            ASSERT_EQ(img.Sample(x, y, 0), row[x]);
            ASSERT_EQ(img.Sample(x, y, 1), px.AlphaLine(y)[x]);
          }
          break;
        default:
          for (int ch = 0; ch < 3; ++ch) {
            int stored = img.depth == 16 ? held16(row[3 * x + 2 - ch], lo[3 * x + 2 - ch]) : row[3 * x + 2 - ch];
            ASSERT_EQ(img.Sample(x, y, ch), stored) << x << "," << y << " channel " << ch;
          }
          if (img.colorType == 6) {
            int a = img.depth == 16 ? held16(px.AlphaLine(y)[x], px.AlphaLowLine(y)[x]) : px.AlphaLine(y)[x];
            ASSERT_EQ(img.Sample(x, y, 3), a);
          }
      }
    }
}

class PngAgainstLibpng : public testing::TestWithParam<Case> {};

TEST_P(PngAgainstLibpng, DecodesRandomFiltersAndSplitDataLikeLibpng) {
  const Case& c = GetParam();
  RawImage img =
      report_test::RandomImage(c.colorType, c.depth, c.width, c.height, 1234u + static_cast<unsigned>(c.width));
  report_test::EncodeOptions opt;
  opt.interlace = c.interlace;
  opt.idatSizes = {13, 1, 200};
  opt.seed = 77;
  std::string file = report_test::Encode(img, opt);

  RawImage reference;
  std::string error;
  ASSERT_TRUE(report_test::LibpngDecode(file, reference, &error)) << error;
  ExpectSameSamples(img, reference);

  TPNGObject png;
  rtl::TMemoryStream in(file);
  png.LoadFromStream(in);
  EXPECT_EQ(png.GetWidth(), c.width);
  EXPECT_EQ(png.GetHeight(), c.height);
  EXPECT_EQ(png.InterlaceMethod(), c.interlace ? imAdam7 : imNone);
  ExpectHeldPixels(png, reference);
}

TEST_P(PngAgainstLibpng, WritesFilesLibpngAndPngcheckAccept) {
  const Case& c = GetParam();
  RawImage img =
      report_test::RandomImage(c.colorType, c.depth, c.width, c.height, 99u + static_cast<unsigned>(c.height));
  report_test::EncodeOptions opt;
  opt.interlace = c.interlace;
  TPNGObject png;
  rtl::TMemoryStream in(report_test::Encode(img, opt));
  png.LoadFromStream(in);

  const TFilters sets[] = {FilterSet({pfSub}), FilterSet({pfNone, pfSub, pfUp, pfAverage, pfPaeth}),
                           FilterSet({pfAverage, pfPaeth}), FilterSet({})};
  for (TFilters set : sets) {
    png.SetFilters(set);
    rtl::TMemoryStream out;
    png.SaveToStream(out);
    RawImage back;
    std::string error;
    ASSERT_TRUE(report_test::LibpngDecode(out.Bytes(), back, &error)) << error << " filters " << int(set);
    ExpectSameSamples(AsWritten(img), back);
    std::string report;
    EXPECT_TRUE(report_test::PngcheckPasses(out.Bytes(), &report)) << report;
  }
}

INSTANTIATE_TEST_SUITE_P(AllTypesAndDepths, PngAgainstLibpng, testing::ValuesIn(AllCases()), CaseName);

TEST(PngAgainstLibpngTest, BlankImagesOfTheTypedConstructorAreValidFiles) {
  const int formats[][2] = {{0, 1}, {0, 2}, {0, 16}, {2, 8},  {2, 16}, {3, 1},
                            {3, 2}, {3, 8}, {4, 8},  {4, 16}, {6, 8},  {6, 16}};
  for (auto& f : formats) {
    TPNGObject png(f[0], f[1], 17, 5);
    rtl::TMemoryStream out;
    png.SaveToStream(out);
    RawImage back;
    std::string error;
    ASSERT_TRUE(report_test::LibpngDecode(out.Bytes(), back, &error)) << error;
    EXPECT_EQ(back.colorType, f[0]);
    EXPECT_EQ(back.depth, f[1] == 2 ? 4 : f[1]);
    std::string report;
    EXPECT_TRUE(report_test::PngcheckPasses(out.Bytes(), &report)) << report;
  }
}

}  // namespace

namespace {

// Bytes of filtered image data a file's header calls for: one image, or the
// seven reduced images of the interlaced passes.
std::size_t ExpectedDataSize(const std::string& ihdr) {
  auto u32 = [&](int at) {
    return static_cast<std::uint32_t>(
        static_cast<std::uint8_t>(ihdr[at]) << 24 | static_cast<std::uint8_t>(ihdr[at + 1]) << 16 |
        static_cast<std::uint8_t>(ihdr[at + 2]) << 8 | static_cast<std::uint8_t>(ihdr[at + 3]));
  };
  const std::uint32_t w = u32(0), h = u32(4);
  const int depth = static_cast<std::uint8_t>(ihdr[8]), colorType = static_cast<std::uint8_t>(ihdr[9]);
  const int channels = colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
  auto size = [&](std::uint32_t pw, std::uint32_t ph) { return ph * (1 + (pw * channels * depth + 7) / 8); };
  if (ihdr[12] == 0) return size(w, h);
  const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  std::size_t total = 0;
  for (const auto& [x0, y0, dx, dy] : passes) {
    const std::uint32_t pw = w > static_cast<std::uint32_t>(x0) ? (w - x0 + dx - 1) / dx : 0;
    const std::uint32_t ph = h > static_cast<std::uint32_t>(y0) ? (h - y0 + dy - 1) / dy : 0;
    if (pw && ph) total += size(pw, ph);
  }
  return total;
}

}  // namespace

// The fuzz seeds are valid files (their interlaced ones held 7·h full-width
// rows instead of the passes), except the one named as over-long.
TEST(PngAgainstLibpngTest, FuzzSeedsHoldExactlyTheirImageData) {
  const std::filesystem::path corpus = std::filesystem::path(REPORT_TEST_DATA) / "../../fuzz/corpus/png_fuzzer";
  int interlaced = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto chunks = report_test::ListChunks(bytes);
    ASSERT_FALSE(chunks.empty()) << entry.path();
    ASSERT_EQ(chunks[0].name, "IHDR") << entry.path();
    const std::size_t data = report_test::InflateIdat(chunks).size(), expected = ExpectedDataSize(chunks[0].data);
    if (entry.path().filename() == "interlaced_overlong_data.png") {
      EXPECT_GT(data, expected);
      continue;
    }
    EXPECT_EQ(data, expected) << entry.path();
    RawImage image;
    std::string error;
    EXPECT_TRUE(report_test::LibpngDecode(bytes, image, &error)) << entry.path() << ": " << error;
    interlaced += chunks[0].data[12] != 0;
  }
  EXPECT_GE(interlaced, 10);
}
