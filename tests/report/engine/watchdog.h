// A test that could run for ever when the fault it guards against comes
// back ends the test program within seconds instead of waiting for ctest's
// limit: the watchdog prints what was running and aborts unless the scope
// ends first.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace engine_test {

class Watchdog {
 public:
  Watchdog(std::chrono::seconds limit, std::string what) : what_(std::move(what)) {
    thread_ = std::thread([this, limit] {
      std::unique_lock<std::mutex> lock(mutex_);
      if (done_.wait_for(lock, limit, [this] { return finished_; })) return;
      std::fprintf(stderr, "watchdog: \"%s\" still runs after %lld s\n", what_.c_str(),
                   static_cast<long long>(limit.count()));
      std::fflush(stderr);
      std::abort();
    });
  }
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_ = true;
    }
    done_.notify_one();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::string what_;
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

}  // namespace engine_test
