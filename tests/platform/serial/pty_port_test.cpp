// A port on the slave side of a pseudo-terminal, the test playing the device
// on the master side.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "platform/serial/port.h"
#include "platform/serial/pty.h"
#include "scripted_peer.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/watchdog.h"

using namespace serial;
using serial_test::Eventually;

namespace {

class PtyPort : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Valid());
    port = CreatePort(pty.SlavePath());
    ASSERT_NE(port, nullptr) << GetLastError();
    COMMTIMEOUTS t;
    t.ReadIntervalTimeout = MAXDWORD;  // reads answer at once with what is there
    ASSERT_TRUE(port->SetCommTimeouts(t));
  }
  // The receive queue's count; the line errors it clears gather in seenErrors.
  DWORD InQueue() {
    COMSTAT s;
    DWORD errors = 0;
    EXPECT_TRUE(port->ClearCommError(&errors, &s));
    seenErrors |= errors;
    return s.cbInQue;
  }
  std::string ReadAll(std::size_t n) {
    std::string got;
    Eventually(
        [&] {
          char buf[512];
          DWORD r = 0;
          port->ReadFile(buf, sizeof buf, r);
          got.append(buf, r);
          return got.size() >= n;
        },
        10000);
    return got;
  }

  PseudoTerminal pty;
  std::unique_ptr<Port> port;
  DWORD seenErrors = 0;
};

std::string AllByteValues() {
  std::string s;
  for (int i = 0; i < 256; ++i) s.push_back(static_cast<char>(i));
  return s;
}

}  // namespace

TEST_F(PtyPort, OpensAsACharacterDevice) { EXPECT_EQ(port->GetFileType(), DWORD(FILE_TYPE_CHAR)); }

TEST(PtyPortOpen, RefusesWhatIsNotAFreeSerialDevice) {
  namespace fs = std::filesystem;
  const support::ScratchFolder scratch("zarnik-not-a-device-");
  const fs::path file = scratch.File("plain-file");
  support::WriteFile(file, "x");
  struct Case {
    std::string name;
    DWORD error;
  } cases[] = {
      {"/nonexistent/ttyUSB9", ERROR_PATH_NOT_FOUND},
      {"/dev/ttyUSB_missing", ERROR_FILE_NOT_FOUND},
      {file.string(), ERROR_BAD_DEVICE},
      {"/dev/null", ERROR_BAD_DEVICE},  // a character device, but no serial line
      {"\\\\.\\COM200", ERROR_FILE_NOT_FOUND},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_EQ(CreatePort(c.name), nullptr) << c.name;
    if (c.error != ERROR_PATH_NOT_FOUND) {
      EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
  }
}

TEST_F(PtyPort, APortHeldOpenCannotBeOpenedAgain) {
  SetLastError(0);
  EXPECT_EQ(CreatePort(pty.SlavePath()), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  port->Close();
  auto again = CreatePort(pty.SlavePath());
  EXPECT_NE(again, nullptr);
}

TEST_F(PtyPort, ProgramsAnyLineSettings) {
  struct Case {
    DWORD baud;
    std::uint8_t bits, parity, stop;
  } cases[] = {
      {14400, 8, NOPARITY, ONESTOPBIT},  {12800, 8, NOPARITY, ONESTOPBIT}, {38400, 7, ODDPARITY, TWOSTOPBITS},
      {9600, 8, EVENPARITY, ONESTOPBIT}, {110, 5, MARKPARITY, ONESTOPBIT}, {256000, 6, SPACEPARITY, ONESTOPBIT},
  };
  for (const auto& c : cases) {
    DCB dcb;
    ASSERT_TRUE(port->GetCommState(dcb));
    dcb.BaudRate = c.baud;
    dcb.ByteSize = c.bits;
    dcb.Parity = c.parity;
    dcb.StopBits = c.stop;
    ASSERT_TRUE(port->SetCommState(dcb)) << c.baud;
    // A pty keeps the rate and stop bits; it forces 8 data bits, no parity.
    LineSettings s;
    ASSERT_TRUE(pty.SlaveSettings(s));
    EXPECT_EQ(s.baudRate, c.baud);
    EXPECT_EQ(s.stopBits, c.stop) << c.baud;
    DCB back;
    port->GetCommState(back);
    EXPECT_EQ(back.BaudRate, c.baud);
  }
  DCB bad;
  port->GetCommState(bad);
  bad.ByteSize = 4;
  SetLastError(0);
  EXPECT_FALSE(port->SetCommState(bad));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(PtyPort, CarriesEveryByteValueBothWays) {
  const std::string all = AllByteValues();
  ASSERT_TRUE(pty.Write(all));
  EXPECT_EQ(ReadAll(all.size()), all);
  DWORD written = 0;
  ASSERT_TRUE(port->WriteFile(all.data(), static_cast<DWORD>(all.size()), written));
  EXPECT_EQ(written, all.size());
  EXPECT_EQ(pty.Read(all.size(), 3000), all);
}

TEST_F(PtyPort, QueueCountsAndPurge) {
  EXPECT_EQ(InQueue(), 0u);
  pty.Write("hello");
  EXPECT_TRUE(Eventually([&] { return InQueue() == 5; }));
  ASSERT_TRUE(port->PurgeComm(PURGE_RXABORT | PURGE_RXCLEAR));
  EXPECT_EQ(InQueue(), 0u);
  char buf[8];
  DWORD r = 1;
  EXPECT_TRUE(port->ReadFile(buf, sizeof buf, r));
  EXPECT_EQ(r, 0u);
  SetLastError(0);
  EXPECT_FALSE(port->PurgeComm(0x100));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(PtyPort, ASmallReceiveQueueLosesNothingFromADevice) {
  support::Watchdog watchdog;  // the loop below never ends if the fault returns
  // The I/O thread first finishes a round at the default queue size (the
  // transmit-empty event is raised where it sizes its next read), so it is
  // waiting on the line with that size in mind when the queue shrinks.
  ASSERT_TRUE(port->SetCommMask(EV_TXEMPTY));
  DWORD written = 0, events = 0;
  ASSERT_TRUE(port->WriteFile("s", 1, written));
  while (!(events & EV_TXEMPTY)) ASSERT_TRUE(port->WaitCommEvent(events));
  ASSERT_EQ(pty.Read(1, 3000), "s");

  ASSERT_TRUE(port->SetupComm(16, 16));
  std::string data;
  for (int i = 0; i < 600; ++i) data.push_back(static_cast<char>('a' + i % 26));
  ASSERT_TRUE(pty.Write(data));
  EXPECT_TRUE(Eventually([&] { return InQueue() == 16; }));
  EXPECT_EQ(ReadAll(data.size()), data);
  // What the queue cannot hold waits in the line; it is never dropped.
  InQueue();
  EXPECT_EQ(seenErrors & CE_RXOVER, 0u);
}

TEST_F(PtyPort, ReadTimeOuts) {
  COMMTIMEOUTS t;
  t.ReadIntervalTimeout = MAXDWORD;
  t.ReadTotalTimeoutConstant = 20;
  ASSERT_TRUE(port->SetCommTimeouts(t));
  char buf[4];
  DWORD r = 9;
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(port->ReadFile(buf, 4, r));  // a time-out is no error
  EXPECT_EQ(r, 0u);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));

  pty.Write("ab");
  EXPECT_TRUE(Eventually([&] { return InQueue() == 2; }));
  EXPECT_TRUE(port->ReadFile(buf, 4, r));
  EXPECT_EQ(std::string(buf, r), "ab");

  std::thread late([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    pty.Write("cdef");
  });
  t.ReadTotalTimeoutConstant = 5000;  // a read waits for all it asked for
  port->SetCommTimeouts(t);
  EXPECT_TRUE(port->ReadFile(buf, 4, r));
  late.join();
  EXPECT_EQ(std::string(buf, r), "cdef");
}

TEST_F(PtyPort, RaisesReceiveAndTransmitEvents) {
  support::Watchdog watchdog;  // the loop below never ends if the fault returns
  ASSERT_TRUE(port->SetCommMask(EV_RXCHAR | EV_TXEMPTY));
  pty.Write("x");
  DWORD events = 0;
  ASSERT_TRUE(port->WaitCommEvent(events));
  EXPECT_EQ(events & EV_RXCHAR, DWORD(EV_RXCHAR));
  DWORD w;
  port->WriteFile("y", 1, w);
  events = 0;
  while (!(events & EV_TXEMPTY)) ASSERT_TRUE(port->WaitCommEvent(events));
  EXPECT_EQ(pty.Read(1, 3000), "y");
}

TEST_F(PtyPort, AWaitEndsOnANewMaskOnCancelAndOnClose) {
  support::Watchdog watchdog;  // the loop below never ends if the fault returns
  port->SetCommMask(EV_RXCHAR);
  DWORD events = 77;
  std::atomic<bool> ok{false}, done{false};
  std::thread waiter([&] {
    ok = port->WaitCommEvent(events);
    done = true;
  });
  while (!done) {  // a new mask ends a wait in progress
    port->SetCommMask(EV_RXCHAR | EV_CTS);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  waiter.join();
  EXPECT_TRUE(ok);
  EXPECT_EQ(events, 0u);

  DWORD err = 0;
  waiter = std::thread([&] {
    ok = port->WaitCommEvent(events);
    err = GetLastError();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  port->CancelWait();
  waiter.join();
  EXPECT_FALSE(ok);
  EXPECT_EQ(err, DWORD(ERROR_OPERATION_ABORTED));
  EXPECT_FALSE(port->WaitCommEvent(events));  // cancelled for good

  auto other = PseudoTerminal();
  auto second = CreatePort(other.SlavePath());
  ASSERT_NE(second, nullptr);
  waiter = std::thread([&] {
    ok = second->WaitCommEvent(events);
    err = GetLastError();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  second->Close();
  waiter.join();
  EXPECT_FALSE(ok);
  // Aborted when the wait was under way, an invalid handle when it began late.
  EXPECT_TRUE(err == ERROR_OPERATION_ABORTED || err == ERROR_INVALID_HANDLE) << err;
}

TEST_F(PtyPort, EscapeFunctionsOnALineWithoutModemSignals) {
  for (DWORD f : {SETRTS, CLRRTS, SETDTR, CLRDTR, SETBREAK, CLRBREAK, SETXON, SETXOFF})
    EXPECT_TRUE(port->EscapeCommFunction(f)) << f;
  DWORD status = 0xFF;
  EXPECT_TRUE(port->GetCommModemStatus(status));
  EXPECT_EQ(status, 0u);
  SetLastError(0);
  EXPECT_FALSE(port->EscapeCommFunction(7));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(PtyPort, ClosedPortRefusesEveryCall) {
  port->Close();
  DCB dcb;
  DWORD n;
  char buf[1];
  SetLastError(0);
  EXPECT_FALSE(port->GetCommState(dcb));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(port->ReadFile(buf, 1, n));
  EXPECT_FALSE(port->WriteFile(buf, 1, n));
  EXPECT_FALSE(port->ClearCommError(nullptr, nullptr));
  EXPECT_FALSE(port->EscapeCommFunction(SETRTS));
  EXPECT_FALSE(port->WaitCommEvent(n));
  port->Close();  // twice is harmless
}

TEST_F(PtyPort, TheDeviceGoingAwayEndsReads) {
  PseudoTerminal* p = new PseudoTerminal();
  auto gone = CreatePort(p->SlavePath());
  ASSERT_NE(gone, nullptr);
  COMMTIMEOUTS t;
  t.ReadTotalTimeoutConstant = 10000;
  gone->SetCommTimeouts(t);
  delete p;  // the master closes: the line hangs up
  char buf[4];
  DWORD r;
  SetLastError(0);
  EXPECT_FALSE(gone->ReadFile(buf, 4, r));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_IO_DEVICE));
}

TEST(PtyPortLifetime, RepeatedOpenAndCloseLeaksNoThreads) {
  PseudoTerminal pty;
  const int before = RunningPortThreads();
  for (int i = 0; i < 40; ++i) {
    auto port = CreatePort(pty.SlavePath());
    ASSERT_NE(port, nullptr) << i;
    DWORD w;
    port->WriteFile("z", 1, w);
  }
  EXPECT_EQ(RunningPortThreads(), before);
  EXPECT_EQ(pty.Read(40, 3000), std::string(40, 'z'));
}
