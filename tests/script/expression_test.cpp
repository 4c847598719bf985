#include <gtest/gtest.h>

#include "platform/rtl/components.h"
#include "script/fs_iexpression.h"
#include "script_builder.h"

using namespace script;
using namespace script::testing;

namespace {

struct ExpressionTest : ::testing::Test {
  TfsScript script;
  Builder b{script};
};

TEST_F(ExpressionTest, PrecedenceAndGrouping) {
  struct Case {
    const char* what;
    std::initializer_list<Elem> elems;
    Variant expected;
  };
  const Case cases[] = {
      {"1 + 2 * 3", {1, Op{"+"}, 2, Op{"*"}, 3}, Variant(7)},
      {"(1 + 2) * 3", {Op{"("}, 1, Op{"+"}, 2, Op{")"}, Op{"*"}, 3}, Variant(9)},
      {"10 - 4 - 3", {10, Op{"-"}, 4, Op{"-"}, 3}, Variant(3)},
      {"2 * 3 div 4", {2, Op{"*"}, 3, Op{"div"}, 4}, Variant(1)},
      {"7 div 2", {7, Op{"div"}, 2}, Variant(3)},
      {"7 mod 2", {7, Op{"mod"}, 2}, Variant(1)},
      {"1 / 2", {1, Op{"/"}, 2}, Variant(0.5)},
      {"-2 * 3", {Op{"unminus"}, 2, Op{"*"}, 3}, Variant(-6)},
      {"2 * (3 + (4 - 1))", {2, Op{"*"}, Op{"("}, 3, Op{"+"}, Op{"("}, 4, Op{"-"}, 1, Op{")"}, Op{")"}}, Variant(12)},
      {"1 + 2 = 3", {1, Op{"+"}, 2, Op{"="}, 3}, Variant(true)},
      {"1 shl 4 + 1", {1, Op{"shl"}, 4, Op{"+"}, 1}, Variant(17)},
      {"'ab' + 'cd'", {Str{"ab"}, Op{"+"}, Str{"cd"}}, Variant("abcd")},
      {"'a' strcat 'b'", {Str{"a"}, Op{"strcat"}, Str{"b"}}, Variant("ab")},
      {"2 <> 3", {2, Op{"<>"}, 3}, Variant(true)},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TfsExpression> e(b.E(c.elems));
    EXPECT_TRUE(b.lastError.empty()) << c.what;
    EXPECT_TRUE(rtl::VarSameValue(e->GetValue(), c.expected)) << c.what << " gave " << rtl::VarToStr(e->GetValue());
  }
}

TEST_F(ExpressionTest, StrCatJoinsOnlyWhenTheLeftSideIsText) {
  TfsVariable* v = b.Var("v", fvtVariant);
  std::unique_ptr<TfsExpression> e(b.E({b.D(v), Op{"strcat"}, 2}));
  v->SetValue(Variant("a"));
  EXPECT_TRUE(rtl::VarSameValue(e->GetValue(), Variant("a2")));
  v->SetValue(Variant(1));
  EXPECT_EQ(e->GetValue().AsInteger(), 3);
}

TEST_F(ExpressionTest, NotAndUnaryMinusBindTighterThanRelations) {
  TfsVariable* a = b.Var("a", fvtBool, Variant(false));
  TfsVariable* x = b.Var("x", fvtInt, Variant(2));
  // not a = b compares (not a) with b: (not false) = true is true.
  std::unique_ptr<TfsExpression> e1(b.E({Op{"not"}, b.D(a), Op{"="}, true}));
  EXPECT_TRUE(e1->GetValue().AsBoolean());
  // -x * 3 is (-x) * 3.
  std::unique_ptr<TfsExpression> e2(b.E({Op{"unminus"}, b.D(x), Op{"*"}, 3}));
  EXPECT_EQ(e2->GetValue().AsInteger(), -6);
}

TEST_F(ExpressionTest, TypingOfResultsAndTypeErrors) {
  TfsVariable* flag = b.Var("flag", fvtBool, Variant(true));
  TfsVariable* s = b.Var("s", fvtString, Variant("x"));
  struct Case {
    const char* what;
    std::initializer_list<Elem> elems;
    TfsVarType type;
    const char* errorAt;  // "" when it compiles
  };
  const Case cases[] = {
      {"1 / 2 is float", {1, Op{"/"}, 2}, fvtFloat, ""},
      {"1 + 2.5 is float", {1, Op{"+"}, 2.5}, fvtFloat, ""},
      {"2.5 * 2 is float", {2.5, Op{"*"}, 2}, fvtFloat, ""},
      {"7 div 2 is int", {7, Op{"div"}, 2}, fvtInt, ""},
      {"1 < 2 is boolean", {1, Op{"<"}, 2}, fvtBool, ""},
      {"'a' + 'b' is string", {Str{"a"}, Op{"+"}, Str{"b"}}, fvtString, ""},
      {"'a' + 1 refused", {Str{"a"}, Op{"+"}, 1}, fvtString, "1:2"},
      {"s * 2 refused", {b.D(s), Op{"*"}, Str{"2"}}, fvtString, "1:2"},
      {"flag < flag refused", {b.D(flag), Op{"<"}, true}, fvtBool, "1:2"},
      {"flag and 1 < 2 fine", {b.D(flag), Op{"and"}, Op{"("}, 1, Op{"<"}, 2, Op{")"}}, fvtBool, ""},
      {"first error is the inner one", {Op{"("}, Str{"a"}, Op{"-"}, Str{"b"}, Op{")"}, Op{"+"}, 1}, fvtString, "1:3"},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TfsExpression> e(b.E(c.elems));
    EXPECT_EQ(b.lastError, c.errorAt) << c.what;
    if (!*c.errorAt) {
      EXPECT_EQ(e->VarType, c.type) << c.what;
    }
  }
}

TEST_F(ExpressionTest, BooleanOperandsShortCircuitWithACountingHostFunction) {
  int calls = 0;
  TfsMethodHelper* probe = script.AddMethod("function Probe(v: Boolean): Boolean",
                                            [&](rtl::TObject*, TClass, const AnsiString&, TfsMethodHelper* caller) {
                                              ++calls;
                                              return caller->GetVParam(0);
                                            });
  auto probeCall = [&](bool v) { return b.D(probe, {b.E({v})}); };
  struct Case {
    const char* op;
    bool left;
    Variant expected;
    int calls;
  };
  const Case cases[] = {
      {"and", false, Variant(false), 1},
      {"and", true, Variant(true), 2},
      {"or", true, Variant(true), 1},
      {"or", false, Variant(true), 2},
  };
  for (const Case& c : cases) {
    calls = 0;
    std::unique_ptr<TfsExpression> e(b.E({probeCall(c.left), Op{c.op}, probeCall(true)}));
    EXPECT_TRUE(rtl::VarSameValue(e->GetValue(), c.expected)) << c.op << " " << c.left;
    EXPECT_EQ(calls, c.calls) << c.op << " " << c.left;
  }
  // Integer operands combine bitwise and evaluate both sides.
  std::unique_ptr<TfsExpression> bits(b.E({6, Op{"and"}, 3}));
  EXPECT_EQ(bits->GetValue().AsInteger(), 2);
}

TEST_F(ExpressionTest, SetMembershipInConstructorsAndStoredSets) {
  TfsVariable* x = b.Var("x", fvtInt);
  TfsVariable* stored = b.Var("stored", fvtVariant);
  // [1, 3..5]
  auto makeSet = [&] { return b.Set({b.E({1}), b.E({3}), nullptr, b.E({5})}); };
  std::unique_ptr<TfsSetExpression> keep(makeSet());
  stored->SetValue(keep->GetValue());
  std::unique_ptr<TfsExpression> inConstructor(b.E({b.D(x), Op{"in"}, makeSet()}));
  std::unique_ptr<TfsExpression> inVariable(b.E({b.D(x), Op{"in"}, b.D(stored)}));
  std::unique_ptr<TfsExpression> inEmpty(b.E({b.D(x), Op{"in"}, b.Set({})}));
  for (int v : {0, 1, 2, 3, 4, 5, 6}) {
    x->SetValue(Variant(v));
    const bool expected = v == 1 || (v >= 3 && v <= 5);
    EXPECT_EQ(inConstructor->GetValue().AsBoolean(), expected) << v;
    EXPECT_EQ(inVariable->GetValue().AsBoolean(), expected) << v;
    EXPECT_FALSE(inEmpty->GetValue().AsBoolean()) << v;
  }
}

FS_TEST_CLASS(Shape, rtl::TComponent, "TShape")
FS_TEST_CLASS(Circle, Shape, "TCircle")

TEST_F(ExpressionTest, IsTestsOnlyLiveObjectsOfTheClass) {
  TClass shapeClass = &Shape::StaticClass();
  TClass circleClass = &Circle::StaticClass();
  script.AddClass(shapeClass, "TComponent");
  script.AddClass(circleClass, "TShape");
  TfsVariable* obj = b.Var("obj", fvtVariant);
  std::unique_ptr<TfsExpression> isCircle(b.E({b.D(obj), Op{"is"}, b.D(script.FindClass("TCircle"))}));
  std::unique_ptr<TfsExpression> isShape(b.E({b.D(obj), Op{"is"}, b.D(script.FindClass("TShape"))}));

  auto circle = std::make_unique<Circle>();
  auto shape = std::make_unique<Shape>();
  obj->SetValue(fsObjectToVariant(circle.get()));
  EXPECT_TRUE(isCircle->GetValue().AsBoolean());
  EXPECT_TRUE(isShape->GetValue().AsBoolean());
  obj->SetValue(fsObjectToVariant(shape.get()));
  EXPECT_FALSE(isCircle->GetValue().AsBoolean());
  EXPECT_TRUE(isShape->GetValue().AsBoolean());

  // nil, a number that was never a handle, and the handle of a freed object.
  Variant stale = fsObjectToVariant(circle.get());
  circle.reset();
  for (const Variant& v : {Variant(0), Variant(12345), Variant(-7), stale, Variant("text")}) {
    obj->SetValue(v);
    EXPECT_FALSE(isShape->GetValue().AsBoolean()) << rtl::VarToStr(v);
  }
}

TEST_F(ExpressionTest, CompoundAssignmentRecognition) {
  TfsVariable* x = b.Var("x", fvtInt, Variant(5));
  TfsVariable* y = b.Var("y", fvtInt, Variant(2));
  TfsVariable* s = b.Var("s", fvtString, Variant("b"));
  struct Case {
    const char* what;
    TfsVariable* target;
    std::function<TfsExpression*()> build;
    const char* modifier;
    Variant rest;  // value of what remains
  };
  const Case cases[] = {
      {"x := x + 1", x,
       [&] {
         return b.E({b.D(x), Op{"+"}, 1});
       },
       "+", Variant(1)},
      {"x := 1 + x", x,
       [&] {
         return b.E({1, Op{"+"}, b.D(x)});
       },
       "+", Variant(1)},
      {"x := x - y", x,
       [&] {
         return b.E({b.D(x), Op{"-"}, b.D(y)});
       },
       "-", Variant(2)},
      {"x := 3 - x stays", x,
       [&] {
         return b.E({3, Op{"-"}, b.D(x)});
       },
       " ", Variant(-2)},
      {"x := x * 2", x,
       [&] {
         return b.E({b.D(x), Op{"*"}, 2});
       },
       "*", Variant(2)},
      {"x := 2 * x", x,
       [&] {
         return b.E({2, Op{"*"}, b.D(x)});
       },
       "*", Variant(2)},
      {"x := x / 2", x,
       [&] {
         return b.E({b.D(x), Op{"/"}, 2});
       },
       "/", Variant(2)},
      {"x := y + 1 stays", x,
       [&] {
         return b.E({b.D(y), Op{"+"}, 1});
       },
       " ", Variant(3)},
      {"x := x + 1 * 2 keeps the product", x,
       [&] {
         return b.E({b.D(x), Op{"+"}, 1, Op{"*"}, 2});
       },
       "+", Variant(2)},
      {"s := 'a' + s stays", s,
       [&] {
         return b.E({Str{"a"}, Op{"+"}, b.D(s)});
       },
       " ", Variant("ab")},
      {"s := s strcat 1 stays", s,
       [&] {
         return b.E({b.D(s), Op{"strcat"}, 1});
       },
       " ", Variant("b1")},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TfsExpression> e(c.build());
    std::unique_ptr<TfsDesignator> target(b.D(c.target));
    EXPECT_EQ(e->Optimize(target.get()), c.modifier) << c.what;
    EXPECT_TRUE(rtl::VarSameValue(e->GetValue(), c.rest)) << c.what << ": " << rtl::VarToStr(e->GetValue());
  }
}

TEST_F(ExpressionTest, SingleItemAndWritingThroughAnExpression) {
  TfsVariable* x = b.Var("x", fvtInt, Variant(1));
  std::unique_ptr<TfsExpression> plain(b.E({b.D(x)}));
  EXPECT_EQ(plain->SingleItem(), x);
  EXPECT_FALSE(plain->ReadOnly);
  plain->SetValue(Variant(9));
  EXPECT_EQ(x->GetValue().AsInteger(), 9);

  std::unique_ptr<TfsExpression> constant(b.E({4}));
  ASSERT_NE(constant->SingleItem(), nullptr);
  EXPECT_EQ(constant->SingleItem()->GetValue().AsInteger(), 4);
  constant->SetValue(Variant(1));  // no effect on anything
  EXPECT_EQ(constant->GetValue().AsInteger(), 4);

  std::unique_ptr<TfsExpression> sum(b.E({b.D(x), Op{"+"}, 1}));
  EXPECT_EQ(sum->SingleItem(), nullptr);
  EXPECT_TRUE(sum->ReadOnly);
}

TEST_F(ExpressionTest, RuntimeErrorsOfTheValueTypePassThrough) {
  TfsVariable* s = b.Var("s", fvtVariant, Variant("abc"));
  std::unique_ptr<TfsExpression> divide(b.E({1, Op{"div"}, 0}));
  EXPECT_THROW(divide->GetValue(), rtl::Exception);
  std::unique_ptr<TfsExpression> convert(b.E({b.D(s), Op{"*"}, 2}));
  EXPECT_THROW(convert->GetValue(), rtl::EConvertError);
}

TEST_F(ExpressionTest, TooManyElementsIsAClearError) {
  auto e = std::make_unique<TfsExpression>(&script);
  EXPECT_THROW(
      {
        for (int i = 0; i < 100000; ++i) {
          e->AddConst(Variant(1));
          e->AddOperator("+");
        }
      },
      rtl::Exception);
}

TEST_F(ExpressionTest, UnbalancedClosingBracketIsAnError) {
  auto e = std::make_unique<TfsExpression>(&script);
  e->AddConst(Variant(1));
  EXPECT_THROW(e->AddOperator(")"), rtl::Exception);
}

}  // namespace
