// One open serial port with the semantics of the communication calls the
// serial component is written against: line settings through a DCB, driver
// queues with their counts, purge, read and write time-outs, an event mask
// with a wait for events, escape functions for RTS, DTR and break, and the
// modem status. Every call is safe from any thread. Failing calls answer
// false and leave their code for GetLastError().
//
// Behind a port stands a local tty, an RFC 2217 server or an in-process
// virtual peer; an I/O thread per port moves bytes between the device and
// the queues and raises the events.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/serial/win32_comm.h"

namespace serial {

namespace detail {
class PortImpl;
}

class Port {
 public:
  ~Port();
  Port(const Port&) = delete;
  Port& operator=(const Port&) = delete;

  // Always FILE_TYPE_CHAR: only character devices open.
  DWORD GetFileType() const { return FILE_TYPE_CHAR; }

  bool SetupComm(DWORD inQueue, DWORD outQueue);
  bool GetCommState(DCB& dcb);
  bool SetCommState(const DCB& dcb);
  bool GetCommTimeouts(COMMTIMEOUTS& timeouts);
  bool SetCommTimeouts(const COMMTIMEOUTS& timeouts);
  // Answers and clears the line errors; stat (optional) gets the queue counts.
  bool ClearCommError(DWORD* errors, COMSTAT* stat);
  bool PurgeComm(DWORD flags);

  // Reads up to count bytes, waiting as the time-outs say.
  bool ReadFile(void* buffer, DWORD count, DWORD& read);
  // Queues count bytes for sending, waiting for room as the time-outs say.
  bool WriteFile(const void* buffer, DWORD count, DWORD& written);

  // A new mask clears the event history and lets a pending wait return with 0.
  bool SetCommMask(DWORD mask);
  bool GetCommMask(DWORD& mask);
  // Waits without a time limit for an event in the mask. Answers false with
  // ERROR_OPERATION_ABORTED when the port closes or CancelWait is called.
  bool WaitCommEvent(DWORD& events);
  // Ends a pending WaitCommEvent (and makes the next one end at once).
  void CancelWait();

  bool EscapeCommFunction(DWORD function);
  bool GetCommModemStatus(DWORD& status);

  // Stops the I/O thread and releases the device; later calls fail with
  // ERROR_INVALID_HANDLE. The destructor closes as well.
  void Close();

 private:
  friend std::unique_ptr<Port> CreatePort(std::string_view deviceName);
  explicit Port(std::unique_ptr<detail::PortImpl> impl);
  std::unique_ptr<detail::PortImpl> impl_;
};

// Opens a port by name: "COMn" or "\\.\COMn" (looked up in the port map),
// or a target as the ports file writes it: a device path, an
// rfc2217://host:port address or virtual:<name>. Answers nullptr with the
// error in GetLastError(): ERROR_FILE_NOT_FOUND for a missing device,
// ERROR_ACCESS_DENIED for a device another program holds, ERROR_BAD_DEVICE
// for a path that is not a character device.
std::unique_ptr<Port> CreatePort(std::string_view deviceName);

// The number of I/O threads currently running, for leak checks in tests.
int RunningPortThreads();

}  // namespace serial
