// The GIF89a writer: one image with a 256-entry global colour table, a
// graphic control block, the comment "ReziZuzore" and LZW-coded pixels.
#pragma once
#include <array>
#include <cstdint>

#include "platform/gfx/bitmap.h"
#include "platform/rtl/streams.h"

namespace report {

// Writes the bitmap as a GIF89a image at the stream's position. The bitmap
// is converted in place to 8 bits per pixel first (vuzConvertTo8Bit); its
// palette becomes the colour table.
void GIFSaveToStream(rtl::TStream& stream, gfx::TBitmap& bitmap);

// The LZW coder of the image data (minimum code size 8, codes of 9 to 12
// bits, a clear code whenever the table is full), writing sub-blocks of up
// to 254 bytes and the 0 terminator. Exposed for tests of the coding itself.
class TGifLzwEncoder {
 public:
  explicit TGifLzwEncoder(rtl::TStream& stream) : stream_(stream) {}
  // Codes the pixels (palette indices, rows top to bottom).
  void Encode(const std::uint8_t* pixels, std::size_t count);

 private:
  static constexpr int kHashSize = 5003;
  static constexpr int kInitBits = 9;
  static constexpr int kClearCode = 256;
  static constexpr int kEndCode = 257;
  static constexpr int kMaxMaxCode = 4096;

  void ClearHash() { hashKeys_.fill(-1); }
  void Output(int code);
  void CharOut(std::uint8_t c);
  void FlushPacket();

  rtl::TStream& stream_;
  std::uint32_t accum_ = 0;
  int accumBits_ = 0;
  int bits_ = kInitBits;
  int maxCode_ = (1 << kInitBits) - 1;
  int freeCode_ = kClearCode + 2;
  bool clearFlag_ = false;
  std::array<std::uint8_t, 254> packet_{};
  int packetLength_ = 0;
  std::array<std::int32_t, kHashSize> hashKeys_{};
  std::array<std::uint16_t, kHashSize> codes_{};
};

}  // namespace report
