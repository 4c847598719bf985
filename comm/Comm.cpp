#include "comm/Comm.h"

#include <atomic>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/format.h"
#include "platform/rtl/variant.h"

namespace comm {

using namespace serial;

namespace {

constexpr DWORD kBaudRates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                19200, 38400, 56000, 57600, 115200, 128000, 256000};
constexpr DWORD kEventBits[] = {EV_BREAK, EV_CTS, EV_DSR, EV_ERR, EV_RING, EV_RLSD, EV_RXCHAR, EV_RXFLAG, EV_TXEMPTY};

constexpr const char* kAlreadyOpen = "Port already assigned (open) (Error: %d)";
constexpr const char* kBuffersFailed = "Error initializing Read/Write Buffers (Error: %d)";
constexpr const char* kDcbFailed = "Error updating DataControlBlock (Error: %d)";
constexpr const char* kTimeoutsFailed = "Error updating CommTimeouts (Error: %d)";
constexpr const char* kEscapeFailed = "EscapeCommFunction failure (Error: %d)";
constexpr const char* kNotOpen = "Port not open (Error: %d)";

bool Has(unsigned set, unsigned member) { return (set >> member) & 1u; }

}  // namespace

DWORD BaudRateValue(TBaudRate rate) { return rate <= br256000 ? kBaudRates[rate] : 9600; }

std::uint8_t ParityValue(TParity parity) {
  switch (parity) {
    case paOdd: return ODDPARITY;
    case paEven: return EVENPARITY;
    case paMark: return MARKPARITY;
    case paSpace: return SPACEPARITY;
    default: return NOPARITY;
  }
}

std::uint8_t StopBitsValue(TStopBits stopBits) {
  return stopBits == sb15 ? ONE5STOPBITS : stopBits == sb20 ? TWOSTOPBITS : ONESTOPBIT;
}

std::uint8_t DataBitsValue(TDataBits dataBits) { return static_cast<std::uint8_t>(4 + dataBits); }

DWORD EventMaskOf(TCommEventTypes events) {
  DWORD mask = 0;
  for (unsigned e = evBreak; e <= evTxEmpty; ++e)
    if (Has(events, e)) mask |= kEventBits[e];
  return mask;
}

// The traditional rule is 19200 divided by the rate's ordinal; the lowest
// rate (ordinal 0) takes the divisor 1 rather than dividing by zero.
DWORD WriteTimeoutMultiplier(TBaudRate rate) { return 19200 / (rate == br110 ? 1u : unsigned(rate)); }

// --- TCommEventChars ---

void TCommEventChars::SetEventChar(int index, char c) {
  if (index < 1 || index > 5) return;
  chars_[index - 1] = c;
  if (owner_) owner_->UpdateDataControlBlock();
}

void TCommEventChars::Assign(const rtl::TPersistent* source) {
  if (auto* other = dynamic_cast<const TCommEventChars*>(source)) {
    for (int i = 0; i < 5; ++i) chars_[i] = other->chars_[i];
    return;
  }
  rtl::TPersistent::Assign(source);
}

// --- TCommEventThread ---

TCommEventThread::TCommEventThread(std::shared_ptr<Port> port, TCommEventTypes events, DWORD suspendTime)
    : rtl::TThread(true), port_(std::move(port)), suspendTime_(suspendTime) {
  port_->SetCommMask(EventMaskOf(events));
}

TCommEventThread::~TCommEventThread() {
  SetCallback(nullptr);
  Terminate();
  port_->CancelWait();
  WaitFor();
}

void TCommEventThread::SetCallback(Callback callback) {
  std::lock_guard<std::mutex> lock(callbackMutex_);
  callback_ = std::move(callback);
}

namespace {
std::atomic<int> runningEventThreads{0};
}

int TCommEventThread::Running() { return runningEventThreads.load(); }

void TCommEventThread::Execute() {
  struct Count {
    Count() { ++runningEventThreads; }
    ~Count() { --runningEventThreads; }
  } count;
  while (!Terminated()) {
    DWORD mask = 0;
    if (!port_->WaitCommEvent(mask)) break;  // the port closed or the wait was cancelled
    if (Terminated()) break;
    if (mask == 0) continue;  // the event mask was changed
    eventMask_ = mask;
    rtl::Synchronize([this] {
      Callback callback;
      {
        std::lock_guard<std::mutex> lock(callbackMutex_);
        callback = callback_;
      }
      if (callback) callback(this, eventMask_);
    });
  }
  port_->PurgeComm(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

// --- TThreadComm ---

TThreadComm::TThreadComm(rtl::TComponent* owner) : rtl::TComponent(owner) {}

TThreadComm::~TThreadComm() {
  try {
    Close();
  } catch (...) {
  }
  retiredThread_.reset();
}

void TThreadComm::RaiseCommError(const char* message, long code) {
  throw rtl::Exception(rtl::Format(message, {rtl::Variant(static_cast<std::int64_t>(code))}));
}

void TThreadComm::Open() {
  const char* error = nullptr;
  long code = 0;
  {
    std::lock_guard<rtl::TCriticalSection> guard(lock_);
    try {
      if (open_) {
        error = kAlreadyOpen;
        code = -1;
      } else {
        retiredThread_.reset();
        CreateHandle();
        if (open_) {
          UpdateCommTimeouts();
          UpdateDataControlBlock();
          if (!handle_->SetupComm(readBufSize_, writeBufSize_)) {
            error = kBuffersFailed;
            code = static_cast<long>(GetLastError());
          }
          eventThread_ = std::make_unique<TCommEventThread>(handle_, monitorEvents_, suspendTime_);
          eventThread_->SetCallback([this](TCommEventThread* thread, DWORD mask) { HandleCommEvent(thread, mask); });
          eventThread_->Start();
        }
      }
    } catch (...) {
      // The time-outs or the line settings were refused: leave no half-open port.
      if (open_) DestroyHandle();
      throw;
    }
  }
  if (error && code != 0) RaiseCommError(error, code);
}

void TThreadComm::StopEventThread() {
  if (!eventThread_) return;
  eventThread_->SetCallback(nullptr);
  eventThread_->Terminate();
  if (handle_) handle_->CancelWait();
  if (dispatchDepth_ > 0) {
    // Called from a handler the thread is waiting on: it ends as soon as the
    // handler returns.
    retiredThread_ = std::move(eventThread_);
    return;
  }
  eventThread_->WaitFor();  // serves hand-overs still queued, which now do nothing
  eventThread_.reset();
}

void TThreadComm::Close() {
  std::lock_guard<rtl::TCriticalSection> guard(lock_);
  if (open_) {
    StopEventThread();
    DestroyHandle();
  }
}

void TThreadComm::CheckOpen() {
  if (open_) RaiseCommError(kAlreadyOpen, -1);
}

void TThreadComm::CreateHandle() {
  std::unique_ptr<Port> port = CreatePort(deviceName_);
  if (!port) return;
  handle_ = std::move(port);
  open_ = true;
  if (handle_->GetFileType() != FILE_TYPE_CHAR) {
    DestroyHandle();
    return;
  }
  handle_->SetCommMask(EV_ALL);
}

void TThreadComm::DestroyHandle() {
  if (handle_) handle_->Close();
  handle_.reset();
  open_ = false;
}

int TThreadComm::Read(char* buffer, unsigned long count) {
  std::lock_guard<rtl::TCriticalSection> guard(lock_);
  if (!open_) return -1;
  handle_->ClearCommError(nullptr, nullptr);
  if (count == 0) return 0;
  DWORD read = 0;
  if (!handle_->ReadFile(buffer, static_cast<DWORD>(count), read)) handle_->ClearCommError(nullptr, nullptr);
  return static_cast<int>(read);
}

int TThreadComm::Write(const char* buffer, unsigned long count) {
  std::lock_guard<rtl::TCriticalSection> guard(lock_);
  if (!open_) return -1;
  DWORD written = 0;
  if (!handle_->WriteFile(buffer, static_cast<DWORD>(count), written)) handle_->ClearCommError(nullptr, nullptr);
  return static_cast<int>(written);
}

int TThreadComm::InQueCount() {
  if (!open_) return -1;
  COMSTAT stat;
  DWORD errors = 0;
  // A device that has gone counts as closed.
  if (!handle_->ClearCommError(&errors, &stat)) return -1;
  return static_cast<int>(stat.cbInQue);
}

int TThreadComm::OutQueCount() {
  if (!open_) return -1;
  COMSTAT stat;
  DWORD errors = 0;
  if (!handle_->ClearCommError(&errors, &stat)) return -1;
  return static_cast<int>(stat.cbOutQue);
}

void TThreadComm::PurgeIn() {
  if (open_) handle_->PurgeComm(PURGE_RXABORT | PURGE_RXCLEAR);
}

void TThreadComm::PurgeOut() {
  if (open_) handle_->PurgeComm(PURGE_TXABORT | PURGE_TXCLEAR);
}

bool TThreadComm::GetModemState(int line) {
  if (!open_) return false;
  DWORD bit;
  switch (line) {
    case mlCTS: bit = MS_CTS_ON; break;
    case mlDSR: bit = MS_DSR_ON; break;
    case mlRING: bit = MS_RING_ON; break;
    case mlRLSD: bit = MS_RLSD_ON; break;
    default: return false;
  }
  DWORD status = 0;
  if (!handle_->GetCommModemStatus(status)) return false;
  return (status & bit) != 0;
}

bool TThreadComm::GetComState(int which) {
  if (!open_) return false;
  COMSTAT stat;
  DWORD errors = 0;
  if (!handle_->ClearCommError(&errors, &stat)) return false;
  switch (which) {
    case 2: return stat.fDsrHold;
    case 3: return stat.fRlsdHold;
    case 4: return stat.fXoffHold;
    case 5: return stat.fXoffSent;
    default: return stat.fCtsHold;
  }
}

void TThreadComm::EscapeComm(int code) {
  if (!open_) RaiseCommError(kNotOpen, -1);
  bool ok;
  DWORD error;
  {
    std::lock_guard<rtl::TCriticalSection> guard(lock_);
    ok = handle_->EscapeCommFunction(static_cast<DWORD>(code));
    error = GetLastError();
  }
  if (!ok) RaiseCommError(kEscapeFailed, static_cast<long>(error));
}

void TThreadComm::SetDTRState(bool state) { EscapeComm(state ? SETDTR : CLRDTR); }
void TThreadComm::SetRTSState(bool state) { EscapeComm(state ? SETRTS : CLRRTS); }
void TThreadComm::SetXONState(bool state) { EscapeComm(state ? SETXON : SETXOFF); }

void TThreadComm::SetBREAKState(bool state) {
  EscapeComm(state ? SETBREAK : CLRBREAK);
  std::lock_guard<rtl::TCriticalSection> guard(lock_);
  if (open_) handle_->PurgeComm(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

void TThreadComm::UpdateDataControlBlock() {
  if (!open_) return;
  handle_->SetupComm(readBufSize_, writeBufSize_);
  handle_->GetCommState(dcb_);
  dcb_.BaudRate = BaudRateValue(baudRate_);
  dcb_.Parity = ParityValue(parity_);
  dcb_.StopBits = StopBitsValue(stopBits_);
  dcb_.ByteSize = DataBitsValue(dataBits_);
  dcb_.XonChar = eventChars_.XOnChar();
  dcb_.XoffChar = eventChars_.XOffChar();
  dcb_.ErrorChar = eventChars_.ErrorChar();
  dcb_.EofChar = eventChars_.EofChar();
  dcb_.EvtChar = eventChars_.EvtChar();
  dcb_.XonLim = 1024;
  dcb_.XoffLim = 1024;
  dcb_.fParity = Has(options_, coParityCheck);
  dcb_.fDsrSensitivity = Has(options_, coDsrSensitivity);
  dcb_.fTXContinueOnXoff = Has(options_, coIgnoreXOff);
  dcb_.fErrorChar = Has(options_, coErrorChar);
  dcb_.fNull = Has(options_, coNullStrip);
  if (!handle_->SetCommState(dcb_)) RaiseCommError(kDcbFailed, static_cast<long>(GetLastError()));
}

void TThreadComm::UpdateDataControlBlockLock() {
  std::lock_guard<rtl::TCriticalSection> guard(lock_);
  UpdateDataControlBlock();
}

void TThreadComm::UpdateCommTimeouts() {
  if (!open_) return;
  COMMTIMEOUTS t;
  t.ReadIntervalTimeout = MAXDWORD;
  t.ReadTotalTimeoutMultiplier = 0;
  t.ReadTotalTimeoutConstant = static_cast<DWORD>(readTimeout_);
  t.WriteTotalTimeoutMultiplier = WriteTimeoutMultiplier(baudRate_);
  t.WriteTotalTimeoutConstant = 0;
  if (!handle_->SetCommTimeouts(t)) RaiseCommError(kTimeoutsFailed, static_cast<long>(GetLastError()));
}

void TThreadComm::HandleCommEvent(rtl::TThread* /*sender*/, unsigned long mask) {
  if (!open_) return;
  struct Depth {
    int& d;
    explicit Depth(int& depth) : d(depth) { ++d; }
    ~Depth() { --d; }
  } depth(dispatchDepth_);
  // A handler may close the port: keep it alive for the rest of the dispatch.
  std::shared_ptr<Port> port = handle_;
  DWORD errors = 0;
  COMSTAT stat;
  port->ClearCommError(&errors, &stat);
  if ((mask & EV_BREAK) && OnBreak) OnBreak(this);
  if ((mask & EV_CTS) && OnCts) OnCts(this);
  if ((mask & EV_DSR) && OnDsr) OnDsr(this);
  if ((mask & EV_ERR) && OnError) OnError(this, static_cast<int>(errors));
  if ((mask & EV_RING) && OnRing) OnRing(this);
  if ((mask & EV_RLSD) && OnRlsd) OnRlsd(this);
  if ((mask & EV_RXCHAR) && stat.cbInQue > 0 && OnRxChar) OnRxChar(this, stat.cbInQue);
  if ((mask & EV_RXFLAG) && OnRxFlag) OnRxFlag(this);
  if ((mask & EV_TXEMPTY) && OnTxEmpty) OnTxEmpty(this);
  if (OnComStatEvent) OnComStatEvent(this, static_cast<DWORD>(mask), stat);
}

// --- property setters ---

void TThreadComm::SetDeviceName(const rtl::AnsiString& name) {
  if (!open_) deviceName_ = name;
}
void TThreadComm::SetReadBufSize(std::uint16_t size) {
  if (!open_) readBufSize_ = size;
}
void TThreadComm::SetWriteBufSize(std::uint16_t size) {
  if (!open_) writeBufSize_ = size;
}
void TThreadComm::SetSuspendTime(std::uint32_t t) {
  if (!open_) suspendTime_ = t;
}
void TThreadComm::SetMonitorEvents(TCommEventTypes events) {
  if (!open_) monitorEvents_ = events & kAllCommEvents;
}
void TThreadComm::SetBaudRate(TBaudRate rate) { SetLineSetting(baudRate_, rate); }
void TThreadComm::SetParity(TParity parity) { SetLineSetting(parity_, parity); }
void TThreadComm::SetStopBits(TStopBits stopBits) { SetLineSetting(stopBits_, stopBits); }
void TThreadComm::SetDataBits(TDataBits dataBits) { SetLineSetting(dataBits_, dataBits); }
void TThreadComm::SetOptions(TCommOptions options) { SetLineSetting(options_, options); }
void TThreadComm::SetFlowControl(TFlowControl flow) { SetLineSetting(flowControl_, flow); }

}  // namespace comm
