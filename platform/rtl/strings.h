// The string model. 8-bit strings (AnsiString) hold Windows-1251 bytes: byte
// positions, length limits and sort orders of stored texts depend on it. Wide
// strings (WideString) are UTF-16. Conversion happens only at the edges.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/rtl/codepage_tables.h"

namespace rtl {

using AnsiString = std::string;     // Windows-1251 bytes
using WideString = std::u16string;  // UTF-16
using WideChar = char16_t;

// Code pages the conversions know.
enum : unsigned {
  CP_1251 = 1251,
  CP_866 = 866,
  CP_1252 = 1252,
  CP_SYMBOL = 42,  // symbol fonts: bytes 0x20-0xFF sit at U+F020-U+F0FF
  CP_UTF8 = 65001,
};

// 8-bit code pages <-> UTF-16 <-> UTF-8. 1251 and 866 go by table; the other
// Windows pages (1250-1258, 874, the East Asian 932, 936, 949, 950, 1361) and
// Mac Cyrillic (10007) by the C library's converters. Characters a code page
// lacks become '?'; an unknown code page raises EConvertError.
WideString AnsiToWide(std::string_view s, unsigned codePage = CP_1251);
AnsiString WideToAnsi(std::u16string_view s, unsigned codePage = CP_1251);
std::string WideToUtf8(std::u16string_view s);
WideString Utf8ToWide(std::string_view s);
std::string AnsiToUtf8(std::string_view s, unsigned codePage = CP_1251);
AnsiString Utf8ToAnsi(std::string_view s, unsigned codePage = CP_1251);
AnsiString Cp1251ToCp866(std::string_view s);
AnsiString Cp866ToCp1251(std::string_view s);

namespace detail {

// Decodes one UTF-8 sequence at s[i], advancing i; malformed input yields U+FFFD.
constexpr char32_t DecodeUtf8(const char* s, std::size_t n, std::size_t& i) {
  auto b = static_cast<unsigned char>(s[i++]);
  if (b < 0x80) return b;
  int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
  if (extra < 0) return 0xFFFD;
  char32_t cp = b & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if (i >= n || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0xFFFD;
    cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  }
  return cp;
}

template <std::size_t N>
struct Utf8Source {
  char text[N]{};
  constexpr Utf8Source(const char (&s)[N]) {
    for (std::size_t i = 0; i < N; ++i) text[i] = s[i];
  }
};

template <std::size_t N>
consteval std::size_t CountCodePoints(const Utf8Source<N>& src) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < N - 1;) {
    char32_t cp = DecodeUtf8(src.text, N - 1, i);
    if (ReverseLookup(kCp1251High, cp) < 0) throw "literal holds a character that Windows-1251 lacks";
    ++count;
  }
  return count;
}

template <Utf8Source Src>
struct Cp1251Bytes {
  static constexpr std::size_t size = CountCodePoints(Src);
  static constexpr auto bytes = [] {
    struct Storage {
      char data[size + 1]{};
    } out{};
    std::size_t o = 0;
    for (std::size_t i = 0; i < sizeof(Src.text) - 1;)
      out.data[o++] = static_cast<char>(ReverseLookup(kCp1251High, DecodeUtf8(Src.text, sizeof(Src.text) - 1, i)));
    return out;
  }();
};

}  // namespace detail

// A Windows-1251 text made at compile time from a UTF-8 literal. It converts
// to std::string, std::string_view and const char* so call sites read plainly.
struct CpLiteral {
  const char* ptr;
  std::size_t len;
  constexpr operator std::string_view() const { return {ptr, len}; }
  operator std::string() const { return std::string(ptr, len); }
  constexpr const char* c_str() const { return ptr; }
  constexpr std::size_t size() const { return len; }
  friend std::string operator+(const CpLiteral& a, const std::string& b) { return std::string(a) + b; }
  friend std::string operator+(const std::string& a, const CpLiteral& b) { return a + std::string(b); }
  friend bool operator==(const CpLiteral& a, std::string_view b) { return std::string_view(a) == b; }
};

inline namespace literals {
// "Подождите..."_cp is the Windows-1251 byte string of that text.
template <detail::Utf8Source Src>
constexpr CpLiteral operator""_cp() {
  return {detail::Cp1251Bytes<Src>::bytes.data, detail::Cp1251Bytes<Src>::size};
}
}  // namespace literals

}  // namespace rtl
