// Calendar arithmetic, the clock, FormatDateTime and the date and time parsers.
#include "platform/rtl/datetime.h"

#include <time.h>

#include <chrono>
#include <cmath>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/format.h"

namespace rtl {

namespace {

constexpr int64_t kDateDelta = 693594;  // days from 1 January 0001 to 30 December 1899, plus one
constexpr int64_t kMsPerDay = 86400000;

constexpr int kDaysBefore[2][13] = {
    {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
    {0, 0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335},
};

// Day number (1 = 1 January 0001) and milliseconds of the day; the
// milliseconds are rounded and may carry into the next day.
void Split(TDateTime value, int64_t& day, int64_t& ms) {
  if (!(std::fabs(value) < 1e9)) {  // NaN, infinities and far outside the calendar
    day = ms = 0;
    return;
  }
  double whole = std::trunc(value);
  day = static_cast<int64_t>(whole) + kDateDelta;
  ms = std::llround(std::fabs(value - whole) * static_cast<double>(kMsPerDay));
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    ++day;
  }
}

bool DecodeDay(int64_t day, int& year, int& month, int& dayOfMonth) {
  if (day <= 0 || day > 3652059) {
    year = month = dayOfMonth = 0;
    return false;
  }
  int64_t t = day - 1;
  int y = 1;
  y += static_cast<int>(t / 146097) * 400;
  t %= 146097;
  int64_t i = t / 36524, d = t % 36524;
  if (i == 4) {
    --i;
    d += 36524;
  }
  y += static_cast<int>(i) * 100;
  i = d / 1461;
  d %= 1461;
  y += static_cast<int>(i) * 4;
  i = d / 365;
  d %= 365;
  if (i == 4) {
    --i;
    d += 365;
  }
  y += static_cast<int>(i);
  const int* table = kDaysBefore[IsLeapYear(y)];
  int m = 12;
  while (m > 1 && d < table[m]) --m;
  year = y;
  month = m;
  dayOfMonth = static_cast<int>(d - table[m]) + 1;
  return true;
}

TDateTime SystemNow() {
  auto now = std::chrono::system_clock::now();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  return LocalDateTimeFromUnix(ms / 1000, static_cast<int>(ms % 1000));
}

NowSource gNowSource = nullptr;

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) throw EConvertError("Invalid argument to date encode");
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  int64_t y = year - 1;
  int64_t days = y * 365 + y / 4 - y / 100 + y / 400 + kDaysBefore[IsLeapYear(year)][month] + day;
  result = static_cast<TDateTime>(days - kDateDelta);
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
      millisecond > 999)
    return false;
  result = static_cast<TDateTime>(((hour * 60 + minute) * 60 + second) * 1000 + millisecond) /
           static_cast<TDateTime>(kMsPerDay);
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime r;
  if (!TryEncodeDate(year, month, day, r)) throw EConvertError("Invalid argument to date encode");
  return r;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  TDateTime r;
  if (!TryEncodeTime(hour, minute, second, millisecond, r)) throw EConvertError("Invalid argument to time encode");
  return r;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  TDateTime date = EncodeDate(year, month, day);
  TDateTime time = EncodeTime(hour, minute, second, millisecond);
  // Before 30 December 1899 the time still counts forward from midnight.
  return date >= 0 ? date + time : date - time;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
  int64_t d, ms;
  Split(value, d, ms);
  DecodeDay(d, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond) {
  int64_t d, ms;
  Split(value, d, ms);
  hour = static_cast<int>(ms / 3600000);
  minute = static_cast<int>(ms / 60000 % 60);
  second = static_cast<int>(ms / 1000 % 60);
  millisecond = static_cast<int>(ms % 1000);
}

void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& millisecond) {
  DecodeDate(value, year, month, day);
  DecodeTime(value, hour, minute, second, millisecond);
}

int DayOfWeek(TDateTime value) {
  int64_t d, ms;
  Split(value, d, ms);
  int64_t r = d % 7;
  if (r < 0) r += 7;
  return static_cast<int>(r) + 1;
}

TDateTime IncMonth(TDateTime value, int months) {
  int y, m, d;
  DecodeDate(value, y, m, d);
  int64_t total = static_cast<int64_t>(y) * 12 + (m - 1) + months;
  int ny = static_cast<int>(total / 12), nm = static_cast<int>(total % 12) + 1;
  if (nm <= 0) {
    nm += 12;
    --ny;
  }
  int nd = std::min(d, DaysInMonth(ny, nm));
  TDateTime date = EncodeDate(ny, nm, nd);
  double time = std::fabs(value - std::trunc(value));
  return date >= 0 ? date + time : date - time;
}

TDateTime Now() { return gNowSource ? gNowSource() : SystemNow(); }

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() {
  TDateTime n = Now();
  return std::fabs(n - std::trunc(n));
}

NowSource SetNowSource(NowSource source) {
  NowSource old = gNowSource;
  gNowSource = source;
  return old;
}

// 1 January 1970 in days since 30 December 1899.
constexpr double kUnixEpoch = 25569;

TDateTime LocalDateTimeFromUnix(std::int64_t seconds, int millisecond) {
  const time_t t = static_cast<time_t>(seconds);
  struct tm local {};
  if (!localtime_r(&t, &local)) return kUnixEpoch + static_cast<double>(seconds) / 86400.0;
  // Days of the civil date by arithmetic (proleptic Gregorian), so that no
  // file time, however odd its year, raises.
  long long y = local.tm_year + 1900LL, m = local.tm_mon + 1, d = local.tm_mday;
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long long daysSince1970 = era * 146097 + doe - 719468;
  const long long ms = (local.tm_hour * 3600LL + local.tm_min * 60LL + std::min(local.tm_sec, 59)) * 1000 + millisecond;
  return kUnixEpoch + static_cast<double>(daysSince1970) + static_cast<double>(ms) / 86400000.0;
}

// ---- FormatDateTime ------------------------------------------------------------

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsNoCase(std::string_view s, std::size_t i, std::string_view what) {
  if (s.size() - i < what.size()) return false;
  for (std::size_t k = 0; k < what.size(); ++k)
    if (Upper(s[i + k]) != Upper(what[k])) return false;
  return true;
}

AnsiString Pad(int value, int width) {
  AnsiString s = IntToStr(value);
  if (static_cast<int>(s.size()) < width) s.insert(0, width - s.size(), '0');
  return s;
}

class DateTimeWriter {
 public:
  DateTimeWriter(TDateTime value, const FormatSettings& fs) : fs_(fs) {
    int64_t d, ms;
    Split(value, d, ms);
    validDate_ = DecodeDay(d, year_, month_, day_);
    dayOfWeek_ = static_cast<int>(((d % 7) + 7) % 7);  // 0 is Sunday
    hour_ = static_cast<int>(ms / 3600000);
    minute_ = static_cast<int>(ms / 60000 % 60);
    second_ = static_cast<int>(ms / 1000 % 60);
    msec_ = static_cast<int>(ms % 1000);
  }

  void Write(std::string_view f, AnsiString& out, int depth = 0) {
    if (depth > 2) return;  // a format naming itself through c, t or ddddd
    char last = 0;
    for (std::size_t i = 0; i < f.size();) {
      char c = f[i];
      char u = Upper(c);
      std::size_t count = 1;
      auto countRun = [&] {
        while (i + count < f.size() && Upper(f[i + count]) == u) ++count;
      };
      switch (u) {
        case 'Y':
          countRun();
          out += count <= 2 ? Pad(year_ % 100, 2) : Pad(year_, 4);
          break;
        case 'M':
          countRun();
          if (last == 'H' && count <= 2) {
            out += count == 1 ? IntToStr(minute_) : Pad(minute_, 2);
          } else if (count == 1) {
            out += IntToStr(month_);
          } else if (count == 2) {
            out += Pad(month_, 2);
          } else if (validDate_) {
            out += count == 3 ? fs_.ShortMonthNames[month_ - 1] : fs_.LongMonthNames[month_ - 1];
          }
          break;
        case 'D':
          countRun();
          switch (count) {
            case 1: out += IntToStr(day_); break;
            case 2: out += Pad(day_, 2); break;
            case 3: out += fs_.ShortDayNames[dayOfWeek_]; break;
            case 4: out += fs_.LongDayNames[dayOfWeek_]; break;
            case 5: Write(fs_.ShortDateFormat, out, depth + 1); break;
            default: Write(fs_.LongDateFormat, out, depth + 1); break;
          }
          break;
        case 'H': {
          countRun();
          int h = hour_;
          if (TwelveHour(f, i + count)) {
            h %= 12;
            if (h == 0) h = 12;
          }
          out += count == 1 ? IntToStr(h) : Pad(h, 2);
          break;
        }
        case 'N':
          countRun();
          out += count == 1 ? IntToStr(minute_) : Pad(minute_, 2);
          break;
        case 'S':
          countRun();
          out += count == 1 ? IntToStr(second_) : Pad(second_, 2);
          break;
        case 'Z':
          countRun();
          out += count == 1 ? IntToStr(msec_) : Pad(msec_, 3);
          break;
        case 'T':
          countRun();
          Write(count == 1 ? fs_.ShortTimeFormat : fs_.LongTimeFormat, out, depth + 1);
          break;
        case 'C':
          Write(fs_.ShortDateFormat, out, depth + 1);
          if (hour_ != 0 || minute_ != 0 || second_ != 0) {
            out += ' ';
            Write(fs_.LongTimeFormat, out, depth + 1);
          }
          break;
        case 'A':
          if (StartsNoCase(f, i, "am/pm")) {
            bool lower = f[i] == 'a';
            out += hour_ >= 12 ? (lower ? "pm" : "PM") : (lower ? "am" : "AM");
            count = 5;
          } else if (StartsNoCase(f, i, "a/p")) {
            bool lower = f[i] == 'a';
            out += hour_ >= 12 ? (lower ? 'p' : 'P') : (lower ? 'a' : 'A');
            count = 3;
          } else if (StartsNoCase(f, i, "ampm")) {
            out += hour_ >= 12 ? fs_.TimePMString : fs_.TimeAMString;
            count = 4;
          } else {
            out += c;
          }
          break;
        case '/': out += fs_.DateSeparator; break;
        case ':': out += fs_.TimeSeparator; break;
        case '"':
        case '\'': {
          std::size_t close = f.find(c, i + 1);
          if (close == std::string_view::npos) close = f.size();
          out.append(f.substr(i + 1, close - i - 1));
          count = close - i + (close < f.size() ? 1 : 0);
          break;
        }
        default: out += c; break;
      }
      if (u >= 'A' && u <= 'Z') last = u;
      i += count;
    }
  }

 private:
  // Whether an AM/PM marker follows in the format, which makes hours 12-hour.
  static bool TwelveHour(std::string_view f, std::size_t from) {
    char quote = 0;
    for (std::size_t i = from; i < f.size(); ++i) {
      char c = f[i];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (StartsNoCase(f, i, "am/pm") || StartsNoCase(f, i, "a/p") || StartsNoCase(f, i, "ampm")) {
        return true;
      }
    }
    return false;
  }

  const FormatSettings& fs_;
  bool validDate_;
  int year_ = 0, month_ = 0, day_ = 0, dayOfWeek_ = 0;
  int hour_ = 0, minute_ = 0, second_ = 0, msec_ = 0;
};

}  // namespace

AnsiString FormatDateTime(std::string_view format, TDateTime value, const FormatSettings& fs) {
  AnsiString out;
  DateTimeWriter(value, fs).Write(format.empty() ? std::string_view("c") : format, out);
  return out;
}

AnsiString DateToStr(TDateTime value, const FormatSettings& fs) { return FormatDateTime("ddddd", value, fs); }

AnsiString TimeToStr(TDateTime value, const FormatSettings& fs) { return FormatDateTime("tt", value, fs); }

AnsiString DateTimeToStr(TDateTime value, const FormatSettings& fs) { return FormatDateTime("c", value, fs); }

// ---- parsing -------------------------------------------------------------------

namespace {

class Scanner {
 public:
  Scanner(std::string_view s) : s_(s) {}

  void SkipBlanks() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
  }
  bool AtEnd() {
    SkipBlanks();
    return pos_ >= s_.size();
  }
  // A run of decimal digits (at most 9); its length in `digits`.
  bool Number(int& value, int& digits) {
    SkipBlanks();
    std::size_t start = pos_;
    value = 0;
    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9' && pos_ - start < 9)
      value = value * 10 + (s_[pos_++] - '0');
    digits = static_cast<int>(pos_ - start);
    return digits > 0;
  }
  bool Char(char c) {
    SkipBlanks();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Word(std::string_view w) {
    SkipBlanks();
    if (w.empty() || !StartsNoCase(s_, pos_, w)) return false;
    pos_ += w.size();
    return true;
  }
  std::size_t pos_ = 0;

 private:
  std::string_view s_;
};

enum class DateOrder { DMY, MDY, YMD };

DateOrder OrderOf(const AnsiString& shortDateFormat) {
  for (char c : shortDateFormat) {
    char u = Upper(c);
    if (u == 'D') return DateOrder::DMY;
    if (u == 'M') return DateOrder::MDY;
    if (u == 'Y') return DateOrder::YMD;
  }
  return DateOrder::DMY;
}

bool ScanDate(Scanner& sc, TDateTime& date, const FormatSettings& fs) {
  int n[3], digits[3];
  if (!sc.Number(n[0], digits[0]) || !sc.Char(fs.DateSeparator) || !sc.Number(n[1], digits[1])) return false;
  int count = 2;
  std::size_t save = sc.pos_;
  if (sc.Char(fs.DateSeparator)) {
    if (!sc.Number(n[2], digits[2])) return false;
    count = 3;
  } else {
    sc.pos_ = save;
  }
  int y, m, d, yearDigits = 4;
  int currentYear, cm, cd;
  DecodeDate(Now(), currentYear, cm, cd);
  DateOrder order = OrderOf(fs.ShortDateFormat);
  if (count == 2) {
    y = currentYear;
    if (order == DateOrder::MDY || order == DateOrder::YMD)
      m = n[0], d = n[1];
    else
      d = n[0], m = n[1];
  } else {
    switch (order) {
      case DateOrder::MDY: m = n[0], d = n[1], y = n[2], yearDigits = digits[2]; break;
      case DateOrder::YMD: y = n[0], m = n[1], d = n[2], yearDigits = digits[0]; break;
      default: d = n[0], m = n[1], y = n[2], yearDigits = digits[2]; break;
    }
    if (yearDigits <= 2) {
      // A two-digit year falls in the hundred years from (this year - window).
      int base = currentYear - fs.TwoDigitYearCenturyWindow;
      y += base / 100 * 100;
      if (fs.TwoDigitYearCenturyWindow > 0 && y < base) y += 100;
    }
  }
  return TryEncodeDate(y, m, d, date);
}

bool ScanTime(Scanner& sc, TDateTime& time, const FormatSettings& fs) {
  auto scanAmPm = [&](int& ampm) {
    if (sc.Word("AM") || (!fs.TimeAMString.empty() && sc.Word(fs.TimeAMString)))
      ampm = 0;
    else if (sc.Word("PM") || (!fs.TimePMString.empty() && sc.Word(fs.TimePMString)))
      ampm = 1;
    else
      ampm = -1;
  };
  int ampm;
  scanAmPm(ampm);
  int h, m = 0, s = 0, ms = 0, digits;
  if (!sc.Number(h, digits)) return false;
  bool hasMinutes = false;
  if (sc.Char(fs.TimeSeparator)) {
    if (!sc.Number(m, digits)) return false;
    hasMinutes = true;
    if (sc.Char(fs.TimeSeparator)) {
      if (!sc.Number(s, digits)) return false;
      if (sc.Char('.') || sc.Char(fs.DecimalSeparator)) {
        if (!sc.Number(ms, digits) || digits > 3) return false;
        for (; digits < 3; ++digits) ms *= 10;
      }
    }
  }
  if (ampm < 0) scanAmPm(ampm);
  if (!hasMinutes && ampm < 0) return false;
  if (ampm >= 0) {
    if (h < 1 || h > 12) return false;
    h = h % 12 + (ampm == 1 ? 12 : 0);
  }
  return TryEncodeTime(h, m, s, ms, time);
}

}  // namespace

bool TryStrToDate(std::string_view s, TDateTime& value, const FormatSettings& fs) {
  Scanner sc(s);
  TDateTime d;
  if (!ScanDate(sc, d, fs) || !sc.AtEnd()) return false;
  value = d;
  return true;
}

bool TryStrToTime(std::string_view s, TDateTime& value, const FormatSettings& fs) {
  Scanner sc(s);
  TDateTime t;
  if (!ScanTime(sc, t, fs) || !sc.AtEnd()) return false;
  value = t;
  return true;
}

bool TryStrToDateTime(std::string_view s, TDateTime& value, const FormatSettings& fs) {
  Scanner sc(s);
  TDateTime d, t = 0;
  if (ScanDate(sc, d, fs)) {
    if (!sc.AtEnd() && (!ScanTime(sc, t, fs) || !sc.AtEnd())) return false;
    value = d >= 0 ? d + t : d - t;
    return true;
  }
  return TryStrToTime(s, value, fs);
}

TDateTime StrToDate(std::string_view s, const FormatSettings& fs) {
  TDateTime v;
  if (!TryStrToDate(s, v, fs)) throw EConvertError("'" + AnsiString(s) + "' is not a valid date");
  return v;
}

TDateTime StrToTime(std::string_view s, const FormatSettings& fs) {
  TDateTime v;
  if (!TryStrToTime(s, v, fs)) throw EConvertError("'" + AnsiString(s) + "' is not a valid time");
  return v;
}

TDateTime StrToDateTime(std::string_view s, const FormatSettings& fs) {
  TDateTime v;
  if (!TryStrToDateTime(s, v, fs)) throw EConvertError("'" + AnsiString(s) + "' is not a valid date and time");
  return v;
}

}  // namespace rtl
