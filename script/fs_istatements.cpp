// Statements: blocks, assignments, calls, branches, the loops of the four
// languages, try, and the control transfers.
#include "script/fs_istatements.h"

#include <cstdlib>
#include <memory>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/type_names.h"

namespace script {

TfsStatement::TfsStatement(TfsScript* script, const AnsiString& position, const AnsiString& unitName)
    : OwnerScript(script), Position(position), UnitName(unitName) {}

void TfsStatement::RunLine() { OwnerScript->RunLine(UnitName, Position); }

bool TfsStatement::Stopped() {
  RunLine();
  return OwnerScript->TerminateRequested;
}

void TfsStatement::Execute() {
  TfsScript& s = *OwnerScript;
  for (int i = 0; i < Count(); ++i) {
    if (s.TerminateRequested) break;
    GetItem(i)->Execute();
    if (s.BreakPending || s.ContinuePending || s.ExitPending) break;
  }
}

// ---- assignments -----------------------------------------------------------

TfsAssignmentStmt::~TfsAssignmentStmt() {
  delete TargetDesignator;
  delete ValueExpr;
}

void TfsAssignmentStmt::Optimize() {
  FastTarget = dynamic_cast<TfsVariableDesignator*>(TargetDesignator)
                   ? TargetDesignator->LinkedItem
                   : static_cast<TfsCustomVariable*>(TargetDesignator);
  FastValue = ValueExpr;
  if (auto* expression = dynamic_cast<TfsExpression*>(ValueExpr))
    if (TfsCustomVariable* single = expression->SingleItem()) FastValue = single;
}

Variant TfsAssignmentStmt::Combine(const Variant&, const Variant& value) { return value; }

void TfsAssignmentStmt::Execute() {
  if (Stopped()) return;
  if (!FastTarget || !FastValue) Optimize();
  if (compound_) {
    Variant t = FastTarget->GetValue();
    Variant e = FastValue->GetValue();
    FastTarget->SetValue(Combine(t, e));
  } else {
    FastTarget->SetValue(FastValue->GetValue());
  }
}

#define FS_COMPOUND_ASSIGNMENT(Class, Operation)                                          \
  Class::Class(TfsScript* script, const AnsiString& position, const AnsiString& unitName) \
      : TfsAssignmentStmt(script, position, unitName) {                                   \
    compound_ = true;                                                                     \
  }                                                                                       \
  Variant Class::Combine(const Variant& target, const Variant& value) { return Operation(target, value); }

FS_COMPOUND_ASSIGNMENT(TfsAssignPlusStmt, rtl::VarAdd)
FS_COMPOUND_ASSIGNMENT(TfsAssignMinusStmt, rtl::VarSub)
FS_COMPOUND_ASSIGNMENT(TfsAssignMulStmt, rtl::VarMul)
FS_COMPOUND_ASSIGNMENT(TfsAssignDivStmt, rtl::VarDiv)
#undef FS_COMPOUND_ASSIGNMENT

// ---- calls and branches ----------------------------------------------------

TfsCallStmt::~TfsCallStmt() { delete CallDesignator; }

void TfsCallStmt::Execute() {
  if (Stopped()) return;
  if (Modifier.empty()) {
    CallDesignator->WantsResult = false;
    CallDesignator->GetValue();
  } else if (Modifier == "+") {
    CallDesignator->SetValue(rtl::VarAdd(CallDesignator->GetValue(), Variant(1)));
  } else if (Modifier == "-") {
    CallDesignator->SetValue(rtl::VarSub(CallDesignator->GetValue(), Variant(1)));
  }
}

TfsIfStmt::TfsIfStmt(TfsScript* script, const AnsiString& position, const AnsiString& unitName)
    : TfsStatement(script, position, unitName), ElsePart(new TfsStatement(script, position, unitName)) {}

TfsIfStmt::~TfsIfStmt() {
  delete Test;
  delete ElsePart;
}

void TfsIfStmt::Execute() {
  if (Stopped()) return;
  if (Test->GetValue().AsBoolean())
    TfsStatement::Execute();
  else
    ElsePart->Execute();
}

TfsCaseSelector::~TfsCaseSelector() { delete Labels; }

TfsCaseStmt::TfsCaseStmt(TfsScript* script, const AnsiString& position, const AnsiString& unitName)
    : TfsStatement(script, position, unitName), ElsePart(new TfsStatement(script, position, unitName)) {}

TfsCaseStmt::~TfsCaseStmt() {
  delete CaseValue;
  delete ElsePart;
}

void TfsCaseStmt::Execute() {
  Variant value = CaseValue->GetValue();
  if (Stopped()) return;
  for (int i = 0; i < Count(); ++i) {
    auto* selector = static_cast<TfsCaseSelector*>(GetItem(i));
    if (selector->Check(value)) {
      selector->Execute();
      return;
    }
  }
  ElsePart->Execute();
}

// ---- loops -----------------------------------------------------------------

namespace {
// After a round: whether the loop leaves; continue is used up either way. A
// round that reported no line (an empty body: "while True do ;") reports the
// loop's own, so a host watching OnRunLine can still stop it; a terminate
// request from another thread is seen at every round too.
bool RoundEnds(TfsStatement& loop, TfsScript& s, std::uint64_t linesBefore) {
  if (s.LinesRun == linesBefore) loop.RunLine();
  if (s.BreakPending || s.ExitPending || s.TerminateRequested) return true;
  s.ContinuePending = false;
  return false;
}
}  // namespace

TfsRepeatStmt::~TfsRepeatStmt() { delete Test; }

void TfsRepeatStmt::Execute() {
  if (Stopped()) return;
  TfsScript& s = *OwnerScript;
  for (;;) {
    const std::uint64_t linesBefore = s.LinesRun;
    TfsStatement::Execute();
    if (RoundEnds(*this, s, linesBefore)) break;
    bool test = Test->GetValue().AsBoolean();
    if (WhileForm ? !test : test) break;
  }
  s.BreakPending = false;
}

TfsWhileStmt::~TfsWhileStmt() { delete Test; }

void TfsWhileStmt::Execute() {
  if (Stopped()) return;
  TfsScript& s = *OwnerScript;
  while (Test->GetValue().AsBoolean()) {
    const std::uint64_t linesBefore = s.LinesRun;
    TfsStatement::Execute();
    if (RoundEnds(*this, s, linesBefore)) break;
  }
  s.BreakPending = false;
}

TfsForStmt::~TfsForStmt() {
  delete StartExpr;
  delete StopExpr;
}

void TfsForStmt::Execute() {
  // The bounds are read once; the rounds are fixed before the first.
  const int64_t start = StartExpr->GetValue().AsInteger();
  const int64_t stop = StopExpr->GetValue().AsInteger();
  if (Stopped()) return;
  TfsScript& s = *OwnerScript;
  const int64_t step = Downward ? -1 : 1;
  const int64_t rounds = Downward ? start - stop + 1 : stop - start + 1;
  int64_t counter = start;
  bool complete = true;
  for (int64_t round = 0; round < rounds; ++round, counter += step) {
    Counter->StoreRaw(Variant(static_cast<int32_t>(counter)));
    const std::uint64_t linesBefore = s.LinesRun;
    TfsStatement::Execute();
    if (RoundEnds(*this, s, linesBefore)) {
      complete = false;
      break;
    }
  }
  // A complete loop leaves the stop value, whatever the body wrote.
  if (complete && rounds > 0) Counter->StoreRaw(Variant(static_cast<int32_t>(stop)));
  s.BreakPending = false;
}

TfsVbForStmt::~TfsVbForStmt() {
  delete StartExpr;
  delete StopExpr;
  delete StepExpr;
}

void TfsVbForStmt::Execute() {
  Variant counter = StartExpr->GetValue();
  const Variant stop = StopExpr->GetValue();
  const Variant step = StepExpr ? StepExpr->GetValue() : Variant(1);
  if (Stopped()) return;
  TfsScript& s = *OwnerScript;
  const bool downward = step < Variant(0);
  while (downward ? counter >= stop : counter <= stop) {
    Counter->StoreRaw(counter);
    const std::uint64_t linesBefore = s.LinesRun;
    TfsStatement::Execute();
    if (RoundEnds(*this, s, linesBefore)) break;
    counter = rtl::VarAdd(counter, step);
  }
  s.BreakPending = false;
}

TfsCppForStmt::TfsCppForStmt(TfsScript* script, const AnsiString& position, const AnsiString& unitName)
    : TfsStatement(script, position, unitName),
      InitPart(new TfsStatement(script, position, unitName)),
      StepPart(new TfsStatement(script, position, unitName)) {}

TfsCppForStmt::~TfsCppForStmt() {
  delete InitPart;
  delete Test;
  delete StepPart;
}

void TfsCppForStmt::Execute() {
  if (Stopped()) return;
  TfsScript& s = *OwnerScript;
  InitPart->Execute();
  if (s.TerminateRequested) return;
  while (!Test || Test->GetValue().AsBoolean()) {
    const std::uint64_t linesBefore = s.LinesRun;
    TfsStatement::Execute();
    if (RoundEnds(*this, s, linesBefore)) break;
    StepPart->Execute();
  }
  s.BreakPending = false;
}

// ---- try -------------------------------------------------------------------

TfsTryStmt::TfsTryStmt(TfsScript* script, const AnsiString& position, const AnsiString& unitName)
    : TfsStatement(script, position, unitName), HandlerPart(new TfsStatement(script, position, unitName)) {}

TfsTryStmt::~TfsTryStmt() { delete HandlerPart; }

// The class name of an exception as a script sees it: "EConvertError".
static AnsiString ExceptionClassName(const std::exception& e) { return rtl::ShortTypeName(typeid(e)); }

namespace {
// The finally part runs completely: exit, break and continue of the
// protected part are put aside for its duration and take effect after it.
void RunFinally(TfsScript& s, TfsStatement& handler) {
  const bool exitPending = s.ExitPending, breakPending = s.BreakPending, continuePending = s.ContinuePending;
  s.ExitPending = s.BreakPending = s.ContinuePending = false;
  handler.Execute();
  s.ExitPending = s.ExitPending || exitPending;
  s.BreakPending = s.BreakPending || breakPending;
  s.ContinuePending = s.ContinuePending || continuePending;
}
}  // namespace

void TfsTryStmt::Execute() {
  if (Stopped()) return;
  TfsScript& s = *OwnerScript;
  if (CatchForm) {
    try {
      TfsStatement::Execute();
    } catch (const rtl::Exception& e) {
      s.SetVariables("ExceptionClassName", Variant(ExceptionClassName(e)));
      s.SetVariables("ExceptionMessage", Variant(e.Message()));
      HandlerPart->Execute();
    }
    return;
  }
  try {
    TfsStatement::Execute();
  } catch (...) {
    RunFinally(s, *HandlerPart);
    throw;
  }
  RunFinally(s, *HandlerPart);
}

// ---- control transfers and with --------------------------------------------

void TfsBreakStmt::Execute() { OwnerScript->BreakPending = true; }

void TfsContinueStmt::Execute() { OwnerScript->ContinuePending = true; }

void TfsExitStmt::Execute() {
  RunLine();
  OwnerScript->ExitPending = true;
}

TfsWithStmt::~TfsWithStmt() { delete ObjectDesignator; }

void TfsWithStmt::Execute() { WithVariable->SetValue(ObjectDesignator->GetValue()); }

}  // namespace script
