// Property-set streams (the summary-information and document-summary-
// information streams of a compound file), built in memory and serialised.
#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "export/biff/durEdivazu.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace report {

using TOlepsFmtId = std::array<std::uint8_t, 16>;

// Type codes: 2 two-byte integer, 3 four-byte integer, 30 code-page string,
// 31 UTF-16 string, 64 file time.
class TOlepsProp : public rtl::TMemoryStream {
 public:
  TOlepsProp(std::uint32_t id, std::uint16_t type) : Id(id), Type(type) {}
  std::uint32_t Id;
  std::uint16_t Type;
  std::int64_t Offset = 0;
  void WriteVal(std::uint32_t value, int n);
  void WriteAnsi(const rtl::AnsiString& text);
  void WriteUCS(const rtl::WideString& text);
  void Flush(rtl::TStream& stream);
};

class TOlepsPropSet {
 public:
  explicit TOlepsPropSet(const TOlepsFmtId& fmtId) : FmtId(fmtId) {}
  TOlepsProp* Add(std::uint32_t id, std::uint16_t type);
  // nullptr (nothing added) for an empty text.
  TOlepsProp* AddAnsi(std::uint32_t id, const rtl::AnsiString& text);
  TOlepsProp* AddUCS(std::uint32_t id, const rtl::WideString& text);
  TOlepsProp* AddUnicode(std::uint32_t id, const rtl::WideString& text);
  TOlepsProp* AddTime(std::uint32_t id, std::uint64_t fileTime);
  // Readers decode code-page strings by the set's code page (property 1):
  // it is written first whenever the set holds such strings, 1200 when they
  // are UTF-16, else 1251.
  void Flush(rtl::TStream& stream);
  TOlepsFmtId FmtId;
  std::int64_t Offset = 0;
  int Count() const { return props_.Count(); }

 private:
  TObjList<TOlepsProp> props_;
  bool utf16Strings_ = false, ansiStrings_ = false;
};

class TOlepsStream {
 public:
  TOlepsPropSet* Add(const TOlepsFmtId& fmtId);
  void Flush(rtl::TStream& stream);

 private:
  TObjList<TOlepsPropSet> sets_;
};

// FMTID_SummaryInformation and FMTID_DocSummaryInformation.
extern const TOlepsFmtId kOlepsSummaryInformation;
extern const TOlepsFmtId kOlepsDocSummaryInformation;

// A FILETIME (100 ns since 1601-01-01 UTC) from seconds since 1970 UTC.
std::uint64_t OlepsFileTimeFromUnix(std::int64_t unixSeconds);
// The current time as a FILETIME, in UTC.
std::uint64_t OlepsFileTimeNow();

}  // namespace report
