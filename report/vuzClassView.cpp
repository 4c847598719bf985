#include "report/vuzClassView.h"

#include <cfenv>
#include <cmath>
#include <limits>

#include "platform/rtl/format.h"
#include "report/vuzXML.h"

namespace report {

// ---------------------------------------------------------------- types

const rtl::TEnumType& FrameStyleType() {
  static const rtl::TEnumType type{
      "TfrxFrameStyle",
      {"fsSolid", "fsDash", "fsDot", "fsDashDot", "fsDashDotDot", "fsDouble", "fsAltDot", "fsSquare"}};
  return type;
}

const rtl::TEnumType& FrameTypeType() {
  static const rtl::TEnumType type{"TfrxFrameType", {"ftLeft", "ftRight", "ftTop", "ftBottom"}};
  return type;
}

const rtl::TSetType& FrameTypesType() {
  static const rtl::TSetType type{"TfrxFrameTypes", &FrameTypeType()};
  return type;
}

const rtl::TEnumType& ShiftModeType() {
  static const rtl::TEnumType type{"TfrxShiftMode", {"smDontShift", "smAlways", "smWhenOverlapped"}};
  return type;
}

const rtl::TEnumType& StretchModeType() {
  static const rtl::TEnumType type{"TfrxStretchMode", {"smDontStretch", "smActualHeight", "smMaxHeight"}};
  return type;
}

const rtl::TEnumType& ShapeKindType() {
  static const rtl::TEnumType type{
      "TfrxShapeKind",
      {"skRectangle", "skRoundRectangle", "skEllipse", "skTriangle", "skDiamond", "skDiagonal1", "skDiagonal2"}};
  return type;
}

const rtl::TEnumType& FormatKindType() {
  static const rtl::TEnumType type{"TfrxFormatKind", {"fkText", "fkNumeric", "fkDateTime", "fkBoolean"}};
  return type;
}

int vuzRoundEven(long double value) {
  if (std::isnan(value)) return 0;
  // rint rounds by the current mode; the geometry wants halves to even
  // whatever a caller left set. (rint, not nearbyint: the same value, but
  // nearbyint saves and restores the whole floating-point environment on
  // every call, which was a third of the time of drawing a page.)
  const int mode = std::fegetround();
  if (mode != FE_TONEAREST) std::fesetround(FE_TONEAREST);
  long double r = std::rint(value);
  if (mode != FE_TONEAREST) std::fesetround(mode);
  constexpr long double lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
  if (r < lo) r = lo;
  if (r > hi) r = hi;
  return static_cast<int>(r);
}

// ---------------------------------------------------------------- frame line

bool TfrxFrameLine::IsColorStored() const { return !frame_ || color_ != frame_->Color(); }
bool TfrxFrameLine::IsStyleStored() const { return !frame_ || style_ != frame_->Style(); }
bool TfrxFrameLine::IsWidthStored() const { return !frame_ || width_ != frame_->Width(); }

void TfrxFrameLine::Assign(const rtl::TPersistent* source) {
  auto* from = dynamic_cast<const TfrxFrameLine*>(source);
  if (!from) return rtl::TPersistent::Assign(source);
  color_ = from->color_;
  style_ = from->style_;
  width_ = from->width_;
}

const rtl::TClassInfo& TfrxFrameLine::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxFrameLine>("TfrxFrameLine", &rtl::TPersistent::StaticClass())
          .Creatable()
          .Property("Color", &TfrxFrameLine::Color, &TfrxFrameLine::SetColor)
          .Stored(&TfrxFrameLine::IsColorStored)
          .Enum("Style", FrameStyleType(), &TfrxFrameLine::Style, &TfrxFrameLine::SetStyle)
          .Stored(&TfrxFrameLine::IsStyleStored)
          .Property("Width", &TfrxFrameLine::Width, &TfrxFrameLine::SetWidth)
          .Stored(&TfrxFrameLine::IsWidthStored)
          .Build();
  return info;
}

// ---------------------------------------------------------------- frame

TfrxFrame::TfrxFrame()
    : left_(std::make_unique<TfrxFrameLine>(this)),
      top_(std::make_unique<TfrxFrameLine>(this)),
      right_(std::make_unique<TfrxFrameLine>(this)),
      bottom_(std::make_unique<TfrxFrameLine>(this)) {}

TfrxFrame::~TfrxFrame() = default;

void TfrxFrame::SetColor(gfx::TColor c) {
  color_ = c;
  for (TfrxFrameLine* l : {left_.get(), top_.get(), right_.get(), bottom_.get()}) l->SetColor(c);
}

void TfrxFrame::SetStyle(TfrxFrameStyle s) {
  style_ = s;
  for (TfrxFrameLine* l : {left_.get(), top_.get(), right_.get(), bottom_.get()}) l->SetStyle(s);
}

void TfrxFrame::SetWidth(long double w) {
  width_ = w;
  for (TfrxFrameLine* l : {left_.get(), top_.get(), right_.get(), bottom_.get()}) l->SetWidth(w);
}

void TfrxFrame::SetLeftLine(const TfrxFrameLine* line) { left_->Assign(line); }
void TfrxFrame::SetTopLine(const TfrxFrameLine* line) { top_->Assign(line); }
void TfrxFrame::SetRightLine(const TfrxFrameLine* line) { right_->Assign(line); }
void TfrxFrame::SetBottomLine(const TfrxFrameLine* line) { bottom_->Assign(line); }

bool TfrxFrame::IsShadowWidthStored() const { return shadowWidth_ != 4.0L; }
bool TfrxFrame::IsWidthStored() const { return width_ != 1.0L; }

void TfrxFrame::Assign(const rtl::TPersistent* source) {
  auto* from = dynamic_cast<const TfrxFrame*>(source);
  if (!from) return rtl::TPersistent::Assign(source);
  color_ = from->color_;
  dropShadow_ = from->dropShadow_;
  shadowColor_ = from->shadowColor_;
  shadowWidth_ = from->shadowWidth_;
  style_ = from->style_;
  typ_ = from->typ_;
  width_ = from->width_;
  left_->Assign(from->left_.get());
  top_->Assign(from->top_.get());
  right_->Assign(from->right_.get());
  bottom_->Assign(from->bottom_.get());
}

const rtl::TClassInfo& TfrxFrame::StaticClass() {
  static const rtl::TClassInfo info = rtl::TClassBuilder<TfrxFrame>("TfrxFrame", &rtl::TPersistent::StaticClass())
                                          .Creatable()
                                          .Property("Color", &TfrxFrame::Color, &TfrxFrame::SetColor)
                                          .Default(0)
                                          .Property("DropShadow", &TfrxFrame::DropShadow, &TfrxFrame::SetDropShadow)
                                          .Default(false)
                                          .Property("ShadowColor", &TfrxFrame::ShadowColor, &TfrxFrame::SetShadowColor)
                                          .Default(0)
                                          .Property("ShadowWidth", &TfrxFrame::ShadowWidth, &TfrxFrame::SetShadowWidth)
                                          .Stored(&TfrxFrame::IsShadowWidthStored)
                                          .Enum("Style", FrameStyleType(), &TfrxFrame::Style, &TfrxFrame::SetStyle)
                                          .Default(fsSolid)
                                          .Set("Typ", FrameTypesType(), &TfrxFrame::Typ, &TfrxFrame::SetTyp)
                                          .Stored(&TfrxFrame::IsTypStored)
                                          .Property("Width", &TfrxFrame::Width, &TfrxFrame::SetWidth)
                                          .Stored(&TfrxFrame::IsWidthStored)
                                          .Property("LeftLine", &TfrxFrame::LeftLine, &TfrxFrame::SetLeftLine)
                                          .Property("TopLine", &TfrxFrame::TopLine, &TfrxFrame::SetTopLine)
                                          .Property("RightLine", &TfrxFrame::RightLine, &TfrxFrame::SetRightLine)
                                          .Property("BottomLine", &TfrxFrame::BottomLine, &TfrxFrame::SetBottomLine)
                                          .Build();
  return info;
}

// ---------------------------------------------------------------- highlight and format

TfrxHighlight::TfrxHighlight() : font_(std::make_unique<gfx::TFont>()) {
  font_->SetPixelsPerInch(96);
  font_->SetName("Arial");
  font_->SetSize(10);
  font_->SetColor(255);
  font_->SetCharset(vuzCharset);
}

TfrxHighlight::~TfrxHighlight() = default;

void TfrxHighlight::Assign(const rtl::TPersistent* source) {
  auto* from = dynamic_cast<const TfrxHighlight*>(source);
  if (!from) return rtl::TPersistent::Assign(source);
  font_->Assign(*from->font_);
  color_ = from->color_;
  condition_ = from->condition_;
}

const rtl::TClassInfo& TfrxHighlight::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxHighlight>("TfrxHighlight", &rtl::TPersistent::StaticClass())
          .Creatable()
          .Property("Active", &TfrxHighlight::Active, &TfrxHighlight::SetActive)
          .Default(false)
          .Property("Font", &TfrxHighlight::Font, &TfrxHighlight::SetFont)
          .Property("Color", &TfrxHighlight::Color, &TfrxHighlight::SetColor)
          .Default(clTransparent)
          .Property("Condition", &TfrxHighlight::Condition, &TfrxHighlight::SetCondition)
          .Build();
  return info;
}

void TfrxFormat::Assign(const rtl::TPersistent* source) {
  auto* from = dynamic_cast<const TfrxFormat*>(source);
  if (!from) return rtl::TPersistent::Assign(source);
  decimalSeparator_ = from->decimalSeparator_;
  thousandSeparator_ = from->thousandSeparator_;
  formatStr_ = from->formatStr_;
  kind_ = from->kind_;
}

const rtl::TClassInfo& TfrxFormat::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxFormat>("TfrxFormat", &rtl::TPersistent::StaticClass())
          .Creatable()
          .Property("DecimalSeparator", &TfrxFormat::DecimalSeparator, &TfrxFormat::SetDecimalSeparator)
          .Property("ThousandSeparator", &TfrxFormat::ThousandSeparator, &TfrxFormat::SetThousandSeparator)
          .Property("FormatStr", &TfrxFormat::FormatStr, &TfrxFormat::SetFormatStr)
          .Enum("Kind", FormatKindType(), &TfrxFormat::Kind, &TfrxFormat::SetKind)
          .Default(fkText)
          .Build();
  return info;
}

// ---------------------------------------------------------------- TfrxView

TfrxView::TfrxView(rtl::TComponent* owner) : TfrxReportComponent(owner) { InitView(); }

TfrxView::TfrxView(rtl::TComponent* owner, std::uint16_t flags) : TfrxReportComponent(owner, flags) { InitView(); }

TfrxView::~TfrxView() = default;

void TfrxView::InitView() {
  SetFrComponentStyle(FrComponentStyle() | csDefaultDiff);
  frame_ = std::make_unique<TfrxFrame>();
}

bool TfrxView::IsDataField() const { return dataSet_ && !dataField_.empty(); }

void TfrxView::SetDataSet(TfrxDataSet* dataSet) {
  BindDataSet(dataSet_, dataSet);
  dataSetName_ = dataSet ? dataSet->UserName() : AnsiString();
}

AnsiString TfrxView::DataSetName() const { return dataSet_ ? dataSet_->UserName() : dataSetName_; }

void TfrxView::SetDataSetName(const AnsiString& name) {
  dataSetName_ = name;
  BindDataSet(dataSet_, FindDataSet(dataSet_, name));
}

void TfrxView::SetFrame(const TfrxFrame* frame) {
  if (frame) frame_->Assign(frame);
}

void TfrxView::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  if (operation == rtl::opRemove && component && component == dataSet_) dataSet_ = nullptr;
  TfrxReportComponent::Notification(component, operation);
}

}  // namespace report

namespace report {

// ---------------------------------------------------------------- reflection of the views

namespace {
AnsiString OnAfterDataOf(const TfrxView& v) { return v.OnAfterData; }
AnsiString OnAfterPrintOf(const TfrxView& v) { return v.OnAfterPrint; }
AnsiString OnBeforePrintOf(const TfrxView& v) { return v.OnBeforePrint; }
AnsiString OnPreviewClickOf(const TfrxView& v) { return v.OnPreviewClick; }
AnsiString OnPreviewDblClickOf(const TfrxView& v) { return v.OnPreviewDblClick; }
}  // namespace

const rtl::TClassInfo& TfrxView::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxView>("TfrxView", &TfrxReportComponent::StaticClass())
          .Creatable()
          .Enum("Align", AlignType(), &TfrxView::Align, &TfrxView::SetAlign)
          .Default(baNone)
          .Property("Printable", &TfrxView::Printable, &TfrxView::SetPrintable)
          .Default(true)
          .Enum("ShiftMode", ShiftModeType(), &TfrxView::ShiftMode, &TfrxView::SetShiftMode)
          .Default(smAlways)
          .Property("Left", &TfrxComponent::Left, [](TfrxView& v, long double x) { v.SetLeft(x); })
          .Property("Top", &TfrxComponent::Top, [](TfrxView& v, long double x) { v.SetTop(x); })
          .Property("Width", &TfrxComponent::Width, [](TfrxView& v, long double x) { v.SetWidth(x); })
          .Property("Height", &TfrxComponent::Height, [](TfrxView& v, long double x) { v.SetHeight(x); })
          .Property("GroupIndex", &TfrxComponent::GroupIndex, &TfrxComponent::SetGroupIndex)
          .Default(0)
          .Set("Restrictions", RestrictionsType(), &TfrxComponent::Restrictions, &TfrxComponent::SetRestrictions)
          .Default(0)
          .Property("Visible", &TfrxComponent::Visible, [](TfrxView& v, bool x) { v.SetVisible(x); })
          .Default(true)
          .Property("Hint", &TfrxView::Hint, &TfrxView::SetHint)
          .Property("ShowHint", &TfrxView::ShowHint, &TfrxView::SetShowHint)
          .Default(false)
          .Property("OnAfterData", &OnAfterDataOf, [](TfrxView& v, const AnsiString& s) { v.OnAfterData = s; })
          .Property("OnAfterPrint", &OnAfterPrintOf, [](TfrxView& v, const AnsiString& s) { v.OnAfterPrint = s; })
          .Property("OnBeforePrint", &OnBeforePrintOf, [](TfrxView& v, const AnsiString& s) { v.OnBeforePrint = s; })
          .Property("OnPreviewClick", &OnPreviewClickOf, [](TfrxView& v, const AnsiString& s) { v.OnPreviewClick = s; })
          .Property("OnPreviewDblClick", &OnPreviewDblClickOf,
                    [](TfrxView& v, const AnsiString& s) { v.OnPreviewDblClick = s; })
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxStretcheable::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxStretcheable>("TfrxStretcheable", &TfrxView::StaticClass())
          .Enum("StretchMode", StretchModeType(), &TfrxStretcheable::StretchMode, &TfrxStretcheable::SetStretchMode)
          .Default(smDontStretch)
          .Build();
  return info;
}

}  // namespace report
