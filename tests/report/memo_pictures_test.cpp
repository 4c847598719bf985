// A small page drawn as a person sees it: a Russian memo wrapped and
// justified, one rotated by 90 degrees, shapes, lines with arrow heads, a PNG
// picture and a check box. Drawn to a bitmap it is compared with a kept
// screenshot (geometry exactly, anti-aliased text within a tolerance); drawn
// into the PDF canvas it is read back by poppler's pdftotext with the
// Russian text intact.
//
// To renew the screenshot after an intended change, run the test with
// ZARNIK_WRITE_REFERENCE=1 and look at the picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/document_canvas.h"
#include "png_support.h"
#include "report/frxpngimage.h"
#include "report/vuzChBox.h"
#include "report/vuzClass.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPicture.h"
#include "report/vuzClassShape.h"
#include "test_util.h"

namespace report_test {
namespace {

using namespace report;

constexpr int kPageWidth = 360;
constexpr int kPageHeight = 240;

const char16_t kRussianText[] =
    u"Кирпич сушится медленно: температура, влажность и усадка образца записываются каждые десять минут, "
    u"а отчёт показывает их по порядку.";

// A 16 x 16 PNG of four coloured squares, made with our codec.
std::unique_ptr<TPNGObject> SquaresPng() {
  gfx::TBitmap bitmap(16, 16);
  const gfx::TColor colors[] = {gfx::clRed, gfx::clLime, gfx::clBlue, gfx::clYellow};
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) bitmap.SetPixelColor(x, y, colors[(y / 8) * 2 + x / 8]);
  auto png = std::make_unique<TPNGObject>();
  png->Assign(bitmap);
  return png;
}

// The objects of the page, owned by a page-less parent view.
struct PicturePage {
  PicturePage() {
    ReportClassesStartup();
    auto* text = Add<TfrxMemoView>(8, 8, 200, 96);
    text->SetText(kRussianText);
    text->SetHAlign(haBlock);
    text->Frame()->SetTyp(15);
    text->Font()->SetName("Arial");
    text->Font()->SetSize(10);

    auto* rotated = Add<TfrxMemoView>(216, 8, 28, 150);
    rotated->SetText(u"Повёрнутый текст");
    rotated->SetRotation(90);
    rotated->SetVAlign(vaCenter);
    rotated->SetColor(0xE0FFFF);
    rotated->Frame()->SetTyp(15);

    const TfrxShapeKind kinds[] = {skRectangle, skRoundRectangle, skEllipse, skTriangle, skDiamond};
    for (int k = 0; k < 5; ++k) {
      auto* shape = Add<TfrxShapeView>(256 + (k % 2) * 50, 8 + (k / 2) * 40, 44, 34);
      shape->SetShape(kinds[k]);
      shape->SetColor(k % 2 ? 0xFFE0C0 : 0xC0FFC0);
      shape->Frame()->SetWidth(k == 2 ? 2 : 1);
    }

    auto* arrow = Add<TfrxLineView>(8, 120, 200, 0);
    arrow->SetArrowEnd(true);
    auto* both = Add<TfrxLineView>(8, 140, 200, 60);
    both->SetDiagonal(true);
    both->SetArrowStart(true);
    both->SetArrowEnd(true);
    both->SetArrowSolid(true);
    both->Frame()->SetColor(gfx::clNavy);

    auto* picture = Add<TfrxPictureView>(256, 130, 48, 48);
    picture->Picture()->TakeGraphic(SquaresPng());

    auto* check = Add<TfrxCheckBoxView>(316, 140, 20, 20);
    check->SetChecked(true);
    check->Frame()->SetTyp(15);
  }
  ~PicturePage() {
    objects.clear();
    ReportClassesShutdown();
  }

  template <class T>
  T* Add(long double left, long double top, long double width, long double height) {
    auto object = std::make_unique<T>(nullptr);
    object->SetBounds(left, top, width, height);
    T* raw = object.get();
    objects.push_back(std::move(object));
    return raw;
  }

  void Draw(gfx::TCanvas& canvas, long double scale) {
    canvas.Brush().SetColor(gfx::clWhite);
    canvas.FillRect(gfx::TRect{0, 0, static_cast<int>(kPageWidth * scale), static_cast<int>(kPageHeight * scale)});
    for (auto& object : objects) object->Draw(canvas, scale, scale, 0, 0);
  }

  std::vector<std::unique_ptr<TfrxReportComponent>> objects;
};

std::string FixturePath() { return std::string(REPORT_TEST_DATA) + "/memo_page.png"; }

// Pixels whose channels differ by more than 64 (anti-aliasing of glyph
// edges differs a little between FreeType versions).
int DifferentPixels(const gfx::TBitmap& drawn, const RawImage& reference) {
  int bad = 0;
  for (int y = 0; y < drawn.Height(); ++y)
    for (int x = 0; x < drawn.Width(); ++x) {
      const gfx::TColorRef p = gfx::ColorToRGB(drawn.PixelColor(x, y));
      const int d = std::max({std::abs(int(gfx::GetRValue(p)) - reference.Sample(x, y, 0)),
                              std::abs(int(gfx::GetGValue(p)) - reference.Sample(x, y, 1)),
                              std::abs(int(gfx::GetBValue(p)) - reference.Sample(x, y, 2))});
      if (d > 64) ++bad;
    }
  return bad;
}

TEST(MemoPictures, PageMatchesTheKeptScreenshot) {
  PicturePage page;
  gfx::TBitmap drawn(kPageWidth, kPageHeight);
  page.Draw(drawn.Canvas(), 1);
  if (std::getenv("ZARNIK_WRITE_REFERENCE")) {
    TPNGObject png;
    png.Assign(drawn);
    png.SaveToFile(FixturePath());
  }
  // libpng reads the kept screenshot: an independent reader of the file.
  RawImage reference;
  std::string error;
  ASSERT_TRUE(LibpngDecode(support::ReadFile(FixturePath()), reference, &error)) << error;
  ASSERT_EQ(reference.width, kPageWidth);
  ASSERT_EQ(reference.height, kPageHeight);
  ASSERT_EQ(reference.colorType, 2) << "an RGB screenshot";
  const int bad = DifferentPixels(drawn, reference);
  EXPECT_LE(bad, kPageWidth * kPageHeight / 100) << bad << " pixels differ from " << FixturePath();
}

TEST(MemoPictures, PdfCarriesTheRussianText) {
  if (!support::IsProgram("/usr/bin/pdftotext")) GTEST_SKIP() << "needs pdftotext (poppler-utils)";
  PicturePage page;
  rtl::TMemoryStream out;
  {
    gfx::TDocumentCanvas pdf(out, gfx::TDocumentFormat::Pdf, 300, 300);
    const long double scale = 300.0L / 96.0L;
    pdf.BeginPage({static_cast<int>(kPageWidth * scale), static_cast<int>(kPageHeight * scale)});
    page.Draw(pdf, scale);
    pdf.EndPage();
    pdf.EndDocument();
  }
  support::ScratchFolder dir("zarnik-memo-pdf-");
  const std::string file = dir.File("page.pdf");
  out.SaveToFile(file);
  std::string text = support::CommandOutput("/usr/bin/pdftotext -raw '" + file + "' - 2>/dev/null");
  // Justified lines are laid out word by word: compare the words in order.
  std::string words;
  bool blank = false;
  for (char c : text) {
    if (c == ' ' || c == '\n' || c == '\r' || c == '\f') {
      blank = !words.empty();
      continue;
    }
    if (blank) words += ' ';
    blank = false;
    words += c;
  }
  EXPECT_NE(words.find(rtl::WideToUtf8(u"Кирпич сушится медленно: температура, влажность и усадка образца")),
            std::string::npos)
      << text;
  EXPECT_NE(words.find(rtl::WideToUtf8(u"отчёт показывает их по порядку.")), std::string::npos) << text;
  EXPECT_NE(words.find(rtl::WideToUtf8(u"Повёрнутый")), std::string::npos) << text;
}

}  // namespace
}  // namespace report_test
