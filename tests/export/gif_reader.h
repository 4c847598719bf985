// A small GIF reader for tests: the blocks of a one-image file and the LZW
// codes with the width each was read at, so tests can see clear codes and
// code widths as well as the pixels.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace exporttest {

struct GifCode {
  int code = 0;
  int width = 0;
};

struct GifFile {
  int width = 0, height = 0;
  std::uint8_t packed = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  std::string comment;
  std::vector<std::uint8_t> graphicControl;
  std::vector<GifCode> codes;
  std::vector<std::uint8_t> pixels;  // palette indices
  std::vector<int> subBlockSizes;
  std::uint32_t Color(std::size_t i) const { return palette.at(pixels.at(i)); }
};

inline GifFile ReadGif(const std::string& bytes) {
  std::size_t p = 0;
  auto need = [&](std::size_t n) {
    if (p + n > bytes.size()) throw std::runtime_error("GIF ends early");
  };
  auto u8 = [&]() -> std::uint8_t {
    need(1);
    return static_cast<std::uint8_t>(bytes[p++]);
  };
  auto u16 = [&]() {
    const int lo = u8();
    return lo | (u8() << 8);
  };
  auto subBlocks = [&](std::vector<int>* sizes) {
    std::string data;
    for (;;) {
      const int n = u8();
      if (n == 0) return data;
      if (sizes) sizes->push_back(n);
      need(static_cast<std::size_t>(n));
      data.append(bytes, p, static_cast<std::size_t>(n));
      p += static_cast<std::size_t>(n);
    }
  };
  GifFile gif;
  need(6);
  if (bytes.compare(0, 6, "GIF89a") != 0) throw std::runtime_error("not GIF89a");
  p = 6;
  gif.width = u16();
  gif.height = u16();
  gif.packed = u8();
  u8();
  u8();
  if (gif.packed & 0x80)
    for (int i = 0; i < (2 << (gif.packed & 7)); ++i) {
      const std::uint32_t r = u8(), g = u8(), b = u8();
      gif.palette.push_back((r << 16) | (g << 8) | b);
    }
  for (;;) {
    const int kind = u8();
    if (kind == 0x3B) break;
    if (kind == 0x21) {
      const int label = u8();
      const std::string data = subBlocks(nullptr);
      if (label == 0xFE) gif.comment += data;
      if (label == 0xF9) gif.graphicControl.assign(data.begin(), data.end());
      continue;
    }
    if (kind != 0x2C) throw std::runtime_error("unknown block");
    u16();
    u16();
    const int w = u16(), h = u16();
    if (u8() != 0) throw std::runtime_error("local table or interlace");
    const int minSize = u8();
    const std::string data = subBlocks(&gif.subBlockSizes);
    // LZW decoding, recording every code with its width.
    const int clear = 1 << minSize, end = clear + 1;
    std::vector<std::string> table;
    auto reset = [&] {
      table.assign(static_cast<std::size_t>(clear + 2), std::string());
      for (int i = 0; i < clear; ++i) table[static_cast<std::size_t>(i)] = std::string(1, static_cast<char>(i));
    };
    reset();
    int width = minSize + 1;
    std::size_t bit = 0;
    std::string previous;
    bool havePrevious = false;
    for (;;) {
      if (bit + static_cast<std::size_t>(width) > data.size() * 8) throw std::runtime_error("no end code");
      int code = 0;
      for (int i = 0; i < width; ++i, ++bit)
        code |= ((static_cast<unsigned char>(data[bit / 8]) >> (bit % 8)) & 1) << i;
      gif.codes.push_back({code, width});
      if (code == clear) {
        reset();
        width = minSize + 1;
        havePrevious = false;
        continue;
      }
      if (code == end) break;
      std::string entry;
      if (code < static_cast<int>(table.size()))
        entry = table[static_cast<std::size_t>(code)];
      else if (code == static_cast<int>(table.size()) && havePrevious)
        entry = previous + previous[0];
      else
        throw std::runtime_error("bad code " + std::to_string(code));
      gif.pixels.insert(gif.pixels.end(), entry.begin(), entry.end());
      if (havePrevious && table.size() < 4096) table.push_back(previous + entry[0]);
      previous = entry;
      havePrevious = true;
      if (static_cast<int>(table.size()) == (1 << width) && width < 12) ++width;
    }
    if (gif.pixels.size() != static_cast<std::size_t>(w) * h) throw std::runtime_error("pixel count");
  }
  return gif;
}

}  // namespace exporttest
