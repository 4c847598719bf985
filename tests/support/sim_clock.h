// Clocks for the simulated recorder: the real one, and a manual one that
// tests advance so that paced output and time-outs take no real time.
#pragma once
#include <condition_variable>
#include <memory>
#include <mutex>

namespace sim {

class Clock {
 public:
  virtual ~Clock() = default;
  // Microseconds since an arbitrary start.
  virtual double NowUs() = 0;
  // Sleeps until NowUs() >= t or Interrupt() is called; may return earlier
  // (callers loop and look again).
  virtual void SleepUntilUs(double t) = 0;
  virtual void Interrupt() {}
};

class RealClock : public Clock {
 public:
  double NowUs() override;
  void SleepUntilUs(double t) override;
};

class ManualClock : public Clock {
 public:
  double NowUs() override;
  void SleepUntilUs(double t) override;
  void Interrupt() override;
  void Advance(double us);
  // Advances in steps of stepUs until the total has passed, letting sleepers
  // run in between.
  void AdvanceInSteps(double totalUs, double stepUs);

 private:
  std::mutex m_;
  std::condition_variable cv_;
  double now_ = 0;
  unsigned interrupts_ = 0;
};

std::shared_ptr<Clock> MakeRealClock();

}  // namespace sim
