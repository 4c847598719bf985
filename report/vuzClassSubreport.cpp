#include "report/vuzClassSubreport.h"

#include "report/vuzClassPage.h"
#include "report/vuzRes.h"

namespace report {

TfrxSubreport::TfrxSubreport(rtl::TComponent* owner) : TfrxView(owner) { InitSubreport(); }
TfrxSubreport::TfrxSubreport(rtl::TComponent* owner, std::uint16_t flags) : TfrxView(owner, flags) { InitSubreport(); }

void TfrxSubreport::InitSubreport() {
  SetFrComponentStyle(FrComponentStyle() & ~csPreviewVisible);
  Frame()->SetTyp(FrameBit(ftLeft) | FrameBit(ftRight) | FrameBit(ftTop) | FrameBit(ftBottom));
  Font()->SetName("Tahoma");
  Font()->SetSize(8);
  SetColor(0xC0C0C0);  // silver
}

// The page may already be gone when a whole report is freed (its removal is
// not announced then), so only a page that is still ours is told.
TfrxSubreport::~TfrxSubreport() {
  if (page_ && !HasState(rtl::csDestroying) && page_->SubReport() == this) page_->SetSubReport(nullptr);
}

void TfrxSubreport::SetPage(TfrxReportPage* page) {
  if (page_ == page) return;
  if (page_) {
    if (page_->SubReport() == this) page_->SetSubReport(nullptr);
    RemoveFreeNotification(page_);
  }
  page_ = page;
  if (page_) {
    page_->SetSubReport(this);
    FreeNotificationAlways(page_);
  }
}

void TfrxSubreport::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  TfrxView::Notification(component, operation);
  if (operation == rtl::opRemove && component && component == page_) page_ = nullptr;
}

void TfrxSubreport::Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
                         long double offsetY) {
  TfrxView::Draw(canvas, scaleX, scaleY, offsetX, offsetY);
  canvas.Font().Assign(*Font());
  canvas.TextOut(DevX + 2, DevY + 2, Name());
}

AnsiString TfrxSubreport::GetDescription() const { return vuzResources().Get("obSubRep"); }

const rtl::TClassInfo& TfrxSubreport::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxSubreport>("TfrxSubreport", &TfrxView::StaticClass())
          .Creatable()
          .Property("Page", &TfrxSubreport::Page, &TfrxSubreport::SetPage)
          .Property("PrintOnParent", &TfrxSubreport::PrintOnParent, &TfrxSubreport::SetPrintOnParent)
          .Default(false)
          .Build();
  return info;
}

}  // namespace report
