// Process files in and out of the archive and deletion on the computer,
// through the main window on a simulated recorder with the clock injected.
#include "app/ProcessFile.h"
#include "tests/app/form_fixture.h"

using namespace rtl::literals;
using apptest::ArchiveName;
using apptest::ExpectedArchive;
using apptest::ReadFile;

namespace {

class FilesTest : public apptest::FormFixture {
 protected:
  void SetUp() override {
    model = std::make_unique<sim::RecorderModel>();
    sim::AddDemoProcesses(*model);
  }
  // The window with every demo process downloaded.
  void CreateAndRead() {
    Create();
    FirstTick();
    ASSERT_EQ(DataFiles().size(), 3u);
  }
  std::string Native(const std::filesystem::path& p) { return p.string(); }
  void Write(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
  }
  // Everything in the Data folder, name and content.
  std::map<std::string, std::string> Snapshot() {
    std::map<std::string, std::string> m;
    for (const auto& n : DataFiles()) m[n] = ReadFile(DataFile(n));
    return m;
  }
  void SelectRow(int top, int bottom) {
    form->StringGridProcessList->SetRow(top);
    form->StringGridProcessList->SetSelection({0, top, 6, bottom});
  }
  int Boxes() { return int(dialogs.MessageBoxes().size()); }
  const gui::MessageBoxRecord& LastBox() { return dialogs.MessageBoxes().back(); }
  // Exports row's process into a file of the scratch folder.
  std::filesystem::path Export(int row, const std::string& name) {
    form->StringGridProcessList->SetRow(row);
    const auto path = folder / name;
    dialogs.ChooseFile(Native(path));
    form->AFileSaveExecute(form->AFileSave);
    return path;
  }
  void Import(const std::filesystem::path& path) {
    dialogs.ChooseFile(Native(path));
    form->AFileOpenExecute(form->AFileOpen);
  }
};

}  // namespace

TEST_F(FilesTest, ExportEqualsTheArchiveWithoutNotesAndCarriesNoteBlocks) {
  CreateAndRead();
  const std::string name = form->RowFileName(1);
  const std::string archive = ReadFile(DataFile(name));
  auto path = Export(1, "plain");
  EXPECT_EQ(Panel(0), "Файл сохранен"_cp);
  // The proposed name, the filter and the extension a name without one gets.
  const auto& dlg = dialogs.FileDialogs().back();
  EXPECT_TRUE(dlg.Save);
  EXPECT_EQ(dlg.FileName, name.substr(0, name.size() - 4));
  EXPECT_EQ(dlg.DefaultExt, ".zrn");
  EXPECT_EQ(dlg.Filter, "Файлы *.zrn|*.zrn|Все файлы (*.*)|*.*"_cp);
  EXPECT_TRUE(dlg.Options & gui::ofOverwritePrompt);
  path += ".zrn";
  EXPECT_EQ(ReadFile(path), archive);

  app::TForm1::WriteNote(name, 2, "Цех №2"_cp);
  path = Export(1, "note2.zrn");
  EXPECT_EQ(ReadFile(path), archive + "Note2:" + "Цех №2"_cp + std::string(1, '\0'));
  app::TForm1::WriteNote(name, 1, "Кирпич М150"_cp);
  path = Export(1, "both.zrn");
  EXPECT_EQ(ReadFile(path), archive + "Note1:" + "Кирпич М150"_cp + std::string(1, '\0') + "Note2:" + "Цех №2"_cp +
                                std::string(1, '\0'));
}

TEST_F(FilesTest, SavingWithoutAListOrCancelledWritesNothing) {
  Create();
  form->AFileSaveExecute(form->AFileSave);  // empty list: no dialog at all
  EXPECT_TRUE(dialogs.FileDialogs().empty());
  FirstTick();
  dialogs.CancelFileDialog();
  form->StringGridProcessList->SetRow(1);
  form->AFileSaveExecute(form->AFileSave);
  EXPECT_EQ(dialogs.FileDialogs().size(), 1u);
  for (const auto& e : std::filesystem::directory_iterator(folder)) EXPECT_NE(e.path().extension(), ".zrn");
}

// Every process downloaded, exported and imported on a fresh archive comes
// back byte for byte with its notes.
TEST_F(FilesTest, RoundTripThroughProcessFiles) {
  CreateAndRead();
  const auto before = Snapshot();
  const std::string n510(510, '\xE0');  // 510 times "а"
  app::TForm1::WriteNote(form->RowFileName(1), 1, n510);
  app::TForm1::WriteNote(form->RowFileName(2), 2, "Место: склад"_cp);
  app::TForm1::WriteNote(form->RowFileName(3), 1, "Вид"_cp);
  app::TForm1::WriteNote(form->RowFileName(3), 2, "Место"_cp);
  const auto withNotes = Snapshot();
  std::vector<std::filesystem::path> exported;
  for (int row = 1; row <= 3; ++row) exported.push_back(Export(row, "p" + std::to_string(row) + ".zrn"));

  for (const auto& n : DataFiles()) std::filesystem::remove(DataFile(n));
  form->RefreshProcessList();
  ASSERT_TRUE(form->ProcessListEmpty());
  for (const auto& p : exported) {
    Import(p);
    const std::string key = app::ParseProcessFile(ReadFile(p)).Key;
    EXPECT_EQ(Panel(0), "Файл \""_cp + key + "\" добавлен в список процессов"_cp);
    EXPECT_EQ(form->RowFileName(form->StringGridProcessList->Row()), key);
  }
  EXPECT_EQ(Snapshot(), withNotes);
  EXPECT_EQ(app::TForm1::ReadNote(form->RowFileName(1), 1), n510);
  EXPECT_EQ(Rows(), 4);
  (void)before;
}

TEST_F(FilesTest, ImportReplacesAProcessOfTheSameStartNotesIncluded) {
  CreateAndRead();
  const std::string name = form->RowFileName(2);
  const auto path = Export(2, "plain.zrn");  // no notes
  app::TForm1::WriteNote(name, 1, "старое"_cp);
  ASSERT_TRUE(std::filesystem::exists(DataFile(name.substr(0, name.size() - 3) + "note")));
  Import(path);
  EXPECT_EQ(app::TForm1::ReadNote(name, 1), "");
  EXPECT_FALSE(std::filesystem::exists(DataFile(name.substr(0, name.size() - 3) + "note")));
  EXPECT_EQ(ReadFile(DataFile(name)), ExpectedArchive(line->model, 1));
  // The old file went away through the replacement; nothing temporary is left.
  EXPECT_EQ(DataFiles().size(), 3u);
}

TEST_F(FilesTest, SamplesHoldingTheMarkerAreImportedWhole) {
  CreateAndRead();
  const std::string name = form->RowFileName(1);
  std::string archive = ReadFile(DataFile(name));
  archive.replace(100, 6, "Note1:");
  archive.replace(300, 6, "Note2:");
  Write(folder / "marker.zrn", app::BuildProcessFile(archive, "настоящая"_cp, ""));
  Import(folder / "marker.zrn");
  EXPECT_EQ(ReadFile(DataFile(name)), archive);
  EXPECT_EQ(app::TForm1::ReadNote(name, 1), "настоящая"_cp);
  EXPECT_EQ(app::TForm1::ReadNote(name, 2), "");
}

TEST_F(FilesTest, HostileFilesChangeNothingAndSayWhy) {
  CreateAndRead();
  app::TForm1::WriteNote(form->RowFileName(1), 1, "примечание"_cp);
  const std::string archive = ReadFile(DataFile(form->RowFileName(1)));
  const auto before = Snapshot();
  std::string badMonth = archive;
  badMonth[8] = 13;
  std::string random(5000, '\0');
  std::mt19937 rng(3);
  for (auto& c : random) c = char(rng());
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"month 13", badMonth},
      {"random bytes", random},
      {"oversized", archive + std::string(200000, 'x')},
      {"note without its terminator", archive + "Note1:без конца"_cp},
      {"note with a line break", app::BuildProcessFile(archive, "a\r\n[Note]\r\nNote2=x", "")},
  };
  for (const auto& c : cases) {
    Write(folder / "bad.zrn", c.bytes);
    const int boxes = Boxes();
    Import(folder / "bad.zrn");
    ASSERT_EQ(Boxes(), boxes + 1) << c.what;
    EXPECT_EQ(LastBox().Text, "Информация в выбранном файле не соответствует формату .zrn-файла"_cp) << c.what;
    EXPECT_EQ(LastBox().Caption, "Неверный формат файла"_cp) << c.what;
    EXPECT_EQ(Snapshot(), before) << c.what;
    // The open dialog came back (and was cancelled by the script).
    EXPECT_FALSE(dialogs.FileDialogs().back().Accepted) << c.what;
  }
}

TEST_F(FilesTest, AFileCutShortIsImportedWithItsWholeRecordsAndSaysSo) {
  CreateAndRead();
  const std::string name = form->RowFileName(1);
  const std::string archive = ReadFile(DataFile(name));
  app::TProcessHeader h;
  std::copy(archive.begin(), archive.begin() + 16, h.Bytes.begin());
  const std::size_t record = std::size_t(h.Channels()) * 2;
  const int points = h.Points();
  struct Case {
    const char* what;
    std::string bytes;
    int whole;
    std::string tail;  // of the box's text
  } cases[] = {
      {"header only", archive.substr(0, 16), 0, ".\nПроцесс добавлен с ними."_cp},
      {"a partial record at the end", archive.substr(0, archive.size() - 5), points - 1,
       ".\nПроцесс добавлен с ними, неполная последняя запись ("_cp + std::to_string(record - 5) +
           " байт) отброшена."_cp},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto path = folder / "cut.zrn";
    Write(path, c.bytes);
    const int boxes = Boxes();
    Import(path);
    ASSERT_EQ(Boxes(), boxes + 1);
    EXPECT_EQ(LastBox().Caption, "Неполный файл"_cp);
    EXPECT_EQ(LastBox().Icon(), unsigned(gui::MB_ICONINFORMATION));
    EXPECT_EQ(LastBox().Text, "Файл "_cp + Native(path) + " содержит "_cp + std::to_string(c.whole) + " из "_cp +
                                  std::to_string(points) + " точек процесса"_cp + c.tail);
    EXPECT_EQ(ReadFile(DataFile(name)), archive.substr(0, 16 + std::size_t(c.whole) * record));
    EXPECT_EQ(Panel(0), "Файл \""_cp + name + "\" добавлен в список процессов"_cp);
    // Listed and shown with what it holds.
    EXPECT_EQ(form->RowFileName(form->StringGridProcessList->Row()), name);
    EXPECT_EQ(form->ShownProcess().points, c.whole);
  }
  // The next read from the recorder fetches the whole process again.
  clock.Advance(3000);
  form->ADataReadExecute(form->ADataRead);
  EXPECT_EQ(ReadFile(DataFile(name)), archive);
}

TEST_F(FilesTest, AnArchiveFileIsNotImportedOntoItself) {
  CreateAndRead();
  const std::string name = form->RowFileName(1);
  app::TForm1::WriteNote(name, 1, "примечание"_cp);
  const auto before = Snapshot();
  Import(DataFile(name));
  EXPECT_EQ(LastBox().Caption, "Внимание"_cp);
  EXPECT_EQ(Snapshot(), before);
  // A copy of it elsewhere imports fine (and drops the note it does not carry).
  std::filesystem::copy_file(DataFile(name), folder / "copy.bin");
  Import(folder / "copy.bin");
  EXPECT_EQ(ReadFile(DataFile(name)), before.at(name));
  EXPECT_EQ(app::TForm1::ReadNote(name, 1), "");
}

TEST_F(FilesTest, AFailedWriteKeepsTheOldProcess) {
  CreateAndRead();
  const std::string name = form->RowFileName(1);
  app::TForm1::WriteNote(name, 1, "старое"_cp);
  const auto path = Export(1, "p.zrn");
  const auto before = Snapshot();
  rtl::SetSaveFaultForTests([](std::string_view) { throw rtl::EWriteError("disk full"); });
  dialogs.AnswerMessageBox(gui::IDCANCEL);
  Import(path);
  rtl::SetSaveFaultForTests(nullptr);
  EXPECT_EQ(LastBox().Caption, "Ошибка записи файла"_cp);
  EXPECT_EQ(LastBox().Text, "Не могу записать файл "_cp + rtl::ToSlashes(app::DataFolder() + name));
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(FilesTest, DeletingSelectedRows) {
  model = std::make_unique<sim::RecorderModel>();
  for (int i = 0; i < 8; ++i) model->AddProcess(sim::MakeProcess(5, 3, sim::DateTime{2013, 3, 1 + i, 8, 0, 0}));
  Create();
  FirstTick();
  ASSERT_EQ(Rows(), 9);
  std::vector<std::string> names;
  for (int r = 1; r <= 8; ++r) names.push_back(form->RowFileName(r));
  app::TForm1::WriteNote(names[4], 1, "x");
  // No: nothing happens.
  SelectRow(4, 6);
  form->ADeleteProgProcessExecute(form->ADeleteProgProcess);
  EXPECT_EQ(LastBox().Text, "Вы действительно хотите удалить выбранные процессы из архива на компьютере?"_cp);
  EXPECT_EQ(LastBox().DefaultButton(), unsigned(gui::MB_DEFBUTTON2));
  EXPECT_EQ(DataFiles().size(), 9u);
  // Yes: rows 4 to 6 go, with the note file; the last row is selected.
  SelectRow(4, 6);
  dialogs.AnswerMessageBox(gui::IDYES);
  form->ADeleteProgProcessExecute(form->ADeleteProgProcess);
  EXPECT_EQ(DataFiles().size(), 5u);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(std::filesystem::exists(DataFile(names[std::size_t(i)])), i < 3 || i > 5) << names[std::size_t(i)];
  EXPECT_EQ(Rows(), 6);
  EXPECT_EQ(form->StringGridProcessList->Row(), 5);
  EXPECT_EQ(Panel(0), "Процессы удалены"_cp);
  EXPECT_EQ(Panel(1), "Файлы удалены"_cp);
  // One row, asked in the singular.
  SelectRow(2, 2);
  dialogs.AnswerMessageBox(gui::IDYES);
  form->ADeleteProgProcessExecute(form->ADeleteProgProcess);
  EXPECT_EQ(LastBox().Text, "Вы действительно хотите удалить выбранный процесс из архива на компьютере?"_cp);
  EXPECT_FALSE(std::filesystem::exists(DataFile(names[1])));
  EXPECT_EQ(Panel(0), "Процесс удален"_cp);
  EXPECT_EQ(Panel(1), "Файл удален"_cp);
}

TEST_F(FilesTest, DeleteGridRowMovesTheRowsUp) {
  Create();
  gui::TStringGrid* g = form->StringGridProcessList;
  g->SetRowCount(4);
  for (int r = 1; r < 4; ++r) g->SetCells(0, r, std::to_string(r));
  form->DeleteGridRow(g, 7);  // outside: nothing
  form->DeleteGridRow(g, -1);
  EXPECT_EQ(g->RowCount(), 4);
  form->DeleteGridRow(g, 1);
  EXPECT_EQ(g->RowCount(), 3);
  EXPECT_EQ(g->Cells(0, 1), "2");
  EXPECT_EQ(g->Cells(0, 2), "3");
}

TEST_F(FilesTest, NoSelectionAndEmptyList) {
  Create();
  form->ADeleteProgProcessExecute(form->ADeleteProgProcess);
  EXPECT_EQ(Panel(0), "Нет выбраных данных"_cp);
  EXPECT_TRUE(dialogs.MessageBoxes().empty());
}

TEST_F(FilesTest, ClearingTheComputersArchiveLeavesOtherFiles) {
  CreateAndRead();
  app::TForm1::WriteNote(form->RowFileName(1), 1, "n");
  Write(DataFile("130101_0000.b"), "partial");
  Write(DataFile("120101_0000.note"), "[Note]\nNote1=orphan\n");
  form->AClearProgArchExecute(form->AClearProgArch);  // No
  EXPECT_EQ(DataFiles().size(), 6u);
  dialogs.AnswerMessageBox(gui::IDYES);
  form->AClearProgArchExecute(form->AClearProgArch);
  EXPECT_EQ(LastBox().Text, "Вы действительно хотите удалить ВСЕ процессы из архива на компьютере?"_cp);
  EXPECT_EQ(DataFiles(), (std::vector<std::string>{"120101_0000.note", "130101_0000.b"}));
  EXPECT_TRUE(form->ProcessListEmpty());
  EXPECT_EQ(Panel(0), "Архив очищен"_cp);
}

TEST_F(FilesTest, TotalDeletionRemovesInTheRecorderAndOnTheComputer) {
  CreateAndRead();
  SelectRow(3, 3);
  const std::string name = form->RowFileName(3);
  clock.Advance(3000);
  dialogs.AnswerMessageBox(gui::IDYES);
  form->ADeleteProcessTotalExecute(form->ADeleteProcessTotal);
  EXPECT_EQ(dialogs.MessageBoxes().size(), 1u);  // neither part asks again
  EXPECT_EQ(line->model.ProcessCount(), 2);
  EXPECT_FALSE(std::filesystem::exists(DataFile(name)));
  EXPECT_EQ(Rows(), 3);
  // Answering No deletes nothing anywhere.
  SelectRow(1, 1);
  clock.Advance(3000);
  form->ADeleteProcessTotalExecute(form->ADeleteProcessTotal);
  EXPECT_EQ(line->model.ProcessCount(), 2);
  EXPECT_EQ(Rows(), 3);
}

TEST_F(FilesTest, TotalDeletionOfAProcessTheRecorderDoesNotHold) {
  CreateAndRead();
  // A process that exists only on the computer.
  std::string archive = ReadFile(DataFile(form->RowFileName(1)));
  archive[9] = 12;  // another year: another file
  Write(folder / "old.zrn", archive);
  Import(folder / "old.zrn");
  ASSERT_EQ(Rows(), 5);
  SelectRow(1, 1);
  const std::string name = form->RowFileName(1);
  ASSERT_EQ(name.substr(0, 2), "12");
  clock.Advance(3000);
  dialogs.AnswerMessageBox(gui::IDYES);
  form->ADeleteProcessTotalExecute(form->ADeleteProcessTotal);
  EXPECT_FALSE(std::filesystem::exists(DataFile(name)));
  EXPECT_EQ(line->model.ProcessCount(), 3);
  EXPECT_EQ(Rows(), 4);
}

TEST_F(FilesTest, CancelledTotalDeletionKeepsTheComputersCopy) {
  CreateAndRead();
  SelectRow(2, 2);
  const std::string name = form->RowFileName(2);
  line->plugged = false;  // the recorder never answers; the user cancels
  int sleeps = 0;
  clock.OnSleep = [&](std::uint32_t) {
    if (++sleeps == 5000) form->Link().SetCancel(true);
  };
  clock.Advance(3000);
  dialogs.AnswerMessageBox(gui::IDYES);
  form->ADeleteProcessTotalExecute(form->ADeleteProcessTotal);
  clock.OnSleep = nullptr;
  EXPECT_TRUE(std::filesystem::exists(DataFile(name)));
  EXPECT_EQ(Rows(), 4);
  EXPECT_FALSE(form->Link().Cancelled());
}

TEST_F(FilesTest, UnconfirmedTotalDeletionKeepsTheComputersCopyAndSaysSo) {
  CreateAndRead();
  SelectRow(2, 2);
  const std::string name = form->RowFileName(2);
  // The recorder takes the deletion but its confirming answer is lost.
  line->onWrite = [](apptest::FakeLine& l) {
    const auto& w = l.written;
    if (w.size() >= 2 && w[w.size() - 2] == 0x07 && w.back() == 0x07) l.plugged = false;
  };
  clock.Advance(3000);
  dialogs.AnswerMessageBox(gui::IDYES);
  form->ADeleteProcessTotalExecute(form->ADeleteProcessTotal);
  line->onWrite = nullptr;
  EXPECT_TRUE(std::filesystem::exists(DataFile(name)));
  EXPECT_EQ(Rows(), 4);
  EXPECT_EQ(Panel(1), "Удаление не подтверждено прибором"_cp);
}

TEST_F(FilesTest, ImportIntoAnEmptyListShowsTheProcess) {
  CreateAndRead();
  const std::string name = form->RowFileName(3);
  const auto path = Export(3, "p.zrn");
  for (const auto& n : DataFiles()) std::filesystem::remove(DataFile(n));
  form->RefreshProcessList();
  form->ADeleteProgProcess->SetEnabled(false);
  Import(path);
  EXPECT_EQ(form->RowFileName(form->StringGridProcessList->Row()), name);
  EXPECT_TRUE(form->ADeleteProgProcess->Enabled());  // the list's click handler ran
}
