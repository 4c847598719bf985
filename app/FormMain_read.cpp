// Reading every new process from the recorder into the archive folder, at
// start-up and on demand, and deleting processes in the recorder.
#include <memory>

#include "app/FormMain.h"
#include "platform/gui/application.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/files.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/textcase.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

std::function<bool(const AnsiString&, const AnsiString&)> TForm1::ReplaceArchiveFile =
    [](const AnsiString& target, const AnsiString& replacement) { return rtl::ReplaceFile(target, replacement); };

void TForm1::Timer1Timer(TObject*) {
  Timer1->SetEnabled(false);
  if (timerTicks_ == 0) {
    timerTicks_ = 1;
    Timer1->SetInterval(5000);
    Timer1->SetEnabled(true);
    ADataReadExecute(ADataRead);
  } else if (timerTicks_ == 1) {
    // Five seconds on: a recorder that has not even sent its version is not there.
    timerTicks_ = 2;
    if (versionNotRead_) link_->SetCancel(true);
  }
}

void TForm1::AdvanceProgress(long by) { ProgressBar1->SetPosition(ProgressBar1->Position() + static_cast<int>(by)); }

void TForm1::ADataReadExecute(TObject*) {
  TRecorderLink& link = *link_;
  TLinkBusy busy(link);
  if (!busy.Acquired()) return;
  link.WaitSpacing();
  link.SetCancel(false);
  SetPanelText(0, "");
  SetPanelText(1, "");
  if (!EnsureDataFolder()) return;
  if (!link.PortOpen()) {
    SetPanelText(0, "COM-порт занят другой программой или не работает"_cp);
    return;
  }
  ShowCancelButton(true);
  do {
    if (link.ReadFirmwareVersion() == TExchangeResult::Cancelled) break;
    rtl::Sleep(50);
    versionNotRead_ = false;
    const AnsiString versionLine = PanelText(0);
    if (AProcStart->Enabled() && link.ReadDeviceType() == TExchangeResult::Cancelled) break;
    if (link.SetDeviceClock() == TExchangeResult::Cancelled) break;
    rtl::Sleep(50);
    if (link.ReadDirectory() == TExchangeResult::Cancelled) break;
    const int count = Recorder().ProcessCount;
    if (count == 0) return;  // the directory read has ended the read already
    rtl::Sleep(50);
    ProgressBar1->SetMin(0);
    ProgressBar1->SetPosition(0);
    ProgressBar1->SetMax(static_cast<int>(link.DirectoryPoints()));
    ShowProgressBar(true);
    SetPanelText(1, "");
    bool stopped = false;
    long counted = 0;
    for (int i = 0; i < count && !stopped;) {
      switch (DownloadProcess(count - 1 - i, counted)) {
        case Step::Stop: stopped = true; break;
        case Step::Restart: break;
        case Step::Repeat: rtl::Sleep(50); break;
        case Step::Next:
          counted = 0;
          ++i;
          rtl::Sleep(50);
          break;
        case Step::NextAfterDownload:
          counted = 0;
          ++i;
          break;
      }
    }
    if (stopped) break;
    RefreshProcessList();
    SelectLastProcess();
    SetPanelText(0, versionLine);
  } while (false);
  LampIdle();
  ShowProgressBar(false);
  ShowCancelButton(false);
  busy.Release();
  SetPanelText(1, link.Cancelled() ? "Чтение отменено"_cp : "Чтение завершено"_cp);
  link.SetCancel(false);
}

TForm1::Step TForm1::DownloadProcess(int entry, long& counted) {
  TRecorderLink& link = *link_;
  AdvanceProgress(-counted);
  counted = 0;
  const TProcessHeader listed = Recorder().Directory[std::size_t(entry)];
  const std::uint8_t slot = listed.Slot();
  const std::uint8_t request[3] = {0x06, 0xF9, slot};
  link.SendCommand(request, 3);
  TWaitResult r = link.WaitForBytes(18);
  if (r == TWaitResult::Cancelled) return Step::Stop;
  if (r == TWaitResult::TimedOut) {
    std::uint8_t b = 0;
    if (link.Read(&b, 1) == 1 && b == 0xFF) {  // the recorder has no such process
      AdvanceProgress(listed.Points());
      return Step::Next;
    }
    RestAfterTimeout();
    return Step::Repeat;
  }
  LampIdle();
  std::uint8_t reply[18];
  if (link.Read(reply, 18) != 18 || !TRecorderLink::ChecksumMatches({0x06, 0xF9, slot}, reply, 16)) return Step::Repeat;

  // The download keeps its own header: the message pump may let other
  // handlers rewrite the shared one meanwhile.
  TProcessHeader header;
  std::copy(reply, reply + 16, header.Bytes.begin());
  if (header.Channels() != 4 && header.Channels() != 5) header.SetChannels(3);
  Recorder().Current = header;
  if (IsProcessSaved(header) || header.Points() == 0) {
    link.SendCommand({0x00, 0x00});
    AdvanceProgress(header.Points());
    return Step::Next;
  }

  const AnsiString finalName = DataFolder() + ProcessFileName(header);
  const AnsiString tempName = finalName.substr(0, finalName.size() - 2);
  // The file comes first, so that Ignore can still decline the process.
  std::unique_ptr<rtl::TFileStream> file;
  for (;;) {
    try {
      file = std::make_unique<rtl::TFileStream>(tempName, rtl::fmCreate);
      break;
    } catch (const std::exception&) {
    }
    const int answer = Ask("Не удается создать файл архива прибора "_cp + finalName,
                           MB_ABORTRETRYIGNORE | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TASKMODAL);
    if (answer == IDRETRY) continue;
    link.SendCommand({0x00, 0x00});
    if (answer == IDIGNORE) {
      AdvanceProgress(header.Points());
      return Step::Next;
    }
    return Step::Stop;
  }

  link.SendCommand({0x06, 0x06});
  bool writeFailed = false;
  auto write = [&](const void* data, int size) {
    if (writeFailed) return;
    try {
      file->WriteBuffer(data, size);
    } catch (const std::exception&) {
      writeFailed = true;  // the records are still taken off the line
    }
  };
  write(header.Bytes.data(), 16);
  const int recordSize = header.Channels() * 2;
  std::uint8_t record[10];
  for (int k = 0; k < header.Points(); ++k) {
    AdvanceProgress(1);
    ++counted;
    r = link.WaitForBytes(recordSize);
    if (r != TWaitResult::Arrived) {
      file.reset();
      rtl::DeleteFile(tempName);
      if (r == TWaitResult::Cancelled) return Step::Stop;
      RestAfterTimeout();
      return Step::Restart;
    }
    link.Read(record, recordSize);
    auto& sample = Recorder().Sample;
    for (int c = 0; c < header.Channels(); ++c)
      sample[std::size_t(c)] = std::uint16_t(record[2 * c] | (record[2 * c + 1] << 8));
    link.ChecksumBlock(record, recordSize);
    write(record, recordSize);
  }
  file.reset();
  if (writeFailed) {
    rtl::DeleteFile(tempName);
    Ask("Не удается записать файл архива прибора "_cp + finalName, MB_OK | MB_ICONWARNING);
  } else if (!ReplaceArchiveFile(finalName, tempName)) {
    // The old file (if any) is still in place; the process counts as not saved.
    Ask("Не удается переименовать файл архива прибора "_cp + tempName + " в "_cp + finalName, MB_OK | MB_ICONWARNING);
  }
  ClearDataView();
  RefreshProcessList();
  FormResize(this);
  SelectProcessRow(ProcessFileName(header));
  rtl::Sleep(50);
  return Step::NextAfterDownload;
}

std::uint8_t TForm1::StringGridProcessListRowToNumProcess(int row) {
  TStringGrid* g = StringGridProcessList;
  for (int slot = 0; slot < 50; ++slot) {
    const TProcessHeader& h = Recorder().Directory[std::size_t(slot)];
    if (g->Cells(1, row) == HeaderDateTimeText(1, h) && g->Cells(0, row) == HeaderDateTimeText(0, h) &&
        g->Cells(2, row) == DurationText(h) && g->Cells(3, row) == rtl::IntToStr(h.Period()) &&
        g->Cells(4, row) == rtl::IntToStr(h.Points()))
      return static_cast<std::uint8_t>(slot);
  }
  return 255;
}

void TForm1::ADeleteGaugeProcessExecute(TObject* Sender) {
  TRecorderLink& link = *link_;
  // Its frames must not interleave with a running exchange.
  const TLinkBusy busy(link);
  if (!busy.Acquired()) return;
  deletionConfirmed_ = false;
  deletionRefused_ = false;
  link.WaitSpacing();
  SetPanelText(0, "");
  SetPanelText(1, "");
  const TGridRect sel = StringGridProcessList->Selection();
  if (ProcessListEmpty() || sel.Top < 1) {
    SetPanelText(0, "Нет выбраных данных"_cp);
    return;
  }
  const int top = sel.Top, bottom = sel.Bottom;
  bool any = false;
  for (int row = top; row <= bottom && !any; ++row) any = StringGridProcessListRowToNumProcess(row) != 255;
  if (!any) {
    SetPanelText(0, "Этих данных в приборе нет"_cp);
    return;
  }
  if (Sender) {
    const AnsiString what = top == bottom ? "выбранный процесс"_cp : "выбранные процессы"_cp;
    if (Ask("Вы действительно хотите удалить "_cp + what +
                " из архива прибора? \nВосстановление данных будет невозможно."_cp,
            MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TASKMODAL) != IDYES)
      return;
  }
  ShowCancelButton(true);
  SetPanelText(1, "Команда удаления..."_cp);
  link.SetCancel(false);
  auto finish = [&] {
    LampIdle();
    ShowCancelButton(false);
  };
  auto cancelled = [&] {
    SetPanelText(1, "");
    finish();
  };
  for (int row = top; row <= bottom; ++row) {
    ProcessMessages();
    const std::uint8_t s = StringGridProcessListRowToNumProcess(row);
    if (s == 255) continue;
    auto& dir = Recorder().Directory;
    const std::uint8_t n = dir[s].Slot();
    const std::uint8_t frame[3] = {0x07, 0xF8, n};
    const std::uint16_t expected = FrameChecksum(frame, 3);
    for (;;) {
      link.SendCommand(frame, 3);
      const TWaitResult r = link.WaitForBytes(2);
      if (r == TWaitResult::Cancelled) return cancelled();
      if (r == TWaitResult::TimedOut) {
        RestAfterTimeout();
        continue;
      }
      std::uint8_t a[2];
      link.Read(a, 2);
      if ((a[0] | (a[1] << 8)) == expected) break;
    }
    link.SendCommand({0x07, 0x07});
    bool confirmed = false;
    for (;;) {
      const TWaitResult r = link.WaitForBytes(1);
      if (r == TWaitResult::Cancelled) return cancelled();
      if (r == TWaitResult::TimedOut) {
        RestAfterTimeout();
        break;
      }
      std::uint8_t b = 0;
      link.Read(&b, 1);
      if (b == 0x07) {
        confirmed = true;
        break;
      }
    }
    if (!confirmed) {
      // Without the recorder's word the directory stays as it was.
      SetPanelText(1, "Удаление не подтверждено прибором"_cp);
      deletionRefused_ = true;
      return finish();
    }
    for (int j = s; j < 49; ++j) {
      const std::uint8_t own = dir[std::size_t(j)].Bytes[3];
      dir[std::size_t(j)] = dir[std::size_t(j) + 1];
      dir[std::size_t(j)].Bytes[3] = own;
    }
    dir[49] = TProcessHeader{};
  }
  deletionConfirmed_ = true;
  if (Sender) SetPanelText(1, "Процесс удален"_cp);
  finish();
}

}  // namespace app
