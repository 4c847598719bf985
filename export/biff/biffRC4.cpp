#include "export/biff/biffRC4.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace report {

TBiffRC4::TBiffRC4(std::optional<std::string> seed) {
  TCryptoCMWC generator = seed ? TCryptoCMWC(0xD8C0B556u, 1359, *seed) : TCryptoCMWC(0xD8C0B556u, 1359);
  for (int i = 0; i < 4; ++i) vuzCryptoWriteUInt(salt_.data(), 4 * i, generator.Next(), 4);
  for (int i = 0; i < 4; ++i) vuzCryptoWriteUInt(clearVerifier_.data(), 4 * i, generator.Next(), 4);
  verifier_ = clearVerifier_;
}

void TBiffRC4::MD5(std::uint8_t* digest, const void* data, int length) {
  TCryptoHash::Hash("MD5", digest, 16, data, length);
}

void TBiffRC4::Prepare(const void* password, int length) {
  std::uint8_t h[16];
  MD5(h, password, length);
  std::uint8_t buffer[336];
  for (int i = 0; i < 16; ++i) {
    std::memcpy(buffer + 21 * i, h, 5);
    std::memcpy(buffer + 21 * i + 5, salt_.data(), 16);
  }
  std::uint8_t digest[16];
  MD5(digest, buffer, 336);
  std::memcpy(baseKey_.data(), digest, 5);
  Initialize(0);
  verifier_ = clearVerifier_;
  MD5(verifierHash_.data(), verifier_.data(), 16);
  cipher_.Encrypt(verifier_.data(), 16);
  cipher_.Encrypt(verifierHash_.data(), 16);
}

void TBiffRC4::Initialize(std::uint32_t block) {
  std::uint8_t material[9];
  std::memcpy(material, baseKey_.data(), 5);
  vuzCryptoWriteUInt(material, 5, block, 4);
  std::uint8_t key[16];
  MD5(key, material, 9);
  cipher_.Init(key, 16);
  bytesLeft_ = 1024;
  block_ = block;
}

void TBiffRC4::EncryptEx(void* data, std::int64_t length) {
  auto* p = static_cast<std::uint8_t*>(data);
  while (length > 0) {
    const int n = static_cast<int>(std::min<std::int64_t>(length, bytesLeft_));
    cipher_.Encrypt(p, n);
    if (p) p += n;
    length -= n;
    bytesLeft_ -= n;
    if (bytesLeft_ == 0) Initialize(block_ + 1);
  }
}

void TBiffRC4::EncryptStream(TBiffStream& stream) {
  Initialize(0);
  std::vector<std::uint8_t> payload;
  const std::int64_t size = stream.GetSize();
  // Records follow each other without gaps: walk them by their headers.
  for (std::int64_t pos = 0; pos + 4 <= size;) {
    const auto id = stream.ReadBytes(pos, 2);
    const int length = static_cast<int>(stream.ReadBytes(pos + 2, 2));
    int clear = 0;
    switch (id) {
      case 0x0809:
      case 0x002F:
      case 0x00E1:
      case 0x0138:
      case 0x0194:
      case 0x0195:
      case 0x0196: clear = length; break;
      case 0x0085: clear = std::min(4, length); break;
      default: break;
    }
    EncryptEx(nullptr, 4 + clear);
    if (length > clear) {
      payload.resize(static_cast<std::size_t>(length - clear));
      stream.ReadData(pos + 4 + clear, payload.data(), length - clear);
      EncryptEx(payload.data(), length - clear);
      stream.WriteData(pos + 4 + clear, payload.data(), length - clear);
    }
    pos += 4 + length;
  }
}

void TBiffRC4::Flush(TBiffStream& stream) {
  TBiffRecord r = stream.Add(0x002F);
  r.WriteConst(1, 2);
  r.WriteConst(0x00010001, 4);
  r.Write(salt_.data(), 16);
  r.Write(verifier_.data(), 16);
  r.Write(verifierHash_.data(), 16);
}

}  // namespace report
