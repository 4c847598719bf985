#include "report/png_support.h"

#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/rtl/files.h"
#include "report/frxpngimage.h"
#include "tests/support/external_tools.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

namespace report_test {

int RawImage::Channels() const {
  switch (colorType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
  }
}

int RawImage::Sample(int x, int y, int ch) const {
  const auto& r = rows[static_cast<std::size_t>(y)];
  int index = x * Channels() + ch;
  if (depth == 8) return r[static_cast<std::size_t>(index)];
  if (depth == 16) return (r[2 * static_cast<std::size_t>(index)] << 8) | r[2 * static_cast<std::size_t>(index) + 1];
  int bit = index * depth;
  return (r[static_cast<std::size_t>(bit >> 3)] >> (8 - depth - (bit & 7))) & ((1 << depth) - 1);
}

RawImage RandomImage(int colorType, int depth, int width, int height, std::uint32_t seed) {
  RawImage img;
  img.width = width;
  img.height = height;
  img.colorType = colorType;
  img.depth = depth;
  std::mt19937 rng(seed);
  std::size_t n = img.RowBytes();
  int spare = static_cast<int>(n * 8 - static_cast<std::size_t>(width) * img.Channels() * depth);
  for (int y = 0; y < height; ++y) {
    std::vector<std::uint8_t> row(n);
    // Smooth runs with noise, so every filter has something to do.
    std::uint8_t v = static_cast<std::uint8_t>(rng());
    for (auto& b : row) {
      if (rng() % 4 == 0) v = static_cast<std::uint8_t>(rng());
      b = static_cast<std::uint8_t>(v + (rng() % 3));
    }
    if (spare && n) row[n - 1] = static_cast<std::uint8_t>(row[n - 1] & (0xFF << spare));
    img.rows.push_back(std::move(row));
  }
  if (colorType == 3) {
    int entries = 1 << depth;
    for (int i = 0; i < entries * 3; ++i) img.palette.push_back(static_cast<std::uint8_t>(rng()));
  }
  return img;
}

namespace {
void PutBE32(std::string& s, std::uint32_t v) {
  s.push_back(static_cast<char>(v >> 24));
  s.push_back(static_cast<char>(v >> 16));
  s.push_back(static_cast<char>(v >> 8));
  s.push_back(static_cast<char>(v));
}

std::uint8_t Paeth(int a, int b, int c) {
  int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// The sub-image of one Adam7 pass, packed.
RawImage PassImage(const RawImage& img, int x0, int y0, int dx, int dy) {
  RawImage p = img;
  p.width = img.width > x0 ? (img.width - x0 + dx - 1) / dx : 0;
  p.height = img.height > y0 ? (img.height - y0 + dy - 1) / dy : 0;
  p.rows.clear();
  int bpp = img.Channels() * img.depth;
  for (int y = 0; y < p.height; ++y) {
    std::vector<std::uint8_t> row(p.RowBytes(), 0);
    const auto& src = img.rows[static_cast<std::size_t>(y0 + y * dy)];
    for (int x = 0; x < p.width; ++x) {
      int sx = x0 + x * dx;
      for (int b = 0; b < bpp; ++b) {
        int sbit = sx * bpp + b, dbit = x * bpp + b;
        int v = (src[static_cast<std::size_t>(sbit >> 3)] >> (7 - (sbit & 7))) & 1;
        row[static_cast<std::size_t>(dbit >> 3)] =
            static_cast<std::uint8_t>(row[static_cast<std::size_t>(dbit >> 3)] | (v << (7 - (dbit & 7))));
      }
    }
    p.rows.push_back(std::move(row));
  }
  return p;
}
}  // namespace

std::string ChunkBytes(const std::string& name, const std::string& data) {
  std::string s;
  PutBE32(s, static_cast<std::uint32_t>(data.size()));
  std::string body = name + data;
  s += body;
  PutBE32(s, static_cast<std::uint32_t>(
                 crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
  return s;
}

std::string IhdrData(std::uint32_t w, std::uint32_t h, int depth, int colorType, int interlace) {
  std::string d;
  PutBE32(d, w);
  PutBE32(d, h);
  d.push_back(static_cast<char>(depth));
  d.push_back(static_cast<char>(colorType));
  d.push_back(0);
  d.push_back(0);
  d.push_back(static_cast<char>(interlace));
  return d;
}

std::string Encode(const RawImage& img, const EncodeOptions& opt) {
  std::mt19937 rng(opt.seed);
  std::string raw;
  std::size_t bpp = std::max<std::size_t>(1, static_cast<std::size_t>(img.Channels() * img.depth) / 8);
  auto addPass = [&](const RawImage& p) {
    if (p.width == 0 || p.height == 0) return;
    std::vector<std::uint8_t> prev(p.RowBytes(), 0);
    for (const auto& row : p.rows) {
      int type = opt.filter >= 0 ? opt.filter : static_cast<int>(rng() % 5);
      raw.push_back(static_cast<char>(type));
      for (std::size_t i = 0; i < row.size(); ++i) {
        int a = i >= bpp ? row[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
        int pred = type == 1 ? a : type == 2 ? b : type == 3 ? (a + b) / 2 : type == 4 ? Paeth(a, b, c) : 0;
        raw.push_back(static_cast<char>(row[i] - pred));
      }
      prev = row;
    }
  };
  if (opt.interlace) {
    const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                              {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (auto& p : passes) addPass(PassImage(img, p[0], p[1], p[2], p[3]));
  } else {
    addPass(img);
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string z(size, '\0');
  compress2(reinterpret_cast<Bytef*>(z.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
            static_cast<uLong>(raw.size()), 6);
  z.resize(size);

  std::string out("\x89PNG\r\n\x1a\n", 8);
  out += ChunkBytes("IHDR", IhdrData(static_cast<std::uint32_t>(img.width), static_cast<std::uint32_t>(img.height),
                                     img.depth, img.colorType, opt.interlace ? 1 : 0));
  if (!img.palette.empty()) out += ChunkBytes("PLTE", std::string(img.palette.begin(), img.palette.end()));
  if (!img.trns.empty()) out += ChunkBytes("tRNS", std::string(img.trns.begin(), img.trns.end()));
  for (const auto& c : opt.beforeIdat) out += ChunkBytes(c.name, c.data);
  std::size_t pos = 0, k = 0;
  do {
    std::size_t n = opt.idatSizes.empty() ? z.size() : opt.idatSizes[std::min(k, opt.idatSizes.size() - 1)];
    n = std::min(n, z.size() - pos);
    out += ChunkBytes("IDAT", z.substr(pos, n));
    pos += n;
    ++k;
  } while (pos < z.size());
  for (const auto& c : opt.afterIdat) out += ChunkBytes(c.name, c.data);
  out += ChunkBytes("IEND", "");
  return out;
}

namespace {
struct ReadState {
  const std::string* bytes;
  std::size_t pos;
};
void ReadFn(png_structp png, png_bytep data, png_size_t length) {
  auto* st = static_cast<ReadState*>(png_get_io_ptr(png));
  if (st->pos + length > st->bytes->size()) png_error(png, "read past end");
  std::memcpy(data, st->bytes->data() + st->pos, length);
  st->pos += length;
}
void ErrorFn(png_structp png, png_const_charp msg) {
  auto* err = static_cast<char*>(png_get_error_ptr(png));
  std::snprintf(err, 256, "%s", msg);
  png_longjmp(png, 1);
}
void WarningFn(png_structp, png_const_charp) {}

// Plain C-style so that longjmp crosses no destructor.
bool DecodeInto(const std::string* bytes, int* info, png_bytep* rowPointers, std::vector<std::uint8_t>* buffer,
                std::vector<std::uint8_t>* palette, std::vector<std::uint8_t>* trns, char* err) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, err, ErrorFn, WarningFn);
  png_infop pinfo = png_create_info_struct(png);
  ReadState st{bytes, 0};
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &pinfo, nullptr);
    return false;
  }
  png_set_read_fn(png, &st, ReadFn);
  png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
  png_read_info(png, pinfo);
  png_uint_32 w, h;
  int depth, ct, il;
  png_get_IHDR(png, pinfo, &w, &h, &depth, &ct, &il, nullptr, nullptr);
  png_set_interlace_handling(png);
  png_read_update_info(png, pinfo);
  std::size_t rowBytes = png_get_rowbytes(png, pinfo);
  if (static_cast<std::uint64_t>(rowBytes) * h > (std::uint64_t{1} << 30)) png_error(png, "too big");
  buffer->assign(rowBytes * h, 0);
  for (png_uint_32 y = 0; y < h; ++y) rowPointers[y] = buffer->data() + y * rowBytes;
  png_read_image(png, rowPointers);
  png_read_end(png, nullptr);
  png_colorp plte;
  int nplte;
  if (png_get_PLTE(png, pinfo, &plte, &nplte))
    for (int i = 0; i < nplte; ++i) {
      palette->push_back(plte[i].red);
      palette->push_back(plte[i].green);
      palette->push_back(plte[i].blue);
    }
  png_bytep alpha;
  int nt;
  png_color_16p key;
  if (png_get_tRNS(png, pinfo, &alpha, &nt, &key)) {
    if (ct == 3) {
      trns->assign(alpha, alpha + nt);
    } else if (ct == 0) {
      trns->push_back(static_cast<std::uint8_t>(key->gray >> 8));
      trns->push_back(static_cast<std::uint8_t>(key->gray));
    } else {
      for (png_uint_16 v : {key->red, key->green, key->blue}) {
        trns->push_back(static_cast<std::uint8_t>(v >> 8));
        trns->push_back(static_cast<std::uint8_t>(v));
      }
    }
  }
  info[0] = static_cast<int>(w);
  info[1] = static_cast<int>(h);
  info[2] = depth;
  info[3] = ct;
  info[4] = static_cast<int>(rowBytes);
  png_destroy_read_struct(&png, &pinfo, nullptr);
  return true;
}

// Reads only the header's height, so row pointers can be sized first.
std::uint32_t HeaderHeight(const std::string& bytes) {
  if (bytes.size() < 24) return 0;
  const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data()) + 20;
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}
}  // namespace

bool LibpngDecode(const std::string& bytes, RawImage& out, std::string* error) {
  std::uint32_t h = HeaderHeight(bytes);
  if (h > 100000) {
    if (error) *error = "image too tall for the test";
    return false;
  }
  std::vector<png_bytep> rowPointers(h + 1);
  std::vector<std::uint8_t> buffer;
  RawImage img;
  int info[5] = {};
  char err[256] = {};
  if (!DecodeInto(&bytes, info, rowPointers.data(), &buffer, &img.palette, &img.trns, err)) {
    if (error) *error = err;
    return false;
  }
  img.width = info[0];
  img.height = info[1];
  img.depth = info[2];
  img.colorType = info[3];
  std::size_t rb = static_cast<std::size_t>(info[4]);
  for (int y = 0; y < img.height; ++y)
    img.rows.emplace_back(buffer.begin() + static_cast<std::ptrdiff_t>(y * rb),
                          buffer.begin() + static_cast<std::ptrdiff_t>((y + 1) * rb));
  out = std::move(img);
  return true;
}

std::vector<Chunk> ListChunks(const std::string& bytes) {
  std::vector<Chunk> out;
  std::size_t pos = 8;
  while (pos + 12 <= bytes.size()) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data()) + pos;
    std::uint32_t len = (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
    if (pos + 12 + len > bytes.size()) break;
    out.push_back({bytes.substr(pos + 4, 4), bytes.substr(pos + 8, len)});
    pos += 12 + len;
  }
  return out;
}

std::string InflateIdat(const std::vector<Chunk>& chunks) {
  std::string z;
  for (const auto& c : chunks)
    if (c.name == "IDAT") z += c.data;
  z_stream zs{};
  inflateInit(&zs);
  zs.next_in = reinterpret_cast<Bytef*>(z.data());
  zs.avail_in = static_cast<uInt>(z.size());
  std::string out;
  char buf[65536];
  int rc;
  do {
    zs.next_out = reinterpret_cast<Bytef*>(buf);
    zs.avail_out = sizeof buf;
    rc = inflate(&zs, Z_NO_FLUSH);
    out.append(buf, sizeof buf - zs.avail_out);
  } while (rc == Z_OK);
  inflateEnd(&zs);
  return out;
}

std::string Save(const report::TPNGObject& png) {
  rtl::TMemoryStream out;
  png.SaveToStream(out);
  return out.Bytes();
}

void Load(report::TPNGObject& png, const std::string& bytes) {
  rtl::TMemoryStream in(bytes);
  png.LoadFromStream(in);
}

bool PngcheckPasses(const std::string& bytes, std::string* output) {
  const std::string pngcheck = support::FindTool("pngcheck");
  if (pngcheck.empty()) {
    if (output) *output = support::Missing("pngcheck", "pngcheck");
    return false;
  }
  const support::ScratchFolder scratch("zarnik-pngcheck-");
  const std::string path = scratch.File("check.png");
  const bool written = support::WriteFile(path, bytes);
  std::string cmd = "'" + pngcheck + "' '" + path + "' 2>&1";
  std::string text;
  int rc = -1;
  if (written) {
    if (FILE* f = popen(cmd.c_str(), "r")) {
      char buf[512];
      while (fgets(buf, sizeof buf, f)) text += buf;
      rc = pclose(f);
    }
  }
  if (output) *output = text;
  return rc == 0;
}

}  // namespace report_test
