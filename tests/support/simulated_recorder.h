// The simulated recorder as a device at the end of a serial line: a virtual
// peer that a port reaches in-process (virtual:<name>) or, put behind
// serial::Rfc2217Server, over the network. It answers on the line what the
// model answers, drives CTS from RTS (DSR off) for the presence test, and can
// pace its replies at the real line rate against an injectable clock.
#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/serial/virtual_device.h"
#include "tests/support/recorder_model.h"
#include "tests/support/sim_clock.h"

namespace sim {

// When each byte of a paced stream is due: bytes follow each other back to
// back at byteTimeUs once the line is busy; an idle line starts at once.
class LinePacer {
 public:
  explicit LinePacer(double byteTimeUs) : byteTimeUs_(byteTimeUs) {}
  // count bytes join the queue at time now.
  void Enqueue(std::size_t count, double nowUs);
  // How many queued bytes have fully left the line by now (and removes them).
  std::size_t TakeDue(double nowUs);
  // When the next queued byte will be due; only meaningful with bytes queued.
  double NextDueUs() const { return lineFreeUs_ + byteTimeUs_; }
  std::size_t Queued() const { return queued_; }
  void Clear() { queued_ = 0; }

 private:
  double byteTimeUs_;
  double lineFreeUs_ = 0;  // when the last byte sent so far finished
  std::size_t queued_ = 0;
};

class SimulatedRecorder : public serial::VirtualPeer {
 public:
  explicit SimulatedRecorder(std::shared_ptr<Clock> clock = MakeRealClock());
  ~SimulatedRecorder() override;

  // Runs f on the model while no byte is being handled.
  template <class F>
  auto WithModel(F f) {
    std::lock_guard<std::mutex> lock(m_);
    return f(model_);
  }

  // Paces replies at baud (10 bits a byte); 0 sends them at once.
  void SetPacing(serial::DWORD baud);
  // Pulls the cable out (nothing passes either way, CTS drops) or puts it back.
  void SetCablePlugged(bool plugged);
  bool HostAttached();
  // Waits (really) until every reply byte has been handed to the line.
  bool WaitUntilSent(int timeoutMs);

  // serial::VirtualPeer
  void Attach(std::shared_ptr<serial::VirtualLine> line) override;
  void HostBytes(const std::uint8_t* data, std::size_t count) override;
  void HostControlLines(bool rts, bool dtr) override;
  void HostPurge(bool receive, bool transmit) override;

 private:
  void Deliver(Bytes bytes);  // called with m_ held
  void UpdateModemLocked();
  void PacerLoop();

  std::shared_ptr<Clock> clock_;
  std::mutex m_;
  std::condition_variable cv_;
  RecorderModel model_;
  std::shared_ptr<serial::VirtualLine> line_;
  bool plugged_ = true;
  bool rts_ = false, dtr_ = false;
  serial::DWORD pacingBaud_ = 0;
  std::deque<std::uint8_t> paced_;
  std::unique_ptr<LinePacer> pacer_;
  bool stop_ = false;
  std::thread pacerThread_;
};

// A simulated recorder registered as the in-process device "virtual:<name>".
class RegisteredRecorder {
 public:
  explicit RegisteredRecorder(std::string name = "sim", std::shared_ptr<Clock> clock = MakeRealClock());
  ~RegisteredRecorder();
  SimulatedRecorder& Recorder() { return *recorder_; }
  std::shared_ptr<SimulatedRecorder> Shared() { return recorder_; }
  std::string Target() const { return "virtual:" + name_; }

 private:
  std::string name_;
  std::shared_ptr<SimulatedRecorder> recorder_;
};

// Fills a recorder with a few processes of 3, 4 and 5 channels.
void AddDemoProcesses(RecorderModel& model);

}  // namespace sim
