#include "app/FileBytes.h"

#include <cstdint>
#include <exception>

#include "platform/rtl/streams.h"

namespace app {

bool ReadFilePrefix(const rtl::AnsiString& path, std::size_t count, std::string& bytes) {
  try {
    rtl::TFileStream f(path, rtl::fmOpenRead | rtl::fmShareDenyNone);
    bytes.resize(count);
    bytes.resize(static_cast<std::size_t>(f.Read(bytes.data(), static_cast<std::int64_t>(count))));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace app
