// Registered host classes: members, lookup through the ancestor, typecasts.
#include "platform/rtl/textcase.h"
#include "script/fs_iinterpreter.h"
#include "script/fs_itools.h"

namespace script {

TfsClassVariable::TfsClassVariable(TClass hostClass, const AnsiString& ancestorName)
    : TfsCustomVariable(hostClass ? hostClass->Name() : AnsiString(), fvtClass,
                        hostClass ? hostClass->Name() : AnsiString()),
      AncestorName(ancestorName),
      HostClass(hostClass) {
  kind_ = TfsItemKind::Class;
  AddPublishedProperties(hostClass);
  // A class name used like a function with one argument is a typecast.
  Add(new TfsParamItem("", false, true, fvtVariant, ""));
}

TfsClassVariable::~TfsClassVariable() = default;

TfsMethodHelper* TfsClassVariable::AddMethodHelper(const AnsiString& declaration) {
  auto* helper = new TfsMethodHelper(declaration, OwnerScript);
  helper->HostClass = HostClass;
  MemberList.Add(helper);
  return helper;
}

TfsMethodHelper* TfsClassVariable::AddMethod(const AnsiString& declaration, TfsCallMethodEvent handler) {
  TfsMethodHelper* helper = AddMethodHelper(declaration);
  helper->CallProc = std::move(handler);
  return helper;
}

TfsMethodHelper* TfsClassVariable::AddMethod(const AnsiString& declaration, TfsCallMethodNewEvent handler) {
  TfsMethodHelper* helper = AddMethodHelper(declaration);
  helper->CallProcEx = std::move(handler);
  return helper;
}

// "constructor Create(AOwner: TComponent)" -> "function Create(AOwner: TComponent): Constructor"
static AnsiString ConstructorDeclaration(const AnsiString& declaration) {
  size_t blank = declaration.find(' ');
  AnsiString rest = blank == AnsiString::npos ? AnsiString() : declaration.substr(blank);
  return "function" + rest + ": Constructor";
}

TfsMethodHelper* TfsClassVariable::AddConstructor(const AnsiString& declaration, TfsCallMethodEvent handler) {
  return AddMethod(ConstructorDeclaration(declaration), std::move(handler));
}

TfsMethodHelper* TfsClassVariable::AddConstructor(const AnsiString& declaration, TfsCallMethodNewEvent handler) {
  return AddMethod(ConstructorDeclaration(declaration), std::move(handler));
}

TfsEventHelper* TfsClassVariable::AddEvent(const AnsiString& name, TfsEventClass eventClass) {
  auto* helper = new TfsEventHelper(name, std::move(eventClass));
  helper->HostClass = HostClass;
  MemberList.Add(helper);
  return helper;
}

static TfsPropertyHelper* NewProperty(TfsClassVariable& cls, const AnsiString& name, const AnsiString& typeName) {
  auto* helper = new TfsPropertyHelper(name, StrToVarType(typeName, cls.OwnerScript), typeName);
  helper->HostClass = cls.HostClass;
  cls.MemberList.Add(helper);
  return helper;
}

TfsPropertyHelper* TfsClassVariable::AddProperty(const AnsiString& name, const AnsiString& typeName,
                                                 TfsGetValueEvent getter, TfsSetValueEvent setter) {
  TfsPropertyHelper* helper = NewProperty(*this, name, typeName);
  helper->ReadOnly = !setter;
  helper->GetHandler = std::move(getter);
  helper->SetHandler = std::move(setter);
  return helper;
}

TfsPropertyHelper* TfsClassVariable::AddPropertyEx(const AnsiString& name, const AnsiString& typeName,
                                                   TfsGetValueNewEvent getter, TfsSetValueNewEvent setter) {
  TfsPropertyHelper* helper = NewProperty(*this, name, typeName);
  helper->ReadOnly = !setter;
  helper->GetHandlerEx = std::move(getter);
  helper->SetHandlerEx = std::move(setter);
  return helper;
}

// "function Items(p0: Integer; p1: String): Variant" from "Integer,String".
static AnsiString IndexDeclaration(const AnsiString& name, const AnsiString& indexTypes, const AnsiString& resultType) {
  AnsiString params;
  size_t start = 0;
  int n = 0;
  while (start <= indexTypes.size()) {
    size_t comma = indexTypes.find(',', start);
    if (comma == AnsiString::npos) comma = indexTypes.size();
    if (n > 0) params += "; ";
    params += "p" + std::to_string(n) + ": " + rtl::Trim(std::string_view(indexTypes).substr(start, comma - start));
    ++n;
    start = comma + 1;
  }
  return "function " + name + "(" + params + "): " + resultType;
}

template <class Handler>
static TfsMethodHelper* AddIndexed(TfsClassVariable& cls, const AnsiString& name, const AnsiString& indexTypes,
                                   const AnsiString& resultType, Handler handler, bool readOnly) {
  TfsMethodHelper* helper = cls.AddMethod(IndexDeclaration(name, indexTypes, resultType), std::move(handler));
  helper->ReadOnly = readOnly;
  helper->IndexAccessor = true;
  return helper;
}

TfsMethodHelper* TfsClassVariable::AddIndexProperty(const AnsiString& name, const AnsiString& indexTypes,
                                                    const AnsiString& resultType, TfsCallMethodEvent handler,
                                                    bool readOnly) {
  return AddIndexed(*this, name, indexTypes, resultType, std::move(handler), readOnly);
}

TfsMethodHelper* TfsClassVariable::AddIndexProperty(const AnsiString& name, const AnsiString& indexTypes,
                                                    const AnsiString& resultType, TfsCallMethodNewEvent handler,
                                                    bool readOnly) {
  return AddIndexed(*this, name, indexTypes, resultType, std::move(handler), readOnly);
}

TfsMethodHelper* TfsClassVariable::AddDefaultProperty(const AnsiString& name, const AnsiString& indexTypes,
                                                      const AnsiString& resultType, TfsCallMethodEvent handler,
                                                      bool readOnly) {
  TfsMethodHelper* helper = AddIndexProperty(name, indexTypes, resultType, std::move(handler), readOnly);
  DefaultMember = helper;
  return helper;
}

TfsMethodHelper* TfsClassVariable::AddDefaultProperty(const AnsiString& name, const AnsiString& indexTypes,
                                                      const AnsiString& resultType, TfsCallMethodNewEvent handler,
                                                      bool readOnly) {
  TfsMethodHelper* helper = AddIndexProperty(name, indexTypes, resultType, std::move(handler), readOnly);
  DefaultMember = helper;
  return helper;
}

TfsComponentHelper* TfsClassVariable::AddComponent(rtl::TComponent* component) {
  auto* helper = new TfsComponentHelper(component);
  MemberList.Add(helper);
  return helper;
}

TfsCustomHelper* TfsClassVariable::GetMembers(int index) const {
  return static_cast<TfsCustomHelper*>(MemberList.RawItem(index));
}

TfsCustomHelper* TfsClassVariable::Find(std::string_view name) const {
  // The ancestor chain is followed a bounded number of times, so a class
  // registered as its own ancestor cannot loop.
  const TfsClassVariable* cls = this;
  for (int depth = 0; cls && depth < 256; ++depth) {
    for (int i = 0; i < cls->GetMembersCount(); ++i)
      if (rtl::SameText(cls->GetMembers(i)->Name, name)) return cls->GetMembers(i);
    if (!cls->OwnerScript || cls->AncestorName.empty()) return nullptr;
    cls = cls->OwnerScript->FindClass(cls->AncestorName);
  }
  return nullptr;
}

Variant TfsClassVariable::GetValue() {
  TfsParamItem* cast = GetParam(0);
  Variant result = cast->Value.IsNull() ? Variant(0) : cast->Value;
  cast->Value = Variant::Null();
  return result;
}

}  // namespace script
