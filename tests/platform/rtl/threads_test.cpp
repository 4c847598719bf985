#include "platform/rtl/threads.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/watchdog.h"

using namespace rtl;

namespace {

// A thread that runs a function object.
class LambdaThread : public TThread {
 public:
  explicit LambdaThread(std::function<void(LambdaThread&)> body) : TThread(true), body_(std::move(body)) {}
  ~LambdaThread() override {
    Terminate();
    WaitFor();
  }
  using TThread::SetReturnValue;

 protected:
  void Execute() override { body_(*this); }

 private:
  std::function<void(LambdaThread&)> body_;
};

}  // namespace

TEST(Threads, SynchronizeRunsOnTheMainThreadWhileItWaits) {
  ASSERT_TRUE(IsMainThread());
  std::vector<std::thread::id> ranOn;
  LambdaThread worker([&](LambdaThread& self) {
    for (int i = 0; i < 50; ++i) Synchronize([&] { ranOn.push_back(std::this_thread::get_id()); });
    self.SetReturnValue(7);
  });
  worker.Start();
  EXPECT_EQ(worker.WaitFor(), 7);  // pumps the queue while waiting
  ASSERT_EQ(ranOn.size(), 50u);
  for (auto id : ranOn) EXPECT_EQ(id, std::this_thread::get_id());
  EXPECT_TRUE(worker.Finished());
}

TEST(Threads, MessageLoopPumpsCheckSynchronizeAndIsWoken) {
  support::Watchdog watchdog;  // the loop below never ends if the fault returns
  std::atomic<int> wakeUps{0};
  SetSynchronizeWakeHook([&] { ++wakeUps; });
  int total = 0;
  bool done = false;  // touched on the main thread only
  LambdaThread worker([&](LambdaThread&) {
    for (int i = 1; i <= 10; ++i) Synchronize([&, i] { total += i; });
    Queue([&] { done = true; });  // the last message, posted without waiting
  });
  worker.Start();
  // A message loop: pump until the worker's last message has run.
  while (!done) CheckSynchronize(10000);
  worker.WaitFor();
  SetSynchronizeWakeHook({});
  EXPECT_EQ(total, 55);
  EXPECT_EQ(wakeUps.load(), 11);
  EXPECT_FALSE(CheckSynchronize());  // nothing left
}

TEST(Threads, SynchronizeReRaisesInTheWorker) {
  std::string caught;
  LambdaThread worker([&](LambdaThread&) {
    try {
      Synchronize([] { throw EConvertError("bad"); });
    } catch (const EConvertError& e) {
      caught = e.Message();
    }
  });
  worker.Start();
  worker.WaitFor();
  EXPECT_EQ(caught, "bad");
}

TEST(Threads, ExecuteExceptionIsKeptAndOnTerminateRunsOnMain) {
  std::thread::id terminatedOn;
  LambdaThread worker([](LambdaThread&) { throw EListError("boom"); });
  worker.OnTerminate = [&](TThread&) { terminatedOn = std::this_thread::get_id(); };
  worker.Start();
  worker.WaitFor();
  EXPECT_EQ(terminatedOn, std::this_thread::get_id());
  ASSERT_TRUE(worker.FatalException());
  EXPECT_THROW(std::rethrow_exception(worker.FatalException()), EListError);
  EXPECT_THROW(worker.Start(), EThread);
}

TEST(Threads, TerminateIsSeenByTheWorker) {
  support::Watchdog watchdog;  // the loop below never ends if the fault returns
  TSimpleEvent started;
  std::atomic<int> loops{0};
  LambdaThread worker([&](LambdaThread& self) {
    started.SetEvent();
    while (!self.Terminated()) {
      ++loops;
      std::this_thread::yield();
    }
  });
  worker.Start();
  started.WaitFor();
  worker.Terminate();
  worker.WaitFor();
  EXPECT_TRUE(worker.Terminated());
}

TEST(Threads, Events) {
  TEvent manual(true, false);
  EXPECT_EQ(manual.WaitFor(0), wrTimeout);
  manual.SetEvent();
  EXPECT_EQ(manual.WaitFor(0), wrSignaled);
  EXPECT_EQ(manual.WaitFor(0), wrSignaled);  // stays signalled
  manual.ResetEvent();
  EXPECT_EQ(manual.WaitFor(0), wrTimeout);

  TEvent automatic(false, true);
  EXPECT_EQ(automatic.WaitFor(0), wrSignaled);
  EXPECT_EQ(automatic.WaitFor(0), wrTimeout);  // reset itself

  // A worker blocked on an event is released by SetEvent.
  TSimpleEvent go;
  std::atomic<bool> passed{false};
  LambdaThread worker([&](LambdaThread&) {
    go.WaitFor();
    passed = true;
  });
  worker.Start();
  go.SetEvent();
  worker.WaitFor();
  EXPECT_TRUE(passed.load());
}

TEST(Threads, CriticalSectionIsRecursiveAndCountersAreAtomic) {
  TCriticalSection cs;
  cs.Enter();
  cs.Enter();
  cs.Leave();
  cs.Leave();
  std::atomic<int> counter{0};
  int guarded = 0;
  {
    LambdaThread a([&](LambdaThread&) {
      for (int i = 0; i < 10000; ++i) {
        InterlockedIncrement(counter);
        std::lock_guard lock(cs);
        ++guarded;
      }
    });
    LambdaThread b([&](LambdaThread&) {
      for (int i = 0; i < 10000; ++i) {
        InterlockedIncrement(counter);
        std::lock_guard lock(cs);
        ++guarded;
      }
    });
    a.Start();
    b.Start();
  }
  EXPECT_EQ(counter.load(), 20000);
  EXPECT_EQ(guarded, 20000);
  EXPECT_EQ(InterlockedDecrement(counter), 19999);
}

TEST(Threads, FreeOnTerminateDeletesTheObject) {
  support::Watchdog watchdog;  // the loop below never ends if the fault returns
  static std::atomic<int> destroyed{0};
  struct SelfFreeing : TThread {
    explicit SelfFreeing(std::function<void()> body) : body_(std::move(body)) {}
    ~SelfFreeing() override { ++destroyed; }
    void Execute() override { body_(); }
    std::function<void()> body_;
  };
  const int before = destroyed.load();
  bool ran = false;
  bool last = false;  // main thread only
  auto* worker = new SelfFreeing([&] {
    ran = true;
    Queue([&] { last = true; });
  });
  worker->FreeOnTerminate = true;
  worker->Start();
  while (!last) CheckSynchronize(10000);
  // The object goes right after Execute; wait for that without a clock.
  while (destroyed.load() == before) std::this_thread::yield();
  EXPECT_TRUE(ran);
  EXPECT_EQ(destroyed.load(), before + 1);
}

TEST(Threads, RemoveQueuedEventsReleasesAWaitingWorker) {
  TSimpleEvent queued;
  SetSynchronizeWakeHook([&] { queued.SetEvent(); });
  bool ran = false;
  bool returned = false;
  LambdaThread worker([&](LambdaThread& self) {
    self.Synchronize([&] { ran = true; });  // the main thread will drop it
    returned = true;
  });
  worker.Start();
  queued.WaitFor();
  RemoveQueuedEvents(&worker);
  worker.WaitFor();
  SetSynchronizeWakeHook({});
  EXPECT_FALSE(ran);
  EXPECT_TRUE(returned);
  EXPECT_FALSE(CheckSynchronize());
}
