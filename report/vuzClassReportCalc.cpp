// Expression evaluation of the report: Calc and the order in which names
// are answered (DoGetValue), PrepareScript, the script-side Get and Set,
// the IIF and aggregate macro functions and the application's functions.
// What no name answers is compiled by the expression cache.
#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/textcase.h"
#include "report/vuzClassPicture.h"
#include "report/vuzClassReport.h"
#include "report/vuzExpressionCache.h"
#include "report/vuzRes.h"

namespace report {

using rtl::Variant;
using script::TfsScript;

void TfrxExpressionCacheDeleter::operator()(TfrxExpressionCache* cache) const { delete cache; }

std::unique_ptr<TfrxExpressionCache, TfrxExpressionCacheDeleter> vuzCreateExpressionCache(TfrxReport& report) {
  return std::unique_ptr<TfrxExpressionCache, TfrxExpressionCacheDeleter>(new TfrxExpressionCache(report.Script()));
}

namespace {

// A variable met again while its own value is being evaluated. It is not a
// runtime exception, so the compiled functions it passes on its way out do
// not turn it into more error lines; the outermost evaluation raises it as
// one exception.
struct TfrxVariableCycle {
  AnsiString message;
};

// Evaluations in progress (everything runs on the GUI thread), and the
// variables among them.
thread_local int g_evaluationDepth = 0;
thread_local std::vector<std::pair<const TfrxReport*, AnsiString>> g_variablesInProgress;

class VariableInProgress {
 public:
  VariableInProgress(const TfrxReport* report, const AnsiString& name) {
    g_variablesInProgress.emplace_back(report, name);
  }
  ~VariableInProgress() { g_variablesInProgress.pop_back(); }
  VariableInProgress(const VariableInProgress&) = delete;
  VariableInProgress& operator=(const VariableInProgress&) = delete;
  static bool Active(const TfrxReport* report, const AnsiString& name) {
    for (const auto& [r, n] : g_variablesInProgress)
      if (r == report && rtl::AnsiSameText(n, name)) return true;
    return false;
  }
};

// Runs one level of evaluation; the outermost level turns a variable cycle
// into the runtime exception its callers expect.
template <class F>
auto Evaluation(F&& body) {
  struct Level {
    Level() { ++g_evaluationDepth; }
    ~Level() { --g_evaluationDepth; }
  } level;
  try {
    return body();
  } catch (const TfrxVariableCycle& cycle) {
    if (g_evaluationDepth == 1) throw rtl::Exception(cycle.message);
    throw;
  }
}

bool IsAggregate(const AnsiString& upperName) {
  for (const char* n : {"SUM", "MIN", "MAX", "AVG", "COUNT"})
    if (upperName == n) return true;
  return false;
}

AnsiString Param(const Variant& params, int index) { return params[index].AsString(); }

// "<name>" where the script would hand exactly name to Get: no nested or
// other brackets, no single quote (it ends the string Get is given), double
// quotes in pairs, and no blank at either end.
bool IsPlainBracketedName(const AnsiString& expression, std::string_view& inner) {
  if (expression.size() < 3 || expression.front() != '<' || expression.back() != '>') return false;
  inner = std::string_view(expression).substr(1, expression.size() - 2);
  if (static_cast<unsigned char>(inner.front()) <= ' ' || static_cast<unsigned char>(inner.back()) <= ' ') return false;
  int quotes = 0;
  for (char c : inner) {
    if (c == '<' || c == '>' || c == '[' || c == ']' || c == '\'' || c == '\r' || c == '\n') return false;
    if (c == '"') ++quotes;
  }
  return quotes % 2 == 0;
}

// Each error text is listed once, however often a long report meets it.
void AddError(rtl::TStrings& errors, const AnsiString& text) {
  if (errors.IndexOf(text) < 0) errors.Add(text);
}

// Registers an object under the nearest of its classes that scripts know,
// so that its members compile (an object of an unbound class would not).
void AddScriptObject(TfsScript& script, const AnsiString& name, rtl::TObject* object) {
  AnsiString type = object->ClassName();
  for (const rtl::TClassInfo* c = &object->ClassType(); c; c = c->Parent())
    if (script.FindClass(c->Name())) {
      type = c->Name();
      break;
    }
  script.AddVariable(name, type, script::fsObjectToVariant(object));
}

}  // namespace

// ---------------------------------------------------------------- Calc

Variant TfrxReport::Calc(const AnsiString& expression, TfsScript* script) {
  return Evaluation([&] {
    const bool scriptCall = script == ScriptCallMarker();
    if (scriptCall || !script) script = Script();
    Variant result = Variant::Null();
    if (DoGetValue(expression, result)) return result;
    // <Alias."Field"> alone compiles to a call of Get for the field, which
    // answers the field's value: the value is taken without the script (an
    // aggregate asks for it at every row). Anything else, or a field that
    // fails, goes the whole way.
    if (std::string_view inner; !vuzCalcHooks().GetValue && IsPlainBracketedName(expression, inner)) {
      try {
        if (FieldValue(AnsiString(inner), result)) return result;
      } catch (const rtl::Exception&) {
        // Reported as the compiled expression reports it.
      }
    }

    AnsiString error;
    TfrxCalcError kind = TfrxCalcError::None;
    result = expressionCache_->Calc(expression, error, script, &kind);
    if (kind == TfrxCalcError::None) return result;
    if (kind == TfrxCalcError::DivideByZero && engineOptions_->IgnoreDevByZero) return result;
    if (scriptCall)
      error = vuzResources().Get("clErrorInExp") + " " + error;
    else if (!curObject_.empty())
      error = curObject_ + ": " + error;
    AddError(*errors_, error);
    throw rtl::Exception(error);
  });
}

// ---------------------------------------------------------------- DoGetValue

bool TfrxReport::DoGetValue(const AnsiString& name, Variant& value) {
  return Evaluation([&] {
    value = Variant::Null();
    TfrxCalcHooks& hooks = vuzCalcHooks();

    if (hooks.GetValue) {
      Variant answer;
      hooks.GetValue(name, answer);
      if (!answer.IsEmpty()) {
        value = answer;
        return true;
      }
    }

    if (FieldValue(name, value)) return true;

    // The built-in names, in the order of the list.
    switch (SysVariableIndex(name)) {
      case 0: value = Variant::FromDate(engine_->StartDate); return true;
      case 1: value = Variant::FromDate(engine_->StartTime); return true;
      case 2: value = Variant(previewPages_->GetLogicalPageNo()); return true;
      case 3: value = Variant(previewPages_->CurPage + 1); return true;
      case 4: value = Variant(previewPages_->GetLogicalTotalPages()); return true;
      case 5: value = Variant(engine_->TotalPages); return true;
      case 6: value = Variant(engine_->CurLine); return true;
      case 7: value = Variant(engine_->CurLineThrough); return true;
      case 8:
        value = vuzGlobalVariables() ? vuzGlobalVariables()->GetVariable("CopyName0") : Variant::Null();
        return true;
      default: break;
    }

    // The application's names.
    if (OnGetValue) {
      Variant answer;
      OnGetValue(name, answer);
      if (!answer.IsEmpty()) {
        value = answer;
        return true;
      }
    }
    if (OnNewGetValue) {
      Variant answer;
      OnNewGetValue(this, name, answer);
      if (!answer.IsEmpty()) {
        value = answer;
        return true;
      }
    }

    // A report variable: a text without a line break is an expression.
    int index = variables_->IndexOf(name);
    if (index >= 0) {
      Variant stored = variables_->GetItems(index)->Value();
      if (stored.IsString() && stored.AsString().find("\r\n") == AnsiString::npos) {
        if (VariableInProgress::Active(this, name)) {
          AnsiString message = vuzVariableCycleText(name);
          if (!curObject_.empty()) message = curObject_ + ": " + message;
          AddError(*errors_, message);
          throw TfrxVariableCycle{message};
        }
        VariableInProgress inProgress(this, name);
        value = Calc(stored.AsString(), script_.get());
      } else {
        value = stored;
      }
      return true;
    }

    if (TfrxVariables* globals = vuzGlobalVariables()) {
      index = globals->IndexOf(name);
      if (index >= 0) {
        value = globals->GetItems(index)->Value();
        return true;
      }
    }

    // A value of the report's script (not a procedure or function).
    if (!hooks.GetScriptValue) {
      script::TfsCustomVariable* item = script_->FindLocal(name);
      if (item && item->Kind() != script::TfsItemKind::Proc && !dynamic_cast<script::TfsMethodHelper*>(item)) {
        value = item->GetValue();
        return true;
      }
    }
    return false;
  });
}

bool TfrxReport::FieldValue(const AnsiString& name, Variant& value) {
  TfrxDataSet* dataSet = nullptr;
  AnsiString field;
  GetDatasetAndField(name, dataSet, field);
  if (!dataSet || field.empty()) return false;
  value = dataSet->GetValue(field);
  if (engineOptions_->ConvertNulls && value.IsNull()) {
    switch (dataSet->GetFieldType(field)) {
      case fftNumeric: value = Variant(0); break;
      case fftString: value = Variant(AnsiString()); break;
      case fftBoolean: value = Variant(false); break;
    }
  }
  return true;
}

int TfrxReport::SysVariableIndex(const AnsiString& name) {
  // While the list is between BeginUpdate and EndUpdate its change is not
  // announced yet: it is searched as it is.
  if (sysVariables_->UpdateCount() > 0) return sysVariables_->IndexOf(name);
  if (auto it = sysVariableIndex_.find(name); it != sysVariableIndex_.end()) return it->second;
  const int index = sysVariables_->IndexOf(name);
  // A bounded memory: a report asks for a handful of names again and again.
  if (sysVariableIndex_.size() < 4096) sysVariableIndex_.emplace(name, index);
  return index;
}

// ---------------------------------------------------------------- PrepareScript

bool TfrxReport::PrepareScript() {
  expressionCache_->Clear();
  expressionCache_->SetScriptLanguage(scriptLanguage_);
  engine_->Notifies().clear();
  script_->ClearItems(this);
  struct Mark {
    TfsScript& s;
    explicit Mark(TfsScript& script, const void* owner) : s(script) { s.RegisteredBy = owner; }
    ~Mark() { s.RegisteredBy = nullptr; }
  } mark(*script_, this);
  script_->IsMainProgram = true;

  std::vector<TfrxComponent*> named;
  for (TfrxComponent* object : GetAllObjects()) {
    object->SetIsDesigning(false);
    object->BeforeStartReport();
    // The prepared pages take each picture again in the new run.
    if (auto* picture = dynamic_cast<TfrxPictureView*>(object)) picture->PictureChanged();
    if (!object->Name().empty()) named.push_back(object);
  }
  // The script keeps its names sorted: given in that order, each one goes
  // at the end instead of shifting all before it (templates of a hundred
  // thousand objects). Equal names keep their order, so the script finds
  // the same object for each as in tree order.
  std::stable_sort(named.begin(), named.end(), [](const TfrxComponent* a, const TfrxComponent* b) {
    return rtl::AnsiCompareText(a->Name(), b->Name()) < 0;
  });
  for (TfrxComponent* object : named) AddScriptObject(*script_, object->Name(), object);

  AddScriptObject(*script_, "Report", this);
  AddScriptObject(*script_, "Engine", engine_.get());
  if (TfrxCustomOutline* outline = previewPages_ ? previewPages_->Outline() : nullptr)
    script_->AddVariable("Outline", "TfrxCustomOutline", script::fsObjectToVariant(outline));
  script_->AddVariable("Value", "Variant", Variant::Null());
  script_->AddVariable("Self", "TfrxView", Variant::Null());

  auto get = [this](rtl::TObject* i, script::TClass c, const AnsiString& n, Variant& p) {
    return GetScriptValue(i, c, n, p);
  };
  auto set = [this](rtl::TObject* i, script::TClass c, const AnsiString& n, Variant& p) {
    return SetScriptValue(i, c, n, p);
  };
  auto macro = [this](rtl::TObject* i, script::TClass c, const AnsiString& n, Variant& p) {
    return CallMethod(i, c, n, p);
  };
  script_->AddMethod("function Get(Name: String): Variant", get);
  script_->AddMethod("procedure Set(Name: String; Value: Variant)", set);
  script_->AddMethod("macrofunction IIF(Expr: Boolean; TrueValue, FalseValue: Variant): Variant", macro);
  script_->AddMethod("macrofunction SUM(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant", macro);
  script_->AddMethod("macrofunction AVG(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant", macro);
  script_->AddMethod("macrofunction MIN(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant", macro);
  script_->AddMethod("macrofunction MAX(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant", macro);
  script_->AddMethod("macrofunction COUNT(Band: Variant = 0; Flags: Integer = 0): Variant", macro);

  if (vuzCalcHooks().PrepareScript) vuzCalcHooks().PrepareScript(*this);

  localValue_ = script_->Find("Value");
  selfValue_ = script_->Find("Self");
  script_->SetLines(*scriptText_);
  script_->SyntaxType = scriptLanguage_;
  return true;
}

// ---------------------------------------------------------------- script entry points

Variant TfrxReport::GetScriptValue(rtl::TObject*, script::TClass, const AnsiString&, Variant& params) {
  const AnsiString name = Param(params, 0);
  Variant value;
  if (DoGetValue(name, value)) return value;
  size_t bracket = name.find('(');
  if (bracket != AnsiString::npos && IsAggregate(rtl::AnsiUpperCase(rtl::Trim(name.substr(0, bracket)))))
    return Calc(name);
  if (vuzCalcHooks().GetScriptValue) return vuzCalcHooks().GetScriptValue(name);
  AddError(*errors_, vuzResources().Get("clUnknownVar") + " " + name);
  return Variant();
}

Variant TfrxReport::SetScriptValue(rtl::TObject*, script::TClass, const AnsiString&, Variant& params) {
  variables_->SetVariable(Param(params, 0), params[1]);
  return Variant();
}

Variant TfrxReport::CallMethod(rtl::TObject*, script::TClass, const AnsiString& methodName, Variant& params) {
  TfsScript* running = script_->RunningProgram;
  if (methodName == "IIF") {
    try {
      Variant condition = Calc(Param(params, 0), running);
      return Calc(Param(params, condition == Variant(true) ? 1 : 2), running);
    } catch (...) {
      // IIF never raises; the error is in the report's list already.
      return Variant();
    }
  }
  const bool count = methodName == "COUNT";
  if (!count && !IsAggregate(methodName)) return Variant();
  auto number = [&](int index) -> Variant {
    AnsiString text = rtl::Trim(Param(params, index));
    return text.empty() ? Variant(0) : Calc(text, running);
  };
  Variant band = number(count ? 0 : 1);
  Variant flags = number(count ? 1 : 2);
  auto* bandObject = dynamic_cast<TfrxComponent*>(script::fsVariantToObject(band));
  return engine_->GetAggregateValue(methodName, count ? AnsiString() : Param(params, 0), bandObject, flags.AsInteger());
}

Variant TfrxReport::DoUserFunction(rtl::TObject*, script::TClass, const AnsiString& methodName, Variant& params) {
  if (OnUserFunction) return OnUserFunction(methodName, params);
  return Variant();
}

void TfrxReport::AddFunction(const AnsiString& syntax, const AnsiString& category, const AnsiString& description) {
  script_->AddMethod(
      syntax,
      [this](rtl::TObject* i, script::TClass c, const AnsiString& n, Variant& p) { return DoUserFunction(i, c, n, p); },
      category, description);
}

Variant TfrxReport::GetLocalValue() const { return localValue_ ? localValue_->GetValue() : Variant::Null(); }

void TfrxReport::SetLocalValue(const Variant& value) {
  if (localValue_) localValue_->SetValue(value);
}

TfrxComponent* TfrxReport::GetSelfValue() const {
  if (!selfValue_) return nullptr;
  return dynamic_cast<TfrxComponent*>(script::fsVariantToObject(selfValue_->GetValue()));
}

void TfrxReport::SetSelfValue(TfrxComponent* value) {
  if (selfValue_) selfValue_->SetValue(script::fsObjectToVariant(value));
}

bool TfrxReport::CaseSensitive() const { return expressionCache_->CaseSensitive(); }
void TfrxReport::SetCaseSensitive(bool value) { expressionCache_->SetCaseSensitive(value); }

}  // namespace report
