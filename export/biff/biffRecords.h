// The small record objects of a workbook: cells, rows, fonts, cell formats
// (XF), styles, column widths, the sheet window, page setup and the workbook
// window. Each writes itself with Flush; fonts and XFs hash themselves so the
// workbook stores equal ones once.
#pragma once
#include <cstdint>
#include <memory>

#include "export/biff/biffStream.h"
#include "export/biff/durEdivazu.h"

namespace report {

enum TBiffXFHAlign : std::uint8_t {
  xfhaGeneral,
  xfhaLeft,
  xfhaCentered,
  xfhaRight,
  xfhaFilled,
  xfhaJustified,
  xfhaCAS,
  xfhaDistributed
};
enum TBiffXFVAlign : std::uint8_t { xfvaTop, xfvaCentered, xfvaBottom, xfvaJustified, xfvaDistributed };
enum TBiffXFTextDir : std::uint8_t { xftdAuto, xftdLTR, xftdRTL };
enum TBiffXFOrientation : std::uint8_t { xfoNone, xfoTop, xfo90CCW, xfo90CW };
enum TBiffLineStyle : std::uint8_t {
  lsNone,
  lsThin,
  lsMedium,
  lsDashed,
  lsDotted,
  lsThick,
  lsDouble,
  lsHair,
  lsMediumDashed,
  lsThinDashDotted,
  lsMediumDashDotted,
  lsThinDashDotDotted,
  lsMediumDashDotDotted,
  lsSlantedMediumDashDotted
};
enum TBiffFontEscapement : std::uint8_t { feNone, feSuperScript, feSubScript };
enum TBiffFontFamily : std::uint8_t { ffNone, ffRoman, ffSwiss, ffModern, ffScript, ffDecorative };
enum TBiffColorIndex : std::uint8_t { ciBlack, ciWhite, ciRed, ciGreen, ciBlue, ciYellow, ciMagenta, ciCyan };
enum TBiffPageOrientation : std::uint8_t { bpoLandscape, bpoPortrait };
enum TBiffBuiltinStyleId : std::uint8_t {
  bsiNormal,
  bsiRowLevel,
  bsiColLevel,
  bsiCOmma,
  bsiCurrency,
  bsiPercent,
  bsiComma0,
  bsiCurrency0,
  bsiHyperlink,
  bsiFHyperlink
};

// A cell without value (BLANK).
class TBiffCell : public TBiffObject {
 public:
  int Row = 0, Col = 0, XF = 15;
  void Flush(TBiffStream& stream) override;
};

class TBiffTextCell : public TBiffCell {
 public:
  explicit TBiffTextCell(int sstIndex) : SstIndex(sstIndex) {}
  int SstIndex;
  void Flush(TBiffStream& stream) override;
};

class TBiffNumberCell : public TBiffCell {
 public:
  explicit TBiffNumberCell(double value) : Value(value) {}
  double Value;
  void Flush(TBiffStream& stream) override;
};

class TBiffRow : public TBiffObject {
 public:
  int Index = 0;
  TObjList<TBiffCell> Cells;
  int FirstCol = 0, LastCol = 0;
  int Height = 0;  // twips; 0 or less is the default height
  int OutlineLevel = 0;
  int XF = 15;
  bool Hidden = false;
  // Where the sheet wrote this row's record and its first cell.
  std::int64_t RowPosition = 0, CellPosition = 0;
  void Flush(TBiffStream& stream) override;
};

class TBiffFont : public TBiffObject {
 public:
  int Height = 240;           // twips
  std::uint16_t Options = 0;  // 0x0002 italic, 0x0008 struck out
  std::uint16_t Color = 0;    // palette index
  std::uint16_t Weight = 400;
  TBiffFontEscapement Escapement = feNone;
  std::uint8_t Underline = 0;  // 0 none, 1 single
  TBiffFontFamily Family = ffNone;
  std::uint8_t Charset = 0;
  WideString Name = u"Arial";
  int ListIndex = 0;

  std::uint32_t GetHashCode() override;
  // Same fields and name: compared in full, not by hash code alone.
  bool Equals(TBiffObject& other) override;
  void Flush(TBiffStream& stream) override;
  // Width in pixels of the text in this font on the screen (0 for none).
  int StrWidth(const WideString& text) const;
  // Width of the digit 0 in pixels, the unit of column widths. Never 0 (a
  // width derived from the height when the font cannot be measured), so
  // callers may divide by it.
  int ZeroWidth() const;

 private:
  std::string HashedBytes() const;
  std::uint32_t hash_ = 0;
};

class TBiffXF : public TBiffObject {
 public:
  int ListIndex = 0;
  int Font = 0, Format = 0;
  std::uint8_t Protection = 1;  // bit 0 locked, bit 1 hidden, bit 2 style XF
  int Parent = 0xFFF;
  TBiffXFHAlign HAlign = xfhaLeft;
  bool Wrap = true;
  TBiffXFVAlign VAlign = xfvaTop;
  bool JustifyLast = false;
  std::uint8_t Rotation = 0;
  std::uint8_t Indent = 0;
  bool Shrink = false;
  TBiffXFTextDir TextDir = xftdAuto;
  std::uint8_t UsedAttrs = 0;
  struct Border {
    TBiffLineStyle Style = lsNone;
    std::uint8_t Color = 0;
  };
  Border Left, Top, Right, Bottom, Diagonal;
  bool DiagonalDown = false, DiagonalUp = false;
  std::uint8_t Pattern = 0;
  std::uint16_t PatternColor = 0, BackColor = 0;

  std::uint32_t GetHashCode() override;
  bool Equals(TBiffObject& other) override;
  void Flush(TBiffStream& stream) override;
  // The 20-byte record payload.
  std::string Payload() const;

 private:
  std::string HashedBytes() const;
  std::uint32_t hash_ = 0;
};

class TBiffStyle : public TBiffObject {
 public:
  int XF = 0;
  TBiffBuiltinStyleId Builtin = bsiNormal;
  int OutlineLevel = -1;
  WideString Name;  // empty for a built-in style
  void Flush(TBiffStream& stream) override;
};

class TBiffColInfo : public TBiffObject {
 public:
  TBiffColInfo(int col, int xf, int width) : FirstCol(col), LastCol(col), XF(xf), Width(width) {}
  int FirstCol, LastCol, XF, Width;  // width in 1/256 of a character
  void Flush(TBiffStream& stream) override;
};

class TBiffWindow2 : public TBiffObject {
 public:
  std::uint16_t Options = 0x06B6;
  std::uint16_t FirstRow = 0, FirstCol = 0;
  std::uint16_t GridColor = 64;
  std::uint16_t PreviewZoom = 0, NormalZoom = 0;
  void Flush(TBiffStream& stream) override;
};

class TBiffPageSetup : public TBiffObject {
 public:
  std::uint16_t PaperSize = 9;
  TBiffPageOrientation Orientation = bpoPortrait;
  int Copies = 1;
  bool Colored = true;
  std::uint16_t HRes = 300, VRes = 300;
  bool AcrossThenDown = false, Draft = false, Notes = false, NotesAtEnd = false;
  void Flush(TBiffStream& stream) override;
};

// The workbook window (WINDOW1).
class TBiffWindow : public rtl::TObject {
 public:
  std::uint16_t Left = 0, Top = 0, Width = 15600, Height = 8190;
  std::uint16_t ActiveSheet = 0, FirstTab = 0, SelectedSheets = 1, TabRatio = 400;
  void Flush(TBiffStream& stream);
};

// Sets or clears bit n of a little-endian bit field.
void BiffSetBit(void* field, int n, bool value);

}  // namespace report
