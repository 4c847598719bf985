// The server's answers to COM-PORT-OPTION requests, seen by a raw telnet
// client: requests for a state are answered with the state, settings with
// themselves, and notices get no answer.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/serial/net_p.h"
#include "platform/serial/rfc2217_server.h"
#include "platform/serial/telnet.h"
#include "scripted_peer.h"

using namespace serial;
using namespace serial::telnet;
using serial_test::Eventually;
using serial_test::ScriptedPeer;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Collects the COM-PORT-OPTION sub-negotiations the server sends.
class Collector : public Handler {
 public:
  void Data(const std::uint8_t*, std::size_t) override {}
  void Negotiate(std::uint8_t, std::uint8_t) override {}
  void Subnegotiation(std::uint8_t option, const Bytes& payload) override {
    if (option == OPT_COM_PORT) answers.push_back(payload);
  }
  std::vector<Bytes> answers;
};

class RawClient {
 public:
  explicit RawClient(int port) : fd_(detail::ConnectTcp("127.0.0.1", port, 3000)) {}
  ~RawClient() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool Connected() const { return fd_ >= 0; }
  void Send(std::uint8_t command, const Bytes& value) {
    Bytes out;
    AppendComPort(out, command, value);
    ASSERT_EQ(::send(fd_, out.data(), out.size(), MSG_NOSIGNAL), ssize_t(out.size()));
  }
  // The next answer, or an empty payload after three seconds (the watchdog).
  Bytes Next() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (collector_.answers.empty() && std::chrono::steady_clock::now() < end) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      std::uint8_t buf[512];
      const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
      if (n <= 0) break;
      decoder_.Feed(buf, std::size_t(n), collector_);
    }
    if (collector_.answers.empty()) return {};
    Bytes first = collector_.answers.front();
    collector_.answers.erase(collector_.answers.begin());
    return first;
  }

 private:
  int fd_;
  Decoder decoder_;
  Collector collector_;
};

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes Answer(std::uint8_t command, Bytes value) {
  value.insert(value.begin(), std::uint8_t(SERVER_OFFSET + command));
  return value;
}

struct Exchange {
  const char* what;
  std::uint8_t command;
  Bytes value;
  Bytes answer;  // empty: none expected
};

TEST(Rfc2217Answers, EachRequestGetsItsAnswerInOrder) {
  auto peer = std::make_shared<ScriptedPeer>();
  Rfc2217Server server(peer);
  ASSERT_TRUE(server.Listen("127.0.0.1", 0));
  RawClient client(server.BoundPort());
  ASSERT_TRUE(client.Connected());
  ASSERT_TRUE(Eventually([&] { return server.HasClient(); }));

  const Exchange table[] = {
      {"signature request: ours", SIGNATURE, {}, Answer(SIGNATURE, Text("zarnik RFC 2217 server"))},
      {"client's signature: no answer", SIGNATURE, Text("pyserial"), {}},
      {"flow request, default", SET_CONTROL, {CONTROL_REQUEST_FLOW}, Answer(SET_CONTROL, {CONTROL_NO_FLOW})},
      {"inbound flow request, default",
       SET_CONTROL,
       {CONTROL_REQUEST_INBOUND_FLOW},
       Answer(SET_CONTROL, {CONTROL_INBOUND_NO_FLOW})},
      {"DTR request, on at connect", SET_CONTROL, {CONTROL_REQUEST_DTR}, Answer(SET_CONTROL, {CONTROL_DTR_ON})},
      {"RTS request, on at connect", SET_CONTROL, {CONTROL_REQUEST_RTS}, Answer(SET_CONTROL, {CONTROL_RTS_ON})},
      {"break request, off at connect", SET_CONTROL, {CONTROL_REQUEST_BREAK}, Answer(SET_CONTROL, {CONTROL_BREAK_OFF})},
      {"suspend: no answer", FLOWCONTROL_SUSPEND, {}, {}},
      {"resume: no answer", FLOWCONTROL_RESUME, {}, {}},
      {"DTR off", SET_CONTROL, {CONTROL_DTR_OFF}, Answer(SET_CONTROL, {CONTROL_DTR_OFF})},
      {"RTS off", SET_CONTROL, {CONTROL_RTS_OFF}, Answer(SET_CONTROL, {CONTROL_RTS_OFF})},
      {"break on", SET_CONTROL, {CONTROL_BREAK_ON}, Answer(SET_CONTROL, {CONTROL_BREAK_ON})},
      {"hardware flow", SET_CONTROL, {CONTROL_HARDWARE_FLOW}, Answer(SET_CONTROL, {CONTROL_HARDWARE_FLOW})},
      {"inbound XON/XOFF",
       SET_CONTROL,
       {CONTROL_INBOUND_XONXOFF_FLOW},
       Answer(SET_CONTROL, {CONTROL_INBOUND_XONXOFF_FLOW})},
      {"DTR request after off", SET_CONTROL, {CONTROL_REQUEST_DTR}, Answer(SET_CONTROL, {CONTROL_DTR_OFF})},
      {"RTS request after off", SET_CONTROL, {CONTROL_REQUEST_RTS}, Answer(SET_CONTROL, {CONTROL_RTS_OFF})},
      {"break request after on", SET_CONTROL, {CONTROL_REQUEST_BREAK}, Answer(SET_CONTROL, {CONTROL_BREAK_ON})},
      {"flow request after setting", SET_CONTROL, {CONTROL_REQUEST_FLOW}, Answer(SET_CONTROL, {CONTROL_HARDWARE_FLOW})},
      {"inbound flow request after setting",
       SET_CONTROL,
       {CONTROL_REQUEST_INBOUND_FLOW},
       Answer(SET_CONTROL, {CONTROL_INBOUND_XONXOFF_FLOW})},
      {"baud rate request", SET_BAUDRATE, {0, 0, 0, 0}, Answer(SET_BAUDRATE, {0, 0, 0x25, 0x80})},
      {"data size request", SET_DATASIZE, {0}, Answer(SET_DATASIZE, {8})},
  };
  for (const Exchange& e : table) {
    SCOPED_TRACE(e.what);
    client.Send(e.command, e.value);
    if (e.answer.empty()) continue;
    EXPECT_EQ(client.Next(), e.answer);
  }
  // A request without an answer leaves nothing behind the last one.
  client.Send(FLOWCONTROL_SUSPEND, {});
  client.Send(SET_CONTROL, {CONTROL_REQUEST_DTR});
  EXPECT_EQ(client.Next(), Answer(SET_CONTROL, {CONTROL_DTR_OFF}));
  EXPECT_TRUE(peer->With([](ScriptedPeer& p) { return !p.dtr && !p.rts; }));
}

}  // namespace
