#include "platform/rtl/streams.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/rtl/files.h"

namespace rtl {

std::int64_t TStream::Size() {
  std::int64_t pos = Seek(0, soCurrent);
  std::int64_t end = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return end;
}

void TStream::SetSize(std::int64_t) { throw EStreamError("Stream size cannot be changed"); }

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  auto* p = static_cast<char*>(buffer);
  while (count > 0) {
    std::int64_t n = Read(p, count);
    if (n <= 0) throw EReadError("Stream read error");
    p += n;
    count -= n;
  }
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  if (count > 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::int64_t total = count;
  std::vector<char> buf(static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 16)) + 1);
  while (count > 0) {
    std::int64_t n = std::min<std::int64_t>(count, static_cast<std::int64_t>(buf.size()));
    source.ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    count -= n;
  }
  return total;
}

std::string TStream::ReadRest() {
  std::string out;
  char buf[1 << 14];
  for (;;) {
    std::int64_t n = Read(buf, sizeof buf);
    if (n <= 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  return out;
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
  std::int64_t avail = Size() - pos_;
  if (count <= 0 || avail <= 0) return 0;
  std::int64_t n = std::min(count, avail);
  std::memcpy(buffer, data_.data() + pos_, static_cast<std::size_t>(n));
  pos_ += n;
  return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  const auto* bytes = static_cast<const char*>(buffer);
  const auto n = static_cast<std::size_t>(count);
  const auto pos = static_cast<std::size_t>(pos_);
  if (pos > data_.size()) data_.resize(pos);  // a gap after a seek past the end reads as zeros
  // Overwrite what is there and append the rest: appending grows the block
  // geometrically and copies each byte once, where resizing first would
  // zero-fill the new bytes only to overwrite them.
  const std::size_t overlap = std::min(n, data_.size() - pos);
  if (overlap > 0) std::memcpy(data_.data() + pos, bytes, overlap);
  if (overlap < n) {
    if (data_.capacity() < pos + n) data_.reserve(std::max(pos + n, data_.capacity() * 2));
    data_.append(bytes + overlap, n - overlap);
  }
  pos_ += count;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? pos_ : Size();
  pos_ = std::max<std::int64_t>(0, base + offset);
  return pos_;
}

void TMemoryStream::SetSize(std::int64_t newSize) {
  data_.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, newSize)));
  pos_ = std::min(pos_, Size());
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  data_.resize(static_cast<std::size_t>(source.Size()));
  if (!data_.empty()) source.ReadBuffer(data_.data(), Size());
  pos_ = 0;
}

void TMemoryStream::LoadFromFile(const AnsiString& fileName) {
  TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(f);
}

void TMemoryStream::SaveToStream(TStream& dest) const {
  dest.WriteBuffer(data_.data(), static_cast<std::int64_t>(data_.size()));
}

void TMemoryStream::SaveToFile(const AnsiString& fileName) const {
  // A failed write leaves the old file as it was.
  SaveFileAtomically(fileName, data_);
}

TFileStream::TFileStream(const AnsiString& fileName, unsigned mode) : fileName_(fileName) {
  const std::string path = NativePath(fileName);
  int flags = O_CLOEXEC;
  if (mode == fmCreate) {
    // Truncated only once the lock is held: a file another writer holds
    // must be left as it is.
    flags |= O_RDWR | O_CREAT;
  } else {
    switch (mode & 3) {
      case fmOpenWrite: flags |= O_WRONLY; break;
      case fmOpenReadWrite: flags |= O_RDWR; break;
      default: flags |= O_RDONLY; break;
    }
  }
  // Non-blocking, so that a named pipe in the file's place cannot stall the
  // open; only regular files are kept.
  fd_ = ::open(path.c_str(), flags | O_NONBLOCK, 0644);
  if (fd_ < 0) {
    if (mode == fmCreate) throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(errno));
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    const bool directory = S_ISDIR(st.st_mode);
    ::close(fd_);
    fd_ = -1;
    throw EFOpenError("Cannot open file \"" + fileName + "\". " +
                      (directory ? "Is a directory" : "Is not a regular file"));
  }
  ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
  // Exclusive or deny-write sharing takes an exclusive advisory lock; the other
  // sharing modes take a shared one, so a deny-write holder keeps writers out.
  unsigned share = mode == fmCreate ? fmShareExclusive : (mode & 0xF0);
  int lockOp = (share == fmShareExclusive || share == fmShareDenyWrite || share == fmShareDenyRead) ? LOCK_EX : LOCK_SH;
  if (share == fmShareDenyNone || (share == fmShareDenyWrite && (mode & 3) == fmOpenRead)) lockOp = LOCK_SH;
  if (::flock(fd_, lockOp | LOCK_NB) != 0) {
    ::close(fd_);
    fd_ = -1;
    throw EFOpenError("Cannot open file \"" + fileName + "\". The file is in use by another process");
  }
  if (mode == fmCreate && ::ftruncate(fd_, 0) != 0) {
    ::close(fd_);
    fd_ = -1;
    throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(errno));
  }
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  ssize_t n;
  do n = ::read(fd_, buffer, static_cast<std::size_t>(count));
  while (n < 0 && errno == EINTR);
  return n < 0 ? 0 : n;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  const char* p = static_cast<const char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    ssize_t n = ::write(fd_, p + done, static_cast<std::size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  off_t r = ::lseek(fd_, offset, whence);
  return r < 0 ? -1 : r;
}

void TFileStream::SetSize(std::int64_t newSize) {
  if (::ftruncate(fd_, newSize) != 0) throw EStreamError("Cannot set the size of \"" + fileName_ + "\"");
  if (Position() > newSize) Seek(newSize, soBeginning);
}

}  // namespace rtl
