// Helpers for tests that check our files with independent programs
// (LibreOffice, libwmf, ImageMagick). The programs are found with
// support::FindTool; a test whose program is missing skips with a message
// that names the Debian package.
#pragma once
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/external_tools.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

namespace gfx_test {

inline int Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

// What a shell command writes to its standard output ("" when it cannot start).
inline std::string Output(const std::string& command) { return support::CommandOutput(command); }

// An RGB raster read through ImageMagick (as a binary PPM).
struct RgbImage {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
  bool Empty() const { return width == 0; }
  // 0x00BBGGRR, as the system's colours.
  unsigned Pixel(int x, int y) const {
    const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    return p[0] | (p[1] << 8) | (p[2] << 16);
  }
};

inline RgbImage ReadWithImageMagick(const std::string& convert, const std::string& file, const std::string& ppm) {
  RgbImage img;
  if (Run("'" + convert + "' '" + file + "' -alpha remove -background white -depth 8 ppm:'" + ppm + "'") != 0)
    return img;
  std::string data = support::ReadFile(ppm);
  std::istringstream in(data);
  std::string magic;
  int maxval = 0;
  in >> magic >> img.width >> img.height >> maxval;
  in.get();
  std::size_t n = static_cast<std::size_t>(img.width) * img.height * 3;
  if (magic != "P6" || maxval != 255 || data.size() < static_cast<std::size_t>(in.tellg()) + n) return RgbImage{};
  img.rgb.assign(data.begin() + in.tellg(), data.begin() + in.tellg() + static_cast<std::ptrdiff_t>(n));
  return img;
}

// The smallest rectangle holding every pixel that is not white: where a
// reader placed a picture that paints its whole area.
struct Box {
  int left = 0, top = 0, right = -1, bottom = -1;  // inclusive
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};
inline Box ContentBox(const RgbImage& img) {
  Box b{img.width, img.height, -1, -1};
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x)
      if (img.Pixel(x, y) != 0xFFFFFF) {
        b.left = std::min(b.left, x);
        b.top = std::min(b.top, y);
        b.right = std::max(b.right, x);
        b.bottom = std::max(b.bottom, y);
      }
  return b;
}

// Colours within a tolerance per channel (anti-aliasing, colour management).
inline bool NearColor(unsigned c, unsigned want, int tolerance = 48) {
  for (int s = 0; s < 24; s += 8)
    if (std::abs(int((c >> s) & 0xFF) - int((want >> s) & 0xFF)) > tolerance) return false;
  return true;
}

// Converts a picture to PNG with LibreOffice headless; empty when it fails.
inline std::string ConvertWithLibreOffice(const std::string& soffice, const support::ScratchFolder& dir,
                                          const std::string& file) {
  Run(support::LibreOfficeCommand(soffice, dir.File("lo-profile")) + " --convert-to png --outdir '" +
      dir.File("lo-out") + "' '" + file + "'");
  std::string stem = std::filesystem::path(file).stem().string();
  std::string png = dir.File("lo-out/" + stem + ".png");
  return std::filesystem::exists(png) ? png : std::string();
}

}  // namespace gfx_test

// The namespace's earlier name, for tests written before the rename.
namespace gfxtest = gfx_test;
