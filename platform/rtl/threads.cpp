#include "platform/rtl/threads.h"

#include <chrono>
#include <deque>
#include <memory>

#include "platform/rtl/clock.h"

namespace rtl {
namespace {

std::atomic<std::thread::id> g_mainThread{std::this_thread::get_id()};

struct Completion {
  bool done = false;
  std::exception_ptr error;
};

struct SyncItem {
  std::function<void()> fn;
  std::shared_ptr<Completion> completion;  // null for queued (fire-and-forget) work
  const TThread* owner = nullptr;          // for RemoveQueuedEvents
};

// One lock and one condition serve the queue, the completions and the
// finishing of threads, so a waiting main thread wakes for any of them.
struct SyncState {
  std::mutex m;
  std::condition_variable cv;
  std::deque<SyncItem> queue;
  std::function<void()> wakeHook;
};

SyncState& State() {
  static SyncState s;
  return s;
}

void Enqueue(SyncItem item) {
  auto& s = State();
  std::function<void()> hook;
  {
    std::lock_guard lock(s.m);
    s.queue.push_back(std::move(item));
    hook = s.wakeHook;
  }
  s.cv.notify_all();
  if (hook) hook();
}

}  // namespace

std::thread::id MainThreadId() { return g_mainThread.load(); }
void SetMainThreadId(std::thread::id id) { g_mainThread.store(id); }
bool IsMainThread() { return std::this_thread::get_id() == g_mainThread.load(); }

void SetSynchronizeWakeHook(std::function<void()> hook) {
  auto& s = State();
  std::lock_guard lock(s.m);
  s.wakeHook = std::move(hook);
}

namespace {

void SynchronizeFor(const TThread* owner, const std::function<void()>& fn) {
  if (IsMainThread()) {
    fn();
    return;
  }
  auto completion = std::make_shared<Completion>();
  Enqueue({fn, completion, owner});
  auto& s = State();
  std::unique_lock lock(s.m);
  s.cv.wait(lock, [&] { return completion->done; });
  // Take the exception out, so that it is released on this thread.
  std::exception_ptr error = std::move(completion->error);
  completion->error = nullptr;
  lock.unlock();
  if (error) std::rethrow_exception(error);
}

void QueueFor(const TThread* owner, std::function<void()> fn) {
  if (IsMainThread()) {
    fn();
    return;
  }
  Enqueue({std::move(fn), nullptr, owner});
}

}  // namespace

void Synchronize(const std::function<void()>& fn) { SynchronizeFor(nullptr, fn); }
void Queue(std::function<void()> fn) { QueueFor(nullptr, std::move(fn)); }
void TThread::Synchronize(const std::function<void()>& fn) { SynchronizeFor(this, fn); }
void TThread::Queue(std::function<void()> fn) { QueueFor(this, std::move(fn)); }

void RemoveQueuedEvents(TThread* thread) {
  if (!thread) return;
  auto& s = State();
  {
    std::lock_guard lock(s.m);
    std::erase_if(s.queue, [&](SyncItem& item) {
      if (item.owner != thread) return false;
      if (item.completion) item.completion->done = true;  // released without running
      return true;
    });
  }
  s.cv.notify_all();
}

bool CheckSynchronize(int timeoutMs) {
  if (!IsMainThread()) return false;
  auto& s = State();
  std::deque<SyncItem> work;
  {
    std::unique_lock lock(s.m);
    if (timeoutMs > 0 && s.queue.empty())
      s.cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !s.queue.empty(); });
    work.swap(s.queue);
  }
  if (work.empty()) return false;
  for (auto& item : work) {
    std::exception_ptr error;
    try {
      item.fn();
    } catch (...) {
      error = std::current_exception();
    }
    if (item.completion) {
      std::lock_guard lock(s.m);
      item.completion->error = std::move(error);
      item.completion->done = true;
    }
    // Queued work has nobody to report to; its exception is dropped.
  }
  s.cv.notify_all();
  return true;
}

TThread::TThread(bool createSuspended) {
  if (!createSuspended) Start();
}

TThread::~TThread() {
  if (started_) {
    Terminate();
    WaitFor();
  }
}

void TThread::Start() {
  if (started_) throw EThread("Cannot call Start on a running or suspended thread");
  started_ = true;
  // The new thread waits until thread_ holds it, so that it may detach itself.
  std::lock_guard gate(startGate_);
  thread_ = std::thread([this] { Run(); });
}

void TThread::Run() {
  { std::lock_guard gate(startGate_); }
  try {
    Execute();
  } catch (...) {
    fatal_ = std::current_exception();
  }
  if (OnTerminate) {
    try {
      SynchronizeFor(this, [this] { OnTerminate(*this); });
    } catch (...) {
      if (!fatal_) fatal_ = std::current_exception();
    }
  }
  auto& s = State();
  bool freeSelf = FreeOnTerminate;
  if (freeSelf) thread_.detach();  // nobody joins a thread that frees itself
  {
    std::lock_guard lock(s.m);
    finished_.store(true);
  }
  s.cv.notify_all();
  if (freeSelf) delete this;
}

int TThread::WaitFor() {
  if (!started_) return returnValue_;
  if (thread_.get_id() == std::this_thread::get_id()) throw EThread("Thread cannot wait for itself");
  auto& s = State();
  if (IsMainThread()) {
    // Keep serving Synchronize calls while waiting.
    while (true) {
      CheckSynchronize();
      std::unique_lock lock(s.m);
      s.cv.wait(lock, [&] { return finished_.load() || !s.queue.empty(); });
      if (finished_.load() && s.queue.empty()) break;
    }
  } else {
    std::unique_lock lock(s.m);
    s.cv.wait(lock, [&] { return finished_.load(); });
  }
  if (thread_.joinable()) thread_.join();
  return returnValue_;
}

void TEvent::SetEvent() {
  {
    std::lock_guard lock(m_);
    signalled_ = true;
  }
  if (manual_)
    cv_.notify_all();
  else
    cv_.notify_one();
}

void TEvent::ResetEvent() {
  std::lock_guard lock(m_);
  signalled_ = false;
}

bool TEvent::IsSet() {
  std::lock_guard lock(m_);
  return signalled_;
}

TWaitResult TEvent::WaitFor(std::uint32_t timeoutMs) {
  std::unique_lock lock(m_);
  auto ready = [&] { return signalled_; };
  if (timeoutMs != INFINITE && !signalled_ && !UsingSystemClock()) {
    // A test clock: the time-out passes on that clock, at once.
    lock.unlock();
    CurrentClock().Sleep(timeoutMs);
    lock.lock();
    if (!signalled_) return wrTimeout;
  } else if (timeoutMs == INFINITE) {
    cv_.wait(lock, ready);
  } else if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
    return wrTimeout;
  }
  if (!manual_) signalled_ = false;
  return wrSignaled;
}

}  // namespace rtl
