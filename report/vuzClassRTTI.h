// The report classes as scripts see them: two binding modules of the script
// engine. vuzClassRTTI gives the unit constants, the enumerations and sets,
// the report classes (their published properties by reflection, plus the
// members written by hand here), vuzGlobalVariables and the functions DayOf,
// MonthOf, YearOf and the aggregate declarations; vuzChBoxRTTI gives the
// check box.
//
// A class is bound when its class information is known: the classes of this
// library directly, the others (views, text, bands, pages, ...) when their
// unit has registered them with the runtime's class registry. A class that
// lands later needs only that registration; its hand-written members (if
// any) are dispatched by class name.
#pragma once
#include <functional>
#include <memory>
#include <unordered_map>

#include "platform/rtl/lists.h"
#include "platform/rtl/typinfo.h"
#include "script/fs_iinterpreter.h"

namespace report {

namespace vuzClassRTTI {

// The module: its constructor registers everything into the script. One
// method handler, one property getter and one setter serve every member;
// they receive the class the member was registered on and the member's
// name in capitals (an indexed property's read and write as "NAME.GET" and
// "NAME.SET").
class TFunctions : public script::TfsRTTIModule {
 public:
  explicit TFunctions(script::TfsScript* script);
  ~TFunctions() override;

  rtl::Variant CallMethod(rtl::TObject* instance, script::TClass classType, const rtl::AnsiString& methodName,
                          script::TfsMethodHelper* caller);
  rtl::Variant GetProp(rtl::TObject* instance, script::TClass classType, const rtl::AnsiString& propName);
  void SetProp(rtl::TObject* instance, script::TClass classType, const rtl::AnsiString& propName,
               const rtl::Variant& value);

 private:
  void RegisterClasses();
  // The child lists handed to scripts as TList objects (they live with the module).
  rtl::TList* ListFor(const rtl::TObject* owner, bool all);
  std::unordered_map<const void*, std::unique_ptr<rtl::TList>> lists_;
};

}  // namespace vuzClassRTTI

namespace vuzChBoxRTTI {

class TFunctions : public script::TfsRTTIModule {
 public:
  explicit TFunctions(script::TfsScript* script);
};

}  // namespace vuzChBoxRTTI

// The class information of a report class by name: a class of this library,
// a class in the runtime's registry, or one reached from those through
// parents and published object properties. nullptr when none is known.
const rtl::TClassInfo* vuzFindReportClassInfo(const rtl::AnsiString& name);

// The prepared pages' anchors, which live in the preview layer: scripts'
// Engine.AddAnchor and Engine.GetAnchorPage go through these (without them
// the two raise EAbstractError).
class TfrxCustomPreviewPages;
struct TfrxAnchorService {
  std::function<void(TfrxCustomPreviewPages& pages, const rtl::AnsiString& text)> add;
  std::function<int(TfrxCustomPreviewPages& pages, const rtl::AnsiString& text)> page;
};
void vuzSetAnchorService(TfrxAnchorService service);

// Add the modules to the script engine's module list (and take them out).
// Counted: only the first start-up and the last shut-down act. Every script
// that asks for the bindings afterwards (AddRTTI) receives them.
void vuzClassRTTIStartup();
void vuzClassRTTIShutdown();
void vuzChBoxRTTIStartup();
void vuzChBoxRTTIShutdown();

}  // namespace report
