// TMetafileCanvas: turns canvas calls into EMF records. Pens, brushes and
// fonts become objects only when a drawing call needs them and differ from
// the ones selected; an object is deleted once neither the current state nor
// a saved one (SaveDC) uses it.
#include <algorithm>
#include <cmath>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dib_bytes.h"
#include "platform/gfx/metafile.h"

namespace gfx {

namespace {

emf::LogPen ToLogPen(const TPen& pen) {
  static constexpr std::uint32_t kStyles[] = {emf::PS_SOLID,       emf::PS_DASH,       emf::PS_DOT,
                                              emf::PS_DASHDOT,     emf::PS_DASHDOTDOT, emf::PS_NULL,
                                              emf::PS_INSIDEFRAME, emf::PS_USERSTYLE,  emf::PS_ALTERNATE};
  emf::LogPen lp;
  lp.style = pen.Style() < std::size(kStyles) ? kStyles[pen.Style()] : emf::PS_SOLID;
  lp.width = std::max(pen.Width(), 0);
  lp.color = ColorToRGB(pen.Color()) & 0xFFFFFF;
  if (pen.Geometric()) {
    static constexpr std::uint32_t kCaps[] = {emf::PS_ENDCAP_ROUND, emf::PS_ENDCAP_SQUARE, emf::PS_ENDCAP_FLAT};
    static constexpr std::uint32_t kJoins[] = {emf::PS_JOIN_ROUND, emf::PS_JOIN_BEVEL, emf::PS_JOIN_MITER};
    lp.style |= emf::PS_GEOMETRIC | kCaps[pen.EndCap() % 3] | kJoins[pen.Join() % 3];
    if (pen.Style() == psUserStyle)
      for (unsigned d : pen.Dashes()) lp.styleEntries.push_back(d);
  }
  if (pen.Style() == psClear) lp = emf::LogPen{emf::PS_NULL, 0, 0, {}};
  return lp;
}

emf::LogBrush ToLogBrush(const TBrush& brush) {
  emf::LogBrush lb;
  lb.color = ColorToRGB(brush.Color()) & 0xFFFFFF;
  switch (brush.Style()) {
    case bsSolid: lb.style = emf::BS_SOLID; break;
    case bsClear: lb = emf::LogBrush{emf::BS_NULL, 0, 0}; break;
    default:
      lb.style = emf::BS_HATCHED;
      lb.hatch = static_cast<std::uint32_t>(brush.Style() - bsHorizontal);  // same order as the hatch codes
      break;
  }
  return lb;
}

emf::LogFont ToLogFont(const TFont& font) {
  emf::LogFont lf;
  lf.height = font.Height();
  lf.escapement = lf.orientation = font.Orientation();
  lf.weight = font.Style().Contains(fsBold) ? 700 : 400;
  lf.italic = font.Style().Contains(fsItalic);
  lf.underline = font.Style().Contains(fsUnderline);
  lf.strikeOut = font.Style().Contains(fsStrikeOut);
  lf.charSet = font.Charset();
  lf.quality = font.Quality();  // same order as the logical font's quality codes
  lf.pitchAndFamily = font.Pitch() == fpFixed ? 1 : font.Pitch() == fpVariable ? 2 : 0;
  lf.faceName = rtl::AnsiToWide(font.Name());
  return lf;
}

emf::RectL ToRectL(const TRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }

}  // namespace

// What the records have set so far in the metafile's device context.
struct TMetafileCanvas::Recorder {
  struct Selected {
    emf::LogPen pen{emf::PS_SOLID, 0, 0, {}};
    std::uint32_t penHandle = emf::BLACK_PEN;
    emf::LogBrush brush{emf::BS_SOLID, 0xFFFFFF, 0};
    std::uint32_t brushHandle = emf::WHITE_BRUSH;
    emf::LogFont font;
    std::uint32_t fontHandle = emf::SYSTEM_FONT;
    std::uint32_t textColor = 0, bkColor = 0xFFFFFF, bkMode = emf::OPAQUE, textAlign = 0;
    std::uint32_t polyFill = emf::ALTERNATE, rop2 = emf::R2_COPYPEN, stretchMode = emf::BLACKONWHITE;
    emf::PointL current;
  };

  int ppi = 96;
  emf::Document doc;
  Selected dc;
  std::vector<Selected> saved;
  std::vector<int> refs{1};  // users of each object index; index 0 is the metafile's own
  TRect bounds;
  bool drawn = false;
  bool closed = false;

  void Retain(std::uint32_t h) {
    if (!(h & emf::STOCK_FLAG) && h < refs.size()) ++refs[h];
  }
  // Drops one user; the object is deleted when none is left.
  void Release(std::uint32_t h) {
    if ((h & emf::STOCK_FLAG) || h >= refs.size() || refs[h] == 0) return;
    if (--refs[h] == 0) doc.records.push_back(emf::MakeU32Record(emf::EMR_DELETEOBJECT, h));
  }
  std::uint32_t NewHandle() {
    for (std::size_t i = 1; i < refs.size(); ++i)
      if (refs[i] == 0) return static_cast<std::uint32_t>(i);
    refs.push_back(0);
    return static_cast<std::uint32_t>(refs.size() - 1);
  }
  // Selects handle h (already created, or stock) in place of old.
  void Select(std::uint32_t h, std::uint32_t& slot) {
    doc.records.push_back(emf::MakeU32Record(emf::EMR_SELECTOBJECT, h));
    Retain(h);
    std::uint32_t old = slot;
    slot = h;
    Release(old);
  }
  void UsePen(const emf::LogPen& pen) {
    if (pen == dc.pen) return;
    dc.pen = pen;
    if ((pen.style & emf::PS_STYLE_MASK) == emf::PS_NULL) return Select(emf::NULL_PEN, dc.penHandle);
    std::uint32_t h = NewHandle();
    doc.records.push_back(emf::MakeCreatePen(h, pen));
    Select(h, dc.penHandle);
  }
  void UseBrush(const emf::LogBrush& brush) {
    if (brush == dc.brush) return;
    dc.brush = brush;
    if (brush.style == emf::BS_NULL) return Select(emf::NULL_BRUSH, dc.brushHandle);
    std::uint32_t h = NewHandle();
    doc.records.push_back(emf::MakeCreateBrush(h, brush));
    Select(h, dc.brushHandle);
  }
  void UseFont(const emf::LogFont& font) {
    if (font == dc.font && dc.fontHandle != emf::SYSTEM_FONT) return;
    dc.font = font;
    std::uint32_t h = NewHandle();
    doc.records.push_back(emf::MakeCreateFont(h, font));
    Select(h, dc.fontHandle);
  }
  void UseValue(std::uint32_t type, std::uint32_t value, std::uint32_t& slot) {
    if (slot == value) return;
    slot = value;
    doc.records.push_back(emf::MakeU32Record(type, value));
  }
  void Save() {
    saved.push_back(dc);
    Retain(dc.penHandle);
    Retain(dc.brushHandle);
    Retain(dc.fontHandle);
  }
  // Mirrors RESTOREDC: the state returns to a saved one; the objects of the
  // states dropped lose a user each.
  void Restore(int level) {
    if (saved.empty()) return;
    std::size_t target = level < 0 ? saved.size() + level : static_cast<std::size_t>(level - 1);
    if (level == 0 || target >= saved.size()) return;
    auto drop = [&](const Selected& s) {
      Release(s.penHandle);
      Release(s.brushHandle);
      Release(s.fontHandle);
    };
    drop(dc);
    for (std::size_t i = saved.size() - 1; i > target; --i) drop(saved[i]);
    dc = saved[target];
    saved.resize(target);
  }
};

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile, int referenceDevice)
    : TCanvas(dkMetafile, referenceDevice > 0 ? referenceDevice : 96, referenceDevice > 0 ? referenceDevice : 96, {}),
      metafile_(&metafile),
      rec_(std::make_unique<Recorder>()) {
  rec_->ppi = PixelsPerInchX();
}

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile, const TCanvas& referenceDevice)
    : TMetafileCanvas(metafile, referenceDevice.PixelsPerInchX()) {}

TMetafileCanvas::~TMetafileCanvas() {
  try {
    Close();
  } catch (...) {
    // A destructor must not throw; the metafile keeps its earlier content.
  }
}

void TMetafileCanvas::Close() {
  if (rec_->closed) return;
  rec_->closed = true;
  emf::Document doc = std::move(rec_->doc);
  doc.header.device = emf::Header::DeviceForPpi(rec_->ppi);
  doc.header.millimeters = {508, 381};
  const TRect& b = rec_->bounds;
  doc.header.bounds = rec_->drawn ? emf::RectL{b.Left, b.Top, b.Right - 1, b.Bottom - 1} : emf::RectL{0, 0, -1, -1};
  const double per = 2540.0 / rec_->ppi;  // 0.01 mm per logical unit
  if (metafile_->mmWidth_ > 0 && metafile_->mmHeight_ > 0) {
    doc.header.frame = {0, 0, metafile_->mmWidth_, metafile_->mmHeight_};
  } else if (rec_->drawn) {
    doc.header.frame = {
        static_cast<std::int32_t>(std::lround(b.Left * per)), static_cast<std::int32_t>(std::lround(b.Top * per)),
        static_cast<std::int32_t>(std::lround(b.Right * per)), static_cast<std::int32_t>(std::lround(b.Bottom * per))};
  }
  metafile_->SetRecords(std::move(doc));
}

void TMetafileCanvas::Add(emf::Record rec) {
  if (!rec_->closed) rec_->doc.records.push_back(std::move(rec));
}

void TMetafileCanvas::Grow(const TRect& r) {
  TRect n = r.Normalized();
  if (n.IsEmpty()) n = {n.Left, n.Top, n.Left + std::max(n.Width(), 1), n.Top + std::max(n.Height(), 1)};
  rec_->bounds = rec_->drawn ? UnionRect(rec_->bounds, n) : n;
  rec_->drawn = true;
}

void TMetafileCanvas::GrowPoints(const TPoint* points, std::size_t count) {
  if (count == 0) return;
  TRect b{points[0].X, points[0].Y, points[0].X, points[0].Y};
  for (std::size_t i = 1; i < count; ++i) {
    b.Left = std::min(b.Left, points[i].X);
    b.Top = std::min(b.Top, points[i].Y);
    b.Right = std::max(b.Right, points[i].X);
    b.Bottom = std::max(b.Bottom, points[i].Y);
  }
  int w = Pen().Style() == psClear ? 0 : Pen().DeviceWidth() / 2;
  Grow({b.Left - w, b.Top - w, b.Right + w + 1, b.Bottom + w + 1});
}

emf::RectL TMetafileCanvas::Bounds(const TRect& r) const {
  TRect n = r.Normalized();
  return {n.Left, n.Top, n.Right - 1, n.Bottom - 1};
}

void TMetafileCanvas::SyncLine() {
  if (rec_->closed) return;
  Recorder& r = *rec_;
  r.UsePen(ToLogPen(Pen()));
  r.UseValue(emf::EMR_SETROP2, static_cast<std::uint32_t>(Pen().Mode()) + 1, r.dc.rop2);
  r.UseValue(emf::EMR_SETBKMODE, BkMode() == bkTransparent ? emf::TRANSPARENT : emf::OPAQUE, r.dc.bkMode);
  r.UseValue(emf::EMR_SETBKCOLOR, ColorToRGB(BkColor()) & 0xFFFFFF, r.dc.bkColor);
}

void TMetafileCanvas::SyncFill() {
  SyncLine();
  if (rec_->closed) return;
  Recorder& r = *rec_;
  r.UseBrush(ToLogBrush(Brush()));
  r.UseValue(emf::EMR_SETPOLYFILLMODE, PolyFillMode() == pfWinding ? emf::WINDING : emf::ALTERNATE, r.dc.polyFill);
}

void TMetafileCanvas::SyncText() {
  if (rec_->closed) return;
  Recorder& r = *rec_;
  r.UseFont(ToLogFont(Font()));
  r.UseValue(emf::EMR_SETTEXTCOLOR, ColorToRGB(Font().Color()) & 0xFFFFFF, r.dc.textColor);
  r.UseValue(emf::EMR_SETBKMODE, BkMode() == bkTransparent ? emf::TRANSPARENT : emf::OPAQUE, r.dc.bkMode);
  r.UseValue(emf::EMR_SETBKCOLOR, ColorToRGB(BkColor()) & 0xFFFFFF, r.dc.bkColor);
  r.UseValue(emf::EMR_SETTEXTALIGN, TextAlign(), r.dc.textAlign);
}

// ------------------------------------------------------------ lines and shapes

void TMetafileCanvas::MoveTo(int x, int y) { TCanvas::MoveTo(x, y); }

void TMetafileCanvas::LineTo(int x, int y) {
  SyncLine();
  TPoint from = PenPos();
  if (!(rec_->dc.current == emf::PointL{from.X, from.Y})) Add(emf::MakePointRecord(emf::EMR_MOVETOEX, from.X, from.Y));
  Add(emf::MakePointRecord(emf::EMR_LINETO, x, y));
  rec_->dc.current = {x, y};
  TPoint pts[2] = {from, {x, y}};
  GrowPoints(pts, 2);
  TCanvas::MoveTo(x, y);
}

void TMetafileCanvas::PolyRecord(std::uint32_t type16, const TPoint* points, std::size_t count) {
  if (count == 0) return;
  std::vector<emf::PointL> pts(count);
  for (std::size_t i = 0; i < count; ++i) pts[i] = {points[i].X, points[i].Y};
  GrowPoints(points, count);
  emf::RectL b{pts[0].x, pts[0].y, pts[0].x, pts[0].y};
  for (const auto& p : pts) {
    b.left = std::min(b.left, p.x);
    b.top = std::min(b.top, p.y);
    b.right = std::max(b.right, p.x);
    b.bottom = std::max(b.bottom, p.y);
  }
  Add(emf::MakePoly(type16, pts, b));
}

void TMetafileCanvas::Polyline(const TPoint* points, std::size_t count) {
  SyncLine();
  PolyRecord(emf::EMR_POLYLINE16, points, count);
}

void TMetafileCanvas::Polygon(const TPoint* points, std::size_t count) {
  SyncFill();
  PolyRecord(emf::EMR_POLYGON16, points, count);
}

void TMetafileCanvas::PolyBezier(const TPoint* points, std::size_t count) {
  SyncLine();
  PolyRecord(emf::EMR_POLYBEZIER16, points, count);
}

void TMetafileCanvas::ShapeRecord(std::uint32_t type, int x1, int y1, int x2, int y2) {
  SyncFill();
  Add(emf::MakeRectRecord(type, {x1, y1, x2, y2}));
  Grow({x1, y1, x2, y2});
}

void TMetafileCanvas::Rectangle(int x1, int y1, int x2, int y2) { ShapeRecord(emf::EMR_RECTANGLE, x1, y1, x2, y2); }

void TMetafileCanvas::Ellipse(int x1, int y1, int x2, int y2) { ShapeRecord(emf::EMR_ELLIPSE, x1, y1, x2, y2); }

void TMetafileCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH) {
  SyncFill();
  Add(emf::MakeRoundRect({x1, y1, x2, y2}, cornerW, cornerH));
  Grow({x1, y1, x2, y2});
}

void TMetafileCanvas::ArcRecord(std::uint32_t type, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  if (type == emf::EMR_ARC)
    SyncLine();
  else
    SyncFill();
  Add(emf::MakeArcRecord(type, {x1, y1, x2, y2}, {x3, y3}, {x4, y4}));
  Grow({x1, y1, x2, y2});
}

void TMetafileCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  ArcRecord(emf::EMR_ARC, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TMetafileCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  ArcRecord(emf::EMR_PIE, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TMetafileCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  ArcRecord(emf::EMR_CHORD, x1, y1, x2, y2, x3, y3, x4, y4);
}

// Fills with the brush alone: a blit that copies the pattern.
void TMetafileCanvas::PatBlt(const TRect& r) {
  TRect n = r.Normalized();
  if (n.IsEmpty() || Brush().Style() == bsClear) return;
  SyncFill();
  Add(emf::MakePatBlt(Bounds(n), ToRectL(n), emf::PATCOPY));
  Grow(n);
}

void TMetafileCanvas::FillRect(const TRect& r) { PatBlt(r); }

void TMetafileCanvas::FrameRect(const TRect& r) {
  TRect n = r.Normalized();
  if (n.IsEmpty()) return;
  PatBlt({n.Left, n.Top, n.Right, n.Top + 1});
  PatBlt({n.Left, n.Bottom - 1, n.Right, n.Bottom});
  PatBlt({n.Left, n.Top + 1, n.Left + 1, n.Bottom - 1});
  PatBlt({n.Right - 1, n.Top + 1, n.Right, n.Bottom - 1});
}

void TMetafileCanvas::FillRegion(const TRegion& region) {
  for (const TRect& r : region.Rects()) PatBlt(r);
}

// ------------------------------------------------------------ text

void TMetafileCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* rect, std::u16string_view text,
                                 const int* dx) {
  SyncText();
  // Like the system's own metafiles, every text record carries its advances,
  // so playback places the characters where they were measured.
  std::vector<std::int32_t> advances;
  if (dx)
    advances.assign(dx, dx + text.size());
  else
    for (int a : GetCharAdvances(text)) advances.push_back(a);
  std::int64_t total = 0;
  for (int a : advances) total += a;
  int width = static_cast<int>(std::clamp<std::int64_t>(total, -(1 << 29), 1 << 29));

  TTextMetric tm = GetTextMetrics();
  TTextPlacement place = PlaceText(x, y, width, tm);
  // The text's box around its baseline, turned with the escapement.
  double t = Font().Orientation() * M_PI / 1800.0, c = std::cos(t), s = std::sin(t);
  double corners[4][2] = {{0, -double(tm.tmAscent)},
                          {double(width), -double(tm.tmAscent)},
                          {0, double(tm.tmDescent)},
                          {double(width), double(tm.tmDescent)}};
  double minX = 1e18, minY = 1e18, maxX = -1e18, maxY = -1e18;
  for (auto& p : corners) {
    double px = place.originX + p[0] * c + p[1] * s, py = place.originY - p[0] * s + p[1] * c;
    minX = std::min(minX, px);
    maxX = std::max(maxX, px);
    minY = std::min(minY, py);
    maxY = std::max(maxY, py);
  }
  TRect box{static_cast<int>(std::floor(minX)), static_cast<int>(std::floor(minY)), static_cast<int>(std::ceil(maxX)),
            static_cast<int>(std::ceil(maxY))};
  unsigned opts = options & (gfx::ETO_OPAQUE | gfx::ETO_CLIPPED);
  if (rect && (opts & gfx::ETO_CLIPPED)) box = IntersectRect(box, rect->Normalized());
  if (rect && (opts & gfx::ETO_OPAQUE)) box = UnionRect(box, rect->Normalized());
  if (!rect) opts = 0;
  if (!box.IsEmpty()) Grow(box);
  emf::RectL b = box.IsEmpty() ? emf::RectL{0, 0, -1, -1} : Bounds(box);
  Add(emf::MakeExtTextOutW(b, {x, y}, text, opts, rect ? ToRectL(*rect) : emf::RectL{}, advances));
  if (TextAlign() & gfx::TA_UPDATECP) TCanvas::MoveTo(PenPos().X + width, PenPos().Y);
}

// ------------------------------------------------------------ pictures and pixels

void TMetafileCanvas::DrawBitmap(const TRect& dest, const TBitmap& bitmap, const TRect& src, TCopyMode rop) {
  if (bitmap.Empty() || dest.Width() == 0 || dest.Height() == 0) return;
  std::string packed = bitmap.SaveToDIB();
  std::string_view bmi, bits;
  if (!dib::SplitPacked(packed, &bmi, &bits)) return;
  if (!rec_->closed)
    rec_->UseValue(emf::EMR_SETSTRETCHBLTMODE, static_cast<std::uint32_t>(StretchMode()), rec_->dc.stretchMode);
  TRect s = src.Normalized();
  // The source is counted from the bottom row of the (bottom-up) DIB.
  emf::SourceRect sr{s.Left, bitmap.Height() - s.Bottom, s.Width(), s.Height()};
  Add(emf::MakeStretchDIBits(Bounds(dest), ToRectL(dest), sr, bmi, bits, rop));
  Grow(dest);
}

void TMetafileCanvas::SetPixel(int x, int y, TColor color) {
  Add(emf::MakeSetPixel({x, y}, ColorToRGB(color) & 0xFFFFFF));
  Grow({x, y, x + 1, y + 1});
}

// ------------------------------------------------------------ clipping and state

void TMetafileCanvas::SelectClipRegion(const TRegion* region) {
  if (region) {
    std::vector<emf::RectL> rects;
    for (const TRect& r : region->Rects()) rects.push_back(ToRectL(r));
    Add(emf::MakeSelectClip(&rects));
  } else {
    Add(emf::MakeSelectClip(nullptr));
  }
  TCanvas::SelectClipRegion(region);
}

void TMetafileCanvas::IntersectClipRect(const TRect& r) {
  Add(emf::MakeRectRecord(emf::EMR_INTERSECTCLIPRECT, ToRectL(r.Normalized())));
  TCanvas::IntersectClipRect(r);
}

void TMetafileCanvas::ExcludeClipRect(const TRect& r) {
  Add(emf::MakeRectRecord(emf::EMR_EXCLUDECLIPRECT, ToRectL(r.Normalized())));
  TCanvas::ExcludeClipRect(r);
}

int TMetafileCanvas::SaveDC() {
  Add(emf::MakeSaveDC());
  if (!rec_->closed) rec_->Save();
  return TCanvas::SaveDC();
}

void TMetafileCanvas::RestoreDC(int level) {
  // Readers expect a level relative to the current one.
  int depth = static_cast<int>(rec_->saved.size());
  int relative = level < 0 ? level : level - 1 - depth;
  if (level != 0 && relative < 0 && -relative <= depth)
    Add(emf::MakeU32Record(emf::EMR_RESTOREDC, static_cast<std::uint32_t>(relative)));
  if (!rec_->closed) rec_->Restore(level);
  TCanvas::RestoreDC(level);
}

}  // namespace gfx
