// Russian hyphenation by syllable rules, used when a text object breaks words.
#pragma once
#include <vector>

#include "platform/rtl/strings.h"

namespace report {

// The positions after which an upper-case Windows-1251 word may be
// hyphenated, ascending (position p splits the word into its first p letters
// and the rest). Words of three letters or fewer give none.
std::vector<int> vuzSyllablePositions(const rtl::AnsiString& upperWord);
bool vuzContainsVowel(const rtl::AnsiString& upperWord);

}  // namespace report
