#include "report/vuzClassMemoFormat.h"

#include <exception>

#include "platform/rtl/datetime.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"
#include "report/vuzUnicodeUtils.h"
#include "report/vuzUtils.h"

namespace report {

namespace {

// 8-bit results of the formatting library back to wide text.
WideString Widen(const AnsiString& s, int charset) {
  return charset == kNoConversion ? rtl::AnsiToWide(s) : AnsiToUnicode(s, charset);
}

// The conversion character of the first argument specifier of a Format
// string ("%-8.2f" gives 'f'), 0 when it has none.
char FirstSpecifierType(const AnsiString& format) {
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (i + 1 < format.size() && format[i + 1] == '%') {
      ++i;
      continue;
    }
    for (std::size_t k = i + 1; k < format.size(); ++k) {
      const char c = format[k];
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return static_cast<char>(c | 0x20);
      if (!((c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':' || c == '*')) return 0;
    }
    return 0;
  }
  return 0;
}

AnsiString FormatNumber(const rtl::Variant& value, const TfrxValueFormat& format) {
  const AnsiString& f = format.FormatStr;
  AnsiString s;
  if (f.find('#') != AnsiString::npos || (!f.empty() && f[0] == '0')) {
    s = rtl::FormatFloat(f, value.AsExtended());
  } else {
    // The argument's type follows the specifier, so "%.2f units" is a float
    // format and "%x" an integer one; a mismatch still raises and falls back.
    const char type = FirstSpecifierType(f);
    const bool integer = type == 'd' || type == 'u' || type == 'x';
    s = integer ? rtl::Format(f, {rtl::Variant(value.AsInt64())})
                : rtl::Format(f, {rtl::Variant::FromExtended(value.AsExtended())});
  }
  const rtl::FormatSettings& fs = rtl::CurrentFormatSettings();
  std::size_t decimalAt = AnsiString::npos;
  if (format.DecimalSeparator.size() == 1 && format.DecimalSeparator[0] != fs.DecimalSeparator)
    decimalAt = s.rfind(fs.DecimalSeparator);
  if (format.ThousandSeparator.size() == 1 && format.ThousandSeparator[0] != fs.ThousandSeparator)
    for (char& c : s)
      if (c == fs.ThousandSeparator) c = format.ThousandSeparator[0];
  if (decimalAt != AnsiString::npos) s[decimalAt] = format.DecimalSeparator[0];
  return s;
}

AnsiString FormatBoolean(const rtl::Variant& value, const TfrxValueFormat& format) {
  const AnsiString& f = format.FormatStr;
  const std::size_t comma = f.find(',');
  if (value == rtl::Variant(true)) return comma == AnsiString::npos ? AnsiString() : f.substr(0, comma);
  return comma == AnsiString::npos ? f.substr(0, 255) : f.substr(comma + 1, 255);
}

bool StartsAt(const WideString& text, std::size_t at, const WideString& what) {
  return !what.empty() && text.compare(at, what.size(), what) == 0;
}

char16_t UpperAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

// The first place at or after `from` where `what` (upper-case ASCII) stands,
// compared without regard to ASCII case.
std::size_t FindNoCase(const WideString& text, std::u16string_view what, std::size_t from) {
  if (what.size() > text.size()) return WideString::npos;
  for (std::size_t i = from; i + what.size() <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < what.size() && UpperAscii(text[i + k]) == what[k]) ++k;
    if (k == what.size()) return i;
  }
  return WideString::npos;
}

}  // namespace

WideString vuzValueText(const rtl::Variant& value, int charset) {
  if (value.IsNull() || value.IsEmpty()) return WideString();
  // Only 8-bit text is in the font's code page; wide text is taken as it is
  // (narrowing it through the system page first would garble it).
  if (charset == kNoConversion || value.RawType() != rtl::varString) return rtl::VarToWideStr(value);
  return AnsiToUnicode(value.StringRef(), charset);
}

WideString vuzFormatValue(const rtl::Variant& value, const TfrxValueFormat& format, int charset) {
  if (value.IsNull()) return WideString();
  try {
    switch (format.Kind) {
      case kFormatNumeric: return Widen(FormatNumber(value, format), charset);
      case kFormatDateTime: return Widen(rtl::FormatDateTime(format.FormatStr, value.AsDate()), charset);
      case kFormatBoolean: return Widen(FormatBoolean(value, format), charset);
      default: break;
    }
  } catch (const std::exception&) {
    // A value that does not fit its format prints as it is.
  }
  return vuzValueText(value, charset);
}

bool vuzSplitInlineFormat(const WideString& text, WideString& expression, TfrxValueFormat& format) {
  const std::size_t at = text.find(u" #");
  if (at == WideString::npos) return false;
  WideString tail = text.substr(at + 2);
  if (tail.find(u')') != WideString::npos) return false;
  expression = text.substr(0, at);
  format = TfrxValueFormat();
  const char16_t first = tail.empty() ? 0 : tail[0];
  // The format text is 8-bit, as every stored format is.
  AnsiString f = rtl::WideToAnsi(tail.empty() ? WideString() : tail.substr(1, 255));
  switch (first) {
    case u'B':
    case u'b': format.Kind = kFormatBoolean; break;
    case u'D':
    case u'd':
    case u'T':
    case u't': format.Kind = kFormatDateTime; break;
    case u'N':
    case u'n':
      format.Kind = kFormatNumeric;
      // "%2,2f" means two decimals shown with a comma.
      for (char& c : f)
        if (c == ',' || c == '-' || c == '.') {
          format.DecimalSeparator = AnsiString(1, c);
          c = '.';
        }
      break;
    default: break;
  }
  format.FormatStr = f;
  return true;
}

bool vuzIsHiddenZero(const rtl::Variant& value) {
  if (value.IsString() || value.IsNull()) return false;
  try {
    return value == rtl::Variant(0);
  } catch (const std::exception&) {
    return false;
  }
}

void vuzSplitDelimiters(const WideString& delimiters, WideString& open, WideString& close) {
  const std::size_t comma = delimiters.find(u',');
  if (comma == WideString::npos) {
    // No comma: no opening delimiter, so nothing is ever taken for an expression.
    open.clear();
    close = delimiters.substr(0, 255);
    return;
  }
  open = delimiters.substr(0, comma);
  close = delimiters.substr(comma + 1, 255);
}

bool vuzSplitExpressions(const WideString& text, const WideString& open, const WideString& close,
                         TfrxExpressionParts& out) {
  out.parts.clear();
  out.tail.clear();
  if (open.empty() || close.empty() || text.find(open) == WideString::npos) return false;
  // The scan only ever looks at the text from an opening delimiter on, so
  // cutting the text as it stands reads it as filling it in place would.
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = text.find(open, from);
    if (at == WideString::npos) break;
    int i = static_cast<int>(at) + 1;
    int j = i;
    WideString expression = vuzGetBrackedVariableW(text, open, close, i, j);
    if (i == j) break;
    // The scan answers the rest of the text for an opening delimiter that is
    // never closed: such a text prints as it is.
    const std::size_t closeAt = static_cast<std::size_t>(j) - close.size();
    if (static_cast<std::size_t>(j) < close.size() || !StartsAt(text, closeAt, close)) break;
    const auto start = static_cast<std::size_t>(i - 1);
    out.parts.push_back({text.substr(from, start - from), std::move(expression)});
    from = static_cast<std::size_t>(j);
  }
  out.tail = text.substr(from);
  return true;
}

bool vuzExpandExpressions(WideString& text, const WideString& open, const WideString& close,
                          const std::function<WideString(const WideString&)>& evaluate) {
  TfrxExpressionParts cut;
  if (!vuzSplitExpressions(text, open, close, cut)) return false;
  if (cut.parts.empty()) return true;
  WideString filled;
  for (const TfrxExpressionParts::Part& part : cut.parts) {
    filled += part.text;
    filled += evaluate(part.expression);
  }
  filled += cut.tail;
  text = std::move(filled);
  return true;
}

bool vuzReplaceMacros(WideString& text, int pageTotal, const WideString& copyName) {
  bool changed = false;
  auto replaceAll = [&](std::u16string_view pattern, const WideString& by) {
    std::size_t at = 0;
    while ((at = FindNoCase(text, pattern, at)) != WideString::npos) {
      text.replace(at, pattern.size(), by);
      at += by.size();
      changed = true;
    }
  };
  replaceAll(u"[TOTALPAGES#]", rtl::AnsiToWide(rtl::IntToStr(pageTotal)));
  replaceAll(u"[COPYNAME#]", copyName);
  return changed;
}

void vuzReplaceFirstTotalPages(AnsiString& text, int pageTotal) {
  const AnsiString upper = rtl::UpperCase(text);
  const std::size_t at = upper.find("[TOTALPAGES]");
  if (at != AnsiString::npos) text.replace(at, 12, rtl::IntToStr(pageTotal));
}

}  // namespace report
