// Script members of the report object and its engine options.
#include "report/vuzClassRTTI_p.h"
#include "report/vuzClassReport.h"

namespace report::rtti {

void RegisterReportClasses(script::TfsScript& script, const MethodHandler& method, const GetHandler& getter,
                           const SetHandler& setter) {
  if (script::TfsClassVariable* c = AddReportClass(script, "TfrxEngineOptions", "TPersistent"))
    c->AddProperty("DestroyForms", "Boolean", getter, setter);
  if (script::TfsClassVariable* c = AddReportClass(script, "TfrxReport", "TfrxComponent")) {
    for (const char* d :
         {"function Calc(const Expr: String): Variant", "function GetDataset(const Alias: String): TfrxDataset",
          "function LoadFromFile(const FileName: String): Boolean", "procedure SaveToFile(const FileName: String)",
          "procedure ShowReport"})
      c->AddMethod(d, method);
    c->AddProperty("Terminated", "Boolean", getter, setter);
    c->AddProperty("Variables", "TfrxVariables", getter);
    c->AddProperty("Styles", "TfrxStyles", getter);
  }
}

bool CallReportMethod(rtl::TObject* instance, script::TClass classType, const rtl::AnsiString& name,
                      script::TfsMethodHelper* caller, rtl::Variant& result) {
  if (!Is(classType, "TfrxReport")) return false;
  auto& report = Need<TfrxReport>(instance, "TfrxReport");
  if (name == "CALC")
    result = report.Calc(ArgText(caller, 0), TfrxReport::ScriptCallMarker());
  else if (name == "GETDATASET")
    result = Object(report.GetDataset(ArgText(caller, 0)));
  else if (name == "LOADFROMFILE")
    result = rtl::Variant(report.LoadFromFile(ArgText(caller, 0)));
  else if (name == "SAVETOFILE")
    report.SaveToFile(ArgText(caller, 0));
  else if (name == "SHOWREPORT")
    report.ShowReport(true);
  return true;
}

bool GetReportProp(rtl::TObject* instance, script::TClass classType, const rtl::AnsiString& name,
                   rtl::Variant& result) {
  if (Is(classType, "TfrxEngineOptions")) {
    if (name == "DESTROYFORMS")
      result = rtl::Variant(Need<TfrxEngineOptions>(instance, "TfrxEngineOptions").DestroyForms);
    return true;
  }
  if (!Is(classType, "TfrxReport")) return false;
  auto& report = Need<TfrxReport>(instance, "TfrxReport");
  if (name == "TERMINATED")
    result = rtl::Variant(report.Terminated());
  else if (name == "VARIABLES")
    result = Object(report.Variables());
  else if (name == "STYLES")
    result = Object(report.Styles());
  return true;
}

bool SetReportProp(rtl::TObject* instance, script::TClass classType, const rtl::AnsiString& name,
                   const rtl::Variant& value) {
  if (Is(classType, "TfrxEngineOptions")) {
    if (name == "DESTROYFORMS") Need<TfrxEngineOptions>(instance, "TfrxEngineOptions").DestroyForms = value.AsBoolean();
    return true;
  }
  if (!Is(classType, "TfrxReport")) return false;
  if (name == "TERMINATED") Need<TfrxReport>(instance, "TfrxReport").SetTerminated(value.AsBoolean());
  return true;
}

}  // namespace report::rtti
