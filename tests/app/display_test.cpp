// The process display's arithmetic and texts as tables: time axis styles,
// table columns and cells, the shrink axis windows, the zero shift, per-cent
// values, zoom ranges, resets, drag zones, read-out interpolation and texts.
#include <gtest/gtest.h>

#include "app/ProcessDisplay.h"
#include "app/ShrinkBase.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/format_settings.h"
#include "tests/app/header_builder.h"

using namespace app;
using namespace rtl::literals;

namespace {

struct Russian {
  rtl::FormatSettingsScope scope{[] {
    auto fs = rtl::FormatSettings::Russian();
    fs.DecimalSeparator = ',';
    return fs;
  }()};
};

// A process file: header for 7 March 2013, 9:05 and records of the given words.
std::string ProcessBytes(int channels, int points, int period, const std::vector<std::uint16_t>& words,
                         bool sht21 = true) {
  const TProcessHeader h = apptest::MakeHeader(
      {.address = 0x340u | (sht21 ? 1u << 21 : 0u), .points = points, .period = period, .channels = channels});
  std::string s(h.Bytes.begin(), h.Bytes.end());
  for (std::uint16_t w : words) {
    s += static_cast<char>(w & 0xFF);
    s += static_cast<char>(w >> 8);
  }
  return s;
}

TEST(TimeAxis, LongProcessesShowTheDayAboveTheTime) {
  Russian ru;
  const double t0 = rtl::EncodeDateTime(2013, 3, 7, 9, 5, 0, 0);
  struct Case {
    int points, period;
    bool relative;
    const char* format;
    double start;
  } cases[] = {
      {431, 4, false, "hh:mm", t0},  // (431 + 1) x 4 = 1728: one line
      {432, 4, false, "dd.mmm\r hh:nn", t0},
      {480, 4, false, "dd.mmm\r hh:nn", t0},
      {10, 1, true, "dd.mmm\r hh:nn", 2.0},  // relative time: 1 January 1900
  };
  for (const Case& c : cases) {
    TTimeAxisStyle s = TimeAxisStyle(t0, c.points, c.period, c.relative);
    EXPECT_EQ(s.format, c.format) << c.points << "x" << c.period;
    EXPECT_EQ(s.start, c.start);
    EXPECT_EQ(s.title, std::string(c.format) == "hh:mm" ? "Время, час"_cp : "\rВремя, час"_cp);
  }
  EXPECT_EQ(ChartTitleText(t0), "Начало 7 мар 2013, 9:05"_cp);
}

TEST(DataTable, ColumnsFollowTheChannelCount) {
  for (auto [channels, cols] : {std::pair{3, 5}, {4, 6}, {5, 7}, {2, 5}, {6, 5}})
    EXPECT_EQ(DataColumnCount(channels), cols) << channels;
  EXPECT_EQ(DataColumnCaption(4), "мм, усадка"_cp);  // in per cent as well
  EXPECT_EQ(DataColumnCaption(6), "°C, температура доп.2"_cp);
}

TEST(DataTable, CellsComeFromTheSamples) {
  Russian ru;
  // SHT21 words for about 23.5 °C and 50 %RH; shrink; extras 25 and -1.5 °C.
  const std::vector<std::uint16_t> rec = {6560, 1835, 10000, 6400, static_cast<std::uint16_t>(-384)};
  std::vector<std::uint16_t> words;
  for (int k = 0; k < 3; ++k) words.insert(words.end(), rec.begin(), rec.end());
  TProcessData d;
  ASSERT_TRUE(DecodeProcessFile(ProcessBytes(5, 3, 10, words), {}, d));
  EXPECT_EQ(d.points, 3);
  struct Case {
    int col, row;
    rtl::AnsiString text;
  } cases[] = {
      {0, 0, "Дата"_cp}, {1, 0, "Время"_cp}, {0, 1, "07.03.13"}, {1, 1, "09:05"}, {1, 3, "09:25"}, {2, 1, "23,5"},
      {3, 1, "50,0"},    {4, 1, "0,000"},    {5, 1, "25,0"},     {6, 1, "-1,5"},  {0, 4, ""},      {7, 1, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DataCellText(d, c.col, c.row), c.text) << c.col << "," << c.row;

  // Relative time: no date, the first row at 00:00.
  TDisplayOptions rel;
  rel.relative = true;
  ASSERT_TRUE(DecodeProcessFile(ProcessBytes(5, 3, 10, words), rel, d));
  EXPECT_EQ(DataCellText(d, 0, 1), "");
  EXPECT_EQ(DataCellText(d, 1, 1), "00:00");
  EXPECT_EQ(DataCellText(d, 1, 2), "00:10");
  EXPECT_EQ(d.X(0), 2.0);
}

TEST(DataTable, ChannelCountsAndShortFiles) {
  Russian ru;
  TProcessData d;
  // A channel byte of 2 is read as 3 channels; the header says so afterwards.
  ASSERT_TRUE(DecodeProcessFile(ProcessBytes(2, 2, 10, {1, 2, 3, 4, 5, 6}), {}, d));
  EXPECT_EQ(d.channels, 3);
  EXPECT_EQ(d.header.Channels(), 3);
  EXPECT_EQ(d.points, 2);
  // Four channels: the first extra column, no second.
  ASSERT_TRUE(DecodeProcessFile(ProcessBytes(4, 1, 10, {6560, 1835, 10000, 6400}), {}, d));
  EXPECT_EQ(d.extra1.size(), 1u);
  EXPECT_TRUE(d.extra2.empty());
  EXPECT_EQ(DataCellText(d, 5, 1), "25,0");
  EXPECT_EQ(DataCellText(d, 6, 1), "");
  // A file shorter than its header promises: only the complete records show,
  // nothing is repeated or invented.
  std::vector<std::uint16_t> words;
  for (int k = 0; k < 7; ++k) words.insert(words.end(), {6560, 1835, static_cast<std::uint16_t>(10000 - k * 100)});
  words.push_back(6560);  // half a record
  ASSERT_TRUE(DecodeProcessFile(ProcessBytes(3, 10, 10, words), {}, d));
  EXPECT_EQ(d.points, 7);
  EXPECT_EQ(DataCellText(d, 4, 7), "-0,600");
  EXPECT_EQ(DataCellText(d, 4, 8), "");
  EXPECT_FALSE(DecodeProcessFile("short", {}, d));
}

TEST(ShrinkAxis, WindowsForEachZoom) {
  struct Case {
    std::uint16_t maxRaw, minRaw;
    float ref;
    TShrinkZoom zoom;
    TAxisWindow window;
  } cases[] = {
      {10000, 7600, 10000, TShrinkZoom::Auto, {-4, 1}},   // span 3: 5 mm, a millimetre of margin
      {10000, 7600, 10000, TShrinkZoom::mm20, {-5, 15}},  // 20 mm, two of margin
      {10000, 7600, 10000, TShrinkZoom::mm10, {-4, 6}},
      {10000, 7600, 10000, TShrinkZoom::mm5, {-4, 1}},
      {20000, 8000, 20000, TShrinkZoom::mm5, {-13, -8}},  // span 12 in 5 mm: most of it cut off
      {20000, 8000, 20000, TShrinkZoom::Auto, {-15, 5}},
      {20000, 14000, 20000, TShrinkZoom::Auto, {-8, 2}},  // span 7: 10 mm
      {12000, 10000, 10000, TShrinkZoom::Auto, {-1, 4}},  // -500 / 1000 truncates to 0
      // Every word above 20000: the bottom follows the data.
      {30000, 25000, 30000, TShrinkZoom::Auto, {-7, 3}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ShrinkWindowMm(c.maxRaw, c.minRaw, c.ref, c.zoom), c.window)
        << c.maxRaw << " " << c.minRaw << " zoom " << static_cast<int>(c.zoom);
  // The extent of a file of words all above 20000 starts from the data.
  std::vector<std::uint16_t> words = {6560, 1835, 30000, 6560, 1835, 25000};
  TProcessData d;
  ASSERT_TRUE(DecodeProcessFile(ProcessBytes(3, 2, 10, words), {}, d));
  EXPECT_EQ(d.minRaw, 25000);
  EXPECT_EQ(d.maxRaw, 30000);
}

TEST(ShrinkAxis, ZeroShiftTexts) {
  struct Case {
    const char* text;
    bool ok;
    int shift;
  } cases[] = {
      {"+00.500", true, 500}, {"-00.500", true, -500}, {"+01.250", true, 1250}, {"+99.999", true, 99999},
      {"+0 .500", false, 0},  {"+00.5 0", false, 0},   {"+00.50", false, 0},    {"", false, 0},
  };
  for (const Case& c : cases) {
    int shift = 0;
    EXPECT_EQ(ParseShrinkShift(c.text, shift), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(shift, c.shift) << c.text;
    }
  }
  // +00.500 shows every value half a millimetre higher, -00.500 lower.
  EXPECT_DOUBLE_EQ(ShrinkMm(10000, ShrinkReference(10000, true, "+00.500")), 0.5);
  EXPECT_DOUBLE_EQ(ShrinkMm(10000, ShrinkReference(10000, true, "-00.500")), -0.5);
  EXPECT_DOUBLE_EQ(ShrinkMm(10000, ShrinkReference(10000, true, "+0 .500")), 0);
  EXPECT_DOUBLE_EQ(ShrinkMm(10000, ShrinkReference(10000, false, "+00.500")), 0);  // box hidden
}

TEST(ShrinkAxis, PerCentOfTheBaseLength) {
  Russian ru;
  EXPECT_NEAR(ShrinkPercent(9000, 150000, 10000), 99.375, 1e-4);
  EXPECT_EQ(ShrinkPercent(9000, 0, 0), 0);  // no length to divide by
  EXPECT_EQ(ShrinkPercent(9000, 1000, -5000), 0);
  TDisplayOptions o;
  o.percent = true;
  o.base = 150000;
  TProcessData d;
  ASSERT_TRUE(DecodeProcessFile(ProcessBytes(3, 2, 10, {6560, 1835, 10000, 6560, 1835, 9000}), o, d));
  EXPECT_EQ(DataCellText(d, 4, 2), "99,4");
  EXPECT_EQ(DataCellText(d, 4, 0), "мм, усадка"_cp);
}

TEST(ShrinkBaseDialog, TextsAccepted) {
  Russian ru;
  struct Case {
    const char* text;
    bool ok;
    double mm;
  } cases[] = {{"152.5", true, 152.5}, {"152,5", true, 152.5}, {"150", true, 150}, {"15a", false, 0},
               {"0", false, 0},        {"-3", false, 0},       {"", false, 0}};
  for (const Case& c : cases) {
    double v = 0;
    EXPECT_EQ(ParseShrinkBase(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_DOUBLE_EQ(v, c.mm);
    }
  }
}

TEST(ViewOptions, ZoomRangesAndResets) {
  struct Zoom {
    TShrinkZoom zoom;
    double smallest;
    TAxisWindow range;
  } zooms[] = {
      {TShrinkZoom::mm5, 0, {-4, 1}},      {TShrinkZoom::mm10, 0, {-9, 1}},      {TShrinkZoom::mm20, 0, {-18, 2}},
      {TShrinkZoom::Auto, -4, {-4, 1}},    {TShrinkZoom::Auto, -4.001, {-9, 1}}, {TShrinkZoom::Auto, -9, {-9, 1}},
      {TShrinkZoom::Auto, -9.5, {-18, 2}},
  };
  for (const Zoom& z : zooms) EXPECT_EQ(ZoomActionRange(z.zoom, z.smallest), z.range) << z.smallest;
  struct Reset {
    TShrinkZoom zoom;
    double span, max, min;
  } resets[] = {
      {TShrinkZoom::mm5, 0, 4, -1},    {TShrinkZoom::mm10, 0, 8, -1}, {TShrinkZoom::mm20, 0, 18, -2},
      {TShrinkZoom::Auto, 3, 4, -1},   {TShrinkZoom::Auto, 6, 8, -1}, {TShrinkZoom::Auto, 9.5, 8, -2},
      {TShrinkZoom::Auto, 11, 18, -2},
  };
  for (const Reset& r : resets) {
    EXPECT_EQ(ResetRightAxisMaxValue(r.zoom, r.span), r.max) << r.span;
    EXPECT_EQ(ResetRightAxisMinValue(r.zoom, r.span), r.min) << r.span;
  }
}

TEST(ChartMouse, DragZones) {
  const TAxisRange time{100, 200}, left{0, 100}, right{-9, 1};
  using Z = app::TDragZone;
  struct Case {
    double xv, yl, yr;
    Z zone;
  } cases[] = {
      {90, 101, 0, Z::None},       // left of the plot, above the axis
      {90, 60, 0, Z::LeftMax},     // upper half of the left axis: its maximum
      {90, 40, 0, Z::LeftMin},     // lower half: its minimum
      {90, -1, 0, Z::None},        // below it
      {150, 50, 0, Z::None},       // inside the plot
      {120, -5, 0, Z::TimeStart},  // time labels left of the middle: the start
      {180, -5, 0, Z::TimeEnd},    // right of the middle: the end
      {210, 0, -6, Z::RightMin},   // lower half of the right axis
      {210, 0, -4, Z::RightMin},   // its middle counts as lower
      {210, 0, -2, Z::RightMax},
  };
  for (const Case& c : cases)
    EXPECT_EQ(int(DragZoneAt(c.xv, c.yl, c.yr, time, left, right)), int(c.zone)) << c.xv << " " << c.yl;
}

TEST(ChartMouse, ReadoutInterpolatesBetweenPoints) {
  std::vector<double> xs, ys;
  for (int i = 0; i < 20; ++i) {
    xs.push_back(1000 + i / 144.0);
    ys.push_back(i == 10 ? 20.0 : i == 11 ? 21.0 : 15.0);
  }
  struct Case {
    double x;
    bool ok;
    double v;
  } cases[] = {
      {xs[10] + 0.5 / 144, true, 20.5},  // halfway between points 10 and 11
      {xs[19], true, 15.0},              // exactly on the last point
      {xs[0], true, 15.0},
      {xs[10], true, 20.0},
      {xs[0] - 1e-6, false, 0},
      {xs[19] + 1e-6, false, 0},
  };
  for (const Case& c : cases) {
    double v = -1;
    EXPECT_EQ(InterpolateAt(xs, ys, c.x, v), c.ok) << c.x;
    if (c.ok) {
      EXPECT_NEAR(v, c.v, 1e-9) << c.x;
    }
  }
  double v = 0;
  EXPECT_TRUE(InterpolateAt({5}, {7}, 5, v));
  EXPECT_EQ(v, 7);
  EXPECT_FALSE(InterpolateAt({}, {}, 5, v));
}

TEST(ChartMouse, ReadoutTexts) {
  Russian ru;
  // The whole elapsed time, past a day as well.
  EXPECT_EQ(ReadoutTimeText(2.0 + 25.0 / 24, true), "Время: 25:00:00"_cp);
  EXPECT_EQ(ReadoutTimeText(2.0 + (47.0 + 59.0 / 60) / 24, true), "Время: 47:59:00"_cp);
  EXPECT_EQ(ReadoutTimeText(2.0 + 90.0 / 86400, true), "Время: 00:01:30"_cp);
  EXPECT_EQ(ReadoutTimeText(rtl::EncodeDateTime(2013, 3, 7, 9, 5, 30, 0), false), "Дата, время: 7.3.2013, 09:05:30"_cp);
  EXPECT_EQ(ReadoutValuesText({23.5, 64.2, -1.234, 21.0}, false), "23,5°C, 64,2%, -1,234 мм, 21,0 °C"_cp);
  EXPECT_EQ(ReadoutValuesText({23.5, 64.2, -1.234}, false), "23,5°C, 64,2%, -1,234 мм"_cp);
  EXPECT_EQ(ReadoutValuesText({20.5, 50, 99.375, 21, 22}, true), "20,5°C, 50,0%, 99,4 %, 21,0 °C, 22,0 °C"_cp);
}

}  // namespace
