// How text layout measures: the advance of every character of a text in a
// font. The default asks the graphics layer's font engine (the Liberation
// substitutes, whole-pixel advances cached per face, size and style); tests
// inject fixed metrics so that layouts have exact, font-independent widths.
#pragma once
#include <string_view>

#include "platform/gfx/pen_brush_font.h"
#include "platform/rtl/strings.h"

namespace report {

class TfrxTextMeasurer {
 public:
  virtual ~TfrxTextMeasurer() = default;
  // The advance in device pixels of each UTF-16 unit of text (out holds
  // text.size() entries) in the font, whose Height is in device pixels.
  virtual void Advances(const gfx::TFont& font, std::u16string_view text, int* out) const = 0;
};

// The font engine's measurer.
const TfrxTextMeasurer& vuzFontEngineMeasurer();
// The measurer of layouts that have none of their own: the font engine's
// unless vuzSetTextMeasurer gave another (not owned; nil restores the font
// engine's). Answers the previous one.
const TfrxTextMeasurer& vuzTextMeasurer();
const TfrxTextMeasurer* vuzSetTextMeasurer(const TfrxTextMeasurer* measurer);

// The text as a font of that charset shows it: with a charset other than the
// default one (and useDefaultCharset off) the text goes through the charset's
// 8-bit code page, so characters it lacks read as "?". Symbol fonts and
// unknown charsets keep the text.
rtl::WideString vuzFontCharsetText(const rtl::WideString& text, gfx::TFontCharset charset, bool useDefaultCharset);

// Fixed metrics: every character advances round(em x ratio) pixels, with
// boldRatio in a bold font, where em is the font's |Height|.
class TfrxFixedTextMeasurer : public TfrxTextMeasurer {
 public:
  explicit TfrxFixedTextMeasurer(double ratio = 0.5, double boldRatio = 0.5) : ratio_(ratio), boldRatio_(boldRatio) {}
  void Advances(const gfx::TFont& font, std::u16string_view text, int* out) const override;

 private:
  double ratio_, boldRatio_;
};

// Installs a measurer for the lifetime of the scope (tests).
class TfrxTextMeasurerScope {
 public:
  explicit TfrxTextMeasurerScope(const TfrxTextMeasurer& measurer) : previous_(vuzSetTextMeasurer(&measurer)) {}
  ~TfrxTextMeasurerScope() { vuzSetTextMeasurer(previous_); }
  TfrxTextMeasurerScope(const TfrxTextMeasurerScope&) = delete;
  TfrxTextMeasurerScope& operator=(const TfrxTextMeasurerScope&) = delete;

 private:
  const TfrxTextMeasurer* previous_;
};

}  // namespace report
