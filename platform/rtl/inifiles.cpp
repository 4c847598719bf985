#include "platform/rtl/inifiles.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>

#include "platform/rtl/files.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"

namespace rtl {
namespace {

// One process-wide lock keeps read-modify-write cycles of this process apart.
std::mutex& ProfileLock() {
  static std::mutex m;
  return m;
}

enum class LineKind { Other, Section, Key };

struct Line {
  AnsiString raw;  // as in the file, without its line break
  LineKind kind = LineKind::Other;
  AnsiString name;   // section or key name, trimmed
  AnsiString value;  // raw text after "=" for keys
};

struct Profile {
  std::vector<Line> lines;
  bool existed = false;
  bool readable = true;
};

Line ParseLine(AnsiString raw) {
  Line line;
  AnsiString t = Trim(raw);
  if (!t.empty() && t[0] == '[') {
    line.kind = LineKind::Section;
    auto close = t.find(']');
    line.name = Trim(t.substr(1, close == AnsiString::npos ? AnsiString::npos : close - 1));
  } else if (!t.empty() && t[0] != ';') {
    line.kind = LineKind::Key;
    auto eq = raw.find('=');
    line.name = Trim(raw.substr(0, eq));
    if (eq != AnsiString::npos) line.value = raw.substr(eq + 1);
  }
  line.raw = std::move(raw);
  return line;
}

Profile Load(std::string_view fileName) {
  Profile p;
  if (!FileExists(fileName)) return p;
  p.existed = true;
  std::string bytes;
  try {
    TFileStream f(AnsiString(fileName), fmOpenRead | fmShareDenyNone);
    bytes = f.ReadRest();
  } catch (const Exception&) {
    p.readable = false;
    return p;
  }
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t start = i;
    while (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n') ++i;
    p.lines.push_back(ParseLine(bytes.substr(start, i - start)));
    if (i < bytes.size() && bytes[i] == '\r') ++i;
    if (i < bytes.size() && bytes[i] == '\n') ++i;
  }
  return p;
}

bool Save(std::string_view fileName, const Profile& p) {
  std::string text;
  for (const auto& line : p.lines) {
    text += line.raw;
    text += "\r\n";
  }
  try {
    SaveFileAtomically(fileName, text);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

// [begin, end) of the lines of the first section of that name; begin is the header.
bool FindSection(const Profile& p, std::string_view section, std::size_t& begin, std::size_t& end) {
  AnsiString wanted = Trim(section);
  for (std::size_t i = 0; i < p.lines.size(); ++i) {
    if (p.lines[i].kind != LineKind::Section || !AnsiSameText(p.lines[i].name, wanted)) continue;
    begin = i;
    end = i + 1;
    while (end < p.lines.size() && p.lines[end].kind != LineKind::Section) ++end;
    return true;
  }
  return false;
}

int FindKey(const Profile& p, std::size_t begin, std::size_t end, std::string_view key) {
  AnsiString wanted = Trim(key);
  for (std::size_t i = begin + 1; i < end; ++i)
    if (p.lines[i].kind == LineKind::Key && AnsiSameText(p.lines[i].name, wanted)) return static_cast<int>(i);
  return -1;
}

// The reading rules for a stored value: trimmed, one pair of outer quotes off.
AnsiString Unquote(std::string_view raw) {
  AnsiString v = Trim(raw);
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
  return v;
}

// Line breaks in a name or value would forge new lines.
AnsiString OneLine(std::string_view s) {
  AnsiString r(s);
  std::replace(r.begin(), r.end(), '\r', ' ');
  std::replace(r.begin(), r.end(), '\n', ' ');
  return r;
}

std::uint32_t CopyOut(std::string_view text, char* buffer, std::uint32_t size) {
  std::size_t n = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<std::uint32_t>(n);
}

// A NUL-separated list ending in an extra NUL; cut lists answer size - 2.
std::uint32_t CopyList(const std::vector<AnsiString>& names, char* buffer, std::uint32_t size) {
  std::string all;
  for (auto& n : names) {
    all += n;
    all.push_back('\0');
  }
  if (all.size() + 1 <= size) {
    std::memcpy(buffer, all.data(), all.size());
    buffer[all.size()] = '\0';
    return static_cast<std::uint32_t>(all.size());
  }
  if (size < 2) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, all.data(), size - 2);
  buffer[size - 2] = '\0';
  buffer[size - 1] = '\0';
  return size - 2;
}

std::vector<AnsiString> SectionNames(const Profile& p) {
  std::vector<AnsiString> names;
  for (auto& line : p.lines)
    if (line.kind == LineKind::Section &&
        std::none_of(names.begin(), names.end(), [&](auto& n) { return AnsiSameText(n, line.name); }))
      names.push_back(line.name);
  return names;
}

std::vector<AnsiString> KeyNames(const Profile& p, std::string_view section) {
  std::vector<AnsiString> names;
  std::size_t begin, end;
  if (!FindSection(p, section, begin, end)) return names;
  for (std::size_t i = begin + 1; i < end; ++i)
    if (p.lines[i].kind == LineKind::Key) names.push_back(p.lines[i].name);
  return names;
}

}  // namespace

std::uint32_t GetPrivateProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                                      std::uint32_t size, const char* fileName) {
  if (!buffer || size == 0) return 0;
  std::lock_guard lock(ProfileLock());
  Profile p = Load(fileName ? fileName : "");
  if (!section) return CopyList(SectionNames(p), buffer, size);
  if (!key) return CopyList(KeyNames(p, section), buffer, size);
  std::size_t begin, end;
  if (FindSection(p, section, begin, end)) {
    int at = FindKey(p, begin, end, key);
    if (at >= 0) return CopyOut(Unquote(p.lines[static_cast<std::size_t>(at)].value), buffer, size);
  }
  return CopyOut(TrimRight(defaultValue ? defaultValue : ""), buffer, size);
}

AnsiString GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                   std::uint32_t size, std::string_view fileName) {
  if (size == 0) return {};
  std::string buffer(size, '\0');
  std::uint32_t n =
      GetPrivateProfileString(AnsiString(section).c_str(), AnsiString(key).c_str(), AnsiString(defaultValue).c_str(),
                              buffer.data(), size, AnsiString(fileName).c_str());
  buffer.resize(n);
  return buffer;
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value, const char* fileName) {
  if (!section) return true;
  if (!fileName || !*fileName) return false;
  std::lock_guard lock(ProfileLock());
  Profile p = Load(fileName);
  if (!p.readable) return false;
  std::size_t begin, end;
  bool found = FindSection(p, section, begin, end);
  if (!key) {
    if (!found) return true;
    // Every section of that name goes.
    while (FindSection(p, section, begin, end)) p.lines.erase(p.lines.begin() + begin, p.lines.begin() + end);
    return Save(fileName, p);
  }
  int at = found ? FindKey(p, begin, end, key) : -1;
  if (!value) {
    if (at < 0) return true;
    p.lines.erase(p.lines.begin() + at);
    return Save(fileName, p);
  }
  Line entry = ParseLine(OneLine(Trim(key)) + "=" + OneLine(value));
  if (at >= 0) {
    p.lines[static_cast<std::size_t>(at)] = entry;
  } else if (found) {
    // After the section's last non-blank line.
    std::size_t pos = end;
    while (pos > begin + 1 && Trim(p.lines[pos - 1].raw).empty()) --pos;
    p.lines.insert(p.lines.begin() + static_cast<std::ptrdiff_t>(pos), entry);
  } else {
    p.lines.push_back(ParseLine("[" + OneLine(Trim(section)) + "]"));
    p.lines.push_back(entry);
  }
  return Save(fileName, p);
}

int GetPrivateProfileInt(const char* section, const char* key, int defaultValue, const char* fileName) {
  if (!section || !key || !fileName) return defaultValue;
  AnsiString value;
  {
    std::lock_guard lock(ProfileLock());
    Profile p = Load(fileName);
    std::size_t begin, end;
    int at = FindSection(p, section, begin, end) ? FindKey(p, begin, end, key) : -1;
    if (at < 0) return defaultValue;
    value = Unquote(p.lines[static_cast<std::size_t>(at)].value);
  }
  // The leading number only: "12abc" is 12, "abc" is 0.
  std::string_view s(value);
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  long long v = 0;
  if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    for (i += 2; i < s.size() && std::isxdigit(static_cast<unsigned char>(s[i])); ++i)
      v = (v * 16 + (std::isdigit(static_cast<unsigned char>(s[i])) ? s[i] - '0' : (s[i] | 0x20) - 'a' + 10)) &
          0xFFFFFFFFLL;
  } else {
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = (v * 10 + (s[i] - '0')) & 0xFFFFFFFFLL;
  }
  auto u = static_cast<std::uint32_t>(v);
  return negative ? -static_cast<int>(u) : static_cast<int>(u);
}

// ---- TCustomIniFile ----

int TCustomIniFile::ReadInteger(const AnsiString& section, const AnsiString& ident, int def) {
  return StrToIntDef(ReadString(section, ident, ""), def);
}

void TCustomIniFile::WriteInteger(const AnsiString& section, const AnsiString& ident, int value) {
  WriteString(section, ident, std::to_string(value));
}

bool TCustomIniFile::ReadBool(const AnsiString& section, const AnsiString& ident, bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const AnsiString& section, const AnsiString& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

long double TCustomIniFile::ReadFloat(const AnsiString& section, const AnsiString& ident, long double def) {
  return StrToFloatDef(ReadString(section, ident, ""), def);
}

void TCustomIniFile::WriteFloat(const AnsiString& section, const AnsiString& ident, long double value) {
  WriteString(section, ident, FloatToStr(value));
}

bool TCustomIniFile::SectionExists(const AnsiString& section) {
  TStringList keys;
  ReadSection(section, keys);
  return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const AnsiString& section, const AnsiString& ident) {
  TStringList keys;
  ReadSection(section, keys);
  return keys.IndexOf(Trim(ident)) >= 0;
}

// ---- TIniFile ----

AnsiString TIniFile::ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) {
  std::lock_guard lock(ProfileLock());
  Profile p = Load(FileName());
  std::size_t begin, end;
  if (FindSection(p, section, begin, end)) {
    int at = FindKey(p, begin, end, ident);
    if (at >= 0) return Unquote(p.lines[static_cast<std::size_t>(at)].value);
  }
  return def;
}

void TIniFile::WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) {
  if (!WritePrivateProfileString(section.c_str(), ident.c_str(), value.c_str(), FileName().c_str()))
    throw EIniFileException("Unable to write to " + FileName());
}

void TIniFile::ReadSection(const AnsiString& section, TStrings& keys) {
  std::lock_guard lock(ProfileLock());
  Profile p = Load(FileName());
  keys.BeginUpdate();
  keys.Clear();
  for (auto& k : KeyNames(p, section)) keys.Add(k);
  keys.EndUpdate();
}

void TIniFile::ReadSections(TStrings& sections) {
  std::lock_guard lock(ProfileLock());
  Profile p = Load(FileName());
  sections.BeginUpdate();
  sections.Clear();
  for (auto& s : SectionNames(p)) sections.Add(s);
  sections.EndUpdate();
}

void TIniFile::ReadSectionValues(const AnsiString& section, TStrings& values) {
  std::lock_guard lock(ProfileLock());
  Profile p = Load(FileName());
  values.BeginUpdate();
  values.Clear();
  std::size_t begin, end;
  if (FindSection(p, section, begin, end))
    for (std::size_t i = begin + 1; i < end; ++i)
      if (p.lines[i].kind == LineKind::Key) values.Add(p.lines[i].name + "=" + Unquote(p.lines[i].value));
  values.EndUpdate();
}

void TIniFile::EraseSection(const AnsiString& section) {
  if (!WritePrivateProfileString(section.c_str(), nullptr, nullptr, FileName().c_str()))
    throw EIniFileException("Unable to write to " + FileName());
}

void TIniFile::DeleteKey(const AnsiString& section, const AnsiString& ident) {
  if (!WritePrivateProfileString(section.c_str(), ident.c_str(), nullptr, FileName().c_str()))
    throw EIniFileException("Unable to write to " + FileName());
}

// ---- TMemIniFile ----

TMemIniFile::TMemIniFile(AnsiString fileName) : TCustomIniFile(std::move(fileName)) { Reload(); }

TMemIniFile::~TMemIniFile() = default;

void TMemIniFile::Clear() { sections_.clear(); }

void TMemIniFile::Reload() {
  Clear();
  Profile p;
  {
    std::lock_guard lock(ProfileLock());
    p = Load(FileName());
  }
  Section* current = nullptr;
  for (auto& line : p.lines) {
    if (line.kind == LineKind::Section) {
      current = Find(line.name);
      if (!current) {
        sections_.push_back(std::make_unique<Section>());
        current = sections_.back().get();
        current->name = line.name;
      }
    } else if (line.kind == LineKind::Key && current && current->values.IndexOfName(line.name) < 0) {
      current->values.Add(line.name + "=" + Unquote(line.value));
    }
  }
}

TMemIniFile::Section* TMemIniFile::Find(const AnsiString& section) const {
  AnsiString wanted = Trim(section);
  for (auto& s : sections_)
    if (AnsiSameText(s->name, wanted)) return s.get();
  return nullptr;
}

AnsiString TMemIniFile::ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) {
  Section* s = Find(section);
  if (!s) return def;
  int at = s->values.IndexOfName(Trim(ident));
  return at < 0 ? def : s->values.ValueFromIndex(at);
}

void TMemIniFile::WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) {
  Section* s = Find(section);
  if (!s) {
    sections_.push_back(std::make_unique<Section>());
    s = sections_.back().get();
    s->name = OneLine(Trim(section));
  }
  AnsiString name = OneLine(Trim(ident));
  AnsiString line = name + "=" + OneLine(value);
  int at = s->values.IndexOfName(name);
  if (at < 0)
    s->values.Add(line);
  else
    s->values.Put(at, line);
}

void TMemIniFile::ReadSection(const AnsiString& section, TStrings& keys) {
  keys.BeginUpdate();
  keys.Clear();
  if (Section* s = Find(section))
    for (int i = 0; i < s->values.Count(); ++i) keys.Add(s->values.Names(i));
  keys.EndUpdate();
}

void TMemIniFile::ReadSections(TStrings& sections) {
  sections.BeginUpdate();
  sections.Clear();
  for (auto& s : sections_) sections.Add(s->name);
  sections.EndUpdate();
}

void TMemIniFile::ReadSectionValues(const AnsiString& section, TStrings& values) {
  values.BeginUpdate();
  values.Clear();
  if (Section* s = Find(section)) values.AddStrings(s->values);
  values.EndUpdate();
}

void TMemIniFile::EraseSection(const AnsiString& section) {
  AnsiString wanted = Trim(section);
  std::erase_if(sections_, [&](auto& s) { return AnsiSameText(s->name, wanted); });
}

void TMemIniFile::DeleteKey(const AnsiString& section, const AnsiString& ident) {
  if (Section* s = Find(section)) {
    int at = s->values.IndexOfName(Trim(ident));
    if (at >= 0) s->values.Delete(at);
  }
}

AnsiString TMemIniFile::Text() const {
  AnsiString text;
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    if (i) text += "\r\n";
    text += "[" + sections_[i]->name + "]\r\n";
    const auto& values = sections_[i]->values;
    for (int k = 0; k < values.Count(); ++k) {
      AnsiString value = values.ValueFromIndex(k);
      // Quote what the reading rules would change.
      if (Unquote(value) != value) value = "\"" + value + "\"";
      text += values.Names(k) + "=" + value + "\r\n";
    }
  }
  return text;
}

void TMemIniFile::UpdateFile() {
  std::lock_guard lock(ProfileLock());
  try {
    SaveFileAtomically(FileName(), Text());
  } catch (const Exception&) {
    throw EIniFileException("Unable to write to " + FileName());
  }
}

}  // namespace rtl
