#include "platform/rtl/datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

#include "platform/rtl/exceptions.h"
#include "tests/support/errors.h"

using namespace rtl;

namespace {

// 10 December 2026, 13:45:30.250: a Thursday.
TDateTime FixedNow() { return EncodeDateTime(2026, 12, 10, 13, 45, 30, 250); }

class DateTimeTest : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = SetNowSource(FixedNow); }
  void TearDown() override { SetNowSource(previous_); }
  FormatSettingsScope settings{FormatSettings::Russian()};
  FormatSettings english = FormatSettings::Invariant();
  NowSource previous_ = nullptr;
};

}  // namespace

TEST_F(DateTimeTest, EncodeAndDecodeDates) {
  struct Case {
    int y, m, d;
    double value;
  };
  const Case cases[] = {
      {1899, 12, 30, 0},  {1899, 12, 31, 1},       {1900, 1, 1, 2},      {1899, 12, 29, -1},
      {1, 1, 1, -693593}, {9999, 12, 31, 2958465}, {2013, 3, 7, 41340},  {2000, 2, 29, 36585},
      {1900, 3, 1, 61},   {1600, 2, 29, -109512},  {2024, 2, 29, 45351},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.value) << c.y << "-" << c.m << "-" << c.d;
    int y, m, d;
    DecodeDate(c.value, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, c.y * 10000 + c.m * 100 + c.d) << c.value;
  }
  EXPECT_EQ(support::ErrorOf([] { EncodeDate(1900, 2, 29); }), "Invalid argument to date encode");
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(EncodeDate(10000, 1, 1), EConvertError);
  EXPECT_THROW(EncodeDate(2000, 13, 1), EConvertError);
  EXPECT_THROW(EncodeDate(2000, 4, 31), EConvertError);
  int y, m, d;
  DecodeDate(-693594, y, m, d);  // before 1 January 0001
  EXPECT_EQ(y + m + d, 0);
}

TEST_F(DateTimeTest, TimesAndDatesBefore1899) {
  EXPECT_DOUBLE_EQ(EncodeTime(6, 0, 0, 0), 0.25);
  EXPECT_EQ(support::ErrorOf([] { EncodeTime(24, 0, 0, 0); }), "Invalid argument to time encode");
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
  // Before 30 December 1899 the fraction still counts forward from midnight.
  EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
  int y, mo, d, h, mi, s, ms;
  DecodeDateTime(-1.25, y, mo, d, h, mi, s, ms);
  EXPECT_EQ((std::vector<int>{y, mo, d, h, mi, s, ms}), (std::vector<int>{1899, 12, 29, 6, 0, 0, 0}));
  DecodeDateTime(EncodeDateTime(2013, 3, 7, 23, 59, 59, 999), y, mo, d, h, mi, s, ms);
  EXPECT_EQ((std::vector<int>{y, mo, d, h, mi, s, ms}), (std::vector<int>{2013, 3, 7, 23, 59, 59, 999}));
  // A fraction a hair below midnight rounds to the next day, not to 24:00.
  DecodeDateTime(41340.9999999999, y, mo, d, h, mi, s, ms);
  EXPECT_EQ((std::vector<int>{y, mo, d, h, mi, s, ms}), (std::vector<int>{2013, 3, 8, 0, 0, 0, 0}));
}

TEST_F(DateTimeTest, CalendarHelpers) {
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(2023));
  const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int m = 1; m <= 12; ++m) EXPECT_EQ(DaysInMonth(2023, m), days[m - 1]);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_THROW(DaysInMonth(2000, 13), EConvertError);
  EXPECT_EQ(DayOfWeek(0), 7);  // 30 December 1899 was a Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 10)), 5);
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 13)), 1);
  EXPECT_EQ(DayOfWeek(-1.25), 6);
  EXPECT_EQ(DayOfWeek(EncodeDate(1, 1, 1)), 2);  // a Monday
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31)), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(EncodeDate(2023, 1, 31)), EncodeDate(2023, 2, 28));
  EXPECT_EQ(IncMonth(EncodeDate(2023, 1, 15), -13), EncodeDate(2021, 12, 15));
  EXPECT_DOUBLE_EQ(IncMonth(EncodeDate(2023, 12, 15) + 0.5, 1), EncodeDate(2024, 1, 15) + 0.5);
}

TEST_F(DateTimeTest, ClockIsInjectable) {
  EXPECT_EQ(Now(), FixedNow());
  EXPECT_EQ(Date(), EncodeDate(2026, 12, 10));
  EXPECT_NEAR(Time(), EncodeTime(13, 45, 30, 250), 1e-9);
  SetNowSource(nullptr);
  TDateTime real = Now();
  EXPECT_GT(real, EncodeDate(2020, 1, 1));
  EXPECT_LT(real, EncodeDate(2200, 1, 1));
}

TEST_F(DateTimeTest, FormatDateTimeSpecifiers) {
  TDateTime t = EncodeDateTime(2013, 3, 7, 9, 5, 3, 45);  // a Thursday
  struct Case {
    const char* format;
    const char* text;
  };
  const Case cases[] = {
      {"d.m.yy", "7.3.13"},
      {"dd.mm.yyyy", "07.03.2013"},
      {"yyyy", "2013"},
      {"y", "13"},
      {"yyy", "2013"},
      {"ddd", "\xD7\xF2"},                       // Чт
      {"dddd", "\xF7\xE5\xF2\xE2\xE5\xF0\xE3"},  // четверг
      {"ddddd", "07.03.2013"},
      {"mmm", "\xEC\xE0\xF0"},       // мар
      {"mmmm", "\xCC\xE0\xF0\xF2"},  // Март
      {"h:n:s", "9:5:3"},
      {"hh:nn:ss.zzz", "09:05:03.045"},
      {"z", "45"},
      {"hh:mm", "09:05"},    // m after h means minutes
      {"h 'h' m", "9 h 5"},  // also across a literal
      {"mm/dd", "03.07"},
      {"hh:mm:ss", "09:05:03"},
      {"t", "9:05"},
      {"tt", "9:05:03"},
      {"c", "07.03.2013 9:05:03"},
      {"", "07.03.2013 9:05:03"},
      {"dd.mmm\r hh:nn", "07.\xEC\xE0\xF0\r 09:05"},
      {"\"d\" d 'yyyy'", "d 7 yyyy"},
      {"h:nn am/pm", "9:05 am"},
      {"h:nn AM/PM", "9:05 AM"},
      {"h:nn a/p", "9:05 a"},
      {"hh:nn ampm", "09:05 "},  // empty AM text in the Russian locale
      {"'unclosed", "unclosed"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.format, t), c.text) << c.format;

  TDateTime evening = EncodeDateTime(2013, 3, 7, 21, 5, 0, 0);
  EXPECT_EQ(FormatDateTime("h:nn am/pm", evening), "9:05 pm");
  EXPECT_EQ(FormatDateTime("hh:nn ampm", evening, english), "09:05 PM");
  EXPECT_EQ(FormatDateTime("h am/pm", EncodeTime(0, 30, 0, 0)), "12 am");
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2013, 3, 7)), "07.03.2013");
  EXPECT_EQ(FormatDateTime("dddddd", t), "7 \xCC\xE0\xF0\xF2 2013 \xE3.");  // 7 Март 2013 г.
  EXPECT_EQ(FormatDateTime("dddd, mmmm d, yyyy", t, english), "Thursday, March 7, 2013");
  EXPECT_EQ(FormatDateTime("c", t, english), "3/7/2013 9:05:03 AM");
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy hh:nn", -1.25), "29.12.1899 06:00");
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy", EncodeDate(1, 1, 1)), "01.01.0001");
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy", EncodeDate(2000, 2, 29)), "29.02.2000");
  EXPECT_EQ(FormatDateTime("Начало d mmm yyyy, h:nn"_cp, EncodeDateTime(2013, 1, 5, 0, 0, 0, 0)),
            std::string("Начало 5 янв 2013, 0:00"_cp));
  // A value outside the calendar prints zeros, never garbage or a crash.
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy mmmm", -1e9), "00.00.0000 ");
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy hh:nn", std::nan("")), "00.00.0000 00:00");
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy", 1e300), "00.00.0000");
}

TEST_F(DateTimeTest, ToStrForms) {
  TDateTime t = EncodeDateTime(2013, 3, 7, 9, 5, 0, 0);
  EXPECT_EQ(DateToStr(t), "07.03.2013");
  EXPECT_EQ(TimeToStr(t), "9:05:00");
  EXPECT_EQ(DateTimeToStr(t), "07.03.2013 9:05:00");
  EXPECT_EQ(DateTimeToStr(EncodeDate(2013, 3, 7)), "07.03.2013");
}

TEST_F(DateTimeTest, StrToDateTable) {
  struct Case {
    const char* text;
    bool ok;
    int y, m, d;
  };
  const Case cases[] = {
      {"07.03.2013", true, 2013, 3, 7},
      {"7.3.2013", true, 2013, 3, 7},
      {" 7 . 3 . 2013 ", true, 2013, 3, 7},
      {"7.3.13", true, 2013, 3, 7},
      {"7.3.76", true, 1976, 3, 7},  // two-digit years run from 1976 to 2075
      {"7.3.75", true, 2075, 3, 7},
      {"7.3", true, 2026, 3, 7},  // this year
      {"29.02.2000", true, 2000, 2, 29},
      {"01.01.0001", true, 1, 1, 1},
      {"31.12.9999", true, 9999, 12, 31},
      {"29.02.1900", false, 0, 0, 0},
      {"31.02.2013", false, 0, 0, 0},
      {"32.01.2013", false, 0, 0, 0},
      {"7/3/2013", false, 0, 0, 0},
      {"7.3.2013x", false, 0, 0, 0},
      {"", false, 0, 0, 0},
      {"7", false, 0, 0, 0},
      {"a.b.c", false, 0, 0, 0},
      {"7.3.2013 10:00", false, 0, 0, 0},
  };
  for (const auto& c : cases) {
    TDateTime v = -1;
    EXPECT_EQ(TryStrToDate(c.text, v), c.ok) << '"' << c.text << '"';
    if (c.ok) {
      EXPECT_EQ(v, EncodeDate(c.y, c.m, c.d)) << c.text;
    }
  }
  EXPECT_EQ(support::ErrorOf([] { StrToDate("31.02.2013"); }), "'31.02.2013' is not a valid date");
  EXPECT_EQ(StrToDate("3/7/2013", english), EncodeDate(2013, 3, 7));
}

TEST_F(DateTimeTest, StrToTimeAndDateTime) {
  struct Case {
    const char* text;
    bool ok;
    int h, m, s, ms;
  };
  const Case cases[] = {
      {"9:05", true, 9, 5, 0, 0},        {"09:05:03", true, 9, 5, 3, 0}, {"23:59:59.999", true, 23, 59, 59, 999},
      {"9:05:03,5", true, 9, 5, 3, 500}, {"9:05 PM", true, 21, 5, 0, 0}, {"12:00 am", true, 0, 0, 0, 0},
      {"12:30 PM", true, 12, 30, 0, 0},  {"PM 1:00", true, 13, 0, 0, 0}, {"3 pm", true, 15, 0, 0, 0},
      {"24:00", false, 0, 0, 0, 0},      {"9:60", false, 0, 0, 0, 0},    {"13:00 PM", false, 0, 0, 0, 0},
      {"9", false, 0, 0, 0, 0},          {"9:", false, 0, 0, 0, 0},      {"9:05x", false, 0, 0, 0, 0},
      {"", false, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    TDateTime v = -1;
    EXPECT_EQ(TryStrToTime(c.text, v), c.ok) << '"' << c.text << '"';
    if (c.ok) {
      EXPECT_DOUBLE_EQ(v, EncodeTime(c.h, c.m, c.s, c.ms)) << c.text;
    }
  }
  EXPECT_EQ(support::ErrorOf([] { StrToTime("25:00"); }), "'25:00' is not a valid time");
  EXPECT_DOUBLE_EQ(StrToDateTime("07.03.2013 9:05:03"), EncodeDateTime(2013, 3, 7, 9, 5, 3, 0));
  EXPECT_DOUBLE_EQ(StrToDateTime("07.03.2013"), EncodeDate(2013, 3, 7));
  EXPECT_DOUBLE_EQ(StrToDateTime("9:05"), EncodeTime(9, 5, 0, 0));
  EXPECT_DOUBLE_EQ(StrToDateTime("29.12.1899 06:00"), -1.25);
  EXPECT_EQ(support::ErrorOf([] { StrToDateTime("07.03.2013 x"); }), "'07.03.2013 x' is not a valid date and time");
  // What DateTimeToStr writes, StrToDateTime reads back.
  TDateTime t = EncodeDateTime(2013, 3, 7, 9, 5, 3, 0);
  EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(t)), t);
  EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(t, english), english), t);
}

TEST_F(DateTimeTest, HostileTextsNeverCrash) {
  const char alphabet[] = "dmyhnsztcaAmpP/:.'\" 0123456789-\r";
  uint32_t state = 777;
  auto next = [&] {
    state = state * 1103515245u + 12345u;
    return state >> 16;
  };
  for (int round = 0; round < 3000; ++round) {
    std::string f;
    int len = static_cast<int>(next() % 20);
    for (int i = 0; i < len; ++i) f += alphabet[next() % (sizeof alphabet - 1)];
    (void)FormatDateTime(f, static_cast<double>(static_cast<int>(next() % 200000) - 100000) / 3.0);
    TDateTime v;
    (void)TryStrToDateTime(f, v);
    (void)TryStrToTime(f, v);
  }
}

TEST(LocalDateTime, FromSystemSeconds) {
  const char* oldTz = std::getenv("TZ");
  const std::string savedTz = oldTz ? oldTz : "";
  setenv("TZ", "UTC0", 1);
  tzset();
  EXPECT_DOUBLE_EQ(LocalDateTimeFromUnix(0), 25569.0);
  EXPECT_DOUBLE_EQ(LocalDateTimeFromUnix(365LL * 86400 + 12 * 3600, 500), EncodeDateTime(1971, 1, 1, 12, 0, 0, 500));
  EXPECT_DOUBLE_EQ(LocalDateTimeFromUnix(-86400), 25568.0);
  // 2026-12-10 13:45:30 UTC.
  EXPECT_NEAR(LocalDateTimeFromUnix(1796910330), EncodeDateTime(2026, 12, 10, 13, 45, 30, 0), 1e-9);
  // Years the date functions refuse still give a number.
  EXPECT_GT(LocalDateTimeFromUnix(400000000000LL), 4e6);
  setenv("TZ", "UTC-3", 1);  // three hours east
  tzset();
  EXPECT_DOUBLE_EQ(LocalDateTimeFromUnix(0), 25569.0 + 3.0 / 24);
  if (oldTz)
    setenv("TZ", savedTz.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}
