// A device that lives in this process: whatever stands at the far end of a
// port (a simulated recorder, a test fixture) implements VirtualPeer and is
// registered under a name. A port opened on "virtual:<name>" (or a ports-file
// entry naming it) then exchanges bytes and modem lines with it, and the
// RFC 2217 server can put the same peer behind a TCP port.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/serial/win32_comm.h"

namespace serial {

// What the peer uses to talk back to the host. Every call is safe from any
// thread, including from inside the peer's own callbacks; once the host has
// gone away the calls do nothing.
class VirtualLine {
 public:
  virtual ~VirtualLine() = default;
  // Bytes towards the host's receive queue.
  virtual void Send(const std::uint8_t* data, std::size_t count) = 0;
  // The lines the peer drives: MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON.
  virtual void SetModemLines(DWORD modemStatus) = 0;
  // Line errors the host should see (CE_BREAK, CE_FRAME, ...).
  virtual void SignalLineErrors(DWORD errors) = 0;
};

// The far end of a virtual device. The host calls come from the host side's
// I/O thread, one at a time.
class VirtualPeer {
 public:
  virtual ~VirtualPeer() = default;
  // A host opened the device (line set) or closed it (nullptr).
  virtual void Attach(std::shared_ptr<VirtualLine> line) = 0;
  virtual void HostBytes(const std::uint8_t* data, std::size_t count) = 0;
  virtual void HostControlLines(bool rts, bool dtr) {
    (void)rts;
    (void)dtr;
  }
  // Answer false to refuse the settings (the host's SetCommState then fails).
  virtual bool HostLineSettings(const LineSettings& settings) {
    (void)settings;
    return true;
  }
  virtual void HostPurge(bool receive, bool transmit) {
    (void)receive;
    (void)transmit;
  }
  virtual void HostBreak(bool on) { (void)on; }
};

// Registers a peer under name (replacing one of that name); an open port on
// the old peer stays attached to it until closed.
void RegisterVirtualDevice(const std::string& name, std::shared_ptr<VirtualPeer> peer);
void UnregisterVirtualDevice(const std::string& name);
std::shared_ptr<VirtualPeer> FindVirtualDevice(const std::string& name);

}  // namespace serial
