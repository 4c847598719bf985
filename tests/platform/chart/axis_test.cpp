// Axis ranges, value <-> pixel mapping, label steps and label texts: the pure
// parts of the chart, as tables.
#include "platform/chart/axis.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/datetime.h"
#include "platform/rtl/format_settings.h"

using namespace chart;
using namespace rtl::literals;

namespace {

TEST(AxisRange, SettingEitherEndNeverLeavesTheMinimumAboveTheMaximum) {
  struct Case {
    double min0, max0;
    bool setMin;  // else the maximum
    double v;
    double min, max;
  } cases[] = {
      {0, 100, true, 50, 50, 100}, {0, 100, true, 150, 150, 150}, {0, 100, false, -5, -5, -5},
      {-9, 1, false, 8, -9, 8},    {-9, 1, true, -1, -1, 1},      {0, 100, false, 102, 0, 102},
  };
  for (const Case& c : cases) {
    TChartAxis a(TAxisKind::Left);
    a.SetMinMax(c.min0, c.max0);
    if (c.setMin)
      a.SetMinimum(c.v);
    else
      a.SetMaximum(c.v);
    EXPECT_EQ(a.Minimum(), c.min) << c.min0 << ".." << c.max0 << " set " << c.v;
    EXPECT_EQ(a.Maximum(), c.max);
    EXPECT_FALSE(a.Automatic());
  }
  TChartAxis a(TAxisKind::Right);
  a.SetMinMax(15, -5);  // either order
  EXPECT_EQ(a.Minimum(), -5);
  EXPECT_EQ(a.Maximum(), 15);
}

TEST(AxisRange, AutomaticFollowsTheDataManualKeepsItsRange) {
  TChartAxis a(TAxisKind::Bottom);
  a.AdjustToData(true, 3, 7);
  EXPECT_EQ(a.Minimum(), 3);
  EXPECT_EQ(a.Maximum(), 7);
  a.AdjustToData(false, 100, 200);  // no data: the range stays
  EXPECT_EQ(a.Maximum(), 7);
  a.SetMinMax(0, 1);
  a.AdjustToData(true, 3, 7);
  EXPECT_EQ(a.Maximum(), 1);
  int changes = 0;
  a.SetOnChange([&] { ++changes; });
  a.SetAutomatic(true);
  a.SetMaximum(4);
  EXPECT_EQ(changes, 2);
}

TEST(AxisMapping, ValueToPixelAndBackOnBothOrientations) {
  TChartAxis bottom(TAxisKind::Bottom), left(TAxisKind::Left);
  bottom.SetMinMax(10, 20);
  bottom.Place(100, 600);
  left.SetMinMax(-4, 1);
  left.Place(399, 49);  // minimum at the bottom
  struct Case {
    TChartAxis* axis;
    double value;
    int pixel;
  } cases[] = {
      {&bottom, 10, 100}, {&bottom, 20, 600}, {&bottom, 15, 350}, {&bottom, 9, 50},   {&bottom, 22, 700},
      {&left, -4, 399},   {&left, 1, 49},     {&left, 0, 119},    {&left, -1.5, 224},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.axis->ValueToPixel(c.value), c.pixel) << c.value;
    EXPECT_NEAR(c.axis->PixelToValue(c.pixel), c.value, 1e-9) << c.pixel;
  }
  // A range of nothing maps to the minimum both ways; hostile values clamp.
  TChartAxis flat(TAxisKind::Left);
  flat.SetMinMax(5, 5);
  flat.Place(300, 0);
  EXPECT_EQ(flat.ValueToPixel(7), 300);
  EXPECT_EQ(flat.PixelToValue(10), 5);
  EXPECT_EQ(bottom.ValueToPixel(1e300), 10000000);
}

TEST(ValueSteps, SmallestReadableStepThatKeepsLabelsApart) {
  struct Case {
    double range;
    int pixels, minPixels;
    double increment, step;
  } cases[] = {
      {100, 500, 21, 10, 10},  // the left axis' increment when there is room
      {100, 300, 33, 10, 20},  // doubled when there is not
      {100, 100, 33, 10, 50},    {100, 30, 33, 10, 200},  {5, 300, 21, 0, 0.5}, {10, 300, 21, 0, 1},
      {0.03, 200, 21, 0, 0.005}, {2400, 300, 21, 0, 200}, {0, 300, 21, 0, 0},  // nothing to label
      {10, 0, 21, 0, 0},
  };
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(ChooseValueStep(c.range, c.pixels, c.minPixels, c.increment), c.step)
        << c.range << " on " << c.pixels;
}

TEST(ValueSteps, LabelValuesAreTheMultiplesInsideTheRange) {
  EXPECT_EQ(ValueLabelValues(0, 100, 20), (std::vector<double>{0, 20, 40, 60, 80, 100}));
  EXPECT_EQ(ValueLabelValues(-4, 1, 1), (std::vector<double>{-4, -3, -2, -1, 0, 1}));
  EXPECT_EQ(ValueLabelValues(-0.25, 0.3, 0.1).size(), 6u);
  EXPECT_EQ(ValueLabelValues(-0.25, 0.3, 0.1)[2], 0.0);  // never -0
  EXPECT_TRUE(ValueLabelValues(1, 0, 1).empty());
  EXPECT_TRUE(ValueLabelValues(0, 1e300, 1e-300).size() <= 10000);
}

TEST(DateTimeSteps, EachChoiceIsTheFirstStepWideEnough) {
  // Over a spread of ranges and widths, the chosen step leaves the labels at
  // least minPixels apart and the next smaller step would not.
  const auto& steps = DateTimeSteps();
  for (double range : {0.001, 0.02, 0.3, 1.0, 1.2, 3.0, 15.0, 60.0, 400.0, 3000.0})
    for (int pixels : {150, 400, 777, 1600}) {
      const int need = 60;
      TDateTimeStep s = ChooseDateTimeStep(range, pixels, need);
      auto it = std::find_if(steps.begin(), steps.end(),
                             [&](const TDateTimeStep& t) { return t.unit == s.unit && t.count == s.count; });
      ASSERT_NE(it, steps.end());
      if (it != steps.end() - 1) {
        EXPECT_GE(s.Length() * pixels / range, need) << range << " " << pixels;
      }
      if (it != steps.begin()) {
        EXPECT_LT(std::prev(it)->Length() * pixels / range, need) << range << " " << pixels;
      }
    }
  struct Case {
    double range;
    int pixels, minPixels;
    TDateTimeStep::Unit unit;
    int count;
  } cases[] = {
      {1.0, 800, 60, TDateTimeStep::Seconds, 7200},  // a day: every two hours
      {1.0, 800, 30, TDateTimeStep::Seconds, 3600},  {15.0, 800, 60, TDateTimeStep::Days, 2},
      {0.125, 600, 50, TDateTimeStep::Seconds, 900}, {300.0, 700, 60, TDateTimeStep::Months, 1},
  };
  for (const Case& c : cases) {
    TDateTimeStep s = ChooseDateTimeStep(c.range, c.pixels, c.minPixels);
    EXPECT_EQ(s.unit, c.unit) << c.range;
    EXPECT_EQ(s.count, c.count) << c.range;
  }
}

TEST(DateTimeSteps, LabelValuesLieOnWholeStepsAndMonthStarts) {
  const double day = rtl::EncodeDate(2013, 3, 7);
  auto v = DateTimeLabelValues(day + 0.4, day + 1.3, {TDateTimeStep::Seconds, 21600});
  ASSERT_EQ(v.size(), 4u);
  EXPECT_NEAR(v[0], day + 0.5, 1e-9);
  EXPECT_NEAR(v[3], day + 1.25, 1e-9);
  // An end exactly on a step carries a label.
  EXPECT_EQ(DateTimeLabelValues(day, day + 1, {TDateTimeStep::Seconds, 43200}).size(), 3u);
  auto m = DateTimeLabelValues(rtl::EncodeDate(2013, 1, 15), rtl::EncodeDate(2013, 4, 20), {TDateTimeStep::Months, 1});
  EXPECT_EQ(
      m, (std::vector<double>{rtl::EncodeDate(2013, 2, 1), rtl::EncodeDate(2013, 3, 1), rtl::EncodeDate(2013, 4, 1)}));
  auto q = DateTimeLabelValues(rtl::EncodeDate(2012, 11, 2), rtl::EncodeDate(2013, 8, 1), {TDateTimeStep::Months, 3});
  EXPECT_EQ(
      q, (std::vector<double>{rtl::EncodeDate(2013, 1, 1), rtl::EncodeDate(2013, 4, 1), rtl::EncodeDate(2013, 7, 1)}));
  EXPECT_TRUE(DateTimeLabelValues(NAN, 1, {TDateTimeStep::Days, 1}).empty());
  EXPECT_TRUE(DateTimeLabelValues(-1e9, 1e9, {TDateTimeStep::Months, 1}).empty());
}

TEST(LabelTexts, DateTimeFormatsAndNumbers) {
  rtl::FormatSettingsScope scope{rtl::FormatSettings::Russian()};  // the Russian defaults
  TChartAxis bottom(TAxisKind::Bottom);
  bottom.SetDateTime(true);
  bottom.SetDateTimeFormat("hh:mm");
  const double t = rtl::EncodeDateTime(2013, 3, 7, 9, 5, 0, 0);
  EXPECT_EQ(AxisLabelText(bottom, t, 0), "09:05");
  bottom.SetDateTimeFormat("dd.mmm\r hh:nn");
  EXPECT_EQ(AxisLabelText(bottom, t, 0), "07.мар\r 09:05"_cp);
  // Relative time starts at 2.0, 1 January 1900.
  EXPECT_EQ(AxisLabelText(bottom, 2.0, 0), "01.янв\r 00:00"_cp);
  EXPECT_EQ(AxisLabelText(bottom, 1e12, 0), "");  // outside the calendar

  TChartAxis left(TAxisKind::Left);
  EXPECT_EQ(AxisLabelText(left, 20, 10), "20");
  EXPECT_EQ(AxisLabelText(left, -1.5, 0.5), "-1,5");
  EXPECT_EQ(AxisLabelText(left, 0.005, 0.005), "0,005");
  left.SetValueFormat("0.0");
  EXPECT_EQ(AxisLabelText(left, 3, 1), "3,0");
}

}  // namespace
