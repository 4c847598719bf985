// A file stream with a write-back window of 64 KiB: the workbook writer
// appends many small pieces and patches fields just written, which would
// otherwise cost a system call each. Reads and writes anywhere in the file
// are served; the window moves where they land.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/rtl/streams.h"

namespace report {

class TBufferedFileStream : public rtl::TStream {
 public:
  // Creates the file empty (replacing one of that name).
  explicit TBufferedFileStream(const rtl::AnsiString& fileName);
  ~TBufferedFileStream() override;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, rtl::TSeekOrigin origin) override;
  std::int64_t Size() override { return size_; }
  void SetSize(std::int64_t newSize) override;
  // Writes the window to the file.
  void Flush();
  const rtl::AnsiString& FileName() const { return file_.FileName(); }

 private:
  static constexpr std::int64_t kWindow = 1 << 16;
  // Makes the window cover pos (pos <= size_).
  void Cover(std::int64_t pos);

  rtl::TFileStream file_;
  std::string window_;
  std::int64_t windowStart_ = 0;
  std::int64_t windowLength_ = 0;  // valid bytes in the window
  bool dirty_ = false;
  std::int64_t pos_ = 0;
  std::int64_t size_ = 0;
};

}  // namespace report
