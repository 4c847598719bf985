#include "platform/gfx/pen_brush_font.h"

#include <cstdint>

namespace gfx {

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  std::int64_t p = static_cast<std::int64_t>(a) * b;
  bool negative = (p < 0) != (c < 0);
  std::int64_t ap = p < 0 ? -p : p, ac = c < 0 ? -static_cast<std::int64_t>(c) : c;
  std::int64_t q = (ap + ac / 2) / ac;
  return static_cast<int>(negative ? -q : q);
}

unsigned CharsetToCodePage(TFontCharset charset) {
  switch (charset) {
    case ANSI_CHARSET: return 1252;
    case SYMBOL_CHARSET: return 0;  // bytes are glyph codes
    case MAC_CHARSET: return 10000;
    case GREEK_CHARSET: return 1253;
    case TURKISH_CHARSET: return 1254;
    case BALTIC_CHARSET: return 1257;
    case EASTEUROPE_CHARSET: return 1250;
    case OEM_CHARSET: return 866;
    case RUSSIAN_CHARSET:
    case DEFAULT_CHARSET:
    default: return 1251;  // the system's code page
  }
}

}  // namespace gfx
