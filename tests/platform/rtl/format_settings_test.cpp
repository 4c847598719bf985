#include "platform/rtl/format_settings.h"

#include <gtest/gtest.h>

#include "platform/rtl/format.h"

using namespace rtl;

TEST(FormatSettings, RussianDefaults) {
  FormatSettings r = FormatSettings::Russian();
  EXPECT_EQ(r.DecimalSeparator, ',');
  EXPECT_EQ(r.DateSeparator, '.');
  EXPECT_EQ(r.TimeSeparator, ':');
  EXPECT_EQ(r.ShortDateFormat, "dd.mm.yyyy");
  EXPECT_EQ(r.LongTimeFormat, "h:mm:ss");
  EXPECT_EQ(r.CurrencyString, std::string("р."_cp));
  const char* shortMonths[] = {"янв", "фев", "мар", "апр", "май", "июн", "июл", "авг", "сен", "окт", "ноя", "дек"};
  for (int m = 0; m < 12; ++m) EXPECT_EQ(r.ShortMonthNames[m], Utf8ToAnsi(shortMonths[m])) << m;
  EXPECT_EQ(r.LongMonthNames[0], std::string("Январь"_cp));
  EXPECT_EQ(r.LongMonthNames[11], std::string("Декабрь"_cp));
  EXPECT_EQ(r.ShortDayNames[0], std::string("Вс"_cp));
  EXPECT_EQ(r.LongDayNames[1], std::string("понедельник"_cp));
}

TEST(FormatSettings, ScopeRestoresTheCurrentSettings) {
  char before = CurrentFormatSettings().DecimalSeparator;
  {
    FormatSettingsScope scope(FormatSettings::Invariant());
    EXPECT_EQ(FloatToStr(1.5L), "1.5");
    CurrentFormatSettings().DecimalSeparator = '#';
    EXPECT_EQ(FloatToStr(1.5L), "1#5");
  }
  EXPECT_EQ(CurrentFormatSettings().DecimalSeparator, before);
  {
    FormatSettingsScope scope;  // keeps the settings, restores them later
    CurrentFormatSettings().DecimalSeparator = '!';
  }
  EXPECT_EQ(CurrentFormatSettings().DecimalSeparator, before);
}
