#include "platform/gfx/canvas.h"

#include <cmath>

#include "platform/gfx/bitmap.h"
#include "platform/rtl/exceptions.h"

namespace gfx {

std::uint32_t ApplyPenMode(TPenMode mode, std::uint32_t p, std::uint32_t d) {
  switch (mode) {
    case pmBlack: return 0;
    case pmWhite: return 0xFFFFFFFFu;
    case pmNop: return d;
    case pmNot: return ~d;
    case pmCopy: return p;
    case pmNotCopy: return ~p;
    case pmMergePenNot: return p | ~d;
    case pmMaskPenNot: return p & ~d;
    case pmMergeNotPen: return ~p | d;
    case pmMaskNotPen: return ~p & d;
    case pmMerge: return p | d;
    case pmNotMerge: return ~(p | d);
    case pmMask: return p & d;
    case pmNotMask: return ~(p & d);
    case pmXor: return p ^ d;
    case pmNotXor: return ~(p ^ d);
  }
  return p;
}

TCanvas::TCanvas(TDeviceKind kind, int ppiX, int ppiY, TSize size)
    : deviceKind_(kind), ppiX_(ppiX > 0 ? ppiX : 96), ppiY_(ppiY > 0 ? ppiY : 96), deviceSize_(size) {
  HookTools();
  BrushChanged();
}

TCanvas::~TCanvas() = default;

void TCanvas::HookTools() {
  state_.brush.OnChange = [this] { BrushChanged(); };
}

void TCanvas::BrushChanged() {
  // The background follows the brush: its colour, and opaque only for solid.
  state_.bkColor = state_.brush.Color();
  state_.bkMode = state_.brush.Style() == bsSolid ? bkOpaque : bkTransparent;
}

void TCanvas::SetDeviceCaps(int ppiX, int ppiY, TSize size) {
  ppiX_ = ppiX > 0 ? ppiX : 96;
  ppiY_ = ppiY > 0 ? ppiY : 96;
  deviceSize_ = size;
}

void TCanvas::MoveTo(int x, int y) { state_.penPos = {x, y}; }

void TCanvas::PolyPolygon(const TPoint* points, const int* counts, std::size_t polygons) {
  // Without a combined fill, each polygon on its own.
  for (std::size_t i = 0; i < polygons; ++i) {
    if (counts[i] > 0) Polygon(points, static_cast<std::size_t>(counts[i]));
    points += counts[i] > 0 ? counts[i] : 0;
  }
}

void TCanvas::DrawFocusRect(const TRect& rc) {
  TRect r = rc.Normalized();
  if (r.IsEmpty()) return;
  const TPen saved = state_.pen;
  const TBkMode bkMode = state_.bkMode;
  state_.pen.SetColor(clWhite);
  state_.pen.SetWidth(1);
  state_.pen.SetGeometric(false);
  state_.pen.SetStyle(psAlternate);
  state_.pen.SetMode(pmXor);
  state_.bkMode = bkTransparent;
  const TPoint frame[4] = {{r.Left, r.Top}, {r.Right - 1, r.Top}, {r.Right - 1, r.Bottom - 1}, {r.Left, r.Bottom - 1}};
  const TPoint closed[5] = {frame[0], frame[1], frame[2], frame[3], frame[0]};
  Polyline(closed, 5);
  state_.pen = saved;
  state_.bkMode = bkMode;
}

// ------------------------------------------------------------ text

std::u16string TCanvas::AnsiToFontText(std::string_view text) const {
  unsigned cp = CharsetToCodePage(state_.font.Charset());
  if (cp == 0 || FontInstance()->IsSymbolFont()) {
    std::u16string w;
    w.reserve(text.size());
    for (unsigned char c : text) w.push_back(c);
    return w;
  }
  try {
    return rtl::AnsiToWide(text, cp);
  } catch (const rtl::EConvertError&) {
    // A character set whose page this system cannot convert still shows
    // something readable rather than failing the whole drawing.
    return rtl::AnsiToWide(text, rtl::CP_1251);
  }
}

void TCanvas::ExtTextOutA(int x, int y, unsigned options, const TRect* rect, std::string_view text, const int* dx) {
  std::u16string w = AnsiToFontText(text);
  // A double-byte code page could change the count; ours are single-byte, so
  // the byte advances map one to one.
  ExtTextOut(x, y, options, rect, w, dx && w.size() == text.size() ? dx : nullptr);
}

void TCanvas::TextOut(int x, int y, std::string_view text) { TextOutW(x, y, AnsiToFontText(text)); }

void TCanvas::TextOutW(int x, int y, std::u16string_view text) {
  ExtTextOut(x, y, 0, nullptr, text, nullptr);
  state_.penPos = {x + TextExtentW(text).cx, y};
}

void TCanvas::TextRect(const TRect& rect, int x, int y, std::string_view text) {
  TextRectW(rect, x, y, AnsiToFontText(text));
}

void TCanvas::TextRectW(const TRect& rect, int x, int y, std::u16string_view text) {
  unsigned options = ETO_CLIPPED;
  if (state_.brush.Style() != bsClear) options |= ETO_OPAQUE;
  ExtTextOut(x, y, options, &rect, text, nullptr);
}

TFontInstancePtr TCanvas::FontInstance() const {
  if (!fontCache_ || !fontCacheKey_.SameShape(state_.font)) {
    fontCache_ = TFontInstance::Get(state_.font);
    fontCacheKey_ = state_.font;
  }
  return fontCache_;
}

TTextMetric TCanvas::GetTextMetrics() const { return FontInstance()->TextMetrics(); }

TSize TCanvas::TextExtent(std::string_view text) const { return TextExtentW(AnsiToFontText(text)); }

TSize TCanvas::TextExtentW(std::u16string_view text) const { return FontInstance()->TextExtent(text); }

std::vector<int> TCanvas::GetTextExtentExPoint(std::u16string_view text) const {
  std::vector<int> a = FontInstance()->Advances(text);
  for (std::size_t i = 1; i < a.size(); ++i) a[i] += a[i - 1];
  return a;
}

std::vector<int> TCanvas::GetCharAdvances(std::u16string_view text) const { return FontInstance()->Advances(text); }

TCanvas::TTextPlacement TCanvas::PlaceText(int x, int y, int width, const TTextMetric& tm) const {
  double ox = x, oy = y;
  const unsigned a = state_.textAlign;
  double dx = 0, dy = 0;  // offset of the baseline start from the reference point, before rotation
  if ((a & TA_CENTER) == TA_CENTER)
    dx = -width / 2;
  else if (a & TA_RIGHT)
    dx = -width;
  if ((a & TA_BASELINE) == TA_BASELINE)
    dy = 0;
  else if (a & TA_BOTTOM)
    dy = -tm.tmDescent;
  else
    dy = tm.tmAscent;
  const int esc = state_.font.Orientation();
  if (esc % 3600 == 0) return {ox + dx, oy + dy, width};
  const double t = esc * M_PI / 1800.0;
  // Counter-clockwise on screen (y down).
  return {ox + dx * std::cos(t) + dy * std::sin(t), oy - dx * std::sin(t) + dy * std::cos(t), width};
}

// ------------------------------------------------------------ clipping

bool TCanvas::GetClipRegion(TRegion& out) const {
  if (!state_.clip) return false;
  out = *state_.clip;
  return true;
}

void TCanvas::SelectClipRegion(const TRegion* region) {
  if (region)
    state_.clip = *region;
  else
    state_.clip.reset();
  ClipChanged();
}

void TCanvas::IntersectClipRect(const TRect& r) {
  if (!state_.clip) {
    // Without a clip region, the whole device (or, on an unbounded surface,
    // just the rectangle) is the starting set.
    TSize s = DeviceSize();
    state_.clip = (s.cx > 0 && s.cy > 0) ? TRegion(Rect(0, 0, s.cx, s.cy)) : TRegion(r.Normalized());
  }
  state_.clip->Intersect(r.Normalized());
  ClipChanged();
}

void TCanvas::ExcludeClipRect(const TRect& r) {
  if (!state_.clip) {
    TSize s = DeviceSize();
    state_.clip =
        TRegion(s.cx > 0 && s.cy > 0 ? Rect(0, 0, s.cx, s.cy) : Rect(-0x3FFFFFFF, -0x3FFFFFFF, 0x3FFFFFFF, 0x3FFFFFFF));
  }
  state_.clip->Subtract(r.Normalized());
  ClipChanged();
}

TRect TCanvas::ClipRect() const {
  TSize s = DeviceSize();
  const bool bounded = s.cx > 0 && s.cy > 0;
  if (!state_.clip) return bounded ? Rect(0, 0, s.cx, s.cy) : Rect(-0x3FFFFFFF, -0x3FFFFFFF, 0x3FFFFFFF, 0x3FFFFFFF);
  TRect b = state_.clip->Bounds();
  return bounded ? IntersectRect(b, Rect(0, 0, s.cx, s.cy)) : b;
}

bool TCanvas::RectVisible(const TRect& r) const {
  TRect n = r.Normalized();
  TSize s = DeviceSize();
  if (s.cx > 0 && s.cy > 0)
    n = IntersectRect(n, Rect(0, 0, s.cx, s.cy));
  else if (!state_.clip)
    return true;
  if (n.IsEmpty()) return false;
  return !state_.clip || state_.clip->Intersects(n);
}

int TCanvas::SaveDC() {
  saved_.push_back(state_);
  return static_cast<int>(saved_.size());
}

void TCanvas::RestoreDC(int level) {
  if (saved_.empty()) return;
  std::size_t target = level < 0 ? saved_.size() + level : static_cast<std::size_t>(level - 1);
  if (level == 0 || target >= saved_.size()) return;
  TCanvasState s = std::move(saved_[target]);
  saved_.resize(target);
  // Keep the tools' owner hooks: assign values into the existing objects.
  state_.pen = s.pen;
  state_.font = s.font;
  state_.brush = s.brush;
  state_.penPos = s.penPos;
  state_.copyMode = s.copyMode;
  state_.bkMode = s.bkMode;
  state_.bkColor = s.bkColor;
  state_.textAlign = s.textAlign;
  state_.polyFillMode = s.polyFillMode;
  state_.stretchMode = s.stretchMode;
  state_.clip = std::move(s.clip);
  ClipChanged();
}

// ------------------------------------------------------------ pictures

void TCanvas::Draw(int x, int y, const TGraphic& graphic) {
  if (graphic.Empty()) return;
  StretchDraw(Bounds(x, y, graphic.Width(), graphic.Height()), graphic);
}

void TCanvas::StretchDraw(const TRect& rect, const TGraphic& graphic) {
  if (graphic.Empty()) return;
  graphic.Draw(*this, rect);
}

void TCanvas::DrawBitmapTransparent(const TRect& dest, const TBitmap& bitmap, const TRect& src,
                                    TColor transparentColor) {
  // Opaque pixels end as the bitmap, transparent ones as the background was:
  // the destination is masked with "and" (white where transparent, black
  // elsewhere), then the bitmap with its transparent pixels made black is
  // merged in with "or".
  const TColorRef key = ColorToRGB(transparentColor);
  TBitmap image(src.Width(), src.Height(), pf24bit), mask(src.Width(), src.Height(), pf24bit);
  for (int y = 0; y < src.Height(); ++y)
    for (int x = 0; x < src.Width(); ++x) {
      TColor c = bitmap.PixelColor(src.Left + x, src.Top + y);
      bool transparent = ColorToRGB(c) == key;
      image.SetPixelColor(x, y, transparent ? clBlack : c);
      mask.SetPixelColor(x, y, transparent ? clWhite : clBlack);
    }
  TRect all = Rect(0, 0, src.Width(), src.Height());
  DrawBitmap(dest, mask, all, cmSrcAnd);
  DrawBitmap(dest, image, all, cmSrcPaint);
}

bool TCanvas::ReadPixels(const TRect&, TBitmap&) { return false; }

TColor TCanvas::GetPixel(int, int) { return clNone; }

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& src) {
  TRect s = src.Normalized();
  if (s.IsEmpty()) return;
  TBitmap pixels;
  if (!source.ReadPixels(s, pixels)) return;
  // A mirrored destination or source flips the copy.
  TRect from = Rect(0, 0, pixels.Width(), pixels.Height());
  if ((src.Right < src.Left)) std::swap(from.Left, from.Right);
  if ((src.Bottom < src.Top)) std::swap(from.Top, from.Bottom);
  DrawBitmap(dest, pixels, from, state_.copyMode);
}

}  // namespace gfx
