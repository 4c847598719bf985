// The text object's value formatting and expression filling: display
// formats, inline formats, hidden zeros, the bracketed-expression scan and
// the draw-time placeholders.
#include <gtest/gtest.h>

#include "platform/rtl/datetime.h"
#include "platform/rtl/format.h"
#include "platform/rtl/format_settings.h"
#include "report/vuzClassMemoFormat.h"
#include "report/vuzUnicodeUtils.h"

namespace report_test {
namespace {

using report::TfrxValueFormat;
using rtl::Variant;
using rtl::WideString;

rtl::FormatSettings PointSettings() {
  rtl::FormatSettings fs = rtl::FormatSettings::Invariant();
  fs.DecimalSeparator = '.';
  fs.ThousandSeparator = ',';
  return fs;
}

TfrxValueFormat Fmt(int kind, const char* formatStr, const char* decimal = "", const char* thousand = "") {
  TfrxValueFormat f;
  f.Kind = kind;
  f.FormatStr = formatStr;
  f.DecimalSeparator = decimal;
  f.ThousandSeparator = thousand;
  return f;
}

TEST(MemoFormat, DisplayFormatsTable) {
  rtl::FormatSettingsScope scope(PointSettings());
  struct Case {
    const char* name;
    Variant value;
    TfrxValueFormat format;
    const char16_t* expected;
  };
  const Case cases[] = {
      {"null prints nothing", Variant::Null(), Fmt(report::kFormatNumeric, "%2.2f"), u""},
      {"text kind is the plain value", Variant(3.5), Fmt(report::kFormatText, "%d"), u"3.5"},
      {"float specifier", Variant(3.14159), Fmt(report::kFormatNumeric, "%2.2f"), u"3.14"},
      {"decimal separator of the format", Variant(3.14159), Fmt(report::kFormatNumeric, "%2.2f", ","), u"3,14"},
      {"integer specifier rounds", Variant(41.6), Fmt(report::kFormatNumeric, "%d"), u"42"},
      {"hex is an integer format", Variant(255), Fmt(report::kFormatNumeric, "%x"), u"FF"},
      {"float format with a 'u' in its text", Variant(2.5), Fmt(report::kFormatNumeric, "%.1f units"), u"2.5 units"},
      {"section format", Variant(1234.5), Fmt(report::kFormatNumeric, "#,##0.00"), u"1,234.50"},
      {"leading zero is a section format", Variant(7), Fmt(report::kFormatNumeric, "000"), u"007"},
      {"both separators swapped", Variant(1234.5), Fmt(report::kFormatNumeric, "#,##0.00", ",", "."), u"1.234,50"},
      {"boolean true", Variant(true), Fmt(report::kFormatBoolean, "Yes,No"), u"Yes"},
      {"boolean false", Variant(false), Fmt(report::kFormatBoolean, "Yes,No"), u"No"},
      {"boolean without comma, true", Variant(true), Fmt(report::kFormatBoolean, "Yes"), u""},
      {"boolean without comma, false", Variant(false), Fmt(report::kFormatBoolean, "Yes"), u"Yes"},
      {"date", Variant::FromDate(rtl::EncodeDate(2024, 3, 9)), Fmt(report::kFormatDateTime, "dd.mm.yyyy"),
       u"09.03.2024"},
      {"time", Variant::FromDate(rtl::EncodeTime(7, 5, 0, 0)), Fmt(report::kFormatDateTime, "hh:nn"), u"07:05"},
      {"text for a number format falls back", Variant("abc"), Fmt(report::kFormatNumeric, "%2.2f"), u"abc"},
      {"string specifier for a number falls back", Variant(2.5), Fmt(report::kFormatNumeric, "%s"), u"2.5"},
      {"missing argument falls back", Variant(2), Fmt(report::kFormatNumeric, "%d %d"), u"2"},
      {"text for a date format falls back", Variant("soon"), Fmt(report::kFormatDateTime, "dd.mm"), u"soon"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(report::vuzFormatValue(c.value, c.format, report::kNoConversion), c.expected) << c.name;
}

// A number format that is a single fixed-point specifier is laid out
// without Format's parser: the text must be Format's, to the blank.
TEST(MemoFormat, FixedPointFormatsAgreeWithFormat) {
  for (const rtl::FormatSettings& fs : {PointSettings(), rtl::FormatSettings::Russian()}) {
    rtl::FormatSettingsScope scope(fs);
    for (const char* f : {"%2.2f", "%-8.3f", "%f", "%.f", "%.0f", "%12F", "%-1.1f", "%0.25f", "%5.f", "%.2f %%",
                          "x%2.2f", "%2.2f ", "%-f", "%1:2.2f", "%999.1f"}) {
      for (double v : {0.0, -0.0, 1.005, -2.675, 46.125, 123456789.987654321, -1e-7, 1e20, 0.5, 99.995}) {
        const WideString got =
            report::vuzFormatValue(Variant(v), Fmt(report::kFormatNumeric, f), report::kNoConversion);
        WideString expected;
        try {
          expected = rtl::AnsiToWide(rtl::Format(f, {Variant::FromExtended(v)}));
        } catch (const std::exception&) {
          expected = report::vuzValueText(Variant(v), report::kNoConversion);
        }
        EXPECT_EQ(got, expected) << f << " " << v;
      }
    }
  }
}

TEST(MemoFormat, RussianSettingsKeepTheirSeparators) {
  rtl::FormatSettingsScope scope(rtl::FormatSettings::Russian());
  EXPECT_EQ(report::vuzFormatValue(Variant(3.14159), Fmt(report::kFormatNumeric, "%2.2f", ","), report::kNoConversion),
            u"3,14");
  // The no-break thousand separator of the locale becomes the format's.
  EXPECT_EQ(report::vuzFormatValue(Variant(1234567.5), Fmt(report::kFormatNumeric, "#,##0.0", ".", " "),
                                   report::kNoConversion),
            u"1 234 567.5");
}

TEST(MemoFormat, TextGoesThroughTheFontsCodePage) {
  const Variant russian(WideString(u"Привет"));
  EXPECT_EQ(report::vuzFormatValue(russian, TfrxValueFormat(), report::kNoConversion), u"Привет");
  EXPECT_EQ(report::vuzFormatValue(russian, TfrxValueFormat(), report::RUSSIAN_CHARSET), u"Привет");
  // Wide text is never narrowed through another code page on the way.
  EXPECT_EQ(report::vuzFormatValue(russian, TfrxValueFormat(), report::ANSI_CHARSET), u"Привет");
  // 8-bit text is read in the font's code page: E9 is é in 1252, й in 1251.
  EXPECT_EQ(report::vuzFormatValue(Variant(rtl::AnsiString("caf\xE9")), TfrxValueFormat(), report::ANSI_CHARSET),
            u"café");
  EXPECT_EQ(report::vuzFormatValue(Variant(rtl::AnsiString("caf\xE9")), TfrxValueFormat(), report::kNoConversion),
            u"cafй");
}

TEST(MemoFormat, InlineFormatsTable) {
  struct Case {
    const char16_t* text;
    bool split;
    const char16_t* expression;
    int kind;
    const char* formatStr;
    const char* decimal;
  };
  const Case cases[] = {
      {u"Total #n%2,2f", true, u"Total", report::kFormatNumeric, "%2.2f", ","},
      {u"Total #N%2-2f", true, u"Total", report::kFormatNumeric, "%2.2f", "-"},
      {u"Flag #BYes,No", true, u"Flag", report::kFormatBoolean, "Yes,No", ""},
      {u"<Date> #ddd.mm.yyyy", true, u"<Date>", report::kFormatDateTime, "dd.mm.yyyy", ""},
      {u"Time #thh:nn", true, u"Time", report::kFormatDateTime, "hh:nn", ""},
      {u"Name #x", true, u"Name", report::kFormatText, "", ""},
      {u"Name #", true, u"Name", report::kFormatText, "", ""},
      {u"F(a #n%d)", false, u"", 0, "", ""},
      {u"Total", false, u"", 0, "", ""},
      {u"Total#n%d", false, u"", 0, "", ""},
  };
  for (const Case& c : cases) {
    WideString expression;
    TfrxValueFormat format;
    ASSERT_EQ(report::vuzSplitInlineFormat(c.text, expression, format), c.split) << rtl::WideToUtf8(c.text);
    if (!c.split) continue;
    EXPECT_EQ(expression, c.expression);
    EXPECT_EQ(format.Kind, c.kind);
    EXPECT_EQ(format.FormatStr, c.formatStr);
    EXPECT_EQ(format.DecimalSeparator, c.decimal);
  }
}

TEST(MemoFormat, HiddenZeros) {
  struct Case {
    Variant value;
    bool hidden;
  };
  const Case cases[] = {
      {Variant(0), true},    {Variant(0.0), true},     {Variant(false), true}, {Variant(1), false},
      {Variant("0"), false}, {Variant::Null(), false}, {Variant(1e-9), false},
  };
  for (const Case& c : cases) EXPECT_EQ(report::vuzIsHiddenZero(c.value), c.hidden) << rtl::VarToStr(c.value);
}

TEST(MemoFormat, Delimiters) {
  WideString open, close;
  report::vuzSplitDelimiters(u"[,]", open, close);
  EXPECT_EQ(open, u"[");
  EXPECT_EQ(close, u"]");
  report::vuzSplitDelimiters(u"<%,%>", open, close);
  EXPECT_EQ(open, u"<%");
  EXPECT_EQ(close, u"%>");
  report::vuzSplitDelimiters(u"[]", open, close);
  EXPECT_EQ(open, u"");
}

// Evaluates by echoing the expression in braces, counting the calls.
struct Echo {
  int calls = 0;
  WideString operator()(const WideString& e) {
    ++calls;
    return u"{" + e + u"}";
  }
};

TEST(MemoFormat, ExpressionScanTable) {
  struct Case {
    const char16_t* text;
    const char16_t* open;
    const char16_t* close;
    const char16_t* expected;
    int calls;
  };
  const Case cases[] = {
      {u"no expression", u"[", u"]", u"no expression", 0},
      {u"Sum: [Total]", u"[", u"]", u"Sum: {Total}", 1},
      {u"[a] and [b]", u"[", u"]", u"{a} and {b}", 2},
      {u"[IIF([x] > 0, 'a', 'b')]", u"[", u"]", u"{IIF([x] > 0, 'a', 'b')}", 1},
      {u"[Copy(']', 1)] end", u"[", u"]", u"{Copy(']', 1)} end", 1},
      {u"[\"a]b\"]", u"[", u"]", u"{\"a]b\"}", 1},
      {u"open [never closed", u"[", u"]", u"open [never closed", 0},
      {u"<%a%> [b]", u"<%", u"%>", u"{a} [b]", 1},
      {u"Итого: [Сумма] руб.", u"[", u"]", u"Итого: {Сумма} руб.", 1},
  };
  for (const Case& c : cases) {
    Echo echo;
    WideString text = c.text;
    report::vuzExpandExpressions(text, c.open, c.close, std::ref(echo));
    EXPECT_EQ(text, c.expected) << rtl::WideToUtf8(c.text);
    EXPECT_EQ(echo.calls, c.calls) << rtl::WideToUtf8(c.text);
  }
}

TEST(MemoFormat, InsertedValuesAreNotScannedAgain) {
  WideString text = u"[a][b]";
  int calls = 0;
  report::vuzExpandExpressions(text, u"[", u"]", [&](const WideString&) {
    ++calls;
    return WideString(u"[x]");
  });
  EXPECT_EQ(text, u"[x][x]");
  EXPECT_EQ(calls, 2);
}

TEST(MemoFormat, Macros) {
  WideString text = u"Page 1 of [TotalPages#], [totalpages#]; copy [CopyName#]";
  EXPECT_TRUE(report::vuzReplaceMacros(text, 12, u"Копия"));
  EXPECT_EQ(text, u"Page 1 of 12, 12; copy Копия");
  WideString plain = u"[TotalPages] stays";
  EXPECT_FALSE(report::vuzReplaceMacros(plain, 3, u""));
  EXPECT_EQ(plain, u"[TotalPages] stays");

  rtl::AnsiString component = "[TotalPages] and [TOTALPAGES]";
  report::vuzReplaceFirstTotalPages(component, 7);
  EXPECT_EQ(component, "7 and [TOTALPAGES]");
}

}  // namespace
}  // namespace report_test
