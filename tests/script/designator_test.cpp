#include <gtest/gtest.h>

#include "script/fs_inesting.h"
#include "script_builder.h"

using namespace script;
using namespace script::testing;

namespace {

struct Thing : rtl::TObject {
  RTL_CLASS_INFO
  int initialised = 0;
};
const rtl::TClassInfo& Thing::StaticClass() {
  static const rtl::TClassInfo info = rtl::TClassBuilder<Thing>("TThing", &rtl::TObject::StaticClass()).Build();
  return info;
}

struct DesignatorTest : ::testing::Test {
  TfsScript script;
  Builder b{script};
};

// function Fact(n: Integer): Integer;
// var s: String;
// begin
//   s := n;                    (a string local: the number as text)
//   if n > 1 then Result := n * Fact(n - 1) else Result := 1;
//   Trace := Trace + s + ';';  (after the inner call: the caller's s)
// end;
TEST_F(DesignatorTest, RecursionKeepsTheCallersLocalsStringsIncluded) {
  TfsVariable* trace = b.Var("Trace", fvtString, Variant(""));
  TfsProcVariable* fact = b.Proc("Fact", true, fvtInt, {{"n", fvtInt}});
  TfsScript* local = fact->LocalScope;
  Builder lb(*local);
  TfsCustomVariable* n = fact->GetParam(0);
  TfsVariable* s = lb.Var("s", fvtString, Variant(), local);
  TfsStatement* body = local->MainStatement();
  lb.Assign(body, lb.D(s), lb.E({lb.D(n)}, local));
  auto* branch = lb.Add<TfsIfStmt>(body);
  branch->Test = lb.E({lb.D(n), Op{">"}, 1}, local);
  lb.Assign(branch, lb.D(fact->LinkedItem),
            lb.E({lb.D(n), Op{"*"}, lb.D(fact, {lb.E({lb.D(n), Op{"-"}, 1}, local)}, local)}, local));
  lb.Assign(branch->ElsePart, lb.D(fact->LinkedItem), lb.E({1}, local));
  lb.Assign(body, lb.D(trace), lb.E({lb.D(trace), Op{"+"}, lb.D(s), Op{"+"}, Str{";"}}, local));

  Variant params = rtl::VarArrayOf({Variant(5)});
  EXPECT_EQ(script.CallFunction("Fact", params).AsInteger(), 120);
  // Each level still saw its own text after the inner calls returned.
  EXPECT_EQ(trace->GetValue().AsString(), "1;2;3;4;5;");
  EXPECT_FALSE(fact->Running);
}

TEST_F(DesignatorTest, ArgumentsAreEvaluatedBeforeAnyParameterIsSet) {
  // procedure P(a, b: Integer); records a and b; called recursively as P(b, a).
  TfsVariable* out = b.Var("Out", fvtInt, Variant(0));
  TfsProcVariable* p = b.Proc("P", false, fvtClass, {{"a", fvtInt}, {"b", fvtInt}});
  TfsScript* local = p->LocalScope;
  Builder lb(*local);
  TfsCustomVariable* a = p->GetParam(0);
  TfsCustomVariable* bb = p->GetParam(1);
  lb.Assign(local->MainStatement(), lb.D(out),
            lb.E({lb.D(out), Op{"*"}, 100, Op{"+"}, lb.D(a), Op{"*"}, 10, Op{"+"}, lb.D(bb)}, local));
  auto* once = lb.Add<TfsIfStmt>(local->MainStatement());
  once->Test = lb.E({lb.D(a), Op{"<"}, lb.D(bb)}, local);
  lb.Call(once, lb.D(p, {lb.E({lb.D(bb)}, local), lb.E({lb.D(a)}, local)}, local));
  script.CallFunction("P", rtl::VarArrayOf({Variant(1), Variant(2)}));
  EXPECT_EQ(out->GetValue().AsInteger(), 1221);
}

TEST_F(DesignatorTest, ByReferenceParametersWriteBack) {
  // procedure Bump(var x: Integer; y: Integer): x := x + 10; y := 99
  auto* bump = new TfsProcVariable("Bump", fvtClass, "", false, &script);
  bump->AddParam(new TfsParamItem("x", true, false, fvtInt, "Integer"));
  bump->AddParam(new TfsParamItem("y", false, false, fvtInt, "Integer"));
  script.Add("Bump", bump);
  Builder lb(*bump->LocalScope);
  lb.Assign(bump->LocalScope->MainStatement(), lb.D(bump->GetParam(0)),
            lb.E({lb.D(bump->GetParam(0)), Op{"+"}, 10}, bump->LocalScope));
  lb.Assign(bump->LocalScope->MainStatement(), lb.D(bump->GetParam(1)), lb.E({99}, bump->LocalScope));

  TfsVariable* v = b.Var("v", fvtInt, Variant(1));
  TfsVariable* w = b.Var("w", fvtInt, Variant(2));
  std::unique_ptr<TfsDesignator> call(b.D(bump, {b.E({b.D(v)}), b.E({b.D(w)})}));
  call->GetValue();
  EXPECT_EQ(v->GetValue().AsInteger(), 11);
  EXPECT_EQ(w->GetValue().AsInteger(), 2);  // by value: unchanged
  // A by-reference argument that is no designator takes the write-back harmlessly.
  std::unique_ptr<TfsDesignator> literal(b.D(bump, {b.E({5, Op{"+"}, 1}), b.E({3})}));
  literal->GetValue();
  EXPECT_EQ(v->GetValue().AsInteger(), 11);

  // An old-style host function: element 1 of Params changes the caller's
  // variable passed second; element 0 changes nothing outside.
  script.AddMethod("procedure HostBump(a: Integer; var b: Integer)",
                   [](rtl::TObject*, TClass, const AnsiString& name, Variant& params) {
                     EXPECT_EQ(name, "HOSTBUMP");
                     int32_t i0 = 0, i1 = 1;
                     params.PutElement({&i0, 1}, Variant(-1));
                     params.PutElement({&i1, 1}, Variant(params[1].AsInteger() * 3));
                     return Variant();
                   });
  std::unique_ptr<TfsDesignator> host(b.D(script.FindLocal("HostBump"), {b.E({b.D(v)}), b.E({b.D(w)})}));
  host->GetValue();
  EXPECT_EQ(v->GetValue().AsInteger(), 11);
  EXPECT_EQ(w->GetValue().AsInteger(), 6);
}

TEST_F(DesignatorTest, MacroArgumentsArriveAsSourceText) {
  std::vector<std::string> received;
  TfsMethodHelper* sum = script.AddMethod("macrofunction SUM(Expr: Variant; Band: Variant = 0): Variant",
                                          [&](rtl::TObject*, TClass, const AnsiString&, TfsMethodHelper* c) {
                                            received = {c->GetVParam(0).AsString(), c->GetVParam(1).AsString()};
                                            return Variant(0);
                                          });
  ASSERT_TRUE(sum->MacroFlag);
  TfsVariable* a = b.Var("a", fvtInt, Variant(1));
  std::unique_ptr<TfsDesignator> call(
      b.D(sum, {b.E({b.D(a), Op{"+"}, b.D(a)}, nullptr, "a + b"), b.E({0}, nullptr, "MasterData1")}));
  call->GetValue();
  EXPECT_EQ(received, (std::vector<std::string>{"a + b", "MasterData1"}));
}

TEST_F(DesignatorTest, StringCharactersStayInsideTheText) {
  TfsVariable* s = b.Var("s", fvtString, Variant("abc"));
  TfsVariable* i = b.Var("i", fvtInt, Variant(1));
  auto* helper = new TfsStringHelper;
  script.Add("__StringHelper", helper);
  std::unique_ptr<TfsDesignator> ch(b.D(&script, {{s, {}}, {helper, {b.E({b.D(i)})}}}));
  ASSERT_NE(dynamic_cast<TfsStringDesignator*>(ch.get()), nullptr);

  struct Case {
    int index;
    const char* read;  // nullptr: reading raises
  };
  for (const Case& c : {Case{1, "a"}, Case{3, "c"}, Case{0, nullptr}, Case{4, nullptr}, Case{-1, nullptr}}) {
    i->SetValue(Variant(c.index));
    if (c.read)
      EXPECT_EQ(ch->GetValue().AsString(), c.read) << c.index;
    else
      EXPECT_THROW(ch->GetValue(), rtl::ERangeError) << c.index;
  }
  i->SetValue(Variant(2));
  ch->SetValue(Variant("XY"));
  EXPECT_EQ(s->GetValue().AsString(), "aXc");
  EXPECT_THROW(ch->SetValue(Variant("")), rtl::ERangeError);
  i->SetValue(Variant(9));
  EXPECT_THROW(ch->SetValue(Variant("Z")), rtl::ERangeError);
  EXPECT_EQ(s->GetValue().AsString(), "aXc");

  // The helper on a variant holding text works through the whole string.
  TfsVariable* v = b.Var("v", fvtVariant, Variant("xyz"));
  std::unique_ptr<TfsDesignator> general(b.D(&script, {{v, {}}, {helper, {b.E({3})}}}));
  EXPECT_EQ(general->GetValue().AsString(), "z");
  general->SetValue(Variant("Q"));
  EXPECT_EQ(v->GetValue().AsString(), "xyQ");
  std::unique_ptr<TfsDesignator> outside(b.D(&script, {{v, {}}, {helper, {b.E({4})}}}));
  EXPECT_THROW(outside->GetValue(), rtl::ERangeError);
  EXPECT_THROW(outside->SetValue(Variant("Q")), rtl::ERangeError);
}

TEST_F(DesignatorTest, ArraysOfOneToThreeDimensions) {
  struct Case {
    std::vector<int32_t> bounds;
  };
  for (const Case& c : {Case{{0, 2}}, Case{{1, 2, 0, 3}}, Case{{0, 1, 0, 1, 5, 6}}}) {
    const int dims = static_cast<int>(c.bounds.size() / 2);
    auto* helper = new TfsArrayHelper("", dims, fvtVariant, "");
    script.Add("", helper);
    TfsVariable* arr = b.Var("arr", fvtArray);
    arr->Value = rtl::VarArrayCreate(c.bounds, rtl::varVariant);
    arr->LinkedItem = helper;
    std::vector<TfsCustomExpression*> at, at2;
    for (int d = 0; d < dims; ++d) {
      at.push_back(b.E({c.bounds[2 * d + 1]}));
      at2.push_back(b.E({c.bounds[2 * d + 1]}));
    }
    std::unique_ptr<TfsDesignator> write(b.D(&script, {{arr, at}}));
    // One step with indices is an array access through the helper.
    std::unique_ptr<TfsDesignator> element(b.D(&script, {{arr, {}}, {helper, at2}}));
    ASSERT_NE(dynamic_cast<TfsArrayDesignator*>(element.get()), nullptr) << dims;
    element->SetValue(Variant(dims * 10));
    EXPECT_EQ(element->GetValue().AsInteger(), dims * 10) << dims;
    script.Remove(arr);
    delete arr;
  }
}

TEST_F(DesignatorTest, TwoDimensionalIndexOrder) {
  auto* helper = new TfsArrayHelper("", 2, fvtVariant, "");
  script.Add("", helper);
  TfsVariable* grid = b.Var("grid", fvtArray);
  grid->Value = rtl::VarArrayCreate({0, 1, 0, 2}, rtl::varVariant);
  grid->LinkedItem = helper;
  int32_t idx[2] = {1, 2};
  grid->Value.PutElement(idx, Variant(12));
  std::unique_ptr<TfsDesignator> element(b.D(&script, {{grid, {}}, {helper, {b.E({1}), b.E({2})}}}));
  EXPECT_EQ(element->GetValue().AsInteger(), 12);
  std::unique_ptr<TfsDesignator> outside(b.D(&script, {{grid, {}}, {helper, {b.E({2}), b.E({1})}}}));
  EXPECT_THROW(outside->GetValue(), rtl::Exception);
}

TEST_F(DesignatorTest, RunawayRecursionEndsInAClearError) {
  // function Down(n): Result := Down(n + 1)
  TfsProcVariable* down = b.Proc("Down", true, fvtInt, {{"n", fvtInt}});
  TfsScript* local = down->LocalScope;
  Builder lb(*local);
  lb.Assign(local->MainStatement(), lb.D(down->LinkedItem),
            lb.E({lb.D(down, {lb.E({lb.D(down->GetParam(0)), Op{"+"}, 1}, local)}, local)}, local));
  try {
    script.CallFunction("Down", rtl::VarArrayOf({Variant(0)}));
    FAIL() << "no error";
  } catch (const EScriptNestingError& e) {
    EXPECT_NE(std::string(e.what()).find("too deep"), std::string::npos);
  }
  EXPECT_EQ(TfsNestingGuard::Depth(), 0);
  EXPECT_FALSE(down->Running);
  // The procedure works again afterwards.
  EXPECT_EQ(down->GetParam(0)->GetValue().AsInteger(), 0);
}

TEST_F(DesignatorTest, ConstructorCallOnAClassNameYieldsAnInitialisedObject) {
  TClass thingClass = &Thing::StaticClass();
  TfsClassVariable* cls = script.AddClass(thingClass, "TObject");
  std::vector<std::unique_ptr<Thing>> made;
  cls->AddConstructor("constructor Create(Seed: Integer)",
                      [&](rtl::TObject* instance, TClass type, const AnsiString& name, TfsMethodHelper* c) {
                        EXPECT_EQ(instance, nullptr);  // nothing allocated behind the constructor's back
                        EXPECT_EQ(type, thingClass);
                        EXPECT_EQ(name, "CREATE");
                        made.push_back(std::make_unique<Thing>());
                        made.back()->initialised = c->GetVParam(0).AsInteger();
                        return fsObjectToVariant(made.back().get());
                      });
  TfsCustomHelper* create = cls->Find("create");
  ASSERT_NE(create, nullptr);
  TfsDesignator* raw = new TfsDesignator(&script);
  raw->AddStep(cls);
  raw->AddStep(create)->Add(b.E({42}));
  raw->Finalize();
  std::unique_ptr<TfsDesignator> call(fsSpecializeDesignator(raw));
  EXPECT_EQ(call->VarType, fvtClass);
  EXPECT_EQ(call->TypeIdent, "TThing");
  rtl::TObject* object = fsVariantToObject(call->GetValue());
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(object, made[0].get());
  EXPECT_EQ(made[0]->initialised, 42);
}

}  // namespace
