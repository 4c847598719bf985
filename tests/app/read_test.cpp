// Reading processes from the recorder and deleting them there, through the
// main window on a simulated recorder with the clock injected.
#include "platform/rtl/streams.h"
#include "tests/app/form_fixture.h"

using namespace rtl::literals;
using apptest::ArchiveName;
using apptest::ExpectedArchive;
using apptest::ReadFile;

namespace {

class ReadTest : public apptest::FormFixture {
 protected:
  void SetUp() override {
    model = std::make_unique<sim::RecorderModel>();
    sim::AddDemoProcesses(*model);
  }
  void ExpectArchiveComplete(int slot) {
    const auto path = DataFile(ArchiveName(line->model, slot));
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    EXPECT_EQ(ReadFile(path), ExpectedArchive(line->model, slot)) << path;
  }
};

}  // namespace

TEST_F(ReadTest, DownloadsEveryProcessLastEntryFirst) {
  Create();
  EXPECT_TRUE(form->ProcessListEmpty());
  FirstTick();
  for (int slot = 0; slot < 3; ++slot) ExpectArchiveComplete(slot);
  EXPECT_EQ(DataFiles().size(), 3u);  // no ".b" left
  EXPECT_EQ(Panel(1), "Чтение завершено"_cp);
  EXPECT_EQ(Panel(0), "Версия программы прибора 27.03.2012"_cp);
  EXPECT_FALSE(form->Link().Busy());
  EXPECT_FALSE(form->btnLinkCancel->Visible());
  EXPECT_FALSE(form->ProgressBar1->Visible());
  EXPECT_EQ(form->ProgressBar1->Position(), 577 + 289 + 145);
  EXPECT_FALSE(form->VersionNotRead());
  EXPECT_TRUE(form->AProcStart->Enabled());
  // The list shows them by start, the last one selected.
  ASSERT_EQ(Rows(), 4);
  EXPECT_EQ(Cell(0, 1), "01.03.13");
  EXPECT_EQ(Cell(1, 1), "8:00");
  EXPECT_EQ(Cell(2, 1), "48:00");
  EXPECT_EQ(Cell(3, 1), "5");
  EXPECT_EQ(Cell(4, 1), "577");
  EXPECT_EQ(Cell(0, 3), "07.03.13");
  EXPECT_EQ(form->StringGridProcessList->Row(), 3);
  // Requests: the last slot first.
  const auto& w = line->written;
  std::vector<int> order;
  for (std::size_t i = 0; i + 2 < w.size(); ++i)
    if (w[i] == 0x06 && w[i + 1] == 0xF9) order.push_back(w[i + 2]);
  EXPECT_EQ(order, (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(Sent(0x11, 0xEE), 1);
  EXPECT_EQ(Sent(0x02, 0xFD), 1);
}

TEST_F(ReadTest, SavedProcessesAreDeclinedAndShortOnesFetchedAgain) {
  Create();
  FirstTick();
  // The last entry is complete; the first is one byte short; the middle is gone.
  const auto first = DataFile(ArchiveName(line->model, 0));
  std::string shortFile = ReadFile(first);
  shortFile.pop_back();
  std::ofstream(first, std::ios::binary | std::ios::trunc) << shortFile;
  std::filesystem::remove(DataFile(ArchiveName(line->model, 1)));
  const auto lastTime = std::filesystem::last_write_time(DataFile(ArchiveName(line->model, 2)));
  form->RefreshProcessList();
  line->written.clear();
  line->frames.clear();
  clock.Advance(5000);
  form->ADataReadExecute(form->ADataRead);
  for (int slot = 0; slot < 3; ++slot) ExpectArchiveComplete(slot);
  EXPECT_EQ(std::filesystem::last_write_time(DataFile(ArchiveName(line->model, 2))), lastTime);
  // 06 F9 02, 00 00 (declined), then 06 06 twice.
  EXPECT_EQ(Sent(0x00, 0x00), 1);
  EXPECT_EQ(Sent(0x06, 0x06), 2);
  EXPECT_EQ(FrameIndex({0x00, 0x00}), FrameIndex({0x06, 0xF9, 0x02}) + 1);
  EXPECT_LT(FrameIndex({0x06, 0xF9, 0x02}), FrameIndex({0x06, 0xF9, 0x01}));
}

TEST_F(ReadTest, EmptySlotIsSkippedAndProgressStillReachesItsEnd) {
  model->faults.emptySlots = {1};
  Create();
  FirstTick();
  ExpectArchiveComplete(0);
  ExpectArchiveComplete(2);
  EXPECT_FALSE(std::filesystem::exists(DataFile(ArchiveName(line->model, 1))));
  EXPECT_EQ(form->ProgressBar1->Position(), form->ProgressBar1->Max());
  EXPECT_EQ(Panel(1), "Чтение завершено"_cp);
}

TEST_F(ReadTest, CablePulledMidDownloadIsRequestedAgainAndCancelDeletesTheTemporaryFile) {
  Create();
  // The cable comes out 1000 bytes into the answers; the read asks again.
  line->passBytes = 1000;
  int headerRequests = 0;
  line->onWrite = [&](apptest::FakeLine& l) {
    const auto& w = l.written;
    if (w.size() >= 2 && w[w.size() - 2] == 0x06 && w.back() == 0xF9 && ++headerRequests == 2) {
      // The second request for the process: the ".b" of the first attempt was there.
      form->btnLinkCancel->Click();
    }
  };
  FirstTick();
  EXPECT_EQ(headerRequests, 2);
  EXPECT_EQ(Panel(1), "Чтение отменено"_cp);
  EXPECT_TRUE(DataFiles().empty());
  EXPECT_FALSE(form->Link().Busy());
  EXPECT_FALSE(form->Link().Cancelled());
}

TEST_F(ReadTest, CancelDuringTheRecordsDeletesTheTemporaryFile) {
  Create();
  std::vector<std::string> seen;
  line->onWrite = [&](apptest::FakeLine& l) {
    const auto& w = l.written;
    if (w.size() >= 2 && w[w.size() - 2] == 0x06 && w.back() == 0x06) {
      seen = DataFiles();  // the temporary file is made before the process is accepted
      form->btnLinkCancel->Click();
    }
  };
  FirstTick();
  EXPECT_EQ(seen, std::vector<std::string>{"130307_0905.b"});
  EXPECT_TRUE(DataFiles().empty());
  EXPECT_EQ(Panel(1), "Чтение отменено"_cp);
}

TEST_F(ReadTest, NoRecorderTheStartupTimerCancelsAndLaterReadsStillRun) {
  dialogs.AnswerMessageBox(gui::IDIGNORE);  // "Прибор не подключен..."
  Create([](apptest::FakeLine& l) { l.plugged = false; });
  ASSERT_EQ(dialogs.MessageBoxes().size(), 1u);
  // The first tick's read waits; five seconds on the second tick fires inside it.
  const auto start = clock.NowMs();
  clock.OnSleep = [&](std::uint32_t) {
    if (clock.NowMs() - start >= 5000 && form->Timer1->Enabled()) form->Timer1Timer(form->Timer1);
  };
  FirstTick();
  clock.OnSleep = nullptr;
  EXPECT_EQ(Panel(1), "Чтение отменено"_cp);
  EXPECT_TRUE(form->VersionNotRead());
  EXPECT_FALSE(form->Link().Busy());
  EXPECT_FALSE(form->Timer1->Enabled());
  // Plugged in later, a read by hand works.
  line->plugged = true;
  form->ADataReadExecute(form->ADataRead);
  EXPECT_EQ(Panel(1), "Чтение завершено"_cp);
  EXPECT_EQ(DataFiles().size(), 3u);
}

TEST_F(ReadTest, ClosedPortIsReportedAndLeavesTheBusyFlagClear) {
  Create();
  line->Close();
  form->ADataReadExecute(form->ADataRead);
  EXPECT_EQ(Panel(0), "COM-порт занят другой программой или не работает"_cp);
  EXPECT_FALSE(form->Link().Busy());
  // Alt+R is ignored while the cancel button shows, Alt+F3 never reads.
  line->Open();
  form->btnLinkCancel->SetVisible(true);
  gui::Word key = 82;
  form->FormKeyDown(form.get(), key, gui::ssAlt);
  EXPECT_TRUE(line->written.empty());
  form->btnLinkCancel->SetVisible(false);
  key = gui::VK_F3;
  form->FormKeyDown(form.get(), key, gui::ssAlt);
  EXPECT_TRUE(line->written.empty());
  key = 82;
  form->FormKeyDown(form.get(), key, gui::ssCtrl);
  EXPECT_EQ(DataFiles().size(), 3u);
}

TEST_F(ReadTest, SpacedOperationsWaitTwoSeconds) {
  Create();
  form->ADataReadExecute(form->ADataRead);
  const auto end = clock.NowMs();
  const auto started = form->Link().NextOperationTick() - 2000;
  form->ADataReadExecute(form->ADataRead);
  EXPECT_GE(form->Link().NextOperationTick() - 2000, started + 2000);
  (void)end;
}

TEST_F(ReadTest, FileThatCannotBeCreatedIgnoreDeclinesAbortStops) {
  Create();
  // A folder in the way of the temporary file of the last process.
  std::filesystem::create_directories(DataFile("130307_0905.b"));
  dialogs.AnswerMessageBox(gui::IDIGNORE);
  FirstTick();
  ASSERT_EQ(dialogs.MessageBoxes().size(), 1u);
  const auto& box = dialogs.MessageBoxes()[0];
  EXPECT_EQ(box.Text,
            "Не удается создать файл архива прибора "_cp + rtl::FromNativePath(DataFile("130307_0905.bin").string()));
  EXPECT_EQ(box.Flags, gui::MB_ABORTRETRYIGNORE | gui::MB_ICONQUESTION | gui::MB_DEFBUTTON2 | gui::MB_TASKMODAL);
  // Declined before any record came: no 06 06 for it, the others downloaded.
  EXPECT_EQ(Sent(0x06, 0x06), 2);
  EXPECT_EQ(Sent(0x00, 0x00), 1);
  ExpectArchiveComplete(0);
  ExpectArchiveComplete(1);
  EXPECT_EQ(Panel(1), "Чтение завершено"_cp);

  // Abort ends the read.
  std::filesystem::remove(DataFile(ArchiveName(line->model, 1)));
  std::filesystem::remove(DataFile(ArchiveName(line->model, 0)));
  form->RefreshProcessList();
  dialogs.AnswerMessageBox(gui::IDABORT);
  clock.Advance(3000);
  form->ADataReadExecute(form->ADataRead);
  EXPECT_EQ(dialogs.MessageBoxes().size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(DataFile(ArchiveName(line->model, 1))));
  EXPECT_EQ(Panel(1), "Чтение завершено"_cp);
  EXPECT_FALSE(form->Link().Busy());
}

// A second copy of the program reading the same process finds the temporary
// file held by the first: it must leave that file as it is, or the first
// would rename a file with a zeroed start into the archive.
TEST_F(ReadTest, TemporaryFileHeldByAnotherWriterIsNeverTruncated) {
  Create();
  const std::string written(5000, '\x5A');
  rtl::TFileStream other(rtl::FromNativePath(DataFile("130307_0905.b").string()), rtl::fmCreate);
  other.WriteBuffer(written.data(), static_cast<std::int64_t>(written.size()));
  dialogs.AnswerMessageBox(gui::IDIGNORE);
  FirstTick();
  ASSERT_EQ(dialogs.MessageBoxes().size(), 1u);
  EXPECT_EQ(ReadFile(DataFile("130307_0905.b")), written);
  EXPECT_FALSE(std::filesystem::exists(DataFile("130307_0905.bin")));
}

TEST_F(ReadTest, FailedRenameIsReportedAndTheOldFileStays) {
  Create();
  const std::string name = ArchiveName(model ? line->model : line->model, 2);
  std::ofstream(DataFile(name), std::ios::binary) << "old";
  auto saved = app::TForm1::ReplaceArchiveFile;
  app::TForm1::ReplaceArchiveFile = [](const rtl::AnsiString& target, const rtl::AnsiString&) {
    return target.find("130307_0905") == std::string::npos &&
           rtl::ReplaceFile(target, target.substr(0, target.size() - 2));
  };
  form->RefreshProcessList();
  FirstTick();
  app::TForm1::ReplaceArchiveFile = saved;
  ASSERT_EQ(dialogs.MessageBoxes().size(), 1u);
  EXPECT_EQ(dialogs.MessageBoxes()[0].Flags, gui::MB_OK | gui::MB_ICONWARNING);
  EXPECT_EQ(ReadFile(DataFile(name)), "old");
  ExpectArchiveComplete(0);
}

TEST_F(ReadTest, DownloadKeepsItsOwnHeaderWhileOthersRewriteTheSharedOne) {
  Create();
  // Whatever runs inside the pump (a notes dialog, a click) rewrites the shared header.
  clock.OnSleep = [](std::uint32_t) {
    app::Recorder().Current.SetPoints(3);
    app::Recorder().Current.SetChannels(5);
  };
  FirstTick();
  clock.OnSleep = nullptr;
  for (int slot = 0; slot < 3; ++slot) ExpectArchiveComplete(slot);
}

// --- deleting in the recorder ---

namespace {
class DeleteTest : public ReadTest {
 protected:
  void SetUp() override {
    model = std::make_unique<sim::RecorderModel>();
    for (int i = 0; i < 6; ++i)
      model->AddProcess(sim::MakeProcess(20 + i, 3, sim::DateTime{2013, 4, 1 + i, 10, 0, 0}, 5));
    Create();
    FirstTick();
    ASSERT_EQ(DataFiles().size(), 6u);
    clock.Advance(3000);
  }
  void Select(int top, int bottom) {
    form->StringGridProcessList->SetRow(top);
    form->StringGridProcessList->SetSelection({0, top, 6, bottom});
  }
};
}  // namespace

TEST_F(DeleteTest, TwoSelectedRowsAreDeletedThroughTheShiftedDirectory) {
  // Rows 4 and 5 are slots 3 and 4.
  Select(4, 5);
  EXPECT_EQ(form->StringGridProcessListRowToNumProcess(4), 3);
  EXPECT_EQ(form->StringGridProcessListRowToNumProcess(5), 4);
  dialogs.AnswerMessageBox(gui::IDYES);
  form->ADeleteGaugeProcessExecute(form->ADeleteGaugeProcess);
  ASSERT_EQ(dialogs.MessageBoxes().size(), 1u);
  EXPECT_EQ(
      dialogs.MessageBoxes()[0].Text,
      "Вы действительно хотите удалить выбранные процессы из архива прибора? \nВосстановление данных будет невозможно."_cp);
  EXPECT_EQ(dialogs.MessageBoxes()[0].Flags,
            gui::MB_YESNO | gui::MB_ICONQUESTION | gui::MB_DEFBUTTON2 | gui::MB_TASKMODAL);
  const auto& w = line->written;
  std::vector<int> slots;
  for (std::size_t i = 0; i + 2 < w.size(); ++i)
    if (w[i] == 0x07 && w[i + 1] == 0xF8) slots.push_back(w[i + 2]);
  EXPECT_EQ(slots, (std::vector<int>{3, 3}));
  EXPECT_EQ(line->model.ProcessCount(), 4);
  EXPECT_EQ(Panel(1), "Процесс удален"_cp);
  EXPECT_EQ(DataFiles().size(), 6u);  // the archive is not touched
  EXPECT_EQ(app::Recorder().Directory[3].Slot(), 3);
  EXPECT_EQ(app::Recorder().Directory[3].Points(), 25);
  EXPECT_TRUE(form->GaugeDeletionConfirmed());
}

TEST_F(DeleteTest, NoAnswerNothingSelectedAndProcessesTheRecorderLacks) {
  Select(2, 2);
  dialogs.AnswerMessageBox(gui::IDNO);
  form->ADeleteGaugeProcessExecute(form->ADeleteGaugeProcess);
  EXPECT_EQ(
      dialogs.MessageBoxes().back().Text,
      "Вы действительно хотите удалить выбранный процесс из архива прибора? \nВосстановление данных будет невозможно."_cp);
  EXPECT_EQ(line->model.ProcessCount(), 6);

  // A process only the computer has.
  app::Recorder().Directory[1].SetPoints(999);
  clock.Advance(3000);
  form->ADeleteGaugeProcessExecute(form->ADeleteGaugeProcess);
  EXPECT_EQ(Panel(0), "Этих данных в приборе нет"_cp);

  form->StringGridProcessList->SetSelection({-1, -1, -1, -1});
  clock.Advance(3000);
  form->ADeleteGaugeProcessExecute(form->ADeleteGaugeProcess);
  EXPECT_EQ(Panel(0), "Нет выбраных данных"_cp);
}

TEST_F(DeleteTest, UnconfirmedDeletionIsReportedAndShiftsNothing) {
  Select(2, 3);
  const auto before = app::Recorder().Directory;
  line->onWrite = [](apptest::FakeLine& l) {
    const auto& w = l.written;
    if (w.size() >= 2 && w[w.size() - 2] == 0x07 && w.back() == 0x07) l.plugged = false;  // the 07 07 is lost
  };
  // Without a sender (the total deletion): no question.
  form->ADeleteGaugeProcessExecute(nullptr);
  EXPECT_TRUE(dialogs.MessageBoxes().empty());
  EXPECT_EQ(Panel(1), "Удаление не подтверждено прибором"_cp);
  EXPECT_FALSE(form->GaugeDeletionConfirmed());
  EXPECT_EQ(app::Recorder().Directory, before);
  EXPECT_EQ(Sent(0x07, 0xF8), 1);
  EXPECT_FALSE(form->Link().Busy());
}

TEST_F(DeleteTest, DeviceActionsAreRefusedWhileAReadRuns) {
  Select(2, 2);
  form->Link().SetBusy(true);
  line->written.clear();
  line->frames.clear();
  form->ADeleteGaugeProcessExecute(form->ADeleteGaugeProcess);
  form->AClearGaugeArchExecute(nullptr);
  form->ADataReadExecute(nullptr);
  EXPECT_TRUE(line->written.empty());
  EXPECT_TRUE(dialogs.MessageBoxes().empty());
  form->Link().SetBusy(false);
}
