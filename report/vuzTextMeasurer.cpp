#include "report/vuzTextMeasurer.h"

#include <cmath>
#include <cstdlib>

#include "platform/gfx/font_engine.h"

namespace report {

namespace {

class TFontEngineMeasurer : public TfrxTextMeasurer {
 public:
  void Advances(const gfx::TFont& font, std::u16string_view text, int* out) const override {
    const std::vector<int> a = gfx::TFontInstance::Get(font)->Advances(text);
    for (std::size_t i = 0; i < a.size(); ++i) out[i] = a[i];
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

void TfrxFixedTextMeasurer::Advances(const gfx::TFont& font, std::u16string_view text, int* out) const {
  const double ratio = font.Style().Contains(gfx::fsBold) ? boldRatio_ : ratio_;
  const int advance = static_cast<int>(std::nearbyint(std::abs(font.Height()) * ratio));
  for (std::size_t i = 0; i < text.size(); ++i) out[i] = advance;
}

}  // namespace report
