// The engine's run: structure analysis of each report page, the data-band
// loop with groups and columns, and the vertical bands' loop.
#include "report/vuzEngine.h"

#include "report/vuzAggregate.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"

namespace report {

void TfrxHeaderList::AddItem(TfrxBand* band, long double left, bool isInKeepList) {
  items_.push_back(TfrxHeaderListItem{band, left, isInKeepList});
}

void TfrxHeaderList::RemoveItem(TfrxBand* band) {
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (it->Band == band) {
      items_.erase(it);
      return;
    }
  }
}

TfrxEngine::TfrxEngine(TfrxComponent* report)
    : TfrxCustomEngine(report), aggregates_(std::make_unique<TfrxAggregateList>(static_cast<TfrxReport*>(report))) {}

TfrxEngine::~TfrxEngine() = default;

const rtl::TClassInfo& TfrxEngine::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxEngine>("TfrxEngine", &TfrxCustomEngine::StaticClass()).Build();
  return info;
}

TfrxReport& TfrxEngine::OwnerReport() const { return *static_cast<TfrxReport*>(Report()); }

bool TfrxEngine::Run() { return false; }
bool TfrxEngine::Initialize() { return false; }
void TfrxEngine::Finalize() {}
void TfrxEngine::RunReportPages() {}
void TfrxEngine::RunPage(TfrxReportPage*) {}
void TfrxEngine::PreparePage(rtl::TStrings&, bool) {}
bool TfrxEngine::CanShow(TfrxComponent*, bool printIfEmpty) { return printIfEmpty; }
void TfrxEngine::InitGroups(TfrxDataBand*, TfrxGroupHeader*, bool, int) {}
void TfrxEngine::CheckGroups(TfrxDataBand*, TfrxGroupHeader*, long double, int) {}
void TfrxEngine::ShowGroupFooters(TfrxGroupHeader*, int, TfrxDataBand*) {}
void TfrxEngine::CheckDrill(TfrxDataBand*, TfrxGroupHeader*) {}
void TfrxEngine::CheckBandColumns(TfrxDataBand*, int, long double) {}
void TfrxEngine::ResetSuppressValues(TfrxBand*) {}
void TfrxEngine::NotifyObjects(TfrxBand*) {}
void TfrxEngine::ShowVBands(TfrxBand*) {}
void TfrxEngine::RunOnePage() {}
void TfrxEngine::ShowPageObjects() {}
void TfrxEngine::ShowDataBands(TfrxComponent*) {}
void TfrxEngine::ShowVDataBands(TfrxComponent*) {}

}  // namespace report
