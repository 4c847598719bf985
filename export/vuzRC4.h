// RC4 for the PDF export's security handler: a thin front over the hash and
// cipher toolkit's RC4. Every Crypt starts the key stream's indexes at 0;
// the permutation carries over, so each use here is one Start and one Crypt.
#pragma once
#include <cstddef>
#include <string>

#include "export/vuzCrypto.h"

namespace report {

class TfrxRC4 {
 public:
  // A key of 1 to 256 bytes keys the cipher; any other length leaves it as it was.
  void Start(const void* key, int length);
  // Source and destination may be the same.
  void Crypt(const void* source, void* destination, std::size_t count);

 private:
  TCryptoRC4 cipher_;
  bool keyed_ = false;
};

// One key, one pass: the bytes enciphered with RC4 under the key.
std::string RC4Crypt(std::string_view key, std::string bytes);

}  // namespace report
