// Any input: inflating it as a zlib stream, through the decompression stream
// or as a gzip member, succeeds or raises EZDecompressionError; nothing else
// escapes, and nothing hangs.
#include <cstddef>
#include <cstdint>
#include <string>

#include "report/vuzGZip.h"
#include "report/vuzZLib.h"

using namespace report;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::string whole;
  bool wholeFailed = false;
  try {
    whole = ZDecompress(input);
  } catch (const EZDecompressionError&) {
    wholeFailed = true;
  }
  {
    rtl::TMemoryStream source(input);
    TZDecompressionStream z(source);
    std::string streamed;
    try {
      char buf[777];
      std::int64_t n;
      while ((n = z.Read(buf, sizeof buf)) > 0) streamed.append(buf, static_cast<std::size_t>(n));
      // Both ways agree on what the data holds.
      if (!wholeFailed && streamed != whole) __builtin_trap();
      z.Seek(0, rtl::soBeginning);
      z.Seek(0, rtl::soEnd);
    } catch (const EZDecompressionError&) {
    }
  }
  {
    rtl::TMemoryStream source(input), dest;
    try {
      vuzDecompressStream(source, dest);
    } catch (const EZDecompressionError&) {
    }
  }
  return 0;
}
