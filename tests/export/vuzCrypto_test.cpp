// The hash and cipher toolkit against published vectors and independent tools.
#include "export/vuzCrypto.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/external_tools.h"
#include "tests/support/scratch_folder.h"

namespace {

using report::TCryptoHash;

std::string Hex(const void* data, std::size_t n) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  const auto* p = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < n; ++i) {
    s += digits[p[i] >> 4];
    s += digits[p[i] & 15];
  }
  return s;
}

std::string Unhex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

std::string Digest(const char* name, const std::string& data) {
  auto h = TCryptoHash::Create(name);
  std::vector<unsigned char> d(static_cast<std::size_t>(h->DigestSize()));
  TCryptoHash::Hash(name, d.data(), h->DigestSize(), data);
  return Hex(d.data(), d.size());
}

struct HashCase {
  const char* name;
  std::string input;
  const char* digest;
};

TEST(CryptoHash, PublishedVectors) {
  const std::string million(1000000, 'a');
  const HashCase cases[] = {
      // RFC 1321 test suite
      {"MD5", "", "d41d8cd98f00b204e9800998ecf8427e"},
      {"MD5", "a", "0cc175b9c0f1b6a831c399e269772661"},
      {"MD5", "abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"MD5", "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"MD5", "abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"MD5", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"MD5", "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      // FIPS 180
      {"SHA1", "", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {"SHA1", "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"SHA1", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {"SHA1", million, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
      // Whirlpool, final version
      {"Whirlpool", "",
       "19fa61d75522a4669b44e39c1d2e1726c530232130d407f89afee0964997f7a73e83be698b288febcf88e3e03c4f0757ea8964e59b63d93"
       "708b"
       "138cc42a66eb3"},
      {"Whirlpool", "abc",
       "4e2448a4c6f486bb16b6562c73b4020bf3043e3a731bce721ae1b303d97e6d4c7181eebdb6c57e277d0e34957114cbd6c797fc9d95d8b58"
       "2d22"
       "5292076d4eef5"},
      {"Whirlpool", "The quick brown fox jumps over the lazy dog",
       "b97de512e91e3828b40d2b0fdce9ceb3c4a71f9bea8d88e75c4fa854df36725fd2b52eb6544edcacd6f8beddfea403cb55ae31f03ad62a5"
       "ef54"
       "e42ee82c3fb35"},
      // The one-at-a-time hash over its padded chunks
      {"Jenkins", "abc", "5aa77e5a"},
      {"Jenkins", "", "48c7df83"},
  };
  for (const auto& c : cases) EXPECT_EQ(Digest(c.name, c.input), c.digest) << c.name << " of " << c.input.size();
}

TEST(CryptoHash, ChunkingDoesNotChangeTheDigest) {
  std::string data;
  for (int i = 0; i < 300; ++i) data += static_cast<char>(i * 7 + 3);
  for (const char* name : {"MD5", "SHA1", "Whirlpool", "Jenkins"}) {
    for (std::size_t length : {std::size_t{100}, std::size_t{64}, std::size_t{300}}) {
      auto whole = TCryptoHash::Create(name);
      auto bytes = TCryptoHash::Create(name);
      auto pieces = TCryptoHash::Create(name);
      whole->Push(data.data(), static_cast<std::int64_t>(length));
      for (std::size_t i = 0; i < length; ++i) bytes->Push(static_cast<std::uint8_t>(data[i]));
      for (std::size_t i = 0; i < length; i += 13)
        pieces->Push(data.data() + i, static_cast<std::int64_t>(std::min<std::size_t>(13, length - i)));
      const int n = whole->DigestSize();
      std::vector<unsigned char> a(static_cast<std::size_t>(n)), b(a), c(a);
      whole->GetDigest(a.data(), n);
      bytes->GetDigest(b.data(), n);
      pieces->GetDigest(c.data(), n);
      EXPECT_EQ(a, b) << name << " " << length;
      EXPECT_EQ(a, c) << name << " " << length;
    }
  }
}

TEST(CryptoHash, StreamAndResetGiveTheSameDigest) {
  rtl::TMemoryStream stream(std::string("message digest"));
  stream.SetPosition(5);
  auto md5 = TCryptoHash::Create("MD5");
  md5->Push(stream);
  unsigned char d[16];
  md5->GetDigest(d, 16);
  EXPECT_EQ(Hex(d, 16), "f96b697d7cb7938d525a2f31aaf161d0");
  md5->Reset();
  md5->Push("abc", 3);
  md5->GetDigest(d, 16);
  EXPECT_EQ(Hex(d, 16), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(CryptoHash, UnknownNamesAndWrongSizesFail) {
  EXPECT_EQ(TCryptoHash::Create("md5"), nullptr);
  unsigned char d[64];
  try {
    TCryptoHash::Hash("md5", d, 16, "abc");
    FAIL();
  } catch (const report::ECryptoHashUnknown& e) {
    EXPECT_STREQ(e.what(), "Hash function md5 is unknown");
  }
  EXPECT_THROW(TCryptoHash::Hash("MD5", d, 20, "abc"), report::EAssertionFailed);
  EXPECT_THROW(TCryptoHash::Hash("Whirlpool", d, 20, "abc"), report::EAssertionFailed);
}

// Bit counts past 32 bits: the length field must carry the full count.
TEST(CryptoHash, LengthFieldHoldsCountsBeyondThirtyTwoBits) {
  class Probe : public report::TCryptoMD5 {
   public:
    std::vector<std::uint8_t> last;
    void Process(const std::uint8_t* block) override {
      last.assign(block, block + 64);
      report::TCryptoMD5::Process(block);
    }
  };
  // 2^29 bytes hashed chunk by chunk would take long; the count is what matters.
  Probe probe;
  std::vector<std::uint8_t> chunk(1 << 20, 0);
  for (int i = 0; i < 512; ++i) probe.Push(chunk.data(), static_cast<std::int64_t>(chunk.size()));
  EXPECT_EQ(probe.ByteCount(), std::uint64_t{1} << 29);
  unsigned char d[16];
  probe.GetDigest(d, 16);
  // 2^32 bits = 00 00 00 00 01 00 00 00 little-endian.
  EXPECT_EQ(Hex(probe.last.data() + 56, 8), "0000000001000000");
}

TEST(CryptoRC4, PublishedVectorsAndKeyStreamAdvance) {
  struct {
    const char* key;
    const char* plain;
    const char* cipher;
  } cases[] = {{"Key", "Plaintext", "bbf316e8d940af0ad3"},
               {"Wiki", "pedia", "1021bf0420"},
               {"Secret", "Attack at dawn", "45a01f645fc35b383552544b9bf5"}};
  for (const auto& c : cases) {
    report::TCryptoRC4 rc4;
    rc4.Init(c.key, static_cast<int>(std::string(c.key).size()));
    std::string data = c.plain;
    rc4.Encrypt(data.data(), static_cast<std::int64_t>(data.size()));
    EXPECT_EQ(Hex(data.data(), data.size()), c.cipher);
    report::TCryptoRC4 back;
    back.Init(c.key, static_cast<int>(std::string(c.key).size()));
    back.Encrypt(data.data(), static_cast<std::int64_t>(data.size()));
    EXPECT_EQ(data, c.plain);
  }
  // A nil buffer advances exactly like encrypting other data.
  report::TCryptoRC4 skip, full;
  skip.Init("k", 1);
  full.Init("k", 1);
  std::string other(1024, 'x'), a(40, 'q'), b(40, 'q');
  skip.Encrypt(nullptr, 1024);
  skip.Encrypt(a.data(), 40);
  full.Encrypt(other.data(), 1024);
  full.Encrypt(b.data(), 40);
  EXPECT_EQ(a, b);
}

TEST(CryptoCMWC, SeededSequencesRepeatAndFollowTheRecurrence) {
  report::TCryptoCMWC a(0xD8C0B556u, 1359, "seed"), b(0xD8C0B556u, 1359, "seed"), c(0xD8C0B556u, 1359, "other");
  std::vector<std::uint32_t> sa, sb, sc;
  for (int i = 0; i < 3000; ++i) {
    sa.push_back(a.Next());
    sb.push_back(b.Next());
    sc.push_back(c.Next());
  }
  EXPECT_EQ(sa, sb);
  EXPECT_NE(sa, sc);

  unsigned char digest[16];
  TCryptoHash::Hash("MD5", digest, 16, "seed");
  report::TCryptoCMWC four(0xD8C0B556u, 4, "seed");
  ASSERT_EQ(four.LagWords().size(), 4u);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(four.LagWords()[k], report::vuzCryptoReadUInt(digest, 4 * k, 4));
  report::TCryptoCMWC wide(0xD8C0B556u, 1359, "seed");
  for (std::size_t k = 0; k < 1359; ++k) EXPECT_EQ(wide.LagWords()[k], wide.LagWords()[k % 4]);
  // x' = a * x + c, the carry being the high word.
  const std::uint64_t t0 = std::uint64_t{0xD8C0B556u} * four.LagWords()[0];
  const std::uint64_t t1 = std::uint64_t{0xD8C0B556u} * four.LagWords()[1] + (t0 >> 32);
  EXPECT_EQ(four.Next(), static_cast<std::uint32_t>(t0));
  EXPECT_EQ(four.Next(), static_cast<std::uint32_t>(t1));

  // Unseeded generators draw from the system's random source.
  report::TCryptoCMWC r1(0xD8C0B556u, 1359), r2(0xD8C0B556u, 1359);
  EXPECT_NE(r1.LagWords()[0], r2.LagWords()[0]);
}

TEST(CryptoHelpers, ReadWriteWidths) {
  unsigned char buf[8] = {};
  report::vuzCryptoWriteUInt(buf, 1, 0x00ABCDEFu, 3);
  EXPECT_EQ(Hex(buf, 5), "00efcdab00");
  EXPECT_EQ(report::vuzCryptoReadUInt(buf, 1, 3), 0xABCDEFu);
  EXPECT_THROW(report::vuzCryptoReadUInt(buf, 0, 5), report::EAssertionFailed);
  EXPECT_EQ(report::vuzCryptoRotl(0x80000001u, 1), 3u);
  EXPECT_EQ(report::vuzCryptoSwap32(0x11223344u), 0x44332211u);
}

TEST(CryptoTables, SBoxesBeginAsPublished) {
  const auto& w = report::TCryptoWhirlpool::SBox();
  EXPECT_EQ(Hex(w.data(), 4), "1823c6e8");
  const auto& s = report::TCryptoAES::SBox();
  EXPECT_EQ(Hex(s.data(), 4), "637c777b");
  for (int x = 0; x < 256; ++x) EXPECT_EQ(report::TCryptoAES::InvSBox()[s[x]], x);
  EXPECT_EQ(report::TCryptoWhirlpool::Mul8(9, 0x80), report::TCryptoWhirlpool::Mul8NoCache(0x80, 9));
}

TEST(CryptoAES, Fips197Vectors) {
  const std::string plain = Unhex("00112233445566778899aabbccddeeff");
  struct {
    int keyLength;
    const char* cipher;
  } cases[] = {{16, "69c4e0d86a7b0430d8cdb78070b4c55a"},
               {24, "dda97ca4864cdfe06eaf70a0ec0d7191"},
               {32, "8ea2b7ca516745bfeafc49904b496089"}};
  for (const auto& c : cases) {
    std::string key;
    for (int i = 0; i < c.keyLength; ++i) key += static_cast<char>(i);
    report::TCryptoAES aes(key.data(), c.keyLength);
    unsigned char out[16], back[16];
    aes.Encrypt(out, plain.data());
    EXPECT_EQ(Hex(out, 16), c.cipher) << c.keyLength;
    aes.Decrypt(back, out);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(back), 16), plain);
    // In place.
    std::string buf = plain;
    aes.Encrypt(buf.data(), buf.data());
    EXPECT_EQ(Hex(buf.data(), 16), c.cipher);
  }
  try {
    report::TCryptoAES bad("01234567890123456789", 20);
    FAIL();
  } catch (const report::ECryptoAESInvalidKeyLength& e) {
    EXPECT_STREQ(e.what(), "AES-160 is undefined");
  }
}

std::string Capture(const std::string& command) { return support::CommandOutput(command); }

TEST(CryptoAES, CbcMatchesOpenssl) {
  if (std::system("command -v openssl >/dev/null 2>&1") != 0) GTEST_SKIP() << "openssl (Debian openssl) missing";
  ScratchFolder folder;
  const std::string key = Unhex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
  const std::string iv = Unhex("000102030405060708090a0b0c0d0e0f");
  std::string plain;
  for (int i = 0; i < 64; ++i) plain += static_cast<char>(i * 37 + 1);
  std::ofstream(folder.File("plain.bin"), std::ios::binary) << plain;
  const std::string theirs = Capture("openssl enc -aes-256-cbc -nopad -K " + Hex(key.data(), 32) + " -iv " +
                                     Hex(iv.data(), 16) + " -in " + folder.File("plain.bin"));
  ASSERT_EQ(theirs.size(), 64u);

  report::TCryptoAES_CBC enc(key.data(), 32, iv.data());
  std::string ours = plain;
  for (int b = 0; b < 4; ++b) enc.Encrypt(ours.data() + 16 * b, ours.data() + 16 * b);
  EXPECT_EQ(Hex(ours.data(), 64), Hex(theirs.data(), 64));

  report::TCryptoAES_CBC dec(key.data(), 32, iv.data());
  std::string back = ours;
  for (int b = 0; b < 4; ++b) dec.Decrypt(back.data() + 16 * b, back.data() + 16 * b);
  EXPECT_EQ(back, plain);

  // Out of order the chain does not restore the first block.
  report::TCryptoAES_CBC wrong(key.data(), 32, iv.data());
  std::string second = ours.substr(16, 16), first = ours.substr(0, 16);
  wrong.Decrypt(second.data(), second.data());
  wrong.Decrypt(first.data(), first.data());
  EXPECT_NE(first, plain.substr(0, 16));
}

}  // namespace
