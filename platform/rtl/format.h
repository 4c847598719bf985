// Number texts: integer and float conversion both ways, the float formats
// (general, exponent, fixed, number, currency), section formats (FormatFloat)
// and Format with its argument check. Every routine reads the decimal and
// thousand separators, currency string and so on from the FormatSettings it is
// given, by default the process-wide ones. Format strings are parsed here and
// never reach printf, so a template or file can hold any text.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "platform/rtl/format_settings.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/textcase.h"

namespace rtl {

class Variant;

// The float formats of FloatToStrF.
enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// ---- integers --------------------------------------------------------------

// IntToStr and IntToHex (64-bit two's complement) come from textcase.h.
// Upper-case hexadecimal of the 32-bit two's complement, at least `digits` digits.
AnsiString IntToHex32(int32_t value, int digits);

// Decimal with an optional sign, or "$"/"0x" and hexadecimal digits; leading
// blanks are skipped, nothing may follow. Hexadecimal texts may fill the whole
// unsigned width (so $FFFFFFFF is -1). Errors: "'%s' is not a valid integer value".
int32_t StrToInt(std::string_view s);
int64_t StrToInt64(std::string_view s);
int32_t StrToIntDef(std::string_view s, int32_t def);
int64_t StrToInt64Def(std::string_view s, int64_t def);
bool TryStrToInt(std::string_view s, int32_t& value);
bool TryStrToInt64(std::string_view s, int64_t& value);

// ---- floats ----------------------------------------------------------------

// General format with 15 significant digits: "0,1", "1E20", "1,5E-7",
// "INF", "-INF", "NAN".
AnsiString FloatToStr(long double value, const FormatSettings& fs = CurrentFormatSettings());
// precision: significant digits (1..18); digits: decimals for ffFixed,
// ffNumber and ffCurrency, the least exponent digits (0..4) for ffGeneral
// and ffExponent.
AnsiString FloatToStrF(long double value, TFloatFormat format, int precision, int digits,
                       const FormatSettings& fs = CurrentFormatSettings());
// Section format: "0.00", "#,##0.0", "0.00E+00", "pos;neg;zero", quoted
// literals. An empty format gives FloatToStr. Halves round away from zero.
AnsiString FormatFloat(std::string_view format, long double value, const FormatSettings& fs = CurrentFormatSettings());

// Optional sign, digits with at most one DecimalSeparator, optional exponent;
// surrounding blanks are ignored. No thousand separators, no INF/NAN; a value
// beyond the range of a double fails.
// Errors: "'%s' is not a valid floating point value".
long double StrToFloat(std::string_view s, const FormatSettings& fs = CurrentFormatSettings());
long double StrToFloatDef(std::string_view s, long double def, const FormatSettings& fs = CurrentFormatSettings());
bool TryStrToFloat(std::string_view s, long double& value, const FormatSettings& fs = CurrentFormatSettings());
bool TryStrToFloat(std::string_view s, double& value, const FormatSettings& fs = CurrentFormatSettings());

// Currency: a 64-bit integer of ten-thousandths.
AnsiString CurrToStr(int64_t scaledCurrency, const FormatSettings& fs = CurrentFormatSettings());

// Boolean texts: "-1"/"0", or "True"/"False" with useBoolStrs.
AnsiString BoolToStr(bool value, bool useBoolStrs = false);
// "True"/"False" in any case, or a number (non-zero is true).
// Errors: "'%s' is not a valid boolean value".
bool StrToBool(std::string_view s);
bool TryStrToBool(std::string_view s, bool& value);

// ---- rounding --------------------------------------------------------------

// Nearest integer, halves to the even neighbour. A NaN, an infinity or a value
// outside Int64 raises EInvalidOp.
int64_t Round(long double value);
// Toward zero; the same errors as Round.
int64_t Trunc(long double value);
long double Int(long double value);   // integer part, as a float
long double Frac(long double value);  // value - Int(value)

// ---- Format ----------------------------------------------------------------

// Format("%s has %d points", {name, count}). Specifiers: %[index:][-][width]
// [.precision]type with type d u x e f g n m p s, "*" for a width or precision
// taken from the arguments, "%%" for a percent sign. Integer types need an
// integer argument, float types a float, currency or date, %s a string; a
// mismatch raises EConvertError "Format '%s' invalid or incompatible with
// argument", a missing argument "No argument for format '%s'".
AnsiString Format(std::string_view format, std::span<const Variant> args,
                  const FormatSettings& fs = CurrentFormatSettings());
AnsiString Format(std::string_view format, std::initializer_list<Variant> args,
                  const FormatSettings& fs = CurrentFormatSettings());

// ---- edit masks ------------------------------------------------------------

// The value laid into an edit mask "mask;save-literals;blank". Mask
// characters: L l A a C c 0 9 # take one character of the value each
// (upper-case ones are required, which only matters when typing), ">" and "<"
// switch to upper and lower case, "<>" back to as-is, "!" fills from the
// right, "\x" is the literal x, ":" and "/" are the time and date separators,
// "_" is a blank; everything else is a literal. With save-literals "0" the
// value holds only the typed characters and the literals are put in; otherwise
// the value already holds them where the mask has them. Missing characters
// become blanks, characters beyond the mask are kept at the end.
AnsiString FormatMaskText(std::string_view editMask, std::string_view value,
                          const FormatSettings& fs = CurrentFormatSettings());

namespace detail {

// A float as decimal digits: value = 0.d1d2...dn x 10^exponent, no trailing
// zeros (an empty digit string is zero). The digits are those of the value
// rounded to 18 significant digits, then rounded half away from zero to what
// the caller asks for.
struct DecimalDigits {
  bool negative = false;
  bool isNan = false;
  bool isInf = false;
  int exponent = 0;
  int count = 0;
  char digits[20] = {};
};

// The value's 18 correctly rounded significant digits.
DecimalDigits Digits18(long double value);
// Rounds to `significant` digits (1..18).
DecimalDigits RoundSignificant(DecimalDigits digits, int significant);
// Rounds to `decimals` digits after the point, keeping at most `significant`.
DecimalDigits RoundDecimals(DecimalDigits digits, int decimals, int significant);
DecimalDigits ToDecimal(long double value, int significant);
// Rounds to `decimals` digits after the point, keeping at most `significant`.
DecimalDigits ToDecimalFixed(long double value, int decimals, int significant = 18);

}  // namespace detail

}  // namespace rtl
