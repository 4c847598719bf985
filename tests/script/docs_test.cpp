#include <gtest/gtest.h>

#include "script/fs_itools.h"
#include "script/fs_xml.h"
#include "script_builder.h"

using namespace script;
using namespace script::testing;

namespace {

TEST(ScriptDocs, ContentsTreeOfRegistrations) {
  TfsScript script;
  Builder b(script);
  script.AddMethod("function Twice(i: Integer): Integer", TfsCallMethodNewEvent(), "ctMath", "doubles \"i\"");
  script.AddEnum("TAlign", "alNone, alTop");
  script.AddConst("Limit", "Integer", Variant(10));
  script.AddVariable("Count", "Integer", Variant(1));
  TfsClassVariable* cls = script.AddClass(&rtl::TComponent::StaticClass(), "TPersistent");
  cls->AddIndexProperty("Items", "Integer", "Variant", TfsCallMethodNewEvent());
  cls->AddEvent("OnChange", nullptr);

  TfsXMLItem root;
  GenerateXMLContents(&script, &root);
  TfsXMLItem* math = root.FindItem("Functions")->FindItem("ctMath");
  EXPECT_EQ(math->GetProp("text"), "ctMath");
  ASSERT_EQ(math->Count(), 1);
  EXPECT_EQ(math->Items(0)->GetProp("text"), "function Twice(i: Integer): Integer");
  EXPECT_EQ(math->Items(0)->GetProp("description"), "doubles \"i\"");
  TfsXMLItem* types = root.FindItem("Types");
  ASSERT_EQ(types->Count(), 1);
  EXPECT_EQ(types->Items(0)->Name, "item");
  EXPECT_EQ(types->Items(0)->GetProp("text"), "TAlign: (alNone,alTop)");
  EXPECT_EQ(root.FindItem("Constants")->Items(0)->GetProp("text"), "Limit: Integer = 10");
  EXPECT_EQ(root.FindItem("Variables")->Items(0)->GetProp("text"), "Count: Integer");
  TfsXMLItem* component = root.FindItem("Classes")->Items(0);
  EXPECT_EQ(component->GetProp("text"), "TComponent = class(TPersistent)");
  std::vector<std::string> members;
  for (int i = 0; i < component->Count(); ++i) members.push_back(component->Items(i)->GetProp("text"));
  EXPECT_EQ(members, (std::vector<std::string>{"property Name: String", "property Tag: Integer",
                                               "index property Items(p0: Integer): Variant", "event OnChange"}));

  TfsXMLItem only;
  GenerateXMLContents(&script, &only, true);
  EXPECT_EQ(only.FindItem("Classes")->Count(), 0);
  EXPECT_EQ(only.FindItem("Functions")->FindItem("ctMath")->Count(), 1);

  TfsXMLItem members2;
  GenerateMembers(&script, &rtl::TComponent::StaticClass(), &members2);
  EXPECT_EQ(members2.Count(), 4);
}

}  // namespace
