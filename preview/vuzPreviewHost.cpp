#include "preview/vuzPreviewHost.h"

#include <algorithm>

#include "preview/vuzLinks.h"
#include "report/vuzClassReport.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace preview {

TfrxPreviewHost::TfrxPreviewHost(TfrxComponent* report)
    : report_(report), full_(dynamic_cast<report::TfrxReport*>(report)) {}

TfrxPreviewCommands* TfrxPreviewHost::Commands() const { return dynamic_cast<TfrxPreviewCommands*>(Control()); }

int TfrxPreviewHost::MaxMemSize() const { return full_ ? full_->EngineOptions()->MaxMemSize : 10; }
bool TfrxPreviewHost::UseFileCache() const { return full_ && full_->EngineOptions()->UseFileCache; }
AnsiString TfrxPreviewHost::TempDir() const { return full_ ? full_->EngineOptions()->TempDir : AnsiString(); }
int TfrxPreviewHost::PagesInCache() const { return full_ ? full_->PreviewOptions()->PagesInCache : 50; }
bool TfrxPreviewHost::PictureCacheInFile() const { return full_ && full_->PreviewOptions()->PictureCacheInFile; }

TfrxPreparedReportSettings TfrxPreviewHost::Settings() const {
  TfrxPreparedReportSettings s;
  if (!full_) return s;
  s.DotMatrixReport = full_->DotMatrixReport();
  s.OutlineVisible = full_->PreviewOptions()->OutlineVisible;
  s.OutlineWidth = full_->PreviewOptions()->OutlineWidth;
  s.Name = full_->ReportOptions()->Name;
  return s;
}

void TfrxPreviewHost::ApplySettings(const TfrxPreparedReportSettings& s) {
  if (!full_) return;
  full_->SetDotMatrixReport(s.DotMatrixReport);
  full_->PreviewOptions()->OutlineVisible = s.OutlineVisible;
  full_->PreviewOptions()->OutlineWidth = s.OutlineWidth;
  full_->ReportOptions()->Name = s.Name;
}

TfrxPrintSettings TfrxPreviewHost::PrintSettings() const {
  TfrxPrintSettings p;
  if (!full_) return p;
  const report::TfrxPrintOptions& o = *full_->PrintOptions();
  p.Copies = o.Copies;
  p.Collate = o.Collate;
  p.PageNumbers = o.PageNumbers;
  p.Printer = o.Printer;
  p.Reverse = o.Reverse;
  p.PrintPages = static_cast<int>(o.PrintPages);
  p.PrintMode = static_cast<int>(o.PrintMode);
  p.PrintOnSheet = o.PrintOnSheet;
  p.ShowDialog = o.ShowDialog;
  p.Duplex = static_cast<int>(o.Duplex);
  p.Overlap = o.SplicingLine;
  p.OutputFile = printOutputFile_;
  p.Title = full_->ReportOptions()->Name.empty() ? full_->FileName() : full_->ReportOptions()->Name;
  return p;
}

void TfrxPreviewHost::SetPrintSettings(const TfrxPrintSettings& p) {
  printOutputFile_ = p.OutputFile;
  if (!full_) return;
  report::TfrxPrintOptions& o = *full_->PrintOptions();
  o.Copies = p.Copies;
  o.Collate = p.Collate;
  o.PageNumbers = p.PageNumbers;
  o.Printer = p.Printer;
  o.Reverse = p.Reverse;
  o.PrintPages = static_cast<report::TfrxPrintPages>(std::clamp(p.PrintPages, 0, 2));
  o.PrintMode = static_cast<report::TfrxPrintMode>(std::clamp(p.PrintMode, 0, 3));
  o.PrintOnSheet = p.PrintOnSheet;
  o.ShowDialog = p.ShowDialog;
  o.Duplex = static_cast<report::TfrxDuplexMode>(std::clamp(p.Duplex, 0, 3));
  o.SplicingLine = p.Overlap;
}

TfrxPrintDialogHandler& vuzPrintDialogHandler() {
  static TfrxPrintDialogHandler handler;
  return handler;
}

bool TfrxPreviewHost::ShowPrintDialog(TfrxPrintSettings& settings) {
  const TfrxPrintDialogHandler& handler = vuzPrintDialogHandler();
  return handler ? handler(report_, settings) : true;
}

void TfrxPreviewHost::PrintPage(TfrxComponent* page, int copyNo) {
  if (full_ && full_->OnPrintPage) full_->OnPrintPage(page, copyNo);
}

bool TfrxPreviewHost::Terminated() const { return full_ && full_->Terminated(); }

void TfrxPreviewHost::SetTerminated(bool value) {
  if (full_) full_->SetTerminated(value);
}

rtl::TStrings* TfrxPreviewHost::Errors() {
  report::TfrxReportServices* services = report_ ? report_->GetReportServices() : nullptr;
  return services ? &services->Errors() : nullptr;
}

void TfrxPreviewHost::CommonErrorHandler(const AnsiString& text) { report::vuzCommonErrorHandler(report_, text); }

void TfrxPreviewHost::ErrorMessage(const AnsiString& text) { report::vuzErrorMsg(text); }

rtl::TStrings* TfrxPreviewHost::DrillState() { return full_ ? full_->DrillState() : nullptr; }

void TfrxPreviewHost::ProgressStart(report::TfrxProgressType type, int /*progress*/) {
  if (full_) full_->InternalOnProgressStart(type);
}

void TfrxPreviewHost::Progress(report::TfrxProgressType type, int progress) {
  if (full_) full_->InternalOnProgress(type, progress);
}

void TfrxPreviewHost::ProgressStop(report::TfrxProgressType type, int /*progress*/) {
  if (full_) full_->InternalOnProgressStop(type);
}

void TfrxPreviewHost::SetProgressMessage(const AnsiString& text, bool hint) {
  if (full_) full_->SetProgressMessage(text, hint);
}

void TfrxPreviewHost::MouseOverObject(TfrxComponent* view) {
  if (full_ && full_->OnMouseOverObject) full_->OnMouseOverObject(view);
}

void TfrxPreviewHost::PreviewClick(TfrxComponent* view, int button, unsigned shift, bool& modified, bool doubleClick) {
  if (full_) full_->DoPreviewClick(view, button, shift, modified, doubleClick);
}

void TfrxPreviewHost::PrintReport() {
  if (full_ && full_->OnPrintReport) full_->OnPrintReport(full_);
}

void TfrxPreviewHost::AfterPrintReport() {
  if (full_ && full_->OnAfterPrintReport) full_->OnAfterPrintReport(full_);
}

void TfrxPreviewHost::ProcessMessages() {
  if (full_) report::vuzProcessMessages();
}

bool TfrxPreviewHost::OpenExternal(const AnsiString& target) {
  TfrxLinkTarget link;
  link.Kind = TfrxLinkKind::External;
  link.Target = target;
  return vuzOpenExternalLink(link);
}

report::TfrxCustomPreview* TfrxPreviewHost::Control() const { return full_ ? full_->Preview() : nullptr; }

bool TfrxPreviewHost::HasPreview() const { return Control() != nullptr; }

void TfrxPreviewHost::PreviewLock() {
  if (report::TfrxCustomPreview* c = Control()) c->Lock();
}

void TfrxPreviewHost::PreviewRefresh() {
  if (TfrxPreviewCommands* c = Commands()) c->RefreshPages();
}

void TfrxPreviewHost::PreviewHideMessage() {
  if (TfrxPreviewCommands* c = Commands()) c->HideMessage();
}

void TfrxPreviewHost::PreviewSetPageNo(int page) {
  if (TfrxPreviewCommands* c = Commands()) c->SetPageNo(page);
}

void TfrxPreviewHost::PreviewSetPosition(int page, int top) {
  if (TfrxPreviewCommands* c = Commands()) c->SetPosition(page, top);
}

bool TfrxPreviewHost::PreviewShowHint() const {
  TfrxPreviewCommands* c = Commands();
  return c && c->ShowHint();
}

void TfrxPreviewHost::SetPreviewShowHint(bool value) {
  if (TfrxPreviewCommands* c = Commands()) c->SetShowHint(value);
}

bool TfrxPreviewHost::PreviewUseReportHints() const {
  report::TfrxCustomPreview* c = Control();
  return !c || c->UseReportHints;
}

void TfrxPreviewHost::SetPreviewHint(const AnsiString& text) {
  if (TfrxPreviewCommands* c = Commands()) c->SetHint(text);
}

void TfrxPreviewHost::PreviewInvalidate() {
  if (TfrxPreviewCommands* c = Commands()) c->Invalidate();
}

void TfrxPreviewHost::PreviewRefreshReport() {
  if (report::TfrxCustomPreview* c = Control()) c->RefreshReport();
}

}  // namespace preview
