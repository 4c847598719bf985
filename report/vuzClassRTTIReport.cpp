// Script members of the report object and its engine options.
#include "report/vuzClassRTTI_p.h"

namespace report::rtti {

void RegisterReportClasses(script::TfsScript& /*script*/, const MethodHandler& /*method*/, const GetHandler& /*getter*/,
                           const SetHandler& /*setter*/) {}

bool CallReportMethod(rtl::TObject*, script::TClass, const rtl::AnsiString&, script::TfsMethodHelper*, rtl::Variant&) {
  return false;
}
bool GetReportProp(rtl::TObject*, script::TClass, const rtl::AnsiString&, rtl::Variant&) { return false; }
bool SetReportProp(rtl::TObject*, script::TClass, const rtl::AnsiString&, const rtl::Variant&) { return false; }

}  // namespace report::rtti
