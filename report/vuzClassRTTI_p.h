// Inside the report-class bindings: the argument helpers shared by the
// member dispatchers, and the dispatchers of the view, text, band and
// report classes, which live beside the classes they reach.
#pragma once
#include <functional>

#include "platform/rtl/streams.h"
#include "platform/rtl/stringlists.h"
#include "script/fs_iinterpreter.h"

namespace report {

namespace rtti {

rtl::Variant Arg(script::TfsMethodHelper* caller, int index);
rtl::AnsiString ArgText(script::TfsMethodHelper* caller, int index);
rtl::TObject* ArgObject(script::TfsMethodHelper* caller, int index);
// Raises EInvalidCast when the argument is not an object of that kind.
rtl::TStream& ArgStream(script::TfsMethodHelper* caller, int index);
rtl::TStrings& ArgStrings(script::TfsMethodHelper* caller, int index);
[[noreturn]] void WrongObject(const char* className);
rtl::Variant Object(const rtl::TObject* object);
rtl::Variant Float(long double value);
// The class the member was registered on has that name.
bool Is(script::TClass classType, std::string_view name);

template <class T>
T& Need(rtl::TObject* instance, const char* className) {
  auto* typed = dynamic_cast<T*>(instance);
  if (!typed) WrongObject(className);
  return *typed;
}

using MethodHandler =
    std::function<rtl::Variant(rtl::TObject*, script::TClass, const rtl::AnsiString&, script::TfsMethodHelper*)>;
using GetHandler = std::function<rtl::Variant(rtl::TObject*, script::TClass, const rtl::AnsiString&)>;
using SetHandler = std::function<void(rtl::TObject*, script::TClass, const rtl::AnsiString&, const rtl::Variant&)>;

// The classes a parent name and a class name give (nil when the class is unknown).
script::TfsClassVariable* AddReportClass(script::TfsScript& script, const char* name, const char* parent);

// Views, text, pictures, bands, dialog pages (registered when their classes exist).
void RegisterViewClasses(script::TfsScript& script, const MethodHandler& method, const GetHandler& getter,
                         const SetHandler& setter);
bool CallViewMethod(rtl::TObject* instance, script::TClass classType, const rtl::AnsiString& name,
                    script::TfsMethodHelper* caller, rtl::Variant& result);
bool GetViewProp(rtl::TObject* instance, script::TClass classType, const rtl::AnsiString& name, rtl::Variant& result);
bool SetViewProp(rtl::TObject* instance, script::TClass classType, const rtl::AnsiString& name,
                 const rtl::Variant& value);

// The report and its engine options.
void RegisterReportClasses(script::TfsScript& script, const MethodHandler& method, const GetHandler& getter,
                           const SetHandler& setter);
bool CallReportMethod(rtl::TObject* instance, script::TClass classType, const rtl::AnsiString& name,
                      script::TfsMethodHelper* caller, rtl::Variant& result);
bool GetReportProp(rtl::TObject* instance, script::TClass classType, const rtl::AnsiString& name, rtl::Variant& result);
bool SetReportProp(rtl::TObject* instance, script::TClass classType, const rtl::AnsiString& name,
                   const rtl::Variant& value);

}  // namespace rtti

}  // namespace report
