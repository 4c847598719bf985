#include "report/vuzUtils.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"
#include "platform/rtl/format.h"
#include "platform/rtl/variant.h"
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

// --- numbers -------------------------------------------------------------------

long double vuzStrToFloat(const AnsiString& text) {
  const char sep = rtl::CurrentFormatSettings().DecimalSeparator;
  AnsiString s;
  for (char c : text) {
    if (c == ' ') continue;
    s.push_back(c == ',' || c == '.' ? sep : c);
  }
  return rtl::StrToFloat(s);
}

bool vuzIsValidFloat(const AnsiString& text) {
  try {
    vuzStrToFloat(text);
    return true;
  } catch (...) {
    return false;
  }
}

AnsiString vuzFloatToStr(long double value) {
  if (std::isfinite(value) && value != std::trunc(value)) return rtl::Format("%2.2f", {rtl::Variant(value)});
  return rtl::FloatToStr(value);
}

AnsiString frFloat2Str(long double value, int digits) {
  AnsiString s;
  if (std::isfinite(value) && value == std::trunc(value)) {
    // Whole values print as integers; those beyond 64 bits through the fixed
    // format, so no value goes through an integer it does not fit.
    if (std::fabs(value) < 9.2e18L)
      s = rtl::IntToStr(static_cast<std::int64_t>(value));
    else {
      char digitsText[6000];
      std::snprintf(digitsText, sizeof digitsText, "%.0Lf", value);
      s = digitsText;
    }
  } else {
    s = rtl::Format("%.*f", {rtl::Variant(std::clamp(digits, 0, 18)), rtl::Variant(value)},
                    rtl::FormatSettings::Invariant());
  }
  return s;
}

AnsiString HTMLRGBColor(gfx::TColor color) {
  const gfx::TColorRef rgb = gfx::ColorToRGB(color);
  char out[8];
  std::snprintf(out, sizeof out, "#%02X%02X%02X", gfx::GetRValue(rgb), gfx::GetGValue(rgb), gfx::GetBValue(rgb));
  return out;
}

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

AnsiString vuzGetBrackedVariable(const AnsiString& str, const AnsiString& openBracket, const AnsiString& closeBracket,
                                 int& i, int& j) {
  // Windows-1251 has no double-byte characters, so no lead bytes to step over.
  return ScanBrackets(str, openBracket, closeBracket, i, j);
}

WideString vuzGetBrackedVariableW(const WideString& str, const WideString& openBracket, const WideString& closeBracket,
                                  int& i, int& j) {
  return ScanBrackets(str, openBracket, closeBracket, i, j);
}

// --- messages ------------------------------------------------------------------

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

AnsiString GetTemporaryFolder() { return rtl::GetTempPath(); }

AnsiString GetTempFile() { return vuzCreateTempFile({}); }

AnsiString vuzCreateTempFile(const AnsiString& folder) {
  const AnsiString name = rtl::GetTempFileName(folder, "fr");
  if (name.empty())
    throw rtl::EFCreateError("Cannot create a temporary file in \"" + (folder.empty() ? GetTemporaryFolder() : folder) +
                             "\"");
  return name;
}

AnsiString GetAppFileName() { return rtl::ParamStr(0); }

AnsiString GetAppPath() { return rtl::ExtractFilePath(GetAppFileName()); }

// --- lists -----------------------------------------------------------------------

namespace {

int PageNumber(const AnsiString& digits) { return rtl::StrToInt(digits); }

}  // namespace

void vuzParsePageNumbers(const AnsiString& pages, rtl::TStrings& list, int total) {
  list.Clear();
  AnsiString s;
  for (char c : pages)
    if (c != ' ') s.push_back(c);
  if (s.empty()) return;
  if (s.back() == '-') s += std::to_string(total);
  s += ',';
  bool range = false;
  int rangeStart = 0;
  std::size_t numberStart = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == ',') {
      const int n = PageNumber(s.substr(numberStart, i - numberStart));
      if (!range) {
        list.Add(std::to_string(n));
      } else {
        // One entry per page: a range is bounded by the page count when it is
        // known, so "1-999999999" cannot exhaust memory.
        long long last = n;
        if (total > 0) last = std::min<long long>(last, total);
        last = std::min<long long>(last, static_cast<long long>(rangeStart) + kMaxPageRange - 1);
        for (long long k = rangeStart; k <= last; ++k) list.Add(std::to_string(k));
      }
      range = false;
      numberStart = i + 1;
    } else if (s[i] == '-') {
      rangeStart = PageNumber(s.substr(numberStart, i - numberStart));
      range = true;
      numberStart = i + 1;
    }
  }
}

void vuzSetCommaText(const AnsiString& text, rtl::TStrings& list, char separator) {
  list.Clear();
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = text.find(separator, i);
    if (end == std::string::npos) end = text.size();
    list.Add(text.substr(i, end - i));
    i = end + 1;
  }
}

// --- components ----------------------------------------------------------------

namespace {
TGlobalComponentFinder& GlobalFinder() {
  static TGlobalComponentFinder finder;
  return finder;
}

rtl::TComponent* FindGlobal(const AnsiString& name) {
  auto& finder = GlobalFinder();
  return finder ? finder(name) : nullptr;
}

TGlobalComponentLister& GlobalLister() {
  static TGlobalComponentLister lister;
  return lister;
}

bool IsReport(const rtl::TComponent* c) { return c && c->ClassType().InheritsFrom("TfrxReport"); }

bool IsGlobal(rtl::TComponent* c) { return c && !c->Name().empty() && FindGlobal(c->Name()) == c; }
}  // namespace

void vuzSetGlobalComponentFinder(TGlobalComponentFinder finder) { GlobalFinder() = std::move(finder); }
void vuzSetGlobalComponentLister(TGlobalComponentLister lister) { GlobalLister() = std::move(lister); }

AnsiString vuzGetFullName(rtl::TComponent* owner, rtl::TComponent* component) {
  if (!component) return AnsiString();
  rtl::TComponent* o = component->Owner();
  if (!o || o == owner || (IsReport(owner) && owner->Owner() == o)) return component->Name();
  if (IsGlobal(o)) return o->Name() + "." + component->Name();
  if (IsGlobal(o->Owner())) return o->Owner()->Name() + "." + o->Name() + "." + component->Name();
  return AnsiString();
}

void vuzGetComponents(rtl::TComponent* owner, const rtl::TClassInfo& cls, rtl::TStrings& list, rtl::TComponent* skip) {
  list.Clear();
  auto scan = [&](rtl::TComponent* holder) {
    for (int i = 0; i < holder->ComponentCount(); ++i) {
      rtl::TComponent* c = holder->Components(i);
      if (c != skip && c->ClassType().InheritsFrom(cls)) list.AddObject(vuzGetFullName(owner, c), c);
    }
  };
  if (IsReport(owner)) scan(owner);
  if (auto& lister = GlobalLister())
    for (rtl::TComponent* global : lister()) scan(global);
}

rtl::TComponent* vuzFindComponent(rtl::TComponent* owner, const AnsiString& name) {
  try {
    const std::size_t dot = name.find('.');
    if (dot != std::string::npos) {
      rtl::TComponent* global = FindGlobal(name.substr(0, dot));
      if (!global) return nullptr;
      const AnsiString rest = name.substr(dot + 1, 255);
      const std::size_t dot2 = rest.find('.');
      if (dot2 == std::string::npos) return global->FindComponent(rest);
      rtl::TComponent* middle = global->FindComponent(rest.substr(0, dot2));
      return middle ? middle->FindComponent(rest.substr(dot2 + 1)) : nullptr;
    }
    if (!owner) return nullptr;
    rtl::TComponent* found = owner->FindComponent(name);
    if (!found && IsReport(owner) && owner->Owner()) found = owner->Owner()->FindComponent(name);
    return found;
  } catch (const std::exception&) {
    throw EClassNotFound("Missing " + name);
  }
}

}  // namespace report
