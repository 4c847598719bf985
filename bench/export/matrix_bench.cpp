// The layout matrix of the recorder's long report: 21,706 rows of seven
// framed memos (a time and six values), a page header and footer on every
// A4 page and a group footer of seven memos after each day (1,440 rows),
// handed to the matrix page by page as the export driver does, then built
// into the grid (Prepare). Argument: the multiple of the rows (1, 2, 4).
//
// Counters: cells of the grid, ms per 1,000 cells, the time of Prepare
// alone, the first (cold) run's time and the growth of the process's peak
// resident memory over it (MB; for 2x and 4x only what exceeds the runs
// before), the heap the built matrix holds (held_MB, the matrix's own peak),
// and the complexity fit over the three sizes (cells as N).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "export/vuzExportMatrix.h"
#include "report/vuzClass.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"

using namespace report;

namespace {

constexpr int kRows = 21'706;
constexpr int kRowsPerDay = 1'440;
constexpr long double kRowHeight = 16;
constexpr long double kPageHeight = 1047;  // A4 less 10 mm margins, pixels
constexpr long double kBandHeight = 20;

long PeakKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

// One band with seven memos, reused for every row as the driver reuses the
// objects of a rebuilt page.
struct Row {
  explicit Row(const char* name) : band(nullptr) {
    band.SetName(name);
    band.SetBounds(0, 0, 700, kRowHeight);
    for (int c = 0; c < 7; ++c) {
      auto* m = new TfrxMemoView(nullptr);
      m->SetParent(&band);
      m->SetName(std::string(name) + "Memo" + std::to_string(c));
      m->SetBounds(c == 0 ? 0 : 130 + (c - 1) * 95, 0, c == 0 ? 130 : 95, kRowHeight);
      m->Frame()->SetTyp(15);
      m->Font()->SetName("Arial");
      memos.push_back(m);
    }
  }
  ~Row() {
    for (TfrxMemoView* m : memos) {
      m->SetParent(nullptr);
      delete m;
    }
  }
  TfrxMasterData band;
  std::vector<TfrxMemoView*> memos;
};

struct Texts {
  explicit Texts(int rows) {
    for (int r = 0; r < rows; ++r) {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%02d.12.2026 %02d:%02d", 1 + r / kRowsPerDay % 28, r / 60 % 24, r % 60);
      row.push_back({rtl::Utf8ToWide(buf)});
      for (int v = 0; v < 6; ++v) {
        std::snprintf(buf, sizeof buf, "%.2f", 20.0 + 10 * v + (r * 7 + v * 13) % 97 * 0.1);
        row.back().push_back(rtl::Utf8ToWide(buf));
      }
    }
  }
  std::vector<std::vector<rtl::WideString>> row;
};

void Fill(TfrxIEMatrix& m, const Texts& texts, Row& data, Row& groupFooter, TfrxMemoView& header,
          TfrxMemoView& footer) {
  const int rows = static_cast<int>(texts.row.size());
  int page = 0;
  long double y = kBandHeight;  // below the page header
  auto closePage = [&] {
    footer.SetTop(kPageHeight - kBandHeight);
    footer.SetText(u"Страница " + rtl::Utf8ToWide(std::to_string(page + 1)));
    m.AddObject(&footer);
    m.AddPage(poPortrait, 210, 297, 10, 10, 10, 10, false, page);
    ++page;
    y = kBandHeight;
  };
  auto openPage = [&] {
    header.SetText(u"Журнал, страница " + rtl::Utf8ToWide(std::to_string(page + 1)));
    m.AddObject(&header);
  };
  auto place = [&](Row& band, const std::vector<rtl::WideString>& values) {
    if (y + kRowHeight > kPageHeight - kBandHeight) {
      closePage();
      openPage();
    }
    band.band.SetTop(y);
    for (int c = 0; c < 7; ++c) {
      band.memos[static_cast<std::size_t>(c)]->SetText(values[static_cast<std::size_t>(c)]);
      m.AddObject(band.memos[static_cast<std::size_t>(c)]);
    }
    y += kRowHeight;
  };
  openPage();
  for (int r = 0; r < rows; ++r) {
    place(data, texts.row[static_cast<std::size_t>(r)]);
    if ((r + 1) % kRowsPerDay == 0 || r + 1 == rows) place(groupFooter, texts.row[static_cast<std::size_t>(r)]);
  }
  closePage();
}

void BM_MatrixLogReport(benchmark::State& state) {
  ReportClassesStartup();
  const Texts texts(kRows * static_cast<int>(state.range(0)));
  Row data("Data"), groupFooter("Footer");
  TfrxMemoView header(nullptr), footer(nullptr);
  header.SetBounds(0, 0, 700, kBandHeight);
  footer.SetBounds(0, 0, 300, kBandHeight);
  // One untimed run first: it starts the font engine (the first charset
  // query) and gives the heap its pages, so the timed run measures the
  // matrix rather than the system's first touch of fresh memory. That cold
  // run's time and its growth of the peak resident memory are reported too.
  double heldMb = 0;
  auto run = [&](double& cells, double& prepareMs) {
    const std::size_t inUse = mallinfo2().uordblks;
    auto m = std::make_unique<TfrxIEMatrix>();
    m->ShowProgress = false;
    m->Inaccuracy = 0.5;
    Fill(*m, texts, data, groupFooter, header, footer);
    const auto start = std::chrono::steady_clock::now();
    m->Prepare();
    prepareMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    cells = static_cast<double>(m->ColumnCount) * m->RowCount;
    heldMb = static_cast<double>(mallinfo2().uordblks - inUse) / (1024.0 * 1024.0);
    return m;
  };
  double cells = 0, prepareMs = 0;
  const long before = PeakKb();
  const auto coldStart = std::chrono::steady_clock::now();
  run(cells, prepareMs).reset();
  const double coldMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - coldStart).count();
  const double peakMb = static_cast<double>(PeakKb() - before) / 1024.0;
  for (auto _ : state) {
    auto m = run(cells, prepareMs);
    state.PauseTiming();
    m.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(static_cast<std::int64_t>(cells));
  state.counters["cells"] = cells;
  state.counters["ms_per_1000_cells"] =
      benchmark::Counter(cells / 1000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["prepare_ms"] = prepareMs;
  state.counters["peak_MB"] = peakMb;
  state.counters["cold_ms"] = coldMs;
  state.counters["held_MB"] = heldMb;
}
BENCHMARK(BM_MatrixLogReport)
    ->ArgName("rows_x")
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(1)
    ->UseRealTime()
    ->Complexity(benchmark::oNLogN);

}  // namespace

BENCHMARK_MAIN();
