#include "export/biff/biffStream.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "export/biff/biffFileBuffer.h"
#include "export/vuzCrypto.h"
#include "platform/rtl/files.h"
#include "report/vuzUtils.h"

namespace report {

namespace {

constexpr const char* kUnit = "biffStream";

// What the record list holds: the offset of one record.
class TRecordOffset : public rtl::TObject {
 public:
  explicit TRecordOffset(std::uint32_t offset) : Offset(offset) {}
  std::uint32_t Offset;
};

}  // namespace

// --- TBiffRecord -------------------------------------------------------------

int TBiffRecord::GetRecId() const { return static_cast<int>(stream_->ReadBytes(offset_, 2)); }
int TBiffRecord::GetSize() const {
  if (*this == stream_->last_) return stream_->lastSize_;
  return static_cast<int>(stream_->ReadBytes(offset_ + 2, 2));
}

void TBiffRecord::SetSize(int n) { stream_->SetRecordSize(*this, n); }

void TBiffRecord::Write(const void* data, int n) { stream_->AppendRecord(*this, data, n); }

void TBiffRecord::WriteConst(std::uint32_t value, int n) {
  VUZ_ASSERT(n >= 1 && n <= 4, "", kUnit);
  std::uint8_t b[4];
  for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(value >> (8 * i));
  Write(b, n);
}

void TBiffRecord::WriteDouble(double value) {
  std::uint8_t b[8];
  std::memcpy(b, &value, 8);
  Write(b, 8);
}

void TBiffRecord::WriteZeros(int n) {
  VUZ_ASSERT(n >= 1, "", kUnit);
  static const std::uint8_t zeros[256] = {};
  while (n > 0) {
    const int piece = std::min(n, 256);
    Write(zeros, piece);
    n -= piece;
  }
}

void TBiffRecord::WriteStream(rtl::TStream& source) {
  source.SetPosition(0);
  char buf[64];
  for (;;) {
    const auto got = source.Read(buf, sizeof buf);
    if (got <= 0) break;
    Write(buf, static_cast<int>(got));
  }
}

void TBiffRecord::WriteBytes(int pos, std::uint32_t value, int n) {
  VUZ_ASSERT(n >= 1 && n <= 4 && pos >= 0 && pos + n <= GetSize(), "", kUnit);
  stream_->WriteBytes(std::int64_t{offset_} + 4 + pos, value, n);
}

int TBiffRecord::LoadFromStream(rtl::TStream& source) {
  const int size = GetSize();
  if (size == 0) return 0;
  std::vector<char> buf(static_cast<std::size_t>(size));
  source.ReadBuffer(buf.data(), size);
  stream_->WriteData(std::int64_t{offset_} + 4, buf.data(), size);
  return size;
}

int TBiffRecord::SaveToStream(rtl::TStream& dest) const {
  const int size = GetSize();
  if (size == 0) return 0;
  std::vector<char> buf(static_cast<std::size_t>(size));
  stream_->ReadData(std::int64_t{offset_} + 4, buf.data(), size);
  dest.WriteBuffer(buf.data(), size);
  return size;
}

// --- TBiffStream -------------------------------------------------------------

TBiffStream::TBiffStream(bool useFileCache) : fileCache_(useFileCache) {
  if (!useFileCache) {
    data_ = std::make_unique<rtl::TMemoryStream>();
    records_ = std::make_unique<TListCache>();
    return;
  }
  dataFileName_ = GetTempFile();
  data_ = std::make_unique<TBufferedFileStream>(dataFileName_);
  records_ = std::make_unique<TListCache>(GetTempFile(), GetTempFile(), 4);
  records_->WriteObj = [](rtl::TStream& s, rtl::TObject& o) {
    // The stream is implied by the list's owner; the offset is what matters.
    const std::uint32_t words[2] = {0, static_cast<TRecordOffset&>(o).Offset};
    s.WriteBuffer(words, 8);
  };
  records_->ReadObj = [](rtl::TStream& s) -> std::unique_ptr<rtl::TObject> {
    std::uint32_t words[2];
    s.ReadBuffer(words, 8);
    return std::make_unique<TRecordOffset>(words[1]);
  };
}

TBiffStream::~TBiffStream() {
  records_.reset();
  data_.reset();
  if (!dataFileName_.empty()) rtl::DeleteFile(dataFileName_);
}

TBiffRecord TBiffStream::GetRecord(int i) {
  if (i < 0 || i >= GetRecCount()) return {};
  auto* o = static_cast<TRecordOffset*>(records_->GetObject(i));
  return o ? TBiffRecord(this, o->Offset) : TBiffRecord();
}

void TBiffStream::SaveToStream(rtl::TStream& dest) {
  data_->SetPosition(0);
  dest.CopyFrom(*data_, size_);
}

std::uint32_t TBiffStream::ReadBytes(std::int64_t pos, int n) {
  VUZ_ASSERT(n >= 1 && n <= 4 && pos >= 0 && pos + n <= size_, "", kUnit);
  std::uint8_t b[4] = {};
  data_->SetPosition(pos);
  data_->ReadBuffer(b, n);
  return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
}

void TBiffStream::WriteBytes(std::int64_t pos, std::uint32_t value, int n) {
  VUZ_ASSERT(n >= 1 && n <= 4 && pos >= 0 && pos + n <= size_, "", kUnit);
  std::uint8_t b[4];
  for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(value >> (8 * i));
  data_->SetPosition(pos);
  data_->WriteBuffer(b, n);
}

void TBiffStream::ReadData(std::int64_t pos, void* buffer, int n) {
  VUZ_ASSERT(n >= 0 && pos >= 0 && pos + n <= size_, "", kUnit);
  data_->SetPosition(pos);
  data_->ReadBuffer(buffer, n);
}

void TBiffStream::WriteData(std::int64_t pos, const void* buffer, int n) {
  VUZ_ASSERT(n >= 0 && pos >= 0 && pos + n <= size_, "", kUnit);
  data_->SetPosition(pos);
  data_->WriteBuffer(buffer, n);
}

TBiffRecord TBiffStream::Add(int id) {
  VUZ_ASSERT(size_ <= 0xFFFFFFFFll, "The workbook stream exceeds 4 GiB", kUnit);
  const TBiffRecord record(this, static_cast<std::uint32_t>(size_));
  records_->Add(std::make_unique<TRecordOffset>(record.Offset()));
  if (id != kBiffContinue) lastReal_ = record;
  last_ = record;
  lastSize_ = 0;
  const std::uint8_t header[4] = {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8), 0, 0};
  AppendData(header, 4);
  return record;
}

void TBiffStream::SetRecordSize(const TBiffRecord& record, int n) {
  VUZ_ASSERT(n >= 0 && n <= kBiffMaxRecordData, "", kUnit);
  WriteBytes(std::int64_t{record.Offset()} + 2, static_cast<std::uint32_t>(n), 2);
  if (record == last_) lastSize_ = n;
}

TBiffRecord TBiffStream::AddBOF(int type) {
  TBiffRecord r = Add(0x0809);
  r.WriteConst(0x0600, 2);
  r.WriteConst(static_cast<std::uint32_t>(type), 2);
  r.WriteConst(0x2013, 2);
  r.WriteConst(0x07CD, 2);
  r.WriteConst(0xC009, 4);
  r.WriteConst(0x0306, 4);
  return r;
}

TBiffRecord TBiffStream::AddEOF() { return Add(0x000A); }

void TBiffStream::AppendData(const void* buffer, int n) {
  VUZ_ASSERT(buffer != nullptr && n > 0, "", kUnit);
  data_->Seek(0, rtl::soEnd);
  data_->WriteBuffer(buffer, n);
  size_ += n;
}

void TBiffStream::Append(std::uint32_t value, int n) {
  VUZ_ASSERT(n >= 1 && n <= 4, "", kUnit);
  std::uint8_t b[4];
  for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(value >> (8 * i));
  AppendData(b, n);
}

void TBiffStream::AppendRecord(const TBiffRecord& record, const void* data, int n) {
  VUZ_ASSERT(last_ && n > 0 && data != nullptr, "", kUnit);
  VUZ_ASSERT(record == lastReal_ || record == last_, "Only the last record can be modified", kUnit);
  const auto* p = static_cast<const std::uint8_t*>(data);
  const int size = lastSize_;
  const int first = std::min(kBiffMaxRecordData - size, n);
  if (first > 0) {
    AppendData(p, first);
    last_.SetSize(size + first);
  }
  int done = first;
  while (done < n) {
    const int piece = std::min(n - done, kBiffMaxRecordData);
    Add(kBiffContinue);
    AppendData(p + done, piece);
    last_.SetSize(piece);
    done += piece;
  }
}

// --- TBiffUCS ----------------------------------------------------------------

TBiffUCS::TBiffUCS(WideString text, bool length16) : Length16(length16), text_(std::move(text)) {}

void TBiffUCS::SetData(WideString text) {
  text_ = std::move(text);
  hash_ = 0;
}

void TBiffUCS::AddFormat(int charIndex, int fontIndex) {
  const std::uint8_t run[4] = {static_cast<std::uint8_t>(charIndex), static_cast<std::uint8_t>(charIndex >> 8),
                               static_cast<std::uint8_t>(fontIndex), static_cast<std::uint8_t>(fontIndex >> 8)};
  runs_.append(reinterpret_cast<const char*>(run), 4);
}

bool TBiffUCS::IsCompressible() const {
  if (!CompressionAllowed) return false;
  return std::all_of(text_.begin(), text_.end(), [](char16_t c) { return c <= 0xFF; });
}

std::uint32_t TBiffUCS::GetHashCode() {
  if (hash_ != 0 || text_.empty()) return hash_;
  std::string bytes;
  bytes.reserve(text_.size() * 2);
  for (char16_t c : text_) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  std::uint8_t digest[4];
  TCryptoHash::Hash("Jenkins", digest, 4, bytes);
  hash_ = vuzCryptoReadUInt(digest, 0, 4);
  return hash_;
}

bool TBiffUCS::Equals(TBiffObject& other) {
  auto* o = dynamic_cast<TBiffUCS*>(&other);
  return o && o->GetHashCode() == GetHashCode() && o->text_ == text_;
}

void TBiffUCS::Flush(TBiffStream& stream) {
  const bool compressed = IsCompressible();
  const int runs = static_cast<int>(runs_.size() / 4);
  const int width = compressed ? 1 : 2;
  int header = 2 + (Length16 ? 1 : 0) + (runs > 0 ? 2 : 0) + (text_.empty() ? 0 : width);
  TBiffRecord r = stream.LastRecord();
  if (!r || r.GetSize() + header > kBiffMaxRecordData) r = stream.Add(kBiffContinue);
  const auto count = static_cast<std::uint32_t>(text_.size());
  r.WriteConst(count, Length16 ? 2 : 1);
  r.WriteConst((compressed ? 0u : 1u) | (runs > 0 ? 8u : 0u), 1);
  if (runs > 0) r.WriteConst(static_cast<std::uint32_t>(runs), 2);
  if (!text_.empty()) {
    std::string chars;
    chars.reserve(text_.size() * static_cast<std::size_t>(width));
    for (char16_t c : text_) {
      chars += static_cast<char>(c & 0xFF);
      if (!compressed) chars += static_cast<char>(c >> 8);
    }
    r.Write(chars.data(), width);
    std::size_t done = 1;
    const std::size_t total = text_.size();
    const int room = kBiffMaxRecordData - stream.LastRecord().GetSize();
    std::size_t fit = std::min<std::size_t>(static_cast<std::size_t>(room / width), total - done);
    if (fit > 0) {
      stream.LastRecord().Write(chars.data() + done * static_cast<std::size_t>(width), static_cast<int>(fit) * width);
      done += fit;
    }
    while (done < total) {
      TBiffRecord c = stream.Add(kBiffContinue);
      c.WriteConst(compressed ? 0u : 1u, 1);
      fit = std::min<std::size_t>(static_cast<std::size_t>((kBiffMaxRecordData - 1) / width), total - done);
      c.Write(chars.data() + done * static_cast<std::size_t>(width), static_cast<int>(fit) * width);
      done += fit;
    }
  }
  if (runs > 0) stream.LastRecord().Write(runs_.data(), static_cast<int>(runs_.size()));
}

}  // namespace report
