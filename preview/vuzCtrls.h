// The engine's own editing controls without a window: the flat combo box's
// geometry and painting (one-pixel frame, narrow arrow button that lights up
// while the mouse is over it or it has the focus), the size of its list, the
// combo edit's button place, and two drawing helpers (a font's text height,
// colour mixing). Everything paints on a gfx canvas, so the windows
// (vuzCtrls_gui) only hand over their size and state.
#pragma once
#include "platform/gfx/canvas.h"
#include "platform/gfx/colors.h"
#include "platform/gfx/pen_brush_font.h"
#include "platform/gfx/types.h"

namespace preview {

// c1 and c2 mixed by weight a: below 100 a percentage of c1, from 100 on per
// thousand. System colours are resolved first.
gfx::TColor vuzMixColors(gfx::TColor c1, gfx::TColor c2, int a);

// A font's text height (ascent + descent) in pixels, as a screen measures it.
int vuzGetFontHeight(const gfx::TFont& font);

// How the flat combo box is drawn: normal, lit (mouse over or focus),
// pressed (list dropped down).
enum TfrxComboPaintState { cpsNormal, cpsHot, cpsPressed };

struct TfrxComboButtonStyle {
  gfx::TColor Fill;
  bool WindowFrame;  // the normal button gets a window-coloured frame
  gfx::TColor Separator, Glyph;
};
TfrxComboButtonStyle vuzComboButtonStyle(TfrxComboPaintState state);

// Places inside a flat combo box of a size.
struct TfrxFlatComboGeometry {
  static constexpr int ButtonWidth = 11;
  int Width = 100, Height = 21;
  int ImageWidth = 0;  // room for a picture left of the text (16 in the font box)

  // The edit part: (image + 3, 3) wide to the button.
  gfx::TRect EditRect() const;
  gfx::TRect ButtonRect() const;
  int SeparatorX() const { return Width - (ButtonWidth + 4); }
  // The top corner of the arrow (a downward triangle 5, 3 and 1 pixels wide).
  gfx::TPoint GlyphOrigin() const;
  gfx::TRect ImageRect() const { return {3, 3, ImageWidth + 3, Height - 3}; }
  // Where a click drops the list down: the button and its separator.
  bool OnButton(int x, int y) const;
};

// Height of the drop-down list: the smaller of the drop-down count and the
// item count, times the item height, plus 2; one empty item when either is 0.
int vuzComboListHeight(int dropDownCount, int itemCount, int itemHeight);
// The list drops upward when it would pass the screen's bottom below a
// control whose top is at controlScreenTop.
bool vuzComboListDropsUp(int controlScreenTop, int textHeight, int listHeight, int screenHeight);

// The frame, button, separator and arrow of a flat combo box. Disabled, the
// box is filled with the button face and framed in shadow, the arrow grey.
void vuzPaintFlatCombo(gfx::TCanvas& canvas, const TfrxFlatComboGeometry& g, TfrxComboPaintState state, bool enabled);
// The arrow: three rows from (x + i, y + i) to (x - i + 5, y + i), end excluded.
void vuzPaintComboGlyph(gfx::TCanvas& canvas, int x, int y, gfx::TColor color);

// The combo edit (a simple combo with a push button at its right end).
struct TfrxComboEditGeometry {
  int Width = 100, Height = 21;
  gfx::TRect ButtonPanel() const { return {Width - Height + 2, 2, Width - 2, Height - 2}; }
  int EditWidth() const { return Width - Height - 4; }
};

}  // namespace preview
