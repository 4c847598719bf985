// The aggregate list: finding calls, accumulating rows, answering values.
#include "report/vuzAggregate.h"

#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"

namespace report {

void TfrxAggregateItem::Calc() {}
rtl::Variant TfrxAggregateItem::Value() { return rtl::Variant(0); }
void TfrxAggregateItem::Reset() {}
void TfrxAggregateItem::DeleteValue() {}
void TfrxAggregateItem::StartKeep() {}
void TfrxAggregateItem::EndKeep() {}

TfrxAggregateList::TfrxAggregateList(TfrxReport* report) : report_(report) {}
TfrxAggregateList::~TfrxAggregateList() { Clear(); }
void TfrxAggregateList::AddItems(TfrxReportPage*) {}
void TfrxAggregateList::FindAggregates(TfrxCustomMemoView*, TfrxDataBand*) {}
TfrxAggregateCall TfrxAggregateList::ParseName(const AnsiString&) const { return TfrxAggregateCall(); }
void TfrxAggregateList::AddValue(TfrxBand*, int) {}
void TfrxAggregateList::DeleteValue(TfrxBand*) {}
rtl::Variant TfrxAggregateList::GetValue(TfrxComponent*, int, const AnsiString&, const AnsiString&, TfrxComponent*,
                                         int) {
  return rtl::Variant();
}
rtl::Variant TfrxAggregateList::GetValue(TfrxComponent*, const AnsiString&, int) { return rtl::Variant(); }
void TfrxAggregateList::Reset(TfrxComponent*) {}
void TfrxAggregateList::StartKeep() {}
void TfrxAggregateList::EndKeep() {}
void TfrxAggregateList::ClearValues() {}
void TfrxAggregateList::Clear() { items_.clear(); }

}  // namespace report
