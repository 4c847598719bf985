// The program's version block, compiled in: its internal name, file version,
// copyright and build date, and the texts the program-information dialog
// makes of them.
#pragma once
#include <string_view>

#include "platform/rtl/strings.h"

namespace app {

using rtl::AnsiString;

struct TVersionInfo {
  AnsiString InternalName;
  AnsiString FileVersion;
  AnsiString LegalCopyright;
  // As the compiler writes it: "Nov  6 2013".
  AnsiString BuildDate;
};

// The block of this build.
const TVersionInfo& ProgramVersionInfo();

// The Russian month word, blanks around it, for a three-letter English
// abbreviation (" ноября " for "Nov"); any other text gives " января ".
AnsiString MonthWord(std::string_view abbreviation);

// "Версия 1.0.0.0 от 6 ноября 2013 г." from the file version and a build date
// of the compiler's form (month, day, year apart by blanks).
AnsiString VersionLine(const AnsiString& fileVersion, std::string_view buildDate);

}  // namespace app
