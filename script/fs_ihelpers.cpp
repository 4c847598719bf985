// Member helpers: properties, methods and indexed properties, components,
// events, and character and element access.
#include "platform/rtl/textcase.h"
#include "script/fs_iconst.h"
#include "script/fs_ievents_registry.h"
#include "script/fs_iinterpreter.h"
#include "script/fs_ipublished.h"
#include "script/fs_itools.h"

namespace script {

size_t fsCheckedCharIndex(const Variant& index, size_t length);
char fsCharToWrite(const Variant& value);

TfsCustomHelper::TfsCustomHelper(const AnsiString& name, TfsVarType type, const AnsiString& typeName)
    : TfsCustomVariable(name, type, typeName) {
  kind_ = TfsItemKind::Helper;
}

rtl::TObject* TfsCustomHelper::Instance() const { return fsVariantToObject(PrevValue); }

// ---- properties ------------------------------------------------------------

TfsPropertyHelper::TfsPropertyHelper(const AnsiString& name, TfsVarType type, const AnsiString& typeName)
    : TfsCustomHelper(name, type, typeName) {}

Variant TfsPropertyHelper::GetValue() {
  Variant result = Variant::Null();
  rtl::TObject* instance = Instance();
  if (FromPublished) {
    if (instance) result = fsReadPublishedProperty(instance, Name);
  } else if (GetHandler) {
    result = GetHandler(instance, HostClass, UpperName);
  } else if (GetHandlerEx) {
    result = GetHandlerEx(instance, HostClass, UpperName, this);
  }
  // Hosts may answer booleans as integers.
  if (VarType == fvtBool) return Variant(!rtl::VarIsClear(result) && !(result == Variant(0)));
  return result;
}

void TfsPropertyHelper::SetValue(const Variant& value) {
  if (ReadOnly) return;
  rtl::TObject* instance = Instance();
  if (FromPublished) {
    if (instance) fsWritePublishedProperty(instance, Name, value, VarType == fvtBool);
  } else if (SetHandler) {
    SetHandler(instance, HostClass, UpperName, value);
  } else if (SetHandlerEx) {
    SetHandlerEx(instance, HostClass, UpperName, value, this);
  }
}

// ---- methods ---------------------------------------------------------------

TfsMethodHelper::TfsMethodHelper(const AnsiString& declaration, TfsScript* script)
    : TfsCustomHelper("", fvtVariant, ""), Declaration(declaration) {
  std::unique_ptr<TfsCustomVariable> parsed = ParseMethodSyntax(declaration, script);
  Name = parsed->Name;
  UpperName = parsed->UpperName;
  VarType = parsed->VarType;
  TypeIdent = parsed->TypeIdent;
  MacroFlag = parsed->MacroFlag;
  // The parameters move over from the parsed declaration.
  while (parsed->Count() > 0) {
    rtl::TObject* param = parsed->RawItem(0);
    parsed->Remove(param);
    Add(param);
  }
  ReadOnly = true;
  getName_ = UpperName + ".GET";
  setName_ = UpperName + ".SET";
  if (Count() > 0) ParamBlock = rtl::VarArrayCreate({0, Count() - 1}, rtl::varVariant);
}

Variant TfsMethodHelper::GetValue() {
  rtl::TObject* instance = PrevValue.IsNull() ? nullptr : Instance();
  const AnsiString& name = IndexAccessor ? getName_ : UpperName;
  if (CallProc) {
    for (int32_t i = 0; i < Count(); ++i) ParamBlock.ElementRef({&i, 1}) = GetParam(i)->GetValue();
    Variant result = CallProc(instance, HostClass, name, ParamBlock);
    for (int32_t i = 0; i < Count(); ++i)
      if (GetParam(i)->ByRef) GetParam(i)->SetValue(ParamBlock[i]);
    return result;
  }
  if (CallProcEx) return CallProcEx(instance, HostClass, name, this);
  return Variant(0);
}

void TfsMethodHelper::SetValue(const Variant& value) {
  if (!IndexAccessor) return;
  rtl::TObject* instance = Instance();
  if (CallProc) {
    Variant block = rtl::VarArrayCreate({0, Count()}, rtl::varVariant);
    for (int32_t i = 0; i < Count(); ++i) block.ElementRef({&i, 1}) = GetParam(i)->GetValue();
    int32_t last = Count();
    block.ElementRef({&last, 1}) = value;
    CallProc(instance, HostClass, setName_, block);
  } else if (CallProcEx) {
    AssignedValue = value;
    CallProcEx(instance, HostClass, setName_, this);
    AssignedValue = Variant::Null();
  }
}

Variant TfsMethodHelper::GetVParam(int index) {
  if (index == Count()) return AssignedValue;
  return GetParam(index)->GetValue();
}

void TfsMethodHelper::SetVParam(int index, const Variant& value) { GetParam(index)->SetValue(value); }

// ---- components ------------------------------------------------------------

TfsComponentHelper::TfsComponentHelper(rtl::TComponent* component)
    : TfsCustomHelper(component->Name(), fvtClass, component->ClassName()),
      HostComponent(component),
      handle_(fsObjectToVariant(component).AsInteger()) {}

TfsComponentHelper::~TfsComponentHelper() = default;

// The handle made at registration: a freed component gives a stale handle,
// which raises where it is used, instead of a dangling address.
Variant TfsComponentHelper::GetValue() { return Variant(handle_); }

// ---- events ----------------------------------------------------------------

TfsEventHelper::TfsEventHelper(const AnsiString& name, TfsEventClass eventClass)
    : TfsCustomHelper(name, fvtString, ""), EventClass(std::move(eventClass)) {}

Variant TfsEventHelper::GetValue() { return Variant(AnsiString()); }

void TfsEventHelper::SetValue(const Variant& value) {
  rtl::TObject* instance = Instance();
  if (!instance) throw rtl::EInvalidPointer("Event assignment needs an object");
  TfsCustomEvent* previous = fsConnectedEvent(instance, Name);
  if (value.AsString() == "0") {
    if (previous) previous->Release();
    return;
  }
  TfsCustomVariable* found = HelperScript ? HelperScript->Find(value.AsString()) : nullptr;
  if (!found || found->Kind() != TfsItemKind::Proc || !EventClass) throw rtl::Exception(SEventError());
  auto* proc = static_cast<TfsProcVariable*>(found);
  std::unique_ptr<TfsCustomEvent> adapter(EventClass(instance, proc));
  if (!adapter) throw rtl::Exception(SEventError());
  if (previous) previous->Release();
  adapter->Connect(Name);
  HelperScript->Add("", adapter.release());
}

// ---- string and array elements ---------------------------------------------

TfsStringHelper::TfsStringHelper() : TfsCustomHelper("__StringHelper", fvtChar, "") {
  Add(new TfsParamItem("", false, false, fvtInt, ""));
}

Variant TfsStringHelper::GetValue() {
  AnsiString text = PrevValue.AsString();
  size_t i = fsCheckedCharIndex(GetParam(0)->GetValue(), text.size());
  return Variant(std::string_view(&text[i], 1));
}

void TfsStringHelper::SetValue(const Variant& value) {
  if (!PrevItem) throw rtl::EInvalidOperation("String element without a string to write");
  AnsiString text = PrevValue.AsString();
  size_t i = fsCheckedCharIndex(GetParam(0)->GetValue(), text.size());
  text[i] = fsCharToWrite(value);
  PrevItem->SetValue(Variant(std::move(text)));
}

TfsArrayHelper::TfsArrayHelper(const AnsiString& name, int dims, TfsVarType type, const AnsiString& typeName)
    : TfsCustomHelper(name, type, typeName) {
  if (dims == -1) {
    Add(new TfsParamItem("", false, false, fvtInt, ""));
    Add(new TfsParamItem("", false, true, fvtInt, ""));
    Add(new TfsParamItem("", false, true, fvtInt, ""));
  } else {
    for (int i = 0; i < dims; ++i) Add(new TfsParamItem("", false, false, fvtInt, ""));
  }
}

// The indices of an n-dimensional access from the parameters; false when the
// array has no 1 to 3 dimensions or the helper too few parameters.
static bool ArrayIndices(TfsArrayHelper& helper, const Variant& array, int32_t (&indices)[3], int& n) {
  n = rtl::VarArrayDimCount(array);
  if (n < 1 || n > 3 || n > helper.Count()) return false;
  for (int k = 0; k < n; ++k) indices[k] = helper.GetParam(k)->GetValue().AsInteger();
  return true;
}

Variant TfsArrayHelper::GetValue() {
  if (!PrevItem) return Variant::Null();
  const Variant& array = *PrevItem->GetPValue();
  int32_t indices[3];
  int n = 0;
  if (!ArrayIndices(*this, array, indices, n)) return Variant::Null();
  return array.GetElement({indices, static_cast<size_t>(n)});
}

void TfsArrayHelper::SetValue(const Variant& value) {
  if (!PrevItem) return;
  Variant& array = *PrevItem->GetPValue();
  int32_t indices[3];
  int n = 0;
  if (!ArrayIndices(*this, array, indices, n)) return;
  array.PutElement({indices, static_cast<size_t>(n)}, value);
}

}  // namespace script
