// Expression evaluation: the report's Calc of a dataset field, of a
// built-in name and of a compiled arithmetic expression (ns per call), the
// same arithmetic through the expression cache alone, and the first compile
// of an expression (µs). Each distinct text compiles once per run: the counters show how
// many compiles a benchmark needed.
#include <benchmark/benchmark.h>

#include <string>

#include "report/vuzClassRTTI.h"
#include "report/vuzClassReport.h"
#include "report/vuzExpressionCache.h"
#include "script/fs_iinterpreter.h"

using namespace report;

namespace {

struct ReportScript {
  ReportScript() {
    main.AddRTTI();
    main.AddVariable("a", "Integer", rtl::Variant(7));
    main.AddVariable("b", "Double", rtl::Variant(2.5));
  }
  script::TfsScript main;
};

void BM_CacheCompiledArithmetic(benchmark::State& state) {
  ReportScript s;
  TfrxExpressionCache cache(&s.main);
  AnsiString error;
  for (auto _ : state) benchmark::DoNotOptimize(cache.Calc("a * 2 + b - 1", error, &s.main));
  state.counters["compiles"] = static_cast<double>(cache.CompileCount());
}
BENCHMARK(BM_CacheCompiledArithmetic);

// A new text each time: the wrapper is compiled and kept.
void BM_CacheFirstCompile(benchmark::State& state) {
  ReportScript s;
  TfrxExpressionCache cache(&s.main);
  AnsiString error;
  int n = 0;
  for (auto _ : state) {
    if (cache.Count() >= 1000) {
      state.PauseTiming();
      cache.Clear();
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(cache.Calc("a * 2 + b - " + std::to_string(n++), error, &s.main));
  }
  state.counters["compiles"] = static_cast<double>(cache.CompileCount());
  state.SetLabel("one compile per iteration");
}
BENCHMARK(BM_CacheFirstCompile)->Unit(benchmark::kMicrosecond);

// A report with one dataset, run figures and a prepared script.
struct BenchReport {
  BenchReport() {
    ReportClassesStartup();
    vuzClassRTTIStartup();
    report = std::make_unique<TfrxReport>();
    rows = std::make_unique<TfrxUserDataSet>(nullptr);
    rows->SetName("Rows");
    rows->OnGetValue = [](const AnsiString&, rtl::Variant& v) { v = rtl::Variant(21.5); };
    report->DataSets()->Add(rows.get());
    report->Variables()->SetVariable("Base", rtl::Variant(7));
    report->PrepareScript();
  }
  ~BenchReport() {
    report.reset();
    rows.reset();
    vuzClassRTTIShutdown();
    ReportClassesShutdown();
  }
  std::unique_ptr<TfrxReport> report;
  std::unique_ptr<TfrxUserDataSet> rows;
};

void BM_ReportCalcField(benchmark::State& state) {
  BenchReport b;
  for (auto _ : state) benchmark::DoNotOptimize(b.report->Calc("Rows.\"Temp\""));
  state.counters["compiles"] = static_cast<double>(b.report->ExpressionCache()->CompileCount());
}
BENCHMARK(BM_ReportCalcField);

void BM_ReportCalcBuiltIn(benchmark::State& state) {
  BenchReport b;
  for (auto _ : state) benchmark::DoNotOptimize(b.report->Calc("Line#"));
  state.counters["compiles"] = static_cast<double>(b.report->ExpressionCache()->CompileCount());
}
BENCHMARK(BM_ReportCalcBuiltIn);

void BM_ReportCalcArithmetic(benchmark::State& state) {
  BenchReport b;
  for (auto _ : state) benchmark::DoNotOptimize(b.report->Calc("<Base> * 2 + <Rows.\"Temp\"> - 1"));
  state.counters["compiles"] = static_cast<double>(b.report->ExpressionCache()->CompileCount());
}
BENCHMARK(BM_ReportCalcArithmetic);

}  // namespace

BENCHMARK_MAIN();
