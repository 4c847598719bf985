#include "tests/support/sim_clock.h"

#include <chrono>
#include <thread>

namespace sim {

namespace {
const auto kStart = std::chrono::steady_clock::now();
}

double RealClock::NowUs() {
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - kStart).count();
}

void RealClock::SleepUntilUs(double t) {
  double left = t - NowUs();
  if (left > 0) std::this_thread::sleep_for(std::chrono::duration<double, std::micro>(left));
}

double ManualClock::NowUs() {
  std::lock_guard<std::mutex> lock(m_);
  return now_;
}

void ManualClock::SleepUntilUs(double t) {
  std::unique_lock<std::mutex> lock(m_);
  unsigned mark = interrupts_;
  // A sleeper that has not yet begun waiting when Interrupt comes must not
  // wait for ever: look again after a millisecond of real time.
  cv_.wait_for(lock, std::chrono::milliseconds(1), [&] { return now_ >= t || interrupts_ != mark; });
}

void ManualClock::Interrupt() {
  {
    std::lock_guard<std::mutex> lock(m_);
    ++interrupts_;
  }
  cv_.notify_all();
}

void ManualClock::Advance(double us) {
  {
    std::lock_guard<std::mutex> lock(m_);
    now_ += us;
  }
  cv_.notify_all();
}

void ManualClock::AdvanceInSteps(double totalUs, double stepUs) {
  for (double done = 0; done < totalUs; done += stepUs) {
    Advance(stepUs);
    std::this_thread::yield();
  }
}

std::shared_ptr<Clock> MakeRealClock() { return std::make_shared<RealClock>(); }

}  // namespace sim
