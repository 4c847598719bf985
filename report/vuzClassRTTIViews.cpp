// Script members of the views, text objects, pictures, bands and dialog
// pages, registered when those classes exist.
#include "report/vuzClassBands.h"
#include "report/vuzClassRTTI_p.h"

namespace report::rtti {

void RegisterViewClasses(script::TfsScript& script, const MethodHandler& /*method*/, const GetHandler& getter,
                         const SetHandler& /*setter*/) {
  if (script::TfsClassVariable* c = AddReportClass(script, "TfrxBand", "TfrxReportComponent"))
    c->AddProperty("Overflow", "Boolean", getter);
}

bool CallViewMethod(rtl::TObject*, script::TClass, const rtl::AnsiString&, script::TfsMethodHelper*, rtl::Variant&) {
  return false;
}

bool GetViewProp(rtl::TObject* instance, script::TClass classType, const rtl::AnsiString& name, rtl::Variant& result) {
  if (Is(classType, "TfrxBand")) {
    if (name == "OVERFLOW") result = rtl::Variant(Need<TfrxBand>(instance, "TfrxBand").Overflow);
    return true;
  }
  return false;
}

bool SetViewProp(rtl::TObject*, script::TClass, const rtl::AnsiString&, const rtl::Variant&) { return false; }

}  // namespace report::rtti
