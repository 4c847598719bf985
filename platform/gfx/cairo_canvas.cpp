#include "platform/gfx/cairo_canvas.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/gfx/bitmap.h"

namespace gfx {

namespace {

constexpr double kPi = 3.14159265358979323846;

void SetColor(cairo_t* cr, TColor c) {
  TColorRef r = ColorToRGB(c);
  cairo_set_source_rgb(cr, GetRValue(r) / 255.0, GetGValue(r) / 255.0, GetBValue(r) / 255.0);
}

std::uint32_t ToXRGB(TColor c) {
  TColorRef r = ColorToRGB(c);
  return (GetRValue(r) << 16) | (GetGValue(r) << 8) | GetBValue(r);
}

// Cairo font faces, one per font file face and synthesis, made once. Cairo
// opens the file itself, so its rendering never shares a FreeType face with
// the measuring code (which may run on another thread).
cairo_font_face_t* FontFaceFor(const TFontInstance& font) {
  static std::mutex m;
  static std::map<std::tuple<std::string, int, int>, cairo_font_face_t*> faces;
  std::lock_guard lock(m);
  const int synth = (font.SyntheticBold() ? CAIRO_FT_SYNTHESIZE_BOLD : 0) |
                    (font.SyntheticItalic() ? CAIRO_FT_SYNTHESIZE_OBLIQUE : 0);
  auto key = std::make_tuple(font.FilePath(), font.FaceIndex(), synth);
  auto it = faces.find(key);
  if (it != faces.end()) return it->second;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FILE, reinterpret_cast<const FcChar8*>(font.FilePath().c_str()));
  FcPatternAddInteger(pattern, FC_INDEX, font.FaceIndex());
  cairo_font_face_t* f = cairo_ft_font_face_create_for_pattern(pattern);
  FcPatternDestroy(pattern);
  if (synth) cairo_ft_font_face_set_synthesize(f, static_cast<unsigned>(synth));
  faces[key] = f;
  return f;
}

// Pixel patterns of cosmetic dashed pens, on and off lengths in pixels.
const std::vector<int>& CosmeticPattern(TPenStyle s) {
  static const std::vector<int> solid, dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3},
      alternate{1, 1};
  switch (s) {
    case psDash: return dash;
    case psDot: return dot;
    case psDashDot: return dashDot;
    case psDashDotDot: return dashDotDot;
    case psAlternate: return alternate;
    default: return solid;
  }
}

// The 8x8 hatch pattern bits: true where the hatch line is.
bool HatchBit(TBrushStyle s, int x, int y) {
  const bool h = y == 7, v = x == 7, f = x == y, b = x + y == 7;
  switch (s) {
    case bsHorizontal: return h;
    case bsVertical: return v;
    case bsFDiagonal: return f;
    case bsBDiagonal: return b;
    case bsCross: return h || v;
    case bsDiagCross: return f || b;
    default: return true;
  }
}

}  // namespace

struct TCairoCanvas::Impl {
  TCairoCanvas* owner = nullptr;
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  bool raster = false;
  double sx = 1, sy = 1;
  bool clipDirty = true;
  cairo_surface_t* mask = nullptr;  // A8 scratch for pen modes
  long long styleCounter = 0;       // position in the cosmetic dash pattern

  ~Impl() { Release(); }
  void Release() {
    if (mask) cairo_surface_destroy(mask);
    mask = nullptr;
    if (cr) cairo_destroy(cr);
    cr = nullptr;
    if (surface) cairo_surface_destroy(surface);
    surface = nullptr;
  }

  const TCanvasState& St() const { return owner->State(); }

  void ApplyClip() {
    if (!clipDirty) return;
    cairo_reset_clip(cr);
    if (St().clip) {
      cairo_new_path(cr);
      for (const auto& r : St().clip->Rects()) cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
      cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
      cairo_clip(cr);
    }
    clipDirty = false;
  }

  // ---- painting the current path with a colour and a pen mode

  bool UsesRop(TPenMode mode) const { return raster && mode != pmCopy; }

  // Paints the current path (fill or stroke, as set up) combining colour
  // with the destination by mode; on non-raster surfaces every mode but the
  // constant ones paints plainly.
  void Emit(bool fill, TColor color, TPenMode mode) {
    if (mode == pmNop) {
      cairo_new_path(cr);
      return;
    }
    if (!UsesRop(mode)) {
      if (mode == pmBlack)
        SetColor(cr, clBlack);
      else if (mode == pmWhite)
        SetColor(cr, clWhite);
      else if (mode == pmNotCopy)
        SetColor(cr, static_cast<TColor>(~ColorToRGB(color) & 0xFFFFFF));
      else
        SetColor(cr, color);
      fill ? cairo_fill(cr) : cairo_stroke(cr);
      return;
    }
    // Raster operation: draw the coverage into a mask, then combine bits.
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    if (!mask) mask = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
    double x1, y1, x2, y2;
    if (fill)
      cairo_fill_extents(cr, &x1, &y1, &x2, &y2);
    else
      cairo_stroke_extents(cr, &x1, &y1, &x2, &y2);
    int bx1 = std::max(0, static_cast<int>(std::floor(x1)) - 1),
        by1 = std::max(0, static_cast<int>(std::floor(y1)) - 1);
    int bx2 = std::min(w, static_cast<int>(std::ceil(x2)) + 1), by2 = std::min(h, static_cast<int>(std::ceil(y2)) + 1);
    if (bx1 >= bx2 || by1 >= by2) {
      cairo_new_path(cr);
      return;
    }
    cairo_path_t* path = cairo_copy_path(cr);
    cairo_t* m = cairo_create(mask);
    cairo_set_operator(m, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(m, 0, 0, 0, 0);
    cairo_rectangle(m, bx1, by1, bx2 - bx1, by2 - by1);
    cairo_fill(m);
    // The same clip, geometry and stroke settings as the target.
    cairo_rectangle_list_t* clips = cairo_copy_clip_rectangle_list(cr);
    if (clips->status == CAIRO_STATUS_SUCCESS && St().clip) {
      for (int i = 0; i < clips->num_rectangles; ++i) {
        auto& r = clips->rectangles[i];
        cairo_rectangle(m, r.x, r.y, r.width, r.height);
      }
      cairo_clip(m);
    }
    cairo_rectangle_list_destroy(clips);
    cairo_set_antialias(m, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(m, cairo_get_line_width(cr));
    cairo_set_line_cap(m, cairo_get_line_cap(cr));
    cairo_set_line_join(m, cairo_get_line_join(cr));
    cairo_set_fill_rule(m, cairo_get_fill_rule(cr));
    int dashes = cairo_get_dash_count(cr);
    if (dashes > 0) {
      std::vector<double> d(static_cast<std::size_t>(dashes));
      double off;
      cairo_get_dash(cr, d.data(), &off);
      cairo_set_dash(m, d.data(), dashes, off);
    }
    cairo_set_operator(m, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(m, 0, 0, 0, 1);
    cairo_append_path(m, path);
    fill ? cairo_fill(m) : cairo_stroke(m);
    cairo_destroy(m);
    cairo_path_destroy(path);
    cairo_new_path(cr);
    cairo_surface_flush(mask);
    cairo_surface_flush(surface);
    const std::uint32_t pen = ToXRGB(color);
    unsigned char* md = cairo_image_surface_get_data(mask);
    const int ms = cairo_image_surface_get_stride(mask);
    unsigned char* sd = cairo_image_surface_get_data(surface);
    const int ss = cairo_image_surface_get_stride(surface);
    for (int y = by1; y < by2; ++y) {
      auto* drow = reinterpret_cast<std::uint32_t*>(sd + static_cast<std::size_t>(y) * ss);
      const unsigned char* mrow = md + static_cast<std::size_t>(y) * ms;
      for (int x = bx1; x < bx2; ++x)
        if (mrow[x] >= 128) drow[x] = ApplyPenMode(mode, pen, drow[x]) & 0xFFFFFF;
    }
    cairo_surface_mark_dirty_rectangle(surface, bx1, by1, bx2 - bx1, by2 - by1);
  }

  // ---- brushes

  bool BrushPaints() const { return St().brush.Style() != bsClear; }

  // Fills the current path with the brush (solid colour or hatch).
  void FillWithBrush(TPenMode mode, bool keepPath = false) {
    const TBrush& b = St().brush;
    if (b.Style() == bsClear) {
      if (!keepPath) cairo_new_path(cr);
      return;
    }
    cairo_path_t* path = keepPath ? cairo_copy_path(cr) : nullptr;
    if (b.Style() == bsSolid) {
      Emit(true, b.Color(), mode);
    } else {
      // Hatch: the background (opaque mode), then the lines.
      cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
      unsigned char* d = cairo_image_surface_get_data(tile);
      const int stride = cairo_image_surface_get_stride(tile);
      const std::uint32_t fg = 0xFF000000u | ToXRGB(b.Color());
      const std::uint32_t bg = St().bkMode == bkOpaque ? 0xFF000000u | ToXRGB(St().bkColor) : 0;
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
          reinterpret_cast<std::uint32_t*>(d + y * stride)[x] = HatchBit(b.Style(), x, y) ? fg : bg;
      cairo_surface_mark_dirty(tile);
      cairo_pattern_t* pat = cairo_pattern_create_for_surface(tile);
      cairo_pattern_set_extend(pat, CAIRO_EXTEND_REPEAT);
      cairo_pattern_set_filter(pat, CAIRO_FILTER_NEAREST);
      cairo_set_source(cr, pat);
      cairo_fill(cr);
      cairo_pattern_destroy(pat);
      cairo_surface_destroy(tile);
    }
    if (path) {
      cairo_append_path(cr, path);
      cairo_path_destroy(path);
    }
  }

  // ---- pens

  const TPen& Pen() const { return St().pen; }
  bool PenPaints() const { return Pen().Style() != psClear; }
  bool Cosmetic() const { return Pen().IsCosmetic(); }

  // Stroke settings for a wide or geometric pen (and for cosmetic pens on
  // surfaces without pixels).
  void SetupStroke() {
    const TPen& p = Pen();
    const double w = Cosmetic() ? 1.0 : std::max(1, p.Width());
    cairo_set_line_width(cr, w);
    cairo_line_cap_t cap = CAIRO_LINE_CAP_ROUND;
    cairo_line_join_t join = CAIRO_LINE_JOIN_ROUND;
    if (p.Geometric()) {
      cap = p.EndCap() == pecSquare ? CAIRO_LINE_CAP_SQUARE
            : p.EndCap() == pecFlat ? CAIRO_LINE_CAP_BUTT
                                    : CAIRO_LINE_CAP_ROUND;
      join = p.Join() == pjBevel   ? CAIRO_LINE_JOIN_BEVEL
             : p.Join() == pjMiter ? CAIRO_LINE_JOIN_MITER
                                   : CAIRO_LINE_JOIN_ROUND;
    } else if (Cosmetic()) {
      cap = CAIRO_LINE_CAP_BUTT;
      join = CAIRO_LINE_JOIN_MITER;
    }
    cairo_set_line_cap(cr, cap);
    cairo_set_line_join(cr, join);
    std::vector<double> dashes;
    if (p.Style() == psUserStyle) {
      for (unsigned d : p.Dashes()) dashes.push_back(d);
      // A zero-length dash with round caps is a dot; cairo draws it as such.
    } else if (Cosmetic() || p.Geometric()) {
      const double unit = Cosmetic() ? 1.0 : w;
      for (int d : CosmeticPattern(p.Style())) dashes.push_back(Cosmetic() ? d : d / 3.0 * unit);
    }
    bool any = false;
    for (double d : dashes) any |= d > 0;
    if (any)
      cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), 0);
    else
      cairo_set_dash(cr, nullptr, 0, 0);
  }

  // Adds the pixels of a cosmetic line (end point left out) to the paths of
  // "on" and "off" pixels as runs of rectangles, following the style pattern.
  // The part of the surface drawing can reach (clip bounds), one pixel wider.
  TRect VisibleBox() const {
    TRect box = Rect(0, 0, cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface));
    if (St().clip) box = IntersectRect(box, St().clip->Bounds());
    return Rect(box.Left - 1, box.Top - 1, box.Right + 1, box.Bottom + 1);
  }

  void RasterLine(int x1, int y1, int x2, int y2, std::vector<TRect>& on, std::vector<TRect>& off) {
    const std::vector<int>& pattern = CosmeticPattern(Pen().Style());
    long long period = 0;
    for (int v : pattern) period += v;
    auto isOn = [&](long long k) {
      if (pattern.empty()) return true;
      long long t = k % period;
      for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (t < pattern[i]) return i % 2 == 0;
        t -= pattern[i];
      }
      return true;
    };
    // Step i of n along the major axis puts the minor coordinate at
    // floor((2 i dMinor + dMajor - 1) / (2 dMajor)) from the start: the
    // Bresenham line, computed for any step so that only the steps inside the
    // visible box are walked however long the line is.
    const long long dx = std::llabs(static_cast<long long>(x2) - x1), dy = std::llabs(static_cast<long long>(y2) - y1);
    const int sxs = x1 < x2 ? 1 : -1, sys = y1 < y2 ? 1 : -1;
    const bool xMajor = dx >= dy;
    const long long n = std::max(dx, dy), dMaj = xMajor ? dx : dy, dMin = xMajor ? dy : dx;
    if (n == 0) return;
    const TRect box = VisibleBox();
    const long long start = xMajor ? x1 : y1;
    const int step = xMajor ? sxs : sys;
    const long long lo = xMajor ? box.Left : box.Top, hi = xMajor ? box.Right : box.Bottom;
    // Steps whose major coordinate start + step * i lies in [lo, hi).
    long long iFrom, iTo;
    if (step > 0) {
      iFrom = lo - start;
      iTo = hi - start;
    } else {
      iFrom = start - hi + 1;
      iTo = start - lo + 1;
    }
    iFrom = std::max(0LL, iFrom);
    iTo = std::min(n, iTo);
    const long long counterBase = styleCounter;
    styleCounter += n;
    // Runs along the major axis merge into one rectangle.
    TRect run{};
    bool runOn = false, haveRun = false;
    auto flush = [&] {
      if (haveRun) (runOn ? on : off).push_back(run);
      haveRun = false;
    };
    for (long long i = iFrom; i < iTo; ++i) {
      const long long minorStep = (2 * i * dMin + dMaj - 1) / (2 * dMaj);
      const long long major = start + step * i;
      const long long minor = (xMajor ? y1 : x1) + (xMajor ? sys : sxs) * minorStep;
      const int x = static_cast<int>(xMajor ? major : minor), y = static_cast<int>(xMajor ? minor : major);
      const bool pixelOn = isOn(counterBase + i);
      TRect px{x, y, x + 1, y + 1};
      if (haveRun && runOn == pixelOn &&
          ((xMajor && px.Top == run.Top && (px.Left == run.Right || px.Right == run.Left)) ||
           (!xMajor && px.Left == run.Left && (px.Top == run.Bottom || px.Bottom == run.Top)))) {
        run = UnionRect(run, px);
      } else {
        flush();
        run = px;
        runOn = pixelOn;
        haveRun = true;
      }
    }
    flush();
  }

  void PaintRuns(const std::vector<TRect>& on, const std::vector<TRect>& off) {
    if (!off.empty() && St().bkMode == bkOpaque) {
      cairo_new_path(cr);
      for (const auto& r : off) cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
      Emit(true, St().bkColor, Pen().Mode() == pmCopy ? pmCopy : Pen().Mode());
    }
    if (!on.empty()) {
      cairo_new_path(cr);
      for (const auto& r : on) cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
      Emit(true, Pen().Color(), Pen().Mode());
    }
  }

  // Draws a polyline with the pen; closed adds the segment back to the start.
  // Cosmetic pens on raster surfaces leave out the last point.
  void StrokePolyline(const TPoint* p, std::size_t n, bool closed) {
    if (!PenPaints() || n < 2) return;
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    if (Cosmetic() && raster) {
      std::vector<TRect> on, off;
      styleCounter = 0;
      for (std::size_t i = 0; i + 1 < n; ++i) RasterLine(p[i].X, p[i].Y, p[i + 1].X, p[i + 1].Y, on, off);
      if (closed) RasterLine(p[n - 1].X, p[n - 1].Y, p[0].X, p[0].Y, on, off);
      PaintRuns(on, off);
      return;
    }
    SetupStroke();
    cairo_new_path(cr);
    cairo_move_to(cr, p[0].X + 0.5, p[0].Y + 0.5);
    for (std::size_t i = 1; i < n; ++i) cairo_line_to(cr, p[i].X + 0.5, p[i].Y + 0.5);
    if (closed) cairo_close_path(cr);
    StrokeCurrentPath();
  }

  // Strokes the current path with the pen (any width), painting dash gaps in
  // the background colour when the background is opaque.
  void StrokeCurrentPath() {
    if (!PenPaints()) {
      cairo_new_path(cr);
      return;
    }
    SetupStroke();
    const TPen& p = Pen();
    if (cairo_get_dash_count(cr) > 0 && St().bkMode == bkOpaque) {
      cairo_path_t* path = cairo_copy_path(cr);
      cairo_save(cr);
      cairo_set_dash(cr, nullptr, 0, 0);
      Emit(false, St().bkColor, p.Mode());
      cairo_restore(cr);
      cairo_append_path(cr, path);
      cairo_path_destroy(path);
    }
    Emit(false, p.Color(), p.Mode());
  }

  // A box with elliptical corners (an ellipse when the corners are the whole
  // box) drawn pixel by pixel for a cosmetic solid pen: symmetric, the
  // outline 8-connected and one pixel wide, the inside filled with the brush.
  // Answers false when the pen needs the general path.
  bool RasterRoundBox(int x1, int y1, int x2, int y2, int cw, int ch) {
    const TPenStyle style = Pen().Style();
    if (!raster || !Cosmetic() || !(style == psSolid || style == psInsideFrame || style == psClear)) return false;
    constexpr int kFar = 1 << 24;  // beyond this the general path (and no int overflow)
    if (std::abs(x1) > kFar || std::abs(x2) > kFar || std::abs(y1) > kFar || std::abs(y2) > kFar) return false;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    const bool pen = style != psClear;
    if (!pen) {  // without a pen the figure is one pixel smaller on the right and bottom
      --x2;
      --y2;
    }
    const int w = x2 - x1, h = y2 - y1;
    if (w <= 0 || h <= 0) return true;
    cw = std::clamp(cw, 0, w);
    ch = std::clamp(ch, 0, h);
    // Corner radii from edge to edge; each row takes the pixels whose centres
    // lie inside the curve at the row's centre (at least the middle pixel).
    const double a = cw / 2.0, b = ch / 2.0;
    const int middle = (x1 + x2 - 1) / 2;
    auto leftAt = [&](int i) {
      const int fromEdge = std::min(i, h - 1 - i);
      int l = x1;
      if (a > 0.5 && b > 0.5 && fromEdge + 0.5 < b) {
        const double dy = (b - (fromEdge + 0.5)) / b;
        const double half = a * std::sqrt(std::max(0.0, 1 - dy * dy));
        l = std::min(static_cast<int>(std::ceil(x1 + a - half - 0.5)), middle);
      }
      return l;
    };
    const int mirror = x1 + x2 - 1;
    std::vector<TRect> inside, outline;
    // Only the rows that can show are walked.
    const TRect box = VisibleBox();
    const int iFrom = std::max(0, box.Top - y1), iTo = std::min(h, box.Bottom - y1);
    for (int i = iFrom; i < iTo; ++i) {
      const int y = y1 + i, l = leftAt(i), r = mirror - l;
      if (!pen) {
        inside.push_back({l, y, r + 1, y + 1});
        continue;
      }
      if (i == 0 || i == h - 1) {
        outline.push_back({l, y, r + 1, y + 1});
        continue;
      }
      const int narrower = std::max(leftAt(i - 1), leftAt(i + 1));
      const int runEnd = std::min(std::max(l, narrower - 1), (l + r) / 2);
      outline.push_back({l, y, runEnd + 1, y + 1});
      outline.push_back({mirror - runEnd, y, r + 1, y + 1});
      if (runEnd + 1 < mirror - runEnd) inside.push_back({runEnd + 1, y, mirror - runEnd, y + 1});
    }
    if (BrushPaints() && !inside.empty()) {
      cairo_new_path(cr);
      for (const auto& q : inside) cairo_rectangle(cr, q.Left, q.Top, q.Width(), q.Height());
      FillWithBrush(Pen().Mode());
    }
    if (pen && !outline.empty()) {
      cairo_new_path(cr);
      for (const auto& q : outline) cairo_rectangle(cr, q.Left, q.Top, q.Width(), q.Height());
      Emit(true, Pen().Color(), Pen().Mode());
    }
    return true;
  }

  // The box a closed figure's outline runs through (pixel centres), shrunk
  // for psInsideFrame so that a wide pen stays inside the rectangle.
  void FigureBox(int x1, int y1, int x2, int y2, double& l, double& t, double& r, double& b) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    l = x1 + 0.5;
    t = y1 + 0.5;
    r = x2 - 0.5;
    b = y2 - 0.5;
    if (Pen().Style() == psInsideFrame && !Cosmetic()) {
      double inset = (Pen().Width() - 1) / 2.0;
      l += inset;
      t += inset;
      r -= inset;
      b -= inset;
    }
  }
};

TCairoCanvas::TCairoCanvas(TDeviceKind kind, int ppiX, int ppiY, TSize size)
    : TCanvas(kind, ppiX, ppiY, size), impl_(std::make_unique<Impl>()) {
  impl_->owner = this;
}

TCairoCanvas::~TCairoCanvas() = default;

void TCairoCanvas::AttachSurface(void* s, bool raster, double scaleX, double scaleY) {
  impl_->Release();
  impl_->surface = static_cast<cairo_surface_t*>(s);
  impl_->raster = raster;
  impl_->sx = scaleX;
  impl_->sy = scaleY;
  impl_->cr = cairo_create(impl_->surface);
  cairo_scale(impl_->cr, scaleX, scaleY);
  impl_->clipDirty = true;
}

void TCairoCanvas::DetachSurface() { impl_->Release(); }
void* TCairoCanvas::Surface() const { return impl_->surface; }
void* TCairoCanvas::Context() const { return impl_->cr; }
void TCairoCanvas::ClipChanged() { impl_->clipDirty = true; }

bool TCairoCanvas::Begin() {
  Changing();
  if (!Drawable()) return false;
  BeforeDraw();
  if (!impl_->cr) return false;
  impl_->ApplyClip();
  cairo_set_antialias(impl_->cr, impl_->raster ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_DEFAULT);
  cairo_set_operator(impl_->cr, CAIRO_OPERATOR_OVER);
  cairo_new_path(impl_->cr);
  return true;
}

void TCairoCanvas::End() { AfterDraw(); }

// ------------------------------------------------------------ lines

void TCairoCanvas::MoveTo(int x, int y) { TCanvas::MoveTo(x, y); }

void TCairoCanvas::LineTo(int x, int y) {
  TPoint pts[2] = {PenPos(), {x, y}};
  if (Begin()) {
    impl_->StrokePolyline(pts, 2, false);
    End();
  }
  TCanvas::MoveTo(x, y);
}

void TCairoCanvas::Polyline(const TPoint* p, std::size_t n) {
  if (!Begin()) return;
  impl_->StrokePolyline(p, n, false);
  End();
}

void TCairoCanvas::Polygon(const TPoint* p, std::size_t n) {
  if (n < 2 || !Begin()) return;
  cairo_t* cr = impl_->cr;
  if (impl_->BrushPaints()) {
    cairo_new_path(cr);
    // The fill reaches the outline's pixel centres.
    cairo_move_to(cr, p[0].X + 0.5, p[0].Y + 0.5);
    for (std::size_t i = 1; i < n; ++i) cairo_line_to(cr, p[i].X + 0.5, p[i].Y + 0.5);
    cairo_close_path(cr);
    cairo_set_fill_rule(cr, PolyFillMode() == pfWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    impl_->FillWithBrush(Pen().Mode());
  }
  impl_->StrokePolyline(p, n, true);
  End();
}

void TCairoCanvas::PolyPolygon(const TPoint* p, const int* counts, std::size_t polygons) {
  if (!Begin()) return;
  cairo_t* cr = impl_->cr;
  if (impl_->BrushPaints()) {
    cairo_new_path(cr);
    const TPoint* q = p;
    for (std::size_t i = 0; i < polygons; ++i) {
      if (counts[i] <= 0) continue;
      cairo_move_to(cr, q[0].X + 0.5, q[0].Y + 0.5);
      for (int k = 1; k < counts[i]; ++k) cairo_line_to(cr, q[k].X + 0.5, q[k].Y + 0.5);
      cairo_close_path(cr);
      q += counts[i];
    }
    cairo_set_fill_rule(cr, PolyFillMode() == pfWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    impl_->FillWithBrush(Pen().Mode());
  }
  for (std::size_t i = 0; i < polygons; ++i) {
    if (counts[i] <= 0) continue;
    impl_->StrokePolyline(p, static_cast<std::size_t>(counts[i]), true);
    p += counts[i];
  }
  End();
}

void TCairoCanvas::PolyBezier(const TPoint* p, std::size_t n) {
  if (n < 4 || !Begin()) return;
  cairo_t* cr = impl_->cr;
  cairo_new_path(cr);
  cairo_move_to(cr, p[0].X + 0.5, p[0].Y + 0.5);
  for (std::size_t i = 1; i + 2 < n; i += 3)
    cairo_curve_to(cr, p[i].X + 0.5, p[i].Y + 0.5, p[i + 1].X + 0.5, p[i + 1].Y + 0.5, p[i + 2].X + 0.5,
                   p[i + 2].Y + 0.5);
  impl_->StrokeCurrentPath();
  End();
}

// ------------------------------------------------------------ shapes

void TCairoCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  if (!Begin()) return;
  cairo_t* cr = impl_->cr;
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  if (impl_->BrushPaints()) {
    // Without a pen the filled area is one pixel smaller on the right and bottom.
    const int shrink = impl_->PenPaints() ? 0 : 1;
    cairo_new_path(cr);
    cairo_rectangle(cr, x1, y1, static_cast<double>(x2) - x1 - shrink, static_cast<double>(y2) - y1 - shrink);
    impl_->FillWithBrush(Pen().Mode());
  }
  if (impl_->PenPaints() && x2 > x1 && y2 > y1) {
    if (impl_->Cosmetic() && impl_->raster) {
      TPoint pts[4] = {{x1, y1}, {x2 - 1, y1}, {x2 - 1, y2 - 1}, {x1, y2 - 1}};
      impl_->StrokePolyline(pts, 4, true);
    } else {
      double l, t, r, b;
      impl_->FigureBox(x1, y1, x2, y2, l, t, r, b);
      cairo_new_path(cr);
      cairo_rectangle(cr, l, t, r - l, b - t);
      impl_->StrokeCurrentPath();
    }
  }
  End();
}

namespace {
void EllipsePath(cairo_t* cr, double l, double t, double r, double b) {
  const double cx = (l + r) / 2, cy = (t + b) / 2, rx = std::max(0.01, (r - l) / 2), ry = std::max(0.01, (b - t) / 2);
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_new_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_close_path(cr);
  cairo_restore(cr);
}

void RoundRectPath(cairo_t* cr, double l, double t, double r, double b, double cw, double ch) {
  const double rx = std::min(cw / 2, (r - l) / 2), ry = std::min(ch / 2, (b - t) / 2);
  cairo_new_path(cr);
  if (rx <= 0 || ry <= 0) {
    cairo_rectangle(cr, l, t, r - l, b - t);
    return;
  }
  auto corner = [&](double cx, double cy, double a1, double a2) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, a1, a2);
    cairo_restore(cr);
  };
  corner(r - rx, t + ry, -kPi / 2, 0);
  corner(r - rx, b - ry, 0, kPi / 2);
  corner(l + rx, b - ry, kPi / 2, kPi);
  corner(l + rx, t + ry, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}
}  // namespace

void TCairoCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  if (!Begin()) return;
  cairo_t* cr = impl_->cr;
  const TRect box = Rect(x1, y1, x2, y2).Normalized();
  if (impl_->RasterRoundBox(x1, y1, x2, y2, box.Width(), box.Height())) {
    End();
    return;
  }
  double l, t, r, b;
  impl_->FigureBox(x1, y1, x2, y2, l, t, r, b);
  if (impl_->BrushPaints()) {
    EllipsePath(cr, l, t, r, b);
    impl_->FillWithBrush(Pen().Mode());
  }
  if (impl_->PenPaints()) {
    EllipsePath(cr, l, t, r, b);
    impl_->StrokeCurrentPath();
  }
  End();
}

void TCairoCanvas::RoundRect(int x1, int y1, int x2, int y2, int cw, int ch) {
  if (!Begin()) return;
  cairo_t* cr = impl_->cr;
  if (impl_->RasterRoundBox(x1, y1, x2, y2, cw, ch)) {
    End();
    return;
  }
  double l, t, r, b;
  impl_->FigureBox(x1, y1, x2, y2, l, t, r, b);
  if (impl_->BrushPaints()) {
    RoundRectPath(cr, l, t, r, b, cw, ch);
    impl_->FillWithBrush(Pen().Mode());
  }
  if (impl_->PenPaints()) {
    RoundRectPath(cr, l, t, r, b, cw, ch);
    impl_->StrokeCurrentPath();
  }
  End();
}

namespace {
enum class ArcKind { Arc, Pie, Chord };

// The arc of the ellipse in the box, counter-clockwise on screen from the
// ray towards (x3, y3) to the ray towards (x4, y4).
void ArcPath(cairo_t* cr, double l, double t, double r, double b, int x3, int y3, int x4, int y4, ArcKind kind) {
  const double cx = (l + r) / 2, cy = (t + b) / 2, rx = std::max(0.01, (r - l) / 2), ry = std::max(0.01, (b - t) / 2);
  // Angles in the unit-circle space of the ellipse.
  const double a1 = std::atan2((y3 + 0.5 - cy) / ry, (x3 + 0.5 - cx) / rx);
  double a2 = std::atan2((y4 + 0.5 - cy) / ry, (x4 + 0.5 - cx) / rx);
  cairo_new_path(cr);
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  if (kind == ArcKind::Pie) cairo_move_to(cr, 0, 0);
  if (std::fabs(a1 - a2) < 1e-9) a2 = a1 - 2 * kPi;
  cairo_arc_negative(cr, 0, 0, 1, a1, a2);
  if (kind != ArcKind::Arc) cairo_close_path(cr);
  cairo_restore(cr);
}

// A pie or a chord: the brush fills the closed figure, then the pen outlines it.
void ClosedArc(TCairoCanvas::Impl& impl, TPenMode penMode, int x1, int y1, int x2, int y2, int x3, int y3, int x4,
               int y4, ArcKind kind) {
  double l, t, r, b;
  impl.FigureBox(x1, y1, x2, y2, l, t, r, b);
  if (impl.BrushPaints()) {
    ArcPath(impl.cr, l, t, r, b, x3, y3, x4, y4, kind);
    impl.FillWithBrush(penMode);
  }
  ArcPath(impl.cr, l, t, r, b, x3, y3, x4, y4, kind);
  impl.StrokeCurrentPath();
}
}  // namespace

void TCairoCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  if (!Begin()) return;
  double l, t, r, b;
  impl_->FigureBox(x1, y1, x2, y2, l, t, r, b);
  ArcPath(impl_->cr, l, t, r, b, x3, y3, x4, y4, ArcKind::Arc);
  impl_->StrokeCurrentPath();
  End();
}

void TCairoCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  if (!Begin()) return;
  ClosedArc(*impl_, Pen().Mode(), x1, y1, x2, y2, x3, y3, x4, y4, ArcKind::Pie);
  End();
}

void TCairoCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  if (!Begin()) return;
  ClosedArc(*impl_, Pen().Mode(), x1, y1, x2, y2, x3, y3, x4, y4, ArcKind::Chord);
  End();
}

void TCairoCanvas::FillRect(const TRect& rc) {
  if (!Begin()) return;
  TRect r = rc;
  if (!r.IsEmpty()) {
    cairo_rectangle(impl_->cr, r.Left, r.Top, r.Width(), r.Height());
    impl_->FillWithBrush(pmCopy);
  }
  End();
}

void TCairoCanvas::FrameRect(const TRect& r) {
  if (r.IsEmpty() || !Begin()) return;
  cairo_t* cr = impl_->cr;
  cairo_new_path(cr);
  cairo_rectangle(cr, r.Left, r.Top, r.Width(), 1);
  if (r.Height() > 1) cairo_rectangle(cr, r.Left, r.Bottom - 1, r.Width(), 1);
  if (r.Height() > 2) {
    cairo_rectangle(cr, r.Left, r.Top + 1, 1, r.Height() - 2);
    if (r.Width() > 1) cairo_rectangle(cr, r.Right - 1, r.Top + 1, 1, r.Height() - 2);
  }
  impl_->FillWithBrush(pmCopy);
  End();
}

void TCairoCanvas::FillRegion(const TRegion& region) {
  if (region.IsEmpty() || !Begin()) return;
  cairo_new_path(impl_->cr);
  for (const auto& r : region.Rects()) cairo_rectangle(impl_->cr, r.Left, r.Top, r.Width(), r.Height());
  impl_->FillWithBrush(pmCopy);
  End();
}

// ------------------------------------------------------------ text

void TCairoCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* rect, std::u16string_view text,
                              const int* dx) {
  if (!Begin()) return;
  cairo_t* cr = impl_->cr;
  const bool updateCp = TextAlign() & TA_UPDATECP;
  if (updateCp) {
    x = PenPos().X;
    y = PenPos().Y;
  }
  if (rect && (options & ETO_OPAQUE)) {
    TRect r = rect->Normalized();
    cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
    SetColor(cr, BkColor());
    cairo_fill(cr);
  }
  TFontInstancePtr font = FontInstance();
  const TTextMetric& tm = font->TextMetrics();
  std::vector<int> advances = dx ? std::vector<int>(dx, dx + text.size()) : font->Advances(text);
  int width = 0;
  for (int a : advances) width += a;
  const TTextPlacement place = PlaceText(x, y, width, tm);
  const double angle = Font().Orientation() * kPi / 1800.0;  // counter-clockwise
  const double ux = std::cos(angle), uy = -std::sin(angle);  // along the baseline
  const double vx = std::sin(angle), vy = std::cos(angle);   // down, across it

  cairo_save(cr);
  if (rect && (options & ETO_CLIPPED)) {
    TRect r = rect->Normalized();
    cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
    cairo_clip(cr);
  }
  auto quad = [&](double along0, double along1, double down0, double down1) {
    cairo_new_path(cr);
    cairo_move_to(cr, place.originX + along0 * ux + down0 * vx, place.originY + along0 * uy + down0 * vy);
    cairo_line_to(cr, place.originX + along1 * ux + down0 * vx, place.originY + along1 * uy + down0 * vy);
    cairo_line_to(cr, place.originX + along1 * ux + down1 * vx, place.originY + along1 * uy + down1 * vy);
    cairo_line_to(cr, place.originX + along0 * ux + down1 * vx, place.originY + along0 * uy + down1 * vy);
    cairo_close_path(cr);
  };
  if (BkMode() == bkOpaque && width > 0) {
    quad(0, width, -tm.tmAscent, tm.tmDescent);
    SetColor(cr, BkColor());
    cairo_fill(cr);
  }
  if (!text.empty()) {
    const bool glyphIndexes = options & ETO_GLYPH_INDEX;
    std::vector<cairo_glyph_t> glyphs;
    glyphs.reserve(text.size());
    double pos = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      char32_t c = text[i];
      bool pair = false;
      if (!glyphIndexes && c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
          text[i + 1] < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        pair = true;
      }
      cairo_glyph_t g;
      g.index = glyphIndexes ? c : font->GlyphIndex(c);
      g.x = place.originX + pos * ux;
      g.y = place.originY + pos * uy;
      glyphs.push_back(g);
      pos += advances[i];
      if (pair) pos += advances[++i];
    }
    cairo_set_font_face(cr, FontFaceFor(*font));
    cairo_matrix_t fm;
    cairo_matrix_init_scale(&fm, font->PixelsPerEm(), font->PixelsPerEm());
    if (angle != 0) cairo_matrix_rotate(&fm, -angle);
    cairo_set_font_matrix(cr, &fm);
    cairo_font_options_t* fo = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(fo, CAIRO_HINT_STYLE_SLIGHT);
    const bool smooth = Font().Quality() != fqNonAntialiased && Font().Quality() != fqDraft;
    cairo_font_options_set_antialias(fo, smooth ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_set_font_options(cr, fo);
    cairo_font_options_destroy(fo);
    SetColor(cr, Font().Color());
    if ((impl_->raster && font->PixelsPerEm() > 400) || font->PixelsPerEm() > 30000) {
      // Very large glyphs are filled from their outlines: no glyph masks of
      // that size, and no limit of the renderer's font sizes.
      cairo_new_path(cr);
      for (const cairo_glyph_t& g : glyphs) {
        for (const auto& cmd : font->GlyphOutline(static_cast<std::uint32_t>(g.index))) {
          // Outline coordinates run along (ux, uy) and down (vx, vy) from the glyph origin.
          auto px = [&](double ax, double dy) { return g.x + ax * ux + dy * vx; };
          auto py = [&](double ax, double dy) { return g.y + ax * uy + dy * vy; };
          switch (cmd.kind) {
            case TFontInstance::TPathCommand::Move: cairo_move_to(cr, px(cmd.x1, cmd.y1), py(cmd.x1, cmd.y1)); break;
            case TFontInstance::TPathCommand::Line: cairo_line_to(cr, px(cmd.x1, cmd.y1), py(cmd.x1, cmd.y1)); break;
            case TFontInstance::TPathCommand::Cubic:
              cairo_curve_to(cr, px(cmd.x1, cmd.y1), py(cmd.x1, cmd.y1), px(cmd.x2, cmd.y2), py(cmd.x2, cmd.y2),
                             px(cmd.x3, cmd.y3), py(cmd.x3, cmd.y3));
              break;
            case TFontInstance::TPathCommand::Close: cairo_close_path(cr); break;
          }
        }
      }
      cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
      cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
      cairo_fill(cr);
    } else {
      cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
    }
    const TOutlineTextMetric& otm = font->OutlineTextMetrics();
    if (Font().Style().Contains(fsUnderline)) {
      const int size = std::max(1, otm.otmsUnderscoreSize);
      const int top = -otm.otmsUnderscorePosition - size / 2;
      quad(0, width, top, top + size);
      cairo_fill(cr);
    }
    if (Font().Style().Contains(fsStrikeOut)) {
      const int size = std::max(1u, otm.otmsStrikeoutSize);
      const int top = -otm.otmsStrikeoutPosition;
      quad(0, width, top, top + size);
      cairo_fill(cr);
    }
  }
  cairo_restore(cr);
  if (updateCp)
    TCanvas::MoveTo(PenPos().X + static_cast<int>(std::lround(width * ux)),
                    PenPos().Y + static_cast<int>(std::lround(width * uy)));
  End();
}

// ------------------------------------------------------------ pictures and pixels

namespace {
// A Cairo RGB24 surface holding the bitmap's pixels.
// The part of a bitmap that a drawing reads, as a Cairo surface. Cairo refuses
// images above 32767 pixels a side, which bitmaps may exceed, so only the
// source rectangle is taken, and a part that is still too large is sampled
// every step-th pixel.
struct BitmapSurface {
  cairo_surface_t* surface = nullptr;  // null when there is nothing to draw
  TRect region;                        // the bitmap pixels it covers
  int stepX = 1, stepY = 1;
  ~BitmapSurface() {
    if (surface) cairo_surface_destroy(surface);
  }
  // Sets the source on cr, whose user space is the bitmap's source space
  // shifted by src's top-left corner.
  void SetAsSource(cairo_t* cr, const TRect& src) const {
    cairo_translate(cr, region.Left - src.Left, region.Top - src.Top);
    cairo_scale(cr, stepX, stepY);
    cairo_set_source_surface(cr, surface, 0, 0);
  }
  // Paints src mapped onto dest (mirrored when either is reversed), nothing
  // outside dest. Padding repeats the edge pixels instead of fading them.
  void Paint(cairo_t* cr, const TRect& dest, const TRect& src, cairo_filter_t filter, bool padEdges) const {
    cairo_save(cr);
    TRect d = dest.Normalized();
    cairo_rectangle(cr, d.Left, d.Top, d.Width(), d.Height());
    cairo_clip(cr);
    cairo_translate(cr, dest.Left, dest.Top);
    cairo_scale(cr, static_cast<double>(dest.Width()) / src.Width(), static_cast<double>(dest.Height()) / src.Height());
    SetAsSource(cr, src);
    cairo_pattern_set_filter(cairo_get_source(cr), filter);
    if (padEdges) cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_restore(cr);
  }
};

constexpr int kMaxSurfaceSide = 32767;

void SurfaceFromBitmap(BitmapSurface& out, const TBitmap& bmp, const TRect& src, bool withAlphaKey = false,
                       TColorRef key = 0) {
  const int w = bmp.Width(), h = bmp.Height();
  out.region = IntersectRect(src.Normalized(), Rect(0, 0, w, h));
  if (out.region.Width() <= 0 || out.region.Height() <= 0) return;
  out.stepX = (out.region.Width() + kMaxSurfaceSide - 1) / kMaxSurfaceSide;
  out.stepY = (out.region.Height() + kMaxSurfaceSide - 1) / kMaxSurfaceSide;
  const int sw = (out.region.Width() + out.stepX - 1) / out.stepX;
  const int sh = (out.region.Height() + out.stepY - 1) / out.stepY;
  cairo_surface_t* s = cairo_image_surface_create(withAlphaKey ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, sw, sh);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return;
  }
  cairo_surface_flush(s);
  std::vector<std::uint32_t> px = bmp.ToRGB32();
  unsigned char* d = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  const std::uint32_t keyX = (GetRValue(key) << 16) | (GetGValue(key) << 8) | GetBValue(key);
  for (int y = 0; y < sh; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(d + static_cast<std::size_t>(y) * stride);
    const std::size_t srcRow = static_cast<std::size_t>(out.region.Top + y * out.stepY) * w;
    for (int x = 0; x < sw; ++x) {
      std::uint32_t p = px[srcRow + out.region.Left + static_cast<std::size_t>(x) * out.stepX] & 0xFFFFFF;
      row[x] = withAlphaKey ? (p == keyX ? 0u : 0xFF000000u | p) : 0xFF000000u | p;
    }
  }
  cairo_surface_mark_dirty(s);
  out.surface = s;
}
}  // namespace

void TCairoCanvas::DrawBitmap(const TRect& dest, const TBitmap& bitmap, const TRect& src, TCopyMode rop) {
  if (bitmap.Empty() || dest.Width() == 0 || dest.Height() == 0 || src.Width() == 0 || src.Height() == 0) return;
  if (!Begin()) return;
  cairo_t* cr = impl_->cr;
  // Constant operations need no source.
  if (rop == cmBlackness || rop == cmWhiteness || (!impl_->raster && rop == cmDstInvert)) {
    TRect d = dest.Normalized();
    cairo_rectangle(cr, d.Left, d.Top, d.Width(), d.Height());
    SetColor(cr, rop == cmWhiteness ? clWhite : clBlack);
    cairo_fill(cr);
    End();
    return;
  }
  const bool plain = rop == cmSrcCopy || !impl_->raster;
  if (plain) {
    BitmapSurface s;
    SurfaceFromBitmap(s, bitmap, src);
    if (!s.surface) {
      End();
      return;
    }
    s.Paint(cr, dest, src, impl_->raster && StretchMode() != smHalftone ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD,
            true);
    End();
    return;
  }
  // A raster operation, pixel by pixel with nearest sampling.
  cairo_surface_t* surf = impl_->surface;
  cairo_surface_flush(surf);
  const int sw = cairo_image_surface_get_width(surf), sh = cairo_image_surface_get_height(surf);
  unsigned char* d = cairo_image_surface_get_data(surf);
  const int stride = cairo_image_surface_get_stride(surf);
  TRect area = IntersectRect(dest.Normalized(), ClipRect());
  area = IntersectRect(area, Rect(0, 0, sw, sh));
  const std::uint32_t pat = ToXRGB(Brush().Color());
  std::vector<std::uint32_t> px = bitmap.ToRGB32();
  const double kx = static_cast<double>(src.Width()) / dest.Width(),
               ky = static_cast<double>(src.Height()) / dest.Height();
  TRegion clip;
  const bool clipped = GetClipRegion(clip);
  for (int y = area.Top; y < area.Bottom; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(d + static_cast<std::size_t>(y) * stride);
    int syi = src.Top + static_cast<int>(std::floor((y + 0.5 - dest.Top) * ky));
    syi = std::clamp(syi, 0, bitmap.Height() - 1);
    for (int x = area.Left; x < area.Right; ++x) {
      if (clipped && !clip.Contains(x, y)) continue;
      int sxi = src.Left + static_cast<int>(std::floor((x + 0.5 - dest.Left) * kx));
      sxi = std::clamp(sxi, 0, bitmap.Width() - 1);
      const std::uint32_t s = px[static_cast<std::size_t>(syi) * bitmap.Width() + sxi];
      row[x] = ApplyRop3(rop, pat, s, row[x]) & 0xFFFFFF;
    }
  }
  cairo_surface_mark_dirty(surf);
  End();
}

void TCairoCanvas::DrawBitmapTransparent(const TRect& dest, const TBitmap& bitmap, const TRect& src,
                                         TColor transparentColor) {
  if (bitmap.Empty() || dest.Width() == 0 || dest.Height() == 0 || src.Width() == 0 || src.Height() == 0) return;
  if (!Begin()) return;
  cairo_t* cr = impl_->cr;
  BitmapSurface s;
  SurfaceFromBitmap(s, bitmap, src, true, ColorToRGB(transparentColor));
  if (!s.surface) {
    End();
    return;
  }
  s.Paint(cr, dest, src, impl_->raster ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD, false);
  End();
}

bool TCairoCanvas::ReadPixels(const TRect& src, TBitmap& out) {
  Changing();
  BeforeDraw();
  if (!impl_->raster || !impl_->surface) return false;
  cairo_surface_t* surf = impl_->surface;
  cairo_surface_flush(surf);
  const int sw = cairo_image_surface_get_width(surf), sh = cairo_image_surface_get_height(surf);
  const unsigned char* d = cairo_image_surface_get_data(surf);
  const int stride = cairo_image_surface_get_stride(surf);
  TRect r = src.Normalized();
  std::vector<std::uint32_t> px(static_cast<std::size_t>(r.Width()) * r.Height(), 0xFFFFFF);
  for (int y = 0; y < r.Height(); ++y) {
    const int yy = r.Top + y;
    if (yy < 0 || yy >= sh) continue;
    const auto* row = reinterpret_cast<const std::uint32_t*>(d + static_cast<std::size_t>(yy) * stride);
    for (int x = 0; x < r.Width(); ++x) {
      const int xx = r.Left + x;
      if (xx >= 0 && xx < sw) px[static_cast<std::size_t>(y) * r.Width() + x] = row[xx] & 0xFFFFFF;
    }
  }
  out.SetPixelFormat(pf32bit);
  out.SetSize(r.Width(), r.Height());
  out.FromRGB32(px.data());
  return true;
}

TColor TCairoCanvas::GetPixel(int x, int y) {
  Changing();
  BeforeDraw();
  if (!impl_->raster || !impl_->surface) return clNone;
  cairo_surface_t* surf = impl_->surface;
  if (x < 0 || y < 0 || x >= cairo_image_surface_get_width(surf) || y >= cairo_image_surface_get_height(surf))
    return clNone;
  cairo_surface_flush(surf);
  const auto* row = reinterpret_cast<const std::uint32_t*>(
      cairo_image_surface_get_data(surf) + static_cast<std::size_t>(y) * cairo_image_surface_get_stride(surf));
  const std::uint32_t p = row[x];
  return static_cast<TColor>(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
}

void TCairoCanvas::SetPixel(int x, int y, TColor color) {
  if (!Begin()) return;
  if (impl_->raster) {
    cairo_surface_t* surf = impl_->surface;
    if (x >= 0 && y >= 0 && x < cairo_image_surface_get_width(surf) && y < cairo_image_surface_get_height(surf)) {
      TRegion clip;
      if (!GetClipRegion(clip) || clip.Contains(x, y)) {
        cairo_surface_flush(surf);
        auto* row = reinterpret_cast<std::uint32_t*>(
            cairo_image_surface_get_data(surf) + static_cast<std::size_t>(y) * cairo_image_surface_get_stride(surf));
        row[x] = ToXRGB(color);
        cairo_surface_mark_dirty_rectangle(surf, x, y, 1, 1);
      }
    }
  } else {
    cairo_rectangle(impl_->cr, x, y, 1, 1);
    SetColor(impl_->cr, color);
    cairo_fill(impl_->cr);
  }
  End();
}

// ------------------------------------------------------------ pixel buffer canvas

TPixelBufferCanvas::TPixelBufferCanvas(std::uint32_t* pixels, int width, int height, int strideBytes, int ppi,
                                       TDeviceKind kind)
    : TCairoCanvas(kind, ppi, ppi, {width, height}) {
  if (pixels && width > 0 && height > 0 && strideBytes >= width * 4)
    AttachSurface(cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels), CAIRO_FORMAT_RGB24,
                                                      width, height, strideBytes),
                  true);
}

void TPixelBufferCanvas::MarkDirty() {
  if (Surface()) cairo_surface_mark_dirty(static_cast<cairo_surface_t*>(Surface()));
}

// ------------------------------------------------------------ bitmap canvas

TBitmapCanvas::TBitmapCanvas(TBitmap& bitmap)
    : TCairoCanvas(dkBitmap, 96, 96, {bitmap.Width(), bitmap.Height()}), bitmap_(bitmap) {}

TBitmapCanvas::~TBitmapCanvas() = default;

TSize TBitmapCanvas::DeviceSize() const { return {bitmap_.Width(), bitmap_.Height()}; }

void TBitmapCanvas::BeforeDraw() {
  if (loaded_ && Surface()) return;
  const int w = bitmap_.Width(), h = bitmap_.Height();
  SetDeviceCaps(96, 96, {w, h});
  if (w <= 0 || h <= 0) {
    DetachSurface();
    loaded_ = true;
    return;
  }
  cairo_surface_t* s = static_cast<cairo_surface_t*>(Surface());
  if (!s || cairo_image_surface_get_width(s) != w || cairo_image_surface_get_height(s) != h) {
    s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
      // Beyond what Cairo can draw on (32767 pixels a side): the bitmap keeps
      // its pixels and drawing on it does nothing.
      cairo_surface_destroy(s);
      DetachSurface();
      loaded_ = true;
      return;
    }
    AttachSurface(s, true);
  }
  cairo_surface_flush(s);
  std::vector<std::uint32_t> px = bitmap_.ToRGB32();
  unsigned char* d = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < h; ++y)
    std::memcpy(d + static_cast<std::size_t>(y) * stride, px.data() + static_cast<std::size_t>(y) * w,
                static_cast<std::size_t>(w) * 4);
  cairo_surface_mark_dirty(s);
  loaded_ = true;
  dirty_ = false;
}

void TBitmapCanvas::AfterDraw() { dirty_ = true; }

bool TBitmapCanvas::ReadPixels(const TRect& src, TBitmap& out) {
  BeforeDraw();
  if (Surface()) return TCairoCanvas::ReadPixels(src, out);
  const TRect r = src.Normalized();
  if (r.IsEmpty() || bitmap_.Empty()) return false;
  const int w = bitmap_.Width(), h = bitmap_.Height();
  const std::vector<std::uint32_t> all = bitmap_.ToRGB32();
  std::vector<std::uint32_t> px(static_cast<std::size_t>(r.Width()) * r.Height(), 0xFFFFFF);
  for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, h); ++y)
    for (int x = std::max(r.Left, 0); x < std::min(r.Right, w); ++x)
      px[static_cast<std::size_t>(y - r.Top) * r.Width() + (x - r.Left)] =
          all[static_cast<std::size_t>(y) * w + x] & 0xFFFFFF;
  out.SetPixelFormat(pf32bit);
  out.SetSize(r.Width(), r.Height());
  out.FromRGB32(px.data());
  return true;
}

void TBitmapCanvas::WriteBack() {
  if (!dirty_ || writingBack_ || !Surface()) return;
  writingBack_ = true;
  dirty_ = false;
  cairo_surface_t* s = static_cast<cairo_surface_t*>(Surface());
  cairo_surface_flush(s);
  bitmap_.FromRGB32Raw(reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s)),
                       static_cast<std::size_t>(cairo_image_surface_get_stride(s)) / 4);
  writingBack_ = false;
}

void TBitmapCanvas::Invalidate() {
  if (writingBack_) return;
  loaded_ = false;
}

void TBitmapCanvas::Resized() {
  loaded_ = false;
  dirty_ = false;
  SetDeviceCaps(96, 96, {bitmap_.Width(), bitmap_.Height()});
  ClipChanged();
}

}  // namespace gfx
