#include "app/ReportEngineStartup.h"

#include "export/biff/vuzExportBIFF.h"
#include "export/vuzExportStartup.h"
#include "preview/vuzPreviewStartup.h"
#include "report/vuzClass.h"
#include "report/vuzClassRTTI.h"

namespace app {

namespace {
int g_nesting = 0;
}

TReportEngineStartup::TReportEngineStartup() {
  report::ReportClassesStartup();
  report::vuzClassRTTIStartup();
  preview::vuzPreviewStartup();
  // Filters of libraries above the export start-up are made by class name.
  report::vuzExportBIFFStartup();
  if (g_nesting++ == 0) report::vuzExportStartup();
}

TReportEngineStartup::~TReportEngineStartup() {
  if (--g_nesting == 0) report::vuzExportShutdown();
  preview::vuzPreviewShutdown();
  report::vuzClassRTTIShutdown();
  report::ReportClassesShutdown();
}

}  // namespace app
