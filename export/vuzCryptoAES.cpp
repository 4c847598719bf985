// AES (FIPS 197) on single blocks and its CBC chain across calls.
#include <cstring>

#include "export/vuzCrypto.h"
#include "platform/rtl/format.h"
#include "platform/rtl/variant.h"

namespace report {

namespace {

struct AesTables {
  std::array<std::uint8_t, 256> sbox{}, inverse{};
};

const AesTables& Tables() {
  static const AesTables tables = [] {
    AesTables t;
    for (int x = 0; x < 256; ++x) {
      std::uint8_t inv = 0;
      for (int y = 1; y < 256 && x != 0; ++y)
        if (TCryptoAES::Mul8(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)) == 1) {
          inv = static_cast<std::uint8_t>(y);
          break;
        }
      std::uint8_t s = inv;
      for (int i = 1; i <= 4; ++i) s ^= static_cast<std::uint8_t>((inv << i) | (inv >> (8 - i)));
      s ^= 0x63;
      t.sbox[static_cast<std::size_t>(x)] = s;
      t.inverse[s] = static_cast<std::uint8_t>(x);
    }
    return t;
  }();
  return tables;
}

using Block = TCryptoAES::Block;

inline std::uint8_t& At(Block& b, int row, int col) { return b[static_cast<std::size_t>(4 * row + col)]; }

void Apply(Block& b, const std::array<std::uint8_t, 256>& box) {
  for (auto& x : b) x = box[x];
}

// Row r moves r places left (direction -1) or right (+1).
void Rotate(Block& b, int direction) {
  Block old = b;
  for (int r = 1; r < 4; ++r)
    for (int c = 0; c < 4; ++c) At(b, r, c) = old[static_cast<std::size_t>(4 * r + ((c - direction * r) % 4 + 4) % 4)];
}

void Diffuse(Block& b, const std::uint8_t (&row)[4]) {
  for (int c = 0; c < 4; ++c) {
    std::uint8_t col[4];
    for (int r = 0; r < 4; ++r) col[r] = At(b, r, c);
    for (int r = 0; r < 4; ++r) {
      std::uint8_t v = 0;
      for (int k = 0; k < 4; ++k) v ^= TCryptoAES::Mul8(row[(k - r + 4) % 4], col[k]);
      At(b, r, c) = v;
    }
  }
}

void Sum(Block& b, const Block& key) {
  for (std::size_t i = 0; i < 16; ++i) b[i] ^= key[i];
}

constexpr std::uint8_t kMix[4] = {2, 3, 1, 1};
constexpr std::uint8_t kInvMix[4] = {0x0E, 0x0B, 0x0D, 0x09};

}  // namespace

std::uint8_t TCryptoAES::Mul8(std::uint8_t a, std::uint8_t b) {
  unsigned r = 0, x = a;
  for (int i = 0; i < 8; ++i) {
    if (b & 1) r ^= x;
    b >>= 1;
    x <<= 1;
    if (x & 0x100) x ^= 0x11B;
  }
  return static_cast<std::uint8_t>(r);
}

const std::array<std::uint8_t, 256>& TCryptoAES::SBox() { return Tables().sbox; }
const std::array<std::uint8_t, 256>& TCryptoAES::InvSBox() { return Tables().inverse; }

TCryptoAES::Block TCryptoAES::DataToMatrix(const void* data) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  Block b;
  for (int k = 0; k < 16; ++k) At(b, k % 4, k / 4) = p[k];
  return b;
}

void TCryptoAES::MatrixToData(const Block& block, void* data) {
  auto* p = static_cast<std::uint8_t*>(data);
  for (int k = 0; k < 16; ++k) p[k] = block[static_cast<std::size_t>(4 * (k % 4) + k / 4)];
}

TCryptoAES::TCryptoAES(const void* key, int keyLength) {
  switch (keyLength) {
    case 16: roundCount_ = 10; break;
    case 24: roundCount_ = 12; break;
    case 32: roundCount_ = 14; break;
    default: throw ECryptoAESInvalidKeyLength(rtl::Format("AES-%d is undefined", {keyLength * 8}));
  }
  ExpandKey(static_cast<const std::uint8_t*>(key), keyLength);
}

void TCryptoAES::ExpandKey(const std::uint8_t* key, int keyLength) {
  const auto& sbox = Tables().sbox;
  const int nk = keyLength / 4;
  const int words = 4 * (roundCount_ + 1);
  std::vector<std::array<std::uint8_t, 4>> w(static_cast<std::size_t>(words));
  for (int i = 0; i < nk; ++i)
    for (int b = 0; b < 4; ++b) w[static_cast<std::size_t>(i)][static_cast<std::size_t>(b)] = key[4 * i + b];
  std::uint8_t rcon = 1;
  for (int i = nk; i < words; ++i) {
    std::array<std::uint8_t, 4> temp = w[static_cast<std::size_t>(i - 1)];
    if (i % nk == 0) {
      temp = {sbox[temp[1]], sbox[temp[2]], sbox[temp[3]], sbox[temp[0]]};
      temp[0] ^= rcon;
      rcon = Mul8(rcon, 2);
    } else if (nk > 6 && i % nk == 4) {
      for (auto& x : temp) x = sbox[x];
    }
    for (std::size_t b = 0; b < 4; ++b)
      w[static_cast<std::size_t>(i)][b] = w[static_cast<std::size_t>(i - nk)][b] ^ temp[b];
  }
  RoundKeys.assign(static_cast<std::size_t>(roundCount_ + 1), Block{});
  for (int i = 0; i < words; ++i)
    for (int r = 0; r < 4; ++r)
      At(RoundKeys[static_cast<std::size_t>(i / 4)], r, i % 4) =
          w[static_cast<std::size_t>(i)][static_cast<std::size_t>(r)];
}

void TCryptoAES::Encrypt(Block& block) {
  const auto& sbox = Tables().sbox;
  Sum(block, RoundKeys[0]);
  for (int round = 1; round < roundCount_; ++round) {
    Apply(block, sbox);
    Rotate(block, -1);
    Diffuse(block, kMix);
    Sum(block, RoundKeys[static_cast<std::size_t>(round)]);
  }
  Apply(block, sbox);
  Rotate(block, -1);
  Sum(block, RoundKeys[static_cast<std::size_t>(roundCount_)]);
}

void TCryptoAES::Decrypt(Block& block) {
  const auto& inverse = Tables().inverse;
  Sum(block, RoundKeys[static_cast<std::size_t>(roundCount_)]);
  for (int round = roundCount_ - 1; round >= 1; --round) {
    Rotate(block, +1);
    Apply(block, inverse);
    Sum(block, RoundKeys[static_cast<std::size_t>(round)]);
    Diffuse(block, kInvMix);
  }
  Rotate(block, +1);
  Apply(block, inverse);
  Sum(block, RoundKeys[0]);
}

void TCryptoAES::Encrypt(void* destination, const void* source) {
  Block b = DataToMatrix(source);
  Encrypt(b);
  MatrixToData(b, destination);
}

void TCryptoAES::Decrypt(void* destination, const void* source) {
  Block b = DataToMatrix(source);
  Decrypt(b);
  MatrixToData(b, destination);
}

TCryptoAES_CBC::TCryptoAES_CBC(const void* key, int keyLength, const void* iv)
    : TCryptoAES(key, keyLength), ChainBlock(DataToMatrix(iv)) {}

void TCryptoAES_CBC::Encrypt(Block& block) {
  Sum(block, ChainBlock);
  TCryptoAES::Encrypt(block);
  ChainBlock = block;
}

void TCryptoAES_CBC::Decrypt(Block& block) {
  const Block kept = ChainBlock;
  ChainBlock = block;
  TCryptoAES::Decrypt(block);
  Sum(block, kept);
}

}  // namespace report
