// Byte streams: the abstract stream, memory stream and file stream that every
// reader and writer of the system works through.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/strings.h"

namespace rtl {

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
 public:
  virtual ~TStream() = default;

  // Reads up to count bytes; answers how many were read (0 at the end).
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  // Writes up to count bytes; answers how many were written.
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

  std::int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(std::int64_t pos) { Seek(pos, soBeginning); }
  virtual std::int64_t Size();
  virtual void SetSize(std::int64_t newSize);

  // Reads or writes exactly count bytes, raising EReadError / EWriteError.
  void ReadBuffer(void* buffer, std::int64_t count);
  void WriteBuffer(const void* buffer, std::int64_t count);
  // Copies count bytes from source (the whole source from its start when 0).
  std::int64_t CopyFrom(TStream& source, std::int64_t count);

  void WriteString(std::string_view bytes) { WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size())); }
  // Reads everything from the current position to the end.
  std::string ReadRest();
};

// A growable block of memory.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string bytes) : data_(std::move(bytes)) {}

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
  void SetSize(std::int64_t newSize) override;

  void Clear() {
    data_.clear();
    pos_ = 0;
  }
  char* Memory() { return data_.data(); }
  const char* Memory() const { return data_.data(); }
  const std::string& Bytes() const { return data_; }
  std::string& Bytes() { return data_; }

  void LoadFromStream(TStream& source);
  void LoadFromFile(const AnsiString& fileName);
  void SaveToStream(TStream& dest) const;
  void SaveToFile(const AnsiString& fileName) const;

 private:
  std::string data_;
  std::int64_t pos_ = 0;
};

// File open modes: one access mode or'ed with one sharing mode.
enum : unsigned {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFFFF,
};

// A file on disk. File names are 1251 strings and may use "\" or "/".
// Sharing modes are approximated with advisory locks.
class TFileStream : public TStream {
 public:
  TFileStream(const AnsiString& fileName, unsigned mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t newSize) override;
  const AnsiString& FileName() const { return fileName_; }

 private:
  AnsiString fileName_;
  int fd_ = -1;
};

}  // namespace rtl
