// Script procedures and functions: the local scope, the result and a call.
#include "script/fs_ievents_registry.h"
#include "script/fs_iinterpreter.h"
#include "script/fs_istatements.h"

namespace script {

TfsProcVariable::TfsProcVariable(const AnsiString& name, TfsVarType type, const AnsiString& typeName, bool isFunction,
                                 TfsScript* declaringScript)
    : TfsCustomVariable(name, type, typeName), IsFunction(isFunction), LocalScope(new TfsScript(nullptr)) {
  kind_ = TfsItemKind::Proc;
  ReadOnly = true;
  LocalScope->ParentScript = declaringScript;
  if (declaringScript) LocalScope->ClassLateBinding = declaringScript->ClassLateBinding;
  if (isFunction) {
    auto* result = new TfsVariable("Result", type, typeName);
    LocalScope->Add("Result", result);
    LinkedItem = result;
  }
}

TfsProcVariable::~TfsProcVariable() {
  // Event adapters that would call this procedure go quiet first.
  fsForgetEventHandler(this);
  // The parameters are owned by this item's list, not by the local table.
  for (int i = 0; i < Count(); ++i) {
    int index = LocalScope->IndexOfObject(RawItem(i));
    if (index >= 0) LocalScope->Remove(RawItem(i));
  }
  delete LocalScope;
}

void TfsProcVariable::AddParam(TfsParamItem* param) {
  Add(param);
  LocalScope->Add(param->Name, param);
}

Variant TfsProcVariable::GetValue() {
  struct RunningFlag {
    TfsProcVariable& p;
    bool was;
    TfsScript* main = nullptr;
    TfsScript* savedProgram = nullptr;
    explicit RunningFlag(TfsProcVariable& proc) : p(proc), was(proc.Running) { p.Running = true; }
    ~RunningFlag() {
      if (main) main->RunningProgram = savedProgram;
      p.Running = was;
    }
  } running(*this);

  if (IsFunction && LinkedItem) LinkedItem->SetValue(Variant());
  for (TfsScript* s = LocalScope; s; s = s->ParentScript)
    if (s->IsMainProgram) {
      running.main = s;
      running.savedProgram = s->RunningProgram;
      s->RunningProgram = LocalScope;
      break;
    }
  LocalScope->ExecuteBody();
  return IsFunction && LinkedItem ? LinkedItem->GetValue() : Variant::Null();
}

}  // namespace script
