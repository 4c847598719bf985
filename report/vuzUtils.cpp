#include "report/vuzUtils.h"

#include <zlib.h>

namespace report {

rtl::AnsiString vuzStreamToString(rtl::TStream& stream) {
  static const char kHex[] = "0123456789ABCDEF";
  stream.SetPosition(0);
  const std::string bytes = stream.ReadRest();
  rtl::AnsiString out;
  out.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) {
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 15]);
  }
  return out;
}

namespace {
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;  // a character that is not a hex digit counts as 0
}
}  // namespace

void vuzStringToStream(const rtl::AnsiString& text, rtl::TStream& stream) {
  std::string bytes(text.size() / 2, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>(HexValue(text[2 * i]) * 16 + HexValue(text[2 * i + 1]));
  stream.SetPosition(0);
  stream.WriteString(bytes);
  // A reused stream must not keep stale bytes after what was written.
  if (stream.Size() > static_cast<std::int64_t>(bytes.size())) stream.SetSize(static_cast<std::int64_t>(bytes.size()));
}

std::uint32_t vuzStreamCRC32(rtl::TStream& stream) {
  const std::int64_t pos = stream.Position();
  stream.SetPosition(0);
  uLong crc = crc32(0, nullptr, 0);
  static thread_local char buf[1 << 16];
  for (;;) {
    const std::int64_t n = stream.Read(buf, sizeof buf);
    if (n <= 0) break;
    crc = crc32(crc, reinterpret_cast<const Bytef*>(buf), static_cast<uInt>(n));
  }
  stream.SetPosition(pos);
  return static_cast<std::uint32_t>(crc);
}

}  // namespace report
