// A simulated recorder on a line the link layer polls, without threads: bytes
// written reach the recorder model at once and its answers become readable
// after a set latency on the injected clock. The cable can be pulled, bytes
// can be cut after a count, and every request is recorded.
#pragma once
#include <deque>
#include <functional>
#include <vector>

#include "app/Link.h"
#include "platform/rtl/clock.h"
#include "tests/support/recorder_model.h"

namespace apptest {

class FakeLine : public app::TLinkPort {
 public:
  explicit FakeLine(rtl::ManualClock& clock) : clock_(clock) {}

  sim::RecorderModel model;
  bool exists = true;     // Open succeeds
  bool plugged = true;    // bytes pass, CTS follows RTS
  bool ctsStuck = false;  // CTS always on (a foreign device)
  bool dsrOn = false;
  int latencyMs = 0;                              // answer bytes readable this long after the request
  long passBytes = -1;                            // after this many answer bytes the cable is pulled (-1 never)
  long garbageAt = -1;                            // noise slips in before this answer byte (-1 never)
  std::vector<std::uint8_t> written;              // everything the host sent
  std::vector<std::vector<std::uint8_t>> frames;  // the same, frame by frame
  std::function<void(FakeLine&)> onWrite;         // runs after each written byte

  bool Enabled() override { return open_; }
  bool Open() override {
    open_ = exists;
    return open_;
  }
  void Close() override { open_ = false; }
  int Read(char* buffer, int count) override {
    if (!open_) return -1;
    Deliver();
    int n = 0;
    while (n < count && !rx_.empty()) {
      buffer[n++] = static_cast<char>(rx_.front());
      rx_.pop_front();
    }
    return n;
  }
  int Write(const char* buffer, int count) override {
    if (!open_) return -1;
    for (int i = 0; i < count; ++i) {
      const auto b = static_cast<std::uint8_t>(buffer[i]);
      written.push_back(b);
      if (frameStart_ || frames.empty()) frames.emplace_back();
      frameStart_ = false;
      frames.back().push_back(b);
      if (plugged) {
        sim::Bytes out;
        model.Receive(b, double(clock_.NowMs()) * 1000.0, out);
        for (auto o : out) pending_.push_back({clock_.NowMs() + std::uint64_t(latencyMs), o});
      }
      if (onWrite) onWrite(*this);
    }
    return count;
  }
  int InQueCount() override {
    if (!open_) return -1;
    Deliver();
    return static_cast<int>(rx_.size());
  }
  int OutQueCount() override { return open_ ? 0 : -1; }
  // Every request frame is sent after a purge of the input.
  void PurgeIn() override {
    rx_.clear();
    frameStart_ = true;
  }
  void SetDeviceName(const rtl::AnsiString& name) override { deviceName = name; }
  void SetBaudRate(comm::TBaudRate rate) override { baud = rate; }
  bool GetModemState(comm::TModemLine line) override {
    if (!open_) return false;
    if (line == comm::mlCTS) return ctsStuck || (plugged && rts_);
    if (line == comm::mlDSR) return dsrOn;
    return false;
  }
  void SetRTSState(bool on) override { rts_ = on; }
  void SetDTRState(bool on) override { dtr_ = on; }

  // Bytes injected as if the recorder had sent them.
  void Inject(const std::vector<std::uint8_t>& bytes) {
    for (auto b : bytes) rx_.push_back(b);
  }
  // Request codes (first byte of each frame the model answered or dropped).
  const std::vector<std::uint8_t>& Requests() const { return model.requests; }
  bool rts() const { return rts_; }
  bool dtr() const { return dtr_; }
  rtl::AnsiString deviceName;
  comm::TBaudRate baud = comm::br9600;
  long delivered = 0;

 private:
  void Deliver() {
    while (!pending_.empty() && pending_.front().due <= clock_.NowMs()) {
      if (!plugged || (passBytes >= 0 && delivered >= passBytes)) {
        plugged = false;
        pending_.clear();
        break;
      }
      if (delivered == garbageAt) {
        for (std::uint8_t g : {0x5A, 0xFF, 0x00, 0x13, 0x06, 0xA5, 0x07}) rx_.push_back(g);
        garbageAt = -1;
      }
      rx_.push_back(pending_.front().byte);
      pending_.pop_front();
      ++delivered;
    }
  }
  struct Pending {
    std::uint64_t due;
    std::uint8_t byte;
  };
  rtl::ManualClock& clock_;
  std::deque<Pending> pending_;
  std::deque<std::uint8_t> rx_;
  bool open_ = false;
  bool frameStart_ = true;
  bool rts_ = false, dtr_ = false;
};

// A view that records what the link shows and answers questions from a queue.
class RecordingView : public app::TLinkView {
 public:
  std::vector<rtl::AnsiString> panels = std::vector<rtl::AnsiString>(5);
  std::vector<rtl::AnsiString> panel0History, panel1History;
  std::vector<app::TLamp> lamps;
  bool cancelVisible = false, progressVisible = false, recordingEnabled = false;
  std::vector<int> ports;
  int checkedPort = -1;
  // What the link asked or told, in order, and of which kind.
  enum class Kind { PortProblem, Confirm, LinkError };
  std::vector<std::pair<rtl::AnsiString, Kind>> asked;
  std::deque<app::TPortAnswer> portAnswers;  // none left: Ignore
  std::deque<bool> confirmAnswers;           // none left: No
  int haltCode = -1;
  std::function<void()> onPump;
  std::function<void()> onConfirm;  // runs while the question is up

  void SetPanelText(int panel, const rtl::AnsiString& text) override {
    panels[std::size_t(panel)] = text;
    if (panel == 0) panel0History.push_back(text);
    if (panel == 1) panel1History.push_back(text);
  }
  rtl::AnsiString PanelText(int panel) override { return panels[std::size_t(panel)]; }
  void SetLamp(app::TLamp lamp) override {
    if (lamps.empty() || lamps.back() != lamp) lamps.push_back(lamp);
    ProcessMessages();
  }
  void ProcessMessages() override {
    if (onPump) onPump();
  }
  void ShowCancelButton(bool v) override { cancelVisible = v; }
  void ShowProgressBar(bool v) override { progressVisible = v; }
  void EnableRecordingActions(bool e) override { recordingEnabled = e; }
  bool RecordingActionsEnabled() override { return recordingEnabled; }
  void ShowPortList(const std::vector<int>& p, int checked) override {
    ports = p;
    checkedPort = checked;
  }
  app::TPortAnswer AskPortProblem(const rtl::AnsiString& text) override {
    asked.push_back({text, Kind::PortProblem});
    return Next(portAnswers, app::TPortAnswer::Ignore);
  }
  bool Confirm(const rtl::AnsiString& text) override {
    asked.push_back({text, Kind::Confirm});
    if (onConfirm) onConfirm();
    return Next(confirmAnswers, false);
  }
  void ShowLinkError(const rtl::AnsiString& text) override { asked.push_back({text, Kind::LinkError}); }
  void Halt(int code) override { haltCode = code; }

 private:
  template <class T>
  static T Next(std::deque<T>& queue, T otherwise) {
    if (queue.empty()) return otherwise;
    T a = queue.front();
    queue.pop_front();
    return a;
  }
};

}  // namespace apptest
