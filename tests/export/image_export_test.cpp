// Page-to-picture exports over real prepared reports, checked by readers we
// did not write: ImageMagick's identify, pngcheck and libtiff's tiffinfo and
// tiffdump. Offsets and sizes are compared with what the pages' geometry and
// the resolution give.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "export/vuzExportImage.h"
#include "export/vuzExportRes.h"
#include "export/vuzTiff.h"
#include "platform/rtl/streams.h"
#include "tests/support/external_tools.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

namespace export_test {

namespace {

namespace fs = std::filesystem;
using engine_test::EngineScope;
using engine_test::ReportBuilder;

// A report of `pages` A4 pages, each with one memo in the middle of its page
// (at 300,400 of 200 x 40 report pixels) and nothing else.
struct PagedReport {
  explicit PagedReport(int pages) {
    report::TfrxReportPage* page = b.AddPage();
    std::vector<engine_test::TableDataSet::Row> rows;
    for (int i = 0; i < pages; ++i) rows.push_back({rtl::Variant(i + 1)});
    auto& data = b.AddDataSet("Rows", {"N"}, rows);
    auto* band = b.AddDataBand(page, 400, 40, data);
    band->SetStartNewPage(true);
    b.AddMemo(band, 300 - page->LeftMargin() * report::fr01cm, 0, 200, 40, "Страница [Rows.\"N\"]");
    EXPECT_TRUE(b.Prepare()) << b.Errors();
  }
  ReportBuilder b;
};

template <class Filter>
std::unique_ptr<Filter> NewFilter(report::TfrxReport& report, const std::string& file) {
  auto f = std::make_unique<Filter>(nullptr);
  f->ShowDialog = false;
  f->ShowProgress = false;
  f->FileName = file;
  f->Report = &report;
  return f;
}

std::string Identify(const std::string& file) {
  return support::CommandOutput("identify -format '%w %h\\n' '" + file + "' 2>&1");
}

}  // namespace

class ImageExport : public ::testing::Test {
 protected:
  void SetUp() override {
    report::vuzLoadExportResources();
    if (support::FindTool("identify").empty()) GTEST_SKIP() << support::Missing("identify", "imagemagick");
  }
  EngineScope scope;
  support::ScratchFolder dir;
};

// Separate files: one picture per page, named report.N.ext; at 192 dpi twice
// the page's size in pixels (the store keeps an A4 page as 794 x 1123 report pixels).
TEST_F(ImageExport, SeparateFilesPerFormat) {
  PagedReport r(2);
  struct Case {
    const char* ext;
    std::unique_ptr<report::TfrxCustomImageExport> (*make)(report::TfrxReport&, const std::string&);
  };
  const Case cases[] = {
      {"png",
       [](report::TfrxReport& rep, const std::string& f) -> std::unique_ptr<report::TfrxCustomImageExport> {
         return NewFilter<report::TfrxPNGExport>(rep, f);
       }},
      {"bmp",
       [](report::TfrxReport& rep, const std::string& f) -> std::unique_ptr<report::TfrxCustomImageExport> {
         return NewFilter<report::TfrxBMPExport>(rep, f);
       }},
      {"jpg",
       [](report::TfrxReport& rep, const std::string& f) -> std::unique_ptr<report::TfrxCustomImageExport> {
         return NewFilter<report::TfrxJPEGExport>(rep, f);
       }},
      {"gif",
       [](report::TfrxReport& rep, const std::string& f) -> std::unique_ptr<report::TfrxCustomImageExport> {
         return NewFilter<report::TfrxGIFExport>(rep, f);
       }},
      {"tif",
       [](report::TfrxReport& rep, const std::string& f) -> std::unique_ptr<report::TfrxCustomImageExport> {
         return NewFilter<report::TfrxTIFFExport>(rep, f);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ext);
    auto f = c.make(r.b.Report(), dir.File(std::string("report.") + c.ext));
    // One format at 192 dpi is enough to show the scale; the others stay small.
    const bool twice = std::string(c.ext) == "png";
    f->Resolution = twice ? 192 : 96;
    ASSERT_TRUE(r.b.Store().Export(f.get()));
    for (int page = 1; page <= 2; ++page) {
      const std::string file = dir.File("report." + std::to_string(page) + "." + c.ext);
      ASSERT_TRUE(fs::exists(file)) << file;
      EXPECT_EQ(Identify(file), twice ? "1588 2246\n" : "794 1123\n");
    }
    EXPECT_FALSE(fs::exists(dir.File(std::string("report.") + c.ext)));
  }
  if (!support::FindTool("pngcheck").empty()) {
    EXPECT_NE(support::CommandOutput("pngcheck '" + dir.File("report.1.png") + "'").find("OK:"), std::string::npos);
  }
}

// One picture of all pages: as wide as the widest page and as tall as all
// pages together, limited to 30,000 pixels.
TEST_F(ImageExport, OnePictureHeightIsLimited) {
  PagedReport r(28);  // 28 x 1123 = 31,444 pixels at 96 dpi
  rtl::TMemoryStream out;
  auto f = NewFilter<report::TfrxBMPExport>(r.b.Report(), "");
  f->Stream = &out;
  f->SeparateFiles = false;
  ASSERT_TRUE(r.b.Store().Export(f.get()));
  ASSERT_GT(out.Size(), 30);
  const auto* p = reinterpret_cast<const unsigned char*>(out.Memory());
  auto le32 = [&](int at) { return p[at] | p[at + 1] << 8 | p[at + 2] << 16 | p[at + 3] << 24; };
  EXPECT_EQ(le32(18), 794);
  EXPECT_EQ(std::abs(le32(22)), 30000);
}

// Cropping keeps the area the objects cover, one pixel more each way: the
// memo at 300,400 (page margins included) of 200 x 40 at 96 dpi.
TEST_F(ImageExport, CropKeepsTheObjects) {
  PagedReport r(1);
  auto f = NewFilter<report::TfrxPNGExport>(r.b.Report(), dir.File("crop.png"));
  f->CropImages = true;
  f->SeparateFiles = false;
  ASSERT_TRUE(r.b.Store().Export(f.get()));
  EXPECT_EQ(Identify(dir.File("crop.png")), "201 41\n");
}

// A TIFF of three pages in one picture cut into page-sized images: three
// directories chained, the last pointer 0, each image's strip inside the
// file; RGB with three samples. (Three A4 pages fill the picture exactly:
// no empty fourth image.)
// Tiles are the paper at the picture's resolution, and a tile that would
// start exactly at the picture's bottom edge is not written (an image of no
// rows is an invalid directory).
TEST_F(ImageExport, MultiImageTiff) {
  if (support::FindTool("tiffinfo").empty()) GTEST_SKIP() << support::Missing("tiffinfo", "libtiff-tools");
  PagedReport r(3);
  struct Case {
    int dpi;
    const char* sizes;
  } cases[] = {
      {96, "794 1123\n794 1123\n794 1123\n"},
      // 210 x 297 mm at 192 dpi: tiles of 1588 x 2246 over a picture of
      // 1588 x 6738 (three pages of 794 x 1123 pixels, doubled); the tile
      // that would start at row 6738 has no rows and is left out.
      {192, "1588 2246\n1588 2246\n1588 2246\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    auto f = NewFilter<report::TfrxTIFFExport>(r.b.Report(), dir.File("all.tif"));
    f->SeparateFiles = false;
    f->MultiImage = true;
    f->Resolution = c.dpi;
    ASSERT_TRUE(r.b.Store().Export(f.get()));
    const std::string info = support::CommandOutput("tiffinfo '" + dir.File("all.tif") + "' 2>&1");
    int directories = 0;
    for (std::size_t at = info.find("TIFF Directory at offset"); at != std::string::npos;
         at = info.find("TIFF Directory at offset", at + 1))
      ++directories;
    EXPECT_EQ(directories, 3) << info;
    EXPECT_EQ(info.find("Error"), std::string::npos) << info;
    EXPECT_EQ(info.find("Warning"), std::string::npos) << info;
    EXPECT_NE(info.find("Photometric Interpretation: RGB color"), std::string::npos) << info;
    EXPECT_NE(info.find("Samples/Pixel: 3"), std::string::npos) << info;
    EXPECT_NE(info.find("Resolution: " + std::to_string(c.dpi) + ", " + std::to_string(c.dpi)), std::string::npos)
        << info;
    EXPECT_EQ(Identify(dir.File("all.tif")), c.sizes);
  }
}

// The writer's own offsets: a stream that does not start at 0 and a second
// image appended later keep every offset pointing at its data; a bilevel and
// a palette image read back pixel for pixel.
TEST_F(ImageExport, TiffOffsetsAreReal) {
  if (support::FindTool("tiffinfo").empty()) GTEST_SKIP() << support::Missing("tiffinfo", "libtiff-tools");
  gfx::TBitmap rgb(70000 / 1000, 9);
  rgb.SetPixelColor(3, 4, gfx::clRed);
  gfx::TBitmap mono(13, 5, gfx::pf1bit);
  mono.SetPixelColor(0, 0, gfx::clWhite);
  gfx::TBitmap pal(8, 3, gfx::pf8bit);
  rtl::TMemoryStream s;
  report::SaveTiffToStream(s, rgb, true, false, {210, 297, 300});
  report::SaveTiffToStream(s, mono, false, false, {210, 297, 300});
  report::SaveTiffToStream(s, pal, false, false, {210, 297, 300});
  ASSERT_TRUE(support::WriteFile(dir.File("three.tif"), std::string(s.Memory(), s.Size())));
  const std::string info = support::CommandOutput("tiffinfo -D '" + dir.File("three.tif") + "' 2>&1");
  EXPECT_EQ(info.find("Error"), std::string::npos) << info;
  EXPECT_NE(info.find("Resolution: 300, 300 pixels/inch"), std::string::npos) << info;
  EXPECT_NE(info.find("Photometric Interpretation: palette color"), std::string::npos) << info;
  EXPECT_NE(info.find("Photometric Interpretation: min-is-black"), std::string::npos) << info;
  EXPECT_EQ(Identify(dir.File("three.tif")), "70 9\n13 5\n8 3\n");
  const std::string pixel =
      support::CommandOutput("convert '" + dir.File("three.tif") + "[0]' -format '%[pixel:p{3,4}]' info: 2>&1");
  EXPECT_NE(pixel.find("(255,0,0)"), std::string::npos) << pixel;
}

// A run that fails part-way leaves none of its files, and one-picture mode
// writes nothing for it.
TEST_F(ImageExport, FailedRunLeavesNoFile) {
  PagedReport r(3);
  class Failing : public report::TfrxPNGExport {
   public:
    using TfrxPNGExport::TfrxPNGExport;
    void StartPage(report::TfrxComponent* page, int index) override {
      if (index == 2) throw rtl::Exception("disk full");
      TfrxPNGExport::StartPage(page, index);
    }
  };
  for (bool separate : {true, false}) {
    SCOPED_TRACE(separate);
    auto f = NewFilter<Failing>(r.b.Report(), dir.File("fail.png"));
    f->SeparateFiles = separate;
    r.b.Report().EngineOptions()->NewSilentMode = report::simSilent;
    EXPECT_FALSE(r.b.Store().Export(f.get()));
    for (const auto& e : fs::directory_iterator(dir.Folder())) ADD_FAILURE() << "left behind: " << e.path();
  }
}

// Resolutions are held to a sane range and a picture to a bounded size: an
// absurd resolution or page never tries to allocate gigabytes.
TEST_F(ImageExport, ResolutionAndSizeAreBounded) {
  PagedReport r(1);
  rtl::TMemoryStream out;
  auto f = NewFilter<report::TfrxBMPExport>(r.b.Report(), "");
  f->Stream = &out;
  f->Resolution = 1000000;
  EXPECT_TRUE(f->Start());
  EXPECT_EQ(f->Resolution, report::TfrxCustomImageExport::kMaxResolution);
  f->Resolution = -5;
  EXPECT_TRUE(f->Start());
  EXPECT_EQ(f->Resolution, report::TfrxCustomImageExport::kMinResolution);

  using E = report::TfrxCustomImageExport;
  struct Case {
    long double w, h;
    double scale;
    int width, height;
  } cases[] = {
      {794, 1123, 1, 794, 1123},       // A4 at 96 dpi
      {794, 1123, 2, 1588, 2246},      // halves go to the even neighbour: 2246
      {794, 31444, 1, 794, 30000},     // one picture of 28 pages
      {794, 1123, 12.5, 9925, 13523},  // 1200 dpi: the area cap cuts the bottom
      {1e30L, 1e30L, 1, 30000, 4473},  // absurd sizes
      {0, -5, 1, 1, 1},                // nothing to draw still makes a pixel
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << " x " << c.h << " at " << c.scale);
    const E::TPictureSize size = E::PictureSize(c.w, c.h, c.scale);
    EXPECT_EQ(size.Width, c.width);
    EXPECT_EQ(size.Height, c.height);
    EXPECT_LE(static_cast<long long>(size.Width) * size.Height, E::kMaxPixels);
  }
}

// Without a file name or a stream there is nothing to write to.
TEST_F(ImageExport, NoTargetNoStart) {
  PagedReport r(1);
  auto f = NewFilter<report::TfrxPNGExport>(r.b.Report(), "");
  EXPECT_FALSE(r.b.Store().Export(f.get()));
}

}  // namespace export_test
