// Serves a virtual peer as an RFC 2217 network serial port on a TCP address,
// so that a port in another process (or this one) reaches it by
// rfc2217://host:port. One client at a time: a second connection is closed at
// once, which the client reports as a port held by another program.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/serial/virtual_device.h"

namespace serial {

class Rfc2217Server {
 public:
  explicit Rfc2217Server(std::shared_ptr<VirtualPeer> peer);
  ~Rfc2217Server();
  Rfc2217Server(const Rfc2217Server&) = delete;
  Rfc2217Server& operator=(const Rfc2217Server&) = delete;

  // Starts serving on host:port (port 0 picks a free one). Answers false with
  // GetLastError() set when the address cannot be bound.
  bool Listen(const std::string& host = "127.0.0.1", int port = 0);
  // The port actually bound.
  int BoundPort() const;
  // Closes the client connection, as a network link that breaks would.
  void DropClient();
  bool HasClient() const;
  void Stop();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace serial
