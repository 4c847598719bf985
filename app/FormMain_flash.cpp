// Copies of the recorder's whole memory: the dump into Flash.bin, and taking
// the processes out of such a copy into the archive.
#include <algorithm>
#include <memory>
#include <vector>

#include "app/FileBytes.h"
#include "app/FlashImage.h"
#include "app/FormMain.h"
#include "app/GetSHTType.h"
#include "platform/gui/application.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/files.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/textcase.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

namespace {

// One byte more than the memory shows an image that is too long.
bool ReadImage(const AnsiString& path, std::string& image) { return ReadFilePrefix(path, kFlashSize + 1, image); }

}  // namespace

void TForm1::AFlashExecute(TObject*) {
  TRecorderLink& link = *link_;
  TLinkBusy busy(link);
  if (!busy.Acquired()) return;
  link.WaitSpacing();
  link.SetCancel(false);
  ClearStatusPanels();
  std::unique_ptr<rtl::TFileStream> file;
  const AnsiString path = rtl::ProgramFolder() + "Flash.bin";
  // The copy is written beside the previous one and takes its place only
  // when it is complete: a cancelled or failed dump keeps the old copy.
  const AnsiString partPath = path + ".part";
  auto ending = [&] {
    LampIdle();
    if (file) {
      file.reset();
      rtl::DeleteFile(partPath);
    }
    ShowProgressBar(false);
    ShowCancelButton(false);
    busy.Release();
    if (link.Cancelled()) SetPanelText(1, "Чтение прервано"_cp);
    link.SetCancel(false);
  };
  if (!link.PortOpen()) {
    SetPanelText(0, "COM-порт занят другой программой или не работает"_cp);
    return ending();
  }
  ProgressBar1->SetMin(0);
  ProgressBar1->SetMax(kFlashPages);
  ProgressBar1->SetPosition(0);
  ShowProgressBar(true);
  ShowCancelButton(true);
  try {
    file = std::make_unique<rtl::TFileStream>(partPath, rtl::fmCreate);
  } catch (const std::exception&) {
    Ask("Не удается создать файл "_cp + path, MB_OK);
    return ending();
  }

  int tries = 3;
  std::uint32_t address = 0;
  link.SendCommand({0x0C, 0xF3});
  while (address < kFlashSize) {
    const std::uint8_t a[3] = {std::uint8_t(address), std::uint8_t(address >> 8), std::uint8_t(address >> 16)};
    link.SendCommand(a, 3);
    bool failed = false;
    TWaitResult r = link.WaitForBytes(2);
    if (r == TWaitResult::Cancelled) return ending();
    if (r == TWaitResult::TimedOut) {
      RestAfterTimeout();
      failed = true;
    } else {
      LampIdle();
      std::uint8_t echo[2] = {0, 0};
      link.Read(echo, 2);
      failed = (echo[0] | (echo[1] << 8)) != FrameChecksum(a, 3);
    }
    if (!failed) {
      link.SendCommand({0x0C, 0x0C});
      r = link.WaitForBytes(258);
      if (r == TWaitResult::Cancelled) return ending();
      if (r == TWaitResult::TimedOut) {
        RestAfterTimeout();
        failed = true;
      } else {
        LampIdle();
        std::uint8_t page[258];
        link.Read(page, 258);
        if ((page[256] | (page[257] << 8)) != FrameChecksum(page, 256)) continue;  // the same page again
        try {
          file->WriteBuffer(page, 256);
        } catch (const std::exception&) {
          Ask("Не удается записать файл "_cp + path, MB_OK);
          return ending();
        }
        ProgressBar1->SetPosition(ProgressBar1->Position() + 1);
        tries = 3;
        address += kFlashPageSize;
        continue;
      }
    }
    // Four failures in a row without a good page between them end the dump.
    if (tries == 0) {
      Ask("Ошибка чтения данных из прибора"_cp, MB_OK);
      return ending();
    }
    --tries;
    link.SendCommand({0x0C, 0xF3});
  }
  link.SendCommand({0xFF, 0xFF, 0xFF});
  file.reset();
  if (!ReplaceArchiveFile(path, partPath)) {
    rtl::DeleteFile(partPath);
    Ask("Не удается записать файл "_cp + path, MB_OK);
    return ending();
  }
  SetPanelText(0, "Flash считана в файл "_cp + path);

  // The sensor fitted now, from the header of the diagnostics answer.
  int marker = kMarkerSht21;
  link.SendCommand({0x0B, 0xF4});
  link.WaitForBytes(48);
  if (link.InQueCount() >= 36) {
    std::uint8_t answer[48] = {};
    link.Read(answer, std::min(48, link.InQueCount()));
    marker = answer[34] & 0x20 ? kMarkerSht21 : kMarkerSht15;
  } else {
    link.FlushInput();
  }

  ShowProgressBar(false);
  ShowCancelButton(false);
  LampIdle();
  std::string image;
  if (!ReadImage(path, image)) {
    Ask("Не могу открыть файл "_cp + path, MB_OK);
    return ending();
  }
  if (ImportFlashImage(image, marker) > 0) {
    // The list shows the new processes; showing one empties the status texts.
    const AnsiString done = PanelText(0);
    RefreshProcessList();
    SelectLastProcess();
    SetPanelText(0, done);
  }
  ending();
}

void TForm1::AFlashFileRdExecute(TObject*) {
  // Taking processes into the archive while a read writes them too could
  // leave either half-done: the import is a guarded operation like the read.
  const TLinkBusy busy(*link_);
  if (!busy.Acquired()) return;
  ClearStatusPanels();
  if (!EnsureDataFolder()) return;
  OpenDialogFlash->FileName = "Flash.bin";
  OpenDialogFlash->Filter = "Файлы *.bin|*.bin|Все файлы (*.*)|*.*"_cp;
  if (!OpenDialogFlash->Execute()) return;
  const AnsiString name = OpenDialogFlash->FileName;
  std::string image;
  if (!ReadImage(name, image)) {
    Ask("Не могу открыть файл "_cp + name, MB_OK);
    return;
  }
  int marker = FlashMarkerByte(image);
  // An image that is too long is refused before anyone is asked about it.
  if (image.size() <= kFlashSize && marker != kMarkerSht15 && marker != kMarkerSht21) {
    const TShtVote vote = VoteShtType();
    if (vote == TShtVote::OnlySht15 || vote == TShtVote::OnlySht21) {
      marker = static_cast<int>(vote);
    } else {
      TGetSHT dialog(this);
      dialog.ShowModal();
      marker = dialog.Result() == kMarkerSht15    ? kMarkerSht15
               : dialog.Result() == kMarkerSht21  ? kMarkerSht21
               : vote == TShtVote::BothFewerSht21 ? kMarkerSht15
                                                  : kMarkerSht21;
    }
  }
  const int n = ImportFlashImage(image, marker);
  if (n == 0) {
    SetPanelText(0, "Процессов регистрации в файле не найдено"_cp);
    return;
  }
  RefreshProcessList();
  SelectLastProcess();
  SetPanelText(0, ProcessCountPhrase(n) + " из файла - копии Flash прибора \""_cp + rtl::ExtractFileName(name) + "\"");
}

int TForm1::ImportFlashImage(const std::string& image, int marker) {
  if (image.size() > kFlashSize) {
    Ask("Файл "_cp + OpenDialogFlash->FileName + " не является копией архива прибора!"_cp,
        MB_OK | MB_ICONQUESTION | MB_TASKMODAL);
    return 0;
  }
  int count = 0;
  std::vector<AnsiString> written;  // the archive files this import has made
  for (int slot = 0; slot < kFlashSlots; ++slot) {
    TProcessHeader stored;
    if (!FlashDirectoryHeader(image, slot, stored)) break;
    if (!HeaderNamesArchiveFile(stored)) continue;
    // A damaged directory can list one start twice: the second would only
    // overwrite the first's file, so it is reported and not counted.
    const AnsiString name = ProcessFileName(MarkedHeader(stored, marker));
    if (std::find(written.begin(), written.end(), name) != written.end()) {
      Ask("Процесс со стартом "_cp + HeaderDateTimeText(3, stored) +
              " записан в копии Flash дважды; повтор пропущен (файл "_cp + name + " уже считан)"_cp,
          MB_OK | MB_ICONWARNING | MB_TASKMODAL);
      continue;
    }
    // Built in steps: a long chain of literals is hard on some compilers.
    AnsiString question = "Найден процесс...\n\n"_cp;
    question += "Дата и время старта: "_cp;
    question += HeaderDateTimeText(3, stored) + "\n";
    question += "Длительность "_cp;
    question += DurationText(stored) + " (" + rtl::IntToStr(stored.Points());
    question += " отсчетов по "_cp;
    question += rtl::IntToStr(stored.Period());
    question += " мин)\n\n"_cp;
    question += IsProcessSaved(stored) ? AnsiString("Процесс уже был считан ранее. Считать еще раз?"_cp)
                                       : AnsiString("Процесс еще не считан. Считать?"_cp);
    if (Ask(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TASKMODAL) != IDYES) continue;
    std::string samples;
    if (ExtractFlashProcess(image, stored, samples) != TFlashExtract::Ok) continue;
    const TProcessHeader header = MarkedHeader(stored, marker);
    const AnsiString finalName = DataFolder() + ProcessFileName(header);
    const AnsiString tempName = finalName.substr(0, finalName.size() - 2);
    std::unique_ptr<rtl::TFileStream> file;
    bool skip = false;
    while (!file && !skip) {
      try {
        file = std::make_unique<rtl::TFileStream>(tempName, rtl::fmCreate);
      } catch (const std::exception&) {
        const int answer = Ask("Не удается создать файл архива "_cp + finalName,
                               MB_ABORTRETRYIGNORE | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TASKMODAL);
        if (answer == IDABORT) return count;
        skip = answer == IDIGNORE;
      }
    }
    if (skip) continue;
    bool ok = true;
    try {
      file->WriteBuffer(header.Bytes.data(), 16);
      file->WriteBuffer(samples.data(), static_cast<std::int64_t>(samples.size()));
    } catch (const std::exception&) {
      ok = false;
    }
    file.reset();
    // The complete file replaces an older one of the same start in one step.
    if (!ok || !ReplaceArchiveFile(finalName, tempName)) {
      rtl::DeleteFile(tempName);
      continue;
    }
    written.push_back(name);
    ++count;
  }
  return count;
}

}  // namespace app
