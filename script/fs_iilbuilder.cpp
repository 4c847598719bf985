// The program builder: the intermediate program of any language becomes the
// interpreter's items, statements, expressions and designators, with the
// static checks (declarations, types, parameter counts, assignability). Every
// fault raises with a message of the engine's table; ParseILScript turns it
// into the script's compile error at the position of the element last read.
#include <algorithm>
#include <memory>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/textcase.h"
#include "script/fs_iconst.h"
#include "script/fs_iexpression.h"
#include "script/fs_iilparser.h"
#include "script/fs_iinterpreter.h"
#include "script/fs_istatements.h"
#include "script/fs_itools.h"

namespace script {

namespace {

AnsiString Quoted(const AnsiString& name) { return "'" + name + "'"; }
AnsiString Lowered(const TfsXMLItem* item) { return rtl::AnsiLowerCase(item->Name); }
bool Named(const TfsXMLItem* item, std::string_view name) { return rtl::AnsiSameText(item->Name, name); }

const TfsXMLItem* ChildNamed(const TfsXMLItem* item, std::string_view name) {
  int i = item->Find(name);
  return i < 0 ? nullptr : item->Items(i);
}

// The largest array a declaration may ask for: bigger ones are refused at
// compile time rather than exhausting memory.
constexpr std::int64_t kMaxArrayElements = std::int64_t{1} << 22;

// A designator left to be built from its intermediate text when first used.
class TfsILLateBinding : public TfsLateBinding {
 public:
  TfsILLateBinding(const TfsXMLItem* item, bool declareVars) : declareVars_(declareVars) { item_.Assign(item); }
  TfsDesignator* Build(TfsScript& script) override {
    TfsILParser parser(&script);
    parser.SetDeclareVars(declareVars_);
    return parser.DoDesignator(&item_, &script, emNone);
  }

 private:
  TfsXMLItem item_;
  bool declareVars_;
};

}  // namespace

// Counts the builder's nesting so hostile intermediate text ends in an error
// instead of a stack overflow.
class TfsILParser::DepthGuard {
 public:
  explicit DepthGuard(TfsILParser& parser) : parser_(parser) {
    if (++parser_.buildDepth_ > kMaxBuildDepth) {
      --parser_.buildDepth_;
      throw rtl::Exception("Program nested too deeply");
    }
  }
  ~DepthGuard() { --parser_.buildDepth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  TfsILParser& parser_;
};

// ---- entry ----

void TfsILParser::ParseILScript() {
  if (!script_) return;
  withStack_.clear();
  script_->ErrorUnitName.clear();
  buildUnit_.clear();
  buildDepth_ = 0;
  errorPos_.clear();
  try {
    DoProgram(ilDocument_.Root(), script_);
    script_->ErrorPosition.clear();
  } catch (const std::exception& e) {
    script_->ErrorMessage = e.what();
    if (script_->ErrorMessage.empty()) script_->ErrorMessage = "Compile error";
    script_->ErrorPosition = errorPos_;
    script_->ErrorUnitName = buildUnit_;
  }
}

void TfsILParser::ErrorPos(const TfsXMLItem* item) {
  AnsiString pos = item->GetProp("pos");
  if (!pos.empty()) errorPos_ = pos;
}

void TfsILParser::Fail(const AnsiString& message) { throw rtl::Exception(message); }

void TfsILParser::CheckIdent(TfsScript* prog, const AnsiString& name) {
  if (prog->FindLocal(name)) Fail(SIdRedeclared() + Quoted(name));
}

TfsCustomVariable* TfsILParser::FindVar(TfsScript* prog, const AnsiString& name) {
  if (TfsCustomVariable* found = prog->Find(name)) return found;
  if (declareVars_) Fail(SIdUndeclared() + Quoted(name));
  auto* variable = new TfsVariable(name, fvtVariant, "Variant");
  script_->Add(name, variable);
  return variable;
}

void TfsILParser::FindType(const AnsiString& name, TfsVarType& type, AnsiString& typeName) {
  typeName = name;
  const TfsXMLItem* aliases = programRoot_ ? ChildNamed(programRoot_, "types") : nullptr;
  if (!aliases && grammar_) aliases = grammar_->Types();
  if (aliases)
    if (const TfsXMLItem* alias = ChildNamed(aliases, name)) typeName = alias->GetProp("type");
  type = StrToVarType(typeName, script_);
  if (type == fvtClass && !script_->FindClass(typeName)) Fail(SUnknownType() + Quoted(typeName));
}

void TfsILParser::CheckTypeCompatibility(TfsCustomVariable* target, TfsCustomVariable* source) {
  if (!AssignCompatible(target, source, script_))
    Fail(SIncompatibleTypes() + ": '" + target->GetFullTypeName() + "', '" + source->GetFullTypeName() + "'");
}

// ---- programs and declarations ----

void TfsILParser::DeclareRoutines(const TfsXMLItem* item, TfsScript* prog) {
  for (int i = 0; i < item->Count(); ++i) {
    const TfsXMLItem* child = item->Items(i);
    AnsiString name = Lowered(child);
    if (name == "procedure")
      DoProc1(child, prog, false);
    else if (name == "function")
      DoProc1(child, prog, true);
    else if (name == "compoundstmt")
      DeclareRoutines(child, prog);
  }
}

void TfsILParser::DoProgram(const TfsXMLItem* item, TfsScript* prog) {
  DepthGuard guard(*this);
  const TfsXMLItem* savedRoot = programRoot_;
  programRoot_ = item;
  DeclareRoutines(item, prog);
  for (int i = 0; i < item->Count(); ++i) DoStmt(item->Items(i), prog, prog->MainStatement());
  programRoot_ = savedRoot;
}

TfsCustomVariable* TfsILParser::CreateVar(const TfsXMLItem* item, TfsScript* prog, int identIndex,
                                          TfsStatement* statements, bool isParameter, bool byRef) {
  const TfsXMLItem* ident = item->Items(identIndex);
  const AnsiString name = ident->GetProp("text");
  int typeIndex = item->Find("type");
  const bool groupStyle = typeIndex > 0;
  TfsVarType type;
  AnsiString typeName;
  FindType(typeIndex >= 0 ? item->Items(typeIndex)->GetProp("text") : AnsiString("Variant"), type, typeName);

  Variant value;
  switch (type) {
    case fvtBool: value = false; break;
    case fvtChar:
    case fvtString: value = AnsiString(); break;
    case fvtArray:
    case fvtVariant:
    case fvtEnum:
    case fvtConstructor: value = Variant::Null(); break;
    default: value = 0;
  }

  // The children that belong to this name: up to the next name, or all of
  // them when the type stands behind the names of a group.
  int from = groupStyle ? 0 : identIndex + 1;
  int to = item->Count();
  if (!groupStyle)
    for (int i = identIndex + 1; i < item->Count(); ++i)
      if (Named(item->Items(i), "ident")) {
        to = i;
        break;
      }
  const TfsXMLItem* array = nullptr;
  const TfsXMLItem* init = nullptr;
  for (int i = from; i < to; ++i) {
    const TfsXMLItem* child = item->Items(i);
    if (Named(child, "array")) array = child;
    if (Named(child, "init")) init = child;
  }

  TfsArrayHelper* helper = nullptr;
  const AnsiString elementTypeName = typeName;
  const TfsVarType elementType = type;
  if (array) {
    ErrorPos(array);
    std::vector<int32_t> bounds;
    std::int64_t elements = 1;
    for (int d = 0; d < array->Count(); ++d) {
      const TfsXMLItem* dim = array->Items(d);
      if (!Named(dim, "dim")) continue;
      ErrorPos(dim);
      std::vector<std::int32_t> values;
      for (int k = 0; k < dim->Count() && values.size() < 2; ++k) {
        std::unique_ptr<TfsExpression> e(DoExpression(dim->Items(k), prog));
        values.push_back(e->GetValue().AsInteger());
      }
      if (values.empty()) continue;
      int32_t low = values.size() == 1 ? 0 : values[0];
      int32_t high = values.size() == 1 ? values[0] - 1 : values[1];
      elements *= std::max<std::int64_t>(std::int64_t{high} - low + 1, 1);
      if (elements > kMaxArrayElements) throw rtl::ERangeError("Array too large");
      bounds.push_back(low);
      bounds.push_back(high);
    }
    if (bounds.empty()) bounds = {0, 0};
    if (bounds.size() > 6) throw rtl::ERangeError("Too many array dimensions");
    value = rtl::VarArrayCreate(bounds, rtl::varVariant);
    helper = new TfsArrayHelper(elementTypeName, static_cast<int>(bounds.size() / 2), elementType, elementTypeName);
    prog->Add("", helper);
    type = fvtArray;
  }

  std::unique_ptr<TfsCustomVariable> variable;
  if (isParameter)
    variable = std::make_unique<TfsParamItem>(name, byRef, init != nullptr, type, typeName);
  else if (type == fvtChar || type == fvtString)
    variable = std::make_unique<TfsStringVariable>(name, type, typeName);
  else
    variable = std::make_unique<TfsVariable>(name, type, typeName);
  variable->SetValue(value);
  variable->LinkedItem = helper;
  variable->Position = ident->GetProp("pos");
  variable->DeclaringUnit = buildUnit_;
  variable->OnGetVarValue = script_->OnGetVarValue;

  if (init) {
    ErrorPos(init);
    if (init->Count() == 0) Fail(SIncompatibleTypes());
    std::unique_ptr<TfsExpression> e(DoExpression(init->Items(0), prog));
    CheckTypeCompatibility(variable.get(), e.get());
    if (!statements) {
      variable->SetValue(e->GetValue());
    } else {
      auto* designator = new TfsDesignator(prog);
      std::unique_ptr<TfsDesignator> target(designator);
      designator->AddStep(variable.get(), variable->Position);
      designator->Finalize();
      target.release();
      std::unique_ptr<TfsDesignator> fast(fsSpecializeDesignator(designator));
      auto statement = std::make_unique<TfsAssignmentStmt>(prog, init->GetProp("pos"), buildUnit_);
      statement->TargetDesignator = fast.release();
      statement->ValueExpr = e.release();
      statement->Optimize();
      statements->Add(statement.release());
    }
  }
  if (auto* param = dynamic_cast<TfsParamItem*>(variable.get())) param->DefaultValue = param->Value;
  return variable.release();
}

void TfsILParser::DoVar(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements) {
  for (int i = 0; i < item->Count(); ++i) {
    const TfsXMLItem* ident = item->Items(i);
    if (!Named(ident, "ident")) continue;
    ErrorPos(ident);
    AnsiString name = ident->GetProp("text");
    CheckIdent(prog, name);
    TfsCustomVariable* variable = CreateVar(item, prog, i, statements, false, false);
    prog->Add(name, variable);
  }
}

void TfsILParser::DoConst(const TfsXMLItem* item, TfsScript* prog) {
  if (item->Count() < 2) return;
  ErrorPos(item->Items(0));
  AnsiString name = item->Items(0)->GetProp("text");
  CheckIdent(prog, name);
  std::unique_ptr<TfsExpression> e(DoExpression(item->Items(1), prog));
  auto* constant = new TfsVariable(name, e->VarType, e->TypeIdent);
  constant->Value = e->GetValue();
  constant->ReadOnly = true;
  constant->Position = item->GetProp("pos");
  constant->DeclaringUnit = buildUnit_;
  prog->Add(name, constant);
}

void TfsILParser::DoProc1(const TfsXMLItem* item, TfsScript* prog, bool isFunction) {
  ErrorPos(item);
  const TfsXMLItem* nameItem = ChildNamed(item, "name");
  if (!nameItem) return;
  TfsVarType type = fvtVariant;
  AnsiString typeName = "Variant";
  AnsiString declaredType;
  if (isFunction)
    if (const TfsXMLItem* typeItem = ChildNamed(item, "type")) {
      ErrorPos(typeItem);
      declaredType = typeItem->GetProp("text");
      FindType(declaredType, type, typeName);
    }
  if (!isFunction) typeName.clear();
  ErrorPos(nameItem);
  AnsiString name = nameItem->GetProp("text");
  CheckIdent(prog, name);
  // A C-like function of type void is a procedure.
  bool function = isFunction && !rtl::SameText(declaredType, "void");
  auto* proc = new TfsProcVariable(name, type, typeName, function, prog);
  proc->Position = item->GetProp("pos");
  proc->DeclaringUnit = buildUnit_;
  prog->Add(name, proc);
  for (int i = 0; i < item->Count(); ++i)
    if (Named(item->Items(i), "parameters")) DoParameters(item->Items(i), proc);
}

void TfsILParser::DoParameters(const TfsXMLItem* item, TfsProcVariable* proc) {
  bool byRefGroup = false;
  for (int i = 0; i < item->Count(); ++i) {
    const TfsXMLItem* group = item->Items(i);
    if (Named(group, "varparams")) {
      byRefGroup = true;
      continue;
    }
    if (!Named(group, "var")) continue;
    bool byRefName = false;
    for (int k = 0; k < group->Count(); ++k) {
      const TfsXMLItem* child = group->Items(k);
      if (Named(child, "varparam")) {
        byRefName = true;
        continue;
      }
      if (!Named(child, "ident")) continue;
      ErrorPos(child);
      CheckIdent(proc->LocalScope, child->GetProp("text"));
      auto* param =
          static_cast<TfsParamItem*>(CreateVar(group, proc->LocalScope, k, nullptr, true, byRefGroup || byRefName));
      proc->AddParam(param);
      byRefName = false;
    }
    byRefGroup = false;
  }
}

void TfsILParser::DoProc2(const TfsXMLItem* item, TfsScript* prog) {
  const TfsXMLItem* nameItem = ChildNamed(item, "name");
  if (!nameItem) return;
  auto* proc = dynamic_cast<TfsProcVariable*>(prog->FindLocal(nameItem->GetProp("text")));
  if (!proc) return;
  DoProgram(item, proc->LocalScope);
}

void TfsILParser::DoUses(const TfsXMLItem* item, TfsScript* prog) {
  const AnsiString savedUnit = buildUnit_;
  buildUnit_ = item->GetProp("unit");
  AnsiString text;
  if (script_->OnGetILUnit) script_->OnGetILUnit(script_, buildUnit_, text);
  if (!text.empty()) {
    TfsXMLDocument unit;
    unit.LoadFromString(text);
    DoProgram(unit.Root(), prog);
  } else {
    for (int i = 0; i < item->Count(); ++i)
      if (Named(item->Items(i), "program")) DoProgram(item->Items(i), prog);
  }
  buildUnit_ = savedUnit;
}

// ---- statements ----

void TfsILParser::DoStmt(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements) {
  DepthGuard guard(*this);
  ErrorPos(item);
  const AnsiString name = Lowered(item);
  const AnsiString pos = item->GetProp("pos");
  auto simple = [&](TfsStatement* statement) { statements->Add(statement); };
  if (name == "assignstmt")
    DoAssign(item, prog, statements);
  else if (name == "callstmt")
    DoCall(item, prog, statements);
  else if (name == "ifstmt")
    DoIf(item, prog, statements);
  else if (name == "casestmt")
    DoCase(item, prog, statements);
  else if (name == "forstmt")
    DoFor(item, prog, statements);
  else if (name == "vbforstmt")
    DoVbFor(item, prog, statements);
  else if (name == "cppforstmt")
    DoCppFor(item, prog, statements);
  else if (name == "whilestmt")
    DoWhile(item, prog, statements);
  else if (name == "repeatstmt")
    DoRepeat(item, prog, statements);
  else if (name == "trystmt")
    DoTry(item, prog, statements);
  else if (name == "break")
    simple(new TfsBreakStmt(prog, pos, buildUnit_));
  else if (name == "continue")
    simple(new TfsContinueStmt(prog, pos, buildUnit_));
  else if (name == "exit")
    simple(new TfsExitStmt(prog, pos, buildUnit_));
  else if (name == "return")
    DoReturn(item, prog, statements);
  else if (name == "with")
    DoWith(item, prog, statements);
  else if (name == "delete")
    DoDelete(item, prog, statements);
  else if (name == "compoundstmt")
    DoCompoundStmt(item, prog, statements);
  else if (name == "uses")
    DoUses(item, prog);
  else if (name == "var")
    DoVar(item, prog, statements);
  else if (name == "const")
    DoConst(item, prog);
  else if (name == "procedure" || name == "function")
    DoProc2(item, prog);
  else
    return;  // names the builders do not know are ignored
  if (!pos.empty() && name != "compoundstmt" && name != "uses" && name != "var" && name != "const" &&
      name != "procedure" && name != "function")
    script_->AddCodeLine(buildUnit_, pos);
}

void TfsILParser::DoCompoundStmt(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements) {
  for (int i = 0; i < item->Count(); ++i) DoStmt(item->Items(i), prog, statements);
}

void TfsILParser::DoAssign(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements) {
  if (item->Count() < 2) return;
  std::unique_ptr<TfsDesignator> target(DoDesignator(item->Items(0), prog, emNone));
  AnsiString modifier;
  int exprIndex = 1;
  if (Named(item->Items(1), "modificator")) {
    modifier = item->Items(1)->GetProp("text");
    exprIndex = 2;
  }
  if (exprIndex >= item->Count()) return;
  std::unique_ptr<TfsExpression> value(DoExpression(item->Items(exprIndex), prog));
  if (target->ReadOnly) Fail(SLeftCantAssigned());
  CheckTypeCompatibility(target.get(), value.get());
  if (modifier.empty() && dynamic_cast<TfsVariableDesignator*>(target.get())) {
    AnsiString optimized = value->Optimize(target.get());
    if (optimized != " ") modifier = optimized;
  }
  const AnsiString pos = item->GetProp("pos");
  std::unique_ptr<TfsAssignmentStmt> statement;
  switch (modifier.empty() ? ' ' : modifier[0]) {
    case '*': statement = std::make_unique<TfsAssignMulStmt>(prog, pos, buildUnit_); break;
    case '+': statement = std::make_unique<TfsAssignPlusStmt>(prog, pos, buildUnit_); break;
    case '-': statement = std::make_unique<TfsAssignMinusStmt>(prog, pos, buildUnit_); break;
    case '/': statement = std::make_unique<TfsAssignDivStmt>(prog, pos, buildUnit_); break;
    default: statement = std::make_unique<TfsAssignmentStmt>(prog, pos, buildUnit_);
  }
  statement->TargetDesignator = target.release();
  statement->ValueExpr = value.release();
  statement->Optimize();
  statements->Add(statement.release());
}

void TfsILParser::DoCall(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements) {
  if (item->Count() < 1) return;
  std::unique_ptr<TfsDesignator> designator(DoDesignator(item->Items(0), prog, emNone));
  auto statement = std::make_unique<TfsCallStmt>(prog, item->GetProp("pos"), buildUnit_);
  if (const TfsXMLItem* modifier = ChildNamed(item, "modificator")) {
    statement->Modifier = modifier->GetProp("text");
    ErrorPos(modifier);
    if (designator->ReadOnly) Fail(SLeftCantAssigned());
  }
  statement->CallDesignator = designator.release();
  statements->Add(statement.release());
}

void TfsILParser::DoIf(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements) {
  if (item->Count() < 1) return;
  auto statement = std::make_unique<TfsIfStmt>(prog, item->GetProp("pos"), buildUnit_);
  statement->Test = DoExpression(item->Items(0), prog);
  for (int i = 1; i < item->Count(); ++i) {
    const TfsXMLItem* part = item->Items(i);
    if (Named(part, "thenstmt"))
      DoCompoundStmt(part, prog, statement.get());
    else if (Named(part, "elsestmt"))
      DoCompoundStmt(part, prog, statement->ElsePart);
  }
  statements->Add(statement.release());
}

void TfsILParser::DoCase(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements) {
  if (item->Count() < 1) return;
  auto statement = std::make_unique<TfsCaseStmt>(prog, item->GetProp("pos"), buildUnit_);
  statement->CaseValue = DoExpression(item->Items(0), prog);
  for (int i = 1; i < item->Count(); ++i) {
    const TfsXMLItem* child = item->Items(i);
    if (!Named(child, "caseselector")) continue;
    if (child->Count() < 1) continue;
    ErrorPos(child);
    auto selector = std::make_unique<TfsCaseSelector>(prog, child->GetProp("pos"), buildUnit_);
    selector->Labels = DoSet(child->Items(0), prog);
    // A selector whose statement is empty still owns its values: they must
    // not fall through to the else branch.
    for (int k = 1; k < child->Count(); ++k) DoStmt(child->Items(k), prog, selector.get());
    statement->Add(selector.release());
  }
  const TfsXMLItem* last = item->Items(item->Count() - 1);
  if (item->Count() > 1 && !Named(last, "caseselector")) DoStmt(last, prog, statement->ElsePart);
  statements->Add(statement.release());
}

TfsVariable* TfsILParser::ForCounter(const TfsXMLItem* item, TfsScript* prog) {
  ErrorPos(item);
  TfsCustomVariable* found = FindVar(prog, item->GetProp("text"));
  auto* counter = dynamic_cast<TfsVariable*>(found);
  if (!counter || dynamic_cast<TfsStringVariable*>(found) ||
      (counter->VarType != fvtInt && counter->VarType != fvtFloat && counter->VarType != fvtVariant &&
       counter->VarType != fvtInt64))
    Fail(SForError());
  return counter;
}

void TfsILParser::DoFor(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements) {
  if (item->Count() < 3) return;
  auto statement = std::make_unique<TfsForStmt>(prog, item->GetProp("pos"), buildUnit_);
  statement->Counter = ForCounter(item->Items(0), prog);
  int i = 1;
  statement->StartExpr = DoExpression(item->Items(i++), prog);
  CheckTypeCompatibility(statement->Counter, statement->StartExpr);
  if (i < item->Count() && Named(item->Items(i), "downto")) {
    statement->Downward = true;
    ++i;
  }
  if (i >= item->Count()) return;
  statement->StopExpr = DoExpression(item->Items(i++), prog);
  CheckTypeCompatibility(statement->Counter, statement->StopExpr);
  for (; i < item->Count(); ++i) DoStmt(item->Items(i), prog, statement.get());
  statements->Add(statement.release());
}

void TfsILParser::DoVbFor(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements) {
  if (item->Count() < 3) return;
  auto statement = std::make_unique<TfsVbForStmt>(prog, item->GetProp("pos"), buildUnit_);
  statement->Counter = ForCounter(item->Items(0), prog);
  statement->StartExpr = DoExpression(item->Items(1), prog);
  CheckTypeCompatibility(statement->Counter, statement->StartExpr);
  statement->StopExpr = DoExpression(item->Items(2), prog);
  CheckTypeCompatibility(statement->Counter, statement->StopExpr);
  int i = 3;
  if (i < item->Count() && Named(item->Items(i), "expr")) {
    statement->StepExpr = DoExpression(item->Items(i++), prog);
    CheckTypeCompatibility(statement->Counter, statement->StepExpr);
  }
  for (; i < item->Count(); ++i) DoStmt(item->Items(i), prog, statement.get());
  statements->Add(statement.release());
}

void TfsILParser::DoCppFor(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements) {
  if (item->Count() < 3) return;
  auto statement = std::make_unique<TfsCppForStmt>(prog, item->GetProp("pos"), buildUnit_);
  DoStmt(item->Items(0), prog, statement->InitPart);
  statement->Test = DoExpression(item->Items(1), prog);
  DoStmt(item->Items(2), prog, statement->StepPart);
  for (int i = 3; i < item->Count(); ++i) DoStmt(item->Items(i), prog, statement.get());
  statements->Add(statement.release());
}

void TfsILParser::DoWhile(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements) {
  if (item->Count() < 1) return;
  auto statement = std::make_unique<TfsWhileStmt>(prog, item->GetProp("pos"), buildUnit_);
  statement->Test = DoExpression(item->Items(0), prog);
  for (int i = 1; i < item->Count(); ++i) DoStmt(item->Items(i), prog, statement.get());
  statements->Add(statement.release());
}

void TfsILParser::DoRepeat(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements) {
  int count = item->Count();
  auto statement = std::make_unique<TfsRepeatStmt>(prog, item->GetProp("pos"), buildUnit_);
  if (count > 0 && Named(item->Items(count - 1), "inverse")) {
    statement->WhileForm = true;
    --count;
  }
  if (count < 1) return;
  for (int i = 0; i < count - 1; ++i) DoStmt(item->Items(i), prog, statement.get());
  statement->Test = DoExpression(item->Items(count - 1), prog);
  statements->Add(statement.release());
}

void TfsILParser::DoTry(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements) {
  auto statement = std::make_unique<TfsTryStmt>(prog, item->GetProp("pos"), buildUnit_);
  for (int i = 0; i < item->Count(); ++i) {
    const TfsXMLItem* child = item->Items(i);
    if (Named(child, "exceptstmt")) {
      statement->CatchForm = true;
      DoCompoundStmt(child, prog, statement->HandlerPart);
    } else if (Named(child, "finallystmt")) {
      DoCompoundStmt(child, prog, statement->HandlerPart);
    } else {
      DoStmt(child, prog, statement.get());
    }
  }
  statements->Add(statement.release());
}

void TfsILParser::DoReturn(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements) {
  const AnsiString pos = item->GetProp("pos");
  if (item->Count() > 0) {
    // return x: Result := x, then leave.
    const TfsXMLItem* expression = item->Items(0);
    AnsiString at = expression->GetProp("pos");
    TfsXMLItem assign;
    assign.Name = "assignstmt";
    assign.SetProp("pos", pos);
    TfsXMLItem* target = assign.Add();
    target->Name = "dsgn";
    target->SetProp("pos", at);
    TfsXMLItem* node = target->Add();
    node->Name = "node";
    node->SetProp("text", "Result");
    node->SetProp("pos", at);
    assign.Add()->Assign(expression);
    DoAssign(&assign, prog, statements);
  }
  statements->Add(new TfsExitStmt(prog, pos, buildUnit_));
}

void TfsILParser::DoWith(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements) {
  const std::size_t pushed = withStack_.size();
  int last = item->Count() - 1;
  if (last >= 0 && Named(item->Items(last), "dsgn")) last = item->Count();  // no body
  try {
    for (int i = 0; i < last; ++i) {
      const TfsXMLItem* child = item->Items(i);
      if (!Named(child, "dsgn")) continue;
      std::unique_ptr<TfsDesignator> designator(DoDesignator(child, prog, emNone));
      ErrorPos(child);
      if (designator->VarType != fvtClass && designator->VarType != fvtVariant) Fail(SClassRequired());
      AnsiString name;
      for (int n = 0;; ++n) {
        name = "_WithList_" + rtl::IntToStr(n);
        bool taken = prog->FindLocal(name) != nullptr;
        for (const auto& entry : withStack_) taken = taken || rtl::AnsiSameText(entry.name, name);
        if (!taken) break;
      }
      auto* hidden = new TfsVariable(name, designator->VarType, designator->TypeIdent);
      prog->Add(name, hidden);
      auto statement = std::make_unique<TfsWithStmt>(prog, item->GetProp("pos"), buildUnit_);
      statement->ObjectDesignator = designator.release();
      statement->WithVariable = hidden;
      statements->Add(statement.release());
      withStack_.push_back({name, hidden, prog});
    }
    if (last >= 0 && last < item->Count()) DoStmt(item->Items(last), prog, statements);
  } catch (...) {
    withStack_.resize(pushed);
    throw;
  }
  withStack_.resize(pushed);
}

void TfsILParser::DoDelete(const TfsXMLItem* item, TfsScript* prog, TfsStatement* statements) {
  if (item->Count() < 1) return;
  std::unique_ptr<TfsDesignator> designator(DoDesignator(item->Items(0), prog, emFree));
  auto statement = std::make_unique<TfsCallStmt>(prog, item->GetProp("pos"), buildUnit_);
  statement->CallDesignator = designator.release();
  statements->Add(statement.release());
}

// ---- expressions ----

AnsiString TfsILParser::SourceBetween(const AnsiString& from, const AnsiString& to) const {
  TfsPoint a = fsPosToPoint(from), b = fsPosToPoint(to);
  int start = parser_.GetPlainPosition(a.X, a.Y), end = parser_.GetPlainPosition(b.X, b.Y);
  if (start < 1 || end < start || end > parser_.Length() + 1) return {};
  return parser_.Text().substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(end - start));
}

void TfsILParser::AddExpressionItems(TfsExpression* expression, const TfsXMLItem* item, TfsScript* prog) {
  DepthGuard guard(*this);
  for (int i = 0; i < item->Count(); ++i) {
    const TfsXMLItem* child = item->Items(i);
    ErrorPos(child);
    expression->Position = errorPos_;
    const AnsiString name = Lowered(child);
    if (name == "op") {
      AnsiString op = rtl::AnsiLowerCase(child->GetProp("text"));
      if (op != ")" && i == item->Count() - 1) continue;
      expression->AddOperator(op);
    } else if (name == "number" || name == "string") {
      expression->AddConst(ParserStringToVariant(child->GetProp("text")));
    } else if (name == "dsgn") {
      expression->AddDesignator(DoDesignator(child, prog, emNone));
    } else if (name == "set") {
      expression->AddSet(DoSet(child, prog));
    } else if (name == "new") {
      if (child->Count() > 0) expression->AddDesignator(DoDesignator(child->Items(0), prog, emCreate));
    } else if (name == "expr") {
      AddExpressionItems(expression, child, prog);
    }
  }
}

TfsExpression* TfsILParser::DoExpression(const TfsXMLItem* item, TfsScript* prog) {
  std::unique_ptr<TfsExpression> expression(new TfsExpression(script_));
  ErrorPos(item);
  expression->Position = errorPos_;
  AddExpressionItems(expression.get(), item, prog);
  // Stored code may be damaged: an operator without its operands ("R + -",
  // "R <") would otherwise reach the run.
  if (expression->LacksOperand()) Fail("Expression expected");
  expression->ExprSource = SourceBetween(item->GetProp("pos"), item->GetProp("pos1"));
  AnsiString errorAt = expression->Finalize();
  if (!errorAt.empty()) {
    errorPos_ = errorAt;
    Fail(SIncompatibleTypes());
  }
  return expression.release();
}

TfsSetExpression* TfsILParser::DoSet(const TfsXMLItem* item, TfsScript* prog) {
  auto set = std::make_unique<TfsSetExpression>();
  for (int i = 0; i < item->Count(); ++i) {
    const TfsXMLItem* child = item->Items(i);
    if (Named(child, "expr"))
      set->AddElement(DoExpression(child, prog));
    else if (Named(child, "range"))
      set->AddRangeMarker();
  }
  return set.release();
}

// ---- designators ----

void TfsILParser::CheckArguments(TfsDesignator* designator,
                                 const std::vector<std::vector<const TfsXMLItem*>>& arguments) {
  for (int s = 0; s < designator->Count(); ++s) {
    TfsDesignatorItem* step = designator->GetItem(s);
    TfsCustomVariable* item = step->StepItem;
    if (!item || item->Kind() == TfsItemKind::Designator) continue;
    const int given = step->Count();
    if (given < item->GetNumberOfRequiredParams()) Fail(SNotEnoughParams());
    if (given > item->Count()) Fail(STooManyParams());
    for (int i = 0; i < given; ++i) {
      if (static_cast<std::size_t>(s) < arguments.size() && static_cast<std::size_t>(i) < arguments[s].size())
        ErrorPos(arguments[s][static_cast<std::size_t>(i)]);
      CheckTypeCompatibility(item->GetParam(i), step->GetItem(i));
    }
    // Left-out optional arguments get their defaults.
    for (int i = given; i < item->Count(); ++i) {
      auto* fill = new TfsExpression(script_);
      step->Add(fill);
      fill->AddConst(item->GetParam(i)->DefaultValue);
      fill->Finalize();
    }
  }
}

TfsDesignator* TfsILParser::DoDesignator(const TfsXMLItem* item, TfsScript* prog, TfsEmitOp emitOp) {
  DepthGuard guard(*this);
  ErrorPos(item);
  auto designator = std::make_unique<TfsDesignator>(prog);
  designator->Position = item->GetProp("pos");
  std::vector<std::vector<const TfsXMLItem*>> arguments;
  bool address = false;
  int nodes = 0;
  std::vector<bool> indexed;  // per step: an indexed property that has had its "["
  AnsiString firstName;
  auto lateBound = [&](const TfsXMLItem* source) {
    // Drop what was built; the whole designator is built when first used.
    designator->Clear();
    designator->VarType = fvtVariant;
    designator->LateBindingSource = std::make_unique<TfsILLateBinding>(source, declareVars_);
    return designator.release();
  };

  for (int i = 0; i < item->Count(); ++i) {
    const TfsXMLItem* child = item->Items(i);
    ErrorPos(child);
    const AnsiString kind = Lowered(child);
    if (kind == "addr") {
      address = true;
      continue;
    }
    if (kind == "expr") {
      if (designator->Count() == 0) continue;
      designator->GetItem(designator->Count() - 1)->Add(DoExpression(child, prog));
      arguments.back().push_back(child);
      continue;
    }
    if (kind != "node") continue;
    const AnsiString text = child->GetProp("text");
    const AnsiString pos = child->GetProp("pos");
    if (++nodes == 1) firstName = text;

    if (designator->Count() == 0) {
      // The first name: a member of an enclosing with, or a name in scope.
      if (!address)
        for (auto entry = withStack_.rbegin(); entry != withStack_.rend(); ++entry) {
          if (entry->prog != prog || prog->FindLocal(entry->name) != entry->variable) continue;
          if (entry->variable->VarType == fvtVariant) {
            if (prog->Find(text)) break;
            TfsXMLItem source;
            source.Assign(item);
            auto* hidden = new TfsXMLItem;
            hidden->Name = "node";
            hidden->SetProp("text", entry->name);
            hidden->SetProp("pos", pos);
            source.InsertItem(0, hidden);
            return lateBound(&source);
          }
          TfsClassVariable* cls = script_->FindClass(entry->variable->TypeIdent);
          if (TfsCustomHelper* member = cls ? cls->Find(text) : nullptr) {
            designator->AddStep(entry->variable, pos);
            arguments.emplace_back();
            designator->AddStep(member, pos);
            arguments.emplace_back();
            break;
          }
        }
      if (designator->Count() == 0) {
        TfsCustomVariable* found = address ? nullptr : FindVar(prog, text);
        if (address) {
          designator->AddStep(nullptr, pos);  // replaced below
        } else if (emitOp == emCreate) {
          auto* cls = dynamic_cast<TfsClassVariable*>(found);
          if (!cls) Fail(SClassRequired());
          designator->AddStep(cls, pos);
          arguments.emplace_back();
          TfsCustomHelper* create = cls->Find("Create");
          if (!create) Fail(SIdUndeclared() + Quoted("Create"));
          designator->AddStep(create, pos);
        } else {
          designator->AddStep(found, pos);
        }
        arguments.emplace_back();
      }
      continue;
    }

    const int previousIndex = designator->Count() - 1;
    TfsCustomVariable* previous = designator->GetItem(previousIndex)->StepItem;
    if (!previous) continue;
    indexed.resize(static_cast<std::size_t>(designator->Count()), false);
    auto* method = dynamic_cast<TfsMethodHelper*>(previous);
    if (method && method->IndexAccessor && !indexed[static_cast<std::size_t>(previousIndex)]) {
      // The "[" of an indexed property: its indices follow as arguments.
      if (text != "[") Fail(SIndexRequired());
      indexed[static_cast<std::size_t>(previousIndex)] = true;
      continue;
    }

    TfsVarType type = previous->VarType;
    AnsiString typeName = previous->TypeIdent;
    if (type == fvtVariant) {
      Variant value = previous->Kind() == TfsItemKind::Variable ? previous->GetValue() : Variant::Null();
      if (value.IsNull() || value.IsEmpty()) return lateBound(item);
      if (value.IsString()) {
        type = fvtString;
      } else if (value.IsArray()) {
        if (text != "[") Fail(SIndexRequired());
        TfsCustomVariable* helper = script_->Find("__ArrayHelper");
        if (!helper) Fail(SArrayRequired());
        designator->AddStep(helper, pos);
        arguments.emplace_back();
        continue;
      } else if (rtl::TObject* object = fsVariantToObject(value)) {
        type = fvtClass;
        typeName = object->ClassName();
      } else {
        Fail(SClassRequired());
      }
    }

    TfsCustomVariable* next = nullptr;
    if (type == fvtString || type == fvtChar) {
      if (text != "[") Fail(SStringError());
      next = script_->Find("__StringHelper");
      if (!next) Fail(SStringError());
    } else if (type == fvtClass) {
      TfsClassVariable* cls = script_->FindClass(typeName);
      if (!cls) Fail(SUnknownType() + Quoted(typeName));
      if (text == "[") {
        if (!cls->DefaultMember) Fail(rtl::StringReplace(SClassError(), "%s", typeName, rtl::rfReplaceAll));
        next = cls->DefaultMember;
        indexed.resize(static_cast<std::size_t>(designator->Count()) + 1, false);
        indexed.back() = true;
      } else {
        next = cls->Find(text);
        if (!next) {
          bool lateAllowed = !script_->BodyRunning && script_->ClassLateBinding;
          if (lateAllowed) return lateBound(item);
          Fail(SIdUndeclared() + Quoted(text));
        }
      }
    } else if (type == fvtArray) {
      if (text != "[") Fail(SArrayRequired());
      next = previous->LinkedItem;
      if (!next) Fail(SArrayRequired());
    } else {
      Fail(SArrayRequired());
    }
    designator->AddStep(next, pos);
    arguments.emplace_back();
  }

  if (address) {
    // @Name yields the routine's name as text.
    if (nodes != 1) Fail(SVarRequired());
    auto* text = new TfsStringVariable("", fvtString, "String");
    text->SetValue(firstName);
    prog->Add("", text);
    designator->Clear();
    designator->AddStep(text, designator->Position);
    arguments.assign(1, {});
  }
  if (designator->Count() == 0) Fail(SIdUndeclared() + Quoted(AnsiString()));
  if (emitOp == emFree) {
    TfsCustomVariable* last = designator->GetItem(designator->Count() - 1)->StepItem;
    if (last->VarType != fvtClass && last->VarType != fvtVariant) Fail(SClassRequired());
    TfsClassVariable* object = script_->FindClass("TObject");
    TfsCustomHelper* free = object ? object->Find("Free") : nullptr;
    if (!free) Fail(SIdUndeclared() + Quoted("Free"));
    designator->AddStep(free, designator->Position);
    arguments.emplace_back();
  }
  ErrorPos(item);
  designator->Finalize();
  CheckArguments(designator.get(), arguments);
  return fsSpecializeDesignator(designator.release());
}

// ---- the script's entries ----

bool fsBuildProgram(TfsScript& script) {
  TfsILParser parser(&script);
  parser.SelectLanguage(script.SyntaxType);
  if (parser.MakeILScript(script.Lines.Text())) parser.ParseILScript();
  return script.ErrorMessage.empty();
}

bool fsWriteILCode(TfsScript& script, rtl::TStream& stream) {
  TfsILParser parser(&script);
  parser.SelectLanguage(script.SyntaxType);
  if (parser.MakeILScript(script.Lines.Text())) parser.ILScript().SaveToStream(stream);
  return script.ErrorMessage.empty();
}

bool fsReadILCode(TfsScript& script, rtl::TStream& stream) {
  TfsILParser parser(&script);
  parser.SelectLanguage(script.SyntaxType);
  try {
    parser.ILScript().LoadFromStream(stream);
  } catch (const std::exception& e) {
    script.ErrorMessage = e.what();
    script.ErrorPosition.clear();
    return false;
  }
  parser.ParseILScript();
  return script.ErrorMessage.empty();
}

}  // namespace script
