// Threads and the hand-over to the GUI thread.
//
// The program runs everything on one main (GUI) thread. Worker threads (the
// serial port's event thread, the workbook export's converters) hand work to
// it with Synchronize: the call is queued, the main thread runs it the next
// time its message loop calls CheckSynchronize, and the worker waits until it
// has run. The GUI layer installs a wake-up hook so that its loop wakes as
// soon as something is queued.
//
// The main thread is the thread that initialised this library (static
// initialisation runs on it); SetMainThreadId lets a test pick another.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/rtl/exceptions.h"

namespace rtl {

std::thread::id MainThreadId();
void SetMainThreadId(std::thread::id id);
bool IsMainThread();

// Runs fn on the main thread and waits for it. On the main thread fn runs at
// once. An exception thrown by fn is re-raised in the calling thread.
void Synchronize(const std::function<void()>& fn);
// Queues fn for the main thread without waiting (runs at once on the main thread).
void Queue(std::function<void()> fn);
class TThread;
// Drops the calls that thread queued and that have not run yet; a worker
// waiting in Synchronize for one of them returns without it having run.
// Main thread only.
void RemoveQueuedEvents(TThread* thread);
// Runs everything queued so far; answers whether anything ran. Called by the
// main thread's message loop. With timeoutMs > 0 it first waits up to that
// long for work to arrive. Calls from other threads do nothing.
bool CheckSynchronize(int timeoutMs = 0);
// Called (from the queuing thread) whenever work is queued; the GUI layer
// posts an event to its loop here. Pass an empty function to remove it.
void SetSynchronizeWakeHook(std::function<void()> hook);

// A thread object: derive, override Execute, poll Terminated().
// The thread object must outlive its thread: the destructor terminates and
// joins it. A waiting main thread keeps serving Synchronize calls, so a worker
// that synchronizes while the main thread waits for it does not deadlock.
class TThread {
 public:
  explicit TThread(bool createSuspended = true);
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts the thread (once). Start on a running thread raises EThread.
  void Start();
  void Resume() { Start(); }
  void Terminate() { terminated_.store(true); }
  bool Terminated() const { return terminated_.load(); }
  bool Started() const { return started_; }
  bool Finished() const { return finished_.load(); }
  // Waits until Execute has returned; answers ReturnValue.
  int WaitFor();
  int ReturnValue() const { return returnValue_; }
  // The exception that ended Execute, if any.
  std::exception_ptr FatalException() const { return fatal_; }
  std::thread::id ThreadID() const { return thread_.get_id(); }

  // Runs on the main thread (via Synchronize) after Execute ends.
  std::function<void(TThread&)> OnTerminate;
  // The thread deletes its object when Execute has ended (after OnTerminate).
  // Whoever starts such a thread must not touch the object afterwards except
  // through what the thread itself hands over.
  bool FreeOnTerminate = false;

  // Like the free functions, but tagged with this thread so that
  // RemoveQueuedEvents(this) can drop what is still pending.
  void Synchronize(const std::function<void()>& fn);
  void Queue(std::function<void()> fn);

 protected:
  virtual void Execute() = 0;
  void SetReturnValue(int v) { returnValue_ = v; }

 private:
  void Run();

  std::thread thread_;
  std::mutex startGate_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  bool started_ = false;
  int returnValue_ = 0;
  std::exception_ptr fatal_;
};

RTL_DECLARE_EXCEPTION(EThread, Exception)

// A recursive lock, as the program's critical sections are.
class TCriticalSection {
 public:
  void Acquire() { m_.lock(); }
  void Release() { m_.unlock(); }
  void Enter() { Acquire(); }
  void Leave() { Release(); }
  bool TryEnter() { return m_.try_lock(); }
  // Satisfies BasicLockable, so std::lock_guard works.
  void lock() { Acquire(); }
  void unlock() { Release(); }

 private:
  std::recursive_mutex m_;
};

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };
constexpr std::uint32_t INFINITE = 0xFFFFFFFFu;

// An event: manual-reset stays signalled until reset; auto-reset releases one
// waiter and resets itself. Under a test clock (clock.h) a wait with a
// time-out that is not already satisfied sleeps the time-out on that clock
// and answers at once.
class TEvent {
 public:
  explicit TEvent(bool manualReset = true, bool initialState = false)
      : manual_(manualReset), signalled_(initialState) {}
  void SetEvent();
  void ResetEvent();
  TWaitResult WaitFor(std::uint32_t timeoutMs = INFINITE);
  bool IsSet();

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool manual_;
  bool signalled_;
};

// A manual-reset event that starts unsignalled.
class TSimpleEvent : public TEvent {
 public:
  TSimpleEvent() : TEvent(true, false) {}
};

// Interlocked counters answer the new value, like their Win32 counterparts.
inline int InterlockedIncrement(std::atomic<int>& v) { return ++v; }
inline int InterlockedDecrement(std::atomic<int>& v) { return --v; }
inline int InterlockedExchange(std::atomic<int>& v, int n) { return v.exchange(n); }
inline int InterlockedExchangeAdd(std::atomic<int>& v, int n) { return v.fetch_add(n); }

}  // namespace rtl
