// Report objects for character (dot-matrix) printers: a page laid out on a
// grid of character cells (fr1CharX x fr1CharY pixels), and the objects
// whose positions snap to those cells. Their font is always Courier New
// 12 pt; only the printer font style varies.
#pragma once
#include <cstdint>

#include "report/vuzClassPage.h"

namespace report {

// Printer font styles (a set, member n is bit n; 0x1FF covers them all).
enum TfrxDMPFontStyle {
  fsxBold,
  fsxItalic,
  fsxUnderline,
  fsxSuperScript,
  fsxSubScript,
  fsxCondensed,
  fsxWide,
  fsx12cpi,
  fsx15cpi
};
using TfrxDMPFontStyles = unsigned;
inline constexpr TfrxDMPFontStyles kDMPFontStyleMask = 0x1FF;
const rtl::TEnumType& DMPFontStyleType();
const rtl::TSetType& DMPFontStylesType();

// Courier New 12 pt with bold, italic and underline as the style says (the
// other members only matter to the printer).
void vuzResetDMPFont(gfx::TFont& font, TfrxDMPFontStyles style);

// ---------------------------------------------------------------- snapping

// Where the dot-matrix objects land for a wanted value x (pixels). Text
// objects and commands cover whole cells; lines lie in the middle of cells.
long double vuzDMPMemoLeft(long double x, TfrxAlign align);
long double vuzDMPMemoWidth(long double x);
long double vuzDMPMemoTopOrHeight(long double x);
long double vuzDMPLineLeft(long double x, TfrxAlign align);
long double vuzDMPLineTop(long double x);
long double vuzDMPLineWidth(long double x, TfrxAlign align);
long double vuzDMPCommandLeft(long double x);
long double vuzDMPCommandTop(long double x);

// A printer command as raw bytes: "#27#64" (decimal codes after "#") or
// "1B40" (hexadecimal pairs; a trailing single digit is ignored). A part
// that is no number, or no byte (below 0 or above 255), raises
// rtl::EConvertError.
AnsiString vuzDMPCommandBytes(const AnsiString& command);

// ---------------------------------------------------------------- TfrxDMPPage

class TfrxDMPPage : public TfrxReportPage {
  RTL_CLASS_INFO
 public:
  explicit TfrxDMPPage(rtl::TComponent* owner);
  TfrxDMPPage(rtl::TComponent* owner, std::uint16_t flags);

  // The report page's defaults, then margins of one cell (left, right) and
  // one row (top, bottom), and the paper cut down to whole cells.
  void SetDefaults() override;
  // The report page's operations, then the sizes rounded to whole cells.
  void SetPaperSize(int value) override;
  void SetPaperWidth(long double value) override;
  void SetPaperHeight(long double value) override;

  TfrxDMPFontStyles FontStyle() const { return fontStyle_; }
  // Objects that inherit the font take the new style.
  void SetFontStyle(TfrxDMPFontStyles value);
  void ResetFontOptions();

 private:
  void RoundWidthToCells();
  void RoundHeightToCells();

  TfrxDMPFontStyles fontStyle_ = 0;
};

// Registers the page for reading templates and the dot-matrix objects in
// the object registry; the shutdown undoes both.
void DMPClassesStartup();
void DMPClassesShutdown();

}  // namespace report
