#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "report/frxpngcodec_p.h"
#include "report/frxpngimage.h"

namespace report {

namespace pngcodec {

std::uint32_t UpdateCrc(std::uint32_t crc, const void* data, std::size_t size) {
  // zlib's CRC-32 is the PNG one (reflected EDB88320) and far faster than a
  // byte table.
  return static_cast<std::uint32_t>(::crc32_z(crc, static_cast<const Bytef*>(data), size));
}

bool ValidTypeAndDepth(int colorType, int bitDepth) {
  switch (colorType) {
    case COLOR_GRAYSCALE: return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
    case COLOR_PALETTE: return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
    case COLOR_RGB:
    case COLOR_GRAYSCALEALPHA:
    case COLOR_RGBALPHA: return bitDepth == 8 || bitDepth == 16;
    default: return false;
  }
}

int Channels(int colorType) {
  switch (colorType) {
    case COLOR_RGB: return 3;
    case COLOR_GRAYSCALEALPHA: return 2;
    case COLOR_RGBALPHA: return 4;
    default: return 1;
  }
}

int HeldBitsPerPixel(int colorType, int bitDepth) {
  if (colorType == COLOR_RGB || colorType == COLOR_RGBALPHA) return 24;
  if (bitDepth == 2) return 4;
  return bitDepth > 8 ? 8 : bitDepth;
}

namespace {

struct Pass {
  int x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kWhole = {0, 0, 1, 1};

int PassExtent(int size, int start, int step) { return size > start ? (size - start + step - 1) / step : 0; }

std::size_t RowBytes(int pixels, int bitsPerPixel) {
  return (static_cast<std::size_t>(pixels) * static_cast<std::size_t>(bitsPerPixel) + 7) / 8;
}

// Sample c of a packed row of d-bit samples (d < 8).
inline int PackedSample(const std::uint8_t* row, int c, int d) {
  int bit = c * d;
  return (row[bit >> 3] >> (8 - d - (bit & 7))) & ((1 << d) - 1);
}
inline void PutPackedSample(std::uint8_t* row, int c, int d, int v) {
  int bit = c * d;
  int shift = 8 - d - (bit & 7);
  int mask = ((1 << d) - 1) << shift;
  row[bit >> 3] = static_cast<std::uint8_t>((row[bit >> 3] & ~mask) | ((v << shift) & mask));
}

inline std::uint8_t PaethPredictor(int a, int b, int c) {
  int pa = std::abs(b - c);
  int pb = std::abs(a - c);
  int pc = std::abs(a + b - 2 * c);
  if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
  return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

[[noreturn]] void RaiseZlib(int code) {
  const char* text;
  switch (code) {
    case Z_ERRNO: text = "file error (-1)"; break;
    case Z_STREAM_ERROR: text = "stream error (-2)"; break;
    case Z_MEM_ERROR: text = "insufficient memory (-4)"; break;
    case Z_BUF_ERROR: text = "buffer error (-5)"; break;
    case Z_VERSION_ERROR: text = "incompatible version (-6)"; break;
    default: text = "data error (-3)"; break;
  }
  throw EPNGZLIBError(
      std::string("Could not decompress the image because it contains invalid compressed data.\r\n Description: ") +
      text);
}

// ------------------------------------------------------------ row spreading
// Moves one unfiltered PNG row of `count` pixels into the pixel store at row
// y, pixels x0, x0 + dx, ...
class RowSpreader {
 public:
  RowSpreader(TPNGObject& png, TChunkIHDR& header)
      : px_(header.Pixels()), type_(header.ColorType), depth_(header.BitDepth), gamma_(png.GammaTable.data()) {
    identity_ = true;
    for (int i = 0; i < 256; ++i) identity_ = identity_ && gamma_[i] == i;
  }

  void Store(const std::uint8_t* src, int y, int x0, int dx, int count) {
    std::uint8_t* dst = px_.ScanLine(y);
    switch (type_) {
      case COLOR_GRAYSCALE:
      case COLOR_PALETTE: StoreIndexed(src, dst, y, x0, dx, count); break;
      case COLOR_RGB:
      case COLOR_RGBALPHA: StoreRGB(src, dst, y, x0, dx, count, type_ == COLOR_RGBALPHA ? 4 : 3); break;
      case COLOR_GRAYSCALEALPHA: StoreGreyAlpha(src, dst, y, x0, dx, count); break;
    }
  }

 private:
  void StoreIndexed(const std::uint8_t* src, std::uint8_t* dst, int y, int x0, int dx, int count) {
    if (depth_ == 16) {
      std::uint8_t* lo = px_.ExtraLine(y);
      for (int c = 0, x = x0; c < count; ++c, x += dx) {
        dst[x] = src[2 * c];
        lo[x] = src[2 * c + 1];
      }
      return;
    }
    if (dx == 1 && depth_ != 2) {
      std::memcpy(dst, src, RowBytes(count, depth_));
      return;
    }
    int held = depth_ == 2 ? 4 : depth_;
    // Two-bit grey levels spread over the 16-entry ramp (0, 5, 10, 15) so
    // that white stays white; two-bit palette indexes stay as they are.
    int scale = (depth_ == 2 && type_ == COLOR_GRAYSCALE) ? 5 : 1;
    for (int c = 0, x = x0; c < count; ++c, x += dx) {
      int v = depth_ == 8 ? src[c] : PackedSample(src, c, depth_);
      if (held == 8)
        dst[x] = static_cast<std::uint8_t>(v);
      else
        PutPackedSample(dst, x, held, v * scale);
    }
  }

  void StoreRGB(const std::uint8_t* src, std::uint8_t* dst, int y, int x0, int dx, int count, int ch) {
    std::uint8_t* alpha = px_.AlphaLine(y);
    if (depth_ == 8) {
      std::uint8_t* d = dst + 3 * x0;
      const std::size_t step = 3 * static_cast<std::size_t>(dx);
      if (identity_) {
        for (int c = 0; c < count; ++c, d += step, src += ch) {
          d[0] = src[2];
          d[1] = src[1];
          d[2] = src[0];
        }
      } else {
        for (int c = 0; c < count; ++c, d += step, src += ch) {
          d[0] = gamma_[src[2]];
          d[1] = gamma_[src[1]];
          d[2] = gamma_[src[0]];
        }
      }
      if (ch == 4) {
        src -= static_cast<std::size_t>(count) * 4;
        for (int c = 0, x = x0; c < count; ++c, x += dx) alpha[x] = src[4 * c + 3];
      }
      return;
    }
    std::uint8_t* lo = px_.ExtraLine(y);
    std::uint8_t* alphaLow = px_.AlphaLowLine(y);
    for (int c = 0, x = x0; c < count; ++c, x += dx, src += 2 * ch) {
      std::uint8_t* d = dst + 3 * x;
      std::uint8_t* l = lo + 3 * x;
      d[0] = gamma_[src[4]];
      d[1] = gamma_[src[2]];
      d[2] = gamma_[src[0]];
      l[0] = src[5];
      l[1] = src[3];
      l[2] = src[1];
      if (ch == 4) {
        alpha[x] = src[6];
        alphaLow[x] = src[7];
      }
    }
  }

  void StoreGreyAlpha(const std::uint8_t* src, std::uint8_t* dst, int y, int x0, int dx, int count) {
    std::uint8_t* alpha = px_.AlphaLine(y);
    if (depth_ == 8) {
      for (int c = 0, x = x0; c < count; ++c, x += dx) {
        dst[x] = src[2 * c];
        alpha[x] = src[2 * c + 1];
      }
      return;
    }
    std::uint8_t* lo = px_.ExtraLine(y);
    std::uint8_t* alphaLow = px_.AlphaLowLine(y);
    for (int c = 0, x = x0; c < count; ++c, x += dx) {
      dst[x] = src[4 * c];
      lo[x] = src[4 * c + 1];
      alpha[x] = src[4 * c + 2];
      alphaLow[x] = src[4 * c + 3];
    }
  }

  TPNGPixels& px_;
  int type_, depth_;
  const std::uint8_t* gamma_;
  bool identity_;
};

// Builds one PNG row (in file sample order) from the pixel store; the
// counterpart of RowSpreader. Low-depth images are written at their held
// depth (two-bit images as four-bit).
class RowGatherer {
 public:
  RowGatherer(TPNGObject& png, TChunkIHDR& header)
      : px_(header.Pixels()), type_(header.ColorType), inverse_(png.InverseTable.data()) {
    depth_ = header.BitDepth == 2 ? 4 : header.BitDepth;
    identity_ = true;
    for (int i = 0; i < 256; ++i) identity_ = identity_ && inverse_[i] == i;
  }
  int Depth() const { return depth_; }

  void Gather(std::uint8_t* out, int y, int x0, int dx, int count) {
    const std::uint8_t* row = px_.ScanLine(y);
    const std::uint8_t* lo = px_.ExtraLine(y);
    const std::uint8_t* alpha = px_.AlphaLine(y);
    const std::uint8_t* alphaLow = px_.AlphaLowLine(y);
    switch (type_) {
      case COLOR_GRAYSCALE:
      case COLOR_PALETTE:
        if (depth_ == 16) {
          for (int c = 0, x = x0; c < count; ++c, x += dx) {
            out[2 * c] = row[x];
            out[2 * c + 1] = lo[x];
          }
        } else if (dx == 1) {
          std::memcpy(out, row, RowBytes(count, depth_));
        } else {
          std::memset(out, 0, RowBytes(count, depth_));
          for (int c = 0, x = x0; c < count; ++c, x += dx)
            if (depth_ == 8)
              out[c] = row[x];
            else
              PutPackedSample(out, c, depth_, PackedSample(row, x, depth_));
        }
        break;
      case COLOR_GRAYSCALEALPHA:
        for (int c = 0, x = x0; c < count; ++c, x += dx) {
          if (depth_ == 8) {
            out[2 * c] = row[x];
            out[2 * c + 1] = alpha[x];
          } else {
            out[4 * c] = row[x];
            out[4 * c + 1] = lo[x];
            out[4 * c + 2] = alpha[x];
            out[4 * c + 3] = alphaLow[x];
          }
        }
        break;
      case COLOR_RGB:
      case COLOR_RGBALPHA: {
        const bool withAlpha = type_ == COLOR_RGBALPHA;
        const int ch = withAlpha ? 4 : 3;
        if (depth_ == 8) {
          const std::uint8_t* s = row + 3 * x0;
          const std::size_t step = 3 * static_cast<std::size_t>(dx);
          std::uint8_t* o = out;
          if (identity_) {
            for (int c = 0; c < count; ++c, s += step, o += ch) {
              o[0] = s[2];
              o[1] = s[1];
              o[2] = s[0];
            }
          } else {
            for (int c = 0; c < count; ++c, s += step, o += ch) {
              o[0] = inverse_[s[2]];
              o[1] = inverse_[s[1]];
              o[2] = inverse_[s[0]];
            }
          }
          if (withAlpha)
            for (int c = 0, x = x0; c < count; ++c, x += dx) out[4 * c + 3] = alpha[x];
        } else {
          for (int c = 0, x = x0; c < count; ++c, x += dx) {
            const std::uint8_t* s = row + 3 * x;
            const std::uint8_t* l = lo + 3 * x;
            std::uint8_t* o = out + 2 * ch * c;
            o[0] = inverse_[s[2]];
            o[1] = l[2];
            o[2] = inverse_[s[1]];
            o[3] = l[1];
            o[4] = inverse_[s[0]];
            o[5] = l[0];
            if (withAlpha) {
              o[6] = alpha[x];
              o[7] = alphaLow[x];
            }
          }
        }
        break;
      }
    }
  }

 private:
  TPNGPixels& px_;
  int type_, depth_;
  const std::uint8_t* inverse_;
  bool identity_;
};

// ------------------------------------------------------------ reading
// Feeds the zlib stream from consecutive IDAT chunks.
class IdatReader {
 public:
  IdatReader(rtl::TStream& stream, std::uint32_t firstSize) : stream_(stream), remaining_(firstSize) {
    static const char kName[4] = {'I', 'D', 'A', 'T'};
    crc_ = UpdateCrc(0, kName, 4);
    std::memset(&zs_, 0, sizeof zs_);
    int rc = inflateInit(&zs_);
    if (rc != Z_OK) RaiseZlib(rc);
    buffer_.resize(65535);
  }
  ~IdatReader() { inflateEnd(&zs_); }

  // Inflates exactly n bytes into out.
  void Fill(std::uint8_t* out, std::size_t n) {
    zs_.next_out = out;
    zs_.avail_out = static_cast<uInt>(n);
    while (zs_.avail_out > 0) {
      if (zs_.avail_in == 0) {
        if (remaining_ == 0) {
          NextChunk();
          continue;
        }
        ReadBlock();
      }
      if (ended_) {
        // The compressed stream has ended before the image: what follows
        // can only be another chunk's worth of data, which we pass over.
        zs_.avail_in = 0;
        continue;
      }
      int rc = inflate(&zs_, Z_NO_FLUSH);
      if (rc == Z_STREAM_END)
        ended_ = true;
      else if (rc != Z_OK)
        RaiseZlib(rc == Z_NEED_DICT ? Z_DATA_ERROR : rc);
    }
  }

  // Passes over what is left of the current chunk and checks its CRC.
  void Finish() {
    while (remaining_ > 0) ReadBlock();
    CheckCrc();
  }

 private:
  void ReadBlock() {
    std::uint32_t n = std::min<std::uint32_t>(remaining_, static_cast<std::uint32_t>(buffer_.size()));
    stream_.ReadBuffer(buffer_.data(), n);
    crc_ = UpdateCrc(crc_, buffer_.data(), n);
    remaining_ -= n;
    zs_.next_in = buffer_.data();
    zs_.avail_in = n;
  }

  void CheckCrc() {
    std::uint8_t b[4];
    if (stream_.Read(b, 4) != 4) throw EPngUnexpectedEnd();
    if (ReadBE32(b) != crc_) throw EPngInvalidCRC();
  }

  void NextChunk() {
    CheckCrc();
    std::uint8_t head[8];
    if (stream_.Read(head, 8) != 8) throw EPngUnexpectedEnd();
    if (std::memcmp(head + 4, "IDAT", 4) != 0) throw EPNGMissingMultipleIDAT();
    std::uint32_t size = ReadBE32(head);
    std::int64_t left = stream_.Size() - stream_.Position();
    if (static_cast<std::int64_t>(size) > left - 4) throw EPngUnexpectedEnd();
    remaining_ = size;
    crc_ = UpdateCrc(0, head + 4, 4);
  }

  rtl::TStream& stream_;
  std::uint32_t remaining_;
  std::uint32_t crc_;
  z_stream zs_;
  std::vector<std::uint8_t> buffer_;
  bool ended_ = false;
};

// ------------------------------------------------------------ writing
// Collects deflated output into IDAT chunks of exactly the largest size.
class IdatWriter {
 public:
  IdatWriter(const TChunk& chunk, rtl::TStream& stream, int level, std::uint32_t chunkSize)
      : chunk_(chunk), stream_(stream), out_(chunkSize) {
    std::memset(&zs_, 0, sizeof zs_);
    int rc = deflateInit(&zs_, level);
    if (rc != Z_OK) RaiseZlib(rc);
    zs_.next_out = out_.data();
    zs_.avail_out = chunkSize;
  }
  ~IdatWriter() { deflateEnd(&zs_); }

  void Write(const std::uint8_t* data, std::size_t n) {
    zs_.next_in = const_cast<std::uint8_t*>(data);
    zs_.avail_in = static_cast<uInt>(n);
    while (zs_.avail_in > 0) {
      int rc = deflate(&zs_, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_BUF_ERROR) RaiseZlib(rc);
      if (zs_.avail_out == 0) Flush();
    }
  }

  void Finish() {
    for (;;) {
      int rc = deflate(&zs_, Z_FINISH);
      if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) RaiseZlib(rc);
      if (zs_.avail_out == 0) Flush();
      if (rc == Z_STREAM_END) break;
    }
    std::size_t rest = out_.size() - zs_.avail_out;
    if (rest > 0 || written_ == 0) chunk_.WriteChunk(stream_, out_.data(), static_cast<std::uint32_t>(rest));
  }

 private:
  void Flush() {
    chunk_.WriteChunk(stream_, out_.data(), static_cast<std::uint32_t>(out_.size()));
    ++written_;
    zs_.next_out = out_.data();
    zs_.avail_out = static_cast<uInt>(out_.size());
  }

  const TChunk& chunk_;
  rtl::TStream& stream_;
  std::vector<std::uint8_t> out_;
  z_stream zs_;
  int written_ = 0;
};

// Bytes per complete pixel, at least one: the distance the filters look back.
std::size_t FilterStep(int colorType, int depth) {
  std::size_t bits = static_cast<std::size_t>(Channels(colorType)) * static_cast<std::size_t>(depth);
  return bits < 8 ? 1 : bits / 8;
}

void FilterRow(int type, const std::uint8_t* raw, const std::uint8_t* prev, std::uint8_t* out, std::size_t n,
               std::size_t bpp) {
  for (std::size_t i = 0; i < n; ++i) {
    int a = i >= bpp ? raw[i - bpp] : 0;
    int b = prev[i];
    int c = i >= bpp ? prev[i - bpp] : 0;
    int pred = 0;
    switch (type) {
      case pfSub: pred = a; break;
      case pfUp: pred = b; break;
      case pfAverage: pred = (a + b) >> 1; break;
      case pfPaeth: pred = PaethPredictor(a, b, c); break;
    }
    out[i] = static_cast<std::uint8_t>(raw[i] - pred);
  }
}

}  // namespace

void Unfilter(int type, std::uint8_t* row, const std::uint8_t* prev, std::size_t n, std::size_t bpp) {
  switch (type) {
    case pfSub:
      for (std::size_t i = bpp; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + row[i - bpp]);
      break;
    case pfUp:
      for (std::size_t i = 0; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + prev[i]);
      break;
    case pfAverage: {
      std::size_t first = std::min(bpp, n);
      for (std::size_t i = 0; i < first; ++i) row[i] = static_cast<std::uint8_t>(row[i] + (prev[i] >> 1));
      for (std::size_t i = bpp; i < n; ++i)
        row[i] = static_cast<std::uint8_t>(row[i] + ((row[i - bpp] + prev[i]) >> 1));
      break;
    }
    case pfPaeth: {
      std::size_t first = std::min(bpp, n);
      for (std::size_t i = 0; i < first; ++i) row[i] = static_cast<std::uint8_t>(row[i] + prev[i]);
      for (std::size_t i = bpp; i < n; ++i)
        row[i] = static_cast<std::uint8_t>(row[i] + PaethPredictor(row[i - bpp], prev[i], prev[i - bpp]));
      break;
    }
    default: break;  // None, and unknown types, leave the row as it is
  }
}

int ChooseFilter(std::uint8_t filterSet, const std::uint8_t* const filtered[5], std::size_t n) {
  if (filterSet == 0 || filterSet == (1u << pfNone)) return pfNone;
  int held = 0;
  for (int t = 0; t < 5; ++t) held += (filterSet >> t) & 1;
  int best = pfNone;
  long bestScore = 0;
  for (int t = 0; t < 5; ++t) {
    if (!((filterSet >> t) & 1)) continue;
    if (held == 1) return t;
    const std::uint8_t* r = filtered[t];
    long score = 0;
    for (std::size_t i = 2; i < n; ++i) score += (r[i] == r[i - 1] || r[i] == r[i - 2]) ? 1 : 0;
    if (score > bestScore) {
      bestScore = score;
      best = t;
    }
  }
  return bestScore > 0 ? best : pfNone;
}

void DecodeImageData(TPNGObject& png, TChunkIHDR& header, rtl::TStream& stream, std::uint32_t firstSize) {
  const int width = header.Width, height = header.Height;
  const int depth = header.BitDepth;
  const int bitsPerPixel = Channels(header.ColorType) * depth;
  const std::size_t step = FilterStep(header.ColorType, depth);
  RowSpreader spreader(png, header);
  IdatReader reader(stream, firstSize);

  const std::size_t maxRow = RowBytes(width, bitsPerPixel);
  std::vector<std::uint8_t> cur(maxRow + 1), prev(maxRow + 1);
  const bool adam7 = png.InterlaceMethod() == imAdam7;
  for (int p = 0; p < (adam7 ? 7 : 1); ++p) {
    const Pass& pass = adam7 ? kAdam7[p] : kWhole;
    int cols = PassExtent(width, pass.x0, pass.dx);
    int rows = PassExtent(height, pass.y0, pass.dy);
    if (cols == 0 || rows == 0) continue;
    std::size_t n = RowBytes(cols, bitsPerPixel);
    std::fill(prev.begin(), prev.end(), 0);
    for (int r = 0; r < rows; ++r) {
      reader.Fill(cur.data(), n + 1);
      Unfilter(cur[0], cur.data() + 1, prev.data() + 1, n, step);
      spreader.Store(cur.data() + 1, pass.y0 + r * pass.dy, pass.x0, pass.dx, cols);
      std::swap(cur, prev);
    }
  }
  reader.Finish();
}

void EncodeImageData(TPNGObject& png, TChunkIHDR& header, const TChunk& chunk, rtl::TStream& stream) {
  const int width = header.Width, height = header.Height;
  RowGatherer gatherer(png, header);
  const int bitsPerPixel = Channels(header.ColorType) * gatherer.Depth();
  const std::size_t step = FilterStep(header.ColorType, gatherer.Depth());
  const TFilters set = png.Filters();
  IdatWriter writer(chunk, stream, png.CompressionLevel(), static_cast<std::uint32_t>(png.MaxIdatSize()));

  const std::size_t maxRow = RowBytes(width, bitsPerPixel);
  // One buffer per filter type, each with room for the filter byte in front.
  std::vector<std::uint8_t> buf[5];
  for (int t = 0; t < 5; ++t)
    if (t == 0 || ((set >> t) & 1)) buf[t].assign(maxRow + 1, 0);
  std::vector<std::uint8_t> prev(maxRow, 0);
  const bool adam7 = png.InterlaceMethod() == imAdam7;
  for (int p = 0; p < (adam7 ? 7 : 1); ++p) {
    const Pass& pass = adam7 ? kAdam7[p] : kWhole;
    int cols = PassExtent(width, pass.x0, pass.dx);
    int rows = PassExtent(height, pass.y0, pass.dy);
    if (cols == 0 || rows == 0) continue;
    std::size_t n = RowBytes(cols, bitsPerPixel);
    std::fill(prev.begin(), prev.end(), 0);
    for (int r = 0; r < rows; ++r) {
      std::uint8_t* raw = buf[0].data() + 1;
      gatherer.Gather(raw, pass.y0 + r * pass.dy, pass.x0, pass.dx, cols);
      const std::uint8_t* filtered[5] = {raw, nullptr, nullptr, nullptr, nullptr};
      for (int t = 1; t < 5; ++t)
        if ((set >> t) & 1) {
          FilterRow(t, raw, prev.data(), buf[t].data() + 1, n, step);
          filtered[t] = buf[t].data() + 1;
        }
      int type = ChooseFilter(set, filtered, n);
      buf[type][0] = static_cast<std::uint8_t>(type);
      writer.Write(buf[type].data(), n + 1);
      std::memcpy(prev.data(), raw, n);
    }
  }
  writer.Finish();
}

}  // namespace pngcodec

}  // namespace report
