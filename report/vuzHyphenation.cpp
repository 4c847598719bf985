#include "report/vuzHyphenation.h"

#include <string_view>

#include "platform/rtl/strings.h"

namespace report {

namespace {

using namespace rtl::literals;

constexpr std::string_view kVowels = "АЕЁИОУЫЭЮЯ"_cp;
constexpr std::string_view kConsonants = "БВГДЖЗЙКЛМНПРСТФХЦЧШЩЬЪ"_cp;  // with the signs and Й
constexpr std::string_view kSigns = "ЬЪ"_cp;
constexpr char kShortI = std::string_view("Й"_cp)[0];

bool In(std::string_view set, char c) { return set.find(c) != std::string_view::npos; }

bool HasVowel(std::string_view s) {
  for (char c : s)
    if (In(kVowels, c)) return true;
  return false;
}

// Both parts longer than one letter and each with a vowel.
bool SplitsWell(std::string_view word, std::size_t p) {
  const std::string_view head = word.substr(0, p), tail = word.substr(p);
  return head.size() > 1 && tail.size() > 1 && HasVowel(head) && HasVowel(tail);
}

}  // namespace

bool vuzContainsVowel(const rtl::AnsiString& upperWord) { return HasVowel(upperWord); }

std::vector<int> vuzSyllablePositions(const rtl::AnsiString& word) {
  // Positions are plain integers: a word of any length hyphenates (they were
  // once kept as character codes, which stopped at 254 and wrapped).
  std::vector<int> positions;
  const std::size_t n = word.size();
  if (n <= 3) return positions;
  for (std::size_t p = 1; p < n; ++p) {  // p is 1-based: the letter word[p - 1], the next one word[p]
    const char c = word[p - 1], next = word[p];
    bool candidate = false;
    if (In(kConsonants, c)) {
      candidate = !In(kVowels, next) && !In(kSigns, next);
    } else if (In(kVowels, c)) {
      // A doubled consonant before a vowel is split between its two letters instead.
      const bool doubled = p + 2 < n && In(kConsonants, next) && word[p + 1] == next && In(kVowels, word[p + 2]);
      candidate = next != kShortI && !doubled;
    }
    if (candidate && SplitsWell(word, p)) positions.push_back(static_cast<int>(p));
  }
  return positions;
}

}  // namespace report
