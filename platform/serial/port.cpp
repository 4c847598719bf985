// The port: queues, time-outs, events and the I/O thread that connects them
// to whatever backend stands behind the port.
#include "platform/serial/port.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/serial/backend_p.h"
#include "platform/serial/backends_p.h"
#include "platform/serial/port_map.h"

namespace serial {

namespace {
std::atomic<int> runningThreads{0};
using Clock = std::chrono::steady_clock;
}  // namespace

int RunningPortThreads() { return runningThreads.load(); }

namespace detail {

class PortImpl : public BackendSink {
 public:
  explicit PortImpl(std::unique_ptr<Backend> backend) : backend_(std::move(backend)) {}
  ~PortImpl() override { Close(); }

  bool Start() {
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
      SetLastError(ErrorFromErrno(errno));
      backend_->Stop();
      return false;
    }
    backend_->Start(this);
    {
      std::lock_guard<std::mutex> control(controlMutex_);
      backend_->Configure(dcb_);  // raw mode at the default settings
    }
    io_ = std::thread([this] { IoLoop(); });
    return true;
  }

  void Close() {
    {
      // Bytes a write has accepted still go out, unless the line is dead.
      std::unique_lock<std::mutex> lock(m_);
      if (closed_) return;
      if (io_.joinable() && io_.get_id() != std::this_thread::get_id())
        cv_.wait_for(lock, std::chrono::seconds(1), [&] { return tx_.empty() || broken_; });
      closed_ = true;
    }
    cv_.notify_all();
    Wake();
    if (io_.joinable()) {
      if (io_.get_id() == std::this_thread::get_id())
        io_.detach();
      else
        io_.join();
    }
    {
      std::lock_guard<std::mutex> control(controlMutex_);
      backend_->Stop();
    }
    if (wake_[0] >= 0) ::close(wake_[0]);
    if (wake_[1] >= 0) ::close(wake_[1]);
    wake_[0] = wake_[1] = -1;
  }

  // --- BackendSink ---
  void Received(const std::uint8_t* data, std::size_t count) override {
    std::lock_guard<std::mutex> lock(m_);
    if (closed_ || count == 0) return;
    DWORD events = EV_RXCHAR;
    for (std::size_t i = 0; i < count; ++i) {
      if (rx_.size() >= rxCapacity_) {
        errors_ |= CE_RXOVER;
        events |= EV_ERR;
        break;
      }
      rx_.push_back(data[i]);
      if (static_cast<char>(data[i]) == dcb_.EvtChar) events |= EV_RXFLAG;
    }
    RaiseLocked(events);
  }

  void ModemChanged(DWORD status) override {
    std::lock_guard<std::mutex> lock(m_);
    DWORD changed = (status ^ modem_) & (MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON);
    modem_ = status & (MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON);
    DWORD events = 0;
    if (changed & MS_CTS_ON) events |= EV_CTS;
    if (changed & MS_DSR_ON) events |= EV_DSR;
    if (changed & MS_RLSD_ON) events |= EV_RLSD;
    if (changed & MS_RING_ON) events |= EV_RING;
    RaiseLocked(events);
  }

  void LineErrors(DWORD errors) override {
    std::lock_guard<std::mutex> lock(m_);
    errors_ |= errors;
    DWORD events = 0;
    if (errors & CE_BREAK) events |= EV_BREAK;
    if (errors & (CE_FRAME | CE_OVERRUN | CE_RXPARITY | CE_RXOVER)) events |= EV_ERR;
    RaiseLocked(events);
  }

  void Disconnected() override {
    std::lock_guard<std::mutex> lock(m_);
    broken_ = true;
    cv_.notify_all();
  }

  // --- the calls of Port ---
  bool SetupComm(DWORD in, DWORD out) {
    // Under the control lock: no read from the device is under way that was
    // sized for the old queue.
    std::lock_guard<std::mutex> control(controlMutex_);
    {
      std::lock_guard<std::mutex> lock(m_);
      if (!CheckOpenLocked()) return false;
      rxCapacity_ = std::max<DWORD>(in, 1);
      txCapacity_ = std::max<DWORD>(out, 1);
    }
    cv_.notify_all();  // writers may have more room now
    Wake();            // the I/O thread sizes its next read anew
    return true;
  }

  bool GetCommState(DCB& dcb) {
    std::lock_guard<std::mutex> lock(m_);
    if (!CheckOpenLocked()) return false;
    dcb = dcb_;
    return true;
  }

  bool SetCommState(const DCB& dcb) {
    std::lock_guard<std::mutex> control(controlMutex_);
    if (!IsOpen()) return Fail(ERROR_INVALID_HANDLE);
    if (dcb.BaudRate == 0 || dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY ||
        dcb.StopBits > TWOSTOPBITS)
      return Fail(ERROR_INVALID_PARAMETER);
    if (!backend_->Configure(dcb)) return false;
    {
      std::lock_guard<std::mutex> lock(m_);
      dcb_ = dcb;
    }
    Wake();
    return true;
  }

  bool GetCommTimeouts(COMMTIMEOUTS& t) {
    std::lock_guard<std::mutex> lock(m_);
    if (!CheckOpenLocked()) return false;
    t = timeouts_;
    return true;
  }

  bool SetCommTimeouts(const COMMTIMEOUTS& t) {
    std::lock_guard<std::mutex> lock(m_);
    if (!CheckOpenLocked()) return false;
    timeouts_ = t;
    return true;
  }

  bool ClearCommError(DWORD* errors, COMSTAT* stat) {
    DWORD backendOut = 0;
    {
      std::lock_guard<std::mutex> control(controlMutex_);
      if (!IsOpen()) return Fail(ERROR_INVALID_HANDLE);
      backendOut = backend_->OutQueue();
    }
    std::lock_guard<std::mutex> lock(m_);
    // A device that has gone (a network port whose server stopped, an
    // unplugged adapter) fails once what it sent has been read; what is
    // still queued for it will never leave.
    if (broken_ && rx_.empty()) return Fail(ERROR_IO_DEVICE);
    if (broken_) backendOut = 0;
    if (errors) *errors = errors_;
    errors_ = 0;
    if (stat) {
      *stat = COMSTAT{};
      stat->cbInQue = static_cast<DWORD>(rx_.size());
      stat->cbOutQue = broken_ ? 0 : static_cast<DWORD>(tx_.size()) + backendOut;
    }
    return true;
  }

  bool PurgeComm(DWORD flags) {
    if (flags & ~(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR)) return Fail(ERROR_INVALID_PARAMETER);
    std::lock_guard<std::mutex> control(controlMutex_);
    {
      std::lock_guard<std::mutex> lock(m_);
      if (!CheckOpenLocked()) return false;
      if (flags & PURGE_RXABORT) ++rxAbort_;
      if (flags & PURGE_TXABORT) ++txAbort_;
      if (flags & PURGE_RXCLEAR) rx_.clear();
      if (flags & PURGE_TXCLEAR) {
        tx_.clear();
        ++txPurge_;
      }
    }
    cv_.notify_all();
    if (flags & (PURGE_RXCLEAR | PURGE_TXCLEAR)) backend_->Purge(flags & PURGE_RXCLEAR, flags & PURGE_TXCLEAR);
    Wake();
    return true;
  }

  bool ReadFile(void* buffer, DWORD count, DWORD& read) {
    read = 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::unique_lock<std::mutex> lock(m_);
    if (!CheckOpenLocked()) return false;
    if (count == 0) return true;
    const COMMTIMEOUTS t = timeouts_;
    const bool immediate =
        t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
    const bool firstByteReturns = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD &&
                                  t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != MAXDWORD;
    std::optional<Clock::time_point> deadline;
    const Clock::time_point start = Clock::now();
    if (firstByteReturns) {
      deadline = start + std::chrono::milliseconds(t.ReadTotalTimeoutConstant);
    } else {
      std::uint64_t total = std::uint64_t(t.ReadTotalTimeoutMultiplier) * count + t.ReadTotalTimeoutConstant;
      if (total != 0) deadline = start + std::chrono::milliseconds(total);
    }
    const bool useInterval = t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != MAXDWORD;
    const std::uint64_t abortMark = rxAbort_;
    Clock::time_point lastByte = start;
    for (;;) {
      DWORD n = std::min<DWORD>(count - read, static_cast<DWORD>(rx_.size()));
      if (n) {
        if (rx_.size() >= rxCapacity_) Wake();  // the I/O thread may fetch more now
        std::copy_n(rx_.begin(), n, out + read);
        rx_.erase(rx_.begin(), rx_.begin() + n);
        read += n;
        lastByte = Clock::now();
      }
      if (read == count || immediate || (firstByteReturns && read > 0)) return true;
      if (closed_ || rxAbort_ != abortMark) return Fail(ERROR_OPERATION_ABORTED);
      if (broken_) return Fail(ERROR_IO_DEVICE);
      std::optional<Clock::time_point> until = deadline;
      if (useInterval && read > 0) {
        auto intervalEnd = lastByte + std::chrono::milliseconds(t.ReadIntervalTimeout);
        if (!until || intervalEnd < *until) until = intervalEnd;
      }
      if (until) {
        if (cv_.wait_until(lock, *until) == std::cv_status::timeout && rx_.empty()) return true;
      } else {
        cv_.wait(lock);
      }
    }
  }

  bool WriteFile(const void* buffer, DWORD count, DWORD& written) {
    written = 0;
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    std::unique_lock<std::mutex> lock(m_);
    if (!CheckOpenLocked()) return false;
    if (broken_) return Fail(ERROR_IO_DEVICE);
    const COMMTIMEOUTS t = timeouts_;
    std::uint64_t total = std::uint64_t(t.WriteTotalTimeoutMultiplier) * count + t.WriteTotalTimeoutConstant;
    std::optional<Clock::time_point> deadline;
    if (total != 0) deadline = Clock::now() + std::chrono::milliseconds(total);
    const std::uint64_t abortMark = txAbort_;
    while (written < count) {
      std::size_t room = txCapacity_ > tx_.size() ? txCapacity_ - tx_.size() : 0;
      if (room) {
        DWORD n = std::min<DWORD>(count - written, static_cast<DWORD>(room));
        tx_.insert(tx_.end(), in + written, in + written + n);
        written += n;
        txEmptyArmed_ = true;
        lock.unlock();
        Wake();
        lock.lock();
        continue;
      }
      if (closed_ || txAbort_ != abortMark) return Fail(ERROR_OPERATION_ABORTED);
      if (broken_) return Fail(ERROR_IO_DEVICE);
      if (deadline) {
        if (cv_.wait_until(lock, *deadline) == std::cv_status::timeout && tx_.size() >= txCapacity_)
          return true;  // a write time-out: success with fewer bytes
      } else {
        cv_.wait(lock);
      }
    }
    return true;
  }

  bool SetCommMask(DWORD mask) {
    {
      std::lock_guard<std::mutex> lock(m_);
      if (!CheckOpenLocked()) return false;
      mask_ = mask & EV_ALL;
      history_ = 0;
      ++maskGeneration_;
    }
    cv_.notify_all();
    return true;
  }

  bool GetCommMask(DWORD& mask) {
    std::lock_guard<std::mutex> lock(m_);
    if (!CheckOpenLocked()) return false;
    mask = mask_;
    return true;
  }

  bool WaitCommEvent(DWORD& events) {
    events = 0;
    std::unique_lock<std::mutex> lock(m_);
    if (!CheckOpenLocked()) return false;
    const std::uint64_t generation = maskGeneration_;
    cv_.wait(lock, [&] { return closed_ || cancelled_ || history_ != 0 || maskGeneration_ != generation; });
    if (closed_ || cancelled_) return Fail(ERROR_OPERATION_ABORTED);
    if (maskGeneration_ != generation) return true;
    events = history_;
    history_ = 0;
    return true;
  }

  void CancelWait() {
    {
      std::lock_guard<std::mutex> lock(m_);
      cancelled_ = true;
    }
    cv_.notify_all();
  }

  bool EscapeCommFunction(DWORD function) {
    std::lock_guard<std::mutex> control(controlMutex_);
    if (!IsOpen()) return Fail(ERROR_INVALID_HANDLE);
    switch (function) {
      case SETRTS:
      case CLRRTS:
      case SETDTR:
      case CLRDTR: {
        bool rts = rts_, dtr = dtr_;
        if (function == SETRTS) rts = true;
        if (function == CLRRTS) rts = false;
        if (function == SETDTR) dtr = true;
        if (function == CLRDTR) dtr = false;
        if (!backend_->SetControlLines(rts, dtr)) return false;
        rts_ = rts;
        dtr_ = dtr;
        break;
      }
      case SETBREAK:
      case CLRBREAK:
        if (!backend_->SetBreak(function == SETBREAK)) return false;
        break;
      case SETXON:
      case SETXOFF: break;  // no software flow control is applied to the line
      default: return Fail(ERROR_INVALID_PARAMETER);
    }
    Wake();
    return true;
  }

  bool GetCommModemStatus(DWORD& status) {
    std::lock_guard<std::mutex> control(controlMutex_);
    if (!IsOpen()) return Fail(ERROR_INVALID_HANDLE);
    if (!backend_->ModemStatus(status)) return false;
    status &= MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON;
    return true;
  }

 private:
  static bool Fail(DWORD code) {
    SetLastError(code);
    return false;
  }
  bool IsOpen() {
    std::lock_guard<std::mutex> lock(m_);
    return !closed_;
  }
  bool CheckOpenLocked() { return closed_ ? Fail(ERROR_INVALID_HANDLE) : true; }

  void RaiseLocked(DWORD events) {
    if (events & mask_) {
      history_ |= events & mask_;
      cv_.notify_all();
    }
    if (events & EV_RXCHAR) cv_.notify_all();  // readers wait for bytes
  }

  std::size_t RxRoom() {
    std::lock_guard<std::mutex> lock(m_);
    return rx_.size() >= rxCapacity_ ? 0 : rxCapacity_ - rx_.size();
  }

  void Wake() {
    if (wake_[1] >= 0) {
      char c = 1;
      [[maybe_unused]] ssize_t r = ::write(wake_[1], &c, 1);
    }
  }

  // Moves queued bytes to the backend; answers true when the backend could
  // not take them all (the thread then waits until it can write).
  bool Transmit() {
    std::vector<std::uint8_t> chunk;
    std::uint64_t purgeMark;
    {
      std::lock_guard<std::mutex> lock(m_);
      if (tx_.empty() || broken_) return false;
      std::size_t n = std::min<std::size_t>(tx_.size(), 4096);
      chunk.assign(tx_.begin(), tx_.begin() + n);
      purgeMark = txPurge_;
    }
    long taken;
    {
      std::lock_guard<std::mutex> control(controlMutex_);
      taken = backend_->WriteSome(chunk.data(), chunk.size());
    }
    std::lock_guard<std::mutex> lock(m_);
    if (taken < 0) {
      broken_ = true;
      errors_ |= CE_FRAME;
      cv_.notify_all();
      return false;
    }
    if (txPurge_ == purgeMark) tx_.erase(tx_.begin(), tx_.begin() + taken);
    cv_.notify_all();  // writers wait for room
    return static_cast<std::size_t>(taken) < chunk.size();
  }

  void IoLoop() {
    ++runningThreads;
    const int fd = backend_->Fd();
    const int modemPoll = backend_->ModemPollMs();
    bool fdAlive = fd >= 0;
    DWORD lastModem = 0;
    bool haveModem = false;
    auto nextModemPoll = Clock::now();
    for (;;) {
      {
        std::lock_guard<std::mutex> lock(m_);
        if (closed_) break;
      }
      bool blocked = Transmit();
      bool waitDrain = false, rxFull = false, backendWrites = false;
      {
        DWORD out;
        {
          std::lock_guard<std::mutex> control(controlMutex_);
          out = backend_->OutQueue();
          backendWrites = backend_->WantsWrite();
        }
        std::lock_guard<std::mutex> lock(m_);
        if (txEmptyArmed_ && tx_.empty()) {
          if (out == 0) {
            txEmptyArmed_ = false;
            RaiseLocked(EV_TXEMPTY);
          } else {
            waitDrain = true;
          }
        }
        rxFull = rx_.size() >= rxCapacity_;
      }
      if (modemPoll >= 0 && Clock::now() >= nextModemPoll) {
        DWORD status = 0;
        bool ok;
        {
          std::lock_guard<std::mutex> control(controlMutex_);
          ok = backend_->ModemStatus(status);
        }
        if (ok && (!haveModem || status != lastModem)) {
          lastModem = status;
          haveModem = true;
          ModemChanged(status);
        }
        nextModemPoll = Clock::now() + std::chrono::milliseconds(modemPoll);
      }

      pollfd fds[2];
      int nfds = 0;
      fds[nfds++] = {wake_[0], POLLIN, 0};
      if (fdAlive) {
        short ev = 0;
        if (!rxFull) ev |= POLLIN;
        if (blocked || backendWrites) ev |= POLLOUT;
        // With the queue full and nothing to send the device stays out of
        // the wait: a hang-up it reports could not be served yet and would
        // only spin the loop until the program reads again.
        fds[nfds++] = {ev ? fd : -1, ev, 0};
      }
      int timeout = -1;
      auto shorten = [&](int ms) { timeout = timeout < 0 ? ms : std::min(timeout, ms); };
      if (waitDrain) shorten(1);
      if (rxFull) shorten(5);
      if (blocked && !fdAlive) shorten(1);
      if (modemPoll >= 0) shorten(modemPoll);
      int r = ::poll(fds, nfds, timeout);
      if (r < 0 && errno != EINTR) break;
      if (r <= 0) continue;
      if (fds[0].revents & POLLIN) {
        char buf[64];
        while (::read(wake_[0], buf, sizeof buf) > 0) {
        }
      }
      if (nfds > 1 && (fds[1].revents & POLLOUT)) {
        std::lock_guard<std::mutex> control(controlMutex_);
        backend_->OnWritable();
      }
      if (nfds > 1 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
        bool alive;
        {
          // The room is taken now, not before the wait: the queue may have
          // shrunk meanwhile, and bytes read beyond it would be lost. The
          // control lock keeps it from shrinking until the read is done.
          std::lock_guard<std::mutex> control(controlMutex_);
          const std::size_t room = RxRoom();
          alive = room == 0 || backend_->OnReadable(room);
        }
        if (!alive) {
          fdAlive = false;
          Disconnected();
        }
      }
    }
    --runningThreads;
  }

  std::unique_ptr<Backend> backend_;
  std::mutex controlMutex_;  // serialises calls into the backend; taken before m_
  std::mutex m_;             // the queues and state below
  std::condition_variable cv_;
  std::deque<std::uint8_t> rx_, tx_;
  std::size_t rxCapacity_ = 4096, txCapacity_ = 2048;
  DCB dcb_;
  COMMTIMEOUTS timeouts_;
  DWORD errors_ = 0, mask_ = 0, history_ = 0, modem_ = 0;
  std::uint64_t maskGeneration_ = 0, rxAbort_ = 0, txAbort_ = 0, txPurge_ = 0;
  bool rts_ = true, dtr_ = true;
  bool closed_ = false, cancelled_ = false, broken_ = false, txEmptyArmed_ = false;
  int wake_[2] = {-1, -1};
  std::thread io_;
};

}  // namespace detail

Port::Port(std::unique_ptr<detail::PortImpl> impl) : impl_(std::move(impl)) {}
Port::~Port() { Close(); }

bool Port::SetupComm(DWORD in, DWORD out) { return impl_->SetupComm(in, out); }
bool Port::GetCommState(DCB& dcb) { return impl_->GetCommState(dcb); }
bool Port::SetCommState(const DCB& dcb) { return impl_->SetCommState(dcb); }
bool Port::GetCommTimeouts(COMMTIMEOUTS& t) { return impl_->GetCommTimeouts(t); }
bool Port::SetCommTimeouts(const COMMTIMEOUTS& t) { return impl_->SetCommTimeouts(t); }
bool Port::ClearCommError(DWORD* errors, COMSTAT* stat) { return impl_->ClearCommError(errors, stat); }
bool Port::PurgeComm(DWORD flags) { return impl_->PurgeComm(flags); }
bool Port::ReadFile(void* b, DWORD n, DWORD& r) { return impl_->ReadFile(b, n, r); }
bool Port::WriteFile(const void* b, DWORD n, DWORD& w) { return impl_->WriteFile(b, n, w); }
bool Port::SetCommMask(DWORD mask) { return impl_->SetCommMask(mask); }
bool Port::GetCommMask(DWORD& mask) { return impl_->GetCommMask(mask); }
bool Port::WaitCommEvent(DWORD& events) { return impl_->WaitCommEvent(events); }
void Port::CancelWait() { impl_->CancelWait(); }
bool Port::EscapeCommFunction(DWORD f) { return impl_->EscapeCommFunction(f); }
bool Port::GetCommModemStatus(DWORD& s) { return impl_->GetCommModemStatus(s); }
void Port::Close() { impl_->Close(); }

std::unique_ptr<Port> CreatePort(std::string_view deviceName) {
  std::string target;
  if (!ResolveDeviceName(deviceName, target)) return nullptr;
  std::unique_ptr<detail::Backend> backend = detail::OpenBackend(target);
  if (!backend) return nullptr;
  auto impl = std::make_unique<detail::PortImpl>(std::move(backend));
  if (!impl->Start()) return nullptr;
  SetLastError(ERROR_SUCCESS);
  return std::unique_ptr<Port>(new Port(std::move(impl)));
}

}  // namespace serial
