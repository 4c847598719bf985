#include "platform/serial/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/serial/backends_p.h"

namespace serial {

PseudoTerminal::PseudoTerminal() {
  char name[256] = {};
  struct termios raw;
  cfmakeraw(&raw);
  if (::openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
    master_ = slave_ = -1;
    return;
  }
  slavePath_ = name;
  int flags = ::fcntl(master_, F_GETFL, 0);
  ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
  ::fcntl(master_, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
}

PseudoTerminal::~PseudoTerminal() {
  if (master_ >= 0) ::close(master_);
  if (slave_ >= 0) ::close(slave_);
}

bool PseudoTerminal::Write(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      pollfd p{master_, POLLOUT, 0};
      ::poll(&p, 1, 100);
    } else {
      return false;
    }
  }
  return true;
}

std::string PseudoTerminal::Read(std::size_t count, int timeoutMs) {
  std::string out;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (out.size() < count) {
    char buf[4096];
    ssize_t n = ::read(master_, buf, std::min(sizeof buf, count - out.size()));
    if (n > 0) {
      out.append(buf, static_cast<std::size_t>(n));
      continue;
    }
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) break;
    pollfd p{master_, POLLIN, 0};
    ::poll(&p, 1, static_cast<int>(left));
  }
  return out;
}

bool PseudoTerminal::SlaveSettings(LineSettings& settings) { return detail::ReadTtySettings(slave_, settings) == 0; }

int PseudoTerminal::PendingToSlave() {
  int n = 0;
  if (::ioctl(slave_, FIONREAD, &n) != 0) return -1;
  return n;
}

}  // namespace serial
