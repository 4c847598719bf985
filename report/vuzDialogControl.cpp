#include "report/vuzDialogControl.h"

#include <cmath>
#include <cstdint>

#include "platform/gfx/bitmap.h"
#include "platform/rtl/textcase.h"
#include "platform/rtl/variant.h"
#include "report/vuzClassReport.h"
#include "report/vuzDialogPage.h"

namespace report {

namespace {
int Rounded(long double v) {
  if (!(v > -2147483648.0L)) return INT32_MIN;
  if (v >= 2147483647.0L) return INT32_MAX;
  return static_cast<int>(std::nearbyint(v));
}

rtl::Variant Sender(const TfrxDialogControl* control) {
  return rtl::Variant(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(control)));
}

// The long part of a hint "short|long" (the whole hint without a bar).
AnsiString LongHint(const AnsiString& hint) {
  const std::size_t bar = hint.find('|');
  return bar == AnsiString::npos ? hint : hint.substr(bar + 1);
}
}  // namespace

TfrxDialogControl::TfrxDialogControl(rtl::TComponent* owner) : TfrxReportComponent(owner) { SetParentFont(true); }

TfrxDialogControl::~TfrxDialogControl() = default;

void TfrxDialogControl::InitControl(std::unique_ptr<TfrxDialogControlWindow> control) {
  control_ = std::move(control);
  AnsiString base = ClassName();
  if (base.starts_with("Tfrx")) base = base.substr(4);
  if (const std::size_t at = base.find("Control"); at != AnsiString::npos) base.erase(at, 7);
  SetBaseName(base);
  if (!control_) return;
  TfrxDialogControlWindow::Events events;
  events.Click = [this] { DoOnClick(); };
  events.DblClick = [this] { DoOnDblClick(); };
  events.MouseDown = [this](int b, unsigned s, int x, int y) { DoOnMouseDown(b, s, x, y); };
  events.MouseMove = [this](unsigned s, int x, int y) { DoOnMouseMove(s, x, y); };
  events.MouseUp = [this](int b, unsigned s, int x, int y) { DoOnMouseUp(b, s, x, y); };
  if (control_->IsWindowControl()) {
    events.Enter = [this] { DoOnEnter(); };
    events.Exit = [this] { DoOnExit(); };
    events.KeyDown = [this](std::uint16_t& k, unsigned s) { DoOnKeyDown(k, s); };
    events.KeyPress = [this](char& k) { DoOnKeyPress(k); };
    events.KeyUp = [this](std::uint16_t& k, unsigned s) { DoOnKeyUp(k, s); };
  }
  control_->Bind(std::move(events));
  ApplyBounds();
  control_->SetVisible(Visible());
  control_->SetEnabled(enabled_);
  control_->SetHint(hint_);
  control_->SetShowHint(showHint_);
  control_->SetParentFont(ParentFont());
  control_->SetFont(*Font());
  ApplyParent();
}

// ---- tree and names

void TfrxDialogControl::SetParent(TfrxComponent* parent) {
  TfrxReportComponent::SetParent(parent);
  ApplyParent();
}

void TfrxDialogControl::ApplyParent() {
  if (!control_) return;
  TfrxComponent* parent = Parent();
  if (auto* control = dynamic_cast<TfrxDialogControl*>(parent); control && control->Control())
    control_->SetParentControl(control->Control());
  else if (auto* page = dynamic_cast<TfrxDialogPage*>(parent))
    control_->SetParentWindow(&page->Window());
  else
    control_->SetParentHidden();
}

void TfrxDialogControl::SetName(const AnsiString& name) {
  const AnsiString old = Name();
  TfrxReportComponent::SetName(name);
  // A caption that showed the old name follows the new one.
  if (control_ && control_->ShowsCaption() && control_->Caption() == old && !GetIsLoading())
    control_->SetCaption(Name());
}

// ---- properties acting on the control

void TfrxDialogControl::ApplyBounds() {
  if (control_) control_->SetBounds(Rounded(Left()), Rounded(Top()), Rounded(Width()), Rounded(Height()));
}

void TfrxDialogControl::SetLeft(long double value) {
  TfrxReportComponent::SetLeft(value);
  ApplyBounds();
}
void TfrxDialogControl::SetTop(long double value) {
  TfrxReportComponent::SetTop(value);
  ApplyBounds();
}
void TfrxDialogControl::SetWidth(long double value) {
  TfrxReportComponent::SetWidth(value);
  ApplyBounds();
}
void TfrxDialogControl::SetHeight(long double value) {
  TfrxReportComponent::SetHeight(value);
  ApplyBounds();
}

void TfrxDialogControl::SetVisible(bool value) {
  TfrxReportComponent::SetVisible(value);
  if (control_) control_->SetVisible(value);
}

void TfrxDialogControl::SetParentFont(bool value) {
  TfrxReportComponent::SetParentFont(value);
  if (control_) control_->SetParentFont(value);
}

void TfrxDialogControl::FontChanged() {
  TfrxReportComponent::FontChanged();
  if (control_) control_->SetFont(*Font());
}

AnsiString TfrxDialogControl::Caption() const { return control_ ? control_->Caption() : AnsiString(); }
void TfrxDialogControl::SetCaption(const AnsiString& value) {
  if (control_) control_->SetCaption(value);
}
gfx::TColor TfrxDialogControl::Color() const { return control_ ? control_->Color() : gfx::clBtnFace; }
void TfrxDialogControl::SetColor(gfx::TColor value) {
  if (control_) control_->SetColor(value);
}

void TfrxDialogControl::SetEnabled(bool value) {
  enabled_ = value;
  if (control_) control_->SetEnabled(value);
}

void TfrxDialogControl::SetHint(const AnsiString& value) {
  hint_ = value;
  if (control_) control_->SetHint(value);
}

void TfrxDialogControl::SetShowHint(bool value) {
  showHint_ = value;
  if (control_) control_->SetShowHint(value);
}

bool TfrxDialogControl::TabStop() const { return control_ && control_->IsWindowControl() ? control_->TabStop() : true; }
void TfrxDialogControl::SetTabStop(bool value) {
  if (control_ && control_->IsWindowControl()) control_->SetTabStop(value);
}

// ---- drawing

void TfrxDialogControl::Draw(gfx::TCanvas& canvas, long double, long double, long double, long double) {
  const int w = Rounded(Width()), h = Rounded(Height());
  if (w <= 0 || h <= 0 || w > 16384 || h > 16384) return;
  gfx::TBitmap picture(w, h);
  gfx::TCanvas& c = picture.Canvas();
  c.Brush().SetColor(gfx::clBtnFace);
  c.FillRect(gfx::TRect{0, 0, w, h});
  if (control_) control_->PaintTo(c);
  canvas.Draw(Rounded(GetAbsLeft()), Rounded(GetAbsTop()), picture);
}

// ---- events

void TfrxDialogControl::Notify(const AnsiString& handler) {
  if (auto* report = dynamic_cast<TfrxReport*>(GetReport())) report->DoNotifyEvent(this, handler);
}

void TfrxDialogControl::DoOnClick() { Notify(OnClick); }
void TfrxDialogControl::DoOnDblClick() { Notify(OnDblClick); }
void TfrxDialogControl::DoOnEnter() { Notify(OnEnter); }
void TfrxDialogControl::DoOnExit() { Notify(OnExit); }

namespace {
template <class F>
void WithParams(TfrxDialogControl* self, const AnsiString& handler, rtl::Variant params, F&& back) {
  auto* report = dynamic_cast<TfrxReport*>(self->GetReport());
  if (!report || handler.empty()) return;
  report->DoParamEvent(handler, params);
  back(params);
}
}  // namespace

void TfrxDialogControl::DoOnKeyDown(std::uint16_t& key, unsigned shift) {
  WithParams(
      this, OnKeyDown,
      rtl::VarArrayOf({Sender(this), rtl::Variant(static_cast<int>(key)), rtl::Variant(static_cast<int>(shift))}),
      [&key](rtl::Variant& p) { key = static_cast<std::uint16_t>(p[1].AsInteger()); });
}

void TfrxDialogControl::DoOnKeyUp(std::uint16_t& key, unsigned shift) {
  WithParams(
      this, OnKeyUp,
      rtl::VarArrayOf({Sender(this), rtl::Variant(static_cast<int>(key)), rtl::Variant(static_cast<int>(shift))}),
      [&key](rtl::Variant& p) { key = static_cast<std::uint16_t>(p[1].AsInteger()); });
}

void TfrxDialogControl::DoOnKeyPress(char& key) {
  WithParams(this, OnKeyPress, rtl::VarArrayOf({Sender(this), rtl::Variant(AnsiString(1, key))}),
             [&key](rtl::Variant& p) {
               const AnsiString back = p[1].AsString();
               key = back.empty() ? '\0' : back[0];  // an empty answer cancels the key
             });
}

void TfrxDialogControl::DoOnMouseDown(int button, unsigned shift, int x, int y) {
  WithParams(this, OnMouseDown,
             rtl::VarArrayOf({Sender(this), rtl::Variant(button), rtl::Variant(static_cast<int>(shift)),
                              rtl::Variant(x), rtl::Variant(y)}),
             [](rtl::Variant&) {});
}

void TfrxDialogControl::DoOnMouseUp(int button, unsigned shift, int x, int y) {
  WithParams(this, OnMouseUp,
             rtl::VarArrayOf({Sender(this), rtl::Variant(button), rtl::Variant(static_cast<int>(shift)),
                              rtl::Variant(x), rtl::Variant(y)}),
             [](rtl::Variant&) {});
}

void TfrxDialogControl::DoOnMouseMove(unsigned shift, int x, int y) {
  auto* report = dynamic_cast<TfrxReport*>(GetReport());
  if (!report) return;
  if (!hint_.empty() && showHint_) report->SetProgressMessage(LongHint(hint_), true);
  WithParams(this, OnMouseMove,
             rtl::VarArrayOf({Sender(this), rtl::Variant(static_cast<int>(shift)), rtl::Variant(x), rtl::Variant(y)}),
             [](rtl::Variant&) {});
}

// ---- reflection

const rtl::TClassInfo& TfrxDialogControl::StaticClass() {
  using C = TfrxDialogControl;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<C>("TfrxDialogControl", &TfrxReportComponent::StaticClass())
          .Property("Left", &TfrxComponent::Left, &C::SetLeft)
          .Property("Top", &TfrxComponent::Top, &C::SetTop)
          .Property("Width", &TfrxComponent::Width, &C::SetWidth)
          .Property("Height", &TfrxComponent::Height, &C::SetHeight)
          .Property("Font", &TfrxComponent::Font, &TfrxComponent::SetFont)
          .Stored(&TfrxComponent::IsFontStored)
          .Property("GroupIndex", &TfrxComponent::GroupIndex, &TfrxComponent::SetGroupIndex)
          .Default(0)
          .Property("ParentFont", &TfrxComponent::ParentFont, &C::SetParentFont)
          .Default(true)
          .Property("Enabled", &C::Enabled, &C::SetEnabled)
          .Default(true)
          .Property("Hint", &C::Hint, &C::SetHint)
          .Property("ShowHint", &C::ShowHint, &C::SetShowHint)
          .Default(false)
          .Property("Visible", &TfrxComponent::Visible, &C::SetVisible)
          .Default(true)
          .Build();
  return info;
}

}  // namespace report
