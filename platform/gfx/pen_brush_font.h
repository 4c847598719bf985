// The drawing tools a canvas holds: pen, brush and font. Each is a small value
// with change notification; assigning one copies the values (never the
// notification) and notifies the owner, so `canvas.Pen() = pen` works.
// They are persistent objects of the runtime's class tree with published
// properties (persistent_graphics.cpp), so report objects hold them as
// sub-objects ("Font.Name") and scripts reach them.
#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include "platform/gfx/colors.h"
#include "platform/rtl/object.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/typinfo.h"

namespace gfx {

// Rounds a * b / c half away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

// Change notification shared by the three tools.
class TGraphicsObject : public rtl::TPersistent {
  RTL_CLASS_INFO
 public:
  std::function<void()> OnChange;

 protected:
  TGraphicsObject() = default;
  TGraphicsObject(const TGraphicsObject&) : rtl::TPersistent() {}
  TGraphicsObject& operator=(const TGraphicsObject&) { return *this; }
  ~TGraphicsObject() override = default;
  void Changed() {
    if (OnChange) OnChange();
  }
};

// ---------------------------------------------------------------- pen

enum TPenStyle : std::uint8_t {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame,
  psUserStyle,
  psAlternate,
};

// Raster operation of the pen (and of brush fills drawn with the pen's mode),
// in the order of the binary raster operations less one.
enum TPenMode : std::uint8_t {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor,
};

enum TPenEndCap : std::uint8_t { pecRound, pecSquare, pecFlat };
enum TPenJoin : std::uint8_t { pjRound, pjBevel, pjMiter };

// A cosmetic pen (not Geometric, width 0 or 1) is one device pixel wide whatever
// the width, and draws dash styles as fixed pixel patterns. A geometric pen has
// a width in device units, end caps and joins, and for psUserStyle the dash
// lengths in Dashes (on, off, on, off ... in device units).
class TPen : public TGraphicsObject {
  RTL_CLASS_INFO
 public:
  TPen() = default;
  TPen(const TPen& o) : TGraphicsObject(o) { CopyValues(o); }
  TPen& operator=(const TPen& o) {
    Assign(o);
    return *this;
  }
  void Assign(const TPen& o) {
    CopyValues(o);
    Changed();
  }
  void Assign(const rtl::TPersistent* source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor c) {
    if (c != color_) {
      color_ = c;
      Changed();
    }
  }
  int Width() const { return width_; }
  void SetWidth(int w) {
    if (w != width_) {
      width_ = w;
      Changed();
    }
  }
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle s) {
    if (s != style_) {
      style_ = s;
      Changed();
    }
  }
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode m) {
    if (m != mode_) {
      mode_ = m;
      Changed();
    }
  }

  bool Geometric() const { return geometric_; }
  void SetGeometric(bool g) {
    if (g != geometric_) {
      geometric_ = g;
      Changed();
    }
  }
  TPenEndCap EndCap() const { return endCap_; }
  void SetEndCap(TPenEndCap c) {
    if (c != endCap_) {
      endCap_ = c;
      Changed();
    }
  }
  TPenJoin Join() const { return join_; }
  void SetJoin(TPenJoin j) {
    if (j != join_) {
      join_ = j;
      Changed();
    }
  }
  const std::vector<unsigned>& Dashes() const { return dashes_; }
  void SetDashes(std::vector<unsigned> d) {
    dashes_ = std::move(d);
    Changed();
  }

  // A pen that draws one device pixel wide with pixel dash patterns.
  bool IsCosmetic() const { return !geometric_ && width_ <= 1; }
  // The width in device pixels actually drawn (at least 1).
  int DeviceWidth() const { return IsCosmetic() ? 1 : (width_ < 1 ? 1 : width_); }

  friend bool operator==(const TPen& a, const TPen& b) {
    return a.color_ == b.color_ && a.width_ == b.width_ && a.style_ == b.style_ && a.mode_ == b.mode_ &&
           a.geometric_ == b.geometric_ && a.endCap_ == b.endCap_ && a.join_ == b.join_ && a.dashes_ == b.dashes_;
  }

 private:
  void CopyValues(const TPen& o) {
    color_ = o.color_;
    width_ = o.width_;
    style_ = o.style_;
    mode_ = o.mode_;
    geometric_ = o.geometric_;
    endCap_ = o.endCap_;
    join_ = o.join_;
    dashes_ = o.dashes_;
  }
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
  bool geometric_ = false;
  TPenEndCap endCap_ = pecRound;
  TPenJoin join_ = pjRound;
  std::vector<unsigned> dashes_;
};

// ---------------------------------------------------------------- brush

enum TBrushStyle : std::uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross,
};

// Hatched brushes paint 8x8-pixel line patterns in Color; the gaps between the
// lines show the background colour when the canvas background mode is opaque.
class TBrush : public TGraphicsObject {
  RTL_CLASS_INFO
 public:
  TBrush() = default;
  TBrush(const TBrush& o) : TGraphicsObject(o), color_(o.color_), style_(o.style_) {}
  TBrush& operator=(const TBrush& o) {
    Assign(o);
    return *this;
  }
  void Assign(const TBrush& o) {
    color_ = o.color_;
    style_ = o.style_;
    Changed();
  }
  void Assign(const rtl::TPersistent* source) override;

  TColor Color() const { return color_; }
  // Setting a colour on a clear brush makes it solid, as users of brushes expect.
  void SetColor(TColor c) {
    if (c == color_ && style_ != bsClear) return;
    color_ = c;
    if (style_ == bsClear) style_ = bsSolid;
    Changed();
  }
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle s) {
    if (s != style_) {
      style_ = s;
      Changed();
    }
  }

  friend bool operator==(const TBrush& a, const TBrush& b) { return a.color_ == b.color_ && a.style_ == b.style_; }

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
};

// ---------------------------------------------------------------- font

enum TFontStyle : std::uint8_t { fsBold = 0, fsItalic = 1, fsUnderline = 2, fsStrikeOut = 3 };

// A set of TFontStyle.
class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (auto s : styles) bits_ |= static_cast<std::uint8_t>(1u << s);
  }
  static constexpr TFontStyles FromBits(unsigned bits) {
    TFontStyles s;
    s.bits_ = bits & 15;
    return s;
  }
  constexpr unsigned Bits() const { return bits_; }
  constexpr bool Contains(TFontStyle s) const { return (bits_ >> s) & 1u; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TFontStyles& Include(TFontStyle s) {
    bits_ |= static_cast<std::uint8_t>(1u << s);
    return *this;
  }
  constexpr TFontStyles& Exclude(TFontStyle s) {
    bits_ &= static_cast<std::uint8_t>(~(1u << s));
    return *this;
  }
  friend constexpr TFontStyles operator+(TFontStyles a, TFontStyles b) { return FromBits(a.bits_ | b.bits_); }
  friend constexpr TFontStyles operator-(TFontStyles a, TFontStyles b) { return FromBits(a.bits_ & ~b.bits_); }
  friend constexpr TFontStyles operator*(TFontStyles a, TFontStyles b) { return FromBits(a.bits_ & b.bits_); }
  friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

 private:
  std::uint8_t bits_ = 0;
};

enum TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };
enum TFontQuality : std::uint8_t { fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType };

// Font character sets.
enum : std::uint8_t {
  ANSI_CHARSET = 0,
  DEFAULT_CHARSET = 1,
  SYMBOL_CHARSET = 2,
  MAC_CHARSET = 77,
  SHIFTJIS_CHARSET = 128,
  GREEK_CHARSET = 161,
  TURKISH_CHARSET = 162,
  BALTIC_CHARSET = 186,
  RUSSIAN_CHARSET = 204,
  EASTEUROPE_CHARSET = 238,
  OEM_CHARSET = 255,
};
using TFontCharset = std::uint8_t;

// The code page 8-bit text of a character set is in (1251 for DEFAULT).
unsigned CharsetToCodePage(TFontCharset charset);

// A logical font. The stored size is Height in pixels at PixelsPerInch:
// negative for the character (em) height, positive for the cell height.
// Size is in points: setting it gives Height = -MulDiv(Size, PixelsPerInch, 72).
// Name is the family name as 1251 bytes.
class TFont : public TGraphicsObject {
  RTL_CLASS_INFO
 public:
  TFont() = default;
  TFont(const TFont& o) : TGraphicsObject(o) { CopyValues(o); }
  TFont& operator=(const TFont& o) {
    Assign(o);
    return *this;
  }
  void Assign(const TFont& o) {
    CopyValues(o);
    Changed();
  }
  void Assign(const rtl::TPersistent* source) override;

  const rtl::AnsiString& Name() const { return name_; }
  void SetName(const rtl::AnsiString& n) {
    if (n != name_) {
      name_ = n;
      Changed();
    }
  }
  int Height() const { return height_; }
  void SetHeight(int h) {
    if (h != height_) {
      height_ = h;
      Changed();
    }
  }
  int Size() const { return -MulDiv(height_, 72, pixelsPerInch_); }
  void SetSize(int points) { SetHeight(-MulDiv(points, pixelsPerInch_, 72)); }
  // Changing the resolution keeps Height: the font becomes larger or smaller in points.
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int ppi) {
    if (ppi > 0 && ppi != pixelsPerInch_) {
      pixelsPerInch_ = ppi;
      Changed();
    }
  }
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles s) {
    if (!(s == style_)) {
      style_ = s;
      Changed();
    }
  }
  TFontCharset Charset() const { return charset_; }
  void SetCharset(TFontCharset c) {
    if (c != charset_) {
      charset_ = c;
      Changed();
    }
  }
  TColor Color() const { return color_; }
  void SetColor(TColor c) {
    if (c != color_) {
      color_ = c;
      Changed();
    }
  }
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch p) {
    if (p != pitch_) {
      pitch_ = p;
      Changed();
    }
  }
  TFontQuality Quality() const { return quality_; }
  void SetQuality(TFontQuality q) {
    if (q != quality_) {
      quality_ = q;
      Changed();
    }
  }
  // Angle of the baseline, counter-clockwise, in tenths of a degree.
  int Orientation() const { return orientation_; }
  void SetOrientation(int tenths) {
    if (tenths != orientation_) {
      orientation_ = tenths;
      Changed();
    }
  }

  // Same face, size, style and charset (what measuring depends on).
  bool SameShape(const TFont& o) const {
    return name_ == o.name_ && height_ == o.height_ && style_ == o.style_ && charset_ == o.charset_ &&
           pitch_ == o.pitch_ && orientation_ == o.orientation_;
  }
  friend bool operator==(const TFont& a, const TFont& b) {
    return a.SameShape(b) && a.color_ == b.color_ && a.pixelsPerInch_ == b.pixelsPerInch_ && a.quality_ == b.quality_;
  }

 private:
  void CopyValues(const TFont& o) {
    name_ = o.name_;
    height_ = o.height_;
    pixelsPerInch_ = o.pixelsPerInch_;
    style_ = o.style_;
    charset_ = o.charset_;
    color_ = o.color_;
    pitch_ = o.pitch_;
    quality_ = o.quality_;
    orientation_ = o.orientation_;
  }
  rtl::AnsiString name_ = "MS Sans Serif";
  int height_ = -11;  // 8 points at 96 pixels per inch
  int pixelsPerInch_ = 96;
  TFontStyles style_;
  TFontCharset charset_ = DEFAULT_CHARSET;
  TColor color_ = clWindowText;
  TFontPitch pitch_ = fpDefault;
  TFontQuality quality_ = fqDefault;
  int orientation_ = 0;
};

// Type descriptions of the published enumerations and sets.
const rtl::TEnumType& PenStyleType();
const rtl::TEnumType& PenModeType();
const rtl::TEnumType& BrushStyleType();
const rtl::TEnumType& FontStyleType();
const rtl::TSetType& FontStylesType();
const rtl::TEnumType& FontPitchType();

}  // namespace gfx
