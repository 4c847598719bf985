// Hash functions behind one chunked interface (MD5, SHA-1, Whirlpool and the
// one-at-a-time hash, chosen by name), the RC4 stream cipher, the
// multiply-with-carry generator and the AES block cipher with its CBC chain.
// The workbook writer uses MD5 (key derivation, picture identifiers), the
// one-at-a-time hash (hash codes of fonts, formats and strings), RC4 and the
// generator (salt and verifier of an encrypted workbook).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "export/vuzCryptoAssert.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/object.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace report {

using rtl::AnsiString;

VUZ_DECLARE_EXCEPTION(ECryptoHash, rtl::Exception)
RTL_DECLARE_EXCEPTION(ECryptoHashUnknown, ECryptoHash)

// A hash that consumes its input in chunks of a fixed size. Feed it with
// Push, read it once with GetDigest (which pads), Reset to reuse.
class TCryptoHash : public rtl::TObject {
 public:
  explicit TCryptoHash(int chunkSize);
  int ChunkSize() const { return static_cast<int>(ChunkBuffer.size()); }

  // "MD5", "SHA1", "Whirlpool" or "Jenkins" (exact case); nullptr otherwise.
  static std::unique_ptr<TCryptoHash> Create(std::string_view name);
  // Create, push the data, GetDigest. An unknown name raises ECryptoHashUnknown.
  static void Hash(std::string_view name, void* digest, int digestSize, const void* data, std::int64_t length);
  static void Hash(std::string_view name, void* digest, int digestSize, std::string_view text);

  void Push(std::uint8_t byte);
  void Push(const void* data, std::int64_t length);
  // Hashes the whole stream from its first byte.
  void Push(rtl::TStream& stream);

  virtual void Reset();
  // Copies the digest; size must be DigestSize().
  virtual void GetDigest(void* destination, int size) = 0;
  virtual int DigestSize() const = 0;

  std::uint64_t ByteCount() const { return byteCount_; }

 protected:
  // Consumes ChunkBuffer, which is full.
  virtual void Process(const std::uint8_t* block) = 0;
  // Pads with 0x80 and zeros and puts the bit count into the last
  // lengthFieldSize bytes of the final chunk.
  void Finish(int lengthFieldSize, bool littleEndian);
  void CheckDigestSize(int size) const;

  std::vector<std::uint8_t> ChunkBuffer;

 private:
  // 64 bits, so that inputs of 512 MiB and more still hash by the standards.
  std::uint64_t byteCount_ = 0;
};

class TCryptoMD5 : public TCryptoHash {
 public:
  TCryptoMD5();
  void Reset() override;
  void GetDigest(void* destination, int size) override;
  int DigestSize() const override { return 16; }

 protected:
  void Process(const std::uint8_t* block) override;

 private:
  std::array<std::uint32_t, 4> HashWords{};
};

// The one-at-a-time hash over the input and its padding (0x80, zeros up to
// offset 32 of a chunk and a 32-byte little-endian bit count).
class TCryptoJenkins : public TCryptoHash {
 public:
  TCryptoJenkins();
  void Reset() override;
  void GetDigest(void* destination, int size) override;
  int DigestSize() const override { return 4; }
  std::uint32_t Value() const { return HashValue; }

 protected:
  void Process(const std::uint8_t* block) override;

 private:
  std::uint32_t HashValue = 0;
};

class TCryptoSHA1 : public TCryptoHash {
 public:
  TCryptoSHA1();
  void Reset() override;
  void GetDigest(void* destination, int size) override;
  int DigestSize() const override { return 20; }

 protected:
  void Process(const std::uint8_t* block) override;

 private:
  std::array<std::uint32_t, 5> HashWords{};
};

class TCryptoWhirlpool : public TCryptoHash {
 public:
  using Matrix = std::array<std::uint8_t, 64>;  // 8 x 8, row by row

  TCryptoWhirlpool();
  void Reset() override;
  void GetDigest(void* destination, int size) override;
  int DigestSize() const override { return 64; }

  static std::uint8_t Mul4(std::uint8_t a, std::uint8_t b);
  static std::uint8_t Mul8NoCache(std::uint8_t a, std::uint8_t b);
  // a is a factor of the diffusion matrix, 1 to 9.
  static std::uint8_t Mul8(std::uint8_t a, std::uint8_t b);
  static const std::array<std::uint8_t, 256>& SBox();

 protected:
  void Process(const std::uint8_t* block) override;

 private:
  static void Transform(Matrix& m, const Matrix& key);
  static void Encrypt(Matrix& out, const Matrix& key, const Matrix& block);

  Matrix HashState{};
};

VUZ_DECLARE_EXCEPTION(ECryptoAESException, rtl::Exception)
RTL_DECLARE_EXCEPTION(ECryptoAESInvalidKeyLength, ECryptoAESException)
RTL_DECLARE_EXCEPTION(ECryptoAESInvalidBlockSize, ECryptoAESException)

// AES-128/192/256 on single 16-byte blocks. A block is held as a 4 x 4 matrix
// row by row; data byte k is row k mod 4, column k div 4.
class TCryptoAES : public rtl::TObject {
 public:
  using Block = std::array<std::uint8_t, 16>;

  // 16, 24 or 32 key bytes; other lengths raise ECryptoAESInvalidKeyLength.
  TCryptoAES(const void* key, int keyLength);

  virtual void Encrypt(Block& block);
  virtual void Decrypt(Block& block);
  // 16 bytes in data order; destination may be source.
  void Encrypt(void* destination, const void* source);
  void Decrypt(void* destination, const void* source);

  int RoundCount() const { return roundCount_; }
  static std::uint8_t Mul8(std::uint8_t a, std::uint8_t b);
  static Block DataToMatrix(const void* data);
  static void MatrixToData(const Block& block, void* data);
  static const std::array<std::uint8_t, 256>& SBox();
  static const std::array<std::uint8_t, 256>& InvSBox();

 private:
  void ExpandKey(const std::uint8_t* key, int keyLength);

  int roundCount_ = 0;
  std::vector<Block> RoundKeys;
};

// CBC chaining across calls: one object encrypts or decrypts one message,
// block after block, in order. No padding.
class TCryptoAES_CBC : public TCryptoAES {
 public:
  TCryptoAES_CBC(const void* key, int keyLength, const void* iv);
  using TCryptoAES::Decrypt;
  using TCryptoAES::Encrypt;
  void Encrypt(Block& block) override;
  void Decrypt(Block& block) override;

 private:
  Block ChainBlock{};
};

class TCryptoRC4 : public rtl::TObject {
 public:
  void Init(const void* key, int keyLength);
  // In place; a nullptr only advances the key stream by length bytes.
  void Encrypt(void* data, std::int64_t length);
  // Starts the key stream's two indexes again at 0 while the permutation
  // keeps what earlier calls made of it.
  void RestartIndexes() { IndexI = IndexJ = 0; }

 private:
  std::array<std::uint8_t, 256> Permutation{};
  std::uint8_t IndexI = 0, IndexJ = 0;
};

// Multiply-with-carry generator. The lag words are the four 32-bit words of an
// MD5 digest, repeated: of 16 bytes from the operating system's random source
// by default, or of the caller's seed bytes (tests make a sequence repeatable).
class TCryptoCMWC : public rtl::TObject {
 public:
  TCryptoCMWC(std::uint32_t multiplier, int lag);
  TCryptoCMWC(std::uint32_t multiplier, int lag, std::string_view seed);
  std::uint32_t Next();
  const std::vector<std::uint32_t>& LagWords() const { return lagWords_; }

 private:
  void Seed(std::string_view seed);

  std::uint32_t Factor;
  std::vector<std::uint32_t> lagWords_;
  std::uint32_t CarryWord = 0;
  int LagIndex = 0;
};

// count bytes from the operating system's random source.
AnsiString vuzCryptoRandomBytes(int count);

// Unsigned integers of 1 to 4 bytes at a byte offset, little-endian.
std::uint32_t vuzCryptoReadUInt(const void* buffer, int offset, int width);
void vuzCryptoWriteUInt(void* buffer, int offset, std::uint32_t value, int width);
inline std::uint32_t vuzCryptoRotl(std::uint32_t x, int n) { return (x << n) | (x >> ((32 - n) & 31)); }
inline std::uint32_t vuzCryptoSwap32(std::uint32_t x) {
  return (x >> 24) | ((x >> 8) & 0xFF00u) | ((x << 8) & 0xFF0000u) | (x << 24);
}

}  // namespace report
