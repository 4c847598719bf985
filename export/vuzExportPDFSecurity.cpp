// Standard security, revision 3 with a 128-bit RC4 key: owner and user
// values, the document key, per-object keys and the enciphered strings.
#include <cstring>

#include "export/vuzExportPDF.h"
#include "export/vuzMD5.h"
#include "export/vuzRC4.h"

namespace report {

namespace {

// The padding that the standard security handler appends to passwords.
constexpr unsigned char kPadding[32] = {0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E,
                                        0x56, 0xFF, 0xFA, 0x01, 0x08, 0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68,
                                        0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};

std::string Digest(std::string_view bytes) {
  const TfrxMD5Digest d = MD5Bytes(bytes);
  return std::string(reinterpret_cast<const char*>(d.data()), d.size());
}

// 50 more rounds of MD5 over the 16-byte key.
std::string Stretch(std::string key) {
  for (int i = 0; i < 50; ++i) key = Digest(key);
  return key;
}

// RC4 under the key, then 19 more passes under the key with each byte XORed with the pass number.
std::string TwentyPasses(const std::string& key, std::string data) {
  data = RC4Crypt(key, std::move(data));
  for (int i = 1; i <= 19; ++i) {
    std::string k = key;
    for (char& c : k) c = static_cast<char>(c ^ i);
    data = RC4Crypt(k, std::move(data));
  }
  return data;
}

std::string HexBytes(const AnsiString& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

}  // namespace

std::string TfrxPDFExport::PadPassword(std::string_view password) {
  std::string p(password.substr(0, 32));
  p.append(reinterpret_cast<const char*>(kPadding), 32 - p.size());
  return p;
}

void TfrxPDFExport::PrepareKeys() {
  if (OwnerPassword.empty()) OwnerPassword = UserPassword;
  const std::string user = PadPassword(UserPassword);
  ownerValue_ = TwentyPasses(Stretch(Digest(PadPassword(OwnerPassword))), user);

  const std::string id = HexBytes(fileId_);
  std::string seed = user + ownerValue_;
  const auto p = static_cast<std::uint32_t>(permission_);
  for (int i = 0; i < 4; ++i) seed += static_cast<char>((p >> (8 * i)) & 0xFF);
  seed += id;
  key_ = Stretch(Digest(seed));

  userValue_ = TwentyPasses(key_, Digest(std::string(reinterpret_cast<const char*>(kPadding), 32) + id));
  userValue_.append(16, '\0');
}

std::string TfrxPDFExport::ObjectKey(int objectNumber) const {
  std::string seed = key_;
  const auto n = static_cast<std::uint32_t>(objectNumber);
  seed += static_cast<char>(n & 0xFF);
  seed += static_cast<char>((n >> 8) & 0xFF);
  seed += static_cast<char>((n >> 16) & 0xFF);
  seed.append(2, '\0');
  return Digest(seed);
}

std::string TfrxPDFExport::CryptBytes(std::string bytes, int objectNumber) const {
  if (!encrypted_) return bytes;
  return RC4Crypt(ObjectKey(objectNumber), std::move(bytes));
}

AnsiString TfrxPDFExport::PrepareString(std::u16string_view text, int objectNumber) const {
  if (!encrypted_) return "<" + StrToUTF16H(text) + ">";
  return "(" + EscapeSpecialChar(CryptBytes(StrToUTF16(text), objectNumber)) + ")";
}

}  // namespace report
