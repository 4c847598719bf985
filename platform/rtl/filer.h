// Stored property records: the binary form in which objects keep data beyond
// their published properties (DefineProperties), and collections in their
// standard form.
//
// A record is a property name (a length byte and the characters), a
// value-type byte and the value. Integers take the smallest of one, two or
// four little-endian bytes (eight for values beyond 32 bits); strings up to
// 255 bytes a length byte, longer ones a 32-bit length; byte blocks a 32-bit
// length. Lists run from vaList to vaNull. Records follow each other with no
// terminator: a reader reads until the bytes end.
#pragma once
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/object.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/variant.h"

namespace rtl {

class TComponent;
class TCollection;
class TReader;
class TWriter;

enum TValueType : std::uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
  vaSingle = 15,
  vaCurrency = 16,
  vaDate = 17,
  vaWString = 18,
  vaInt64 = 19,
  vaUTF8String = 20,
};

using TReaderProc = std::function<void(TReader&)>;
using TWriterProc = std::function<void(TWriter&)>;
using TStreamProc = std::function<void(TStream&)>;

// What DefineProperties talks to: the writer writes each defined property
// that has data, the reader calls the read procedure of the property it met.
class TFiler {
 public:
  explicit TFiler(TStream& stream) : stream_(stream) {}
  virtual ~TFiler() = default;
  TFiler(const TFiler&) = delete;
  TFiler& operator=(const TFiler&) = delete;

  virtual void DefineProperty(const AnsiString& name, TReaderProc read, TWriterProc write, bool hasData) = 0;
  // The value is a byte block the procedures read or write as a stream.
  virtual void DefineBinaryProperty(const AnsiString& name, TStreamProc read, TStreamProc write, bool hasData) = 0;

  // The root component of what is read or written (for references), and the
  // object the written one is compared with (nil without one).
  TComponent* Root = nullptr;
  TPersistent* Ancestor = nullptr;
  TStream& Stream() { return stream_; }

 protected:
  TStream& stream_;
};

class TWriter : public TFiler {
 public:
  using TFiler::TFiler;
  void DefineProperty(const AnsiString& name, TReaderProc read, TWriterProc write, bool hasData) override;
  void DefineBinaryProperty(const AnsiString& name, TStreamProc read, TStreamProc write, bool hasData) override;

  // The defined properties of an object (its DefineProperties), as records.
  void WriteDefinedProperties(TPersistent& object);
  // The published properties that are stored and differ from their
  // defaults, then the defined ones (the standard form of collection items).
  void WriteProperties(TPersistent& object);

  void WritePropName(std::string_view name);
  void WriteValue(TValueType type);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WriteInteger(std::int64_t value);
  void WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }
  void WriteFloat(long double value);
  // 8-bit text: vaString up to 255 bytes, vaLString beyond.
  void WriteString(std::string_view value);
  void WriteWideString(std::u16string_view value);
  void WriteUTF8String(std::string_view utf8);
  void WriteIdent(std::string_view ident);
  void WriteBinary(const void* data, std::int64_t count);
  void WriteCollection(TCollection& collection);

 private:
  void WriteBytes(const void* data, std::int64_t count) { stream_.WriteBuffer(data, count); }
  void WriteLength8(std::string_view text);
};

class TReader : public TFiler {
 public:
  using TFiler::TFiler;
  void DefineProperty(const AnsiString& name, TReaderProc read, TWriterProc write, bool hasData) override;
  void DefineBinaryProperty(const AnsiString& name, TStreamProc read, TStreamProc write, bool hasData) override;

  // True when no byte is left.
  bool EndOfStream();
  // Reads one record onto the object: a defined property of that name, else
  // a published property of simple kind. An unknown name or a value of the
  // wrong type raises EReadError.
  void ReadProperty(TPersistent& object);
  // Records until the bytes end.
  void ReadProperties(TPersistent& object);

  AnsiString ReadPropName();
  TValueType NextValue();
  TValueType ReadValue();
  void CheckValue(TValueType type);
  void ReadListBegin() { CheckValue(vaList); }
  bool EndOfList() { return NextValue() == vaNull; }
  void ReadListEnd() { CheckValue(vaNull); }
  std::int64_t ReadInteger();
  bool ReadBoolean();
  long double ReadFloat();
  // Any text kind: 8-bit as is, wide and UTF-8 narrowed to 1251.
  AnsiString ReadString();
  WideString ReadWideString();
  AnsiString ReadIdent();
  std::vector<std::uint8_t> ReadBinary();
  // Any value as a variant (lists and collections are skipped and give Null).
  Variant ReadVariant();
  void SkipValue();
  // A collection in the standard form: items replace the collection's.
  void ReadCollection(TCollection& collection);

  // Object references met while reading; the caller resolves them.
  struct TReference {
    TPersistent* object;
    AnsiString property;
    AnsiString name;
  };
  std::vector<TReference> References;

 private:
  void ReadBytes(void* data, std::int64_t count);
  std::uint32_t ReadLength32();
  TValueType Peek();
  AnsiString propName_;
  bool propFound_ = false;
  int depth_ = 0;
};

}  // namespace rtl
