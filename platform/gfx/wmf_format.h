// The placeable Windows metafile (WMF): a 22-byte header with the picture's
// bounding box, units per inch and checksum, then 16-bit GDI records.
//
// A TMetafile keeps EMF records in memory; a WMF is translated into them on
// reading and produced from them on writing, so playback and the text search
// have one record model.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gfx/emf_format.h"

namespace gfx::wmf {

inline constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

// Record functions.
enum : std::uint16_t {
  META_EOF = 0x0000,
  META_SAVEDC = 0x001E,
  META_SETBKMODE = 0x0102,
  META_SETMAPMODE = 0x0103,
  META_SETROP2 = 0x0104,
  META_SETPOLYFILLMODE = 0x0106,
  META_SETSTRETCHBLTMODE = 0x0107,
  META_RESTOREDC = 0x0127,
  META_SELECTOBJECT = 0x012D,
  META_SETTEXTALIGN = 0x012E,
  META_DIBCREATEPATTERNBRUSH = 0x0142,
  META_DELETEOBJECT = 0x01F0,
  META_CREATEPATTERNBRUSH = 0x01F9,
  META_SETBKCOLOR = 0x0201,
  META_SETTEXTCOLOR = 0x0209,
  META_SETWINDOWORG = 0x020B,
  META_SETWINDOWEXT = 0x020C,
  META_SETVIEWPORTORG = 0x020D,
  META_SETVIEWPORTEXT = 0x020E,
  META_LINETO = 0x0213,
  META_MOVETO = 0x0214,
  META_CREATEPENINDIRECT = 0x02FA,
  META_CREATEFONTINDIRECT = 0x02FB,
  META_CREATEBRUSHINDIRECT = 0x02FC,
  META_POLYGON = 0x0324,
  META_POLYLINE = 0x0325,
  META_EXCLUDECLIPRECT = 0x0415,
  META_INTERSECTCLIPRECT = 0x0416,
  META_ELLIPSE = 0x0418,
  META_RECTANGLE = 0x041B,
  META_TEXTOUT = 0x0521,
  META_POLYPOLYGON = 0x0538,
  META_ROUNDRECT = 0x061C,
  META_PATBLT = 0x061D,
  META_CREATEPALETTE = 0x00F7,
  META_CREATEREGION = 0x06FF,
  META_ARC = 0x0817,
  META_PIE = 0x081A,
  META_CHORD = 0x0830,
  META_SETPIXEL = 0x041F,
  META_DIBBITBLT = 0x0940,
  META_EXTTEXTOUT = 0x0A32,
  META_DIBSTRETCHBLT = 0x0B41,
  META_STRETCHDIB = 0x0F43,
};

// True when the data starts with the placeable header's key.
bool LooksLikePlaceable(std::string_view data);

// Reads a placeable WMF into EMF records on a 96-dpi reference device whose
// frame is the header's bounding box. *inch receives the header's units per
// inch. A damaged or truncated file raises EMetafileFormat.
emf::Document ToEmf(std::string_view data, std::uint16_t* inch);

// Writes the records as a placeable WMF with the given units per inch (96
// when 0; lowered when the picture would not fit 16-bit coordinates). The
// bounding box is the document's frame. WMF has no way to set a clip region
// back: a selected region becomes an intersection with its bounds, and
// removing the clip is left out.
std::string FromEmf(const emf::Document& doc, std::uint16_t inch);

}  // namespace gfx::wmf
