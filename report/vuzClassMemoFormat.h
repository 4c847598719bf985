// The text object's value formatting and expression filling, as plain
// functions: the display formats (text, number, date, Boolean), the inline
// format of a bracketed expression ("[Total #n%2,2f]"), hiding zeros, the
// scan that replaces every bracketed expression of a text, and the page-total
// and copy-name placeholders filled at draw time.
//
// Formatting goes through the runtime's one formatting library: a template's
// format string is parsed there and never reaches printf, and a value that
// does not fit its format falls back to its plain text.
#pragma once
#include <functional>
#include <vector>

#include "platform/rtl/strings.h"
#include "platform/rtl/variant.h"

namespace report {

using rtl::AnsiString;
using rtl::WideString;

// What a display format holds (the four published values of TfrxFormat).
// Kind is the ordinal of TfrxFormatKind: 0 text, 1 numeric, 2 date and time,
// 3 Boolean.
struct TfrxValueFormat {
  int Kind = 0;
  AnsiString DecimalSeparator;
  AnsiString ThousandSeparator;
  AnsiString FormatStr;
};
inline constexpr int kFormatText = 0;
inline constexpr int kFormatNumeric = 1;
inline constexpr int kFormatDateTime = 2;
inline constexpr int kFormatBoolean = 3;

// How 8-bit text in values is read: through the code page of a font's
// character set, or (DEFAULT_CHARSET, 1) not converted at all, the value's
// own wide text being taken.
inline constexpr int kNoConversion = 1;

// The value's plain text: empty for Null, else its text (narrowed and widened
// through the character set's code page when one is given).
WideString vuzValueText(const rtl::Variant& value, int charset);

// The value formatted by the format; a value the format cannot take (a text
// for a number format, a mismatching Format specifier) gives its plain text.
WideString vuzFormatValue(const rtl::Variant& value, const TfrxValueFormat& format, int charset);

// Splits "expression #format" when the text after the first " #" holds no
// ")" (so a call such as "F(a #b)" stays whole). Answers false, leaving the
// outputs alone, when there is no inline format.
bool vuzSplitInlineFormat(const WideString& text, WideString& expression, TfrxValueFormat& format);

// HideZeros: a value that is not a string and equals 0.
bool vuzIsHiddenZero(const rtl::Variant& value);

// The opening and closing delimiters of "open,close" (ExpressionDelimiters).
void vuzSplitDelimiters(const WideString& delimiters, WideString& open, WideString& close);

// A text cut at its bracketed expressions: each piece of plain text with the
// expression that follows it, then the plain text after the last one. A
// memo keeps its text cut while the text stays the same, since it is filled
// again for every row.
struct TfrxExpressionParts {
  struct Part {
    WideString text;        // the plain text before the expression
    WideString expression;  // what stands between the delimiters
  };
  std::vector<Part> parts;
  WideString tail;
};

// Cuts the text the way vuzExpandExpressions reads it. Answers whether the
// text contains the opening delimiter at all (without it, nothing is cut).
bool vuzSplitExpressions(const WideString& text, const WideString& open, const WideString& close,
                         TfrxExpressionParts& out);

// Replaces every bracketed expression of the text (nesting-aware, delimiters
// inside quoted strings ignored) by what `evaluate` makes of it, scanning on
// right after each inserted text, so a value that itself holds brackets is
// not evaluated again. An opening delimiter that is never closed is left as
// text. Answers whether the text contains the opening delimiter at all.
bool vuzExpandExpressions(WideString& text, const WideString& open, const WideString& close,
                          const std::function<WideString(const WideString&)>& evaluate);

// The placeholders that CalcAndFormat leaves for draw time.
inline constexpr char16_t kTotalPagesMacro[] = u"[TotalPages#]";
inline constexpr char16_t kCopyNameMacro[] = u"[CopyName#]";

// Replaces every "[TOTALPAGES#]" (any case) by pageTotal and every
// "[COPYNAME#]" by copyName. Answers whether anything was replaced.
bool vuzReplaceMacros(WideString& text, int pageTotal, const WideString& copyName);

// GetComponentText's one replacement: the first "[TOTALPAGES]" (any case).
void vuzReplaceFirstTotalPages(AnsiString& text, int pageTotal);

}  // namespace report
