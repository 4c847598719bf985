#include "report/vuzDialogPage.h"

#include <cmath>

#include "platform/rtl/variant.h"
#include "report/vuzClassReport.h"
#include "report/vuzDialogControl.h"
#include "report/vuzRes.h"

namespace report {

const rtl::TEnumType& FormBorderStyleType() {
  static const rtl::TEnumType type{"TFormBorderStyle",
                                   {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}};
  return type;
}

const rtl::TEnumType& PositionType() {
  static const rtl::TEnumType type{"TPosition",
                                   {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                                    "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"}};
  return type;
}

const rtl::TEnumType& WindowStateType() {
  static const rtl::TEnumType type{"TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"}};
  return type;
}

namespace {
int Rounded(long double v) {
  if (!(v > -2147483648.0L)) return INT32_MIN;  // NaN too
  if (v >= 2147483647.0L) return INT32_MAX;
  return static_cast<int>(std::nearbyint(v));
}
}  // namespace

TfrxDialogPage::TfrxDialogPage(rtl::TComponent* owner) : TfrxPage(owner) { InitDialogPage(); }

TfrxDialogPage::TfrxDialogPage(rtl::TComponent* owner, std::uint16_t flags) : TfrxPage(owner, flags) {
  InitDialogPage();
}

void TfrxDialogPage::InitDialogPage() {
  Font()->SetName("Tahoma");
  Font()->SetSize(8);
}

TfrxDialogPage::~TfrxDialogPage() = default;

AnsiString TfrxDialogPage::GetDescription() const { return vuzResources().Get("obDlgPage"); }

TfrxDialogWindow& TfrxDialogPage::Window() {
  if (!window_) {
    // A thread-safe run makes the window without its stored form: the
    // window sees the mark in the page's Tag while it is made.
    auto* services = GetReportServices();
    const auto savedTag = Tag;
    if (services && services->EngineThreadSafe()) Tag = kSkipStoredFormTag;
    struct RestoreTag {
      TfrxDialogPage& page;
      decltype(Tag) tag;
      ~RestoreTag() { page.Tag = tag; }
    } restore{*this, savedTag};
    window_ = vuzCreateDialogWindow(*this);
    window_->SetCaption(caption_);
    window_->SetColor(color_);
    window_->SetFont(*Font());
    if (Width() != 0 || Height() != 0) {
      window_->SetLeft(Rounded(Left()));
      window_->SetTop(Rounded(Top()));
      window_->SetWidth(Rounded(Width()));
      window_->SetHeight(Rounded(Height()));
    }
  }
  return *window_;
}

void TfrxDialogPage::SetLeft(long double value) {
  TfrxPage::SetLeft(value);
  if (window_) window_->SetLeft(Rounded(Left()));
}

void TfrxDialogPage::SetTop(long double value) {
  TfrxPage::SetTop(value);
  if (window_) window_->SetTop(Rounded(Top()));
}

// A template stores the outer size before the client size: a stored client
// size wins over the outer size the page read first.
void TfrxDialogPage::SetWidth(long double value) {
  TfrxPage::SetWidth(value);
  if (window_ && !(GetIsLoading() && clientWidth_ != 0)) window_->SetWidth(Rounded(Width()));
}

void TfrxDialogPage::SetHeight(long double value) {
  TfrxPage::SetHeight(value);
  if (window_ && !(GetIsLoading() && clientHeight_ != 0)) window_->SetHeight(Rounded(Height()));
}

void TfrxDialogPage::FontChanged() {
  TfrxPage::FontChanged();
  if (window_) window_->SetFont(*Font());
}

void TfrxDialogPage::SetCaption(const AnsiString& value) {
  caption_ = value;
  if (window_) window_->SetCaption(value);
}

void TfrxDialogPage::SetColor(gfx::TColor value) {
  color_ = value;
  if (window_) window_->SetColor(value);
}

// Without a window the size last set: writing a template makes no window.
int TfrxDialogPage::ClientWidth() const { return window_ ? window_->ClientWidth() : clientWidth_; }
int TfrxDialogPage::ClientHeight() const { return window_ ? window_->ClientHeight() : clientHeight_; }
bool TfrxDialogPage::IsClientSizeStored() const { return window_ || clientWidth_ != 0 || clientHeight_ != 0; }

void TfrxDialogPage::SetClientWidth(int value) {
  Window().SetClientWidth(value);
  clientWidth_ = value;
  TfrxPage::SetWidth(Window().Width());
}

void TfrxDialogPage::SetClientHeight(int value) {
  Window().SetClientHeight(value);
  clientHeight_ = value;
  TfrxPage::SetHeight(Window().Height());
}

void TfrxDialogPage::Initialize() { Window().Initialize(); }

rtl::TModalResult TfrxDialogPage::ShowModal() {
  Initialize();
  return Window().ShowModal();
}

rtl::TModalResult TfrxDialogPage::GetModalResult() { return Window().ModalResult(); }
void TfrxDialogPage::SetModalResult(rtl::TModalResult value) { Window().SetModalResult(value); }

void TfrxDialogPage::DoModify() {
  TfrxDialogWindow& w = Window();
  TfrxPage::SetLeft(w.Left());
  TfrxPage::SetTop(w.Top());
  TfrxPage::SetWidth(w.Width());
  TfrxPage::SetHeight(w.Height());
}

// ---- events

void TfrxDialogPage::Notify(const AnsiString& handler) {
  if (auto* report = dynamic_cast<TfrxReport*>(GetReport())) report->DoNotifyEvent(this, handler);
}

namespace {
rtl::Variant Sender(const TfrxDialogPage* page) {
  return rtl::Variant(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(page)));
}
}  // namespace

void TfrxDialogPage::KeyEvent(const AnsiString& handler, std::uint16_t& key, unsigned shift) {
  auto* report = dynamic_cast<TfrxReport*>(GetReport());
  if (!report || handler.empty()) return;
  rtl::Variant params =
      rtl::VarArrayOf({Sender(this), rtl::Variant(static_cast<int>(key)), rtl::Variant(static_cast<int>(shift))});
  report->DoParamEvent(handler, params);
  key = static_cast<std::uint16_t>(params[1].AsInteger());
}

void TfrxDialogPage::DoOnActivate() {
  DoModify();
  Notify(OnActivate);
  for (TfrxComponent* c : GetAllObjects())
    if (auto* control = dynamic_cast<TfrxDialogControl*>(c); control && control->OnActivate) control->OnActivate(this);
}

void TfrxDialogPage::DoOnClick() { Notify(OnClick); }
void TfrxDialogPage::DoOnDeactivate() { Notify(OnDeactivate); }
void TfrxDialogPage::DoOnHide() { Notify(OnHide); }
void TfrxDialogPage::DoOnShow() { Notify(OnShow); }
void TfrxDialogPage::DoOnResize() { Notify(OnResize); }

void TfrxDialogPage::DoOnCloseQuery(bool& canClose) {
  auto* report = dynamic_cast<TfrxReport*>(GetReport());
  if (!report || OnCloseQuery.empty()) return;
  rtl::Variant params = rtl::VarArrayOf({Sender(this), rtl::Variant(canClose)});
  report->DoParamEvent(OnCloseQuery, params);
  canClose = params[1].AsBoolean();
}

void TfrxDialogPage::DoOnKeyDown(std::uint16_t& key, unsigned shift) { KeyEvent(OnKeyDown, key, shift); }
void TfrxDialogPage::DoOnKeyUp(std::uint16_t& key, unsigned shift) { KeyEvent(OnKeyUp, key, shift); }

void TfrxDialogPage::DoOnKeyPress(char& key) {
  auto* report = dynamic_cast<TfrxReport*>(GetReport());
  if (!report || OnKeyPress.empty()) return;
  rtl::Variant params = rtl::VarArrayOf({Sender(this), rtl::Variant(AnsiString(1, key))});
  report->DoParamEvent(OnKeyPress, params);
  const AnsiString back = params[1].AsString();
  key = back.empty() ? '\0' : back[0];  // an empty answer cancels the key
}

void TfrxDialogPage::DoOnMouseMove() {
  if (auto* report = dynamic_cast<TfrxReport*>(GetReport())) report->SetProgressMessage(AnsiString());
}

// ---- reflection

const rtl::TClassInfo& TfrxDialogPage::StaticClass() {
  using P = TfrxDialogPage;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<P>("TfrxDialogPage", &TfrxPage::StaticClass())
          .Creatable()
          .Enum("BorderStyle", FormBorderStyleType(), &P::BorderStyle, &P::SetBorderStyle)
          .Default(bsSizeable)
          .Property("Caption", &P::Caption, &P::SetCaption)
          .Property("Color", &P::Color, &P::SetColor)
          .Default(gfx::clBtnFace)
          .Property("Height", &TfrxComponent::Height, &P::SetHeight)
          .Property("ClientHeight", &P::ClientHeight, &P::SetClientHeight)
          .Stored(&P::IsClientSizeStored)
          .Property("Left", &TfrxComponent::Left, &P::SetLeft)
          .Enum("Position", PositionType(), &P::Position, &P::SetPosition)
          .Default(poScreenCenter)
          .Property("Top", &TfrxComponent::Top, &P::SetTop)
          .Property("Width", &TfrxComponent::Width, &P::SetWidth)
          .Property("ClientWidth", &P::ClientWidth, &P::SetClientWidth)
          .Stored(&P::IsClientSizeStored)
          .Enum("WindowState", WindowStateType(), &P::WindowState, &P::SetWindowState)
          .Default(wsNormal)
          .Property(
              "OnActivate", [](const P& p) { return p.OnActivate; },
              [](P& p, const AnsiString& v) { p.OnActivate = v; })
          .Property(
              "OnClick", [](const P& p) { return p.OnClick; }, [](P& p, const AnsiString& v) { p.OnClick = v; })
          .Property(
              "OnCloseQuery", [](const P& p) { return p.OnCloseQuery; },
              [](P& p, const AnsiString& v) { p.OnCloseQuery = v; })
          .Property(
              "OnDeactivate", [](const P& p) { return p.OnDeactivate; },
              [](P& p, const AnsiString& v) { p.OnDeactivate = v; })
          .Property(
              "OnHide", [](const P& p) { return p.OnHide; }, [](P& p, const AnsiString& v) { p.OnHide = v; })
          .Property(
              "OnKeyDown", [](const P& p) { return p.OnKeyDown; }, [](P& p, const AnsiString& v) { p.OnKeyDown = v; })
          .Property(
              "OnKeyPress", [](const P& p) { return p.OnKeyPress; },
              [](P& p, const AnsiString& v) { p.OnKeyPress = v; })
          .Property(
              "OnKeyUp", [](const P& p) { return p.OnKeyUp; }, [](P& p, const AnsiString& v) { p.OnKeyUp = v; })
          .Property(
              "OnShow", [](const P& p) { return p.OnShow; }, [](P& p, const AnsiString& v) { p.OnShow = v; })
          .Property(
              "OnResize", [](const P& p) { return p.OnResize; }, [](P& p, const AnsiString& v) { p.OnResize = v; })
          .Build();
  return info;
}

}  // namespace report
