#include <gtest/gtest.h>

#include "platform/rtl/components.h"
#include "script/fs_iconst.h"
#include "script_builder.h"

using namespace script;
using namespace script::testing;

namespace {

// A host object with one event, as a control with OnClick.
class Button : public rtl::TComponent {
  RTL_CLASS_INFO
 public:
  std::function<void(rtl::TObject*)> OnClick;
  void Click() {
    if (OnClick) OnClick(this);
  }
};

const rtl::TClassInfo& Button::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<Button>("TTestButton", &rtl::TComponent::StaticClass()).Event("OnClick").Build();
  return info;
}

FS_TEST_CLASS(TestBase, rtl::TComponent, "TTestBase")
FS_TEST_CLASS(TestDerived, TestBase, "TTestDerived")
FS_TEST_CLASS(TestOdd, rtl::TObject, "TTestOdd")

// The adapter of a notify event: passes the sender to the script procedure.
class NotifyAdapter : public TfsCustomEvent {
 public:
  using TfsCustomEvent::TfsCustomEvent;
  static int live;
  NotifyAdapter(rtl::TObject* host, TfsProcVariable* handler, int) : TfsCustomEvent(host, handler) { ++live; }
  ~NotifyAdapter() override { --live; }

 protected:
  std::function<void(rtl::TObject*)> Hook(rtl::TObject* host, const AnsiString&) override {
    auto* button = dynamic_cast<Button*>(host);
    button->OnClick = [this](rtl::TObject* sender) {
      Variant args[] = {fsObjectToVariant(sender)};
      CallHandler(args);
    };
    return [](rtl::TObject* h) { static_cast<Button*>(h)->OnClick = nullptr; };
  }
};
int NotifyAdapter::live = 0;

struct HelpersTest : ::testing::Test {
  TfsScript script;
  Builder b{script};
  TClass buttonClass = &Button::StaticClass();
  TfsClassVariable* cls = script.AddClass(buttonClass, "TComponent");
};

TEST_F(HelpersTest, BooleanPropertiesReadIntegersAsBooleans) {
  Variant answer;
  cls->AddProperty("Checked", "Boolean", [&](rtl::TObject*, TClass, const AnsiString& name) {
    EXPECT_EQ(name, "CHECKED");
    return answer;
  });
  Button button;
  TfsVariable* obj = b.Var("obj", fvtClass, fsObjectToVariant(&button));
  obj->TypeIdent = "TTestButton";
  std::unique_ptr<TfsDesignator> checked(b.D(&script, {{obj, {}}, {cls->Find("checked"), {}}}));
  EXPECT_EQ(checked->VarType, fvtBool);
  struct Case {
    Variant host;
    bool read;
  };
  for (const Case& c : {Case{Variant(5), true}, Case{Variant(0), false}, Case{Variant(true), true},
                        Case{Variant(false), false}, Case{Variant::Null(), false}}) {
    answer = c.host;
    EXPECT_TRUE(rtl::VarSameValue(checked->GetValue(), Variant(c.read))) << rtl::VarToStr(c.host);
  }
  // Without a setter the property is read-only and a write does nothing.
  EXPECT_TRUE(checked->ReadOnly);
  checked->SetValue(Variant(true));
}

TEST_F(HelpersTest, IndexedPropertiesPassIndicesAndTheValue) {
  std::vector<std::string> calls;
  Variant lastBlock;
  cls->AddIndexProperty("Items", "Integer, String", "Variant",
                        [&](rtl::TObject* instance, TClass type, const AnsiString& name, Variant& params) {
                          EXPECT_NE(instance, nullptr);
                          EXPECT_EQ(type, buttonClass);
                          calls.push_back(name);
                          lastBlock = params;
                          return Variant(params[0].AsInteger() * 2);
                        });
  Button button;
  TfsVariable* obj = b.Var("obj", fvtClass, fsObjectToVariant(&button));
  TfsCustomHelper* items = cls->Find("ITEMS");
  ASSERT_NE(items, nullptr);
  std::unique_ptr<TfsDesignator> element(b.D(&script, {{obj, {}}, {items, {b.E({3}), b.E({Str{"k"}})}}}));
  EXPECT_EQ(element->GetValue().AsInteger(), 6);
  element->SetValue(Variant("new"));
  EXPECT_EQ(calls, (std::vector<std::string>{"ITEMS.GET", "ITEMS.SET"}));
  ASSERT_EQ(rtl::VarArrayHighBound(lastBlock, 1), 2);
  EXPECT_EQ(lastBlock[0].AsInteger(), 3);
  EXPECT_EQ(lastBlock[1].AsString(), "k");
  EXPECT_EQ(lastBlock[2].AsString(), "new");

  // The new-style handler reads the assigned value after the indices.
  Variant assigned;
  TfsMethodHelper* cells = cls->AddDefaultProperty(
      "Cells", "Integer", "String", [&](rtl::TObject*, TClass, const AnsiString& name, TfsMethodHelper* c) {
        if (name == "CELLS.SET") assigned = c->GetVParam(1);
        return Variant("cell");
      });
  EXPECT_EQ(cls->DefaultMember, cells);
  std::unique_ptr<TfsDesignator> cell(b.D(&script, {{obj, {}}, {cells, {b.E({1})}}}));
  EXPECT_EQ(cell->GetValue().AsString(), "cell");
  cell->SetValue(Variant("x"));
  EXPECT_EQ(assigned.AsString(), "x");
  EXPECT_TRUE(cells->AssignedValue.IsNull());
}

TEST_F(HelpersTest, MembersAreFoundInTheAncestorAndTheFirstOfANameWins) {
  TfsClassVariable* base = script.AddClass(&TestBase::StaticClass(), "TComponent");
  base->AddProperty("Weight", "Integer", [](rtl::TObject*, TClass, const AnsiString&) { return Variant(1); });
  TfsClassVariable* derived = script.AddClass(&TestDerived::StaticClass(), "TTestBase");
  ASSERT_NE(derived, nullptr);
  EXPECT_EQ(derived->Find("weight"), base->Find("Weight"));
  TfsPropertyHelper* first =
      derived->AddProperty("Caption", "String", [](rtl::TObject*, TClass, const AnsiString&) { return Variant(1); });
  derived->AddProperty("Caption", "String", [](rtl::TObject*, TClass, const AnsiString&) { return Variant(2); });
  EXPECT_EQ(derived->Find("CAPTION"), first);
  EXPECT_EQ(derived->Find("Nothing"), nullptr);
  // A visible class is not registered again: none.
  EXPECT_EQ(script.AddClass(&TestBase::StaticClass(), "x"), nullptr);
  // A class that names itself as its ancestor does not loop.
  TfsClassVariable* odd = script.AddClass(&TestOdd::StaticClass(), "TTestOdd");
  EXPECT_EQ(odd->Find("Missing"), nullptr);
}

// A class with published properties of the common kinds.
class Label : public rtl::TComponent {
  RTL_CLASS_INFO
 public:
  AnsiString caption = "start";
  bool enabled = false;
  int count = 3;
  double ratio = 0.5;
  char letter = 'q';
  rtl::TComponent* buddy = nullptr;
};
const rtl::TClassInfo& Label::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<Label>("TTestLabel", &rtl::TComponent::StaticClass())
          .Property(
              "Caption", [](const Label& l) { return l.caption; }, [](Label& l, const AnsiString& v) { l.caption = v; })
          .Property(
              "Enabled", [](const Label& l) { return l.enabled; }, [](Label& l, bool v) { l.enabled = v; })
          .Property("Count", [](const Label& l) { return l.count; })
          .Property(
              "Ratio", [](const Label& l) { return l.ratio; }, [](Label& l, double v) { l.ratio = v; })
          .Ordinal(
              "Letter", rtl::pkChar, [](const Label& l) { return l.letter; }, [](Label& l, char v) { l.letter = v; })
          .Property(
              "Buddy", [](const Label& l) { return l.buddy; }, [](Label& l, rtl::TComponent* v) { l.buddy = v; })
          .Event("OnClick")
          .Build();
  return info;
}

TEST_F(HelpersTest, PublishedPropertiesReadAndWriteThroughTheReflection) {
  TfsClassVariable* labelClass = script.AddClass(&Label::StaticClass(), "TComponent");
  // A later AddProperty of a published name is never reached.
  labelClass->AddProperty("Caption", "String",
                          [](rtl::TObject*, TClass, const AnsiString&) { return Variant("hand"); });
  EXPECT_TRUE(labelClass->Find("Caption")->ReadOnly == false);
  EXPECT_EQ(labelClass->Find("OnClick"), nullptr);  // events are not values
  Label label, other;
  TfsVariable* obj = b.Var("obj", fvtVariant, fsObjectToVariant(&label));
  auto member = [&](const char* name) {
    return std::unique_ptr<TfsDesignator>(b.D(&script, {{obj, {}}, {labelClass->Find(name), {}}}));
  };
  struct Case {
    const char* name;
    TfsVarType type;
    Variant read;
    Variant write;
    Variant after;  // Empty: the write changes nothing
  };
  const Case cases[] = {
      {"Caption", fvtString, Variant("start"), Variant(12), Variant("12")},
      {"Enabled", fvtBool, Variant(false), Variant(true), Variant(true)},
      {"Count", fvtInt, Variant(3), Variant(9), Variant()},
      {"Ratio", fvtFloat, Variant(0.5), Variant(2), Variant(2.0)},
      {"Letter", fvtChar, Variant("q"), Variant("xyz"), Variant("x")},
      {"Tag", fvtInt, Variant(0), Variant(7), Variant(7)},
      {"Buddy", fvtClass, Variant(0), fsObjectToVariant(&other), fsObjectToVariant(&other)},
  };
  for (const Case& c : cases) {
    auto d = member(c.name);
    EXPECT_EQ(d->VarType, c.type) << c.name;
    EXPECT_TRUE(rtl::VarSameValue(d->GetValue(), c.read)) << c.name << ": " << rtl::VarToStr(d->GetValue());
    d->SetValue(c.write);
    if (!c.after.IsEmpty()) {
      EXPECT_TRUE(rtl::VarSameValue(d->GetValue(), c.after)) << c.name << ": " << rtl::VarToStr(d->GetValue());
    } else {
      EXPECT_TRUE(rtl::VarSameValue(d->GetValue(), c.read)) << c.name;
    }
  }
  EXPECT_TRUE(label.enabled);
  member("Enabled")->SetValue(Variant(false));
  EXPECT_FALSE(label.enabled);
  EXPECT_EQ(labelClass->Find("Buddy")->TypeIdent, "TComponent");
}

TEST_F(HelpersTest, GlobalFunctionWithoutHandlersAnswersZero) {
  TfsMethodHelper* f = script.AddMethod("function Nothing: Integer", TfsCallMethodNewEvent());
  std::unique_ptr<TfsDesignator> call(b.D(f));
  EXPECT_TRUE(rtl::VarSameValue(call->GetValue(), Variant(0)));
  EXPECT_EQ(f->HelpText, "Nothing");
  EXPECT_THROW(f->GetVParam(1), rtl::EListError);
}

TEST_F(HelpersTest, MemberCallsOnStaleOrForgedHandlesRaise) {
  int calls = 0;
  cls->AddMethod("procedure Press", [&](rtl::TObject*, TClass, const AnsiString&, TfsMethodHelper*) {
    ++calls;
    return Variant();
  });
  TfsVariable* obj = b.Var("obj", fvtVariant);
  std::unique_ptr<TfsDesignator> press(b.D(&script, {{obj, {}}, {cls->Find("Press"), {}}}));
  auto button = std::make_unique<Button>();
  obj->SetValue(fsObjectToVariant(button.get()));
  press->GetValue();
  EXPECT_EQ(calls, 1);
  button.reset();
  EXPECT_THROW(press->GetValue(), rtl::EInvalidPointer);
  obj->SetValue(Variant(424242));
  EXPECT_THROW(press->GetValue(), rtl::EInvalidPointer);
  EXPECT_EQ(calls, 1);
}

TEST_F(HelpersTest, TypecastPassesTheValueAndResets) {
  std::unique_ptr<TfsDesignator> cast(b.D(cls, {b.E({7})}));
  EXPECT_EQ(cast->GetValue().AsInteger(), 7);
  std::unique_ptr<TfsDesignator> bare(b.D(cls));
  EXPECT_EQ(bare->GetValue().AsInteger(), 0);  // nil until a constructor makes the object
}

TEST_F(HelpersTest, EventAssignmentRules) {
  cls->AddEvent("OnClick", [](rtl::TObject* host, TfsProcVariable* handler) -> TfsCustomEvent* {
    return new NotifyAdapter(host, handler, 0);
  });
  // procedure Clicked(Sender: TObject; Extra: Variant): counts and records Extra.
  TfsVariable* count = b.Var("Count", fvtInt, Variant(0));
  TfsVariable* extra = b.Var("Extra", fvtVariant, Variant(5));
  TfsProcVariable* clicked = b.Proc("Clicked", false, fvtClass, {{"Sender", fvtVariant}, {"Extra", fvtVariant}});
  TfsScript* local = clicked->LocalScope;
  b.Assign(local->MainStatement(), b.D(count, {}, local), b.E({b.D(count, {}, local), Op{"+"}, 1}, local));
  b.Assign(local->MainStatement(), b.D(extra, {}, local), b.E({b.D(clicked->GetParam(1), {}, local)}, local));
  TfsProcVariable* answer = b.Proc("Answer", true, fvtInt);
  TfsVariable* notAProc = b.Var("NotAProc", fvtInt);
  (void)answer;
  (void)notAProc;

  Button button;
  TfsVariable* obj = b.Var("obj", fvtVariant, fsObjectToVariant(&button));
  std::unique_ptr<TfsDesignator> onClick(b.D(&script, {{obj, {}}, {cls->Find("OnClick"), {}}}));

  onClick->SetValue(Variant("Clicked"));
  button.Click();
  EXPECT_EQ(count->GetValue().AsInteger(), 1);
  // The event supplies one argument; the second parameter gets Null.
  EXPECT_TRUE(extra->GetValue().IsNull());

  for (const Variant& clear : {Variant("0"), Variant(0)}) {
    onClick->SetValue(Variant("Clicked"));
    onClick->SetValue(clear);
    EXPECT_FALSE(button.OnClick) << rtl::VarToStr(clear);
  }
  onClick->SetValue(Variant("answer"));  // a function is a procedure item too
  EXPECT_TRUE(button.OnClick);
  for (const char* bad : {"NotAProc", "Missing"}) {
    try {
      onClick->SetValue(Variant(bad));
      FAIL() << bad;
    } catch (const rtl::Exception& e) {
      EXPECT_EQ(e.Message(), SEventError()) << bad;
    }
  }
  EXPECT_EQ(onClick->GetValue().AsString(), "");
}

TEST_F(HelpersTest, AdaptersUnhookInEveryOrderOfFreeing) {
  cls->AddEvent("OnClick", [](rtl::TObject* host, TfsProcVariable* handler) -> TfsCustomEvent* {
    return new NotifyAdapter(host, handler, 0);
  });
  enum class Order { ClearScript, FreeHostFirst, ReplaceHandler, FreeProcedureOnly, DestroyScript };
  for (Order order : {Order::ClearScript, Order::FreeHostFirst, Order::ReplaceHandler, Order::FreeProcedureOnly,
                      Order::DestroyScript}) {
    auto s = std::make_unique<TfsScript>();
    Builder sb(*s);
    TfsClassVariable* c = s->AddClass(buttonClass, "TComponent");
    c->AddEvent("OnClick", [](rtl::TObject* host, TfsProcVariable* handler) -> TfsCustomEvent* {
      return new NotifyAdapter(host, handler, 0);
    });
    TfsVariable* count = sb.Var("Count", fvtInt, Variant(0));
    TfsProcVariable* p = sb.Proc("P", false, fvtClass, {{"Sender", fvtVariant}});
    sb.Assign(p->LocalScope->MainStatement(), sb.D(count, {}, p->LocalScope),
              sb.E({sb.D(count, {}, p->LocalScope), Op{"+"}, 1}, p->LocalScope));
    sb.Proc("Q", false, fvtClass, {{"Sender", fvtVariant}});
    auto button = std::make_unique<Button>();
    TfsVariable* obj = sb.Var("obj", fvtVariant, fsObjectToVariant(button.get()));
    std::unique_ptr<TfsDesignator> onClick(sb.D(s.get(), {{obj, {}}, {c->Find("OnClick"), {}}}));
    onClick->SetValue(Variant("P"));
    button->Click();
    ASSERT_EQ(count->GetValue().AsInteger(), 1);

    switch (order) {
      case Order::ClearScript:
        onClick.reset();
        s->Clear();
        EXPECT_FALSE(button->OnClick);
        break;
      case Order::FreeHostFirst:
        button.reset();
        onClick.reset();
        s->Clear();
        break;
      case Order::ReplaceHandler:
        onClick->SetValue(Variant("Q"));
        onClick.reset();
        s->Clear();  // the first adapter must not clear Q's hook after the host changed hands
        EXPECT_FALSE(button->OnClick);
        break;
      case Order::FreeProcedureOnly:
        onClick.reset();
        s->Remove(p);
        delete p;
        button->Click();  // the adapter is quiet, the host is unhooked
        EXPECT_FALSE(button->OnClick);
        break;
      case Order::DestroyScript:
        onClick.reset();
        s.reset();
        EXPECT_FALSE(button->OnClick);
        break;
    }
    s.reset();
    if (button) button->Click();
    EXPECT_EQ(NotifyAdapter::live, 0) << int(order);
  }
}

TEST_F(HelpersTest, ComponentMembersTravelAsHandles) {
  auto owner = std::make_unique<rtl::TComponent>();
  auto* child = new Button;
  owner->InsertComponent(child);
  child->SetName("Ok");
  TfsComponentHelper* helper = cls->AddComponent(child);
  EXPECT_EQ(helper->Name, "Ok");
  EXPECT_EQ(fsVariantToObject(helper->GetValue()), child);
  Variant handle = helper->GetValue();
  owner.reset();
  EXPECT_THROW(fsVariantToObject(handle), rtl::EInvalidPointer);
}

}  // namespace

namespace {

class Unreflected : public rtl::TComponent {};

TEST(HostClassDescriptions, AClassWithoutReflectionGetsANameAndItsAncestorsProperties) {
  TClass cls = fsHostClass<Unreflected>("TUnreflected");
  EXPECT_EQ(cls, fsHostClass<Unreflected>("ignored later"));
  EXPECT_EQ(cls->Name(), "TUnreflected");
  EXPECT_TRUE(cls->InheritsFrom(rtl::TComponent::StaticClass()));
  TfsScript script;
  TfsClassVariable* registered = script.AddClass(cls, "TComponent");
  ASSERT_NE(registered, nullptr);
  EXPECT_NE(registered->Find("Tag"), nullptr);  // published by TComponent
}

}  // namespace
