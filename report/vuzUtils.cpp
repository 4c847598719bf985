#include "report/vuzUtils.h"

#include <zlib.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "platform/rtl/exceptions.h"
#include "report/vuzRes.h"

namespace report {

// --- records and areas -------------------------------------------------------

TfrxRect vuzRect(long double left, long double top, long double right, long double bottom) {
  return {left, top, right, bottom};
}

TfrxPoint vuzPoint(long double x, long double y) { return {x, y}; }

bool TfrxRectArea::InterceptsX(const TfrxRectArea& a) const { return a.X < X1 - 0.0001L && a.X1 > X + 0.0001L; }
bool TfrxRectArea::InterceptsY(const TfrxRectArea& a) const { return a.Y < Y1 - 0.0001L && a.Y1 > Y + 0.0001L; }

std::unique_ptr<TfrxRectArea> TfrxRectArea::InterceptX(const TfrxRectArea& a) const {
  if (!InterceptsX(a)) return nullptr;
  return std::make_unique<TfrxRectArea>(Max(X, a.X), 0, Min(X1, a.X1), 0);
}

std::unique_ptr<TfrxRectArea> TfrxRectArea::InterceptY(const TfrxRectArea& a) const {
  if (!InterceptsY(a)) return nullptr;
  return std::make_unique<TfrxRectArea>(0, Max(Y, a.Y), 0, Min(Y1, a.Y1));
}

long double Max(long double a, long double b) { return a >= b ? a : b; }
long double Min(long double a, long double b) { return a > b ? b : a; }

// --- texts -------------------------------------------------------------------

AnsiString vuzRemoveQuotes(const AnsiString& s) {
  if (s.size() > 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
  return s;
}

AnsiString vuzReverseString(const AnsiString& s) { return AnsiString(s.rbegin(), s.rend()); }

AnsiString vuzUnixPath2WinPath(const AnsiString& s) {
  AnsiString out = s;
  for (auto& c : out)
    if (c == '/') c = '\\';
  return out;
}

int PosEx(const AnsiString& sub, const AnsiString& s, int offset) {
  if (sub.empty() || offset < 1) return 0;
  const std::size_t p = s.find(sub, static_cast<std::size_t>(offset - 1));
  return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

namespace {

template <class Str>
Str ScanBrackets(const Str& str, const Str& open, const Str& close, int& i, int& j) {
  using Ch = typename Str::value_type;
  j = i;
  const int len = static_cast<int>(str.size());
  if (str.empty() || j > len || j < 1) return {};
  auto startsAt = [&](int pos, const Str& what) {
    return !what.empty() && str.compare(static_cast<std::size_t>(pos - 1), what.size(), what) == 0;
  };
  int depth = 0;
  bool inDouble = false, inSingle = false;
  for (;;) {
    if (!inDouble && !inSingle) {
      if (startsAt(j, open)) {
        if (depth == 0) i = j;
        ++depth;
      } else if (startsAt(j, close)) {
        --depth;
      }
    }
    const Ch c = str[static_cast<std::size_t>(j - 1)];
    if (!inSingle && c == Ch('"')) inDouble = !inDouble;
    if (!inDouble && c == Ch('\'')) inSingle = !inSingle;
    // A close bracket first (depth below 0) ends the scan as well.
    if (depth <= 0 || j == len) break;
    ++j;
  }
  const int lo = static_cast<int>(open.size());
  if (depth > 0) {
    // Never closed: the rest of the text, j at its end.
    return i + lo <= len ? str.substr(static_cast<std::size_t>(i - 1 + lo)) : Str();
  }
  Str result;
  if (j - i - lo > 0) result = str.substr(static_cast<std::size_t>(i - 1 + lo), static_cast<std::size_t>(j - i - lo));
  if (i != j) j += static_cast<int>(close.size()) - 1;
  return result;
}

}  // namespace

AnsiString vuzGetBrackedVariable(const AnsiString& str, const AnsiString& openBracket,
                                 const AnsiString& closeBracket, int& i, int& j) {
  // Windows-1251 has no double-byte characters, so no lead bytes to step over.
  return ScanBrackets(str, openBracket, closeBracket, i, j);
}

WideString vuzGetBrackedVariableW(const WideString& str, const WideString& openBracket,
                                  const WideString& closeBracket, int& i, int& j) {
  return ScanBrackets(str, openBracket, closeBracket, i, j);
}

// --- messages ------------------------------------------------------------------

namespace {
TMessageBoxHandler& MessageBoxHandler() {
  static TMessageBoxHandler handler;
  return handler;
}
}  // namespace

void vuzSetMessageBoxHandler(TMessageBoxHandler handler) { MessageBoxHandler() = std::move(handler); }

int vuzMessageBox(const AnsiString& text, const AnsiString& caption, int flags) {
  if (auto& h = MessageBoxHandler()) return h(text, caption, flags);
  std::fprintf(stderr, "%s: %s\n", rtl::AnsiToUtf8(caption).c_str(), rtl::AnsiToUtf8(text).c_str());
  switch (flags & 0x0F) {
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    default: return IDOK;
  }
}

void vuzErrorMsg(const AnsiString& text) { vuzMessageBox(text, vuzResources().Get("mbError"), MB_OK | MB_ICONERROR); }

void vuzInfoMsg(const AnsiString& text) {
  vuzMessageBox(text, vuzResources().Get("mbInfo"), MB_OK | MB_ICONINFORMATION);
}

int vuzConfirmMsg(const AnsiString& text, int buttons) {
  return vuzMessageBox(text, vuzResources().Get("mbConfirm"), buttons | MB_ICONQUESTION);
}

void vuzCommonErrorHandler(TfrxSilentMode mode, const AnsiString& text) {
  switch (mode) {
    case simMessageBoxes: vuzErrorMsg(text); break;
    case simSilent: break;
    case simReThrow: throw rtl::Exception(text);
  }
}

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
