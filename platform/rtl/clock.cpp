#include "platform/rtl/clock.h"

#include <chrono>
#include <thread>

namespace rtl {
namespace {

SystemClock& TheSystemClock() {
  static SystemClock clock;
  return clock;
}

std::atomic<Clock*>& Current() {
  static std::atomic<Clock*> current{nullptr};
  return current;
}

}  // namespace

std::uint64_t SystemClock::NowMs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::Sleep(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void ManualClock::Sleep(std::uint32_t ms) {
  now_ += ms;
  slept_ += ms;
  if (OnSleep) OnSleep(ms);
}

Clock& CurrentClock() {
  Clock* c = Current().load();
  return c ? *c : TheSystemClock();
}

bool UsingSystemClock() { return Current().load() == nullptr; }

ScopedClock::ScopedClock(Clock& clock) : previous_(Current().exchange(&clock)) {}
ScopedClock::~ScopedClock() { Current().store(previous_); }

std::uint32_t GetTickCount() { return static_cast<std::uint32_t>(CurrentClock().NowMs()); }
std::uint64_t GetTickCount64() { return CurrentClock().NowMs(); }
void Sleep(std::uint32_t ms) { CurrentClock().Sleep(ms); }

}  // namespace rtl
