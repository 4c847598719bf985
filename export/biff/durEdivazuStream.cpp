#include "export/biff/durEdivazuStream.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>

#include "export/biff/durEdivazuArray.h"

namespace report {

namespace {
constexpr const char* kUnit = "durEdivazu";
constexpr char kHexDigits[] = "0123456789abcdef";
}  // namespace

// ---------------------------------------------------------------- TStreamRW

TStreamRW::TStreamRW(rtl::TStream* stream, bool secure) : stream_(stream), secure_(secure) {
  if (!stream) throw rtl::Exception("Invalid stream");
}

void TStreamRW::WriteTag(std::uint32_t tag) {
  if (secure_) stream_->WriteBuffer(&tag, 4);
}

void TStreamRW::CheckTag(std::uint32_t tag) {
  if (!secure_) return;
  std::uint32_t read = 0;
  stream_->ReadBuffer(&read, 4);
  if (read != tag) throw rtl::Exception("Incorrect data type");
}

void TStreamRW::WriteBool(bool value) {
  WriteTag(GetBoolType());
  const std::uint8_t b = value ? 1 : 0;
  stream_->WriteBuffer(&b, 1);
}

void TStreamRW::WriteExt(long double value) {
  WriteTag(GetExtType());
  char bytes[10];
  ExtendedToBytes(value, bytes);
  stream_->WriteBuffer(bytes, 10);
}

void TStreamRW::WriteInt(std::int32_t value) {
  WriteTag(GetIntType());
  stream_->WriteBuffer(&value, 4);
}

void TStreamRW::WriteStr(const rtl::WideString& value) {
  WriteTag(GetStrType());
  const std::uint16_t count = static_cast<std::uint16_t>(std::min<std::size_t>(value.size(), 0xFFFF));
  stream_->WriteBuffer(&count, 2);
  for (std::size_t i = 0; i < count; ++i) {
    const auto c = static_cast<std::uint16_t>(value[i]);
    stream_->WriteBuffer(&c, 2);
  }
}

bool TStreamRW::ReadBool() {
  CheckTag(GetBoolType());
  std::uint8_t b = 0;
  stream_->ReadBuffer(&b, 1);
  return b != 0;
}

long double TStreamRW::ReadExt() {
  CheckTag(GetExtType());
  char bytes[10];
  stream_->ReadBuffer(bytes, 10);
  return ExtendedFromBytes(bytes);
}

std::int32_t TStreamRW::ReadInt() {
  CheckTag(GetIntType());
  std::int32_t v = 0;
  stream_->ReadBuffer(&v, 4);
  return v;
}

rtl::WideString TStreamRW::ReadStr() {
  CheckTag(GetStrType());
  std::uint16_t count = 0;
  stream_->ReadBuffer(&count, 2);
  rtl::WideString out(count, u'\0');
  for (std::size_t i = 0; i < count; ++i) {
    std::uint16_t c = 0;
    stream_->ReadBuffer(&c, 2);
    out[i] = static_cast<char16_t>(c);
  }
  return out;
}

// ---------------------------------------------------------------- TBitArray

void TBitArray::SetBitsLength(int count) {
  VUZ_ASSERT(count >= 0, "", kUnit);
  count_ = count;
  bytes_.resize(static_cast<std::size_t>((count + 7) / 8), '\0');
  Trunc();
}

void TBitArray::Trunc() {
  if (count_ % 8 != 0 && !bytes_.empty())
    bytes_.back() = static_cast<char>(static_cast<unsigned char>(bytes_.back()) & ((1u << (count_ % 8)) - 1));
}

void TBitArray::SetBit(int i, bool value) {
  VUZ_ASSERT(i >= 0 && i < count_, "", kUnit);
  auto& b = reinterpret_cast<unsigned char&>(bytes_[static_cast<std::size_t>(i / 8)]);
  if (value)
    b = static_cast<unsigned char>(b | (1u << (i % 8)));
  else
    b = static_cast<unsigned char>(b & ~(1u << (i % 8)));
}

bool TBitArray::GetBit(int i) const {
  VUZ_ASSERT(i >= 0 && i < count_, "", kUnit);
  return (static_cast<unsigned char>(bytes_[static_cast<std::size_t>(i / 8)]) >> (i % 8)) & 1u;
}

void TBitArray::SetBits() {
  std::fill(bytes_.begin(), bytes_.end(), '\xFF');
  Trunc();
}

void TBitArray::ResetBits() { std::fill(bytes_.begin(), bytes_.end(), '\0'); }

void TBitArray::BitAnd(const TBitArray& other) {
  VUZ_ASSERT(other.count_ >= count_, "", kUnit);
  for (std::size_t i = 0; i < bytes_.size(); ++i) bytes_[i] = static_cast<char>(bytes_[i] & other.bytes_[i]);
  Trunc();
}

void TBitArray::BitOr(const TBitArray& other) {
  VUZ_ASSERT(other.count_ >= count_, "", kUnit);
  for (std::size_t i = 0; i < bytes_.size(); ++i) bytes_[i] = static_cast<char>(bytes_[i] | other.bytes_[i]);
  Trunc();
}

void TBitArray::BitXor(const TBitArray& other) {
  VUZ_ASSERT(other.count_ >= count_, "", kUnit);
  for (std::size_t i = 0; i < bytes_.size(); ++i) bytes_[i] = static_cast<char>(bytes_[i] ^ other.bytes_[i]);
  Trunc();
}

std::unique_ptr<TBitArray> TBitArray::Clone() const {
  try {
    return std::make_unique<TBitArray>(*this);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

int TBitArray::GetNumOfSetBits() const {
  const std::uint8_t* table = BitCountTable();
  int n = 0;
  for (char c : bytes_) n += table[static_cast<unsigned char>(c)];
  return n;
}

int TBitArray::GetRightmostBitIndex() const {
  for (int i = static_cast<int>(bytes_.size()) - 1; i >= 0; --i) {
    const auto b = static_cast<unsigned char>(bytes_[static_cast<std::size_t>(i)]);
    if (b == 0) continue;
    int bit = 7;
    while (!((b >> bit) & 1u)) --bit;
    return i * 8 + bit;
  }
  return -1;
}

void TBitArray::SaveToStream(rtl::TStream& stream) const {
  if (!bytes_.empty()) stream.WriteBuffer(bytes_.data(), static_cast<std::int64_t>(bytes_.size()));
}

// ---------------------------------------------------------------- TCachedStream

TCachedStream::TCachedStream(rtl::TStream* target, bool ownsTarget)
    : target_(target), ownsTarget_(ownsTarget), buffer_(4096, '\0') {}

TCachedStream::~TCachedStream() {
  try {
    FlushCache();
  } catch (...) {
    // A destructor cannot report; callers that care flush first.
  }
  if (ownsTarget_) delete target_;
}

std::int64_t TCachedStream::Read(void*, std::int64_t) {
  throw rtl::Exception("TCachedStream does not support reading");
}

std::int64_t TCachedStream::Write(const void* buffer, std::int64_t count) {
  const auto* p = static_cast<const char*>(buffer);
  std::int64_t left = count;
  while (left > 0) {
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(left), buffer_.size() - used_);
    std::memcpy(buffer_.data() + used_, p, n);
    used_ += n;
    p += n;
    left -= static_cast<std::int64_t>(n);
    if (used_ == buffer_.size()) FlushCache();
  }
  return count;
}

void TCachedStream::FlushCache() {
  if (used_ == 0) return;
  const std::size_t n = used_;
  used_ = 0;
  target_->WriteBuffer(buffer_.data(), static_cast<std::int64_t>(n));
}

std::int64_t TCachedStream::Seek(std::int64_t offset, rtl::TSeekOrigin origin) {
  FlushCache();
  return target_->Seek(offset, origin);
}

void TCachedStream::SetCacheSize(int size) {
  if (used_ != 0) throw rtl::Exception("Changing cache size is allowed only when the cache is empty");
  VUZ_ASSERT(size > 0, "", kUnit);
  buffer_.assign(static_cast<std::size_t>(size), '\0');
}

// ---------------------------------------------------------------- encoders

TBase64Encoder::TBase64Encoder(rtl::TStream* output) : output_(output) {
  for (char c = 'A'; c <= 'Z'; ++c) alphabet_ += c;
  for (char c = 'a'; c <= 'z'; ++c) alphabet_ += c;
  for (char c = '0'; c <= '9'; ++c) alphabet_ += c;
  alphabet_ += "+/";
}

TBase64Encoder::~TBase64Encoder() {
  try {
    Finalise();
  } catch (...) {
    // A destructor cannot report; callers that care finalise first.
  }
}

std::int64_t TBase64Encoder::Read(void*, std::int64_t) { throw rtl::Exception("This stream is write-only"); }

std::int64_t TBase64Encoder::Seek(std::int64_t, rtl::TSeekOrigin) { return written_; }

void TBase64Encoder::Emit(const unsigned char* g, int n) {
  char out[4];
  out[0] = alphabet_[g[0] >> 2];
  out[1] = alphabet_[((g[0] & 3) << 4) | (n > 1 ? g[1] >> 4 : 0)];
  out[2] = n > 1 ? alphabet_[((g[1] & 15) << 2) | (n > 2 ? g[2] >> 6 : 0)] : '=';
  out[3] = n > 2 ? alphabet_[g[2] & 63] : '=';
  output_->WriteBuffer(out, 4);
}

std::int64_t TBase64Encoder::Write(const void* buffer, std::int64_t count) {
  const auto* p = static_cast<const unsigned char*>(buffer);
  for (std::int64_t i = 0; i < count; ++i) {
    if (pendingCount_ < 2) {
      pending_[pendingCount_++] = p[i];
      continue;
    }
    const unsigned char group[3] = {pending_[0], pending_[1], p[i]};
    Emit(group, 3);
    pendingCount_ = 0;
  }
  written_ += count;
  return count;
}

void TBase64Encoder::Finalise() {
  if (pendingCount_ == 0) return;
  const unsigned char group[3] = {pending_[0], pendingCount_ > 1 ? pending_[1] : static_cast<unsigned char>(0), 0};
  const int n = pendingCount_;
  pendingCount_ = 0;
  Emit(group, n);
}

std::int64_t THexEncoder::Read(void*, std::int64_t) { throw ENotImplemented("This stream is write-only"); }

std::int64_t THexEncoder::Seek(std::int64_t, rtl::TSeekOrigin) { return written_; }

std::int64_t THexEncoder::Write(const void* buffer, std::int64_t count) {
  const auto* p = static_cast<const unsigned char*>(buffer);
  std::string out;
  out.reserve(static_cast<std::size_t>(count) * 2);
  for (std::int64_t i = 0; i < count; ++i) {
    out += kHexDigits[p[i] >> 4];
    out += kHexDigits[p[i] & 15];
  }
  output_->WriteString(out);
  written_ += count;
  return count;
}

// ---------------------------------------------------------------- TFmtStream

TFmtStream::TFmtStream(rtl::TStream* output, bool ownsOutput) : output_(output), ownsOutput_(ownsOutput) {}

TFmtStream::~TFmtStream() {
  if (ownsOutput_) delete output_;
}

void TFmtStream::PutsRawA(const rtl::AnsiString& text) { output_->WriteString(text); }

void TFmtStream::PutsRaw(const rtl::WideString& text) {
  output_->WriteBuffer(text.data(), static_cast<std::int64_t>(text.size() * sizeof(char16_t)));
}

void TFmtStream::PutsA(const rtl::AnsiString& text) {
  if (!Formatted) return PutsRawA(text);
  PutsRawA(rtl::AnsiString(static_cast<std::size_t>(std::max(indent_, 0)), ' ') + text + "\r\n");
}

void TFmtStream::Puts(const rtl::WideString& text) {
  if (!Formatted) return PutsRaw(text);
  PutsRaw(rtl::WideString(static_cast<std::size_t>(std::max(indent_, 0)), u' ') + text + u"\r\n");
}

// ---------------------------------------------------------------- TProxyStream

void TProxyStream::Init(rtl::TStream* stream, std::int64_t offset, std::int64_t size) {
  if (auto* inner = dynamic_cast<TProxyStream*>(stream)) {
    stream = inner->stream_;
    offset += inner->offset_;
  }
  stream_ = stream;
  offset_ = offset;
  size_ = size;
  position_ = 0;
}

std::int64_t TProxyStream::Seek(std::int64_t offset, rtl::TSeekOrigin origin) {
  switch (origin) {
    case rtl::soBeginning: position_ = offset; break;
    case rtl::soCurrent: position_ += offset; break;
    case rtl::soEnd: position_ = size_ + offset; break;
  }
  return position_;
}

std::int64_t TProxyStream::Cut(std::int64_t count) const {
  if (position_ < 0 || position_ >= size_ || count <= 0) return 0;
  return std::min(count, size_ - position_);
}

std::int64_t TProxyStream::Read(void* buffer, std::int64_t count) {
  const std::int64_t n = Cut(count);
  if (n == 0) return 0;
  const std::int64_t saved = stream_->Position();
  stream_->SetPosition(offset_ + position_);
  const std::int64_t moved = stream_->Read(buffer, n);
  stream_->SetPosition(saved);
  position_ += moved;
  return moved;
}

std::int64_t TProxyStream::Write(const void* buffer, std::int64_t count) {
  const std::int64_t n = Cut(count);
  if (n == 0) return 0;
  const std::int64_t saved = stream_->Position();
  stream_->SetPosition(offset_ + position_);
  const std::int64_t moved = stream_->Write(buffer, n);
  stream_->SetPosition(saved);
  position_ += moved;
  return moved;
}

// ---------------------------------------------------------------- TLineSplitter

TLineSplitter::TLineSplitter(rtl::TStream* output, int lineLength, const rtl::AnsiString& separator)
    : output_(output), lineLength_(lineLength), separator_(separator) {
  VUZ_ASSERT(!separator.empty(), "This class is useless for empty separators", kUnit);
  VUZ_ASSERT(lineLength > 0, "", kUnit);
}

std::int64_t TLineSplitter::Read(void*, std::int64_t) { throw ENotSupportedException("This stream is write-only"); }

std::int64_t TLineSplitter::Seek(std::int64_t, rtl::TSeekOrigin) { return written_; }

std::int64_t TLineSplitter::Write(const void* buffer, std::int64_t count) {
  const auto* p = static_cast<const char*>(buffer);
  std::int64_t left = count;
  while (left > 0) {
    const std::int64_t inLine = written_ % lineLength_;
    const std::int64_t n = std::min(left, lineLength_ - inLine);
    output_->WriteBuffer(p, n);
    p += n;
    left -= n;
    written_ += n;
    if (written_ % lineLength_ == 0) output_->WriteString(separator_);
  }
  return count;
}

}  // namespace report
