// The report engine's own small XML layer: an element tree whose attributes
// are kept as one raw text, a buffered reader and writer, escaping, and the
// parking of large subtrees in a temporary file (the prepared pages use it).
// Text between tags is never read; it is not a general XML parser.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/variant.h"

namespace report {

using rtl::AnsiString;

class TfrxInvalidXMLException : public rtl::Exception {
 public:
  TfrxInvalidXMLException() : rtl::Exception("Invalid file format") {}
};

class TfrxXMLItem {
 public:
  TfrxXMLItem() = default;
  explicit TfrxXMLItem(AnsiString name) : Name(std::move(name)) {}
  // Frees the children and takes the item out of its parent's list.
  ~TfrxXMLItem();
  TfrxXMLItem(const TfrxXMLItem&) = delete;
  TfrxXMLItem& operator=(const TfrxXMLItem&) = delete;

  AnsiString Name;
  AnsiString Prop;          // the raw attribute text: escaped values, blanks between
  AnsiString Text;          // written between the tags when there are no children
  bool Loaded = true;       // false while the children are parked
  bool Unloadable = false;  // may be parked (written as ld="0")

  void Clear();
  int Count() const { return children_ ? static_cast<int>(children_->size()) : 0; }
  TfrxXMLItem* Items(int index) const { return (*children_)[static_cast<std::size_t>(index)]; }
  TfrxXMLItem* operator[](int index) const { return Items(index); }
  int IndexOf(const TfrxXMLItem* item) const;
  TfrxXMLItem* Parent() const { return parent_; }
  TfrxXMLItem* Root();

  TfrxXMLItem* Add();
  TfrxXMLItem* Add(const AnsiString& name);
  void AddItem(TfrxXMLItem* item);
  void InsertItem(int index, TfrxXMLItem* item);
  // Index of the first child of that name (1251 case ignored), -1 if none.
  int Find(const AnsiString& name) const;
  // That child, or a new one of that name appended.
  TfrxXMLItem* FindItem(const AnsiString& name);

  // Attributes, found as ` NAME="` (case ignored) in the attribute text.
  AnsiString GetProp(const AnsiString& name) const;
  void SetProp(const AnsiString& name, const AnsiString& value);
  bool PropExists(const AnsiString& name) const;
  void DeleteProp(const AnsiString& name);

  // Where the subtree starts in the document's temporary stream (40 bits).
  std::uint64_t GetOffset() const { return (static_cast<std::uint64_t>(hiOffset_) << 32) | loOffset_; }
  void SetOffset(std::uint64_t value) {
    hiOffset_ = static_cast<std::uint8_t>(value >> 32);
    loOffset_ = static_cast<std::uint32_t>(value);
  }

 private:
  friend class TfrxXMLReader;
  void Detach();
  TfrxXMLItem* parent_ = nullptr;
  std::unique_ptr<std::vector<TfrxXMLItem*>> children_;  // owned items
  std::uint8_t hiOffset_ = 0;
  std::uint32_t loOffset_ = 0;
};

class TfrxXMLReader {
 public:
  explicit TfrxXMLReader(rtl::TStream& stream);
  // Puts the stream back just after the last byte consumed.
  ~TfrxXMLReader();

  void ReadHeader();
  void ReadItem(AnsiString& name, AnsiString& text);
  // Reads the item and its subtree; answers true when it read an end marker
  // (an end tag, or the end of the stream) instead of an element.
  bool ReadRootItem(TfrxXMLItem* item, bool loadAll);
  // When set, a stream that ends inside an element raises instead of closing
  // every open element silently (a file cut short is not read as complete).
  bool RequireClosedElements = false;
  void SetPosition(std::int64_t pos);
  std::int64_t Position() const { return position_; }
  bool OldFormat() const { return oldFormat_; }
  [[noreturn]] static void RaiseException();

 private:
  bool NextByte(char& c);
  void ReadTagInto(TfrxXMLItem* item, bool& isEnd, bool& hasChildren);
  void FinishItem(TfrxXMLItem* item, std::int64_t start, bool loadAll);

  rtl::TStream& stream_;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
  static constexpr int kBufferSize = 4096;
  char buffer_[kBufferSize];
  int bufferFill_ = 0;
  int bufferPos_ = 0;
  bool oldFormat_ = false;
  bool atStreamEnd_ = false;  // the last ReadItem met the end of the stream
  AnsiString collect_;
};

class TfrxXMLWriter {
 public:
  explicit TfrxXMLWriter(rtl::TStream& stream) : stream_(stream) {}
  ~TfrxXMLWriter();

  bool AutoIndent = false;
  rtl::TStream* TempStream = nullptr;  // where parked items are read back from

  void WriteHeader();
  void WriteItem(const TfrxXMLItem* item, int indent);
  void WriteRootItem(TfrxXMLItem* item);
  void WriteLn(const AnsiString& line);
  void FlushBuffer();

 private:
  void LoadParked(TfrxXMLItem* item);
  rtl::TStream& stream_;
  AnsiString buffer_;
};

class TfrxXMLDocument {
 public:
  TfrxXMLDocument();
  ~TfrxXMLDocument();
  TfrxXMLDocument(const TfrxXMLDocument&) = delete;
  TfrxXMLDocument& operator=(const TfrxXMLDocument&) = delete;

  bool AutoIndent = false;
  AnsiString TempDir;  // folder for the parking file; empty: the system's
  // Refuse a document whose elements are not all closed (see the reader's
  // flag of that name); templates keep the lenient reading.
  bool RequireClosedElements = false;

  TfrxXMLItem* Root() const { return root_.get(); }
  bool OldVersion() const { return oldVersion_; }

  void Clear();
  // Reads the whole document from the stream.
  void LoadFromStream(rtl::TStream& stream);
  // With allowPartialLoading, elements marked ld="0" stay parked in the
  // stream, which the document keeps (and frees) to load them on demand.
  void LoadFromStream(std::unique_ptr<rtl::TStream> stream, bool allowPartialLoading);
  void SaveToStream(rtl::TStream& stream);
  void LoadFromFile(const AnsiString& fileName);
  // Writes a temporary file beside it, renames that over the file in one
  // step and reloads it.
  void SaveToFile(const AnsiString& fileName);

  void LoadItem(TfrxXMLItem* item);
  void UnloadItem(TfrxXMLItem* item);
  void CreateTempFile();
  void DeleteTempFile();
  const AnsiString& TempFileName() const { return tempFileName_; }

 private:
  void Load(rtl::TStream& stream, bool partial);
  std::unique_ptr<TfrxXMLItem> root_;
  AnsiString tempFileName_;
  std::unique_ptr<rtl::TStream> tempStream_;
  bool tempFileCreated_ = false;
  bool oldVersion_ = true;
};

// An 8-bit (Windows-1251) text as attribute text: LF, CR, ", &, < and > as
// "&#<code>;" ("&quot;" becomes "&#34;"), and every byte from 0x80 up as the
// reference of its character ("П" is "&#1055;"), so the file is UTF-8 as its
// header says while the reading of files with bare 1251 bytes stays as it was.
AnsiString vuzStrToXML(const AnsiString& s);
// A UTF-8 text as attribute text: the same escapes, its bytes kept.
AnsiString vuzUtf8ToXML(const AnsiString& s);
// Decodes "&#<code>;", &quot; &amp; &lt; &gt; into 8-bit text; other
// ampersands stay. Codes below 256 are the bytes themselves, higher ones the
// 1251 byte of their character ('?' when it has none). A code that is not a
// number raises the integer conversion error.
AnsiString vuzXMLToStr(std::string_view s);
// The same into UTF-8 text: codes from 128 up are characters.
AnsiString vuzXMLToUtf8(std::string_view s);
// The text with every byte that starts no well-formed UTF-8 sequence written
// as the reference of its 1251 character; the writer's last guard.
AnsiString vuzWellFormedUtf8(const AnsiString& s);

// A variant as attribute text: integers in decimal, floats by the general
// conversion (locale separator), dates as short dates, strings escaped,
// Booleans "1"/"0", anything else empty.
AnsiString vuzValueToXML(const rtl::Variant& value);

}  // namespace report
