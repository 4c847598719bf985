// A network serial port: RFC 2217 (Telnet COM-PORT-OPTION) over TCP, as
// served by ser2net or the recorder simulator. Line settings, RTS, DTR,
// break and purges go to the server; CTS, DSR, RI and CD come back through
// NOTIFY-MODEMSTATE.
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/serial/backends_p.h"
#include "platform/serial/net_p.h"
#include "platform/serial/telnet.h"

namespace serial::detail {

namespace {

using namespace serial::telnet;

class Rfc2217Backend : public Backend, private telnet::Handler {
 public:
  explicit Rfc2217Backend(int fd) : fd_(fd), agent_({OPT_BINARY, OPT_SGA, OPT_COM_PORT}, {OPT_BINARY, OPT_SGA}) {}
  ~Rfc2217Backend() override { Stop(); }

  // Offers the options and waits briefly for the server to take up the
  // COM-PORT option before asking for anything through it. A server that
  // closes the connection at once already serves another client.
  bool Handshake(int timeoutMs) {
    agent_.Offer(out_);
    Flush();
    if (!AwaitComPort(timeoutMs)) return false;
    AppendComPort(out_, SET_MODEMSTATE_MASK, {0xF0 | MODEM_DELTA_CTS | MODEM_DELTA_DSR | MODEM_DELTA_CD});
    AppendComPort(out_, SET_LINESTATE_MASK, {LINE_OVERRUN | LINE_PARITY | LINE_FRAMING | LINE_BREAK});
    AppendComPort(out_, SET_CONTROL, {CONTROL_NO_FLOW});
    AppendComPort(out_, SET_CONTROL, {CONTROL_DTR_ON});
    AppendComPort(out_, SET_CONTROL, {CONTROL_RTS_ON});
    Flush();
    return true;
  }

  bool AwaitComPort(int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!comPortAccepted_) {
      int left = static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
      if (left <= 0) return true;  // a plain TCP port: carry on without confirmation
      pollfd p{fd_, static_cast<short>(POLLIN | (out_.empty() ? 0 : POLLOUT)), 0};
      if (::poll(&p, 1, left) < 0 && errno != EINTR) break;
      if (p.revents & POLLOUT) Flush();
      if (p.revents & (POLLIN | POLLHUP | POLLERR)) {
        if (!OnReadable(4096)) {
          SetLastError(ERROR_ACCESS_DENIED);
          return false;
        }
      }
    }
    return true;
  }

  void Start(BackendSink* sink) override {
    sink_ = sink;
    if (!early_.empty()) sink_->Received(early_.data(), early_.size());
    early_.clear();
    if (earlyModem_) sink_->ModemChanged(modem_);
  }

  int Fd() const override { return fd_; }

  bool OnReadable(std::size_t room) override {
    std::uint8_t buf[4096];
    // Telnet framing only shrinks the data, so room raw bytes never overfill.
    ssize_t n = ::recv(fd_, buf, std::min(sizeof buf, room), 0);
    if (n > 0) {
      decoder_.Feed(buf, static_cast<std::size_t>(n), *this);
      Flush();
      // A server that keeps asking but never reads the answers is dropped.
      if (out_.size() > kMaxUnsentBytes) {
        broken_ = true;
        SetLastError(ERROR_IO_DEVICE);
      }
      return !broken_;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
    return false;
  }

  bool WantsWrite() const override { return !out_.empty(); }
  void OnWritable() override { Flush(); }

  long WriteSome(const std::uint8_t* data, std::size_t count) override {
    if (broken_) {
      SetLastError(ERROR_IO_DEVICE);
      return -1;
    }
    Flush();
    if (out_.size() >= 8192) return 0;
    AppendData(out_, data, count);
    Flush();
    return broken_ ? -1 : static_cast<long>(count);
  }

  DWORD OutQueue() override { return static_cast<DWORD>(out_.size()); }

  bool Configure(const DCB& dcb) override {
    std::uint32_t baud = dcb.BaudRate;
    AppendComPort(out_, SET_BAUDRATE,
                  {std::uint8_t(baud >> 24), std::uint8_t(baud >> 16), std::uint8_t(baud >> 8), std::uint8_t(baud)});
    AppendComPort(out_, SET_DATASIZE, {dcb.ByteSize});
    AppendComPort(out_, SET_PARITY, {std::uint8_t(dcb.Parity + 1)});
    std::uint8_t stop = dcb.StopBits == TWOSTOPBITS ? 2 : dcb.StopBits == ONE5STOPBITS ? 3 : 1;
    AppendComPort(out_, SET_STOPSIZE, {stop});
    return Flush();
  }

  bool SetControlLines(bool rts, bool dtr) override {
    if (rts != rts_) AppendComPort(out_, SET_CONTROL, {rts ? CONTROL_RTS_ON : CONTROL_RTS_OFF});
    if (dtr != dtr_) AppendComPort(out_, SET_CONTROL, {dtr ? CONTROL_DTR_ON : CONTROL_DTR_OFF});
    rts_ = rts;
    dtr_ = dtr;
    return Flush();
  }

  bool SetBreak(bool on) override {
    AppendComPort(out_, SET_CONTROL, {on ? CONTROL_BREAK_ON : CONTROL_BREAK_OFF});
    return Flush();
  }

  bool ModemStatus(DWORD& status) override {
    status = modem_ & 0xF0;
    return true;
  }

  void Purge(bool receive, bool transmit) override {
    AppendComPort(out_, PURGE_DATA, {std::uint8_t((receive ? 1 : 0) | (transmit ? 2 : 0))});
    Flush();
  }

  void Stop() override {
    if (fd_ >= 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }

 private:
  // Sends what can go without blocking; false once the connection broke.
  bool Flush() {
    while (!out_.empty() && fd_ >= 0 && !broken_) {
      ssize_t n = ::send(fd_, out_.data(), out_.size(), MSG_NOSIGNAL);
      if (n > 0) {
        out_.erase(out_.begin(), out_.begin() + n);
      } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        break;
      } else {
        broken_ = true;
        SetLastError(ErrorFromErrno(errno));
      }
    }
    if (broken_) SetLastError(ERROR_IO_DEVICE);
    return !broken_;
  }

  void Data(const std::uint8_t* data, std::size_t count) override {
    if (sink_)
      sink_->Received(data, count);
    else
      early_.insert(early_.end(), data, data + count);
  }

  void Negotiate(std::uint8_t command, std::uint8_t option) override {
    if (option == OPT_COM_PORT && command == DO) comPortAccepted_ = true;
    agent_.Answer(command, option, out_);
  }

  void Subnegotiation(std::uint8_t option, const std::vector<std::uint8_t>& payload) override {
    if (option != OPT_COM_PORT || payload.size() < 2) return;
    comPortAccepted_ = true;
    std::uint8_t value = payload[1];
    if (payload[0] == SERVER_OFFSET + NOTIFY_MODEMSTATE) {
      modem_ = value & 0xF0;
      if (sink_)
        sink_->ModemChanged(modem_);
      else
        earlyModem_ = true;
    } else if (payload[0] == SERVER_OFFSET + NOTIFY_LINESTATE && sink_) {
      DWORD errors = 0;
      if (value & LINE_OVERRUN) errors |= CE_OVERRUN;
      if (value & LINE_PARITY) errors |= CE_RXPARITY;
      if (value & LINE_FRAMING) errors |= CE_FRAME;
      if (value & LINE_BREAK) errors |= CE_BREAK;
      if (errors) sink_->LineErrors(errors);
    }
  }

  int fd_;
  telnet::Decoder decoder_;
  telnet::OptionAgent agent_;
  std::vector<std::uint8_t> out_, early_;
  DWORD modem_ = 0;
  bool earlyModem_ = false;
  bool comPortAccepted_ = false;
  bool broken_ = false;
  bool rts_ = true, dtr_ = true;
};

}  // namespace

std::unique_ptr<Backend> OpenRfc2217Backend(const std::string& host, int port) {
  int fd = ConnectTcp(host, port, 3000);
  if (fd < 0) {
    SetLastError(ErrorFromErrno(errno));
    return nullptr;
  }
  auto backend = std::make_unique<Rfc2217Backend>(fd);
  if (!backend->Handshake(1000)) return nullptr;
  return backend;
}

}  // namespace serial::detail
