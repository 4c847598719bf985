#include "tests/support/simulated_recorder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace sim;

namespace {

// Captures what the recorder puts on the line.
class CaptureLine : public serial::VirtualLine {
 public:
  void Send(const std::uint8_t* data, std::size_t count) override {
    std::lock_guard<std::mutex> lock(m);
    bytes.insert(bytes.end(), data, data + count);
    cv.notify_all();
  }
  void SetModemLines(serial::DWORD status) override {
    std::lock_guard<std::mutex> lock(m);
    modem = status;
  }
  void SignalLineErrors(serial::DWORD) override {}
  std::size_t Count() {
    std::lock_guard<std::mutex> lock(m);
    return bytes.size();
  }
  // Waits (really, but only for a thread hand-off) until n bytes are there.
  bool WaitFor(std::size_t n) {
    std::unique_lock<std::mutex> lock(m);
    return cv.wait_for(lock, std::chrono::seconds(5), [&] { return bytes.size() >= n; });
  }
  std::mutex m;
  std::condition_variable cv;
  Bytes bytes;
  serial::DWORD modem = 0;
};

}  // namespace

TEST(LinePacer, SpacesBytesAtTheLineRateWithoutDrift) {
  LinePacer p(260.0);
  p.Enqueue(10, 1000);
  EXPECT_EQ(p.TakeDue(1000), 0u);
  EXPECT_EQ(p.TakeDue(1259), 0u);
  EXPECT_EQ(p.TakeDue(1260), 1u);
  EXPECT_EQ(p.TakeDue(1000 + 260 * 5 + 10), 4u);  // late polls catch up on the schedule
  EXPECT_EQ(p.TakeDue(1000 + 260 * 100), 5u);
  EXPECT_EQ(p.Queued(), 0u);
  // An idle line starts at once; a busy one queues behind what is sent.
  p.Enqueue(2, 50000);
  EXPECT_EQ(p.TakeDue(50260), 1u);
  p.Enqueue(1, 50300);
  EXPECT_EQ(p.TakeDue(50520), 1u);
  EXPECT_EQ(p.TakeDue(50779), 0u);
  EXPECT_EQ(p.TakeDue(50780), 1u);
}

TEST(SimulatedRecorder, CtsFollowsRtsWhilePluggedAndDsrStaysOff) {
  auto clock = std::make_shared<ManualClock>();
  SimulatedRecorder rec(clock);
  auto line = std::make_shared<CaptureLine>();
  rec.Attach(line);
  rec.HostControlLines(true, false);
  EXPECT_EQ(line->modem, serial::DWORD(serial::MS_CTS_ON));
  rec.HostControlLines(false, true);
  EXPECT_EQ(line->modem, 0u);
  rec.HostControlLines(true, true);
  rec.SetCablePlugged(false);
  EXPECT_EQ(line->modem, 0u);
  rec.SetCablePlugged(true);
  EXPECT_EQ(line->modem, serial::DWORD(serial::MS_CTS_ON));
}

TEST(SimulatedRecorder, PacesRepliesAgainstTheInjectedClock) {
  auto clock = std::make_shared<ManualClock>();
  SimulatedRecorder rec(clock);
  auto line = std::make_shared<CaptureLine>();
  rec.Attach(line);
  rec.SetPacing(38400);
  const std::uint8_t request[] = {0x01, 0xFE};
  rec.HostBytes(request, 2);
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(line->Count(), 0u);  // no time has passed on the line
  clock->Advance(kByteTimeUs38400 * 6 + 1);
  ASSERT_TRUE(line->WaitFor(6));
  EXPECT_LE(line->Count(), 6u);
  clock->Advance(kByteTimeUs38400 * 6);
  ASSERT_TRUE(line->WaitFor(12));
  EXPECT_EQ(line->Count(), 12u);
}

TEST(SimulatedRecorder, APulledCableDropsRequestsAndRepliesInFlight) {
  auto clock = std::make_shared<ManualClock>();
  SimulatedRecorder rec(clock);
  auto line = std::make_shared<CaptureLine>();
  rec.Attach(line);
  rec.WithModel([](RecorderModel& m) { m.AddProcess(MakeProcess(1000, 3)); });
  rec.SetPacing(38400);
  const std::uint8_t header[] = {0x06, 0xF9, 0x00};
  rec.HostBytes(header, 3);
  clock->Advance(kByteTimeUs38400 * 18);
  ASSERT_TRUE(line->WaitFor(18));
  const std::uint8_t accept[] = {0x06, 0x06};
  rec.HostBytes(accept, 2);
  clock->Advance(kByteTimeUs38400 * 100);
  ASSERT_TRUE(line->WaitFor(118));
  rec.SetCablePlugged(false);
  std::size_t before = line->Count();
  clock->Advance(kByteTimeUs38400 * 10000);
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_LT(line->Count(), before + 5);  // the rest of the stream is lost
  const std::uint8_t version[] = {0x01, 0xFE};
  rec.HostBytes(version, 2);
  clock->Advance(kByteTimeUs38400 * 20);
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_LT(line->Count(), before + 5);  // and nothing is answered
  rec.SetCablePlugged(true);
  std::size_t now = line->Count();
  clock->Advance(1e6);  // a pause forgets any half-received frame
  rec.HostBytes(version, 2);
  clock->Advance(kByteTimeUs38400 * 12);
  ASSERT_TRUE(line->WaitFor(now + 12));
}
