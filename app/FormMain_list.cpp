// The process list: rebuilt from the archive folder, sorted by start or by a
// note, kept in view; the note files beside the archive files; sorting and
// the notes dialog.
#include <algorithm>

#include "app/FileBytes.h"
#include "app/FormMain.h"
#include "app/NoteEdit.h"
#include "app/NoteFile.h"
#include "platform/gui/application.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/textcase.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

void TForm1::SetupProcessListHeader() {
  TStringGrid* g = StringGridProcessList;
  g->SetRowCount(2);
  for (int c = 0; c < 7; ++c)
    for (int r = 0; r < 2; ++r) g->SetCells(c, r, "");
  static const AnsiString captions[5] = {"Дата"_cp, "Время"_cp, "Длительность, час:мин"_cp, "Период отсчетов, мин"_cp,
                                         "Всего отсчетов"_cp};
  for (int c = 0; c < 5; ++c) g->SetCells(c, 0, captions[c]);
  g->SetCells(5, 0, noteNames_[0]);
  g->SetCells(6, 0, noteNames_[1]);
  ProcessMessages();
}

bool TForm1::ProcessListEmpty() { return StringGridProcessList->Cells(1, 1).empty(); }

AnsiString TForm1::RowFileName(int row) {
  TStringGrid* g = StringGridProcessList;
  if (row < 0 || row >= g->RowCount()) return {};
  // The file the row was read from: a file whose name and header disagree
  // must not be mistaken for the one its header names.
  if (g->Cells(0, row).empty()) return {};
  if (row >= 1 && std::size_t(row - 1) < rowFiles_.size()) return rowFiles_[std::size_t(row - 1)];
  return FileNameFromCells(g->Cells(0, row), g->Cells(1, row));
}

bool TForm1::IsProcessSaved(const TProcessHeader& h) {
  const AnsiString name = ProcessFileName(h);
  for (int row = 1; row < StringGridProcessList->RowCount(); ++row) {
    if (RowFileName(row) == name) return rtl::FileSize(DataFolder() + name) == h.FileSize();
  }
  return false;
}

// --- note files ---

AnsiString TForm1::NoteFileName(const AnsiString& archiveFileName) { return NoteFileNameFor(archiveFileName); }

AnsiString TForm1::ReadNote(const AnsiString& archiveFileName, int note) {
  const AnsiString file = DataFolder() + NoteFileName(archiveFileName);
  if (archiveFileName.empty() || !rtl::FileExists(file)) return {};
  return ReadNoteFile(file, note);
}

void TForm1::WriteNote(const AnsiString& archiveFileName, int note, const AnsiString& text) {
  if (archiveFileName.empty()) return;
  const AnsiString file = DataFolder() + NoteFileName(archiveFileName);
  rtl::WritePrivateProfileString("Note", note == 2 ? "Note2" : "Note1", text.c_str(), file.c_str());
  if (ReadNote(archiveFileName, 1).empty() && ReadNote(archiveFileName, 2).empty()) rtl::DeleteFile(file);
}

void TForm1::SetNoteTitle(int note, const AnsiString& title) {
  const int i = note == 2 ? 1 : 0;
  noteNames_[i] = title;
  (i ? ASortByNote2 : ASortByNote1)->SetCaption("По столбцу \""_cp + title + "\"");
  StringGridProcessList->SetCells(5 + i, 0, title);
}

// --- the rebuild ---

void TForm1::SortNames(std::vector<AnsiString>& names, std::vector<AnsiString>& keys) {
  // Byte order of the 1251 texts; equal keys are never swapped, yet the
  // exchange does not keep their order.
  const std::size_t n = names.size();
  for (std::size_t p = 0; p < n; ++p)
    for (std::size_t j = p; j < n; ++j)
      if (keys[j] < keys[p]) {
        std::swap(keys[p], keys[j]);
        std::swap(names[p], names[j]);
      }
}

void TForm1::RefreshProcessList() {
  TStringGrid* g = StringGridProcessList;
  const int current = g->Row();
  // No row keeps the texts of a file that is gone (an emptied archive shows
  // an empty list, and nothing draws a missing file while the rows change).
  for (int r = 1; r < g->RowCount(); ++r)
    for (int c = 0; c < g->ColCount(); ++c) g->SetCells(c, r, "");
  std::vector<AnsiString> names;
  for (const AnsiString& path : rtl::FindFiles(DataFolder() + "??????_????.bin"))
    names.push_back(rtl::ExtractFileName(path));
  std::vector<AnsiString> keys;
  keys.reserve(names.size());
  for (const AnsiString& name : names) {
    if (ASortByNote1->Checked())
      keys.push_back(ReadNote(name, 1));
    else if (ASortByNote2->Checked())
      keys.push_back(ReadNote(name, 2));
    else
      keys.push_back(name);
  }
  SortNames(names, keys);

  SetupProcessListHeader();
  g->SetRowCount(names.empty() ? 2 : int(names.size()) + 1);
  g->SetFixedRows(1);
  TProcessHeader& header = Recorder().Current;
  rowFiles_ = names;
  for (std::size_t k = 0; k < names.size(); ++k) {
    const int row = int(k) + 1;
    std::string bytes;
    // A file that cannot be opened leaves its row empty.
    if (!ReadFilePrefix(DataFolder() + names[k], 16, bytes)) continue;
    if (bytes.size() < 16) continue;  // and so does one too short to hold a header
    header.Bytes.fill(0);
    std::copy(bytes.begin(), bytes.end(), header.Bytes.begin());
    const std::array<AnsiString, 5> cells = ProcessListCells(header);
    for (int c = 0; c < 5; ++c) g->SetCells(c, row, cells[static_cast<std::size_t>(c)]);
    g->SetCells(5, row, ReadNote(names[k], 1));
    g->SetCells(6, row, ReadNote(names[k], 2));
  }
  if (current > 1 && current < g->RowCount()) g->SetRow(current);
  KeepRowVisible();
  FormResize(this);
}

void TForm1::KeepRowVisible() {
  TStringGrid* g = StringGridProcessList;
  const int r = g->Row(), n = g->RowCount(), v = g->VisibleRowCount();
  if (v < 6) return;
  if (r < 4)
    g->SetTopRow(1);
  else if (r == n - 1 || r == n - 2)
    g->SetTopRow(n - 6);
  else
    g->SetTopRow(r - 3);
}

void TForm1::SelectLastProcess() {
  TStringGrid* g = StringGridProcessList;
  const unsigned shown = showCalls_;
  const int n = g->RowCount(), v = g->VisibleRowCount();
  if (v + 1 < n) {
    g->SetTopRow(n - v);
    g->SetRow(n - 1);
  } else if (n > 1) {
    g->SetRow(n - 1);
  }
  // A row that was current already (the only one, or the last one after the
  // rows under it went) is not shown by a change of row: the display must
  // still follow the list.
  if (showCalls_ == shown) StringGridProcessListClick(g);
}

void TForm1::SelectProcessRow(const AnsiString& fileName) {
  for (int row = 1; row < StringGridProcessList->RowCount(); ++row) {
    if (RowFileName(row) == fileName) {
      const unsigned shown = showCalls_;
      StringGridProcessList->SetRow(row);
      KeepRowVisible();
      if (showCalls_ == shown) ShowProcess();
      return;
    }
  }
}

// --- sorting and notes ---

void TForm1::ASortByDateTimeExecute(TObject*) {
  ASortByDateTime->SetChecked(true);
  ASortByNote1->SetChecked(false);
  ASortByNote2->SetChecked(false);
  IniWrite("Config", "Sort", "ByDateTime");
  RefreshProcessList();
}

void TForm1::ASortByNote1Execute(TObject*) {
  ASortByDateTime->SetChecked(false);
  ASortByNote1->SetChecked(true);
  ASortByNote2->SetChecked(false);
  IniWrite("Config", "Sort", "byNote1");
  RefreshProcessList();
}

void TForm1::ASortByNote2Execute(TObject*) {
  ASortByDateTime->SetChecked(false);
  ASortByNote1->SetChecked(false);
  ASortByNote2->SetChecked(true);
  IniWrite("Config", "Sort", "byNote2");
  RefreshProcessList();
}

void TForm1::ANoteEditExecute(TObject*) {
  {
    TfrmNoteEdit dialog(this, *this);
    dialog.ShowModal();
  }
  RefreshProcessList();
}

void TForm1::StringGridProcessListMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  if (Button != mbRight) return;
  const TPoint p = StringGridProcessList->ClientToScreen({X, Y});
  PopupMenuList->Popup(p.X + 3, p.Y + 3);
}

}  // namespace app
