#include "export/Gif.h"

#include <string>
#include <vector>

#include "export/vuzColorQuantizer.h"

namespace report {

namespace {

void Put16(std::string& s, int v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}

}  // namespace

// ---------------------------------------------------------------- LZW

void TGifLzwEncoder::CharOut(std::uint8_t c) {
  packet_[static_cast<std::size_t>(packetLength_++)] = c;
  if (packetLength_ >= 254) FlushPacket();
}

void TGifLzwEncoder::FlushPacket() {
  if (packetLength_ == 0) return;
  const std::uint8_t length = static_cast<std::uint8_t>(packetLength_);
  stream_.WriteBuffer(&length, 1);
  stream_.WriteBuffer(packet_.data(), packetLength_);
  packetLength_ = 0;
}

void TGifLzwEncoder::Output(int code) {
  // Codes go in above the bits already waiting, least significant first.
  accum_ |= static_cast<std::uint32_t>(code) << accumBits_;
  accumBits_ += bits_;
  while (accumBits_ >= 8) {
    CharOut(static_cast<std::uint8_t>(accum_ & 0xFF));
    accum_ >>= 8;
    accumBits_ -= 8;
  }
  // The decoder widens its codes when its table reaches the current limit;
  // follow it, or go back to 9 bits after a clear code.
  if (freeCode_ > maxCode_ || clearFlag_) {
    if (clearFlag_) {
      bits_ = kInitBits;
      maxCode_ = (1 << bits_) - 1;
      clearFlag_ = false;
    } else {
      ++bits_;
      maxCode_ = bits_ == 12 ? kMaxMaxCode : (1 << bits_) - 1;
    }
  }
  if (code == kEndCode) {
    while (accumBits_ > 0) {
      CharOut(static_cast<std::uint8_t>(accum_ & 0xFF));
      accum_ >>= 8;
      accumBits_ -= 8;
    }
    accumBits_ = 0;
    FlushPacket();
  }
}

void TGifLzwEncoder::Encode(const std::uint8_t* pixels, std::size_t count) {
  bits_ = kInitBits;
  maxCode_ = (1 << bits_) - 1;
  freeCode_ = kClearCode + 2;
  clearFlag_ = false;
  accum_ = 0;
  accumBits_ = 0;
  packetLength_ = 0;
  ClearHash();
  Output(kClearCode);
  if (count > 0) {
    int prefix = pixels[0];
    for (std::size_t n = 1; n < count; ++n) {
      const int c = pixels[n];
      const std::int32_t key = (c << 12) + prefix;
      int i = (c << 4) ^ prefix;
      bool found = false;
      if (hashKeys_[static_cast<std::size_t>(i)] == key) {
        found = true;
      } else if (hashKeys_[static_cast<std::size_t>(i)] >= 0) {
        // Open addressing with a secondary step; empty slots hold -1.
        const int step = i == 0 ? 1 : kHashSize - i;
        do {
          i -= step;
          if (i < 0) i += kHashSize;
          if (hashKeys_[static_cast<std::size_t>(i)] == key) {
            found = true;
            break;
          }
        } while (hashKeys_[static_cast<std::size_t>(i)] > 0);
      }
      if (found) {
        prefix = codes_[static_cast<std::size_t>(i)];
        continue;
      }
      Output(prefix);
      if (freeCode_ < kMaxMaxCode) {
        codes_[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(freeCode_++);
        hashKeys_[static_cast<std::size_t>(i)] = key;
      } else {
        // The table is full: start a new one.
        ClearHash();
        freeCode_ = kClearCode + 2;
        clearFlag_ = true;
        Output(kClearCode);
      }
      prefix = c;
    }
    Output(prefix);
  }
  Output(kEndCode);
}

// ---------------------------------------------------------------- file

void GIFSaveToStream(rtl::TStream& stream, gfx::TBitmap& bitmap) {
  const int width = bitmap.Width(), height = bitmap.Height();
  // The format's sizes are 16-bit: refuse rather than write a wrong size.
  if (width > 65535 || height > 65535)
    throw gfx::EInvalidGraphicOperation("A GIF picture can be at most 65535 pixels wide and high");
  vuzConvertTo8Bit(bitmap);
  std::string head = "GIF89a";
  Put16(head, width);
  Put16(head, height);
  head += '\xE7';  // global table, 8-bit colour resolution, 256 entries
  head += '\0';    // background colour index
  head += '\0';    // pixel aspect
  std::vector<gfx::TRGBQuad> palette = bitmap.Palette();
  palette.resize(256);
  for (const auto& q : palette) {
    head += static_cast<char>(q.rgbRed);
    head += static_cast<char>(q.rgbGreen);
    head += static_cast<char>(q.rgbBlue);
  }
  // Graphic control: no transparency, no delay.
  head += std::string("\x21\xF9\x04\x00\x00\x00\x00\x00", 8);
  // Comment.
  head += std::string("\x21\xFE\x0A", 3) + "ReziZuzore" + std::string(1, '\0');
  // Image descriptor: the whole screen, no local table, not interlaced.
  head += '\x2C';
  Put16(head, 0);
  Put16(head, 0);
  Put16(head, width);
  Put16(head, height);
  head += '\0';
  head += '\x08';  // LZW minimum code size
  stream.WriteString(head);

  std::vector<std::uint8_t> pixels;
  if (width > 0 && height > 0) {
    pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* row = static_cast<const gfx::TBitmap&>(bitmap).ScanLine(y);
      std::copy_n(row, width, pixels.data() + static_cast<std::size_t>(y) * width);
    }
  }
  TGifLzwEncoder(stream).Encode(pixels.data(), pixels.size());
  stream.WriteString(std::string("\0\x3B", 2));  // block terminator, trailer
}

}  // namespace report
