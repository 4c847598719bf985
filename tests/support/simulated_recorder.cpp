#include "tests/support/simulated_recorder.h"

#include <chrono>

namespace sim {

void LinePacer::Enqueue(std::size_t count, double nowUs) {
  if (queued_ == 0 && lineFreeUs_ < nowUs) lineFreeUs_ = nowUs;  // the line was idle
  queued_ += count;
}

std::size_t LinePacer::TakeDue(double nowUs) {
  if (queued_ == 0) return 0;
  if (nowUs < lineFreeUs_ + byteTimeUs_) return 0;
  auto n = static_cast<std::size_t>((nowUs - lineFreeUs_) / byteTimeUs_);
  if (n > queued_) n = queued_;
  lineFreeUs_ += static_cast<double>(n) * byteTimeUs_;
  queued_ -= n;
  return n;
}

SimulatedRecorder::SimulatedRecorder(std::shared_ptr<Clock> clock) : clock_(std::move(clock)) {
  pacerThread_ = std::thread([this] { PacerLoop(); });
}

SimulatedRecorder::~SimulatedRecorder() {
  {
    std::lock_guard<std::mutex> lock(m_);
    stop_ = true;
  }
  cv_.notify_all();
  clock_->Interrupt();
  pacerThread_.join();
}

void SimulatedRecorder::SetPacing(serial::DWORD baud) {
  std::lock_guard<std::mutex> lock(m_);
  pacingBaud_ = baud;
  pacer_ = baud ? std::make_unique<LinePacer>(10.0 * 1e6 / baud) : nullptr;
  paced_.clear();
}

void SimulatedRecorder::SetCablePlugged(bool plugged) {
  std::lock_guard<std::mutex> lock(m_);
  plugged_ = plugged;
  if (!plugged) {
    paced_.clear();
    if (pacer_) pacer_->Clear();
    model_.ResetLink();
  }
  UpdateModemLocked();
}

bool SimulatedRecorder::HostAttached() {
  std::lock_guard<std::mutex> lock(m_);
  return line_ != nullptr;
}

bool SimulatedRecorder::WaitUntilSent(int timeoutMs) {
  std::unique_lock<std::mutex> lock(m_);
  return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return paced_.empty(); });
}

void SimulatedRecorder::Attach(std::shared_ptr<serial::VirtualLine> line) {
  std::lock_guard<std::mutex> lock(m_);
  line_ = std::move(line);
  paced_.clear();
  if (pacer_) pacer_->Clear();
  model_.ResetLink();
  if (!line_) rts_ = dtr_ = false;
  UpdateModemLocked();
}

void SimulatedRecorder::HostBytes(const std::uint8_t* data, std::size_t count) {
  std::lock_guard<std::mutex> lock(m_);
  if (!plugged_) return;
  Bytes out;
  const double now = clock_->NowUs();
  for (std::size_t i = 0; i < count; ++i) model_.Receive(data[i], now, out);
  if (!out.empty()) Deliver(std::move(out));
}

void SimulatedRecorder::HostControlLines(bool rts, bool dtr) {
  std::lock_guard<std::mutex> lock(m_);
  rts_ = rts;
  dtr_ = dtr;
  UpdateModemLocked();
}

void SimulatedRecorder::HostPurge(bool, bool) {}

void SimulatedRecorder::UpdateModemLocked() {
  if (!line_) return;
  serial::DWORD status = plugged_ && RecorderModel::CtsFor(rts_) ? serial::DWORD(serial::MS_CTS_ON) : 0;
  line_->SetModemLines(status);
}

void SimulatedRecorder::Deliver(Bytes bytes) {
  if (!line_) return;
  if (!pacer_) {
    line_->Send(bytes.data(), bytes.size());
    return;
  }
  pacer_->Enqueue(bytes.size(), clock_->NowUs());
  paced_.insert(paced_.end(), bytes.begin(), bytes.end());
  cv_.notify_all();
}

void SimulatedRecorder::PacerLoop() {
  std::unique_lock<std::mutex> lock(m_);
  for (;;) {
    cv_.wait(lock, [&] { return stop_ || !paced_.empty(); });
    if (stop_) return;
    std::size_t n = pacer_ ? pacer_->TakeDue(clock_->NowUs()) : paced_.size();
    if (n > paced_.size()) n = paced_.size();
    if (n > 0) {
      Bytes chunk(paced_.begin(), paced_.begin() + static_cast<long>(n));
      paced_.erase(paced_.begin(), paced_.begin() + static_cast<long>(n));
      if (line_ && plugged_) line_->Send(chunk.data(), chunk.size());
      if (paced_.empty()) cv_.notify_all();
      continue;
    }
    // Sleep until the next byte is due, but look again at least every 2 ms
    // (replies may be cleared or the clock interrupted meanwhile).
    double due = pacer_ ? pacer_->NextDueUs() : clock_->NowUs();
    double cap = clock_->NowUs() + 2000;
    lock.unlock();
    clock_->SleepUntilUs(due < cap ? due : cap);
    lock.lock();
  }
}

RegisteredRecorder::RegisteredRecorder(std::string name, std::shared_ptr<Clock> clock)
    : name_(std::move(name)), recorder_(std::make_shared<SimulatedRecorder>(std::move(clock))) {
  serial::RegisterVirtualDevice(name_, recorder_);
}

RegisteredRecorder::~RegisteredRecorder() { serial::UnregisterVirtualDevice(name_); }

void AddDemoProcesses(RecorderModel& model) {
  model.AddProcess(MakeProcess(577, 3, DateTime{2013, 3, 1, 8, 0, 0}, 5));
  model.AddProcess(MakeProcess(289, 4, DateTime{2013, 3, 4, 14, 30, 0}, 10));
  model.AddProcess(MakeProcess(145, 5, DateTime{2013, 3, 7, 9, 5, 0}, 20));
}

}  // namespace sim
