// The engine's output half: filling, stretching and placing bands, pages
// and columns, splitting, keep blocks, subreports, vertical bands, outline.
#include "report/vuzAggregate.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzEngine.h"

namespace report {

long double TfrxEngine::GetPageHeight() { return PageHeight; }
void TfrxEngine::EndPage() {}
void TfrxEngine::BreakAllKeep() {}
void TfrxEngine::NewColumn() {}
void TfrxEngine::NewPage() {}
void TfrxEngine::ShowBand(TfrxComponent*) {}
void TfrxEngine::ShowBand(const rtl::TClassInfo&) {}
long double TfrxEngine::HeaderHeight() { return 0; }
long double TfrxEngine::FooterHeight() { return 0; }
long double TfrxEngine::FreeSpace() { return 0; }
rtl::Variant TfrxEngine::GetAggregateValue(const AnsiString&, const AnsiString&, TfrxComponent*, int) {
  return rtl::Variant();
}
void TfrxEngine::DoShow(TfrxBand*) {}
void TfrxEngine::Stretch(TfrxBand*) {}
void TfrxEngine::UnStretch(TfrxBand*) {}
void TfrxEngine::PrepareShiftTree(TfrxBand*) {}
void TfrxEngine::ShiftObjects(TfrxReportComponent*, long double) {}
void TfrxEngine::CheckSuppress(TfrxBand*) {}
void TfrxEngine::DrawSplit(TfrxBand*) {}
TfrxBand* TfrxEngine::FindBand(const rtl::TClassInfo&) { return nullptr; }
void TfrxEngine::InitPage() {}
void TfrxEngine::AddPage() {}
void TfrxEngine::AddColumn() {}
void TfrxEngine::EndColumn() {}
void TfrxEngine::StartKeep(TfrxBand*, int) {}
void TfrxEngine::EndKeep(TfrxBand*) {}
void TfrxEngine::AddToHeaderList(TfrxBand*) {}
void TfrxEngine::AddToVHeaderList(TfrxBand*) {}
void TfrxEngine::RemoveFromHeaderList(TfrxBand*) {}
void TfrxEngine::RemoveFromVHeaderList(TfrxBand*) {}
void TfrxEngine::CheckSubReports(TfrxBand*) {}
void TfrxEngine::AddBandOutline(TfrxBand*) {}
void TfrxEngine::AddPageOutline() {}
void TfrxEngine::OutlineRoot() {}
void TfrxEngine::OutlineUp(TfrxBand*) {}
void TfrxEngine::ShowFooterBand(TfrxBand*) {}
void TfrxEngine::RunSubreportsOnParent(TfrxBand*) {}
void TfrxEngine::ShowVerticalBand(TfrxBand*) {}
void TfrxEngine::ShowVerticalPages(TfrxBand*) {}
long double TfrxEngine::ColumnX(int) const { return 0; }

}  // namespace report
