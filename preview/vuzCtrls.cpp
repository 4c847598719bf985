#include "preview/vuzCtrls.h"

#include <algorithm>
#include <cstdint>

#include "platform/gfx/font_engine.h"

namespace preview {

gfx::TColor vuzMixColors(gfx::TColor c1, gfx::TColor c2, int a) {
  const std::uint32_t rgb1 = gfx::ColorToRGB(c1), rgb2 = gfx::ColorToRGB(c2);
  const int b = a < 100 ? 100 : 1000;
  std::uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int v1 = static_cast<int>((rgb1 >> shift) & 0xFF), v2 = static_cast<int>((rgb2 >> shift) & 0xFF);
    const int mixed = (v1 * a + v2 * (b - a) + b / 2) / b;
    out |= (static_cast<std::uint32_t>(mixed) & 0xFF) << shift;
  }
  return static_cast<gfx::TColor>(out);
}

int vuzGetFontHeight(const gfx::TFont& font) { return gfx::TFontInstance::Get(font)->TextMetrics().tmHeight; }

TfrxComboButtonStyle vuzComboButtonStyle(TfrxComboPaintState state) {
  switch (state) {
    case cpsHot: return {vuzMixColors(gfx::clHighlight, gfx::clWindow, 30), false, gfx::clHighlight, gfx::clBtnText};
    case cpsPressed:
      return {vuzMixColors(gfx::clHighlight, gfx::clWindow, 50), false, gfx::clHighlight, gfx::clCaptionText};
    case cpsNormal: break;
  }
  return {gfx::clBtnFace, true, gfx::clWindow, gfx::clBtnText};
}

gfx::TRect TfrxFlatComboGeometry::EditRect() const {
  const int left = ImageWidth + 3;
  return {left, 3, left + std::max(0, Width - ButtonWidth - ImageWidth - 8), 3 + std::max(0, Height - 6)};
}

gfx::TRect TfrxFlatComboGeometry::ButtonRect() const { return {Width - ButtonWidth - 3, 1, Width - 1, Height - 1}; }

gfx::TPoint TfrxFlatComboGeometry::GlyphOrigin() const {
  return {ButtonWidth / 2 + Width - ButtonWidth - 4, (Height - 4) / 2 + 1};
}

bool TfrxFlatComboGeometry::OnButton(int x, int y) const {
  return x >= SeparatorX() && x < Width && y >= 0 && y < Height;
}

int vuzComboListHeight(int dropDownCount, int itemCount, int itemHeight) {
  // The counts are compared as the 16-bit values the list takes.
  const int n = std::min(dropDownCount & 0xFFFF, itemCount & 0xFFFF);
  return dropDownCount > 0 && itemCount > 0 ? itemHeight * n + 2 : itemHeight + 2;
}

bool vuzComboListDropsUp(int controlScreenTop, int textHeight, int listHeight, int screenHeight) {
  return controlScreenTop + textHeight + listHeight + 6 > screenHeight;
}

void vuzPaintComboGlyph(gfx::TCanvas& canvas, int x, int y, gfx::TColor color) {
  canvas.Pen().SetColor(color);
  canvas.Pen().SetWidth(1);
  canvas.Pen().SetStyle(gfx::psSolid);
  for (int i = 0; i < 3; ++i) {
    canvas.MoveTo(x + i, y + i);
    canvas.LineTo(x - i + 5, y + i);
  }
}

namespace {
void Frame(gfx::TCanvas& canvas, const gfx::TRect& r, gfx::TColor color) {
  canvas.Brush().SetStyle(gfx::bsSolid);
  canvas.Brush().SetColor(color);
  canvas.FrameRect(r);
}
}  // namespace

void vuzPaintFlatCombo(gfx::TCanvas& canvas, const TfrxFlatComboGeometry& g, TfrxComboPaintState state, bool enabled) {
  const gfx::TRect whole{0, 0, g.Width, g.Height};
  const gfx::TPoint glyph = g.GlyphOrigin();
  if (!enabled) {
    canvas.Brush().SetStyle(gfx::bsSolid);
    canvas.Brush().SetColor(gfx::clBtnFace);
    canvas.FillRect(whole);
    Frame(canvas, whole, gfx::clBtnShadow);
    vuzPaintComboGlyph(canvas, glyph.X, glyph.Y, gfx::clGrayText);
    return;
  }
  // The border: highlight when lit, else button face; a window-coloured
  // frame inside it, and another one around the edit part.
  Frame(canvas, whole, state == cpsNormal ? gfx::clBtnFace : gfx::clHighlight);
  const gfx::TRect inner{1, 1, g.Width - 1, g.Height - 1};
  Frame(canvas, inner, gfx::clWindow);
  Frame(canvas, {2, 2, g.Width - 2 - (g.ButtonWidth + 2), g.Height - 2}, gfx::clWindow);

  const TfrxComboButtonStyle style = vuzComboButtonStyle(state);
  const gfx::TRect button = g.ButtonRect();
  canvas.Brush().SetStyle(gfx::bsSolid);
  canvas.Brush().SetColor(style.Fill);
  canvas.FillRect(button);
  if (style.WindowFrame) Frame(canvas, button, gfx::clWindow);
  canvas.Pen().SetColor(style.Separator);
  canvas.Pen().SetStyle(gfx::psSolid);
  canvas.Pen().SetWidth(1);
  canvas.MoveTo(g.SeparatorX(), 1);
  canvas.LineTo(g.SeparatorX(), g.Height - 1);
  vuzPaintComboGlyph(canvas, glyph.X, glyph.Y, style.Glyph);
}

}  // namespace preview
