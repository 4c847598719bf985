// The recorder's log report (21,706 rows, about 350 pages; tests/preview/
// log_report.h), prepared once, exported as dot-matrix text and as TIFF
// pictures at 96 dpi, each beside poppler doing the same from the report
// printed to PDF by the PDF export:
//
// - BM_Text: the text export into memory; BM_Pdftotext: `pdftotext -layout`
//   of the PDF (the whole program run, timed here).
// - BM_TiffPages: one TIFF per page into a folder; BM_PdftoppmTiff:
//   `pdftoppm -tiff -r 96` of the PDF, also one TIFF per page.
// - BM_TiffMultiImage: the one-picture mode cut into page-sized images of one
//   TIFF file; that picture is held to 30,000 pixels high, so it takes the
//   first 26 pages; BM_PdftoppmTiff26 renders the same pages.
//
// The argument is the number of rows (the smoke run takes 600, 10 pages).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "bench/report_engine_scope.h"
#include "export/vuzExportImage.h"
#include "export/vuzExportPDF.h"
#include "export/vuzExportRes.h"
#include "export/vuzExportTXT.h"
#include "platform/rtl/streams.h"
#include "tests/preview/log_report.h"

namespace {

namespace fs = std::filesystem;

// The report of a number of rows, prepared once, with its PDF.
struct Prepared {
  explicit Prepared(int rows) : log(rows) {
    log.Report().PrepareReport(true);
    pdf = (folder / ("log" + std::to_string(rows) + ".pdf")).string();
    report::TfrxPDFExport f;
    f.ShowDialog = false;
    f.ShowProgress = false;
    f.FileName = pdf;
    log.Report().Export(&f);
  }
  int Pages() { return log.Report().PreviewPages()->GetCount(); }
  static fs::path folder;
  preview_test::LogReport log;
  std::string pdf;
};
fs::path Prepared::folder;

struct Shared {
  Shared() {
    report::vuzLoadExportResources();
    Prepared::folder = fs::temp_directory_path() / ("text_picture_bench_" + std::to_string(::getpid()));
    fs::create_directories(Prepared::folder);
  }
  ~Shared() {
    reports.clear();
    std::error_code ec;
    fs::remove_all(Prepared::folder, ec);
  }
  Prepared& Get(int rows) {
    auto& p = reports[rows];
    if (!p) p = std::make_unique<Prepared>(rows);
    return *p;
  }
  bench_support::ReportEngineScope started;
  std::map<int, std::unique_ptr<Prepared>> reports;
};

Shared& Reports() {
  static Shared shared;
  return shared;
}

// A fresh empty folder for one run's files.
fs::path Scratch(const char* name) {
  const fs::path dir = Prepared::folder / name;
  std::error_code ec;
  fs::remove_all(dir, ec);
  fs::create_directories(dir);
  return dir;
}

// Runs a command; false (and the benchmark marked) when it fails.
bool Run(benchmark::State& state, const std::string& command) {
  if (std::system((command + " >/dev/null 2>&1").c_str()) == 0) return true;
  state.SkipWithError(("failed: " + command).c_str());
  return false;
}

void BM_Text(benchmark::State& state) {
  Prepared& p = Reports().Get(static_cast<int>(state.range(0)));
  double bytes = 0;
  for (auto _ : state) {
    report::TfrxTXTExport f;
    f.ShowDialog = false;
    f.ShowProgress = false;
    rtl::TMemoryStream out;
    f.Stream = &out;
    if (!p.log.Report().Export(&f)) {
      state.SkipWithError("the export failed");
      break;
    }
    bytes = static_cast<double>(out.Size());
  }
  state.counters["pages"] = p.Pages();
  state.counters["text_MB"] = bytes / 1e6;
}

void BM_Pdftotext(benchmark::State& state) {
  Prepared& p = Reports().Get(static_cast<int>(state.range(0)));
  const fs::path out = Scratch("pdftotext") / "log.txt";
  for (auto _ : state)
    if (!Run(state, "pdftotext -layout '" + p.pdf + "' '" + out.string() + "'")) break;
  state.counters["pages"] = p.Pages();
}

void BM_TiffPages(benchmark::State& state) {
  Prepared& p = Reports().Get(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path dir = Scratch("tiff_pages");
    state.ResumeTiming();
    report::TfrxTIFFExport f;
    f.ShowDialog = false;
    f.ShowProgress = false;
    f.Resolution = 96;
    f.FileName = (dir / "log.tif").string();
    if (!p.log.Report().Export(&f)) {
      state.SkipWithError("the export failed");
      break;
    }
  }
  state.counters["pages"] = p.Pages();
}

// pdftoppm over the first pages of the PDF (all of them with 0), one TIFF
// per page into a fresh folder.
void PdftoppmTiff(benchmark::State& state, int pages) {
  Prepared& p = Reports().Get(static_cast<int>(state.range(0)));
  const int last = pages > 0 ? std::min(pages, p.Pages()) : p.Pages();
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path dir = Scratch("pdftoppm");
    state.ResumeTiming();
    if (!Run(state, "pdftoppm -tiff -r 96 -f 1 -l " + std::to_string(last) + " '" + p.pdf + "' '" +
                        (dir / "log").string() + "'"))
      break;
  }
  state.counters["pages"] = last;
}

void BM_PdftoppmTiff(benchmark::State& state) { PdftoppmTiff(state, 0); }

// The pages that fit the one picture's 30,000 pixels at 96 dpi.
constexpr int kMultiImagePages = 26;

void BM_TiffMultiImage(benchmark::State& state) {
  Prepared& p = Reports().Get(static_cast<int>(state.range(0)));
  double bytes = 0;
  for (auto _ : state) {
    report::TfrxTIFFExport f;
    f.ShowDialog = false;
    f.ShowProgress = false;
    f.Resolution = 96;
    f.SeparateFiles = false;
    f.MultiImage = true;
    rtl::TMemoryStream out;
    f.Stream = &out;
    if (!p.log.Report().Export(&f)) {
      state.SkipWithError("the export failed");
      break;
    }
    bytes = static_cast<double>(out.Size());
  }
  state.counters["tiff_MB"] = bytes / 1e6;
}

void BM_PdftoppmTiff26(benchmark::State& state) { PdftoppmTiff(state, kMultiImagePages); }

void Rows(benchmark::internal::Benchmark* b) {
  b->Arg(600)->Arg(21'706)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
}

}  // namespace

BENCHMARK(BM_Text)->Apply(Rows);
BENCHMARK(BM_Pdftotext)->Apply(Rows);
BENCHMARK(BM_TiffPages)->Apply(Rows);
BENCHMARK(BM_PdftoppmTiff)->Apply(Rows);
BENCHMARK(BM_TiffMultiImage)->Apply(Rows);
BENCHMARK(BM_PdftoppmTiff26)->Apply(Rows);
BENCHMARK_MAIN();
