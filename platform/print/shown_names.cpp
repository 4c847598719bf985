#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/print/shown_names_p.h"

namespace print {

namespace {

bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Lower(char c) { return IsUpper(c) ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lowered(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), Lower);
  return out;
}

}  // namespace

std::string InputSlotKeyword(std::string_view choice) {
  // The slots whose keywords are not their names spelt the IPP way.
  static const std::pair<const char*, const char*> kFixed[] = {
      {"upper", "top"},       {"lower", "bottom"},    {"cassette", "main"},  {"multipurpose", "by-pass-tray"},
      {"mp", "by-pass-tray"}, {"phototray", "photo"}, {"roll", "main-roll"}, {"cdtray", "disc"}};
  const std::string lowered = Lowered(choice);
  for (const auto& [name, keyword] : kFixed)
    if (lowered == name) return keyword;
  std::string out;
  char previous = 0;
  for (char c : choice) {
    const bool alnum = IsLower(c) || IsUpper(c) || IsDigit(c);
    if (!alnum) {
      if (!out.empty() && out.back() != '-') out.push_back('-');
    } else {
      const bool wordStarts =
          (IsUpper(c) && IsLower(previous)) || (IsDigit(c) && (IsLower(previous) || IsUpper(previous)));
      if (wordStarts && !out.empty() && out.back() != '-') out.push_back('-');
      out.push_back(Lower(c));
    }
    previous = c;
  }
  while (!out.empty() && out.back() == '-') out.pop_back();
  return out;
}

const TPpdChoice* FindInputSlot(const std::vector<TPpdChoice>& slots, std::string_view keyword, std::size_t position,
                                std::size_t count) {
  const auto claims = [&](const TPpdChoice& c) { return c.Keyword == keyword; };
  if (count == slots.size() && position < slots.size()) {
    const TPpdChoice& same = slots[position];
    if (claims(same) || std::none_of(slots.begin(), slots.end(), claims)) return &same;
  }
  const auto it = std::find_if(slots.begin(), slots.end(), claims);
  return it == slots.end() ? nullptr : &*it;
}

const TPpdChoice* FindPageSize(const std::vector<TPpdChoice>& sizes, std::string_view keyword, double widthMM,
                               double lengthMM) {
  for (const TPpdChoice& s : sizes)
    if (s.Keyword == keyword) return &s;
  for (const TPpdChoice& s : sizes)
    if (std::fabs(s.WidthMM - widthMM) <= 0.5 && std::fabs(s.LengthMM - lengthMM) <= 0.5) return &s;
  return nullptr;
}

std::string ShownTrayName(std::string_view keyword, const TPpdChoice* slot, std::string_view cupsText) {
  if (slot && !slot->Text.empty() && slot->Text != slot->Name) return slot->Text;
  if (!cupsText.empty() && cupsText != keyword) return std::string(cupsText);
  return std::string(keyword);
}

std::string ShownMediaName(std::string_view keyword, const TPpdChoice* size, std::string_view cupsText) {
  if (size && !size->Text.empty()) return size->Text;
  if (!cupsText.empty()) return std::string(cupsText);
  return std::string(keyword);
}

}  // namespace print
