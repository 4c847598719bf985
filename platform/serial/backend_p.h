// What a port needs of the thing behind it: a local tty, an RFC 2217 server
// or an in-process peer. Internal to the serial layer.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/serial/win32_comm.h"

namespace serial::detail {

// The port side of a backend: where received bytes and line changes go.
// Called from the port's I/O thread (or, for virtual peers, any thread).
class BackendSink {
 public:
  virtual ~BackendSink() = default;
  virtual void Received(const std::uint8_t* data, std::size_t count) = 0;
  virtual void ModemChanged(DWORD modemStatus) = 0;
  virtual void LineErrors(DWORD errors) = 0;
  virtual void Disconnected() = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;
  // Begins delivering to sink; called once before any other call.
  virtual void Start(BackendSink* sink) { sink_ = sink; }
  // The descriptor the I/O thread polls for input, -1 for none.
  virtual int Fd() const { return -1; }
  // The descriptor is readable: read at most room bytes and deliver them
  // (never more than room data bytes). Answers false when the other end has gone.
  virtual bool OnReadable(std::size_t room) {
    (void)room;
    return true;
  }
  // Hands bytes towards the line without blocking; answers how many were
  // taken (may be 0), -1 on a broken line (error set).
  virtual long WriteSome(const std::uint8_t* data, std::size_t count) = 0;
  // The backend holds bytes of its own to write: poll for writability and
  // call OnWritable when it comes.
  virtual bool WantsWrite() const { return false; }
  virtual void OnWritable() {}
  // Bytes taken by WriteSome but not yet on the line.
  virtual DWORD OutQueue() { return 0; }
  // How often the I/O thread polls the modem lines, in ms; -1 never.
  virtual int ModemPollMs() const { return -1; }
  virtual bool Configure(const DCB& dcb) = 0;            // error set on failure
  virtual bool SetControlLines(bool rts, bool dtr) = 0;  // error set on failure
  virtual bool SetBreak(bool on) = 0;
  virtual bool ModemStatus(DWORD& status) = 0;
  virtual void Purge(bool receive, bool transmit) = 0;
  // Ends delivery; no sink call follows.
  virtual void Stop() = 0;

 protected:
  BackendSink* sink_ = nullptr;
};

}  // namespace serial::detail
