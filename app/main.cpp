// The recorder program.
#include <exception>

#include "app/FormMain.h"
#include "export/biff/biffExcelStandIn.h"
#include "export/biff/vuzExportBIFF_gui.h"
#include "export/vuzExportHTML_gui.h"
#include "export/vuzExportImage_gui.h"
#include "export/vuzExportMatrix_gui.h"
#include "export/vuzExportPDF_gui.h"
#include "export/vuzExportRTF_gui.h"
#include "export/vuzExportTXT_gui.h"
#include "export/vuzExportXLS_gui.h"
#include "platform/gui/application.h"
#include "platform/gui/termination.h"
#include "preview/vuzPreviewForm_gui.h"
#include "report/vuzClass.h"
#include "report/vuzClass_gui.h"
#include "report/vuzDsgnIntf.h"
#include "report/vuzUtils_gui.h"
#include "script/fs_isysrtti_gui.h"

int main() {
  using namespace gui;
  Application->Initialize();
  Application->SetTitle(app::kApplicationTitle);
  CloseMainFormOnTerminationSignals();
  // The report engine's process-wide objects come before the main window
  // (whose reports and filters use them) and go after it.
  report::ReportClassesStartup();
  report::ReportClassesGuiStartup();
  // The windows the engines open: scripts' message boxes, the preview, the
  // exports' dialogs and progress.
  script::fsUseGuiMessageBoxes();
  preview::vuzPreviewGuiStartup();
  report::vuzExportPDFGuiStartup();
  report::vuzExportTXTGuiStartup();
  report::vuzExportImageGuiStartup();
  report::vuzExportHTMLGuiStartup();
  report::vuzExportODFGuiStartup();
  report::vuzExportBIFFGuiStartup();
  report::vuzExportXLSGuiStartup();
  // No spreadsheet application here: the automation export drives the
  // in-process one, which writes the workbook itself.
  report::BiffExcelStandInStartup();
  report::vuzExportRTFGuiStartup();
  report::vuzMatrixProgressGuiStartup();
  app::TForm1::UseReportPrinterForCharts();
  // Templates name components of the main window as "Form1.Name".
  report::vuzInstallFormComponentFinder();
  try {
    Application->CreateForm<app::TForm1>();
    Application->Run();
  } catch (const std::exception& e) {
    Application->ShowException(e);
  }
  // The windows go while the toolkit is still there: the application object
  // itself is static and would otherwise free them after the toolkit's own
  // statics have gone.
  Application->DestroyComponents();
  report::ReportClassesGuiShutdown();
  report::ReportClassesShutdown();
  report::ReportDesignShutdown();
  return 0;
}
