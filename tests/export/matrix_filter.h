// An export filter that only fills a layout matrix, as the table-shaped
// filters do: every object the export driver hands over goes to AddObject,
// every finished page to AddPage with its paper and margins. The caller runs
// Prepare after the export.
#pragma once
#include "export/vuzExportMatrix.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassServices.h"

namespace exporttest {

class MatrixFilter : public report::TfrxCustomExportFilter {
 public:
  MatrixFilter() {
    ShowDialog = false;
    ShowProgress = false;
    matrix.ShowProgress = false;
  }
  void ExportObject(report::TfrxComponent* object) override { matrix.AddObject(object); }
  void FinishPage(report::TfrxComponent* page, int index) override {
    auto* p = dynamic_cast<report::TfrxReportPage*>(page);
    if (!p) {
      matrix.AddPage(report::poPortrait, 0, 0, 0, 0, 0, 0, false, index);
      return;
    }
    matrix.AddPage(p->Orientation(), p->PaperWidth(), p->PaperHeight(), p->LeftMargin(), p->TopMargin(),
                   p->RightMargin(), p->BottomMargin(), p->MirrorMargins(), index);
  }

  report::TfrxIEMatrix matrix;
};

}  // namespace exporttest
