// The vocabulary of the serial API: the line settings block, time-outs, queue
// status, event and modem-line bits and the error codes callers show. The
// numbers are the ones the serial component and its users were written
// against, so they keep their traditional values.
#pragma once
#include <cstdint>

namespace serial {

using DWORD = std::uint32_t;
constexpr DWORD MAXDWORD = 0xFFFFFFFFu;

// Error codes (GetLastError).
enum : DWORD {
  ERROR_SUCCESS = 0,
  ERROR_INVALID_FUNCTION = 1,
  ERROR_FILE_NOT_FOUND = 2,
  ERROR_PATH_NOT_FOUND = 3,
  ERROR_ACCESS_DENIED = 5,
  ERROR_INVALID_HANDLE = 6,
  ERROR_NOT_ENOUGH_MEMORY = 8,
  ERROR_NOT_READY = 21,
  ERROR_GEN_FAILURE = 31,
  ERROR_SHARING_VIOLATION = 32,
  ERROR_NOT_SUPPORTED = 50,
  ERROR_INVALID_PARAMETER = 87,
  ERROR_SEM_TIMEOUT = 121,
  ERROR_INVALID_NAME = 123,
  ERROR_OPERATION_ABORTED = 995,
  ERROR_IO_INCOMPLETE = 996,
  ERROR_IO_PENDING = 997,
  ERROR_IO_DEVICE = 1117,
  ERROR_BAD_DEVICE = 1200,
  ERROR_CONNECTION_REFUSED = 1225,
};

// File types (GetFileType).
enum : DWORD { FILE_TYPE_UNKNOWN = 0, FILE_TYPE_DISK = 1, FILE_TYPE_CHAR = 2, FILE_TYPE_PIPE = 3 };

// Port events (SetCommMask / WaitCommEvent).
enum : DWORD {
  EV_RXCHAR = 0x0001,
  EV_RXFLAG = 0x0002,
  EV_TXEMPTY = 0x0004,
  EV_CTS = 0x0008,
  EV_DSR = 0x0010,
  EV_RLSD = 0x0020,
  EV_BREAK = 0x0040,
  EV_ERR = 0x0080,
  EV_RING = 0x0100,
  EV_ALL = 0x01FF,
};

// Line errors (ClearCommError).
enum : DWORD { CE_RXOVER = 0x01, CE_OVERRUN = 0x02, CE_RXPARITY = 0x04, CE_FRAME = 0x08, CE_BREAK = 0x10 };

// PurgeComm flags.
enum : DWORD { PURGE_TXABORT = 0x01, PURGE_RXABORT = 0x02, PURGE_TXCLEAR = 0x04, PURGE_RXCLEAR = 0x08 };

// EscapeCommFunction codes.
enum : DWORD { SETXOFF = 1, SETXON = 2, SETRTS = 3, CLRRTS = 4, SETDTR = 5, CLRDTR = 6, SETBREAK = 8, CLRBREAK = 9 };

// Modem status bits (GetCommModemStatus).
enum : DWORD { MS_CTS_ON = 0x10, MS_DSR_ON = 0x20, MS_RING_ON = 0x40, MS_RLSD_ON = 0x80 };

// DCB parity and stop-bit values.
enum : std::uint8_t { NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3, SPACEPARITY = 4 };
enum : std::uint8_t { ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2 };
enum : std::uint8_t { DTR_CONTROL_DISABLE = 0, DTR_CONTROL_ENABLE = 1, DTR_CONTROL_HANDSHAKE = 2 };
enum : std::uint8_t {
  RTS_CONTROL_DISABLE = 0,
  RTS_CONTROL_ENABLE = 1,
  RTS_CONTROL_HANDSHAKE = 2,
  RTS_CONTROL_TOGGLE = 3
};

// The device-control block: line settings and flags of one port.
struct DCB {
  DWORD BaudRate = 9600;
  bool fBinary = true;
  bool fParity = false;
  bool fOutxCtsFlow = false;
  bool fOutxDsrFlow = false;
  std::uint8_t fDtrControl = DTR_CONTROL_ENABLE;
  bool fDsrSensitivity = false;
  bool fTXContinueOnXoff = false;
  bool fOutX = false;
  bool fInX = false;
  bool fErrorChar = false;
  bool fNull = false;
  std::uint8_t fRtsControl = RTS_CONTROL_ENABLE;
  bool fAbortOnError = false;
  std::uint16_t XonLim = 2048;
  std::uint16_t XoffLim = 512;
  std::uint8_t ByteSize = 8;
  std::uint8_t Parity = NOPARITY;
  std::uint8_t StopBits = ONESTOPBIT;
  char XonChar = 17;
  char XoffChar = 19;
  char ErrorChar = 0;
  char EofChar = 0;
  char EvtChar = 0;
};

struct COMMTIMEOUTS {
  DWORD ReadIntervalTimeout = 0;
  DWORD ReadTotalTimeoutMultiplier = 0;
  DWORD ReadTotalTimeoutConstant = 0;
  DWORD WriteTotalTimeoutMultiplier = 0;
  DWORD WriteTotalTimeoutConstant = 0;
};

struct COMSTAT {
  bool fCtsHold = false;
  bool fDsrHold = false;
  bool fRlsdHold = false;
  bool fXoffHold = false;
  bool fXoffSent = false;
  bool fEof = false;
  bool fTxim = false;
  DWORD cbInQue = 0;
  DWORD cbOutQue = 0;
};

// The line settings a device at the far end is asked to use.
struct LineSettings {
  DWORD baudRate = 9600;
  std::uint8_t dataBits = 8;
  std::uint8_t parity = NOPARITY;      // NOPARITY .. SPACEPARITY
  std::uint8_t stopBits = ONESTOPBIT;  // ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS
  bool operator==(const LineSettings&) const = default;
};

// The error code the last failing call of this thread left (0 after success
// is not promised, as with the system call it stands in for).
DWORD GetLastError();
void SetLastError(DWORD code);
// Maps an errno value to the closest error code above.
DWORD ErrorFromErrno(int err);

}  // namespace serial
