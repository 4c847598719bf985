// Dates and times as the runtime keeps them: a double counting days since
// 30 December 1899, the fraction being the time of day. Before that day the
// value is negative and its fraction still counts forward from midnight
// (-1.25 is 29 December 1899, 06:00). The range is 1 January 0001 to
// 31 December 9999.
#pragma once
#include <cstdint>
#include <string_view>

#include "platform/rtl/format_settings.h"
#include "platform/rtl/strings.h"

namespace rtl {

using TDateTime = double;

inline constexpr TDateTime kMinDateTime = -693593.0;         // 01.01.0001
inline constexpr TDateTime kMaxDateTime = 2958465.99999999;  // 31.12.9999 23:59:59.999

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // month outside 1..12 raises EConvertError

// Invalid components raise EConvertError "Invalid argument to date encode" /
// "Invalid argument to time encode".
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result);

// Outside the range above the date parts are all 0.
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);
void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& millisecond);

// 1 for Sunday to 7 for Saturday.
int DayOfWeek(TDateTime value);
// The same day `months` months later (negative: earlier); the day is cut to
// the length of the target month (31 January + 1 is 28 or 29 February).
TDateTime IncMonth(TDateTime value, int months = 1);

// The system clock, local time. Tests inject a clock with SetNowSource.
TDateTime Now();
TDateTime Date();  // today, 00:00
TDateTime Time();  // the time of day only
using NowSource = TDateTime (*)();
// nullptr restores the system clock. Returns the previous source.
NowSource SetNowSource(NowSource source);
// A moment of the system clock (seconds since 1970 UTC) as local date-time;
// a leap second counts as the 59th.
TDateTime LocalDateTimeFromUnix(std::int64_t seconds, int millisecond = 0);

// Specifiers (any case): c d dd ddd dddd ddddd dddddd m mm mmm mmmm yy yyyy
// h hh n nn s ss z zzz t tt am/pm a/p ampm / : "literal" 'literal'; m or mm
// right after h or hh means minutes. An empty format means "c".
AnsiString FormatDateTime(std::string_view format, TDateTime value, const FormatSettings& fs = CurrentFormatSettings());
AnsiString DateToStr(TDateTime value, const FormatSettings& fs = CurrentFormatSettings());
AnsiString TimeToStr(TDateTime value, const FormatSettings& fs = CurrentFormatSettings());
// The date, and the time when it is not midnight.
AnsiString DateTimeToStr(TDateTime value, const FormatSettings& fs = CurrentFormatSettings());

// Day, month and year in the order of ShortDateFormat, separated by
// DateSeparator (a missing year is this year; a two-digit year falls in the
// century window); times as h:m[:s[.z]] with an optional AM/PM text.
// Errors: "'%s' is not a valid date", "'%s' is not a valid time",
// "'%s' is not a valid date and time".
TDateTime StrToDate(std::string_view s, const FormatSettings& fs = CurrentFormatSettings());
TDateTime StrToTime(std::string_view s, const FormatSettings& fs = CurrentFormatSettings());
TDateTime StrToDateTime(std::string_view s, const FormatSettings& fs = CurrentFormatSettings());
bool TryStrToDate(std::string_view s, TDateTime& value, const FormatSettings& fs = CurrentFormatSettings());
bool TryStrToTime(std::string_view s, TDateTime& value, const FormatSettings& fs = CurrentFormatSettings());
bool TryStrToDateTime(std::string_view s, TDateTime& value, const FormatSettings& fs = CurrentFormatSettings());

}  // namespace rtl
