#include "script/fs_xml.h"

#include <algorithm>

#include "platform/rtl/datetime.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"

namespace script {

namespace {

constexpr std::int64_t kBufferSize = 4096;
// Deeper documents are refused: every reader and builder of the tree recurses.
constexpr int kMaxDepth = 2000;

// One name="value" pair located inside an attribute text.
struct AttributeSpan {
  std::size_t nameStart = 0;
  std::size_t valueStart = 0;
  std::size_t valueEnd = 0;  // the closing quote, or the text's end when unterminated
  bool terminated = false;
};

// Scans the pairs of an attribute text in order and answers the first whose
// name equals name. Values are skipped whole, so a value holding ` x="` is
// never mistaken for an attribute.
bool FindAttribute(std::string_view text, std::string_view name, AttributeSpan& found) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    while (i < n && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    if (i >= n) break;
    std::size_t start = i;
    while (i < n && text[i] != '=' && static_cast<unsigned char>(text[i]) > ' ') ++i;
    std::string_view attrName = text.substr(start, i - start);
    if (i >= n || text[i] != '=') continue;  // a word without value: skip it
    ++i;
    if (i >= n || text[i] != '"') continue;  // unquoted value: read on as words
    ++i;
    std::size_t valueStart = i;
    std::size_t close = text.find('"', i);
    bool terminated = close != std::string_view::npos;
    std::size_t valueEnd = terminated ? close : n;
    if (rtl::AnsiSameText(attrName, name)) {
      found = {start, valueStart, valueEnd, terminated};
      return true;
    }
    i = terminated ? close + 1 : n;
  }
  return false;
}

}  // namespace

// ---- TfsXMLItem ----

TfsXMLItem::~TfsXMLItem() {
  Clear();
  if (parent_) parent_->Detach(this);
}

void TfsXMLItem::Detach(TfsXMLItem* child) {
  // Searched from the end: the reader drops the child it just appended.
  auto it = std::find(children_.rbegin(), children_.rend(), child);
  if (it != children_.rend()) children_.erase(std::next(it).base());
}

void TfsXMLItem::SetParent(TfsXMLItem* item) {
  if (parent_) parent_->Detach(this);
  parent_ = item;
}

void TfsXMLItem::Clear() {
  std::vector<TfsXMLItem*> old;
  old.swap(children_);
  for (TfsXMLItem* child : old) {
    child->parent_ = nullptr;
    delete child;
  }
}

TfsXMLItem* TfsXMLItem::Add() {
  auto* item = new TfsXMLItem;
  AddItem(item);
  return item;
}

void TfsXMLItem::AddItem(TfsXMLItem* item) {
  if (item->parent_) item->parent_->Detach(item);
  children_.push_back(item);
  item->parent_ = this;
}

void TfsXMLItem::InsertItem(int index, TfsXMLItem* item) {
  AddItem(item);
  children_.pop_back();
  auto at = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(index, 0)), 0, children_.size());
  children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(at), item);
}

int TfsXMLItem::Find(std::string_view name) const {
  for (std::size_t i = 0; i < children_.size(); ++i)
    if (rtl::AnsiSameText(children_[i]->Name, name)) return static_cast<int>(i);
  return -1;
}

TfsXMLItem* TfsXMLItem::FindItem(std::string_view name) {
  int i = Find(name);
  if (i >= 0) return children_[static_cast<std::size_t>(i)];
  TfsXMLItem* item = Add();
  item->Name = AnsiString(name);
  return item;
}

TfsXMLItem* TfsXMLItem::Root() {
  TfsXMLItem* item = this;
  while (item->parent_) item = item->parent_;
  return item;
}

int TfsXMLItem::IndexOf(const TfsXMLItem* item) const {
  auto it = std::find(children_.begin(), children_.end(), item);
  return it == children_.end() ? -1 : static_cast<int>(it - children_.begin());
}

void TfsXMLItem::Assign(const TfsXMLItem* item) {
  Clear();
  if (!item) return;
  Name = item->Name;
  Text = item->Text;
  Data = item->Data;
  for (const TfsXMLItem* child : item->children_) Add()->Assign(child);
}

AnsiString TfsXMLItem::GetProp(std::string_view name) const {
  AttributeSpan span;
  if (!FindAttribute(Text, name, span) || !span.terminated) return {};
  return XMLToStr(std::string_view(Text).substr(span.valueStart, span.valueEnd - span.valueStart));
}

bool TfsXMLItem::PropExists(std::string_view name) const {
  AttributeSpan span;
  return FindAttribute(Text, name, span);
}

void TfsXMLItem::SetProp(std::string_view name, std::string_view value) {
  AnsiString attribute = AnsiString(name) + "=\"" + StrToXML(value) + "\"";
  AttributeSpan span;
  std::size_t at;
  if (FindAttribute(Text, name, span)) {
    std::size_t end = span.terminated ? span.valueEnd + 1 : Text.size();
    Text.erase(span.nameStart, end - span.nameStart);
    at = span.nameStart;
  } else {
    at = Text.size();
  }
  if (at > 0 && Text[at - 1] != ' ') attribute.insert(attribute.begin(), ' ');
  Text.insert(at, attribute);
}

// ---- TfsXMLDocument ----

TfsXMLDocument::TfsXMLDocument() : root_(new TfsXMLItem) {}

TfsXMLDocument::~TfsXMLDocument() { delete root_; }

void TfsXMLDocument::Clear() { root_->Clear(); }

void TfsXMLDocument::LoadFromStream(rtl::TStream& stream) {
  Clear();
  TfsXMLReader reader(stream);
  reader.ReadHeader();
  reader.ReadRootItem(root_);
}

void TfsXMLDocument::SaveToStream(rtl::TStream& stream) const {
  TfsXMLWriter writer(stream);
  writer.Indent = IndentOutput;
  writer.WriteHeader();
  writer.WriteRootItem(root_);
}

void TfsXMLDocument::LoadFromFile(const AnsiString& fileName) {
  rtl::TFileStream stream(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
  LoadFromStream(stream);
}

void TfsXMLDocument::SaveToFile(const AnsiString& fileName) const {
  rtl::TFileStream stream(fileName, rtl::fmCreate);
  SaveToStream(stream);
}

void TfsXMLDocument::LoadFromString(std::string_view text) {
  rtl::TMemoryStream stream{std::string(text)};
  LoadFromStream(stream);
}

AnsiString TfsXMLDocument::SaveToString() const {
  rtl::TMemoryStream stream;
  SaveToStream(stream);
  return stream.Bytes();
}

// ---- TfsXMLReader ----

TfsXMLReader::TfsXMLReader(rtl::TStream& stream)
    : stream_(stream), buffer_(kBufferSize), position_(stream.Position()), size_(stream.Size()) {}

TfsXMLReader::~TfsXMLReader() {
  try {
    stream_.SetPosition(position_);
  } catch (...) {
    // A stream that cannot seek back leaves its position where reading stopped.
  }
}

void TfsXMLReader::ReadBuffer() {
  bufferFill_ = stream_.Read(buffer_.data(), kBufferSize);
  bufferIndex_ = 0;
}

void TfsXMLReader::SetPosition(std::int64_t pos) {
  position_ = pos;
  stream_.SetPosition(pos);
  bufferFill_ = 0;
  bufferIndex_ = 0;
}

void TfsXMLReader::RaiseException() { throw rtl::Exception("Invalid file format"); }

int TfsXMLReader::NextByte() {
  if (position_ >= size_) return -1;
  if (bufferIndex_ >= bufferFill_) {
    ReadBuffer();
    if (bufferFill_ <= 0) {
      position_ = size_;
      return -1;
    }
  }
  ++position_;
  return static_cast<unsigned char>(buffer_[static_cast<std::size_t>(bufferIndex_++)]);
}

void TfsXMLReader::ReadItem(AnsiString& name, AnsiString& text) {
  enum { Outside, InTag, InComment } state = Outside;
  AnsiString tag;
  int dashes = 0;
  bool ended = false;
  while (!ended) {
    int c = NextByte();
    if (c < 0) {
      if (state == InTag) RaiseException();
      tag.clear();
      break;
    }
    switch (state) {
      case Outside:
        if (c == '<') state = InTag;
        break;
      case InTag:
        if (c == '>') {
          ended = true;
        } else if (c == '<') {
          RaiseException();
        } else {
          tag.push_back(static_cast<char>(c));
          if (tag.size() == 3 && tag == "!--") {
            state = InComment;
            tag.clear();
            dashes = 0;
          }
        }
        break;
      case InComment:
        if (dashes < 2)
          dashes = c == '-' ? dashes + 1 : 0;
        else if (c == '>')
          state = Outside;
        else
          dashes = 0;
        break;
    }
  }
  if (!tag.empty() && tag.back() == ' ') tag.pop_back();
  std::size_t blank = tag.find(' ');
  if (blank == AnsiString::npos) {
    name = tag;
    text.clear();
  } else {
    name = tag.substr(0, blank);
    text = tag.substr(blank + 1);
  }
}

void TfsXMLReader::ReadHeader() {
  AnsiString name, text;
  ReadItem(name, text);
  if (name.compare(0, 4, "?xml") != 0) RaiseException();
}

void TfsXMLReader::ReadRootItem(TfsXMLItem* item) {
  AnsiString lastName;
  ReadElement(item, lastName, 0);
}

bool TfsXMLReader::ReadElement(TfsXMLItem* item, AnsiString& lastName, int depth) {
  if (depth > kMaxDepth) RaiseException();
  ReadItem(item->Name, item->Text);
  lastName = item->Name;
  if (item->Name.empty() || item->Name[0] == '/') return true;
  if (item->Name.back() == '/') {
    item->Name.pop_back();
    return false;
  }
  if (!item->Text.empty() && item->Text.back() == '/') {
    item->Text.pop_back();
    return false;
  }
  for (;;) {
    auto* child = new TfsXMLItem;
    item->AddItem(child);
    if (ReadElement(child, lastName, depth + 1)) {
      delete child;
      break;
    }
  }
  if (!lastName.empty() && !rtl::AnsiSameText(lastName, "/" + item->Name)) RaiseException();
  return false;
}

// ---- TfsXMLWriter ----

void TfsXMLWriter::WriteLn(std::string_view s) {
  buffer_.append(s);
  if (Indent) buffer_.append("\r\n");
  if (buffer_.size() > static_cast<std::size_t>(kBufferSize)) FlushBuffer();
}

void TfsXMLWriter::FlushBuffer() {
  if (!buffer_.empty()) stream_.WriteString(buffer_);
  buffer_.clear();
}

void TfsXMLWriter::WriteHeader() { WriteLn("<?xml version=\"1.0\"?>"); }

void TfsXMLWriter::WriteItem(const TfsXMLItem* item, int level) {
  std::string line;
  if (Indent) line.assign(static_cast<std::size_t>(level), ' ');
  line += '<';
  line += item->Name;
  if (!item->Text.empty()) {
    if (item->Text[0] != ' ') line += ' ';
    line += item->Text;
  }
  line += item->Count() > 0 ? ">" : "/>";
  WriteLn(line);
}

void TfsXMLWriter::WriteTree(const TfsXMLItem* item, int level) {
  WriteItem(item, level);
  if (item->Count() == 0) return;
  for (int i = 0; i < item->Count(); ++i) WriteTree(item->Items(i), level + 2);
  std::string line;
  if (Indent) line.assign(static_cast<std::size_t>(level), ' ');
  WriteLn(line + "</" + item->Name + ">");
}

void TfsXMLWriter::WriteRootItem(const TfsXMLItem* item) {
  WriteTree(item, 0);
  FlushBuffer();
}

// ---- text functions ----

AnsiString StrToXML(std::string_view s) {
  AnsiString out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '\n': out += "&#10;"; break;
      case '\r': out += "&#13;"; break;
      case '"': out += "&#34;"; break;
      case '&': out += "&#38;"; break;
      case '<': out += "&#60;"; break;
      case '>': out += "&#62;"; break;
      default: out += c;
    }
  }
  return out;
}

AnsiString XMLToStr(std::string_view s) {
  AnsiString out;
  out.reserve(s.size());
  const std::size_t n = s.size();
  std::size_t p = 0;
  // The last character is never the start of a reference.
  while (p + 1 < n) {
    if (s[p] != '&') {
      out += s[p++];
      continue;
    }
    if (p + 4 <= n && s[p + 1] == '#') {
      std::size_t semicolon = s.find(';', p + 3);
      if (semicolon != std::string_view::npos) {
        auto code = rtl::StrToInt(s.substr(p + 2, semicolon - p - 2));
        out += static_cast<char>(code & 0xFF);
        p = semicolon + 1;
        continue;
      }
      // No terminator anywhere: the reference stays as it is.
    } else if (s.substr(p + 1, 5) == "quot;") {
      out += '"';
      p += 6;
      continue;
    }
    out += s[p++];
  }
  if (p < n) out += s[p];
  return out;
}

AnsiString ValueToXML(const rtl::Variant& v) {
  switch (v.Type()) {
    case rtl::varSmallint:
    case rtl::varInteger:
    case rtl::varShortInt:
    case rtl::varByte:
    case rtl::varWord:
    case rtl::varLongWord:
    case rtl::varInt64: return rtl::IntToStr(v.AsInt64());
    case rtl::varSingle:
    case rtl::varDouble:
    case rtl::varExtended:
    case rtl::varCurrency: return rtl::FloatToStr(v.AsExtended());
    case rtl::varDate: return rtl::DateToStr(v.AsDate());
    case rtl::varBoolean: return v.AsBoolean() ? "1" : "0";
    case rtl::varString:
    case rtl::varOleStr: return StrToXML(v.AsString());
    default: return {};
  }
}

}  // namespace script
