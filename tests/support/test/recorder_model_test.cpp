#include "tests/support/recorder_model.h"

#include <gtest/gtest.h>

using namespace sim;

namespace {

std::uint16_t Le16(const Bytes& b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8)); }

// Sends a request frame at time t and answers the reply.
Bytes Exchange(RecorderModel& m, const Bytes& request, double t = 0) {
  Bytes out;
  m.Receive(request, t, out);
  return out;
}

// Checks a checksummed reply: covered = request bytes + reply data.
void ExpectChecksum(const Bytes& requestHead, const Bytes& reply) {
  ASSERT_GE(reply.size(), 2u);
  Bytes covered = requestHead;
  covered.insert(covered.end(), reply.begin(), reply.end() - 2);
  EXPECT_EQ(FrameChecksum(covered), Le16(reply, reply.size() - 2));
}

Bytes WithChecksum(Bytes frame) {
  std::uint16_t cs = FrameChecksum(frame);
  frame.push_back(static_cast<std::uint8_t>(cs));
  frame.push_back(static_cast<std::uint8_t>(cs >> 8));
  return frame;
}

}  // namespace

TEST(FrameChecksum, WorkedValues) {
  EXPECT_EQ(FrameChecksum({0x01, 0xFE}), 0x68E9);
  EXPECT_EQ(FrameChecksum({0x01, 0xFE, 0x00}), 0xE940);
  EXPECT_EQ(FrameChecksum({0x08, 0xF7}), 0xF91B);
  EXPECT_EQ(FrameChecksum({}), 0x5AA5);
}

TEST(FrameChecksum, RunsOnFromAGivenRegister) {
  std::uint16_t reg = FrameChecksum({0x01, 0xFE});
  EXPECT_EQ(ChecksumUpdate(reg, 0x00), 0xE940);
}

TEST(DateTimeSeconds, RoundTripsAcrossLeapDaysAndYears) {
  for (DateTime t : {DateTime{2000, 1, 1, 0, 0, 0}, DateTime{2012, 2, 29, 23, 59, 59}, DateTime{2013, 12, 31, 12, 0, 1},
                     DateTime{2099, 3, 1, 0, 0, 0}}) {
    EXPECT_EQ(FromSeconds(ToSeconds(t)), t);
  }
  EXPECT_EQ(ToSeconds(DateTime{2000, 1, 2, 0, 0, 0}), 86400);
}

TEST(RecorderModel, AnswersVersionDeviceTypeJobAndCalibrationWithChecksums) {
  RecorderModel m;
  m.firmware = "27.03.2012";
  Bytes v = Exchange(m, {0x01, 0xFE});
  ASSERT_EQ(v.size(), 12u);
  EXPECT_EQ(std::string(v.begin(), v.begin() + 10), "27.03.2012");
  ExpectChecksum({0x01, 0xFE}, v);

  Bytes type = Exchange(m, {0x11, 0xEE});
  ASSERT_EQ(type.size(), 5u);
  ExpectChecksum({0x11, 0xEE}, type);

  m.job = Job{90, 1441, 1};
  Bytes job = Exchange(m, {0x03, 0xFC});
  ASSERT_EQ(job.size(), 7u);
  EXPECT_EQ(Le16(job, 0), 90);
  EXPECT_EQ(Le16(job, 2), 1441);
  EXPECT_EQ(job[4], 1);
  ExpectChecksum({0x03, 0xFC}, job);

  Bytes cal = Exchange(m, {0x09, 0xF6});
  ASSERT_EQ(cal.size(), 10u);
  ExpectChecksum({0x09, 0xF6}, cal);
}

TEST(RecorderModel, WritesClockJobAndCalibrationOnlyWithAGoodChecksum) {
  RecorderModel m;
  Bytes clock = WithChecksum({0x02, 0xFD, 7, 5, 9, 7, 3, 13});
  EXPECT_EQ(Exchange(m, clock, 1e6), Bytes{0x02});
  EXPECT_EQ(m.ClockAt(1e6), (DateTime{2013, 3, 7, 9, 5, 7}));
  EXPECT_EQ(m.ClockAt(1e6 + 61e6), (DateTime{2013, 3, 7, 9, 6, 8}));

  Bytes job = WithChecksum({0x04, 0xFB, 30, 0, 0x10, 0x27, 2});
  EXPECT_EQ(Exchange(m, job, 2e6), Bytes{0x04});
  EXPECT_EQ(m.job.delay, 30);
  EXPECT_EQ(m.job.points, 10000);
  EXPECT_EQ(m.job.period, 2);

  job[7] ^= 1;  // a damaged checksum is refused and changes nothing
  EXPECT_EQ(Exchange(m, job, 3e6), Bytes{0x00});
  EXPECT_EQ(m.job.points, 10000);

  Bytes cal = WithChecksum({0x0A, 0xF5, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE});
  EXPECT_EQ(Exchange(m, cal, 4e6), Bytes{0x0A});
  EXPECT_EQ(m.a1, 0xEEEEEEEEu);
}

TEST(RecorderModel, DirectoryListsHeadersWithARunningChecksum) {
  RecorderModel m;
  m.AddProcess(MakeProcess(100, 3));
  m.AddProcess(MakeProcess(50, 4, DateTime{2013, 4, 1, 10, 0, 0}));
  Bytes head = Exchange(m, {0x05, 0xFA});
  ASSERT_EQ(head.size(), 12u);
  EXPECT_EQ(head[8], 2);  // process count
  ExpectChecksum({0x05, 0xFA}, head);

  Bytes rest = Exchange(m, {0x05, 0x05});
  ASSERT_EQ(rest.size(), 2u * 16 + 2);
  Bytes covered = {0x05, 0xFA};
  covered.insert(covered.end(), head.begin(), head.end() - 2);
  covered.insert(covered.end(), rest.begin(), rest.end() - 2);
  EXPECT_EQ(FrameChecksum(covered), Le16(rest, rest.size() - 2));
  // Slot numbers sit in the top byte of each header's address word.
  EXPECT_EQ(rest[3], 0);
  EXPECT_EQ(rest[16 + 3], 1);
  EXPECT_EQ(Le16(rest, 16 + 10), 50);
  EXPECT_EQ(rest[16 + 13], 4);
}

TEST(RecorderModel, StreamsAProcessAfterItsHeaderOrDeclinesIt) {
  RecorderModel m;
  ProcessSpec spec = MakeProcess(21706, 3);
  ASSERT_EQ(m.AddProcess(spec), 0);
  Bytes header = Exchange(m, {0x06, 0xF9, 0x00});
  ASSERT_EQ(header.size(), 18u);
  ExpectChecksum({0x06, 0xF9, 0x00}, header);
  EXPECT_EQ(Le16(header, 10), 21706);
  EXPECT_EQ((header[0] | (header[1] << 8) | ((header[2] & 1) << 16)), 0x340);
  EXPECT_TRUE(header[2] & 0x20);  // SHT21

  Bytes data = Exchange(m, {0x06, 0x06});
  ASSERT_EQ(data.size(), 21706u * 3 * 2);
  for (std::size_t i = 0; i < spec.samples.size(); i += 997) EXPECT_EQ(Le16(data, 2 * i), spec.samples[i]) << i;

  Exchange(m, {0x06, 0xF9, 0x00});
  EXPECT_TRUE(Exchange(m, {0x00, 0x00}).empty());
  EXPECT_EQ(Exchange(m, {0x06, 0xF9, 0x01}), Bytes{0xFF});  // no such process
}

TEST(RecorderModel, FullMemoryAndDirectoryLimits) {
  RecorderModel m;
  EXPECT_EQ(m.AddProcess(MakeProcess(21707, 3)), -1);  // 130242 bytes do not fit
  EXPECT_EQ(m.AddProcess(MakeProcess(13024, 5)), 0);   // exactly 130240 bytes do
  EXPECT_EQ(m.AddProcess(MakeProcess(1, 3)), -1);
  m.ClearArchive();
  for (int i = 0; i < kMaxProcesses; ++i) ASSERT_EQ(m.AddProcess(MakeProcess(10, 3)), i);
  EXPECT_EQ(m.AddProcess(MakeProcess(10, 3)), -1);
}

TEST(RecorderModel, ProcessesWrapAroundTheEndOfMemory) {
  RecorderModel m;
  ASSERT_EQ(m.AddProcess(MakeProcess(20000, 3)), 0);
  m.DeleteProcess(0);
  ProcessSpec spec = MakeProcess(5000, 3);
  ASSERT_EQ(m.AddProcess(spec), 0);
  Bytes data = m.ProcessData(0);
  ASSERT_EQ(data.size(), spec.samples.size() * 2);
  for (std::size_t i = 0; i < spec.samples.size(); ++i) ASSERT_EQ(Le16(data, 2 * i), spec.samples[i]) << i;
}

TEST(RecorderModel, DeletionEchoesTheChecksumThenShiftsTheDirectory) {
  RecorderModel m;
  for (int i = 0; i < 5; ++i) m.AddProcess(MakeProcess(10 + i, 3));
  Bytes echo = Exchange(m, {0x07, 0xF8, 0x03});
  ASSERT_EQ(echo.size(), 2u);
  EXPECT_EQ(Le16(echo, 0), FrameChecksum({0x07, 0xF8, 0x03}));
  EXPECT_EQ(Exchange(m, {0x07, 0x07}), Bytes{0x07});
  ASSERT_EQ(m.ProcessCount(), 4);
  Header h = m.HeaderAt(3);
  EXPECT_EQ(h[3], 3);    // the former slot 4, renumbered
  EXPECT_EQ(h[10], 14);  // with its own points
}

TEST(RecorderModel, ClearsTheArchiveOnlyWithTheRightChecksum) {
  RecorderModel m;
  m.AddProcess(MakeProcess(10, 3));
  EXPECT_EQ(Exchange(m, {0x08, 0xF7, 0x00, 0x00}), Bytes{0x00});
  EXPECT_EQ(m.ProcessCount(), 1);
  EXPECT_EQ(Exchange(m, {0x08, 0xF7, 0x1B, 0xF9}), Bytes{0x08});
  EXPECT_EQ(m.ProcessCount(), 0);
}

TEST(RecorderModel, StartAndStopReportTheirState) {
  RecorderModel m;
  EXPECT_EQ(Exchange(m, {0x0D, 0xF2, 0x3F, 0x5A}), (Bytes{0x0D, 0x0D}));
  EXPECT_EQ(Exchange(m, {0x0D, 0xF2, 0x3F, 0x5A}), (Bytes{0x0D, 0x01}));
  EXPECT_EQ(Exchange(m, {0x0E, 0xF1, 0xC0, 0xA5}), (Bytes{0x0E, 0x0E}));
  EXPECT_EQ(Exchange(m, {0x0E, 0xF1, 0xC0, 0xA5}), (Bytes{0x0E, 0x00}));
}

TEST(RecorderModel, DiagnosticsAnswerLayout) {
  RecorderModel m;
  m.AddProcess(MakeProcess(10, 3));
  m.SetClock(DateTime{2013, 3, 7, 9, 5, 7}, 0);
  m.rawT = 0x7FFF;
  m.rawRH = 0xFFFF;
  m.rawShrink = 12000;
  m.SetSht21(false);
  Bytes d = Exchange(m, {0x0B, 0xF4}, 2e6);
  ASSERT_EQ(d.size(), 48u);
  EXPECT_EQ((Bytes(d.begin(), d.begin() + 6)), (Bytes{9, 5, 9, 7, 3, 13}));
  EXPECT_EQ(Le16(d, 26), 0x7FFF);
  EXPECT_EQ(Le16(d, 28), 0xFFFF);
  EXPECT_EQ(Le16(d, 30), 12000);
  EXPECT_FALSE(d[32 + 2] & 0x20);  // SHT15 in the header's bit 21
  m.SetSht21(true);
  d = Exchange(m, {0x0B, 0xF4}, 3e6);
  EXPECT_TRUE(d[32 + 2] & 0x20);
}

TEST(RecorderModel, FlashDumpPagesAndTheEndMark) {
  RecorderModel m;
  m.AddProcess(MakeProcess(100, 3));
  EXPECT_TRUE(Exchange(m, {0x0C, 0xF3}).empty());
  for (std::uint32_t address : {0x000u, 0x300u, 0x1FF00u}) {
    Bytes addr = {std::uint8_t(address), std::uint8_t(address >> 8), std::uint8_t(address >> 16)};
    Bytes echo = Exchange(m, addr);
    ASSERT_EQ(echo.size(), 2u);
    EXPECT_EQ(Le16(echo, 0), FrameChecksum(addr));
    Bytes page = Exchange(m, {0x0C, 0x0C});
    ASSERT_EQ(page.size(), 258u);
    EXPECT_EQ(Le16(page, 256), FrameChecksum(page.data(), 256));
    EXPECT_TRUE(std::equal(page.begin(), page.begin() + 256, m.Flash().begin() + address));
  }
  EXPECT_EQ(Exchange(m, {0x0C, 0xF3, 0x00, 0x00, 0x00}).size(), 2u);  // a new attempt restarts
  Exchange(m, {0x0C, 0x0C});
  EXPECT_TRUE(Exchange(m, {0xFF, 0xFF, 0xFF}).empty());
  EXPECT_EQ(Exchange(m, {0x01, 0xFE}).size(), 12u);  // back to requests
  EXPECT_EQ(m.Flash()[4], 0x21);
}

TEST(RecorderModel, ScriptedFaults) {
  RecorderModel m;
  m.AddProcess(MakeProcess(1000, 3));

  m.faults.silentRequests = 1;
  EXPECT_TRUE(Exchange(m, {0x01, 0xFE}).empty());
  EXPECT_EQ(Exchange(m, {0x01, 0xFE}).size(), 12u);

  m.faults.badChecksums = 1;
  Bytes bad = Exchange(m, {0x01, 0xFE});
  Bytes covered = {0x01, 0xFE};
  covered.insert(covered.end(), bad.begin(), bad.end() - 2);
  EXPECT_NE(FrameChecksum(covered), Le16(bad, 10));

  m.faults.badEchoes = 1;
  Bytes echo = Exchange(m, {0x07, 0xF8, 0x00});
  ASSERT_EQ(echo.size(), 2u);
  EXPECT_NE(Le16(echo, 0), FrameChecksum({0x07, 0xF8, 0x00}));  // a wrong echo
  m.ResetLink();

  m.faults.emptySlots = {0};
  EXPECT_EQ(Exchange(m, {0x06, 0xF9, 0x00}), Bytes{0xFF});
  m.faults.emptySlots.clear();

  m.faults.cutStreamAfter = 777;
  Exchange(m, {0x06, 0xF9, 0x00});
  EXPECT_EQ(Exchange(m, {0x06, 0x06}).size(), 777u);
  Exchange(m, {0x06, 0xF9, 0x00});
  EXPECT_EQ(Exchange(m, {0x06, 0x06}).size(), 6000u);  // only once

  m.faults.noiseBytes = 5;
  EXPECT_EQ(Exchange(m, {0x01, 0xFE}).size(), 17u);

  m.faults.directoryCount = 200;
  EXPECT_EQ(Exchange(m, {0x05, 0xFA})[8], 200);
}

TEST(RecorderModel, ResynchronisesOnGarbageAndAfterAPause) {
  RecorderModel m;
  // Garbage before a request is skipped.
  EXPECT_EQ(Exchange(m, {0x33, 0x01, 0x01, 0xFE}).size(), 12u);
  // A half-sent clock frame is forgotten after a pause.
  Bytes out;
  m.Receive(Bytes{0x02, 0xFD, 1, 2}, 0, out);
  m.Receive(Bytes{0x01, 0xFE}, 1e6, out);
  EXPECT_EQ(out.size(), 12u);
}
