// Ports on an in-process peer, directly and through an RFC 2217 server on
// loopback: the same cases both ways, since the program must not see a
// difference.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "platform/serial/net_p.h"
#include "platform/serial/port.h"
#include "platform/serial/rfc2217_server.h"
#include "platform/serial/telnet.h"
#include "scripted_peer.h"
#include "tests/support/watchdog.h"

using namespace serial;
using serial_test::Eventually;
using serial_test::ScriptedPeer;

namespace {

enum class Via { kVirtual, kRfc2217 };

class PeerPort : public ::testing::TestWithParam<Via> {
 protected:
  void SetUp() override {
    peer = std::make_shared<ScriptedPeer>();
    if (GetParam() == Via::kVirtual) {
      RegisterVirtualDevice("peer-test", peer);
      target = "virtual:peer-test";
    } else {
      server = std::make_unique<Rfc2217Server>(peer);
      ASSERT_TRUE(server->Listen("127.0.0.1", 0));
      target = "rfc2217://127.0.0.1:" + std::to_string(server->BoundPort());
    }
    port = CreatePort(target);
    ASSERT_NE(port, nullptr) << GetLastError();
    COMMTIMEOUTS t;
    t.ReadIntervalTimeout = MAXDWORD;
    port->SetCommTimeouts(t);
    ASSERT_TRUE(Eventually([&] { return peer->With([](ScriptedPeer& p) { return p.line != nullptr; }); }));
  }
  void TearDown() override {
    port.reset();
    server.reset();
    UnregisterVirtualDevice("peer-test");
  }
  COMSTAT Stat(DWORD* errors = nullptr) {
    COMSTAT s;
    DWORD e = 0;
    port->ClearCommError(&e, &s);
    if (errors) *errors = e;
    return s;
  }
  std::vector<std::uint8_t> ReadAll(std::size_t n) {
    std::vector<std::uint8_t> got;
    Eventually([&] {
      std::uint8_t buf[512];
      DWORD r = 0;
      port->ReadFile(buf, sizeof buf, r);
      got.insert(got.end(), buf, buf + r);
      return got.size() >= n;
    });
    return got;
  }
  // Waits for the next event in the mask (handed over by the I/O thread).
  DWORD NextEvents() {
    DWORD events = 0;
    EXPECT_TRUE(port->WaitCommEvent(events));
    return events;
  }

  std::shared_ptr<ScriptedPeer> peer;
  std::unique_ptr<Rfc2217Server> server;
  std::string target;
  std::unique_ptr<Port> port;
};

std::vector<std::uint8_t> AllBytesTwice() {
  std::vector<std::uint8_t> v;
  for (int r = 0; r < 2; ++r)
    for (int i = 0; i < 256; ++i) v.push_back(static_cast<std::uint8_t>(i));
  v.insert(v.end(), {0xFF, 0xFF, 0xFF, 0xFF});  // the recorder sends runs of 0xFF
  return v;
}

}  // namespace

TEST_P(PeerPort, CarriesEveryByteValueBothWays) {
  const auto all = AllBytesTwice();
  peer->Send(all);
  EXPECT_EQ(ReadAll(all.size()), all);
  DWORD w = 0;
  ASSERT_TRUE(port->WriteFile(all.data(), static_cast<DWORD>(all.size()), w));
  EXPECT_EQ(w, all.size());
  ASSERT_TRUE(Eventually([&] { return peer->ReceivedCount() >= all.size(); }));
  EXPECT_EQ(peer->With([](ScriptedPeer& p) { return p.received; }), all);
}

TEST_P(PeerPort, RtsAndDtrReachTheDeviceAndItsLinesComeBack) {
  auto lines = [&] { return peer->With([](ScriptedPeer& p) { return std::make_pair(p.rts, p.dtr); }); };
  ASSERT_TRUE(Eventually([&] { return lines() == std::make_pair(true, true); }));  // raised on open
  ASSERT_TRUE(port->EscapeCommFunction(CLRDTR));
  EXPECT_TRUE(Eventually([&] { return lines() == std::make_pair(true, false); }));
  ASSERT_TRUE(port->EscapeCommFunction(CLRRTS));
  ASSERT_TRUE(port->EscapeCommFunction(SETDTR));
  EXPECT_TRUE(Eventually([&] { return lines() == std::make_pair(false, true); }));

  port->SetCommMask(EV_CTS | EV_DSR | EV_RING | EV_RLSD);
  peer->SetModem(MS_CTS_ON | MS_DSR_ON);
  DWORD status = 0;
  EXPECT_TRUE(Eventually([&] { return port->GetCommModemStatus(status) && status == (MS_CTS_ON | MS_DSR_ON); }));
  DWORD events = 0;
  while ((events & (EV_CTS | EV_DSR)) != (EV_CTS | EV_DSR)) events |= NextEvents();
  peer->SetModem(MS_RLSD_ON | MS_RING_ON);
  events = 0;
  while ((events & (EV_CTS | EV_DSR | EV_RING | EV_RLSD)) != (EV_CTS | EV_DSR | EV_RING | EV_RLSD))
    events |= NextEvents();
  EXPECT_TRUE(Eventually([&] { return port->GetCommModemStatus(status) && status == (MS_RLSD_ON | MS_RING_ON); }));
}

TEST_P(PeerPort, LineSettingsAndPurgesReachTheDevice) {
  DCB dcb;
  port->GetCommState(dcb);
  dcb.BaudRate = 14400;
  dcb.ByteSize = 7;
  dcb.Parity = ODDPARITY;
  dcb.StopBits = TWOSTOPBITS;
  ASSERT_TRUE(port->SetCommState(dcb));
  EXPECT_TRUE(Eventually([&] {
    return peer->With([](ScriptedPeer& p) { return p.settings; }) == LineSettings{14400, 7, ODDPARITY, TWOSTOPBITS};
  }));
  ASSERT_TRUE(port->PurgeComm(PURGE_RXCLEAR | PURGE_TXCLEAR));
  EXPECT_TRUE(
      Eventually([&] { return peer->With([](ScriptedPeer& p) { return p.purgedRx == 1 && p.purgedTx == 1; }); }));
  ASSERT_TRUE(port->EscapeCommFunction(SETBREAK));
  EXPECT_TRUE(Eventually([&] { return peer->With([](ScriptedPeer& p) { return p.breakOn; }); }));
}

TEST_P(PeerPort, RaisesReceiveEventsAndTheEventCharacter) {
  support::Watchdog watchdog;  // the loop below never ends if the fault returns
  DCB dcb;
  port->GetCommState(dcb);
  dcb.EvtChar = '\n';
  port->SetCommState(dcb);
  port->SetCommMask(EV_RXCHAR | EV_RXFLAG);
  peer->Send({'a'});
  EXPECT_EQ(NextEvents() & EV_RXFLAG, 0u);
  DWORD events = 0;
  peer->Send({'b', '\n'});
  while (!(events & EV_RXFLAG)) events |= NextEvents();
  EXPECT_EQ(Stat().cbInQue, 3u);
}

TEST_P(PeerPort, LineErrorsReachTheHost) {
  port->SetCommMask(EV_BREAK | EV_ERR);
  peer->With([](ScriptedPeer& p) {
    p.line->SignalLineErrors(CE_BREAK | CE_FRAME | CE_RXPARITY | CE_OVERRUN);
    return 0;
  });
  DWORD events = 0;
  while ((events & (EV_BREAK | EV_ERR)) != (EV_BREAK | EV_ERR)) events |= NextEvents();
  DWORD errors = 0;
  Stat(&errors);
  EXPECT_EQ(errors, DWORD(CE_BREAK | CE_FRAME | CE_RXPARITY | CE_OVERRUN));
  Stat(&errors);
  EXPECT_EQ(errors, 0u);
}

TEST_P(PeerPort, ASecondOpenFindsThePortHeld) {
  SetLastError(0);
  EXPECT_EQ(CreatePort(target), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  port->Close();
  if (server) {
    ASSERT_TRUE(Eventually([&] { return !server->HasClient(); }));
  }
  auto again = CreatePort(target);
  EXPECT_NE(again, nullptr) << GetLastError();
}

TEST_P(PeerPort, RepeatedOpenAndCloseLeaksNoThreads) {
  port.reset();
  const int before = RunningPortThreads();
  for (int i = 0; i < 20; ++i) {
    if (server) {
      ASSERT_TRUE(Eventually([&] { return !server->HasClient(); }));
    }
    auto p = CreatePort(target);
    ASSERT_NE(p, nullptr) << i << " " << GetLastError();
  }
  EXPECT_EQ(RunningPortThreads(), before);
  EXPECT_TRUE(Eventually(
      [&] { return peer->With([](ScriptedPeer& p) { return p.attaches == p.detaches + (p.line ? 1 : 0); }); }));
}

INSTANTIATE_TEST_SUITE_P(Both, PeerPort, ::testing::Values(Via::kVirtual, Via::kRfc2217), [](const auto& param_info) {
  return param_info.param == Via::kVirtual ? "Virtual" : "Rfc2217";
});

TEST(VirtualDevice, RefusedSettingsLineErrorsAndOverflow) {
  auto peer = std::make_shared<ScriptedPeer>();
  RegisterVirtualDevice("refusing", peer);
  auto port = CreatePort("virtual:refusing");
  ASSERT_NE(port, nullptr);
  peer->With([](ScriptedPeer& p) { return p.refuseSettings = true; });
  DCB dcb;
  port->GetCommState(dcb);
  SetLastError(0);
  EXPECT_FALSE(port->SetCommState(dcb));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));

  port->SetCommMask(EV_BREAK | EV_ERR);
  peer->With([](ScriptedPeer& p) {
    p.line->SignalLineErrors(CE_BREAK | CE_FRAME);
    return 0;
  });
  DWORD events = 0;
  while ((events & (EV_BREAK | EV_ERR)) != (EV_BREAK | EV_ERR)) {
    DWORD e = 0;
    ASSERT_TRUE(port->WaitCommEvent(e));
    events |= e;
  }
  ASSERT_TRUE(port->SetupComm(8, 8));
  peer->Send(std::vector<std::uint8_t>(20, 'x'));
  COMSTAT s;
  DWORD errors = 0;
  ASSERT_TRUE(port->ClearCommError(&errors, &s));
  EXPECT_EQ(errors, DWORD(CE_BREAK | CE_FRAME | CE_RXOVER));
  EXPECT_EQ(s.cbInQue, 8u);
  ASSERT_TRUE(port->ClearCommError(&errors, &s));
  EXPECT_EQ(errors, 0u);  // cleared by the first call
  port.reset();
  UnregisterVirtualDevice("refusing");
  SetLastError(0);
  EXPECT_EQ(CreatePort("virtual:refusing"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST(Rfc2217, ABrokenConnectionEndsReadsAndWrites) {
  auto peer = std::make_shared<ScriptedPeer>();
  Rfc2217Server server(peer);
  ASSERT_TRUE(server.Listen());
  auto port = CreatePort("rfc2217://127.0.0.1:" + std::to_string(server.BoundPort()));
  ASSERT_NE(port, nullptr);
  COMMTIMEOUTS t;
  t.ReadTotalTimeoutConstant = 10000;
  port->SetCommTimeouts(t);
  server.DropClient();
  char buf[4];
  DWORD r = 0;
  SetLastError(0);
  EXPECT_FALSE(port->ReadFile(buf, 4, r));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_IO_DEVICE));
}

TEST(Rfc2217, NobodyListeningIsAMissingPort) {
  int freePort;
  {
    Rfc2217Server probe(std::make_shared<ScriptedPeer>());
    ASSERT_TRUE(probe.Listen());
    freePort = probe.BoundPort();
  }
  SetLastError(0);
  EXPECT_EQ(CreatePort("rfc2217://127.0.0.1:" + std::to_string(freePort)), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(CreatePort("rfc2217://127.0.0.1:notaport"), nullptr);
  EXPECT_EQ(CreatePort("rfc2217://nohostport"), nullptr);
}

// A client that floods the server with option requests and never reads the
// answers is disconnected instead of making the server's buffer grow.
TEST(Rfc2217, ServerDropsAClientThatNeverReads) {
  Rfc2217Server server(std::make_shared<ScriptedPeer>());
  ASSERT_TRUE(server.Listen());
  const int fd = detail::ConnectTcp("127.0.0.1", server.BoundPort(), 3000);
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(Eventually([&] { return server.HasClient(); }));
  std::vector<std::uint8_t> flood;
  for (int i = 0; i < 64 * 1024; ++i)
    flood.insert(flood.end(),
                 {telnet::IAC, telnet::DO, telnet::OPT_BINARY, telnet::IAC, telnet::DONT, telnet::OPT_BINARY});
  bool dropped = false;
  for (int round = 0; round < 400 && !dropped; ++round) {
    std::size_t sent = 0;
    while (sent < flood.size()) {
      const ssize_t n = ::send(fd, flood.data() + sent, flood.size() - sent, MSG_NOSIGNAL);
      if (n > 0) {
        sent += static_cast<std::size_t>(n);
      } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        if (!server.HasClient()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      } else {
        // The server has closed the connection.
        dropped = Eventually([&] { return !server.HasClient(); });
        break;
      }
    }
    dropped = dropped || !server.HasClient();
  }
  EXPECT_TRUE(dropped);
  ::close(fd);
}

// The other way round: a server that floods the client with option requests
// and never reads the answers. The client ends the connection with a device
// error (or refuses to open) instead of keeping the answers without bound.
TEST(Rfc2217, ClientDropsAServerThatNeverReads) {
  const int listener = detail::ListenTcp("127.0.0.1", 0);
  ASSERT_GE(listener, 0);
  const int small = 4096;  // the server's receive window fills at once
  ::setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  detail::MakeNonBlocking(listener);
  std::atomic<bool> stop{false};
  std::thread server([&] {
    int fd = -1;
    while (fd < 0 && !stop) {
      fd = ::accept(listener, nullptr, nullptr);
      if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (fd < 0) return;
    std::vector<std::uint8_t> flood;
    for (int i = 0; i < 16 * 1024; ++i)
      flood.insert(flood.end(),
                   {telnet::IAC, telnet::DO, telnet::OPT_BINARY, telnet::IAC, telnet::DONT, telnet::OPT_BINARY});
    std::size_t at = 0;
    while (!stop) {
      const ssize_t n = ::send(fd, flood.data() + at, flood.size() - at, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        at = (at + static_cast<std::size_t>(n)) % flood.size();
      } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      } else {
        break;  // the client has closed the connection
      }
    }
    ::close(fd);
  });
  auto port = CreatePort("rfc2217://127.0.0.1:" + std::to_string(detail::LocalPort(listener)));
  bool dropped = port == nullptr;
  if (port) {
    COMMTIMEOUTS t;
    t.ReadTotalTimeoutConstant = 50;
    port->SetCommTimeouts(t);
    dropped = Eventually(
        [&] {
          char buf[16];
          DWORD r = 0;
          SetLastError(0);
          return !port->ReadFile(buf, sizeof buf, r) && GetLastError() == DWORD(ERROR_IO_DEVICE);
        },
        20000);
  }
  EXPECT_TRUE(dropped);
  port.reset();
  stop = true;
  server.join();
  ::close(listener);
}
