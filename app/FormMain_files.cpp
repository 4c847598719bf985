// Process files (*.zrn) in and out of the archive, and removing processes
// from the computer's archive: the selected ones, all of them, or the
// selected ones in the recorder and on the computer together.
#include <filesystem>

#include "app/FileBytes.h"
#include "app/FormMain.h"
#include "app/ProcessFile.h"
#include "platform/gui/application.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/textcase.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

namespace {

AnsiString ProcessFileFilter() { return "Файлы *.zrn|*.zrn|Все файлы (*.*)|*.*"_cp; }

// Both names lead to the same file on disk.
bool SameFile(const AnsiString& a, const AnsiString& b) {
  std::error_code ec;
  return std::filesystem::equivalent(rtl::NativePath(a), rtl::NativePath(b), ec) && !ec;
}

int FileQuestion(const AnsiString& text, const AnsiString& caption) {
  return MessageBox(text, caption, MB_RETRYCANCEL | MB_ICONWARNING);
}

}  // namespace

AnsiString TForm1::ReadProcessFileKey(const AnsiString& path) {
  std::string head;
  while (!ReadFilePrefix(path, 16, head)) {
    SetPanelText(0, "Ошибка открытия файла "_cp + path);
    if (FileQuestion("Не могу открыть файл "_cp + path, "Ошибка чтения файла"_cp) != IDRETRY) return {};
  }
  return ProcessFileKey(head);
}

void TForm1::AFileSaveExecute(TObject*) {
  ClearStatusPanels();
  if (ProcessListEmpty()) return;
  const AnsiString name = RowFileName(StringGridProcessList->Row());
  if (name.empty()) {
    SetPanelText(0, "Процесс для записи в файл не выбран"_cp);
    return;
  }
  SaveDialog1->Filter = ProcessFileFilter();
  SaveDialog1->DefaultExt = ".zrn";
  SaveDialog1->Options = ofOverwritePrompt | ofHideReadOnly | ofEnableSizing;
  SaveDialog1->InitialDir = rtl::ExcludeTrailingPathDelimiter(rtl::ProgramFolder());
  SaveDialog1->FileName = name.substr(0, name.size() - 4);
  if (!SaveDialog1->Execute()) return;
  const AnsiString path = SaveDialog1->FileName;
  const AnsiString archivePath = DataFolder() + name;
  if (SameFile(path, archivePath)) {
    MessageBox("Файл "_cp + path + " уже находится в архиве процессов"_cp, "Внимание"_cp, MB_OK | MB_ICONWARNING);
    return;
  }
  // The whole file is written beside the target and then put in its place,
  // so a failed save never leaves half a file.
  for (;;) {
    std::string archive;
    if (ReadFilePrefix(archivePath, kMaxProcessFileSize + 1, archive)) {
      try {
        rtl::SaveFileAtomically(path, BuildProcessFile(archive, ReadNote(name, 1), ReadNote(name, 2)));
        break;
      } catch (const std::exception&) {
      }
    }
    SetPanelText(0, "Ошибка открытия файла "_cp + path);
    if (FileQuestion("Не могу записать файл "_cp + path, "Ошибка записи файла"_cp) != IDRETRY) return;
  }
  SetPanelText(0, "Файл сохранен"_cp);
}

namespace {

// The notes of a process go into a file of their own beside the target and
// replace the old note file only once the archive file is in place.
bool PrepareNoteFile(const AnsiString& noteFile, const AnsiString notes[2], AnsiString& prepared) {
  prepared.clear();
  if (notes[0].empty() && notes[1].empty()) return true;
  prepared = noteFile + ".new";
  rtl::DeleteFile(prepared);
  for (int i = 0; i < 2; ++i) {
    if (notes[i].empty()) continue;
    if (!rtl::WritePrivateProfileString("Note", i == 0 ? "Note1" : "Note2", notes[i].c_str(), prepared.c_str())) {
      rtl::DeleteFile(prepared);
      return false;
    }
  }
  return true;
}

bool NotesFitNoteFile(const AnsiString notes[2]) {
  // A line break would end the value inside the note file.
  for (int i = 0; i < 2; ++i)
    if (notes[i].find_first_of("\r\n") != AnsiString::npos) return false;
  return true;
}

}  // namespace

void TForm1::AFileOpenExecute(TObject*) {
  for (;;) {
    ClearStatusPanels();
    OpenDialog1->Filter = ProcessFileFilter();
    OpenDialog1->InitialDir = rtl::ExcludeTrailingPathDelimiter(rtl::ProgramFolder());
    if (!OpenDialog1->Execute()) return;
    const AnsiString path = OpenDialog1->FileName;
    auto refuse = [&] {
      MessageBox("Информация в выбранном файле не соответствует формату .zrn-файла"_cp, "Неверный формат файла"_cp,
                 MB_OK | MB_ICONWARNING);
      SetPanelText(0, "Ошибка чтения файла "_cp + path);
    };
    const AnsiString key = ReadProcessFileKey(path);
    if (key.empty()) {
      refuse();
      continue;
    }
    std::string bytes;
    if (!ReadFilePrefix(path, kMaxProcessFileSize + 1, bytes)) {
      SetPanelText(0, "Ошибка чтения файла "_cp + path);
      if (FileQuestion("Не могу прочитать файл "_cp + path, "Ошибка чтения файла"_cp) == IDRETRY) continue;
      return;
    }
    // Everything is checked before anything in the archive is touched.
    const TProcessFileContent content = ParseProcessFile(bytes);
    if (content.Error != TProcessFileError::None || !NotesFitNoteFile(content.Notes)) {
      refuse();
      continue;
    }
    if (!EnsureDataFolder()) return;
    const AnsiString target = DataFolder() + content.Key;
    if (SameFile(path, target)) {
      MessageBox("Файл "_cp + path + " уже находится в архиве процессов"_cp, "Внимание"_cp, MB_OK | MB_ICONWARNING);
      continue;
    }
    const AnsiString noteFile = DataFolder() + NoteFileName(content.Key);
    AnsiString preparedNotes;
    bool written = PrepareNoteFile(noteFile, content.Notes, preparedNotes);
    if (written) {
      try {
        rtl::SaveFileAtomically(target, content.Archive);
      } catch (const std::exception&) {
        written = false;
      }
    }
    if (!written) {
      if (!preparedNotes.empty()) rtl::DeleteFile(preparedNotes);
      SetPanelText(0, "Ошибка записи файла "_cp + target);
      if (FileQuestion("Не могу записать файл "_cp + target, "Ошибка записи файла"_cp) == IDRETRY) continue;
      return;
    }
    // The imported process replaces an existing one with the same start,
    // notes included: notes the file does not carry are gone.
    if (preparedNotes.empty())
      rtl::DeleteFile(noteFile);
    else if (!rtl::ReplaceFile(noteFile, preparedNotes))
      rtl::DeleteFile(preparedNotes);
    ClearDataView();
    RefreshProcessList();
    FormResize(this);
    const int rowBefore = StringGridProcessList->Row();
    SelectProcessRow(content.Key);
    // A row that was current already is not shown again by being selected.
    if (StringGridProcessList->Row() == rowBefore && RowFileName(rowBefore) == content.Key)
      StringGridProcessListClick(StringGridProcessList);
    SetPanelText(0, "Файл \""_cp + content.Key + "\" добавлен в список процессов"_cp);
    if (content.Incomplete()) {
      // A file cut short still holds a process: its whole records are in the
      // archive now, and the user learns what the file lacked.
      AnsiString text = "Файл "_cp + path + " содержит "_cp + rtl::IntToStr(content.WholePoints) + " из "_cp +
                        rtl::IntToStr(content.Header.Points()) + " точек процесса.\nПроцесс добавлен с ними"_cp;
      if (content.DroppedBytes > 0)
        text += ", неполная последняя запись ("_cp + rtl::IntToStr(std::int64_t(content.DroppedBytes)) +
                " байт) отброшена"_cp;
      MessageBox(text + ".", "Неполный файл"_cp, MB_OK | MB_ICONINFORMATION);
    }
    return;
  }
}

// --- deletion on the computer ---

void TForm1::DeleteGridRow(TStringGrid* grid, int row) {
  const int rows = grid->RowCount();
  if (row < 0 || row >= rows) return;
  for (int r = row; r + 1 < rows; ++r)
    for (int c = 0; c < grid->ColCount(); ++c) grid->SetCells(c, r, grid->Cells(c, r + 1));
  if (grid == StringGridProcessList && row >= 1 && std::size_t(row - 1) < rowFiles_.size())
    rowFiles_.erase(rowFiles_.begin() + (row - 1));
  grid->SetRowCount(rows - 1);
}

void TForm1::DeleteProcessFiles(int row) {
  const AnsiString name = RowFileName(row);
  if (!name.empty()) {
    rtl::DeleteFile(DataFolder() + name);
    rtl::DeleteFile(DataFolder() + NoteFileName(name));
  }
  DeleteGridRow(StringGridProcessList, row);
}

void TForm1::ADeleteProgProcessExecute(TObject* Sender) {
  ClearStatusPanels();
  const TGridRect sel = StringGridProcessList->Selection();
  if (ProcessListEmpty() || sel.Top < 1) {
    SetPanelText(0, "Нет выбраных данных"_cp);
    return;
  }
  const int top = sel.Top;
  const int bottom = std::min(sel.Bottom, StringGridProcessList->RowCount() - 1);
  const bool several = bottom > top;
  const AnsiString what = several ? "выбранные процессы"_cp : "выбранный процесс"_cp;
  if (Sender && Ask("Вы действительно хотите удалить "_cp + what + " из архива на компьютере?"_cp,
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TASKMODAL) != IDYES)
    return;
  // Each deletion moves the next selected row up into the top row's place.
  for (int i = top; i <= bottom; ++i) DeleteProcessFiles(top);
  RefreshProcessList();
  SelectLastProcess();
  SetPanelText(1, several ? "Файлы удалены"_cp : "Файл удален"_cp);
  SetPanelText(0, several ? "Процессы удалены"_cp : "Процесс удален"_cp);
}

void TForm1::ADeleteProcessTotalExecute(TObject*) {
  ClearStatusPanels();
  // The recorder side must not start inside another device operation.
  if (link_->Busy()) return;
  if (Ask("Вы действительно хотите ПОЛНОСТЬЮ удалить процесс в приборе и на компьютере? \nВосстановление данных будет невозможно."_cp,
          MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TASKMODAL) != IDYES)
    return;
  link_->SetCancel(false);
  ADeleteGaugeProcessExecute(nullptr);
  // A user who cancelled the recorder side wants nothing deleted here either.
  if (link_->Cancelled()) {
    link_->SetCancel(false);
    return;
  }
  // A process the recorder may still hold keeps its copy here, and the text
  // saying the recorder did not confirm stays in view.
  if (GaugeDeletionRefused()) return;
  ADeleteProgProcessExecute(nullptr);
}

void TForm1::AClearProgArchExecute(TObject*) {
  ClearStatusPanels();
  if (Ask("Вы действительно хотите удалить ВСЕ процессы из архива на компьютере?"_cp,
          MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TASKMODAL) != IDYES)
    return;
  for (const AnsiString& path : rtl::FindFiles(DataFolder() + "??????_????.bin")) {
    rtl::DeleteFile(path);
    rtl::DeleteFile(DataFolder() + NoteFileName(rtl::ExtractFileName(path)));
  }
  RefreshProcessList();
  SelectLastProcess();
  SetPanelText(0, "Архив очищен"_cp);
}

}  // namespace app
