#include "platform/rtl/registry.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/rtl/files.h"
#include "platform/rtl/textcase.h"

namespace rtl {
namespace {

struct RegValue {
  AnsiString name;
  TRegDataType type = rdString;
  std::string data;  // string bytes (1251) or binary bytes
  int integer = 0;
};

struct RegKey {
  AnsiString path;  // without leading "\"
  std::vector<RegValue> values;
};

struct Hive {
  std::vector<RegKey> keys;

  RegKey* Find(const AnsiString& path) {
    for (auto& k : keys)
      if (AnsiSameText(k.path, path)) return &k;
    return nullptr;
  }
  // Creates the key and its parents.
  RegKey& Make(const AnsiString& path) {
    if (RegKey* k = Find(path)) return *k;
    auto slash = path.rfind('\\');
    if (slash != AnsiString::npos) Make(path.substr(0, slash));
    keys.push_back({path, {}});
    return keys.back();
  }
};

struct Store {
  std::recursive_mutex m;  // held while loading, which asks for the folder again
  AnsiString folder;       // override; empty follows XDG
  std::map<std::pair<HKEY, AnsiString>, SettingsProvider> providers;  // path in capitals
};

Store& TheStore() {
  static Store s;
  return s;
}

const char* FileOf(HKEY root) {
  switch (root) {
    case HKEY_CLASSES_ROOT: return "classes.reg";
    case HKEY_LOCAL_MACHINE: return "machine.reg";
    case HKEY_USERS: return "users.reg";
    case HKEY_CURRENT_CONFIG: return "config.reg";
    default: return "user.reg";
  }
}

// "\A\\B\" -> "A\B"
AnsiString NormalizePath(std::string_view path) {
  AnsiString out;
  std::size_t i = 0;
  while (i < path.size()) {
    std::size_t j = path.find('\\', i);
    if (j == std::string_view::npos) j = path.size();
    if (j > i) {
      if (!out.empty()) out.push_back('\\');
      out.append(path.substr(i, j - i));
    }
    i = j + 1;
  }
  return out;
}

std::string Escape(std::string_view s) {
  std::string r;
  for (char c : s) {
    switch (c) {
      case '\\': r += "\\\\"; break;
      case '\n': r += "\\n"; break;
      case '\r': r += "\\r"; break;
      case '"': r += "\\\""; break;
      default: r.push_back(c);
    }
  }
  return r;
}

std::string Unescape(std::string_view s) {
  std::string r;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      r.push_back(s[i]);
      continue;
    }
    char c = s[++i];
    r.push_back(c == 'n' ? '\n' : c == 'r' ? '\r' : c);
  }
  return r;
}

// Position of the first unescaped ch from `from`, or npos.
std::size_t FindUnescaped(std::string_view s, char ch, std::size_t from) {
  for (std::size_t i = from; i < s.size(); ++i) {
    if (s[i] == '\\')
      ++i;
    else if (s[i] == ch)
      return i;
  }
  return std::string_view::npos;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void ParseValueLine(RegKey& key, std::string_view line) {
  RegValue v;
  std::size_t rest;
  if (line.substr(0, 2) == "@=") {
    rest = 2;
  } else if (!line.empty() && line[0] == '"') {
    std::size_t close = FindUnescaped(line, '"', 1);
    if (close == std::string_view::npos || close + 1 >= line.size() || line[close + 1] != '=') return;
    v.name = Utf8ToAnsi(Unescape(line.substr(1, close - 1)));
    rest = close + 2;
  } else {
    return;
  }
  std::string_view data = line.substr(rest);
  if (data.size() < 2 || data[1] != ':') return;
  std::string_view body = data.substr(2);
  switch (data[0]) {
    case 's':
      v.type = rdString;
      v.data = Utf8ToAnsi(Unescape(body));
      break;
    case 'i': {
      char* end = nullptr;
      std::string text(body);
      long long n = std::strtoll(text.c_str(), &end, 10);
      if (text.empty() || *end) return;
      v.type = rdInteger;
      v.integer = static_cast<int>(n);
      break;
    }
    case 'b': {
      if (body.size() % 2) return;
      v.type = rdBinary;
      for (std::size_t i = 0; i < body.size(); i += 2) {
        int hi = HexDigit(body[i]), lo = HexDigit(body[i + 1]);
        if (hi < 0 || lo < 0) return;
        v.data.push_back(static_cast<char>(hi * 16 + lo));
      }
      break;
    }
    default: return;
  }
  // The first of two equal names wins, as on reading ini files.
  if (std::none_of(key.values.begin(), key.values.end(), [&](auto& o) { return AnsiSameText(o.name, v.name); }))
    key.values.push_back(std::move(v));
}

AnsiString HivePath(HKEY root) { return SettingsFolder() + FileOf(root); }

// Call with the store locked.
Hive LoadHive(HKEY root, bool withProviders) {
  Hive hive;
  AnsiString file = HivePath(root);
  std::string text;
  if (FileExists(file)) {
    try {
      TFileStream f(file, fmOpenRead | fmShareDenyNone);
      text = f.ReadRest();
    } catch (const Exception&) {
    }
  }
  RegKey* current = nullptr;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = text.find('\n', i);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + i, end - i);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    i = end + 1;
    if (!line.empty() && line[0] == '[') {
      std::size_t close = line.rfind(']');
      if (close == std::string_view::npos) {
        current = nullptr;
        continue;
      }
      AnsiString path = NormalizePath(Utf8ToAnsi(line.substr(1, close - 1)));
      current = &hive.Make(path);  // "[]" holds the root's own values
    } else if (current) {
      ParseValueLine(*current, line);
    }
  }
  if (withProviders) {
    for (auto& [id, provider] : TheStore().providers) {
      if (id.first != root) continue;
      // Look the key up by its capitals-free spelling as registered.
      RegKey& key = hive.Make(id.second);
      for (auto& [name, value] : provider()) {
        std::erase_if(key.values, [&n = name](auto& o) { return AnsiSameText(o.name, n); });
        key.values.push_back({name, rdString, value, 0});
      }
    }
  }
  return hive;
}

// Call with the store locked.
void SaveHive(HKEY root, const Hive& hive) {
  std::string text = "; settings store, written by the program\n";
  for (const auto& key : hive.keys) {
    // Key paths are written as they are; a line break in one would split it.
    std::string path = AnsiToUtf8(key.path);
    std::replace(path.begin(), path.end(), '\n', ' ');
    std::replace(path.begin(), path.end(), '\r', ' ');
    text += "[" + path + "]\n";
    for (const auto& v : key.values) {
      text += v.name.empty() ? std::string("@") : "\"" + Escape(AnsiToUtf8(v.name)) + "\"";
      switch (v.type) {
        case rdInteger: text += "=i:" + std::to_string(v.integer); break;
        case rdBinary: {
          text += "=b:";
          static const char* hex = "0123456789ABCDEF";
          for (unsigned char c : v.data) {
            text.push_back(hex[c >> 4]);
            text.push_back(hex[c & 15]);
          }
          break;
        }
        default: text += "=s:" + Escape(AnsiToUtf8(v.data)); break;
      }
      text += "\n";
    }
  }
  if (!ForceDirectories(SettingsFolder()))
    throw ERegistryException("Cannot create the settings folder " + SettingsFolder());
  SaveFileAtomically(HivePath(root), std::string_view(text));
}

// SaveHive for the calls that answer false on failure.
bool TrySaveHive(HKEY root, const Hive& hive) {
  try {
    SaveHive(root, hive);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

RegValue* FindValue(RegKey* key, const AnsiString& name) {
  if (!key) return nullptr;
  for (auto& v : key->values)
    if (AnsiSameText(v.name, name)) return &v;
  return nullptr;
}

bool IsChildOf(const AnsiString& path, const AnsiString& parent) {
  if (parent.empty()) return !path.empty();
  return path.size() > parent.size() + 1 && path[parent.size()] == '\\' &&
         AnsiSameText(std::string_view(path).substr(0, parent.size()), parent);
}

}  // namespace

AnsiString SettingsFolder() {
  {
    auto& s = TheStore();
    std::lock_guard lock(s.m);
    if (!s.folder.empty()) return IncludeTrailingPathDelimiter(s.folder);
  }
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') return IncludeTrailingPathDelimiter(FromNativePath(xdg)) + "zarnik/";
  const char* home = std::getenv("HOME");
  return IncludeTrailingPathDelimiter(FromNativePath(home && *home ? home : "/tmp")) + ".config/zarnik/";
}

void SetSettingsFolder(const AnsiString& folder) {
  auto& s = TheStore();
  std::lock_guard lock(s.m);
  s.folder = folder;
}

void SetSettingsProvider(HKEY root, const AnsiString& keyPath, SettingsProvider provider) {
  auto& s = TheStore();
  std::lock_guard lock(s.m);
  AnsiString path = NormalizePath(keyPath);
  // One provider per key, whatever the spelling.
  for (auto it = s.providers.begin(); it != s.providers.end();) {
    if (it->first.first == root && AnsiSameText(it->first.second, path))
      it = s.providers.erase(it);
    else
      ++it;
  }
  if (provider) s.providers[{root, path}] = std::move(provider);
}

// ---- TRegistry ----
// Every operation reads the file afresh under the store's lock, so several
// TRegistry objects (and the ini face) always agree.

AnsiString TRegistry::Resolve(const AnsiString& key) const {
  bool absolute = !key.empty() && key[0] == '\\';
  AnsiString rel = NormalizePath(key);
  if (absolute || !open_ || path_.empty()) return rel;
  return rel.empty() ? path_ : path_ + "\\" + rel;
}

void TRegistry::SetRootKey(HKEY root) {
  CloseKey();
  root_ = root;
}

bool TRegistry::OpenKey(const AnsiString& key, bool canCreate) {
  AnsiString path = Resolve(key);
  auto& s = TheStore();
  std::lock_guard lock(s.m);
  Hive hive = LoadHive(root_, true);
  if (RegKey* k = hive.Find(path)) {
    path = k->path;
  } else if (path.empty()) {
    // The root itself always opens.
  } else if (!canCreate) {
    return false;
  } else {
    Hive stored = LoadHive(root_, false);
    stored.Make(path);
    if (!TrySaveHive(root_, stored)) return false;
  }
  path_ = path;
  open_ = true;
  readOnly_ = false;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const AnsiString& key) {
  if (!OpenKey(key, false)) return false;
  readOnly_ = true;
  return true;
}

void TRegistry::CloseKey() {
  path_.clear();
  open_ = false;
  readOnly_ = false;
}

bool TRegistry::CreateKey(const AnsiString& key) {
  AnsiString path = Resolve(key);
  if (path.empty()) return false;
  auto& s = TheStore();
  std::lock_guard lock(s.m);
  Hive stored = LoadHive(root_, false);
  if (stored.Find(path)) return true;
  stored.Make(path);
  return TrySaveHive(root_, stored);
}

bool TRegistry::DeleteKey(const AnsiString& key) {
  AnsiString path = Resolve(key);
  if (path.empty()) return false;
  auto& s = TheStore();
  std::lock_guard lock(s.m);
  Hive stored = LoadHive(root_, false);
  if (!stored.Find(path)) return false;
  std::erase_if(stored.keys, [&](auto& k) { return AnsiSameText(k.path, path) || IsChildOf(k.path, path); });
  if (!TrySaveHive(root_, stored)) return false;
  if (open_ && (AnsiSameText(path_, path) || IsChildOf(path_, path))) CloseKey();
  return true;
}

bool TRegistry::KeyExists(const AnsiString& key) {
  AnsiString path = Resolve(key);
  auto& s = TheStore();
  std::lock_guard lock(s.m);
  Hive hive = LoadHive(root_, true);
  return path.empty() || hive.Find(path) != nullptr;
}

void TRegistry::GetKeyNames(TStrings& names) {
  names.BeginUpdate();
  names.Clear();
  {
    auto& s = TheStore();
    std::lock_guard lock(s.m);
    Hive hive = LoadHive(root_, true);
    for (auto& k : hive.keys)
      if (IsChildOf(k.path, path_) && k.path.find('\\', path_.empty() ? 0 : path_.size() + 1) == AnsiString::npos)
        names.Add(k.path.substr(path_.empty() ? 0 : path_.size() + 1));
  }
  names.EndUpdate();
}

bool TRegistry::HasSubKeys() {
  TStringList names;
  GetKeyNames(names);
  return names.Count() > 0;
}

void TRegistry::GetValueNames(TStrings& names) {
  names.BeginUpdate();
  names.Clear();
  {
    auto& s = TheStore();
    std::lock_guard lock(s.m);
    Hive hive = LoadHive(root_, true);
    if (RegKey* k = hive.Find(path_))
      for (auto& v : k->values) names.Add(v.name);
  }
  names.EndUpdate();
}

bool TRegistry::GetDataInfo(const AnsiString& name, TRegDataInfo& info) {
  auto& s = TheStore();
  std::lock_guard lock(s.m);
  Hive hive = LoadHive(root_, true);
  RegValue* v = FindValue(hive.Find(path_), name);
  if (!v) {
    info = {};
    return false;
  }
  info.RegData = v->type;
  info.DataSize = v->type == rdInteger  ? 4
                  : v->type == rdBinary ? static_cast<int>(v->data.size())
                                        : static_cast<int>(v->data.size()) + 1;
  return true;
}

bool TRegistry::ValueExists(const AnsiString& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info);
}

TRegDataType TRegistry::GetDataType(const AnsiString& name) {
  TRegDataInfo info;
  GetDataInfo(name, info);
  return info.RegData;
}

int TRegistry::GetDataSize(const AnsiString& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.DataSize : -1;
}

void TRegistry::CheckWritable(const AnsiString& name) const {
  if (readOnly_) throw ERegistryException("Failed to set data for '" + name + "'");
}

namespace {

// Applies change to the value in the open key of a freshly loaded hive and
// stores the hive; the key is created when missing.
template <class Change>
void ChangeValue(HKEY root, const AnsiString& path, const AnsiString& name, Change change) {
  auto& s = TheStore();
  std::lock_guard lock(s.m);
  Hive stored = LoadHive(root, false);
  RegKey& key = path.empty() ? stored.Make("") : stored.Make(path);
  RegValue* v = FindValue(&key, name);
  if (!v) {
    key.values.push_back({name, rdString, {}, 0});
    v = &key.values.back();
  }
  change(*v);
  try {
    SaveHive(root, stored);
  } catch (const Exception&) {
    throw ERegistryException("Failed to set data for '" + name + "'");
  }
}

}  // namespace

bool TRegistry::DeleteValue(const AnsiString& name) {
  if (readOnly_) return false;
  auto& s = TheStore();
  std::lock_guard lock(s.m);
  Hive stored = LoadHive(root_, false);
  RegKey* k = stored.Find(path_);
  if (!k || !FindValue(k, name)) return false;
  std::erase_if(k->values, [&](auto& v) { return AnsiSameText(v.name, name); });
  return TrySaveHive(root_, stored);
}

AnsiString TRegistry::ReadString(const AnsiString& name) {
  auto& s = TheStore();
  std::lock_guard lock(s.m);
  Hive hive = LoadHive(root_, true);
  RegValue* v = FindValue(hive.Find(path_), name);
  if (!v) return {};
  if (v->type != rdString && v->type != rdExpandString)
    throw ERegistryException("Invalid data type for '" + name + "'");
  return v->data;
}

void TRegistry::WriteString(const AnsiString& name, const AnsiString& value) {
  CheckWritable(name);
  ChangeValue(root_, path_, name, [&](RegValue& v) {
    v.type = rdString;
    v.data = value;
  });
}

int TRegistry::ReadInteger(const AnsiString& name) {
  auto& s = TheStore();
  std::lock_guard lock(s.m);
  Hive hive = LoadHive(root_, true);
  RegValue* v = FindValue(hive.Find(path_), name);
  if (!v) throw ERegistryException("Failed to get data for '" + name + "'");
  if (v->type != rdInteger) throw ERegistryException("Invalid data type for '" + name + "'");
  return v->integer;
}

void TRegistry::WriteInteger(const AnsiString& name, int value) {
  CheckWritable(name);
  ChangeValue(root_, path_, name, [&](RegValue& v) {
    v.type = rdInteger;
    v.data.clear();
    v.integer = value;
  });
}

int TRegistry::ReadBinaryData(const AnsiString& name, void* buffer, int size) {
  auto& s = TheStore();
  std::lock_guard lock(s.m);
  Hive hive = LoadHive(root_, true);
  RegValue* v = FindValue(hive.Find(path_), name);
  if (!v) throw ERegistryException("Failed to get data for '" + name + "'");
  if (v->type != rdBinary) throw ERegistryException("Invalid data type for '" + name + "'");
  int n = std::min<int>(std::max(size, 0), static_cast<int>(v->data.size()));
  std::memcpy(buffer, v->data.data(), static_cast<std::size_t>(n));
  return n;
}

void TRegistry::WriteBinaryData(const AnsiString& name, const void* buffer, int size) {
  CheckWritable(name);
  ChangeValue(root_, path_, name, [&](RegValue& v) {
    v.type = rdBinary;
    v.data.assign(static_cast<const char*>(buffer), static_cast<std::size_t>(std::max(size, 0)));
  });
}

// ---- TRegistryIniFile ----

TRegistryIniFile::TRegistryIniFile(AnsiString keyPath, HKEY root) : TCustomIniFile(std::move(keyPath)) {
  reg_.SetRootKey(root);
}

bool TRegistryIniFile::OpenSection(const AnsiString& section, bool create) {
  AnsiString base = NormalizePath(FileName());
  AnsiString path = "\\" + base + (section.empty() ? AnsiString() : "\\" + NormalizePath(section));
  reg_.CloseKey();
  return reg_.OpenKey(path, create);
}

AnsiString TRegistryIniFile::ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) {
  if (!OpenSection(section, false) || !reg_.ValueExists(ident)) return def;
  if (reg_.GetDataType(ident) == rdInteger) return std::to_string(reg_.ReadInteger(ident));
  if (reg_.GetDataType(ident) != rdString) return def;
  return reg_.ReadString(ident);
}

void TRegistryIniFile::WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) {
  if (!OpenSection(section, true)) throw ERegistryException("Failed to set data for '" + ident + "'");
  reg_.WriteString(ident, value);
}

int TRegistryIniFile::ReadInteger(const AnsiString& section, const AnsiString& ident, int def) {
  if (!OpenSection(section, false) || !reg_.ValueExists(ident)) return def;
  if (reg_.GetDataType(ident) == rdInteger) return reg_.ReadInteger(ident);
  return TCustomIniFile::ReadInteger(section, ident, def);
}

void TRegistryIniFile::WriteInteger(const AnsiString& section, const AnsiString& ident, int value) {
  if (!OpenSection(section, true)) throw ERegistryException("Failed to set data for '" + ident + "'");
  reg_.WriteInteger(ident, value);
}

void TRegistryIniFile::WriteBool(const AnsiString& section, const AnsiString& ident, bool value) {
  WriteInteger(section, ident, value ? 1 : 0);
}

void TRegistryIniFile::ReadSection(const AnsiString& section, TStrings& keys) {
  if (OpenSection(section, false))
    reg_.GetValueNames(keys);
  else
    keys.Clear();
}

void TRegistryIniFile::ReadSections(TStrings& sections) {
  if (OpenSection("", false))
    reg_.GetKeyNames(sections);
  else
    sections.Clear();
}

void TRegistryIniFile::ReadSectionValues(const AnsiString& section, TStrings& values) {
  TStringList names;
  ReadSection(section, names);
  values.BeginUpdate();
  values.Clear();
  for (int i = 0; i < names.Count(); ++i) values.Add(names[i] + "=" + ReadString(section, names[i], ""));
  values.EndUpdate();
}

void TRegistryIniFile::EraseSection(const AnsiString& section) {
  reg_.CloseKey();
  reg_.DeleteKey("\\" + NormalizePath(FileName()) + "\\" + NormalizePath(section));
}

void TRegistryIniFile::DeleteKey(const AnsiString& section, const AnsiString& ident) {
  if (OpenSection(section, false)) reg_.DeleteValue(ident);
}

}  // namespace rtl
