// A full 21,706-point 3-channel process streamed by the simulated recorder
// through RFC 2217 on loopback and read through the serial component the way
// the program's link layer reads it: requests sent a byte at a time, the
// receive queue polled every millisecond, one record read at a time, the event
// thread's hand-overs served meanwhile. The paced run must arrive within 1.05
// times its wire time at 38400 baud (counter "ratio").
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "comm/Comm.h"
#include "platform/serial/rfc2217_server.h"
#include "tests/support/simulated_recorder.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPoints = 21706;
constexpr int kChannels = 3;

void Pump() { rtl::CheckSynchronize(); }

void SendFrame(comm::TComm& c, std::initializer_list<std::uint8_t> frame) {
  for (auto b : frame) {
    char ch = static_cast<char>(b);
    c.Write(&ch, 1);
    while (c.OutQueCount() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

bool WaitForBytes(comm::TComm& c, int n) {
  auto last = Clock::now();
  int previous = 0;
  for (;;) {
    int count = c.InQueCount();
    if (count >= n) return true;
    if (count != previous) {
      previous = count;
      last = Clock::now();
      Pump();
    } else if (Clock::now() - last > std::chrono::seconds(2)) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void StreamFullProcess(benchmark::State& state, bool paced) {
  auto recorder = std::make_shared<sim::SimulatedRecorder>();
  recorder->WithModel([](sim::RecorderModel& m) { return m.AddProcess(sim::MakeProcess(kPoints, kChannels)); });
  if (paced) recorder->SetPacing(38400);
  serial::Rfc2217Server server(recorder);
  if (!server.Listen()) {
    state.SkipWithError("cannot listen on loopback");
    return;
  }
  comm::TComm port;
  port.SetDeviceName("rfc2217://127.0.0.1:" + std::to_string(server.BoundPort()));
  port.SetBaudRate(comm::br38400);
  port.SetReadBufSize(40960);
  port.SetWriteBufSize(32);
  port.SetMonitorEvents(comm::EventSet({comm::evRxChar, comm::evTxEmpty}));
  port.Open();
  if (!port.Enabled()) {
    state.SkipWithError("cannot open the port");
    return;
  }
  const double wireSeconds = double(kPoints) * kChannels * 2 * 10 / 38400.0;
  double total = 0;
  for (auto _ : state) {
    SendFrame(port, {0x06, 0xF9, 0x00});
    char header[18];
    if (!WaitForBytes(port, 18) || port.Read(header, 18) != 18) {
      state.SkipWithError("no header");
      break;
    }
    auto start = Clock::now();
    SendFrame(port, {0x06, 0x06});
    char record[kChannels * 2];
    for (int k = 0; k < kPoints; ++k) {
      if (!WaitForBytes(port, kChannels * 2)) {
        state.SkipWithError("the stream stopped");
        break;
      }
      port.Read(record, sizeof record);
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    total += seconds;
  }
  port.Close();
  state.counters["wire_s"] = paced ? wireSeconds : 0;
  state.counters["ratio"] = paced ? total / state.iterations() / wireSeconds : 0;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kPoints * kChannels * 2);
}

void BM_FullProcessAtLineRate(benchmark::State& state) { StreamFullProcess(state, true); }
void BM_FullProcessUnpaced(benchmark::State& state) { StreamFullProcess(state, false); }

}  // namespace

BENCHMARK(BM_FullProcessAtLineRate)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_FullProcessUnpaced)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
