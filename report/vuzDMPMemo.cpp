#include "report/vuzDMPMemo.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/format.h"
#include "report/vuzRes.h"
#include "report/vuzUnicodeUtils.h"

namespace report {

TfrxDMPMemoView::TfrxDMPMemoView(rtl::TComponent* owner) : TfrxCustomMemoView(owner) { InitDMPMemo(); }
TfrxDMPMemoView::TfrxDMPMemoView(rtl::TComponent* owner, std::uint16_t flags) : TfrxCustomMemoView(owner, flags) {
  InitDMPMemo();
}

void TfrxDMPMemoView::InitDMPMemo() { ResetFontOptions(); }

void TfrxDMPMemoView::ResetFontOptions() {
  // The fixed font is not a change of the object's own font choice.
  Font()->OnChange = nullptr;
  vuzResetDMPFont(*Font(), fontStyle_);
  SetCharSpacing(0);
  SetLineSpacing(1);
  SetGapX(0);
  SetGapY(0);
}

void TfrxDMPMemoView::SetLeft(long double value) { TfrxCustomMemoView::SetLeft(vuzDMPMemoLeft(value, Align())); }
void TfrxDMPMemoView::SetTop(long double value) { TfrxCustomMemoView::SetTop(vuzDMPMemoTopOrHeight(value)); }
void TfrxDMPMemoView::SetWidth(long double value) { TfrxCustomMemoView::SetWidth(vuzDMPMemoWidth(value)); }
void TfrxDMPMemoView::SetHeight(long double value) { TfrxCustomMemoView::SetHeight(vuzDMPMemoTopOrHeight(value)); }

void TfrxDMPMemoView::SetBoundsDirect(long double left, long double top, long double width, long double height) {
  TfrxCustomMemoView::SetLeft(left);
  TfrxCustomMemoView::SetTop(top);
  TfrxCustomMemoView::SetWidth(width);
  TfrxCustomMemoView::SetHeight(height);
}

void TfrxDMPMemoView::SetFontStyle(TfrxDMPFontStyles value) {
  fontStyle_ = value & kDMPFontStyleMask;
  TfrxCustomMemoView::SetParentFont(false);
  ResetFontOptions();
}

void TfrxDMPMemoView::SetParentFont(bool value) {
  TfrxCustomMemoView::SetParentFont(value);
  if (!value) return;
  if (TfrxDMPPage* page = vuzDMPPageOf(this)) fontStyle_ = page->FontStyle();
}

void TfrxDMPMemoView::DrawFrame() {
  const long double x = GetAbsLeft(), y = GetAbsTop();
  DevX = vuzRoundEven((x - fr1CharX / 2) * DrawScaleX + DrawOffsetX);
  DevY = vuzRoundEven((y - fr1CharY / 2) * DrawScaleY + DrawOffsetY);
  DevX1 = vuzRoundEven((x + Width() + fr1CharX / 2) * DrawScaleX + DrawOffsetX);
  DevY1 = vuzRoundEven((y + Height() + fr1CharY / 2) * DrawScaleY + DrawOffsetY);
  TfrxCustomMemoView::DrawFrame();
}

long double TfrxDMPMemoView::CalcHeight() { return vuzDMPMemoTopOrHeight(TfrxCustomMemoView::CalcHeight()); }
long double TfrxDMPMemoView::CalcWidth() { return vuzDMPMemoWidth(TfrxCustomMemoView::CalcWidth()); }

AnsiString TfrxDMPMemoView::Diff(TfrxComponent* other) {
  AnsiString s = TfrxCustomMemoView::Diff(other);
  const auto* memo = dynamic_cast<const TfrxDMPMemoView*>(other);
  const TfrxDMPFontStyles theirs = memo ? memo->fontStyle_ : 0;
  if (fontStyle_ != theirs) s += " FontStyle=\"" + rtl::IntToStr(static_cast<int>(fontStyle_)) + "\"";
  return s;
}

AnsiString TfrxDMPMemoView::GetDescription() const { return vuzResources().Get("obDMPText"); }

AnsiString TfrxDMPMemoView::GetoutBoundText() const {
  const long double rowsWanted = std::nearbyint(Height() / fr1CharY);
  const long double columnsWanted = std::nearbyint(Width() / fr1CharX);
  const int rows = rowsWanted > 0 ? static_cast<int>(std::min<long double>(rowsWanted, Memo()->Count())) : 0;
  const std::size_t columns = columnsWanted > 0 ? static_cast<std::size_t>(columnsWanted) : 0;
  WideString text;
  for (int i = 0; i < rows; ++i) text += Memo()->Get(i).substr(0, columns) + u"\r\n";
  return _UnicodeToAnsi(text, Font()->Charset());
}

const rtl::TClassInfo& TfrxDMPMemoView::StaticClass() {
  static const rtl::TClassInfo info = [] {
    using M = TfrxCustomMemoView;
    using D = TfrxDMPMemoView;
    rtl::TClassBuilder<D> b("TfrxDMPMemoView", &TfrxCustomMemoView::StaticClass());
    b.Creatable();
    b.Property("AutoWidth", &M::AutoWidth, &M::SetAutoWidth).Default(false);
    b.Property("AllowExpressions", &M::AllowExpressions, &M::SetAllowExpressions).Default(true);
    ViewProps::DataField(b);
    ViewProps::DataSet(b);
    ViewProps::DataSetName(b);
    b.Property("DisplayFormat", &M::DisplayFormat, &M::SetDisplayFormat);
    b.Property("ExpressionDelimiters", &M::ExpressionDelimiters, &M::SetExpressionDelimiters)
        .Stored(&M::IsExpressionDelimitersStored);
    b.Property("FlowTo", &M::FlowTo, &M::SetFlowTo);
    b.Set("FontStyle", DMPFontStylesType(), &D::FontStyle, &D::SetFontStyle).Stored(&D::IsFontStyleStored);
    ViewProps::Frame(b);
    b.Enum("HAlign", HAlignType(), &M::HAlign, &M::SetHAlign).Default(haLeft);
    b.Property("HideZeros", &M::HideZeros, &M::SetHideZeros).Default(false);
    b.Property("Memo", &M::Memo, &M::SetMemo);
    b.Property("ParentFont", &TfrxComponent::ParentFont, [](D& v, bool x) { v.SetParentFont(x); }).Default(true);
    b.Property("RTLReading", &M::RTLReading, &M::SetRTLReading).Default(false);
    b.Property("SuppressRepeated", &M::SuppressRepeated, &M::SetSuppressRepeated).Default(false);
    b.Property("WordWrap", &M::WordWrap, &M::SetWordWrap).Default(true);
    b.Property("TruncOutboundText", &D::TruncOutboundText, &D::SetTruncOutboundText).Default(false);
    b.Enum("VAlign", VAlignType(), &M::VAlign, &M::SetVAlign).Default(vaTop);
    return b.Build();
  }();
  return info;
}

}  // namespace report
