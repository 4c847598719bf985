#include "export/biff/olepsStream.h"

#include <chrono>

#include "export/vuzCrypto.h"

namespace report {

const TOlepsFmtId kOlepsSummaryInformation = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                              0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};
const TOlepsFmtId kOlepsDocSummaryInformation = {0x02, 0xD5, 0xCD, 0xD5, 0x9C, 0x2E, 0x1B, 0x10,
                                                 0x93, 0x97, 0x08, 0x00, 0x2B, 0x2C, 0xF9, 0xAE};

std::uint64_t OlepsFileTimeFromUnix(std::int64_t unixSeconds) {
  return static_cast<std::uint64_t>(unixSeconds + 11644473600ll) * 10000000ull;
}

std::uint64_t OlepsFileTimeNow() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100;
  return static_cast<std::uint64_t>(ticks) + 116444736000000000ull;
}

namespace {

void PadTo4(rtl::TStream& s, std::int64_t from) {
  static const char zeros[4] = {};
  const std::int64_t rest = (s.Size() - from) % 4;
  if (rest != 0) {
    s.Seek(0, rtl::soEnd);
    s.WriteBuffer(zeros, 4 - rest);
  }
}

void Put(rtl::TStream& s, std::uint32_t value, int n) {
  std::uint8_t b[4];
  vuzCryptoWriteUInt(b, 0, value, 4);
  s.WriteBuffer(b, n);
}

}  // namespace

void TOlepsProp::WriteVal(std::uint32_t value, int n) { Put(*this, value, n); }

void TOlepsProp::WriteAnsi(const rtl::AnsiString& text) {
  const std::int64_t start = Position();
  if (text.empty()) {
    Put(*this, 0, 4);
    return;
  }
  Put(*this, static_cast<std::uint32_t>(text.size() + 1), 4);
  WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  Put(*this, 0, 1);
  PadTo4(*this, start);
}

void TOlepsProp::WriteUCS(const rtl::WideString& text) {
  const std::int64_t start = Position();
  if (text.empty()) {
    Put(*this, 0, 4);
    return;
  }
  // Type 30 counts bytes, type 31 characters.
  const std::size_t count = Type == 31 ? text.size() + 1 : 2 * text.size() + 2;
  Put(*this, static_cast<std::uint32_t>(count), 4);
  for (char16_t c : text) Put(*this, c, 2);
  Put(*this, 0, 2);
  PadTo4(*this, start);
}

void TOlepsProp::Flush(rtl::TStream& stream) {
  Offset = stream.Position();
  Put(stream, Type, 2);
  Put(stream, 0, 2);
  if (Size() > 0) stream.WriteBuffer(Memory(), Size());
}

TOlepsProp* TOlepsPropSet::Add(std::uint32_t id, std::uint16_t type) {
  auto p = std::make_unique<TOlepsProp>(id, type);
  TOlepsProp* result = p.get();
  props_.Add(std::move(p));
  return result;
}

TOlepsProp* TOlepsPropSet::AddAnsi(std::uint32_t id, const rtl::AnsiString& text) {
  if (text.empty()) return nullptr;
  TOlepsProp* p = Add(id, 30);
  p->WriteAnsi(text);
  ansiStrings_ = true;
  return p;
}

TOlepsProp* TOlepsPropSet::AddUCS(std::uint32_t id, const rtl::WideString& text) {
  if (text.empty()) return nullptr;
  TOlepsProp* p = Add(id, 30);
  p->WriteUCS(text);
  utf16Strings_ = true;
  return p;
}

TOlepsProp* TOlepsPropSet::AddUnicode(std::uint32_t id, const rtl::WideString& text) {
  if (text.empty()) return nullptr;
  TOlepsProp* p = Add(id, 31);
  p->WriteUCS(text);
  return p;
}

TOlepsProp* TOlepsPropSet::AddTime(std::uint32_t id, std::uint64_t fileTime) {
  TOlepsProp* p = Add(id, 64);
  p->WriteVal(static_cast<std::uint32_t>(fileTime & 0xFFFFFFFFu), 4);
  p->WriteVal(static_cast<std::uint32_t>(fileTime >> 32), 4);
  return p;
}

void TOlepsPropSet::Flush(rtl::TStream& stream) {
  Offset = stream.Position();
  std::vector<TOlepsProp*> props;
  TOlepsProp codePage(1, 2);
  bool hasCodePage = false;
  for (const auto& p : props_) hasCodePage = hasCodePage || p->Id == 1;
  if (!hasCodePage && (utf16Strings_ || ansiStrings_)) {
    codePage.WriteVal(utf16Strings_ ? 1200 : 1251, 2);
    props.push_back(&codePage);
  }
  for (const auto& p : props_) props.push_back(p.get());
  const auto header = static_cast<std::uint32_t>(8 + 8 * props.size());
  rtl::TMemoryStream data;
  for (TOlepsProp* p : props) {
    PadTo4(data, 0);
    data.Seek(0, rtl::soEnd);
    p->Flush(data);
  }
  PadTo4(data, 0);
  Put(stream, header + static_cast<std::uint32_t>(data.Size()), 4);
  Put(stream, static_cast<std::uint32_t>(props.size()), 4);
  for (TOlepsProp* p : props) {
    Put(stream, p->Id, 4);
    Put(stream, header + static_cast<std::uint32_t>(p->Offset), 4);
  }
  if (data.Size() > 0) stream.WriteBuffer(data.Memory(), data.Size());
}

TOlepsPropSet* TOlepsStream::Add(const TOlepsFmtId& fmtId) {
  auto s = std::make_unique<TOlepsPropSet>(fmtId);
  TOlepsPropSet* result = s.get();
  sets_.Add(std::move(s));
  return result;
}

void TOlepsStream::Flush(rtl::TStream& stream) {
  Put(stream, 0xFFFE, 2);
  Put(stream, 0, 2);
  Put(stream, 0x00020001, 4);
  for (int i = 0; i < 4; ++i) Put(stream, 0, 4);
  Put(stream, static_cast<std::uint32_t>(sets_.Count()), 4);
  rtl::TMemoryStream data;
  for (const auto& s : sets_) s->Flush(data);
  const auto base = static_cast<std::uint32_t>(28 + 20 * sets_.Count());
  for (const auto& s : sets_) {
    stream.WriteBuffer(s->FmtId.data(), 16);
    Put(stream, base + static_cast<std::uint32_t>(s->Offset), 4);
  }
  if (data.Size() > 0) stream.WriteBuffer(data.Memory(), data.Size());
}

}  // namespace report
