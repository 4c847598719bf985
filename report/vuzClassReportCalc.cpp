// Expression evaluation of the report: Calc, DoGetValue, the script entry
// points and the expression cache. Placeholder bodies until the expression
// unit replaces this file: names resolve to nothing and nothing compiles.
#include "report/vuzClassReport.h"

namespace report {

class TfrxExpressionCache {
 public:
  bool caseSensitive = false;
};

void TfrxExpressionCacheDeleter::operator()(TfrxExpressionCache* cache) const { delete cache; }

// The report's constructor asks for its cache here.
std::unique_ptr<TfrxExpressionCache, TfrxExpressionCacheDeleter> vuzCreateExpressionCache(TfrxReport& /*report*/) {
  return std::unique_ptr<TfrxExpressionCache, TfrxExpressionCacheDeleter>(new TfrxExpressionCache);
}

rtl::Variant TfrxReport::Calc(const AnsiString& expression, script::TfsScript* /*script*/) {
  rtl::Variant value;
  if (DoGetValue(expression, value)) return value;
  return rtl::Variant::Null();
}

bool TfrxReport::DoGetValue(const AnsiString& /*name*/, rtl::Variant& value) {
  value = rtl::Variant::Null();
  return false;
}

bool TfrxReport::PrepareScript() { return true; }

rtl::Variant TfrxReport::GetScriptValue(rtl::TObject*, script::TClass, const AnsiString&, rtl::Variant&) {
  return rtl::Variant();
}

rtl::Variant TfrxReport::SetScriptValue(rtl::TObject*, script::TClass, const AnsiString&, rtl::Variant&) {
  return rtl::Variant();
}

rtl::Variant TfrxReport::CallMethod(rtl::TObject*, script::TClass, const AnsiString&, rtl::Variant&) {
  return rtl::Variant();
}

rtl::Variant TfrxReport::DoUserFunction(rtl::TObject*, script::TClass, const AnsiString& methodName,
                                        rtl::Variant& params) {
  if (OnUserFunction) return OnUserFunction(methodName, params);
  return rtl::Variant();
}

void TfrxReport::AddFunction(const AnsiString&, const AnsiString&, const AnsiString&) {}

rtl::Variant TfrxReport::GetLocalValue() const { return rtl::Variant::Null(); }
void TfrxReport::SetLocalValue(const rtl::Variant&) {}
TfrxComponent* TfrxReport::GetSelfValue() const { return nullptr; }
void TfrxReport::SetSelfValue(TfrxComponent*) {}

bool TfrxReport::CaseSensitive() const { return expressionCache_ && expressionCache_->caseSensitive; }
void TfrxReport::SetCaseSensitive(bool value) {
  if (expressionCache_) expressionCache_->caseSensitive = value;
}

}  // namespace report
