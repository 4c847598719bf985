// Text layout as text objects use it: measuring the height of a long wrapped
// Russian memo, and laying out and drawing a page of 200 memos to a 96-dpi
// bitmap. Both measure through the font engine (Liberation substitutes).
#include <benchmark/benchmark.h>

#include <string>

#include "platform/gfx/bitmap.h"
#include "report/vuzDrawText.h"

using namespace report;

namespace {

std::u16string RussianText(std::size_t n) {
  const std::u16string words =
      u"Процесс сушки кирпича идёт при температуре 23,5 °C и влажности 45 %, усадка образца составляет 0,125 мм. ";
  std::u16string s;
  while (s.size() < n) s += words;
  s.resize(n);
  return s;
}

gfx::TFont MemoFont(int size, bool bold = false) {
  gfx::TFont font;
  font.SetName("Arial");
  font.SetSize(size);
  font.SetColor(gfx::clBlack);
  if (bold) font.SetStyle({gfx::fsBold});
  return font;
}

// What a text object's CalcHeight does: configure, lay out, measure.
void BM_CalcHeightOf2000CharacterRussianMemo(benchmark::State& state) {
  TfrxDrawText layout;
  TWideStrings memo;
  memo.Add(RussianText(2000));
  const gfx::TFont font = MemoFont(10);
  const gfx::TRect rect = gfx::Rect(0, 0, 300, 10000);
  double height = 0;
  for (auto _ : state) {
    layout.SetFont(font);
    layout.SetOptions(true, false, false, state.range(0) != 0, true, true, 0);
    layout.SetGaps(0, 0, 2);
    layout.SetDimensions(1, 1, 1, rect, rect);
    layout.SetText(memo);
    height = layout.CalcHeight();
    benchmark::DoNotOptimize(height);
  }
  state.counters["lines"] = static_cast<double>(layout.WrappedLineCount());
}
BENCHMARK(BM_CalcHeightOf2000CharacterRussianMemo)->Arg(0)->Arg(1)->ArgName("wordBreak")->Unit(benchmark::kMicrosecond);

// An A4 page at 96 dpi with 200 text objects in two columns, each laid out
// and drawn (the page's own drawing: background, then every memo).
void BM_Draw200MemosToA96DpiPage(benchmark::State& state) {
  gfx::TBitmap page(794, 1123);
  gfx::TCanvas& canvas = page.Canvas();
  TfrxDrawText layout;
  const std::u16string texts[4] = {u"Температура окружающей среды, °C", u"Начало процесса: 12.05.2024 10:30",
                                   u"Усадка образца за время сушки, мм 0,125", u"Относительная влажность 45 %"};
  const gfx::TFont fonts[2] = {MemoFont(8), MemoFont(8, true)};
  TWideStrings memo;
  for (auto _ : state) {
    canvas.Brush().SetColor(gfx::clWhite);
    canvas.FillRect(gfx::Rect(0, 0, 794, 1123));
    for (int i = 0; i < 200; ++i) {
      const int column = i % 2, row = i / 2;
      const gfx::TRect r = gfx::Bounds(40 + column * 360, 20 + row * 11, 176, 22);
      memo.Clear();
      memo.Add(texts[i % 4]);
      TfrxDrawTextLock lock;
      layout.SetFont(fonts[i % 5 == 0]);
      layout.SetOptions(true, false, false, false, true, true, 0);
      layout.SetGaps(0, 0, 2);
      layout.SetDimensions(1, 1, 1, gfx::Rect(0, 0, r.Width(), r.Height()), r);
      layout.SetText(memo);
      layout.DrawText(canvas, i % 3 == 0 ? haBlock : haLeft, vaTop);
    }
    benchmark::DoNotOptimize(page.ScanLine(0));
  }
  state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(BM_Draw200MemosToA96DpiPage)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  vuzDrawTextStartup();  // the layout lock the page benchmark takes
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  vuzDrawTextShutdown();
  return 0;
}
