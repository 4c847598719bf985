// Small socket helpers shared by the RFC 2217 client and server. Internal.
#pragma once
#include <string>

namespace serial::detail {

// Connects to host:port within timeoutMs; answers the socket (non-blocking,
// no Nagle delay) or -1 with errno set.
int ConnectTcp(const std::string& host, int port, int timeoutMs);
// Listens on host:port (port 0 picks one); answers the socket or -1.
int ListenTcp(const std::string& host, int port);
int LocalPort(int fd);
void MakeNonBlocking(int fd);

}  // namespace serial::detail
