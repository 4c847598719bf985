#include "app/ProcessReport.h"

#include <algorithm>

#include "app/FileBytes.h"
#include "app/NoteFile.h"
#include "app/ProcessFile.h"
#include "platform/rtl/files.h"
#include "report/vuzClassReport.h"

namespace app {

TProcessLoadResult LoadShownProcess(const AnsiString& path, const TDisplayOptions& options, TShownProcess& out) {
  if (!rtl::FileExists(path)) return TProcessLoadResult::Unreadable;
  std::string bytes;
  // One byte more than the largest archive file shows a file too long.
  constexpr std::size_t kLimit = 16 + (kFlashSize - kDataStart);
  if (!ReadFilePrefix(path, kLimit + 1, bytes)) return TProcessLoadResult::Unreadable;
  if (bytes.size() > kLimit || ProcessFileKey(bytes).empty()) return TProcessLoadResult::Damaged;
  if (!DecodeProcessFile(bytes, options, out.data)) return TProcessLoadResult::Damaged;
  const std::array<AnsiString, 5> cells = ProcessListCells(out.data.header);
  std::copy(cells.begin(), cells.end(), out.listRow.begin());
  const AnsiString notes = NoteFileNameFor(path);
  for (int n = 1; n <= 2; ++n)
    out.listRow[static_cast<std::size_t>(4 + n)] = rtl::FileExists(notes) ? ReadNoteFile(notes, n) : AnsiString();
  return TProcessLoadResult::Loaded;
}

TShownProcessSource::TShownProcessSource(const TShownProcess& process, const TProcessChartView& view)
    : process_(process), chart_(std::make_unique<chart::TChartModel>()) {
  const TProcessChartSeries series = SetUpProcessChart(*chart_);
  ShowProcessOnChart(*chart_, series, process.data, view.zoom);
  ApplyChartView(*chart_, series, view);
}

TShownProcessSource::~TShownProcessSource() = default;

AnsiString TShownProcessSource::ListCell(int col) const {
  if (col < 0 || col >= static_cast<int>(process_.listRow.size())) return {};
  return process_.listRow[static_cast<std::size_t>(col)];
}

AnsiString TShownProcessSource::TableCell(int col, int row) const { return DataCellText(process_.data, col, row); }

// The table always shows at least the captions and one row.
int TShownProcessSource::TableRowCount() const { return std::max(2, process_.data.points + 1); }

void TShownProcessSource::DrawChart(gfx::TCanvas& canvas, const gfx::TRect& rect) {
  chart_->Draw(canvas, rect, gfx::clWhite);
}

TRecorderReport::TRecorderReport(TReportSource& source, int dataColumns)
    : template_(TemplateForDataColumns(dataColumns)), feed_(source), report_(std::make_unique<report::TfrxReport>()) {
  LoadRecorderTemplate(*report_, template_);
  feed_.Attach(*report_);
}

TRecorderReport::~TRecorderReport() = default;

bool TRecorderReport::Prepare() { return report_->PrepareReport(true); }

TProcessFileReport::TProcessFileReport() = default;

TProcessFileReport::~TProcessFileReport() {
  // The report reads the source, which reads the process.
  recorder_.reset();
  source_.reset();
}

TProcessLoadResult TProcessFileReport::Load(const AnsiString& path) {
  recorder_.reset();
  source_.reset();
  process_ = TShownProcess{};
  const TProcessLoadResult result = LoadShownProcess(path, TDisplayOptions{}, process_);
  if (result != TProcessLoadResult::Loaded) return result;
  source_ = std::make_unique<TShownProcessSource>(process_, TProcessChartView{});
  recorder_ = std::make_unique<TRecorderReport>(*source_, source_->TableColCount());
  recorder_->Report().EngineOptions()->NewSilentMode = report::simSilent;
  recorder_->Report().SetShowProgress(false);
  return result;
}

}  // namespace app
