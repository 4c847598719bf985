#include "report/vuzStyles.h"

#include "platform/rtl/streams.h"
#include "platform/rtl/textcase.h"
#include "report/vuzRes.h"
#include "report/vuzXMLSerializer.h"

namespace report {

// ---------------------------------------------------------------- TfrxStyleItem

TfrxStyleItem::TfrxStyleItem(rtl::TCollection* collection)
    : rtl::TCollectionItem(collection), font_(std::make_unique<gfx::TFont>()) {
  font_->SetName("Arial");
  font_->SetSize(10);
  font_->SetCharset(vuzCharset);
}

void TfrxStyleItem::SetName(const AnsiString& name) {
  if (auto* styles = dynamic_cast<TfrxStyles*>(Collection()))
    if (TfrxStyleItem* other = styles->Find(name); other && other != this)
      throw rtl::Exception(vuzResources().Get("clDupName"));
  name_ = name;
}

void TfrxStyleItem::Assign(const rtl::TPersistent* source) {
  if (auto* s = dynamic_cast<const TfrxStyleItem*>(source)) {
    name_ = s->name_;
    color_ = s->color_;
    font_->Assign(*s->font_);
    return;
  }
  rtl::TCollectionItem::Assign(source);
}

void TfrxStyleItem::CreateUniqueName() {
  auto* styles = dynamic_cast<TfrxStyles*>(Collection());
  for (long long n = 1;; ++n) {
    const AnsiString name = "Style" + rtl::IntToStr(n);
    if (!styles || !styles->Find(name)) {
      name_ = name;
      return;
    }
  }
}

// ---------------------------------------------------------------- TfrxStyles

TfrxStyles::TfrxStyles(TfrxComponent* report)
    : rtl::TCollection(rtl::TCollection::Of<TfrxStyleItem>(), report), report_(report) {}

TfrxStyleItem* TfrxStyles::Find(const AnsiString& name) const {
  for (int i = 0; i < Count(); ++i)
    if (rtl::AnsiSameText(GetItem(i)->Name(), name)) return GetItem(i);
  return nullptr;
}

void TfrxStyles::GetList(rtl::TStrings& list) const {
  list.Clear();
  for (int i = 0; i < Count(); ++i) list.Add(GetItem(i)->Name());
}

void TfrxStyles::Apply() {
  if (!report_) return;
  for (TfrxComponent* c : report_->GetAllObjects()) {
    if (!c->IsA("TfrxCustomMemoView")) continue;
    const rtl::TPropInfo* p = c->ClassType().FindProperty("Style");
    if (!p || !p->HasSetter()) continue;
    const AnsiString style = p->GetStr(*c);
    p->SetStr(*c, Find(style) ? style : AnsiString());  // setting it again copies the style
  }
}

void TfrxStyles::LoadFromXMLItem(TfrxXMLItem* item, bool oldXMLFormat) {
  Clear();
  name_ = item->GetProp("Name");
  TfrxXMLSerializer serializer(nullptr);
  serializer.OldFormat = oldXMLFormat;
  for (int i = 0; i < item->Count(); ++i)
    if (rtl::AnsiSameText(item->Items(i)->Name, "item")) serializer.XMLToObj(item->Items(i)->Prop, Add());
  Apply();
}

void TfrxStyles::SaveToXMLItem(TfrxXMLItem* item) {
  item->Name = "style";
  item->SetProp("Name", name_);
  TfrxXMLSerializer serializer(nullptr);
  for (int i = 0; i < Count(); ++i) {
    TfrxXMLItem* child = item->Add();
    child->Name = "item";
    child->Prop = serializer.ObjToXML(GetItem(i));
  }
}

void TfrxStyles::LoadFromStream(rtl::TStream& stream) {
  Clear();
  TfrxXMLDocument doc;
  doc.LoadFromStream(stream);
  if (rtl::AnsiSameText(doc.Root()->Name, "style")) LoadFromXMLItem(doc.Root(), doc.OldVersion());
}

void TfrxStyles::SaveToStream(rtl::TStream& stream) {
  TfrxXMLDocument doc;
  doc.AutoIndent = true;
  SaveToXMLItem(doc.Root());
  doc.SaveToStream(stream);
}

void TfrxStyles::LoadFromFile(const AnsiString& fileName) {
  rtl::TFileStream f(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
  LoadFromStream(f);
}

void TfrxStyles::SaveToFile(const AnsiString& fileName) {
  rtl::TMemoryStream m;
  SaveToStream(m);
  m.SaveToFile(fileName);
}

// ---------------------------------------------------------------- TfrxStyleSheet

void TfrxStyleSheet::Delete(int index) {
  if (index >= 0 && index < Count()) items_.erase(items_.begin() + index);
}

TfrxStyles* TfrxStyleSheet::Add() {
  items_.push_back(std::make_unique<TfrxStyles>(nullptr));
  return items_.back().get();
}

int TfrxStyleSheet::IndexOf(const AnsiString& name) const {
  for (int i = 0; i < Count(); ++i)
    if (rtl::AnsiSameText(GetItems(i)->Name(), name)) return i;
  return -1;
}

TfrxStyles* TfrxStyleSheet::Find(const AnsiString& name) const {
  const int i = IndexOf(name);
  return i < 0 ? nullptr : GetItems(i);
}

void TfrxStyleSheet::GetList(rtl::TStrings& list) const {
  list.Clear();
  for (const auto& s : items_) list.Add(s->Name());
}

void TfrxStyleSheet::LoadFromStream(rtl::TStream& stream) {
  Clear();
  TfrxXMLDocument doc;
  doc.LoadFromStream(stream);
  if (!rtl::AnsiSameText(doc.Root()->Name, "stylesheet")) return;
  for (int i = 0; i < doc.Root()->Count(); ++i)
    if (rtl::AnsiSameText(doc.Root()->Items(i)->Name, "style"))
      Add()->LoadFromXMLItem(doc.Root()->Items(i), doc.OldVersion());
}

void TfrxStyleSheet::SaveToStream(rtl::TStream& stream) {
  TfrxXMLDocument doc;
  doc.AutoIndent = true;
  doc.Root()->Name = "stylesheet";
  for (const auto& s : items_) s->SaveToXMLItem(doc.Root()->Add());
  doc.SaveToStream(stream);
}

void TfrxStyleSheet::LoadFromFile(const AnsiString& fileName) {
  rtl::TFileStream f(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
  LoadFromStream(f);
}

void TfrxStyleSheet::SaveToFile(const AnsiString& fileName) {
  rtl::TMemoryStream m;
  SaveToStream(m);
  m.SaveToFile(fileName);
}

// ---------------------------------------------------------------- reflection

const rtl::TClassInfo& TfrxStyleItem::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxStyleItem>("TfrxStyleItem", &rtl::TCollectionItem::StaticClass())
          .Factory([](rtl::TComponent*) -> rtl::TObject* { return new TfrxStyleItem(nullptr); })
          .Property("Name", &TfrxStyleItem::Name, &TfrxStyleItem::SetName)
          .Property("Color", &TfrxStyleItem::Color, &TfrxStyleItem::SetColor)
          .Property("Font", &TfrxStyleItem::Font, &TfrxStyleItem::SetFont)
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxStyles::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxStyles>("TfrxStyles", &rtl::TCollection::StaticClass()).Build();
  return info;
}

}  // namespace report
