// Templates of 5,000 objects written and read, and unique names for
// thousands of objects (which must grow about linearly, not quadratically).
#include <benchmark/benchmark.h>

#include "model_fixture.h"
#include "platform/rtl/format.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"

using namespace report_test;

namespace {

// A report with one page, 50 bands and objects spread over them.
std::unique_ptr<TfrxTestReport> MakeReport(int objects) {
  RegisterTestClasses();
  auto report = std::make_unique<TfrxTestReport>();
  auto* page = new TfrxTestPage(report.get());
  page->SetName("Page1");
  std::vector<TfrxTestBand*> bands;
  for (int b = 0; b < 50; ++b) {
    auto* band = new TfrxTestBand(page);
    band->SetName("Band" + rtl::IntToStr(b + 1));
    band->SetBounds(0, b * 20.0, 718, 18.9);
    bands.push_back(band);
  }
  for (int i = 0; i < objects; ++i) {
    auto* memo = new TfrxTestMemoView(bands[static_cast<std::size_t>(i % 50)]);
    memo->SetName("Memo" + rtl::IntToStr(i + 1));
    memo->SetBounds(i % 7 * 100.0, 0, 94.5, 18.9);
    memo->Memo()->SetTextStr(u"[Data.\"Value\"] текст");
    if (i % 3 == 0) memo->Font()->SetName("Tahoma");
  }
  return report;
}

std::string Write(TfrxTestReport& report) {
  rtl::TMemoryStream s;
  report.SaveToStream(s);
  return std::string(s.Memory(), static_cast<std::size_t>(s.Size()));
}

void BM_WriteTemplate(benchmark::State& state) {
  auto report = MakeReport(5000);
  std::size_t bytes = 0;
  for (auto _ : state) bytes = Write(*report).size();
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WriteTemplate)->Unit(benchmark::kMillisecond);

void BM_ReadTemplate(benchmark::State& state) {
  const std::string text = Write(*MakeReport(5000));
  for (auto _ : state) {
    TfrxTestReport report;
    rtl::TMemoryStream s;
    s.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
    s.SetPosition(0);
    report.LoadFromStream(s);
    benchmark::DoNotOptimize(report.GetAllObjects().size());
  }
}
BENCHMARK(BM_ReadTemplate)->Unit(benchmark::kMillisecond);

// Each new object asks for a unique name, as a designer or a reader of old
// templates does.
void BM_CreateUniqueName(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    auto report = std::make_unique<TfrxTestReport>();
    auto* page = new TfrxTestPage(report.get());
    auto* band = new TfrxTestBand(page);
    for (int i = 0; i < n; ++i) (new TfrxTestMemoView(band))->CreateUniqueName();
    state.PauseTiming();  // freeing is not what is measured
    report.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_CreateUniqueName)->RangeMultiplier(2)->Range(1250, 10000)->Unit(benchmark::kMillisecond)->Complexity();

// Freeing a report of n objects on one band: each object leaves its parent's
// list and the report's name index, which must not cost a walk of the tree.
void BM_FreeReport(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto report = std::make_unique<TfrxTestReport>();
    auto* page = new TfrxTestPage(report.get());
    auto* band = new TfrxTestBand(page);
    for (int i = 0; i < n; ++i) (new TfrxTestMemoView(band))->SetName("Memo" + rtl::IntToStr(i + 1));
    state.ResumeTiming();
    report.reset();
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_FreeReport)->RangeMultiplier(2)->Range(1250, 20000)->Unit(benchmark::kMillisecond)->Complexity();

// The same with the report object itself, which hears of every removal while
// it lives.
void BM_FreeRealReport(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  report::ReportClassesStartup();
  for (auto _ : state) {
    state.PauseTiming();
    auto rep = std::make_unique<report::TfrxReport>();
    auto* page = new report::TfrxReportPage(rep.get());
    auto* band = new report::TfrxMasterData(page);
    for (int i = 0; i < n; ++i) (new report::TfrxMemoView(band))->SetName("Memo" + rtl::IntToStr(i + 1));
    state.ResumeTiming();
    rep.reset();
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_FreeRealReport)->RangeMultiplier(2)->Range(1250, 10000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

BENCHMARK_MAIN();
