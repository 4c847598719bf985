// The arithmetic and texts of the process display, apart from the window:
// the samples of a process file converted for the chart and the table, the
// chart title and time axis, the shrink axis window for each zoom, the zero
// shift, the axis resets, the drag zones of the chart and the read-out.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "app/ProcessHeader.h"
#include "platform/rtl/strings.h"

namespace app {

using rtl::AnsiString;

enum class TShrinkZoom { mm5, mm10, mm20, Auto };

// ---- the process

// The start of a process: its date plus hour and minute (seconds ignored).
double ProcessStartTime(const TProcessHeader& h);
// "Начало 7 мар 2013, 9:05".
AnsiString ChartTitleText(double start);

// Format, title and start of the time axis.
struct TTimeAxisStyle {
  AnsiString format;  // FormatDateTime format of the labels
  AnsiString title;
  double start = 0;  // X of the first point
};
// Relative time starts at 2.0 (1 January 1900, 0:00); a process longer than
// 1728 minutes ((points + 1) x period) shows the day above the time.
TTimeAxisStyle TimeAxisStyle(double start, int points, int period, bool relative);

// 5, 6 or 7 table columns for 3, 4 or 5 channels (anything else counts as 3).
int DataColumnCount(int channels);
// The caption of a table column; column 4 reads "мм, усадка" in either unit.
AnsiString DataColumnCaption(int col);

// The zero shift text "+01.250": sign, two digits of millimetres, a point,
// three digits of thousandths. False (no shift) when a number does not parse.
bool ParseShrinkShift(const AnsiString& text, int& signedMicrometres);
// The reference of the shrink values: the first raw word moved by the shift.
float ShrinkReference(std::uint16_t firstRaw, bool shiftVisible, const AnsiString& shiftText);

// The right axis window in millimetres for a zoom: [bottom, top].
struct TAxisWindow {
  double min = 0, max = 0;
  friend bool operator==(const TAxisWindow&, const TAxisWindow&) = default;
};
TAxisWindow ShrinkWindowMm(std::uint16_t maxRaw, std::uint16_t minRaw, float ref, TShrinkZoom zoom);

// Shrinkage of a raw word: millimetres from the reference, or per cent of
// the base length B (micrometres). A base that leaves no positive length
// gives 0 %.
double ShrinkMm(std::uint16_t raw, float ref);
double ShrinkPercent(std::uint16_t raw, float base, float ref);

// The samples of a process converted for display: one vector per curve.
struct TProcessData {
  TProcessHeader header;
  int channels = 3;  // 3, 4 or 5
  int points = 0;    // complete records read
  double start = 0;  // X of the first point
  double step = 0;   // days between points
  bool relative = false;
  bool percent = false;
  std::vector<float> temperature, humidity, extra1, extra2;
  std::vector<double> shrink;
  std::uint16_t maxRaw = 0, minRaw = 0;
  float ref = 0;
  double X(int k) const { return start + k * step; }
};

// The date-time value of the first point when time is shown relative to it.
constexpr double kRelativeTimeOrigin = 2.0;

struct TDisplayOptions {
  bool relative = false;
  bool percent = false;
  float base = 150000;  // micrometres
  bool shiftVisible = false;
  AnsiString shiftText;
};

// Converts a whole archive file (header and records). Only complete records
// count: a file shorter than its header promises shows the points it holds.
// False when the file holds no header.
bool DecodeProcessFile(const std::string& bytes, const TDisplayOptions& options, TProcessData& out);

// The text of a data table cell (row 0: captions).
AnsiString DataCellText(const TProcessData& d, int col, int row);

// ---- view options and resets

// The right axis range the zoom actions set (the automatic zoom from the
// smallest shrink value shown).
TAxisWindow ZoomActionRange(TShrinkZoom zoom, double smallestValue);
// Axis end resets after a double click; d is the span of the shrink values.
double ResetRightAxisMaxValue(TShrinkZoom zoom, double d);
double ResetRightAxisMinValue(TShrinkZoom zoom, double d);

// ---- chart mouse

// The axis end a left press grabs (numbered as the window always numbered them).
enum class TDragZone : int {
  None = 0,
  TimeStart = 1,
  TimeEnd = 2,
  LeftMax = 3,
  LeftMin = 4,
  RightMax = 5,
  RightMin = 6,
};
struct TAxisRange {
  double min = 0, max = 0;
  double Middle() const { return (max + min) / 2; }
};
TDragZone DragZoneAt(double xv, double yLeft, double yRight, TAxisRange time, TAxisRange left, TAxisRange right);

// The read-out at x: the value of a curve, linear between points, the last
// point's own value at the end. False outside the data.
bool InterpolateAt(const std::vector<double>& xs, const std::vector<double>& ys, double x, double& value);
// "Дата, время: 7.3.2013, 09:05:00" or "Время: 01:00:00".
AnsiString ReadoutTimeText(double x, bool relative);
// "23,5°C, 64,2%, -1,234 мм, 21,0 °C": temperature, humidity, shrinkage and
// the extra temperatures present (in per-cent mode the shrinkage as "0.0 %").
AnsiString ReadoutValuesText(const std::vector<double>& values, bool percent);

}  // namespace app
