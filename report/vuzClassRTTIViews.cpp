// Script members of the views, pictures and bands (registered when those
// classes exist).
#include "report/vuzClassBands.h"
#include "report/vuzClassPicture.h"
#include "report/vuzClassRTTI_p.h"
#include "report/vuzClassView.h"

namespace report::rtti {

void RegisterViewClasses(script::TfsScript& script, const MethodHandler& method, const GetHandler& getter,
                         const SetHandler& setter) {
  if (script::TfsClassVariable* c = AddReportClass(script, "TfrxView", "TfrxReportComponent"))
    c->AddProperty("TagStr", "String", getter, setter);
  if (script::TfsClassVariable* c = AddReportClass(script, "TfrxStretcheable", "TfrxView"))
    c->AddMethod("function CalcHeight: Extended", method);
  if (script::TfsClassVariable* c = AddReportClass(script, "TfrxPictureView", "TfrxView"))
    c->AddMethod("procedure LoadFromFile(filename: String)", method);
  if (script::TfsClassVariable* c = AddReportClass(script, "TfrxBand", "TfrxReportComponent"))
    c->AddProperty("Overflow", "Boolean", getter);
}

bool CallViewMethod(rtl::TObject* instance, script::TClass classType, const rtl::AnsiString& name,
                    script::TfsMethodHelper* caller, rtl::Variant& result) {
  if (Is(classType, "TfrxStretcheable")) {
    if (name == "CALCHEIGHT") result = Float(Need<TfrxStretcheable>(instance, "TfrxStretcheable").CalcHeight());
    return true;
  }
  if (Is(classType, "TfrxPictureView")) {
    if (name == "LOADFROMFILE") {
      auto& picture = Need<TfrxPictureView>(instance, "TfrxPictureView");
      picture.Picture()->LoadFromFile(ArgText(caller, 0));
      picture.PictureChanged();
    }
    return true;
  }
  return false;
}

bool GetViewProp(rtl::TObject* instance, script::TClass classType, const rtl::AnsiString& name, rtl::Variant& result) {
  if (Is(classType, "TfrxView")) {
    if (name == "TAGSTR") result = rtl::Variant(Need<TfrxView>(instance, "TfrxView").TagStr());
    return true;
  }
  if (Is(classType, "TfrxBand")) {
    if (name == "OVERFLOW") result = rtl::Variant(Need<TfrxBand>(instance, "TfrxBand").Overflow);
    return true;
  }
  return false;
}

bool SetViewProp(rtl::TObject* instance, script::TClass classType, const rtl::AnsiString& name,
                 const rtl::Variant& value) {
  if (Is(classType, "TfrxView")) {
    if (name == "TAGSTR") Need<TfrxView>(instance, "TfrxView").SetTagStr(value.AsString());
    return true;
  }
  return false;
}

}  // namespace report::rtti
