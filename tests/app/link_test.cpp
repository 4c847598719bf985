// The link layer and the command set against the simulated recorder on a
// polled line, with the clock injected (no test waits in real time).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "platform/rtl/datetime.h"
#include "platform/serial/port_map.h"
#include "tests/app/fake_line.h"
#include "tests/support/simulated_recorder.h"
#include "tests/support/watchdog.h"

using namespace rtl::literals;
using apptest::FakeLine;
using apptest::RecordingView;

namespace {

class LinkTest : public ::testing::Test {
 protected:
  LinkTest() : use(clock), line(clock), link(line, view) { line.Open(); }
  int CountRequests(std::uint8_t code) {
    int n = 0;
    for (auto c : line.Requests()) n += c == code;
    return n;
  }
  rtl::ManualClock clock{100000};
  rtl::ScopedClock use;
  FakeLine line;
  RecordingView view;
  app::TRecorderLink link;
};

}  // namespace

TEST(FrameChecksum, WorkedValues) {
  const std::uint8_t a[] = {0x01, 0xFE, 0x00};
  EXPECT_EQ(app::FrameChecksum(a, 2), 0x68E9);
  EXPECT_EQ(app::FrameChecksum(a, 3), 0xE940);
  EXPECT_EQ(app::FrameChecksum(a, 0), 0x5AA5);
  // The same as the recorder computes, over a long run of bytes.
  std::vector<std::uint8_t> bytes(1000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = std::uint8_t(i * 37 + 11);
  EXPECT_EQ(app::FrameChecksum(bytes.data(), bytes.size()), sim::FrameChecksum(bytes.data(), bytes.size()));
}

TEST_F(LinkTest, ChecksumRegisterFeedsByteByByte) {
  link.ChecksumSeed();
  link.ChecksumUpdate(0x01);
  link.ChecksumUpdate(0xFE);
  EXPECT_EQ(link.Checksum(), 0x68E9);
  const std::uint8_t zero = 0;
  link.ChecksumBlock(&zero, 1);
  EXPECT_EQ(link.Checksum(), 0xE940);
}

TEST(PortList, NumbersSortedFirstTenBadNamesSkipped) {
  EXPECT_EQ(app::PortNumbersFromNames({}), std::vector<int>{});
  EXPECT_EQ(app::PortNumbersFromNames({"COM7", "COM3", "COM12"}), (std::vector<int>{3, 7, 12}));
  EXPECT_EQ(app::PortNumbersFromNames({"COM2", "COMx", "COM", "LPT1x", "COM5"}), (std::vector<int>{2, 5}));
  std::vector<std::string> eleven;
  for (int i = 11; i >= 1; --i) eleven.push_back("COM" + std::to_string(i));
  EXPECT_EQ(app::PortNumbersFromNames(eleven), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST_F(LinkTest, PresenceTestMatrix) {
  struct Case {
    const char* what;
    bool plugged, ctsStuck, dsr;
    bool present;
  } cases[] = {
      {"CTS follows RTS, DSR off", true, false, false, true},
      {"CTS always on", true, true, false, false},
      {"DSR on", true, false, true, false},
      {"nothing on the line", false, false, false, false},
  };
  for (const auto& c : cases) {
    line.plugged = c.plugged;
    line.ctsStuck = c.ctsStuck;
    line.dsrOn = c.dsr;
    const auto before = clock.NowMs();
    EXPECT_EQ(link.PresenceTest(), c.present) << c.what;
    EXPECT_FALSE(line.rts()) << c.what;
    EXPECT_TRUE(line.dtr()) << c.what;
    EXPECT_GE(clock.NowMs() - before, 200u) << c.what;
  }
}

namespace {
// A ports file naming the given COM numbers, in force for the test's life.
class PortsFile {
 public:
  explicit PortsFile(std::vector<int> numbers) {
    path_ = std::filesystem::temp_directory_path() / ("zarnik-app-ports-" + std::to_string(std::random_device{}()));
    std::ofstream f(path_);
    for (int n : numbers) f << "COM" << n << "=virtual:none" << n << "\n";
    f.close();
    serial::SetPortsFilePathForTesting(path_.string());
    serial::SetDeviceScanForTesting("", "");
  }
  ~PortsFile() {
    serial::ResetPortMapForTesting();
    std::filesystem::remove(path_);
  }

 private:
  std::filesystem::path path_;
};
using Kind = apptest::RecordingView::Kind;
using app::TPortAnswer;
}  // namespace

TEST_F(LinkTest, OpeningAsksAboutMissingHeldAndAbsentPorts) {
  PortsFile ports({4, 1});
  line.Close();
  // Port 2 does not exist: Retry lists again, Ignore gives up with the port closed.
  view.portAnswers = {TPortAnswer::Retry, TPortAnswer::Ignore};
  link.OpenComPort(2);
  ASSERT_EQ(view.asked.size(), 2u);
  EXPECT_EQ(view.asked[0].first,
            "Выбранный COM-порт (COM2) не существует.\nСвязь с прибором невозможна.\nПродолжить выполнение?"_cp);
  EXPECT_EQ(view.asked[0].second, Kind::PortProblem);
  EXPECT_EQ(view.ports, (std::vector<int>{1, 4}));
  EXPECT_EQ(view.checkedPort, 0);
  EXPECT_FALSE(line.Enabled());

  // Held by another program, then Abort: the program ends with 1.
  view.asked.clear();
  line.exists = false;
  view.portAnswers = {TPortAnswer::Abort};
  link.OpenComPort(4);
  ASSERT_EQ(view.asked.size(), 1u);
  EXPECT_EQ(
      view.asked[0].first,
      "Выбранный COM-порт (COM4) открыт другой программой. \nСвязь с прибором невозможна.\nПродолжить выполнение?"_cp);
  EXPECT_EQ(view.haltCode, 1);
  EXPECT_EQ(view.checkedPort, 4);

  // Open, but no recorder: Ignore leaves the port open.
  view.asked.clear();
  line.exists = true;
  line.plugged = false;
  view.portAnswers = {TPortAnswer::Retry, TPortAnswer::Ignore};
  link.OpenComPort(1);
  ASSERT_EQ(view.asked.size(), 2u);
  EXPECT_EQ(
      view.asked[0].first,
      "Прибор не подключен к выбранному COM-порту (COM1).\nСвязь с прибором невозможна.\nПродолжить выполнение?"_cp);
  EXPECT_TRUE(line.Enabled());
  EXPECT_EQ(line.deviceName, "\\\\.\\COM1");
  EXPECT_EQ(line.baud, comm::br38400);

  // With the recorder there, no question.
  view.asked.clear();
  line.plugged = true;
  link.OpenComPort(1);
  EXPECT_TRUE(view.asked.empty());
}

TEST_F(LinkTest, WaitingLampsTimeOutAndCancel) {
  // Nothing comes: time-out once 2 s have passed without a byte; the lamp turned red after 1 s.
  auto start = clock.NowMs();
  EXPECT_EQ(link.WaitForBytes(3), app::TWaitResult::TimedOut);
  EXPECT_GT(clock.NowMs() - start, 2000u);
  EXPECT_LT(clock.NowMs() - start, 2010u);
  EXPECT_EQ(view.lamps.back(), app::TLamp::Red);

  // A reply that trickles in with gaps of 1.5 s is awaited as long as it comes.
  int sent = 0;
  clock.OnSleep = [&](std::uint32_t) {
    if (sent < 6 && clock.NowMs() - start >= std::uint64_t(1500 * (sent + 1))) {
      line.Inject({std::uint8_t(sent)});
      ++sent;
    }
  };
  start = clock.NowMs();
  EXPECT_EQ(link.WaitForBytes(6), app::TWaitResult::Arrived);
  EXPECT_GE(clock.NowMs() - start, 9000u);
  clock.OnSleep = nullptr;
  line.PurgeIn();

  // Cancel during a wait ends it at the next poll.
  view.onPump = [&] { link.SetCancel(true); };
  EXPECT_EQ(link.WaitForBytes(1), app::TWaitResult::Cancelled);
  view.onPump = nullptr;
  link.SetCancel(false);
  // A closed port reports -1 bytes: the wait ends as a time-out.
  line.Close();
  EXPECT_EQ(link.WaitForBytes(1), app::TWaitResult::TimedOut);
}

TEST_F(LinkTest, SendingSpacesBytesAndFlushesFirst) {
  line.Inject({1, 2, 3});
  const auto start = clock.NowMs();
  link.SendCommand({0x01, 0xFE});
  // Each byte, then 2 ms; 5 ms after the last; stale input is gone first.
  EXPECT_GE(clock.NowMs() - start, 2u * 2 + 5);
  EXPECT_EQ(line.written, (std::vector<std::uint8_t>{0x01, 0xFE}));
  std::uint8_t reply[12];
  ASSERT_EQ(link.WaitForBytes(12), app::TWaitResult::Arrived);
  EXPECT_EQ(link.Read(reply, 12), 12);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(reply), 10), "27.03.2012");
}

TEST_F(LinkTest, VersionAnswerLateBadOrSilent) {
  struct Case {
    const char* what;
    int latency, silent, badChecksums, noise;
    int requests;
  } cases[] = {
      {"at once", 0, 0, 0, 0, 1},
      {"after 1.5 s: red lamp, no resend", 1500, 0, 0, 0, 1},
      {"two silent requests", 0, 2, 0, 0, 3},
      {"bad checksum resends at once", 0, 0, 1, 0, 2},
      {"garbage ahead of the answer", 0, 0, 0, 5, 2},
  };
  for (const auto& c : cases) {
    line.model.requests.clear();
    view.lamps.clear();
    line.latencyMs = c.latency;
    line.model.faults.silentRequests = c.silent;
    line.model.faults.badChecksums = c.badChecksums;
    line.model.faults.noiseBytes = c.noise;
    EXPECT_EQ(link.ReadFirmwareVersion(), app::TExchangeResult::Done) << c.what;
    EXPECT_EQ(CountRequests(0x01), c.requests) << c.what;
    EXPECT_EQ(view.panels[0], "Версия программы прибора 27.03.2012"_cp) << c.what;
    EXPECT_EQ(view.panels[1], "Чтение версии..."_cp) << c.what;
    if (c.latency) {
      EXPECT_NE(std::find(view.lamps.begin(), view.lamps.end(), app::TLamp::Red), view.lamps.end());
    }
    line.PurgeIn();
  }
}

TEST_F(LinkTest, VersionDatesEnableRecordingAndDeviceTypeDisablesIt) {
  struct Case {
    const char* version;
    const char* type;
    bool enabled, afterType;
  } cases[] = {
      {"26.03.2012", "1x0", false, false}, {"27.03.2012", "1x0", true, true},   {"01.01.2013", "1x0", true, true},
      {"31.12.2011", "1x0", false, false}, {"28.02.2012", "1x0", false, false}, {"01.04.2012", "2x1", true, false},
      {"27.03.2012", "2q1", true, false},  {"27.03.2012", "2x0", true, true},
  };
  for (const auto& c : cases) {
    line.model.firmware = c.version;
    line.model.deviceType = c.type;
    view.recordingEnabled = !c.enabled;
    ASSERT_EQ(link.ReadFirmwareVersion(), app::TExchangeResult::Done);
    EXPECT_EQ(view.recordingEnabled, c.enabled) << c.version;
    ASSERT_EQ(link.ReadDeviceType(), app::TExchangeResult::Done);
    EXPECT_EQ(view.recordingEnabled, c.afterType) << c.version << " " << c.type;
  }
}

namespace {
rtl::ManualClock* g_clock = nullptr;
rtl::TDateTime TestNow() {
  return rtl::EncodeDateTime(2013, 11, 5, 9, 30, 15, 0) + double(g_clock->NowMs() - 100000) / 86400000.0;
}
}  // namespace

TEST_F(LinkTest, ClockRequestCarriesTheTimeOfItsAttempt) {
  g_clock = &clock;
  auto previous = rtl::SetNowSource(TestNow);
  line.model.faults.silentRequests = 1;
  EXPECT_EQ(link.SetDeviceClock(), app::TExchangeResult::Done);
  rtl::SetNowSource(previous);
  // Two frames of 10 bytes; the second carries a later second.
  ASSERT_EQ(line.written.size(), 20u);
  EXPECT_EQ(line.written[0], 0x02);
  EXPECT_EQ(line.written[10], 0x02);
  EXPECT_EQ(line.written[5], 5);
  EXPECT_EQ(line.written[6], 11);
  EXPECT_EQ(line.written[7], 13);
  EXPECT_GT(line.written[12], line.written[2]);
  const auto cs = app::FrameChecksum(line.written.data() + 10, 8);
  EXPECT_EQ(line.written[18], cs & 0xFF);
  EXPECT_EQ(line.written[19], cs >> 8);
  EXPECT_EQ(line.model.ClockAt(double(clock.NowMs()) * 1000).day, 5);
}

TEST_F(LinkTest, DirectoryCountsAndDamagedAnswers) {
  // No processes: "Процессов нет", no 05 05 sent, busy cleared.
  link.SetBusy(true);
  EXPECT_EQ(link.ReadDirectory(), app::TExchangeResult::Done);
  EXPECT_EQ(view.panels[1], "Процессов нет"_cp);
  EXPECT_EQ(app::Recorder().ProcessCount, 0);
  EXPECT_FALSE(link.Busy());
  EXPECT_EQ(line.written, (std::vector<std::uint8_t>{0x05, 0xFA}));

  // A count of 50 or 200 is damaged memory.
  for (int count : {50, 200}) {
    view.panels[0].clear();
    line.model.faults.directoryCount = count;
    EXPECT_EQ(link.ReadDirectory(), app::TExchangeResult::Done);
    EXPECT_EQ(view.panels[0], "Испорчены параметры прибора. Очистите архив."_cp) << count;
    EXPECT_EQ(app::Recorder().ProcessCount, 0);
  }

  // Three processes; the final checksum is wrong once: read again after the line is quiet.
  sim::AddDemoProcesses(line.model);
  line.written.clear();
  line.onWrite = [&](FakeLine& l) {
    const auto& w = l.written;
    if (w.size() >= 2 && w[w.size() - 2] == 0x05 && w.back() == 0xFA) {  // the answer is out; spoil the final checksum
      l.model.faults.badChecksums = 1;
      l.onWrite = nullptr;
    }
  };
  EXPECT_EQ(link.ReadDirectory(), app::TExchangeResult::Done);
  int rounds = 0;
  for (std::size_t i = 0; i + 1 < line.written.size(); ++i)
    rounds += line.written[i] == 0x05 && line.written[i + 1] == 0xFA;
  EXPECT_EQ(rounds, 2);
  EXPECT_EQ(app::Recorder().ProcessCount, 3);
  EXPECT_EQ(link.DirectoryPoints(), 577 + 289 + 145);
  for (int slot = 0; slot < 3; ++slot) {
    auto h = line.model.HeaderAt(slot);
    EXPECT_TRUE(std::equal(h.begin(), h.end(), app::Recorder().Directory[std::size_t(slot)].Bytes.begin()));
  }
  EXPECT_EQ(app::Recorder().Directory[3].Points(), 0);
  EXPECT_EQ(app::Recorder().Battery[0], 3450);
}

// A guard released early never frees the link for someone who took it after.
TEST_F(LinkTest, BusyGuardHoldsOnceAndReleasesOnlyItsOwnHold) {
  {
    app::TLinkBusy first(link);
    ASSERT_TRUE(first.Acquired());
    {
      const app::TLinkBusy second(link);
      EXPECT_FALSE(second.Acquired());
    }
    EXPECT_TRUE(link.Busy());  // the refused guard left the hold alone
    first.Release();
    EXPECT_FALSE(link.Busy());
    app::TLinkBusy next(link);
    EXPECT_TRUE(next.Acquired());
    first.Release();
    EXPECT_TRUE(link.Busy());
  }
  EXPECT_FALSE(link.Busy());
}

TEST_F(LinkTest, ClearingTheArchiveAndRecordingCommands) {
  sim::AddDemoProcesses(line.model);
  // No keeps everything.
  view.confirmAnswers = {false};
  link.ClearGaugeArchive();
  EXPECT_EQ(line.model.ProcessCount(), 3);
  EXPECT_EQ(view.asked.back().second, Kind::Confirm);
  // Answered first with a wrong byte: sent twice, then "Архив очищен".
  line.model.faults.badEchoes = 1;
  view.confirmAnswers = {true};
  link.ClearGaugeArchive();
  EXPECT_EQ(CountRequests(0x08), 2);
  EXPECT_EQ(view.panels[0], "Архив очищен"_cp);
  EXPECT_EQ(line.model.ProcessCount(), 0);
  // Refused while another exchange runs.
  link.SetBusy(true);
  view.asked.clear();
  link.ClearGaugeArchive();
  EXPECT_TRUE(view.asked.empty());
  link.SetBusy(false);
  // Taken by another operation while the question was up: nothing is sent,
  // and the other operation keeps the link.
  sim::AddDemoProcesses(line.model);
  view.confirmAnswers = {true};
  view.onConfirm = [&] { link.SetBusy(true); };
  link.ClearGaugeArchive();
  view.onConfirm = nullptr;
  EXPECT_EQ(CountRequests(0x08), 2);
  EXPECT_EQ(line.model.ProcessCount(), 3);
  EXPECT_TRUE(link.Busy());
  link.SetBusy(false);

  link.ProcStart();
  EXPECT_EQ(view.panels[0], "Процесс запущен"_cp);
  link.ProcStart();
  EXPECT_EQ(view.panels[0], "Процесс уже был запущен ранее"_cp);
  link.ProcStop();
  EXPECT_EQ(view.panels[0], "Процесс остановлен"_cp);
  link.ProcStop();
  EXPECT_EQ(view.panels[0], "Процесс уже был остановлен ранее"_cp);
  // One attempt only: a wrong answer or silence is a link error.
  view.asked.clear();
  line.plugged = false;
  line.onWrite = [](FakeLine& l) {
    if (l.written.back() == 0x5A) l.Inject({0x0D, 0x02});
  };
  link.ProcStart();
  line.onWrite = nullptr;
  link.ProcStop();
  ASSERT_EQ(view.asked.size(), 2u);
  EXPECT_EQ(view.asked[0].first, "Ошибка связи с прибором"_cp);
  EXPECT_EQ(view.asked[0].second, Kind::LinkError);
  EXPECT_FALSE(link.Busy());
}

TEST_F(LinkTest, SpacingKeepsOperationsTwoSecondsApart) {
  link.WaitSpacing();  // the first starts at once
  EXPECT_TRUE(view.panel0History.empty());
  const auto first = clock.NowMs();
  link.WaitSpacing();
  EXPECT_GE(clock.NowMs() - first, 2000u);
  EXPECT_EQ(view.panel0History.back(), "Подождите..."_cp);
}

// The tick count is 32 bits and wraps after 49.7 days of uptime; the spacing
// must hold on either side of 2^31 and across the wrap, and the first
// operation must never wait.
TEST(LinkSpacing, WrapSafeAtAnyUptime) {
  support::Watchdog watchdog;  // the loop below never ends if the fault returns
  const std::uint64_t starts[] = {0,
                                  100000,
                                  (1ull << 31) - 1000,
                                  (1ull << 31) + 5,
                                  (1ull << 31) + 86400000ull,
                                  (1ull << 32) - 1500,
                                  (1ull << 32) + 3,
                                  (1ull << 33) - 700};
  for (std::uint64_t start : starts) {
    SCOPED_TRACE(start);
    rtl::ManualClock clock(start);
    rtl::ScopedClock use(clock);
    FakeLine line(clock);
    RecordingView view;
    app::TRecorderLink link(line, view);
    link.WaitSpacing();
    EXPECT_EQ(clock.NowMs(), start) << "the first operation waited";
    EXPECT_TRUE(view.panel0History.empty());
    clock.Advance(500);
    link.WaitSpacing();
    EXPECT_GE(clock.NowMs() - start, 2000u);
    EXPECT_LT(clock.NowMs() - start, 2010u);
    // Long after the last one, the next starts at once.
    clock.Advance(3600000);
    const auto later = clock.NowMs();
    link.WaitSpacing();
    EXPECT_EQ(clock.NowMs(), later);
  }
}

TEST_F(LinkTest, JobReadAndWrite) {
  line.model.job = {30, 1441, 5};
  link.ReadJob();
  EXPECT_EQ(view.panels[1], "Задание считано"_cp);
  EXPECT_EQ(app::Recorder().Job.Delay, 30);
  EXPECT_EQ(app::Recorder().Job.Points, 1441);
  EXPECT_EQ(app::Recorder().Job.Period, 5);
  app::Recorder().Job = {0, 100, 2};
  link.WriteJob();
  EXPECT_EQ(view.panels[1], "Задание записано"_cp);
  EXPECT_EQ(view.panels[0], "Задание на процесс регистрации изменено"_cp);
  EXPECT_EQ(line.model.job.points, 100);
  EXPECT_FALSE(view.cancelVisible);
}
