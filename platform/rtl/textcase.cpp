#include "platform/rtl/textcase.h"

#include <algorithm>
#include <cstdio>

namespace rtl {
namespace {

unsigned char U(char c) { return static_cast<unsigned char>(c); }

// Per-byte case maps and collation weights, built once from the code page.
struct CaseTables {
  unsigned char upper[256];
  unsigned char lower[256];
  std::uint16_t primary[256];  // case-free sort weight
  bool letter[256];

  CaseTables() {
    for (int i = 0; i < 256; ++i) {
      upper[i] = lower[i] = static_cast<unsigned char>(i);
      letter[i] = false;
      primary[i] = static_cast<std::uint16_t>(i);  // non-alphanumerics: byte order, first
    }
    auto toUnicode = [](int b) -> char16_t { return b < 0x80 ? char16_t(b) : detail::kCp1251High[b - 0x80]; };
    auto toByte = [&](char16_t u) -> int {
      for (int b = 0; b < 256; ++b)
        if (toUnicode(b) == u) return b;
      return -1;
    };
    for (int b = 0; b < 256; ++b) {
      char16_t u = toUnicode(b);
      char16_t up = 0;
      if (u >= u'a' && u <= u'z')
        up = u - 0x20;
      else if (u >= 0x0430 && u <= 0x044F)
        up = u - 0x20;
      else if (u >= 0x0450 && u <= 0x045F)
        up = u - 0x50;
      else if (u == 0x0491)
        up = 0x0490;
      if (!up) continue;
      int ub = toByte(up);
      if (ub < 0) continue;
      upper[b] = static_cast<unsigned char>(ub);
      lower[ub] = static_cast<unsigned char>(b);
      letter[b] = letter[ub] = true;
    }
    std::uint16_t w = 256;
    for (int d = '0'; d <= '9'; ++d) primary[d] = w++;
    for (int c = 'A'; c <= 'Z'; ++c) {
      primary[c] = primary[c + 0x20] = w++;
    }
    constexpr std::string_view cyrillic = "АБВГҐЃДЂЕЁЄЖЗЅИІЇЙЈКЌЛЉМНЊОПРСТЋУЎФХЦЧЏШЩЪЫЬЭЮЯ"_cp;
    for (char c : cyrillic) {
      primary[U(c)] = primary[lower[U(c)]] = w++;
    }
  }
};

const CaseTables& Tables() {
  static const CaseTables t;
  return t;
}

int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

// Primary comparison: case-free weights, then length.
int ComparePrimary(std::string_view a, std::string_view b) {
  const auto& t = Tables();
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    int d = int(t.primary[U(a[i])]) - int(t.primary[U(b[i])]);
    if (d) return Sign(d);
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace

char AnsiUpperChar(char c) { return static_cast<char>(Tables().upper[U(c)]); }
char AnsiLowerChar(char c) { return static_cast<char>(Tables().lower[U(c)]); }
bool IsAnsiLetter(char c) { return Tables().letter[U(c)]; }

AnsiString AnsiUpperCase(std::string_view s) {
  AnsiString r(s);
  for (char& c : r) c = AnsiUpperChar(c);
  return r;
}

AnsiString AnsiLowerCase(std::string_view s) {
  AnsiString r(s);
  for (char& c : r) c = AnsiLowerChar(c);
  return r;
}

AnsiString UpperCase(std::string_view s) {
  AnsiString r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
  return r;
}

AnsiString LowerCase(std::string_view s) {
  AnsiString r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
  return r;
}

int AnsiCompareText(std::string_view a, std::string_view b) { return ComparePrimary(a, b); }

int AnsiCompareStr(std::string_view a, std::string_view b) {
  if (int r = ComparePrimary(a, b)) return r;
  // Same letters ignoring case: the small letter first at the first case difference.
  const auto& t = Tables();
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = U(a[i]), y = U(b[i]);
    if (x == y) continue;
    bool xSmall = t.upper[x] != x;
    bool ySmall = t.upper[y] != y;
    if (xSmall != ySmall) return xSmall ? -1 : 1;
    return x < y ? -1 : 1;
  }
  return 0;
}

bool AnsiSameText(std::string_view a, std::string_view b) {
  // Names are mostly asked for as they are written: equal bytes need no table.
  return a.size() == b.size() && (a == b || ComparePrimary(a, b) == 0);
}

bool AnsiSameStr(std::string_view a, std::string_view b) { return a == b; }

int CompareStr(std::string_view a, std::string_view b) { return Sign(a.compare(b)); }

int CompareText(std::string_view a, std::string_view b) {
  auto fold = [](char c) -> unsigned char { return (c >= 'a' && c <= 'z') ? U(c) - 0x20 : U(c); };
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    int d = int(fold(a[i])) - int(fold(b[i]));
    if (d) return Sign(d);
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

AnsiString TrimLeft(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && U(s[i]) <= ' ') ++i;
  return AnsiString(s.substr(i));
}

AnsiString TrimRight(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && U(s[n - 1]) <= ' ') --n;
  return AnsiString(s.substr(0, n));
}

AnsiString Trim(std::string_view s) {
  std::size_t i = 0, n = s.size();
  while (i < n && U(s[i]) <= ' ') ++i;
  while (n > i && U(s[n - 1]) <= ' ') --n;
  return AnsiString(s.substr(i, n - i));
}

AnsiString IntToStr(std::int64_t value) { return std::to_string(value); }

AnsiString IntToHex(std::int64_t value, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(value));
  AnsiString r(buf);
  if (digits > static_cast<int>(r.size())) r.insert(0, static_cast<std::size_t>(digits) - r.size(), '0');
  return r;
}

AnsiString StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                         TReplaceFlags flags) {
  if (oldPattern.empty()) return AnsiString(s);
  AnsiString hay, needle;
  std::string_view searchIn = s, pattern = oldPattern;
  if (flags & rfIgnoreCase) {
    hay = AnsiUpperCase(s);
    needle = AnsiUpperCase(oldPattern);
    searchIn = hay;
    pattern = needle;
  }
  AnsiString out;
  std::size_t from = 0;
  while (true) {
    std::size_t at = searchIn.find(pattern, from);
    if (at == std::string_view::npos) break;
    out.append(s.substr(from, at - from));
    out.append(newPattern);
    from = at + pattern.size();
    if (!(flags & rfReplaceAll)) break;
  }
  out.append(s.substr(from));
  return out;
}

int Pos(std::string_view sub, std::string_view s) {
  if (sub.empty()) return 0;
  std::size_t at = s.find(sub);
  return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

AnsiString Copy(std::string_view s, std::int64_t index, std::int64_t count) {
  if (index < 1) index = 1;
  auto size = static_cast<std::int64_t>(s.size());
  if (index > size || count <= 0) return {};
  count = std::min(count, size - index + 1);
  return AnsiString(s.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count)));
}

void Delete(AnsiString& s, std::int64_t index, std::int64_t count) {
  auto size = static_cast<std::int64_t>(s.size());
  if (index < 1 || index > size || count <= 0) return;
  count = std::min(count, size - index + 1);
  s.erase(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
}

void Insert(std::string_view sub, AnsiString& s, std::int64_t index) {
  auto size = static_cast<std::int64_t>(s.size());
  index = std::clamp<std::int64_t>(index, 1, size + 1);
  s.insert(static_cast<std::size_t>(index - 1), sub);
}

}  // namespace rtl
