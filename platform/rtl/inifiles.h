// Ini files with the private-profile rules the program's settings and note
// files are written for:
//  - section and key names are found without regard to 1251 letter case and
//    to blanks around them; the first of two equal sections or keys wins;
//  - a value is trimmed, then one pair of surrounding quotes ('...' or "...")
//    is removed; lines starting with ";" are comments;
//  - a read into a buffer of n bytes keeps at most n - 1 characters;
//  - the file is created by the first write (its folder must exist), holds
//    1251 bytes and CR LF line ends, and is replaced by rename so that a
//    failed write never destroys it;
//  - relative file names are relative to the current folder.
// Line breaks inside a written name or value become blanks: they would
// otherwise forge new lines in the file.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/object.h"
#include "platform/rtl/stringlists.h"

namespace rtl {

RTL_DECLARE_EXCEPTION(EIniFileException, Exception)

// Copies the value (or, when absent, the default with its trailing blanks
// removed) into buffer, truncated to size - 1 bytes and NUL-terminated, and
// answers the number of bytes copied. A null key lists the section's key
// names, a null section lists the section names: each name NUL-terminated,
// the list ended by one more NUL (size - 2 is answered when it was cut).
std::uint32_t GetPrivateProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                                      std::uint32_t size, const char* fileName);
// The same answered as a string; size is the caller's buffer length.
AnsiString GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                   std::uint32_t size, std::string_view fileName);
// Writes key=value into section, creating file, section or key as needed. A
// null key deletes the whole section, a null value deletes the key, a null
// section does nothing. False when the file cannot be written.
bool WritePrivateProfileString(const char* section, const char* key, const char* value, const char* fileName);
// The value's leading decimal number (optionally signed, or 0x hexadecimal);
// 0 when the value is not a number, the default when the key is absent.
int GetPrivateProfileInt(const char* section, const char* key, int defaultValue, const char* fileName);

// The common face of ini files and the registry-backed settings store.
class TCustomIniFile : public TObject {
 public:
  explicit TCustomIniFile(AnsiString fileName) : fileName_(std::move(fileName)) {}
  const AnsiString& FileName() const { return fileName_; }

  virtual AnsiString ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) = 0;
  virtual void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) = 0;
  // Whole decimal numbers, or hexadecimal with "$" or "0x"; otherwise def.
  virtual int ReadInteger(const AnsiString& section, const AnsiString& ident, int def);
  virtual void WriteInteger(const AnsiString& section, const AnsiString& ident, int value);
  // Numbers in the process-wide format settings (decimal separator); a text
  // that is not a number reads as def.
  virtual long double ReadFloat(const AnsiString& section, const AnsiString& ident, long double def);
  virtual void WriteFloat(const AnsiString& section, const AnsiString& ident, long double value);
  // A number other than 0 is true; written as "1" or "0".
  virtual bool ReadBool(const AnsiString& section, const AnsiString& ident, bool def);
  virtual void WriteBool(const AnsiString& section, const AnsiString& ident, bool value);
  // Key names of a section.
  virtual void ReadSection(const AnsiString& section, TStrings& keys) = 0;
  virtual void ReadSections(TStrings& sections) = 0;
  // name=value lines of a section.
  virtual void ReadSectionValues(const AnsiString& section, TStrings& values) = 0;
  virtual void EraseSection(const AnsiString& section) = 0;
  virtual void DeleteKey(const AnsiString& section, const AnsiString& ident) = 0;
  virtual void UpdateFile() = 0;
  // A section exists when it holds at least one key.
  bool SectionExists(const AnsiString& section);
  virtual bool ValueExists(const AnsiString& section, const AnsiString& ident);

 private:
  AnsiString fileName_;
};

// Reads and writes the file at every call.
class TIniFile : public TCustomIniFile {
 public:
  using TCustomIniFile::TCustomIniFile;
  AnsiString ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) override;
  // Raises EIniFileException "Unable to write to <file>".
  void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) override;
  void ReadSection(const AnsiString& section, TStrings& keys) override;
  void ReadSections(TStrings& sections) override;
  void ReadSectionValues(const AnsiString& section, TStrings& values) override;
  void EraseSection(const AnsiString& section) override;
  void DeleteKey(const AnsiString& section, const AnsiString& ident) override;
  void UpdateFile() override {}
};

// Holds the whole file in memory; UpdateFile writes it back (values that
// would not survive the reading rules, such as ones with outer blanks, are
// written in quotes).
class TMemIniFile : public TCustomIniFile {
 public:
  explicit TMemIniFile(AnsiString fileName);
  ~TMemIniFile() override;
  AnsiString ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) override;
  void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) override;
  void ReadSection(const AnsiString& section, TStrings& keys) override;
  void ReadSections(TStrings& sections) override;
  void ReadSectionValues(const AnsiString& section, TStrings& values) override;
  void EraseSection(const AnsiString& section) override;
  void DeleteKey(const AnsiString& section, const AnsiString& ident) override;
  // Raises EIniFileException "Unable to write to <file>".
  void UpdateFile() override;
  // Re-reads the file, dropping unsaved changes.
  void Reload();
  void Clear();
  // The file's text as it would be written.
  AnsiString Text() const;

 private:
  struct Section {
    AnsiString name;
    TStringList values;  // name=value, unquoted
  };
  Section* Find(const AnsiString& section) const;
  std::vector<std::unique_ptr<Section>> sections_;
};

}  // namespace rtl
