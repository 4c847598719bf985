// Escaping and colours shared by the exports that write markup (HTML, the
// OpenDocument XML files).
#pragma once
#include <string>
#include <string_view>

#include "platform/gfx/colors.h"

namespace report {

// Text and attribute values in UTF-8 with "&", "<", ">", '"' and "'" as
// entities; control characters other than tab, line feed and carriage
// return dropped (no markup reader accepts them).
std::string HtmlEscape(std::string_view utf8);
// A colour as "#rrggbb" (lower case, red first).
std::string HtmlColor(gfx::TColor color);

}  // namespace report
