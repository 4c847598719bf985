#include "export/vuzImageConverter.h"

#include "export/Gif.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/jpeg_image.h"
#include "platform/gfx/metafile.h"
#include "platform/rtl/files.h"
#include "report/frxpngimage.h"

namespace report {

namespace {

gfx::TRect Area(const gfx::TGraphic& g) { return gfx::TRect{0, 0, g.Width(), g.Height()}; }

bool Blank(const gfx::TGraphic& g) { return g.Width() <= 0 || g.Height() <= 0; }

void Fill(gfx::TCanvas& canvas, const gfx::TRect& r, gfx::TColor color) {
  canvas.Brush().SetStyle(gfx::bsSolid);
  canvas.Brush().SetColor(color);
  canvas.FillRect(r);
}

void SaveMetafile(const gfx::TGraphic& graphic, rtl::TStream& stream, bool enhanced) {
  gfx::TMetafile metafile;
  metafile.SetWidth(std::max(graphic.Width(), 0));
  metafile.SetHeight(std::max(graphic.Height(), 0));
  {
    gfx::TMetafileCanvas canvas(metafile);
    if (!Blank(graphic)) graphic.Draw(canvas, Area(graphic));
    canvas.Close();
  }
  metafile.SetEnhanced(enhanced);
  metafile.SaveToStream(stream);
}

// A bitmap of the graphic's size with the graphic drawn on the given ground.
void DrawOn(gfx::TBitmap& bitmap, const gfx::TGraphic& graphic, gfx::TColor ground) {
  Fill(bitmap.Canvas(), Area(graphic), ground);
  graphic.Draw(bitmap.Canvas(), Area(graphic));
}

}  // namespace

AnsiString GetPicFileExtension(TfrxPictureType type) {
  switch (type) {
    case gpPNG: return "png";
    case gpBMP: return "bmp";
    case gpEMF: return "emf";
    case gpWMF: return "wmf";
    case gpJPG: return "jpg";
    case gpGIF: return "gif";
  }
  return {};
}

void SaveGraphicAs(const gfx::TGraphic& graphic, rtl::TStream& stream, TfrxPictureType type) {
  switch (type) {
    case gpPNG: {
      if (Blank(graphic)) return;  // PNG has no empty picture
      TPNGObject png(COLOR_RGB, 8, graphic.Width(), graphic.Height());
      png.SetTransparentColor(kPictureTransparentColor);
      Fill(png.Canvas(), Area(graphic), kPictureTransparentColor);
      graphic.Draw(png.Canvas(), Area(graphic));
      png.SaveToStream(stream);
      return;
    }
    case gpBMP: {
      gfx::TBitmap bitmap(std::max(graphic.Width(), 0), std::max(graphic.Height(), 0), gfx::pf24bit);
      if (!Blank(graphic)) DrawOn(bitmap, graphic, kPictureTransparentColor);
      bitmap.SaveToStream(stream);
      return;
    }
    case gpEMF: SaveMetafile(graphic, stream, true); return;
    case gpWMF: SaveMetafile(graphic, stream, false); return;
    case gpJPG: {
      if (Blank(graphic)) return;  // JPEG has no empty picture
      gfx::TBitmap bitmap(graphic.Width(), graphic.Height(), gfx::pf24bit);
      DrawOn(bitmap, graphic, gfx::clWhite);
      gfx::TJPEGImage jpeg;
      jpeg.Assign(bitmap);
      jpeg.SaveToStream(stream);
      return;
    }
    case gpGIF: {
      gfx::TBitmap bitmap(std::max(graphic.Width(), 0), std::max(graphic.Height(), 0), gfx::pf24bit);
      if (!Blank(graphic)) DrawOn(bitmap, graphic, gfx::clWhite);
      GIFSaveToStream(stream, bitmap);
      return;
    }
  }
}

void SaveGraphicAs(const gfx::TGraphic& graphic, const AnsiString& fileName, TfrxPictureType type) {
  rtl::SaveFileAtomically(fileName, [&](rtl::TStream& s) { SaveGraphicAs(graphic, s, type); });
}

}  // namespace report
