// Templates with very many bands: N master data bands of one row each (a
// text object on each, so N objects too), a page header and a page footer
// after them, built into the real prepared-pages store. Every step that
// looks through all of a page's bands or all aliases for each band it
// handles makes this grow with N squared; the build should grow with N.
//
// Argument: the number of data bands (or of objects, for the grid of
// objects). ctest's smoke run takes the smallest.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/report_engine_scope.h"
#include "preview/vuzPreviewPages.h"
#include "preview/vuzPreviewStartup.h"
#include "report/vuzClass.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassRTTI.h"
#include "report/vuzClassReport.h"

using namespace report;

namespace {

using Started = bench_support::ReportEngineScope;

TfrxReportPage* NewPage(TfrxReport& report) {
  report.EngineOptions()->NewSilentMode = simSilent;
  report.SetShowProgress(false);
  auto* page = new TfrxReportPage(&report);
  page->SetName("Page1");
  return page;
}

long double PrintableWidth(const TfrxReportPage& page) {
  return (page.PaperWidth() - page.LeftMargin() - page.RightMargin()) * fr01cm;
}

// A page footer below every other band, numbering the pages.
void AddPageNumberFooter(TfrxReportPage& page, long double top) {
  auto* footer = new TfrxPageFooter(&page);
  footer->SetName("PageFooter1");
  footer->SetBounds(0, top, PrintableWidth(page), 20);
  auto* number = new TfrxMemoView(footer);
  number->SetName("PageNumber");
  number->SetBounds(0, 0, 200, 20);
  number->SetText(rtl::Utf8ToWide("[Page#]"));
}

std::unique_ptr<TfrxReport> ManyBands(int count) {
  auto report = std::make_unique<TfrxReport>();
  TfrxReportPage* page = NewPage(*report);
  const long double width = PrintableWidth(*page);
  for (int i = 1; i <= count; ++i) {
    auto* band = new TfrxMasterData(page);
    band->SetName("MasterData" + std::to_string(i));
    band->SetBounds(0, 40 + i * 30.0L, width, 20);
    band->SetRowCount(1);
    auto* memo = new TfrxMemoView(band);
    memo->SetName("Memo" + std::to_string(i));
    memo->SetBounds(0, 0, 200, 20);
    memo->SetText(rtl::Utf8ToWide("Band " + std::to_string(i)));
  }
  // Header and footer last in the page's list: a look-up that walks the
  // bands in order meets them after every data band.
  auto* header = new TfrxPageHeader(page);
  header->SetName("PageHeader1");
  header->SetBounds(0, 0, width, 20);
  AddPageNumberFooter(*page, 40 + (count + 2) * 30.0L);
  return report;
}

// Builds the template outside the timing and prepares it; counts its pages.
void PrepareBuilt(benchmark::State& state, std::unique_ptr<TfrxReport> (*build)(int), const char* unit) {
  Started started;
  const int count = static_cast<int>(state.range(0));
  int pages = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<TfrxReport> report = build(count);
    state.ResumeTiming();
    const bool ok = report->PrepareReport(true);
    state.PauseTiming();
    pages = report->PreviewPages()->GetCount();
    if (!ok) {
      state.SkipWithError(("the run failed: " + rtl::AnsiToUtf8(report->Errors().Text())).c_str());
      break;
    }
    report.reset();
    state.ResumeTiming();
  }
  state.counters[unit] = count;
  state.counters["pages"] = pages;
  state.counters[std::string(unit) + "_per_s"] = benchmark::Counter(
      static_cast<double>(count) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ManyBands(benchmark::State& state) { PrepareBuilt(state, ManyBands, "bands"); }
BENCHMARK(BM_ManyBands)
    ->ArgName("bands")
    ->Arg(5'000)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// Templates with very many objects: N text objects on N/100 master data
// bands, each band a grid of 10 rows of 10 objects (so every object has
// objects above it to shift with), and a page footer numbering the pages.
std::unique_ptr<TfrxReport> ManyObjects(int count) {
  auto report = std::make_unique<TfrxReport>();
  TfrxReportPage* page = NewPage(*report);
  const long double width = PrintableWidth(*page);
  constexpr int kPerRow = 10, kRows = 10;
  const int bands = (count + kPerRow * kRows - 1) / (kPerRow * kRows);
  int made = 0;
  for (int i = 1; i <= bands; ++i) {
    auto* band = new TfrxMasterData(page);
    band->SetName("MasterData" + std::to_string(i));
    band->SetBounds(0, 40 + i * 220.0L, width, kRows * 20);
    band->SetRowCount(1);
    for (int k = 0; k < kPerRow * kRows && made < count; ++k) {
      auto* memo = new TfrxMemoView(band);
      memo->SetName("Memo" + std::to_string(++made));
      memo->SetBounds((k % kPerRow) * 60.0L, (k / kPerRow) * 20.0L, 58, 18);
      memo->SetText(rtl::Utf8ToWide("Object " + std::to_string(made)));
    }
  }
  AddPageNumberFooter(*page, 40 + (bands + 2) * 220.0L);
  return report;
}

void BM_ManyObjects(benchmark::State& state) { PrepareBuilt(state, ManyObjects, "objects"); }
BENCHMARK(BM_ManyObjects)
    ->ArgName("objects")
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// The copy the engine makes of every template object for the prepared pages:
// a text object with a frame, a font and a few lines, copied directly
// (Assign) or through its XML text, the way every copy was made before.
void BM_CopyTemplateObject(benchmark::State& state) {
  Started started;
  const bool throughText = state.range(0) != 0;
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* band = new TfrxMasterData(page);
  auto* memo = new TfrxMemoView(band);
  memo->SetName("Memo1");
  memo->SetBounds(7.559055118110236L, 0, 200.3, 18.89765);
  memo->Frame()->SetTyp(15);
  memo->Frame()->SetWidth(0.5);
  memo->SetText(rtl::Utf8ToWide("Total: [Sum(<Data.\"Value\">)]\r\nsecond line"));
  for (auto _ : state) {
    TfrxMemoView copy(band);
    if (throughText)
      copy.AssignThroughXML(memo);
    else
      copy.Assign(memo);
    benchmark::DoNotOptimize(copy.Width());
  }
  state.SetLabel(throughText ? "through XML text" : "direct");
}
BENCHMARK(BM_CopyTemplateObject)->ArgName("text")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
