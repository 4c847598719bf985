// The system library every script sees: the basic type names, True, False,
// nil and Null, the variant type codes, the string and array helpers, the two
// exception variables, and 68 functions in six categories. It is the first
// binding module of every script's AddRTTI. The functions wrap the runtime's
// routines (platform/rtl), so scripts and the report engine print alike.
#pragma once
#include <functional>

#include "script/fs_iinterpreter.h"

namespace script {

class TfsSysFunctions : public TfsRTTIModule {
 public:
  explicit TfsSysFunctions(TfsScript* script);

  // The category texts the functions are registered under.
  static constexpr const char* kCategoryString = "ctString";
  static constexpr const char* kCategoryDate = "ctDate";
  static constexpr const char* kCategoryConv = "ctConv";
  static constexpr const char* kCategoryFormat = "ctFormat";
  static constexpr const char* kCategoryMath = "ctMath";
  static constexpr const char* kCategoryOther = "ctOther";

  // The dispatch operations, each serving the functions of one group by
  // their names in capitals; a name they do not serve leaves the result Null.
  static Variant CallMethod1(rtl::TObject* Instance, TClass ClassType, const AnsiString& MethodName,
                             TfsMethodHelper* Caller);
  static Variant CallMethod2(rtl::TObject* Instance, TClass ClassType, const AnsiString& MethodName,
                             TfsMethodHelper* Caller);
  static Variant CallMethod3(rtl::TObject* Instance, TClass ClassType, const AnsiString& MethodName,
                             TfsMethodHelper* Caller);
  static Variant CallMethod4(rtl::TObject* Instance, TClass ClassType, const AnsiString& MethodName,
                             TfsMethodHelper* Caller);
  static Variant CallMethod5(rtl::TObject* Instance, TClass ClassType, const AnsiString& MethodName,
                             TfsMethodHelper* Caller);
  static Variant CallMethod6(rtl::TObject* Instance, TClass ClassType, const AnsiString& MethodName,
                             TfsMethodHelper* Caller);
  static Variant CallMethod7(rtl::TObject* Instance, TClass ClassType, const AnsiString& MethodName,
                             TfsMethodHelper* Caller);
};

// The module's entry for the binding-module list.
TfsRTTIModule* fsCreateSysFunctions(TfsScript* script);

// Where ShowMessage sends its text. The script library computes only; a
// host that talks to the user installs a handler (fsUseGuiMessageBoxes of
// fs_isysrtti_gui.h shows the GUI layer's message box). Without one the
// text is dropped.
using TfsShowMessageHandler = std::function<void(const AnsiString& text)>;
void fsSetShowMessageHandler(TfsShowMessageHandler handler);

}  // namespace script
