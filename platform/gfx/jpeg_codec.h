// JPEG compression and decompression through libjpeg on plain pixel
// buffers. libjpeg's fatal errors, and a file that ends early, come back as
// EJPEG with libjpeg's own message instead of ending the process.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/graphic_errors.h"

namespace gfx::jpeg {

// Pixels top-down, rows packed: 3 bytes per pixel (R, G, B) or 1 (grey).
struct Image {
  int width = 0, height = 0;
  int components = 3;
  std::vector<std::uint8_t> pixels;
};

struct Info {
  int width = 0, height = 0;
  int components = 0;  // as stored: 1 grey, 3 YCbCr/RGB, 4 CMYK/YCCK
  bool progressive = false;
};

// True when the data starts with a JPEG start-of-image marker.
bool LooksLikeJpeg(std::string_view data);

// Reads the header only.
Info ReadInfo(std::string_view data);

// Decodes to RGB, or to grey when grayscale is set or the file is grey.
// CMYK and YCCK files are converted to RGB. scaleDenom 1, 2, 4 or 8
// decodes at that fraction of the full size.
Image Decode(std::string_view data, bool grayscale = false, int scaleDenom = 1);

// Encodes an RGB or grey image. quality 1..100.
std::string Encode(const Image& image, int quality, bool progressive = false, bool grayscale = false);

}  // namespace gfx::jpeg
