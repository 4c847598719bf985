// The report tool writing the recorder report as dot-matrix text and as
// pictures, each read back by a program we did not write: iconv for the
// text, ImageMagick's identify, pngcheck and libtiff's tiffinfo for pictures,
// LibreOffice for the metafile.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/external_tools.h"
#include "tests/support/files.h"
#include "tests/support/process_files.h"
#include "tests/support/scratch_folder.h"

#ifdef ZARNIK_REPORT_TOOL

namespace export_test {

namespace {
namespace fs = std::filesystem;

class ReportToolTextAndPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    support::ProcessFileSpec spec;
    spec.points = 200;
    spec.start = {2026, 3, 14, 9, 30, 0};
    process_ = support::WriteProcessFile(dir_.Path(), spec);
  }
  int Run(const std::string& args) {
    return std::system(("QT_QPA_PLATFORM=offscreen '" + std::string(ZARNIK_REPORT_TOOL) + "' '" + process_ + "' " +
                        args + " 2>'" + dir_.File("stderr.txt") + "'")
                           .c_str());
  }
  support::ScratchFolder dir_;
  std::string process_;
};

}  // namespace

TEST_F(ReportToolTextAndPictures, Text) {
  ASSERT_EQ(Run("-o '" + dir_.File("r.txt") + "'"), 0) << support::ReadFile(dir_.File("stderr.txt"));
  const std::string text = support::ReadFile(dir_.File("r.txt"));
  // Pages end with form feeds; the text is 1251 (iconv reads it as such).
  EXPECT_GE(std::count(text.begin(), text.end(), '\x0C'), 2);
  const std::string utf8 = support::CommandOutput("iconv -f CP1251 -t UTF-8 '" + dir_.File("r.txt") + "'");
  EXPECT_NE(utf8.find("14.03.26   09:30    20,0        80,0     0,000"), std::string::npos) << utf8.substr(0, 2000);
  for (const auto& e : fs::directory_iterator(dir_.Folder()))
    EXPECT_EQ(e.path().string().find(".part"), std::string::npos) << e.path();
}

TEST_F(ReportToolTextAndPictures, Pictures) {
  if (support::FindTool("identify").empty()) GTEST_SKIP() << support::Missing("identify", "imagemagick");
  for (const char* ext : {"png", "bmp", "jpg", "gif", "tif"}) {
    SCOPED_TRACE(ext);
    const std::string out = dir_.File(std::string("r.") + ext);
    ASSERT_EQ(Run("-o '" + out + "'"), 0) << support::ReadFile(dir_.File("stderr.txt"));
    const std::string sizes = support::CommandOutput("identify -format '%w %h\\n' '" + out + "' 2>&1");
    EXPECT_EQ(sizes.find("identify"), std::string::npos) << sizes;
    EXPECT_NE(sizes.find("794 "), std::string::npos) << sizes;
  }
  // A TIFF holds one image per page, and libtiff reads every directory.
  if (!support::FindTool("tiffinfo").empty()) {
    const std::string info = support::CommandOutput("tiffinfo '" + dir_.File("r.tif") + "' 2>&1");
    EXPECT_EQ(info.find("Error"), std::string::npos) << info;
    EXPECT_EQ(info.find("Warning"), std::string::npos) << info;
    EXPECT_NE(info.find("TIFF Directory at offset"), std::string::npos) << info;
  }
  if (!support::FindTool("pngcheck").empty()) {
    EXPECT_NE(support::CommandOutput("pngcheck '" + dir_.File("r.png") + "'").find("OK:"), std::string::npos);
  }
  // A page range picks the pages drawn; the one picture keeps the height of
  // all prepared pages (three here), as the picture exports size it.
  ASSERT_EQ(Run("--pages 1 -o '" + dir_.File("p1.png") + "'"), 0) << support::ReadFile(dir_.File("stderr.txt"));
  EXPECT_EQ(support::CommandOutput("identify -format '%w %h' '" + dir_.File("p1.png") + "'"), "794 3369");
}

TEST_F(ReportToolTextAndPictures, MetafileOpensInLibreOffice) {
  const std::string soffice = support::FindTool("soffice");
  if (soffice.empty()) GTEST_SKIP() << support::Missing("soffice", "libreoffice-draw-nogui");
  ASSERT_EQ(Run("--pages 1 -o '" + dir_.File("r.emf") + "'"), 0) << support::ReadFile(dir_.File("stderr.txt"));
  support::CommandOutput("cd '" + dir_.Path() + "' && " +
                         support::LibreOfficeCommand(soffice, dir_.File("lo-profile")) +
                         " --convert-to png r.emf >/dev/null 2>&1");
  ASSERT_TRUE(fs::exists(dir_.File("r.png")));
  const std::string sizes = support::CommandOutput("identify -format '%w %h' '" + dir_.File("r.png") + "' 2>&1");
  EXPECT_FALSE(sizes.empty());
}

}  // namespace export_test

#endif
