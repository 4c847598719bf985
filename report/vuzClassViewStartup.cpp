// Start-up of the view units: the classes the template reader must know
// beyond the standard table, and the check box's entry in the object registry.
#include "report/vuzChBox.h"
#include "report/vuzClassPicture.h"
#include "report/vuzClassShape.h"
#include "report/vuzClassView.h"

namespace report {

void RegisterViewClasses() {
  vuzRegisterReportClass(TfrxView::StaticClass());
  vuzRegisterReportClass(TfrxFrameLine::StaticClass());
  vuzRegisterReportClass(TfrxFormat::StaticClass());
  vuzRegisterReportClass(TfrxCheckBoxView::StaticClass());
  vuzChBoxStartup();
}

}  // namespace report
