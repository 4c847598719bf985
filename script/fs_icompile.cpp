// Compiling through the front end, and evaluating a text. This unit is the
// only one that needs the front end, so the core links without it.
#include "platform/rtl/textcase.h"
#include "script/fs_iinterpreter.h"

namespace script {

bool TfsScript::Compile() {
  ErrorMessage.clear();
  fsBuildProgram(*this);
  if (!ErrorMessage.empty()) return false;
  ErrorPosition.clear();
  return true;
}

bool TfsScript::Run() {
  bool compiled = Compile();
  if (compiled) Execute();
  return compiled;
}

bool TfsScript::GetILCode(rtl::TStream& stream) {
  ErrorMessage.clear();
  fsWriteILCode(*this, stream);
  if (!ErrorMessage.empty()) return false;
  ErrorPosition.clear();
  return true;
}

bool TfsScript::SetILCode(rtl::TStream& stream) {
  ErrorMessage.clear();
  fsReadILCode(*this, stream);
  if (!ErrorMessage.empty()) return false;
  ErrorPosition.clear();
  return true;
}

// The expression as the body of a function fsEvaluateFUNC in the language.
static AnsiString WrapForEvaluate(const AnsiString& language, const AnsiString& expression) {
  if (rtl::SameText(language, "PascalScript"))
    return "function fsEvaluateFUNC: Variant; begin Result := " + expression + " end; begin end.";
  if (rtl::SameText(language, "C++Script")) return "Variant fsEvaluateFUNC() { return " + expression + "; } {}";
  if (rtl::SameText(language, "BasicScript"))
    return "function fsEvaluateFUNC\r\nreturn " + expression + "\r\nend function";
  if (rtl::SameText(language, "JScript")) return "function fsEvaluateFUNC() { return (" + expression + "); }";
  return AnsiString();
}

Variant TfsScript::Evaluate(const AnsiString& expression) {
  EvaluateFailed = false;
  TfsScript* scope = RunningProgram ? RunningProgram : this;
  TfsScript temporary(nullptr);
  if (!scope->BindingsAdded) temporary.AddRTTI();
  temporary.ParentScript = scope;
  temporary.OnGetVarValue = scope->OnGetVarValue;
  temporary.SyntaxType = SyntaxType;

  // Lines of the evaluated text are not the host's to follow.
  struct SilentRunLine {
    TfsScript& s;
    TfsRunLineEvent saved;
    explicit SilentRunLine(TfsScript& script) : s(script), saved(std::move(script.OnRunLine)) { s.OnRunLine = nullptr; }
    ~SilentRunLine() { s.OnRunLine = std::move(saved); }
  } silent(*this);

  temporary.Lines.SetText(WrapForEvaluate(SyntaxType, expression));
  if (!temporary.Compile()) {
    EvaluateFailed = true;
    return Variant(temporary.ErrorMessage);
  }
  return temporary.CallFunction("fsEvaluateFUNC", Variant::Null());
}

}  // namespace script
