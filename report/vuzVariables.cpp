#include "report/vuzVariables.h"

#include <memory>

#include "platform/rtl/streams.h"
#include "platform/rtl/textcase.h"
#include "report/vuzXMLSerializer.h"

namespace report {

namespace {
std::unique_ptr<TfrxVariables>& Globals() {
  static std::unique_ptr<TfrxVariables> globals;
  return globals;
}
bool IsCategory(const TfrxVariable* v) { return !v->Name().empty() && v->Name()[0] == ' '; }
AnsiString KeyText(const rtl::Variant& key) { return key.IsNull() || key.IsEmpty() ? AnsiString() : key.AsString(); }
}  // namespace

TfrxVariables* vuzGlobalVariables() { return Globals().get(); }
void vuzCreateGlobalVariables() {
  if (!Globals()) Globals() = std::make_unique<TfrxVariables>();
}
void vuzFreeGlobalVariables() { Globals().reset(); }

void TfrxVariable::Assign(const rtl::TPersistent* source) {
  if (auto* v = dynamic_cast<const TfrxVariable*>(source)) {
    name_ = v->name_;
    value_ = v->value_;
    return;
  }
  rtl::TCollectionItem::Assign(source);
}

TfrxVariables::TfrxVariables() : rtl::TCollection(rtl::TCollection::Of<TfrxVariable>()) {}

int TfrxVariables::IndexOf(const AnsiString& name) const {
  for (int i = 0; i < Count(); ++i)
    if (rtl::AnsiSameText(GetItems(i)->Name(), name)) return i;
  return -1;
}

rtl::Variant TfrxVariables::GetVariable(const AnsiString& name) const {
  const int i = IndexOf(name);
  return i < 0 ? rtl::Variant::Null() : GetItems(i)->Value();
}

void TfrxVariables::SetVariable(const AnsiString& name, const rtl::Variant& value) {
  const int i = IndexOf(name);
  TfrxVariable* v = i < 0 ? Add() : GetItems(i);
  if (i < 0) v->SetName(name);
  v->SetValue(value);
}

int TfrxVariables::CategoryIndex(const AnsiString& category) const {
  for (int i = 0; i < Count(); ++i)
    if (IsCategory(GetItems(i)) && rtl::AnsiSameText(GetItems(i)->Name(), " " + category)) return i;
  return -1;
}

void TfrxVariables::GetCategoriesList(rtl::TStrings& list, bool clear) const {
  if (clear) list.Clear();
  for (int i = 0; i < Count(); ++i)
    if (IsCategory(GetItems(i))) list.Add(GetItems(i)->Name().substr(1));
}

void TfrxVariables::GetVariablesList(const AnsiString& category, rtl::TStrings& list) const {
  list.Clear();
  int i = 0;
  if (!category.empty()) {
    const int at = CategoryIndex(category);
    if (at < 0) return;
    i = at + 1;
  }
  for (; i < Count() && !IsCategory(GetItems(i)); ++i) list.Add(GetItems(i)->Name());
}

void TfrxVariables::DeleteCategory(const AnsiString& category) {
  const int at = CategoryIndex(category);
  if (at < 0) return;
  delete GetItems(at);
  while (at < Count() && !IsCategory(GetItems(at))) delete GetItems(at);
}

void TfrxVariables::DeleteVariable(const AnsiString& name) {
  const int i = IndexOf(name);
  if (i >= 0) delete GetItems(i);
}

void TfrxVariables::AddVariable(const AnsiString& category, const AnsiString& name, const rtl::Variant& value) {
  const int at = CategoryIndex(category);
  if (at < 0) return;
  if (const int existing = IndexOf(name); existing >= 0) {
    GetItems(existing)->SetValue(value);
    return;
  }
  int end = at + 1;
  while (end < Count() && !IsCategory(GetItems(end))) ++end;
  TfrxVariable* v = Insert(end);
  v->SetName(name);
  v->SetValue(value);
}

void TfrxVariables::LoadFromXMLItem(TfrxXMLItem* item, bool oldXMLFormat) {
  Clear();
  TfrxXMLSerializer serializer(nullptr);
  serializer.OldFormat = oldXMLFormat;
  for (int i = 0; i < item->Count(); ++i)
    if (rtl::AnsiSameText(item->Items(i)->Name, "item")) serializer.XMLToObj(item->Items(i)->Prop, Add());
}

void TfrxVariables::SaveToXMLItem(TfrxXMLItem* item) {
  item->Name = "variables";
  TfrxXMLSerializer serializer(nullptr);
  for (int i = 0; i < Count(); ++i) {
    TfrxXMLItem* child = item->Add();
    child->Name = "item";
    child->Prop = serializer.ObjToXML(GetItems(i));
  }
}

void TfrxVariables::LoadFromStream(rtl::TStream& stream) {
  Clear();
  TfrxXMLDocument doc;
  doc.LoadFromStream(stream);
  if (rtl::AnsiSameText(doc.Root()->Name, "variables")) LoadFromXMLItem(doc.Root(), doc.OldVersion());
}

void TfrxVariables::SaveToStream(rtl::TStream& stream) {
  TfrxXMLDocument doc;
  doc.AutoIndent = true;
  SaveToXMLItem(doc.Root());
  doc.SaveToStream(stream);
}

void TfrxVariables::LoadFromFile(const AnsiString& fileName) {
  rtl::TFileStream f(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
  LoadFromStream(f);
}

void TfrxVariables::SaveToFile(const AnsiString& fileName) {
  rtl::TMemoryStream m;
  SaveToStream(m);
  m.SaveToFile(fileName);  // atomically
}

// ---------------------------------------------------------------- TfrxArray

TfrxArray::TfrxArray() : rtl::TCollection(rtl::TCollection::Of<TfrxVariable>()) {}

int TfrxArray::IndexOf(const rtl::Variant& key) const {
  const AnsiString text = KeyText(key);
  for (int i = 0; i < Count(); ++i)
    if (rtl::AnsiSameText(GetItems(i)->Name(), text)) return i;
  return -1;
}

rtl::Variant TfrxArray::GetVariable(const rtl::Variant& key) const {
  const int i = IndexOf(key);
  return i < 0 ? rtl::Variant::Null() : GetItems(i)->Value();
}

void TfrxArray::SetVariable(const rtl::Variant& key, const rtl::Variant& value) {
  const int i = IndexOf(key);
  TfrxVariable* v = i < 0 ? static_cast<TfrxVariable*>(Add()) : GetItems(i);
  if (i < 0) v->SetName(KeyText(key));
  v->SetValue(value);
}

// ---------------------------------------------------------------- reflection

const rtl::TClassInfo& TfrxVariable::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxVariable>("TfrxVariable", &rtl::TCollectionItem::StaticClass())
          .Property("Name", &TfrxVariable::Name, &TfrxVariable::SetName)
          .Property("Value", &TfrxVariable::Value, &TfrxVariable::SetValue)
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxVariables::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxVariables>("TfrxVariables", &rtl::TCollection::StaticClass()).Creatable().Build();
  return info;
}

const rtl::TClassInfo& TfrxArray::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxArray>("TfrxArray", &rtl::TCollection::StaticClass()).Creatable().Build();
  return info;
}

}  // namespace report
