#include "platform/rtl/clock.h"

#include <gtest/gtest.h>

#include "platform/rtl/threads.h"

using namespace rtl;

namespace {

// Waits for `ready` with a time-out, polling every millisecond, as device
// code does; answers whether it became ready.
bool WaitUntil(const std::function<bool()>& ready, std::uint32_t timeoutMs) {
  std::uint32_t start = GetTickCount();
  while (!ready()) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(1);
  }
  return true;
}

}  // namespace

TEST(Clock, ManualClockMakesTimeOutsInstant) {
  ManualClock clock(1000);
  ScopedClock use(clock);
  EXPECT_EQ(GetTickCount(), 1000u);
  EXPECT_FALSE(WaitUntil([] { return false; }, 2000));  // two seconds, at once
  EXPECT_EQ(clock.SleptMs(), 2000u);
  EXPECT_EQ(GetTickCount(), 3000u);

  // Something happens "during" a sleep.
  int polls = 0;
  clock.OnSleep = [&](std::uint32_t) { ++polls; };
  EXPECT_TRUE(WaitUntil([&] { return polls == 5; }, 2000));
  EXPECT_EQ(GetTickCount64(), 3005u);
}

TEST(Clock, TickWrapsAndElapsedStaysRight) {
  ManualClock clock(0xFFFFFFFFull - 10);
  ScopedClock use(clock);
  std::uint32_t start = GetTickCount();
  Sleep(30);
  EXPECT_LT(GetTickCount(), start);        // wrapped
  EXPECT_EQ(GetTickCount() - start, 30u);  // unsigned difference still right
}

TEST(Clock, OverridesNestAndRestore) {
  Clock* system = &CurrentClock();
  ManualClock a(5), b(7);
  {
    ScopedClock useA(a);
    {
      ScopedClock useB(b);
      EXPECT_EQ(GetTickCount(), 7u);
    }
    EXPECT_EQ(GetTickCount(), 5u);
  }
  EXPECT_EQ(&CurrentClock(), system);
  std::uint64_t t0 = GetTickCount64();
  EXPECT_GE(GetTickCount64(), t0);  // monotonic
}

TEST(Clock, EventTimeOutsRunOnTheTestClock) {
  ManualClock clock;
  ScopedClock use(clock);
  TSimpleEvent event;
  EXPECT_EQ(event.WaitFor(5000), wrTimeout);
  EXPECT_EQ(GetTickCount(), 5000u);
  clock.OnSleep = [&](std::uint32_t) { event.SetEvent(); };  // signalled while "waiting"
  EXPECT_EQ(event.WaitFor(100), wrSignaled);
  EXPECT_EQ(event.WaitFor(100), wrSignaled);  // already set: no time passes
  EXPECT_EQ(GetTickCount(), 5100u);
}
