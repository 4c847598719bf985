// What a benchmark that prepares real reports starts: the report classes,
// their script bindings and the prepared-pages store, undone in reverse.
#pragma once
#include "preview/vuzPreviewStartup.h"
#include "report/vuzClass.h"
#include "report/vuzClassRTTI.h"

namespace bench_support {

struct ReportEngineScope {
  ReportEngineScope() {
    report::ReportClassesStartup();
    report::vuzClassRTTIStartup();
    preview::vuzPreviewStartup();
  }
  ~ReportEngineScope() {
    preview::vuzPreviewShutdown();
    report::vuzClassRTTIShutdown();
    report::ReportClassesShutdown();
  }
  ReportEngineScope(const ReportEngineScope&) = delete;
  ReportEngineScope& operator=(const ReportEngineScope&) = delete;
};

}  // namespace bench_support
