// recorder-sim: serves the simulated recorder as a network serial port
// (RFC 2217) so that the program, or anything that speaks RFC 2217, can use
// it as a COM port: put "COM7=rfc2217://127.0.0.1:4001" in the ports file.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "platform/serial/rfc2217_server.h"
#include "tests/support/simulated_recorder.h"

namespace {

std::atomic<bool> stopRequested{false};

void OnSignal(int) { stopRequested = true; }

void Usage() {
  std::printf(
      "usage: recorder-sim [options]\n"
      "  --host ADDRESS   address to listen on (default 127.0.0.1)\n"
      "  --port N         TCP port (default 4001; 0 picks a free one)\n"
      "  --no-pacing      answer at once instead of at 38400 baud\n"
      "  --empty          start with an empty archive\n"
      "  --full           add a full 21706-point 3-channel process\n"
      "  --sht15          the recorder has an SHT15 humidity sensor\n"
      "  --seconds N      stop after N seconds\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string host = "127.0.0.1";
  int port = 4001;
  bool pacing = true, empty = false, full = false, sht15 = false;
  long seconds = -1;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&]() -> const char* {
      if (i + 1 >= argc) {
        Usage();
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--host")
      host = next();
    else if (a == "--port")
      port = std::atoi(next());
    else if (a == "--no-pacing")
      pacing = false;
    else if (a == "--empty")
      empty = true;
    else if (a == "--full")
      full = true;
    else if (a == "--sht15")
      sht15 = true;
    else if (a == "--seconds")
      seconds = std::atol(next());
    else {
      Usage();
      return a == "--help" || a == "-h" ? 0 : 2;
    }
  }

  auto recorder = std::make_shared<sim::SimulatedRecorder>();
  const bool fullAdded = recorder->WithModel([&](sim::RecorderModel& m) {
    m.SetSht21(!sht15);
    if (!empty) sim::AddDemoProcesses(m);
    return !full || m.AddProcess(sim::MakeProcess(21706, 3, sim::DateTime{2013, 5, 1, 6, 0, 0}, 1)) >= 0;
  });
  // The full process takes the whole memory: beside the demo processes it
  // cannot be stored, and the user should know rather than miss it.
  if (!fullAdded)
    std::fprintf(stderr,
                 "recorder-sim: the full 21706-point process does not fit beside the demo processes; "
                 "add --empty to have it alone\n");
  if (pacing) recorder->SetPacing(38400);

  serial::Rfc2217Server server(recorder);
  if (!server.Listen(host, port)) {
    std::fprintf(stderr, "recorder-sim: cannot listen on %s:%d (error %u)\n", host.c_str(), port,
                 serial::GetLastError());
    return 1;
  }
  std::printf("rfc2217://%s:%d\n", host.c_str(), server.BoundPort());
  std::fflush(stdout);

  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds < 0 ? 0 : seconds);
  while (!stopRequested && (seconds < 0 || std::chrono::steady_clock::now() < end))
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  server.Stop();
  return 0;
}
