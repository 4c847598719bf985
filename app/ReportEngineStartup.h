// The report engine's process-wide objects for a program that prepares and
// exports reports: report classes and their script bindings, the prepared
// pages and printers, and (unless the caller makes its own, as the main
// window does) the main window's export filters. Kept for a scope; nested
// scopes share one start-up.
#pragma once

namespace app {

class TReportEngineStartup {
 public:
  enum class TFilters { Recorder, None };
  explicit TReportEngineStartup(TFilters filters = TFilters::Recorder);
  ~TReportEngineStartup();
  TReportEngineStartup(const TReportEngineStartup&) = delete;
  TReportEngineStartup& operator=(const TReportEngineStartup&) = delete;

 private:
  TFilters filters_;
};

}  // namespace app
