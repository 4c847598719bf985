#include "export/biff/dpDraftPool.h"

#include <mutex>

namespace report {

TDpThread::TDpThread(TDpDraftPool* pool) : rtl::TThread(true), pool_(pool) {}

TDpThread::~TDpThread() {
  Terminate();
  wake_.SetEvent();
  if (Started()) WaitFor();
}

void TDpThread::PushDraft(rtl::TObject* draft) {
  ++pending_;
  std::lock_guard<rtl::TCriticalSection> hold(lock_);
  queue_.push_back(draft);
  if (queue_.size() == 8) wake_.SetEvent();
}

rtl::TObject* TDpThread::PopDraft() {
  std::lock_guard<rtl::TCriticalSection> hold(lock_);
  if (queue_.empty()) return nullptr;
  rtl::TObject* draft = queue_.back();
  queue_.pop_back();
  if (queue_.empty()) wake_.ResetEvent();
  return draft;
}

void TDpThread::Execute() {
  for (;;) {
    rtl::TObject* draft = PopDraft();
    if (!draft) {
      if (Terminated()) return;
      wake_.WaitFor();
      draft = PopDraft();
      if (!draft) {
        if (Terminated()) return;
        // Woken with nothing to do: sleep again until drafts or the end come.
        std::lock_guard<rtl::TCriticalSection> hold(lock_);
        if (queue_.empty()) wake_.ResetEvent();
        continue;
      }
    }
    pool_->Process(draft);
    --pending_;
    pool_->DraftProcessed();
  }
}

TDpDraftPool::TDpDraftPool(int threadCount, int expectedCount, TCallback callback)
    : expected_(expectedCount), callback_(std::move(callback)) {
  for (int i = 0; i < threadCount; ++i) threads_.push_back(std::make_unique<TDpThread>(this));
  for (auto& t : threads_) t->Start();
}

TDpDraftPool::~TDpDraftPool() {
  threads_.clear();  // each worker is woken, ends and is joined
  drafts_.Clear();
}

void TDpDraftPool::AddDraft(std::unique_ptr<rtl::TObject> draft) {
  rtl::TObject* d = draft.get();
  {
    std::lock_guard<rtl::TCriticalSection> hold(sheets_);
    drafts_.Add(std::move(draft));
  }
  {
    std::lock_guard<rtl::TCriticalSection> hold(draftSheets_);
    ++handedOver_;
  }
  if (threads_.empty()) {  // no workers: convert on the calling thread
    Process(d);
    DraftProcessed();
    return;
  }
  TDpThread* target = threads_.front().get();
  for (auto& t : threads_)
    if (t->Pending() < target->Pending()) target = t.get();
  target->PushDraft(d);
}

void TDpDraftPool::Process(rtl::TObject* draft) {
  // No exception may leave a worker: it is kept and reported after the wait.
  try {
    callback_(draft);
  } catch (...) {
    std::lock_guard<rtl::TCriticalSection> hold(draftSheets_);
    errors_.push_back(std::current_exception());
  }
}

void TDpDraftPool::DraftProcessed() {
  std::lock_guard<rtl::TCriticalSection> hold(draftSheets_);
  ++processed_;
  if (processed_ > expected_ && errors_.size() < 1000)
    errors_.push_back(std::make_exception_ptr(
        rtl::Exception("Draft pool is performed to process more sheets that specified at its creation")));
  if (processed_ >= handedOver_) done_.SetEvent();
}

void TDpDraftPool::WaitForThreads() {
  for (;;) {
    {
      std::lock_guard<rtl::TCriticalSection> hold(draftSheets_);
      // Only the drafts handed over are waited for: an export of a page range
      // hands over fewer than the report has pages.
      if (processed_ >= handedOver_) return;
      done_.ResetEvent();
    }
    for (auto& t : threads_) t->ForceStart();
    done_.WaitFor();
  }
}

std::vector<std::exception_ptr> TDpDraftPool::Errors() {
  std::lock_guard<rtl::TCriticalSection> hold(draftSheets_);
  return errors_;
}

void TDpDraftPool::RaiseFirstError() {
  const auto errors = Errors();
  if (!errors.empty()) std::rethrow_exception(errors.front());
}

}  // namespace report
