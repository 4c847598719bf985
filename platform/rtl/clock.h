// Time for time-outs: a millisecond tick and a sleep, both going through a
// replaceable clock so that tests of waiting code run without waiting.
//
//   rtl::ManualClock clock;              // starts at 0 ms
//   rtl::ScopedClock use(clock);         // GetTickCount/Sleep now use it
//   rtl::Sleep(2000);                    // returns at once; the tick moved on
//
// The override is process-wide (the GUI thread and any worker see it).
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>

namespace rtl {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start, never going back.
  virtual std::uint64_t NowMs() = 0;
  virtual void Sleep(std::uint32_t ms) = 0;
};

// The monotonic system clock; Sleep really sleeps.
class SystemClock : public Clock {
 public:
  std::uint64_t NowMs() override;
  void Sleep(std::uint32_t ms) override;
};

// A clock that moves only when told to, or by the time slept on it.
class ManualClock : public Clock {
 public:
  explicit ManualClock(std::uint64_t startMs = 0) : now_(startMs) {}
  std::uint64_t NowMs() override { return now_.load(); }
  // Advances by ms, then calls OnSleep (where a test can make things happen
  // "during" the sleep, such as bytes arriving).
  void Sleep(std::uint32_t ms) override;
  void Advance(std::uint64_t ms) { now_ += ms; }
  void Set(std::uint64_t ms) { now_.store(ms); }
  std::uint64_t SleptMs() const { return slept_.load(); }
  std::function<void(std::uint32_t ms)> OnSleep;

 private:
  std::atomic<std::uint64_t> now_;
  std::atomic<std::uint64_t> slept_{0};
};

// The clock in use: the system clock unless a ScopedClock is alive.
Clock& CurrentClock();
bool UsingSystemClock();

// Makes clock the current one for its lifetime; nests.
class ScopedClock {
 public:
  explicit ScopedClock(Clock& clock);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  Clock* previous_;
};

// Milliseconds of the current clock, wrapping at 2^32 like its Win32 namesake.
std::uint32_t GetTickCount();
std::uint64_t GetTickCount64();
void Sleep(std::uint32_t ms);

}  // namespace rtl
