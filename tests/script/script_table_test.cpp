#include <gtest/gtest.h>

#include "script/fs_itools.h"
#include "script_builder.h"

using namespace script;
using namespace script::testing;
using namespace rtl::literals;

namespace {

Variant Call(TfsScript& s, const char* name) {
  TfsCustomVariable* item = s.Find(name);
  return item ? item->GetValue() : Variant::Null();
}

TEST(ScriptTable, LastAddedWinsAndLookupIgnoresCyrillicCase) {
  TfsScript script;
  script.AddMethod("function Answer: Integer",
                   [](rtl::TObject*, TClass, const AnsiString&, TfsMethodHelper*) { return Variant(1); });
  script.AddMethod("function Answer: Integer",
                   [](rtl::TObject*, TClass, const AnsiString&, TfsMethodHelper*) { return Variant(2); });
  EXPECT_EQ(Call(script, "ANSWER").AsInteger(), 2);

  script.Add(AnsiString("Счётчик"_cp), new TfsVariable(AnsiString("Счётчик"_cp), fvtInt, ""));
  EXPECT_NE(script.FindLocal("СЧЁТЧИК"_cp), nullptr);
  EXPECT_EQ(script.FindLocal("Счетчик"_cp), nullptr);  // Ё and Е are different letters
}

TEST(ScriptTable, RegistrationAddsNothingForAVisibleName) {
  TfsScript parent, child;
  child.ParentScript = &parent;
  Builder b(parent);
  struct Case {
    const char* what;
    std::function<void(TfsScript&)> first;
    TfsScript* firstIn;
    Variant survivor;
  };
  const Case cases[] = {
      {"variable then constant", [](TfsScript& s) { s.AddVariable("X", "Integer", Variant(1)); }, &child, Variant(1)},
      {"parent's variable then constant", [](TfsScript& s) { s.AddVariable("X", "Integer", Variant(1)); }, &parent,
       Variant(1)},
  };
  for (const Case& c : cases) {
    c.first(*c.firstIn);
    child.AddConst("X", "Integer", Variant(2));
    EXPECT_TRUE(rtl::VarSameValue(child.Find("X")->GetValue(), c.survivor)) << c.what;
    EXPECT_FALSE(child.Find("X")->ReadOnly) << c.what;
    child.Clear();
    parent.RemoveItems(nullptr);
  }
}

TEST(ScriptTable, OwnNameShadowsTheParentsUntilRemoved) {
  TfsScript parent, child;
  child.ParentScript = &parent;
  parent.Add("X", new TfsVariable("X", fvtInt, ""));
  auto* own = new TfsVariable("X", fvtInt, "");
  child.Add("x", own);
  EXPECT_EQ(child.Find("X"), own);
  child.Remove(own);
  EXPECT_EQ(child.Find("X"), parent.FindLocal("X"));
  delete own;
  EXPECT_THROW(child.Remove(own), rtl::EListError);
}

TEST(ScriptTable, EnumerationsAndSets) {
  TfsScript script;
  script.AddEnum("TA", "a , b,c");
  script.AddEnumSet("TS", "s1, s2 ,s3");
  const std::pair<const char*, int> cases[] = {{"a", 0}, {"b", 1}, {"c", 2}, {"s1", 1}, {"s2", 2}, {"s3", 4}};
  for (auto [name, value] : cases) {
    TfsCustomVariable* item = script.FindLocal(name);
    ASSERT_NE(item, nullptr) << name;
    EXPECT_EQ(item->GetValue().AsInteger(), value) << name;
    EXPECT_TRUE(item->ReadOnly) << name;
    EXPECT_EQ(item->VarType, fvtEnum) << name;
  }
  ASSERT_NE(script.FindLocal("TA"), nullptr);
  EXPECT_EQ(script.FindLocal("TA")->TypeIdent, "TA");
  EXPECT_EQ(script.FindLocal("a")->TypeIdent, "TA");
}

// A binding module that counts its instances and registers one function.
int liveModules = 0;
struct CountingModule : TfsRTTIModule {
  explicit CountingModule(TfsScript* s) : TfsRTTIModule(s) {
    ++liveModules;
    s->AddType("Integer", fvtInt);
    s->AddMethod("function Twice(i: Integer): Integer",
                 [](rtl::TObject*, TClass, const AnsiString&, TfsMethodHelper* c) {
                   return Variant(c->GetVParam(0).AsInteger() * 2);
                 });
  }
  ~CountingModule() override { --liveModules; }
};

struct ModuleListTest : ::testing::Test {
  void SetUp() override {
    fsRTTIModules()->push_back([](TfsScript* s) -> TfsRTTIModule* { return new CountingModule(s); });
  }
  void TearDown() override { fsRTTIModules()->pop_back(); }
};

TEST_F(ModuleListTest, ClearKeepsBindingsAndClearRTTIRemovesThem) {
  {
    TfsScript script;
    script.AddRTTI();
    script.AddRTTI();  // the second call does nothing
    EXPECT_EQ(liveModules, 1);
    script.AddVariable("Mine", "Integer", Variant(1));
    script.Clear();
    EXPECT_EQ(script.FindLocal("Mine"), nullptr);
    ASSERT_NE(script.FindLocal("Twice"), nullptr);
    EXPECT_EQ(script.FindLocal("Twice")->RegisteredBy, TfsScript::BindingMarker());
    script.ClearRTTI();
    EXPECT_EQ(script.FindLocal("Twice"), nullptr);
    EXPECT_EQ(liveModules, 0);
    script.AddRTTI();
    EXPECT_NE(script.FindLocal("Twice"), nullptr);
  }
  EXPECT_EQ(liveModules, 0);
}

TEST(ScriptTable, RemoveItemsTakesOnlyOneOwnersItems) {
  TfsScript script;
  int report = 0;
  script.RegisteredBy = &report;
  script.AddVariable("FromReport", "Variant", Variant(1));
  script.RegisteredBy = nullptr;
  script.AddVariable("Other", "Variant", Variant(2));
  script.ClearItems(&report);
  EXPECT_EQ(script.FindLocal("FromReport"), nullptr);
  EXPECT_NE(script.FindLocal("Other"), nullptr);
}

TEST(ScriptTable, CallFunctionPassesAndReturnsParameters) {
  TfsScript script;
  Builder b(script);
  // procedure Swap(a, b): a := b + 1; b := 0
  TfsProcVariable* swap = b.Proc("Swap", false, fvtClass, {{"a", fvtInt}, {"b", fvtInt}});
  TfsScript* local = swap->LocalScope;
  Builder lb(*local);
  lb.Assign(local->MainStatement(), lb.D(swap->GetParam(0)), lb.E({lb.D(swap->GetParam(1)), Op{"+"}, 1}));
  lb.Assign(local->MainStatement(), lb.D(swap->GetParam(1)), lb.E({0}));

  Variant params = rtl::VarArrayOf({Variant(1), Variant(5)});
  script.CallFunction1("swap", params);
  EXPECT_EQ(params[0].AsInteger(), 6);
  EXPECT_EQ(params[1].AsInteger(), 0);

  EXPECT_TRUE(script.CallFunction("NoSuch", Variant::Null()).IsNull());
  EXPECT_TRUE(script.CallFunction2(nullptr, Variant::Null()).IsNull());
  Variant tooMany = rtl::VarArrayOf({Variant(1), Variant(2), Variant(3)});
  EXPECT_THROW(script.CallFunction("Swap", tooMany), rtl::EListError);
}

TEST(ScriptTable, GetAndSetVariables) {
  TfsScript script;
  EXPECT_TRUE(script.GetVariables("Fresh").IsNull());
  script.SetVariables("Fresh", Variant(3));
  EXPECT_EQ(script.GetVariables("fresh").AsInteger(), 3);
  script.SetVariables("Fresh", Variant("x"));
  EXPECT_EQ(script.GetVariables("Fresh").AsString(), "x");
}

TEST(ScriptTable, CodeLinesAndRunLineReachTheFirstHandlerUpTheChain) {
  TfsScript parent, child;
  child.ParentScript = &parent;
  child.AddCodeLine("", "3:7");
  child.AddCodeLine("", "3:9");
  child.AddCodeLine("Unit1", "10:1");
  EXPECT_TRUE(child.IsExecutableLine(3));
  EXPECT_FALSE(child.IsExecutableLine(10));
  EXPECT_TRUE(child.IsExecutableLine(10, "unit1"));

  std::vector<std::string> seen;
  parent.OnRunLine = [&](TfsScript* sender, const AnsiString& unit, const AnsiString& pos) {
    seen.push_back((sender == &child ? "child " : "parent ") + unit + " " + pos);
  };
  child.RunLine("U", "1:1");
  EXPECT_EQ(seen, std::vector<std::string>{"child U 1:1"});
}

}  // namespace
