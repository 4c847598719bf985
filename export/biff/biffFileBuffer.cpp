#include "export/biff/biffFileBuffer.h"

#include <algorithm>
#include <cstring>

namespace report {

TBufferedFileStream::TBufferedFileStream(const rtl::AnsiString& fileName)
    : file_(fileName, rtl::fmCreate), window_(static_cast<std::size_t>(kWindow), '\0') {}

TBufferedFileStream::~TBufferedFileStream() {
  try {
    Flush();
  } catch (...) {
    // The owner deletes such files; nothing to report from a destructor.
  }
}

void TBufferedFileStream::Flush() {
  if (!dirty_) return;
  file_.Seek(windowStart_, rtl::soBeginning);
  file_.WriteBuffer(window_.data(), windowLength_);
  dirty_ = false;
}

void TBufferedFileStream::Cover(std::int64_t pos) {
  if (pos >= windowStart_ && pos < windowStart_ + kWindow) return;
  Flush();
  windowStart_ = pos - pos % kWindow;
  // Everything before the window start is on disk; read what exists of it.
  windowLength_ = std::min<std::int64_t>(kWindow, std::max<std::int64_t>(0, size_ - windowStart_));
  if (windowLength_ > 0) {
    file_.Seek(windowStart_, rtl::soBeginning);
    file_.ReadBuffer(window_.data(), windowLength_);
  }
}

std::int64_t TBufferedFileStream::Read(void* buffer, std::int64_t count) {
  auto* out = static_cast<char*>(buffer);
  std::int64_t done = 0;
  while (done < count && pos_ < size_) {
    Cover(pos_);
    const std::int64_t offset = pos_ - windowStart_;
    const std::int64_t piece = std::min({count - done, windowLength_ - offset, size_ - pos_});
    if (piece <= 0) break;
    std::memcpy(out + done, window_.data() + offset, static_cast<std::size_t>(piece));
    done += piece;
    pos_ += piece;
  }
  return done;
}

std::int64_t TBufferedFileStream::Write(const void* buffer, std::int64_t count) {
  const auto* in = static_cast<const char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    Cover(pos_);
    const std::int64_t offset = pos_ - windowStart_;
    if (offset > windowLength_) {  // a gap after a seek past the end reads as zeros
      std::memset(window_.data() + windowLength_, 0, static_cast<std::size_t>(offset - windowLength_));
      windowLength_ = offset;
    }
    const std::int64_t piece = std::min(count - done, kWindow - offset);
    std::memcpy(window_.data() + offset, in + done, static_cast<std::size_t>(piece));
    windowLength_ = std::max(windowLength_, offset + piece);
    dirty_ = true;
    done += piece;
    pos_ += piece;
    size_ = std::max(size_, pos_);
  }
  return done;
}

std::int64_t TBufferedFileStream::Seek(std::int64_t offset, rtl::TSeekOrigin origin) {
  switch (origin) {
    case rtl::soBeginning: pos_ = offset; break;
    case rtl::soCurrent: pos_ += offset; break;
    case rtl::soEnd: pos_ = size_ + offset; break;
  }
  if (pos_ < 0) pos_ = 0;
  return pos_;
}

void TBufferedFileStream::SetSize(std::int64_t newSize) {
  Flush();
  file_.SetSize(newSize);
  size_ = newSize;
  windowStart_ = 0;
  windowLength_ = std::min<std::int64_t>(kWindow, size_);
  if (windowLength_ > 0) {
    file_.Seek(0, rtl::soBeginning);
    file_.ReadBuffer(window_.data(), windowLength_);
  }
  if (pos_ > size_) pos_ = size_;
}

}  // namespace report
