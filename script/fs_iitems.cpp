// The item base, plain and string variables, type entries, parameters, set
// constructors, and host classes and objects as script values.
#include <algorithm>

#include "platform/rtl/object_handles.h"
#include "platform/rtl/textcase.h"
#include "script/fs_iinterpreter.h"

namespace script {

// ---- host objects ----------------------------------------------------------

Variant fsObjectToVariant(rtl::TObject* object) { return Variant(rtl::ObjectHandles::HandleOf<rtl::TObject>(object)); }

rtl::TObject* fsVariantToObject(const Variant& value) {
  if (rtl::VarIsClear(value)) return nullptr;
  return rtl::ObjectHandles::Resolve<rtl::TObject>(value.AsInteger());
}

// ---- item list -------------------------------------------------------------

TfsItemList::~TfsItemList() { TfsItemList::Clear(); }

void TfsItemList::Clear() {
  // Take each child out before freeing it, so a child that looks at its
  // owner while it goes never sees itself.
  while (!items_.empty()) {
    rtl::TObject* first = items_.front();
    items_.erase(items_.begin());
    delete first;
  }
}

void TfsItemList::Remove(rtl::TObject* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it != items_.end()) items_.erase(it);
}

// ---- items -----------------------------------------------------------------

TfsCustomVariable::TfsCustomVariable(const AnsiString& name, TfsVarType type, const AnsiString& typeName)
    : Name(name), VarType(type), TypeIdent(typeName), UpperName(rtl::AnsiUpperCase(name)) {}

Variant TfsCustomVariable::GetValue() { return Value; }

void TfsCustomVariable::SetValue(const Variant& value) {
  if (!ReadOnly) Value = value;
}

TfsParamItem* TfsCustomVariable::GetParam(int index) const {
  if (index < 0 || index >= Count())
    throw rtl::EListError(rtl::AnsiString("List index out of bounds (") + std::to_string(index) + ")");
  return static_cast<TfsParamItem*>(RawItem(index));
}

AnsiString TfsCustomVariable::GetFullTypeName() const {
  switch (VarType) {
    case fvtInt: return "Integer";
    case fvtBool: return "Boolean";
    case fvtFloat: return "Extended";
    case fvtChar: return "Char";
    case fvtString: return "String";
    case fvtClass: return TypeIdent;
    case fvtArray: return "Array";
    case fvtVariant: return "Variant";
    case fvtEnum: return TypeIdent;
    case fvtConstructor: return "Variant";
    case fvtInt64: return "Int64";
  }
  return "Variant";
}

int TfsCustomVariable::GetNumberOfRequiredParams() const {
  int n = 0;
  for (int i = 0; i < Count(); ++i)
    if (!GetParam(i)->Optional) ++n;
  return n;
}

TfsVariable::TfsVariable(const AnsiString& name, TfsVarType type, const AnsiString& typeName)
    : TfsCustomVariable(name, type, typeName) {
  kind_ = TfsItemKind::Variable;
}

// The hook may supply a value for any read; Null from it means "no answer".
static Variant AskHook(const TfsCustomVariable& item, Variant stored) {
  Variant answer = item.OnGetVarValue(item.Name, item.VarType, stored);
  return answer.IsNull() ? stored : answer;
}

Variant TfsVariable::GetValue() {
  if (OnGetVarValue) return AskHook(*this, Value);
  return Value;
}

// The value converted by a type tag; tags without a conversion keep it.
static Variant ConvertByTag(TfsVarType type, const Variant& value) {
  switch (type) {
    case fvtInt: return Variant(value.AsInteger());
    case fvtBool: return Variant(value.AsBoolean());
    case fvtFloat: return Variant(value.AsDouble());
    case fvtString: return value.IsAnsiString() ? value : Variant(value.AsString());
    default: return value;
  }
}

void TfsVariable::SetValue(const Variant& value) {
  if (ReadOnly) return;
  // Convert first: a value that does not convert leaves the old one.
  Value = ConvertByTag(VarType, value);
}

TfsStringVariable::TfsStringVariable(const AnsiString& name, TfsVarType type, const AnsiString& typeName)
    : TfsVariable(name, type, typeName) {
  Value = Variant(AnsiString());
}

Variant TfsStringVariable::GetValue() {
  if (OnGetVarValue) return AskHook(*this, Value);
  return Value;
}

void TfsStringVariable::SetValue(const Variant& value) {
  Value = value.IsAnsiString() ? value : Variant(value.AsString());
}

TfsTypeVariable::TfsTypeVariable(const AnsiString& name, TfsVarType type, const AnsiString& typeName)
    : TfsCustomVariable(name, type, typeName) {
  kind_ = TfsItemKind::Type;
}

TfsParamItem::TfsParamItem(const AnsiString& name, bool byRef, bool optional, TfsVarType type,
                           const AnsiString& typeName)
    : TfsCustomVariable(name, type, typeName), Optional(optional), ByRef(byRef) {
  kind_ = TfsItemKind::Param;
}

const AnsiString& TfsCustomExpression::SourceText() const {
  static const AnsiString none;
  return none;
}

// ---- set constructors ------------------------------------------------------

TfsSetExpression::TfsSetExpression() : TfsCustomVariable("", fvtVariant, "") { kind_ = TfsItemKind::SetExpression; }

Variant TfsSetExpression::GetValue() {
  std::vector<Variant> values;
  values.reserve(items_.size());
  for (int i = 0; i < Count(); ++i) values.push_back(GetItem(i) ? GetItem(i)->GetValue() : Variant::Null());
  if (values.empty()) return rtl::VarArrayCreate({0, -1}, rtl::varVariant);
  return rtl::VarArrayOf(values);
}

bool TfsSetExpression::Check(const Variant& value) {
  const int count = Count();
  for (int i = 0; i < count; ++i) {
    TfsCustomExpression* element = GetItem(i);
    if (!element) continue;
    if (i + 2 < count && GetItem(i + 1) == nullptr) {
      bool inside = value >= element->GetValue() && value <= GetItem(i + 2)->GetValue();
      if (inside) return true;
      i += 2;
    } else if (value == element->GetValue()) {
      return true;
    }
  }
  return false;
}

}  // namespace script
