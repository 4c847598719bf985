// The serial port component: one COM port with its line settings, queues,
// overlapped-style reads and writes, modem lines and an event thread that
// watches the port and hands each event to the GUI thread. TComm is the form
// that a window places and stores. It knows nothing of the recorder.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/rtl/components.h"
#include "platform/rtl/object.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/threads.h"
#include "platform/serial/port.h"

namespace comm {

using DWORD = serial::DWORD;
using serial::COMSTAT;

enum TBaudRate : std::uint8_t {
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200,
  br128000,
  br256000,
};
enum TParity : std::uint8_t { paNone, paOdd, paEven, paMark, paSpace };
enum TStopBits : std::uint8_t { sb10, sb15, sb20 };
enum TDataBits : std::uint8_t { da4, da5, da6, da7, da8 };
enum TCommEventType : std::uint8_t {
  evBreak,
  evCts,
  evDsr,
  evError,
  evRing,
  evRlsd,
  evRxChar,
  evRxFlag,
  evTxEmpty,
};
enum TCommOption : std::uint8_t { coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coNullStrip };
enum TFlowControl : std::uint8_t { fcNone, fcCTS, fcDTR, fcSoftware, fcDefault };
// The modem status lines GetModemState reads; any other number reads false.
enum TModemLine : int { mlCTS = 1, mlDSR = 2, mlRING = 3, mlRLSD = 4 };

// Sets of the two enumerations above, one bit per member by ordinal.
using TCommEventTypes = std::uint16_t;
using TCommOptions = std::uint8_t;
constexpr TCommEventTypes EventSet(std::initializer_list<TCommEventType> events) {
  TCommEventTypes s = 0;
  for (auto e : events) s |= TCommEventTypes(1u << e);
  return s;
}
constexpr TCommOptions OptionSet(std::initializer_list<TCommOption> options) {
  TCommOptions s = 0;
  for (auto o : options) s |= TCommOptions(1u << o);
  return s;
}
constexpr TCommEventTypes kAllCommEvents = 0x1FF;

// The baud rate, DCB parity value and the port event bit of each member.
DWORD BaudRateValue(TBaudRate rate);
std::uint8_t ParityValue(TParity parity);
std::uint8_t StopBitsValue(TStopBits stopBits);
std::uint8_t DataBitsValue(TDataBits dataBits);
DWORD EventMaskOf(TCommEventTypes events);
// The write time-out multiplier (ms per byte) the port is given for a rate.
DWORD WriteTimeoutMultiplier(TBaudRate rate);

class TThreadComm;

// Handlers; the sender is always the component.
using TCommNotifyEvent = rtl::TNotifyEvent;
using TCommErrorEvent = std::function<void(rtl::TObject* sender, int errors)>;
using TCommRxCharEvent = std::function<void(rtl::TObject* sender, DWORD count)>;
using TCommStatEvent = std::function<void(rtl::TObject* sender, DWORD status, COMSTAT comStat)>;

// The five special characters of the device-control block.
class TCommEventChars : public rtl::TPersistent {
 public:
  explicit TCommEventChars(TThreadComm* owner) : owner_(owner) {}

  char XOnChar() const { return chars_[0]; }
  char XOffChar() const { return chars_[1]; }
  char ErrorChar() const { return chars_[2]; }
  char EofChar() const { return chars_[3]; }
  char EvtChar() const { return chars_[4]; }
  void SetXOnChar(char c) { SetEventChar(1, c); }
  void SetXOffChar(char c) { SetEventChar(2, c); }
  void SetErrorChar(char c) { SetEventChar(3, c); }
  void SetEofChar(char c) { SetEventChar(4, c); }
  void SetEvtChar(char c) { SetEventChar(5, c); }
  // Index 1..5 as above; applies the block to an open port.
  void SetEventChar(int index, char c);

  void Assign(const rtl::TPersistent* source) override;
  rtl::AnsiString ClassName() const override { return "TCommEventChars"; }

 private:
  TThreadComm* owner_;
  char chars_[5] = {17, 19, 0, 0, 0};
};

// The thread that waits for port events and hands each to the GUI thread.
class TCommEventThread : public rtl::TThread {
 public:
  using Callback = std::function<void(TCommEventThread* thread, DWORD mask)>;

  TCommEventThread(std::shared_ptr<serial::Port> port, TCommEventTypes events, DWORD suspendTime);
  // Ends and waits for the loop before the port it uses goes away.
  ~TCommEventThread() override;
  void SetCallback(Callback callback);
  DWORD EventMask() const { return eventMask_; }
  // Event threads whose loop is running, for leak checks.
  static int Running();

 protected:
  void Execute() override;

 private:
  std::shared_ptr<serial::Port> port_;
  DWORD eventMask_ = 0;
  DWORD suspendTime_;
  std::mutex callbackMutex_;
  Callback callback_;
};

class TThreadComm : public rtl::TComponent {
 public:
  explicit TThreadComm(rtl::TComponent* owner = nullptr);
  ~TThreadComm() override;
  rtl::AnsiString ClassName() const override { return "TThreadComm"; }

  void Open();
  void Close();
  bool Enabled() const { return open_; }
  void CheckOpen();
  virtual void CreateHandle();
  void DestroyHandle();

  int Read(char* buffer, unsigned long count);
  int Write(const char* buffer, unsigned long count);
  int InQueCount();
  int OutQueCount();
  void PurgeIn();
  void PurgeOut();
  bool GetModemState(int line);
  bool GetComState(int which);
  void SetDTRState(bool state);
  void SetRTSState(bool state);
  void SetBREAKState(bool state);
  void SetXONState(bool state);
  void EscapeComm(int code);

  void UpdateDataControlBlock();
  void UpdateDataControlBlockLock();
  void UpdateCommTimeouts();
  void HandleCommEvent(rtl::TThread* sender, unsigned long mask);

  void Lock() { lock_.Acquire(); }
  void Unlock() { lock_.Release(); }

  // Properties.
  const rtl::AnsiString& DeviceName() const { return deviceName_; }
  void SetDeviceName(const rtl::AnsiString& name);
  std::int32_t ReadTimeout() const { return readTimeout_; }
  void SetReadTimeout(std::int32_t ms) { readTimeout_ = ms; }
  std::int32_t WriteTimeout() const { return writeTimeout_; }
  void SetWriteTimeout(std::int32_t ms) { writeTimeout_ = ms; }
  std::uint16_t ReadBufSize() const { return readBufSize_; }
  void SetReadBufSize(std::uint16_t size);
  std::uint16_t WriteBufSize() const { return writeBufSize_; }
  void SetWriteBufSize(std::uint16_t size);
  std::uint32_t SuspendTime() const { return suspendTime_; }
  void SetSuspendTime(std::uint32_t t);
  TCommEventTypes MonitorEvents() const { return monitorEvents_; }
  void SetMonitorEvents(TCommEventTypes events);
  TBaudRate BaudRate() const { return baudRate_; }
  void SetBaudRate(TBaudRate rate);
  TParity Parity() const { return parity_; }
  void SetParity(TParity parity);
  TStopBits StopBits() const { return stopBits_; }
  void SetStopBits(TStopBits stopBits);
  TDataBits DataBits() const { return dataBits_; }
  void SetDataBits(TDataBits dataBits);
  TCommEventChars* EventChars() { return &eventChars_; }
  void SetEventChars(const TCommEventChars* chars) { eventChars_.Assign(chars); }
  TCommOptions Options() const { return options_; }
  void SetOptions(TCommOptions options);
  TFlowControl FlowControl() const { return flowControl_; }
  void SetFlowControl(TFlowControl flow);

  TCommNotifyEvent OnBreak, OnCts, OnDsr, OnRing, OnRlsd, OnRxFlag, OnTxEmpty;
  TCommErrorEvent OnError;
  TCommRxCharEvent OnRxChar;
  TCommStatEvent OnComStatEvent;

  // The open port, for tests and diagnostics (null while closed).
  serial::Port* Handle() const { return handle_.get(); }

 private:
  [[noreturn]] static void RaiseCommError(const char* message, long code);
  void StopEventThread();
  template <class T>
  void SetLineSetting(T& field, T value) {
    if (field == value) return;
    field = value;
    UpdateDataControlBlockLock();
  }

  std::shared_ptr<serial::Port> handle_;
  serial::DCB dcb_;
  rtl::AnsiString deviceName_ = "Com2";
  rtl::TCriticalSection lock_;
  std::int32_t readTimeout_ = 1000;
  std::int32_t writeTimeout_ = 1000;
  std::uint16_t readBufSize_ = 4096;
  std::uint16_t writeBufSize_ = 2048;
  std::uint32_t suspendTime_ = 5;
  TCommEventTypes monitorEvents_ = kAllCommEvents;
  TBaudRate baudRate_ = br9600;
  TParity parity_ = paNone;
  TStopBits stopBits_ = sb10;
  TDataBits dataBits_ = da8;
  bool open_ = false;
  std::unique_ptr<TCommEventThread> eventThread_;
  // A thread stopped from inside its own hand-over cannot be waited for
  // there; it is waited for at the next chance.
  std::unique_ptr<TCommEventThread> retiredThread_;
  int dispatchDepth_ = 0;
  TCommEventChars eventChars_{this};
  TCommOptions options_ = 0;
  TFlowControl flowControl_ = fcDefault;
};

// The published form: adds nothing.
class TComm : public TThreadComm {
 public:
  using TThreadComm::TThreadComm;
  rtl::AnsiString ClassName() const override { return "TComm"; }
};

}  // namespace comm
