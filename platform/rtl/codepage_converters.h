// Conversions for the code pages that have no table of their own in the
// runtime: the other Windows single-byte pages and the East Asian double-byte
// pages, done by the C library's converters.
#pragma once
#include <string>
#include <string_view>

namespace rtl::detail {

// True for the pages these converters know.
bool HasConverter(unsigned codePage);

// Bytes -> UTF-16. Invalid or truncated sequences become U+FFFD.
// Throws EConvertError for a code page the runtime does not know.
std::u16string ConvertToWide(std::string_view s, unsigned codePage);

// UTF-16 -> bytes. Characters the page lacks become '?'.
// Throws EConvertError for a code page the runtime does not know.
std::string ConvertFromWide(std::u16string_view s, unsigned codePage);

}  // namespace rtl::detail
