// The Telnet framing that RFC 2217 rides on: data with 0xFF doubled, option
// negotiation and sub-negotiation. Shared by the client backend and the server.
#pragma once
#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

namespace serial::telnet {

enum : std::uint8_t {
  SE = 240,
  NOP = 241,
  SB = 250,
  WILL = 251,
  WONT = 252,
  DO = 253,
  DONT = 254,
  IAC = 255,
};
enum : std::uint8_t { OPT_BINARY = 0, OPT_SGA = 3, OPT_COM_PORT = 44 };

// COM-PORT-OPTION commands as the client sends them; the server answers with
// the same code plus 100.
enum : std::uint8_t {
  SET_BAUDRATE = 1,
  SET_DATASIZE = 2,
  SET_PARITY = 3,
  SET_STOPSIZE = 4,
  SET_CONTROL = 5,
  NOTIFY_LINESTATE = 6,
  NOTIFY_MODEMSTATE = 7,
  FLOWCONTROL_SUSPEND = 8,
  FLOWCONTROL_RESUME = 9,
  SET_LINESTATE_MASK = 10,
  SET_MODEMSTATE_MASK = 11,
  PURGE_DATA = 12,
  SERVER_OFFSET = 100,
};
enum : std::uint8_t { SIGNATURE = 0 };
// SET-CONTROL values. The REQUEST_ values ask for a setting's current state;
// the answer is the value that sets that state.
enum : std::uint8_t {
  CONTROL_REQUEST_FLOW = 0,
  CONTROL_NO_FLOW = 1,
  CONTROL_XONXOFF_FLOW = 2,
  CONTROL_HARDWARE_FLOW = 3,
  CONTROL_REQUEST_BREAK = 4,
  CONTROL_BREAK_ON = 5,
  CONTROL_BREAK_OFF = 6,
  CONTROL_REQUEST_DTR = 7,
  CONTROL_DTR_ON = 8,
  CONTROL_DTR_OFF = 9,
  CONTROL_REQUEST_RTS = 10,
  CONTROL_RTS_ON = 11,
  CONTROL_RTS_OFF = 12,
  CONTROL_REQUEST_INBOUND_FLOW = 13,
  CONTROL_INBOUND_NO_FLOW = 14,
  CONTROL_INBOUND_XONXOFF_FLOW = 15,
  CONTROL_INBOUND_HARDWARE_FLOW = 16,
  CONTROL_DCD_FLOW = 17,
  CONTROL_DTR_FLOW = 18,
  CONTROL_DSR_FLOW = 19,
};
// Modem-state bits of NOTIFY-MODEMSTATE (the upper four match MS_*_ON).
enum : std::uint8_t {
  MODEM_DELTA_CTS = 0x01,
  MODEM_DELTA_DSR = 0x02,
  MODEM_TRAILING_RI = 0x04,
  MODEM_DELTA_CD = 0x08,
  MODEM_CTS = 0x10,
  MODEM_DSR = 0x20,
  MODEM_RI = 0x40,
  MODEM_CD = 0x80,
};
// Line-state bits of NOTIFY-LINESTATE.
enum : std::uint8_t { LINE_OVERRUN = 0x02, LINE_PARITY = 0x04, LINE_FRAMING = 0x08, LINE_BREAK = 0x10 };

class Handler {
 public:
  virtual ~Handler() = default;
  virtual void Data(const std::uint8_t* data, std::size_t count) = 0;
  virtual void Negotiate(std::uint8_t command, std::uint8_t option) = 0;
  virtual void Subnegotiation(std::uint8_t option, const std::vector<std::uint8_t>& payload) = 0;
};

// Splits an incoming byte stream into data, negotiation and sub-negotiation;
// keeps its state across calls, so a sequence may arrive in pieces.
class Decoder {
 public:
  void Feed(const std::uint8_t* data, std::size_t count, Handler& handler);
  // Bytes held of a sub-negotiation that has not ended yet.
  std::size_t PendingSubnegotiation() const { return sb_.size(); }

 private:
  bool sbOverflow_ = false;  // the sub-negotiation grew too long and is dropped
  enum State { kData, kIac, kOption, kSb, kSbIac } state_ = kData;
  std::uint8_t command_ = 0;
  std::vector<std::uint8_t> sb_;
  std::vector<std::uint8_t> run_;
};

// The longest sub-negotiation kept: COM-PORT-OPTION values are a few bytes,
// a signature text a few dozen. Longer ones are dropped whole, so a peer
// that never ends one cannot fill the memory.
constexpr std::size_t kMaxSubnegotiation = 1024;
// What either side lets pile up unsent for a peer that does not read (its
// answers to a flood of option requests, say) before it closes the
// connection.
constexpr std::size_t kMaxUnsentBytes = 1 << 20;

void AppendData(std::vector<std::uint8_t>& out, const std::uint8_t* data, std::size_t count);
void AppendNegotiation(std::vector<std::uint8_t>& out, std::uint8_t command, std::uint8_t option);
void AppendSubnegotiation(std::vector<std::uint8_t>& out, std::uint8_t option,
                          const std::vector<std::uint8_t>& payload);
inline void AppendComPort(std::vector<std::uint8_t>& out, std::uint8_t command, std::vector<std::uint8_t> value) {
  value.insert(value.begin(), command);
  AppendSubnegotiation(out, OPT_COM_PORT, value);
}

// Answers the other side's DO/DONT/WILL/WONT so that options we support are
// agreed and the rest refused, without ever answering the same state twice
// (which would loop).
class OptionAgent {
 public:
  OptionAgent(std::set<std::uint8_t> weWill, std::set<std::uint8_t> weDo)
      : supportedWill_(weWill), supportedDo_(weDo) {}
  // Our opening offers: WILL and DO for every supported option.
  void Offer(std::vector<std::uint8_t>& out);
  void Answer(std::uint8_t command, std::uint8_t option, std::vector<std::uint8_t>& out);

 private:
  std::set<std::uint8_t> supportedWill_, supportedDo_;
  std::set<std::uint8_t> willSent_, doSent_, wontSent_, dontSent_;
};

}  // namespace serial::telnet
