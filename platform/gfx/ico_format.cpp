#include "platform/gfx/ico_format.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/gfx/metafile_bytes.h"

namespace gfx::ico {

namespace {

constexpr int kMaxSide = 4096;

struct PngSource {
  std::string_view data;
  std::size_t pos = 0;
};

cairo_status_t ReadPng(void* closure, unsigned char* out, unsigned int length) {
  auto* src = static_cast<PngSource*>(closure);
  if (src->data.size() - src->pos < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(out, src->data.data() + src->pos, length);
  src->pos += length;
  return CAIRO_STATUS_SUCCESS;
}

// A PNG image inside the icon: Cairo reads it (premultiplied ARGB).
Image DecodePng(std::string_view png) {
  PngSource src{png};
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
      cairo_image_surface_create_from_png_stream(ReadPng, &src), cairo_surface_destroy);
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
    throw EInvalidGraphic("Icon image is not a valid PNG");
  cairo_surface_flush(surface.get());
  int w = cairo_image_surface_get_width(surface.get()), h = cairo_image_surface_get_height(surface.get());
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) throw EInvalidGraphic("Icon image size is invalid");
  cairo_format_t format = cairo_image_surface_get_format(surface.get());
  const unsigned char* base = cairo_image_surface_get_data(surface.get());
  int stride = cairo_image_surface_get_stride(surface.get());
  Image img{w, h, std::vector<std::uint32_t>(std::size_t(w) * h)};
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(base + std::size_t(y) * stride);
    for (int x = 0; x < w; ++x) {
      std::uint32_t p = row[x];
      if (format == CAIRO_FORMAT_RGB24) {
        img.argb[std::size_t(y) * w + x] = 0xFF000000u | (p & 0xFFFFFF);
        continue;
      }
      std::uint32_t a = p >> 24;
      auto un = [a](std::uint32_t c) { return a ? std::min<std::uint32_t>(255, (c * 255 + a / 2) / a) : 0; };
      img.argb[std::size_t(y) * w + x] =
          (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) | un(p & 0xFF);
    }
  }
  return img;
}

// A bitmap image: BITMAPINFOHEADER with doubled height, colour table, XOR
// bits, AND mask; rows bottom-up.
Image DecodeBitmap(std::string_view dib) {
  bytes::Reader r(dib);
  try {
    std::uint32_t headerSize = r.U32(0);
    if (headerSize < 40 || headerSize > 124) throw EInvalidGraphic("Icon bitmap header is damaged");
    int w = r.I32(4), h2 = r.I32(8);
    unsigned bpp = r.U16(14);
    std::uint32_t compression = r.U32(16);
    std::uint32_t used = r.U32(32);
    int h = h2 / 2;
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || compression != 0)
      throw EInvalidGraphic("Icon bitmap size or compression is invalid");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
      throw EInvalidGraphic("Icon bitmap depth is invalid");
    std::size_t colours = bpp <= 8 ? (used ? std::min<std::size_t>(used, 256) : std::size_t{1} << bpp) : 0;
    std::size_t palAt = headerSize;
    std::size_t xorAt = palAt + colours * 4;
    std::size_t xorStride = (std::size_t(w) * bpp + 31) / 32 * 4;
    std::size_t andAt = xorAt + xorStride * h;
    std::size_t andStride = (std::size_t(w) + 31) / 32 * 4;
    r.Need(xorAt, xorStride * h);
    bool hasMask = r.Has(andAt, andStride * h);
    Image img{w, h, std::vector<std::uint32_t>(std::size_t(w) * h)};
    bool anyAlpha = false;
    for (int y = 0; y < h; ++y) {
      std::size_t row = xorAt + xorStride * (h - 1 - y);
      for (int x = 0; x < w; ++x) {
        std::uint32_t p = 0;
        if (bpp == 32) {
          p = r.U32(row + 4 * x);
          if (p >> 24) anyAlpha = true;
        } else if (bpp == 24) {
          p = r.U8(row + 3 * x) | (r.U8(row + 3 * x + 1) << 8) | (r.U8(row + 3 * x + 2) << 16) | 0xFF000000u;
        } else {
          unsigned index;
          if (bpp == 8)
            index = r.U8(row + x);
          else if (bpp == 4)
            index = (r.U8(row + x / 2) >> (x % 2 ? 0 : 4)) & 0xF;
          else
            index = (r.U8(row + x / 8) >> (7 - x % 8)) & 1;
          p = index < colours ? (r.U32(palAt + 4 * index) & 0xFFFFFF) | 0xFF000000u : 0xFF000000u;
        }
        img.argb[std::size_t(y) * w + x] = p;
      }
    }
    // 32-bit images carry their alpha; the others (and 32-bit ones whose
    // alpha is all zero) take it from the AND mask.
    if (!(bpp == 32 && anyAlpha)) {
      for (int y = 0; y < h; ++y) {
        std::size_t row = andAt + andStride * (h - 1 - y);
        for (int x = 0; x < w; ++x) {
          bool transparent = hasMask && ((r.U8(row + x / 8) >> (7 - x % 8)) & 1);
          std::uint32_t& p = img.argb[std::size_t(y) * w + x];
          p = transparent ? 0 : (p | 0xFF000000u);
        }
      }
    }
    return img;
  } catch (const EMetafileFormat&) {
    throw EInvalidGraphic("Icon bitmap is truncated");
  }
}

}  // namespace

bool LooksLikeIcon(std::string_view data) {
  bytes::Reader r(data);
  return r.Has(0, 6) && r.U16(0) == 0 && r.U16(2) == 1 && r.U16(4) > 0;
}

std::vector<Entry> ReadDirectory(std::string_view data) {
  if (!LooksLikeIcon(data)) throw EInvalidGraphic("Not an icon file");
  bytes::Reader r(data);
  std::size_t count = r.U16(4);
  if (!r.Has(6, count * 16)) throw EInvalidGraphic("Icon directory is truncated");
  std::vector<Entry> entries;
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t at = 6 + 16 * i;
    Entry e;
    e.width = r.U8(at) ? r.U8(at) : 256;
    e.height = r.U8(at + 1) ? r.U8(at + 1) : 256;
    e.bitCount = r.U16(at + 6);
    e.size = r.U32(at + 8);
    e.offset = r.U32(at + 12);
    if (e.size < 8 || !r.Has(e.offset, e.size)) throw EInvalidGraphic("Icon image lies outside the file");
    e.png = data.substr(e.offset, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8);
    if (!e.png && e.bitCount == 0 && r.Has(e.offset + 14, 2)) e.bitCount = r.U16(e.offset + 14);
    entries.push_back(e);
  }
  return entries;
}

int ChooseEntry(const std::vector<Entry>& entries, int wantedSize) {
  int best = -1;
  auto better = [&](const Entry& a, const Entry& b) {
    if (wantedSize > 0) {
      int da = std::abs(a.width - wantedSize), db = std::abs(b.width - wantedSize);
      if (da != db) return da < db;
    } else if (a.width * a.height != b.width * b.height) {
      return a.width * a.height > b.width * b.height;
    }
    return a.bitCount > b.bitCount;
  };
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (best < 0 || better(entries[i], entries[best])) best = static_cast<int>(i);
  return best;
}

Image DecodeEntry(std::string_view data, const Entry& entry) {
  if (entry.offset > data.size() || entry.size > data.size() - entry.offset)
    throw EInvalidGraphic("Icon image lies outside the file");
  std::string_view image = data.substr(entry.offset, entry.size);
  return entry.png ? DecodePng(image) : DecodeBitmap(image);
}

}  // namespace gfx::ico
