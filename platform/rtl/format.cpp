// Format: our own parser of %-specifiers, checked against the arguments. A
// format string may come from a template or a file, so nothing here hands it
// to the C library.
#include "platform/rtl/format.h"

#include <algorithm>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/variant.h"

namespace rtl {

namespace {

class Formatter {
 public:
  Formatter(std::string_view format, std::span<const Variant> args, const FormatSettings& fs)
      : f_(format), args_(args), fs_(fs) {}

  AnsiString Run() {
    AnsiString out;
    out.reserve(f_.size() + 16);
    for (std::size_t i = 0; i < f_.size(); ++i) {
      char c = f_[i];
      if (c != '%') {
        out += c;
        continue;
      }
      ++i;
      if (i >= f_.size()) Invalid();
      if (f_[i] == '%') {
        out += '%';
        continue;
      }
      i = Specifier(i, out);
    }
    return out;
  }

 private:
  [[noreturn]] void Invalid() const {
    throw EConvertError("Format '" + AnsiString(f_) + "' invalid or incompatible with argument");
  }

  const Variant& NextArg() {
    if (next_ >= args_.size()) throw EConvertError("No argument for format '" + AnsiString(f_) + "'");
    return args_[next_++];
  }

  // A number of the specifier, or "*" taking an integer argument; -1 when absent.
  // Both are capped alike: a width or precision from an argument is as
  // untrusted as one written in the format.
  int64_t Number(std::size_t& i) {
    if (i < f_.size() && f_[i] == '*') {
      ++i;
      const Variant& a = NextArg();
      if (!a.IsOrdinal()) Invalid();
      return std::min<int64_t>(a.RawInt(), kMaxNumber);
    }
    if (i >= f_.size() || f_[i] < '0' || f_[i] > '9') return -1;
    int64_t n = 0;
    while (i < f_.size() && f_[i] >= '0' && f_[i] <= '9') {
      n = std::min<int64_t>(n * 10 + (f_[i] - '0'), kMaxNumber);
      ++i;
    }
    return n;
  }

  static constexpr int64_t kMaxNumber = 1 << 20;

  std::size_t Specifier(std::size_t i, AnsiString& out) {
    // %[index:][-][width][.precision]type
    std::size_t digitsEnd = i;
    while (digitsEnd < f_.size() && f_[digitsEnd] >= '0' && f_[digitsEnd] <= '9') ++digitsEnd;
    if (digitsEnd > i && digitsEnd < f_.size() && f_[digitsEnd] == ':') {
      next_ = static_cast<std::size_t>(Number(i));
      ++i;
    }
    bool left = false;
    if (i < f_.size() && f_[i] == '-') {
      left = true;
      ++i;
    }
    int64_t width = Number(i);
    int64_t precision = -1;
    if (i < f_.size() && f_[i] == '.') {
      ++i;
      precision = Number(i);
      if (precision < 0) precision = 0;
    }
    if (i >= f_.size()) Invalid();
    char type = f_[i];
    if (type >= 'A' && type <= 'Z') type = static_cast<char>(type - 'A' + 'a');
    AnsiString text = Convert(type, precision);
    if (width > 0 && static_cast<int64_t>(text.size()) < width) {
      std::size_t pad = static_cast<std::size_t>(width) - text.size();
      if (left)
        text.append(pad, ' ');
      else
        text.insert(0, pad, ' ');
    }
    out += text;
    return i;
  }

  AnsiString Convert(char type, int64_t precision) {
    switch (type) {
      case 'd': {
        const Variant& a = NextArg();
        if (!a.IsOrdinal()) Invalid();
        int64_t v = a.RawInt();
        AnsiString digits = IntToStr(v < 0 ? 0 : v);
        if (v < 0) digits = v == INT64_MIN ? AnsiString("9223372036854775808") : IntToStr(-v);
        if (precision > static_cast<int64_t>(digits.size())) digits.insert(0, precision - digits.size(), '0');
        return v < 0 ? "-" + digits : digits;
      }
      case 'u':
      case 'x':
      case 'p': {
        const Variant& a = NextArg();
        if (!a.IsOrdinal()) Invalid();
        bool wide = a.RawType() == varInt64;
        uint64_t u = wide ? static_cast<uint64_t>(a.RawInt()) : static_cast<uint32_t>(a.RawInt());
        AnsiString digits;
        if (type == 'u') {
          digits = u > static_cast<uint64_t>(INT64_MAX) ? UnsignedToStr(u) : IntToStr(static_cast<int64_t>(u));
        } else {
          digits = IntToHex(static_cast<int64_t>(u), type == 'p' ? 8 : 0);
        }
        if (precision > static_cast<int64_t>(digits.size())) digits.insert(0, precision - digits.size(), '0');
        return digits;
      }
      case 'e':
      case 'f':
      case 'g':
      case 'n':
      case 'm': {
        const Variant& a = NextArg();
        if (!a.IsFloat()) Invalid();
        long double v = a.RawType() == varCurrency ? a.RawCurrency() / 10000.0L : a.AsExtended();
        int p = precision < 0 ? -1 : static_cast<int>(std::min<int64_t>(precision, 18));
        switch (type) {
          case 'e': return FloatToStrF(v, ffExponent, p < 0 ? 15 : p, 3, fs_);
          case 'f': return FloatToStrF(v, ffFixed, 18, p < 0 ? 2 : p, fs_);
          case 'g': return FloatToStrF(v, ffGeneral, p < 0 ? 15 : p, 3, fs_);
          case 'n': return FloatToStrF(v, ffNumber, 18, p < 0 ? 2 : p, fs_);
          default: return FloatToStrF(v, ffCurrency, 18, p < 0 ? fs_.CurrencyDecimals : p, fs_);
        }
      }
      case 's': {
        const Variant& a = NextArg();
        if (!a.IsString()) Invalid();
        AnsiString s = a.AsString();
        if (precision >= 0 && static_cast<int64_t>(s.size()) > precision) s.resize(precision);
        return s;
      }
      default: Invalid();
    }
  }

  // Decimal text of an unsigned 64-bit value above INT64_MAX.
  static AnsiString UnsignedToStr(uint64_t u) {
    AnsiString s;
    do {
      s.insert(s.begin(), static_cast<char>('0' + u % 10));
      u /= 10;
    } while (u);
    return s;
  }

  std::string_view f_;
  std::span<const Variant> args_;
  const FormatSettings& fs_;
  std::size_t next_ = 0;
};

}  // namespace

AnsiString Format(std::string_view format, std::span<const Variant> args, const FormatSettings& fs) {
  return Formatter(format, args, fs).Run();
}

AnsiString Format(std::string_view format, std::initializer_list<Variant> args, const FormatSettings& fs) {
  return Formatter(format, std::span<const Variant>(args.begin(), args.size()), fs).Run();
}

}  // namespace rtl
