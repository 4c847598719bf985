#include <cstdlib>

#include "platform/serial/backends_p.h"

namespace serial::detail {

std::unique_ptr<Backend> OpenBackend(const std::string& target) {
  if (target.rfind("virtual:", 0) == 0) return OpenVirtualBackend(target.substr(8));
  if (target.rfind("rfc2217://", 0) == 0) {
    std::string rest = target.substr(10);
    while (!rest.empty() && rest.back() == '/') rest.pop_back();
    auto colon = rest.rfind(':');
    if (colon == std::string::npos || colon == 0) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return nullptr;
    }
    std::string host = rest.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    char* end = nullptr;
    long port = std::strtol(rest.c_str() + colon + 1, &end, 10);
    if (*end || port <= 0 || port > 65535) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return nullptr;
    }
    return OpenRfc2217Backend(host, static_cast<int>(port));
  }
  if (!target.empty() && target[0] == '/') return OpenTtyBackend(target);
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

}  // namespace serial::detail
