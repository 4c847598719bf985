// The recorder report of a process file, without the window: the file and
// its note file read as the program reads them, shown as the program shows
// them (list row, data table, chart), and the report prepared through the
// feed with the shipped templates. The report tool and the tests use it.
#pragma once
#include <array>
#include <memory>

#include "app/ProcessChart.h"
#include "app/ProcessDisplay.h"
#include "app/ReportFeed.h"

namespace report {
class TfrxReport;
}

namespace app {

// A process as the main window shows it.
struct TShownProcess {
  TProcessData data;
  std::array<AnsiString, 7> listRow;  // the process list's cells
};

enum class TProcessLoadResult { Loaded, Unreadable, Damaged };

// Reads an archive file (and the note file beside it) and decodes it with the
// display options. Unreadable: missing or not a readable file; Damaged: too
// short for a header, a header the program refuses, or longer than any process.
TProcessLoadResult LoadShownProcess(const AnsiString& path, const TDisplayOptions& options, TShownProcess& out);

// The feed's source over a shown process; the chart is drawn by a chart
// model set up and filled as the main window's chart is.
class TShownProcessSource : public TReportSource {
 public:
  TShownProcessSource(const TShownProcess& process, const TProcessChartView& view);
  ~TShownProcessSource() override;
  AnsiString ListCell(int col) const override;
  AnsiString TableCell(int col, int row) const override;
  int TableRowCount() const override;
  void DrawChart(gfx::TCanvas& canvas, const gfx::TRect& rect) override;
  int TableColCount() const { return DataColumnCount(process_.data.channels); }

 private:
  const TShownProcess& process_;
  std::unique_ptr<chart::TChartModel> chart_;
};

// One recorder report: the template the data table's width picks, fed from
// the source. Its report lives as long as this object.
class TRecorderReport {
 public:
  TRecorderReport(TReportSource& source, int dataColumns);
  ~TRecorderReport();
  TRecorderTemplate Template() const { return template_; }
  report::TfrxReport& Report() const { return *report_; }
  TRecorderReportFeed& Feed() { return feed_; }
  // Builds the prepared pages; false when the engine failed (its errors
  // are in the report's error list).
  bool Prepare();

 private:
  TRecorderTemplate template_;
  TRecorderReportFeed feed_;
  std::unique_ptr<report::TfrxReport> report_;
};

// The recorder report of one process file as the report tool makes it: the
// file read with the default display options, the report quiet (errors go
// to its error list, no progress window).
class TProcessFileReport {
 public:
  TProcessFileReport();
  ~TProcessFileReport();
  // Reads the file and makes its report (replacing one made before); the
  // report exists only after Loaded.
  TProcessLoadResult Load(const AnsiString& path);
  bool Loaded() const { return recorder_ != nullptr; }
  report::TfrxReport& Report() const { return recorder_->Report(); }
  TRecorderTemplate Template() const { return recorder_->Template(); }
  bool Prepare() { return recorder_->Prepare(); }

 private:
  TShownProcess process_;
  std::unique_ptr<TShownProcessSource> source_;
  std::unique_ptr<TRecorderReport> recorder_;
};

}  // namespace app
