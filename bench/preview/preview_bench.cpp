// Prepared pages at the size of a long report: 210 pages of 60 rows with 7
// text objects each, written into the pages' tree the way the store writes
// them (an alias and the differing attributes), with the memory limit at its
// default (10 MiB) and at 1 MiB (pages parked in the temporary file); then
// the prepared-report file saved and loaded. The heap in use after building
// shows what parking saves.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <string>

#include "platform/rtl/strings.h"
#include "preview/vuzPreparedTree.h"

using namespace preview;
using rtl::operator""_cp;

namespace {

constexpr int kPages = 210, kRows = 60, kMemos = 7;

void AddReport(TfrxPreparedTree& tree, std::int64_t maxMemBytes) {
  for (int p = 0; p < kPages; ++p) {
    if (tree.XMLSize > maxMemBytes) tree.ParkPages("");
    TfrxXMLItem* page = tree.AppendPage("page0");
    tree.CurPage = tree.Count() - 1;
    for (int r = 0; r < kRows; ++r) {
      TfrxXMLItem* band = page->Add("b1");
      band->Prop = "t=\"" + std::to_string(40 + r * 18) + "\"";
      tree.XMLSize += 2 + static_cast<std::int64_t>(band->Prop.size()) + 64;
      for (int m = 0; m < kMemos; ++m) {
        TfrxXMLItem* memo = band->Add("m" + std::to_string(m + 1));
        memo->SetProp("u", "Значение "_cp + std::to_string(p * 1000 + r * 10 + m));
        tree.XMLSize += 3 + static_cast<std::int64_t>(memo->Prop.size()) + 64;
      }
    }
  }
}

std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

void BM_AddPages(benchmark::State& state) {
  const std::int64_t limit = state.range(0) * 1048576;
  std::size_t heap = 0;
  for (auto _ : state) {
    const std::size_t before = HeapInUse();
    TfrxPreparedTree tree;
    AddReport(tree, limit);
    heap = HeapInUse() - before;
    benchmark::DoNotOptimize(tree.Count());
  }
  state.counters["heap_MiB"] = static_cast<double>(heap) / 1048576.0;
  state.counters["pages/s"] = benchmark::Counter(kPages, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_AddPages)->Arg(10)->Arg(1)->Unit(benchmark::kMillisecond);

const std::string& SavedReport() {
  static const std::string bytes = [] {
    TfrxPreparedTree tree;
    AddReport(tree, std::int64_t(1) << 40);
    rtl::TMemoryStream out;
    tree.SaveToStream(out);
    return out.Bytes();
  }();
  return bytes;
}

void BM_SaveFp3(benchmark::State& state) {
  rtl::TMemoryStream in(SavedReport());
  TfrxPreparedTree tree;
  tree.LoadFromStream(in);
  for (auto _ : state) {
    rtl::TMemoryStream out;
    tree.SaveToStream(out);
    benchmark::DoNotOptimize(out.Size());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(SavedReport().size()));
}
BENCHMARK(BM_SaveFp3)->Unit(benchmark::kMillisecond);

void BM_LoadFp3(benchmark::State& state) {
  for (auto _ : state) {
    rtl::TMemoryStream in(SavedReport());
    TfrxPreparedTree tree;
    tree.LoadFromStream(in);
    benchmark::DoNotOptimize(tree.Count());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(SavedReport().size()));
}
BENCHMARK(BM_LoadFp3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
