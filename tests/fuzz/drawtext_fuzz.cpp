// Any text with any layout settings: text layout wraps, hyphenates, parses
// tags, measures, cuts and draws without crashing or hanging; only an invalid
// hexadecimal font colour raises (the conversion error). The first eight
// bytes choose the settings, the rest is the text (UTF-8).
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gfx/recording_canvas.h"
#include "platform/rtl/exceptions.h"
#include "report/vuzDrawText.h"

using namespace report;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8 || size > 20000) return 0;
  static const TfrxFixedTextMeasurer metrics(0.5, 0.6);
  const std::uint8_t flags = data[0];
  const int rotation = (data[1] * 45 + (flags & 0x80 ? data[2] : 0)) - 360;
  const int width = data[3] * 4 - 100, height = data[4] * 4 - 50;
  const double charSpacing = (data[5] % 16) - 4, lineSpacing = (data[6] % 24) - 8, gap = (data[7] % 32) - 8;
  const rtl::WideString text = rtl::Utf8ToWide(std::string(reinterpret_cast<const char*>(data + 8), size - 8));

  TfrxDrawText layout;
  layout.SetMeasurer(&metrics);
  gfx::TFont font;
  font.SetName("Arial");
  font.SetSize(1 + data[2] % 40);
  font.SetCharset((flags & 0x40) ? gfx::RUSSIAN_CHARSET : gfx::DEFAULT_CHARSET);
  layout.SetFont(font);
  layout.SetOptions(flags & 1, flags & 2, flags & 4, flags & 8, flags & 16, flags & 32, rotation);
  layout.SetGaps(gap, charSpacing, lineSpacing);
  const double scale = 0.25 + (data[6] % 8) * 0.5;
  layout.SetDimensions(scale, scale, 1, gfx::Rect(0, 0, width, height),
                       gfx::Rect(10, 10, 10 + int(width * scale), 10 + int(height * scale)));
  TWideStrings lines;
  lines.SetText(text);
  try {
    layout.SetText(lines);
  } catch (const rtl::EConvertError&) {
    return 0;  // an invalid font colour
  }
  (void)layout.CalcHeight();
  (void)layout.CalcWidth();
  (void)layout.UnusedSpace();
  gfx::TRecordingCanvas canvas(96, 96, {800, 800});
  for (TfrxHAlign align : {haLeft, haRight, haCenter, haBlock})
    layout.DrawText(canvas, align, static_cast<TfrxVAlign>(data[5] % 3));
  bool inParagraph = false;
  const rtl::WideString rest = layout.GetOutBoundsText(inParagraph);
  (void)layout.GetWrappedText();
  try {
    (void)layout.DeleteTags(rest);
  } catch (const rtl::EConvertError&) {
  }
  return 0;
}
