// The settings store that stands in for the system registry: keys with
// "\"-separated paths under a few roots, holding named string, integer and
// binary values. Each root is one text file in the user's configuration
// folder ($XDG_CONFIG_HOME/zarnik/, by default ~/.config/zarnik/):
//   HKEY_CURRENT_USER  -> user.reg       HKEY_LOCAL_MACHINE -> machine.reg
//   HKEY_CLASSES_ROOT  -> classes.reg    HKEY_USERS -> users.reg
//   HKEY_CURRENT_CONFIG -> config.reg
// File format (UTF-8, LF line ends; lines that do not parse are ignored):
//   [Software\Vendor\Product]      a key, by its full path (written as it is)
//   "Name"=s:text                  a string; \\ \n \r \" are escapes
//   "Count"=i:42                   a 32-bit integer
//   "Blob"=b:0A1BFF                binary bytes in hexadecimal
//   @=s:text                       the key's default (unnamed) value
// Key and value names compare without regard to 1251 letter case. Every
// change rewrites the file through a temporary file and a rename.
// A test (or a platform layer) can point the folder elsewhere and can
// provide read-only keys whose values are computed when read.
#pragma once
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/object.h"
#include "platform/rtl/stringlists.h"

namespace rtl {

using HKEY = std::uint32_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;
constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;

RTL_DECLARE_EXCEPTION(ERegistryException, Exception)

// The folder of the store, with a trailing "/".
AnsiString SettingsFolder();
// Overrides the folder (tests); an empty name returns to the XDG rule.
void SetSettingsFolder(const AnsiString& folder);

// A read-only key whose string values are computed at each read (the serial
// layer lists the machine's ports this way). An empty function removes it.
// The provider runs under the store's lock and must not use the store.
using SettingsProvider = std::function<std::vector<std::pair<AnsiString, AnsiString>>()>;
void SetSettingsProvider(HKEY root, const AnsiString& keyPath, SettingsProvider provider);

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
  TRegDataType RegData = rdUnknown;
  int DataSize = 0;
};

class TRegistry : public TObject {
 public:
  TRegistry() = default;
  explicit TRegistry(unsigned /*access*/) {}

  HKEY RootKey() const { return root_; }
  // Changing the root closes the open key.
  void SetRootKey(HKEY root);
  // A path starting with "\" is from the root, any other from the open key.
  // With canCreate a missing key (and its parents) is created.
  bool OpenKey(const AnsiString& key, bool canCreate);
  bool OpenKeyReadOnly(const AnsiString& key);
  void CloseKey();
  // The open key's path from the root, without a leading "\" ("" when none).
  const AnsiString& CurrentPath() const { return path_; }
  bool HasOpenKey() const { return open_; }

  bool CreateKey(const AnsiString& key);
  // Deletes the key with everything below it.
  bool DeleteKey(const AnsiString& key);
  bool KeyExists(const AnsiString& key);
  bool HasSubKeys();
  void GetKeyNames(TStrings& names);
  void GetValueNames(TStrings& names);

  bool ValueExists(const AnsiString& name);
  bool DeleteValue(const AnsiString& name);
  TRegDataType GetDataType(const AnsiString& name);
  // -1 when the value does not exist.
  int GetDataSize(const AnsiString& name);
  bool GetDataInfo(const AnsiString& name, TRegDataInfo& info);

  // A missing value reads as ""; another type raises ERegistryException
  // "Invalid data type for '<name>'".
  AnsiString ReadString(const AnsiString& name);
  void WriteString(const AnsiString& name, const AnsiString& value);
  void WriteExpandString(const AnsiString& name, const AnsiString& value) { WriteString(name, value); }
  // A missing value raises "Failed to get data for '<name>'".
  int ReadInteger(const AnsiString& name);
  void WriteInteger(const AnsiString& name, int value);
  bool ReadBool(const AnsiString& name) { return ReadInteger(name) != 0; }
  void WriteBool(const AnsiString& name, bool value) { WriteInteger(name, value ? 1 : 0); }
  // Copies up to size bytes; answers the number copied.
  int ReadBinaryData(const AnsiString& name, void* buffer, int size);
  void WriteBinaryData(const AnsiString& name, const void* buffer, int size);

  bool LazyWrite = true;  // every write is stored at once here; kept for callers

 private:
  AnsiString Resolve(const AnsiString& key) const;
  void CheckWritable(const AnsiString& name) const;

  HKEY root_ = HKEY_CURRENT_USER;
  AnsiString path_;
  bool open_ = false;
  bool readOnly_ = false;
};

// An ini-file face on a registry key: sections are its subkeys, identifiers
// the values in them. The file name is the key path ("\Software\...").
class TRegistryIniFile : public TCustomIniFile {
 public:
  explicit TRegistryIniFile(AnsiString keyPath, HKEY root = HKEY_CURRENT_USER);
  AnsiString ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) override;
  void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) override;
  // Integer values as they are, string values when they hold a number.
  int ReadInteger(const AnsiString& section, const AnsiString& ident, int def) override;
  void WriteInteger(const AnsiString& section, const AnsiString& ident, int value) override;
  void WriteBool(const AnsiString& section, const AnsiString& ident, bool value) override;
  void ReadSection(const AnsiString& section, TStrings& keys) override;
  void ReadSections(TStrings& sections) override;
  void ReadSectionValues(const AnsiString& section, TStrings& values) override;
  void EraseSection(const AnsiString& section) override;
  void DeleteKey(const AnsiString& section, const AnsiString& ident) override;
  void UpdateFile() override {}
  TRegistry& RegIniFile() { return reg_; }

 private:
  bool OpenSection(const AnsiString& section, bool create);
  TRegistry reg_;
};

}  // namespace rtl
