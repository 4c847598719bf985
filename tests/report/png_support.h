// Test helpers for the PNG codec: random images, a small independent PNG
// writer (random filter per row, IDAT split at will), libpng as the reference
// decoder, a chunk lister, and the codec's own picture to and from bytes.
#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace report {
class TPNGObject;
}

namespace report_test {

// An image in PNG sample order: each row holds its packed samples, unfiltered.
struct RawImage {
  int width = 0, height = 0, colorType = 0, depth = 0;
  std::vector<std::vector<std::uint8_t>> rows;
  std::vector<std::uint8_t> palette;  // RGB triples (palette images)
  std::vector<std::uint8_t> trns;     // raw tRNS bytes, empty for none
  int Channels() const;
  std::size_t RowBytes() const { return (static_cast<std::size_t>(width) * Channels() * depth + 7) / 8; }
  // Sample of channel ch at (x, y), 16-bit samples whole.
  int Sample(int x, int y, int ch) const;
};

RawImage RandomImage(int colorType, int depth, int width, int height, std::uint32_t seed);

struct Chunk {
  std::string name;
  std::string data;
};

struct EncodeOptions {
  bool interlace = false;
  // -1: a random filter type per row; 0..4: that type for every row.
  int filter = -1;
  // Sizes of the IDAT chunks to cut (the last repeats); empty: one chunk.
  std::vector<std::size_t> idatSizes;
  std::vector<Chunk> beforeIdat;  // extra chunks written after PLTE/tRNS
  std::vector<Chunk> afterIdat;   // extra chunks written before IEND
  std::uint32_t seed = 1;
};

// An independent writer: our tests' own PNG files.
std::string Encode(const RawImage& img, const EncodeOptions& opt = {});
std::string ChunkBytes(const std::string& name, const std::string& data);
std::string IhdrData(std::uint32_t w, std::uint32_t h, int depth, int colorType, int interlace);

// Decodes with libpng into a RawImage (full rows, interlacing undone, no
// transformations); false with the message on failure.
bool LibpngDecode(const std::string& bytes, RawImage& out, std::string* error = nullptr);

// The chunks of a PNG file in order (the signature skipped).
std::vector<Chunk> ListChunks(const std::string& bytes);
// The inflated contents of all IDAT chunks.
std::string InflateIdat(const std::vector<Chunk>& chunks);

// The file our codec writes for the picture, and the picture read from bytes.
std::string Save(const report::TPNGObject& png);
void Load(report::TPNGObject& png, const std::string& bytes);

// Runs pngcheck on the bytes; true when it finds no error.
bool PngcheckPasses(const std::string& bytes, std::string* output = nullptr);

}  // namespace report_test
