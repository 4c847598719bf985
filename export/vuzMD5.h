// MD5 for the PDF export's security handler: a thin front over the hash
// toolkit's MD5, with the digest printed as 32 lower-case hexadecimal digits.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace report {

class TCryptoHash;
using TfrxMD5Digest = std::array<std::uint8_t, 16>;

class TfrxMD5 {
 public:
  TfrxMD5();
  ~TfrxMD5();
  TfrxMD5(const TfrxMD5&) = delete;
  TfrxMD5& operator=(const TfrxMD5&) = delete;

  // Forgets everything pushed so far.
  void Init();
  void Update(const void* data, std::size_t count);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
  // Pads and computes the digest; Init before the object is used again.
  void Finalize();
  const TfrxMD5Digest& Digest() const { return digest_; }

 private:
  std::unique_ptr<TCryptoHash> hash_;
  TfrxMD5Digest digest_{};
};

// 32 lower-case hexadecimal digits.
rtl::AnsiString PrintMD5(const TfrxMD5Digest& digest);
// The digest of a byte string, and of a whole stream (its position is kept).
TfrxMD5Digest MD5Bytes(std::string_view bytes);
rtl::AnsiString MD5String(std::string_view bytes);
rtl::AnsiString MD5Stream(rtl::TStream& stream);
rtl::AnsiString MD5File(const rtl::AnsiString& fileName);
void MD5Buf(const void* data, std::size_t count, TfrxMD5Digest& out);

}  // namespace report
