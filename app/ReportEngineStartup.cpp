#include "app/ReportEngineStartup.h"

#include <memory>

#include "app/RecorderExportFilters.h"
#include "platform/rtl/components.h"
#include "preview/vuzPreviewStartup.h"
#include "report/vuzClass.h"
#include "report/vuzClassRTTI.h"

namespace app {

namespace {

int g_filterNesting = 0;

// Owns the filters of the outermost scope that asked for them; freeing it
// unregisters them.
std::unique_ptr<rtl::TComponent>& FilterOwner() {
  static std::unique_ptr<rtl::TComponent> owner;
  return owner;
}

}  // namespace

TReportEngineStartup::TReportEngineStartup(TFilters filters) : filters_(filters) {
  report::ReportClassesStartup();
  report::vuzClassRTTIStartup();
  preview::vuzPreviewStartup();
  if (filters_ == TFilters::Recorder && g_filterNesting++ == 0) {
    FilterOwner() = std::make_unique<rtl::TComponent>(nullptr);
    CreateRecorderExportFilters(FilterOwner().get());
  }
}

TReportEngineStartup::~TReportEngineStartup() {
  if (filters_ == TFilters::Recorder && --g_filterNesting == 0) FilterOwner().reset();
  preview::vuzPreviewShutdown();
  report::vuzClassRTTIShutdown();
  report::ReportClassesShutdown();
}

}  // namespace app
