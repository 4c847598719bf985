#include "platform/gfx/emf_format.h"

#include <algorithm>
#include <limits>

#include "platform/rtl/strings.h"

namespace gfx::emf {

namespace {

constexpr std::size_t kHeaderSize = 108;  // with both header extensions
constexpr std::size_t kBaseHeaderSize = 88;

RectL ReadRect(const bytes::Reader& r, std::size_t off) {
  return {r.I32(off), r.I32(off + 4), r.I32(off + 8), r.I32(off + 12)};
}

void WriteRect(bytes::Writer& w, const RectL& rc) {
  w.I32(rc.left);
  w.I32(rc.top);
  w.I32(rc.right);
  w.I32(rc.bottom);
}

std::u16string ReadUtf16(const bytes::Reader& r, std::size_t off, std::size_t count) {
  r.Need(off, count * 2);
  std::u16string s(count, u'\0');
  for (std::size_t i = 0; i < count; ++i) s[i] = static_cast<char16_t>(r.U16(off + 2 * i));
  return s;
}

std::uint32_t Type32For16(std::uint32_t type16) {
  switch (type16) {
    case EMR_POLYBEZIER16: return EMR_POLYBEZIER;
    case EMR_POLYGON16: return EMR_POLYGON;
    case EMR_POLYLINE16: return EMR_POLYLINE;
    case EMR_POLYBEZIERTO16: return EMR_POLYBEZIERTO;
    case EMR_POLYLINETO16: return EMR_POLYLINETO;
    default: return type16;
  }
}

bool Is16BitPoly(std::uint32_t type) { return type >= EMR_POLYBEZIER16 && type <= EMR_POLYPOLYGON16; }

bool FitsIn16(std::int32_t v) { return v >= -32768 && v <= 32767; }

}  // namespace

bool LooksLikeEmf(std::string_view data) {
  bytes::Reader r(data);
  return r.Has(0, kSignatureOffset + 4) && r.U32(0) == EMR_HEADER && r.U32(kSignatureOffset) == kSignature;
}

Document Document::Parse(std::string_view data) {
  bytes::Reader r(data);
  if (data.size() < kBaseHeaderSize || !LooksLikeEmf(data)) throw EMetafileFormat("Not an enhanced metafile");
  std::uint32_t headerSize = r.U32(4);
  if (headerSize < kBaseHeaderSize || headerSize > data.size() || headerSize % 4 != 0)
    throw EMetafileFormat("Enhanced metafile header is damaged");

  Document doc;
  Header& h = doc.header;
  h.bounds = ReadRect(r, 8);
  h.frame = ReadRect(r, 24);
  std::uint32_t nDescription = r.U32(60);
  std::uint32_t offDescription = r.U32(64);
  h.device = {r.I32(72), r.I32(76)};
  h.millimeters = {r.I32(80), r.I32(84)};
  if (h.device.cx <= 0 || h.device.cy <= 0 || h.millimeters.cx <= 0 || h.millimeters.cy <= 0) {
    h.device = Header::DeviceForPpi(96);
    h.millimeters = {508, 381};
  }
  // A description that does not lie inside the header record is ignored.
  if (nDescription > 0 && offDescription >= kBaseHeaderSize && offDescription < headerSize &&
      nDescription <= (headerSize - offDescription) / 2) {
    h.description = ReadUtf16(r, offDescription, nDescription);
  }

  std::size_t off = headerSize;
  bool sawEof = false;
  while (off < data.size()) {
    if (!r.Has(off, 8)) throw EMetafileFormat("Enhanced metafile is truncated");
    std::uint32_t type = r.U32(off);
    std::uint32_t size = r.U32(off + 4);
    if (size < 8 || size > data.size() - off) throw EMetafileFormat("Enhanced metafile record size is damaged");
    if (type == EMR_EOF) {
      sawEof = true;
      break;
    }
    if (type != EMR_HEADER) doc.records.push_back(Record{std::string(data.substr(off, size))});
    off += size;
  }
  if (!sawEof) throw EMetafileFormat("Enhanced metafile is truncated");
  return doc;
}

std::uint32_t Document::HandleCount() const {
  std::uint32_t count = 1;  // index 0 is the metafile itself
  for (const Record& rec : records) {
    std::uint32_t t = rec.Type();
    if (t == EMR_CREATEPEN || t == EMR_EXTCREATEPEN || t == EMR_CREATEBRUSHINDIRECT ||
        t == EMR_EXTCREATEFONTINDIRECTW) {
      bytes::Reader r = rec.Body();
      if (r.Has(8, 4)) count = std::max(count, std::min<std::uint32_t>(r.U32(8), 0xFFFE) + 1);
    }
  }
  return count;
}

std::string Document::Serialize() const {
  bytes::Writer w;
  std::u16string desc = header.description;
  if (!desc.empty() && desc.back() != u'\0') desc.push_back(u'\0');
  std::size_t headerBytes = kHeaderSize + (desc.size() * 2 + 3) / 4 * 4;

  w.U32(EMR_HEADER);
  w.U32(static_cast<std::uint32_t>(headerBytes));
  WriteRect(w, header.bounds);
  WriteRect(w, header.frame);
  w.U32(kSignature);
  w.U32(kVersion);
  std::size_t nBytesAt = w.Size();
  w.U32(0);  // nBytes, filled in below
  w.U32(static_cast<std::uint32_t>(records.size() + 2));
  w.U16(static_cast<std::uint16_t>(std::min<std::uint32_t>(HandleCount(), 0xFFFF)));
  w.U16(0);
  w.U32(static_cast<std::uint32_t>(desc.size()));
  w.U32(desc.empty() ? 0 : static_cast<std::uint32_t>(kHeaderSize));
  w.U32(0);  // palette entries
  w.I32(header.device.cx);
  w.I32(header.device.cy);
  w.I32(header.millimeters.cx);
  w.I32(header.millimeters.cy);
  w.U32(0);  // pixel format size, offset, OpenGL flag
  w.U32(0);
  w.U32(0);
  w.I32(header.millimeters.cx * 1000);
  w.I32(header.millimeters.cy * 1000);
  for (char16_t c : desc) w.U16(c);
  w.Align(4);

  for (const Record& rec : records) w.Bytes(rec.bytes);

  w.U32(EMR_EOF);
  w.U32(20);
  w.U32(0);
  w.U32(16);
  w.U32(20);
  w.PutU32At(nBytesAt, static_cast<std::uint32_t>(w.Size()));
  return w.Take();
}

// ---- makers ---------------------------------------------------------------

Record MakeU32Record(std::uint32_t type, std::uint32_t value) {
  RecordBuilder b(type);
  b.W().U32(value);
  return b.Finish();
}

Record MakePointRecord(std::uint32_t type, std::int32_t x, std::int32_t y) {
  RecordBuilder b(type);
  b.W().I32(x);
  b.W().I32(y);
  return b.Finish();
}

Record MakeRectRecord(std::uint32_t type, const RectL& r) {
  RecordBuilder b(type);
  WriteRect(b.W(), r);
  return b.Finish();
}

Record MakeRoundRect(const RectL& r, std::int32_t cx, std::int32_t cy) {
  RecordBuilder b(EMR_ROUNDRECT);
  WriteRect(b.W(), r);
  b.W().I32(cx);
  b.W().I32(cy);
  return b.Finish();
}

Record MakeSaveDC() { return RecordBuilder(EMR_SAVEDC).Finish(); }

namespace {
void WriteXForm(bytes::Writer& w, const XForm& x) {
  for (float f : {x.m11, x.m12, x.m21, x.m22, x.dx, x.dy}) w.F32(f);
}
}  // namespace

Record MakeSetWorldTransform(const XForm& x) {
  RecordBuilder b(EMR_SETWORLDTRANSFORM);
  WriteXForm(b.W(), x);
  return b.Finish();
}

Record MakeModifyWorldTransform(const XForm& x, std::uint32_t mode) {
  RecordBuilder b(EMR_MODIFYWORLDTRANSFORM);
  WriteXForm(b.W(), x);
  b.W().U32(mode);
  return b.Finish();
}

Record MakeArcRecord(std::uint32_t type, const RectL& box, PointL start, PointL end) {
  RecordBuilder b(type);
  WriteRect(b.W(), box);
  b.W().I32(start.x);
  b.W().I32(start.y);
  b.W().I32(end.x);
  b.W().I32(end.y);
  return b.Finish();
}

Record MakeSetPixel(PointL p, std::uint32_t color) {
  RecordBuilder b(EMR_SETPIXELV);
  b.W().I32(p.x);
  b.W().I32(p.y);
  b.W().U32(color);
  return b.Finish();
}

Record MakeSelectClip(const std::vector<RectL>* rects) {
  RecordBuilder b(EMR_EXTSELECTCLIPRGN);
  bytes::Writer& w = b.W();
  if (!rects) {
    w.U32(0);
    w.U32(RGN_COPY);
    return b.Finish();
  }
  RectL bound{0, 0, 0, 0};
  for (std::size_t i = 0; i < rects->size(); ++i) {
    const RectL& r = (*rects)[i];
    bound = i == 0 ? r
                   : RectL{std::min(bound.left, r.left), std::min(bound.top, r.top), std::max(bound.right, r.right),
                           std::max(bound.bottom, r.bottom)};
  }
  w.U32(static_cast<std::uint32_t>(32 + 16 * rects->size()));
  w.U32(RGN_COPY);
  w.U32(32);  // RGNDATAHEADER: size, rectangles, count, data size, bounds
  w.U32(1);
  w.U32(static_cast<std::uint32_t>(rects->size()));
  w.U32(static_cast<std::uint32_t>(16 * rects->size()));
  WriteRect(w, bound);
  for (const RectL& r : *rects) WriteRect(w, r);
  return b.Finish();
}

Record MakeCreatePen(std::uint32_t index, const LogPen& pen) {
  bool extended = !pen.styleEntries.empty() || (pen.style & ~PS_STYLE_MASK) != 0;
  if (!extended) {
    RecordBuilder b(EMR_CREATEPEN);
    b.W().U32(index);
    b.W().U32(pen.style);
    b.W().I32(pen.width);
    b.W().I32(0);
    b.W().U32(pen.color);
    return b.Finish();
  }
  RecordBuilder b(EMR_EXTCREATEPEN);
  bytes::Writer& w = b.W();
  w.U32(index);
  w.U32(0);  // no brush bitmap
  w.U32(0);
  w.U32(0);
  w.U32(0);
  w.U32(pen.style);
  w.U32(static_cast<std::uint32_t>(pen.width));
  w.U32((pen.style & PS_STYLE_MASK) == PS_NULL ? BS_NULL : BS_SOLID);
  w.U32(pen.color);
  w.U32(0);
  w.U32(static_cast<std::uint32_t>(pen.styleEntries.size()));
  for (std::uint32_t e : pen.styleEntries) w.U32(e);
  return b.Finish();
}

Record MakeCreateBrush(std::uint32_t index, const LogBrush& brush) {
  RecordBuilder b(EMR_CREATEBRUSHINDIRECT);
  b.W().U32(index);
  b.W().U32(brush.style);
  b.W().U32(brush.color);
  b.W().U32(brush.hatch);
  return b.Finish();
}

Record MakeCreateFont(std::uint32_t index, const LogFont& f) {
  RecordBuilder b(EMR_EXTCREATEFONTINDIRECTW);
  bytes::Writer& w = b.W();
  w.U32(index);
  w.I32(f.height);
  w.I32(f.width);
  w.I32(f.escapement);
  w.I32(f.orientation);
  w.I32(f.weight);
  w.U8(f.italic);
  w.U8(f.underline);
  w.U8(f.strikeOut);
  w.U8(f.charSet);
  w.U8(f.outPrecision);
  w.U8(f.clipPrecision);
  w.U8(f.quality);
  w.U8(f.pitchAndFamily);
  for (std::size_t i = 0; i < 32; ++i) w.U16(i < 31 && i < f.faceName.size() ? f.faceName[i] : u'\0');
  return b.Finish();
}

Record MakePoly(std::uint32_t type16, const std::vector<PointL>& pts, const RectL& bounds) {
  bool small = std::all_of(pts.begin(), pts.end(), [](const PointL& p) { return FitsIn16(p.x) && FitsIn16(p.y); });
  RecordBuilder b(small ? type16 : Type32For16(type16));
  WriteRect(b.W(), bounds);
  b.W().U32(static_cast<std::uint32_t>(pts.size()));
  for (const PointL& p : pts) {
    if (small) {
      b.W().I16(static_cast<std::int16_t>(p.x));
      b.W().I16(static_cast<std::int16_t>(p.y));
    } else {
      b.W().I32(p.x);
      b.W().I32(p.y);
    }
  }
  return b.Finish();
}

Record MakeExtTextOutW(const RectL& bounds, PointL ref, std::u16string_view text, std::uint32_t options,
                       const RectL& rect, const std::vector<std::int32_t>& dx) {
  RecordBuilder b(EMR_EXTTEXTOUTW);
  bytes::Writer& w = b.W();
  WriteRect(w, bounds);
  w.U32(1);  // compatible graphics mode
  w.F32(0);
  w.F32(0);
  w.I32(ref.x);
  w.I32(ref.y);
  w.U32(static_cast<std::uint32_t>(text.size()));
  constexpr std::uint32_t kStringOffset = 76;
  std::uint32_t textBytes = static_cast<std::uint32_t>((text.size() * 2 + 3) / 4 * 4);
  w.U32(kStringOffset);
  w.U32(options);
  WriteRect(w, rect);
  w.U32(dx.empty() ? 0 : kStringOffset + textBytes);
  for (char16_t c : text) w.U16(c);
  w.Align(4);
  for (std::size_t i = 0; i < text.size() && !dx.empty(); ++i) w.I32(i < dx.size() ? dx[i] : 0);
  return b.Finish();
}

Record MakeStretchDIBits(const RectL& bounds, const RectL& dest, const SourceRect& src, std::string_view bmi,
                         std::string_view bits, std::uint32_t rop) {
  RecordBuilder b(EMR_STRETCHDIBITS);
  bytes::Writer& w = b.W();
  constexpr std::uint32_t kBmiOffset = 80;
  std::uint32_t bmiBytes = static_cast<std::uint32_t>((bmi.size() + 3) / 4 * 4);
  WriteRect(w, bounds);
  w.I32(dest.left);
  w.I32(dest.top);
  w.I32(src.x);
  w.I32(src.y);
  w.I32(src.width);
  w.I32(src.height);
  w.U32(kBmiOffset);
  w.U32(static_cast<std::uint32_t>(bmi.size()));
  w.U32(kBmiOffset + bmiBytes);
  w.U32(static_cast<std::uint32_t>(bits.size()));
  w.U32(DIB_RGB_COLORS);
  w.U32(rop);
  w.I32(static_cast<std::int32_t>(std::int64_t{dest.right} - dest.left));
  w.I32(static_cast<std::int32_t>(std::int64_t{dest.bottom} - dest.top));
  w.Bytes(bmi);
  w.Align(4);
  w.Bytes(bits);
  return b.Finish();
}

Record MakePatBlt(const RectL& bounds, const RectL& dest, std::uint32_t rop) {
  RecordBuilder b(EMR_BITBLT);
  bytes::Writer& w = b.W();
  WriteRect(w, bounds);
  w.I32(dest.left);
  w.I32(dest.top);
  w.I32(static_cast<std::int32_t>(std::int64_t{dest.right} - dest.left));
  w.I32(static_cast<std::int32_t>(std::int64_t{dest.bottom} - dest.top));
  w.U32(rop);
  w.I32(0);
  w.I32(0);
  w.F32(1);  // identity source transform
  w.F32(0);
  w.F32(0);
  w.F32(1);
  w.F32(0);
  w.F32(0);
  w.U32(0);  // source background colour, usage, bitmap offsets and sizes
  w.U32(0);
  w.Zeros(16);
  return b.Finish();
}

Record MakePolyPolygon(const std::vector<std::vector<PointL>>& polys, const RectL& bounds) {
  RecordBuilder b(EMR_POLYPOLYGON);
  bytes::Writer& w = b.W();
  WriteRect(w, bounds);
  std::size_t total = 0;
  for (const auto& p : polys) total += p.size();
  w.U32(static_cast<std::uint32_t>(polys.size()));
  w.U32(static_cast<std::uint32_t>(total));
  for (const auto& p : polys) w.U32(static_cast<std::uint32_t>(p.size()));
  for (const auto& p : polys)
    for (const PointL& pt : p) {
      w.I32(pt.x);
      w.I32(pt.y);
    }
  return b.Finish();
}

// ---- decoders -------------------------------------------------------------

LogPen DecodeCreatePen(const Record& rec, std::uint32_t* index) {
  bytes::Reader r = rec.Body();
  LogPen pen;
  *index = r.U32(8);
  if (rec.Type() == EMR_CREATEPEN) {
    pen.style = r.U32(12);
    pen.width = r.I32(16);
    pen.color = r.U32(24);
    return pen;
  }
  pen.style = r.U32(28);
  pen.width = static_cast<std::int32_t>(std::min<std::uint32_t>(r.U32(32), 1u << 20));
  std::uint32_t brushStyle = r.U32(36);
  pen.color = r.U32(40);
  std::uint32_t n = r.U32(48);
  if (brushStyle == BS_NULL) pen.style = (pen.style & ~PS_STYLE_MASK) | PS_NULL;
  if ((pen.style & PS_STYLE_MASK) == PS_USERSTYLE && n > 0 && r.Has(52, std::size_t{n} * 4)) {
    for (std::uint32_t i = 0; i < n && i < 16; ++i) pen.styleEntries.push_back(r.U32(52 + 4 * i));
  }
  return pen;
}

LogBrush DecodeCreateBrush(const Record& rec, std::uint32_t* index) {
  bytes::Reader r = rec.Body();
  *index = r.U32(8);
  return LogBrush{r.U32(12), r.U32(16), r.U32(20)};
}

LogFont DecodeCreateFont(const Record& rec, std::uint32_t* index) {
  bytes::Reader r = rec.Body();
  r.Need(8, 4 + 92);
  *index = r.U32(8);
  LogFont f;
  f.height = r.I32(12);
  f.width = r.I32(16);
  f.escapement = r.I32(20);
  f.orientation = r.I32(24);
  f.weight = r.I32(28);
  f.italic = r.U8(32);
  f.underline = r.U8(33);
  f.strikeOut = r.U8(34);
  f.charSet = r.U8(35);
  f.outPrecision = r.U8(36);
  f.clipPrecision = r.U8(37);
  f.quality = r.U8(38);
  f.pitchAndFamily = r.U8(39);
  for (std::size_t i = 0; i < 32; ++i) {
    char16_t c = static_cast<char16_t>(r.U16(40 + 2 * i));
    if (c == 0) break;
    f.faceName.push_back(c);
  }
  return f;
}

std::vector<PointL> DecodePoly(const Record& rec) {
  bytes::Reader r = rec.Body();
  bool small = Is16BitPoly(rec.Type());
  std::size_t n = r.U32(24);
  std::size_t each = small ? 4 : 8;
  r.Need(28, n * each);
  std::vector<PointL> pts(n);
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t at = 28 + i * each;
    pts[i] = small ? PointL{r.I16(at), r.I16(at + 2)} : PointL{r.I32(at), r.I32(at + 4)};
  }
  return pts;
}

std::vector<std::vector<PointL>> DecodePolyPoly(const Record& rec) {
  bytes::Reader r = rec.Body();
  bool small = Is16BitPoly(rec.Type());
  std::size_t polys = r.U32(24);
  std::size_t total = r.U32(28);
  r.Need(32, polys * 4);
  std::size_t each = small ? 4 : 8;
  std::size_t pointsAt = 32 + polys * 4;
  r.Need(pointsAt, total * each);
  std::vector<std::vector<PointL>> out(polys);
  std::size_t k = 0;
  for (std::size_t p = 0; p < polys; ++p) {
    std::size_t count = r.U32(32 + 4 * p);
    if (count > total - k) throw EMetafileFormat("Polygon counts exceed the points");
    out[p].resize(count);
    for (std::size_t i = 0; i < count; ++i, ++k) {
      std::size_t at = pointsAt + k * each;
      out[p][i] = small ? PointL{r.I16(at), r.I16(at + 2)} : PointL{r.I32(at), r.I32(at + 4)};
    }
  }
  return out;
}

ClipRegion DecodeSelectClip(const Record& rec) {
  bytes::Reader r = rec.Body();
  ClipRegion c;
  std::size_t cb = r.U32(8);
  c.mode = r.U32(12);
  if (cb == 0) return c;
  r.Need(16, cb);
  std::size_t headerSize = r.U32(16);
  std::size_t count = r.U32(24);
  if (headerSize < 32 || headerSize > cb || count > (cb - headerSize) / 16)
    throw EMetafileFormat("Clip region data is damaged");
  for (std::size_t i = 0; i < count; ++i) c.rects.push_back(ReadRect(r, 16 + headerSize + 16 * i));
  return c;
}

TextOut DecodeExtTextOut(const Record& rec) {
  bytes::Reader r = rec.Body();
  TextOut t;
  t.bounds = ReadRect(r, 8);
  t.reference = {r.I32(36), r.I32(40)};
  std::size_t n = r.U32(44);
  std::size_t offString = r.U32(48);
  t.options = r.U32(52);
  t.rect = ReadRect(r, 56);
  std::size_t offDx = r.U32(72);
  if (rec.Type() == EMR_EXTTEXTOUTW) {
    t.text = ReadUtf16(r, offString, n);
  } else {
    t.text = rtl::AnsiToWide(r.Slice(offString, n));
    if (t.text.size() != n) t.text.resize(n, u'?');
  }
  // A dx array that does not fit is dropped rather than read out of range.
  std::size_t step = (t.options & ETO_PDY) ? 8 : 4;
  if (offDx != 0 && n > 0 && r.Has(offDx, n * step)) {
    t.dx.resize(n);
    for (std::size_t i = 0; i < n; ++i) t.dx[i] = r.I32(offDx + i * step);
  }
  return t;
}

Blit DecodeBlit(const Record& rec) {
  bytes::Reader r = rec.Body();
  Blit b;
  b.bounds = ReadRect(r, 8);
  std::uint32_t offBmi, cbBmi, offBits, cbBits;
  if (rec.Type() == EMR_STRETCHDIBITS) {
    b.xDest = r.I32(24);
    b.yDest = r.I32(28);
    b.xSrc = r.I32(32);
    b.ySrc = r.I32(36);
    b.cxSrc = r.I32(40);
    b.cySrc = r.I32(44);
    offBmi = r.U32(48);
    cbBmi = r.U32(52);
    offBits = r.U32(56);
    cbBits = r.U32(60);
    b.rop = r.U32(68);
    b.cxDest = r.I32(72);
    b.cyDest = r.I32(76);
  } else {
    b.xDest = r.I32(24);
    b.yDest = r.I32(28);
    b.cxDest = r.I32(32);
    b.cyDest = r.I32(36);
    b.rop = r.U32(40);
    b.xSrc = r.I32(44);
    b.ySrc = r.I32(48);
    offBmi = r.U32(84);
    cbBmi = r.U32(88);
    offBits = r.U32(92);
    cbBits = r.U32(96);
    if (rec.Type() == EMR_STRETCHBLT) {
      b.cxSrc = r.I32(100);
      b.cySrc = r.I32(104);
    } else {
      b.cxSrc = b.cxDest;
      b.cySrc = b.cyDest;
    }
  }
  if (cbBmi > 0) {
    b.bmi = r.Slice(offBmi, cbBmi);
    b.bits = r.Slice(offBits, cbBits);
  }
  return b;
}

}  // namespace gfx::emf
