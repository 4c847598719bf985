#include "report/vuzDataSet.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "platform/rtl/textcase.h"
#include "report/vuzRes.h"

namespace report {

const rtl::TEnumType& RangeBeginType() {
  static const rtl::TEnumType type{"TfrxRangeBegin", {"rbFirst", "rbCurrent"}};
  return type;
}

const rtl::TEnumType& RangeEndType() {
  static const rtl::TEnumType type{"TfrxRangeEnd", {"reLast", "reCurrent", "reCount"}};
  return type;
}

// ---------------------------------------------------------------- the global list

namespace {
std::unique_ptr<TfrxGlobalDataSetList>& GlobalList() {
  static std::unique_ptr<TfrxGlobalDataSetList> list;
  return list;
}
}  // namespace

void TfrxGlobalDataSetList::Add(TfrxDataSet* d) {
  if (!d || positions_.count(d)) return;
  positions_.emplace(d, items_.size());
  items_.push_back(d);
}

void TfrxGlobalDataSetList::Remove(TfrxDataSet* d) {
  auto it = positions_.find(d);
  if (it == positions_.end()) return;
  items_[it->second] = nullptr;
  positions_.erase(it);
  if (++holes_ * 2 > items_.size()) Compact();
}

void TfrxGlobalDataSetList::Compact() {
  std::erase(items_, nullptr);
  holes_ = 0;
  for (std::size_t i = 0; i < items_.size(); ++i) positions_[items_[i]] = i;
}

TfrxGlobalDataSetList* vuzDataSetList() { return GlobalList().get(); }
void vuzCreateDataSetList() {
  if (!GlobalList()) GlobalList() = std::make_unique<TfrxGlobalDataSetList>();
}
void vuzFreeDataSetList() { GlobalList().reset(); }

TfrxDataSet* vuzFindDataSet(TfrxDataSet* defaultDataSet, const AnsiString& name, rtl::TComponent* owner) {
  if (name.empty()) return nullptr;
  if (!owner) return defaultDataSet;
  TfrxGlobalDataSetList* list = vuzDataSetList();
  if (!list) return defaultDataSet;
  const bool ownerIsReport = owner->ClassType().InheritsFrom("TfrxReport");
  for (TfrxDataSet* d : list->Items()) {
    if (!d || !rtl::AnsiSameText(d->UserName(), name)) continue;
    rtl::TComponent* holder = d->Owner();
    // Two reports never see each other's datasets.
    if (ownerIsReport && holder && holder != owner && holder->ClassType().InheritsFrom("TfrxReport")) continue;
    return d;
  }
  return defaultDataSet;
}

void vuzGetDataSetList(rtl::TStrings& list) {
  list.Clear();
  if (TfrxGlobalDataSetList* all = vuzDataSetList())
    for (TfrxDataSet* d : all->Items())
      if (d && !d->UserName().empty() && d->Enabled()) list.AddObject(d->UserName(), d);
}

// ---------------------------------------------------------------- TfrxDataSet

TfrxDataSet::TfrxDataSet(rtl::TComponent* owner) : TfrxDialogComponent(owner) {
  if (TfrxGlobalDataSetList* list = vuzDataSetList()) list->Add(this);
}

TfrxDataSet::~TfrxDataSet() {
  if (TfrxGlobalDataSetList* list = vuzDataSetList()) list->Remove(this);
}

WideString TfrxDataSet::GetDisplayText(const AnsiString&) { return WideString(); }
int TfrxDataSet::GetDisplayWidth(const AnsiString&) { return 10; }
TfrxFieldType TfrxDataSet::GetFieldType(const AnsiString&) { return fftNumeric; }
rtl::Variant TfrxDataSet::GetValue(const AnsiString&) { return rtl::Variant::Null(); }

bool TfrxDataSet::HasField(const AnsiString& field) {
  rtl::TStringList list;
  GetFieldList(list);
  return list.IndexOf(field) >= 0;
}

void TfrxDataSet::Open() {
  if (OnOpen) OnOpen(this);
}

void TfrxDataSet::Close() {
  if (OnClose) OnClose(this);
}

void TfrxDataSet::First() {
  recNo_ = 0;
  eof_ = false;
  if (OnFirst) OnFirst(this);
}

void TfrxDataSet::Next() {
  eof_ = false;
  ++recNo_;
  if (rangeEnd_ == reCount && recNo_ >= rangeEndCount_) {
    recNo_ = rangeEndCount_ - 1;
    eof_ = true;
    return;
  }
  if (OnNext) OnNext(this);
}

void TfrxDataSet::Prior() {
  --recNo_;
  if (OnPrior) OnPrior(this);
}

bool TfrxDataSet::Eof() {
  bool result = rangeEnd_ == reCount && (recNo_ >= rangeEndCount_ || eof_);
  if (OnCheckEOF) OnCheckEOF(this, result);
  return result;
}

int TfrxDataSet::RecordCount() { return rangeBegin_ == rbFirst && rangeEnd_ == reCount ? rangeEndCount_ : 0; }

void TfrxDataSet::SetName(const AnsiString& name) {
  TfrxDialogComponent::SetName(name);
  if (!name.empty() && (userName_.empty() || userName_ == name)) userName_ = name;
}

void TfrxDataSet::SetUserName(const AnsiString& value) {
  if (rtl::Trim(value).empty()) throw rtl::Exception(vuzResources().Get("prInvProp"));
  userName_ = value;
}

// ---------------------------------------------------------------- TfrxUserDataSet

TfrxUserDataSet::TfrxUserDataSet(rtl::TComponent* owner) : TfrxDataSet(owner) {}

rtl::Variant TfrxUserDataSet::GetValue(const AnsiString& field) {
  rtl::Variant value = rtl::Variant::Null();
  if (OnGetValue) OnGetValue(field, value);
  if (OnNewGetValue) OnNewGetValue(this, field, value);
  return value;
}

WideString TfrxUserDataSet::GetDisplayText(const AnsiString& field) {
  WideString text;
  auto textOf = [](const rtl::Variant& v) { return v.IsNull() || v.IsEmpty() ? WideString() : v.AsWideString(); };
  if (OnGetValue) {
    rtl::Variant v = rtl::Variant::Null();
    OnGetValue(field, v);
    text = textOf(v);
  }
  if (OnNewGetValue) {
    rtl::Variant v = rtl::Variant::Null();
    OnNewGetValue(this, field, v);
    text = textOf(v);
  }
  return text;
}

// ---------------------------------------------------------------- database bases

TfrxCustomDBDataSet::TfrxCustomDBDataSet(rtl::TComponent* owner) : TfrxDataSet(owner) {}

int TfrxCustomDBDataSet::FieldsCount() {
  rtl::TStringList list;
  list.SetSorted(true);
  GetFieldList(list);
  return list.Count();
}

AnsiString TfrxCustomDBDataSet::ConvertAlias(const AnsiString& alias) const {
  for (int i = 0; i < aliases_->Count(); ++i)
    if (rtl::AnsiSameText(aliases_->ValueFromIndex(i), alias)) return aliases_->Names(i);
  return alias;
}

AnsiString TfrxCustomDBDataSet::GetAlias(const AnsiString& field) const {
  for (int i = 0; i < aliases_->Count(); ++i)
    if (rtl::AnsiSameText(aliases_->Names(i), field)) return aliases_->ValueFromIndex(i);
  return field;
}

void TfrxCustomDatabase::BeforeConnect(bool& connected) {
  if (GetReport() && OnBeforeConnect) OnBeforeConnect(this, connected);
}

void TfrxCustomDatabase::AfterDisconnect() {
  if (GetReport() && OnAfterDisconnect) OnAfterDisconnect(this);
}

// ---------------------------------------------------------------- the report's datasets

void TfrxDataSetItem::SetDataSet(TfrxDataSet* dataSet) {
  dataSet_ = dataSet;
  dataSetName_ = dataSet ? dataSet->UserName() : AnsiString();
}

AnsiString TfrxDataSetItem::DataSetName() const { return dataSet_ ? dataSet_->UserName() : dataSetName_; }

void TfrxDataSetItem::SetDataSetName(const AnsiString& name) {
  dataSetName_ = name;
  if (name.empty()) {
    dataSet_ = nullptr;
    return;
  }
  auto* owner = dynamic_cast<TfrxReportDataSets*>(Collection());
  if (owner && owner->Report()) dataSet_ = owner->Report()->FindDataSet(dataSet_, name);
}

TfrxReportDataSets::TfrxReportDataSets(TfrxComponent* report)
    : rtl::TCollection(rtl::TCollection::Of<TfrxDataSetItem>(), report), report_(report) {}

void TfrxReportDataSets::Add(TfrxDataSet* dataSet) {
  static_cast<TfrxDataSetItem*>(TCollection::Add())->SetDataSet(dataSet);
}

TfrxDataSetItem* TfrxReportDataSets::Find(const TfrxDataSet* dataSet) const {
  for (int i = 0; i < Count(); ++i)
    if (GetItem(i)->DataSet() == dataSet) return GetItem(i);
  return nullptr;
}

TfrxDataSetItem* TfrxReportDataSets::Find(std::string_view name) const {
  for (int i = 0; i < Count(); ++i)
    if (TfrxDataSet* d = GetItem(i)->DataSet(); d && rtl::AnsiSameText(d->UserName(), name)) return GetItem(i);
  return nullptr;
}

void TfrxReportDataSets::Delete(const AnsiString& name) {
  if (TfrxDataSetItem* item = Find(name)) delete item;
}

void TfrxReportDataSets::Initialize() {
  for (int i = 0; i < Count(); ++i)
    if (TfrxDataSet* d = GetItem(i)->DataSet()) {
      d->SetReport(report_);
      d->Initialize();
    }
}

void TfrxReportDataSets::Finalize() {
  for (int i = 0; i < Count(); ++i)
    if (TfrxDataSet* d = GetItem(i)->DataSet()) d->Finalize();
}

// ---------------------------------------------------------------- reflection

const rtl::TClassInfo& TfrxDataSet::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxDataSet>("TfrxDataSet", &TfrxDialogComponent::StaticClass())
          .Property("Enabled", &TfrxDataSet::Enabled, &TfrxDataSet::SetEnabled)
          .Default(true)
          .Enum("RangeBegin", RangeBeginType(), &TfrxDataSet::RangeBegin, &TfrxDataSet::SetRangeBegin)
          .Default(rbFirst)
          .Enum("RangeEnd", RangeEndType(), &TfrxDataSet::RangeEnd, &TfrxDataSet::SetRangeEnd)
          .Default(reLast)
          .Property("RangeEndCount", &TfrxDataSet::RangeEndCount, &TfrxDataSet::SetRangeEndCount)
          .Default(0)
          .Property("UserName", &TfrxDataSet::UserName, &TfrxDataSet::SetUserName)
          .Event("OnCheckEOF")
          .Event("OnFirst")
          .Event("OnNext")
          .Event("OnPrior")
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxUserDataSet::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxUserDataSet>("TfrxUserDataSet", &TfrxDataSet::StaticClass())
          .Creatable()
          .Property("Fields", &TfrxUserDataSet::Fields, &TfrxUserDataSet::SetFields)
          .Event("OnGetValue")
          .Event("OnNewGetValue")
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxCustomDBDataSet::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxCustomDBDataSet>("TfrxCustomDBDataSet", &TfrxDataSet::StaticClass())
          .Property("CloseDataSource", &TfrxDataSet::CloseDataSource, &TfrxDataSet::SetCloseDataSource)
          .Default(false)
          .Property("FieldAliases", &TfrxCustomDBDataSet::FieldAliases, &TfrxCustomDBDataSet::SetFieldAliases)
          .Property("OpenDataSource", &TfrxDataSet::OpenDataSource, &TfrxDataSet::SetOpenDataSource)
          .Default(true)
          .Event("OnClose")
          .Event("OnOpen")
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxCustomDatabase::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxCustomDatabase>("TfrxCustomDatabase", &TfrxDialogComponent::StaticClass()).Build();
  return info;
}

const rtl::TClassInfo& TfrxDataSetItem::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxDataSetItem>("TfrxDataSetItem", &rtl::TCollectionItem::StaticClass())
          .Property("DataSet", &TfrxDataSetItem::DataSet, &TfrxDataSetItem::SetDataSet)
          .Property("DataSetName", &TfrxDataSetItem::DataSetName, &TfrxDataSetItem::SetDataSetName)
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxReportDataSets::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxReportDataSets>("TfrxReportDataSets", &rtl::TCollection::StaticClass()).Build();
  return info;
}

}  // namespace report

namespace report {

void TfrxComponent::BindDataSet(TfrxDataSet*& field, TfrxDataSet* dataSet) {
  if (field == dataSet) return;
  if (field) RemoveFreeNotification(field);
  field = dataSet;
  if (field) FreeNotificationAlways(field);
}

TfrxDataSet* TfrxComponent::FindDataSet(TfrxDataSet* defaultDataSet, const AnsiString& name) const {
  TfrxComponent* report = GetReport();
  TfrxReportServices* services = GetReportServices();
  if (!report || !services || services->UseGlobalDataSetList()) return vuzFindDataSet(defaultDataSet, name, report);
  TfrxReportDataSets* sets = services->ReportDataSets();
  TfrxDataSetItem* item = sets ? sets->Find(name) : nullptr;
  return item ? item->DataSet() : nullptr;
}

}  // namespace report
