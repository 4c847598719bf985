#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/serial/net_p.h"

namespace serial::detail {

void MakeNonBlocking(int fd) {
  int flags = ::fcntl(fd, F_GETFL, 0);
  ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

int ConnectTcp(const std::string& host, int port, int timeoutMs) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  std::string service = std::to_string(port);
  if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &list) != 0 || !list) {
    errno = ENOENT;
    return -1;
  }
  int err = ECONNREFUSED;
  int result = -1;
  for (addrinfo* a = list; a && result < 0; a = a->ai_next) {
    int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      err = errno;
      continue;
    }
    MakeNonBlocking(fd);
    if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
      result = fd;
      break;
    }
    if (errno != EINPROGRESS) {
      err = errno;
      ::close(fd);
      continue;
    }
    pollfd p{fd, POLLOUT, 0};
    int r = ::poll(&p, 1, timeoutMs);
    int soErr = 0;
    socklen_t len = sizeof soErr;
    if (r == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soErr, &len) == 0 && soErr == 0) {
      result = fd;
    } else {
      err = r == 0 ? ETIMEDOUT : (soErr ? soErr : errno);
      ::close(fd);
    }
  }
  ::freeaddrinfo(list);
  if (result < 0) errno = err;
  return result;
}

int ListenTcp(const std::string& host, int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  if (::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 4) != 0) {
    int e = errno;
    ::close(fd);
    errno = e;
    return -1;
  }
  MakeNonBlocking(fd);
  return fd;
}

int LocalPort(int fd) {
  sockaddr_in addr{};
  socklen_t len = sizeof addr;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return -1;
  return ntohs(addr.sin_port);
}

}  // namespace serial::detail
