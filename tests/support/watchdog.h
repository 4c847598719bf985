// A test whose fault would make it loop for ever ends the test program within
// seconds instead: a Watchdog kept for the test's scope prints the test's name
// and exits with a failure status when the scope outlives its limit.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace support {

class Watchdog {
 public:
  explicit Watchdog(std::chrono::milliseconds limit = std::chrono::seconds(20))
      : thread_([this, limit] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (done_.wait_for(lock, limit, [this] { return finished_; })) return;
          // The test's own thread is stuck: nothing else can end it.
          const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
          std::fprintf(stderr, "watchdog: %s.%s still running after %lld ms\n", test ? test->test_suite_name() : "?",
                       test ? test->name() : "?", static_cast<long long>(limit.count()));
          std::fflush(stderr);
          std::_Exit(EXIT_FAILURE);
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_ = true;
    }
    done_.notify_all();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;  // last: starts once the members it uses exist
};

}  // namespace support
