// A prepared-report file that holds one very large text: a report whose
// only page carries a text object of N megabytes (lines of 79 letters, one
// single line, short Russian lines with characters the file escapes, or
// Russian words broken every 10 to 80 characters), prepared by the engine,
// saved as a prepared-report file and then loaded back and its page
// rebuilt, as the preview does when it opens such a file; the "Open"
// benchmarks also draw the page at 96 dpi, as the preview shows it. Every
// step that copies the rest of the text for each attribute, line or
// character it reads makes the load grow with N squared: compare MB:1 with
// MB:10 (ten times the time is linear).
//
// The "Unknown" benchmarks load the same file (the text is in it twice: the
// page's text object and its template) with both text attributes renamed
// to ones nothing knows: the reader still reads every byte, but no text
// object gets lines or a layout from them. That is the floor the text
// object's own cost is compared with.
//
// Argument: the text's size in MB; ctest's smoke run takes the smallest.
// Counters: the growth of the process's peak resident memory over the load
// (MB; the peak only grows, so this is the load's own for the first
// benchmark a run selects: filter one at a time to compare them).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "bench/report_engine_scope.h"
#include "platform/gfx/bitmap.h"
#include "preview/vuzPreviewPages.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"

using namespace report;

namespace {

using Started = bench_support::ReportEngineScope;

long PeakKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

// The shapes of text measured.
enum Shape { kLatinLines, kOneLine, kRussianShortLines, kRussianVaryingLines };

std::string BigText(std::size_t bytes, Shape shape) {
  std::string text;
  text.reserve(bytes + 80);
  int line = 0;
  while (text.size() < bytes) {
    if (shape == kRussianVaryingLines) {
      // Russian words, a line break every 10 to 80 characters.
      static const char16_t* const kWords[] = {u"кирпич ", u"сушка ", u"влажность ", u"т ", u"температура ", u"ок "};
      const std::size_t length = 10 + static_cast<std::size_t>(line * 37 % 71);
      rtl::WideString one;
      for (int w = line; one.size() < length; ++w) one += kWords[w % 6];
      ++line;
      text += rtl::WideToUtf8(one.substr(0, length)) + "\r\n";
      continue;
    }
    if (shape == kRussianShortLines) {
      // Two-byte letters and characters the file must escape.
      text += "Строка № " + std::to_string(++line) + " <\"&\">\r\n";
      continue;
    }
    for (int i = 0; i < 79; ++i) text.push_back(static_cast<char>('a' + (text.size() * 7 + i) % 26));
    if (shape == kLatinLines) text += "\r\n";
  }
  return text;
}

// Prepares the report and saves it as a prepared-report file.
bool PrepareAndSave(std::size_t bytes, Shape shape, const std::string& name) {
  TfrxReport report;
  report.EngineOptions()->NewSilentMode = simSilent;
  report.SetShowProgress(false);
  auto* page = new TfrxReportPage(&report);
  page->SetName("Page1");
  auto* title = new TfrxReportTitle(page);
  title->SetName("ReportTitle1");
  title->SetBounds(0, 0, 700, 40);
  auto* memo = new TfrxMemoView(title);
  memo->SetName("Memo1");
  memo->SetBounds(0, 0, 700, 40);
  memo->SetAllowExpressions(false);
  memo->SetText(rtl::Utf8ToWide(BigText(bytes, shape)));
  if (!report.PrepareReport(true) || report.PreviewPages()->GetCount() != 1) return false;
  report.PreviewPages()->SaveToFile(name);
  return true;
}

// Renames the text's attributes, the page's text object's and its
// template's, to ones the reader does not know, so that it skips them.
bool RenameTextAttributes(const std::string& name) {
  std::string xml;
  {
    std::ifstream in(name, std::ios::binary);
    xml.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  const std::size_t page = xml.find("<m1 u=\"");
  const std::size_t memo = xml.find("\"Memo1\"");
  const std::size_t text = memo == std::string::npos ? memo : xml.find(" Text=\"", memo);
  if (page == std::string::npos || text == std::string::npos) return false;
  xml.replace(text, 6, " Tekst=");
  xml.replace(page, 6, "<m1 q=");
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out << xml;
  return static_cast<bool>(out);
}

// The report prepared and saved once per size, in a child process so that
// the peak memory of this one is the load's; the file goes when the
// benchmark ends.
struct SavedFile {
  SavedFile(std::size_t bytes, Shape shape, bool unknownAttribute = false) {
    name = "/tmp/prepared_file_bench_" + std::to_string(getpid()) + ".fp3";
    const pid_t child = fork();
    if (child == 0)
      _exit(PrepareAndSave(bytes, shape, name) && (!unknownAttribute || RenameTextAttributes(name)) ? 0 : 1);
    int status = 0;
    ok = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  ~SavedFile() { std::remove(name.c_str()); }
  std::string name;
  bool ok = false;
};

void LoadBigText(benchmark::State& state, Shape shape, bool unknownAttribute = false) {
  Started started;
  const std::size_t bytes = static_cast<std::size_t>(state.range(0)) * 1'000'000;
  const SavedFile file(bytes, shape, unknownAttribute);
  if (!file.ok) {
    state.SkipWithError("the report did not prepare one page");
    return;
  }
  double peakMb = 0;
  std::size_t textSize = 0;
  for (auto _ : state) {
    TfrxReport report;
    report.EngineOptions()->NewSilentMode = simSilent;
    const long before = PeakKb();
    report.PreviewPages()->LoadFromFile(file.name, true);
    TfrxComponent* page = report.PreviewPages()->GetPage(0);
    peakMb = static_cast<double>(PeakKb() - before) / 1024.0;
    auto* memo = page ? dynamic_cast<TfrxMemoView*>(page->FindObject("Memo1")) : nullptr;
    textSize = memo ? memo->Text().size() : 0;
  }
  // UTF-8 bytes: two-byte letters are one character each.
  if (unknownAttribute ? textSize != 0 : textSize < rtl::Utf8ToWide(BigText(bytes, shape)).size())
    state.SkipWithError("the loaded page does not hold the text it should");
  state.counters["peak_MB"] = peakMb;
  state.counters["text_MB"] = static_cast<double>(bytes) / 1e6;
}

// The same file opened as the preview opens it: loaded, and its first page
// drawn at 96 dpi.
void LoadAndDraw(benchmark::State& state, Shape shape, bool unknownAttribute = false) {
  Started started;
  const std::size_t bytes = static_cast<std::size_t>(state.range(0)) * 1'000'000;
  const SavedFile file(bytes, shape, unknownAttribute);
  if (!file.ok) {
    state.SkipWithError("the report did not prepare one page");
    return;
  }
  double peakMb = 0;
  for (auto _ : state) {
    TfrxReport report;
    report.EngineOptions()->NewSilentMode = simSilent;
    const long before = PeakKb();
    report.PreviewPages()->LoadFromFile(file.name, true);
    gfx::TBitmap bitmap(794, 1123);
    report.PreviewPages()->DrawPage(0, bitmap.Canvas(), 1, 1, 0, 0);
    benchmark::DoNotOptimize(bitmap.PixelColor(400, 20));
    peakMb = static_cast<double>(PeakKb() - before) / 1024.0;
  }
  state.counters["peak_MB"] = peakMb;
}
// Sizes in MB, each run once: the step from 1 to 10 shows how the time grows.
void OneAndTenMegabytes(benchmark::internal::Benchmark* b) {
  b->ArgName("MB")->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
}
void OneTwoAndTenMegabytes(benchmark::internal::Benchmark* b) {
  b->ArgName("MB")->Arg(1)->Arg(2)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(1);
}

void BM_OpenPreparedBigMemoOneLine(benchmark::State& state) { LoadAndDraw(state, kOneLine); }
void BM_OpenPreparedBigMemoVaryingLines(benchmark::State& state) { LoadAndDraw(state, kRussianVaryingLines); }
void BM_OpenPreparedBigMemoRussianShortLines(benchmark::State& state) { LoadAndDraw(state, kRussianShortLines); }
void BM_OpenPreparedBigUnknownAttribute(benchmark::State& state) { LoadAndDraw(state, kRussianShortLines, true); }
BENCHMARK(BM_OpenPreparedBigMemoRussianShortLines)->Apply(OneAndTenMegabytes);
BENCHMARK(BM_OpenPreparedBigUnknownAttribute)->Apply(OneAndTenMegabytes);
BENCHMARK(BM_OpenPreparedBigMemoVaryingLines)->Apply(OneTwoAndTenMegabytes);
BENCHMARK(BM_OpenPreparedBigMemoOneLine)->Apply(OneTwoAndTenMegabytes);

void BM_LoadPreparedBigMemoLines(benchmark::State& state) { LoadBigText(state, kLatinLines); }
void BM_LoadPreparedBigMemoOneLine(benchmark::State& state) { LoadBigText(state, kOneLine); }
void BM_LoadPreparedBigUnknownAttribute(benchmark::State& state) { LoadBigText(state, kRussianShortLines, true); }
void BM_LoadPreparedBigMemoRussianShortLines(benchmark::State& state) { LoadBigText(state, kRussianShortLines); }

BENCHMARK(BM_LoadPreparedBigMemoLines)->Apply(OneAndTenMegabytes);
BENCHMARK(BM_LoadPreparedBigMemoRussianShortLines)->Apply(OneAndTenMegabytes);
BENCHMARK(BM_LoadPreparedBigMemoOneLine)->Apply(OneAndTenMegabytes);
BENCHMARK(BM_LoadPreparedBigUnknownAttribute)->Apply(OneAndTenMegabytes);

}  // namespace

BENCHMARK_MAIN();
