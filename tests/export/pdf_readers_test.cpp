// The PDF export's files checked by readers we did not write: qpdf, poppler
// (pdftotext, pdffonts, pdfinfo), mupdf and fontTools. Each test skips,
// naming the Debian package, when its reader is missing.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "pdf_fixture.h"
#include "platform/gfx/bitmap.h"
#include "platform/rtl/streams.h"
#include "tests/support/external_tools.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

namespace export_test {

namespace {

using report::TfrxPDFExport;

#define NEED_TOOL(tool, package) \
  if (support::FindTool(tool).empty()) GTEST_SKIP() << support::Missing(tool, package)

std::string Save(const support::ScratchFolder& dir, const std::string& name, const std::string& bytes) {
  const std::string path = dir.Path() + "/" + name;
  support::WriteFile(path, bytes);
  return path;
}

// The whitespace-free text, so line breaks and spacing of the extraction do not matter.
std::string Squeeze(const std::string& s) {
  std::string out;
  for (char c : s)
    if (!std::isspace(static_cast<unsigned char>(c))) out += c;
  return out;
}

class PdfReaders : public ::testing::Test {
 protected:
  PdfScope scope;
  support::ScratchFolder dir;
};

TEST_F(PdfReaders, QpdfMutoolAndPopplerReadEveryVariant) {
  NEED_TOOL("qpdf", "qpdf");
  NEED_TOOL("pdftotext", "poppler-utils");
  NEED_TOOL("mutool", "mupdf-tools");
  struct Case {
    const char* what;
    bool compressed, embedded;
    const char* font;
  } cases[] = {
      {"compressed, named font", true, false, "DejaVu Sans"},
      {"plain, named font", false, false, "DejaVu Sans"},
      {"compressed, embedded", true, true, "DejaVu Sans"},
      {"substitute face (Arial)", true, false, "Arial"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdfReportOptions o;
    o.font = c.font;
    o.outline = true;
    PdfReport r(o);
    const std::string bytes = ExportToBytes(r, [&](TfrxPDFExport& f) {
      f.Compressed = c.compressed;
      f.EmbeddedFonts = c.embedded;
    });
    ASSERT_FALSE(bytes.empty());
    const std::string path = Save(dir, "v.pdf", bytes);
    const CommandResult check = RunCommand("qpdf --check " + path);
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_EQ(check.output.find("WARNING"), std::string::npos) << check.output;
    const CommandResult show = RunCommand("mutool show " + path + " trailer");
    EXPECT_EQ(show.status, 0) << show.output;
    EXPECT_NE(show.output.find("/Root"), std::string::npos) << show.output;
    const CommandResult text = RunCommand("pdftotext -enc UTF-8 " + path + " -");
    EXPECT_EQ(text.status, 0) << text.output;
    const std::string squeezed = Squeeze(text.output);
    EXPECT_NE(squeezed.find("HelloPDF—Привет,отчёт"), std::string::npos) << text.output.substr(0, 400);
    EXPECT_NE(squeezed.find("Строка1row"), std::string::npos) << text.output.substr(0, 400);
    EXPECT_NE(squeezed.find("Строка60row"), std::string::npos);
    EXPECT_NE(squeezed.find("60₽"), std::string::npos);
  }
}

TEST_F(PdfReaders, FontsAreCompositeTrueTypeWithTextMaps) {
  NEED_TOOL("pdffonts", "poppler-utils");
  struct Case {
    const char* font;
    bool embedded;
    const char* emb;  // what pdffonts says
  } cases[] = {
      {"DejaVu Sans", false, "no"},
      {"DejaVu Sans", true, "yes"},  // cut down to the glyphs used
      {"Arial", false, "yes"},       // a substitute face is always embedded
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.font) + (c.embedded ? " embedded" : ""));
    PdfReportOptions o;
    o.font = c.font;
    o.picture = false;
    PdfReport r(o);
    const std::string path =
        Save(dir, "f.pdf", ExportToBytes(r, [&](TfrxPDFExport& f) { f.EmbeddedFonts = c.embedded; }));
    const CommandResult fonts = RunCommand("pdffonts " + path);
    ASSERT_EQ(fonts.status, 0) << fonts.output;
    // name, type "CID TrueType", encoding "Identity-H", emb, sub, uni
    const std::regex row(R"(\n(.+?)\s+CID TrueType\s+Identity-H\s+(yes|no)\s+(yes|no)\s+(yes|no))");
    int rows = 0;
    for (std::sregex_iterator it(fonts.output.begin(), fonts.output.end(), row), end; it != end; ++it) {
      ++rows;
      EXPECT_EQ((*it)[2].str(), c.emb) << fonts.output;
      EXPECT_EQ((*it)[3].str(), c.emb) << fonts.output;  // an embedded program is a subset
      EXPECT_EQ((*it)[4].str(), "yes") << fonts.output;
    }
    // regular and bold are two fonts
    EXPECT_EQ(rows, 2) << fonts.output;
    const std::string base = c.font;  // poppler shows #20 as the blank it stands for
    EXPECT_NE(fonts.output.find(base + ",Bold"), std::string::npos) << fonts.output;
  }
}

TEST_F(PdfReaders, EmbeddedProgramOpensInFontTools) {
  NEED_TOOL("qpdf", "qpdf");
  NEED_TOOL("python3", "python3");
  const std::string python = support::FindTool("python3");
  if (RunCommand(python + " -c 'import fontTools'").status != 0)
    GTEST_SKIP() << support::Missing("fontTools", "python3-fonttools");
  PdfReportOptions o;
  o.font = "DejaVu Sans";
  o.picture = false;
  PdfReport r(o);
  const std::string path = Save(dir, "e.pdf", ExportToBytes(r, [](TfrxPDFExport& f) { f.EmbeddedFonts = true; }));
  // The font file objects: the targets of /FontFile2.
  const CommandResult json = RunCommand("qpdf --json=1 --json-key=objects " + path);
  const std::regex ref(R"(/FontFile2": "(\d+) 0 R)");
  std::smatch m;
  std::string rest = json.output;
  int programs = 0;
  while (std::regex_search(rest, m, ref)) {
    const std::string font = dir.Path() + "/p" + m[1].str() + ".ttf";
    const CommandResult dump =
        RunCommand("qpdf --show-object=" + m[1].str() + " --filtered-stream-data " + path + " > " + font);
    ASSERT_EQ(dump.status, 0) << dump.output;
    const CommandResult open =
        RunCommand(python +
                   " -c \"import sys; from fontTools.ttLib import TTFont; f = TTFont(sys.argv[1]); "
                   "print(f['name'].getDebugName(1), f['maxp'].numGlyphs)\" " +
                   font);
    EXPECT_EQ(open.status, 0) << open.output;
    EXPECT_NE(open.output.find("DejaVu Sans"), std::string::npos) << open.output;
    ++programs;
    rest = m.suffix();
  }
  EXPECT_EQ(programs, 2) << json.output.substr(0, 2000);
}

TEST_F(PdfReaders, PdfinfoSizesAndInformation) {
  NEED_TOOL("pdfinfo", "poppler-utils");
  PdfReport r;
  const std::string path = Save(dir, "i.pdf", ExportToBytes(r, [](TfrxPDFExport& f) {
                                  f.Title = u"Отчёт о сушке";
                                  f.Keywords = u"кирпич";
                                }));
  const CommandResult info = RunCommand("pdfinfo -f 1 -l 2 " + path);
  ASSERT_EQ(info.status, 0) << info.output;
  EXPECT_NE(info.output.find("Title:           Отчёт о сушке"), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("Author:          ReziZuzore"), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("Subject:         ReziZuzore PDF export"), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("Keywords:        кирпич"), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("Pages:           " + std::to_string(r.PageCount())), std::string::npos) << info.output;
  // A4 is 794 x 1123 pixels: 595.5 x 842.25 points.
  EXPECT_NE(info.output.find("Page    1 size:  595.5 x 842.25 pts"), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("PDF version:     1.5"), std::string::npos) << info.output;
}

TEST_F(PdfReaders, EncryptedFilesOpenWithEitherPasswordOnly) {
  NEED_TOOL("qpdf", "qpdf");
  struct Case {
    const char* user;
    const char* owner;
    unsigned flags;
    int p;
  } cases[] = {
      {"user", "owner", report::kAllPDFPermissions, -4},
      {"u", "", 0, -64},                        // the owner password takes the user's
      {"", "boss", 1u << report::ePrint, -60},  // anyone opens, the owner has full rights
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.user) + "/" + c.owner);
    PdfReport r;
    const std::string path = Save(dir, "s.pdf", ExportToBytes(r, [&](TfrxPDFExport& f) {
                                    f.UserPassword = c.user;
                                    f.OwnerPassword = c.owner;
                                    f.SetProtectionFlags(c.flags);
                                    f.EmbedFontsIfProtected = true;
                                  }));
    const std::string out = dir.Path() + "/plain.pdf";
    const std::string owner = *c.owner ? c.owner : c.user;
    for (const std::string& password : {std::string(c.user), owner}) {
      const CommandResult ok = RunCommand("qpdf --password=" + password + " --decrypt " + path + " " + out);
      EXPECT_EQ(ok.status, 0) << password << ": " << ok.output;
    }
    if (*c.user) {
      const CommandResult wrong = RunCommand("qpdf --password=wrong --decrypt " + path + " " + out);
      EXPECT_NE(wrong.status, 0) << wrong.output;
      EXPECT_NE(wrong.output.find("invalid password"), std::string::npos) << wrong.output;
    }
    const CommandResult enc = RunCommand("qpdf --password=" + owner + " --show-encryption " + path);
    EXPECT_NE(enc.output.find("P = " + std::to_string(c.p)), std::string::npos) << enc.output;
    EXPECT_NE(enc.output.find("R = 3"), std::string::npos) << enc.output;
    if (support::FindTool("pdftotext").empty()) continue;
    const CommandResult text = RunCommand("pdftotext -enc UTF-8 -upw '" + std::string(c.user) + "' " + path + " -");
    EXPECT_NE(Squeeze(text.output).find("Привет,отчёт"), std::string::npos) << text.output.substr(0, 300);
  }
}

}  // namespace

}  // namespace export_test

namespace export_test {

namespace {

// pdftoppm's picture of page 1 against the page drawn by the preview's own
// DrawPage on a bitmap, both at 96 pixels per inch. The renderers anti-alias
// differently and the PDF places text lines by its own rule (up to about two
// pixels right of and below the preview's), so both pictures are made grey
// and blurred (sigma 4 pixels) before ImageMagick's compare: the normalised
// RMSE must stay under 0.03. Measured: 0.018; the same page without its
// hatched picture gives 0.051, a blank page 0.079.
TEST(PdfRendering, PageMatchesThePreviewDrawing) {
  NEED_TOOL("pdftoppm", "poppler-utils");
  NEED_TOOL("compare", "imagemagick");
  PdfScope scope;
  support::ScratchFolder dir;
  PdfReportOptions o;
  o.font = "DejaVu Sans";
  PdfReport r(o);
  const std::string pdf =
      Save(dir, "r.pdf", ExportToBytes(r, [](report::TfrxPDFExport& f) { f.EmbeddedFonts = true; }));
  ASSERT_EQ(RunCommand("pdftoppm -r 96 -f 1 -l 1 -png " + pdf + " " + dir.Path() + "page").status, 0);
  gfx::TBitmap bitmap(794, 1123);
  bitmap.Canvas().Brush().SetColor(gfx::clWhite);
  bitmap.Canvas().FillRect(gfx::TRect{0, 0, 794, 1123});
  r.Report().PreviewPages()->DrawPage(0, bitmap.Canvas(), 1, 1, 0, 0);
  rtl::TMemoryStream bmp;
  bitmap.SaveToStream(bmp);
  Save(dir, "preview.bmp", bmp.Bytes());
  for (const char* name : {"page-1.png", "preview.bmp"})
    ASSERT_EQ(
        RunCommand("convert " + dir.Path() + name + " -colorspace Gray -blur 0x4 " + dir.Path() + name + ".png").status,
        0);
  const CommandResult cmp =
      RunCommand("compare -metric RMSE " + dir.Path() + "page-1.png.png " + dir.Path() + "preview.bmp.png null:");
  const std::size_t open = cmp.output.find('(');
  ASSERT_NE(open, std::string::npos) << cmp.output;
  const double rmse = std::stod(cmp.output.substr(open + 1));
  // ZARNIK_KEEP_RENDER=<folder> keeps both pictures for a look.
  if (const char* keep = std::getenv("ZARNIK_KEEP_RENDER"))
    RunCommand("cp " + dir.Path() + "page-1.png " + dir.Path() + "preview.bmp " + keep);
  EXPECT_LT(rmse, 0.03) << cmp.output;
  RecordProperty("rmse", std::to_string(rmse));
}

}  // namespace

}  // namespace export_test
