// The enhanced metafile (EMF) file format: record numbers, the GDI constants
// its records carry, the logical pen, brush and font, and a document of
// records that parses from and serialises to EMF bytes.
//
// A TMetafile keeps its picture as such a document: the record list is what
// playback walks and what the preview's text search enumerates. Records are
// kept as their complete bytes (type, size, body), so offsets inside a record
// (text, dx array, bitmap) are record relative as in the file.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/metafile_bytes.h"

namespace gfx::emf {

// Record types.
enum : std::uint32_t {
  EMR_HEADER = 1,
  EMR_POLYBEZIER = 2,
  EMR_POLYGON = 3,
  EMR_POLYLINE = 4,
  EMR_POLYBEZIERTO = 5,
  EMR_POLYLINETO = 6,
  EMR_POLYPOLYLINE = 7,
  EMR_POLYPOLYGON = 8,
  EMR_SETWINDOWEXTEX = 9,
  EMR_SETWINDOWORGEX = 10,
  EMR_SETVIEWPORTEXTEX = 11,
  EMR_SETVIEWPORTORGEX = 12,
  EMR_SETBRUSHORGEX = 13,
  EMR_EOF = 14,
  EMR_SETPIXELV = 15,
  EMR_SETMAPPERFLAGS = 16,
  EMR_SETMAPMODE = 17,
  EMR_SETBKMODE = 18,
  EMR_SETPOLYFILLMODE = 19,
  EMR_SETROP2 = 20,
  EMR_SETSTRETCHBLTMODE = 21,
  EMR_SETTEXTALIGN = 22,
  EMR_SETTEXTCOLOR = 24,
  EMR_SETBKCOLOR = 25,
  EMR_MOVETOEX = 27,
  EMR_EXCLUDECLIPRECT = 29,
  EMR_INTERSECTCLIPRECT = 30,
  EMR_SAVEDC = 33,
  EMR_RESTOREDC = 34,
  EMR_SETWORLDTRANSFORM = 35,
  EMR_MODIFYWORLDTRANSFORM = 36,
  EMR_SELECTOBJECT = 37,
  EMR_CREATEPEN = 38,
  EMR_CREATEBRUSHINDIRECT = 39,
  EMR_DELETEOBJECT = 40,
  EMR_ELLIPSE = 42,
  EMR_RECTANGLE = 43,
  EMR_ROUNDRECT = 44,
  EMR_ARC = 45,
  EMR_CHORD = 46,
  EMR_PIE = 47,
  EMR_LINETO = 54,
  EMR_GDICOMMENT = 70,
  EMR_EXTSELECTCLIPRGN = 75,
  EMR_BITBLT = 76,
  EMR_STRETCHBLT = 77,
  EMR_STRETCHDIBITS = 81,
  EMR_EXTCREATEFONTINDIRECTW = 82,
  EMR_EXTTEXTOUTA = 83,
  EMR_EXTTEXTOUTW = 84,
  EMR_POLYBEZIER16 = 85,
  EMR_POLYGON16 = 86,
  EMR_POLYLINE16 = 87,
  EMR_POLYBEZIERTO16 = 88,
  EMR_POLYLINETO16 = 89,
  EMR_POLYPOLYLINE16 = 90,
  EMR_POLYPOLYGON16 = 91,
  EMR_EXTCREATEPEN = 95,
};

inline constexpr std::uint32_t kSignature = 0x464D4520;  // " EMF"
inline constexpr std::uint32_t kVersion = 0x00010000;
inline constexpr std::size_t kSignatureOffset = 40;

// Stock objects: a selected object index with the high bit set.
enum : std::uint32_t {
  STOCK_FLAG = 0x80000000,
  WHITE_BRUSH = 0x80000000,
  LTGRAY_BRUSH = 0x80000001,
  GRAY_BRUSH = 0x80000002,
  DKGRAY_BRUSH = 0x80000003,
  BLACK_BRUSH = 0x80000004,
  NULL_BRUSH = 0x80000005,
  WHITE_PEN = 0x80000006,
  BLACK_PEN = 0x80000007,
  NULL_PEN = 0x80000008,
  OEM_FIXED_FONT = 0x8000000A,
  ANSI_FIXED_FONT = 0x8000000B,
  ANSI_VAR_FONT = 0x8000000C,
  SYSTEM_FONT = 0x8000000D,
  DEVICE_DEFAULT_FONT = 0x8000000E,
  DEFAULT_PALETTE = 0x8000000F,
  SYSTEM_FIXED_FONT = 0x80000010,
  DEFAULT_GUI_FONT = 0x80000011,
  DC_BRUSH = 0x80000012,
  DC_PEN = 0x80000013,
};

// Pen styles (style, end cap, join, type bits).
enum : std::uint32_t {
  PS_SOLID = 0,
  PS_DASH = 1,
  PS_DOT = 2,
  PS_DASHDOT = 3,
  PS_DASHDOTDOT = 4,
  PS_NULL = 5,
  PS_INSIDEFRAME = 6,
  PS_USERSTYLE = 7,
  PS_ALTERNATE = 8,
  PS_STYLE_MASK = 0x0000000F,
  PS_ENDCAP_ROUND = 0x00000000,
  PS_ENDCAP_SQUARE = 0x00000100,
  PS_ENDCAP_FLAT = 0x00000200,
  PS_ENDCAP_MASK = 0x00000F00,
  PS_JOIN_ROUND = 0x00000000,
  PS_JOIN_BEVEL = 0x00001000,
  PS_JOIN_MITER = 0x00002000,
  PS_JOIN_MASK = 0x0000F000,
  PS_COSMETIC = 0x00000000,
  PS_GEOMETRIC = 0x00010000,
  PS_TYPE_MASK = 0x000F0000,
};

// Brush styles and hatches.
enum : std::uint32_t {
  BS_SOLID = 0,
  BS_NULL = 1,
  BS_HATCHED = 2,
  HS_HORIZONTAL = 0,
  HS_VERTICAL = 1,
  HS_FDIAGONAL = 2,
  HS_BDIAGONAL = 3,
  HS_CROSS = 4,
  HS_DIAGCROSS = 5,
};

// Mapping modes, background modes, fill modes, stretch modes.
enum : std::uint32_t {
  MM_TEXT = 1,
  MM_LOMETRIC = 2,
  MM_HIMETRIC = 3,
  MM_LOENGLISH = 4,
  MM_HIENGLISH = 5,
  MM_TWIPS = 6,
  MM_ISOTROPIC = 7,
  MM_ANISOTROPIC = 8,
  TRANSPARENT = 1,
  OPAQUE = 2,
  ALTERNATE = 1,
  WINDING = 2,
  BLACKONWHITE = 1,
  WHITEONBLACK = 2,
  COLORONCOLOR = 3,
  HALFTONE = 4,
};

// Binary raster operations (line and fill drawing modes).
enum : std::uint32_t {
  R2_BLACK = 1,
  R2_NOTMERGEPEN = 2,
  R2_MASKNOTPEN = 3,
  R2_NOTCOPYPEN = 4,
  R2_MASKPENNOT = 5,
  R2_NOT = 6,
  R2_XORPEN = 7,
  R2_NOTMASKPEN = 8,
  R2_MASKPEN = 9,
  R2_NOTXORPEN = 10,
  R2_NOP = 11,
  R2_MERGENOTPEN = 12,
  R2_COPYPEN = 13,
  R2_MERGEPENNOT = 14,
  R2_MERGEPEN = 15,
  R2_WHITE = 16,
};

// Text alignment and text-out options.
enum : std::uint32_t {
  TA_UPDATECP = 1,
  TA_LEFT = 0,
  TA_RIGHT = 2,
  TA_CENTER = 6,
  TA_HORZ_MASK = 6,
  TA_TOP = 0,
  TA_BOTTOM = 8,
  TA_BASELINE = 24,
  TA_VERT_MASK = 24,
  ETO_OPAQUE = 0x0002,
  ETO_CLIPPED = 0x0004,
  ETO_GLYPH_INDEX = 0x0010,
  ETO_NO_RECT = 0x0100,
  ETO_PDY = 0x2000,
};

// Ternary raster operations of the bitmap records.
enum : std::uint32_t {
  SRCCOPY = 0x00CC0020,
  SRCPAINT = 0x00EE0086,
  SRCAND = 0x008800C6,
  SRCINVERT = 0x00660046,
  NOTSRCCOPY = 0x00330008,
  DSTINVERT = 0x00550009,
  PATCOPY = 0x00F00021,
  BLACKNESS = 0x00000042,
  WHITENESS = 0x00FF0062,
  DIB_RGB_COLORS = 0,
  RGN_AND = 1,
  RGN_COPY = 5,
};

// Font charsets the metafile writers care about.
enum : std::uint8_t { ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, RUSSIAN_CHARSET = 204 };

struct PointL {
  std::int32_t x = 0, y = 0;
  friend bool operator==(const PointL&, const PointL&) = default;
};
struct SizeL {
  std::int32_t cx = 0, cy = 0;
  friend bool operator==(const SizeL&, const SizeL&) = default;
};
struct RectL {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const RectL&, const RectL&) = default;
};

// A pen as the CREATEPEN and EXTCREATEPEN records describe it. Colours are
// COLORREF values (0x00BBGGRR).
struct LogPen {
  std::uint32_t style = PS_SOLID;
  std::int32_t width = 0;
  std::uint32_t color = 0;
  std::vector<std::uint32_t> styleEntries;  // PS_USERSTYLE dash lengths
  friend bool operator==(const LogPen&, const LogPen&) = default;
};

struct LogBrush {
  std::uint32_t style = BS_SOLID;
  std::uint32_t color = 0xFFFFFF;
  std::uint32_t hatch = 0;
  friend bool operator==(const LogBrush&, const LogBrush&) = default;
};

struct LogFont {
  std::int32_t height = 0, width = 0, escapement = 0, orientation = 0, weight = 400;
  std::uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = DEFAULT_CHARSET;
  std::uint8_t outPrecision = 0, clipPrecision = 0, quality = 0, pitchAndFamily = 0;
  std::u16string faceName;  // at most 31 characters are stored
  friend bool operator==(const LogFont&, const LogFont&) = default;
};

// One record: its complete bytes, type and size first.
struct Record {
  std::string bytes;
  std::uint32_t Type() const { return bytes::Reader(bytes).U32(0); }
  bytes::Reader Body() const { return bytes::Reader(bytes); }
};

// The header fields that matter for drawing. Bounds are inclusive device
// units of the reference device; the frame is in 0.01 mm.
struct Header {
  RectL bounds;
  RectL frame;
  SizeL device{1920, 1440};     // reference device in pixels
  SizeL millimeters{508, 381};  // and in millimetres
  std::u16string description;

  // Pixels per inch of the reference device.
  double PpiX() const { return millimeters.cx > 0 ? device.cx * 25.4 / millimeters.cx : 96.0; }
  double PpiY() const { return millimeters.cy > 0 ? device.cy * 25.4 / millimeters.cy : 96.0; }
  // The frame in reference-device pixels.
  double FrameLeftPx() const { return frame.left * PpiX() / 2540.0; }
  double FrameTopPx() const { return frame.top * PpiY() / 2540.0; }
  double FrameWidthPx() const { return (double(frame.right) - frame.left) * PpiX() / 2540.0; }
  double FrameHeightPx() const { return (double(frame.bottom) - frame.top) * PpiY() / 2540.0; }
  // The frame's size in 0.01 mm, 0 when empty, limited to what an int holds.
  int FrameWidth() const { return Extent(frame.left, frame.right); }
  int FrameHeight() const { return Extent(frame.top, frame.bottom); }
  static int Extent(std::int32_t from, std::int32_t to) {
    std::int64_t d = std::int64_t{to} - from;
    return d <= 0 ? 0 : d > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(d);
  }
  // A reference device of the given resolution (the millimetre size keeps
  // the pixel size exact).
  static SizeL DeviceForPpi(int ppi) { return {20 * ppi, 15 * ppi}; }
};

// A whole metafile: the header and the records between it and EOF.
struct Document {
  Header header;
  std::vector<Record> records;

  // Parses EMF bytes. Every record's size is checked against the data;
  // a damaged or truncated file raises EMetafileFormat.
  static Document Parse(std::string_view data);
  // The EMF file: header, records, EOF.
  std::string Serialize() const;
  // The largest object index any record uses, plus one (nHandles).
  std::uint32_t HandleCount() const;
};

// True when the data starts like an EMF file.
bool LooksLikeEmf(std::string_view data);

// Builds one record: Begin(type), write the body, then Finish() pads to four
// bytes and fills in the size.
class RecordBuilder {
 public:
  explicit RecordBuilder(std::uint32_t type) {
    w_.U32(type);
    w_.U32(0);
  }
  bytes::Writer& W() { return w_; }
  std::size_t Offset() const { return w_.Size(); }
  Record Finish() {
    w_.Align(4);
    w_.PutU32At(4, static_cast<std::uint32_t>(w_.Size()));
    return Record{w_.Take()};
  }

 private:
  bytes::Writer w_;
};

// A world transform: x' = x * m11 + y * m21 + dx, y' = x * m12 + y * m22 + dy.
struct XForm {
  float m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
};
enum : std::uint32_t { MWT_IDENTITY = 1, MWT_LEFTMULTIPLY = 2, MWT_RIGHTMULTIPLY = 3, MWT_SET = 4 };
Record MakeSetWorldTransform(const XForm& x);
Record MakeModifyWorldTransform(const XForm& x, std::uint32_t mode);

// Record makers for the records this system writes.
Record MakeU32Record(std::uint32_t type,
                     std::uint32_t value);  // SETMAPMODE .. SETBKCOLOR, SELECT/DELETEOBJECT, RESTOREDC
Record MakePointRecord(std::uint32_t type, std::int32_t x,
                       std::int32_t y);                     // MOVETOEX, LINETO, window/viewport records
Record MakeRectRecord(std::uint32_t type, const RectL& r);  // RECTANGLE, ELLIPSE, clip records
Record MakeRoundRect(const RectL& r, std::int32_t cx, std::int32_t cy);
Record MakeSaveDC();
// ARC, CHORD, PIE: the ellipse's box and the rays to the start and end points.
Record MakeArcRecord(std::uint32_t type, const RectL& box, PointL start, PointL end);
Record MakeSetPixel(PointL p, std::uint32_t color);
// EXTSELECTCLIPRGN with RGN_COPY: the clip becomes the rectangles, or no
// clip at all when rects is null.
Record MakeSelectClip(const std::vector<RectL>* rects);
Record MakeCreatePen(std::uint32_t index, const LogPen& pen);  // CREATEPEN or EXTCREATEPEN as the pen needs
Record MakeCreateBrush(std::uint32_t index, const LogBrush& brush);
Record MakeCreateFont(std::uint32_t index, const LogFont& font);
// POLYGON16 etc. when every point fits 16 bits, else the 32-bit record.
Record MakePoly(std::uint32_t type16, const std::vector<PointL>& pts, const RectL& bounds);
Record MakeExtTextOutW(const RectL& bounds, PointL ref, std::u16string_view text, std::uint32_t options,
                       const RectL& rect, const std::vector<std::int32_t>& dx);
// STRETCHDIBITS from a packed DIB (BITMAPINFO then bits).
struct SourceRect {
  std::int32_t x = 0, y = 0, width = 0, height = 0;  // in bitmap pixels
};
Record MakeStretchDIBits(const RectL& bounds, const RectL& dest, const SourceRect& src, std::string_view bmi,
                         std::string_view bits, std::uint32_t rop);
// A BITBLT without source bitmap: fills with the brush, black or white by rop.
Record MakePatBlt(const RectL& bounds, const RectL& dest, std::uint32_t rop);

// Decoders. Each checks the record's size and raises EMetafileFormat when a
// field lies outside it.
LogPen DecodeCreatePen(const Record& r, std::uint32_t* index);  // CREATEPEN and EXTCREATEPEN
LogBrush DecodeCreateBrush(const Record& r, std::uint32_t* index);
LogFont DecodeCreateFont(const Record& r, std::uint32_t* index);
std::vector<PointL> DecodePoly(const Record& r);  // 16- and 32-bit poly records
Record MakePolyPolygon(const std::vector<std::vector<PointL>>& polys, const RectL& bounds);
std::vector<std::vector<PointL>> DecodePolyPoly(const Record& r);

// The rectangles of an EXTSELECTCLIPRGN and its mode; no rectangles and
// RGN_COPY mean "no clip".
struct ClipRegion {
  std::uint32_t mode = RGN_COPY;
  std::vector<RectL> rects;
};
ClipRegion DecodeSelectClip(const Record& r);

struct TextOut {
  RectL bounds;
  PointL reference;
  std::u16string text;  // UTF-16; EXTTEXTOUTA bytes are widened as 1251
  std::uint32_t options = 0;
  RectL rect;
  std::vector<std::int32_t> dx;  // one advance per character, or empty
};
TextOut DecodeExtTextOut(const Record& r);

// A bitmap record: destination, source rectangle and the packed DIB parts.
struct Blit {
  RectL bounds;
  std::int32_t xDest = 0, yDest = 0, cxDest = 0, cyDest = 0;
  std::int32_t xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;
  std::uint32_t rop = SRCCOPY;
  std::string_view bmi, bits;  // views into the record; empty for a pattern-only blit
};
Blit DecodeBlit(const Record& r);  // BITBLT, STRETCHBLT, STRETCHDIBITS

}  // namespace gfx::emf
