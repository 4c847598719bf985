// The expression cache: every expression the report's own names do not
// answer is compiled once, in the report's script language, as a one-line
// function "fr3f<N>" of a script of its own whose parent is the report's
// script (so the function sees the report's objects and functions), and
// the compiled function is kept under the expression's text for the rest of
// the run.
//
// Keys are the exact text: two expressions that differ only in the case of
// a string literal ('Yes' and 'YES') must not share a function. A text that
// fails to compile is not kept; it is compiled again at its next use.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

#include "platform/rtl/strings.h"
#include "platform/rtl/variant.h"
#include "script/fs_iinterpreter.h"

namespace report {

using rtl::AnsiString;

// What went wrong in a Calc of the cache.
enum class TfrxCalcError : std::uint8_t {
  None,
  Compile,       // the text did not compile (or the language is unknown)
  Runtime,       // the function raised
  DivideByZero,  // the function raised a division by zero
};

class TfrxExpressionCache {
 public:
  // mainScript: the report's script, whose main-program flag is cleared
  // while a compiled function runs.
  explicit TfrxExpressionCache(script::TfsScript* mainScript);
  ~TfrxExpressionCache();
  TfrxExpressionCache(const TfrxExpressionCache&) = delete;
  TfrxExpressionCache& operator=(const TfrxExpressionCache&) = delete;

  // Forgets every compiled function (each run starts with an empty cache).
  void Clear();

  // Evaluates the expression with `script` as the parent of the compiled
  // function. On failure the result is Null and `error` holds the text
  // ("Ошибка в выражении '<expr>': <message>" for a compile error, the
  // exception's message for a run-time one); `kind` tells which. Objects
  // that are not runtime exceptions pass through.
  rtl::Variant Calc(const AnsiString& expression, AnsiString& error, script::TfsScript* script,
                    TfrxCalcError* kind = nullptr);

  const AnsiString& ScriptLanguage() const { return scriptLanguage_; }
  void SetScriptLanguage(const AnsiString& language) { scriptLanguage_ = language; }
  // Kept for the report's property of that name. Keys are compared exactly
  // either way: folding case would make 'Yes' and 'YES' one function.
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool value) { caseSensitive_ = value; }

  // How many expressions are compiled and kept now; how many compiles ran
  // since the cache was made (failed ones included).
  int Count() const { return static_cast<int>(functions_.size()); }
  std::uint64_t CompileCount() const { return compileCount_; }
  // The compiled function of a text, nullptr when it is not kept.
  script::TfsProcVariable* Find(const AnsiString& expression) const;
  // The script that holds the compiled functions.
  script::TfsScript* OwnScript() const { return script_.get(); }

  // The wrapper text of a language, empty for a language without one.
  static AnsiString WrapperText(const AnsiString& language, int number, const AnsiString& expression);

 private:
  script::TfsProcVariable* Compile(const AnsiString& expression, AnsiString& error);

  std::unordered_map<AnsiString, script::TfsProcVariable*> functions_;
  std::unique_ptr<script::TfsScript> script_;
  script::TfsScript* mainScript_;
  AnsiString scriptLanguage_ = "PascalScript";
  bool caseSensitive_ = false;
  std::uint64_t compileCount_ = 0;
};

class TfrxReport;

// Process-wide extension points of the report's evaluation, for hosts that
// answer names in their own way; nothing in this program sets them.
struct TfrxCalcHooks {
  // Asked first for every name; an answer that is not Empty is taken.
  std::function<void(const AnsiString& name, rtl::Variant& value)> GetValue;
  // When set, the report's script values are not looked up by name, and
  // the script's Get asks this for names nobody answered.
  std::function<rtl::Variant(const AnsiString& name)> GetScriptValue;
  // Called at the end of the report's script preparation.
  std::function<void(TfrxReport& report)> PrepareScript;
};
TfrxCalcHooks& vuzCalcHooks();

// The text of a variable met again while its own value is evaluated.
AnsiString vuzVariableCycleText(const AnsiString& name);

}  // namespace report
