// The figures of the job, calibration and diagnostics dialogs.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/CalibrFigures.h"
#include "app/JobFigures.h"
#include "app/SelfTestFigures.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/format_settings.h"

using namespace rtl::literals;
using rtl::AnsiString;

namespace {
struct CommaDecimals : ::testing::Test {
  CommaDecimals() { rtl::CurrentFormatSettings().DecimalSeparator = ','; }
};
using JobFigures = CommaDecimals;
using CalibrFigures = CommaDecimals;
using SelfTestFigures = CommaDecimals;
}  // namespace

TEST_F(JobFigures, PointsMemoryAndRedLimits) {
  struct Case {
    const char* what;
    const char *hours, *period;
    int channels;
    bool valid, red;
    int points;
    const char* memory;
  } cases[] = {
      {"24 h at 1 min", "24", "1", 3, true, false, 1441, "6,6 %"},
      {"1000 h at 2 min is over the limit: capped, red, writable", "1000", "2", 3, true, true, 21706, "100,0 %"},
      {"just under the limit stays black", "361", "1", 3, true, false, 21661, "99,8 %"},
      {"first value over the limit", "362", "1", 3, true, true, 21706, "100,0 %"},
      {"4 channels limit", "1000", "3", 4, true, true, 16280, "100,0 %"},
      {"5 channels limit", "1000", "4", 5, true, true, 13024, "100,0 %"},
      {"unknown channel count counts as 3", "1", "1", 0, true, false, 61, "0,3 %"},
      {"empty duration: the limit, red", "", "1", 3, true, true, 21706, "100,0 %"},
      {"period 0 is taken as 1", "24", "0", 3, true, false, 1441, "6,6 %"},
      {"period 300 does not fit a byte", "24", "300", 3, false, true, 21706, "100,0 %"},
      {"period 240", "24", "240", 3, true, false, 7, "0,0 %"},
      {"period 255 beyond the hint fits", "24", "255", 3, true, false, 6, "0,0 %"},
      {"period 256", "24", "256", 3, false, true, 21706, "100,0 %"},
      {"empty period", "24", "", 3, false, true, 21706, "100,0 %"},
      {"duration 0 gives one point", "0", "10", 3, true, false, 1, "0,0 %"},
      {"duration 1001 beyond the hint fits", "1001", "10", 3, true, false, 6007, "27,7 %"},
      {"a huge duration", "999999999", "1", 3, true, true, 21706, "100,0 %"},
      {"a decimal point is not a whole number", "2.5", "10", 3, true, true, 21706, "100,0 %"},
      {"sign", "+5", "10", 3, true, true, 21706, "100,0 %"},
  };
  for (const auto& c : cases) {
    const app::TJobFigures f = app::ComputeJob(c.hours, c.period, c.channels);
    EXPECT_EQ(f.Valid, c.valid) << c.what;
    EXPECT_EQ(f.Red, c.red) << c.what;
    EXPECT_EQ(f.Points, c.points) << c.what;
    EXPECT_EQ(f.Memory, c.memory) << c.what;
    if (c.valid) {
      EXPECT_EQ(f.Period, std::max(1, std::atoi(c.period))) << c.what;
    }
  }
  EXPECT_EQ(app::JobPointLimit(3), 21706);
  EXPECT_EQ(app::JobPointLimit(4), 16280);
  EXPECT_EQ(app::JobPointLimit(5), 13024);
  EXPECT_EQ(app::JobPointLimit(7), 21706);
}

TEST_F(JobFigures, DurationAndDelayOfAJobRead) {
  EXPECT_EQ(app::JobDurationHours({0, 1441, 1}), 24);
  EXPECT_EQ(app::JobDurationHours({0, 91, 10}), 15);
  EXPECT_EQ(app::JobDurationHours({0, 0, 10}), 0);
  struct Case {
    int delay, h, m;
  } cases[] = {{0, 0, 0}, {59, 0, 59}, {61, 1, 1}, {1439, 23, 59}, {1440, 0, 0}, {1500, 0, 0}};
  for (const auto& c : cases) {
    int h = -1, m = -1;
    app::JobDelayToTime(std::uint16_t(c.delay), h, m);
    EXPECT_EQ(h, c.h) << c.delay;
    EXPECT_EQ(m, c.m) << c.delay;
  }
}

TEST_F(CalibrFigures, ModesFromA1) {
  using M = app::TCalibrMode;
  struct Case {
    std::uint32_t a1;
    M mode;
    const char* text;
  } cases[] = {{0xEEEEEEEE, M::NoDS1820, "0xEEEEEEEE"},
               {0xFFFFFFFF, M::DS1820, "0xFFFFFFFF"},
               {0, M::U, "0"},
               {app::FloatWord(0.5f), M::TCDebug, "0.5"},
               {app::FloatWord(1.0f), M::T, ""},
               {app::FloatWord(-0.5f), M::T, ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(app::CalibrModeFromA1(c.a1), c.mode) << std::hex << c.a1;
    EXPECT_EQ(app::CalibrModeText(c.mode), c.text);
  }
}

TEST_F(CalibrFigures, WordsForAWrite) {
  using M = app::TCalibrMode;
  auto w = app::CalibrWordsFor(M::NoDS1820, "x", "y");
  EXPECT_TRUE(w.Ok());
  EXPECT_EQ(w.A1, 0xEEEEEEEEu);
  EXPECT_EQ(w.A0, 0xEEEEEEEEu);
  w = app::CalibrWordsFor(M::DS1820, "", "");
  EXPECT_EQ(w.A1, 0xFFFFFFFFu);
  w = app::CalibrWordsFor(M::U, "", "");
  EXPECT_EQ(w.A1, 0u);
  EXPECT_EQ(w.A0, 0u);
  w = app::CalibrWordsFor(M::TCDebug, "0.5", "0.5");
  EXPECT_TRUE(w.Ok());
  EXPECT_EQ(w.A1, 0x3F000000u);
  w = app::CalibrWordsFor(M::T, "1.25", "-0,5");
  EXPECT_TRUE(w.Ok());
  EXPECT_EQ(app::WordFloat(w.A1), 1.25f);
  EXPECT_EQ(app::WordFloat(w.A0), -0.5f);
  // The marker texts left in the edits after switching to T do not convert.
  w = app::CalibrWordsFor(M::T, "0xEEEEEEEE", "0xEEEEEEEE");
  EXPECT_TRUE(w.A1Bad);
  EXPECT_TRUE(w.A0Bad);
  w = app::CalibrWordsFor(M::T, "1e60", "");
  EXPECT_TRUE(w.A1Bad);
  EXPECT_TRUE(w.A0Bad);
  EXPECT_EQ(app::CoefficientText(app::FloatWord(1.0f)), "1,0000000");
  EXPECT_EQ(app::CoefficientText(app::FloatWord(-0.03125f)), "-0,0312500");
}

TEST_F(SelfTestFigures, ClockLineAndColour) {
  const std::uint8_t clock[6] = {7, 5, 9, 7, 3, 13};  // 7.03.2013, 9:05:07
  EXPECT_EQ(app::DiagClockText(clock), "7.03.2013, 9:05:07");
  const double recorder = rtl::EncodeDateTime(2013, 3, 7, 9, 5, 7, 0);
  struct Case {
    int offsetSeconds;
    app::TClockColour colour;
  } cases[] = {{0, app::TClockColour::Normal},
               {29, app::TClockColour::Normal},
               {-29, app::TClockColour::Normal},
               {31, app::TClockColour::Red},
               {-31, app::TClockColour::Red}};
  for (const auto& c : cases)
    EXPECT_EQ(app::DiagClockColour(clock, recorder + c.offsetSeconds / 86400.0), c.colour) << c.offsetSeconds;
  const std::uint8_t feb30[6] = {0, 0, 12, 30, 2, 13};
  EXPECT_EQ(app::DiagClockColour(feb30, recorder), app::TClockColour::Unchanged);
  const std::uint8_t alarm[4] = {3, 4, 21, 0};
  EXPECT_EQ(app::DiagAlarmText(alarm), "Alarm: 21:04:03");
}

TEST_F(SelfTestFigures, BatteryAndSensorLines) {
  AnsiString u, du;
  app::DiagBatteryLines({3450, 3520, 120, 80}, 2, u, du);
  EXPECT_EQ(u, "Напряжение батареи в последнем процессе регистрации 3,52 В (среднее), 3,45 В (мин)"_cp);
  EXPECT_EQ(du, "Просадка под нагрузкой 80 мВ (средняя), 120 мВ (макс.)"_cp);
  app::DiagBatteryLines({3450, 3520, 120, 80}, 0, u, du);
  EXPECT_EQ(u, "Процессы регистрации не считаны или регистрация не проводилась."_cp);
  EXPECT_EQ(du, "Напряжение батареи проверяется в ходе регистрации"_cp);

  EXPECT_TRUE(app::DiagSensorMissing(0x7FFF, 0xFFFF));
  EXPECT_TRUE(app::DiagSensorMissing(0xFFFF, 0x7FFF));
  EXPECT_FALSE(app::DiagSensorMissing(0x7FFE, 0xFFFF));
  EXPECT_FALSE(app::DiagSensorMissing(6233, 2163));
  EXPECT_EQ(app::DiagTemperatureText(23.44f), "23,4 °C"_cp);
  EXPECT_EQ(app::DiagHumidityText(45.66f), "45,7%");
  EXPECT_EQ(app::DiagShrinkText(12000, 12345), "-0,345 мм"_cp);
  EXPECT_EQ(app::DiagShrinkText(12345, 0), "12,345 мм"_cp);
}

TEST_F(SelfTestFigures, PeriodAndSchedule) {
  EXPECT_EQ(app::DiagPeriodIndex("1"), 1);
  EXPECT_EQ(app::DiagPeriodIndex("9"), 9);
  EXPECT_EQ(app::DiagPeriodIndex("x"), 0);
  EXPECT_EQ(app::DiagPeriodIndex(""), 0);
  // Period 2 s; an exchange that ended 700 ms after its due time.
  std::uint32_t due = 10000;
  EXPECT_EQ(app::DiagNextInterval(due, 1, 10700), 1300u);
  EXPECT_EQ(due, 12000u);
  // A late exchange: the next one at once.
  due = 10000;
  EXPECT_EQ(app::DiagNextInterval(due, 0, 11500), 1u);
  EXPECT_EQ(due, 11501u);
  // 10 seconds.
  due = 0;
  EXPECT_EQ(app::DiagNextInterval(due, 9, 0), 10000u);
}

TEST(DiagSchedule, WrapSafeNearTwoToThe31And32) {
  const std::uint32_t wrap31 = 1u << 31;
  struct Case {
    const char* what;
    std::uint32_t due, now;
    int index;
    std::uint32_t interval;
  } cases[] = {
      {"never run, uptime past 2^31", 0, wrap31 + 1000000, 1, 1},
      {"never run, uptime just under 2^32", 0, 0xFFFFF000u, 0, 1},
      {"due across 2^31", wrap31 - 500, wrap31 + 700, 1, 800},
      {"due across the wrap", 0xFFFFFC18u, 0xFFFFFE00u, 1, 1512},
      {"late across the wrap", 0xFFFFFC18u, 600, 0, 1},
  };
  for (const auto& c : cases) {
    std::uint32_t due = c.due;
    EXPECT_EQ(app::DiagNextInterval(due, c.index, c.now), c.interval) << c.what;
    EXPECT_EQ(due, std::uint32_t(c.now + c.interval)) << c.what;
  }
}
