// Published properties of host objects through the runtime's reflection.
#include "script/fs_ipublished.h"

#include <algorithm>

#include "platform/rtl/textcase.h"

namespace script {

namespace {

const rtl::TPropInfo* FindPublished(rtl::TObject* instance, const AnsiString& name) {
  return instance ? instance->ClassType().FindProperty(name) : nullptr;
}

bool IsObjectProp(rtl::TPropKind kind) { return rtl::IsObjectKind(kind); }

}  // namespace

Variant fsReadPublishedProperty(rtl::TObject* instance, const AnsiString& name) {
  const rtl::TPropInfo* prop = FindPublished(instance, name);
  if (!prop) return Variant::Null();
  switch (prop->Kind) {
    case rtl::pkInteger:
    case rtl::pkEnumeration:
    case rtl::pkSet: return Variant(static_cast<int32_t>(prop->GetOrd(*instance)));
    case rtl::pkInt64: return Variant(static_cast<int64_t>(prop->GetOrd(*instance)));
    case rtl::pkChar: return Variant(AnsiString(1, static_cast<char>(prop->GetOrd(*instance))));
    case rtl::pkWideChar:
      return Variant(Variant(rtl::WideString(1, static_cast<char16_t>(prop->GetOrd(*instance)))).AsString());
    case rtl::pkFloat: return Variant(static_cast<double>(prop->GetFloat(*instance)));
    case rtl::pkString:
    case rtl::pkWideString: return Variant(prop->GetStr(*instance));
    case rtl::pkVariant: return prop->GetVariant(*instance);
    case rtl::pkEvent: return Variant::Null();
    default:
      if (IsObjectProp(prop->Kind)) return fsObjectToVariant(prop->GetObject(*instance));
      return Variant::Null();
  }
}

void fsWritePublishedProperty(rtl::TObject* instance, const AnsiString& name, const Variant& value, bool asBoolean) {
  const rtl::TPropInfo* prop = FindPublished(instance, name);
  if (!prop) return;
  switch (prop->Kind) {
    case rtl::pkInteger:
    case rtl::pkEnumeration:
    case rtl::pkSet:
    case rtl::pkInt64:
      if (asBoolean)
        prop->SetOrd(*instance, value == Variant(true) ? 1 : 0);
      else
        prop->SetOrd(*instance, prop->Kind == rtl::pkInt64 ? value.AsInt64() : value.AsInteger());
      return;
    case rtl::pkChar:
    case rtl::pkWideChar: {
      AnsiString text = value.AsString();
      prop->SetOrd(*instance, text.empty() ? 0 : static_cast<unsigned char>(text[0]));
      return;
    }
    case rtl::pkFloat: prop->SetFloat(*instance, value.AsExtended()); return;
    case rtl::pkString:
    case rtl::pkWideString: prop->SetStr(*instance, value.AsString()); return;
    case rtl::pkVariant: prop->SetVariant(*instance, value); return;
    case rtl::pkEvent: return;
    default:
      if (IsObjectProp(prop->Kind)) prop->SetObject(*instance, fsVariantToObject(value));
      return;
  }
}

// The script type of a published property.
static TfsTypeRec PublishedType(const rtl::TPropInfo& prop) {
  switch (prop.Kind) {
    case rtl::pkInteger: return {fvtInt, ""};
    case rtl::pkChar:
    case rtl::pkWideChar: return {fvtChar, ""};
    case rtl::pkEnumeration: {
      AnsiString type = prop.EnumType ? prop.EnumType->Name : AnsiString();
      if (rtl::SameText(type, "Boolean") || rtl::SameText(type, "bool")) return {fvtBool, type};
      return {fvtEnum, type};
    }
    case rtl::pkFloat: return {fvtFloat, ""};
    case rtl::pkString:
    case rtl::pkWideString: return {fvtString, ""};
    case rtl::pkSet: return {fvtEnum, prop.SetType ? prop.SetType->Name : AnsiString()};
    case rtl::pkVariant: return {fvtVariant, ""};
    default:
      if (IsObjectProp(prop.Kind)) return {fvtClass, prop.PropClass ? prop.PropClass->Name() : AnsiString("TObject")};
      return {fvtInt, ""};
  }
}

void TfsClassVariable::AddPublishedProperties(TClass hostClass) {
  if (!hostClass) return;
  std::vector<const rtl::TPropInfo*> props;
  for (const rtl::TPropInfo* prop : hostClass->Properties())
    if (prop->Kind != rtl::pkEvent) props.push_back(prop);
  std::stable_sort(props.begin(), props.end(), [](const rtl::TPropInfo* a, const rtl::TPropInfo* b) {
    return rtl::AnsiCompareText(a->Name, b->Name) < 0;
  });
  for (const rtl::TPropInfo* prop : props) {
    TfsTypeRec type = PublishedType(*prop);
    auto* helper = new TfsPropertyHelper(prop->Name, type.Typ, type.TypeName);
    helper->FromPublished = true;
    helper->HostClass = hostClass;
    helper->ReadOnly = !prop->HasSetter();
    MemberList.Add(helper);
  }
}

}  // namespace script
