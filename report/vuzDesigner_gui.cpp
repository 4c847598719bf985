#include "report/vuzDesigner_gui.h"

#include "platform/rtl/exceptions.h"
#include "report/vuzClassReport.h"

namespace report {

namespace {
[[noreturn]] void Abstract() { throw rtl::EAbstractError("Abstract Error"); }
}  // namespace

TfrxCustomDesigner::TfrxCustomDesigner(rtl::TComponent* owner, TfrxReport* report, bool previewDesigner)
    : gui::TForm(owner), report_(report), previewDesigner_(previewDesigner) {}

TfrxCustomDesigner::~TfrxCustomDesigner() = default;

void TfrxCustomDesigner::SetModified(bool value) {
  modified_ = value;
  if (value && report_) report_->Modified = true;
}

rtl::TStrings* TfrxCustomDesigner::GetCode() { Abstract(); }
AnsiString TfrxCustomDesigner::InsertExpression(const AnsiString&) { Abstract(); }
void TfrxCustomDesigner::Lock() { Abstract(); }
void TfrxCustomDesigner::ReloadPages(int) { Abstract(); }
void TfrxCustomDesigner::ReloadReport() { Abstract(); }
void TfrxCustomDesigner::UpdateDataTree() { Abstract(); }
void TfrxCustomDesigner::UpdatePage() { Abstract(); }

}  // namespace report
