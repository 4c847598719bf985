// The documentation tree of a script's registrations.
#include <map>

#include "platform/rtl/textcase.h"
#include "script/fs_itools.h"
#include "script/fs_xml.h"

namespace script {

namespace {

TfsXMLItem* AddItem(TfsXMLItem* parent, const AnsiString& text) {
  TfsXMLItem* item = parent->Add();
  item->Name = "item";
  item->SetProp("text", text);
  return item;
}

// "index property Items(p0: Integer): Variant" for an indexed property's accessor.
AnsiString MemberText(TfsCustomHelper* member) {
  if (auto* property = dynamic_cast<TfsPropertyHelper*>(member))
    return "property " + property->Name + ": " + property->GetFullTypeName();
  if (auto* method = dynamic_cast<TfsMethodHelper*>(member)) {
    if (!method->IndexAccessor) return method->Declaration;
    size_t blank = method->Declaration.find(' ');
    return "index property" + (blank == AnsiString::npos ? AnsiString() : method->Declaration.substr(blank));
  }
  return "event " + member->Name;
}

void AddMembers(TfsClassVariable* cls, TfsXMLItem* element) {
  for (int i = 0; i < cls->GetMembersCount(); ++i) AddItem(element, MemberText(cls->GetMembers(i)));
}

}  // namespace

void GenerateXMLContents(TfsScript* script, TfsXMLItem* root, bool functionsOnly) {
  TfsXMLItem* functions = root->FindItem("Functions");
  TfsXMLItem* classes = root->FindItem("Classes");
  TfsXMLItem* types = root->FindItem("Types");
  TfsXMLItem* variables = root->FindItem("Variables");
  TfsXMLItem* constants = root->FindItem("Constants");
  std::map<TfsXMLItem*, AnsiString> enumNames;

  for (int i = 0; i < script->Count(); ++i) {
    TfsCustomVariable* item = script->GetItemVariable(i);
    if (!item) continue;
    if (auto* helper = dynamic_cast<TfsMethodHelper*>(item)) {
      TfsXMLItem* category = functions->FindItem(helper->Category);
      category->SetProp("text", helper->Category);
      AddItem(category, helper->Declaration)->SetProp("description", helper->HelpText);
      continue;
    }
    if (functionsOnly) continue;
    if (auto* cls = dynamic_cast<TfsClassVariable*>(item)) {
      AddMembers(cls, AddItem(classes, cls->Name + " = class(" + cls->AncestorName + ")"));
    } else if (auto* variable = dynamic_cast<TfsVariable*>(item)) {
      if (variable->VarType == fvtEnum) {
        TfsXMLItem* type = types->FindItem(variable->TypeIdent);
        AnsiString& names = enumNames[type];
        if (!rtl::AnsiSameText(variable->Name, variable->TypeIdent))
          names += (names.empty() ? "" : ",") + variable->Name;
      } else if (variable->ReadOnly) {
        AddItem(constants,
                variable->Name + ": " + variable->GetFullTypeName() + " = " + rtl::VarToStr(variable->Value));
      } else {
        AddItem(variables, variable->Name + ": " + variable->GetFullTypeName());
      }
    }
  }
  for (int i = 0; i < types->Count(); ++i) {
    TfsXMLItem* type = types->Items(i);
    if (rtl::SameText(type->Name, "item")) continue;
    AnsiString typeName = type->Name;
    type->Name = "item";
    type->SetProp("text", typeName + ": (" + enumNames[type] + ")");
  }
}

void GenerateMembers(TfsScript* script, TClass cls, TfsXMLItem* element) {
  if (!cls) return;
  for (int i = 0; i < script->Count(); ++i)
    if (auto* registered = dynamic_cast<TfsClassVariable*>(script->GetItemVariable(i)))
      if (registered->HostClass && cls->InheritsFrom(*registered->HostClass)) AddMembers(registered, element);
}

}  // namespace script
