// The report engine's process-wide objects for a program that prepares and
// exports reports: report classes and their script bindings, the prepared
// pages and printers, and the export filters. Kept for a scope; nested
// scopes share one start-up.
#pragma once

namespace app {

class TReportEngineStartup {
 public:
  TReportEngineStartup();
  ~TReportEngineStartup();
  TReportEngineStartup(const TReportEngineStartup&) = delete;
  TReportEngineStartup& operator=(const TReportEngineStartup&) = delete;
};

}  // namespace app
