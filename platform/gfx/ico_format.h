// The Windows icon file (.ico): a directory of images, each a bitmap with
// an AND mask or a PNG file.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/gfx/graphic_errors.h"

namespace gfx::ico {

struct Entry {
  int width = 0, height = 0;  // from the directory (0 there means 256)
  int bitCount = 0;
  std::uint32_t size = 0, offset = 0;
  bool png = false;
};

// Pixels top-down as 0xAARRGGBB, not premultiplied.
struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> argb;
};

// True when the data starts like an icon directory (reserved 0, type 1).
bool LooksLikeIcon(std::string_view data);

// The directory; a damaged one raises EInvalidGraphic.
std::vector<Entry> ReadDirectory(std::string_view data);

// The entry nearest to the wanted size, or the largest (then the deepest)
// when wantedSize is 0. -1 for an empty directory.
int ChooseEntry(const std::vector<Entry>& entries, int wantedSize = 0);

// Decodes one entry; damaged data raises EInvalidGraphic.
Image DecodeEntry(std::string_view data, const Entry& entry);

}  // namespace gfx::ico
