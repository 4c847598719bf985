// The base of the non-visual components placed on dialog and data pages
// (every dataset derives from it): a 28 x 28 icon in a designer, never on
// prepared pages, its position stored as the whole numbers "pLeft" and "pTop".
#pragma once
#include <memory>

#include "report/vuzClass.h"

namespace report {

class TfrxDialogComponent : public TfrxReportComponent {
  RTL_CLASS_INFO
 public:
  explicit TfrxDialogComponent(rtl::TComponent* owner);
  TfrxDialogComponent(rtl::TComponent* owner, std::uint16_t flags);
  ~TfrxDialogComponent() override;

  // The wrapped component, owned and freed with this one (may be nil).
  rtl::TComponent* Component() const { return component_.get(); }
  void SetComponent(std::unique_ptr<rtl::TComponent> component) { component_ = std::move(component); }

  // "pLeft" and "pTop", only under a report.
  void DefineProperties(rtl::TFiler& filer) override;
  // The design-time icon: a raised 28 x 28 box with the name below it.
  void Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
            long double offsetY) override;

 private:
  void Init();
  std::unique_ptr<rtl::TComponent> component_;
};

}  // namespace report
