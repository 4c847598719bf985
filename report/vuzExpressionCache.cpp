#include "report/vuzExpressionCache.h"

#include "platform/rtl/exceptions.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"
#include "report/vuzRes.h"
#include "script/fs_iconst.h"
#include "script/fs_ilanguages.h"

namespace report {

using namespace rtl::literals;

using script::TfsProcVariable;
using script::TfsScript;

namespace {

AnsiString FunctionName(int number) { return "fr3f" + std::to_string(number); }

// Clears the report script's main-program flag while a compiled function
// runs and puts it back afterwards, also when the function raises.
class MainProgramOff {
 public:
  explicit MainProgramOff(TfsScript* script) : script_(script), saved_(script && script->IsMainProgram) {
    if (script_) script_->IsMainProgram = false;
  }
  ~MainProgramOff() {
    if (script_) script_->IsMainProgram = saved_;
  }
  MainProgramOff(const MainProgramOff&) = delete;
  MainProgramOff& operator=(const MainProgramOff&) = delete;

 private:
  TfsScript* script_;
  bool saved_;
};

}  // namespace

TfrxExpressionCache::TfrxExpressionCache(TfsScript* mainScript)
    : script_(std::make_unique<TfsScript>(nullptr)), mainScript_(mainScript) {
  script_->ExtendedIdentifiers = true;
  vuzResources();  // the compiler's messages come from the language table
}

TfrxExpressionCache::~TfrxExpressionCache() = default;

void TfrxExpressionCache::Clear() {
  functions_.clear();
  script_->Clear();
}

TfsProcVariable* TfrxExpressionCache::Find(const AnsiString& expression) const {
  auto it = functions_.find(expression);
  return it == functions_.end() ? nullptr : it->second;
}

AnsiString TfrxExpressionCache::WrapperText(const AnsiString& language, int number, const AnsiString& expression) {
  const AnsiString name = FunctionName(number);
  if (rtl::SameText(language, "PascalScript"))
    return "function " + name + ": Variant; begin Result := " + expression + " end; begin end.";
  if (rtl::SameText(language, "C++Script")) return "Variant " + name + "() { return " + expression + "; } {}";
  if (rtl::SameText(language, "BasicScript"))
    return "function " + name + "\r\nreturn " + expression + "\r\nend function";
  if (rtl::SameText(language, "JScript")) return "function " + name + "() { return " + expression + "; }";
  return AnsiString();
}

TfsProcVariable* TfrxExpressionCache::Compile(const AnsiString& expression, AnsiString& error) {
  const int number = Count();
  const AnsiString name = FunctionName(number);
  const AnsiString wrapper = WrapperText(scriptLanguage_, number, expression);
  AnsiString message;
  TfsProcVariable* function = nullptr;
  ++compileCount_;
  if (wrapper.empty()) {
    // Compiling the previous wrapper again would leave no function of this
    // name: an unknown language is a compile error of its own.
    message = rtl::Format(script::SLangNotFound(), {rtl::Variant(scriptLanguage_)});
  } else {
    script_->SyntaxType = scriptLanguage_;
    script_->Lines.SetText(wrapper);
    bool compiled = script_->Compile();
    script::TfsCustomVariable* item = script_->FindLocal(name);
    function = item && item->Kind() == script::TfsItemKind::Proc ? static_cast<TfsProcVariable*>(item) : nullptr;
    if (!compiled || !function) {
      if (item) {
        script_->Remove(item);
        delete item;
      }
      function = nullptr;
      message = compiled ? script::SIdUndeclared() + name : script_->ErrorMessage;
    }
  }
  if (!function) {
    error = vuzResources().Get("clExprError") + " '" + expression + "': " + message;
    return nullptr;
  }
  functions_.emplace(expression, function);
  return function;
}

rtl::Variant TfrxExpressionCache::Calc(const AnsiString& expression, AnsiString& error, TfsScript* script,
                                       TfrxCalcError* kind) {
  error.clear();
  if (kind) *kind = TfrxCalcError::None;
  script_->ParentScript = script;

  TfsProcVariable* function = Find(expression);
  if (!function) {
    function = Compile(expression, error);
    if (!function) {
      if (kind) *kind = TfrxCalcError::Compile;
      return rtl::Variant::Null();
    }
  }

  MainProgramOff off(mainScript_);
  try {
    return function->GetValue();
  } catch (const rtl::EZeroDivide& e) {
    error = e.Message();
    if (kind) *kind = TfrxCalcError::DivideByZero;
  } catch (const rtl::Exception& e) {
    error = e.Message();
    if (kind) *kind = TfrxCalcError::Runtime;
  }
  return rtl::Variant::Null();
}

TfrxCalcHooks& vuzCalcHooks() {
  static TfrxCalcHooks hooks;
  return hooks;
}

AnsiString vuzVariableCycleText(const AnsiString& name) { return "Циклическая ссылка в переменной '"_cp + name + "'"; }

}  // namespace report
