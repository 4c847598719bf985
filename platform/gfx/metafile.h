// Our metafile: a picture kept as drawing records. A TMetafileCanvas records
// every drawing call in the logical units of its reference device; playing
// the metafile draws the records scaled into a rectangle of any canvas
// (screen, bitmap, printer, another metafile). It is saved and loaded as an
// enhanced metafile (EMF) or, when not Enhanced, as a placeable Windows
// metafile (WMF); loading accepts either, told apart by the first bytes.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/gfx/emf_format.h"
#include "platform/gfx/graphic.h"

namespace gfx {

// A text record of the metafile, as the preview's text search walks them.
struct TMetafileTextRecord {
  int recordIndex = 0;  // in enumeration order; the header is record 0
  std::u16string text;
  TRect bounds;  // reference-device pixels, right and bottom exclusive
};

class TMetafile : public TGraphic {
 public:
  TMetafile() = default;

  std::string ClassName() const override { return "TMetafile"; }
  std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TMetafile>(); }

  // Size in screen pixels (96 per inch), kept as MMWidth / MMHeight.
  int Width() const override;
  int Height() const override;
  void SetWidth(int w) override;
  void SetHeight(int h) override;
  // Size in 0.01 mm.
  int MMWidth() const { return mmWidth_; }
  int MMHeight() const { return mmHeight_; }
  void SetMMWidth(int v);
  void SetMMHeight(int v);
  // Units per inch of the placeable WMF form (0: 96 when saving).
  int Inch() const { return inch_; }
  void SetInch(int v) { inch_ = v; }
  // Saved as EMF when true (the default), as placeable WMF when false.
  bool Enhanced() const { return enhanced_; }
  void SetEnhanced(bool e) { enhanced_ = e; }
  // A metafile without records (and no size) is empty.
  bool Empty() const override;
  void Clear();

  void Draw(TCanvas& canvas, const TRect& rect) const override;

  // Reads an EMF or placeable WMF starting at the stream's position and
  // consumes exactly its bytes; damaged data raise EInvalidGraphic and leave
  // the metafile as it was.
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) const override;
  void Assign(const TGraphic& source) override;

  // The records, as enumeration walks them (header and EOF not included).
  const emf::Document& Records() const { return doc_; }
  // Every text record with its text and bounds.
  std::vector<TMetafileTextRecord> TextRecords() const;
  // Replaces the records (the canvas hands over its recording here).
  void SetRecords(emf::Document doc);

 private:
  friend class TMetafileCanvas;
  emf::Document doc_;
  int mmWidth_ = 0, mmHeight_ = 0;
  int inch_ = 0;
  bool enhanced_ = true;
};

// Records drawing into a metafile. Coordinates are pixels of the reference
// device; the recording becomes the metafile's content when the canvas is
// destroyed (or Close is called). A metafile with a size keeps it as its
// frame; one without takes the bounds of what was drawn.
class TMetafileCanvas : public TCanvas {
 public:
  // referenceDevice 0 is the screen (96 pixels per inch); any other value
  // is the reference device's resolution in pixels per inch.
  explicit TMetafileCanvas(TMetafile& metafile, int referenceDevice = 0);
  // The resolution of another canvas serves as the reference device.
  TMetafileCanvas(TMetafile& metafile, const TCanvas& referenceDevice);
  ~TMetafileCanvas() override;

  // Hands the recording to the metafile now; later drawing is not recorded.
  void Close();

  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Polyline(const TPoint* points, std::size_t count) override;
  void Polygon(const TPoint* points, std::size_t count) override;
  void PolyBezier(const TPoint* points, std::size_t count) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH) override;
  void Ellipse(int x1, int y1, int x2, int y2) override;
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void FillRect(const TRect& r) override;
  void FrameRect(const TRect& r) override;
  void FillRegion(const TRegion& region) override;
  void ExtTextOut(int x, int y, unsigned options, const TRect* rect, std::u16string_view text, const int* dx) override;
  void DrawBitmap(const TRect& dest, const TBitmap& bitmap, const TRect& src, TCopyMode rop) override;
  void SetPixel(int x, int y, TColor color) override;
  void SelectClipRegion(const TRegion* region) override;
  void IntersectClipRect(const TRect& r) override;
  void ExcludeClipRect(const TRect& r) override;
  int SaveDC() override;
  void RestoreDC(int level) override;

  using TCanvas::Ellipse;
  using TCanvas::PolyBezier;
  using TCanvas::Polygon;
  using TCanvas::Polyline;
  using TCanvas::Rectangle;

 private:
  struct Recorder;
  void Add(emf::Record rec);
  void SyncLine();
  void SyncFill();
  void SyncText();
  void Grow(const TRect& r);
  void GrowPoints(const TPoint* points, std::size_t count);
  emf::RectL Bounds(const TRect& r) const;
  void ShapeRecord(std::uint32_t type, int x1, int y1, int x2, int y2);
  void ArcRecord(std::uint32_t type, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void PolyRecord(std::uint32_t type16, const TPoint* points, std::size_t count);
  void PatBlt(const TRect& r);

  TMetafile* metafile_;
  std::unique_ptr<Recorder> rec_;
};

}  // namespace gfx
