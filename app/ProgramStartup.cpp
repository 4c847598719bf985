#include "app/ProgramStartup.h"

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
#include "preview/vuzPreviewForm_gui.h"
#include "report/vuzClass.h"
#include "report/vuzClass_gui.h"
#include "report/vuzDsgnIntf.h"
#include "report/vuzUtils_gui.h"
#include "script/fs_isysrtti_gui.h"

namespace app {

TProgramStartup::TProgramStartup() {
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
  TForm1::UseReportPrinterForCharts();
  // Templates name components of the main window as "Form1.Name".
  report::vuzInstallFormComponentFinder();
}

TProgramStartup::~TProgramStartup() {
  report::ReportClassesGuiShutdown();
  report::ReportClassesShutdown();
  report::ReportDesignShutdown();
}

}  // namespace app
