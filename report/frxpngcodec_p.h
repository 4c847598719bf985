// The image-data coder of the PNG picture: row filters, the spreading of rows
// into the pixel store and back, and the zlib stream that runs across IDAT
// chunks. Internal to the codec.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/rtl/streams.h"

namespace report {

class TPNGObject;
class TChunkIHDR;
class TChunk;

namespace pngcodec {

// CRC-32 of the standard (reflected polynomial EDB88320), continued from crc.
std::uint32_t UpdateCrc(std::uint32_t crc, const void* data, std::size_t size);

// Big-endian helpers.
inline std::uint32_t ReadBE32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}
inline void WriteBE32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

// True for the colour type and depth pairs the PNG format allows.
bool ValidTypeAndDepth(int colorType, int bitDepth);
// Bits per pixel of the pixel store for a colour type and file depth.
int HeldBitsPerPixel(int colorType, int bitDepth);
// Channels per pixel of a colour type.
int Channels(int colorType);

// Decodes the image data that starts with an IDAT chunk of firstSize bytes
// whose name has been read; stops after the CRC of the last chunk it used.
void DecodeImageData(TPNGObject& png, TChunkIHDR& header, rtl::TStream& stream, std::uint32_t firstSize);

// Writes the image as one or more IDAT chunks.
void EncodeImageData(TPNGObject& png, TChunkIHDR& header, const TChunk& chunk, rtl::TStream& stream);

// Filter choice for one row of n bytes; filtered[t] holds the row filtered
// with type t for each type in the set (filtered[0] the unfiltered row).
int ChooseFilter(std::uint8_t filterSet, const std::uint8_t* const filtered[5], std::size_t n);

// Reverses one row's filter in place; prev is the previous unfiltered row.
void Unfilter(int type, std::uint8_t* row, const std::uint8_t* prev, std::size_t n, std::size_t bpp);

}  // namespace pngcodec

}  // namespace report
