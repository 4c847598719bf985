// The script engine's own small XML dialect: elements and attributes only.
// Grammars, intermediate programs and saved intermediate code are kept in it.
// Text between tags is dropped, attributes stay one raw string per element
// and are searched on demand. All text is 8-bit (1251) and never converted.
// The report engine has an XML layer of its own; the two share nothing.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/object.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/variant.h"

namespace script {

using rtl::AnsiString;

// One element. It owns its children: deleting an item deletes its subtree and
// takes the item out of its parent's list.
class TfsXMLItem : public rtl::TObject {
 public:
  TfsXMLItem() = default;
  ~TfsXMLItem() override;
  TfsXMLItem(const TfsXMLItem&) = delete;
  TfsXMLItem& operator=(const TfsXMLItem&) = delete;

  // Free for the caller, never interpreted; copied by Assign.
  std::int32_t Data = 0;
  // The element name as it stood in the tag.
  AnsiString Name;
  // The attribute text as it stood after the name: name="value" pairs, values escaped.
  AnsiString Text;

  int Count() const { return static_cast<int>(children_.size()); }
  TfsXMLItem* Items(int index) const { return children_.at(static_cast<std::size_t>(index)); }
  TfsXMLItem* operator[](int index) const { return Items(index); }
  TfsXMLItem* Parent() const { return parent_; }
  // Takes the item out of its old parent's list; does not add it to the new one.
  void SetParent(TfsXMLItem* item);

  // Deletes every child.
  void Clear();
  // A new empty child at the end.
  TfsXMLItem* Add();
  // Moves item to the end of this item's children (out of its old parent).
  void AddItem(TfsXMLItem* item);
  void InsertItem(int index, TfsXMLItem* item);
  // Index of the first child named name (1251 case ignored), -1 when none.
  int Find(std::string_view name) const;
  // That child; a new child of that name when there is none.
  TfsXMLItem* FindItem(std::string_view name);
  TfsXMLItem* Root();
  int IndexOf(const TfsXMLItem* item) const;
  // A deep copy of item's name, text, data and children (own parent kept).
  void Assign(const TfsXMLItem* item);

  // Attribute access by name, case ignored. Values are unescaped on reading
  // and escaped on writing.
  AnsiString GetProp(std::string_view name) const;
  void SetProp(std::string_view name, std::string_view value);
  bool PropExists(std::string_view name) const;
  AnsiString Prop(std::string_view name) const { return GetProp(name); }

 private:
  void Detach(TfsXMLItem* child);
  std::vector<TfsXMLItem*> children_;
  TfsXMLItem* parent_ = nullptr;
};

// A document owns one root item: the single top element.
class TfsXMLDocument : public rtl::TObject {
 public:
  TfsXMLDocument();
  ~TfsXMLDocument() override;
  TfsXMLDocument(const TfsXMLDocument&) = delete;
  TfsXMLDocument& operator=(const TfsXMLDocument&) = delete;

  bool IndentOutput = false;
  TfsXMLItem* Root() const { return root_; }

  void Clear();
  void LoadFromStream(rtl::TStream& stream);
  void SaveToStream(rtl::TStream& stream) const;
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName) const;
  // Conveniences over a memory stream.
  void LoadFromString(std::string_view text);
  AnsiString SaveToString() const;

 private:
  TfsXMLItem* root_;
};

// Reads tags from a stream through a 4096-byte buffer. On destruction the
// stream is left right behind the last byte consumed.
class TfsXMLReader {
 public:
  explicit TfsXMLReader(rtl::TStream& stream);
  ~TfsXMLReader();
  TfsXMLReader(const TfsXMLReader&) = delete;
  TfsXMLReader& operator=(const TfsXMLReader&) = delete;

  void ReadBuffer();
  void SetPosition(std::int64_t pos);
  std::int64_t Position() const { return position_; }
  [[noreturn]] void RaiseException();
  void ReadHeader();
  // One tag: name and attribute text, both empty at the end of the stream.
  void ReadItem(AnsiString& name, AnsiString& text);
  void ReadRootItem(TfsXMLItem* item);

 private:
  // Answers true when a closing tag (or the end) was met instead of an element.
  bool ReadElement(TfsXMLItem* item, AnsiString& lastName, int depth);
  // The next byte, or -1 at the end.
  int NextByte();

  rtl::TStream& stream_;
  std::vector<char> buffer_;
  std::int64_t bufferFill_ = 0;
  std::int64_t bufferIndex_ = 0;
  std::int64_t position_ = 0;
  std::int64_t size_ = 0;
};

// Writes a document: one line per tag, indented by two blanks a level when
// the indent flag is set, else everything on one line.
class TfsXMLWriter {
 public:
  explicit TfsXMLWriter(rtl::TStream& stream) : stream_(stream) {}
  bool Indent = false;

  void WriteLn(std::string_view s);
  void FlushBuffer();
  void WriteHeader();
  void WriteItem(const TfsXMLItem* item, int level);
  void WriteRootItem(const TfsXMLItem* item);

 private:
  void WriteTree(const TfsXMLItem* item, int level);
  rtl::TStream& stream_;
  std::string buffer_;
};

// Escapes line ends, double quotes, angle brackets and ampersands as
// character references, so any text survives an attribute value.
AnsiString StrToXML(std::string_view s);
// Reads numeric character references and "&quot;" back; other ampersands stay.
AnsiString XMLToStr(std::string_view s);
// A value as attribute text: numbers, dates, booleans as 1/0, escaped strings.
AnsiString ValueToXML(const rtl::Variant& v);

}  // namespace script
