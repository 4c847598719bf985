#include "report/vuzXML.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "platform/rtl/datetime.h"
#include "platform/rtl/files.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"
#include "report/vuzUtils.h"

namespace report {

namespace {

// Where ` NAME="` starts in " " + attributes, as an index into the attribute
// text of the name's first character; npos when absent.
std::size_t FindAttribute(const AnsiString& attributes, const AnsiString& name) {
  const AnsiString hay = rtl::AnsiUpperCase(" " + attributes);
  const AnsiString pattern = rtl::AnsiUpperCase(" " + name + "=\"");
  // hay[p] is the blank before the name, so attributes[p] is its first letter.
  return hay.find(pattern);
}

// Reads a parked item's children back from the stream it was parked in; the
// item's own attributes stay as they are now.
void ReadParkedItem(rtl::TStream& stream, TfrxXMLItem* item) {
  const AnsiString prop = item->Prop;
  {
    TfrxXMLReader reader(stream);
    reader.SetPosition(static_cast<std::int64_t>(item->GetOffset()));
    reader.ReadRootItem(item, true);
  }
  item->Prop = prop;
  item->Loaded = true;
}

}  // namespace

// --- items ---------------------------------------------------------------

TfrxXMLItem::~TfrxXMLItem() {
  Clear();
  Detach();
}

void TfrxXMLItem::Detach() {
  if (!parent_) return;
  auto& list = *parent_->children_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it != list.end()) list.erase(it);
  parent_ = nullptr;
}

void TfrxXMLItem::Clear() {
  if (children_) {
    // Freed without recursion, so a deeply nested tree cannot exhaust the stack.
    std::vector<TfrxXMLItem*> pending = std::move(*children_);
    children_.reset();
    while (!pending.empty()) {
      TfrxXMLItem* item = pending.back();
      pending.pop_back();
      if (item->children_) {
        for (TfrxXMLItem* c : *item->children_) pending.push_back(c);
        item->children_.reset();
      }
      item->parent_ = nullptr;
      delete item;
    }
  }
  if (Unloadable) Loaded = false;
}

int TfrxXMLItem::IndexOf(const TfrxXMLItem* item) const {
  if (!children_) return -1;
  auto it = std::find(children_->begin(), children_->end(), item);
  return it == children_->end() ? -1 : static_cast<int>(it - children_->begin());
}

TfrxXMLItem* TfrxXMLItem::Root() {
  TfrxXMLItem* r = this;
  while (r->parent_) r = r->parent_;
  return r;
}

TfrxXMLItem* TfrxXMLItem::Add() {
  auto* item = new TfrxXMLItem;
  AddItem(item);
  return item;
}

TfrxXMLItem* TfrxXMLItem::Add(const AnsiString& name) {
  TfrxXMLItem* item = Add();
  item->Name = name;
  return item;
}

void TfrxXMLItem::AddItem(TfrxXMLItem* item) {
  item->Detach();
  if (!children_) children_ = std::make_unique<std::vector<TfrxXMLItem*>>();
  children_->push_back(item);
  item->parent_ = this;
}

void TfrxXMLItem::InsertItem(int index, TfrxXMLItem* item) {
  AddItem(item);
  auto& list = *children_;
  index = std::clamp(index, 0, static_cast<int>(list.size()) - 1);
  list.pop_back();
  list.insert(list.begin() + index, item);
}

int TfrxXMLItem::Find(const AnsiString& name) const {
  for (int i = 0; i < Count(); ++i)
    if (rtl::AnsiSameText(Items(i)->Name, name)) return i;
  return -1;
}

TfrxXMLItem* TfrxXMLItem::FindItem(const AnsiString& name) {
  const int i = Find(name);
  return i >= 0 ? Items(i) : Add(name);
}

AnsiString TfrxXMLItem::GetProp(const AnsiString& name) const {
  const std::size_t p = FindAttribute(Prop, name);
  if (p == std::string::npos) return {};
  const std::size_t valueStart = p + name.size() + 2;
  const std::size_t end = Prop.find('"', valueStart);
  return vuzXMLToStr(Prop.substr(valueStart, end == std::string::npos ? std::string::npos : end - valueStart));
}

void TfrxXMLItem::SetProp(const AnsiString& name, const AnsiString& value) {
  std::size_t at = FindAttribute(Prop, name);
  if (at != std::string::npos) {
    const std::size_t end = Prop.find('"', at + name.size() + 2);
    Prop.erase(at, end == std::string::npos ? std::string::npos : end - at + 1);
  } else {
    at = Prop.size();
  }
  AnsiString attribute = name + "=\"" + vuzStrToXML(value) + "\"";
  if (at == 0 || Prop[at - 1] != ' ') attribute.insert(0, 1, ' ');
  Prop.insert(at, attribute);
}

bool TfrxXMLItem::PropExists(const AnsiString& name) const { return FindAttribute(Prop, name) != std::string::npos; }

void TfrxXMLItem::DeleteProp(const AnsiString& name) {
  const std::size_t at = FindAttribute(Prop, name);
  if (at == std::string::npos) return;
  const std::size_t close = Prop.find('"', at + name.size() + 2);
  std::size_t end = close == std::string::npos ? Prop.size() : close + 1;
  if (end < Prop.size() && Prop[end] == ' ') ++end;  // and the blank after it
  Prop.erase(at, end - at);
}

// --- escaping --------------------------------------------------------------

namespace {

// The characters of the Windows-1251 bytes from 0x80 up, and the same pairs
// sorted by character for the way back; made once, as every Russian letter
// of a saved file passes here.
struct Cp1251Table {
  char16_t chars[128];
  std::array<std::pair<char16_t, char>, 128> back;
  Cp1251Table() {
    std::string high;
    for (int b = 0x80; b < 0x100; ++b) high.push_back(static_cast<char>(b));
    const rtl::WideString w = rtl::AnsiToWide(high);
    for (std::size_t i = 0; i < 128; ++i) {
      chars[i] = i < w.size() ? w[i] : u'?';
      back[i] = {chars[i], static_cast<char>(0x80 + i)};
    }
    std::sort(back.begin(), back.end());
  }
};

const Cp1251Table& Cp1251() {
  static const Cp1251Table table;
  return table;
}

// The character a Windows-1251 byte stands for.
char16_t Cp1251Char(unsigned char byte) { return byte < 0x80 ? byte : Cp1251().chars[byte - 0x80]; }

// The Windows-1251 byte of a character, '?' when the code page lacks it.
char Cp1251Byte(long long code) {
  if (code >= 0 && code < 0x80) return static_cast<char>(code);
  if (code < 0 || code > 0xFFFF) return '?';
  const auto& back = Cp1251().back;
  const char16_t c = static_cast<char16_t>(code);
  const auto it =
      std::lower_bound(back.begin(), back.end(), c, [](const auto& pair, char16_t key) { return pair.first < key; });
  return it != back.end() && it->first == c ? it->second : '?';
}

void AppendUtf8(AnsiString& out, long long code) {
  if (code < 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
  const char32_t c = static_cast<char32_t>(code);
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

void AppendReference(AnsiString& out, unsigned code) {
  char digits[8];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + code % 10);
    code /= 10;
  } while (code > 0 && n < 8);
  out += "&#";
  while (n > 0) out.push_back(digits[--n]);
  out += ';';
}

// The length of the well-formed UTF-8 sequence at s[i], 0 when none starts
// there (a stray byte, an overlong form, a surrogate, beyond U+10FFFF).
std::size_t Utf8SequenceAt(const AnsiString& s, std::size_t i) {
  const auto b = static_cast<unsigned char>(s[i]);
  std::size_t length = 0;
  char32_t c = 0, least = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2, c = b & 0x1F, least = 0x80;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3, c = b & 0x0F, least = 0x800;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4, c = b & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(s[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    c = (c << 6) | (next & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

// Appends the text with every byte that starts no well-formed UTF-8
// sequence written as the reference of its 1251 character.
void AppendWellFormedUtf8(AnsiString& out, const AnsiString& s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t ascii = i;
    while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
    out.append(s, ascii, i - ascii);
    if (i == s.size()) break;
    if (const std::size_t length = Utf8SequenceAt(s, i)) {
      out.append(s, i, length);
      i += length;
    } else {
      AppendReference(out, Cp1251Char(static_cast<unsigned char>(s[i++])));
    }
  }
}

// Escapes the markup characters; `high` writes each byte from 0x80 up.
template <typename High>
AnsiString Escape(const AnsiString& s, High high) {
  // Sized for the markup characters' references (five bytes for one), so
  // that a large text is not grown to twice its size on the way.
  std::size_t markup = 0;
  for (char c : s) markup += c == '\n' || c == '\r' || c == '"' || c == '<' || c == '>' || c == '&';
  AnsiString out;
  out.reserve(s.size() + 4 * markup + 16);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    switch (c) {
      case '\n': out += "&#10;"; break;
      case '\r': out += "&#13;"; break;
      case '"': out += "&#34;"; break;
      case '<': out += "&#60;"; break;
      case '>': out += "&#62;"; break;
      case '&':
        // "&quot;" already stands for a quote; every other ampersand is
        // escaped, short texts included, so the result is well-formed.
        if (s.compare(i, 6, "&quot;") == 0) {
          out += "&#34;";
          i += 5;
        } else {
          out += "&#38;";
        }
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x80)
          out.push_back(c);
        else
          high(out, i);
    }
  }
  return out;
}

// Decodes references and the named entities; `code` writes a numeric one.
template <typename Code>
AnsiString Unescape(std::string_view s, Code code) {
  AnsiString out;
  out.reserve(s.size());
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    const char c = s[i];
    if (c != '&' || i + 1 >= n) {
      out.push_back(c);
      ++i;
      continue;
    }
    if (s[i + 1] == '#' && i + 2 < n) {
      std::size_t semi = s.find(';', i + 2);
      if (semi == std::string::npos) semi = n;
      code(out, static_cast<long long>(rtl::StrToInt(s.substr(i + 2, semi - i - 2))));
      i = semi + 1;
    } else if (s.compare(i, 6, "&quot;") == 0) {
      out.push_back('"');
      i += 6;
    } else if (s.compare(i, 5, "&amp;") == 0) {
      out.push_back('&');
      i += 5;
    } else if (s.compare(i, 4, "&lt;") == 0) {
      out.push_back('<');
      i += 4;
    } else if (s.compare(i, 4, "&gt;") == 0) {
      out.push_back('>');
      i += 4;
    } else {
      out.push_back(c);
      ++i;
    }
  }
  return out;
}

}  // namespace

AnsiString vuzStrToXML(const AnsiString& s) {
  return Escape(
      s, [&s](AnsiString& out, std::size_t i) { AppendReference(out, Cp1251Char(static_cast<unsigned char>(s[i]))); });
}

AnsiString vuzUtf8ToXML(const AnsiString& s) {
  return Escape(s, [&s](AnsiString& out, std::size_t i) { out.push_back(s[i]); });
}

AnsiString vuzXMLToStr(std::string_view s) {
  return Unescape(s, [](AnsiString& out, long long code) {
    // References below 256 are bytes, as files have always held them.
    out.push_back(code >= 0 && code < 0x100 ? static_cast<char>(code) : Cp1251Byte(code));
  });
}

AnsiString vuzXMLToUtf8(std::string_view s) {
  return Unescape(s, [](AnsiString& out, long long code) {
    if (code >= 0 && code < 0x80)
      out.push_back(static_cast<char>(code));
    else
      AppendUtf8(out, code);
  });
}

AnsiString vuzWellFormedUtf8(const AnsiString& s) {
  AnsiString out;
  AppendWellFormedUtf8(out, s);
  return out;
}

// --- reader ----------------------------------------------------------------

TfrxXMLReader::TfrxXMLReader(rtl::TStream& stream) : stream_(stream) {
  size_ = stream.Size();
  position_ = stream.Position();
}

TfrxXMLReader::~TfrxXMLReader() { stream_.SetPosition(position_); }

void TfrxXMLReader::RaiseException() { throw TfrxInvalidXMLException(); }

void TfrxXMLReader::SetPosition(std::int64_t pos) {
  position_ = pos;
  stream_.SetPosition(pos);
  bufferFill_ = bufferPos_ = 0;
}

bool TfrxXMLReader::NextByte(char& c) {
  if (bufferPos_ >= bufferFill_) {
    const std::int64_t n = stream_.Read(buffer_, kBufferSize);
    if (n <= 0) return false;
    bufferFill_ = static_cast<int>(n);
    bufferPos_ = 0;
  }
  c = buffer_[bufferPos_++];
  ++position_;
  return true;
}

void TfrxXMLReader::ReadItem(AnsiString& name, AnsiString& text) {
  enum { kOutside, kTag, kComment } state = kOutside;
  collect_.clear();
  atStreamEnd_ = false;
  int dashes = 0;
  char c;
  bool ended = false;
  while (!ended) {
    if (!NextByte(c)) {
      if (state == kTag) RaiseException();
      atStreamEnd_ = true;
      name.clear();
      text.clear();
      return;
    }
    switch (state) {
      case kOutside:
        if (c == '<') state = kTag;
        break;
      case kTag:
        if (c == '>') {
          ended = true;
        } else if (c == '<') {
          RaiseException();
        } else {
          collect_.push_back(c);
          if (collect_.size() == 3 && collect_ == "!--") {
            collect_.clear();
            state = kComment;
            dashes = 0;
          } else if (collect_.size() >= 3) {
            // Past the comment mark, the rest of the tag up to its '>' or a
            // stray '<' is taken from the buffer a run at a time: attribute
            // texts can be megabytes long.
            const char* from = buffer_ + bufferPos_;
            const char* end = buffer_ + bufferFill_;
            const char* stop = std::find_if(from, end, [](char b) { return b == '>' || b == '<'; });
            collect_.append(from, stop);
            bufferPos_ += static_cast<int>(stop - from);
            position_ += stop - from;
          }
        }
        break;
      case kComment:
        if (c == '-') {
          dashes = dashes == 2 ? 0 : dashes + 1;
        } else if (c == '>' && dashes == 2) {
          state = kOutside;
        } else {
          dashes = 0;
        }
        break;
    }
  }
  // Every trailing blank goes, so "<a x="1"/  >" is self-closing like
  // "<a x="1"/ >": otherwise the first would keep its children behind an
  // attribute text ending in "/", which would be written back self-closing.
  // (Only blanks: a name is cut at the first blank, so other white space
  // belongs to the name and must stay for its end tag to match.)
  while (!collect_.empty() && collect_.back() == ' ') collect_.pop_back();
  const std::size_t blank = collect_.find(' ');
  if (blank == std::string::npos) {
    name = collect_;
    text.clear();
  } else {
    name = collect_.substr(0, blank);
    text = collect_.substr(blank + 1);
  }
}

void TfrxXMLReader::ReadHeader() {
  AnsiString name, text;
  ReadItem(name, text);
  if (name.compare(0, 4, "?xml") != 0) RaiseException();
  const std::size_t v = text.find("version=");
  if (v != std::string::npos) {
    const std::size_t quote = text.find('"', v);
    const AnsiString version = quote == std::string::npos ? AnsiString() : text.substr(quote + 1, 3);
    oldFormat_ = version == "1.0" && text.find("standalone=") == std::string::npos;
  }
}

// Reads one tag into the item: an end marker, a self-closing element or the
// start of an element with children.
void TfrxXMLReader::ReadTagInto(TfrxXMLItem* item, bool& isEnd, bool& hasChildren) {
  ReadItem(item->Name, item->Prop);
  isEnd = item->Name.empty() || item->Name[0] == '/';
  hasChildren = false;
  if (isEnd) return;
  if (item->Name.back() == '/') {
    item->Name.pop_back();
  } else if (!item->Prop.empty() && item->Prop.back() == '/') {
    item->Prop.pop_back();
  } else {
    hasChildren = true;
  }
}

// After an element's end tag: the ld="0" marker parks the item when the
// caller asked for partial loading.
void TfrxXMLReader::FinishItem(TfrxXMLItem* item, std::int64_t start, bool loadAll) {
  static const AnsiString kMarker = " ld=\"0\"";
  const AnsiString hay = rtl::AnsiLowerCase(" " + item->Prop);
  const std::size_t p = hay.find(kMarker);
  if (p == std::string::npos) return;
  // hay[p] is the blank before the marker; in Prop that is p - 1.
  if (p == 0)
    item->Prop.erase(0, kMarker.size() - 1);
  else
    item->Prop.erase(p - 1, kMarker.size());
  // What the marker leaves must not end in "/" or a blank: the element would
  // be written back as if it had no children.
  while (!item->Prop.empty() && (item->Prop.back() == ' ' || item->Prop.back() == '/')) item->Prop.pop_back();
  if (!loadAll) {
    item->Clear();
    item->SetOffset(static_cast<std::uint64_t>(start));
    item->Unloadable = true;
    item->Loaded = false;
  }
}

bool TfrxXMLReader::ReadRootItem(TfrxXMLItem* item, bool loadAll) {
  // Iterative, so that hostile nesting cannot exhaust the stack.
  struct Open {
    TfrxXMLItem* item;
    std::int64_t start;
  };
  std::vector<Open> open;
  std::int64_t start = position_;
  bool isEnd, hasChildren;
  ReadTagInto(item, isEnd, hasChildren);
  if (isEnd && atStreamEnd_ && RequireClosedElements) RaiseException();
  if (isEnd) return true;
  if (!hasChildren) return false;
  open.push_back({item, start});
  while (!open.empty()) {
    auto* child = new TfrxXMLItem;
    start = position_;
    try {
      ReadTagInto(child, isEnd, hasChildren);
    } catch (...) {
      delete child;
      throw;
    }
    if (isEnd) {
      const AnsiString endName = std::move(child->Name);
      delete child;
      if (atStreamEnd_ && RequireClosedElements) RaiseException();
      const Open top = open.back();
      open.pop_back();
      if (!endName.empty() && !rtl::AnsiSameText(endName, "/" + top.item->Name)) RaiseException();
      FinishItem(top.item, top.start, loadAll);
      continue;
    }
    open.back().item->AddItem(child);
    if (hasChildren) open.push_back({child, start});
  }
  return false;
}

// --- writer ----------------------------------------------------------------

TfrxXMLWriter::~TfrxXMLWriter() = default;

void TfrxXMLWriter::WriteLn(const AnsiString& line) {
  buffer_ += line;
  if (AutoIndent) buffer_ += "\r\n";
  if (buffer_.size() > 4096) FlushBuffer();
}

void TfrxXMLWriter::FlushBuffer() {
  stream_.WriteString(buffer_);
  buffer_.clear();
}

void TfrxXMLWriter::WriteHeader() { WriteLn("<?xml version=\"1.0\" encoding=\"utf-8\"?>"); }

void TfrxXMLWriter::WriteItem(const TfrxXMLItem* item, int indent) {
  // The attributes are written as escaped, but a value stored without
  // escaping may still hold Windows-1251 bytes: the file stays UTF-8.
  AnsiString s;
  if (AutoIndent) s.assign(static_cast<std::size_t>(indent), ' ');
  s += '<';
  s += item->Name;
  if (!item->Prop.empty() || item->Unloadable) {
    if (item->Prop.empty() || item->Prop[0] != ' ') s += ' ';
    AppendWellFormedUtf8(s, item->Prop);
  }
  if (item->Unloadable) s += "ld=\"0\"";
  if (item->Count() > 0) {
    s += '>';
  } else if (!item->Text.empty()) {
    s += '>';
    AppendWellFormedUtf8(s, item->Text);
    s += "</" + item->Name + '>';
  } else {
    s += "/>";
  }
  WriteLn(s);
}

void TfrxXMLWriter::LoadParked(TfrxXMLItem* item) {
  // The temporary stream may be the one being written: keep its position.
  FlushBuffer();
  const std::int64_t keep = stream_.Position();
  ReadParkedItem(*TempStream, item);
  stream_.SetPosition(keep);
}

void TfrxXMLWriter::WriteRootItem(TfrxXMLItem* root) {
  struct Open {
    TfrxXMLItem* item;
    int next;
    bool reparked;
  };
  std::vector<Open> open;
  auto enter = [&](TfrxXMLItem* item) {
    bool repark = false;
    if (TempStream && item->Unloadable && !item->Loaded) {
      LoadParked(item);
      repark = true;
    }
    WriteItem(item, AutoIndent ? static_cast<int>(open.size()) * 2 : 0);
    if (item->Count() > 0)
      open.push_back({item, 0, repark});
    else if (repark)
      item->Clear();
  };
  enter(root);
  while (!open.empty()) {
    Open& top = open.back();
    if (top.next < top.item->Count()) {
      enter(top.item->Items(top.next++));
      continue;
    }
    const Open done = top;
    open.pop_back();
    AnsiString end;
    if (AutoIndent) end.assign(open.size() * 2, ' ');
    WriteLn(end + "</" + done.item->Name + ">");
    if (done.reparked) done.item->Clear();
  }
  FlushBuffer();
}

// --- document --------------------------------------------------------------

TfrxXMLDocument::TfrxXMLDocument() : root_(std::make_unique<TfrxXMLItem>()) {}

TfrxXMLDocument::~TfrxXMLDocument() {
  try {
    DeleteTempFile();
  } catch (...) {
  }
}

void TfrxXMLDocument::Clear() {
  root_->Clear();
  DeleteTempFile();
}

void TfrxXMLDocument::Load(rtl::TStream& stream, bool partial) {
  TfrxXMLReader reader(stream);
  reader.RequireClosedElements = RequireClosedElements;
  root_->Clear();
  root_->SetOffset(0);
  reader.ReadHeader();
  oldVersion_ = reader.OldFormat();
  reader.ReadRootItem(root_.get(), !partial);
}

void TfrxXMLDocument::LoadFromStream(rtl::TStream& stream) {
  DeleteTempFile();
  Load(stream, false);
}

void TfrxXMLDocument::LoadFromStream(std::unique_ptr<rtl::TStream> stream, bool allowPartialLoading) {
  DeleteTempFile();
  if (!allowPartialLoading) {
    Load(*stream, false);
    return;
  }
  // Kept before reading, so what a failed load parked stays readable.
  tempStream_ = std::move(stream);
  Load(*tempStream_, true);
}

void TfrxXMLDocument::SaveToStream(rtl::TStream& stream) {
  TfrxXMLWriter writer(stream);
  writer.AutoIndent = AutoIndent;
  writer.TempStream = tempStream_.get();
  writer.WriteHeader();
  writer.WriteRootItem(root_.get());
}

void TfrxXMLDocument::LoadFromFile(const AnsiString& fileName) {
  LoadFromStream(std::make_unique<rtl::TFileStream>(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite), true);
}

void TfrxXMLDocument::SaveToFile(const AnsiString& fileName) {
  // The old file stays whole until the new one takes its name in one step;
  // the parking file is dropped only then, so a failed save loses no item.
  rtl::SaveFileAtomically(fileName, [this](rtl::TStream& out) { SaveToStream(out); });
  DeleteTempFile();
  LoadFromFile(fileName);
}

void TfrxXMLDocument::CreateTempFile() {
  if (tempFileCreated_) return;
  AnsiString folder;
  if (!TempDir.empty() && rtl::DirectoryExists(TempDir)) folder = TempDir;  // the whole path
  tempFileName_ = vuzCreateTempFile(folder);
  auto file = std::make_unique<rtl::TFileStream>(tempFileName_, rtl::fmOpenReadWrite);
  if (tempStream_) {
    // Items parked by a partial load point into the loaded stream: carry its
    // bytes over so their offsets stay valid in the new file.
    tempStream_->SetPosition(0);
    if (tempStream_->Size() > 0) file->CopyFrom(*tempStream_, tempStream_->Size());
  }
  tempStream_ = std::move(file);
  tempFileCreated_ = true;
}

void TfrxXMLDocument::DeleteTempFile() {
  if (tempFileCreated_) {
    tempStream_.reset();
    rtl::DeleteFile(tempFileName_);
    tempFileCreated_ = false;
  }
  tempStream_.reset();
}

void TfrxXMLDocument::UnloadItem(TfrxXMLItem* item) {
  if (!item->Loaded || !item->Unloadable) return;
  CreateTempFile();
  tempStream_->Seek(0, rtl::soEnd);
  item->SetOffset(static_cast<std::uint64_t>(tempStream_->Position()));
  TfrxXMLWriter writer(*tempStream_);
  writer.TempStream = tempStream_.get();
  writer.WriteRootItem(item);
  item->Clear();
}

void TfrxXMLDocument::LoadItem(TfrxXMLItem* item) {
  if (!tempStream_ || !item->Unloadable || item->Loaded) return;
  ReadParkedItem(*tempStream_, item);
}

AnsiString vuzValueToXML(const rtl::Variant& value) {
  switch (value.Type()) {
    case rtl::varSmallint:
    case rtl::varInteger:
    case rtl::varByte: return rtl::IntToStr(value.AsInteger());
    case rtl::varSingle:
    case rtl::varDouble:
    case rtl::varCurrency: return rtl::FloatToStr(value.AsExtended());
    case rtl::varDate: return rtl::DateToStr(value.AsDate());
    case rtl::varString:
    case rtl::varOleStr: return vuzStrToXML(value.AsString());
    case rtl::varBoolean: return value.AsBoolean() ? "1" : "0";
    default: return {};
  }
}

}  // namespace report
