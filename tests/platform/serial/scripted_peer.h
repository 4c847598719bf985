// Test helpers: a virtual peer that records what the host does and lets the
// test drive the far end, and a wait for what other threads hand over.
#pragma once
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/serial/virtual_device.h"

namespace serial_test {

// Polls cond until it holds; the limit only guards against a hang, the
// conditions are met as soon as a thread has handed data over.
template <class F>
bool Eventually(F cond, int limitMs = 3000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

class ScriptedPeer : public serial::VirtualPeer {
 public:
  void Attach(std::shared_ptr<serial::VirtualLine> attached) override {
    std::lock_guard<std::mutex> lock(m);
    line = attached;
    attaches += attached ? 1 : 0;
    detaches += line ? 0 : 1;
  }
  void HostBytes(const std::uint8_t* data, std::size_t count) override {
    std::lock_guard<std::mutex> lock(m);
    received.insert(received.end(), data, data + count);
    if (echo && line) line->Send(data, count);
  }
  void HostControlLines(bool r, bool d) override {
    std::lock_guard<std::mutex> lock(m);
    rts = r;
    dtr = d;
    ++lineChanges;
  }
  bool HostLineSettings(const serial::LineSettings& s) override {
    std::lock_guard<std::mutex> lock(m);
    settings = s;
    return !refuseSettings;
  }
  void HostPurge(bool rx, bool tx) override {
    std::lock_guard<std::mutex> lock(m);
    purgedRx += rx;
    purgedTx += tx;
  }
  void HostBreak(bool on) override {
    std::lock_guard<std::mutex> lock(m);
    breakOn = on;
  }

  void Send(const std::vector<std::uint8_t>& bytes) {
    std::shared_ptr<serial::VirtualLine> l;
    {
      std::lock_guard<std::mutex> lock(m);
      l = line;
    }
    if (l) l->Send(bytes.data(), bytes.size());
  }
  void SetModem(serial::DWORD status) {
    std::shared_ptr<serial::VirtualLine> l;
    {
      std::lock_guard<std::mutex> lock(m);
      l = line;
    }
    if (l) l->SetModemLines(status);
  }
  std::size_t ReceivedCount() {
    std::lock_guard<std::mutex> lock(m);
    return received.size();
  }
  template <class F>
  auto With(F f) {
    std::lock_guard<std::mutex> lock(m);
    return f(*this);
  }

  std::mutex m;
  std::shared_ptr<serial::VirtualLine> line;
  std::vector<std::uint8_t> received;
  bool echo = false;
  bool rts = false, dtr = false, breakOn = false;
  int lineChanges = 0, attaches = 0, detaches = 0, purgedRx = 0, purgedTx = 0;
  serial::LineSettings settings;
  bool refuseSettings = false;
};

}  // namespace serial_test
