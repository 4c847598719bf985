#include "platform/gfx/metafile_player.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <unordered_map>
#include <variant>

#include "platform/gfx/metafile_mapping_p.h"

namespace gfx::emf {

namespace {

using Object = std::variant<LogPen, LogBrush, LogFont>;

// Coordinates and sizes handed to the target stay within this many pixels:
// far beyond any page at printer resolution, yet small enough that a damaged
// or hostile record cannot make a canvas walk billions of pixels.
constexpr double kLimit = 262144;
constexpr double kFontLimit = 4096;

double Limit(double v, double limit = kLimit) { return std::clamp(v, -limit, limit); }

LogFont StockFont(std::uint32_t id) {
  LogFont f;
  f.height = -13;
  bool fixed = id == OEM_FIXED_FONT || id == ANSI_FIXED_FONT || id == SYSTEM_FIXED_FONT;
  f.faceName = fixed ? u"Courier New" : u"Arial";
  if (id == SYSTEM_FONT) f.weight = 700;
  return f;
}

// The state SAVEDC keeps: selected objects by value (a deleted object stays
// in effect while selected), colours, modes, mapping, current position.
struct DcState {
  Mapping map;
  LogPen pen{PS_SOLID, 0, 0x000000, {}};
  LogBrush brush{BS_SOLID, 0xFFFFFF, 0};
  LogFont font = StockFont(SYSTEM_FONT);
  std::uint32_t textColor = 0x000000, bkColor = 0xFFFFFF, bkMode = OPAQUE, textAlign = TA_LEFT | TA_TOP;
  std::uint32_t polyFill = ALTERNATE, rop2 = R2_COPYPEN, stretchMode = BLACKONWHITE;
  PointL current;
};

class Player {
 public:
  Player(const Document& doc, const RectD& dest, PlaybackTarget& target) : doc_(doc), dest_(dest), target_(target) {
    const Header& h = doc.header;
    frameX_ = h.FrameLeftPx();
    frameY_ = h.FrameTopPx();
    double fw = h.FrameWidthPx(), fh = h.FrameHeightPx();
    if (fw <= 0 || fh <= 0) {  // no frame: the drawn bounds stand for it
      frameX_ = h.bounds.left;
      frameY_ = h.bounds.top;
      fw = double(h.bounds.right) - h.bounds.left + 1;
      fh = double(h.bounds.bottom) - h.bounds.top + 1;
    }
    kx_ = fw > 0 ? (dest.right - dest.left) / fw : 1;
    ky_ = fh > 0 ? (dest.bottom - dest.top) / fh : 1;
    st_.map.ppiX = h.PpiX();
    st_.map.ppiY = h.PpiY();
  }

  void Run() {
    target_.SaveState();
    ApplyAll();
    for (const Record& rec : doc_.records) {
      try {
        Handle(rec);
      } catch (const EMetafileFormat&) {
        // A record too short for its fields is skipped.
      }
    }
    for (std::size_t i = 0; i < saved_.size(); ++i) target_.RestoreState();
    target_.RestoreState();
  }

 private:
  PointD P(double x, double y) const {
    return {Limit(dest_.left + (st_.map.DevX(x, y) - frameX_) * kx_),
            Limit(dest_.top + (st_.map.DevY(x, y) - frameY_) * ky_)};
  }
  PointD P(PointL p) const { return P(p.x, p.y); }
  double SX() const { return std::fabs(st_.map.ScaleX() * kx_) * st_.map.WorldScaleX(); }
  double SY() const { return std::fabs(st_.map.ScaleY() * ky_) * st_.map.WorldScaleY(); }
  // A rectangle's corners mapped; under a turning world transform the shape
  // becomes the box around them.
  RectD R(const RectL& r) const {
    PointD c[4] = {P(r.left, r.top), P(r.right, r.bottom), P(r.left, r.bottom), P(r.right, r.top)};
    RectD out{c[0].x, c[0].y, c[0].x, c[0].y};
    for (const PointD& p : c) {
      out.left = std::min(out.left, p.x);
      out.top = std::min(out.top, p.y);
      out.right = std::max(out.right, p.x);
      out.bottom = std::max(out.bottom, p.y);
    }
    return out;
  }
  RectD DeviceRect(const RectL& r) const {
    return {Limit(dest_.left + (r.left - frameX_) * kx_), Limit(dest_.top + (r.top - frameY_) * ky_),
            Limit(dest_.left + (r.right - frameX_) * kx_), Limit(dest_.top + (r.bottom - frameY_) * ky_)};
  }
  std::vector<PointD> Pts(const std::vector<PointL>& pts) const {
    std::vector<PointD> out;
    out.reserve(pts.size());
    for (const PointL& p : pts) out.push_back(P(p));
    return out;
  }

  void ApplyPen() { target_.SetPen(st_.pen, Limit(st_.pen.width * (SX() + SY()) / 2, kFontLimit)); }
  void ApplyFont() {
    LogFont f = st_.font;
    auto scale = [](std::int32_t v, double s) {
      if (v == 0) return 0;
      auto r = static_cast<std::int32_t>(std::lround(Limit(v * s, kFontLimit)));
      return r == 0 ? (v < 0 ? -1 : 1) : r;
    };
    f.height = scale(f.height, SY());
    f.width = scale(f.width, SX());
    target_.SetFont(f);
  }
  void ApplyAll() {
    ApplyPen();
    target_.SetBrush(st_.brush);
    ApplyFont();
    target_.SetTextColor(st_.textColor);
    target_.SetBkColor(st_.bkColor);
    target_.SetBkMode(st_.bkMode);
    target_.SetPolyFillMode(st_.polyFill);
    target_.SetRop2(st_.rop2);
    target_.SetStretchMode(st_.stretchMode);
  }

  void Select(std::uint32_t index) {
    if (index & STOCK_FLAG) {
      if (index >= WHITE_BRUSH && index <= NULL_BRUSH) {
        static constexpr std::uint32_t kGreys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
        st_.brush = index == NULL_BRUSH ? LogBrush{BS_NULL, 0, 0} : LogBrush{BS_SOLID, kGreys[index - WHITE_BRUSH], 0};
        target_.SetBrush(st_.brush);
      } else if (index == DC_BRUSH) {
        st_.brush = LogBrush{BS_SOLID, 0xFFFFFF, 0};
        target_.SetBrush(st_.brush);
      } else if (index >= WHITE_PEN && index <= NULL_PEN) {
        st_.pen = index == NULL_PEN ? LogPen{PS_NULL, 0, 0, {}}
                                    : LogPen{PS_SOLID, 0, index == WHITE_PEN ? 0xFFFFFFu : 0u, {}};
        ApplyPen();
      } else if (index == DC_PEN) {
        st_.pen = LogPen{PS_SOLID, 0, 0, {}};
        ApplyPen();
      } else if (index >= OEM_FIXED_FONT && index <= DEFAULT_GUI_FONT && index != DEFAULT_PALETTE) {
        st_.font = StockFont(index);
        ApplyFont();
      }
      return;
    }
    auto it = objects_.find(index);
    if (it == objects_.end()) return;
    if (auto* pen = std::get_if<LogPen>(&it->second)) {
      st_.pen = *pen;
      ApplyPen();
    } else if (auto* brush = std::get_if<LogBrush>(&it->second)) {
      st_.brush = *brush;
      target_.SetBrush(st_.brush);
    } else if (auto* font = std::get_if<LogFont>(&it->second)) {
      st_.font = *font;
      ApplyFont();
    }
  }

  void Restore(std::int32_t n) {
    std::size_t keep;
    if (n < 0) {
      if (saved_.size() < static_cast<std::size_t>(-static_cast<std::int64_t>(n))) return;
      keep = saved_.size() - static_cast<std::size_t>(-static_cast<std::int64_t>(n));
    } else {
      if (n == 0 || static_cast<std::size_t>(n) > saved_.size()) return;
      keep = static_cast<std::size_t>(n) - 1;
    }
    st_ = saved_[keep];
    for (std::size_t i = keep; i < saved_.size(); ++i) target_.RestoreState();
    saved_.resize(keep);
    ApplyAll();
  }

  void Text(const Record& rec) {
    TextOut t = DecodeExtTextOut(rec);
    PointL ref = t.reference;
    bool updateCp = (st_.textAlign & TA_UPDATECP) != 0;
    if (updateCp) ref = st_.current;
    std::vector<double> advances;
    double total = 0;
    for (std::int32_t d : t.dx) {
      advances.push_back(Limit(d * SX()));
      total += d;
    }
    target_.Text(P(ref), t.text, advances, st_.textAlign & ~TA_UPDATECP, t.options, R(t.rect));
    if (updateCp) {
      if (t.dx.empty() && SX() > 0) total = target_.TextWidth(t.text) / SX();
      double x = std::clamp(st_.current.x + total, double(INT32_MIN), double(INT32_MAX));
      st_.current.x = static_cast<std::int32_t>(std::lround(x));
    }
  }

  void Bitmap(const Record& rec) {
    Blit b = DecodeBlit(rec);
    PointD a = P(b.xDest, b.yDest), c = P(double(b.xDest) + b.cxDest, double(b.yDest) + b.cyDest);
    RectD dest{std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)};
    if (b.bmi.empty()) {
      target_.PatBlt(dest, b.rop);
      return;
    }
    SourceRect src{b.xSrc, b.ySrc, b.cxSrc, b.cySrc};
    if (rec.Type() == EMR_STRETCHDIBITS) {
      // StretchDIBits counts the source from the bottom of a bottom-up DIB.
      bytes::Reader r(b.bmi);
      std::int32_t h = r.U32(0) == 12 ? r.I16(6) : r.I32(8);
      if (h > 0) {
        std::int64_t y = std::int64_t{h} - b.ySrc - b.cySrc;
        src.y = static_cast<std::int32_t>(std::clamp<std::int64_t>(y, INT32_MIN, INT32_MAX));
      }
    }
    target_.StretchDib(dest, src, b.bmi, b.bits, b.rop);
  }

  void Handle(const Record& rec) {
    if (st_.map.Apply(rec)) {
      // The fonts and pens selected keep their logical size, so their device
      // size follows the new mapping.
      ApplyPen();
      ApplyFont();
      return;
    }
    bytes::Reader r = rec.Body();
    std::uint32_t index = 0;
    switch (rec.Type()) {
      case EMR_SETBKMODE: target_.SetBkMode(st_.bkMode = r.U32(8)); break;
      case EMR_SETBKCOLOR: target_.SetBkColor(st_.bkColor = r.U32(8) & 0xFFFFFF); break;
      case EMR_SETTEXTCOLOR: target_.SetTextColor(st_.textColor = r.U32(8) & 0xFFFFFF); break;
      case EMR_SETTEXTALIGN: st_.textAlign = r.U32(8); break;
      case EMR_SETPOLYFILLMODE: target_.SetPolyFillMode(st_.polyFill = r.U32(8)); break;
      case EMR_SETROP2: target_.SetRop2(st_.rop2 = r.U32(8)); break;
      case EMR_SETSTRETCHBLTMODE: target_.SetStretchMode(st_.stretchMode = r.U32(8)); break;
      case EMR_SAVEDC:
        saved_.push_back(st_);
        target_.SaveState();
        break;
      case EMR_RESTOREDC: Restore(r.I32(8)); break;
      case EMR_CREATEPEN:
      case EMR_EXTCREATEPEN: {
        LogPen pen = DecodeCreatePen(rec, &index);
        objects_[index] = pen;
        break;
      }
      case EMR_CREATEBRUSHINDIRECT: {
        LogBrush brush = DecodeCreateBrush(rec, &index);
        if (brush.style > BS_HATCHED) brush.style = BS_SOLID;
        objects_[index] = brush;
        break;
      }
      case EMR_EXTCREATEFONTINDIRECTW: {
        LogFont font = DecodeCreateFont(rec, &index);
        objects_[index] = font;
        break;
      }
      case EMR_SELECTOBJECT: Select(r.U32(8)); break;
      case EMR_DELETEOBJECT: objects_.erase(r.U32(8)); break;
      case EMR_MOVETOEX: st_.current = {r.I32(8), r.I32(12)}; break;
      case EMR_LINETO: {
        PointL to{r.I32(8), r.I32(12)};
        target_.Line(P(st_.current), P(to));
        st_.current = to;
        break;
      }
      case EMR_RECTANGLE: target_.Rectangle(R({r.I32(8), r.I32(12), r.I32(16), r.I32(20)})); break;
      case EMR_ELLIPSE: target_.Ellipse(R({r.I32(8), r.I32(12), r.I32(16), r.I32(20)})); break;
      case EMR_ROUNDRECT:
        target_.RoundRect(R({r.I32(8), r.I32(12), r.I32(16), r.I32(20)}), Limit(r.I32(24) * SX()),
                          Limit(r.I32(28) * SY()));
        break;
      case EMR_ARC:
      case EMR_CHORD:
      case EMR_PIE:
        target_.Arc(rec.Type(), R({r.I32(8), r.I32(12), r.I32(16), r.I32(20)}), P(r.I32(24), r.I32(28)),
                    P(r.I32(32), r.I32(36)));
        break;
      case EMR_SETPIXELV: target_.SetPixel(P(r.I32(8), r.I32(12)), r.U32(16) & 0xFFFFFF); break;
      case EMR_EXTSELECTCLIPRGN: {
        // Region rectangles are in device units of the reference device.
        ClipRegion c = DecodeSelectClip(rec);
        std::vector<RectD> rects;
        for (const RectL& rc : c.rects) rects.push_back(DeviceRect(rc));
        if (c.mode == RGN_COPY)
          target_.SelectClip(rects.empty() ? nullptr : &rects);
        else if (c.mode == RGN_AND && rects.size() == 1)
          target_.IntersectClip(rects[0]);
        break;
      }
      case EMR_INTERSECTCLIPRECT: target_.IntersectClip(R({r.I32(8), r.I32(12), r.I32(16), r.I32(20)})); break;
      case EMR_EXCLUDECLIPRECT: target_.ExcludeClip(R({r.I32(8), r.I32(12), r.I32(16), r.I32(20)})); break;
      case EMR_POLYGON:
      case EMR_POLYGON16: target_.Polygon(Pts(DecodePoly(rec))); break;
      case EMR_POLYLINE:
      case EMR_POLYLINE16: target_.Polyline(Pts(DecodePoly(rec))); break;
      case EMR_POLYBEZIER:
      case EMR_POLYBEZIER16: target_.PolyBezier(Pts(DecodePoly(rec))); break;
      case EMR_POLYLINETO:
      case EMR_POLYLINETO16:
      case EMR_POLYBEZIERTO:
      case EMR_POLYBEZIERTO16: {
        std::vector<PointL> pts = DecodePoly(rec);
        if (pts.empty()) break;
        pts.insert(pts.begin(), st_.current);
        st_.current = pts.back();
        bool bezier = rec.Type() == EMR_POLYBEZIERTO || rec.Type() == EMR_POLYBEZIERTO16;
        if (bezier)
          target_.PolyBezier(Pts(pts));
        else
          target_.Polyline(Pts(pts));
        break;
      }
      case EMR_POLYPOLYGON:
      case EMR_POLYPOLYGON16: {
        std::vector<std::vector<PointD>> polys;
        for (const auto& p : DecodePolyPoly(rec)) polys.push_back(Pts(p));
        target_.PolyPolygon(polys);
        break;
      }
      case EMR_POLYPOLYLINE:
      case EMR_POLYPOLYLINE16:
        for (const auto& p : DecodePolyPoly(rec)) target_.Polyline(Pts(p));
        break;
      case EMR_EXTTEXTOUTW:
      case EMR_EXTTEXTOUTA: Text(rec); break;
      case EMR_BITBLT:
      case EMR_STRETCHBLT:
      case EMR_STRETCHDIBITS: Bitmap(rec); break;
      default: break;  // records this system does not draw
    }
  }

  const Document& doc_;
  RectD dest_;
  PlaybackTarget& target_;
  double frameX_ = 0, frameY_ = 0, kx_ = 1, ky_ = 1;
  DcState st_;
  std::vector<DcState> saved_;
  std::unordered_map<std::uint32_t, Object> objects_;
};

}  // namespace

void Play(const Document& doc, const RectD& dest, PlaybackTarget& target) { Player(doc, dest, target).Run(); }

}  // namespace gfx::emf
