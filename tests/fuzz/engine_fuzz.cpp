// Any input loaded as a report and built by the engine into the real
// prepared-pages store: structure errors, hostile geometry (negative or huge
// sizes, zero-height pages, columns without positions), self-referring
// subreports and aggregates in odd places end in pages or error lines, never
// a crash or a hang; every built page can be read back.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzEngine.h"
#include "report_start.h"

namespace {

// Every row loop stops long before the engine's own guard, and a build
// stops after a few hundred pages: a fuzz run must stay quick even when
// six nested data bands each ask for rows.
constexpr int kRowLimit = 6;
constexpr int kPageLimit = 300;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::StartReportsWithPreparedPages();
  report::TfrxReport report;
  report.EngineOptions()->NewSilentMode = report::simSilent;
  report.EngineOptions()->EnableThreadSafe = true;
  rtl::TMemoryStream s;
  s.WriteBuffer(data, static_cast<std::int64_t>(size));
  s.SetPosition(0);
  try {
    report.LoadFromStream(s);
  } catch (const rtl::Exception&) {
    return 0;
  }
  if (auto* engine = dynamic_cast<report::TfrxEngine*>(report.Engine())) engine->MaxRowsWithoutEnd = kRowLimit;
  // Data bands asking for millions of rows are cut down: the point is the
  // layout of what is hostile, not the time it takes to lay out much.
  for (report::TfrxComponent* c : report.GetAllObjects())
    if (auto* band = dynamic_cast<report::TfrxDataBand*>(c); band && band->RowCount() > kRowLimit)
      band->SetRowCount(kRowLimit);
  for (report::TfrxComponent* c : report.GetAllObjects())
    if (auto* page = dynamic_cast<report::TfrxReportPage*>(c); page && page->PageCount() > 3) page->SetPageCount(3);
  report.OnProgress = [](report::TfrxReport* sender, report::TfrxProgressType, int page) {
    if (page > kPageLimit) sender->SetTerminated(true);
  };
  try {
    report.PrepareReport();
  } catch (const rtl::Exception&) {
  }
  if (report::TfrxCustomPreviewPages* pages = report.PreviewPages()) {
    const int count = pages->GetCount();
    for (int i = 0; i < count && i < kPageLimit; ++i) pages->GetPage(i);
    // ENGINE_FUZZ_VERBOSE=1 tells what a seed builds (seeds should build pages).
    if (std::getenv("ENGINE_FUZZ_VERBOSE"))
      std::fprintf(stderr, "pages %d, errors: %s\n", count, rtl::AnsiToUtf8(report.Errors().Text()).c_str());
  }
  return 0;
}
