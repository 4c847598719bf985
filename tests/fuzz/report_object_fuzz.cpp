// Any input loaded as a report: the report object's load (options kept,
// password decoded, data page checked) and an engine run into the report's
// own small store (the preview layer is not linked) that reads the template
// back, never a crash; what loaded saves and loads again.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/rtl/streams.h"
#include "quiet_timer.h"
#include "report/vuzClassReport.h"

namespace {

void Load(report::TfrxReport& report, const std::string& bytes) {
  rtl::TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  s.SetPosition(0);
  report.LoadFromStream(s);
}

void Prepare(report::TfrxReport& report) {
  // No message boxes and no password dialog: errors stay in the list.
  report.EngineOptions()->NewSilentMode = report::simSilent;
  report.EngineOptions()->EnableThreadSafe = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool started = [] {
    report::ReportClassesStartup();
    report::vuzReportHooks().CreateTimer = [] { return std::make_unique<fuzz_support::QuietTimer>(); };
    return true;
  }();
  (void)started;
  const std::string input(reinterpret_cast<const char*>(data), size);
  report::TfrxReport report;
  Prepare(report);
  Load(report, input);
  report.PrepareReport();  // built by the engine into the fallback store, the template read back
  rtl::TMemoryStream out;
  report.SaveToStream(out);
  out.SetPosition(0);
  report::TfrxReport again;
  Prepare(again);
  Load(again, out.ReadRest());
  return 0;
}
