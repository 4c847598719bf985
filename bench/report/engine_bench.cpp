// A whole report run: 21,706 rows of a recorder's log (a time and six
// values a row, one row a minute) through a data band of seven memos, a
// group per day (1,440 rows) with SUM and AVG in its footer, a page header
// and footer with "Страница [Page#] из [TotalPages#]" and a summary, built
// with DoublePass into the real prepared-pages store.
//
// Counters: rows per second, prepared pages, expression compiles (one per
// distinct expression text the expression cache sees), and the growth of
// the process's peak resident memory over the run (MB; meaningful for the
// first iteration, so the benchmark runs one iteration per repetition).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "bench/report_engine_scope.h"
#include "platform/rtl/strings.h"
#include "preview/vuzPreviewPages.h"
#include "preview/vuzPreviewStartup.h"
#include "report/vuzClass.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassRTTI.h"
#include "report/vuzClassReport.h"
#include "report/vuzDataSet.h"
#include "report/vuzExpressionCache.h"

using namespace report;

namespace {

constexpr int kRows = 21'706;
constexpr int kRowsPerDay = 1'440;
constexpr int kValues = 6;

long PeakKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

// The recorder's log: a time a minute from 1 December 2026 and six values.
struct Log {
  Log() {
    const double start = 46'357;  // 01.12.2026 as a day number
    times.reserve(kRows);
    values.reserve(static_cast<std::size_t>(kRows) * kValues);
    for (int r = 0; r < kRows; ++r) {
      times.push_back(start + r / 1440.0);
      for (int v = 0; v < kValues; ++v)
        values.push_back(20.0 + 10 * v + 5 * std::sin(r * 0.01 + v) + (r * 7 + v * 13) % 11 * 0.1);
    }
  }
  std::vector<double> times, values;
};

using Started = bench_support::ReportEngineScope;

class LogReport {
 public:
  LogReport(const Log& log, bool doublePass) : log_(log) {
    rows_ = std::make_unique<TfrxUserDataSet>(nullptr);
    rows_->SetName("Rows");
    rtl::TStringList fields;
    fields.Add("Time");
    for (int v = 1; v <= kValues; ++v) fields.Add("V" + std::to_string(v));
    rows_->SetFields(&fields);
    rows_->SetRangeEnd(reCount);
    rows_->SetRangeEndCount(kRows);
    rows_->OnGetValue = [this](const AnsiString& field, rtl::Variant& value) {
      const int r = rows_->RecNo();
      if (r < 0 || r >= kRows) return;
      if (field == "Time") {
        value = rtl::Variant::FromDate(log_.times[static_cast<std::size_t>(r)]);
      } else if (field.size() == 2 && field[0] == 'V' && field[1] >= '1' && field[1] < '1' + kValues) {
        value =
            rtl::Variant(log_.values[static_cast<std::size_t>(r) * kValues + static_cast<std::size_t>(field[1] - '1')]);
      }
    };

    report_ = std::make_unique<TfrxReport>();
    report_->EngineOptions()->NewSilentMode = simSilent;
    report_->EngineOptions()->DoublePass = doublePass;
    report_->SetShowProgress(false);
    report_->DataSets()->Add(rows_.get());

    auto* page = new TfrxReportPage(report_.get());
    page->SetName("Page1");
    page->SetPaperSize(9);  // A4 with 10 mm margins
    page->SetLeftMargin(10);
    page->SetTopMargin(10);
    page->SetRightMargin(10);
    page->SetBottomMargin(10);
    const long double width = (page->PaperWidth() - page->LeftMargin() - page->RightMargin()) * fr01cm;
    int n = 0;
    auto band = [&](TfrxBand* b, const char* name, long double top, long double height) {
      b->SetName(name);
      b->SetBounds(0, top, width, height);
      return b;
    };
    auto memo = [&](TfrxComponent* parent, long double left, long double w, const std::string& text,
                    TfrxFormatKind kind = fkText, const char* format = "") {
      auto* m = new TfrxMemoView(parent);
      m->SetName("Memo" + std::to_string(++n));
      m->SetBounds(left, 0, w, 16);
      m->SetText(rtl::Utf8ToWide(text));
      if (kind != fkText) {
        m->DisplayFormat()->SetKind(kind);
        m->DisplayFormat()->SetFormatStr(format);
      }
      return m;
    };
    const std::string pageText = "Страница [Page#] из [TotalPages#]";
    auto* header = band(new TfrxPageHeader(page), "PageHeader1", 0, 20);
    memo(header, 0, 300, pageText);
    auto* group = static_cast<TfrxGroupHeader*>(band(new TfrxGroupHeader(page), "GroupHeader1", 40, 20));
    group->SetCondition("Trunc(<Rows.\"Time\">)");
    memo(group, 0, 200, "[Rows.\"Time\"]", fkDateTime, "dd.mm.yyyy");
    data_ = static_cast<TfrxMasterData*>(band(new TfrxMasterData(page), "MasterData1", 80, 16));
    data_->SetDataSet(rows_.get());
    memo(data_, 0, 130, "[Rows.\"Time\"]", fkDateTime, "dd.mm.yyyy hh:nn");
    for (int v = 1; v <= kValues; ++v)
      memo(data_, 130 + (v - 1) * 95, 95, "[Rows.\"V" + std::to_string(v) + "\"]", fkNumeric, "%2.2f");
    auto* footer = band(new TfrxGroupFooter(page), "GroupFooter1", 120, 16);
    memo(footer, 0, 130, "[SUM(<Rows.\"V1\">)]", fkNumeric, "%2.2f");
    for (int v = 1; v <= kValues; ++v)
      memo(footer, 130 + (v - 1) * 95, 95, "[AVG(<Rows.\"V" + std::to_string(v) + "\">)]", fkNumeric, "%2.2f");
    auto* summary = band(new TfrxReportSummary(page), "ReportSummary1", 160, 20);
    memo(summary, 0, 200, "Строк: [COUNT(MasterData1)]");
    memo(summary, 200, 200, "[SUM(<Rows.\"V1\">)]", fkNumeric, "%2.2f");
    auto* pageFooter = band(new TfrxPageFooter(page), "PageFooter1", 200, 20);
    memo(pageFooter, 0, 300, pageText);
  }
  ~LogReport() {
    report_.reset();
    rows_.reset();
  }

  TfrxReport& Report() { return *report_; }
  // The distinct expression texts that reach the expression cache: the
  // group condition, SUM of V1, AVG of each value and COUNT. Field names,
  // Page# and TotalPages# are answered without compiling, and so is each
  // aggregate's argument <Rows."Vn">, which is only a field in angle
  // brackets; the second pass compiles nothing new.
  static constexpr int kCompiledTexts = 1 + 1 + kValues + 1;

 private:
  const Log& log_;
  std::unique_ptr<TfrxUserDataSet> rows_;
  std::unique_ptr<TfrxReport> report_;
  TfrxMasterData* data_ = nullptr;
};

// Argument: 1 for DoublePass (the report as the program runs it), 0 for one pass.
void BM_EngineLogReport(benchmark::State& state) {
  Started started;
  const Log log;
  int pages = 0;
  double compiles = 0, peakMb = 0;
  int kept = 0;
  bool ok = true;
  for (auto _ : state) {
    state.PauseTiming();
    auto report = std::make_unique<LogReport>(log, state.range(0) != 0);
    const long before = PeakKb();
    state.ResumeTiming();
    ok = report->Report().PrepareReport(true) && ok;
    state.PauseTiming();
    peakMb = static_cast<double>(PeakKb() - before) / 1024.0;
    pages = report->Report().PreviewPages()->GetCount();
    if (TfrxExpressionCache* cache = report->Report().ExpressionCache()) {
      compiles = static_cast<double>(cache->CompileCount());
      kept = cache->Count();
    }
    if (!ok) {
      state.SkipWithError(("the run failed: " + rtl::AnsiToUtf8(report->Report().Errors().Text())).c_str());
      break;
    }
    report.reset();
    state.ResumeTiming();
  }
  state.counters["rows_per_s"] = benchmark::Counter(
      static_cast<double>(kRows) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["pages"] = pages;
  state.counters["compiles"] = compiles;
  state.counters["kept"] = kept;
  state.counters["distinct_texts"] = LogReport::kCompiledTexts;
  state.counters["peak_MB"] = peakMb;
}
BENCHMARK(BM_EngineLogReport)
    ->ArgName("double_pass")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
