#include "report/vuzUnicodeUtils.h"

#include <cstdint>
#include <type_traits>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/files.h"

namespace report {

const rtl::TClassInfo& TWideStrings::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TWideStrings>("TWideStrings", &rtl::TPersistent::StaticClass()).Creatable().Build();
  return info;
}

void TWideStrings::DefineProperties(rtl::TFiler& filer) {
  const bool hasData = Count() > 0;
  filer.DefineProperty(
      "Strings",
      [this](rtl::TReader& r) {
        r.ReadListBegin();
        Clear();
        while (!r.EndOfList()) {
          const rtl::TValueType t = r.NextValue();
          Add(t == rtl::vaString || t == rtl::vaLString ? rtl::AnsiToWide(r.ReadString(), GetACP())
                                                        : r.ReadWideString());
        }
        r.ReadListEnd();
      },
      nullptr, hasData);
  filer.DefineProperty(
      "UTF8",
      [this](rtl::TReader& r) {
        r.ReadListBegin();
        Clear();
        while (!r.EndOfList()) {
          const rtl::TValueType t = r.NextValue();
          // 8-bit values hold the UTF-8 bytes; others are decoded by the reader.
          Add(t == rtl::vaString || t == rtl::vaLString ? rtl::Utf8ToWide(r.ReadString()) : r.ReadWideString());
        }
        r.ReadListEnd();
      },
      [this](rtl::TWriter& w) {
        w.WriteListBegin();
        for (const std::string& line : GetUTF8Lines()) w.WriteString(line);
        w.WriteListEnd();
      },
      hasData);
}

WideString TWideStrings::Get(int index) const {
  if (index < 0 || index >= Count()) return {};
  return entries_[static_cast<std::size_t>(index)].text;
}

void TWideStrings::Insert(int index, const WideString& s) {
  if (index < 0 || index > Count()) throw rtl::Exception("Wide String Out of Bounds");
  if (index == Count())
    Add(s);
  else
    entries_[static_cast<std::size_t>(index)].text = s;
}

int TWideStrings::Add(const WideString& s) {
  entries_.push_back({s, nullptr});
  return Count() - 1;
}

int TWideStrings::AddObject(const WideString& s, TObjectRef object) {
  const int i = Add(s);
  entries_.back().object = object;
  return i;
}

TWideStrings::TObjectRef TWideStrings::GetObject(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return entries_[static_cast<std::size_t>(index)].object;
}

void TWideStrings::PutObject(int index, TObjectRef object) {
  if (index < 0 || index >= Count()) return;
  entries_[static_cast<std::size_t>(index)].object = object;
}

void TWideStrings::Delete(int index) {
  if (index < 0 || index >= Count()) throw rtl::EListError("List index out of bounds (" + std::to_string(index) + ")");
  entries_.erase(entries_.begin() + index);
}

int TWideStrings::IndexOf(const WideString& s) const {
  for (int i = 0; i < Count(); ++i)
    if (entries_[static_cast<std::size_t>(i)].text == s) return i;
  return -1;
}

void TWideStrings::AddStrings(const TWideStrings& other) {
  if (&other == this) {
    const auto copy = entries_;
    entries_.insert(entries_.end(), copy.begin(), copy.end());
    return;
  }
  entries_.insert(entries_.end(), other.entries_.begin(), other.entries_.end());
}

void TWideStrings::Assign(const rtl::TPersistent* source) {
  if (auto* wide = dynamic_cast<const TWideStrings*>(source)) {
    if (wide == this) return;
    Clear();
    AddStrings(*wide);
    return;
  }
  if (auto* strings = dynamic_cast<const rtl::TStrings*>(source)) {
    Clear();
    for (int i = 0; i < strings->Count(); ++i)
      AddObject(rtl::AnsiToWide(strings->Get(i), GetACP()), strings->GetObject(i));
    return;
  }
  rtl::TPersistent::Assign(source);
}

void TWideStrings::AssignTo(rtl::TPersistent* dest) const {
  if (auto* wide = dynamic_cast<TWideStrings*>(dest)) {
    wide->Assign(this);
    return;
  }
  if (auto* strings = dynamic_cast<rtl::TStrings*>(dest)) {
    strings->BeginUpdate();
    try {
      strings->Clear();
      for (const auto& e : entries_) strings->AddObject(rtl::WideToAnsi(e.text, GetACP()), e.object);
    } catch (...) {
      strings->EndUpdate();
      throw;
    }
    strings->EndUpdate();
    return;
  }
  rtl::TPersistent::AssignTo(dest);
}

WideString TWideStrings::GetTextStr() const {
  WideString out;
  GetTextStr(out);
  return out;
}

void TWideStrings::GetTextStr(WideString& out) const {
  out.clear();
  std::size_t size = 0;
  for (const auto& e : entries_) size += e.text.size() + 2;
  out.reserve(size);
  for (const auto& e : entries_) {
    out += e.text;
    out += u"\r\n";
  }
}

void TWideStrings::SetTextStr(const WideString& text) {
  // The lines already held lend their buffers to the new ones: a memo's
  // text is set back and forth for every row it prints.
  std::size_t count = 0;
  std::size_t i = 0;
  const std::size_t n = text.size();
  auto at = [&](std::size_t k) -> char16_t { return k < n ? text[k] : u'\0'; };
  auto lineEnd = [&](std::size_t k) {
    while (k < n && text[k] != u'\0' && text[k] != u'\r' && text[k] != u'\n' && text[k] != u'\u2028') ++k;
    return k;
  };
  auto nextLine = [&](std::size_t k) {
    if (at(k) == u'\r') ++k;
    if (at(k) == u'\n') ++k;
    if (at(k) == u'\u2028') ++k;
    return k;
  };
  // Counted first: a text of many lines gets its list at once, not by
  // doubling, which held up to three times the entries while it grew.
  std::size_t lines = 0;
  for (std::size_t k = 0; at(k) != u'\0'; k = nextLine(lineEnd(k))) ++lines;
  if (lines > entries_.capacity()) entries_.reserve(lines);
  while (at(i) != u'\0') {
    const std::size_t start = i;
    i = lineEnd(i);
    if (count < entries_.size()) {
      entries_[count].text.assign(text, start, i - start);
      entries_[count].object = nullptr;
    } else {
      entries_.push_back({WideString(text, start, i - start), nullptr});
    }
    ++count;
    i = nextLine(i);
  }
  entries_.resize(count);
}

namespace {

WideString FromUtf16LE(const std::string& bytes) {
  WideString out(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  return out;
}

std::string ToUtf16LE(const WideString& text) {
  std::string out(text.size() * 2, '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    out[2 * i] = static_cast<char>(text[i] & 0xFF);
    out[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  return out;
}

}  // namespace

void TWideStrings::LoadFromStream(rtl::TStream& stream) {
  const std::int64_t n = stream.Size() - stream.Position();
  if (n > 2) {
    unsigned char mark[2];
    stream.ReadBuffer(mark, 2);
    if (mark[0] == 0xFF && mark[1] == 0xFE) {
      SetTextStr(FromUtf16LE(stream.ReadRest()));
      return;
    }
    stream.Seek(-2, rtl::soCurrent);
  }
  SetTextStr(rtl::AnsiToWide(stream.ReadRest(), GetACP()));
}

void TWideStrings::LoadFromWStream(rtl::TStream& stream) { SetTextStr(FromUtf16LE(stream.ReadRest())); }

void TWideStrings::SaveToStream(rtl::TStream& stream) const { stream.WriteString(ToUtf16LE(GetTextStr())); }

void TWideStrings::LoadFromFile(const WideString& fileName) {
  rtl::TFileStream f(rtl::WideToAnsi(fileName, GetACP()), rtl::fmOpenRead | rtl::fmShareDenyWrite);
  LoadFromStream(f);
}

void TWideStrings::SaveToFile(const WideString& fileName) const {
  // As TStrings does: a failed write leaves the old file as it was.
  rtl::SaveFileAtomically(rtl::WideToAnsi(fileName, GetACP()), [this](rtl::TStream& out) { SaveToStream(out); });
}

std::vector<std::string> TWideStrings::GetUTF8Lines() const {
  std::vector<std::string> out;
  out.reserve(entries_.size());
  for (const auto& e : entries_) out.push_back(rtl::WideToUtf8(e.text));
  return out;
}

void TWideStrings::SetUTF8Lines(const std::vector<std::string>& lines) {
  Clear();
  for (const auto& l : lines) Add(rtl::Utf8ToWide(l));
}

// --- code pages ------------------------------------------------------------

unsigned GetACP() { return rtl::CP_1251; }
unsigned GetOEMCP() { return rtl::CP_866; }

unsigned CharSetToCodePage(int charSet) {
  switch (charSet) {
    case DEFAULT_CHARSET: return GetACP();
    case MAC_CHARSET: return CP_MACCP;
    case OEM_CHARSET: return CP_OEMCP;
    // The Windows character-set table.
    case ANSI_CHARSET: return 1252;
    case SYMBOL_CHARSET: return 42;
    case SHIFTJIS_CHARSET: return 932;
    case HANGEUL_CHARSET: return 949;
    case JOHAB_CHARSET: return 1361;
    case GB2312_CHARSET: return 936;
    case CHINESEBIG5_CHARSET: return 950;
    case GREEK_CHARSET: return 1253;
    case TURKISH_CHARSET: return 1254;
    case VIETNAMESE_CHARSET: return 1258;
    case HEBREW_CHARSET: return 1255;
    case ARABIC_CHARSET: return 1256;
    case BALTIC_CHARSET: return 1257;
    case RUSSIAN_CHARSET: return 1251;
    case THAI_CHARSET: return 874;
    case EASTEUROPE_CHARSET: return 1250;
    default: throw rtl::EOSError("System Error.  Code: 87.\nThe parameter is incorrect");
  }
}

namespace {
// The pseudo code pages name the machine's own pages.
unsigned Resolve(unsigned codePage) {
  switch (codePage) {
    case CP_ACP: return GetACP();
    case CP_OEMCP: return GetOEMCP();
    case CP_MACCP: return 10007;  // the Mac page of a Russian system: Mac Cyrillic
    default: return codePage;
  }
}
}  // namespace

namespace {
// The Windows pages 1250 to 1258 keep ASCII as it is, so a text of ASCII
// only (every field name, number and date the engine formats) needs no
// table: it is copied character by character.
bool KeepsAscii(unsigned codePage) { return codePage >= 1250 && codePage <= 1258; }

template <class From>
bool AllAscii(const From& s) {
  for (auto c : s)
    if (static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<decltype(c)>>(c)) >= 0x80) return false;
  return true;
}
}  // namespace

WideString AnsiToUnicode(const AnsiString& s, int charSet, unsigned codePage) {
  const unsigned cp = Resolve(codePage != 0 ? codePage : CharSetToCodePage(charSet));
  if (KeepsAscii(cp) && AllAscii(s)) return WideString(s.begin(), s.end());
  return rtl::AnsiToWide(s, cp);
}

AnsiString _UnicodeToAnsi(const WideString& s, int charSet, unsigned codePage) {
  const unsigned cp = Resolve(codePage != 0 ? codePage : CharSetToCodePage(charSet));
  if (KeepsAscii(cp) && AllAscii(s)) {
    AnsiString out(s.size(), '\0');
    for (std::size_t i = 0; i < s.size(); ++i) out[i] = static_cast<char>(s[i]);
    return out;
  }
  return rtl::WideToAnsi(s, cp);
}

unsigned GetLocalByCharSet(int charSet) {
  switch (charSet) {
    case 128: return 1041;
    case 129: return 1042;
    case 130: return 2066;
    case 134: return 2052;
    case 136: return 3076;
    case 161: return 1032;
    case 162: return 1055;
    case 163: return 1066;
    case 177: return 1037;
    case 178: return 13313;
    case 186: return 1061;
    case 204: return 1049;
    case 222: return 1054;
    case 238: return 1029;
    default: return 1049;  // the thread's locale: Russian
  }
}

AnsiString OemToStr(const AnsiString& s) { return rtl::Cp866ToCp1251(s); }

}  // namespace report
