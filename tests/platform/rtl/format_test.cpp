#include "platform/rtl/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "platform/rtl/variant.h"
#include "tests/support/errors.h"

using namespace rtl;

namespace {

constexpr long double kInf = std::numeric_limits<long double>::infinity();
const long double kNan = std::numeric_limits<long double>::quiet_NaN();

class FormatTest : public ::testing::Test {
 protected:
  FormatSettingsScope settings{FormatSettings::Russian()};
  FormatSettings dot = FormatSettings::Invariant();
};

}  // namespace

TEST_F(FormatTest, IntegerTexts) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-123), "-123");
  EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(0x1FFFFFFF, 2), "1FFFFFFF");
  EXPECT_EQ(IntToHex32(-1, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(-1, 0), "FFFFFFFFFFFFFFFF");
}

TEST_F(FormatTest, StrToIntTable) {
  struct Case {
    const char* text;
    bool ok;
    int32_t value;
  };
  const Case cases[] = {
      {"0", true, 0},
      {"123", true, 123},
      {"-123", true, -123},
      {"+7", true, 7},
      {"  42", true, 42},
      {"007", true, 7},
      {"$FF", true, 255},
      {"$ff", true, 255},
      {"0x10", true, 16},
      {"-$10", true, -16},
      {"$FFFFFFFF", true, -1},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, INT32_MIN},
      {"2147483648", false, 0},
      {"$100000000", false, 0},
      {"", false, 0},
      {" ", false, 0},
      {"-", false, 0},
      {"$", false, 0},
      {"12 ", false, 0},
      {"1.5", false, 0},
      {"1e3", false, 0},
      {"abc", false, 0},
      {"--1", false, 0},
  };
  for (const auto& c : cases) {
    int32_t v = 0;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << '"' << c.text << '"';
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
  EXPECT_EQ(support::ErrorOf([] { StrToInt("-3x"); }), "'-3x' is not a valid integer value");
  EXPECT_EQ(StrToIntDef("x", 9), 9);
  EXPECT_EQ(StrToInt64("4294967296"), 4294967296LL);
  EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
  EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
  EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
}

TEST_F(FormatTest, StrToFloatTable) {
  struct Case {
    const char* text;
    bool ok;
    long double value;
  };
  const Case cases[] = {
      {"1,5", true, 1.5L},      {"-1,5", true, -1.5L}, {"+2", true, 2},     {" 3,25 ", true, 3.25L},
      {",5", true, 0.5L},       {"5,", true, 5},       {"1E3", true, 1000}, {"1,5e-3", true, 0.0015L},
      {"1e+308", true, 1e308L}, {"0", true, 0},        {"1.5", false, 0},   {"1,234,5", false, 0},
      {"1 234,5", false, 0},    {"", false, 0},        {",", false, 0},     {"e5", false, 0},
      {"1e", false, 0},         {"1e400", false, 0},   {"INF", false, 0},   {"NAN", false, 0},
      {"abc", false, 0},        {"1e-400", true, 0},
  };
  for (const auto& c : cases) {
    long double v = -99;
    EXPECT_EQ(TryStrToFloat(c.text, v), c.ok) << '"' << c.text << '"';
    if (c.ok) {
      EXPECT_NEAR(static_cast<double>(v), static_cast<double>(c.value), 1e-12 * std::fabs(static_cast<double>(c.value)))
          << c.text;
    }
  }
  EXPECT_EQ(support::ErrorOf([] { StrToFloat("1.5"); }), "'1.5' is not a valid floating point value");
  EXPECT_EQ(StrToFloat("1.5", dot), 1.5L);
  EXPECT_EQ(StrToFloatDef("x", 2.5L), 2.5L);
}

TEST_F(FormatTest, FloatToStrGeneral) {
  struct Case {
    long double value;
    const char* text;
  };
  const Case cases[] = {
      {0, "0"},
      {-0.0L, "0"},
      {1, "1"},
      {-1, "-1"},
      {2.5L, "2,5"},
      {0.1L + 0.2L, "0,3"},
      {static_cast<double>(0.1) + static_cast<double>(0.2), "0,3"},
      {1.0L / 3.0L, "0,333333333333333"},
      {2.0L / 3.0L, "0,666666666666667"},
      {123456789012345.0L, "123456789012345"},
      {999999999999999.0L, "999999999999999"},
      {1e15L, "1E15"},
      {1234567890123456.0L, "1,23456789012346E15"},
      {1e20L, "1E20"},
      {-1.5e-10L, "-1,5E-10"},
      {0.0001L, "0,0001"},
      {0.00001L, "1E-5"},
      {0.00012345L, "0,00012345"},
      {1.7976931348623157e308L, "1,79769313486232E308"},
      {4.9406564584124654e-324L, "4,94065645841247E-324"},
      {9.9999999999999999e14L, "1E15"},
      {kInf, "INF"},
      {-kInf, "-INF"},
      {kNan, "NAN"},
  };
  for (const auto& c : cases) EXPECT_EQ(FloatToStr(c.value), c.text) << static_cast<double>(c.value);
  EXPECT_EQ(FloatToStr(2.5L, dot), "2.5");
}

TEST_F(FormatTest, FloatToStrFFormats) {
  struct Case {
    long double value;
    TFloatFormat format;
    int precision, digits;
    const char* text;
  };
  const Case cases[] = {
      {1234.5678L, ffFixed, 15, 2, "1234,57"},
      {-1234.5678L, ffFixed, 15, 0, "-1235"},
      {0.125L, ffFixed, 15, 2, "0,13"},  // halves away from zero
      {-0.125L, ffFixed, 15, 2, "-0,13"},
      {-0.001L, ffFixed, 15, 2, "0,00"},  // no minus on a zero
      {1.23456L, ffFixed, 3, 4, "1,2300"},
      {1e20L, ffFixed, 15, 2, "1E20"},
      {1234567.891L, ffNumber, 15, 2,
       "1\xA0"
       "234\xA0"
       "567,89"},
      {-1234.5L, ffNumber, 15, 1,
       "-1\xA0"
       "234,5"},
      {123.0L, ffNumber, 15, 0, "123"},
      {1234.5L, ffCurrency, 15, 2,
       "1\xA0"
       "234,50 \xF0."},
      {-1234.5L, ffCurrency, 15, 2,
       "-1\xA0"
       "234,50 \xF0."},
      {1234.5L, ffExponent, 4, 2, "1,235E+03"},
      {-0.00012345L, ffExponent, 3, 0, "-1,23E-4"},
      {0, ffExponent, 3, 3, "0,00E+000"},
      {1e20L, ffGeneral, 15, 3, "1E020"},
      {123.456L, ffGeneral, 4, 0, "123,5"},
      {kInf, ffFixed, 15, 2, "INF"},
      {kNan, ffNumber, 15, 2, "NAN"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits), c.text)
        << static_cast<double>(c.value) << " format " << c.format;
  EXPECT_EQ(FloatToStrF(-1234.5L, ffCurrency, 15, 2, dot), "-$1,234.50");
}

TEST_F(FormatTest, FormatFloatTable) {
  struct Case {
    const char* format;
    long double value;
    const char* text;
  };
  const Case cases[] = {
      {"0.0", 23.45L, "23,5"},
      {"0.0", 99.375L, "99,4"},
      {"0.000", -1.2345L, "-1,235"},
      {"0.0", 0.25L, "0,3"},  // a true half rounds away from zero
      {"0", 2.5L, "3"},
      {"0", -2.5L, "-3"},
      {"0", 0.4L, "0"},
      {"0", -0.4L, "0"},  // no "-0"
      {"0.00", 1.005L, "1,01"},
      {"#", 0, ""},
      {"#.##", 0.5L, ",5"},
      {"0.##", 3, "3"},
      {"0.##", 3.1L, "3,1"},
      {"0.0#", 3.14159L, "3,14"},
      {"000", 7, "007"},
      {"#,##0", 1234567,
       "1\xA0"
       "234\xA0"
       "567"},
      {"#,##0.00", -1234.5L,
       "-1\xA0"
       "234,50"},
      {"#,##0", 123, "123"},
      {"0.00E+00", 12345, "1,23E+04"},
      {"0.00E+00", 0.00012345L, "1,23E-04"},
      {"0.00E-00", 12345, "1,23E04"},
      {"0.00e+0", 0, "0,00e+0"},
      {"0.0 'mm'", 1.25L, "1,3 mm"},
      {"\"T=\"0.0", 5, "T=5,0"},
      {"0.0;(0.0)", -5, "(5,0)"},
      {"0.0;(0.0);'zero'", 0, "zero"},
      {"0.0;(0.0);'zero'", 0.01L, "zero"},  // rounds to zero in the first section
      {"0.0;;'zero'", -3, "-3,0"},          // an empty section means the first
      {"0.0;-0.0", 0, "0,0"},
      {"", 1.5L, "1,5"},
      {"0.0", kInf, "INF"},
      {"0.0", kNan, "NAN"},
      {"0", 1e25L, "1E25"},
      {"#.#", 1e-30L, ""},
      {"0.0%", 12.34L, "12,3%"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatFloat(c.format, c.value), c.text) << '"' << c.format << "\" " << static_cast<double>(c.value);
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5L, dot), "1,234.50");
}

// The runtime's own table of formats against 1234, -1234, 0.5 and 0.
TEST_F(FormatTest, FormatFloatReferenceTable) {
  struct Case {
    const char* format;
    const char* texts[4];
  };
  const Case cases[] = {
      {"0", {"1234", "-1234", "1", "0"}},
      {"0.00", {"1234.00", "-1234.00", "0.50", "0.00"}},
      {"#.##", {"1234", "-1234", ".5", ""}},
      {"#,##0.00", {"1,234.00", "-1,234.00", "0.50", "0.00"}},
      {"#,##0.00;(#,##0.00)", {"1,234.00", "(1,234.00)", "0.50", "0.00"}},
      {"#,##0.00;;Zero", {"1,234.00", "-1,234.00", "0.50", "Zero"}},
      {"0.000E+00", {"1.234E+03", "-1.234E+03", "5.000E-01", "0.000E+00"}},
      {"#.###E-0", {"1.234E3", "-1.234E3", "5E-1", "0E0"}},
  };
  const long double values[] = {1234, -1234, 0.5L, 0};
  for (const auto& c : cases)
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(FormatFloat(c.format, values[i], dot), c.texts[i]) << c.format << " " << static_cast<double>(values[i]);
}

TEST_F(FormatTest, RoundingHelpers) {
  struct Case {
    long double value;
    int64_t round, trunc;
  };
  const Case cases[] = {
      {2.5L, 2, 2},    {3.5L, 4, 3},    {-2.5L, -2, -2},
      {-3.5L, -4, -3}, {0.5L, 0, 0},    {1.5L, 2, 1},
      {-2.7L, -3, -2}, {2.4999L, 2, 2}, {1e15L + 0.5L, 1000000000000000, 1000000000000000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Round(c.value), c.round) << static_cast<double>(c.value);
    EXPECT_EQ(Trunc(c.value), c.trunc) << static_cast<double>(c.value);
  }
  EXPECT_EQ(Int(2.7L), 2.0L);
  EXPECT_EQ(Int(-2.7L), -2.0L);
  EXPECT_NEAR(static_cast<double>(Frac(-2.75L)), -0.75, 1e-15);
  EXPECT_THROW(Round(kNan), EInvalidOp);
  EXPECT_THROW(Round(kInf), EInvalidOp);
  EXPECT_THROW(Trunc(1e19L), EInvalidOp);
}

// The 18 digits every float text starts from, against the C library's own
// correctly rounded conversion: random doubles of every size, values next
// to powers of ten, and exact ties at the 19th digit (odd eighths just above
// 10^15, which have 19 digits ending in 5 and round to the even neighbour).
TEST_F(FormatTest, EighteenDigitsAgreeWithPrintf) {
  auto check = [](double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17e", std::fabs(v));
    std::string expected = std::string(1, buf[0]) + std::string(buf + 2, 17);
    while (!expected.empty() && expected.back() == '0') expected.pop_back();
    const int exponent = std::atoi(std::strchr(buf, 'e') + 1) + 1;
    const detail::DecimalDigits d = detail::Digits18(v);
    ASSERT_EQ(std::string(d.digits, static_cast<std::size_t>(d.count)), expected) << buf;
    ASSERT_EQ(d.exponent, exponent) << buf;
    ASSERT_EQ(d.negative, v < 0) << buf;
  };
  std::mt19937_64 random(20261211);
  for (int i = 0; i < 200000; ++i) {
    // Exponents from about 1e-45 to 1e30: both sides of the exact
    // integer path and the library path behind it.
    const double mantissa = std::uniform_real_distribution<double>(1.0, 2.0)(random);
    const int power = std::uniform_int_distribution<int>(-150, 100)(random);
    check(std::ldexp(i % 2 ? mantissa : -mantissa, power));
  }
  for (int p = -30; p <= 25; ++p) {
    const double ten = std::pow(10.0, p);
    check(ten);
    check(std::nextafter(ten, 0.0));
    check(std::nextafter(ten, 1e300));
  }
  for (std::uint64_t m = 8'000'000'000'000'001ULL; m < 8'000'000'000'000'401ULL; m += 2) check(m / 8.0);
  for (double v : {0.1, 0.5, 1.0, 20.05, 46357.0 + 1.0 / 1440, 9007199254740991.0, 123456789012345680.0}) check(v);
}

TEST_F(FormatTest, BooleanTexts) {
  EXPECT_EQ(BoolToStr(true), "-1");
  EXPECT_EQ(BoolToStr(false), "0");
  EXPECT_EQ(BoolToStr(true, true), "True");
  EXPECT_TRUE(StrToBool("True"));
  EXPECT_TRUE(StrToBool("tRUE"));
  EXPECT_FALSE(StrToBool("0"));
  EXPECT_TRUE(StrToBool("-1"));
  EXPECT_EQ(support::ErrorOf([] { StrToBool("yes"); }), "'yes' is not a valid boolean value");
}

TEST_F(FormatTest, CurrencyText) {
  EXPECT_EQ(CurrToStr(12345), "1,2345");
  EXPECT_EQ(CurrToStr(-10000), "-1");
  EXPECT_EQ(CurrToStr(INT64_MAX), "922337203685477,5807");
  EXPECT_EQ(CurrToStr(INT64_MIN), "-922337203685477,5808");
  EXPECT_EQ(CurrToStr(5), "0,0005");
}

TEST_F(FormatTest, FormatSpecifiers) {
  struct Case {
    const char* format;
    std::vector<Variant> args;
    const char* text;
  };
  const Case cases[] = {
      {"%d", {42}, "42"},
      {"%5d|%-5d|", {42, 42}, "   42|42   |"},
      {"%.4d", {-42}, "-0042"},
      {"%d", {int64_t{1} << 40}, "1099511627776"},
      {"%u", {-1}, "4294967295"},
      {"%x", {255}, "FF"},
      {"%.4x", {255}, "00FF"},
      {"%x", {-1}, "FFFFFFFF"},
      {"%p", {16}, "00000010"},
      {"%s and %s", {"a", u"b"}, "a and b"},
      {"%.2s", {"abcdef"}, "ab"},
      {"%8.2s|", {"abcdef"}, "      ab|"},
      {"%f", {3.14159}, "3,14"},
      {"%2.2f", {3.14159}, "3,14"},
      {"%.0f", {2.5}, "3"},
      {"%.3f", {Currency{12345}}, "1,235"},
      {"%e", {1234.5}, "1,23450000000000E+003"},
      {"%.3e", {1234.5}, "1,23E+003"},
      {"%g", {0.5}, "0,5"},
      {"%n",
       {1234567.891},
       "1\xA0"
       "234\xA0"
       "567,89"},
      {"%m",
       {1234.5},
       "1\xA0"
       "234,50 \xF0."},
      {"%1:s %0:s %s", {"a", "b"}, "b a b"},
      {"%*d", {5, 42}, "   42"},
      {"%-*.*f|", {8, 1, 2.25}, "2,3     |"},
      {"100%%", {}, "100%"},
      {"%D", {7}, "7"},
      {"no args", {}, "no args"},
  };
  for (const auto& c : cases) EXPECT_EQ(Format(c.format, c.args), c.text) << c.format;
}

TEST_F(FormatTest, FormatRefusesMismatchedArguments) {
  struct Case {
    const char* format;
    std::vector<Variant> args;
    const char* error;
  };
  const Case cases[] = {
      {"%d", {1.5}, "Format '%d' invalid or incompatible with argument"},
      {"%d", {"12"}, "Format '%d' invalid or incompatible with argument"},
      {"%f", {1}, "Format '%f' invalid or incompatible with argument"},
      {"%s", {1}, "Format '%s' invalid or incompatible with argument"},
      {"%s", {Variant::Null()}, "Format '%s' invalid or incompatible with argument"},
      {"%d", {true}, "Format '%d' invalid or incompatible with argument"},
      {"%k", {1}, "Format '%k' invalid or incompatible with argument"},
      {"abc %", {}, "Format 'abc %' invalid or incompatible with argument"},
      {"%5", {1}, "Format '%5' invalid or incompatible with argument"},
      {"%d %d", {1}, "No argument for format '%d %d'"},
      {"%s", {}, "No argument for format '%s'"},
      {"%*d", {"x", 1}, "Format '%*d' invalid or incompatible with argument"},
      // printf-only forms are plain errors here, never passed on.
      {"%n%n%n", {}, "No argument for format '%n%n%n'"},
      {"%ls", {"a"}, "Format '%ls' invalid or incompatible with argument"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(support::ErrorOf([&] { Format(c.format, c.args); }), c.error) << c.format;
    EXPECT_THROW(Format(c.format, c.args), EConvertError) << c.format;
  }
}

TEST_F(FormatTest, HugeWidthsAndPrecisionsStayBounded) {
  AnsiString s = Format("%99999999999d", {1});
  EXPECT_LE(s.size(), (1u << 20) + 1);
  EXPECT_EQ(Format("%.99f", {1.5}), FloatToStrF(1.5L, ffFixed, 18, 18));
  // A width or precision taken from an argument gets the same cap.
  EXPECT_LE(Format("%*d", {2000000000, 1}).size(), (1u << 20) + 1);
  EXPECT_LE(Format("%-*d", {2000000000, 1}).size(), (1u << 20) + 1);
  EXPECT_LE(Format("%.*d", {2000000000, 1}).size(), (1u << 20) + 1);
  EXPECT_EQ(Format("%*d", {3, 1}), "  1");
}

TEST_F(FormatTest, FormatMaskTextTable) {
  struct Case {
    const char* mask;
    const char* value;
    const char* text;
  };
  const Case cases[] = {
      {"000-0000;0;_", "5551234", "555-1234"},
      {"(999)000-0000;0;_", "5551234", "(555)123-4   "},
      {"!(999)000-0000;0;_", "5551234", "(   )555-1234"},
      {"(999)000-0000;1;_", "(555)123-4567", "(555)123-4567"},
      {"(999)000-0000;1;_", "(555)123", "(555)123-    "},  // literals always show
      {"99/99/0000;0", "07032013", "07.03.2013"},          // "/" is the date separator
      {"99:99;0", "0905", "09:05"},
      {">LL<ll;0", "abCD", "ABcd"},
      {">L<>l;0", "ab", "Ab"},
      {"\\A00;0", "12", "A12"},
      {"00;0", "1234", "1234"},  // characters beyond the mask are kept
      {"", "abc", "abc"},
      {">ll;0", "\xE0\xE1", "\xC0\xC1"},  // 1251 case: аб -> АБ
  };
  for (const auto& c : cases) EXPECT_EQ(FormatMaskText(c.mask, c.value), c.text) << c.mask << " / " << c.value;
}

// Format texts come from templates and files: any text must either format or
// raise the runtime's error, never crash or hang.
TEST_F(FormatTest, PlaceholdersAfterAnExponentShowNothing) {
  // The layout stops counting at the exponent: later placeholders used to
  // index past the integer digits.
  EXPECT_NO_THROW((void)FormatFloat("#,###g #e-e##", 1234.5L));
  EXPECT_NO_THROW((void)FormatFloat("0E+0 ### 000", 98765.4321L));
  EXPECT_EQ(FormatFloat("0E+0 #", 5.0L).substr(0, 4), "5E+0");
}

TEST_F(FormatTest, HostileFormatTextsNeverCrash) {
  const char alphabet[] = "%0123456789.-*:;#,Ee+'\"dDuxefgnmpsSyYmMhHnNsSzZtTcCaApP/\\ \r\x01\xFF";
  uint32_t state = 12345;
  auto next = [&] {
    state = state * 1103515245u + 12345u;
    return state >> 16;
  };
  const Variant args[] = {1, 2.5, "text", int64_t{-7}, Currency{15000}, Variant::FromDate(41340.5)};
  for (int round = 0; round < 3000; ++round) {
    std::string f;
    int len = static_cast<int>(next() % 24);
    for (int i = 0; i < len; ++i) f += alphabet[next() % (sizeof alphabet - 1)];
    try {
      (void)Format(f, args);
    } catch (const EConvertError&) {
    }
    (void)FormatFloat(f, static_cast<long double>(static_cast<int>(next() % 20001) - 10000) / 7.0L);
    (void)FormatMaskText(f, "12345abc");
  }
}
