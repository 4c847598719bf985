#include <gtest/gtest.h>

#include "script_builder.h"

using namespace script;
using namespace script::testing;

namespace {

// A main program built statement by statement, with a "Log" text that the
// statements append to.
struct StatementsTest : ::testing::Test {
  TfsScript script;
  Builder b{script};
  TfsStatement* main = script.MainStatement();
  TfsVariable* log = b.Var("Log", fvtString, Variant(""));

  // Log := Log + <expression> + ' '
  void Append(TfsStatement* into, TfsDesignator* what, TfsScript* in = nullptr) {
    TfsScript* owner = in ? in : &script;
    TfsVariable* text = b.Var(("__t" + std::to_string(++temp)).c_str(), fvtString, Variant(), owner);
    b.Assign(into, b.D(text, {}, owner), b.E({what}, owner), owner);
    b.Assign(into, b.D(log, {}, owner),
             b.E({b.D(log, {}, owner), Op{"+"}, b.D(text, {}, owner), Op{"+"}, Str{" "}}, owner), owner);
  }
  std::string Log() { return log->GetValue().AsString(); }
  int temp = 0;
};

TEST_F(StatementsTest, PascalForRoundsAndFinalCounter) {
  struct Case {
    int start, stop;
    bool downward;
    bool bodyAssignsTen;
    const char* rounds;
    int finalCounter;  // 77: unchanged
  };
  const Case cases[] = {
      {1, 3, false, false, "1 2 3 ", 3}, {5, 1, false, false, "", 77},     {1, 5, true, false, "", 77},
      {1, 1, false, false, "1 ", 1},     {3, 1, true, false, "3 2 1 ", 1}, {1, 3, false, true, "1 2 3 ", 3},
  };
  for (const Case& c : cases) {
    main->Clear();
    log->SetValue(Variant(""));
    TfsVariable* i = b.Var("i", fvtInt, Variant(77));
    auto* loop = b.Add<TfsForStmt>(main);
    loop->Counter = i;
    loop->StartExpr = b.E({c.start});
    loop->StopExpr = b.E({c.stop});
    loop->Downward = c.downward;
    Append(loop, b.D(i));
    if (c.bodyAssignsTen) b.Assign(loop, b.D(i), b.E({10}));
    script.Execute();
    EXPECT_EQ(Log(), c.rounds) << c.start << ".." << c.stop;
    EXPECT_EQ(i->GetValue().AsInteger(), c.finalCounter) << c.start << ".." << c.stop;
  }
}

TEST_F(StatementsTest, PascalForBoundsAreFloatsRoundedHalfToEven) {
  TfsVariable* i = b.Var("i", fvtInt);
  auto* loop = b.Add<TfsForStmt>(main);
  loop->Counter = i;
  loop->StartExpr = b.E({0.5});  // 0
  loop->StopExpr = b.E({2.5});   // 2
  Append(loop, b.D(i));
  script.Execute();
  EXPECT_EQ(Log(), "0 1 2 ");
}

TEST_F(StatementsTest, BasicForWithFractionalAndNegativeSteps) {
  struct Case {
    Variant start, stop, step;
    const char* rounds;
  };
  const Case cases[] = {
      {Variant(0), Variant(1), Variant(0.5), "0 0,5 1 "},
      {Variant(3), Variant(1), Variant(-1), "3 2 1 "},
      {Variant(1), Variant(3), Variant(), "1 2 3 "},
      {Variant(3), Variant(1), Variant(), ""},
  };
  for (const Case& c : cases) {
    main->Clear();
    log->SetValue(Variant(""));
    TfsVariable* i = b.Var("i", fvtVariant);
    auto* loop = b.Add<TfsVbForStmt>(main);
    loop->Counter = i;
    loop->StartExpr = b.E({c.start});
    loop->StopExpr = b.E({c.stop});
    if (!c.step.IsEmpty()) loop->StepExpr = b.E({c.step});
    Append(loop, b.D(i));
    script.Execute();
    EXPECT_EQ(Log(), c.rounds);
  }
}

TEST_F(StatementsTest, StepZeroLoopsUntilTheBodyLeaves) {
  TfsVariable* i = b.Var("i", fvtVariant);
  TfsVariable* n = b.Var("n", fvtInt, Variant(0));
  auto* loop = b.Add<TfsVbForStmt>(main);
  loop->Counter = i;
  loop->StartExpr = b.E({1});
  loop->StopExpr = b.E({2});
  loop->StepExpr = b.E({0});
  b.Assign(loop, b.D(n), b.E({b.D(n), Op{"+"}, 1}));
  auto* stop = b.Add<TfsIfStmt>(loop);
  stop->Test = b.E({b.D(n), Op{"="}, 5});
  b.Add<TfsBreakStmt>(stop);
  script.Execute();
  EXPECT_EQ(n->GetValue().AsInteger(), 5);
}

TEST_F(StatementsTest, InnerBreakLeavesOnlyTheInnerLoop) {
  TfsVariable* i = b.Var("i", fvtInt);
  TfsVariable* j = b.Var("j", fvtInt);
  auto* outer = b.Add<TfsForStmt>(main);
  outer->Counter = i;
  outer->StartExpr = b.E({1});
  outer->StopExpr = b.E({2});
  auto* inner = b.Add<TfsForStmt>(outer);
  inner->Counter = j;
  inner->StartExpr = b.E({1});
  inner->StopExpr = b.E({3});
  auto* leave = b.Add<TfsIfStmt>(inner);
  leave->Test = b.E({b.D(j), Op{"="}, 2});
  b.Add<TfsBreakStmt>(leave);
  Append(inner, b.D(j));
  Append(outer, b.D(i));
  script.Execute();
  EXPECT_EQ(Log(), "1 1 1 2 ");
}

TEST_F(StatementsTest, ContinueInRepeatStillEvaluatesTheTest) {
  TfsVariable* n = b.Var("n", fvtInt, Variant(0));
  auto* loop = b.Add<TfsRepeatStmt>(main);
  loop->Test = b.E({b.D(n), Op{">="}, 3});
  b.Assign(loop, b.D(n), b.E({b.D(n), Op{"+"}, 1}));
  b.Add<TfsContinueStmt>(loop);
  Append(loop, b.D(n));  // never reached
  script.Execute();
  EXPECT_EQ(n->GetValue().AsInteger(), 3);
  EXPECT_EQ(Log(), "");
}

TEST_F(StatementsTest, WhileAndDoWhileAndCppFor) {
  TfsVariable* n = b.Var("n", fvtInt, Variant(0));
  // while n < 3 do n := n + 1
  auto* w = b.Add<TfsWhileStmt>(main);
  w->Test = b.E({b.D(n), Op{"<"}, 3});
  b.Assign(w, b.D(n), b.E({b.D(n), Op{"+"}, 1}));
  // do { n := n + 10 } while (n < 0): runs once
  auto* d = b.Add<TfsRepeatStmt>(main);
  d->WhileForm = true;
  d->Test = b.E({b.D(n), Op{"<"}, 0});
  b.Assign(d, b.D(n), b.E({b.D(n), Op{"+"}, 10}));
  // for (i = 0; i < 3; i++) Log += i
  TfsVariable* i = b.Var("i", fvtInt);
  auto* f = b.Add<TfsCppForStmt>(main);
  b.Assign(f->InitPart, b.D(i), b.E({0}));
  f->Test = b.E({b.D(i), Op{"<"}, 3});
  b.Call(f->StepPart, b.D(i))->Modifier = "+";
  Append(f, b.D(i));
  script.Execute();
  EXPECT_EQ(n->GetValue().AsInteger(), 13);
  EXPECT_EQ(Log(), "0 1 2 ");
}

TEST_F(StatementsTest, CaseValueIsEvaluatedOnceAndOnlyOneBranchRuns) {
  int reads = 0;
  TfsMethodHelper* value =
      script.AddMethod("function Pick: Integer", [&](rtl::TObject*, TClass, const AnsiString&, TfsMethodHelper*) {
        ++reads;
        return Variant(4);
      });
  for (bool withMatch : {true, false}) {
    main->Clear();
    log->SetValue(Variant(""));
    reads = 0;
    auto* c = b.Add<TfsCaseStmt>(main);
    c->CaseValue = b.E({b.D(value)});
    const int labels[][2] = {{1, 2}, {3, withMatch ? 5 : 3}, {withMatch ? 4 : 6, withMatch ? 4 : 6}};
    for (int k = 0; k < 3; ++k) {
      auto* sel = b.Add<TfsCaseSelector>(c);
      sel->Labels = b.Set({b.E({labels[k][0]}), nullptr, b.E({labels[k][1]})});
      Append(sel, b.D(&script, {{b.Var(("k" + std::to_string(k)).c_str(), fvtInt, Variant(k)), {}}}));
    }
    if (!withMatch) Append(c->ElsePart, b.D(&script, {{b.Var("e", fvtString, Variant("else")), {}}}));
    script.Execute();
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(Log(), withMatch ? "1 " : "else ");
  }
  // No match and no else: nothing runs.
  main->Clear();
  log->SetValue(Variant(""));
  auto* c = b.Add<TfsCaseStmt>(main);
  c->CaseValue = b.E({9});
  auto* sel = b.Add<TfsCaseSelector>(c);
  sel->Labels = b.Set({b.E({1})});
  Append(sel, b.D(log));
  script.Execute();
  EXPECT_EQ(Log(), "");
}

TEST_F(StatementsTest, TryExceptSetsTheExceptionVariablesAndGoesOn) {
  script.AddVariable("ExceptionClassName", "String", Variant(""));
  script.AddVariable("ExceptionMessage", "String", Variant(""));
  TfsVariable* x = b.Var("x", fvtInt, Variant(0));
  auto* t = b.Add<TfsTryStmt>(main);
  t->CatchForm = true;
  b.Assign(t, b.D(x), b.E({Str{"oops"}}));  // a conversion error
  Append(t, b.D(x));                        // not reached
  Append(t->HandlerPart, b.D(script.FindLocal("ExceptionMessage")));
  Append(main, b.D(script.FindLocal("ExceptionClassName")));
  script.Execute();
  EXPECT_EQ(Log(), "Could not convert variant of type (String) into type (Integer) EConvertError ");
}

TEST_F(StatementsTest, TryFinallyRunsTheFinallyPartAndPassesTheError) {
  TfsVariable* x = b.Var("x", fvtInt, Variant(0));
  auto* t = b.Add<TfsTryStmt>(main);
  b.Assign(t, b.D(x), b.E({Str{"oops"}}));
  Append(t->HandlerPart, b.D(x));
  Append(t->HandlerPart, b.D(x));
  EXPECT_THROW(script.Execute(), rtl::EConvertError);
  EXPECT_EQ(Log(), "0 0 ");
  EXPECT_FALSE(script.BodyRunning);
  EXPECT_FALSE(script.ExitPending);
}

TEST_F(StatementsTest, ExitAndBreakThroughFinallyRunTheWholeFinallyPart) {
  // function F: try Result := 1; exit; Result := 2 finally Log += 'a'; Log += 'b' end; Result := 3
  TfsProcVariable* f = b.Proc("F", true, fvtInt);
  TfsScript* local = f->LocalScope;
  Builder lb(*local);
  auto* t = lb.Add<TfsTryStmt>(local->MainStatement());
  lb.Assign(t, lb.D(f->LinkedItem), lb.E({1}, local));
  lb.Add<TfsExitStmt>(t);
  lb.Assign(t, lb.D(f->LinkedItem), lb.E({2}, local));
  TfsVariable* a = b.Var("a", fvtString, Variant("a"));
  TfsVariable* bb = b.Var("bb", fvtString, Variant("b"));
  Append(t->HandlerPart, b.D(a, {}, local), local);
  Append(t->HandlerPart, b.D(bb, {}, local), local);
  lb.Assign(local->MainStatement(), lb.D(f->LinkedItem), lb.E({3}, local));
  EXPECT_EQ(script.CallFunction("F", Variant::Null()).AsInteger(), 1);
  EXPECT_EQ(Log(), "a b ");

  // while true do try break finally Log += 'c'; Log += 'd' end
  log->SetValue(Variant(""));
  auto* w = b.Add<TfsWhileStmt>(main);
  w->Test = b.E({true});
  auto* t2 = b.Add<TfsTryStmt>(w);
  b.Add<TfsBreakStmt>(t2);
  TfsVariable* c = b.Var("c", fvtString, Variant("c"));
  TfsVariable* d = b.Var("d", fvtString, Variant("d"));
  Append(t2->HandlerPart, b.D(c));
  Append(t2->HandlerPart, b.D(d));
  script.Execute();
  EXPECT_EQ(Log(), "c d ");
}

TEST_F(StatementsTest, StrayBreakDoesNotCutLaterRunsShort) {
  // procedure P: break; (outside any loop) then Log += 'p'
  TfsProcVariable* p = b.Proc("P", false, fvtClass);
  TfsScript* local = p->LocalScope;
  b.Add<TfsBreakStmt>(local->MainStatement());
  // main: P; for i := 1 to 2 do Log += i
  b.Call(main, b.D(p));
  TfsVariable* i = b.Var("i", fvtInt);
  auto* loop = b.Add<TfsForStmt>(main);
  loop->Counter = i;
  loop->StartExpr = b.E({1});
  loop->StopExpr = b.E({2});
  Append(loop, b.D(i));
  script.Execute();
  EXPECT_EQ(Log(), "1 2 ");
  EXPECT_FALSE(local->BreakPending);
  // A stray break in the main program does not stop the next run.
  b.Add<TfsBreakStmt>(main);
  script.Execute();
  script.Execute();
  EXPECT_EQ(Log(), "1 2 1 2 1 2 ");
}

TEST_F(StatementsTest, OnRunLineFollowsTheStatementsInOrder) {
  std::vector<std::string> lines;
  script.OnRunLine = [&](TfsScript*, const AnsiString&, const AnsiString& pos) { lines.push_back(pos); };
  TfsVariable* i = b.Var("i", fvtInt);
  b.line = 0;
  b.Assign(main, b.D(i), b.E({0}));     // 1:1
  auto* w = b.Add<TfsWhileStmt>(main);  // 2:1
  w->Test = b.E({b.D(i), Op{"<"}, 2});
  b.Assign(w, b.D(i), b.E({b.D(i), Op{"+"}, 1}));  // 3:1
  auto* never = b.Add<TfsWhileStmt>(main);         // 4:1
  never->Test = b.E({false});
  b.Assign(never, b.D(i), b.E({0}));  // 5:1
  b.Add<TfsBreakStmt>(main);          // 6:1: reports nothing
  script.Execute();
  EXPECT_EQ(lines, (std::vector<std::string>{"1:1", "2:1", "3:1", "3:1", "4:1"}));
}

TEST_F(StatementsTest, TerminateStopsTheProcedureAndTheMainProgram) {
  script.AddMethod("procedure Stop", [&](rtl::TObject*, TClass, const AnsiString&, TfsMethodHelper*) {
    script.Terminate();
    return Variant();
  });
  TfsProcVariable* p = b.Proc("P", false, fvtClass);
  TfsScript* local = p->LocalScope;
  TfsVariable* afterStop = b.Var("AfterStop", fvtString, Variant("inner"));
  b.Call(local->MainStatement(), b.D(script.FindLocal("Stop"), {}, local));
  Append(local->MainStatement(), b.D(afterStop, {}, local), local);
  b.Call(main, b.D(p));
  Append(main, b.D(b.Var("Outer", fvtString, Variant("outer"))));
  script.Execute();
  EXPECT_EQ(Log(), "");
  EXPECT_FALSE(script.TerminateRequested);  // cleared when the run ends
}

TEST_F(StatementsTest, CallStatementIncrementsAndWithStoresTheObject) {
  TfsVariable* n = b.Var("n", fvtInt, Variant(5));
  b.Call(main, b.D(n))->Modifier = "+";
  b.Call(main, b.D(n))->Modifier = "+";
  b.Call(main, b.D(n))->Modifier = "-";
  TfsVariable* hidden = b.Var("_WithList_0", fvtVariant);
  auto* with = b.Add<TfsWithStmt>(main);
  with->ObjectDesignator = b.D(n);
  with->WithVariable = hidden;
  script.Execute();
  EXPECT_EQ(n->GetValue().AsInteger(), 6);
  EXPECT_EQ(hidden->GetValue().AsInteger(), 6);
}

TEST_F(StatementsTest, CompoundAssignmentStatements) {
  struct Case {
    std::function<TfsAssignmentStmt*(TfsScript*)> make;
    Variant start, operand, expected;
  };
  const Case cases[] = {
      {[](TfsScript* s) { return new TfsAssignPlusStmt(s); }, Variant(5), Variant(2), Variant(7)},
      {[](TfsScript* s) { return new TfsAssignMinusStmt(s); }, Variant(5), Variant(2), Variant(3)},
      {[](TfsScript* s) { return new TfsAssignMulStmt(s); }, Variant(5), Variant(2), Variant(10)},
      {[](TfsScript* s) { return new TfsAssignDivStmt(s); }, Variant(5), Variant(2), Variant(2.5)},
  };
  for (const Case& c : cases) {
    main->Clear();
    TfsVariable* x = b.Var("x", fvtVariant, c.start);
    TfsAssignmentStmt* st = c.make(&script);
    st->TargetDesignator = b.D(x);
    st->ValueExpr = b.E({c.operand});
    st->Optimize();
    main->Add(st);
    script.Execute();
    EXPECT_TRUE(rtl::VarSameValue(x->GetValue(), c.expected)) << rtl::VarToStr(x->GetValue());
  }
}

}  // namespace
