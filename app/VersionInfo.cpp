#include "app/VersionInfo.h"

#include <array>
#include <vector>

namespace app {

using namespace rtl::literals;

#ifndef ZARNIK_FILE_VERSION
#define ZARNIK_FILE_VERSION "0.0.0.0"
#endif

const TVersionInfo& ProgramVersionInfo() {
  static const TVersionInfo info{"Zarnik", ZARNIK_FILE_VERSION,
                                 "© Разработчики программы Zarnik. Все права защищены."_cp, __DATE__};
  return info;
}

AnsiString MonthWord(std::string_view abbreviation) {
  static const std::array<std::string_view, 12> kAbbreviations = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  static const std::array<AnsiString, 12> kWords = {" января "_cp,   " февраля "_cp, " марта "_cp,  " апреля "_cp,
                                                    " мая "_cp,      " июня "_cp,    " июля "_cp,   " августа "_cp,
                                                    " сентября "_cp, " октября "_cp, " ноября "_cp, " декабря "_cp};
  for (std::size_t i = 0; i < kAbbreviations.size(); ++i)
    if (abbreviation == kAbbreviations[i]) return kWords[i];
  return kWords[0];
}

AnsiString VersionLine(const AnsiString& fileVersion, std::string_view buildDate) {
  // The compiler pads a one-digit day with a second blank ("Nov  6 2013"):
  // runs of blanks separate one field.
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < buildDate.size()) {
    while (i < buildDate.size() && buildDate[i] == ' ') ++i;
    const std::size_t start = i;
    while (i < buildDate.size() && buildDate[i] != ' ') ++i;
    if (i > start) fields.push_back(buildDate.substr(start, i - start));
  }
  fields.resize(3);
  return "Версия "_cp + fileVersion + " от "_cp + AnsiString(fields[1]) + MonthWord(fields[0]) + AnsiString(fields[2]) +
         " г."_cp;
}

}  // namespace app
