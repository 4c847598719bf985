// The link layer: ports, presence test, sending, waiting, lamp, checksum,
// guards. The commands built on it are in Commands.cpp.
#include "app/Link.h"

#include <algorithm>

#include "platform/rtl/clock.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"
#include "platform/serial/port_map.h"

namespace app {

using namespace rtl::literals;

// --- the serial component behind the link ---

bool TCommLinkPort::Open() {
  try {
    comm_.Open();
  } catch (const std::exception&) {
    return false;
  }
  return comm_.Enabled();
}

void TCommLinkPort::Close() {
  try {
    comm_.Close();
  } catch (const std::exception&) {
  }
}

int TCommLinkPort::Read(char* buffer, int count) {
  return count <= 0 ? 0 : comm_.Read(buffer, static_cast<unsigned long>(count));
}

int TCommLinkPort::Write(const char* buffer, int count) {
  try {
    return comm_.Write(buffer, static_cast<unsigned long>(count));
  } catch (const std::exception&) {
    return 0;
  }
}

int TCommLinkPort::InQueCount() { return comm_.InQueCount(); }
int TCommLinkPort::OutQueCount() { return comm_.OutQueCount(); }
void TCommLinkPort::PurgeIn() { comm_.PurgeIn(); }

bool TCommLinkPort::GetModemState(comm::TModemLine line) { return comm_.GetModemState(line); }

void TCommLinkPort::SetRTSState(bool on) {
  try {
    comm_.SetRTSState(on);
  } catch (const std::exception&) {
  }
}

void TCommLinkPort::SetDTRState(bool on) {
  try {
    comm_.SetDTRState(on);
  } catch (const std::exception&) {
  }
}

// --- checksum ---

namespace {
std::uint16_t Feed(std::uint16_t r, std::uint8_t byte) {
  for (int bit = 0; bit < 8; ++bit) {
    const unsigned b = (byte >> bit) & 1;
    const unsigned f = b ^ ((r >> 15) & 1) ^ ((r >> 11) & 1) ^ ((r >> 8) & 1) ^ ((r >> 6) & 1);
    r = static_cast<std::uint16_t>((r << 1) | f);
  }
  return r;
}
}  // namespace

std::uint16_t FrameChecksum(const std::uint8_t* data, std::size_t count, std::uint16_t seed) {
  for (std::size_t i = 0; i < count; ++i) seed = Feed(seed, data[i]);
  return seed;
}

void TRecorderLink::ChecksumUpdate(std::uint8_t byte) { checksum_ = Feed(checksum_, byte); }

void TRecorderLink::ChecksumBlock(const std::uint8_t* data, int length) {
  for (int i = 0; i < length; ++i) ChecksumUpdate(data[i]);
}

// --- ports ---

std::vector<int> PortNumbersFromNames(const std::vector<std::string>& names) {
  std::vector<int> ports;
  for (std::size_t i = 0; i < names.size() && i < 10; ++i) {
    std::int32_t n = 0;
    // A name that is not "COM" and a number is skipped rather than ending the listing.
    if (names[i].size() > 3 && rtl::TryStrToInt(std::string_view(names[i]).substr(3), n) && n > 0) ports.push_back(n);
  }
  std::sort(ports.begin(), ports.end());
  return ports;
}

TRecorderLink::TRecorderLink(TLinkPort& port, TLinkView& view)
    : PortNames(serial::ListComPortNames), port_(port), view_(view) {}

int TRecorderLink::ListComPorts(int ports[10]) {
  std::vector<int> found = PortNumbersFromNames(PortNames());
  for (int i = 0; i < 10; ++i) ports[i] = i < int(found.size()) ? found[std::size_t(i)] : 0;
  return static_cast<int>(found.size());
}

void TRecorderLink::ClosePort() {
  if (port_.Enabled()) port_.Close();
}

bool TRecorderLink::PresenceTest() {
  port_.SetRTSState(true);
  port_.SetDTRState(false);
  rtl::Sleep(100);
  rtl::Sleep(100);
  if (!port_.GetModemState(comm::mlCTS) || port_.GetModemState(comm::mlDSR)) {
    port_.SetRTSState(false);
    port_.SetDTRState(true);
    return false;
  }
  port_.SetRTSState(false);
  port_.SetDTRState(true);
  rtl::Sleep(100);
  rtl::Sleep(100);
  return !port_.GetModemState(comm::mlCTS);
}

void TRecorderLink::OpenComPort(int n) {
  const AnsiString number = rtl::IntToStr(n);
  // 1. The port must exist.
  for (;;) {
    int ports[10];
    const int count = ListComPorts(ports);
    std::vector<int> list(ports, ports + count);
    const bool exists = std::find(list.begin(), list.end(), n) != list.end();
    view_.ShowPortList(list, exists ? n : 0);
    if (exists) break;
    const TPortAnswer answer =
        view_.AskPortProblem("Выбранный COM-порт (COM"_cp + number +
                             ") не существует.\nСвязь с прибором невозможна.\nПродолжить выполнение?"_cp);
    if (answer == TPortAnswer::Abort) return view_.Halt(1);
    if (answer == TPortAnswer::Ignore) return;
  }
  // 2-3. Open it.
  for (;;) {
    ClosePort();
    port_.SetDeviceName("\\\\.\\COM" + number);
    port_.SetBaudRate(comm::br38400);
    if (port_.Open() && port_.Enabled()) break;
    const TPortAnswer answer =
        view_.AskPortProblem("Выбранный COM-порт (COM"_cp + number +
                             ") открыт другой программой. \nСвязь с прибором невозможна.\nПродолжить выполнение?"_cp);
    if (answer == TPortAnswer::Abort) return view_.Halt(1);
    if (answer == TPortAnswer::Ignore) return;
  }
  // 4. Is the recorder on the line?
  while (!PresenceTest()) {
    const TPortAnswer answer = view_.AskPortProblem("Прибор не подключен к выбранному COM-порту (COM"_cp + number +
                                                    ").\nСвязь с прибором невозможна.\nПродолжить выполнение?"_cp);
    if (answer == TPortAnswer::Abort) return view_.Halt(1);
    if (answer == TPortAnswer::Ignore) return;
  }
}

// --- bytes ---

void TRecorderLink::FlushInput() {
  while (port_.InQueCount() > 0) {
    port_.PurgeIn();
    rtl::Sleep(6);
    view_.ProcessMessages();
    if (cancel_) break;
  }
}

void TRecorderLink::SendCommand(const std::uint8_t* frame, int length) {
  FlushInput();
  port_.PurgeIn();
  LampGreen();
  for (int i = 0; i < length; ++i) {
    const char c = static_cast<char>(frame[i]);
    if (port_.Write(&c, 1) < 1) view_.SetPanelText(0, "Ошибка записи команды в COM-порт"_cp);
    DrainOutput();
    rtl::Sleep(2);
  }
  rtl::Sleep(5);
}

void TRecorderLink::DrainOutput() {
  // The window stays alive and Cancel works even when the bytes never leave
  // (a network port whose server has gone): the send gives up after as long
  // a silence as a wait for a reply would.
  const std::uint32_t start = rtl::GetTickCount();
  while (port_.OutQueCount() > 0 && !cancel_) {
    if (rtl::GetTickCount() - start > kSilenceTimeoutMs) break;
    view_.ProcessMessages();
    rtl::Sleep(1);
  }
}

void TRecorderLink::SendCommand(std::initializer_list<std::uint8_t> frame) {
  SendCommand(frame.begin(), static_cast<int>(frame.size()));
}

TWaitResult TRecorderLink::WaitForBytes(int n) {
  int previous = 0;
  lastActivity_ = rtl::GetTickCount();
  for (;;) {
    if (cancel_) {
      if (linkLost_) view_.SetPanelText(0, "COM-порт занят другой программой или не работает"_cp);
      return TWaitResult::Cancelled;
    }
    const int count = port_.InQueCount();
    if (count >= n) return TWaitResult::Arrived;
    if (count != previous) {
      LampGreen();
      previous = count;
      lastActivity_ = rtl::GetTickCount();
    } else {
      const std::uint32_t silent = rtl::GetTickCount() - lastActivity_;
      if (silent > kSilenceTimeoutMs) return TWaitResult::TimedOut;
      if (silent > kSilenceTimeoutMs / 2) LampRed();
    }
    rtl::Sleep(1);
  }
}

// --- guards ---

void TRecorderLink::WaitSpacing() {
  // The tick count wraps at 2^32 ms (49.7 days): the time still to wait is an
  // unsigned difference, and the first operation has nothing to wait for.
  auto remaining = [this] { return spaced_ ? std::uint32_t(nextTick_ - rtl::GetTickCount()) : 0u; };
  for (std::uint32_t left = remaining(); left != 0 && left <= kSpacingMs; left = remaining()) {
    view_.SetPanelText(0, "Подождите..."_cp);
    view_.ProcessMessages();
    rtl::Sleep(1);
  }
  spaced_ = true;
  nextTick_ = rtl::GetTickCount() + kSpacingMs;
}

// --- the common exchange ---

void TRecorderLink::RestAfterTimeout() {
  LampRed();
  if (port_.InQueCount() < 0) {
    // The port has closed or its device has gone: asking again would only
    // time out for ever, so the operation ends at its next wait as if
    // cancelled.
    linkLost_ = true;
    cancel_ = true;
    return;
  }
  rtl::Sleep(50);
}

TExchangeResult TRecorderLink::Exchange(const std::vector<std::uint8_t>& request, std::uint8_t* reply, int replyLength,
                                        const std::function<bool(const std::uint8_t*)>& check) {
  for (;;) {
    view_.ProcessMessages();
    SendCommand(request.data(), static_cast<int>(request.size()));
    const TWaitResult r = WaitForBytes(replyLength);
    if (r == TWaitResult::Cancelled) return TExchangeResult::Cancelled;
    if (r == TWaitResult::TimedOut) {
      RestAfterTimeout();
      continue;
    }
    LampIdle();
    if (Read(reply, replyLength) == replyLength && check(reply)) return TExchangeResult::Done;
  }
}

bool TRecorderLink::ChecksumMatches(const std::vector<std::uint8_t>& covered, const std::uint8_t* data,
                                    int dataLength) {
  std::uint16_t cs = FrameChecksum(covered.data(), covered.size());
  cs = FrameChecksum(data, static_cast<std::size_t>(dataLength), cs);
  return data[dataLength] == (cs & 0xFF) && data[dataLength + 1] == (cs >> 8);
}

}  // namespace app
