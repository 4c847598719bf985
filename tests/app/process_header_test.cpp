// Process header: validation, texts, names and the humidity conversion.
#include <gtest/gtest.h>

#include <vector>

#include "app/ProcessHeader.h"
#include "tests/app/header_builder.h"

using namespace rtl::literals;
using app::TProcessHeader;

namespace {

TProcessHeader Header(std::uint32_t address, int slot, int sec, int min, int hour, int day, int month, int year,
                      int points, int period, int channels) {
  return apptest::MakeHeader({address, slot, sec, min, hour, day, month, year, points, period, channels});
}

TProcessHeader Valid() { return Header(0x340, 0, 0, 5, 9, 7, 3, 13, 91, 10, 3); }

}  // namespace

TEST(ProcessHeader, ValidationCodesInOrder) {
  using C = app::THeaderCheck;
  constexpr C V = C::Valid, S = C::StartAddressTooLow, L = C::SlotAbove50, D = C::DateTimeOrPointsOutOfRange,
              M = C::BeyondMemory;
  // The codes themselves are what callers and files have always seen.
  EXPECT_EQ((std::vector<int>{int(V), int(S), int(L), int(D), int(M)}), (std::vector<int>{0, 2, 3, 4, 5}));
  struct Case {
    const char* what;
    TProcessHeader h;
    C code;
  } cases[] = {
      {"valid", Valid(), V},
      {"address 0x33F", Header(0x33F, 0, 0, 5, 9, 7, 3, 13, 91, 10, 3), S},
      {"slot 50", Header(0x340, 50, 0, 5, 9, 7, 3, 13, 91, 10, 3), V},
      {"slot 51", Header(0x340, 51, 0, 5, 9, 7, 3, 13, 91, 10, 3), L},
      {"month 0", Header(0x340, 0, 0, 5, 9, 7, 0, 13, 91, 10, 3), D},
      {"month 13", Header(0x340, 0, 0, 5, 9, 7, 13, 13, 91, 10, 3), D},
      {"day 0", Header(0x340, 0, 0, 5, 9, 0, 3, 13, 91, 10, 3), D},
      {"day 32", Header(0x340, 0, 0, 5, 9, 32, 3, 13, 91, 10, 3), D},
      {"hour 24", Header(0x340, 0, 0, 5, 24, 7, 3, 13, 91, 10, 3), D},
      {"minute 60", Header(0x340, 0, 0, 60, 9, 7, 3, 13, 91, 10, 3), D},
      {"second 60", Header(0x340, 0, 60, 5, 9, 7, 3, 13, 91, 10, 3), D},
      {"points 0", Header(0x340, 0, 0, 5, 9, 7, 3, 13, 0, 10, 3), D},
      {"channels 2", Header(0x340, 0, 0, 5, 9, 7, 3, 13, 91, 10, 2), M},
      {"channels 6", Header(0x340, 0, 0, 5, 9, 7, 3, 13, 91, 10, 6), M},
      {"3ch 21706", Header(0x340, 0, 0, 5, 9, 7, 3, 13, 21706, 10, 3), V},
      {"3ch 21707", Header(0x340, 0, 0, 5, 9, 7, 3, 13, 21707, 10, 3), M},
      {"4ch 16280", Header(0x340, 0, 0, 5, 9, 7, 3, 13, 16280, 10, 4), V},
      {"5ch 13025", Header(0x340, 0, 0, 5, 9, 7, 3, 13, 13025, 10, 5), M},
      {"first failure wins", Header(0x10, 60, 0, 5, 9, 0, 3, 13, 0, 10, 9), S},
  };
  for (const auto& c : cases) EXPECT_EQ(int(app::CheckProcessHeader(c.h)), int(c.code)) << c.what;
}

TEST(ProcessHeader, DateTimeLayoutsDurationAndName) {
  TProcessHeader h = Valid();
  EXPECT_EQ(app::HeaderDateTimeText(0, h), "07.03.13");
  EXPECT_EQ(app::HeaderDateTimeText(1, h), "9:05");
  EXPECT_EQ(app::HeaderDateTimeText(2, h), "7.03.13, 9:05");
  EXPECT_EQ(app::HeaderDateTimeText(3, h), "7 марта 2013, 9:05"_cp);
  EXPECT_EQ(app::HeaderDateTimeText(4, h), "130307_0905");
  EXPECT_EQ(app::HeaderDateTimeText(5, h), "");
  EXPECT_EQ(app::DurationText(h), "15:00");
  EXPECT_EQ(app::ProcessFileName(h), "130307_0905.bin");

  TProcessHeader jan = Header(0x340, 0, 33, 0, 0, 5, 1, 13, 1, 10, 3);
  EXPECT_EQ(app::HeaderDateTimeText(2, jan), "5.01.13, 0:00");
  EXPECT_EQ(app::HeaderDateTimeText(3, jan), "5 января 2013, 0:00"_cp);
  EXPECT_EQ(app::DurationText(jan), "0:00");
  EXPECT_EQ(app::DurationText(Header(0x340, 0, 0, 0, 0, 5, 1, 13, 21706, 255, 3)), "92246:15");
}

TEST(ProcessHeader, FileNameFromListCells) {
  EXPECT_EQ(app::FileNameFromCells("7.03.13", "9:05"), "130307_0905.bin");
  EXPECT_EQ(app::FileNameFromCells("07.03.13", "09:05"), "130307_0905.bin");
  EXPECT_EQ(app::FileNameFromCells("31.12.99", "23:59"), "991231_2359.bin");
  EXPECT_EQ(app::FileNameFromCells("", "9:05"), "");
}

TEST(ProcessHeader, HumiditySensorConversion) {
  struct Case {
    std::uint16_t t, rh;
    bool sht21;
    float temperature, humidity;
  } cases[] = {
      {0, 0, true, -46.85f, 0.1f},  // negative humidity becomes 0.1
      {6233, 2163, true, 20.0f, 60.01f},
      {0, 0, false, -40.53f, 0.1f},
      {20000, 1000, false, 125.0f, 42.70f},  // 157.07 before the limit
      {6450, 1500, false, 24.94f, 50.44f},
      {65535, 65535, true, 656.0f, 100.0f},  // temperature is not limited for SHT21
  };
  for (const auto& c : cases) {
    std::uint16_t raw[2] = {c.t, c.rh};
    float t = 0, rh = 0;
    app::ConvertSht(raw, t, rh, c.sht21);
    EXPECT_NEAR(t, c.temperature, 0.02) << c.t;
    if (c.humidity > 0) {
      EXPECT_NEAR(rh, c.humidity, 0.05) << c.rh;
    }
    EXPECT_GE(rh, 0.1f);
    EXPECT_LE(rh, 100.0f);
  }
}
