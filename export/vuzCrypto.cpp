// The hash framework (chunking, padding, creation by name), MD5, the
// one-at-a-time hash, RC4, the multiply-with-carry generator and the small
// byte helpers of the toolkit.
#include "export/vuzCrypto.h"

#include <cmath>
#include <cstring>
#include <random>

#include "platform/rtl/format.h"
#include "platform/rtl/variant.h"

namespace report {

void vuzAssertionFailed(const char* message, const char* unit, int line) {
  AnsiString text = (message && *message) ? AnsiString(message) : AnsiString("Assertion failed");
  throw EAssertionFailed(text + " (" + unit + ", line " + std::to_string(line) + ")");
}

namespace {

constexpr const char* kUnit = "vuzCrypto";

// floor(|sin(i)| * 2^32) for i = 1..64, computed once.
const std::array<std::uint32_t, 64>& Md5SineTable() {
  static const std::array<std::uint32_t, 64> table = [] {
    std::array<std::uint32_t, 64> t{};
    for (int i = 0; i < 64; ++i)
      t[i] = static_cast<std::uint32_t>(std::floor(std::fabs(std::sin(static_cast<double>(i + 1))) * 4294967296.0));
    return t;
  }();
  return table;
}

}  // namespace

std::uint32_t vuzCryptoReadUInt(const void* buffer, int offset, int width) {
  VUZ_ASSERT(width >= 1 && width <= 4, "", kUnit);
  const auto* p = static_cast<const std::uint8_t*>(buffer) + offset;
  std::uint32_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

void vuzCryptoWriteUInt(void* buffer, int offset, std::uint32_t value, int width) {
  VUZ_ASSERT(width >= 1 && width <= 4, "", kUnit);
  auto* p = static_cast<std::uint8_t*>(buffer) + offset;
  for (int i = 0; i < width; ++i, value >>= 8) p[i] = static_cast<std::uint8_t>(value);
}

AnsiString vuzCryptoRandomBytes(int count) {
  std::random_device source;
  AnsiString bytes;
  while (static_cast<int>(bytes.size()) < count) {
    std::uint32_t word = source();
    for (int i = 0; i < 4 && static_cast<int>(bytes.size()) < count; ++i, word >>= 8)
      bytes.push_back(static_cast<char>(word & 0xFF));
  }
  return bytes;
}

// --- framework -------------------------------------------------------------

TCryptoHash::TCryptoHash(int chunkSize) : ChunkBuffer(static_cast<std::size_t>(chunkSize)) {}

std::unique_ptr<TCryptoHash> TCryptoHash::Create(std::string_view name) {
  if (name == "MD5") return std::make_unique<TCryptoMD5>();
  if (name == "SHA1") return std::make_unique<TCryptoSHA1>();
  if (name == "Whirlpool") return std::make_unique<TCryptoWhirlpool>();
  if (name == "Jenkins") return std::make_unique<TCryptoJenkins>();
  return nullptr;
}

void TCryptoHash::Hash(std::string_view name, void* digest, int digestSize, const void* data, std::int64_t length) {
  std::unique_ptr<TCryptoHash> hash = Create(name);
  if (!hash) throw ECryptoHashUnknown(rtl::Format("Hash function %s is unknown", {AnsiString(name)}));
  if (length > 0) hash->Push(data, length);
  hash->GetDigest(digest, digestSize);
}

void TCryptoHash::Hash(std::string_view name, void* digest, int digestSize, std::string_view text) {
  Hash(name, digest, digestSize, text.data(), static_cast<std::int64_t>(text.size()));
}

void TCryptoHash::Push(std::uint8_t byte) {
  const auto size = ChunkBuffer.size();
  ChunkBuffer[byteCount_ % size] = byte;
  ++byteCount_;
  if (byteCount_ % size == 0) Process(ChunkBuffer.data());
}

void TCryptoHash::Push(const void* data, std::int64_t length) {
  if (length <= 0) return;
  const auto size = static_cast<std::uint64_t>(ChunkBuffer.size());
  auto offset = static_cast<std::size_t>(byteCount_ % size);
  byteCount_ += static_cast<std::uint64_t>(length);
  const auto* p = static_cast<const std::uint8_t*>(data);
  auto left = static_cast<std::uint64_t>(length);
  // Whole chunks straight from the caller's memory when nothing is pending.
  while (left > 0) {
    if (offset == 0 && left >= size) {
      Process(p);
      p += size;
      left -= size;
      continue;
    }
    const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(left, size - offset));
    std::memcpy(ChunkBuffer.data() + offset, p, piece);
    offset += piece;
    p += piece;
    left -= piece;
    if (offset == size) {
      Process(ChunkBuffer.data());
      offset = 0;
    }
  }
}

void TCryptoHash::Push(rtl::TStream& stream) {
  stream.SetPosition(0);
  std::vector<std::uint8_t> piece(ChunkBuffer.size());
  for (;;) {
    const std::int64_t got = stream.Read(piece.data(), static_cast<std::int64_t>(piece.size()));
    if (got <= 0) break;
    Push(piece.data(), got);
  }
}

void TCryptoHash::Reset() { byteCount_ = 0; }

void TCryptoHash::Finish(int lengthFieldSize, bool littleEndian) {
  const int chunk = ChunkSize();
  const std::uint64_t bits = byteCount_ * 8;
  const std::uint64_t counted = byteCount_;
  Push(std::uint8_t{0x80});
  while (static_cast<int>(byteCount_ % static_cast<std::uint64_t>(chunk)) != chunk - lengthFieldSize)
    Push(std::uint8_t{0});
  for (int i = 0; i < lengthFieldSize; ++i) {
    const std::uint8_t b = i < 8 ? static_cast<std::uint8_t>(bits >> (8 * i)) : 0;
    if (littleEndian)
      ChunkBuffer[static_cast<std::size_t>(chunk - lengthFieldSize + i)] = b;
    else
      ChunkBuffer[static_cast<std::size_t>(chunk - 1 - i)] = b;
  }
  Process(ChunkBuffer.data());
  byteCount_ = counted;  // the padding and the length field are not input
}

void TCryptoHash::CheckDigestSize(int size) const {
  VUZ_ASSERT(size == DigestSize(), "Digest size does not match the hash function", kUnit);
}

// --- MD5 --------------------------------------------------------------------

TCryptoMD5::TCryptoMD5() : TCryptoHash(64) { TCryptoMD5::Reset(); }

void TCryptoMD5::Reset() {
  TCryptoHash::Reset();
  HashWords = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u};
}

void TCryptoMD5::Process(const std::uint8_t* block) {
  static constexpr int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                     5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                     4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                     6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
  const auto& sine = Md5SineTable();
  std::uint32_t m[16];
  for (int i = 0; i < 16; ++i) m[i] = vuzCryptoReadUInt(block, 4 * i, 4);
  std::uint32_t a = HashWords[0], b = HashWords[1], c = HashWords[2], d = HashWords[3];
  for (int i = 0; i < 64; ++i) {
    std::uint32_t f;
    int g;
    if (i < 16) {
      f = (b & c) | (~b & d);
      g = i;
    } else if (i < 32) {
      f = (d & b) | (~d & c);
      g = (5 * i + 1) % 16;
    } else if (i < 48) {
      f = b ^ c ^ d;
      g = (3 * i + 5) % 16;
    } else {
      f = c ^ (b | ~d);
      g = (7 * i) % 16;
    }
    const std::uint32_t next = b + vuzCryptoRotl(a + f + sine[i] + m[g], kShift[i]);
    a = d;
    d = c;
    c = b;
    b = next;
  }
  HashWords[0] += a;
  HashWords[1] += b;
  HashWords[2] += c;
  HashWords[3] += d;
}

void TCryptoMD5::GetDigest(void* destination, int size) {
  CheckDigestSize(size);
  Finish(8, true);
  for (int i = 0; i < 4; ++i) vuzCryptoWriteUInt(destination, 4 * i, HashWords[i], 4);
}

// --- one-at-a-time ------------------------------------------------------------

TCryptoJenkins::TCryptoJenkins() : TCryptoHash(64) {}

void TCryptoJenkins::Reset() {
  TCryptoHash::Reset();
  HashValue = 0;
}

void TCryptoJenkins::Process(const std::uint8_t* block) {
  std::uint32_t h = HashValue;
  for (int i = 0; i < 64; ++i) {
    h += block[i];
    h += h << 10;
    h ^= h >> 6;
  }
  HashValue = h;
}

void TCryptoJenkins::GetDigest(void* destination, int size) {
  CheckDigestSize(size);
  Finish(ChunkSize() / 2, true);
  std::uint32_t h = HashValue;
  h += h << 3;
  h ^= h >> 11;
  h += h << 15;
  HashValue = h;
  vuzCryptoWriteUInt(destination, 0, h, 4);
}

// --- RC4 ----------------------------------------------------------------------

void TCryptoRC4::Init(const void* key, int keyLength) {
  VUZ_ASSERT(key != nullptr && keyLength > 0, "", kUnit);
  const auto* k = static_cast<const std::uint8_t*>(key);
  for (int i = 0; i < 256; ++i) Permutation[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  std::uint8_t j = 0;
  int p = 0;
  for (int i = 0; i < 256; ++i) {
    j = static_cast<std::uint8_t>(j + k[p] + Permutation[static_cast<std::size_t>(i)]);
    std::swap(Permutation[static_cast<std::size_t>(i)], Permutation[j]);
    if (++p == keyLength) p = 0;
  }
  IndexI = IndexJ = 0;
}

void TCryptoRC4::Encrypt(void* data, std::int64_t length) {
  auto* p = static_cast<std::uint8_t*>(data);
  std::uint8_t i = IndexI, j = IndexJ;
  for (std::int64_t n = 0; n < length; ++n) {
    i = static_cast<std::uint8_t>(i + 1);
    j = static_cast<std::uint8_t>(j + Permutation[i]);
    std::swap(Permutation[i], Permutation[j]);
    if (p) p[n] ^= Permutation[static_cast<std::uint8_t>(Permutation[i] + Permutation[j])];
  }
  IndexI = i;
  IndexJ = j;
}

// --- multiply-with-carry --------------------------------------------------------

TCryptoCMWC::TCryptoCMWC(std::uint32_t multiplier, int lag) : TCryptoCMWC(multiplier, lag, vuzCryptoRandomBytes(16)) {}

TCryptoCMWC::TCryptoCMWC(std::uint32_t multiplier, int lag, std::string_view seed)
    : Factor(multiplier), lagWords_(static_cast<std::size_t>(std::max(lag, 1))) {
  Seed(seed);
}

void TCryptoCMWC::Seed(std::string_view seed) {
  std::uint8_t digest[16];
  TCryptoHash::Hash("MD5", digest, 16, seed);
  for (std::size_t k = 0; k < lagWords_.size(); ++k)
    lagWords_[k] = vuzCryptoReadUInt(digest, static_cast<int>(4 * (k % 4)), 4);
  CarryWord = 0;
  LagIndex = 0;
}

std::uint32_t TCryptoCMWC::Next() {
  std::uint32_t& x = lagWords_[static_cast<std::size_t>(LagIndex)];
  const std::uint64_t t = static_cast<std::uint64_t>(Factor) * x + CarryWord;
  x = static_cast<std::uint32_t>(t);
  CarryWord = static_cast<std::uint32_t>(t >> 32);
  if (++LagIndex == static_cast<int>(lagWords_.size())) LagIndex = 0;
  return x;
}

}  // namespace report
