#include "platform/gfx/wmf_format.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "platform/gfx/dib_bytes.h"
#include "platform/gfx/metafile_mapping_p.h"
#include "platform/rtl/strings.h"

namespace gfx::wmf {

using namespace gfx::emf;

namespace {

constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kMetaHeaderSize = 18;
constexpr std::size_t kMaxObjects = 65535;

// Text of the 8-bit records in the charset of the selected font: the symbol
// charset keeps its byte codes, every other one is this system's 1251.
std::u16string DecodeText(std::string_view bytes, std::uint8_t charset) {
  if (charset == SYMBOL_CHARSET) {
    std::u16string s;
    for (char c : bytes) s.push_back(static_cast<unsigned char>(c));
    return s;
  }
  std::u16string s = rtl::AnsiToWide(bytes);
  if (s.size() != bytes.size()) s.resize(bytes.size(), u'?');
  return s;
}

std::string EncodeText(std::u16string_view text, std::uint8_t charset) {
  if (charset == SYMBOL_CHARSET) {
    std::string s;
    for (char16_t c : text) s.push_back(static_cast<char>(c & 0xFF));
    return s;
  }
  std::string s = rtl::WideToAnsi(text);
  if (s.size() != text.size()) s.resize(text.size(), '?');
  return s;
}

// ---- reading -------------------------------------------------------------

enum class Kind { Free, Pen, Brush, Font, Other };

struct ObjectTable {
  std::vector<Kind> kinds;
  std::vector<std::uint8_t> charsets;

  std::size_t Allocate(Kind kind) {
    auto it = std::find(kinds.begin(), kinds.end(), Kind::Free);
    std::size_t slot = static_cast<std::size_t>(it - kinds.begin());
    if (it == kinds.end()) {
      if (kinds.size() >= kMaxObjects) throw EMetafileFormat("Windows metafile has too many objects");
      kinds.push_back(kind);
      charsets.push_back(DEFAULT_CHARSET);
    } else {
      *it = kind;
    }
    return slot;
  }
  Kind At(std::size_t slot) const { return slot < kinds.size() ? kinds[slot] : Kind::Free; }
};

class WmfReader {
 public:
  WmfReader(emf::Document& doc) : doc_(doc) {}

  // Translates one record; a record too short for its fields raises
  // EMetafileFormat and is skipped by the caller.
  void Translate(const bytes::Reader& r, std::uint32_t sizeWords) {
    std::uint16_t func = r.U16(4);
    switch (func) {
      case META_SETBKMODE: Add(MakeU32Record(EMR_SETBKMODE, r.U16(6))); break;
      case META_SETMAPMODE: {
        // The placeable header fixes the picture's size: only the scaling
        // modes keep meaning inside it.
        std::uint16_t m = r.U16(6);
        if (m == MM_ISOTROPIC || m == MM_ANISOTROPIC) Add(MakeU32Record(EMR_SETMAPMODE, m));
        break;
      }
      case META_SETROP2: Add(MakeU32Record(EMR_SETROP2, r.U16(6))); break;
      case META_SETPOLYFILLMODE: Add(MakeU32Record(EMR_SETPOLYFILLMODE, r.U16(6))); break;
      case META_SETSTRETCHBLTMODE: Add(MakeU32Record(EMR_SETSTRETCHBLTMODE, r.U16(6))); break;
      case META_SETTEXTALIGN: Add(MakeU32Record(EMR_SETTEXTALIGN, r.U16(6))); break;
      case META_SETBKCOLOR: Add(MakeU32Record(EMR_SETBKCOLOR, r.U32(6) & 0xFFFFFF)); break;
      case META_SETTEXTCOLOR: Add(MakeU32Record(EMR_SETTEXTCOLOR, r.U32(6) & 0xFFFFFF)); break;
      case META_SETWINDOWORG: Add(MakePointRecord(EMR_SETWINDOWORGEX, r.I16(8), r.I16(6))); break;
      case META_SETWINDOWEXT: Add(MakePointRecord(EMR_SETWINDOWEXTEX, r.I16(8), r.I16(6))); break;
      case META_SETVIEWPORTORG: Add(MakePointRecord(EMR_SETVIEWPORTORGEX, r.I16(8), r.I16(6))); break;
      case META_SETVIEWPORTEXT: Add(MakePointRecord(EMR_SETVIEWPORTEXTEX, r.I16(8), r.I16(6))); break;
      case META_MOVETO: Add(MakePointRecord(EMR_MOVETOEX, r.I16(8), r.I16(6))); break;
      case META_LINETO: Add(MakePointRecord(EMR_LINETO, r.I16(8), r.I16(6))); break;
      case META_SAVEDC: Add(MakeSaveDC()); break;
      case META_RESTOREDC:
        Add(MakeU32Record(EMR_RESTOREDC, static_cast<std::uint32_t>(static_cast<std::int32_t>(r.I16(6)))));
        break;
      case META_CREATEPENINDIRECT: {
        LogPen pen;
        pen.style = r.U16(6);
        pen.width = r.I16(8);
        pen.color = r.U32(12) & 0xFFFFFF;
        Add(MakeCreatePen(Create(Kind::Pen) + 1, pen));
        break;
      }
      case META_CREATEBRUSHINDIRECT: {
        LogBrush brush;
        brush.style = r.U16(6);
        brush.color = r.U32(8) & 0xFFFFFF;
        brush.hatch = r.U16(12);
        if (brush.style > BS_HATCHED) brush.style = BS_SOLID;
        Add(MakeCreateBrush(Create(Kind::Brush) + 1, brush));
        break;
      }
      case META_CREATEFONTINDIRECT: {
        LogFont f;
        f.height = r.I16(6);
        f.width = r.I16(8);
        f.escapement = r.I16(10);
        f.orientation = r.I16(12);
        f.weight = r.I16(14);
        f.italic = r.U8(16);
        f.underline = r.U8(17);
        f.strikeOut = r.U8(18);
        f.charSet = r.U8(19);
        f.outPrecision = r.U8(20);
        f.clipPrecision = r.U8(21);
        f.quality = r.U8(22);
        f.pitchAndFamily = r.U8(23);
        std::string face;
        for (std::size_t i = 24; i < r.Size() && i < 24 + 32 && r.U8(i) != 0; ++i)
          face.push_back(static_cast<char>(r.U8(i)));
        f.faceName = rtl::AnsiToWide(face);
        std::size_t slot = Create(Kind::Font);
        objects_.charsets[slot] = f.charSet;
        Add(MakeCreateFont(slot + 1, f));
        break;
      }
      case META_CREATEPALETTE:
      case META_CREATEPATTERNBRUSH:
      case META_DIBCREATEPATTERNBRUSH:
      case META_CREATEREGION:
        // Objects we do not draw still take their slot, so later indices match.
        Create(Kind::Other);
        break;
      case META_SELECTOBJECT: {
        std::size_t slot = r.U16(6);
        Kind k = objects_.At(slot);
        if (k == Kind::Pen || k == Kind::Brush || k == Kind::Font) Add(MakeU32Record(EMR_SELECTOBJECT, slot + 1));
        if (k == Kind::Font) charset_ = objects_.charsets[slot];
        break;
      }
      case META_DELETEOBJECT: {
        std::size_t slot = r.U16(6);
        Kind k = objects_.At(slot);
        if (k == Kind::Free) break;
        if (k != Kind::Other) Add(MakeU32Record(EMR_DELETEOBJECT, slot + 1));
        objects_.kinds[slot] = Kind::Free;
        break;
      }
      case META_RECTANGLE: Add(MakeRectRecord(EMR_RECTANGLE, Ltrb(r, 6))); break;
      case META_ELLIPSE: Add(MakeRectRecord(EMR_ELLIPSE, Ltrb(r, 6))); break;
      case META_INTERSECTCLIPRECT: Add(MakeRectRecord(EMR_INTERSECTCLIPRECT, Ltrb(r, 6))); break;
      case META_EXCLUDECLIPRECT: Add(MakeRectRecord(EMR_EXCLUDECLIPRECT, Ltrb(r, 6))); break;
      case META_ROUNDRECT: Add(MakeRoundRect(Ltrb(r, 10), r.I16(8), r.I16(6))); break;
      case META_POLYGON:
      case META_POLYLINE: {
        std::vector<PointL> pts = Points(r, 8, r.U16(6));
        Add(MakePoly(func == META_POLYGON ? EMR_POLYGON16 : EMR_POLYLINE16, pts, Bounds(pts)));
        break;
      }
      case META_POLYPOLYGON: {
        std::size_t n = r.U16(6);
        std::size_t at = 8 + 2 * n;
        std::vector<std::vector<PointL>> polys;
        std::vector<PointL> all;
        for (std::size_t i = 0; i < n; ++i) {
          std::size_t count = r.U16(8 + 2 * i);
          polys.push_back(Points(r, at, count));
          at += 4 * count;
          all.insert(all.end(), polys.back().begin(), polys.back().end());
        }
        Add(MakePolyPolygon(polys, Bounds(all)));
        break;
      }
      case META_TEXTOUT: {
        std::size_t len = r.U16(6);
        std::string_view s = r.Slice(8, len);
        std::size_t at = 8 + (len + 1) / 2 * 2;
        PointL ref{r.I16(at + 2), r.I16(at)};
        Add(MakeExtTextOutW(RectL{0, 0, -1, -1}, ref, DecodeText(s, charset_), 0, RectL{}, {}));
        break;
      }
      case META_EXTTEXTOUT: {
        PointL ref{r.I16(8), r.I16(6)};
        std::size_t len = r.U16(10);
        std::uint32_t opts = r.U16(12) & (ETO_OPAQUE | ETO_CLIPPED);
        std::size_t at = 14;
        RectL rect;
        if (opts) {
          rect = RectL{r.I16(14), r.I16(16), r.I16(18), r.I16(20)};
          at = 22;
        }
        std::string_view s = r.Slice(at, len);
        at += (len + 1) / 2 * 2;
        std::vector<std::int32_t> dx;
        if (len > 0 && r.Has(at, 2 * len))
          for (std::size_t i = 0; i < len; ++i) dx.push_back(r.I16(at + 2 * i));
        Add(MakeExtTextOutW(RectL{0, 0, -1, -1}, ref, DecodeText(s, charset_), opts, rect, dx));
        break;
      }
      case META_ARC:
      case META_PIE:
      case META_CHORD: {
        std::uint32_t type = func == META_ARC ? EMR_ARC : func == META_PIE ? EMR_PIE : EMR_CHORD;
        Add(MakeArcRecord(type, Ltrb(r, 14), PointL{r.I16(12), r.I16(10)}, PointL{r.I16(8), r.I16(6)}));
        break;
      }
      case META_SETPIXEL: Add(MakeSetPixel(PointL{r.I16(12), r.I16(10)}, r.U32(6) & 0xFFFFFF)); break;
      case META_PATBLT: {
        RectL d = Xywh(r.I16(16), r.I16(14), r.I16(12), r.I16(10));
        Add(MakePatBlt(d, d, r.U32(6)));
        break;
      }
      case META_STRETCHDIB: {
        if (r.U16(10) != DIB_RGB_COLORS) break;  // palette-index colour tables are not kept
        Dib(r, 28, r.U32(6), Xywh(r.I16(26), r.I16(24), r.I16(22), r.I16(20)),
            SourceRect{r.I16(18), r.I16(16), r.I16(14), r.I16(12)});
        break;
      }
      case META_DIBSTRETCHBLT:
        if (sizeWords == (func >> 8) + 3u) {
          RectL d = Xywh(r.I16(26), r.I16(24), r.I16(22), r.I16(20));
          Add(MakePatBlt(d, d, r.U32(6)));
        } else {
          Dib(r, 26, r.U32(6), Xywh(r.I16(24), r.I16(22), r.I16(20), r.I16(18)),
              SourceRect{r.I16(16), r.I16(14), r.I16(12), r.I16(10)});
        }
        break;
      case META_DIBBITBLT:
        if (sizeWords == (func >> 8) + 3u) {
          RectL d = Xywh(r.I16(22), r.I16(20), r.I16(18), r.I16(16));
          Add(MakePatBlt(d, d, r.U32(6)));
        } else {
          std::int16_t w = r.I16(16), h = r.I16(14);
          Dib(r, 22, r.U32(6), Xywh(r.I16(20), r.I16(18), w, h), SourceRect{r.I16(12), r.I16(10), w, h});
        }
        break;
      default: break;  // records this system does not draw
    }
  }

 private:
  void Add(Record rec) { doc_.records.push_back(std::move(rec)); }
  std::size_t Create(Kind kind) { return objects_.Allocate(kind); }

  static RectL Ltrb(const bytes::Reader& r, std::size_t at) {
    // WMF stores bottom, right, top, left.
    return RectL{r.I16(at + 6), r.I16(at + 4), r.I16(at + 2), r.I16(at)};
  }
  static RectL Xywh(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) { return {x, y, x + w, y + h}; }
  static std::vector<PointL> Points(const bytes::Reader& r, std::size_t at, std::size_t n) {
    r.Need(at, 4 * n);
    std::vector<PointL> pts(n);
    for (std::size_t i = 0; i < n; ++i) pts[i] = {r.I16(at + 4 * i), r.I16(at + 4 * i + 2)};
    return pts;
  }
  static RectL Bounds(const std::vector<PointL>& pts) {
    if (pts.empty()) return {0, 0, -1, -1};
    RectL b{pts[0].x, pts[0].y, pts[0].x, pts[0].y};
    for (const PointL& p : pts) {
      b.left = std::min(b.left, p.x);
      b.top = std::min(b.top, p.y);
      b.right = std::max(b.right, p.x);
      b.bottom = std::max(b.bottom, p.y);
    }
    return b;
  }
  void Dib(const bytes::Reader& r, std::size_t at, std::uint32_t rop, const RectL& dest, const SourceRect& src) {
    std::string_view bmi, bits;
    if (at > r.Size() || !dib::SplitPacked(r.View().substr(at), &bmi, &bits)) return;
    Add(MakeStretchDIBits(dest, dest, src, bmi, bits, rop));
  }

  emf::Document& doc_;
  ObjectTable objects_;
  std::uint8_t charset_ = DEFAULT_CHARSET;
};

// ---- writing -------------------------------------------------------------

class RecordWriter {
 public:
  explicit RecordWriter(std::uint16_t func) {
    w_.U32(0);
    w_.U16(func);
  }
  bytes::Writer& W() { return w_; }
  std::string Finish() {
    w_.Align(2);
    w_.PutU32At(0, static_cast<std::uint32_t>(w_.Size() / 2));
    return w_.Take();
  }

 private:
  bytes::Writer w_;
};

class WmfWriter {
 public:
  WmfWriter(const emf::Document& doc, std::uint16_t inch) : doc_(doc) {
    const Header& h = doc.header;
    map_.ppiX = h.PpiX();
    map_.ppiY = h.PpiY();
    double fw = h.FrameWidthPx(), fh = h.FrameHeightPx();
    originX_ = h.FrameLeftPx();
    originY_ = h.FrameTopPx();
    if (fw <= 0 || fh <= 0) {  // no frame: the drawn bounds stand for it
      originX_ = h.bounds.left;
      originY_ = h.bounds.top;
      fw = double(h.bounds.right) - h.bounds.left + 1;
      fh = double(h.bounds.bottom) - h.bounds.top + 1;
    }
    fw = std::max(fw, 1.0);
    fh = std::max(fh, 1.0);
    double in = inch ? inch : 96;
    // 16-bit coordinates: lower the resolution when the picture would not fit.
    double largest = std::max(fw * in / map_.ppiX, fh * in / map_.ppiY);
    if (largest > 32000) in = std::max(1.0, std::floor(in * 32000 / largest));
    inch_ = static_cast<std::uint16_t>(in);
    sx_ = inch_ / map_.ppiX;
    sy_ = inch_ / map_.ppiY;
    width_ = static_cast<std::int16_t>(std::lround(fw * sx_));
    height_ = static_cast<std::int16_t>(std::lround(fh * sy_));
  }

  std::string Write() {
    Emit1(META_SETMAPMODE, MM_ANISOTROPIC);
    EmitXY(META_SETWINDOWORG, 0, 0);
    EmitXY(META_SETWINDOWEXT, width_, height_);
    for (const Record& rec : doc_.records) {
      try {
        Convert(rec);
      } catch (const EMetafileFormat&) {
        // A damaged record is left out, as playback would skip it.
      }
    }
    RecordWriter eof(META_EOF);
    records_.push_back(eof.Finish());
    return Assemble();
  }

 private:
  // Logical EMF coordinates to WMF units.
  // (A turning world transform keeps only its scale and offset here: WMF
  // records are axis-aligned.)
  std::int16_t X(double x) const { return Clamp((map_.X(x * map_.w11 + map_.wdx) - originX_) * sx_); }
  std::int16_t Y(double y) const { return Clamp((map_.Y(y * map_.w22 + map_.wdy) - originY_) * sy_); }
  std::int16_t LenX(double v) const { return Clamp(v * std::fabs(map_.ScaleX() * map_.w11) * sx_); }
  std::int16_t LenY(double v) const { return Clamp(v * std::fabs(map_.ScaleY() * map_.w22) * sy_); }
  static std::int16_t Clamp(double v) {
    return static_cast<std::int16_t>(std::clamp<double>(std::lround(v), -32768.0, 32767.0));
  }

  void Emit1(std::uint16_t func, std::uint16_t v) {
    RecordWriter w(func);
    w.W().U16(v);
    records_.push_back(w.Finish());
  }
  void EmitColor(std::uint16_t func, std::uint32_t c) {
    RecordWriter w(func);
    w.W().U32(c);
    records_.push_back(w.Finish());
  }
  void EmitXY(std::uint16_t func, std::int16_t x, std::int16_t y) {
    RecordWriter w(func);
    w.W().I16(y);
    w.W().I16(x);
    records_.push_back(w.Finish());
  }
  void EmitRect(std::uint16_t func, const RectL& r) {
    RecordWriter w(func);
    w.W().I16(Y(r.bottom));
    w.W().I16(X(r.right));
    w.W().I16(Y(r.top));
    w.W().I16(X(r.left));
    records_.push_back(w.Finish());
  }
  void EmitPoly(std::uint16_t func, const std::vector<PointL>& pts) {
    if (pts.empty() || pts.size() > 0x7FFF) return;
    RecordWriter w(func);
    w.W().U16(static_cast<std::uint16_t>(pts.size()));
    for (const PointL& p : pts) {
      w.W().I16(X(p.x));
      w.W().I16(Y(p.y));
    }
    records_.push_back(w.Finish());
  }

  std::size_t AllocateSlot() {
    auto it = std::find(used_.begin(), used_.end(), false);
    if (it != used_.end()) {
      *it = true;
      return static_cast<std::size_t>(it - used_.begin());
    }
    used_.push_back(true);
    return used_.size() - 1;
  }

  void CreatePen(const LogPen& pen) {
    RecordWriter w(META_CREATEPENINDIRECT);
    w.W().U16(static_cast<std::uint16_t>(pen.style & 0xFFFF));
    w.W().I16(pen.width > 0 ? std::max<std::int16_t>(LenX(pen.width), 1) : 0);
    w.W().I16(0);
    w.W().U32(pen.color & 0xFFFFFF);
    records_.push_back(w.Finish());
  }
  void CreateBrush(const LogBrush& b) {
    RecordWriter w(META_CREATEBRUSHINDIRECT);
    w.W().U16(static_cast<std::uint16_t>(b.style));
    w.W().U32(b.color & 0xFFFFFF);
    w.W().U16(static_cast<std::uint16_t>(b.hatch));
    records_.push_back(w.Finish());
  }
  void CreateFont(const LogFont& f) {
    RecordWriter w(META_CREATEFONTINDIRECT);
    bytes::Writer& o = w.W();
    o.I16(f.height < 0 ? static_cast<std::int16_t>(-LenY(-double(f.height))) : LenY(f.height));
    o.I16(LenX(f.width));
    o.I16(static_cast<std::int16_t>(f.escapement));
    o.I16(static_cast<std::int16_t>(f.orientation));
    o.I16(static_cast<std::int16_t>(f.weight));
    o.U8(f.italic);
    o.U8(f.underline);
    o.U8(f.strikeOut);
    // 8-bit text in this system is 1251; say so, so readers decode it right.
    o.U8(f.charSet == ANSI_CHARSET || f.charSet == DEFAULT_CHARSET ? std::uint8_t{RUSSIAN_CHARSET} : f.charSet);
    o.U8(f.outPrecision);
    o.U8(f.clipPrecision);
    o.U8(f.quality);
    o.U8(f.pitchAndFamily);
    std::string face = rtl::WideToAnsi(f.faceName).substr(0, 31);
    o.Bytes(face);
    o.Zeros(32 - face.size());
    records_.push_back(w.Finish());
  }

  // Stock objects have no WMF form: an equal object is made once and reused.
  void SelectStock(std::uint32_t id) {
    auto it = stockSlots_.find(id);
    if (it == stockSlots_.end()) {
      std::size_t slot = AllocateSlot();
      if (id >= WHITE_BRUSH && id <= NULL_BRUSH) {
        static constexpr std::uint32_t kGreys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
        CreateBrush(id == NULL_BRUSH ? LogBrush{BS_NULL, 0, 0} : LogBrush{BS_SOLID, kGreys[id - WHITE_BRUSH], 0});
      } else if (id == DC_BRUSH) {
        CreateBrush(LogBrush{BS_SOLID, 0xFFFFFF, 0});
      } else if (id >= WHITE_PEN && id <= NULL_PEN) {
        CreatePen(id == NULL_PEN ? LogPen{PS_NULL, 0, 0, {}}
                                 : LogPen{PS_SOLID, 0, id == WHITE_PEN ? 0xFFFFFFu : 0u, {}});
      } else if (id == DC_PEN) {
        CreatePen(LogPen{PS_SOLID, 0, 0, {}});
      } else if (id >= OEM_FIXED_FONT && id <= DEFAULT_GUI_FONT && id != DEFAULT_PALETTE) {
        LogFont f;
        f.faceName =
            (id == OEM_FIXED_FONT || id == ANSI_FIXED_FONT || id == SYSTEM_FIXED_FONT) ? u"Courier New" : u"Arial";
        f.height = -13;
        CreateFont(f);
      } else {
        used_[slot] = false;
        return;
      }
      it = stockSlots_.emplace(id, slot).first;
    }
    if (id >= OEM_FIXED_FONT && id <= DEFAULT_GUI_FONT) charset_ = DEFAULT_CHARSET;
    Emit1(META_SELECTOBJECT, static_cast<std::uint16_t>(it->second));
  }

  void Forget(std::uint32_t index) {
    auto it = slots_.find(index);
    if (it == slots_.end()) return;
    Emit1(META_DELETEOBJECT, static_cast<std::uint16_t>(it->second));
    used_[it->second] = false;
    slots_.erase(it);
    fontCharsets_.erase(index);
  }

  static std::vector<PointL> FlattenBezier(PointL start, const std::vector<PointL>& pts) {
    std::vector<PointL> out{start};
    for (std::size_t i = 0; i + 2 < pts.size(); i += 3) {
      PointL p0 = out.back(), c1 = pts[i], c2 = pts[i + 1], p3 = pts[i + 2];
      for (int k = 1; k <= 16; ++k) {
        double t = k / 16.0, u = 1 - t;
        double x = u * u * u * p0.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x + t * t * t * p3.x;
        double y = u * u * u * p0.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y + t * t * t * p3.y;
        out.push_back({static_cast<std::int32_t>(std::lround(x)), static_cast<std::int32_t>(std::lround(y))});
      }
    }
    return out;
  }

  void Text(const Record& rec) {
    emf::TextOut t = DecodeExtTextOut(rec);
    std::string s = EncodeText(t.text, charset_).substr(0, 0x7FFF);
    RecordWriter w(META_EXTTEXTOUT);
    bytes::Writer& o = w.W();
    o.I16(Y(t.reference.y));
    o.I16(X(t.reference.x));
    o.U16(static_cast<std::uint16_t>(s.size()));
    std::uint16_t opts = static_cast<std::uint16_t>(t.options & (ETO_OPAQUE | ETO_CLIPPED));
    o.U16(opts);
    if (opts) {
      o.I16(X(t.rect.left));
      o.I16(Y(t.rect.top));
      o.I16(X(t.rect.right));
      o.I16(Y(t.rect.bottom));
    }
    o.Bytes(s);
    o.Align(2);
    if (!t.dx.empty()) {
      // Rounded cumulative positions keep the line's length exact.
      double sum = 0;
      std::int32_t prev = 0;
      for (std::size_t i = 0; i < s.size(); ++i) {
        sum += t.dx[i];
        std::int32_t pos = LenX(sum);
        o.I16(static_cast<std::int16_t>(pos - prev));
        prev = pos;
      }
    }
    records_.push_back(w.Finish());
  }

  void Bitmap(const Record& rec) {
    emf::Blit b = DecodeBlit(rec);
    std::int16_t x1 = X(b.xDest), y1 = Y(b.yDest), x2 = X(double(b.xDest) + b.cxDest),
                 y2 = Y(double(b.yDest) + b.cyDest);
    if (b.bmi.empty()) {
      RecordWriter w(META_PATBLT);
      w.W().U32(b.rop);
      w.W().I16(static_cast<std::int16_t>(y2 - y1));
      w.W().I16(static_cast<std::int16_t>(x2 - x1));
      w.W().I16(y1);
      w.W().I16(x1);
      records_.push_back(w.Finish());
      return;
    }
    RecordWriter w(META_STRETCHDIB);
    bytes::Writer& o = w.W();
    o.U32(b.rop);
    o.U16(DIB_RGB_COLORS);
    o.I16(static_cast<std::int16_t>(b.cySrc));
    o.I16(static_cast<std::int16_t>(b.cxSrc));
    o.I16(static_cast<std::int16_t>(b.ySrc));
    o.I16(static_cast<std::int16_t>(b.xSrc));
    o.I16(static_cast<std::int16_t>(y2 - y1));
    o.I16(static_cast<std::int16_t>(x2 - x1));
    o.I16(y1);
    o.I16(x1);
    o.Bytes(b.bmi);
    o.Bytes(b.bits);
    records_.push_back(w.Finish());
  }

  void Convert(const Record& rec) {
    bytes::Reader r = rec.Body();
    std::uint32_t type = rec.Type();
    if (map_.Apply(rec)) return;  // the mapping is folded into the coordinates
    switch (type) {
      case EMR_SETBKMODE: Emit1(META_SETBKMODE, static_cast<std::uint16_t>(r.U32(8))); break;
      case EMR_SETPOLYFILLMODE: Emit1(META_SETPOLYFILLMODE, static_cast<std::uint16_t>(r.U32(8))); break;
      case EMR_SETROP2: Emit1(META_SETROP2, static_cast<std::uint16_t>(r.U32(8))); break;
      case EMR_SETSTRETCHBLTMODE: Emit1(META_SETSTRETCHBLTMODE, static_cast<std::uint16_t>(r.U32(8))); break;
      case EMR_SETTEXTALIGN: Emit1(META_SETTEXTALIGN, static_cast<std::uint16_t>(r.U32(8))); break;
      case EMR_SETTEXTCOLOR: EmitColor(META_SETTEXTCOLOR, r.U32(8)); break;
      case EMR_SETBKCOLOR: EmitColor(META_SETBKCOLOR, r.U32(8)); break;
      case EMR_SAVEDC:
        saved_.push_back(State{map_, charset_});
        records_.push_back(RecordWriter(META_SAVEDC).Finish());
        break;
      case EMR_RESTOREDC: {
        std::int64_t n = r.I32(8);
        std::int64_t depth = static_cast<std::int64_t>(saved_.size());
        std::int64_t keep = n < 0 ? depth + n : n - 1;
        if (n != 0 && keep >= 0 && keep < depth) {
          map_ = saved_[static_cast<std::size_t>(keep)].map;
          charset_ = saved_[static_cast<std::size_t>(keep)].charset;
          saved_.resize(static_cast<std::size_t>(keep));
          RecordWriter w(META_RESTOREDC);
          w.W().I16(static_cast<std::int16_t>(keep - depth));  // relative, as readers expect
          records_.push_back(w.Finish());
        }
        break;
      }
      case EMR_CREATEPEN:
      case EMR_EXTCREATEPEN: {
        std::uint32_t index;
        LogPen pen = DecodeCreatePen(rec, &index);
        Forget(index);
        std::size_t slot = AllocateSlot();
        CreatePen(pen);
        slots_[index] = slot;
        break;
      }
      case EMR_CREATEBRUSHINDIRECT: {
        std::uint32_t index;
        LogBrush b = DecodeCreateBrush(rec, &index);
        if (b.style > BS_HATCHED) b.style = BS_SOLID;
        Forget(index);
        std::size_t slot = AllocateSlot();
        CreateBrush(b);
        slots_[index] = slot;
        break;
      }
      case EMR_EXTCREATEFONTINDIRECTW: {
        std::uint32_t index;
        LogFont f = DecodeCreateFont(rec, &index);
        Forget(index);
        std::size_t slot = AllocateSlot();
        CreateFont(f);
        slots_[index] = slot;
        fontCharsets_[index] = f.charSet;
        break;
      }
      case EMR_SELECTOBJECT: {
        std::uint32_t index = r.U32(8);
        if (index & STOCK_FLAG) {
          SelectStock(index);
        } else if (auto it = slots_.find(index); it != slots_.end()) {
          Emit1(META_SELECTOBJECT, static_cast<std::uint16_t>(it->second));
          if (auto cs = fontCharsets_.find(index); cs != fontCharsets_.end()) charset_ = cs->second;
        }
        break;
      }
      case EMR_DELETEOBJECT: Forget(r.U32(8)); break;
      case EMR_MOVETOEX:
        current_ = {r.I32(8), r.I32(12)};
        EmitXY(META_MOVETO, X(current_.x), Y(current_.y));
        break;
      case EMR_LINETO:
        current_ = {r.I32(8), r.I32(12)};
        EmitXY(META_LINETO, X(current_.x), Y(current_.y));
        break;
      case EMR_RECTANGLE: EmitRect(META_RECTANGLE, RectL{r.I32(8), r.I32(12), r.I32(16), r.I32(20)}); break;
      case EMR_ELLIPSE: EmitRect(META_ELLIPSE, RectL{r.I32(8), r.I32(12), r.I32(16), r.I32(20)}); break;
      case EMR_INTERSECTCLIPRECT:
        EmitRect(META_INTERSECTCLIPRECT, RectL{r.I32(8), r.I32(12), r.I32(16), r.I32(20)});
        break;
      case EMR_EXCLUDECLIPRECT: EmitRect(META_EXCLUDECLIPRECT, RectL{r.I32(8), r.I32(12), r.I32(16), r.I32(20)}); break;
      case EMR_ARC:
      case EMR_CHORD:
      case EMR_PIE: {
        RecordWriter w(type == EMR_ARC ? META_ARC : type == EMR_PIE ? META_PIE : META_CHORD);
        w.W().I16(Y(r.I32(36)));
        w.W().I16(X(r.I32(32)));
        w.W().I16(Y(r.I32(28)));
        w.W().I16(X(r.I32(24)));
        w.W().I16(Y(r.I32(20)));
        w.W().I16(X(r.I32(16)));
        w.W().I16(Y(r.I32(12)));
        w.W().I16(X(r.I32(8)));
        records_.push_back(w.Finish());
        break;
      }
      case EMR_SETPIXELV: {
        RecordWriter w(META_SETPIXEL);
        w.W().U32(r.U32(16) & 0xFFFFFF);
        w.W().I16(Y(r.I32(12)));
        w.W().I16(X(r.I32(8)));
        records_.push_back(w.Finish());
        break;
      }
      case EMR_EXTSELECTCLIPRGN: {
        ClipRegion c = DecodeSelectClip(rec);
        if (c.rects.empty()) break;
        RectL b = c.rects.front();
        for (const RectL& rc : c.rects) {
          b.left = std::min(b.left, rc.left);
          b.top = std::min(b.top, rc.top);
          b.right = std::max(b.right, rc.right);
          b.bottom = std::max(b.bottom, rc.bottom);
        }
        // Region rectangles are device units of the reference device.
        RecordWriter w(META_INTERSECTCLIPRECT);
        w.W().I16(Clamp((b.bottom - originY_) * sy_));
        w.W().I16(Clamp((b.right - originX_) * sx_));
        w.W().I16(Clamp((b.top - originY_) * sy_));
        w.W().I16(Clamp((b.left - originX_) * sx_));
        records_.push_back(w.Finish());
        break;
      }
      case EMR_ROUNDRECT: {
        RecordWriter w(META_ROUNDRECT);
        w.W().I16(LenY(r.I32(28)));
        w.W().I16(LenX(r.I32(24)));
        w.W().I16(Y(r.I32(20)));
        w.W().I16(X(r.I32(16)));
        w.W().I16(Y(r.I32(12)));
        w.W().I16(X(r.I32(8)));
        records_.push_back(w.Finish());
        break;
      }
      case EMR_POLYGON:
      case EMR_POLYGON16: EmitPoly(META_POLYGON, DecodePoly(rec)); break;
      case EMR_POLYLINE:
      case EMR_POLYLINE16: {
        std::vector<PointL> pts = DecodePoly(rec);
        EmitPoly(META_POLYLINE, pts);
        break;
      }
      case EMR_POLYLINETO:
      case EMR_POLYLINETO16: {
        std::vector<PointL> pts = DecodePoly(rec);
        if (pts.empty()) break;
        pts.insert(pts.begin(), current_);
        current_ = pts.back();
        EmitPoly(META_POLYLINE, pts);
        EmitXY(META_MOVETO, X(current_.x), Y(current_.y));
        break;
      }
      case EMR_POLYBEZIER:
      case EMR_POLYBEZIER16: {
        std::vector<PointL> pts = DecodePoly(rec);
        if (pts.empty()) break;
        PointL start = pts.front();
        pts.erase(pts.begin());
        EmitPoly(META_POLYLINE, FlattenBezier(start, pts));
        break;
      }
      case EMR_POLYBEZIERTO:
      case EMR_POLYBEZIERTO16: {
        std::vector<PointL> flat = FlattenBezier(current_, DecodePoly(rec));
        current_ = flat.back();
        EmitPoly(META_POLYLINE, flat);
        EmitXY(META_MOVETO, X(current_.x), Y(current_.y));
        break;
      }
      case EMR_POLYPOLYGON:
      case EMR_POLYPOLYGON16: {
        auto polys = DecodePolyPoly(rec);
        RecordWriter w(META_POLYPOLYGON);
        w.W().U16(static_cast<std::uint16_t>(polys.size()));
        for (const auto& p : polys) w.W().U16(static_cast<std::uint16_t>(p.size()));
        for (const auto& p : polys)
          for (const PointL& pt : p) {
            w.W().I16(X(pt.x));
            w.W().I16(Y(pt.y));
          }
        records_.push_back(w.Finish());
        break;
      }
      case EMR_POLYPOLYLINE:
      case EMR_POLYPOLYLINE16:
        for (const auto& p : DecodePolyPoly(rec)) EmitPoly(META_POLYLINE, p);
        break;
      case EMR_EXTTEXTOUTW:
      case EMR_EXTTEXTOUTA: Text(rec); break;
      case EMR_BITBLT:
      case EMR_STRETCHBLT:
      case EMR_STRETCHDIBITS: Bitmap(rec); break;
      default: break;
    }
  }

  std::string Assemble() {
    bytes::Writer w;
    w.U32(kPlaceableKey);
    w.U16(0);
    w.I16(0);
    w.I16(0);
    w.I16(width_);
    w.I16(height_);
    w.U16(inch_);
    w.U32(0);
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < 20; i += 2)
      sum ^= static_cast<std::uint16_t>(static_cast<unsigned char>(w.Data()[i]) |
                                        (static_cast<unsigned char>(w.Data()[i + 1]) << 8));
    w.U16(sum);

    std::uint32_t words = kMetaHeaderSize / 2, largest = 0;
    for (const std::string& rec : records_) {
      words += static_cast<std::uint32_t>(rec.size() / 2);
      largest = std::max<std::uint32_t>(largest, static_cast<std::uint32_t>(rec.size() / 2));
    }
    w.U16(1);  // in memory
    w.U16(9);
    w.U16(0x0300);
    w.U32(words);
    w.U16(static_cast<std::uint16_t>(std::min<std::size_t>(used_.size(), 0xFFFF)));
    w.U32(largest);
    w.U16(0);
    for (const std::string& rec : records_) w.Bytes(rec);
    return w.Take();
  }

  struct State {
    Mapping map;
    std::uint8_t charset;
  };

  const emf::Document& doc_;
  Mapping map_;
  double originX_ = 0, originY_ = 0, sx_ = 1, sy_ = 1;
  std::int16_t width_ = 0, height_ = 0;
  std::uint16_t inch_ = 96;
  std::vector<std::string> records_;
  std::vector<bool> used_;
  std::map<std::uint32_t, std::size_t> slots_;
  std::map<std::uint32_t, std::size_t> stockSlots_;
  std::map<std::uint32_t, std::uint8_t> fontCharsets_;
  std::uint8_t charset_ = DEFAULT_CHARSET;
  std::vector<State> saved_;
  PointL current_;
};

}  // namespace

bool LooksLikePlaceable(std::string_view data) {
  bytes::Reader r(data);
  return r.Has(0, 4) && r.U32(0) == kPlaceableKey;
}

emf::Document ToEmf(std::string_view data, std::uint16_t* inch) {
  bytes::Reader r(data);
  if (!r.Has(0, kPlaceableSize + kMetaHeaderSize) || !LooksLikePlaceable(data))
    throw EMetafileFormat("Not a placeable Windows metafile");
  std::int32_t left = r.I16(6), top = r.I16(8), right = r.I16(10), bottom = r.I16(12);
  std::uint16_t units = r.U16(14);
  if (units == 0) units = 96;
  std::uint16_t type = r.U16(kPlaceableSize);
  if ((type != 1 && type != 2) || r.U16(kPlaceableSize + 2) != 9)
    throw EMetafileFormat("Windows metafile header is damaged");

  emf::Document doc;
  Header& h = doc.header;
  h.device = Header::DeviceForPpi(96);
  h.millimeters = {508, 381};
  std::int32_t w = std::abs(right - left), hgt = std::abs(bottom - top);
  std::int32_t devW = static_cast<std::int32_t>(std::lround(w * 96.0 / units));
  std::int32_t devH = static_cast<std::int32_t>(std::lround(hgt * 96.0 / units));
  h.frame = {0, 0, static_cast<std::int32_t>(std::lround(w * 2540.0 / units)),
             static_cast<std::int32_t>(std::lround(hgt * 2540.0 / units))};
  h.bounds = {0, 0, devW - 1, devH - 1};
  // The bounding box maps onto the frame; the file's own window records
  // refine that.
  doc.records.push_back(MakeU32Record(EMR_SETMAPMODE, MM_ANISOTROPIC));
  doc.records.push_back(MakePointRecord(EMR_SETWINDOWORGEX, std::min(left, right), std::min(top, bottom)));
  doc.records.push_back(MakePointRecord(EMR_SETWINDOWEXTEX, std::max(w, 1), std::max(hgt, 1)));
  doc.records.push_back(MakePointRecord(EMR_SETVIEWPORTORGEX, 0, 0));
  doc.records.push_back(MakePointRecord(EMR_SETVIEWPORTEXTEX, std::max(devW, 1), std::max(devH, 1)));

  WmfReader reader(doc);
  std::size_t off = kPlaceableSize + kMetaHeaderSize;
  for (;;) {
    if (!r.Has(off, 6)) throw EMetafileFormat("Windows metafile is truncated");
    std::uint64_t words = r.U32(off);
    std::uint16_t func = r.U16(off + 4);
    if (words < 3 || words * 2 > data.size() - off) throw EMetafileFormat("Windows metafile record size is damaged");
    if (func == META_EOF) break;
    bytes::Reader rec(data.substr(off, static_cast<std::size_t>(words * 2)));
    try {
      reader.Translate(rec, static_cast<std::uint32_t>(words));
    } catch (const EMetafileFormat&) {
      // A record too short for its fields is skipped.
    }
    off += static_cast<std::size_t>(words * 2);
  }
  *inch = units;
  return doc;
}

std::string FromEmf(const emf::Document& doc, std::uint16_t inch) { return WmfWriter(doc, inch).Write(); }

}  // namespace gfx::wmf
