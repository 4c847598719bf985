#include "platform/rtl/strings.h"

#include "platform/rtl/codepage_converters.h"

namespace rtl {
namespace {

const char16_t (&TableFor(unsigned codePage))[128] {
  return codePage == CP_866 ? detail::kCp866High : detail::kCp1251High;
}

// A 64 KiB reverse table per code page, built once.
struct ReverseTable {
  unsigned char byte[0x10000];
  explicit ReverseTable(const char16_t (&high)[128]) {
    for (auto& b : byte) b = '?';
    for (int i = 0; i < 0x80; ++i) byte[i] = static_cast<unsigned char>(i);
    for (int i = 0; i < 128; ++i) byte[high[i]] = static_cast<unsigned char>(0x80 + i);
  }
};

const ReverseTable& ReverseFor(unsigned codePage) {
  static const ReverseTable t1251(detail::kCp1251High);
  static const ReverseTable t866(detail::kCp866High);
  return codePage == CP_866 ? t866 : t1251;
}

bool HasTable(unsigned codePage) { return codePage == CP_1251 || codePage == CP_866; }

WideString SymbolToWide(std::string_view s) {
  WideString out;
  out.reserve(s.size());
  for (unsigned char c : s) out.push_back(c < 0x20 ? c : static_cast<char16_t>(0xF000 + c));
  return out;
}

AnsiString WideToSymbol(std::u16string_view s) {
  AnsiString out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) ++i;
    if (c < 0x20) {
      out.push_back(static_cast<char>(c));
    } else if (c >= 0xF020 && c <= 0xF0FF) {
      out.push_back(static_cast<char>(c - 0xF000));
    } else {
      out.push_back('?');
    }
  }
  return out;
}

void AppendUtf16(WideString& out, char32_t cp) {
  if (cp >= 0x10000 && cp <= 0x10FFFF) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else if (cp > 0x10FFFF) {
    out.push_back(0xFFFD);
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Windows-1252 is Latin-1 except 0x80-0x9F, where it places the euro sign,
// typographic quotes and a few letters; its five unassigned bytes keep their
// C1 control codes, so every byte converts and converts back.
constexpr char16_t k1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Cp1252ToWide(unsigned char c) { return c >= 0x80 && c < 0xA0 ? k1252High[c - 0x80] : c; }

char WideToCp1252(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c < 0x100)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i)
    if (k1252High[i] == c) return static_cast<char>(0x80 + i);
  return '?';
}

}  // namespace

WideString AnsiToWide(std::string_view s, unsigned codePage) {
  if (codePage == CP_UTF8) return Utf8ToWide(s);
  if (codePage == CP_SYMBOL) return SymbolToWide(s);
  if (codePage != CP_1252 && !HasTable(codePage)) return detail::ConvertToWide(s, codePage);
  WideString out(s.size(), u'\0');
  char16_t* o = out.data();
  if (codePage == CP_1252) {
    for (unsigned char c : s) *o++ = Cp1252ToWide(c);
    return out;
  }
  const auto& high = TableFor(codePage);
  for (unsigned char c : s) *o++ = c < 0x80 ? c : high[c - 0x80];
  return out;
}

AnsiString WideToAnsi(std::u16string_view s, unsigned codePage) {
  if (codePage == CP_UTF8) return WideToUtf8(s);
  if (codePage == CP_SYMBOL) return WideToSymbol(s);
  if (codePage != CP_1252 && !HasTable(codePage)) return detail::ConvertFromWide(s, codePage);
  AnsiString out;
  out.reserve(s.size());
  if (codePage == CP_1252) {
    for (char16_t c : s) out.push_back(WideToCp1252(c));
    return out;
  }
  const auto& rev = ReverseFor(codePage);
  for (std::size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    // A surrogate pair stands for one character that no single-byte page has.
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) ++i;
    out.push_back(static_cast<char>(rev.byte[c]));
  }
  return out;
}

std::string WideToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

WideString Utf8ToWide(std::string_view s) {
  WideString out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) AppendUtf16(out, detail::DecodeUtf8(s.data(), s.size(), i));
  return out;
}

std::string AnsiToUtf8(std::string_view s, unsigned codePage) { return WideToUtf8(AnsiToWide(s, codePage)); }
AnsiString Utf8ToAnsi(std::string_view s, unsigned codePage) { return WideToAnsi(Utf8ToWide(s), codePage); }
AnsiString Cp1251ToCp866(std::string_view s) { return WideToAnsi(AnsiToWide(s, CP_1251), CP_866); }
AnsiString Cp866ToCp1251(std::string_view s) { return WideToAnsi(AnsiToWide(s, CP_866), CP_1251); }

}  // namespace rtl
