#include "report/vuzHyphenation.h"

namespace report {

std::vector<int> vuzSyllablePositions(const rtl::AnsiString&) { return {}; }
bool vuzContainsVowel(const rtl::AnsiString&) { return false; }

}  // namespace report
