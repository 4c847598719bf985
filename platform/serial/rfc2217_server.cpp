#include "platform/serial/rfc2217_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/serial/net_p.h"
#include "platform/serial/telnet.h"

namespace serial {

using namespace serial::telnet;

class Rfc2217Server::Impl : private telnet::Handler {
 public:
  explicit Impl(std::shared_ptr<VirtualPeer> peer) : peer_(std::move(peer)) {}
  ~Impl() { Stop(); }

  bool Listen(const std::string& host, int port) {
    listen_ = detail::ListenTcp(host, port);
    if (listen_ < 0) {
      SetLastError(ErrorFromErrno(errno));
      return false;
    }
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
      SetLastError(ErrorFromErrno(errno));
      return false;
    }
    boundPort_ = detail::LocalPort(listen_);
    thread_ = std::thread([this] { Loop(); });
    return true;
  }

  int BoundPort() const { return boundPort_; }

  void Stop() {
    if (!thread_.joinable()) return;
    stopping_ = true;
    Wake();
    thread_.join();
    if (listen_ >= 0) ::close(listen_);
    listen_ = -1;
    for (int& fd : wake_) {
      if (fd >= 0) ::close(fd);
      fd = -1;
    }
  }

  void DropClient() {
    dropRequested_ = true;
    Wake();
  }
  bool HasClient() const { return hasClient_; }

  // The line the peer talks through while a client is connected.
  class Line : public VirtualLine {
   public:
    explicit Line(Impl* server) : server_(server) {}
    void Send(const std::uint8_t* data, std::size_t count) override {
      std::lock_guard<std::mutex> lock(m_);
      if (server_) server_->Queue(data, count);
    }
    void SetModemLines(DWORD status) override {
      std::lock_guard<std::mutex> lock(m_);
      if (server_) server_->QueueModem(status);
    }
    void SignalLineErrors(DWORD errors) override {
      std::lock_guard<std::mutex> lock(m_);
      if (server_) server_->QueueLineErrors(errors);
    }
    void Cut() {
      std::lock_guard<std::mutex> lock(m_);
      server_ = nullptr;
    }

   private:
    std::mutex m_;
    Impl* server_;
  };

 private:
  void Wake() {
    if (wake_[1] >= 0) {
      char c = 1;
      [[maybe_unused]] ssize_t r = ::write(wake_[1], &c, 1);
    }
  }

  void Queue(const std::uint8_t* data, std::size_t count) {
    {
      std::lock_guard<std::mutex> lock(outMutex_);
      AppendData(out_, data, count);
    }
    Wake();
  }

  void QueueModem(DWORD status) {
    {
      std::lock_guard<std::mutex> lock(outMutex_);
      std::uint8_t now = static_cast<std::uint8_t>(status & 0xF0);
      std::uint8_t changed = now ^ modem_;
      std::uint8_t value = now;
      if (changed & MODEM_CTS) value |= MODEM_DELTA_CTS;
      if (changed & MODEM_DSR) value |= MODEM_DELTA_DSR;
      if (changed & MODEM_CD) value |= MODEM_DELTA_CD;
      if ((modem_ & MODEM_RI) && !(now & MODEM_RI)) value |= MODEM_TRAILING_RI;
      modem_ = now;
      if (value & modemMask_)
        AppendComPort(out_, SERVER_OFFSET + NOTIFY_MODEMSTATE, {std::uint8_t(value & modemMask_)});
    }
    Wake();
  }

  void QueueLineErrors(DWORD errors) {
    {
      std::lock_guard<std::mutex> lock(outMutex_);
      std::uint8_t value = 0;
      if (errors & CE_OVERRUN) value |= LINE_OVERRUN;
      if (errors & CE_RXPARITY) value |= LINE_PARITY;
      if (errors & CE_FRAME) value |= LINE_FRAMING;
      if (errors & CE_BREAK) value |= LINE_BREAK;
      if (value) AppendComPort(out_, SERVER_OFFSET + NOTIFY_LINESTATE, {value});
    }
    Wake();
  }

  void Reply(std::uint8_t command, std::vector<std::uint8_t> value) {
    std::lock_guard<std::mutex> lock(outMutex_);
    AppendComPort(out_, SERVER_OFFSET + command, std::move(value));
  }

  void Connect(int fd) {
    client_ = fd;
    detail::MakeNonBlocking(fd);
    decoder_ = telnet::Decoder();
    agent_ = std::make_unique<telnet::OptionAgent>(std::set<std::uint8_t>{OPT_BINARY, OPT_SGA},
                                                   std::set<std::uint8_t>{OPT_BINARY, OPT_SGA, OPT_COM_PORT});
    {
      std::lock_guard<std::mutex> lock(outMutex_);
      out_.clear();
      modem_ = 0;
      modemMask_ = 0xFF;
      agent_->Offer(out_);
    }
    rts_ = dtr_ = true;
    break_ = false;
    flow_ = CONTROL_NO_FLOW;
    inboundFlow_ = CONTROL_INBOUND_NO_FLOW;
    settings_ = LineSettings{};
    line_ = std::make_shared<Line>(this);
    hasClient_ = true;
    peer_->Attach(line_);
    peer_->HostControlLines(rts_, dtr_);
  }

  void Disconnect() {
    if (client_ < 0) return;
    line_->Cut();
    line_.reset();
    peer_->Attach(nullptr);
    ::close(client_);
    client_ = -1;
    hasClient_ = false;
    std::lock_guard<std::mutex> lock(outMutex_);
    out_.clear();
  }

  bool FlushOut() {
    std::lock_guard<std::mutex> lock(outMutex_);
    while (!out_.empty()) {
      ssize_t n = ::send(client_, out_.data(), out_.size(), MSG_NOSIGNAL);
      if (n > 0) {
        out_.erase(out_.begin(), out_.begin() + n);
      } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return true;
      } else {
        return false;
      }
    }
    return true;
  }

  void Loop() {
    while (!stopping_) {
      if (dropRequested_.exchange(false)) Disconnect();
      bool pending;
      {
        std::lock_guard<std::mutex> lock(outMutex_);
        pending = !out_.empty();
      }
      pollfd fds[3];
      int n = 0;
      fds[n++] = {wake_[0], POLLIN, 0};
      fds[n++] = {listen_, POLLIN, 0};
      if (client_ >= 0) fds[n++] = {client_, static_cast<short>(POLLIN | (pending ? POLLOUT : 0)), 0};
      if (::poll(fds, n, -1) < 0 && errno != EINTR) break;
      if (fds[0].revents & POLLIN) {
        char buf[64];
        while (::read(wake_[0], buf, sizeof buf) > 0) {
        }
      }
      if (fds[1].revents & POLLIN) {
        int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
          if (client_ >= 0)
            ::close(fd);  // the port is held by the connected client
          else
            Connect(fd);
        }
      }
      if (client_ >= 0 && n > 2 && (fds[2].revents & (POLLIN | POLLHUP | POLLERR))) {
        std::uint8_t buf[4096];
        ssize_t got = ::recv(client_, buf, sizeof buf, 0);
        if (got > 0) {
          decoder_.Feed(buf, static_cast<std::size_t>(got), *this);
          // A client that keeps asking but never reads the answers is dropped.
          std::size_t unsent;
          {
            std::lock_guard<std::mutex> lock(outMutex_);
            unsent = out_.size();
          }
          if (unsent > kMaxUnsentBytes) Disconnect();
        } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
          Disconnect();
        }
      }
      if (client_ >= 0 && !FlushOut()) Disconnect();
    }
    Disconnect();
  }

  // --- telnet::Handler ---
  void Data(const std::uint8_t* data, std::size_t count) override { peer_->HostBytes(data, count); }

  void Negotiate(std::uint8_t command, std::uint8_t option) override {
    std::lock_guard<std::mutex> lock(outMutex_);
    agent_->Answer(command, option, out_);
  }

  void Subnegotiation(std::uint8_t option, const std::vector<std::uint8_t>& payload) override {
    if (option != OPT_COM_PORT || payload.empty()) return;
    const std::uint8_t command = payload[0];
    const std::uint8_t value = payload.size() > 1 ? payload[1] : 0;
    switch (command) {
      case SET_BAUDRATE: {
        if (payload.size() >= 5) {
          std::uint32_t baud = (std::uint32_t(payload[1]) << 24) | (std::uint32_t(payload[2]) << 16) |
                               (std::uint32_t(payload[3]) << 8) | payload[4];
          if (baud != 0) {
            settings_.baudRate = baud;
            peer_->HostLineSettings(settings_);
          }
        }
        std::uint32_t b = settings_.baudRate;
        Reply(command, {std::uint8_t(b >> 24), std::uint8_t(b >> 16), std::uint8_t(b >> 8), std::uint8_t(b)});
        break;
      }
      case SET_DATASIZE:
        if (value >= 5 && value <= 8) {
          settings_.dataBits = value;
          peer_->HostLineSettings(settings_);
        }
        Reply(command, {settings_.dataBits});
        break;
      case SET_PARITY:
        if (value >= 1 && value <= 5) {
          settings_.parity = static_cast<std::uint8_t>(value - 1);
          peer_->HostLineSettings(settings_);
        }
        Reply(command, {std::uint8_t(settings_.parity + 1)});
        break;
      case SET_STOPSIZE:
        if (value >= 1 && value <= 3) {
          settings_.stopBits = value == 1 ? ONESTOPBIT : value == 2 ? TWOSTOPBITS : ONE5STOPBITS;
          peer_->HostLineSettings(settings_);
        }
        Reply(command, {std::uint8_t(settings_.stopBits == ONESTOPBIT    ? 1
                                     : settings_.stopBits == TWOSTOPBITS ? 2
                                                                         : 3)});
        break;
      case SET_CONTROL: SetControl(value); break;
      case SET_MODEMSTATE_MASK: {
        std::lock_guard<std::mutex> lock(outMutex_);
        modemMask_ = value;
        AppendComPort(out_, SERVER_OFFSET + command, {value});
        // Tell the client where the lines stand now.
        AppendComPort(out_, SERVER_OFFSET + NOTIFY_MODEMSTATE, {std::uint8_t(modem_ & modemMask_)});
        break;
      }
      case PURGE_DATA:
        peer_->HostPurge(value & 1, value & 2);
        Reply(command, {value});
        break;
      case SIGNATURE:
        // Without text it asks for ours; with text it tells us the client's,
        // which needs no answer.
        if (payload.size() == 1) Reply(command, std::vector<std::uint8_t>(kSignature.begin(), kSignature.end()));
        break;
      case FLOWCONTROL_SUSPEND:
      case FLOWCONTROL_RESUME: break;  // notices without an answer
      default:
        if (command < SERVER_OFFSET) Reply(command, std::vector<std::uint8_t>(payload.begin() + 1, payload.end()));
        break;
    }
  }

  // A request for a state is answered with the value that sets that state;
  // a setting is answered with itself.
  void SetControl(std::uint8_t value) {
    bool rts = rts_, dtr = dtr_;
    switch (value) {
      case CONTROL_REQUEST_FLOW: Reply(SET_CONTROL, {flow_}); return;
      case CONTROL_REQUEST_INBOUND_FLOW: Reply(SET_CONTROL, {inboundFlow_}); return;
      case CONTROL_REQUEST_BREAK: Reply(SET_CONTROL, {break_ ? CONTROL_BREAK_ON : CONTROL_BREAK_OFF}); return;
      case CONTROL_REQUEST_DTR: Reply(SET_CONTROL, {dtr_ ? CONTROL_DTR_ON : CONTROL_DTR_OFF}); return;
      case CONTROL_REQUEST_RTS: Reply(SET_CONTROL, {rts_ ? CONTROL_RTS_ON : CONTROL_RTS_OFF}); return;
      case CONTROL_NO_FLOW:
      case CONTROL_XONXOFF_FLOW:
      case CONTROL_HARDWARE_FLOW:
      case CONTROL_DCD_FLOW:
      case CONTROL_DTR_FLOW:
      case CONTROL_DSR_FLOW: flow_ = value; break;
      case CONTROL_INBOUND_NO_FLOW:
      case CONTROL_INBOUND_XONXOFF_FLOW:
      case CONTROL_INBOUND_HARDWARE_FLOW: inboundFlow_ = value; break;
      case CONTROL_BREAK_ON:
      case CONTROL_BREAK_OFF:
        break_ = value == CONTROL_BREAK_ON;
        peer_->HostBreak(break_);
        break;
      case CONTROL_DTR_ON:
      case CONTROL_DTR_OFF: dtr = value == CONTROL_DTR_ON; break;
      case CONTROL_RTS_ON:
      case CONTROL_RTS_OFF: rts = value == CONTROL_RTS_ON; break;
      default: break;
    }
    Reply(SET_CONTROL, {value});
    if (rts != rts_ || dtr != dtr_) {
      rts_ = rts;
      dtr_ = dtr;
      peer_->HostControlLines(rts_, dtr_);
    }
  }

  static constexpr std::string_view kSignature = "zarnik RFC 2217 server";

  std::shared_ptr<VirtualPeer> peer_;
  int listen_ = -1, client_ = -1;
  int wake_[2] = {-1, -1};
  int boundPort_ = 0;
  std::thread thread_;
  std::atomic<bool> stopping_{false}, dropRequested_{false}, hasClient_{false};
  std::mutex outMutex_;
  std::vector<std::uint8_t> out_;
  std::uint8_t modem_ = 0, modemMask_ = 0xFF;
  telnet::Decoder decoder_;
  std::unique_ptr<telnet::OptionAgent> agent_;
  std::shared_ptr<Line> line_;
  bool rts_ = true, dtr_ = true, break_ = false;
  std::uint8_t flow_ = CONTROL_NO_FLOW, inboundFlow_ = CONTROL_INBOUND_NO_FLOW;
  LineSettings settings_;
};

Rfc2217Server::Rfc2217Server(std::shared_ptr<VirtualPeer> peer) : impl_(std::make_unique<Impl>(std::move(peer))) {}
Rfc2217Server::~Rfc2217Server() { impl_->Stop(); }
bool Rfc2217Server::Listen(const std::string& host, int port) { return impl_->Listen(host, port); }
int Rfc2217Server::BoundPort() const { return impl_->BoundPort(); }
void Rfc2217Server::DropClient() { impl_->DropClient(); }
bool Rfc2217Server::HasClient() const { return impl_->HasClient(); }
void Rfc2217Server::Stop() { impl_->Stop(); }

}  // namespace serial
