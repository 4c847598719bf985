// The subreport object: a view on a band that prints another report page
// (Page) in its place, or on the parent page's bands (PrintOnParent). The
// page points back at the subreport while it is used so.
#pragma once
#include <cstdint>

#include "report/vuzClassView.h"

namespace report {

class TfrxReportPage;

class TfrxSubreport : public TfrxView {
  RTL_CLASS_INFO
 public:
  // Framed on all sides, Tahoma 8, silver; not kept on prepared pages.
  explicit TfrxSubreport(rtl::TComponent* owner);
  TfrxSubreport(rtl::TComponent* owner, std::uint16_t flags);
  ~TfrxSubreport() override;

  TfrxReportPage* Page() const { return page_; }
  // Also makes the page point back at this subreport (and a page left
  // behind forget it).
  void SetPage(TfrxReportPage* page);
  TfrxSubreport* AsSubreport() override { return this; }
  bool PrintOnParent() const { return printOnParent_; }
  void SetPrintOnParent(bool v) { printOnParent_ = v; }

  // The view, then the object's name in its font at the top left.
  void Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
            long double offsetY) override;
  AnsiString GetDescription() const override;

 protected:
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

 private:
  void InitSubreport();

  TfrxReportPage* page_ = nullptr;
  bool printOnParent_ = false;
};

}  // namespace report
