// Drawing a page of text objects: 200 framed memos of Russian text, wrapped
// and some justified, drawn to a 96-dpi A4 bitmap (794 x 1123), as the
// preview draws a prepared page; and measuring one long wrapped memo.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "report/vuzClass.h"
#include "report/vuzClassMemo.h"

using namespace report;

namespace {

const char16_t kSample[] =
    u"Температура среды и влажность записываются каждые десять минут, усадка образца в микрометрах.";

struct Page {
  Page() {
    ReportClassesStartup();
    for (int k = 0; k < 200; ++k) {
      auto memo = std::make_unique<TfrxMemoView>(nullptr);
      const int column = k % 4, row = k / 4;
      memo->SetBounds(20 + column * 190, 20 + row * 21.5L, 185, 20);
      memo->Frame()->SetTyp(15);
      memo->SetHAlign(k % 3 == 0 ? haBlock : haLeft);
      memo->SetText(kSample);
      memos.push_back(std::move(memo));
    }
  }
  ~Page() {
    memos.clear();
    ReportClassesShutdown();
  }
  std::vector<std::unique_ptr<TfrxMemoView>> memos;
};

void BM_Draw200MemosTo96DpiBitmap(benchmark::State& state) {
  Page page;
  gfx::TBitmap bitmap(794, 1123);
  for (auto _ : state) {
    gfx::TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetColor(gfx::clWhite);
    canvas.FillRect(gfx::TRect{0, 0, 794, 1123});
    for (auto& memo : page.memos) memo->Draw(canvas, 1, 1, 0, 0);
    // Reading a pixel makes the bitmap take what was drawn.
    benchmark::DoNotOptimize(bitmap.PixelColor(400, 500));
  }
  state.SetLabel("200 memos, one page");
}
BENCHMARK(BM_Draw200MemosTo96DpiBitmap)->Unit(benchmark::kMillisecond);

void BM_CalcHeightOf2000CharacterMemo(benchmark::State& state) {
  ReportClassesStartup();
  {
    TfrxMemoView memo(nullptr);
    memo.SetBounds(0, 0, 300, 20);
    WideString text;
    while (text.size() < 2000) text += kSample;
    text.resize(2000);
    memo.SetText(text);
    for (auto _ : state) benchmark::DoNotOptimize(memo.CalcHeight());
  }
  ReportClassesShutdown();
}
BENCHMARK(BM_CalcHeightOf2000CharacterMemo)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
