// The flash dump from the simulated recorder and taking processes out of a
// flash copy, through the main window with the clock injected.
#include "app/FlashImage.h"
#include "app/GetSHTType.h"
#include "tests/app/form_fixture.h"

using namespace rtl::literals;
using apptest::ArchiveName;
using apptest::ExpectedArchive;
using apptest::ReadFile;

namespace {

class FlashTest : public apptest::FormFixture {
 protected:
  void SetUp() override {
    model = std::make_unique<sim::RecorderModel>();
    sim::AddDemoProcesses(*model);
    // "Найден процесс..." defaults to No; these tests take every process.
    dialogs.AnswerOtherMessageBoxes(gui::IDYES);
  }
  std::map<std::string, std::string> Snapshot() {
    std::map<std::string, std::string> m;
    for (const auto& n : DataFiles()) m[n] = ReadFile(DataFile(n));
    return m;
  }
  void ClearData() {
    for (const auto& n : DataFiles()) std::filesystem::remove(DataFile(n));
    form->RefreshProcessList();
  }
  void Dump() {
    clock.Advance(3000);
    form->AFlashExecute(form->AFlash);
  }
  int Sent(std::uint8_t a, std::uint8_t b) { return FormFixture::Sent(a, b); }
  std::filesystem::path FlashFile() { return folder / "Flash.bin"; }
  void WriteImage(const std::string& image) {
    std::ofstream(folder / "copy.bin", std::ios::binary | std::ios::trunc) << image;
  }
  void ReadCopy() {
    dialogs.ChooseFile((folder / "copy.bin").string());
    form->AFlashFileRdExecute(form->AFlashFileRd);
  }
  // An image with the given processes: (slot, start address, points, channels).
  struct Placed {
    int slot;
    std::uint32_t start;
    int points, channels;
    sim::DateTime when;
  };
  static std::string Image(const std::vector<Placed>& ps, std::uint8_t marker) {
    std::string image(app::kFlashSize, '\xFF');
    image[4] = char(marker);
    for (const auto& p : ps) {
      const std::uint32_t word = p.start | (std::uint32_t(p.slot) << 24);
      std::string h(16, '\0');
      for (int i = 0; i < 4; ++i) h[std::size_t(i)] = char(word >> (8 * i));
      h[4] = 0, h[5] = char(p.when.minute), h[6] = char(p.when.hour), h[7] = char(p.when.day),
      h[8] = char(p.when.month), h[9] = char(p.when.year - 2000);
      h[10] = char(p.points & 0xFF), h[11] = char(p.points >> 8), h[12] = 10, h[13] = char(p.channels);
      image.replace(16 * std::size_t(p.slot + 1), 16, h);
      for (int i = 0; i < p.points * p.channels * 2; ++i) image[p.start + std::size_t(i)] = char(i % 97);
    }
    return image;
  }
};

}  // namespace

// A flash dump imported into an empty archive gives the same files as a
// download, also for a process that runs over the end of the memory.
TEST_F(FlashTest, DumpGivesTheSameFilesAsADownload) {
  // A big process, a small one after it, the big one deleted: the next
  // process starts near the end of the memory and goes on at 0x340.
  model = std::make_unique<sim::RecorderModel>();
  model->AddProcess(sim::MakeProcess(20000, 3, sim::DateTime{2013, 1, 1, 8, 0, 0}));
  model->AddProcess(sim::MakeProcess(100, 3, sim::DateTime{2013, 1, 5, 8, 0, 0}));
  model->DeleteProcess(0);
  ASSERT_EQ(model->AddProcess(sim::MakeProcess(10000, 3, sim::DateTime{2013, 2, 1, 8, 0, 0})), 1);
  model->AddProcess(sim::MakeProcess(50, 5, sim::DateTime{2013, 2, 9, 8, 0, 0}));
  Create();
  FirstTick();
  const auto downloaded = Snapshot();
  ASSERT_EQ(downloaded.size(), 3u);
  ClearData();
  Dump();
  EXPECT_EQ(ReadFile(FlashFile()), std::string(line->model.Flash().begin(), line->model.Flash().end()));
  EXPECT_EQ(Snapshot(), downloaded);
  EXPECT_EQ(Sent(0x0C, 0xF3), 1);
  EXPECT_EQ(Sent(0x0C, 0x0C), app::kFlashPages);
  EXPECT_EQ(FrameIndex({0xFF, 0xFF, 0xFF}) + 1, FrameIndex({0x0B, 0xF4}));
  EXPECT_EQ(Panel(0), "Flash считана в файл "_cp + (folder / "Flash.bin").string());
  EXPECT_FALSE(form->Link().Busy());
  EXPECT_FALSE(form->ProgressBar1->Visible());
  EXPECT_FALSE(form->btnLinkCancel->Visible());
  EXPECT_EQ(form->ProgressBar1->Max(), 512);
  EXPECT_EQ(Rows(), 4);  // the list shows what was taken out
}

TEST_F(FlashTest, PageChecksumErrorsRepeatThePageWithoutCounting) {
  Create();
  line->model.faults.badChecksums = 6;  // more than four in a row
  Dump();
  EXPECT_EQ(ReadFile(FlashFile()).size(), app::kFlashSize);
  EXPECT_EQ(Sent(0x0C, 0xF3), 1);
  EXPECT_EQ(Sent(0x0C, 0x0C), app::kFlashPages + 6);
}

TEST_F(FlashTest, FourFailedPagesEndTheDump) {
  Create();
  line->passBytes = 100 * 260;  // the cable comes out after page 100
  Dump();
  EXPECT_FALSE(std::filesystem::exists(FlashFile())) << "a failed dump left a partial copy";
  EXPECT_EQ(Sent(0x0C, 0xF3), 4);
  ASSERT_FALSE(dialogs.MessageBoxes().empty());
  EXPECT_EQ(dialogs.MessageBoxes().back().Text, "Ошибка чтения данных из прибора"_cp);
  EXPECT_EQ(DataFiles().size(), 0u);
  EXPECT_FALSE(form->Link().Busy());
  EXPECT_FALSE(form->ProgressBar1->Visible());
}

TEST_F(FlashTest, BadEchoesCountAsFailuresAGoodPageResetsThem) {
  Create();
  line->model.faults.badEchoes = 3;
  Dump();
  EXPECT_EQ(ReadFile(FlashFile()).size(), app::kFlashSize);
  EXPECT_EQ(Sent(0x0C, 0xF3), 4);
  EXPECT_TRUE(dialogs.MessageBoxes().size() >= 1u);  // the extraction questions only
  for (const auto& b : dialogs.MessageBoxes()) EXPECT_NE(b.Text, "Ошибка чтения данных из прибора"_cp);
}

TEST_F(FlashTest, CancelledDumpKeepsThePreviousCopy) {
  Create();
  const std::string previous(app::kFlashSize, '\x3C');
  std::ofstream(FlashFile(), std::ios::binary) << previous;
  int pages = 0;
  line->onWrite = [&](apptest::FakeLine& l) {
    if (l.written.size() >= 2 && l.written.back() == 0x0C && l.written[l.written.size() - 2] == 0x0C && ++pages == 10)
      form->Link().SetCancel(true);
  };
  Dump();
  EXPECT_EQ(Panel(1), "Чтение прервано"_cp);
  EXPECT_EQ(ReadFile(FlashFile()), previous);
  EXPECT_FALSE(std::filesystem::exists(folder / "Flash.bin.part"));
  EXPECT_FALSE(form->Link().Busy());
  EXPECT_FALSE(form->Link().Cancelled());
}

TEST_F(FlashTest, ClosedPort) {
  Create();
  line->Close();
  Dump();
  EXPECT_EQ(Panel(0), "COM-порт занят другой программой или не работает"_cp);
  EXPECT_FALSE(std::filesystem::exists(FlashFile()));
  EXPECT_FALSE(form->Link().Busy());
}

TEST_F(FlashTest, DumpTakesTheSensorFromTheDiagnosticsAnswer) {
  // Processes recorded with SHT15 headers on a recorder that now reports SHT21.
  model = std::make_unique<sim::RecorderModel>();
  auto p = sim::MakeProcess(30, 3, sim::DateTime{2013, 1, 1, 8, 0, 0});
  p.sht21 = false;
  model->AddProcess(p);
  Create();
  Dump();
  const auto name = ArchiveName(line->model, 0);
  std::string file = ReadFile(DataFile(name));
  ASSERT_EQ(file.size(), 16u + 30 * 6);
  EXPECT_TRUE(std::uint8_t(file[2]) & 0x20);
  line->model.SetSht21(false);
  std::filesystem::remove(DataFile(name));
  Dump();
  file = ReadFile(DataFile(name));
  EXPECT_FALSE(std::uint8_t(file[2]) & 0x20);
}

TEST_F(FlashTest, ImageSizesAndInvalidSlots) {
  Create();
  const std::string image = Image({{0, 0x340, 20, 3, {2013, 3, 1, 8, 0, 0}},
                                   {1, 0x33F, 20, 3, {2013, 3, 2, 8, 0, 0}},  // address too low: passed over
                                   {2, 0x1000, 30, 4, {2013, 3, 3, 8, 0, 0}}},
                                  0x15);
  WriteImage(image + "x");
  ReadCopy();
  ASSERT_EQ(dialogs.MessageBoxes().size(), 1u);
  EXPECT_EQ(dialogs.MessageBoxes()[0].Text,
            "Файл "_cp + (folder / "copy.bin").string() + " не является копией архива прибора!"_cp);
  EXPECT_EQ(Panel(0), "Процессов регистрации в файле не найдено"_cp);
  EXPECT_TRUE(DataFiles().empty());

  WriteImage(image);
  ReadCopy();
  // Two questions (slot 1 asks nothing), both answered Yes.
  ASSERT_EQ(dialogs.MessageBoxes().size(), 3u);
  EXPECT_EQ(
      dialogs.MessageBoxes()[1].Text,
      "Найден процесс...\n\nДата и время старта: 1 марта 2013, 8:00\nДлительность 3:10 (20 отсчетов по 10 мин)\n\n"
      "Процесс еще не считан. Считать?"_cp);
  EXPECT_EQ(Panel(0), "Считано 2 процесса из файла - копии Flash прибора \"copy.bin\""_cp);
  EXPECT_EQ(DataFiles(), (std::vector<std::string>{"130301_0800.bin", "130303_0800.bin"}));
  const std::string first = ReadFile(DataFile("130301_0800.bin"));
  EXPECT_EQ(first, image.substr(16, 16) + image.substr(0x340, 120));
  // Again: now they are in the list, and No skips one.
  dialogs.AnswerMessageBox(gui::IDNO);
  dialogs.AnswerMessageBox(gui::IDYES);
  ReadCopy();
  EXPECT_EQ(dialogs.MessageBoxes()[3].Text.substr(dialogs.MessageBoxes()[3].Text.size() - 46),
            "Процесс уже был считан ранее. Считать еще раз?"_cp);
  EXPECT_EQ(Panel(0), "Считан 1 процесс из файла - копии Flash прибора \"copy.bin\""_cp);
}

TEST_F(FlashTest, SensorMarkerOfTheImage) {
  Create();
  const std::vector<Placed> ps = {{0, 0x340, 5, 3, {2013, 3, 1, 8, 0, 0}}};
  WriteImage(Image(ps, 0x21));
  ReadCopy();
  EXPECT_TRUE(std::uint8_t(ReadFile(DataFile("130301_0800.bin"))[2]) & 0x20);
  WriteImage(Image(ps, 0x15));
  ReadCopy();
  EXPECT_FALSE(std::uint8_t(ReadFile(DataFile("130301_0800.bin"))[2]) & 0x20);
  EXPECT_EQ(dialogs.FileDialogs().back().FileName, "Flash.bin");
}

TEST_F(FlashTest, UnknownMarkerAsksWhenTheArchiveCannotTell) {
  Create();
  const std::vector<Placed> ps = {{0, 0x340, 5, 3, {2013, 3, 1, 8, 0, 0}}};
  WriteImage(Image(ps, 0x00));
  struct Case {
    const char* what;
    int choice;  // 0 SHT15, 1 SHT21, 2 not known
    bool sht21;
  } cases[] = {{"SHT15", 0, false}, {"SHT21", 1, true}, {"not known means SHT21", 2, true}};
  for (const auto& c : cases) {
    for (const auto& n : DataFiles()) std::filesystem::remove(DataFile(n));
    dialogs.OnModal([&](gui::TForm& f) {
      auto& d = dynamic_cast<app::TGetSHT&>(f);
      EXPECT_EQ(d.Caption(), "Тип датчика влажности"_cp);
      gui::TRadioButton* b[] = {d.RadioButtonSHT15, d.RadioButtonSHT21, d.RadioButtonUnknown};
      b[c.choice]->Click();
    });
    ReadCopy();
    EXPECT_EQ(dialogs.PendingAnswers(), 0) << c.what;
    EXPECT_EQ(bool(std::uint8_t(ReadFile(DataFile("130301_0800.bin"))[2]) & 0x20), c.sht21) << c.what;
  }
  // With SHT15 files in the archive the vote decides and nobody is asked.
  WriteImage(Image({{0, 0x340, 5, 3, {2013, 3, 2, 8, 0, 0}}}, 0x00));
  ReadCopy();
  EXPECT_TRUE(std::uint8_t(ReadFile(DataFile("130302_0800.bin"))[2]) & 0x20);  // the last one was SHT21
}

TEST_F(FlashTest, FileThatCannotBeCreatedAsksAbortRetryIgnore) {
  Create();
  WriteImage(Image({{0, 0x340, 5, 3, {2013, 3, 1, 8, 0, 0}}, {1, 0x400, 5, 3, {2013, 3, 2, 8, 0, 0}}}, 0x15));
  // A folder in the way of the temporary file of the first process.
  std::filesystem::create_directory(DataFile("130301_0800.b"));
  dialogs.AnswerMessageBox(gui::IDYES);
  dialogs.AnswerMessageBox(gui::IDIGNORE);
  ReadCopy();
  const auto& boxes = dialogs.MessageBoxes();
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].Text,
            "Не удается создать файл архива "_cp + rtl::ToSlashes(app::DataFolder()) + "130301_0800.bin");
  EXPECT_EQ(boxes[1].Buttons(), unsigned(gui::MB_ABORTRETRYIGNORE));
  EXPECT_TRUE(std::filesystem::exists(DataFile("130302_0800.bin")));
  EXPECT_FALSE(std::filesystem::exists(DataFile("130301_0800.bin")));
  EXPECT_EQ(Panel(0), "Считан 1 процесс из файла - копии Flash прибора \"copy.bin\""_cp);
}

TEST_F(FlashTest, AFailedRenameKeepsTheOldFileAndDoesNotCount) {
  Create();
  WriteImage(Image({{0, 0x340, 5, 3, {2013, 3, 1, 8, 0, 0}}, {1, 0x400, 5, 3, {2013, 3, 2, 8, 0, 0}}}, 0x15));
  std::ofstream(DataFile("130301_0800.bin"), std::ios::binary) << "old";
  form->RefreshProcessList();
  auto saved = app::TForm1::ReplaceArchiveFile;
  app::TForm1::ReplaceArchiveFile = [](const rtl::AnsiString& target, const rtl::AnsiString& replacement) {
    return target.find("130301_0800") == std::string::npos && rtl::ReplaceFile(target, replacement);
  };
  ReadCopy();
  app::TForm1::ReplaceArchiveFile = saved;
  EXPECT_EQ(ReadFile(DataFile("130301_0800.bin")), "old");
  EXPECT_FALSE(std::filesystem::exists(DataFile("130301_0800.b")));
  EXPECT_TRUE(std::filesystem::exists(DataFile("130302_0800.bin")));
  EXPECT_EQ(Panel(0), "Считан 1 процесс из файла - копии Flash прибора \"copy.bin\""_cp);
}

TEST_F(FlashTest, ShortAndRandomImagesLeaveNoPartialFiles) {
  Create();
  const std::string full =
      Image({{0, 0x340, 20, 3, {2013, 3, 1, 8, 0, 0}}, {1, 0x10000, 200, 5, {2013, 3, 2, 8, 0, 0}}}, 0x15);
  // The copy ends inside the second process: only the first comes out.
  WriteImage(full.substr(0, 0x10000 + 500));
  ReadCopy();
  EXPECT_EQ(DataFiles(), (std::vector<std::string>{"130301_0800.bin"}));
  EXPECT_EQ(Panel(0), "Считан 1 процесс из файла - копии Flash прибора \"copy.bin\""_cp);
  // A copy that ends inside the directory: its one header has no data.
  WriteImage(full.substr(0, 40));
  ReadCopy();
  EXPECT_EQ(dialogs.MessageBoxes().back().Text.substr(0, 16), "Найден процесс.."_cp);
  EXPECT_EQ(Panel(0), "Процессов регистрации в файле не найдено"_cp);
  // Random bytes: whatever passes the header check, no ".b" is left behind.
  std::mt19937 rng(11);
  std::string random(app::kFlashSize, '\0');
  for (auto& c : random) c = char(rng());
  random[4] = 0x15;
  WriteImage(random);
  ReadCopy();
  for (const auto& n : DataFiles()) EXPECT_EQ(n.substr(n.size() - 4), ".bin") << n;
}

TEST_F(FlashTest, FoundProcessQuestionDefaultsToNo) {
  Create();
  dialogs.AnswerOtherMessageBoxes(0);
  WriteImage(Image({{0, 0x340, 5, 3, {2013, 3, 1, 8, 0, 0}}}, 0x15));
  ReadCopy();
  ASSERT_EQ(dialogs.MessageBoxes().size(), 1u);
  EXPECT_EQ(dialogs.MessageBoxes()[0].Flags,
            gui::MB_YESNO | gui::MB_ICONQUESTION | gui::MB_DEFBUTTON2 | gui::MB_TASKMODAL);
  EXPECT_TRUE(DataFiles().empty());
}

TEST_F(FlashTest, SecondSlotOfTheSameStartIsReportedNotCounted) {
  Create();
  WriteImage(Image({{0, 0x340, 5, 3, {2013, 3, 1, 8, 0, 0}}, {1, 0x400, 7, 3, {2013, 3, 1, 8, 0, 0}}}, 0x15));
  ReadCopy();
  ASSERT_EQ(dialogs.MessageBoxes().size(), 2u);
  EXPECT_EQ(dialogs.MessageBoxes()[1].Text,
            "Процесс со стартом 1 марта 2013, 8:00 записан в копии Flash дважды; "
            "повтор пропущен (файл 130301_0800.bin уже считан)"_cp);
  EXPECT_EQ(dialogs.MessageBoxes()[1].Flags & 0xF, unsigned(gui::MB_OK));
  EXPECT_EQ(Panel(0), "Считан 1 процесс из файла - копии Flash прибора \"copy.bin\""_cp);
  EXPECT_EQ(ReadFile(DataFile("130301_0800.bin")).size(), 16u + 5 * 6);  // the first one's
}

TEST_F(FlashTest, ImportFromACopyWaitsForNoRunningRead) {
  Create();
  WriteImage(Image({{0, 0x340, 5, 3, {2013, 3, 1, 8, 0, 0}}}, 0x15));
  form->Link().SetBusy(true);
  ReadCopy();
  EXPECT_TRUE(DataFiles().empty());
  EXPECT_TRUE(dialogs.FileDialogs().empty());
  form->Link().SetBusy(false);
  form->AFlashFileRdExecute(form->AFlashFileRd);  // takes the file chosen above
  EXPECT_EQ(DataFiles(), std::vector<std::string>{"130301_0800.bin"});
  EXPECT_FALSE(form->Link().Busy());
}
