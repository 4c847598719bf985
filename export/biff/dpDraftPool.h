// Runs a callback on work items (drafts: one per report page) on a fixed set
// of worker threads, so that the caller can go on feeding pages while earlier
// ones are converted. The caller hands every draft over with AddDraft and
// then waits in WaitForThreads.
#pragma once
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "export/biff/durEdivazu.h"
#include "platform/rtl/object.h"
#include "platform/rtl/threads.h"

namespace report {

class TDpDraftPool;

class TDpThread : public rtl::TThread {
 public:
  explicit TDpThread(TDpDraftPool* pool);
  ~TDpThread() override;
  void PushDraft(rtl::TObject* draft);
  rtl::TObject* PopDraft();
  void ForceStart() { wake_.SetEvent(); }
  int Pending() const { return pending_.load(); }

 protected:
  void Execute() override;

 private:
  TDpDraftPool* pool_;
  std::vector<rtl::TObject*> queue_;  // a stack: the newest first
  rtl::TEvent wake_{true, false};
  rtl::TCriticalSection lock_;
  std::atomic<int> pending_{0};
};

class TDpDraftPool {
 public:
  using TCallback = std::function<void(rtl::TObject* draft)>;

  // Starts threadCount workers (none for 0 or less); expectedCount drafts will
  // be handed over.
  TDpDraftPool(int threadCount, int expectedCount, TCallback callback);
  ~TDpDraftPool();
  TDpDraftPool(const TDpDraftPool&) = delete;
  TDpDraftPool& operator=(const TDpDraftPool&) = delete;

  void AddDraft(std::unique_ptr<rtl::TObject> draft);
  // Wakes every worker and waits until every draft handed over is processed
  // (also when fewer than expected were handed over, as with a page range).
  void WaitForThreads();
  // The drafts in hand-over order (read after WaitForThreads).
  const TObjList<rtl::TObject>& Drafts() const { return drafts_; }
  // Errors of the callback, caught on the workers, in the order they happened.
  std::vector<std::exception_ptr> Errors();
  // The first error, raised again on the calling thread; nothing when none.
  void RaiseFirstError();
  int ThreadCount() const { return static_cast<int>(threads_.size()); }
  TDpThread* Thread(int i) const { return threads_[static_cast<std::size_t>(i)].get(); }

  void LockSheets() { sheets_.Enter(); }
  void UnlockSheets() { sheets_.Leave(); }
  void LockDraftSheets() { draftSheets_.Enter(); }
  void UnlockDraftSheets() { draftSheets_.Leave(); }

 private:
  friend class TDpThread;
  void Process(rtl::TObject* draft);
  void DraftProcessed();

  TObjList<rtl::TObject> drafts_;
  std::vector<std::unique_ptr<TDpThread>> threads_;
  int expected_;
  int handedOver_ = 0;
  int processed_ = 0;
  rtl::TEvent done_{true, false};
  TCallback callback_;
  rtl::TCriticalSection sheets_, draftSheets_;
  std::vector<std::exception_ptr> errors_;
};

}  // namespace report
