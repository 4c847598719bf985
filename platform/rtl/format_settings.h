// Process-wide number, currency, date and time settings that every formatting
// and parsing routine reads. The defaults are those of a Russian Windows; the
// recorder program sets DecimalSeparator to ',' at start-up (the default here
// already is ','). Texts are Windows-1251 bytes.
#pragma once
#include <array>

#include "platform/rtl/strings.h"

namespace rtl {

struct FormatSettings {
  char DecimalSeparator = ',';
  char ThousandSeparator = '\xA0';  // no-break space, as the Russian locale has it
  char DateSeparator = '.';
  char TimeSeparator = ':';
  char ListSeparator = ';';
  AnsiString CurrencyString;
  unsigned char CurrencyFormat = 3;  // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
  unsigned char NegCurrFormat = 8;   // 0..15; 8 is "-1 $"
  unsigned char CurrencyDecimals = 2;
  AnsiString ShortDateFormat = "dd.mm.yyyy";
  AnsiString LongDateFormat;
  AnsiString ShortTimeFormat = "h:mm";
  AnsiString LongTimeFormat = "h:mm:ss";
  AnsiString TimeAMString;  // empty in the Russian locale
  AnsiString TimePMString;
  std::array<AnsiString, 12> ShortMonthNames;  // [0] is January
  std::array<AnsiString, 12> LongMonthNames;
  std::array<AnsiString, 7> ShortDayNames;  // [0] is Sunday
  std::array<AnsiString, 7> LongDayNames;
  int TwoDigitYearCenturyWindow = 50;

  // The settings of a Russian Windows (decimal comma, day.month.year).
  static FormatSettings Russian();
  // Neutral settings ('.' decimal point, m/d/yyyy, English names): handy in
  // tests that check a format's structure rather than the locale.
  static FormatSettings Invariant();
};

// The settings in force. Writes are meant for start-up and for tests; every
// routine reads them on the calling thread.
FormatSettings& CurrentFormatSettings();

// Swaps the current settings for a test or a scoped change and puts the old
// ones back when it ends.
class FormatSettingsScope {
 public:
  FormatSettingsScope() : saved_(CurrentFormatSettings()) {}
  explicit FormatSettingsScope(const FormatSettings& replacement) : saved_(CurrentFormatSettings()) {
    CurrentFormatSettings() = replacement;
  }
  ~FormatSettingsScope() { CurrentFormatSettings() = saved_; }
  FormatSettingsScope(const FormatSettingsScope&) = delete;
  FormatSettingsScope& operator=(const FormatSettingsScope&) = delete;

 private:
  FormatSettings saved_;
};

}  // namespace rtl
