#include "platform/rtl/format_settings.h"

namespace rtl {

FormatSettings FormatSettings::Russian() {
  FormatSettings s;
  s.CurrencyString = "р."_cp;
  s.LongDateFormat = "d mmmm yyyy 'г.'"_cp;
  s.ShortMonthNames = {"янв"_cp, "фев"_cp, "мар"_cp, "апр"_cp, "май"_cp, "июн"_cp,
                       "июл"_cp, "авг"_cp, "сен"_cp, "окт"_cp, "ноя"_cp, "дек"_cp};
  s.LongMonthNames = {"Январь"_cp, "Февраль"_cp, "Март"_cp,     "Апрель"_cp,  "Май"_cp,    "Июнь"_cp,
                      "Июль"_cp,   "Август"_cp,  "Сентябрь"_cp, "Октябрь"_cp, "Ноябрь"_cp, "Декабрь"_cp};
  s.ShortDayNames = {"Вс"_cp, "Пн"_cp, "Вт"_cp, "Ср"_cp, "Чт"_cp, "Пт"_cp, "Сб"_cp};
  s.LongDayNames = {"воскресенье"_cp, "понедельник"_cp, "вторник"_cp, "среда"_cp,
                    "четверг"_cp,     "пятница"_cp,     "суббота"_cp};
  return s;
}

FormatSettings FormatSettings::Invariant() {
  FormatSettings s;
  s.DecimalSeparator = '.';
  s.ThousandSeparator = ',';
  s.DateSeparator = '/';
  s.ListSeparator = ',';
  s.CurrencyString = "$";
  s.CurrencyFormat = 0;
  s.NegCurrFormat = 1;
  s.ShortDateFormat = "m/d/yyyy";
  s.LongDateFormat = "dddd, mmmm d, yyyy";
  s.ShortTimeFormat = "h:mm AMPM";
  s.LongTimeFormat = "h:mm:ss AMPM";
  s.TimeAMString = "AM";
  s.TimePMString = "PM";
  s.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  s.LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                      "July",    "August",   "September", "October", "November", "December"};
  s.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  s.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  return s;
}

FormatSettings& CurrentFormatSettings() {
  static FormatSettings current = FormatSettings::Russian();
  return current;
}

}  // namespace rtl
