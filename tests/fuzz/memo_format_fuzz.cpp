// Any input, read as a memo text (its first line a display format): every
// bracketed expression is found and replaced (never re-scanned), every value
// formats through the runtime's formatter or falls back to its plain text,
// and the placeholders fill in; nothing else escapes and nothing hangs.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/rtl/strings.h"
#include "platform/rtl/variant.h"
#include "report/vuzClassMemoFormat.h"

using namespace report;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t eol = input.find('\n');
  const std::string head = input.substr(0, eol);
  const rtl::WideString text = rtl::AnsiToWide(eol == std::string::npos ? std::string() : input.substr(eol + 1));

  TfrxValueFormat format;
  format.Kind = head.empty() ? 0 : static_cast<unsigned char>(head[0]) % 4;
  format.FormatStr = head.size() > 1 ? head.substr(1) : std::string();
  format.DecimalSeparator.assign(1, ',');
  const rtl::Variant values[] = {rtl::Variant(3.14159),          rtl::Variant(-42), rtl::Variant(true),
                                 rtl::Variant("текст"),          rtl::Variant(0.0), rtl::Variant::Null(),
                                 rtl::Variant::FromDate(45000.5)};
  for (const rtl::Variant& v : values) {
    (void)vuzFormatValue(v, format, kNoConversion);
    (void)vuzFormatValue(v, format, 0);
  }

  rtl::WideString scanned = text;
  std::size_t calls = 0;
  vuzExpandExpressions(scanned, u"[", u"]", [&](const rtl::WideString& expression) {
    ++calls;
    rtl::WideString e;
    TfrxValueFormat inlineFormat;
    if (vuzSplitInlineFormat(expression, e, inlineFormat)) return vuzFormatValue(rtl::Variant(7.5), inlineFormat, 1);
    return rtl::WideString(u"[v]");
  });
  // Each expression takes at least its two delimiters.
  if (calls > text.size() / 2) throw std::logic_error("an expression was scanned twice");
  vuzReplaceMacros(scanned, 12, u"[CopyName#]");
  return 0;
}
