// The check box as scripts see it: its two mark styles and its class.
#include "report/vuzClassRTTI.h"

namespace report::vuzChBoxRTTI {

TFunctions::TFunctions(script::TfsScript* script) : script::TfsRTTIModule(script) {
  script->AddEnum("TfrxCheckStyle", "csCross, csCheck, csLineCross, csPlus");
  script->AddEnum("TfrxUncheckStyle", "usEmpty, usCross, usLineCross, usMinus");
  script->AddClass(vuzFindReportClassInfo("TfrxCheckBoxView"), "TfrxView");
}

}  // namespace report::vuzChBoxRTTI
