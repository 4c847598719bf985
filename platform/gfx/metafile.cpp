// TMetafile: holds the records, plays them onto a canvas, reads and writes
// EMF and placeable WMF.
#include "platform/gfx/metafile.h"

#include <algorithm>
#include <cmath>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/metafile_player.h"
#include "platform/gfx/wmf_format.h"

namespace gfx {

namespace {

// Device pixels of playback (already limited by the player), rounded; the
// clamp keeps sums of them within an int.
constexpr int kMaxBitmapSide = 32767;

int Round(double v) { return static_cast<int>(std::lround(std::clamp(v, -536870912.0, 536870912.0))); }
TPoint Pt(emf::PointD p) { return {Round(p.x), Round(p.y)}; }
TRect Rc(const emf::RectD& r) { return {Round(r.left), Round(r.top), Round(r.right), Round(r.bottom)}; }

// Playback onto a canvas: the record state becomes the canvas's pen, brush,
// font and modes; coordinates are rounded to device pixels.
class CanvasTarget : public emf::PlaybackTarget {
 public:
  explicit CanvasTarget(TCanvas& canvas) : c_(canvas) {}

  void SetPen(const emf::LogPen& lp, double width) override {
    static constexpr TPenStyle kStyles[] = {psSolid, psDash,        psDot,       psDashDot,  psDashDotDot,
                                            psClear, psInsideFrame, psUserStyle, psAlternate};
    TPen pen;
    std::uint32_t style = lp.style & emf::PS_STYLE_MASK;
    pen.SetStyle(style < std::size(kStyles) ? kStyles[style] : psSolid);
    pen.SetColor(static_cast<TColor>(lp.color & 0xFFFFFF));
    pen.SetWidth(lp.width == 0 ? 0 : std::max(1, Round(width)));
    if ((lp.style & emf::PS_TYPE_MASK) == emf::PS_GEOMETRIC) {
      pen.SetGeometric(true);
      std::uint32_t cap = lp.style & emf::PS_ENDCAP_MASK, join = lp.style & emf::PS_JOIN_MASK;
      pen.SetEndCap(cap == emf::PS_ENDCAP_SQUARE ? pecSquare : cap == emf::PS_ENDCAP_FLAT ? pecFlat : pecRound);
      pen.SetJoin(join == emf::PS_JOIN_BEVEL ? pjBevel : join == emf::PS_JOIN_MITER ? pjMiter : pjRound);
      if (!lp.styleEntries.empty() && lp.width > 0) {
        double k = width / lp.width;
        std::vector<unsigned> dashes;
        for (std::uint32_t d : lp.styleEntries)
          dashes.push_back(static_cast<unsigned>(std::max(1L, std::lround(d * k))));
        pen.SetDashes(dashes);
      }
    }
    pen.SetMode(static_cast<TPenMode>(std::clamp<std::uint32_t>(rop2_, 1, 16) - 1));
    c_.Pen() = pen;
  }

  void SetBrush(const emf::LogBrush& lb) override {
    TBrush brush;
    if (lb.style == emf::BS_NULL) {
      brush.SetStyle(bsClear);
    } else {
      brush.SetColor(static_cast<TColor>(lb.color & 0xFFFFFF));
      brush.SetStyle(lb.style == emf::BS_HATCHED && lb.hatch <= emf::HS_DIAGCROSS
                         ? static_cast<TBrushStyle>(bsHorizontal + lb.hatch)
                         : bsSolid);
    }
    c_.Brush() = brush;
    // A new brush resets the canvas's background; the records' stays.
    c_.SetBkColor(bkColor_);
    c_.SetBkMode(bkMode_);
  }

  void SetFont(const emf::LogFont& lf) override {
    TFont font;
    font.SetName(rtl::WideToAnsi(lf.faceName.empty() ? u"Arial" : lf.faceName));
    font.SetPixelsPerInch(c_.PixelsPerInchY());
    font.SetHeight(lf.height == 0 ? -13 : lf.height);
    TFontStyles styles;
    if (lf.weight >= 600) styles.Include(fsBold);
    if (lf.italic) styles.Include(fsItalic);
    if (lf.underline) styles.Include(fsUnderline);
    if (lf.strikeOut) styles.Include(fsStrikeOut);
    font.SetStyle(styles);
    font.SetCharset(lf.charSet);
    font.SetOrientation(lf.escapement);
    font.SetPitch((lf.pitchAndFamily & 3) == 1 ? fpFixed : (lf.pitchAndFamily & 3) == 2 ? fpVariable : fpDefault);
    font.SetColor(textColor_);
    c_.Font() = font;
  }

  void SetTextColor(std::uint32_t color) override {
    textColor_ = static_cast<TColor>(color & 0xFFFFFF);
    c_.Font().SetColor(textColor_);
  }
  void SetBkColor(std::uint32_t color) override {
    bkColor_ = static_cast<TColor>(color & 0xFFFFFF);
    c_.SetBkColor(bkColor_);
  }
  void SetBkMode(std::uint32_t mode) override {
    bkMode_ = mode == emf::TRANSPARENT ? bkTransparent : bkOpaque;
    c_.SetBkMode(bkMode_);
  }
  void SetPolyFillMode(std::uint32_t mode) override {
    c_.SetPolyFillMode(mode == emf::WINDING ? pfWinding : pfAlternate);
  }
  void SetRop2(std::uint32_t rop2) override {
    rop2_ = std::clamp<std::uint32_t>(rop2, 1, 16);
    c_.Pen().SetMode(static_cast<TPenMode>(rop2_ - 1));
  }
  void SetStretchMode(std::uint32_t mode) override {
    c_.SetStretchMode(static_cast<TStretchMode>(std::clamp<std::uint32_t>(mode, smBlackOnWhite, smHalftone)));
  }

  void Line(emf::PointD from, emf::PointD to) override {
    TPoint a = Pt(from), b = Pt(to);
    c_.MoveTo(a.X, a.Y);
    c_.LineTo(b.X, b.Y);
  }
  void Rectangle(const emf::RectD& r) override { c_.Rectangle(Rc(r)); }
  void Ellipse(const emf::RectD& r) override { c_.Ellipse(Rc(r)); }
  void RoundRect(const emf::RectD& r, double cw, double ch) override {
    TRect rc = Rc(r);
    c_.RoundRect(rc.Left, rc.Top, rc.Right, rc.Bottom, Round(cw), Round(ch));
  }
  void Polygon(const std::vector<emf::PointD>& pts) override { c_.Polygon(Points(pts)); }
  void Polyline(const std::vector<emf::PointD>& pts) override { c_.Polyline(Points(pts)); }
  void PolyBezier(const std::vector<emf::PointD>& pts) override {
    std::vector<TPoint> p = Points(pts);
    p.resize(p.empty() ? 0 : (p.size() - 1) / 3 * 3 + 1);
    c_.PolyBezier(p);
  }
  void PolyPolygon(const std::vector<std::vector<emf::PointD>>& polys) override {
    // The canvas has no poly-polygon: the rings are joined through the first
    // start point (the joins cancel out under either fill rule's counting of
    // a there-and-back edge) and filled without a pen; the rings' outlines
    // follow.
    std::vector<TPoint> joined;
    for (const auto& ring : polys) {
      if (ring.empty()) continue;
      std::vector<TPoint> p = Points(ring);
      TPoint anchor = joined.empty() ? p.front() : joined.front();
      joined.insert(joined.end(), p.begin(), p.end());
      joined.push_back(p.front());
      joined.push_back(anchor);
    }
    if (joined.empty()) return;
    TPen pen = c_.Pen();
    c_.Pen().SetStyle(psClear);
    c_.Polygon(joined);
    c_.Pen() = pen;
    for (const auto& ring : polys) {
      if (ring.empty()) continue;
      std::vector<TPoint> p = Points(ring);
      p.push_back(p.front());
      c_.Polyline(p);
    }
  }
  void Arc(std::uint32_t kind, const emf::RectD& box, emf::PointD start, emf::PointD end) override {
    TRect b = Rc(box);
    TPoint s = Pt(start), e = Pt(end);
    if (kind == emf::EMR_PIE)
      c_.Pie(b.Left, b.Top, b.Right, b.Bottom, s.X, s.Y, e.X, e.Y);
    else if (kind == emf::EMR_CHORD)
      c_.Chord(b.Left, b.Top, b.Right, b.Bottom, s.X, s.Y, e.X, e.Y);
    else
      c_.Arc(b.Left, b.Top, b.Right, b.Bottom, s.X, s.Y, e.X, e.Y);
  }
  void SetPixel(emf::PointD p, std::uint32_t color) override {
    TPoint q = Pt(p);
    c_.SetPixel(q.X, q.Y, static_cast<TColor>(color));
  }

  void Text(emf::PointD ref, std::u16string_view text, const std::vector<double>& advances, std::uint32_t align,
            std::uint32_t options, const emf::RectD& rect) override {
    c_.SetTextAlign(align & (gfx::TA_CENTER | gfx::TA_BASELINE));
    std::vector<int> dx;
    if (advances.size() == text.size() && !text.empty()) {
      // Rounded running positions keep the line's total length.
      double sum = 0;
      int prev = 0;
      for (double a : advances) {
        sum += a;
        int pos = Round(sum);
        dx.push_back(pos - prev);
        prev = pos;
      }
    }
    TPoint p = Pt(ref);
    unsigned opts = options & (gfx::ETO_OPAQUE | gfx::ETO_CLIPPED);
    TRect rc = Rc(rect);
    c_.ExtTextOut(p.X, p.Y, opts, opts ? &rc : nullptr, text, dx.empty() ? nullptr : dx.data());
  }
  double TextWidth(std::u16string_view text) override { return c_.TextWidthW(text); }

  void IntersectClip(const emf::RectD& r) override { c_.IntersectClipRect(Rc(r)); }
  void ExcludeClip(const emf::RectD& r) override { c_.ExcludeClipRect(Rc(r)); }
  void SelectClip(const std::vector<emf::RectD>* rects) override {
    // A region replaces the clip only within the clip the picture was
    // played under: playback stays inside what its caller allowed.
    TRegion region;
    if (rects)
      for (const emf::RectD& r : *rects) region.Unite(Rc(r));
    std::optional<TRegion> outer = base_;
    if (!rects) {
      c_.SelectClipRegion(outer ? &*outer : nullptr);
      return;
    }
    if (outer) region.Intersect(*outer);
    c_.SelectClipRegion(&region);
  }
  void SaveState() override {
    if (depth_++ == 0) {
      TRegion r;
      if (c_.GetClipRegion(r)) base_ = r;
    }
    c_.SaveDC();
  }
  void RestoreState() override {
    c_.RestoreDC(-1);
    --depth_;
  }

  void StretchDib(const emf::RectD& dest, const emf::SourceRect& src, std::string_view bmi, std::string_view bits,
                  std::uint32_t rop) override {
    std::string packed;
    packed.reserve(bmi.size() + bits.size());
    packed.append(bmi).append(bits);
    TBitmap bitmap;
    try {
      bitmap.LoadFromDIB(packed.data(), packed.size());
    } catch (const EInvalidGraphic&) {
      return;  // a damaged bitmap record draws nothing
    }
    // Drawing surfaces end at 32767 pixels a side; a bitmap beyond that
    // comes only from a damaged record.
    if (bitmap.Width() > kMaxBitmapSide || bitmap.Height() > kMaxBitmapSide) return;
    // The source rectangle as the record gives it, cut to the bitmap (in
    // 64 bits: the record's numbers may be anything).
    auto cut = [](std::int64_t v, int hi) { return static_cast<int>(std::clamp<std::int64_t>(v, 0, hi)); };
    TRect s{cut(src.x, bitmap.Width()), cut(src.y, bitmap.Height()),
            cut(std::int64_t{src.x} + src.width, bitmap.Width()),
            cut(std::int64_t{src.y} + src.height, bitmap.Height())};
    if (s.IsEmpty()) return;
    c_.DrawBitmap(Rc(dest), bitmap, s, rop);
  }
  void PatBlt(const emf::RectD& dest, std::uint32_t rop) override {
    TRect r = Rc(dest).Normalized();
    if (rop == emf::BLACKNESS || rop == emf::WHITENESS) {
      TBrush saved = c_.Brush();
      c_.Brush().SetColor(rop == emf::BLACKNESS ? clBlack : clWhite);
      c_.Brush().SetStyle(bsSolid);
      c_.FillRect(r);
      c_.Brush() = saved;
      c_.SetBkColor(bkColor_);
      c_.SetBkMode(bkMode_);
    } else {
      c_.FillRect(r);
    }
  }

 private:
  static std::vector<TPoint> Points(const std::vector<emf::PointD>& pts) {
    std::vector<TPoint> out;
    out.reserve(pts.size());
    for (const auto& p : pts) out.push_back(Pt(p));
    return out;
  }

  TCanvas& c_;
  TColor textColor_ = clBlack;
  TColor bkColor_ = clWhite;
  TBkMode bkMode_ = bkOpaque;
  std::uint32_t rop2_ = emf::R2_COPYPEN;
  int depth_ = 0;
  std::optional<TRegion> base_;
};

}  // namespace

int TMetafile::Width() const { return Round(mmWidth_ * 96.0 / 2540.0); }
int TMetafile::Height() const { return Round(mmHeight_ * 96.0 / 2540.0); }

void TMetafile::SetWidth(int w) { SetMMWidth(Round(w * 2540.0 / 96.0)); }
void TMetafile::SetHeight(int h) { SetMMHeight(Round(h * 2540.0 / 96.0)); }

void TMetafile::SetMMWidth(int v) {
  if (v == mmWidth_) return;
  mmWidth_ = std::max(v, 0);
  Changed();
}

void TMetafile::SetMMHeight(int v) {
  if (v == mmHeight_) return;
  mmHeight_ = std::max(v, 0);
  Changed();
}

bool TMetafile::Empty() const { return doc_.records.empty() && (Width() <= 0 || Height() <= 0); }

void TMetafile::Clear() {
  doc_ = emf::Document{};
  mmWidth_ = mmHeight_ = 0;
  Changed();
}

void TMetafile::SetRecords(emf::Document doc) {
  doc_ = std::move(doc);
  if (mmWidth_ <= 0 || mmHeight_ <= 0) {
    mmWidth_ = doc_.header.FrameWidth();
    mmHeight_ = doc_.header.FrameHeight();
  }
  Changed();
}

void TMetafile::Draw(TCanvas& canvas, const TRect& rect) const {
  if (doc_.records.empty()) return;
  CanvasTarget target(canvas);
  emf::Play(doc_, emf::RectD{double(rect.Left), double(rect.Top), double(rect.Right), double(rect.Bottom)}, target);
}

void TMetafile::LoadFromStream(rtl::TStream& stream) {
  const std::int64_t start = stream.Position();
  const std::int64_t available = stream.Size() - start;
  // Only the metafile's own bytes are read: it may be followed by other data.
  // Its length is in its header (WMF: words at 28; EMF: bytes at 48).
  std::string head(static_cast<std::size_t>(std::clamp<std::int64_t>(available, 0, 52)), '\0');
  if (!head.empty()) stream.ReadBuffer(head.data(), static_cast<std::int64_t>(head.size()));
  bytes::Reader r(head);
  std::int64_t length;
  bool wmf = wmf::LooksLikePlaceable(head);
  if (wmf && r.Has(28, 4)) {
    length = 22 + std::int64_t{r.U32(28)} * 2;
  } else if (!wmf && emf::LooksLikeEmf(head) && r.Has(48, 4)) {
    length = r.U32(48);
  } else {
    stream.SetPosition(start);
    throw EInvalidGraphic("Metafile is not in a known format");
  }
  // A size field smaller than the headers is a writer's slip: take the rest.
  if (length < (wmf ? 40 : 88)) length = available;
  length = std::clamp<std::int64_t>(length, 0, available);
  std::string data(static_cast<std::size_t>(length), '\0');
  stream.SetPosition(start);
  stream.ReadBuffer(data.data(), length);

  emf::Document doc;
  std::uint16_t inch = 0;
  try {
    if (wmf)
      doc = wmf::ToEmf(data, &inch);
    else
      doc = emf::Document::Parse(data);
  } catch (...) {
    stream.SetPosition(start);
    throw;
  }
  doc_ = std::move(doc);
  enhanced_ = !wmf;
  inch_ = wmf ? inch : 0;
  mmWidth_ = doc_.header.FrameWidth();
  mmHeight_ = doc_.header.FrameHeight();
  Changed();
}

void TMetafile::SaveToStream(rtl::TStream& stream) const {
  emf::Document doc = doc_;
  if (doc.header.frame.right <= doc.header.frame.left || doc.header.frame.bottom <= doc.header.frame.top)
    doc.header.frame = {0, 0, mmWidth_, mmHeight_};
  std::string bytes = enhanced_ ? doc.Serialize() : wmf::FromEmf(doc, static_cast<std::uint16_t>(inch_));
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TMetafile::Assign(const TGraphic& source) {
  if (&source == this) return;
  if (const auto* mf = dynamic_cast<const TMetafile*>(&source)) {
    doc_ = mf->doc_;
    mmWidth_ = mf->mmWidth_;
    mmHeight_ = mf->mmHeight_;
    inch_ = mf->inch_;
    enhanced_ = mf->enhanced_;
    SetTransparent(mf->Transparent());
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

std::vector<TMetafileTextRecord> TMetafile::TextRecords() const {
  std::vector<TMetafileTextRecord> out;
  for (std::size_t i = 0; i < doc_.records.size(); ++i) {
    const emf::Record& rec = doc_.records[i];
    if (rec.Type() != emf::EMR_EXTTEXTOUTW && rec.Type() != emf::EMR_EXTTEXTOUTA) continue;
    try {
      emf::TextOut t = emf::DecodeExtTextOut(rec);
      auto past = [](std::int32_t v) { return v == 0x7FFFFFFF ? v : v + 1; };
      out.push_back({static_cast<int>(i + 1), std::move(t.text),
                     TRect{t.bounds.left, t.bounds.top, past(t.bounds.right), past(t.bounds.bottom)}});
    } catch (const EMetafileFormat&) {
    }
  }
  return out;
}

}  // namespace gfx
