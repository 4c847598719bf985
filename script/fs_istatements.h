// Statements: one small set of objects serves all four languages. A
// statement is itself a list of statements (blocks, bodies, branches). Loop
// and routine exits are flags on the owning script, not exceptions: break,
// continue and exit set a flag and every enclosing list stops after that
// statement until the loop or routine that owns the flag clears it. Every
// statement but break, continue and with reports its position first
// (TfsScript::RunLine).
#pragma once
#include "script/fs_iexpression.h"
#include "script/fs_iinterpreter.h"

namespace script {

class TfsStatement : public TfsItemList {
 public:
  TfsStatement(TfsScript* script, const AnsiString& position = AnsiString(), const AnsiString& unitName = AnsiString());
  TfsStatement* GetItem(int index) const { return static_cast<TfsStatement*>(RawItem(index)); }
  // Runs the children in order; stops after one that set a control flag.
  virtual void Execute();
  void RunLine();

  TfsScript* OwnerScript;
  AnsiString Position;
  AnsiString UnitName;

 protected:
  // RunLine, then whether the script was asked to terminate.
  bool Stopped();
};

class TfsAssignmentStmt : public TfsStatement {
 public:
  using TfsStatement::TfsStatement;
  ~TfsAssignmentStmt() override;
  void Execute() override;
  // Chooses the items to read and write directly; call after setting both parts.
  void Optimize();
  TfsDesignator* TargetDesignator = nullptr;
  TfsCustomExpression* ValueExpr = nullptr;
  TfsCustomVariable* FastTarget = nullptr;
  TfsCustomVariable* FastValue = nullptr;

 protected:
  // t op e for the compound forms.
  virtual Variant Combine(const Variant& target, const Variant& value);
  bool compound_ = false;
};

class TfsAssignPlusStmt : public TfsAssignmentStmt {
 public:
  TfsAssignPlusStmt(TfsScript* script, const AnsiString& position = AnsiString(),
                    const AnsiString& unitName = AnsiString());

 protected:
  Variant Combine(const Variant& target, const Variant& value) override;
};
class TfsAssignMinusStmt : public TfsAssignmentStmt {
 public:
  TfsAssignMinusStmt(TfsScript* script, const AnsiString& position = AnsiString(),
                     const AnsiString& unitName = AnsiString());

 protected:
  Variant Combine(const Variant& target, const Variant& value) override;
};
class TfsAssignMulStmt : public TfsAssignmentStmt {
 public:
  TfsAssignMulStmt(TfsScript* script, const AnsiString& position = AnsiString(),
                   const AnsiString& unitName = AnsiString());

 protected:
  Variant Combine(const Variant& target, const Variant& value) override;
};
class TfsAssignDivStmt : public TfsAssignmentStmt {
 public:
  TfsAssignDivStmt(TfsScript* script, const AnsiString& position = AnsiString(),
                   const AnsiString& unitName = AnsiString());

 protected:
  Variant Combine(const Variant& target, const Variant& value) override;
};

class TfsCallStmt : public TfsStatement {
 public:
  using TfsStatement::TfsStatement;
  ~TfsCallStmt() override;
  void Execute() override;
  TfsDesignator* CallDesignator = nullptr;
  AnsiString Modifier;  // "", "+" (++) or "-" (--)
};

class TfsIfStmt : public TfsStatement {
 public:
  TfsIfStmt(TfsScript* script, const AnsiString& position = AnsiString(), const AnsiString& unitName = AnsiString());
  ~TfsIfStmt() override;
  void Execute() override;
  TfsCustomExpression* Test = nullptr;
  TfsStatement* ElsePart;
};

class TfsCaseSelector : public TfsStatement {
 public:
  using TfsStatement::TfsStatement;
  ~TfsCaseSelector() override;
  bool Check(const Variant& value) { return Labels->Check(value); }
  TfsSetExpression* Labels = nullptr;
};

class TfsCaseStmt : public TfsStatement {
 public:
  TfsCaseStmt(TfsScript* script, const AnsiString& position = AnsiString(), const AnsiString& unitName = AnsiString());
  ~TfsCaseStmt() override;
  void Execute() override;
  TfsCustomExpression* CaseValue = nullptr;
  TfsStatement* ElsePart;
};

class TfsRepeatStmt : public TfsStatement {
 public:
  using TfsStatement::TfsStatement;
  ~TfsRepeatStmt() override;
  void Execute() override;
  TfsCustomExpression* Test = nullptr;
  bool WhileForm = false;
};

class TfsWhileStmt : public TfsStatement {
 public:
  using TfsStatement::TfsStatement;
  ~TfsWhileStmt() override;
  void Execute() override;
  TfsCustomExpression* Test = nullptr;
};

class TfsForStmt : public TfsStatement {
 public:
  using TfsStatement::TfsStatement;
  ~TfsForStmt() override;
  void Execute() override;
  TfsCustomExpression* StartExpr = nullptr;
  bool Downward = false;
  TfsCustomExpression* StopExpr = nullptr;
  TfsVariable* Counter = nullptr;
};

class TfsVbForStmt : public TfsStatement {
 public:
  using TfsStatement::TfsStatement;
  ~TfsVbForStmt() override;
  void Execute() override;
  TfsCustomExpression* StartExpr = nullptr;
  TfsCustomExpression* StopExpr = nullptr;
  TfsCustomExpression* StepExpr = nullptr;
  TfsVariable* Counter = nullptr;
};

class TfsCppForStmt : public TfsStatement {
 public:
  TfsCppForStmt(TfsScript* script, const AnsiString& position = AnsiString(),
                const AnsiString& unitName = AnsiString());
  ~TfsCppForStmt() override;
  void Execute() override;
  TfsStatement* InitPart;
  TfsCustomExpression* Test = nullptr;
  TfsStatement* StepPart;
};

class TfsTryStmt : public TfsStatement {
 public:
  TfsTryStmt(TfsScript* script, const AnsiString& position = AnsiString(), const AnsiString& unitName = AnsiString());
  ~TfsTryStmt() override;
  void Execute() override;
  bool CatchForm = false;
  TfsStatement* HandlerPart;
};

class TfsBreakStmt : public TfsStatement {
 public:
  using TfsStatement::TfsStatement;
  void Execute() override;
};

class TfsContinueStmt : public TfsStatement {
 public:
  using TfsStatement::TfsStatement;
  void Execute() override;
};

class TfsExitStmt : public TfsStatement {
 public:
  using TfsStatement::TfsStatement;
  void Execute() override;
};

class TfsWithStmt : public TfsStatement {
 public:
  using TfsStatement::TfsStatement;
  ~TfsWithStmt() override;
  void Execute() override;
  TfsDesignator* ObjectDesignator = nullptr;
  TfsCustomVariable* WithVariable = nullptr;
};

}  // namespace script
