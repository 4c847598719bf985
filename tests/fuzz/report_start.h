// Starts, once per process, what a fuzz target needs to load and run real
// reports into real prepared pages: the report classes, the prepared-pages
// store's start-up, and a report start timer that never fires.
#pragma once
#include <memory>

#include "preview/vuzPreviewStartup.h"
#include "quiet_timer.h"
#include "report/vuzClass.h"

namespace fuzz_support {

inline void StartReportsWithPreparedPages() {
  static const bool started = [] {
    report::ReportClassesStartup();
    preview::vuzPreviewStartup();
    report::vuzReportHooks().CreateTimer = [] { return std::make_unique<QuietTimer>(); };
    return true;
  }();
  (void)started;
}

}  // namespace fuzz_support
