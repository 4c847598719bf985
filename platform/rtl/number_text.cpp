// Number texts: integers and floats to text and back, the float formats and
// section formats.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/format.h"

namespace rtl {

using detail::DecimalDigits;

// ---- integers --------------------------------------------------------------

static AnsiString HexOf(uint64_t u, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  char buf[20];
  char* end = buf + sizeof buf;
  char* p = end;
  do {
    *--p = kHex[u & 15];
    u >>= 4;
  } while (u);
  AnsiString s(p, end);
  if (digits > 16) digits = 16;
  if (static_cast<int>(s.size()) < digits) s.insert(0, digits - s.size(), '0');
  return s;
}

AnsiString IntToHex32(int32_t value, int digits) { return HexOf(static_cast<uint32_t>(value), digits); }

namespace {

// Parses an integer of `bits` bits; hexadecimal may fill the unsigned width.
bool ParseInteger(std::string_view s, int bits, int64_t& out) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  bool hex = false;
  if (i < s.size() && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size()) return false;
  uint64_t limit = hex ? (bits == 64 ? UINT64_MAX : (uint64_t{1} << bits) - 1)
                       : (negative ? uint64_t{1} << (bits - 1) : (uint64_t{1} << (bits - 1)) - 1);
  uint64_t u = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    unsigned d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (hex && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    unsigned base = hex ? 16 : 10;
    if (u > (limit - d) / base) return false;
    u = u * base + d;
  }
  // A hexadecimal text of the full unsigned width is the two's complement.
  int64_t v = hex && bits == 32 ? static_cast<int32_t>(static_cast<uint32_t>(u)) : static_cast<int64_t>(u);
  out = negative ? static_cast<int64_t>(0 - static_cast<uint64_t>(v)) : v;
  return true;
}

[[noreturn]] void NotInteger(std::string_view s) {
  throw EConvertError("'" + AnsiString(s) + "' is not a valid integer value");
}

}  // namespace

bool TryStrToInt(std::string_view s, int32_t& value) {
  int64_t v;
  if (!ParseInteger(s, 32, v)) return false;
  value = static_cast<int32_t>(v);
  return true;
}

bool TryStrToInt64(std::string_view s, int64_t& value) { return ParseInteger(s, 64, value); }

int32_t StrToInt(std::string_view s) {
  int32_t v;
  if (!TryStrToInt(s, v)) NotInteger(s);
  return v;
}

int64_t StrToInt64(std::string_view s) {
  int64_t v;
  if (!TryStrToInt64(s, v)) NotInteger(s);
  return v;
}

int32_t StrToIntDef(std::string_view s, int32_t def) {
  int32_t v;
  return TryStrToInt(s, v) ? v : def;
}

int64_t StrToInt64Def(std::string_view s, int64_t def) {
  int64_t v;
  return TryStrToInt64(s, v) ? v : def;
}

// ---- decimal digits ----------------------------------------------------------

namespace detail {

namespace {

// The 18 significant digits of a double of ordinary size, rounded to nearest
// with ties to even as printf and to_chars round, worked out exactly in
// 128-bit integers: the value is m * 2^e, so the digits are m * 10^s / 2^-e
// for the s that leaves 18 digits before the point. Answers false for
// values it does not take (very large or very small ones, subnormals).
bool Fast18(double a, DecimalDigits& d) {
  std::uint64_t bits;
  std::memcpy(&bits, &a, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  if (biased == 0 || biased == 0x7FF) return false;
  const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  const int shift = 1075 - biased;  // a = m / 2^shift
  if (shift < 1 || shift > 120) return false;
  static constexpr std::uint64_t kPow10[] = {1ULL,
                                             10ULL,
                                             100ULL,
                                             1000ULL,
                                             10000ULL,
                                             100000ULL,
                                             1000000ULL,
                                             10000000ULL,
                                             100000000ULL,
                                             1000000000ULL,
                                             10000000000ULL,
                                             100000000000ULL,
                                             1000000000000ULL,
                                             10000000000000ULL,
                                             100000000000000ULL,
                                             1000000000000000ULL,
                                             10000000000000000ULL,
                                             100000000000000000ULL,
                                             1000000000000000000ULL,
                                             10000000000000000000ULL};
  constexpr std::uint64_t kLow = kPow10[17], kHigh = kPow10[18];
  // The decimal exponent from the binary one, corrected when it is one off.
  int e10 = static_cast<int>(std::floor((biased - 1023) * 0.30102999566398120));
  using U128 = unsigned __int128;
  U128 q = 0, rest = 0;
  for (int attempt = 0;; ++attempt) {
    const int s = 17 - e10;
    // 10^s below 2^75 keeps m * 10^s inside 128 bits.
    if (s < 0 || s > 22 || attempt > 2) return false;
    const U128 scale = s <= 19 ? U128{kPow10[s]} : U128{kPow10[19]} * kPow10[s - 19];
    const U128 n = U128{m} * scale;
    q = n >> shift;
    rest = n - (q << shift);
    if (q < kLow) {
      --e10;
    } else if (q >= kHigh) {
      ++e10;
    } else {
      break;
    }
  }
  const U128 half = U128{1} << (shift - 1);
  if (rest > half || (rest == half && (q & 1) != 0)) ++q;
  if (q == kHigh) {
    q = kLow;
    ++e10;
  }
  auto digits = static_cast<std::uint64_t>(q);
  for (int i = 17; i >= 0; --i) {
    d.digits[i] = static_cast<char>('0' + digits % 10);
    digits /= 10;
  }
  d.count = 18;
  d.exponent = e10 + 1;
  while (d.count > 0 && d.digits[d.count - 1] == '0') --d.count;
  return true;
}

DecimalDigits Raw18(long double v) {
  DecimalDigits d;
  if (std::isnan(v)) {
    d.isNan = true;
    return d;
  }
  d.negative = std::signbit(v);
  if (std::isinf(v)) {
    d.isInf = true;
    return d;
  }
  if (v == 0) return d;
  char buf[64];
  long double a = std::fabs(v);
  double asDouble = static_cast<double>(a);
  if (static_cast<long double>(asDouble) == a) {
    if (Fast18(asDouble, d)) return d;
    // Most values are doubles: to_chars gives the same correctly rounded
    // digits as printf, several times faster.
    auto r = std::to_chars(buf, buf + sizeof buf - 1, asDouble, std::chars_format::scientific, 17);
    *r.ptr = 0;
  } else {
    std::snprintf(buf, sizeof buf, "%.17Le", a);
  }
  // "d.ddddddddddddddddde+XX"
  d.digits[0] = buf[0];
  std::memcpy(d.digits + 1, buf + 2, 17);
  d.count = 18;
  d.exponent = std::atoi(std::strchr(buf, 'e') + 1) + 1;
  while (d.count > 0 && d.digits[d.count - 1] == '0') --d.count;
  return d;
}

// Keeps `keep` digits, rounding half away from zero.
void RoundAt(DecimalDigits& d, int keep) {
  if (keep >= d.count) return;
  if (keep < 0) {
    d.count = 0;
    d.exponent = 0;
    return;
  }
  bool up = d.digits[keep] >= '5';
  d.count = keep;
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.digits[i] == '9') --i;
    if (i < 0) {
      d.digits[0] = '1';
      d.count = 1;
      ++d.exponent;
    } else {
      ++d.digits[i];
      d.count = i + 1;
    }
  }
  while (d.count > 0 && d.digits[d.count - 1] == '0') --d.count;
  if (d.count == 0) d.exponent = 0;
}

}  // namespace

DecimalDigits Digits18(long double value) { return Raw18(value); }

DecimalDigits RoundSignificant(DecimalDigits d, int significant) {
  RoundAt(d, std::clamp(significant, 1, 18));
  return d;
}

DecimalDigits RoundDecimals(DecimalDigits d, int decimals, int significant) {
  if (d.count > 0) RoundAt(d, std::min(std::clamp(significant, 1, 18), d.exponent + decimals));
  return d;
}

DecimalDigits ToDecimal(long double value, int significant) { return RoundSignificant(Raw18(value), significant); }

DecimalDigits ToDecimalFixed(long double value, int decimals, int significant) {
  return RoundDecimals(Raw18(value), decimals, significant);
}

}  // namespace detail

// ---- float to text -------------------------------------------------------------

namespace {

bool IsZero(const DecimalDigits& d) { return d.count == 0; }

AnsiString SpecialText(const DecimalDigits& d) {
  if (d.isNan) return "NAN";
  return d.negative ? "-INF" : "INF";
}

void AppendExponent(AnsiString& out, int exponent, int minDigits, bool plus) {
  out += 'E';
  if (exponent < 0)
    out += '-';
  else if (plus)
    out += '+';
  AnsiString digits = IntToStr(std::abs(exponent));
  if (static_cast<int>(digits.size()) < minDigits) out.append(minDigits - digits.size(), '0');
  out += digits;
}

char DigitAt(const DecimalDigits& d, int index) { return index >= 0 && index < d.count ? d.digits[index] : '0'; }

AnsiString General(long double value, int precision, int expDigits, const FormatSettings& fs) {
  DecimalDigits d = detail::ToDecimal(value, precision);
  if (d.isNan || d.isInf) return SpecialText(d);
  if (IsZero(d)) return "0";
  AnsiString out;
  if (d.negative) out += '-';
  if (d.exponent > precision || d.exponent < -3) {
    out += d.digits[0];
    if (d.count > 1) {
      out += fs.DecimalSeparator;
      out.append(d.digits + 1, d.count - 1);
    }
    AppendExponent(out, d.exponent - 1, std::clamp(expDigits, 0, 4), false);
    return out;
  }
  if (d.exponent <= 0) {
    out += '0';
    out += fs.DecimalSeparator;
    out.append(-d.exponent, '0');
    out.append(d.digits, d.count);
    return out;
  }
  for (int i = 0; i < d.exponent; ++i) out += DigitAt(d, i);
  if (d.count > d.exponent) {
    out += fs.DecimalSeparator;
    out.append(d.digits + d.exponent, d.count - d.exponent);
  }
  return out;
}

AnsiString Exponent(long double value, int precision, int expDigits, const FormatSettings& fs) {
  DecimalDigits d = detail::ToDecimal(value, precision);
  if (d.isNan || d.isInf) return SpecialText(d);
  AnsiString out;
  if (d.negative && !IsZero(d)) out += '-';
  out += DigitAt(d, 0);
  if (precision > 1) {
    out += fs.DecimalSeparator;
    for (int i = 1; i < precision; ++i) out += DigitAt(d, i);
  }
  AppendExponent(out, IsZero(d) ? 0 : d.exponent - 1, std::clamp(expDigits, 0, 4), true);
  return out;
}

// Integer digits of a fixed-point number, grouped when `thousands` is set.
AnsiString IntegerPart(const DecimalDigits& d, char thousands) {
  AnsiString digits;
  if (d.exponent <= 0 || IsZero(d))
    digits = "0";
  else
    for (int i = 0; i < d.exponent; ++i) digits += DigitAt(d, i);
  if (!thousands) return digits;
  AnsiString out;
  int n = static_cast<int>(digits.size());
  for (int i = 0; i < n; ++i) {
    out += digits[i];
    int rest = n - 1 - i;
    if (rest > 0 && rest % 3 == 0) out += thousands;
  }
  return out;
}

AnsiString FixedBody(const DecimalDigits& d, int decimals, char thousands, const FormatSettings& fs) {
  AnsiString out = IntegerPart(d, thousands);
  if (decimals > 0) {
    out += fs.DecimalSeparator;
    int base = IsZero(d) ? 0 : d.exponent;
    for (int i = 0; i < decimals; ++i) out += DigitAt(d, base + i);
  }
  return out;
}

AnsiString CurrencyText(const AnsiString& body, bool negative, const FormatSettings& fs) {
  const AnsiString& c = fs.CurrencyString;
  if (!negative) {
    switch (fs.CurrencyFormat) {
      case 0: return c + body;
      case 1: return body + c;
      case 2: return c + " " + body;
      default: return body + " " + c;
    }
  }
  switch (fs.NegCurrFormat) {
    case 0: return "(" + c + body + ")";
    case 1: return "-" + c + body;
    case 2: return c + "-" + body;
    case 3: return c + body + "-";
    case 4: return "(" + body + c + ")";
    case 5: return "-" + body + c;
    case 6: return body + "-" + c;
    case 7: return body + c + "-";
    case 8: return "-" + body + " " + c;
    case 9: return "-" + c + " " + body;
    case 10: return body + " " + c + "-";
    case 11: return c + " " + body + "-";
    case 12: return c + " -" + body;
    case 13: return body + "- " + c;
    case 14: return "(" + c + " " + body + ")";
    default: return "(" + body + " " + c + ")";
  }
}

}  // namespace

AnsiString FloatToStr(long double value, const FormatSettings& fs) { return General(value, 15, 0, fs); }

AnsiString FloatToStrF(long double value, TFloatFormat format, int precision, int digits, const FormatSettings& fs) {
  precision = std::clamp(precision, 1, 18);
  switch (format) {
    case ffGeneral: return General(value, precision, digits, fs);
    case ffExponent: return Exponent(value, precision, digits, fs);
    default: break;
  }
  if (std::isnan(value) || std::isinf(value)) return SpecialText(detail::ToDecimal(value, 1));
  digits = std::clamp(digits, 0, 18);
  DecimalDigits whole = detail::Digits18(value);
  // More integer digits than the precision: the fixed forms give way to the
  // general one, as the runtime does.
  if (whole.exponent > precision) return General(value, precision, 0, fs);
  DecimalDigits d = detail::RoundDecimals(whole, digits, precision);
  bool negative = d.negative && !IsZero(d);
  char thousands = format == ffFixed ? 0 : fs.ThousandSeparator;
  AnsiString body = FixedBody(d, digits, thousands, fs);
  if (format == ffCurrency) return CurrencyText(body, negative, fs);
  return negative ? "-" + body : body;
}

AnsiString CurrToStr(int64_t scaled, const FormatSettings& fs) {
  // Exact: a currency value can hold 19 digits, more than a float keeps.
  uint64_t u = scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  AnsiString out = scaled < 0 ? "-" : "";
  out += IntToStr(static_cast<int64_t>(u / 10000));
  unsigned frac = static_cast<unsigned>(u % 10000);
  if (frac) {
    AnsiString f = IntToStr(frac);
    f.insert(0, 4 - f.size(), '0');
    while (f.back() == '0') f.pop_back();
    out += fs.DecimalSeparator;
    out += f;
  }
  return out;
}

// ---- FormatFloat ---------------------------------------------------------------

namespace {

struct Sections {
  std::string_view part[3];
  std::size_t count = 0;
  void push_back(std::string_view p) { part[count++] = p; }
  std::size_t size() const { return count; }
  std::string_view operator[](std::size_t i) const { return part[i]; }
};

// Splits at ";" outside quotes, into at most three sections.
Sections SplitSections(std::string_view f) {
  Sections out;
  std::size_t start = 0;
  char quote = 0;
  for (std::size_t i = 0; i < f.size(); ++i) {
    char c = f[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      out.push_back(f.substr(start, i - start));
      start = i + 1;
      if (out.size() == 2) break;
    }
  }
  out.push_back(f.substr(start));
  return out;
}

struct Layout {
  int intPlaceholders = 0;  // 0 and # before the point
  int intZeros = 0;         // placeholders from the first 0 to the point
  int decPlaceholders = 0;
  int decZeros = 0;  // placeholders up to the last 0 after the point
  bool hasPoint = false;
  bool thousands = false;
  bool scientific = false;
  int expDigits = 0;
};

bool IsExponentAt(std::string_view s, std::size_t i) {
  return (s[i] == 'E' || s[i] == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-');
}

Layout Analyse(std::string_view s) {
  Layout l;
  bool firstZeroSeen = false;
  char quote = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '0' || c == '#') {
      if (l.hasPoint) {
        ++l.decPlaceholders;
        if (c == '0') l.decZeros = l.decPlaceholders;
      } else {
        ++l.intPlaceholders;
        if (c == '0') firstZeroSeen = true;
        if (firstZeroSeen) ++l.intZeros;
      }
    } else if (c == '.') {
      l.hasPoint = true;
    } else if (c == ',') {
      l.thousands = true;
    } else if (IsExponentAt(s, i)) {
      l.scientific = true;
      i += 2;
      while (i < s.size() && s[i] == '0') {
        ++l.expDigits;
        ++i;
      }
      --i;
      // Placeholders after the exponent belong to nothing: stop here.
      break;
    }
  }
  return l;
}

// raw: the 18 digits of the value's magnitude.
AnsiString ApplySection(std::string_view s, const Layout& l, const DecimalDigits& raw, long double value,
                        bool withMinus, const FormatSettings& fs) {
  AnsiString intDigits, fracDigits;
  int exponent = 0;
  if (l.scientific) {
    int significant = std::max(1, l.intPlaceholders) + l.decPlaceholders;
    DecimalDigits d = detail::RoundSignificant(raw, std::min(significant, 18));
    int intCount = std::max(1, l.intPlaceholders);
    if (!IsZero(d)) exponent = d.exponent - intCount;
    for (int i = 0; i < intCount; ++i) intDigits += DigitAt(d, i);
    for (int i = 0; i < l.decPlaceholders; ++i) fracDigits += DigitAt(d, intCount + i);
    withMinus = withMinus && !IsZero(d);
  } else {
    DecimalDigits d = detail::RoundDecimals(raw, l.decPlaceholders, 18);
    if (!IsZero(d) && d.exponent > 18) return FloatToStr(withMinus ? -std::fabs(value) : std::fabs(value), fs);
    if (!IsZero(d))
      for (int i = 0; i < d.exponent; ++i) intDigits += DigitAt(d, i);
    int base = IsZero(d) ? 0 : d.exponent;
    for (int i = 0; i < l.decPlaceholders; ++i) fracDigits += DigitAt(d, base + i);
    withMinus = withMinus && !IsZero(d);
  }
  // Leading zeros of the integer part: only as many as the 0 placeholders
  // ask. A mantissa keeps its digits: it always shows one at least.
  if (!l.scientific) {
    std::size_t firstNonZero = intDigits.find_first_not_of('0');
    intDigits.erase(0, firstNonZero == AnsiString::npos ? intDigits.size() : firstNonZero);
    if (static_cast<int>(intDigits.size()) < l.intZeros) intDigits.insert(0, l.intZeros - intDigits.size(), '0');
  }
  // Trailing zeros of the fraction: only as many as the 0 placeholders ask.
  while (static_cast<int>(fracDigits.size()) > l.decZeros && fracDigits.back() == '0') fracDigits.pop_back();

  AnsiString out;
  if (withMinus) out += '-';
  int n = static_cast<int>(intDigits.size());
  int placeholder = 0;  // integer placeholders met so far
  int fracIndex = 0;
  bool afterPoint = false;
  bool intEmitted = l.intPlaceholders > 0 ? false : true;
  auto emitIntDigit = [&](int index) {  // index into intDigits
    out += intDigits[index];
    int rest = n - 1 - index;
    if (l.thousands && fs.ThousandSeparator && rest > 0 && rest % 3 == 0) out += fs.ThousandSeparator;
  };
  auto emitAllIntDigits = [&]() {
    for (int i = 0; i < n; ++i) emitIntDigit(i);
  };
  char quote = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (quote) {
      if (c == quote)
        quote = 0;
      else
        out += c;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '0' || c == '#') {
      if (!afterPoint) {
        int P = l.intPlaceholders;
        if (placeholder == 0 && n > P)
          for (int k = 0; k < n - P; ++k) emitIntDigit(k);
        intEmitted = true;
        int r = P - 1 - placeholder;  // position from the right
        // Placeholders past those the layout counted (after an exponent) show nothing.
        if (r >= 0 && r < n) emitIntDigit(n - 1 - r);
        ++placeholder;
      } else if (fracIndex < static_cast<int>(fracDigits.size())) {
        out += fracDigits[fracIndex++];
      } else {
        ++fracIndex;
      }
    } else if (c == '.') {
      if (afterPoint) continue;
      if (!intEmitted) {
        emitAllIntDigits();
        intEmitted = true;
      }
      afterPoint = true;
      if (!fracDigits.empty()) out += fs.DecimalSeparator;
    } else if (c == ',') {
      // Grouping is switched on by any comma; the comma itself prints nothing.
    } else if (l.scientific && IsExponentAt(s, i)) {
      if (!intEmitted) {
        emitAllIntDigits();
        intEmitted = true;
      }
      out += c;
      if (exponent < 0)
        out += '-';
      else if (s[i + 1] == '+')
        out += '+';
      AnsiString e = IntToStr(std::abs(exponent));
      if (static_cast<int>(e.size()) < l.expDigits) out.append(l.expDigits - e.size(), '0');
      out += e;
      i += 1;
      while (i + 1 < s.size() && s[i + 1] == '0') ++i;
    } else {
      out += c;
    }
  }
  if (!intEmitted) emitAllIntDigits();
  return out;
}

}  // namespace

AnsiString FormatFloat(std::string_view format, long double value, const FormatSettings& fs) {
  if (std::isnan(value) || std::isinf(value)) return FloatToStr(value, fs);
  if (format.empty()) return FloatToStr(value, fs);
  Sections sections = SplitSections(format);
  DecimalDigits raw = detail::Digits18(std::fabs(value));
  // The zero section serves values that round to zero in the first section.
  Layout first = Analyse(sections[0]);
  bool isZero;
  if (first.scientific)
    isZero = value == 0;
  else
    isZero = IsZero(detail::RoundDecimals(raw, first.decPlaceholders, 18));
  if (isZero && sections.size() >= 3 && !sections[2].empty())
    return ApplySection(sections[2], Analyse(sections[2]), DecimalDigits{}, 0, false, fs);
  if (value < 0 && sections.size() >= 2 && !sections[1].empty())
    return ApplySection(sections[1], Analyse(sections[1]), raw, std::fabs(value), false, fs);
  return ApplySection(sections[0], first, raw, std::fabs(value), value < 0, fs);
}

// ---- text to float -------------------------------------------------------------

bool TryStrToFloat(std::string_view s, long double& value, const FormatSettings& fs) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  std::string c;  // the number in C form
  std::size_t i = b;
  if (i < e && (s[i] == '+' || s[i] == '-')) c += s[i++];
  int mantissaDigits = 0;
  while (i < e && s[i] >= '0' && s[i] <= '9') c += s[i++], ++mantissaDigits;
  if (i < e && s[i] == fs.DecimalSeparator) {
    c += '.';
    ++i;
    while (i < e && s[i] >= '0' && s[i] <= '9') c += s[i++], ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  if (i < e && (s[i] == 'e' || s[i] == 'E')) {
    c += 'e';
    ++i;
    if (i < e && (s[i] == '+' || s[i] == '-')) c += s[i++];
    int expDigits = 0;
    while (i < e && s[i] >= '0' && s[i] <= '9') c += s[i++], ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != e) return false;
  char* end = nullptr;
  long double v = std::strtold(c.c_str(), &end);
  if (end != c.c_str() + c.size()) return false;
  // Beyond the range of a double is not a number the runtime can hold.
  if (!std::isfinite(v) || std::fabs(v) > 1.7976931348623157e308L) return false;
  value = v;
  return true;
}

bool TryStrToFloat(std::string_view s, double& value, const FormatSettings& fs) {
  long double v;
  if (!TryStrToFloat(s, v, fs)) return false;
  value = static_cast<double>(v);
  return true;
}

long double StrToFloat(std::string_view s, const FormatSettings& fs) {
  long double v;
  if (!TryStrToFloat(s, v, fs)) throw EConvertError("'" + AnsiString(s) + "' is not a valid floating point value");
  return v;
}

long double StrToFloatDef(std::string_view s, long double def, const FormatSettings& fs) {
  long double v;
  return TryStrToFloat(s, v, fs) ? v : def;
}

// ---- booleans ------------------------------------------------------------------

AnsiString BoolToStr(bool value, bool useBoolStrs) {
  if (useBoolStrs) return value ? "True" : "False";
  return value ? "-1" : "0";
}

bool TryStrToBool(std::string_view s, bool& value) {
  auto lower = [](std::string_view t) {
    AnsiString r(t);
    for (char& ch : r)
      if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return r;
  };
  AnsiString l = lower(s);
  if (l == "true") return value = true, true;
  if (l == "false") return value = false, true;
  long double f;
  if (TryStrToFloat(s, f)) return value = f != 0, true;
  return false;
}

bool StrToBool(std::string_view s) {
  bool v;
  if (!TryStrToBool(s, v)) throw EConvertError("'" + AnsiString(s) + "' is not a valid boolean value");
  return v;
}

// ---- rounding ------------------------------------------------------------------

namespace {

int64_t ToInt64Checked(long double r) {
  if (!(r >= -9223372036854775808.0L && r < 9223372036854775808.0L))
    throw EInvalidOp("Invalid floating point operation");
  return static_cast<int64_t>(r);
}

}  // namespace

int64_t Round(long double value) { return ToInt64Checked(std::nearbyintl(value)); }

int64_t Trunc(long double value) { return ToInt64Checked(std::truncl(value)); }

long double Int(long double value) { return std::truncl(value); }

long double Frac(long double value) {
  if (std::isinf(value)) return std::numeric_limits<long double>::quiet_NaN();
  return value - std::truncl(value);
}

}  // namespace rtl
