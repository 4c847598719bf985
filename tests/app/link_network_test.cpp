// The link over a real serial component on a network serial port whose
// server goes away: the running operation must end with the port message
// instead of waiting for ever for bytes that can never leave.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include "app/Link.h"
#include "comm/Comm.h"
#include "platform/serial/rfc2217_server.h"
#include "tests/app/fake_line.h"
#include "tests/support/simulated_recorder.h"

using namespace rtl::literals;

namespace {

// Ends the test program when the guarded code hangs, instead of hanging ctest.
class Watchdog {
 public:
  explicit Watchdog(int seconds)
      : thread_([this, seconds] {
          std::unique_lock<std::mutex> lock(m_);
          if (!cv_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) {
            std::fprintf(stderr, "the link never gave up on a vanished port\n");
            std::_Exit(1);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(m_);
      done_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool done_ = false;
  std::thread thread_;
};

TEST(LinkOnNetworkPort, VanishedServerEndsTheOperationWithThePortMessage) {
  auto recorder = std::make_shared<sim::SimulatedRecorder>();
  auto server = std::make_unique<serial::Rfc2217Server>(recorder);
  ASSERT_TRUE(server->Listen("127.0.0.1", 0));
  comm::TComm comm;
  comm.SetDeviceName("rfc2217://127.0.0.1:" + std::to_string(server->BoundPort()));
  app::TCommLinkPort port(comm);
  apptest::RecordingView view;
  app::TRecorderLink link(port, view);
  ASSERT_TRUE(port.Open());
  ASSERT_EQ(link.ReadFirmwareVersion(), app::TExchangeResult::Done);  // the link works

  server.reset();  // the server stops and its connection closes
  Watchdog watchdog(60);
  EXPECT_EQ(link.ReadFirmwareVersion(), app::TExchangeResult::Cancelled);
  EXPECT_EQ(view.panels[0], "COM-порт занят другой программой или не работает"_cp);
  // The next operation ends at once as well.
  link.SetCancel(false);
  EXPECT_EQ(link.ReadDeviceType(), app::TExchangeResult::Cancelled);
}

}  // namespace
