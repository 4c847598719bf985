// The feed of the recorder's three report templates, apart from any window:
// which template a process prints with, the names the get-value event
// answers, the user dataset that walks the data table's rows, and the chart
// picture handed to the template before it prints. What the feed reads (the
// process list's current row, the data table as shown, the chart) comes
// through TReportSource, which the main window and the report tool each
// implement over what they show.
#pragma once
#include <memory>
#include <string_view>

#include "platform/gfx/canvas.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/variant.h"

namespace report {
class TfrxReport;
class TfrxReportComponent;
class TfrxUserDataSet;
}  // namespace report

namespace rtl {
class TComponent;
}

namespace app {

using rtl::AnsiString;

// The three stored templates: 3 channels, 4 channels, 5 channels.
enum class TRecorderTemplate { Report1, Report2, Report3 };

// The template for a data table of this many columns: 5 (3 channels)
// Report1, 6 (4 channels) Report2, any other count Report3.
TRecorderTemplate TemplateForDataColumns(int columns);
// "vuzReport1", "vuzReport2", "vuzReport3".
AnsiString RecorderTemplateName(TRecorderTemplate t);
// The template's stored text (the report engine's XML), built into the program.
std::string_view RecorderTemplateText(TRecorderTemplate t);
// Loads the template into the report through the serializer. The user
// dataset the master band names ("vuzUserDataSet1") must exist already.
void LoadRecorderTemplate(report::TfrxReport& report, TRecorderTemplate t);

// What the feed reads, as the program shows it.
class TReportSource {
 public:
  virtual ~TReportSource() = default;
  // A cell of the process list's current row (0 start date, 1 start time,
  // 2 duration, 3 period, 4 point count, 5 and 6 the notes).
  virtual AnsiString ListCell(int col) const = 0;
  // A cell of the data table (row 0 holds the captions) and its row count.
  virtual AnsiString TableCell(int col, int row) const = 0;
  virtual int TableRowCount() const = 0;
  // Draws the chart as it is shown now into rect (device pixels of canvas).
  virtual void DrawChart(gfx::TCanvas& canvas, const gfx::TRect& rect) = 0;
};

// The get-value event's answer to a bracketed name (compared exactly, case
// included) for record recNo of the user dataset. False, with value left
// alone, for a name that is none of the feed's: the engine goes on looking.
bool RecorderReportValue(const TReportSource& source, const AnsiString& name, int recNo, rtl::Variant& value);

// The report's title line, the same in every template.
AnsiString RecorderReportTitle();

class TRecorderReportFeed {
 public:
  // Creates the user dataset "vuzUserDataSet1" (owned by owner, or by the
  // feed when owner is null) with its first and end-of-data events.
  explicit TRecorderReportFeed(TReportSource& source, rtl::TComponent* owner = nullptr);
  ~TRecorderReportFeed();
  TRecorderReportFeed(const TRecorderReportFeed&) = delete;
  TRecorderReportFeed& operator=(const TRecorderReportFeed&) = delete;

  report::TfrxUserDataSet& DataSet() const { return *dataSet_; }
  // Binds the report's get-value and before-print events to the feed.
  void Attach(report::TfrxReport& report);

  // The events themselves.
  void GetValue(const AnsiString& name, rtl::Variant& value) const;
  void First();
  void CheckEOF(bool& eof) const;
  // For the object named "Picture1": the chart as a plain (not enhanced)
  // metafile of the object's size in whole pixels becomes its picture.
  void BeforePrint(report::TfrxReportComponent* object);

 private:
  TReportSource& source_;
  report::TfrxUserDataSet* dataSet_ = nullptr;
  std::unique_ptr<report::TfrxUserDataSet> owned_;
};

}  // namespace app
