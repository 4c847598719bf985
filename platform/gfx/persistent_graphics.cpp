// The graphics tools and the picture as reflected persistent classes, one
// block each, properties in their stored order.
#include "platform/gfx/pen_brush_font.h"
#include "platform/gfx/picture.h"
#include "platform/rtl/filer.h"

namespace gfx {

const rtl::TEnumType& PenStyleType() {
  static const rtl::TEnumType type{"TPenStyle",
                                   {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear",
                                    "psInsideFrame", "psUserStyle", "psAlternate"}};
  return type;
}

const rtl::TEnumType& PenModeType() {
  static const rtl::TEnumType type{
      "TPenMode",
      {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen",
       "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor"}};
  return type;
}

const rtl::TEnumType& BrushStyleType() {
  static const rtl::TEnumType type{
      "TBrushStyle",
      {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"}};
  return type;
}

const rtl::TEnumType& FontStyleType() {
  static const rtl::TEnumType type{"TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
  return type;
}

const rtl::TSetType& FontStylesType() {
  static const rtl::TSetType type{"TFontStyles", &FontStyleType()};
  return type;
}

const rtl::TEnumType& FontPitchType() {
  static const rtl::TEnumType type{"TFontPitch", {"fpDefault", "fpVariable", "fpFixed"}};
  return type;
}

const rtl::TClassInfo& TGraphicsObject::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TGraphicsObject>("TGraphicsObject", &rtl::TPersistent::StaticClass()).Build();
  return info;
}

const rtl::TClassInfo& TPen::StaticClass() {
  static const rtl::TClassInfo info = rtl::TClassBuilder<TPen>("TPen", &TGraphicsObject::StaticClass())
                                          .Creatable()
                                          .Property("Color", &TPen::Color, &TPen::SetColor)
                                          .Default(clBlack)
                                          .Enum("Mode", PenModeType(), &TPen::Mode, &TPen::SetMode)
                                          .Default(pmCopy)
                                          .Enum("Style", PenStyleType(), &TPen::Style, &TPen::SetStyle)
                                          .Default(psSolid)
                                          .Property("Width", &TPen::Width, &TPen::SetWidth)
                                          .Default(1)
                                          .Build();
  return info;
}

const rtl::TClassInfo& TBrush::StaticClass() {
  static const rtl::TClassInfo info = rtl::TClassBuilder<TBrush>("TBrush", &TGraphicsObject::StaticClass())
                                          .Creatable()
                                          .Property("Color", &TBrush::Color, &TBrush::SetColor)
                                          .Default(clWhite)
                                          .Enum("Style", BrushStyleType(), &TBrush::Style, &TBrush::SetStyle)
                                          .Default(bsSolid)
                                          .Build();
  return info;
}

// Charset, Color, Height and Name have no default, so a stored font always
// carries them; Size is derived from Height and never stored.
const rtl::TClassInfo& TFont::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TFont>("TFont", &TGraphicsObject::StaticClass())
          .Creatable()
          .Property("Charset", &TFont::Charset, &TFont::SetCharset)
          .Property("Color", &TFont::Color, &TFont::SetColor)
          .Property("Height", &TFont::Height, &TFont::SetHeight)
          .Property("Name", &TFont::Name, &TFont::SetName)
          .Enum("Pitch", FontPitchType(), &TFont::Pitch, &TFont::SetPitch)
          .Default(fpDefault)
          .Property("Size", &TFont::Size, &TFont::SetSize)
          .Stored(false)
          .Set(
              "Style", FontStylesType(), [](const TFont& f) { return f.Style().Bits(); },
              [](TFont& f, unsigned bits) { f.SetStyle(TFontStyles::FromBits(bits)); })
          .Build();
  return info;
}

void TPen::Assign(const rtl::TPersistent* source) {
  if (auto* pen = dynamic_cast<const TPen*>(source)) return Assign(*pen);
  TGraphicsObject::Assign(source);
}

void TBrush::Assign(const rtl::TPersistent* source) {
  if (auto* brush = dynamic_cast<const TBrush*>(source)) return Assign(*brush);
  TGraphicsObject::Assign(source);
}

void TFont::Assign(const rtl::TPersistent* source) {
  if (auto* font = dynamic_cast<const TFont*>(source)) return Assign(*font);
  TGraphicsObject::Assign(source);
}

const rtl::TClassInfo& TPicture::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TPicture>("TPicture", &rtl::TPersistent::StaticClass()).Creatable().Build();
  return info;
}

void TPicture::Assign(const rtl::TPersistent* source) {
  if (auto* picture = dynamic_cast<const TPicture*>(source)) return Assign(*picture);
  rtl::TPersistent::Assign(source);
}

void TPicture::DefineProperties(rtl::TFiler& filer) {
  filer.DefineBinaryProperty(
      "Data", [this](rtl::TStream& s) { ReadData(s); }, [this](rtl::TStream& s) { WriteData(s); }, graphic_ != nullptr);
}

}  // namespace gfx
