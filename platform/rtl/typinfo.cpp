#include "platform/rtl/typinfo.h"

#include "platform/rtl/components.h"
#include "platform/rtl/format.h"
#include "platform/rtl/object_handles.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/textcase.h"

namespace rtl {

bool IsOrdinalKind(TPropKind kind) {
  switch (kind) {
    case pkInteger:
    case pkChar:
    case pkWideChar:
    case pkInt64:
    case pkEnumeration:
    case pkSet: return true;
    default: return false;
  }
}

bool IsObjectKind(TPropKind kind) {
  return kind == pkComponent || kind == pkStrings || kind == pkWideStrings || kind == pkPersistent;
}

int TEnumType::ValueOf(std::string_view name) const {
  for (std::size_t i = 0; i < Names.size(); ++i)
    if (SameText(Names[i], name)) return static_cast<int>(i);
  return -1;
}

AnsiString TEnumType::NameOf(long long value) const {
  if (value >= 0 && static_cast<std::size_t>(value) < Names.size()) return Names[static_cast<std::size_t>(value)];
  return IntToStr(value);
}

const TEnumType& BooleanType() {
  static const TEnumType type{"Boolean", {"False", "True"}};
  return type;
}

// ---------------------------------------------------------------- TPropInfo

namespace {
[[noreturn]] void KindError(const TPropInfo& p, const char* what) {
  throw EPropertyError("Property " + p.Name + " cannot be " + what);
}
}  // namespace

bool TPropInfo::HasSetter() const { return setOrd_ || setFloat_ || setStr_ || setWStr_ || setVar_ || setObj_; }

bool TPropInfo::HasGetter() const { return getOrd_ || getFloat_ || getStr_ || getWStr_ || getVar_ || getObj_; }

AnsiString TPropInfo::TypeName() const {
  if (EnumType) return EnumType->Name;
  if (SetType) return SetType->Name;
  if (PropClass) return PropClass->Name();
  switch (Kind) {
    case pkInteger: return "Integer";
    case pkChar: return "Char";
    case pkWideChar: return "WideChar";
    case pkInt64: return "Int64";
    case pkFloat: return "Extended";
    case pkString: return "String";
    case pkWideString: return "WideString";
    case pkVariant: return "Variant";
    case pkEvent: return "TNotifyEvent";
    default: return "TObject";
  }
}

long long TPropInfo::GetOrd(const TObject& object) const {
  if (!getOrd_) KindError(*this, "read as an ordinal");
  return getOrd_(object);
}

void TPropInfo::SetOrd(TObject& object, long long value) const {
  if (!setOrd_) KindError(*this, "written as an ordinal");
  setOrd_(object, value);
}

long double TPropInfo::GetFloat(const TObject& object) const {
  if (getFloat_) return getFloat_(object);
  if (getOrd_) return static_cast<long double>(getOrd_(object));
  KindError(*this, "read as a number");
}

void TPropInfo::SetFloat(TObject& object, long double value) const {
  if (!setFloat_) KindError(*this, "written as a number");
  setFloat_(object, value);
}

AnsiString TPropInfo::GetStr(const TObject& object) const {
  if (getStr_) return getStr_(object);
  if (getWStr_) return WideToAnsi(getWStr_(object));
  KindError(*this, "read as text");
}

void TPropInfo::SetStr(TObject& object, const AnsiString& value) const {
  if (setStr_) return setStr_(object, value);
  if (setWStr_) return setWStr_(object, AnsiToWide(value));
  KindError(*this, "written as text");
}

WideString TPropInfo::GetWideStr(const TObject& object) const {
  if (getWStr_) return getWStr_(object);
  if (getStr_) return AnsiToWide(getStr_(object));
  KindError(*this, "read as text");
}

void TPropInfo::SetWideStr(TObject& object, const WideString& value) const {
  if (setWStr_) return setWStr_(object, value);
  if (setStr_) return setStr_(object, WideToAnsi(value));
  KindError(*this, "written as text");
}

Variant TPropInfo::GetVariant(const TObject& object) const {
  if (!getVar_) KindError(*this, "read as a variant");
  return getVar_(object);
}

void TPropInfo::SetVariant(TObject& object, const Variant& value) const {
  if (!setVar_) KindError(*this, "written as a variant");
  setVar_(object, value);
}

TObject* TPropInfo::GetObject(const TObject& object) const {
  if (!getObj_) KindError(*this, "read as an object");
  return getObj_(object);
}

void TPropInfo::SetObject(TObject& object, TObject* value) const {
  if (!setObj_) KindError(*this, "written as an object");
  setObj_(object, value);
}

Variant TPropInfo::GetValue(const TObject& object) const {
  switch (Kind) {
    case pkEnumeration:
      if (EnumType == &BooleanType()) return Variant(GetOrd(object) != 0);
      return Variant(static_cast<int>(GetOrd(object)));
    case pkInteger:
    case pkChar:
    case pkWideChar:
    case pkSet: return Variant(static_cast<int>(GetOrd(object)));
    case pkInt64: return Variant(static_cast<std::int64_t>(GetOrd(object)));
    case pkFloat: return Variant::FromExtended(GetFloat(object));
    case pkString: return Variant(GetStr(object));
    case pkWideString: return Variant(GetWideStr(object));
    case pkVariant: return GetVariant(object);
    case pkEvent: return Variant::Null();
    default: return Variant(ObjectHandles::HandleOf<TObject>(GetObject(object)));
  }
}

void TPropInfo::SetValue(TObject& object, const Variant& value) const {
  switch (Kind) {
    case pkEnumeration:
      if (value.IsString() && EnumType) {
        const int v = EnumType->ValueOf(value.AsString());
        if (v < 0) throw EPropertyError("Invalid property value");
        return SetOrd(object, v);
      }
      return SetOrd(object, value.AsInt64());
    case pkInteger:
    case pkChar:
    case pkWideChar:
    case pkSet:
    case pkInt64: return SetOrd(object, value.AsInt64());
    case pkFloat: return SetFloat(object, value.AsExtended());
    case pkString: return SetStr(object, value.AsString());
    case pkWideString: return SetWideStr(object, value.AsWideString());
    case pkVariant: return SetVariant(object, value);
    case pkEvent: return;
    default: return SetObject(object, ObjectHandles::Resolve<TObject>(static_cast<std::int32_t>(value.AsInt64())));
  }
}

// ---------------------------------------------------------------- TClassInfo

TClassInfo::TClassInfo(AnsiString name, const TClassInfo* parent) : name_(std::move(name)), parent_(parent) {
  if (parent_) all_ = parent_->all_;
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
  for (const TClassInfo* c = this; c; c = c->parent_)
    if (c == &other) return true;
  return false;
}

bool TClassInfo::InheritsFrom(std::string_view className) const {
  for (const TClassInfo* c = this; c; c = c->parent_)
    if (SameText(c->name_, className)) return true;
  return false;
}

const TPropInfo* TClassInfo::FindProperty(std::string_view name) const {
  for (const TPropInfo* p : all_)
    if (SameText(p->Name, name)) return p;
  return nullptr;
}

TObject* TClassInfo::Create(TComponent* owner) const {
  if (!factory_) throw EClassNotFound("Class " + name_ + " cannot be created");
  return factory_(owner);
}

void TClassInfo::Publish(std::unique_ptr<TPropInfo> prop) {
  // A property published again by a descendant keeps its first place.
  bool replaced = false;
  for (auto& slot : all_)
    if (SameText(slot->Name, prop->Name)) {
      slot = prop.get();
      replaced = true;
      break;
    }
  if (!replaced) all_.push_back(prop.get());
  own_.push_back(std::move(prop));
}

// ---------------------------------------------------------------- dotted access

const TPropInfo* FindPropPath(TObject& object, std::string_view path, TObject*& target) {
  TObject* current = &object;
  while (true) {
    const std::size_t dot = path.find('.');
    const std::string_view part = path.substr(0, dot);
    const TPropInfo* p = current->ClassType().FindProperty(part);
    if (!p) return nullptr;
    if (dot == std::string_view::npos) {
      target = current;
      return p;
    }
    if (!IsObjectKind(p->Kind)) return nullptr;
    TObject* next = p->GetObject(*current);
    if (!next) return nullptr;
    current = next;
    path.remove_prefix(dot + 1);
  }
}

namespace {
const TPropInfo& RequireProp(TObject& object, std::string_view path, TObject*& target) {
  const TPropInfo* p = FindPropPath(object, path, target);
  if (!p) throw EPropertyError("Unknown property: " + AnsiString(path));
  return *p;
}
}  // namespace

Variant GetPropValue(TObject& object, std::string_view path) {
  TObject* target = nullptr;
  const TPropInfo& p = RequireProp(object, path, target);
  return p.GetValue(*target);
}

void SetPropValue(TObject& object, std::string_view path, const Variant& value) {
  TObject* target = nullptr;
  const TPropInfo& p = RequireProp(object, path, target);
  p.SetValue(*target, value);
}

AnsiString GetPropText(TObject& object, std::string_view path) {
  TObject* target = nullptr;
  const TPropInfo& p = RequireProp(object, path, target);
  switch (p.Kind) {
    case pkEnumeration: return p.EnumType ? p.EnumType->NameOf(p.GetOrd(*target)) : IntToStr(p.GetOrd(*target));
    case pkFloat: return FloatToStr(p.GetFloat(*target));
    case pkString:
    case pkWideString: return p.GetStr(*target);
    case pkVariant: return p.GetVariant(*target).AsString();
    case pkComponent: {
      auto* c = dynamic_cast<TComponent*>(p.GetObject(*target));
      return c ? c->Name() : AnsiString();
    }
    case pkStrings: {
      auto* s = dynamic_cast<TStrings*>(p.GetObject(*target));
      return s ? s->Text() : AnsiString();
    }
    case pkWideStrings:
    case pkPersistent:
    case pkEvent: return AnsiString();
    default: return IntToStr(p.GetOrd(*target));
  }
}

// ---------------------------------------------------------------- the roots

const TClassInfo& TObject::StaticClass() {
  static const TClassInfo info = TClassBuilder<TObject>("TObject", nullptr).Build();
  return info;
}

bool TObject::InheritsFrom(const TClassInfo& cls) const { return ClassType().InheritsFrom(cls); }

const TClassInfo& TPersistent::StaticClass() {
  static const TClassInfo info = TClassBuilder<TPersistent>("TPersistent", &TObject::StaticClass()).Build();
  return info;
}

void TPersistent::DefineProperties(TFiler&) {}

}  // namespace rtl
