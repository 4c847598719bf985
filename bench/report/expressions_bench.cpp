// Expression evaluation: a compiled arithmetic expression through the
// expression cache (ns per call), and the first compile of an expression
// (µs). Each distinct text compiles once per run: the counters show how
// many compiles a benchmark needed.
#include <benchmark/benchmark.h>

#include <string>

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

}  // namespace

BENCHMARK_MAIN();
