// Script members of the views, text objects, pictures, bands and dialog
// pages, registered when those classes exist.
#include "report/vuzClassRTTI_p.h"

namespace report::rtti {

void RegisterViewClasses(script::TfsScript& /*script*/, const MethodHandler& /*method*/,
                         const GetHandler& /*getter*/, const SetHandler& /*setter*/) {}

bool CallViewMethod(rtl::TObject*, script::TClass, const rtl::AnsiString&, script::TfsMethodHelper*, rtl::Variant&) {
  return false;
}
bool GetViewProp(rtl::TObject*, script::TClass, const rtl::AnsiString&, rtl::Variant&) { return false; }
bool SetViewProp(rtl::TObject*, script::TClass, const rtl::AnsiString&, const rtl::Variant&) { return false; }

}  // namespace report::rtti
