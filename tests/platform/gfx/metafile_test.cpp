// TMetafile and TMetafileCanvas: recording, playback onto other canvases,
// EMF and WMF round trips that must look like direct drawing, and files that
// independent readers render.
#include "platform/gfx/metafile.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>

#include "external_tools.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dib_bytes.h"
#include "platform/gfx/document_canvas.h"
#include "platform/gfx/recording_canvas.h"

using namespace gfx;

namespace {

// The scene every round trip draws: ground, a framed red box, a blue
// ellipse, a thick green line, a dashed line, a polygon, text, a bitmap and
// a clipped box. 200 x 150 pixels at scale 1.
void DrawScene(TCanvas& c, int k = 1) {
  c.Brush().SetColor(static_cast<TColor>(0xC0FFFF));
  c.Pen().SetStyle(psClear);
  c.Rectangle(0, 0, 200 * k + 1, 150 * k + 1);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetColor(clBlack);
  c.Pen().SetWidth(k);
  c.Brush().SetColor(clRed);
  c.Rectangle(10 * k, 10 * k, 70 * k, 50 * k);
  c.Brush().SetColor(clBlue);
  c.Pen().SetStyle(psClear);
  c.Ellipse(90 * k, 10 * k, 150 * k, 60 * k);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetColor(clLime);
  c.Pen().SetWidth(5 * k);
  c.MoveTo(10 * k, 80 * k);
  c.LineTo(190 * k, 80 * k);
  c.Pen().SetWidth(k);
  c.Pen().SetColor(clBlack);
  c.Brush().SetColor(clYellow);
  std::vector<TPoint> tri{{160 * k, 20 * k}, {195 * k, 20 * k}, {178 * k, 55 * k}};
  c.Polygon(tri);
  c.Font().SetName("Arial");
  c.Font().SetHeight(-16 * k);
  c.Font().SetColor(clBlack);
  c.SetBkMode(bkTransparent);
  c.TextOutW(10 * k, 95 * k, u"Температура");
  TBitmap checker(4, 4, pf24bit);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) checker.SetPixelColor(x, y, (x / 2 + y / 2) % 2 ? clNavy : clWhite);
  c.DrawBitmap(Bounds(150 * k, 95 * k, 40 * k, 40 * k), checker, Rect(0, 0, 4, 4), cmSrcCopy);
  c.SaveDC();
  c.IntersectClipRect(Rect(10 * k, 120 * k, 40 * k, 140 * k));
  c.Brush().SetColor(clFuchsia);
  c.Pen().SetStyle(psClear);
  c.Rectangle(0, 110 * k, 100 * k, 150 * k);
  c.RestoreDC(-1);
}

// Share of pixels whose colours differ by more than the tolerance.
double Mismatch(const TBitmap& a, const TBitmap& b, int tolerance = 60) {
  EXPECT_EQ(a.Width(), b.Width());
  EXPECT_EQ(a.Height(), b.Height());
  int bad = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (!gfx_test::NearColor(ColorToRGB(a.PixelColor(x, y)), ColorToRGB(b.PixelColor(x, y)), tolerance)) ++bad;
  return double(bad) / (a.Width() * a.Height());
}

std::unique_ptr<TBitmap> Direct(int k = 1) {
  auto bmp = std::make_unique<TBitmap>(200 * k, 150 * k, pf24bit);
  DrawScene(bmp->Canvas(), k);
  return bmp;
}

std::unique_ptr<TMetafile> Recorded() {
  auto mf = std::make_unique<TMetafile>();
  mf->SetWidth(200);
  mf->SetHeight(150);
  TMetafileCanvas canvas(*mf);
  DrawScene(canvas);
  canvas.Close();
  return mf;
}

std::unique_ptr<TBitmap> Played(const TMetafile& mf, int k = 1) {
  auto bmp = std::make_unique<TBitmap>(200 * k, 150 * k, pf24bit);
  bmp->Canvas().StretchDraw(Rect(0, 0, 200 * k, 150 * k), mf);
  return bmp;
}

std::string Saved(const TGraphic& g) {
  rtl::TMemoryStream stream;
  g.SaveToStream(stream);
  return stream.Bytes();
}

std::unique_ptr<TMetafile> Reloaded(const TMetafile& mf, bool enhanced) {
  TMetafile copy;
  copy.Assign(mf);
  copy.SetEnhanced(enhanced);
  rtl::TMemoryStream stream(Saved(copy));
  auto back = std::make_unique<TMetafile>();
  back->LoadFromStream(stream);
  return back;
}

}  // namespace

TEST(Metafile, PlaybackLooksLikeDirectDrawing) {
  auto direct = Direct();
  auto mf = Recorded();
  EXPECT_EQ(mf->Width(), 200);
  EXPECT_EQ(mf->Height(), 150);
  EXPECT_LT(Mismatch(*direct, *Played(*mf)), 0.01);
  EXPECT_LT(Mismatch(*direct, *Played(*Reloaded(*mf, true))), 0.01) << "through EMF";
  EXPECT_LT(Mismatch(*direct, *Played(*Reloaded(*mf, false))), 0.02) << "through placeable WMF";
}

TEST(Metafile, ScaledPlaybackMatchesDrawingAtThatScale) {
  auto direct = Direct(2);
  auto mf = Recorded();
  EXPECT_LT(Mismatch(*direct, *Played(*mf, 2)), 0.03);
  EXPECT_LT(Mismatch(*direct, *Played(*Reloaded(*mf, false), 2)), 0.04) << "through placeable WMF";
}

TEST(Metafile, PlaysIntoTheGivenRectangleOnly) {
  auto mf = Recorded();
  TBitmap page(300, 250, pf24bit);
  page.Canvas().StretchDraw(Bounds(60, 40, 200, 150), *mf);
  auto direct = Direct();
  int bad = 0;
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 200; ++x)
      if (!gfx_test::NearColor(ColorToRGB(page.PixelColor(60 + x, 40 + y)), ColorToRGB(direct->PixelColor(x, y)), 60))
        ++bad;
  EXPECT_LT(bad, 300);
  for (auto [x, y] : {std::pair{59, 100}, {260, 100}, {150, 39}, {150, 190}, {0, 0}, {299, 249}})
    EXPECT_EQ(ColorToRGB(page.PixelColor(x, y)), 0xFFFFFFu) << x << "," << y << " lies outside";
}

TEST(Metafile, RecordsObjectsOnlyWhenTheyChange) {
  TMetafile mf;
  {
    TMetafileCanvas c(mf);
    c.Pen().SetColor(clRed);
    c.MoveTo(5, 5);
    c.LineTo(10, 0);
    c.LineTo(10, 10);  // same pen: no new object
    c.SaveDC();
    c.Pen().SetColor(clBlue);  // the red pen stays alive: the saved state uses it
    c.LineTo(0, 10);
    c.RestoreDC(-1);
    c.LineTo(0, 0);
  }
  std::vector<std::uint32_t> types;
  int pens = 0, deletes = 0;
  for (const auto& rec : mf.Records().records) {
    types.push_back(rec.Type());
    if (rec.Type() == emf::EMR_CREATEPEN) ++pens;
    if (rec.Type() == emf::EMR_DELETEOBJECT) ++deletes;
  }
  EXPECT_EQ(pens, 2);
  EXPECT_EQ(deletes, 1) << "the blue pen goes when the restore drops it";
  // The red pen is not deleted between SAVEDC and RESTOREDC.
  auto save = std::find(types.begin(), types.end(), emf::EMR_SAVEDC);
  auto restore = std::find(types.begin(), types.end(), emf::EMR_RESTOREDC);
  ASSERT_NE(save, types.end());
  ASSERT_NE(restore, types.end());
  EXPECT_EQ(std::find(save, restore, emf::EMR_DELETEOBJECT), restore);
  // Lines continue from the pen position without a MOVETOEX of their own.
  EXPECT_EQ(std::count(types.begin(), types.end(), emf::EMR_MOVETOEX), 1);
  EXPECT_EQ(std::count(types.begin(), types.end(), emf::EMR_LINETO), 4);
  // The restored RESTOREDC is relative, as readers expect.
  EXPECT_EQ(static_cast<std::int32_t>(mf.Records().records[restore - types.begin()].Body().U32(8)), -1);
}

TEST(Metafile, PlaybackScalesEveryCallIntoTheDestination) {
  TMetafile mf;
  mf.SetWidth(100);
  mf.SetHeight(50);
  {
    TMetafileCanvas c(mf);
    c.Pen().SetWidth(3);
    c.MoveTo(10, 10);
    c.LineTo(90, 10);
    c.IntersectClipRect(Rect(0, 0, 50, 50));
    c.Font().SetName("Arial");
    c.Font().SetHeight(-12);
    int dx[] = {7, 8, 9};
    c.ExtTextOut(20, 30, 0, nullptr, u"abc", dx);
  }
  TRecordingCanvas target;
  target.StretchDraw(Rect(100, 100, 300, 200), mf);  // twice the size, moved
  auto lines = target.CallsOf(TCanvasOp::LineTo);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]->points.back(), (TPoint{280, 120})) << target.Dump();
  EXPECT_EQ(lines[0]->state.pen.Width(), 6);
  EXPECT_EQ(lines[0]->state.penPos, (TPoint{120, 120}));
  auto clips = target.CallsOf(TCanvasOp::IntersectClip);
  ASSERT_EQ(clips.size(), 1u);
  EXPECT_EQ(clips[0]->rect, Rect(100, 100, 200, 200));
  auto texts = target.CallsOf(TCanvasOp::ExtTextOut);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->text, u"abc");
  EXPECT_EQ(texts[0]->points.front(), (TPoint{140, 160}));
  EXPECT_EQ(texts[0]->dx, (std::vector<int>{14, 16, 18}));
  EXPECT_EQ(texts[0]->state.font.Height(), -24);
  EXPECT_EQ(texts[0]->state.font.Name(), "Arial");
  // Playback leaves the canvas's state as it found it.
  EXPECT_FALSE(target.State().clip.has_value());
  EXPECT_EQ(target.Pen().Width(), 1);
}

TEST(Metafile, AMetafileDrawnIntoAnotherLooksTheSame) {
  auto inner = Recorded();
  TMetafile outer;
  outer.SetWidth(200);
  outer.SetHeight(150);
  {
    TMetafileCanvas c(outer);
    c.StretchDraw(Rect(0, 0, 200, 150), *inner);
  }
  EXPECT_LT(Mismatch(*Played(*inner), *Played(outer)), 0.005);
}

TEST(Metafile, SizesInPixelsMillimetresAndReferenceUnits) {
  TMetafile mf;
  EXPECT_TRUE(mf.Empty());
  mf.SetWidth(200);
  mf.SetHeight(150);
  EXPECT_EQ(mf.MMWidth(), 5292);  // 200 / 96 inch in 0.01 mm
  EXPECT_EQ(mf.MMHeight(), 3969);
  EXPECT_EQ(mf.Width(), 200);

  // A printer-resolution reference: the picture keeps its screen size, the
  // drawing is in 600-dpi units.
  TMetafile fine;
  fine.SetWidth(96);
  fine.SetHeight(96);
  {
    TMetafileCanvas c(fine, 600);
    EXPECT_EQ(c.PixelsPerInchX(), 600);
    c.Brush().SetColor(clRed);
    c.Pen().SetStyle(psClear);
    c.Rectangle(0, 0, 301, 601);  // the left half
  }
  EXPECT_EQ(fine.Width(), 96);
  TBitmap bmp(96, 96, pf24bit);
  bmp.Canvas().StretchDraw(Rect(0, 0, 96, 96), fine);
  EXPECT_EQ(ColorToRGB(bmp.PixelColor(20, 50)), ColorToRGB(clRed));
  EXPECT_EQ(ColorToRGB(bmp.PixelColor(70, 50)), 0xFFFFFFu);

  // Without a size, the metafile takes the bounds of what was drawn.
  TMetafile free;
  {
    TMetafileCanvas c(free);
    c.Rectangle(0, 0, 48, 24);
  }
  EXPECT_EQ(free.Width(), 48);
  EXPECT_EQ(free.Height(), 24);
}

TEST(Metafile, SavesEmfOrPlaceableWmfAndLoadsEitherBySignature) {
  auto mf = Recorded();
  std::string emf = Saved(*mf);
  EXPECT_EQ(emf.substr(40, 4), " EMF");
  mf->SetEnhanced(false);
  mf->SetInch(1440);
  std::string wmf = Saved(*mf);
  EXPECT_EQ(static_cast<unsigned char>(wmf[0]), 0xD7);
  EXPECT_EQ(bytes::Reader(wmf).U16(14), 1440);
  EXPECT_EQ(bytes::Reader(wmf).I16(10), 3000) << "200 px at 1440 units per inch";

  for (bool enhanced : {true, false}) {
    const std::string& data = enhanced ? emf : wmf;
    // The metafile reads only its own bytes: what follows stays in the stream.
    rtl::TMemoryStream stream("xyz" + data + "TAIL");
    stream.SetPosition(3);
    TMetafile back;
    back.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(3 + data.size()));
    EXPECT_EQ(back.Width(), 200);
    EXPECT_EQ(back.Height(), 150);
    EXPECT_EQ(back.Enhanced(), enhanced);
  }
  TMetafile fromWmf;
  rtl::TMemoryStream ws(wmf);
  fromWmf.LoadFromStream(ws);
  EXPECT_EQ(fromWmf.Inch(), 1440);
  EXPECT_FALSE(fromWmf.Enhanced());
}

TEST(Metafile, DamagedDataLeavesTheMetafileAsItWas) {
  auto mf = Recorded();
  std::string emf = Saved(*mf);
  mf->SetEnhanced(false);
  std::string wmf = Saved(*mf);
  const std::string cases[] = {
      "",
      "garbage",
      emf.substr(0, 60),
      emf.substr(0, emf.size() - 10),
      wmf.substr(0, 30),
      wmf.substr(0, wmf.size() / 2),
      std::string(200, '\0'),
  };
  for (const std::string& bad : cases) {
    TMetafile target;
    target.SetWidth(10);
    target.SetHeight(20);
    rtl::TMemoryStream stream(bad);
    EXPECT_THROW(target.LoadFromStream(stream), EInvalidGraphic) << bad.size();
    EXPECT_EQ(target.Width(), 10);
    EXPECT_EQ(target.Height(), 20);
    EXPECT_TRUE(target.Records().records.empty());
  }
}

TEST(Metafile, TextRecordsCarryTextAndBounds) {
  TMetafile mf;
  {
    TMetafileCanvas c(mf);
    c.Font().SetName("Arial");
    c.Font().SetHeight(-20);
    c.Rectangle(0, 0, 5, 5);
    c.TextOutW(30, 40, u"Найти");
    c.SetTextAlign(TA_RIGHT | TA_BOTTOM);
    c.TextOutW(300, 200, u"конец");
  }
  auto texts = mf.TextRecords();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, u"Найти");
  EXPECT_EQ(texts[0].bounds.Left, 30);
  EXPECT_EQ(texts[0].bounds.Top, 40);
  EXPECT_GT(texts[0].bounds.Width(), 40);
  EXPECT_GE(texts[0].bounds.Height(), 20);
  EXPECT_EQ(texts[1].bounds.Right, 300) << "aligned right";
  EXPECT_EQ(texts[1].bounds.Bottom, 200) << "aligned bottom";
  EXPECT_GT(texts[1].recordIndex, texts[0].recordIndex);
}

TEST(Metafile, ClipRegionsAreSelectedAndRemoved) {
  // The picture object's way of clipping: keep the clip, narrow it, draw,
  // put the kept one back.
  TMetafile mf;
  mf.SetWidth(100);
  mf.SetHeight(100);
  {
    TMetafileCanvas c(mf);
    c.Pen().SetStyle(psClear);
    c.Brush().SetColor(clRed);
    TRegion only(Rect(0, 0, 50, 100));
    c.SelectClipRegion(&only);
    c.Rectangle(0, 0, 101, 51);
    c.SelectClipRegion(nullptr);
    c.Brush().SetColor(clBlue);
    c.Rectangle(0, 50, 101, 101);
  }
  TBitmap bmp(100, 100, pf24bit);
  bmp.Canvas().StretchDraw(Rect(0, 0, 100, 100), mf);
  EXPECT_EQ(ColorToRGB(bmp.PixelColor(25, 25)), ColorToRGB(clRed));
  EXPECT_EQ(ColorToRGB(bmp.PixelColor(75, 25)), 0xFFFFFFu) << "clipped away";
  EXPECT_EQ(ColorToRGB(bmp.PixelColor(75, 75)), ColorToRGB(clBlue)) << "clip removed";
  // Playback never widens the clip its caller set.
  TBitmap narrow(100, 100, pf24bit);
  narrow.Canvas().IntersectClipRect(Rect(0, 0, 100, 60));
  narrow.Canvas().StretchDraw(Rect(0, 0, 100, 100), mf);
  EXPECT_EQ(ColorToRGB(narrow.PixelColor(75, 55)), ColorToRGB(clBlue));
  EXPECT_EQ(ColorToRGB(narrow.PixelColor(75, 75)), 0xFFFFFFu);
}

namespace {

// Checks a reader's raster of the scene, located on its page by its ground.
void ExpectSceneRendered(const gfx_test::RgbImage& img) {
  gfx_test::Box box = gfx_test::ContentBox(img);
  ASSERT_GT(box.Width(), 100);
  EXPECT_NEAR(double(box.Width()) / box.Height(), 200.0 / 150.0, 0.05);
  auto at = [&](int x, int y) { return img.Pixel(box.left + x * box.Width() / 200, box.top + y * box.Height() / 150); };
  struct Probe {
    int x, y;
    unsigned color;
    const char* what;
  } probes[] = {
      {40, 30, 0x0000FF, "red box"},        {120, 35, 0xFF0000, "blue ellipse"}, {100, 80, 0x00FF00, "green line"},
      {178, 30, 0x00FFFF, "triangle"},      {25, 130, 0xFF00FF, "clipped box"},  {60, 130, 0xC0FFFF, "clipped away"},
      {155, 100, 0xFFFFFF, "bitmap white"}, {185, 100, 0x800000, "bitmap navy"}, {100, 65, 0xC0FFFF, "ground"},
  };
  for (const Probe& p : probes)
    EXPECT_TRUE(gfx_test::NearColor(at(p.x, p.y), p.color, 70)) << p.what << ": " << std::hex << at(p.x, p.y);
  int dark = 0;
  for (int y = 95; y < 112; ++y)
    for (int x = 10; x < 110; ++x)
      if (gfx_test::NearColor(at(x, y), 0, 100)) ++dark;
  EXPECT_GT(dark, 60) << "the text";
}

}  // namespace

TEST(Metafile, LibreOfficeRendersOurEmfAndWmf) {
  std::string soffice = support::FindTool("soffice"), convert = support::FindTool("convert");
  if (soffice.empty() || convert.empty())
    GTEST_SKIP() << "needs soffice (libreoffice-draw-nogui) and convert (imagemagick)";
  support::ScratchFolder dir;
  auto mf = Recorded();
  for (bool enhanced : {true, false}) {
    mf->SetEnhanced(enhanced);
    std::string file = dir.File(enhanced ? "scene.emf" : "scene.wmf");
    mf->SaveToFile(file);
    std::string png = gfx_test::ConvertWithLibreOffice(soffice, dir, file);
    ASSERT_FALSE(png.empty()) << file;
    SCOPED_TRACE(file);
    ExpectSceneRendered(gfx_test::ReadWithImageMagick(convert, png, dir.File("out.ppm")));
  }
}

TEST(Metafile, LibwmfReadsOurWmf) {
  std::string wmf2svg = support::FindTool("wmf2svg");
  if (wmf2svg.empty()) GTEST_SKIP() << "needs wmf2svg (libwmf-bin)";
  support::ScratchFolder dir;
  auto mf = Recorded();
  mf->SetEnhanced(false);
  mf->SaveToFile(dir.File("scene.wmf"));
  ASSERT_EQ(gfx_test::Run("'" + wmf2svg + "' -o '" + dir.File("scene.svg") + "' '" + dir.File("scene.wmf") + "'"), 0);
  std::string svg = support::ReadFile(dir.File("scene.svg"));
  for (const char* element : {"<ellipse", "<polygon", "<image", "<text", "<line"})
    EXPECT_NE(svg.find(element), std::string::npos) << element;
  EXPECT_NE(svg.find("width=\"200\" height=\"150\""), std::string::npos);
}

TEST(Metafile, DamagedRecordsPlayWithoutHarm) {
  // Bytes flipped inside the records of a real recording: whatever loads
  // must play onto a bitmap without reading outside a record.
  auto mf = Recorded();
  std::string emf = Saved(*mf);
  mf->SetEnhanced(false);
  std::string wmf = Saved(*mf);
  // Offsets of record bodies, leaving each record's type and size intact.
  auto bodies = [](const std::string& data, bool as_wmf) {
    std::vector<std::size_t> at;
    bytes::Reader r(data);
    std::size_t off = as_wmf ? 40 : r.U32(4);
    while (off + 8 <= data.size()) {
      std::size_t size = as_wmf ? r.U32(off) * 2 : r.U32(off + 4);
      std::size_t head = as_wmf ? 6 : 8;
      for (std::size_t i = head; i < size; ++i) at.push_back(off + i);
      if (size == 0) break;
      off += size;
    }
    return at;
  };
  const std::vector<std::size_t> emfBodies = bodies(emf, false), wmfBodies = bodies(wmf, true);
  std::mt19937 rng(2024);
  int played = 0;
  for (int round = 0; round < 120; ++round) {
    bool useWmf = round % 2;
    std::string data = useWmf ? wmf : emf;
    const std::vector<std::size_t>& at = useWmf ? wmfBodies : emfBodies;
    for (int i = 0; i < 12; ++i) data[at[rng() % at.size()]] = static_cast<char>(rng());
    TMetafile damaged;
    rtl::TMemoryStream s(data);
    try {
      damaged.LoadFromStream(s);
    } catch (const EInvalidGraphic&) {
      continue;
    }
    TBitmap bmp(50, 40, pf24bit);
    bmp.Canvas().StretchDraw(Rect(0, 0, 50, 40), damaged);
    TRecordingCanvas rec;
    rec.StretchDraw(Rect(0, 0, 50, 40), damaged);
    ++played;
  }
  EXPECT_GT(played, 20);
}

TEST(Metafile, PrintedThroughADocumentCanvasLooksTheSame) {
  // The printing path: a 300-dpi document canvas, read back with poppler.
  std::string pdftoppm = support::FindTool("pdftoppm"), pdftotext = support::FindTool("pdftotext");
  std::string convert = support::FindTool("convert");
  if (pdftoppm.empty() || pdftotext.empty() || convert.empty())
    GTEST_SKIP() << "needs pdftoppm, pdftotext (poppler-utils) and convert (imagemagick)";
  auto mf = Recorded();
  support::ScratchFolder dir;
  {
    rtl::TFileStream out(dir.File("page.pdf"), rtl::fmCreate);
    TDocumentCanvas printer(out, TDocumentFormat::Pdf, 300, 300);
    printer.BeginPage({625, 469});
    printer.StretchDraw(Rect(0, 0, 625, 469), *mf);
    printer.EndPage();
    printer.EndDocument();
  }
  ASSERT_EQ(gfx_test::Run("'" + pdftoppm + "' -scale-to-x 200 -scale-to-y 150 -png -singlefile '" +
                          dir.File("page.pdf") + "' '" + dir.File("page") + "'"),
            0);
  gfx_test::RgbImage img = gfx_test::ReadWithImageMagick(convert, dir.File("page.png"), dir.File("page.ppm"));
  ASSERT_EQ(img.width, 200);
  ASSERT_EQ(img.height, 150);
  auto direct = Direct();
  int bad = 0;
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 200; ++x)
      if (!gfx_test::NearColor(img.Pixel(x, y), ColorToRGB(direct->PixelColor(x, y)), 80)) ++bad;
  EXPECT_LT(bad, 200 * 150 * 4 / 100);
  std::string text;
  {
    std::string cmd = "'" + pdftotext + "' '" + dir.File("page.pdf") + "' '" + dir.File("page.txt") + "'";
    ASSERT_EQ(gfx_test::Run(cmd), 0);
    text = support::ReadFile(dir.File("page.txt"));
  }
  EXPECT_NE(text.find("Температура"), std::string::npos) << text;
}

TEST(Metafile, ExtremeNumbersInRecordsStayHarmless) {
  // Records whose numbers sit at the ends of the 32-bit range: playback,
  // saving in both forms and the text search must neither overflow nor
  // walk far outside the picture.
  const std::int32_t lo = INT32_MIN, hi = INT32_MAX;
  emf::Document doc;
  doc.header.frame = {lo, lo, hi, hi};
  doc.header.bounds = {lo, lo, hi, hi};
  TBitmap tiny(2, 2, pf24bit);
  std::string packed = tiny.SaveToDIB();
  std::string_view bmi, bits;
  ASSERT_TRUE(dib::SplitPacked(packed, &bmi, &bits));
  doc.records.push_back(emf::MakeRectRecord(emf::EMR_RECTANGLE, {lo, lo, hi, hi}));
  doc.records.push_back(emf::MakeRoundRect({lo, 0, hi, 10}, hi, lo));
  doc.records.push_back(
      emf::MakeStretchDIBits({lo, lo, hi, hi}, {hi - 5, hi - 5, hi, hi}, {hi, hi, hi, hi}, bmi, bits, emf::SRCCOPY));
  doc.records.push_back(emf::MakePatBlt({0, 0, 1, 1}, {lo, lo, hi, hi}, emf::PATCOPY));
  // A bitmap wider than any drawing surface.
  TBitmap wide(40000, 1, pf8bit);
  std::string widePacked = wide.SaveToDIB();
  ASSERT_TRUE(dib::SplitPacked(widePacked, &bmi, &bits));
  doc.records.push_back(
      emf::MakeStretchDIBits({0, 0, 9, 9}, {0, 0, 10, 10}, {0, 0, 40000, 1}, bmi, bits, emf::SRCCOPY));
  doc.records.push_back(emf::MakePointRecord(emf::EMR_MOVETOEX, hi, hi));
  doc.records.push_back(emf::MakePointRecord(emf::EMR_LINETO, lo, lo));
  doc.records.push_back(emf::MakeCreatePen(1, emf::LogPen{emf::PS_SOLID | emf::PS_GEOMETRIC, hi, 0, {}}));
  doc.records.push_back(emf::MakeU32Record(emf::EMR_SELECTOBJECT, 1));
  emf::LogFont font;
  font.height = lo;
  font.faceName = u"Arial";
  doc.records.push_back(emf::MakeCreateFont(2, font));
  doc.records.push_back(emf::MakeU32Record(emf::EMR_SELECTOBJECT, 2));
  doc.records.push_back(emf::MakeU32Record(emf::EMR_SETTEXTALIGN, emf::TA_UPDATECP));
  doc.records.push_back(
      emf::MakeExtTextOutW({lo, lo, hi, hi}, {hi, hi}, u"ab", emf::ETO_OPAQUE, {lo, lo, hi, hi}, {hi, hi}));
  doc.records.push_back(emf::MakeExtTextOutW({lo, lo, hi, hi}, {lo, lo}, u"cd", 0, {}, {lo, lo}));
  doc.records.push_back(emf::MakeU32Record(emf::EMR_RESTOREDC, static_cast<std::uint32_t>(lo)));
  TMetafile mf;
  mf.SetRecords(doc);
  TBitmap bmp(40, 30, pf24bit);
  bmp.Canvas().StretchDraw(Rect(0, 0, 40, 30), mf);
  TRecordingCanvas rec;
  rec.StretchDraw(Rect(0, 0, 40, 30), mf);
  EXPECT_EQ(mf.TextRecords().size(), 2u);
  for (bool enhanced : {true, false}) {
    mf.SetEnhanced(enhanced);
    std::string saved = Saved(mf);
    TMetafile back;
    rtl::TMemoryStream s(saved);
    back.LoadFromStream(s);
    back.Draw(bmp.Canvas(), Rect(0, 0, 40, 30));
  }
}

TEST(Metafile, StretchModeTravelsWithBitmaps) {
  TMetafile mf;
  mf.SetWidth(20);
  mf.SetHeight(20);
  TBitmap tiny(2, 2, pf24bit);
  {
    TMetafileCanvas c(mf);
    c.SetStretchMode(smHalftone);
    c.DrawBitmap(Rect(0, 0, 20, 20), tiny, Rect(0, 0, 2, 2), cmSrcCopy);
  }
  TRecordingCanvas rec;
  rec.StretchDraw(Rect(0, 0, 20, 20), mf);
  auto blits = rec.CallsOf(TCanvasOp::DrawBitmap);
  ASSERT_EQ(blits.size(), 1u);
  EXPECT_EQ(blits[0]->state.stretchMode, smHalftone);
  EXPECT_EQ(blits[0]->bitmapSize, (TSize{2, 2}));
  EXPECT_EQ(blits[0]->rect, Rect(0, 0, 20, 20));
}

TEST(Metafile, WorldTransformsOfOtherWritersAreFollowed) {
  emf::Document doc;
  doc.header.frame = {0, 0, 2646, 2646};  // 100 x 100 px
  doc.records.push_back(emf::MakeSetWorldTransform({2, 0, 0, 2, 10, 5}));
  doc.records.push_back(emf::MakeRectRecord(emf::EMR_RECTANGLE, {0, 0, 10, 10}));
  doc.records.push_back(emf::MakeSaveDC());
  doc.records.push_back(emf::MakeModifyWorldTransform({1, 0, 0, 1, 0, 0}, emf::MWT_IDENTITY));
  doc.records.push_back(emf::MakeRectRecord(emf::EMR_RECTANGLE, {0, 0, 10, 10}));
  doc.records.push_back(emf::MakeU32Record(emf::EMR_RESTOREDC, static_cast<std::uint32_t>(-1)));
  doc.records.push_back(emf::MakeModifyWorldTransform({1, 0, 0, 1, 3, 0}, emf::MWT_LEFTMULTIPLY));
  doc.records.push_back(emf::MakeRectRecord(emf::EMR_RECTANGLE, {0, 0, 1, 1}));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  doc.records.push_back(emf::MakeSetWorldTransform({nan, 0, 0, 1, 0, 0}));  // ignored
  doc.records.push_back(emf::MakeRectRecord(emf::EMR_RECTANGLE, {0, 0, 1, 1}));
  TMetafile mf;
  mf.SetRecords(doc);
  TRecordingCanvas rec;
  rec.StretchDraw(Rect(0, 0, 100, 100), mf);
  auto rects = rec.CallsOf(TCanvasOp::Rectangle);
  ASSERT_EQ(rects.size(), 4u) << rec.Dump();
  EXPECT_EQ(rects[0]->rect, Rect(10, 5, 30, 25)) << "scaled twice, moved";
  EXPECT_EQ(rects[1]->rect, Rect(0, 0, 10, 10)) << "identity inside the saved state";
  EXPECT_EQ(rects[2]->rect, Rect(16, 5, 18, 7)) << "restored, then moved by 3 before the scale";
  EXPECT_EQ(rects[3]->rect, rects[2]->rect) << "a transform that is not a number changes nothing";
}
