#include "report/vuzTextMeasurer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/gfx/font_engine.h"
#include "report/vuzUnicodeUtils.h"

namespace report {

namespace {

// Font instances of the last fonts measured on this thread: a layout measures
// the same few fonts (a face at one size in a few styles) over and over, and
// matching a font request is far dearer than reading its advances.
class TFontEngineMeasurer : public TfrxTextMeasurer {
 public:
  void Advances(const gfx::TFont& font, std::u16string_view text, int* out) const override {
    const std::vector<int> a = Instance(font).Advances(text);
    std::copy(a.begin(), a.end(), out);
  }

 private:
  static const gfx::TFontInstance& Instance(const gfx::TFont& font) {
    struct Entry {
      gfx::TFont font;
      gfx::TFontInstancePtr instance;
    };
    static constexpr std::size_t kEntries = 8;
    thread_local Entry entries[kEntries];
    thread_local std::size_t next = 0;
    for (Entry& e : entries)
      if (e.instance && e.font.SameShape(font)) return *e.instance;
    Entry& e = entries[next];
    next = (next + 1) % kEntries;
    e.font = font;
    e.instance = gfx::TFontInstance::Get(font);
    return *e.instance;
  }
};

const TfrxTextMeasurer* g_measurer = nullptr;

}  // namespace

const TfrxTextMeasurer& vuzFontEngineMeasurer() {
  static const TFontEngineMeasurer measurer;
  return measurer;
}

const TfrxTextMeasurer& vuzTextMeasurer() { return g_measurer ? *g_measurer : vuzFontEngineMeasurer(); }

const TfrxTextMeasurer* vuzSetTextMeasurer(const TfrxTextMeasurer* measurer) {
  const TfrxTextMeasurer* previous = g_measurer;
  g_measurer = measurer;
  return previous;
}

rtl::WideString vuzFontCharsetText(const rtl::WideString& text, gfx::TFontCharset charset, bool useDefaultCharset) {
  if (useDefaultCharset || charset == gfx::DEFAULT_CHARSET || charset == gfx::SYMBOL_CHARSET) return text;
  bool ascii = true;
  for (char16_t c : text) ascii = ascii && c < 0x80;
  if (ascii) return text;
  try {
    rtl::WideString shown = AnsiToUnicode(_UnicodeToAnsi(text, charset), charset);
    // Measuring and drawing pair advances with characters one to one.
    if (shown.size() == text.size()) return shown;
  } catch (const rtl::Exception&) {
    // A charset without a code page shows the text as it is.
  }
  return text;
}

void TfrxFixedTextMeasurer::Advances(const gfx::TFont& font, std::u16string_view text, int* out) const {
  const double ratio = font.Style().Contains(gfx::fsBold) ? boldRatio_ : ratio_;
  const int advance = static_cast<int>(std::nearbyint(std::abs(font.Height()) * ratio));
  for (std::size_t i = 0; i < text.size(); ++i) out[i] = advance;
}

}  // namespace report
