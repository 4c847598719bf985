#include "comm/Comm.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "platform/serial/port_map.h"
#include "platform/serial/pty.h"
#include "platform/serial/rfc2217_server.h"
#include "tests/support/errors.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/simulated_recorder.h"

using namespace comm;

namespace {

// Polls until cond holds, serving hand-overs from the event thread meanwhile
// as the GUI thread's message loop would.
template <class F>
bool PumpUntil(F cond, int limitMs = 3000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > end) return false;
    rtl::CheckSynchronize(1);
  }
  return true;
}

class CommOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Valid());
    comm.SetDeviceName(pty.SlavePath());
  }
  serial::LineSettings Slave() {
    serial::LineSettings s;
    EXPECT_TRUE(pty.SlaveSettings(s));
    return s;
  }
  serial::PseudoTerminal pty;
  TComm comm;
};

}  // namespace

TEST(CommTables, LineValuesOfEachSetting) {
  const serial::DWORD rates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                 19200, 38400, 56000, 57600, 115200, 128000, 256000};
  for (int r = br110; r <= br256000; ++r) EXPECT_EQ(BaudRateValue(TBaudRate(r)), rates[r]) << r;
  EXPECT_EQ(ParityValue(paNone), serial::NOPARITY);
  EXPECT_EQ(ParityValue(paOdd), serial::ODDPARITY);
  EXPECT_EQ(ParityValue(paEven), serial::EVENPARITY);
  EXPECT_EQ(ParityValue(paMark), serial::MARKPARITY);
  EXPECT_EQ(ParityValue(paSpace), serial::SPACEPARITY);
  EXPECT_EQ(StopBitsValue(sb15), serial::ONE5STOPBITS);
  EXPECT_EQ(DataBitsValue(da4), 4);
  EXPECT_EQ(DataBitsValue(da8), 8);
  EXPECT_EQ(EventMaskOf(EventSet({evRxChar, evTxEmpty})), 0x05u);
  EXPECT_EQ(EventMaskOf(kAllCommEvents), 0x1FFu);
  EXPECT_EQ(EventMaskOf(EventSet({evBreak, evRing})), 0x140u);
  EXPECT_EQ(WriteTimeoutMultiplier(br38400), 2133u);
  EXPECT_EQ(WriteTimeoutMultiplier(br300), 19200u);
  EXPECT_EQ(WriteTimeoutMultiplier(br110), 19200u);  // no division by zero
  EXPECT_EQ(WriteTimeoutMultiplier(br256000), 1371u);
}

TEST(Comm, Defaults) {
  TComm c;
  EXPECT_EQ(c.ClassName(), "TComm");
  EXPECT_FALSE(c.Enabled());
  EXPECT_EQ(c.DeviceName(), "Com2");
  EXPECT_EQ(c.ReadTimeout(), 1000);
  EXPECT_EQ(c.WriteTimeout(), 1000);
  EXPECT_EQ(c.ReadBufSize(), 4096);
  EXPECT_EQ(c.WriteBufSize(), 2048);
  EXPECT_EQ(c.SuspendTime(), 5u);
  EXPECT_EQ(c.MonitorEvents(), kAllCommEvents);
  EXPECT_EQ(c.BaudRate(), br9600);
  EXPECT_EQ(c.Parity(), paNone);
  EXPECT_EQ(c.StopBits(), sb10);
  EXPECT_EQ(c.DataBits(), da8);
  EXPECT_EQ(c.Options(), 0);
  EXPECT_EQ(c.FlowControl(), fcDefault);
  EXPECT_EQ(c.EventChars()->XOnChar(), 17);
  EXPECT_EQ(c.EventChars()->XOffChar(), 19);
  EXPECT_EQ(c.EventChars()->EvtChar(), 0);
}

TEST(Comm, ClosedPortAnswers) {
  TComm c;
  char buf[4] = {};
  EXPECT_EQ(c.Read(buf, 4), -1);
  EXPECT_EQ(c.Write(buf, 4), -1);
  EXPECT_EQ(c.InQueCount(), -1);
  EXPECT_EQ(c.OutQueCount(), -1);
  c.PurgeIn();
  c.PurgeOut();
  c.UpdateDataControlBlock();
  for (int line = 0; line <= 5; ++line) EXPECT_FALSE(c.GetModemState(line));
  for (int which = 0; which <= 6; ++which) EXPECT_FALSE(c.GetComState(which));
  EXPECT_EQ(support::ErrorOf([&] { c.SetRTSState(true); }), "Port not open (Error: -1)");
  EXPECT_EQ(support::ErrorOf([&] { c.SetDTRState(false); }), "Port not open (Error: -1)");
  EXPECT_EQ(support::ErrorOf([&] { c.SetBREAKState(true); }), "Port not open (Error: -1)");
  c.SetBaudRate(br38400);  // a line setter on a closed port only stores
  EXPECT_EQ(c.BaudRate(), br38400);
  c.Close();
}

TEST(Comm, DevicesThatDoNotOpenLeaveThePortClosedQuietly) {
  namespace fs = std::filesystem;
  const support::ScratchFolder scratch("zarnik-comm-not-a-device-");
  const fs::path file = scratch.File("plain-file");
  support::WriteFile(file, "x");
  serial::PseudoTerminal pty;
  TComm holder;
  holder.SetDeviceName(pty.SlavePath());
  holder.Open();
  ASSERT_TRUE(holder.Enabled());
  for (const std::string& name :
       {std::string("\\\\.\\COM201"), file.string(), std::string("/dev/null"), pty.SlavePath()}) {
    TComm c;
    c.SetDeviceName(name);
    EXPECT_NO_THROW(c.Open()) << name;
    EXPECT_FALSE(c.Enabled()) << name;
  }
}

TEST_F(CommOnPty, OpensAndProgramsTheLine) {
  comm.SetBaudRate(br38400);
  comm.Open();
  ASSERT_TRUE(comm.Enabled());
  EXPECT_EQ(Slave().baudRate, 38400u);
  serial::COMMTIMEOUTS t;
  ASSERT_TRUE(comm.Handle()->GetCommTimeouts(t));
  EXPECT_EQ(t.ReadIntervalTimeout, serial::MAXDWORD);
  EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 1000u);
  EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 2133u);
  EXPECT_EQ(t.WriteTotalTimeoutConstant, 0u);
  serial::DCB dcb;
  comm.Handle()->GetCommState(dcb);
  EXPECT_EQ(dcb.XonLim, 1024);
  EXPECT_EQ(dcb.XoffLim, 1024);
  EXPECT_EQ(dcb.ByteSize, 8);

  // Line setters take effect at once on an open port.
  comm.SetBaudRate(br14400);
  EXPECT_EQ(Slave().baudRate, 14400u);
  comm.SetParity(paOdd);
  comm.Handle()->GetCommState(dcb);
  EXPECT_EQ(dcb.Parity, serial::ODDPARITY);
  comm.SetParity(paEven);
  comm.Handle()->GetCommState(dcb);
  EXPECT_EQ(dcb.Parity, serial::EVENPARITY);
  comm.SetStopBits(sb20);
  EXPECT_EQ(Slave().stopBits, serial::TWOSTOPBITS);
  comm.SetOptions(OptionSet({coParityCheck, coNullStrip}));
  comm.Handle()->GetCommState(dcb);
  EXPECT_TRUE(dcb.fParity);
  EXPECT_TRUE(dcb.fNull);
  EXPECT_FALSE(dcb.fErrorChar);
  comm.EventChars()->SetEvtChar('\r');
  comm.Handle()->GetCommState(dcb);
  EXPECT_EQ(dcb.EvtChar, '\r');
}

TEST_F(CommOnPty, OpenOnAnOpenPortRaisesAndLeavesItOpen) {
  comm.Open();
  serial::Port* before = comm.Handle();
  EXPECT_EQ(support::ErrorOf([&] { comm.Open(); }), "Port already assigned (open) (Error: -1)");
  EXPECT_EQ(support::ErrorOf([&] { comm.CheckOpen(); }), "Port already assigned (open) (Error: -1)");
  EXPECT_TRUE(comm.Enabled());
  EXPECT_EQ(comm.Handle(), before);
  comm.Close();
  EXPECT_NO_THROW(comm.CheckOpen());
}

TEST_F(CommOnPty, SettingsThatWaitForTheClosedPort) {
  serial::PseudoTerminal other;
  comm.SetMonitorEvents(EventSet({evRxChar, evTxEmpty}));
  comm.Open();
  serial::DWORD mask = 0;
  ASSERT_TRUE(comm.Handle()->GetCommMask(mask));
  EXPECT_EQ(mask, 0x05u);
  comm.SetDeviceName(other.SlavePath());
  comm.SetReadBufSize(10);
  comm.SetMonitorEvents(kAllCommEvents);
  EXPECT_EQ(comm.DeviceName(), pty.SlavePath());
  EXPECT_EQ(comm.ReadBufSize(), 4096);
  EXPECT_EQ(comm.MonitorEvents(), EventSet({evRxChar, evTxEmpty}));
  comm.Close();
  comm.SetDeviceName(other.SlavePath());
  comm.Open();
  ASSERT_TRUE(comm.Enabled());
  comm.Write("k", 1);
  EXPECT_EQ(other.Read(1, 3000), "k");
}

TEST_F(CommOnPty, ModemQueriesOutsideTheLinesAreFalse) {
  comm.Open();
  EXPECT_FALSE(comm.GetModemState(0));
  EXPECT_FALSE(comm.GetModemState(5));
  EXPECT_NO_THROW(comm.SetRTSState(true));
  EXPECT_NO_THROW(comm.SetXONState(true));
  EXPECT_EQ(support::ErrorOf([&] { comm.EscapeComm(77); }), "EscapeCommFunction failure (Error: 87)");
}

TEST_F(CommOnPty, ReadsWritesQueuesAndPurges) {
  comm.Open();
  ASSERT_TRUE(pty.Write(std::string("\x01\xFE\xFF\x00\x7F", 5)));
  ASSERT_TRUE(PumpUntil([&] { return comm.InQueCount() == 5; }));
  char buf[8] = {};
  EXPECT_EQ(comm.Read(buf, 0), 0);
  EXPECT_EQ(comm.Read(buf, 2), 2);
  EXPECT_EQ(std::string(buf, 2), "\x01\xFE");
  EXPECT_EQ(comm.InQueCount(), 3);
  comm.PurgeIn();
  EXPECT_EQ(comm.InQueCount(), 0);
  for (char c : std::string("\x05\xFA")) EXPECT_EQ(comm.Write(&c, 1), 1);
  EXPECT_EQ(pty.Read(2, 3000), "\x05\xFA");
  EXPECT_TRUE(PumpUntil([&] { return comm.OutQueCount() == 0; }));

  pty.Write("zz");
  ASSERT_TRUE(PumpUntil([&] { return comm.InQueCount() == 2; }));
  comm.SetBREAKState(true);  // a break purges both queues
  EXPECT_EQ(comm.InQueCount(), 0);
  comm.SetBREAKState(false);
}

TEST_F(CommOnPty, RefusedLineSettingsRaiseWithTheCode) {
  comm.Open();
  EXPECT_EQ(support::ErrorOf([&] { comm.SetDataBits(da4); }), "Error updating DataControlBlock (Error: 87)");
  EXPECT_EQ(comm.DataBits(), da4);  // the value is kept all the same
  comm.Close();
  // Opening with settings the line refuses raises and leaves no half-open port.
  EXPECT_EQ(support::ErrorOf([&] { comm.Open(); }), "Error updating DataControlBlock (Error: 87)");
  EXPECT_FALSE(comm.Enabled());
  comm.SetDataBits(da8);
  comm.Open();
  EXPECT_TRUE(comm.Enabled());
}

TEST_F(CommOnPty, HandsEventsToTheGuiThreadInOrder) {
  std::vector<std::string> calls;
  serial::DWORD rxCount = 0, statMask = 0;
  comm.OnRxChar = [&](rtl::TObject* s, serial::DWORD n) {
    EXPECT_EQ(s, &comm);
    EXPECT_TRUE(rtl::IsMainThread());
    calls.push_back("rx");
    rxCount = n;
  };
  comm.OnTxEmpty = [&](rtl::TObject*) { calls.push_back("tx"); };
  comm.OnComStatEvent = [&](rtl::TObject*, serial::DWORD mask, serial::COMSTAT) {
    calls.push_back("stat");
    statMask |= mask;
  };
  comm.SetMonitorEvents(EventSet({evRxChar}));
  comm.Open();
  pty.Write("abc");
  ASSERT_TRUE(PumpUntil([&] { return rxCount == 3; }));
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0], "rx");
  EXPECT_EQ(calls[1], "stat");
  EXPECT_EQ(statMask, 0x01u);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "tx"), 0);  // not monitored

  // An EV_RXCHAR that finds the queue already empty calls no OnRxChar.
  comm.PurgeIn();
  calls.clear();
  comm.HandleCommEvent(nullptr, serial::EV_RXCHAR);
  EXPECT_EQ(calls, (std::vector<std::string>{"stat"}));
}

TEST_F(CommOnPty, CloseEndsTheThreadWithoutRunningAPendingHandOver) {
  std::atomic<int> handled{0};
  comm.OnRxChar = [&](rtl::TObject*, serial::DWORD) { ++handled; };
  const int before = TCommEventThread::Running();
  comm.Open();
  EXPECT_TRUE(PumpUntil([&] { return TCommEventThread::Running() == before + 1; }));
  pty.Write("x");
  // Let the event thread reach its hand-over, which nobody serves.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  comm.Close();
  EXPECT_FALSE(comm.Enabled());
  EXPECT_EQ(handled, 0);
  EXPECT_EQ(TCommEventThread::Running(), before);
  EXPECT_FALSE(rtl::CheckSynchronize());  // nothing left for the GUI thread
}

TEST_F(CommOnPty, AHandlerMayCloseThePort) {
  comm.OnRxChar = [&](rtl::TObject* s, serial::DWORD) { static_cast<TThreadComm*>(s)->Close(); };
  comm.Open();
  pty.Write("x");
  ASSERT_TRUE(PumpUntil([&] { return !comm.Enabled(); }));
  comm.OnRxChar = nullptr;
  comm.Open();  // a new thread starts; the old one is gone
  EXPECT_TRUE(comm.Enabled());
  EXPECT_TRUE(PumpUntil([&] { return TCommEventThread::Running() == 1; }));
}

TEST_F(CommOnPty, RepeatedOpenAndCloseLeaksNoThreads) {
  const int eventThreads = TCommEventThread::Running();
  const int ioThreads = serial::RunningPortThreads();
  int rx = 0;
  comm.OnRxChar = [&](rtl::TObject*, serial::DWORD) { ++rx; };
  for (int i = 0; i < 30; ++i) {
    comm.Open();
    ASSERT_TRUE(comm.Enabled()) << i;
    if (i % 3 == 0) pty.Write("q");
    if (i % 2 == 0) rtl::CheckSynchronize(1);
    comm.Close();
  }
  EXPECT_EQ(TCommEventThread::Running(), eventThreads);
  EXPECT_EQ(serial::RunningPortThreads(), ioThreads);
  EXPECT_FALSE(rtl::CheckSynchronize());
}

TEST(Comm, AnOwnerFreesItsPortAndThePortClosesOnTheWay) {
  serial::PseudoTerminal pty;
  auto* form = new rtl::TComponent();
  auto* port = new TComm(form);
  port->SetName("Comm1");
  port->SetDeviceName(pty.SlavePath());
  port->Open();
  ASSERT_TRUE(port->Enabled());
  EXPECT_EQ(form->FindComponent("Comm1"), port);
  delete form;
  TComm again;  // the device is free again
  again.SetDeviceName(pty.SlavePath());
  again.Open();
  EXPECT_TRUE(again.Enabled());
}

TEST(CommEventChars, AssignCopiesWithoutTouchingThePort) {
  TComm a, b;
  a.EventChars()->SetXOnChar(1);
  a.EventChars()->SetErrorChar('?');
  b.SetEventChars(a.EventChars());
  EXPECT_EQ(b.EventChars()->XOnChar(), 1);
  EXPECT_EQ(b.EventChars()->ErrorChar(), '?');
  EXPECT_EQ(b.EventChars()->XOffChar(), 19);
  EXPECT_THROW(b.EventChars()->Assign(nullptr), rtl::Exception);
}

// --- the component against the simulated recorder ---

namespace {

enum class Via { kVirtual, kRfc2217, kComName };

class CommOnRecorder : public ::testing::TestWithParam<Via> {
 protected:
  void SetUp() override {
    recorder = std::make_unique<sim::RegisteredRecorder>("comm-test-recorder");
    recorder->Recorder().WithModel([](sim::RecorderModel& m) {
      sim::AddDemoProcesses(m);
      return 0;
    });
    switch (GetParam()) {
      case Via::kVirtual: name = recorder->Target(); break;
      case Via::kRfc2217:
        server = std::make_unique<serial::Rfc2217Server>(recorder->Shared());
        ASSERT_TRUE(server->Listen());
        name = "rfc2217://127.0.0.1:" + std::to_string(server->BoundPort());
        break;
      case Via::kComName: {
        // ctest runs each case in its own process at once: one file each.
        portsFile = scratch.File("ports");
        std::ofstream(portsFile) << "COM9=" << recorder->Target() << "\n";
        serial::SetPortsFilePathForTesting(portsFile.string());
        serial::SetDeviceScanForTesting("", "");
        name = "\\\\.\\COM9";
        break;
      }
    }
    comm.SetDeviceName(name);
    comm.SetBaudRate(br38400);
    comm.SetReadBufSize(40960);
    comm.SetWriteBufSize(32);
    comm.SetMonitorEvents(EventSet({evRxChar, evTxEmpty}));
    comm.SetFlowControl(fcNone);
    comm.Open();
    ASSERT_TRUE(comm.Enabled());
  }
  void TearDown() override {
    comm.Close();
    server.reset();
    recorder.reset();
    if (!portsFile.empty()) {
      serial::ResetPortMapForTesting();
    }
  }
  // Sends a request byte by byte, as the link layer does.
  void Send(const std::vector<std::uint8_t>& frame) {
    for (auto b : frame) {
      char c = static_cast<char>(b);
      ASSERT_EQ(comm.Write(&c, 1), 1);
      ASSERT_TRUE(PumpUntil([&] { return comm.OutQueCount() == 0; }));
    }
  }
  std::string Receive(int n) {
    EXPECT_TRUE(PumpUntil([&] { return comm.InQueCount() >= n; }));
    std::string s(static_cast<std::size_t>(n), '\0');
    EXPECT_EQ(comm.Read(s.data(), static_cast<unsigned long>(n)), n);
    return s;
  }

  std::unique_ptr<sim::RegisteredRecorder> recorder;
  std::unique_ptr<serial::Rfc2217Server> server;
  support::ScratchFolder scratch{"zarnik-comm-ports-"};
  std::filesystem::path portsFile;
  std::string name;
  TComm comm;
};

}  // namespace

TEST_P(CommOnRecorder, PresenceTestOnTheModemLines) {
  comm.SetRTSState(true);
  comm.SetDTRState(false);
  EXPECT_TRUE(PumpUntil([&] { return comm.GetModemState(1); }));  // CTS follows RTS
  EXPECT_FALSE(comm.GetModemState(2));                            // DSR stays off
  comm.SetRTSState(false);
  comm.SetDTRState(true);
  EXPECT_TRUE(PumpUntil([&] { return !comm.GetModemState(1); }));
  // With the cable out, raising RTS brings no CTS.
  recorder->Recorder().SetCablePlugged(false);
  comm.SetRTSState(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  rtl::CheckSynchronize();
  EXPECT_FALSE(comm.GetModemState(1));
  recorder->Recorder().SetCablePlugged(true);
  EXPECT_TRUE(PumpUntil([&] { return comm.GetModemState(1); }));
}

TEST_P(CommOnRecorder, ExchangesFramesByteByByte) {
  Send({0x01, 0xFE});
  std::string version = Receive(12);
  EXPECT_EQ(version.substr(0, 10), "27.03.2012");
  std::vector<std::uint8_t> covered = {0x01, 0xFE};
  covered.insert(covered.end(), version.begin(), version.begin() + 10);
  std::uint16_t cs = sim::FrameChecksum(covered.data(), covered.size());
  EXPECT_EQ(static_cast<std::uint8_t>(version[10]), cs & 0xFF);
  EXPECT_EQ(static_cast<std::uint8_t>(version[11]), cs >> 8);

  // A whole process streams through, 0xFF bytes and all.
  Send({0x06, 0xF9, 0x00});
  std::string header = Receive(18);
  const int points = static_cast<std::uint8_t>(header[10]) | (static_cast<std::uint8_t>(header[11]) << 8);
  const int channels = header[13];
  Send({0x06, 0x06});
  std::string data = Receive(points * channels * 2);
  sim::Bytes expected = recorder->Recorder().WithModel([](sim::RecorderModel& m) { return m.ProcessData(0); });
  EXPECT_EQ(sim::Bytes(data.begin(), data.end()), expected);
}

INSTANTIATE_TEST_SUITE_P(Ways, CommOnRecorder, ::testing::Values(Via::kVirtual, Via::kRfc2217, Via::kComName),
                         [](const auto& param_info) {
                           return param_info.param == Via::kVirtual   ? "Virtual"
                                  : param_info.param == Via::kRfc2217 ? "Rfc2217"
                                                                      : "ComName";
                         });
