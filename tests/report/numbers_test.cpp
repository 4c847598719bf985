#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/rtl/format.h"
#include "platform/rtl/format_settings.h"
#include "report/vuzUtils.h"
#include "report/vuzXML.h"

using namespace report;

namespace {
rtl::FormatSettings WithSeparator(char sep) {
  rtl::FormatSettings fs = rtl::FormatSettings::Russian();
  fs.DecimalSeparator = sep;
  return fs;
}
}  // namespace

TEST(Numbers, StrToFloatUnderEitherSeparator) {
  for (char sep : {',', '.'}) {
    rtl::FormatSettingsScope scope(WithSeparator(sep));
    EXPECT_EQ(vuzStrToFloat("1 234,5"), 1234.5L) << sep;
    EXPECT_EQ(vuzStrToFloat("1234.5"), 1234.5L) << sep;
    EXPECT_EQ(vuzStrToFloat("-0,25"), -0.25L) << sep;
    EXPECT_TRUE(vuzIsValidFloat("3"));
    EXPECT_FALSE(vuzIsValidFloat("1,234.5"));
    EXPECT_FALSE(vuzIsValidFloat(""));
    try {
      vuzStrToFloat("1,234.5");
      ADD_FAILURE();
    } catch (const rtl::EConvertError& e) {
      const std::string cleaned = std::string("1") + sep + "234" + sep + "5";
      EXPECT_EQ(std::string(e.what()), "'" + cleaned + "' is not a valid floating point value");
    }
  }
}

TEST(Numbers, FloatToStrAndFloat2Str) {
  rtl::FormatSettingsScope scope(WithSeparator(','));
  struct Case {
    long double value;
    int digits;
    const char* expected;
  } cases[] = {
      {3.0L, 2, "3"},
      {2.5L, 2, "2.50"},
      {-0.5L, 1, "-0.5"},
      {0.0L, 3, "0"},
      {-7.0L, 2, "-7"},
      {1e10L, 2, "10000000000"},  // beyond 32 bits: still the whole number
      {-3e9L, 2, "-3000000000"},
      {1e20L, 2, "100000000000000000000"},
      {12345678901.25L, 2, "12345678901.25"},
      {1.0L / 3, 4, "0.3333"},
  };
  for (const auto& c : cases) EXPECT_EQ(frFloat2Str(c.value, c.digits), c.expected) << static_cast<double>(c.value);
  // Not numbers: no undefined conversion, some text.
  EXPECT_FALSE(frFloat2Str(std::numeric_limits<long double>::infinity(), 2).empty());
  EXPECT_FALSE(frFloat2Str(std::numeric_limits<long double>::quiet_NaN(), 2).empty());

  EXPECT_EQ(vuzFloatToStr(0.5L), "0,50");
  EXPECT_EQ(vuzFloatToStr(3.0L), "3");
  EXPECT_EQ(vuzFloatToStr(1e20L), rtl::FloatToStr(1e20L));
  rtl::FormatSettingsScope point(WithSeparator('.'));
  EXPECT_EQ(vuzFloatToStr(0.5L), "0.50");
  EXPECT_EQ(frFloat2Str(2.5L, 2), "2.50");
}

TEST(Numbers, ValueToXML) {
  rtl::FormatSettingsScope scope(WithSeparator(','));
  EXPECT_EQ(vuzValueToXML(rtl::Variant(true)), "1");
  EXPECT_EQ(vuzValueToXML(rtl::Variant(false)), "0");
  EXPECT_EQ(vuzValueToXML(rtl::Variant(42)), "42");
  EXPECT_EQ(vuzValueToXML(rtl::Variant(static_cast<short>(-3))), "-3");
  EXPECT_EQ(vuzValueToXML(rtl::Variant(1.5)), "1,5");
  EXPECT_EQ(vuzValueToXML(rtl::Variant("a<b")), "a&#60;b");
  EXPECT_EQ(vuzValueToXML(rtl::Variant(u"\"x\"")), "&#34;x&#34;");
  EXPECT_EQ(vuzValueToXML(rtl::Variant::FromDate(2.0)), "01.01.1900");
  EXPECT_EQ(vuzValueToXML(rtl::Variant()), "");
  EXPECT_EQ(vuzValueToXML(rtl::Variant::Null()), "");
  EXPECT_EQ(vuzValueToXML(rtl::Variant(static_cast<long long>(5))), "");  // not a type the format knows
}
