#include "report/vuzUtils.h"

#include <zlib.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "platform/rtl/exceptions.h"

namespace report {

rtl::AnsiString vuzStreamToString(rtl::TStream& stream) {
  static const char kHex[] = "0123456789ABCDEF";
  stream.SetPosition(0);
  const std::string bytes = stream.ReadRest();
  rtl::AnsiString out;
  out.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) {
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 15]);
  }
  return out;
}

namespace {
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;  // a character that is not a hex digit counts as 0
}
}  // namespace

void vuzStringToStream(const rtl::AnsiString& text, rtl::TStream& stream) {
  std::string bytes(text.size() / 2, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>(HexValue(text[2 * i]) * 16 + HexValue(text[2 * i + 1]));
  stream.SetPosition(0);
  stream.WriteString(bytes);
  // A reused stream must not keep stale bytes after what was written.
  if (stream.Size() > static_cast<std::int64_t>(bytes.size())) stream.SetSize(static_cast<std::int64_t>(bytes.size()));
}

std::uint32_t vuzStreamCRC32(rtl::TStream& stream) {
  const std::int64_t pos = stream.Position();
  stream.SetPosition(0);
  uLong crc = crc32(0, nullptr, 0);
  static thread_local char buf[1 << 16];
  for (;;) {
    const std::int64_t n = stream.Read(buf, sizeof buf);
    if (n <= 0) break;
    crc = crc32(crc, reinterpret_cast<const Bytef*>(buf), static_cast<uInt>(n));
  }
  stream.SetPosition(pos);
  return static_cast<std::uint32_t>(crc);
}

// --- files -------------------------------------------------------------------

namespace {

std::filesystem::path Native(const rtl::AnsiString& name) {
  std::string p = rtl::AnsiToUtf8(name);
  for (auto& c : p)
    if (c == '\\') c = '/';
  return std::filesystem::path(p);
}

rtl::AnsiString FromNative(const std::filesystem::path& p) { return rtl::Utf8ToAnsi(p.string()); }

bool EndsWithSeparator(const rtl::AnsiString& s) { return !s.empty() && (s.back() == '/' || s.back() == '\\'); }

}  // namespace

rtl::AnsiString GetTemporaryFolder() {
  std::error_code ec;
  rtl::AnsiString folder = FromNative(std::filesystem::temp_directory_path(ec));
  if (ec || folder.empty()) folder = "/tmp";
  if (!EndsWithSeparator(folder)) folder += '/';
  return folder;
}

rtl::AnsiString GetTempFile() { return vuzCreateTempFile({}); }

rtl::AnsiString vuzCreateTempFile(const rtl::AnsiString& folder) {
  rtl::AnsiString dir = folder.empty() ? GetTemporaryFolder() : folder;
  if (!EndsWithSeparator(dir)) dir += '/';
  static std::atomic<unsigned> counter{std::random_device{}()};
  for (int attempt = 0; attempt < 1000; ++attempt) {
    char unique[16];
    std::snprintf(unique, sizeof unique, "%X", counter.fetch_add(1) & 0xFFFFFF);
    const rtl::AnsiString name = dir + "fr" + unique + ".tmp";
    // "x": created here or not at all, so two callers never share a file.
    if (std::FILE* f = std::fopen(Native(name).c_str(), "wbx")) {
      std::fclose(f);
      return name;
    }
    if (!std::filesystem::is_directory(Native(dir))) break;
  }
  throw rtl::EFCreateError("Cannot create a temporary file in \"" + dir + "\"");
}

rtl::AnsiString GetAppFileName() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? rtl::AnsiString() : FromNative(exe);
}

rtl::AnsiString GetAppPath() {
  const rtl::AnsiString file = GetAppFileName();
  const std::size_t slash = file.find_last_of("/\\");
  return slash == std::string::npos ? rtl::AnsiString() : file.substr(0, slash + 1);
}

bool vuzDirectoryExists(const rtl::AnsiString& folder) {
  std::error_code ec;
  return std::filesystem::is_directory(Native(folder), ec);
}

bool vuzFileExists(const rtl::AnsiString& fileName) {
  std::error_code ec;
  return std::filesystem::is_regular_file(Native(fileName), ec);
}

bool vuzDeleteFile(const rtl::AnsiString& fileName) {
  std::error_code ec;
  return std::filesystem::remove(Native(fileName), ec);
}

void vuzReplaceFile(const rtl::AnsiString& from, const rtl::AnsiString& to) {
  std::error_code ec;
  std::filesystem::rename(Native(from), Native(to), ec);
  if (ec) throw rtl::EFCreateError("Cannot rename \"" + from + "\" to \"" + to + "\". " + ec.message());
}

}  // namespace report
