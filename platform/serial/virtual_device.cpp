// In-process devices: the registry of peers and the backend that connects a
// port to one.
#include "platform/serial/virtual_device.h"

#include <map>
#include <mutex>

#include "platform/serial/backends_p.h"

namespace serial {

namespace {

struct Registered {
  std::shared_ptr<VirtualPeer> peer;
  bool inUse = false;
};

std::mutex registryMutex;
std::map<std::string, Registered>& Registry() {
  static std::map<std::string, Registered> registry;
  return registry;
}

// The line a peer talks back through; cut off when the host closes.
class HostLine : public VirtualLine {
 public:
  explicit HostLine(detail::BackendSink* sink) : sink_(sink) {}

  void Send(const std::uint8_t* data, std::size_t count) override {
    std::lock_guard<std::mutex> lock(m_);
    if (sink_) sink_->Received(data, count);
  }
  void SetModemLines(DWORD status) override {
    std::lock_guard<std::mutex> lock(m_);
    modem_ = status;
    if (sink_) sink_->ModemChanged(status);
  }
  void SignalLineErrors(DWORD errors) override {
    std::lock_guard<std::mutex> lock(m_);
    if (sink_) sink_->LineErrors(errors);
  }
  DWORD Modem() {
    std::lock_guard<std::mutex> lock(m_);
    return modem_;
  }
  void Cut() {
    std::lock_guard<std::mutex> lock(m_);
    sink_ = nullptr;
  }

 private:
  std::mutex m_;
  detail::BackendSink* sink_;
  DWORD modem_ = 0;
};

class VirtualBackend : public detail::Backend {
 public:
  VirtualBackend(std::string name, std::shared_ptr<VirtualPeer> peer)
      : name_(std::move(name)), peer_(std::move(peer)) {}
  ~VirtualBackend() override { Stop(); }

  void Start(detail::BackendSink* sink) override {
    sink_ = sink;
    line_ = std::make_shared<HostLine>(sink);
    peer_->Attach(line_);
    peer_->HostControlLines(true, true);  // opening a port raises RTS and DTR
  }
  long WriteSome(const std::uint8_t* data, std::size_t count) override {
    peer_->HostBytes(data, count);
    return static_cast<long>(count);
  }
  bool Configure(const DCB& dcb) override {
    LineSettings s{dcb.BaudRate, dcb.ByteSize, dcb.Parity, dcb.StopBits};
    if (!peer_->HostLineSettings(s)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    return true;
  }
  bool SetControlLines(bool rts, bool dtr) override {
    peer_->HostControlLines(rts, dtr);
    return true;
  }
  bool SetBreak(bool on) override {
    peer_->HostBreak(on);
    return true;
  }
  bool ModemStatus(DWORD& status) override {
    status = line_ ? line_->Modem() : 0;
    return true;
  }
  void Purge(bool receive, bool transmit) override { peer_->HostPurge(receive, transmit); }
  void Stop() override {
    if (stopped_) return;
    stopped_ = true;
    if (line_) {
      line_->Cut();
      line_.reset();
      peer_->Attach(nullptr);
    }
    std::lock_guard<std::mutex> lock(registryMutex);
    auto it = Registry().find(name_);
    if (it != Registry().end() && it->second.peer == peer_) it->second.inUse = false;
  }

 private:
  std::string name_;
  std::shared_ptr<VirtualPeer> peer_;
  std::shared_ptr<HostLine> line_;
  bool stopped_ = false;
};

}  // namespace

void RegisterVirtualDevice(const std::string& name, std::shared_ptr<VirtualPeer> peer) {
  std::lock_guard<std::mutex> lock(registryMutex);
  Registry()[name] = Registered{std::move(peer), false};
}

void UnregisterVirtualDevice(const std::string& name) {
  std::lock_guard<std::mutex> lock(registryMutex);
  Registry().erase(name);
}

std::shared_ptr<VirtualPeer> FindVirtualDevice(const std::string& name) {
  std::lock_guard<std::mutex> lock(registryMutex);
  auto it = Registry().find(name);
  return it == Registry().end() ? nullptr : it->second.peer;
}

namespace detail {

std::unique_ptr<Backend> OpenVirtualBackend(const std::string& name) {
  std::shared_ptr<VirtualPeer> peer;
  {
    std::lock_guard<std::mutex> lock(registryMutex);
    auto it = Registry().find(name);
    if (it == Registry().end() || !it->second.peer) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return nullptr;
    }
    if (it->second.inUse) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    it->second.inUse = true;
    peer = it->second.peer;
  }
  return std::make_unique<VirtualBackend>(name, std::move(peer));
}

}  // namespace detail
}  // namespace serial
