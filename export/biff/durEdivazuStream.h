// Small stream classes of the storage unit: a tagged binary reader and writer,
// a bit array, a write-behind cache, Base64 and hexadecimal encoders, a text
// writer with indentation, a window onto part of another stream and a writer
// that puts a separator after every n bytes.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "export/biff/durEdivazuTree.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace report {

// Values with an optional 32-bit type tag in front (secure mode); a tag that
// does not match on reading raises "Incorrect data type".
class TStreamRW {
 public:
  TStreamRW(rtl::TStream* stream, bool secure);

  static constexpr std::uint32_t GetBoolType() { return 0x31927381u; }
  static constexpr std::uint32_t GetExtType() { return 0x11A328B2u; }
  static constexpr std::uint32_t GetIntType() { return 0xDE756CE0u; }
  static constexpr std::uint32_t GetStrType() { return 0x71BCF389u; }

  void WriteBool(bool value);
  void WriteExt(long double value);
  void WriteInt(std::int32_t value);
  // A 16-bit character count, then the UTF-16 characters; longer strings
  // keep their first 65,535 characters, so what is read back is what the
  // count says.
  void WriteStr(const rtl::WideString& value);
  bool ReadBool();
  long double ReadExt();
  std::int32_t ReadInt();
  rtl::WideString ReadStr();

 private:
  void WriteTag(std::uint32_t tag);
  void CheckTag(std::uint32_t tag);

  rtl::TStream* stream_;
  bool secure_;
};

// Bit i is bit (i mod 8) of byte i div 8; bits past the count stay 0.
class TBitArray {
 public:
  void SetBitsLength(int count);
  int GetBitsLength() const { return count_; }
  void SetBit(int i, bool value);
  bool GetBit(int i) const;
  void SetBits();
  void ResetBits();
  // Byte-wise over this array's bytes; other must have at least as many bits.
  void BitAnd(const TBitArray& other);
  void BitOr(const TBitArray& other);
  void BitXor(const TBitArray& other);
  std::unique_ptr<TBitArray> Clone() const;
  int GetNumOfSetBits() const;
  // The highest index whose bit is 1, or -1.
  int GetRightmostBitIndex() const;
  void SaveToStream(rtl::TStream& stream) const;
  const std::string& Bytes() const { return bytes_; }

 private:
  void Trunc();
  int count_ = 0;
  std::string bytes_;
};

// Collects writes in a buffer and passes them on when it is full.
class TCachedStream : public rtl::TStream {
 public:
  TCachedStream(rtl::TStream* target, bool ownsTarget);
  ~TCachedStream() override;
  TCachedStream(const TCachedStream&) = delete;
  TCachedStream& operator=(const TCachedStream&) = delete;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, rtl::TSeekOrigin origin) override;
  void FlushCache();
  void SetCacheSize(int size);
  int GetCacheSize() const { return static_cast<int>(buffer_.size()); }

 private:
  rtl::TStream* target_;
  bool ownsTarget_;
  std::string buffer_;
  std::size_t used_ = 0;
};

// Standard Base64 (RFC 4648) without line breaks; Finalise pads.
class TBase64Encoder : public rtl::TStream {
 public:
  explicit TBase64Encoder(rtl::TStream* output);
  ~TBase64Encoder() override;
  TBase64Encoder(const TBase64Encoder&) = delete;
  TBase64Encoder& operator=(const TBase64Encoder&) = delete;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, rtl::TSeekOrigin origin) override;
  void Finalise();
  TBase64Encoder* This() { return this; }

 private:
  void Emit(const unsigned char* group, int n);
  rtl::TStream* output_;
  std::string alphabet_;
  unsigned char pending_[2] = {0, 0};
  int pendingCount_ = 0;
  std::int64_t written_ = 0;
};

// Each byte as two lower-case hexadecimal digits, high nibble first.
class THexEncoder : public rtl::TStream {
 public:
  explicit THexEncoder(rtl::TStream* output) : output_(output) {}
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, rtl::TSeekOrigin origin) override;

 private:
  rtl::TStream* output_;
  std::int64_t written_ = 0;
};

// A text writer: formatted lines get the indent in front and CR LF after.
class TFmtStream : public rtl::TStream {
 public:
  TFmtStream(rtl::TStream* output, bool ownsOutput);
  ~TFmtStream() override;
  TFmtStream(const TFmtStream&) = delete;
  TFmtStream& operator=(const TFmtStream&) = delete;

  std::int64_t Read(void* buffer, std::int64_t count) override { return output_->Read(buffer, count); }
  std::int64_t Write(const void* buffer, std::int64_t count) override { return output_->Write(buffer, count); }
  std::int64_t Seek(std::int64_t offset, rtl::TSeekOrigin origin) override { return output_->Seek(offset, origin); }

  void PutsRawA(const rtl::AnsiString& text);
  void PutsRaw(const rtl::WideString& text);  // as UTF-16 bytes
  void PutsA(const rtl::AnsiString& text);
  void Puts(const rtl::WideString& text);
  // printf-style formats.
  template <class... Args>
  requires(sizeof...(Args) > 0) void PutsA(const char* format, Args... args) { PutsA(Format(format, args...)); }
  void IncIndent(int n) { indent_ += n; }
  int Indent() const { return indent_; }
  bool Formatted = false;

 private:
  template <class... Args>
  requires(sizeof...(Args) > 0) static rtl::AnsiString Format(const char* format, Args... args) {
    const int n = std::snprintf(nullptr, 0, format, args...);
    rtl::AnsiString out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) std::snprintf(out.data(), out.size() + 1, format, args...);
    return out;
  }
  rtl::TStream* output_;
  bool ownsOutput_;
  int indent_ = 0;
};

// A window of size bytes starting at offset of another stream, with its own
// position; transfers past the window move nothing.
class TProxyStream : public rtl::TStream {
 public:
  TProxyStream(rtl::TStream* stream, std::int64_t offset, std::int64_t size) { Init(stream, offset, size); }
  void Init(rtl::TStream* stream, std::int64_t offset, std::int64_t size);
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, rtl::TSeekOrigin origin) override;
  std::int64_t Size() override { return size_; }
  rtl::TStream* Underlying() const { return stream_; }
  std::int64_t Offset() const { return offset_; }

 private:
  std::int64_t Cut(std::int64_t count) const;
  rtl::TStream* stream_ = nullptr;
  std::int64_t offset_ = 0, size_ = 0, position_ = 0;
};

// Writes the separator after every n bytes that pass through.
class TLineSplitter : public rtl::TStream {
 public:
  TLineSplitter(rtl::TStream* output, int lineLength, const rtl::AnsiString& separator);
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, rtl::TSeekOrigin origin) override;

 private:
  rtl::TStream* output_;
  int lineLength_;
  rtl::AnsiString separator_;
  std::int64_t written_ = 0;
};

}  // namespace report
