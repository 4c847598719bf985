#include "report/vuzDialogComponent.h"

#include "platform/gfx/canvas.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/format.h"

namespace report {

TfrxDialogComponent::TfrxDialogComponent(rtl::TComponent* owner) : TfrxReportComponent(owner) { Init(); }

TfrxDialogComponent::TfrxDialogComponent(rtl::TComponent* owner, std::uint16_t flags)
    : TfrxReportComponent(owner, flags) {
  Init();
}

void TfrxDialogComponent::Init() {
  SetFrComponentStyle(FrComponentStyle() & ~csPreviewVisible);
  SetWidth(28);
  SetHeight(28);
}

TfrxDialogComponent::~TfrxDialogComponent() = default;

void TfrxDialogComponent::DefineProperties(rtl::TFiler& filer) {
  TfrxReportComponent::DefineProperties(filer);
  const bool underReport = GetReport() != nullptr;
  filer.DefineProperty(
      "pLeft", [this](rtl::TReader& r) { SetLeft(static_cast<long double>(r.ReadInteger())); },
      [this](rtl::TWriter& w) { w.WriteInteger(rtl::Round(Left())); }, underReport);
  filer.DefineProperty(
      "pTop", [this](rtl::TReader& r) { SetTop(static_cast<long double>(r.ReadInteger())); },
      [this](rtl::TWriter& w) { w.WriteInteger(rtl::Round(Top())); }, underReport);
}

void TfrxDialogComponent::Draw(gfx::TCanvas& canvas, long double, long double, long double, long double) {
  SetWidth(28);
  SetHeight(28);
  const int x = static_cast<int>(rtl::Round(Left()));
  const int y = static_cast<int>(rtl::Round(Top()));
  canvas.Brush().SetStyle(gfx::bsSolid);
  canvas.Brush().SetColor(gfx::clBtnFace);
  canvas.FillRect(gfx::Rect(x, y, x + 28, y + 28));
  // The raised edge: light above and left, dark below and right.
  canvas.Pen().SetStyle(gfx::psSolid);
  canvas.Pen().SetWidth(1);
  canvas.Pen().SetColor(gfx::clBtnHighlight);
  canvas.MoveTo(x, y + 27);
  canvas.LineTo(x, y);
  canvas.LineTo(x + 27, y);
  canvas.Pen().SetColor(gfx::clBtnShadow);
  canvas.LineTo(x + 27, y + 27);
  canvas.LineTo(x, y + 27);
  gfx::TFont font;
  font.SetName("Tahoma");
  font.SetSize(8);
  font.SetColor(gfx::clBlack);
  canvas.Font() = font;
  canvas.Brush().SetStyle(gfx::bsClear);
  const int w = canvas.TextWidth(Name());
  canvas.TextOut(x + 14 - w / 2, y + 28 + 4, Name());
}

const rtl::TClassInfo& TfrxDialogComponent::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxDialogComponent>("TfrxDialogComponent", &TfrxReportComponent::StaticClass()).Build();
  return info;
}

}  // namespace report
