// A local serial device: a tty opened non-blocking, locked against other
// programs with flock (which holds even against root) and TIOCEXCL.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/serial/backends_p.h"

namespace serial::detail {

namespace {

class TtyBackend : public Backend {
 public:
  TtyBackend(int fd, bool modemLines) : fd_(fd), modemLines_(modemLines) {}
  ~TtyBackend() override { Stop(); }

  int Fd() const override { return fd_; }

  bool OnReadable(std::size_t room) override {
    std::uint8_t buf[4096];
    ssize_t n = ::read(fd_, buf, std::min(sizeof buf, room));
    if (n > 0) {
      sink_->Received(buf, static_cast<std::size_t>(n));
      return true;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
    return false;  // hang-up: the device went away (or the pty's master closed)
  }

  long WriteSome(const std::uint8_t* data, std::size_t count) override {
    ssize_t n = ::write(fd_, data, count);
    if (n >= 0) return n;
    if (errno == EAGAIN || errno == EINTR) return 0;
    SetLastError(ErrorFromErrno(errno));
    return -1;
  }

  DWORD OutQueue() override {
    int n = 0;
    if (fd_ < 0 || ::ioctl(fd_, TIOCOUTQ, &n) != 0 || n < 0) return 0;
    return static_cast<DWORD>(n);
  }

  int ModemPollMs() const override { return modemLines_ ? 10 : -1; }

  bool Configure(const DCB& dcb) override {
    int err = ApplyTtySettings(fd_, dcb);
    if (err) {
      SetLastError(ErrorFromErrno(err));
      return false;
    }
    return true;
  }

  bool SetControlLines(bool rts, bool dtr) override {
    if (!modemLines_) return true;  // a device without modem lines (a pty) ignores them
    int set = (rts ? TIOCM_RTS : 0) | (dtr ? TIOCM_DTR : 0);
    int clear = (rts ? 0 : TIOCM_RTS) | (dtr ? 0 : TIOCM_DTR);
    if ((set && ::ioctl(fd_, TIOCMBIS, &set) != 0) || (clear && ::ioctl(fd_, TIOCMBIC, &clear) != 0)) {
      SetLastError(ErrorFromErrno(errno));
      return false;
    }
    return true;
  }

  bool SetBreak(bool on) override {
    if (::ioctl(fd_, on ? TIOCSBRK : TIOCCBRK) != 0 && errno != EINVAL && errno != ENOTTY) {
      SetLastError(ErrorFromErrno(errno));
      return false;
    }
    return true;
  }

  bool ModemStatus(DWORD& status) override {
    status = 0;
    if (!modemLines_) return true;
    int bits = 0;
    if (::ioctl(fd_, TIOCMGET, &bits) != 0) {
      SetLastError(ErrorFromErrno(errno));
      return false;
    }
    if (bits & TIOCM_CTS) status |= MS_CTS_ON;
    if (bits & TIOCM_DSR) status |= MS_DSR_ON;
    if (bits & TIOCM_RNG) status |= MS_RING_ON;
    if (bits & TIOCM_CAR) status |= MS_RLSD_ON;
    return true;
  }

  void Purge(bool receive, bool transmit) override {
    int which = receive && transmit ? TCIOFLUSH : receive ? TCIFLUSH : TCOFLUSH;
    ::tcflush(fd_, which);
  }

  void Stop() override {
    if (fd_ >= 0) {
      ::ioctl(fd_, TIOCNXCL);
      ::close(fd_);  // releases the flock as well
      fd_ = -1;
    }
  }

 private:
  int fd_;
  bool modemLines_;
};

}  // namespace

std::unique_ptr<Backend> OpenTtyBackend(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    SetLastError(ErrorFromErrno(errno));
    return nullptr;
  }
  auto fail = [fd](DWORD code) -> std::unique_ptr<Backend> {
    ::close(fd);
    SetLastError(code);
    return nullptr;
  };
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode) || !::isatty(fd)) return fail(ERROR_BAD_DEVICE);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(ERROR_ACCESS_DENIED);
  ::ioctl(fd, TIOCEXCL);
  int bits = 0;
  bool modemLines = ::ioctl(fd, TIOCMGET, &bits) == 0;
  return std::make_unique<TtyBackend>(fd, modemLines);
}

}  // namespace serial::detail
