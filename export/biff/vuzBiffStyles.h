// Cell looks of the layout matrix as workbook cell formats (XF) and fonts.
// One styles object serves one sheet conversion: it remembers, per matrix
// style and variant (fill allowed or not, right-to-left or not), the cell
// format it made; the workbook itself merges equal fonts, formats and cell
// formats across sheets.
#pragma once
#include <vector>

#include "export/biff/biffRecords.h"
#include "platform/gfx/pen_brush_font.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/strings.h"
#include "report/vuzClassView.h"

namespace report {

class TBiffWorkbook;
class TfrxIEMStyle;

// A display format the workbook cannot take; raised and caught inside the
// number-format conversion.
class EInvalidFRFormat : public rtl::Exception {
 public:
  EInvalidFRFormat() : rtl::Exception(AnsiString()) {}
};

// The workbook's default cell format.
inline constexpr int kBiffDefaultXF = 15;

class TfrxBiffStyles {
 public:
  TfrxBiffStyles(int styleCount, TBiffWorkbook* workbook, int spaceWidth);

  bool IsValidStyleIndex(int index) const;
  static int GetEntryIndex(int index, bool fillAllowed, bool rightToLeft);
  // The cell format made for that variant, -1 when not yet made; an invalid
  // index raises "StyleIndex is out of bounds".
  int GetStyle(int index, bool fillAllowed, bool rightToLeft) const;
  // The stored cell format, or a new one made and stored.
  int AddStyle(int index, const TfrxIEMStyle* style, bool fillAllowed, bool rightToLeft);
  int CreateStyle(const TfrxIEMStyle* style, bool fillAllowed, bool rightToLeft);
  int CreateFont(const gfx::TFont* font);
  // A font index cached by the identity of the font object.
  int AddFont(const gfx::TFont* font);
  int GetFont(const gfx::TFont* font) const;

 private:
  std::vector<int> entries_;
  std::vector<const gfx::TFont*> fonts_;
  std::vector<int> fontIndexes_;
  TBiffWorkbook* workbook_;
  int spaceWidth_;
};

// The rotation code of a cell format for an anticlockwise angle in degrees:
// 0..90 anticlockwise, 91..180 for 1..90 clockwise, 0 for what a cell cannot show.
int BiffRotation(int degrees);
// The border line for a frame style and width in pixels (lsNone for no width).
TBiffLineStyle BiffLineStyle(TfrxFrameStyle style, double width);
// The fill pattern of a brush style (1 solid .. 16 diagonal cross; 0 none).
int BiffFillPattern(gfx::TBrushStyle brush);
// The number-format text of a display format; empty for General. Date and
// time formats without a text are General too: a cell format must name a
// format the workbook writes.
rtl::WideString BiffNumberFormat(const TfrxFormat& format);
// The workbook format index of a display format (0 is General).
int BiffNumberFormatIndex(TBiffWorkbook& workbook, const TfrxFormat* format);

}  // namespace report
