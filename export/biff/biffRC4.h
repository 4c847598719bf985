// Password protection of a workbook stream: RC4 with an MD5-derived key,
// re-keyed every 1,024 bytes of the stream, announced by a FILEPASS record
// right after the globals BOF.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "export/biff/biffStream.h"
#include "export/vuzCrypto.h"

namespace report {

class TBiffRC4 : public TBiffObject {
 public:
  // The salt and verifier come from the multiply-with-carry generator, seeded
  // from the system's random source, or from seed when given (tests).
  explicit TBiffRC4(std::optional<std::string> seed = std::nullopt);

  // Derives the key from the password's bytes (UTF-16LE) and encrypts the
  // verifier. May be called again: the clear verifier is kept aside.
  void Prepare(const void* password, int length);
  static void MD5(std::uint8_t* digest, const void* data, int length);
  void Initialize(std::uint32_t block);
  void Init(const void* key, int length) { cipher_.Init(key, length); }
  void Encrypt(void* data, int length) { cipher_.Encrypt(data, length); }
  void EncryptEx(void* data, std::int64_t length);
  void EncryptStream(TBiffStream& stream);
  void Flush(TBiffStream& stream) override;

  const std::array<std::uint8_t, 16>& Salt() const { return salt_; }
  const std::array<std::uint8_t, 16>& Verifier() const { return verifier_; }
  const std::array<std::uint8_t, 16>& VerifierHash() const { return verifierHash_; }
  std::uint32_t CurrentBlock() const { return block_; }

 private:
  std::array<std::uint8_t, 16> salt_{}, clearVerifier_{}, verifier_{}, verifierHash_{};
  std::array<std::uint8_t, 5> baseKey_{};
  TCryptoRC4 cipher_;
  int bytesLeft_ = 0;
  std::uint32_t block_ = 0;
};

}  // namespace report
