// The recorder's command set: version, device type, clock, directory, job,
// clearing the archive, starting and stopping recording.
#include "app/Link.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/datetime.h"

namespace app {

using namespace rtl::literals;

bool TRecorderLink::FirmwareEnablesRecording(const std::uint8_t text[10]) {
  // The digits are taken as they come, without checks.
  const int day = (text[0] - 48) * 10 + (text[1] - 48);
  const int month = (text[3] - 48) * 10 + (text[4] - 48);
  const int year = (text[8] - 48) * 10 + (text[9] - 48);
  if (year != 12) return year > 12;
  if (month != 3) return month > 3;
  return day >= 27;
}

TExchangeResult TRecorderLink::ReadFirmwareVersion() {
  view_.SetPanelText(1, "Чтение версии..."_cp);
  std::uint8_t reply[12];
  const std::vector<std::uint8_t> request = {0x01, 0xFE};
  if (Exchange(request, reply, 12, [&](const std::uint8_t* r) { return ChecksumMatches(request, r, 10); }) ==
      TExchangeResult::Cancelled)
    return TExchangeResult::Cancelled;
  view_.SetPanelText(0, "Версия программы прибора "_cp + AnsiString(reinterpret_cast<char*>(reply), 10));
  view_.EnableRecordingActions(FirmwareEnablesRecording(reply));
  return TExchangeResult::Done;
}

TExchangeResult TRecorderLink::ReadDeviceType() {
  view_.SetPanelText(1, "Чтение типа прибора..."_cp);
  std::uint8_t reply[5];
  const std::vector<std::uint8_t> request = {0x11, 0xEE};
  if (Exchange(request, reply, 5, [&](const std::uint8_t* r) { return ChecksumMatches(request, r, 3); }) ==
      TExchangeResult::Cancelled)
    return TExchangeResult::Cancelled;
  if (reply[0] == '2' && reply[2] == '1') view_.EnableRecordingActions(false);
  return TExchangeResult::Done;
}

TExchangeResult TRecorderLink::SetDeviceClock() {
  view_.SetPanelText(1, "Установка часов..."_cp);
  for (;;) {
    view_.ProcessMessages();
    // Every attempt carries the time of its own sending.
    int year, month, day, hour, minute, second, ms;
    rtl::DecodeDateTime(rtl::Now(), year, month, day, hour, minute, second, ms);
    std::uint8_t frame[10] = {0x02,
                              0xFD,
                              std::uint8_t(second),
                              std::uint8_t(minute),
                              std::uint8_t(hour),
                              std::uint8_t(day),
                              std::uint8_t(month),
                              std::uint8_t(year - 2000)};
    const std::uint16_t cs = FrameChecksum(frame, 8);
    frame[8] = cs & 0xFF;
    frame[9] = cs >> 8;
    SendCommand(frame, 10);
    const TWaitResult r = WaitForBytes(1);
    if (r == TWaitResult::Cancelled) return TExchangeResult::Cancelled;
    if (r == TWaitResult::TimedOut) {
      RestAfterTimeout();
      continue;
    }
    LampIdle();
    std::uint8_t answer = 0;
    if (Read(&answer, 1) == 1 && answer == 0x02) return TExchangeResult::Done;
  }
}

TExchangeResult TRecorderLink::ReadDirectory() {
  TRecorderState& state = Recorder();
  view_.SetPanelText(1, "Чтение параметров..."_cp);
  const std::vector<std::uint8_t> request = {0x05, 0xFA};
  for (;;) {
    view_.ProcessMessages();
    SendCommand(request.data(), 2);
    TWaitResult r = WaitForBytes(12);
    if (r == TWaitResult::TimedOut) r = WaitForBytes(12);  // the first answer may take twice as long
    if (r == TWaitResult::Cancelled) return TExchangeResult::Cancelled;
    if (r == TWaitResult::TimedOut) {
      RestAfterTimeout();
      continue;
    }
    LampIdle();
    std::uint8_t reply[12];
    if (Read(reply, 12) != 12 || !ChecksumMatches(request, reply, 10)) continue;
    for (int i = 0; i < 4; ++i) state.Battery[std::size_t(i)] = std::uint16_t(reply[2 * i] | (reply[2 * i + 1] << 8));
    int count = reply[8];
    state.ProcessCount = count;
    if (count == 0 || count >= 50) {
      if (count >= 50) {
        state.ProcessCount = 0;
        view_.SetPanelText(0, "Испорчены параметры прибора. Очистите архив."_cp);
      } else {
        view_.SetPanelText(1, "Процессов нет"_cp);
      }
      view_.ShowProgressBar(false);
      view_.ShowCancelButton(false);
      busy_ = false;
      return TExchangeResult::Done;
    }
    // The register runs on over the headers from the value of the answer.
    ChecksumSeed();
    ChecksumBlock(request.data(), 2);
    ChecksumBlock(reply, 10);
    directoryPoints_ = 0;
    SendCommand({0x05, 0x05});
    bool failed = false;
    for (int slot = 0; slot < count; ++slot) {
      view_.ProcessMessages();
      r = WaitForBytes(16);
      if (r == TWaitResult::Cancelled) return TExchangeResult::Cancelled;
      if (r == TWaitResult::TimedOut) {
        failed = true;
        break;
      }
      TProcessHeader& h = state.Directory[std::size_t(slot)];
      Read(h.Bytes.data(), 16);
      ChecksumBlock(h.Bytes.data(), 16);
      directoryPoints_ += h.Points();
    }
    if (!failed) {
      state.Directory[std::size_t(count)] = TProcessHeader{};
      r = WaitForBytes(2);
      if (r == TWaitResult::Cancelled) return TExchangeResult::Cancelled;
      if (r == TWaitResult::Arrived) {
        std::uint8_t cs[2];
        Read(cs, 2);
        if ((cs[0] | (cs[1] << 8)) == checksum_) return TExchangeResult::Done;
      }
    }
    // Let the recorder finish whatever it still sends, then ask again.
    LampRed();
    if (WaitForBytes(800) == TWaitResult::Cancelled) return TExchangeResult::Cancelled;
  }
}

void TRecorderLink::ReadJob() {
  view_.ShowCancelButton(true);
  SetCancel(false);
  view_.SetPanelText(1, "Чтение задания..."_cp);
  const std::vector<std::uint8_t> request = {0x03, 0xFC};
  std::uint8_t reply[7];
  if (Exchange(request, reply, 7, [&](const std::uint8_t* r) { return ChecksumMatches(request, r, 5); }) ==
      TExchangeResult::Cancelled) {
    view_.SetPanelText(1, "");
  } else {
    TRecordingJob& job = Recorder().Job;
    job.Delay = std::uint16_t(reply[0] | (reply[1] << 8));
    job.Points = std::uint16_t(reply[2] | (reply[3] << 8));
    job.Period = reply[4];
    view_.SetPanelText(1, "Задание считано"_cp);
  }
  LampIdle();
  view_.ShowCancelButton(false);
}

void TRecorderLink::WriteJob() {
  view_.ShowCancelButton(true);
  SetCancel(false);
  view_.SetPanelText(1, "Запись задания..."_cp);
  const TRecordingJob& job = Recorder().Job;
  std::vector<std::uint8_t> request = {0x04,
                                       0xFB,
                                       std::uint8_t(job.Delay & 0xFF),
                                       std::uint8_t(job.Delay >> 8),
                                       std::uint8_t(job.Points & 0xFF),
                                       std::uint8_t(job.Points >> 8),
                                       job.Period};
  const std::uint16_t cs = FrameChecksum(request.data(), request.size());
  request.push_back(cs & 0xFF);
  request.push_back(cs >> 8);
  std::uint8_t reply = 0;
  if (Exchange(request, &reply, 1, [](const std::uint8_t* r) { return r[0] == 0x04; }) == TExchangeResult::Cancelled) {
    view_.SetPanelText(1, "");
  } else {
    view_.SetPanelText(1, "Задание записано"_cp);
    view_.SetPanelText(0, "Задание на процесс регистрации изменено"_cp);
  }
  LampIdle();
  view_.ShowCancelButton(false);
}

void TRecorderLink::ClearGaugeArchive() {
  // Its frames must not interleave with another exchange that is pumping messages.
  if (busy_) return;
  view_.SetPanelText(0, "");
  view_.SetPanelText(1, "");
  if (!view_.Confirm(
          "Вы действительно хотите полностью очистить архив прибора? \nВосстановление данных будет невозможно."_cp))
    return;
  // The question pumps messages: something may have taken the link meanwhile.
  const TLinkBusy busy(*this);
  if (!busy.Acquired()) return;
  view_.ShowCancelButton(true);
  view_.SetPanelText(1, "Команда очистки архива..."_cp);
  SetCancel(false);
  std::vector<std::uint8_t> request = {0x08, 0xF7};
  const std::uint16_t cs = FrameChecksum(request.data(), 2);
  request.push_back(cs & 0xFF);
  request.push_back(cs >> 8);
  std::uint8_t reply = 0;
  if (Exchange(request, &reply, 1, [](const std::uint8_t* r) { return r[0] == 0x08; }) == TExchangeResult::Cancelled)
    view_.SetPanelText(1, "Команда отменена"_cp);
  else
    view_.SetPanelText(0, "Архив очищен"_cp);
  LampIdle();
  view_.ShowCancelButton(false);
}

void TRecorderLink::ProcStart() { ProcStartStop(true); }
void TRecorderLink::ProcStop() { ProcStartStop(false); }

void TRecorderLink::ProcStartStop(bool start) {
  const TLinkBusy busy(*this);
  if (!busy.Acquired()) return;
  WaitSpacing();
  SetCancel(false);
  view_.SetPanelText(0, "");
  view_.SetPanelText(1, "");
  bool error = false;
  if (!port_.Enabled()) {
    view_.SetPanelText(0, "COM-порт занят другой программой или не работает"_cp);
  } else {
    if (start)
      SendCommand({0x0D, 0xF2, 0x3F, 0x5A});
    else
      SendCommand({0x0E, 0xF1, 0xC0, 0xA5});
    const TWaitResult r = WaitForBytes(2);
    if (r == TWaitResult::TimedOut) {
      RestAfterTimeout();
      error = true;
    } else if (r == TWaitResult::Arrived) {
      LampIdle();
      std::uint8_t a[2] = {0, 0};
      Read(a, 2);
      const std::uint8_t code = start ? 0x0D : 0x0E;
      if (a[0] == code && a[1] == code)
        view_.SetPanelText(0, start ? "Процесс запущен"_cp : "Процесс остановлен"_cp);
      else if (a[0] == code && a[1] == (start ? 0x01 : 0x00))
        view_.SetPanelText(0, start ? "Процесс уже был запущен ранее"_cp : "Процесс уже был остановлен ранее"_cp);
      else
        error = true;
    }
  }
  if (error) view_.ShowLinkError("Ошибка связи с прибором"_cp);
}

}  // namespace app
