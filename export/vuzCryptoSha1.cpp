// SHA-1 (FIPS 180) on the chunked hash framework.
#include "export/vuzCrypto.h"

namespace report {

TCryptoSHA1::TCryptoSHA1() : TCryptoHash(64) { TCryptoSHA1::Reset(); }

void TCryptoSHA1::Reset() {
  TCryptoHash::Reset();
  HashWords = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
}

void TCryptoSHA1::Process(const std::uint8_t* block) {
  std::uint32_t w[80];
  for (int t = 0; t < 16; ++t) w[t] = vuzCryptoSwap32(vuzCryptoReadUInt(block, 4 * t, 4));
  for (int t = 16; t < 80; ++t) w[t] = vuzCryptoRotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
  std::uint32_t a = HashWords[0], b = HashWords[1], c = HashWords[2], d = HashWords[3], e = HashWords[4];
  for (int t = 0; t < 80; ++t) {
    std::uint32_t f, k;
    if (t < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999u;
    } else if (t < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1u;
    } else if (t < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDCu;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6u;
    }
    const std::uint32_t temp = vuzCryptoRotl(a, 5) + f + e + w[t] + k;
    e = d;
    d = c;
    c = vuzCryptoRotl(b, 30);
    b = a;
    a = temp;
  }
  HashWords[0] += a;
  HashWords[1] += b;
  HashWords[2] += c;
  HashWords[3] += d;
  HashWords[4] += e;
}

void TCryptoSHA1::GetDigest(void* destination, int size) {
  CheckDigestSize(size);
  Finish(8, false);
  for (int i = 0; i < 5; ++i) vuzCryptoWriteUInt(destination, 4 * i, vuzCryptoSwap32(HashWords[i]), 4);
}

}  // namespace report
