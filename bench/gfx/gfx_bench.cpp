// Drawing a report page of text objects to a 96-dpi bitmap, and measuring
// per-character advances of a long text (what text layout does for every
// memo).
#include <benchmark/benchmark.h>

#include <string>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/font_engine.h"

using namespace gfx;

namespace {

// An A4 page at 96 dpi with 200 framed text objects in two columns.
void BM_PageOf200TextObjects(benchmark::State& state) {
  TBitmap page(794, 1123);
  TCanvas& c = page.Canvas();
  const std::u16string texts[4] = {u"Температура, °C", u"12.05.2024 10:30", u"Усадка, мм 0.125", u"Влажность 45 %"};
  for (auto _ : state) {
    c.Brush().SetColor(clWhite);
    c.FillRect(Rect(0, 0, 794, 1123));
    for (int i = 0; i < 200; ++i) {
      const int col = i % 2, row = i / 2;
      const TRect r = Bounds(40 + col * 360, 20 + row * 11, 350, 11);
      c.Pen().SetColor(clBlack);
      c.Brush().SetStyle(bsClear);
      c.Rectangle(r.Left, r.Top, r.Right + 1, r.Bottom + 1);
      c.Font().SetName(i % 3 ? "Times New Roman" : "Arial");
      c.Font().SetHeight(-11);
      c.Font().SetStyle(i % 5 == 0 ? TFontStyles{fsBold} : TFontStyles{});
      const std::u16string& t = texts[i % 4];
      std::vector<int> dx = c.GetCharAdvances(t);
      c.ExtTextOut(r.Left + 2, r.Top, ETO_CLIPPED, &r, t, dx.data());
    }
    benchmark::DoNotOptimize(page.ScanLine(0));
  }
  state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(BM_PageOf200TextObjects)->Unit(benchmark::kMillisecond);

std::u16string LongText(std::size_t n) {
  const std::u16string words = u"Процесс сушки кирпича: температура 23,5 °C, влажность 45 %, усадка 0,125 мм. ";
  std::u16string s;
  while (s.size() < n) s += words;
  s.resize(n);
  return s;
}

// Advances of a 100,000-character text at the 600-dpi layout resolution.
void BM_Advances100k(benchmark::State& state) {
  const std::u16string text = LongText(100000);
  TFont f;
  f.SetPixelsPerInch(600);
  f.SetName("Times New Roman");
  f.SetSize(10);
  auto font = TFontInstance::Get(f);
  for (auto _ : state) {
    std::vector<int> a = font->Advances(text);
    benchmark::DoNotOptimize(a.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(text.size()));
}
BENCHMARK(BM_Advances100k)->Unit(benchmark::kMillisecond);

// The same through a canvas as cumulative extents, the form layout reads.
void BM_ExtentsThroughCanvas100k(benchmark::State& state) {
  const std::u16string text = LongText(100000);
  TBitmap b(1, 1);
  TCanvas& c = b.Canvas();
  c.Font().SetName("Arial");
  c.Font().SetHeight(-83);
  for (auto _ : state) {
    std::vector<int> e = c.GetTextExtentExPoint(text);
    benchmark::DoNotOptimize(e.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(text.size()));
}
BENCHMARK(BM_ExtentsThroughCanvas100k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
