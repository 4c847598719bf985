// Font programs cut down to the glyphs a document uses.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/font_engine.h"

namespace gfx {

// The face's program with only the given glyphs (and the glyphs they are
// built from): glyph ids stay as they are, the other glyphs are empty. Empty
// when the face has no program or cannot be cut.
std::string FontSubset(const TFontInstance& font, const std::vector<std::uint32_t>& glyphs);

}  // namespace gfx
