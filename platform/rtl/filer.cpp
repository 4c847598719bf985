#include "platform/rtl/filer.h"

#include <cstring>
#include <limits>

#include "platform/rtl/components.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/textcase.h"
#include "platform/rtl/typinfo.h"

namespace rtl {
namespace {

constexpr int kMaxNesting = 64;  // lists inside lists; hostile bytes nest without end

[[noreturn]] void InvalidValue() { throw EReadError("Invalid property value"); }

bool IsDefaultValue(const TPropInfo& p, TPersistent& object) {
  if (IsOrdinalKind(p.Kind)) return p.HasDefault && p.GetOrd(object) == p.Default;
  if (p.Kind == pkString || p.Kind == pkWideString) return p.GetWideStr(object).empty();
  if (p.Kind == pkVariant) return p.GetVariant(object).IsEmpty();
  if (p.Kind == pkComponent) return p.GetObject(object) == nullptr;
  return false;
}

}  // namespace

// ---------------------------------------------------------------- TWriter

void TWriter::WriteValue(TValueType type) {
  const auto b = static_cast<std::uint8_t>(type);
  WriteBytes(&b, 1);
}

void TWriter::WriteLength8(std::string_view text) {
  const auto n = static_cast<std::uint8_t>(std::min<std::size_t>(text.size(), 255));
  WriteBytes(&n, 1);
  WriteBytes(text.data(), n);
}

void TWriter::WritePropName(std::string_view name) { WriteLength8(name); }

void TWriter::WriteInteger(std::int64_t value) {
  if (value >= -128 && value <= 127) {
    WriteValue(vaInt8);
    const auto v = static_cast<std::int8_t>(value);
    WriteBytes(&v, 1);
  } else if (value >= -32768 && value <= 32767) {
    WriteValue(vaInt16);
    const auto v = static_cast<std::int16_t>(value);
    WriteBytes(&v, 2);
  } else if (value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max()) {
    WriteValue(vaInt32);
    const auto v = static_cast<std::int32_t>(value);
    WriteBytes(&v, 4);
  } else {
    WriteValue(vaInt64);
    WriteBytes(&value, 8);
  }
}

void TWriter::WriteFloat(long double value) {
  WriteValue(vaExtended);
  unsigned char bytes[sizeof(long double)] = {};
  std::memcpy(bytes, &value, sizeof(long double));
  WriteBytes(bytes, 10);  // the x87 80-bit form
}

void TWriter::WriteString(std::string_view value) {
  if (value.size() <= 255) {
    WriteValue(vaString);
    WriteLength8(value);
    return;
  }
  WriteValue(vaLString);
  const auto n = static_cast<std::uint32_t>(value.size());
  WriteBytes(&n, 4);
  WriteBytes(value.data(), n);
}

void TWriter::WriteWideString(std::u16string_view value) {
  WriteValue(vaWString);
  const auto n = static_cast<std::uint32_t>(value.size());
  WriteBytes(&n, 4);
  for (char16_t c : value) {
    const std::uint8_t b[2] = {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>(c >> 8)};
    WriteBytes(b, 2);
  }
}

void TWriter::WriteUTF8String(std::string_view utf8) {
  WriteValue(vaUTF8String);
  const auto n = static_cast<std::uint32_t>(utf8.size());
  WriteBytes(&n, 4);
  WriteBytes(utf8.data(), n);
}

void TWriter::WriteIdent(std::string_view ident) {
  if (SameText(ident, "False")) return WriteValue(vaFalse);
  if (SameText(ident, "True")) return WriteValue(vaTrue);
  if (SameText(ident, "nil")) return WriteValue(vaNil);
  if (SameText(ident, "Null")) return WriteValue(vaNull);
  WriteValue(vaIdent);
  WriteLength8(ident);
}

void TWriter::WriteBinary(const void* data, std::int64_t count) {
  WriteValue(vaBinary);
  const auto n = static_cast<std::uint32_t>(count);
  WriteBytes(&n, 4);
  WriteBytes(data, count);
}

void TWriter::DefineProperty(const AnsiString& name, TReaderProc, TWriterProc write, bool hasData) {
  if (!hasData || !write) return;
  WritePropName(name);
  write(*this);
}

void TWriter::DefineBinaryProperty(const AnsiString& name, TStreamProc, TStreamProc write, bool hasData) {
  if (!hasData || !write) return;
  TMemoryStream bytes;
  write(bytes);
  WritePropName(name);
  WriteBinary(bytes.Memory(), bytes.Size());
}

void TWriter::WriteDefinedProperties(TPersistent& object) { object.DefineProperties(*this); }

namespace {
void WritePublished(TWriter& w, TPersistent& object, const AnsiString& prefix) {
  for (const TPropInfo* p : object.ClassType().Properties()) {
    if (!p->IsStored(object) || !p->HasGetter()) continue;
    if (IsDefaultValue(*p, object)) continue;
    const AnsiString name = prefix + p->Name;
    switch (p->Kind) {
      case pkEnumeration:
        w.WritePropName(name);
        w.WriteIdent(p->EnumType ? p->EnumType->NameOf(p->GetOrd(object)) : IntToStr(p->GetOrd(object)));
        break;
      case pkFloat:
        w.WritePropName(name);
        w.WriteFloat(p->GetFloat(object));
        break;
      case pkString:
        w.WritePropName(name);
        w.WriteString(p->GetStr(object));
        break;
      case pkWideString:
        w.WritePropName(name);
        w.WriteWideString(p->GetWideStr(object));
        break;
      case pkVariant: {
        const Variant v = p->GetVariant(object);
        w.WritePropName(name);
        if (v.IsNull())
          w.WriteIdent("Null");
        else if (v.IsString())
          w.WriteString(v.AsString());
        else
          w.WriteString(v.AsString());
        break;
      }
      case pkComponent: {
        auto* c = dynamic_cast<TComponent*>(p->GetObject(object));
        w.WritePropName(name);
        w.WriteIdent(c ? c->Name() : AnsiString("nil"));
        break;
      }
      case pkStrings: {
        auto* s = dynamic_cast<TStrings*>(p->GetObject(object));
        if (!s || s->Count() == 0) break;
        w.WritePropName(name + ".Strings");
        w.WriteListBegin();
        for (int i = 0; i < s->Count(); ++i) w.WriteString(s->Strings(i));
        w.WriteListEnd();
        break;
      }
      case pkPersistent:
      case pkWideStrings: {
        auto* sub = dynamic_cast<TPersistent*>(p->GetObject(object));
        if (sub) {
          WritePublished(w, *sub, name + ".");
          w.WriteDefinedProperties(*sub);
        }
        break;
      }
      case pkEvent: break;
      default:
        w.WritePropName(name);
        w.WriteInteger(p->GetOrd(object));
        break;
    }
  }
}
}  // namespace

void TWriter::WriteProperties(TPersistent& object) {
  WritePublished(*this, object, "");
  WriteDefinedProperties(object);
}

void TWriter::WriteCollection(TCollection& collection) {
  WriteValue(vaCollection);
  for (int i = 0; i < collection.Count(); ++i) {
    WriteListBegin();
    WriteProperties(*collection.Items(i));
    WriteListEnd();
  }
  WriteListEnd();
}

// ---------------------------------------------------------------- TReader

void TReader::ReadBytes(void* data, std::int64_t count) {
  if (count < 0 || stream_.Read(data, count) != count) throw EReadError("Stream read error");
}

bool TReader::EndOfStream() { return stream_.Position() >= stream_.Size(); }

TValueType TReader::Peek() {
  std::uint8_t b = 0;
  ReadBytes(&b, 1);
  stream_.Seek(-1, soCurrent);
  return static_cast<TValueType>(b);
}

TValueType TReader::NextValue() { return Peek(); }

TValueType TReader::ReadValue() {
  std::uint8_t b = 0;
  ReadBytes(&b, 1);
  if (b > vaUTF8String) InvalidValue();
  return static_cast<TValueType>(b);
}

void TReader::CheckValue(TValueType type) {
  if (ReadValue() != type) InvalidValue();
}

std::uint32_t TReader::ReadLength32() {
  std::uint32_t n = 0;
  ReadBytes(&n, 4);
  if (static_cast<std::int64_t>(n) > stream_.Size() - stream_.Position()) throw EReadError("Stream read error");
  return n;
}

AnsiString TReader::ReadPropName() {
  std::uint8_t n = 0;
  ReadBytes(&n, 1);
  AnsiString name(n, '\0');
  ReadBytes(name.data(), n);
  return name;
}

std::int64_t TReader::ReadInteger() {
  switch (ReadValue()) {
    case vaInt8: {
      std::int8_t v = 0;
      ReadBytes(&v, 1);
      return v;
    }
    case vaInt16: {
      std::int16_t v = 0;
      ReadBytes(&v, 2);
      return v;
    }
    case vaInt32: {
      std::int32_t v = 0;
      ReadBytes(&v, 4);
      return v;
    }
    case vaInt64: {
      std::int64_t v = 0;
      ReadBytes(&v, 8);
      return v;
    }
    default: InvalidValue();
  }
}

bool TReader::ReadBoolean() {
  const TValueType t = ReadValue();
  if (t == vaTrue) return true;
  if (t == vaFalse) return false;
  InvalidValue();
}

long double TReader::ReadFloat() {
  const TValueType t = NextValue();
  if (t != vaExtended) return static_cast<long double>(ReadInteger());
  ReadValue();
  unsigned char bytes[sizeof(long double)] = {};
  ReadBytes(bytes, 10);
  long double v = 0;
  std::memcpy(&v, bytes, sizeof(long double));
  return v;
}

AnsiString TReader::ReadString() {
  switch (ReadValue()) {
    case vaString: {
      std::uint8_t n = 0;
      ReadBytes(&n, 1);
      AnsiString s(n, '\0');
      ReadBytes(s.data(), n);
      return s;
    }
    case vaLString: {
      AnsiString s(ReadLength32(), '\0');
      ReadBytes(s.data(), static_cast<std::int64_t>(s.size()));
      return s;
    }
    case vaUTF8String: {
      std::string s(ReadLength32(), '\0');
      ReadBytes(s.data(), static_cast<std::int64_t>(s.size()));
      return Utf8ToAnsi(s);
    }
    case vaWString: {
      stream_.Seek(-1, soCurrent);
      return WideToAnsi(ReadWideString());
    }
    default: InvalidValue();
  }
}

WideString TReader::ReadWideString() {
  const TValueType t = NextValue();
  if (t != vaWString) {
    if (t == vaUTF8String) {
      ReadValue();
      std::string s(ReadLength32(), '\0');
      ReadBytes(s.data(), static_cast<std::int64_t>(s.size()));
      return Utf8ToWide(s);
    }
    return AnsiToWide(ReadString());
  }
  ReadValue();
  std::uint32_t n = 0;
  ReadBytes(&n, 4);
  if (static_cast<std::int64_t>(n) * 2 > stream_.Size() - stream_.Position()) throw EReadError("Stream read error");
  WideString s(n, u'\0');
  for (auto& c : s) {
    std::uint8_t b[2];
    ReadBytes(b, 2);
    c = static_cast<char16_t>(b[0] | (b[1] << 8));
  }
  return s;
}

AnsiString TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: {
      std::uint8_t n = 0;
      ReadBytes(&n, 1);
      AnsiString s(n, '\0');
      ReadBytes(s.data(), n);
      return s;
    }
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: InvalidValue();
  }
}

std::vector<std::uint8_t> TReader::ReadBinary() {
  CheckValue(vaBinary);
  std::vector<std::uint8_t> bytes(ReadLength32());
  ReadBytes(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  return bytes;
}

Variant TReader::ReadVariant() {
  switch (NextValue()) {
    case vaInt8:
    case vaInt16:
    case vaInt32: return Variant(static_cast<std::int32_t>(ReadInteger()));
    case vaInt64: return Variant(ReadInteger());
    case vaExtended: return Variant::FromExtended(ReadFloat());
    case vaString:
    case vaLString: return Variant(ReadString());
    case vaWString:
    case vaUTF8String: return Variant(ReadWideString());
    case vaFalse:
    case vaTrue: return Variant(ReadBoolean());
    case vaNull: ReadValue(); return Variant::Null();
    case vaNil: ReadValue(); return Variant();
    default: SkipValue(); return Variant::Null();
  }
}

void TReader::SkipValue() {
  switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil: return;
    case vaList: {
      if (++depth_ > kMaxNesting) InvalidValue();
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      --depth_;
      return;
    }
    case vaInt8: return stream_.Seek(1, soCurrent), void();
    case vaInt16: return stream_.Seek(2, soCurrent), void();
    case vaInt32:
    case vaSingle: return stream_.Seek(4, soCurrent), void();
    case vaInt64:
    case vaCurrency:
    case vaDate: return stream_.Seek(8, soCurrent), void();
    case vaExtended: return stream_.Seek(10, soCurrent), void();
    case vaString:
    case vaIdent: {
      std::uint8_t n = 0;
      ReadBytes(&n, 1);
      return stream_.Seek(n, soCurrent), void();
    }
    case vaLString:
    case vaBinary:
    case vaUTF8String: return stream_.Seek(ReadLength32(), soCurrent), void();
    case vaWString: {
      std::uint32_t n = 0;
      ReadBytes(&n, 4);
      if (static_cast<std::int64_t>(n) * 2 > stream_.Size() - stream_.Position()) throw EReadError("Stream read error");
      return stream_.Seek(static_cast<std::int64_t>(n) * 2, soCurrent), void();
    }
    case vaSet:
      while (true) {
        std::uint8_t n = 0;
        ReadBytes(&n, 1);
        if (n == 0) return;
        stream_.Seek(n, soCurrent);
      }
    case vaCollection: {
      if (++depth_ > kMaxNesting) InvalidValue();
      while (!EndOfList()) {
        const TValueType t = NextValue();
        if (t == vaInt8 || t == vaInt16 || t == vaInt32) ReadInteger();
        CheckValue(vaList);
        while (!EndOfList()) {
          ReadPropName();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      --depth_;
      return;
    }
  }
}

void TReader::DefineProperty(const AnsiString& name, TReaderProc read, TWriterProc, bool) {
  if (propFound_ || !read || !SameText(name, propName_)) return;
  propFound_ = true;
  read(*this);
}

void TReader::DefineBinaryProperty(const AnsiString& name, TStreamProc read, TStreamProc, bool) {
  if (propFound_ || !read || !SameText(name, propName_)) return;
  propFound_ = true;
  const std::vector<std::uint8_t> bytes = ReadBinary();
  TMemoryStream block;
  if (!bytes.empty()) block.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  block.SetPosition(0);
  read(block);
}

namespace {

void ReadPublished(TReader& r, TPersistent& object, const TPropInfo& p) {
  switch (p.Kind) {
    case pkEnumeration: {
      const TValueType t = r.NextValue();
      if (t == vaIdent || t == vaFalse || t == vaTrue) {
        const AnsiString ident = r.ReadIdent();
        const int v = p.EnumType ? p.EnumType->ValueOf(ident) : -1;
        if (v < 0) InvalidValue();
        p.SetOrd(object, v);
      } else {
        p.SetOrd(object, r.ReadInteger());
      }
      return;
    }
    case pkSet: {
      if (r.NextValue() != vaSet) return p.SetOrd(object, r.ReadInteger());
      r.ReadValue();
      long long mask = 0;
      while (true) {
        const AnsiString name = r.ReadPropName();
        if (name.empty()) break;
        const int v = p.SetType && p.SetType->Element ? p.SetType->Element->ValueOf(name) : -1;
        if (v < 0 || v > 62) InvalidValue();
        mask |= 1LL << v;
      }
      return p.SetOrd(object, mask);
    }
    case pkFloat: return p.SetFloat(object, r.ReadFloat());
    case pkString: return p.SetStr(object, r.ReadString());
    case pkWideString: return p.SetWideStr(object, r.ReadWideString());
    case pkVariant: return p.SetVariant(object, r.ReadVariant());
    case pkComponent: {
      const AnsiString ident = r.ReadIdent();
      if (SameText(ident, "nil")) return p.SetObject(object, nullptr);
      r.References.push_back({&object, p.Name, ident});
      return;
    }
    case pkEvent: r.SkipValue(); return;
    default:
      if (!IsOrdinalKind(p.Kind)) InvalidValue();
      return p.SetOrd(object, r.ReadInteger());
  }
}

}  // namespace

void TReader::ReadProperty(TPersistent& object) {
  const AnsiString fullName = ReadPropName();
  TPersistent* target = &object;
  std::string_view rest = fullName;
  // Dotted names descend into sub-objects ("Font.Name", "Lines.Strings").
  for (std::size_t dot = rest.find('.'); dot != std::string_view::npos; dot = rest.find('.')) {
    const TPropInfo* p = target->ClassType().FindProperty(rest.substr(0, dot));
    TPersistent* next = p && IsObjectKind(p->Kind) ? dynamic_cast<TPersistent*>(p->GetObject(*target)) : nullptr;
    if (!next) throw EReadError("Property " + fullName + " does not exist");
    target = next;
    rest.remove_prefix(dot + 1);
  }
  propName_ = AnsiString(rest);
  propFound_ = false;
  target->DefineProperties(*this);
  if (propFound_) return;
  if (auto* list = dynamic_cast<TStrings*>(target); list && SameText(propName_, "Strings")) {
    ReadListBegin();
    list->BeginUpdate();
    list->Clear();
    while (!EndOfList()) list->Add(ReadString());
    list->EndUpdate();
    ReadListEnd();
    return;
  }
  const TPropInfo* p = target->ClassType().FindProperty(propName_);
  if (!p || !p->HasSetter()) throw EReadError("Property " + fullName + " does not exist");
  ReadPublished(*this, *target, *p);
}

void TReader::ReadProperties(TPersistent& object) {
  while (!EndOfStream()) ReadProperty(object);
}

void TReader::ReadCollection(TCollection& collection) {
  CheckValue(vaCollection);
  collection.BeginUpdate();
  try {
    collection.Clear();
    while (!EndOfList()) {
      const TValueType t = NextValue();
      if (t == vaInt8 || t == vaInt16 || t == vaInt32) ReadInteger();
      ReadListBegin();
      TCollectionItem* item = collection.Add();
      while (!EndOfList()) ReadProperty(*item);
      ReadListEnd();
    }
    ReadListEnd();
  } catch (...) {
    collection.EndUpdate();
    throw;
  }
  collection.EndUpdate();
}

}  // namespace rtl
