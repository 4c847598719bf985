// The font families installed on the machine, as a font-name box lists them:
// each family once, with whether its faces are outlines (scalable) or
// bitmaps. Names are UTF-8, as fontconfig gives them.
#pragma once
#include <string>
#include <vector>

namespace gfx {

struct TFontFamily {
  std::string Name;      // UTF-8
  bool Scalable = true;  // outline faces; false for bitmap-only families
};

// Sorted by name, each family once (its first name when it has several).
std::vector<TFontFamily> ListFontFamilies();

}  // namespace gfx
