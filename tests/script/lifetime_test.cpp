// Items, procedures, scripts and designators freed in every order their
// owners allow. The sanitizer build (ZARNIK_SANITIZE) turns any use after
// free or leak on these paths into a failure.
#include <gtest/gtest.h>

#include "script_builder.h"

using namespace script;
using namespace script::testing;

namespace {

// A main program with a global, a procedure with a local, a nested function
// and a host class with members, all referring to each other.
void Populate(TfsScript& script) {
  Builder b(script);
  TfsVariable* global = b.Var("Global", fvtInt, Variant(1));
  TfsProcVariable* outer = b.Proc("Outer", false, fvtClass, {{"p", fvtInt}});
  TfsScript* local = outer->LocalScope;
  Builder lb(*local);
  TfsVariable* text = lb.Var("Text", fvtString, Variant("x"), local);
  TfsProcVariable* inner = lb.Proc("Inner", true, fvtInt, {}, local);
  lb.Assign(inner->LocalScope->MainStatement(), lb.D(inner->LinkedItem, {}, inner->LocalScope),
            lb.E({lb.D(global, {}, inner->LocalScope)}, inner->LocalScope));
  lb.Assign(local->MainStatement(), lb.D(global, {}, local),
            lb.E({lb.D(inner, {}, local), Op{"+"}, lb.D(outer->GetParam(0), {}, local)}, local));
  lb.Assign(local->MainStatement(), lb.D(text, {}, local), lb.E({Str{"y"}}, local));
  b.Call(script.MainStatement(), b.D(outer, {b.E({2})}));
  TfsClassVariable* cls = script.AddClass(&rtl::TComponent::StaticClass(), "TPersistent");
  if (cls) {
    cls->AddMethod("procedure Free", [](rtl::TObject*, TClass, const AnsiString&, Variant&) { return Variant(); });
    cls->AddIndexProperty("Items", "Integer", "Variant", TfsCallMethodNewEvent());
  }
}

TEST(ScriptLifetime, ScriptsFreedAfterRunningInEveryOrder) {
  enum class How { Destroy, ClearThenDestroy, ClearItemsThenDestroy, RemoveGlobalFirst };
  for (How how : {How::Destroy, How::ClearThenDestroy, How::ClearItemsThenDestroy, How::RemoveGlobalFirst}) {
    auto script = std::make_unique<TfsScript>();
    Populate(*script);
    script->Execute();
    EXPECT_EQ(script->GetVariables("Global").AsInteger(), 3);
    switch (how) {
      case How::Destroy: break;
      case How::ClearThenDestroy: script->Clear(); break;
      case How::ClearItemsThenDestroy: script->ClearItems(nullptr); break;
      case How::RemoveGlobalFirst: {
        // An item taken out and freed before the statements that name it.
        TfsCustomVariable* global = script->FindLocal("Global");
        script->Remove(global);
        delete global;
        break;
      }
    }
    script.reset();
  }
}

TEST(ScriptLifetime, ChildAndParentScriptsFreedInEitherOrder) {
  for (bool parentFirst : {false, true}) {
    auto parent = std::make_unique<TfsScript>();
    auto child = std::make_unique<TfsScript>();
    child->ParentScript = parent.get();
    Builder pb(*parent), cb(*child);
    TfsVariable* shared = pb.Var("Shared", fvtInt, Variant(4));
    TfsProcVariable* f = cb.Proc("fr3f0", true, fvtVariant);
    cb.Assign(f->LocalScope->MainStatement(), cb.D(f->LinkedItem, {}, f->LocalScope),
              cb.E({cb.D(shared, {}, f->LocalScope), Op{"*"}, 2}, f->LocalScope));
    EXPECT_EQ(f->GetValue().AsInteger(), 8);
    if (parentFirst) {
      parent.reset();
      child.reset();
    } else {
      child.reset();
      parent.reset();
    }
  }
}

// A designator bound when first run: built once, its source released on
// success and on failure alike.
struct CountingBinding : TfsLateBinding {
  TfsCustomVariable* target;
  bool fail;
  int* builds;
  CountingBinding(TfsCustomVariable* t, bool f, int* n) : target(t), fail(f), builds(n) {}
  TfsDesignator* Build(TfsScript& script) override {
    ++*builds;
    if (fail) throw rtl::EConvertError("cannot bind");
    auto* d = new TfsDesignator(&script);
    d->AddStep(target);
    d->Finalize();
    return d;
  }
};

TEST(ScriptLifetime, LateBindingBuildsOnceAndReleasesItsSource) {
  TfsScript script;
  Builder b(script);
  TfsVariable* v = b.Var("v", fvtInt, Variant(6));
  int builds = 0;
  auto* late = new TfsDesignator(&script);
  late->LateBindingSource = std::make_unique<CountingBinding>(v, false, &builds);
  std::unique_ptr<TfsExpression> e(b.E({late}));
  EXPECT_EQ(e->GetValue().AsInteger(), 6);
  late->SetValue(Variant(7));
  EXPECT_EQ(e->GetValue().AsInteger(), 7);
  EXPECT_EQ(builds, 1);
  EXPECT_EQ(late->LateBindingSource, nullptr);

  auto failing = std::make_unique<TfsDesignator>(&script);
  failing->LateBindingSource = std::make_unique<CountingBinding>(v, true, &builds);
  EXPECT_THROW(failing->GetValue(), rtl::EConvertError);
  EXPECT_EQ(failing->LateBindingSource, nullptr);
}

TEST(ScriptLifetime, RecursionUnwindsCleanlyThroughAnError) {
  // function F(n): if n = 0 then raise (a conversion error) else F(n - 1)
  TfsScript script;
  Builder b(script);
  TfsProcVariable* f = b.Proc("F", true, fvtInt, {{"n", fvtInt}});
  TfsScript* local = f->LocalScope;
  TfsVariable* s = b.Var("s", fvtString, Variant("keep"), local);
  auto* branch = b.Add<TfsIfStmt>(local->MainStatement());
  branch->Test = b.E({b.D(f->GetParam(0), {}, local), Op{"="}, 0}, local);
  b.Assign(branch, b.D(f->LinkedItem, {}, local), b.E({Str{"not a number"}}, local));
  b.Assign(branch->ElsePart, b.D(s, {}, local), b.E({Str{"changed"}}, local));
  b.Assign(branch->ElsePart, b.D(f->LinkedItem, {}, local),
           b.E({b.D(f, {b.E({b.D(f->GetParam(0), {}, local), Op{"-"}, 1}, local)}, local)}, local));
  EXPECT_THROW(script.CallFunction("F", rtl::VarArrayOf({Variant(3)})), rtl::EConvertError);
  EXPECT_FALSE(f->Running);
  EXPECT_FALSE(local->BodyRunning);
  // The outermost call's locals are its own again ("changed" by itself).
  EXPECT_EQ(s->GetValue().AsString(), "changed");
  EXPECT_EQ(f->GetParam(0)->GetValue().AsInteger(), 3);
}

}  // namespace
