// TWideStrings, the engine's list of UTF-16 lines, and conversions between
// 8-bit and wide text by code page or font character set.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/object.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/typinfo.h"

namespace report {

using rtl::AnsiString;
using rtl::WideString;

class TWideStrings : public rtl::TPersistent {
  RTL_CLASS_INFO
 public:
  using TObjectRef = rtl::TObject*;  // carried along, never owned

  TWideStrings() = default;
  TWideStrings(const TWideStrings&) = delete;
  TWideStrings& operator=(const TWideStrings&) = delete;

  void Clear() { entries_.clear(); }
  int Count() const { return static_cast<int>(entries_.size()); }
  // An index outside the list gives an empty string.
  WideString Get(int index) const;
  // The line itself, without a copy; the index must be inside the list.
  const WideString& LineRef(int index) const { return entries_[static_cast<std::size_t>(index)].text; }
  WideString operator[](int index) const { return Get(index); }
  // Same as Insert.
  void Put(int index, const WideString& s) { Insert(index, s); }
  // Index == Count appends; a smaller index replaces that entry's text and
  // keeps its object; below 0 or above Count raises "Wide String Out of Bounds".
  void Insert(int index, const WideString& s);
  int Add(const WideString& s);
  int AddObject(const WideString& s, TObjectRef object);
  TObjectRef GetObject(int index) const;
  void PutObject(int index, TObjectRef object);
  // An index outside the list raises the list index error.
  void Delete(int index);
  int IndexOf(const WideString& s) const;
  void AddStrings(const TWideStrings& other);
  // From another TWideStrings, or from 1251 string lists (lines widened);
  // anything else raises the conversion error.
  void Assign(const rtl::TPersistent* source) override;
  void Assign(const TWideStrings& source) { Assign(static_cast<const rtl::TPersistent*>(&source)); }
  // Into a TWideStrings, or into a string list (lines narrowed to 1251).
  void AssignTo(rtl::TPersistent* dest) const override;

  // Every line followed by CR LF.
  WideString GetTextStr() const;
  // The same into `out`, whose buffer is reused (a memo saves its text for
  // every row it prints).
  void GetTextStr(WideString& out) const;
  // Lines end at CR, LF, CR LF or U+2028; the text ends at U+0000.
  void SetTextStr(const WideString& text);
  WideString Text() const { return GetTextStr(); }
  void SetText(const WideString& text) { SetTextStr(text); }

  // The rest of the stream: UTF-16 after an FF FE mark, else 1251 text.
  void LoadFromStream(rtl::TStream& stream);
  // The rest of the stream as UTF-16 little-endian without a mark.
  void LoadFromWStream(rtl::TStream& stream);
  // UTF-16 little-endian, no mark.
  void SaveToStream(rtl::TStream& stream) const;
  void LoadFromFile(const WideString& fileName);
  void SaveToFile(const WideString& fileName) const;

  // The stored-property forms: "UTF8" (read and written) holds one UTF-8
  // string per line; "Strings" (read only) 8-bit or wide strings.
  std::vector<std::string> GetUTF8Lines() const;
  void SetUTF8Lines(const std::vector<std::string>& lines);
  // Defines "UTF8" and the read-only "Strings", both only with entries.
  void DefineProperties(rtl::TFiler& filer) override;

 private:
  struct TWString {
    WideString text;
    TObjectRef object = nullptr;
  };
  std::vector<TWString> entries_;
};

// Windows font character sets and code pages (0 = chosen from the set).
enum : int {
  ANSI_CHARSET = 0,
  DEFAULT_CHARSET = 1,
  SYMBOL_CHARSET = 2,
  MAC_CHARSET = 77,
  SHIFTJIS_CHARSET = 128,
  HANGEUL_CHARSET = 129,
  JOHAB_CHARSET = 130,
  GB2312_CHARSET = 134,
  CHINESEBIG5_CHARSET = 136,
  GREEK_CHARSET = 161,
  TURKISH_CHARSET = 162,
  VIETNAMESE_CHARSET = 163,
  HEBREW_CHARSET = 177,
  ARABIC_CHARSET = 178,
  BALTIC_CHARSET = 186,
  RUSSIAN_CHARSET = 204,
  THAI_CHARSET = 222,
  EASTEUROPE_CHARSET = 238,
  OEM_CHARSET = 255,
};
enum : unsigned { CP_ACP = 0, CP_OEMCP = 1, CP_MACCP = 2 };

// The system ANSI code page of this program: Windows-1251.
unsigned GetACP();
unsigned GetOEMCP();

// 1 -> the ANSI code page, 77 -> 2, 255 -> 1, others by the Windows table; an
// unknown set raises EOSError.
unsigned CharSetToCodePage(int charSet);
WideString AnsiToUnicode(const AnsiString& s, int charSet, unsigned codePage = 0);
AnsiString _UnicodeToAnsi(const WideString& s, int charSet, unsigned codePage = 0);
// Locale identifier for a character set (the thread's, 1049, for others).
unsigned GetLocalByCharSet(int charSet);
// OEM (866) text to ANSI (1251), character for character.
AnsiString OemToStr(const AnsiString& s);

}  // namespace report

// A published TWideStrings is a wide string list sub-object.
template <>
struct rtl::PropKindOf<report::TWideStrings> {
  static constexpr rtl::TPropKind kind = rtl::pkWideStrings;
};
