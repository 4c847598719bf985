// Pages drawn into a PDF or PostScript document, checked by independent
// readers (qpdf, poppler's pdftotext and pdfinfo).
#include "platform/gfx/document_canvas.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "external_tools.h"

using namespace gfx;

namespace {

bool Have(const char* tool) { return support::IsProgram(tool); }

void DrawPage(TCanvas& c, const char* text) {
  c.Pen().SetColor(clBlack);
  c.Brush().SetColor(clYellow);
  c.Rectangle(100, 100, 1100, 400);
  c.Font().SetName("Times New Roman");
  c.Font().SetHeight(-100);
  c.Brush().SetStyle(bsClear);
  c.TextOut(150, 200, text);
}

}  // namespace

TEST(DocumentCanvas, PdfPagesHaveTheirSizeAndText) {
  rtl::TMemoryStream out;
  {
    TDocumentCanvas doc(out, TDocumentFormat::Pdf, 600, 600);
    EXPECT_EQ(doc.DeviceKind(), dkPrinter);
    EXPECT_EQ(doc.PixelsPerInchX(), 600);
    doc.TextOut(0, 0, "lost");    // before a page: nothing
    doc.BeginPage({4961, 7016});  // A4 at 600 dpi
    EXPECT_EQ(doc.DeviceSize(), (TSize{4961, 7016}));
    DrawPage(doc, "First page");
    doc.EndPage();
    doc.BeginPage({7016, 4961});                               // landscape
    DrawPage(doc, "Second \xF1\xF2\xF0\xE0\xED\xE8\xF6\xE0");  // 1251
    doc.EndDocument();
    EXPECT_EQ(doc.PageCount(), 2);
  }
  ASSERT_GT(out.Size(), 1000);
  EXPECT_EQ(out.Bytes().substr(0, 5), "%PDF-");
  support::ScratchFolder dir;
  const std::string file = dir.File("pages.pdf");
  out.SaveToFile(file);
  if (Have("/usr/bin/qpdf")) {
    EXPECT_NE(gfx_test::Output("/usr/bin/qpdf --check '" + file + "' 2>&1").find("No syntax or stream encoding errors"),
              std::string::npos);
  }
  if (Have("/usr/bin/pdftotext")) {
    std::string text = gfx_test::Output("/usr/bin/pdftotext '" + file + "' - 2>/dev/null");
    EXPECT_NE(text.find("First page"), std::string::npos) << text;
    EXPECT_NE(text.find("Second страница"), std::string::npos) << text;
    EXPECT_EQ(text.find("lost"), std::string::npos);
  }
  if (Have("/usr/bin/pdfinfo")) {
    std::string info = gfx_test::Output("/usr/bin/pdfinfo -f 1 -l 2 '" + file + "' 2>/dev/null");
    EXPECT_NE(info.find("595.32 x 841.92 pts"), std::string::npos) << info;
    EXPECT_NE(info.find("841.92 x 595.32 pts"), std::string::npos) << info;
  }
  std::remove(file.c_str());
}

TEST(DocumentCanvas, PostScriptAndWriteFailures) {
  rtl::TMemoryStream out;
  TDocumentCanvas ps(out, TDocumentFormat::PostScript, 300, 300);
  ps.BeginPage({2480, 3508});
  DrawPage(ps, "PostScript");
  ps.EndDocument();
  EXPECT_EQ(out.Bytes().substr(0, 4), "%!PS");

  // An output that refuses to grow reports the failure.
  struct Full : rtl::TStream {
    std::int64_t Read(void*, std::int64_t) override { return 0; }
    std::int64_t Write(const void*, std::int64_t) override { return 0; }
    std::int64_t Seek(std::int64_t, rtl::TSeekOrigin) override { return 0; }
  } full;
  TDocumentCanvas bad(full, TDocumentFormat::Pdf, 96, 96);
  bad.BeginPage({100, 100});
  bad.Rectangle(1, 1, 50, 50);
  EXPECT_THROW(bad.EndDocument(), rtl::EWriteError);
}
