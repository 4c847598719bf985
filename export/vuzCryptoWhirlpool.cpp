// Whirlpool (final version) on the chunked hash framework. The S-box and the
// products of the diffusion matrix are computed once per process.
#include <cstring>

#include "export/vuzCrypto.h"

namespace report {

namespace {

// The 16-entry box R of the algorithm's S-box construction.
constexpr std::uint8_t kRBox[16] = {0x7, 0xC, 0xB, 0xD, 0xE, 0x4, 0x9, 0xF, 0x6, 0x3, 0x8, 0xA, 0x2, 0x5, 0x1, 0x0};
// First row of the circulant diffusion matrix.
constexpr std::uint8_t kDiffusion[8] = {1, 1, 4, 1, 8, 5, 2, 9};

struct WhirlpoolTables {
  std::array<std::uint8_t, 256> sbox{};
  std::uint8_t mul[10][256]{};  // mul[k][x] = x * k, k = 1..9
};

const WhirlpoolTables& Tables() {
  static const WhirlpoolTables tables = [] {
    WhirlpoolTables t;
    std::uint8_t e[16], ei[16];
    std::uint8_t power = 1;
    for (int u = 0; u < 15; ++u) {
      e[u] = power;
      power = TCryptoWhirlpool::Mul4(power, 0xB);
    }
    e[15] = 0;
    for (int u = 0; u < 16; ++u) ei[e[u]] = static_cast<std::uint8_t>(u);
    for (int x = 0; x < 256; ++x) {
      const std::uint8_t a = e[x >> 4], b = ei[x & 15];
      const std::uint8_t r = kRBox[a ^ b];
      t.sbox[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>((e[a ^ r] << 4) | ei[b ^ r]);
    }
    for (int k = 1; k <= 9; ++k)
      for (int x = 0; x < 256; ++x)
        t.mul[k][x] = TCryptoWhirlpool::Mul8NoCache(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(k));
    return t;
  }();
  return tables;
}

}  // namespace

std::uint8_t TCryptoWhirlpool::Mul4(std::uint8_t a, std::uint8_t b) {
  std::uint8_t r = 0;
  for (int i = 0; i < 4; ++i) {
    if (b & 1) r ^= a;
    b >>= 1;
    a = static_cast<std::uint8_t>(a << 1);
    if (a & 0x10) a ^= 0x13;
  }
  return r & 0xF;
}

std::uint8_t TCryptoWhirlpool::Mul8NoCache(std::uint8_t a, std::uint8_t b) {
  unsigned r = 0, x = a;
  for (int i = 0; i < 8; ++i) {
    if (b & 1) r ^= x;
    b >>= 1;
    x <<= 1;
    if (x & 0x100) x ^= 0x11D;
  }
  return static_cast<std::uint8_t>(r);
}

std::uint8_t TCryptoWhirlpool::Mul8(std::uint8_t a, std::uint8_t b) { return Tables().mul[a][b]; }

const std::array<std::uint8_t, 256>& TCryptoWhirlpool::SBox() { return Tables().sbox; }

TCryptoWhirlpool::TCryptoWhirlpool() : TCryptoHash(64) { Tables(); }

void TCryptoWhirlpool::Reset() {
  TCryptoHash::Reset();
  HashState.fill(0);
}

void TCryptoWhirlpool::Transform(Matrix& m, const Matrix& key) {
  const auto& t = Tables();
  Matrix shifted;
  // S-box, then column j moves down by j rows.
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 8; ++j)
      shifted[static_cast<std::size_t>(8 * i + j)] = t.sbox[m[static_cast<std::size_t>(8 * ((i - j + 8) % 8) + j)]];
  for (int i = 0; i < 8; ++i) {
    const std::uint8_t* a = &shifted[static_cast<std::size_t>(8 * i)];
    for (int j = 0; j < 8; ++j) {
      std::uint8_t v = 0;
      for (int k = 0; k < 8; ++k) v ^= t.mul[kDiffusion[(j - k + 8) % 8]][a[k]];
      m[static_cast<std::size_t>(8 * i + j)] = v ^ key[static_cast<std::size_t>(8 * i + j)];
    }
  }
}

void TCryptoWhirlpool::Encrypt(Matrix& out, const Matrix& key, const Matrix& block) {
  const auto& sbox = Tables().sbox;
  Matrix k = key;
  for (int i = 0; i < 64; ++i)
    out[static_cast<std::size_t>(i)] = block[static_cast<std::size_t>(i)] ^ k[static_cast<std::size_t>(i)];
  for (int r = 1; r <= 10; ++r) {
    Matrix constant{};
    for (int j = 0; j < 8; ++j) constant[static_cast<std::size_t>(j)] = sbox[static_cast<std::size_t>(8 * (r - 1) + j)];
    Transform(k, constant);
    Transform(out, k);
  }
}

void TCryptoWhirlpool::Process(const std::uint8_t* block) {
  Matrix m, w;
  std::memcpy(m.data(), block, 64);
  Encrypt(w, HashState, m);
  for (int i = 0; i < 64; ++i)
    HashState[static_cast<std::size_t>(i)] ^= w[static_cast<std::size_t>(i)] ^ m[static_cast<std::size_t>(i)];
}

void TCryptoWhirlpool::GetDigest(void* destination, int size) {
  CheckDigestSize(size);
  Finish(32, false);
  std::memcpy(destination, HashState.data(), 64);
}

}  // namespace report
