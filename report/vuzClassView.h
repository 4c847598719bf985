// The visible report objects' base: frames (TfrxFrame with its four
// TfrxFrameLine sides), the view TfrxView (fill, data binding, hyperlink
// fields, the device rectangle every draw starts from, background and frame
// drawing, attribute differences), the stretchable view TfrxStretcheable, and
// the two small persistent classes of text objects, TfrxHighlight and
// TfrxFormat.
//
// Geometry: positions and sizes are report pixels (96 per inch). A draw maps
// them to device pixels with round(offset + position x scale), rounding
// halves to even, so frames, text and pictures land on the same pixels on
// screen, printer and exports.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/gfx/canvas.h"
#include "platform/gfx/pen_brush_font.h"
#include "platform/rtl/typinfo.h"
#include "report/vuzClass.h"
#include "report/vuzDataSet.h"

namespace report {

class TfrxFrame;

// ---------------------------------------------------------------- enumerations

enum TfrxFrameStyle { fsSolid, fsDash, fsDot, fsDashDot, fsDashDotDot, fsDouble, fsAltDot, fsSquare };
// A set of TfrxFrameType: ftLeft is bit value 1, ftRight 2, ftTop 4, ftBottom 8.
enum TfrxFrameType { ftLeft, ftRight, ftTop, ftBottom };
using TfrxFrameTypes = unsigned;
inline constexpr TfrxFrameTypes FrameBit(TfrxFrameType t) { return 1u << t; }
enum TfrxShiftMode { smDontShift, smAlways, smWhenOverlapped };
enum TfrxStretchMode { smDontStretch, smActualHeight, smMaxHeight };
enum TfrxShapeKind { skRectangle, skRoundRectangle, skEllipse, skTriangle, skDiamond, skDiagonal1, skDiagonal2 };
enum TfrxFormatKind { fkText, fkNumeric, fkDateTime, fkBoolean };

const rtl::TEnumType& FrameStyleType();
const rtl::TEnumType& FrameTypeType();
const rtl::TSetType& FrameTypesType();
const rtl::TEnumType& ShiftModeType();
const rtl::TEnumType& StretchModeType();
const rtl::TEnumType& ShapeKindType();
const rtl::TEnumType& FormatKindType();

// Round to nearest, halves to even: the rounding of every device coordinate.
int vuzRoundEven(long double value);

// ---------------------------------------------------------------- frame line

// One side of a frame. Each value is stored only when it differs from the
// same value of the owning frame.
class TfrxFrameLine : public rtl::TPersistent {
  RTL_CLASS_INFO
 public:
  explicit TfrxFrameLine(TfrxFrame* frame = nullptr) : frame_(frame) {}
  TfrxFrame* Frame() const { return frame_; }

  gfx::TColor Color() const { return color_; }
  void SetColor(gfx::TColor c) { color_ = c; }
  TfrxFrameStyle Style() const { return style_; }
  void SetStyle(TfrxFrameStyle s) { style_ = s; }
  long double Width() const { return width_; }
  void SetWidth(long double w) { width_ = w; }

  bool IsColorStored() const;
  bool IsStyleStored() const;
  bool IsWidthStored() const;

  void Assign(const rtl::TPersistent* source) override;

 private:
  TfrxFrame* frame_;
  gfx::TColor color_ = 0;
  TfrxFrameStyle style_ = fsSolid;
  long double width_ = 1.0L;
};

// ---------------------------------------------------------------- frame

class TfrxFrame : public rtl::TPersistent {
  RTL_CLASS_INFO
 public:
  TfrxFrame();
  ~TfrxFrame() override;
  TfrxFrame(const TfrxFrame&) = delete;
  TfrxFrame& operator=(const TfrxFrame&) = delete;

  gfx::TColor Color() const { return color_; }
  // Also sets the colour of the four lines (likewise Style and Width).
  void SetColor(gfx::TColor c);
  bool DropShadow() const { return dropShadow_; }
  void SetDropShadow(bool v) { dropShadow_ = v; }
  gfx::TColor ShadowColor() const { return shadowColor_; }
  void SetShadowColor(gfx::TColor c) { shadowColor_ = c; }
  long double ShadowWidth() const { return shadowWidth_; }
  void SetShadowWidth(long double w) { shadowWidth_ = w; }
  TfrxFrameStyle Style() const { return style_; }
  void SetStyle(TfrxFrameStyle s);
  TfrxFrameTypes Typ() const { return typ_; }
  void SetTyp(TfrxFrameTypes t) { typ_ = t & 15u; }
  long double Width() const { return width_; }
  void SetWidth(long double w);

  TfrxFrameLine* LeftLine() const { return left_.get(); }
  TfrxFrameLine* TopLine() const { return top_.get(); }
  TfrxFrameLine* RightLine() const { return right_.get(); }
  TfrxFrameLine* BottomLine() const { return bottom_.get(); }
  // The setters copy the given line's values.
  void SetLeftLine(const TfrxFrameLine* line);
  void SetTopLine(const TfrxFrameLine* line);
  void SetRightLine(const TfrxFrameLine* line);
  void SetBottomLine(const TfrxFrameLine* line);

  bool IsShadowWidthStored() const;
  bool IsTypStored() const { return typ_ != 0; }
  bool IsWidthStored() const;

  void Assign(const rtl::TPersistent* source) override;

 private:
  gfx::TColor color_ = 0;
  bool dropShadow_ = false;
  gfx::TColor shadowColor_ = 0;
  long double shadowWidth_ = 4.0L;
  TfrxFrameStyle style_ = fsSolid;
  TfrxFrameTypes typ_ = 0;
  long double width_ = 1.0L;
  std::unique_ptr<TfrxFrameLine> left_, top_, right_, bottom_;
};

// ---------------------------------------------------------------- highlight and format

// The conditional look of a text object.
class TfrxHighlight : public rtl::TPersistent {
  RTL_CLASS_INFO
 public:
  TfrxHighlight();
  ~TfrxHighlight() override;
  bool Active() const { return active_; }
  void SetActive(bool v) { active_ = v; }
  // Arial 10, red, the default charset, 96 pixels per inch.
  gfx::TFont* Font() const { return font_.get(); }
  void SetFont(const gfx::TFont* f) {
    if (f) font_->Assign(*f);
  }
  gfx::TColor Color() const { return color_; }
  void SetColor(gfx::TColor c) { color_ = c; }
  const AnsiString& Condition() const { return condition_; }
  void SetCondition(const AnsiString& c) { condition_ = c; }
  // Copies font, colour and condition (not Active).
  void Assign(const rtl::TPersistent* source) override;

 private:
  bool active_ = false;
  std::unique_ptr<gfx::TFont> font_;
  gfx::TColor color_ = clTransparent;
  AnsiString condition_;
};

// How a text object formats its values (the formatting itself belongs to the
// text object).
class TfrxFormat : public rtl::TPersistent {
  RTL_CLASS_INFO
 public:
  TfrxFormat() = default;
  const AnsiString& DecimalSeparator() const { return decimalSeparator_; }
  void SetDecimalSeparator(const AnsiString& v) { decimalSeparator_ = v; }
  const AnsiString& ThousandSeparator() const { return thousandSeparator_; }
  void SetThousandSeparator(const AnsiString& v) { thousandSeparator_ = v; }
  const AnsiString& FormatStr() const { return formatStr_; }
  void SetFormatStr(const AnsiString& v) { formatStr_ = v; }
  TfrxFormatKind Kind() const { return kind_; }
  void SetKind(TfrxFormatKind k) { kind_ = k; }
  void Assign(const rtl::TPersistent* source) override;

 private:
  AnsiString decimalSeparator_, thousandSeparator_, formatStr_;
  TfrxFormatKind kind_ = fkText;
};

// ---------------------------------------------------------------- TfrxView

class TfrxView : public TfrxReportComponent {
  RTL_CLASS_INFO
 public:
  explicit TfrxView(rtl::TComponent* owner);
  TfrxView(rtl::TComponent* owner, std::uint16_t flags);
  ~TfrxView() override;
  TfrxView* AsView() override { return this; }

  // ---- published on every view
  TfrxAlign Align() const { return align_; }
  void SetAlign(TfrxAlign a) { align_ = a; }
  bool Printable() const { return printable_; }
  void SetPrintable(bool v) { printable_ = v; }
  TfrxShiftMode ShiftMode() const { return shiftMode_; }
  void SetShiftMode(TfrxShiftMode m) { shiftMode_ = m; }
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& v) { hint_ = v; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v) { showHint_ = v; }

  // ---- published by the subclasses that need them (ViewProps below)
  gfx::TBrushStyle BrushStyle() const { return brushStyle_; }
  void SetBrushStyle(gfx::TBrushStyle s) { brushStyle_ = s; }
  gfx::TColor Color() const { return color_; }
  virtual void SetColor(gfx::TColor c) { color_ = c; }
  int Cursor() const { return cursor_; }
  void SetCursor(int c) { cursor_ = c; }
  const AnsiString& DataField() const { return dataField_; }
  void SetDataField(const AnsiString& v) { dataField_ = v; }
  TfrxDataSet* DataSet() const { return dataSet_; }
  // Also sets DataSetName to the dataset's UserName (empty for none).
  void SetDataSet(TfrxDataSet* dataSet);
  // The referenced dataset's UserName when there is one, else the stored name.
  AnsiString DataSetName() const;
  // Stores the name and finds the dataset among the report's.
  void SetDataSetName(const AnsiString& name);
  TfrxFrame* Frame() const { return frame_.get(); }
  void SetFrame(const TfrxFrame* frame);
  const AnsiString& TagStr() const { return tagStr_; }
  void SetTagStr(const AnsiString& v) { tagStr_ = v; }
  const AnsiString& URL() const { return url_; }
  void SetURL(const AnsiString& v) { url_ = v; }

  // True when DataSet is set and DataField is not empty.
  bool IsDataField() const;

  // ---- drawing: BeginDraw, DrawBackground, DrawFrame in turn
  void Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
            long double offsetY) override;
  // Stores canvas, scales and offsets and computes the device rectangle.
  virtual void BeginDraw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
                         long double offsetY);
  virtual void DrawBackground();
  virtual void DrawFrame();
  // A line w device pixels thick as parallel one-pixel strokes with the
  // canvas pen (w = 0 counts as 1; an even width puts its extra stroke on
  // the negative side).
  void DrawLine(int x1, int y1, int x2, int y2, int w);

  // ---- printing
  // Saves TagStr and URL and makes this view the report's "Self".
  void BeforePrint() override;
  // Fills the bracketed expressions of TagStr and URL.
  void GetData() override;
  // Puts TagStr and URL back, so the next output expands them again.
  void AfterPrint() override;
  // Replaces each [expression] of s by the text of its value.
  void ExpandVariables(AnsiString& s);

  // The attribute text that turns other into this view.
  AnsiString Diff(TfrxComponent* other) override;

  // ---- drawing state, meaningful between BeginDraw and the end of a Draw
  gfx::TCanvas* DrawCanvas = nullptr;
  long double DrawScaleX = 1, DrawScaleY = 1, DrawOffsetX = 0, DrawOffsetY = 0;
  int DevX = 0, DevY = 0, DevX1 = 0, DevY1 = 0, DevWidth = 0, DevHeight = 0;
  int DevFrameWidth = 0;

 protected:
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;
  // The frame-and-fill part of Diff, shared by the subclasses.
  AnsiString ViewDiff(TfrxComponent* other);

 private:
  void InitView();

  TfrxAlign align_ = baNone;
  bool printable_ = true;
  TfrxShiftMode shiftMode_ = smAlways;
  AnsiString hint_;
  bool showHint_ = false;
  gfx::TBrushStyle brushStyle_ = gfx::bsSolid;
  gfx::TColor color_ = clTransparent;
  int cursor_ = 0;
  AnsiString dataField_;
  TfrxDataSet* dataSet_ = nullptr;
  AnsiString dataSetName_;
  std::unique_ptr<TfrxFrame> frame_;
  AnsiString tagStr_, url_;
  AnsiString savedTagStr_, savedURL_;
};

// ---------------------------------------------------------------- TfrxStretcheable

class TfrxStretcheable : public TfrxView {
  RTL_CLASS_INFO
 public:
  using TfrxView::TfrxView;
  TfrxStretcheable* AsStretcheable() override { return this; }
  TfrxStretchMode StretchMode() const { return stretchMode_; }
  void SetStretchMode(TfrxStretchMode m) { stretchMode_ = m; }

  // The height the object needs; the base answers Height.
  virtual long double CalcHeight() { return Height(); }
  // Draws the next part that fits; answers the height left over (base 0).
  virtual long double DrawPart() { return 0; }
  virtual void InitPart() {}
  virtual bool HasNextDataPart() { return false; }

 private:
  TfrxStretchMode stretchMode_ = smDontStretch;
};

// ---------------------------------------------------------------- publishing helpers

// The view members that subclasses publish as they need, each with its
// template default: `ViewProps::Color(builder)` inside a StaticClass chain.
namespace ViewProps {
template <class C>
rtl::TClassBuilder<C>& BrushStyle(rtl::TClassBuilder<C>& b) {
  return b.Enum("BrushStyle", gfx::BrushStyleType(), &TfrxView::BrushStyle, &TfrxView::SetBrushStyle)
      .Default(gfx::bsSolid);
}
template <class C>
rtl::TClassBuilder<C>& Color(rtl::TClassBuilder<C>& b) {
  return b.Property("Color", &TfrxView::Color, [](C& v, gfx::TColor c) { v.SetColor(c); }).Default(clTransparent);
}
template <class C>
rtl::TClassBuilder<C>& Cursor(rtl::TClassBuilder<C>& b) {
  return b.Property("Cursor", &TfrxView::Cursor, &TfrxView::SetCursor).Default(0);
}
template <class C>
rtl::TClassBuilder<C>& DataField(rtl::TClassBuilder<C>& b) {
  return b.Property("DataField", &TfrxView::DataField, &TfrxView::SetDataField);
}
template <class C>
rtl::TClassBuilder<C>& DataSet(rtl::TClassBuilder<C>& b) {
  return b.Property("DataSet", &TfrxView::DataSet, &TfrxView::SetDataSet);
}
template <class C>
rtl::TClassBuilder<C>& DataSetName(rtl::TClassBuilder<C>& b) {
  return b.Property("DataSetName", &TfrxView::DataSetName, &TfrxView::SetDataSetName);
}
template <class C>
rtl::TClassBuilder<C>& Frame(rtl::TClassBuilder<C>& b) {
  return b.Property("Frame", &TfrxView::Frame, &TfrxView::SetFrame);
}
template <class C>
rtl::TClassBuilder<C>& TagStr(rtl::TClassBuilder<C>& b) {
  return b.Property("TagStr", &TfrxView::TagStr, &TfrxView::SetTagStr);
}
template <class C>
rtl::TClassBuilder<C>& URL(rtl::TClassBuilder<C>& b) {
  return b.Property("URL", &TfrxView::URL, &TfrxView::SetURL);
}
}  // namespace ViewProps

// Registers the classes of the view units with the runtime's class registry
// (the template reader finds them there). ReportClassesStartup calls it.
void RegisterViewClasses();

}  // namespace report
