#include "export/vuzMD5.h"

#include "export/vuzCrypto.h"

namespace report {

TfrxMD5::TfrxMD5() : hash_(TCryptoHash::Create("MD5")) {}
TfrxMD5::~TfrxMD5() = default;

void TfrxMD5::Init() {
  hash_->Reset();
  digest_.fill(0);
}

void TfrxMD5::Update(const void* data, std::size_t count) { hash_->Push(data, static_cast<std::int64_t>(count)); }

void TfrxMD5::Finalize() {
  hash_->GetDigest(digest_.data(), static_cast<int>(digest_.size()));
  hash_->Reset();
}

rtl::AnsiString PrintMD5(const TfrxMD5Digest& digest) {
  static const char kHex[] = "0123456789abcdef";
  rtl::AnsiString s(32, '0');
  for (std::size_t i = 0; i < digest.size(); ++i) {
    s[2 * i] = kHex[digest[i] >> 4];
    s[2 * i + 1] = kHex[digest[i] & 15];
  }
  return s;
}

TfrxMD5Digest MD5Bytes(std::string_view bytes) {
  TfrxMD5Digest d{};
  MD5Buf(bytes.data(), bytes.size(), d);
  return d;
}

rtl::AnsiString MD5String(std::string_view bytes) { return PrintMD5(MD5Bytes(bytes)); }

rtl::AnsiString MD5Stream(rtl::TStream& stream) {
  const std::int64_t position = stream.Position();
  TfrxMD5 md5;
  stream.SetPosition(0);
  char block[256];
  for (std::int64_t n; (n = stream.Read(block, sizeof block)) > 0;) md5.Update(block, static_cast<std::size_t>(n));
  md5.Finalize();
  stream.SetPosition(position);
  return PrintMD5(md5.Digest());
}

rtl::AnsiString MD5File(const rtl::AnsiString& fileName) {
  rtl::TFileStream file(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
  return MD5Stream(file);
}

void MD5Buf(const void* data, std::size_t count, TfrxMD5Digest& out) {
  TCryptoHash::Hash("MD5", out.data(), static_cast<int>(out.size()), data, static_cast<std::int64_t>(count));
}

}  // namespace report
