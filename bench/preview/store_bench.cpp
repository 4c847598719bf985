// The prepared-pages store at the size of a long report: 210 pages of 60 data
// rows with 7 text objects each, added through AddObject (an alias and the
// differences per object), with the memory limit at its default (10 MiB) and
// at 1 MiB (page elements swapped to the temporary file); building one page
// that is not in the page cache; saving and loading the 210-page file.
// The report classes are the tests' stand-ins, which differ from their
// source copies the way text objects do (position and text).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <string>

#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"
#include "preview/store_fixture.h"

namespace {

using namespace preview_test;
using rtl::operator""_cp;

constexpr int kPages = 210, kRows = 60, kMemos = 7;

struct LongReport {
  LongReport() {
    RegisterStandIns();
    page = std::make_unique<TestPage>();
    band = new TestDataBand(page.get());
    band->SetBounds(0, 0, 700, 18);
    for (int m = 0; m < kMemos; ++m) {
      memos[m] = new TestMemo(band);
      memos[m]->SetBounds(m * 100, 0, 100, 18);
    }
  }
  // Runs the report into a fresh store.
  std::unique_ptr<StoreFixture> Run(int maxMemSize) {
    auto f = std::make_unique<StoreFixture>();
    f->host->useFileCache = true;
    f->host->maxMemSize = maxMemSize;
    f->store->Initialize();
    f->store->AddPageAction = report::apAdd;
    f->store->AddSourcePage(page.get());
    f->store->BeginPass();
    for (int p = 0; p < kPages; ++p) {
      f->store->AddPage(page.get());
      for (int r = 0; r < kRows; ++r) {
        band->SetTop(40 + r * 18);
        for (int m = 0; m < kMemos; ++m) memos[m]->Text = "Значение "_cp + std::to_string(p * 1000 + r * 10 + m);
        f->store->AddObject(band);
      }
    }
    f->store->Finish();
    return f;
  }
  std::unique_ptr<TestPage> page;
  TestDataBand* band;
  TestMemo* memos[kMemos];
};

LongReport& Report() {
  static LongReport report;
  return report;
}

std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

void BM_StoreAddPages(benchmark::State& state) {
  std::size_t heap = 0;
  for (auto _ : state) {
    const std::size_t before = HeapInUse();
    auto f = Report().Run(static_cast<int>(state.range(0)));
    heap = HeapInUse() - before;
    benchmark::DoNotOptimize(f->store->GetCount());
  }
  state.counters["heap_MiB"] = static_cast<double>(heap) / 1048576.0;
  state.counters["pages/s"] = benchmark::Counter(kPages, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_StoreAddPages)->Arg(10)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_StoreGetPageNotCached(benchmark::State& state) {
  auto f = Report().Run(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    f->store->ClearPageCache();
    benchmark::DoNotOptimize(f->store->GetPage(100));
  }
}
BENCHMARK(BM_StoreGetPageNotCached)->Arg(10)->Arg(1)->Unit(benchmark::kMillisecond);

const std::string& SavedStore() {
  static const std::string bytes = [] {
    auto f = Report().Run(10);
    rtl::TMemoryStream out;
    f->store->SaveToStream(out);
    return out.Bytes();
  }();
  return bytes;
}

void BM_StoreSaveFp3(benchmark::State& state) {
  auto f = Report().Run(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    rtl::TMemoryStream out;
    f->store->SaveToStream(out);
    benchmark::DoNotOptimize(out.Size());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(SavedStore().size()));
}
BENCHMARK(BM_StoreSaveFp3)->Arg(10)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_StoreLoadFp3(benchmark::State& state) {
  for (auto _ : state) {
    rtl::TMemoryStream in(SavedStore());
    StoreFixture f;
    f.store->LoadFromStream(in);
    benchmark::DoNotOptimize(f.store->GetCount());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(SavedStore().size()));
}
BENCHMARK(BM_StoreLoadFp3)->Unit(benchmark::kMillisecond);

}  // namespace
