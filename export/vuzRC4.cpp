#include "export/vuzRC4.h"

#include <cstring>

namespace report {

void TfrxRC4::Start(const void* key, int length) {
  if (length < 1 || length > 256) return;
  cipher_.Init(key, length);
  keyed_ = true;
}

void TfrxRC4::Crypt(const void* source, void* destination, std::size_t count) {
  if (source != destination) std::memmove(destination, source, count);
  if (!keyed_) return;  // an unkeyed cipher passes the bytes through
  cipher_.RestartIndexes();
  cipher_.Encrypt(destination, static_cast<std::int64_t>(count));
}

std::string RC4Crypt(std::string_view key, std::string bytes) {
  TfrxRC4 rc4;
  rc4.Start(key.data(), static_cast<int>(key.size()));
  rc4.Crypt(bytes.data(), bytes.data(), bytes.size());
  return bytes;
}

}  // namespace report
