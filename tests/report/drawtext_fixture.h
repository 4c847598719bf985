// A text layout with fixed metrics: a 12-point font is 100 layout pixels
// (16 screen pixels) high and every character advances half of that, 50
// layout pixels or 8 report pixels (bold ones 60 and 10), so widths are
// counted in characters.
#pragma once
#include <string>
#include <vector>

#include "platform/gfx/recording_canvas.h"
#include "report/vuzDrawText.h"

namespace report_test {

struct DrawTextFixture {
  report::TfrxFixedTextMeasurer metrics{0.5, 0.6};
  report::TfrxDrawText layout;
  gfx::TFont font;

  DrawTextFixture() {
    layout.SetMeasurer(&metrics);
    font.SetName("Arial");
    font.SetSize(12);
    font.SetColor(gfx::clBlack);
    layout.SetFont(font);
    Options();
    layout.SetGaps(0, 0, 0);
  }

  void Options(bool wordWrap = true, bool tags = false, bool wordBreak = false, int rotation = 0, bool wysiwyg = true) {
    layout.SetOptions(wordWrap, tags, false, wordBreak, true, wysiwyg, rotation);
  }

  // Lays text (lines separated by CR LF) out in a rectangle at (0, 0) of the
  // given width and height in report pixels, drawn at scale 1 at (left, top).
  void Lay(const std::u16string& text, int width, int height = 1000, int left = 0, int top = 0) {
    layout.SetDimensions(1, 1, 1, gfx::Rect(0, 0, width, height), gfx::Rect(left, top, left + width, top + height));
    report::TWideStrings lines;
    lines.SetText(text);
    layout.SetText(lines);
  }

  std::vector<std::u16string> Lines() const {
    std::vector<std::u16string> out;
    for (int i = 0; i < layout.WrappedLineCount(); ++i) out.push_back(layout.WrappedLine(i));
    return out;
  }
  std::vector<int> Flags() const {
    std::vector<int> out;
    for (int i = 0; i < layout.WrappedLineCount(); ++i) out.push_back(layout.WrappedLineFlags(i));
    return out;
  }
};

// Characters of the fixed metrics in report pixels.
constexpr int Chars(int n) { return n * 8; }

}  // namespace report_test
