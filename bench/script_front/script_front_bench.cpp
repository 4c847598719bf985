// The script front end's costs: the one-line expression wrapper the report
// engine compiles for every distinct expression, in each language, and a
// 1,000-line PascalScript program (the walk must stay linear in its length).
#include <benchmark/benchmark.h>

#include <string>

#include "script/fs_iilparser.h"
#include "script/fs_iinterpreter.h"

using namespace script;

namespace {

struct Wrapper {
  const char* language;
  const char* text;
};

const Wrapper kWrappers[] = {
    {"PascalScript", "function fsEvaluateFUNC: Variant; begin Result := 1 + 2 * Value end; begin end."},
    {"C++Script", "Variant fsEvaluateFUNC() { return 1 + 2 * Value; } {}"},
    {"JScript", "function fsEvaluateFUNC() { return (1 + 2 * Value); }"},
    {"BasicScript", "function fsEvaluateFUNC\r\nreturn 1 + 2 * Value\r\nend function\r\n"},
};

void BM_ExpressionWrapperToIL(benchmark::State& state) {
  const Wrapper& w = kWrappers[state.range(0)];
  state.SetLabel(w.language);
  for (auto _ : state) {
    TfsCompileSite site;
    TfsILParser parser(site);
    parser.SelectLanguage(w.language);
    if (!parser.MakeILScript(w.text)) state.SkipWithError(site.ErrorMessage.c_str());
    benchmark::DoNotOptimize(parser.ILScript().Root());
  }
}
BENCHMARK(BM_ExpressionWrapperToIL)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

// The whole compilation the report engine pays per distinct expression:
// walk, build, and the function ready to call, into a script with bindings.
void BM_ExpressionWrapperCompile(benchmark::State& state) {
  const Wrapper& w = kWrappers[state.range(0)];
  state.SetLabel(w.language);
  TfsScript parent;
  parent.AddRTTI();
  parent.AddVariable("Value", "Variant", rtl::Variant(5));
  for (auto _ : state) {
    TfsScript script;
    script.ParentScript = &parent;
    script.SyntaxType = w.language;
    script.Lines.SetText(w.text);
    if (!script.Compile()) state.SkipWithError(script.ErrorMessage.c_str());
    benchmark::DoNotOptimize(script.Count());
  }
}
BENCHMARK(BM_ExpressionWrapperCompile)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

std::string PascalProgram(int lines) {
  std::string text = "var i, total: Integer; s: String;\r\nbegin\r\n";
  for (int i = 0; i < lines; ++i)
    text += "  if i mod 3 = " + std::to_string(i % 3) + " then total := total + (i * 2 - 1) else s := s + 'x';\r\n";
  return text + "end.\r\n";
}

void BM_PascalProgramToIL(benchmark::State& state) {
  const std::string text = PascalProgram(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TfsCompileSite site;
    TfsILParser parser(site);
    parser.SelectLanguage("PascalScript");
    if (!parser.MakeILScript(text)) state.SkipWithError(site.ErrorMessage.c_str());
    benchmark::DoNotOptimize(parser.ILScript().Root());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PascalProgramToIL)->Arg(250)->Arg(1000)->Arg(4000)->Complexity()->Unit(benchmark::kMillisecond);

void BM_PascalProgramCompile(benchmark::State& state) {
  const std::string text = PascalProgram(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TfsScript script;
    script.AddRTTI();
    script.Lines.SetText(text);
    if (!script.Compile()) state.SkipWithError(script.ErrorMessage.c_str());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PascalProgramCompile)->Arg(250)->Arg(1000)->Arg(4000)->Complexity()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
