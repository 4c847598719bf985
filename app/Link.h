// The link to the recorder: the port list, opening the port with the
// presence test on the modem lines, byte-wise sending, waiting for replies
// with time-outs while the window stays alive, the link lamp, cancelling, the
// frame checksum, the guards that keep device operations apart, and the
// recorder's command set. Everything runs on the GUI thread.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ProcessHeader.h"
#include "comm/Comm.h"

namespace app {

// What the link needs of the serial port component; the program's is
// TCommLinkPort over Comm1, tests put a simulated line behind it.
class TLinkPort {
 public:
  virtual ~TLinkPort() = default;
  virtual bool Enabled() = 0;
  // Opens the device set before; false when it cannot be opened.
  virtual bool Open() = 0;
  virtual void Close() = 0;
  virtual int Read(char* buffer, int count) = 0;
  virtual int Write(const char* buffer, int count) = 0;
  // -1 while the port is closed.
  virtual int InQueCount() = 0;
  virtual int OutQueCount() = 0;
  virtual void PurgeIn() = 0;
  virtual void SetDeviceName(const AnsiString& name) = 0;
  virtual void SetBaudRate(comm::TBaudRate rate) = 0;
  virtual bool GetModemState(comm::TModemLine line) = 0;
  virtual void SetRTSState(bool on) = 0;
  virtual void SetDTRState(bool on) = 0;
};

class TCommLinkPort : public TLinkPort {
 public:
  explicit TCommLinkPort(comm::TThreadComm& comm) : comm_(comm) {}
  bool Enabled() override { return comm_.Enabled(); }
  bool Open() override;
  void Close() override;
  int Read(char* buffer, int count) override;
  int Write(const char* buffer, int count) override;
  int InQueCount() override;
  int OutQueCount() override;
  void PurgeIn() override;
  void SetDeviceName(const AnsiString& name) override { comm_.SetDeviceName(name); }
  void SetBaudRate(comm::TBaudRate rate) override { comm_.SetBaudRate(rate); }
  bool GetModemState(comm::TModemLine line) override;
  void SetRTSState(bool on) override;
  void SetDTRState(bool on) override;

 private:
  comm::TThreadComm& comm_;
};

enum class TLamp { Idle, Red, Green };

// The answers to a question about the port.
enum class TPortAnswer { Abort, Retry, Ignore };

// How a wait for reply bytes ended.
enum class TWaitResult {
  Arrived,   // the bytes wait in the receive queue
  TimedOut,  // 2 s passed without a new byte (or the port is closed)
  Cancelled  // the user asked to stop
};

// How an exchange or a recorder command ended: it retries until it
// succeeds, so the only other end is the user's cancel.
enum class TExchangeResult { Done, Cancelled };

// Every exchange seeds the frame checksum register with this.
constexpr std::uint16_t kChecksumSeed = 0x5AA5;

// What the link shows and asks through the main window.
class TLinkView {
 public:
  virtual ~TLinkView() = default;
  virtual void SetPanelText(int panel, const AnsiString& text) = 0;
  virtual AnsiString PanelText(int panel) = 0;
  // Sets the lamp colour; also processes pending window messages.
  virtual void SetLamp(TLamp lamp) = 0;
  virtual void ProcessMessages() = 0;
  virtual void ShowCancelButton(bool visible) = 0;
  virtual void ShowProgressBar(bool visible) = 0;
  // AProcStart, AProcStop and AProcAlarm together.
  virtual void EnableRecordingActions(bool enabled) = 0;
  virtual bool RecordingActionsEnabled() = 0;
  // The port actions after a relisting; checked: the port to tick (0 none).
  virtual void ShowPortList(const std::vector<int>& ports, int checked) = 0;
  // The questions, each a message box captioned with the application title:
  // a port problem offers Abort, Retry (the default) and Ignore; a
  // confirmation offers Yes and No (the default) and answers true for Yes;
  // a link error is a plain box with OK.
  virtual TPortAnswer AskPortProblem(const AnsiString& text) = 0;
  virtual bool Confirm(const AnsiString& text) = 0;
  virtual void ShowLinkError(const AnsiString& text) = 0;
  // The Abort answer: ends the program at once with this code.
  virtual void Halt(int code) = 0;
};

// Checksum of the recorder protocol over bytes, from the seed.
std::uint16_t FrameChecksum(const std::uint8_t* data, std::size_t count, std::uint16_t seed = kChecksumSeed);

// The COM numbers of the computer's serial ports, ascending, at most the
// first ten names; a name without a whole number after "COM" is skipped.
std::vector<int> PortNumbersFromNames(const std::vector<std::string>& names);

class TRecorderLink {
 public:
  TRecorderLink(TLinkPort& port, TLinkView& view);

  // --- the port ---
  // Fills ports (10 entries) and answers the count.
  int ListComPorts(int ports[10]);
  // Relists, opens port n and checks for the recorder, asking Abort/Retry/Ignore.
  void OpenComPort(int n);
  void ClosePort();
  bool PortOpen() { return port_.Enabled(); }
  // The presence test on the modem lines alone (leaves RTS off, DTR on).
  bool PresenceTest();

  // --- bytes ---
  void FlushInput();
  void SendCommand(const std::uint8_t* frame, int length);
  void SendCommand(std::initializer_list<std::uint8_t> frame);
  // Arrived when n bytes wait, TimedOut after 2 s without a new byte.
  TWaitResult WaitForBytes(int n);
  int Read(std::uint8_t* buffer, int count) { return port_.Read(reinterpret_cast<char*>(buffer), count); }
  int InQueCount() { return port_.InQueCount(); }
  void LampRed() { view_.SetLamp(TLamp::Red); }
  void LampGreen() { view_.SetLamp(TLamp::Green); }
  void LampIdle() { view_.SetLamp(TLamp::Idle); }
  // After a wait that timed out: the lamp turns red and the line rests a
  // moment before the request goes out again. A link that is gone sets the
  // cancel flag instead (saying so in panel 0), so the next wait ends.
  void RestAfterTimeout();
  // Silence after which a wait for a reply gives up.
  static constexpr std::uint32_t kSilenceTimeoutMs = 2000;
  // The least time between the starts of two spaced device operations.
  static constexpr std::uint32_t kSpacingMs = 2000;

  // --- the frame checksum register ---
  void ChecksumSeed() { checksum_ = kChecksumSeed; }
  void ChecksumUpdate(std::uint8_t byte);
  void ChecksumBlock(const std::uint8_t* data, int length);
  std::uint16_t Checksum() const { return checksum_; }
  void SetChecksum(std::uint16_t v) { checksum_ = v; }

  // --- guards ---
  bool Busy() const { return busy_; }
  void SetBusy(bool b) { busy_ = b; }
  bool Cancelled() const { return cancel_; }
  void SetCancel(bool c) {
    cancel_ = c;
    if (!c) linkLost_ = false;
  }
  // Waits, showing "Подождите...", until 2 s have passed since the previous
  // spaced operation started, then marks this one's start.
  void WaitSpacing();
  std::uint32_t NextOperationTick() const { return nextTick_; }

  // --- commands ---
  TExchangeResult ReadFirmwareVersion();
  TExchangeResult ReadDeviceType();
  TExchangeResult SetDeviceClock();
  TExchangeResult ReadDirectory();
  // Total points of the directory just read (the read's progress range).
  long DirectoryPoints() const { return directoryPoints_; }
  void ReadJob();
  void WriteJob();
  // The device actions that are whole commands.
  void ClearGaugeArchive();
  void ProcStart();
  void ProcStop();

  // The firmware date (DD.MM.YYYY at the start of the text) is 27.03.2012 or later.
  static bool FirmwareEnablesRecording(const std::uint8_t text[10]);

  // The common exchange: sends request, waits for replyLength bytes, reads
  // them and checks them with check; repeats on a time-out (red lamp, 50 ms)
  // and on a failed check until it succeeds or the user cancels.
  TExchangeResult Exchange(const std::vector<std::uint8_t>& request, std::uint8_t* reply, int replyLength,
                           const std::function<bool(const std::uint8_t*)>& check);
  // Checks a reply whose last two bytes are the checksum over covered + data.
  static bool ChecksumMatches(const std::vector<std::uint8_t>& covered, const std::uint8_t* data, int dataLength);

  // Where the port names come from (the computer's serial ports).
  std::function<std::vector<std::string>()> PortNames;

  TLinkPort& Port() { return port_; }
  TLinkView& View() { return view_; }

 private:
  void ProcStartStop(bool start);
  // Waits, pumping messages, until the byte just written has left the port.
  void DrainOutput();

  TLinkPort& port_;
  TLinkView& view_;
  std::uint32_t lastActivity_ = 0;
  std::uint16_t checksum_ = kChecksumSeed;
  bool busy_ = false;
  bool cancel_ = false;
  std::uint32_t nextTick_ = 0;
  bool spaced_ = false;    // a spaced operation has started
  bool linkLost_ = false;  // the port went away during the operation
  long directoryPoints_ = 0;
};

// Holds the link busy for a scope, so that no other exchange, read or import
// starts meanwhile: Acquired() is false when it was busy already (the caller
// then does nothing); the link is released however the scope ends, or
// earlier by Release() where the user may start the next operation before
// the scope's last steps (a dialog shown after the exchange).
class TLinkBusy {
 public:
  explicit TLinkBusy(TRecorderLink& link) : link_(link), acquired_(!link.Busy()) {
    if (acquired_) link_.SetBusy(true);
  }
  ~TLinkBusy() { Release(); }
  TLinkBusy(const TLinkBusy&) = delete;
  TLinkBusy& operator=(const TLinkBusy&) = delete;
  bool Acquired() const { return acquired_; }
  void Release() {
    if (acquired_) link_.SetBusy(false);
    acquired_ = false;
  }

 private:
  TRecorderLink& link_;
  bool acquired_;
};

}  // namespace app
