#include "export/vuzExportMarkup.h"

#include <cstdio>

namespace report {

std::string HtmlColor(gfx::TColor color) {
  const gfx::TColorRef rgb = gfx::ColorToRGB(color);
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", gfx::GetRValue(rgb), gfx::GetGValue(rgb), gfx::GetBValue(rgb));
  return buf;
}

std::string HtmlEscape(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + utf8.size() / 8);
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') break;
        out += c;
    }
  }
  return out;
}

}  // namespace report
