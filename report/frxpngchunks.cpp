// The chunk classes of the PNG picture: reading, writing and copying each
// chunk's own data.
#include <zlib.h>

#include <cctype>
#include <cmath>
#include <cstring>

#include "report/frxpngcodec_p.h"
#include "report/frxpngimage.h"

namespace report {

using pngcodec::ReadBE32;
using pngcodec::WriteBE32;

namespace {
std::uint16_t ReadBE16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }
void WriteBE16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 8);
  p[1] = static_cast<std::uint8_t>(v);
}

// The index of the colour-table entry nearest to a colour.
int NearestEntry(const std::array<TPNGRGB, 256>& table, int count, TPNGColor color) {
  int best = 0;
  long bestDist = -1;
  for (int i = 0; i < count; ++i) {
    long dr = table[i].r - PNGRed(color), dg = table[i].g - PNGGreen(color), db = table[i].b - PNGBlue(color);
    long d = dr * dr + dg * dg + db * db;
    if (bestDist < 0 || d < bestDist) {
      bestDist = d;
      best = i;
    }
  }
  return best;
}
}  // namespace

int PNGNearestEntry(const std::array<TPNGRGB, 256>& table, int count, TPNGColor color) {
  return NearestEntry(table, count, color);
}

// ---------------------------------------------------------------- TChunk
TChunk::TChunk(TPNGObject* owner) : data_(1, 0), owner_(owner) {}

void TChunk::ResizeData(std::uint32_t size) {
  data_.assign(static_cast<std::size_t>(size) + 1, 0);
  dataSize_ = size;
}

void TChunk::Assign(const TChunk& source) {
  data_ = source.data_;
  dataSize_ = source.dataSize_;
  name_ = source.name_;
}

void TChunk::ReadDataAndCheckCRC(rtl::TStream& stream, std::uint32_t size) {
  ResizeData(size);
  std::uint8_t crcBytes[4];
  if (stream.Read(data_.data(), size) != static_cast<std::int64_t>(size) || stream.Read(crcBytes, 4) != 4)
    throw EPngUnexpectedEnd();
  std::uint32_t crc = pngcodec::UpdateCrc(0, name_.data(), 4);
  crc = pngcodec::UpdateCrc(crc, data_.data(), size);
  if (crc != ReadBE32(crcBytes)) throw EPngInvalidCRC();
}

bool TChunk::LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) {
  name_.assign(name, 4);
  ReadDataAndCheckCRC(stream, size);
  return true;
}

bool TChunk::SaveToStream(rtl::TStream& stream) const { return WriteChunk(stream, data_.data(), dataSize_); }

bool TChunk::WriteChunk(rtl::TStream& stream, const std::uint8_t* data, std::uint32_t size) const {
  std::uint8_t head[8];
  WriteBE32(head, size);
  std::memcpy(head + 4, name_.data(), 4);
  std::uint32_t crc = pngcodec::UpdateCrc(0, head + 4, 4);
  crc = pngcodec::UpdateCrc(crc, data, size);
  std::uint8_t tail[4];
  WriteBE32(tail, crc);
  stream.WriteBuffer(head, 8);
  stream.WriteBuffer(data, size);
  stream.WriteBuffer(tail, 4);
  return true;
}

// ---------------------------------------------------------------- IEND
TChunkIEND::TChunkIEND(TPNGObject* owner) : TChunk(owner) { name_ = GetName(); }

// ---------------------------------------------------------------- IHDR
TChunkIHDR::TChunkIHDR(TPNGObject* owner) : TChunk(owner) { name_ = GetName(); }

void TChunkIHDR::Assign(const TChunk& source) {
  auto* src = dynamic_cast<const TChunkIHDR*>(&source);
  if (!src) throw EPngError(EPngErrorIncompatibleChunks);
  TChunk::Assign(source);
  Width = src->Width;
  Height = src->Height;
  BitDepth = src->BitDepth;
  ColorType = src->ColorType;
  CompressionMethod = src->CompressionMethod;
  FilterMethod = src->FilterMethod;
  InterlaceMethod = src->InterlaceMethod;
  // All planes, the low bytes of sixteen-bit samples included.
  pixels_ = src->pixels_;
}

bool TChunkIHDR::LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) {
  TChunk::LoadFromStream(stream, name, size);
  if (dataSize_ < 13) throw EPngInvalidIHDR();
  std::uint32_t w = ReadBE32(data_.data()), h = ReadBE32(data_.data() + 4);
  if (w > 65535 || h > 65535) throw EPNGSizeExceeds();
  BitDepth = data_[8];
  ColorType = data_[9];
  CompressionMethod = data_[10];
  FilterMethod = data_[11];
  InterlaceMethod = data_[12];
  if (CompressionMethod != 0) throw EPNGUnknownCompression();
  if (InterlaceMethod > 1) throw EPNGUnknownInterlace();
  // An empty image, or a type and depth the format does not define, has no
  // decoder here.
  if (w == 0 || h == 0 || !pngcodec::ValidTypeAndDepth(ColorType, BitDepth)) throw EPngInvalidIHDR();
  Width = static_cast<std::int32_t>(w);
  Height = static_cast<std::int32_t>(h);
  owner_->SetInterlaceMethod(static_cast<TInterlaceMethod>(InterlaceMethod));
  PrepareImageData();
  return true;
}

void TChunkIHDR::PrepareImageData() {
  const bool alpha = ColorType == COLOR_GRAYSCALEALPHA || ColorType == COLOR_RGBALPHA;
  const bool sixteen = BitDepth == 16;
  if (!pixels_.Create(Width, Height, pngcodec::HeldBitsPerPixel(ColorType, BitDepth), sixteen, alpha, alpha && sixteen,
                      TPNGObject::MaxImageBytes()))
    throw EPNGOutMemory();
  if (ColorType == COLOR_GRAYSCALE || ColorType == COLOR_GRAYSCALEALPHA) owner_->BuildGreyRamp(*this);
}

bool TChunkIHDR::SaveToStream(rtl::TStream& stream) const {
  std::uint8_t d[13];
  WriteBE32(d, static_cast<std::uint32_t>(Width));
  WriteBE32(d + 4, static_cast<std::uint32_t>(Height));
  d[8] = BitDepth == 2 ? 4 : BitDepth;
  d[9] = ColorType;
  d[10] = CompressionMethod;
  d[11] = FilterMethod;
  d[12] = static_cast<std::uint8_t>(owner_->InterlaceMethod());
  return WriteChunk(stream, d, 13);
}

// ---------------------------------------------------------------- IDAT
bool TChunkIDAT::LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) {
  name_.assign(name, 4);
  TChunkIHDR* header = owner_->GetHeader();
  if (header->ColorType == COLOR_GRAYSCALE || header->ColorType == COLOR_GRAYSCALEALPHA) owner_->BuildGreyRamp(*header);
  pngcodec::DecodeImageData(*owner_, *header, stream, size);
  return true;
}

bool TChunkIDAT::SaveToStream(rtl::TStream& stream) const {
  pngcodec::EncodeImageData(*owner_, *owner_->GetHeader(), *this, stream);
  return true;
}

// ---------------------------------------------------------------- PLTE
void TChunkPLTE::Assign(const TChunk& source) {
  auto* src = dynamic_cast<const TChunkPLTE*>(&source);
  if (!src) throw EPngError(EPngErrorIncompatibleChunks);
  TChunk::Assign(source);
  Count = src->Count;
}

bool TChunkPLTE::LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) {
  TChunk::LoadFromStream(stream, name, size);
  if (dataSize_ % 3 != 0 || dataSize_ / 3 > 256) throw EPNGInvalidPalette();
  Count = static_cast<int>(dataSize_ / 3);
  auto& table = owner_->GetHeader()->Pixels().ColorTable();
  const auto& gamma = owner_->GammaTable;
  for (int i = 0; i < Count; ++i)
    table[i] = TPNGRGB{gamma[data_[3 * i]], gamma[data_[3 * i + 1]], gamma[data_[3 * i + 2]]};
  return true;
}

bool TChunkPLTE::SaveToStream(rtl::TStream& stream) const {
  const TPNGPixels& px = owner_->GetHeader()->Pixels();
  int n = Count ? Count : px.ColorCount();
  if (n > 256) n = 256;
  std::vector<std::uint8_t> d(static_cast<std::size_t>(n) * 3 + 1);
  const auto& inv = owner_->InverseTable;
  for (int i = 0; i < n; ++i) {
    d[3 * i] = inv[px.ColorTable()[i].r];
    d[3 * i + 1] = inv[px.ColorTable()[i].g];
    d[3 * i + 2] = inv[px.ColorTable()[i].b];
  }
  return WriteChunk(stream, d.data(), static_cast<std::uint32_t>(n) * 3);
}

TPNGRGB TChunkPLTE::Item(int index) const {
  int n = Count ? Count : owner_->GetHeader()->Pixels().ColorCount();
  if (index < 0 || index >= n) throw EPngError(EPngErrorNoPaletteEntry);
  return owner_->GetHeader()->Pixels().ColorTable()[index];
}

// ---------------------------------------------------------------- gAMA
TChunkgAMA::TChunkgAMA(TPNGObject* owner) : TChunk(owner) { name_ = GetName(); }

void TChunkgAMA::Assign(const TChunk& source) {
  auto* src = dynamic_cast<const TChunkgAMA*>(&source);
  if (!src) throw EPngError(EPngErrorIncompatibleChunks);
  TChunk::Assign(source);
  Gamma = src->Gamma;
}

bool TChunkgAMA::LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) {
  TChunk::LoadFromStream(stream, name, size);
  if (dataSize_ < 4) return true;
  Gamma = ReadBE32(data_.data());
  if (Gamma == 0) return true;
  auto& gamma = owner_->GammaTable;
  auto& inverse = owner_->InverseTable;
  const double exponent = 1.0 / (Gamma / 100000.0 * 2.2);
  for (int i = 0; i < 256; ++i) {
    double base = i / 255.0;
    double v = base == 0 ? 0.0 : exponent == 0 ? 1.0 : std::pow(base, exponent);
    double r = std::nearbyint(255.0 * v);  // ties to even under the default rounding mode
    if (!(r >= 0)) r = 0;
    if (r > 255) r = 255;
    gamma[i] = static_cast<std::uint8_t>(r);
    inverse[gamma[i]] = static_cast<std::uint8_t>(i);
  }
  return true;
}

bool TChunkgAMA::SaveToStream(rtl::TStream& stream) const {
  std::uint8_t d[4];
  WriteBE32(d, Gamma);
  return WriteChunk(stream, d, 4);
}

// ---------------------------------------------------------------- tRNS
TChunktRNS::TChunktRNS(TPNGObject* owner) : TChunk(owner) {
  name_ = GetName();
  PaletteValues.fill(255);
}

void TChunktRNS::Assign(const TChunk& source) {
  TChunk::Assign(source);
  if (auto* src = dynamic_cast<const TChunktRNS*>(&source)) {
    PaletteValues = src->PaletteValues;
    BitTransparency = src->BitTransparency;
  }
}

bool TChunktRNS::LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) {
  TChunk::LoadFromStream(stream, name, size);
  if (dataSize_ > 256) throw EPNGInvalidPalette();
  PaletteValues.fill(255);
  std::memcpy(PaletteValues.data(), data_.data(), dataSize_);
  const TChunkIHDR* header = owner_->GetHeader();
  switch (header->ColorType) {
    case COLOR_GRAYSCALE:
      BitTransparency = true;
      // Two-bit grey is held (and written) as four-bit levels 0, 5, 10, 15:
      // the key follows the pixels it describes.
      if (header->BitDepth == 2 && dataSize_ >= 2) {
        std::uint16_t v = ReadBE16(PaletteValues.data());
        WriteBE16(PaletteValues.data(), v <= 3 ? static_cast<std::uint16_t>(v * 5) : 0xFFFF);
      }
      break;
    case COLOR_RGB: BitTransparency = true; break;
    case COLOR_PALETTE: {
      // One clear entry is a key colour; one half-clear entry is not, and
      // drawing it by key would hide the pixels of whatever colour the key
      // lookup gives.
      int notOpaque = 0, clear = 0;
      for (std::uint32_t i = 0; i < dataSize_; ++i) {
        notOpaque += PaletteValues[i] != 255;
        clear += PaletteValues[i] == 0;
      }
      BitTransparency = notOpaque == 1 && clear == 1;
      break;
    }
    default: BitTransparency = false; break;
  }
  return true;
}

bool TChunktRNS::SaveToStream(rtl::TStream& stream) const {
  return WriteChunk(stream, PaletteValues.data(), dataSize_);
}

TPNGColor TChunktRNS::GetTransparentColor() const {
  const TChunkIHDR* header = owner_->GetHeader();
  const TPNGPixels& px = header->Pixels();
  const auto& gamma = owner_->GammaTable;
  const bool sixteen = header->BitDepth == 16;
  switch (header->ColorType) {
    case COLOR_GRAYSCALE: {
      if (dataSize_ < 2) return 0;
      std::uint16_t v = ReadBE16(PaletteValues.data());
      int index = sixteen ? v >> 8 : v & 0xFF;
      const TPNGRGB& c = px.ColorTable()[index];
      return PNGColor(c.r, c.g, c.b);
    }
    case COLOR_RGB: {
      if (dataSize_ < 6) return 0;
      auto sample = [&](int i) {
        std::uint16_t v = ReadBE16(PaletteValues.data() + 2 * i);
        return gamma[sixteen ? v >> 8 : v & 0xFF];
      };
      return PNGColor(sample(0), sample(1), sample(2));
    }
    case COLOR_PALETTE:
      for (std::uint32_t i = 0; i < dataSize_; ++i)
        if (PaletteValues[i] == 0) {
          const TPNGRGB& c = px.ColorTable()[i];
          return PNGColor(c.r, c.g, c.b);
        }
      return 0;
    default: return 0;
  }
}

void TChunktRNS::SetTransparentColor(TPNGColor color) {
  const TChunkIHDR* header = owner_->GetHeader();
  const TPNGPixels& px = header->Pixels();
  const bool sixteen = header->BitDepth == 16;
  PaletteValues.fill(255);
  BitTransparency = true;
  switch (header->ColorType) {
    case COLOR_GRAYSCALE: {
      // The sample whose ramp entry is nearest to the colour, at the depth of
      // the pixels (a sixteen-bit key repeats the byte, as 0xFF is 0xFFFF).
      int index = NearestEntry(px.ColorTable(), px.ColorCount(), PNGColor(PNGRed(color), PNGRed(color), PNGRed(color)));
      ResizeData(2);
      WriteBE16(PaletteValues.data(), static_cast<std::uint16_t>(sixteen ? index * 257 : index));
      break;
    }
    case COLOR_RGB: {
      ResizeData(6);
      std::uint8_t c[3] = {PNGRed(color), PNGGreen(color), PNGBlue(color)};
      for (int i = 0; i < 3; ++i)
        WriteBE16(PaletteValues.data() + 2 * i, static_cast<std::uint16_t>(sixteen ? c[i] * 257 : c[i]));
      break;
    }
    case COLOR_PALETTE: {
      const TChunkPLTE* plte = owner_->Chunks().FindChunk<TChunkPLTE>();
      int count = plte && plte->Count ? plte->Count : px.ColorCount();
      int found = -1;
      for (int i = 0; i < count && found < 0; ++i)
        if (PNGColor(px.ColorTable()[i].r, px.ColorTable()[i].g, px.ColorTable()[i].b) == (color & 0xFFFFFF)) found = i;
      if (found >= 0) {
        ResizeData(static_cast<std::uint32_t>(found) + 1);
        PaletteValues[found] = 0;
      } else {
        // No entry has the colour, so no pixel is transparent; a table
        // longer than the palette would make the file invalid.
        ResizeData(static_cast<std::uint32_t>(count));
      }
      break;
    }
    default: break;
  }
  std::memcpy(data_.data(), PaletteValues.data(), dataSize_);
}

// ---------------------------------------------------------------- pHYs
void TChunkpHYs::Assign(const TChunk& source) {
  TChunk::Assign(source);
  if (auto* src = dynamic_cast<const TChunkpHYs*>(&source)) {
    PPUnitX = src->PPUnitX;
    PPUnitY = src->PPUnitY;
    UnitType = src->UnitType;
  }
}

bool TChunkpHYs::LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) {
  TChunk::LoadFromStream(stream, name, size);
  if (dataSize_ == 9) {
    PPUnitX = ReadBE32(data_.data());
    PPUnitY = ReadBE32(data_.data() + 4);
    UnitType = data_[8] == 1 ? utMeter : utUnknown;
  }
  return true;
}

bool TChunkpHYs::SaveToStream(rtl::TStream& stream) const {
  std::uint8_t d[9];
  WriteBE32(d, PPUnitX);
  WriteBE32(d + 4, PPUnitY);
  d[8] = static_cast<std::uint8_t>(UnitType);
  return WriteChunk(stream, d, 9);
}

// ---------------------------------------------------------------- tIME
void TChunktIME::Assign(const TChunk& source) {
  TChunk::Assign(source);
  if (auto* src = dynamic_cast<const TChunktIME*>(&source)) {
    Year = src->Year;
    Month = src->Month;
    Day = src->Day;
    Hour = src->Hour;
    Minute = src->Minute;
    Second = src->Second;
  }
}

bool TChunktIME::LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) {
  TChunk::LoadFromStream(stream, name, size);
  if (dataSize_ == 7) {
    Year = ReadBE16(data_.data());
    Month = data_[2];
    Day = data_[3];
    Hour = data_[4];
    Minute = data_[5];
    Second = data_[6];
  }
  return true;
}

bool TChunktIME::SaveToStream(rtl::TStream& stream) const {
  std::uint8_t d[7];
  WriteBE16(d, Year);
  d[2] = Month;
  d[3] = Day;
  d[4] = Hour;
  d[5] = Minute;
  d[6] = Second;
  return WriteChunk(stream, d, 7);
}

// ---------------------------------------------------------------- tEXt
void TChunktEXt::Assign(const TChunk& source) {
  TChunk::Assign(source);
  if (auto* src = dynamic_cast<const TChunktEXt*>(&source)) {
    Keyword = src->Keyword;
    Text = src->Text;
  }
}

bool TChunktEXt::LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) {
  TChunk::LoadFromStream(stream, name, size);
  if (dataSize_ > 2) {
    const char* p = reinterpret_cast<const char*>(data_.data());
    std::size_t key = strnlen(p, dataSize_);
    Keyword.assign(p, key);
    Text = key < dataSize_ ? std::string(p + key + 1, dataSize_ - key - 1) : std::string();
  }
  return true;
}

bool TChunktEXt::SaveToStream(rtl::TStream& stream) const {
  std::string d = Keyword;
  d.push_back('\0');
  d += Text;
  return WriteChunk(stream, reinterpret_cast<const std::uint8_t*>(d.data()), static_cast<std::uint32_t>(d.size()));
}

// ---------------------------------------------------------------- zTXt
bool TChunkzTXt::LoadFromStream(rtl::TStream& stream, const char name[4], std::uint32_t size) {
  TChunk::LoadFromStream(stream, name, size);
  if (dataSize_ <= 3) return true;
  const char* p = reinterpret_cast<const char*>(data_.data());
  std::size_t key = strnlen(p, dataSize_);
  Keyword.assign(p, key);
  Text.clear();
  if (key + 2 >= dataSize_) return true;
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) return true;
  zs.next_in = data_.data() + key + 2;
  zs.avail_in = static_cast<uInt>(dataSize_ - key - 2);
  std::string out;
  char buf[16384];
  int rc = Z_OK;
  while (rc == Z_OK) {
    zs.next_out = reinterpret_cast<Bytef*>(buf);
    zs.avail_out = sizeof buf;
    rc = inflate(&zs, Z_NO_FLUSH);
    out.append(buf, sizeof buf - zs.avail_out);
    if (out.size() > kMaxTextSize) rc = Z_MEM_ERROR;
    if (rc == Z_BUF_ERROR && zs.avail_in == 0) break;  // truncated data
  }
  inflateEnd(&zs);
  if (rc == Z_STREAM_END) Text = std::move(out);
  return true;
}

bool TChunkzTXt::SaveToStream(rtl::TStream& stream) const {
  std::string text = Text.empty() ? std::string(" ") : Text;
  uLongf bound = compressBound(static_cast<uLong>(text.size()));
  std::string d = Keyword;
  d.push_back('\0');
  d.push_back('\0');
  std::size_t head = d.size();
  d.resize(head + bound);
  if (compress2(reinterpret_cast<Bytef*>(&d[head]), &bound, reinterpret_cast<const Bytef*>(text.data()),
                static_cast<uLong>(text.size()), owner_->CompressionLevel()) != Z_OK)
    throw EPngError("zTXt compression failed");
  d.resize(head + bound);
  return WriteChunk(stream, reinterpret_cast<const std::uint8_t*>(d.data()), static_cast<std::uint32_t>(d.size()));
}

}  // namespace report
