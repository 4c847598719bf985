// The main window's own behaviour around the device operations: the port menu
// of the status bar, Esc, the archive folder question, the file question
// answered Retry, the lamp, and the bounds written at exit.
#include "platform/rtl/inifiles.h"
#include "tests/app/form_fixture.h"

using namespace rtl::literals;
using apptest::ArchiveName;
using apptest::ExpectedArchive;
using apptest::ReadFile;

namespace {

// The window with a hook on its questions (the answers still come from the script).
class HookedForm : public app::TForm1 {
 public:
  using app::TForm1::TForm1;
  std::function<void(const rtl::AnsiString&)> beforeAsk;
  int Ask(const rtl::AnsiString& text, unsigned flags) override {
    if (beforeAsk) beforeAsk(text);
    return app::TForm1::Ask(text, flags);
  }
};

class WindowTest : public apptest::FormFixture {
 public:
  HookedForm* CreateHooked() {
    model = std::make_unique<sim::RecorderModel>();
    sim::AddDemoProcesses(*model);
    app::TForm1Setup s;
    s.makePort = [this](comm::TThreadComm&) {
      auto l = std::make_unique<apptest::FakeLine>(clock);
      line = l.get();
      line->model = *model;
      return std::unique_ptr<app::TLinkPort>(std::move(l));
    };
    s.portNames = [] { return std::vector<std::string>{"COM1", "COM4"}; };
    auto* f = new HookedForm(nullptr, s);
    form.reset(f);
    form->Timer1->SetEnabled(false);
    return f;
  }
};

}  // namespace

TEST_F(WindowTest, PortMenuOnlyOverThePortPanel) {
  Create();
  gui::TStatusBar* bar = form->StatusBar1;
  form->SetBounds(0, 0, 600, 500);
  const gui::TRect port = bar->PanelRect(2), results = bar->PanelRect(0);
  form->StatusBar1MouseDown(bar, gui::mbRight, {}, port.Left + 5, 3);
  EXPECT_TRUE(form->itmPopupStatusCOM[0]->Visible());
  EXPECT_TRUE(form->itmPopupStatusCOM[1]->Visible());
  EXPECT_FALSE(form->itmPopupStatusCOM[2]->Visible());
  form->PopupMenuStatusBar->CloseMenu();
  form->StatusBar1MouseDown(bar, gui::mbRight, {}, results.Left + 5, 3);
  for (int i = 0; i < 10; ++i) EXPECT_FALSE(form->itmPopupStatusCOM[i]->Visible()) << i;
  form->PopupMenuStatusBar->CloseMenu();
  // The left button opens nothing.
  const auto before = form->PopupMenuStatusBar->PopupPoint();
  form->StatusBar1MouseDown(bar, gui::mbLeft, {}, port.Left + 5, 3);
  EXPECT_EQ(form->PopupMenuStatusBar->PopupPoint(), before);
}

TEST_F(WindowTest, EscCancelsOnlyWhileTheCancelButtonShows) {
  Create();
  gui::Word esc = gui::VK_ESCAPE;
  form->FormKeyDown(form.get(), esc, {});
  EXPECT_FALSE(form->Link().Cancelled());
  form->btnLinkCancel->SetVisible(true);
  form->FormKeyDown(form.get(), esc, {});
  EXPECT_TRUE(form->Link().Cancelled());
}

TEST_F(WindowTest, ArchiveFolderThatCannotBeMadeEndsTheRead) {
  Create();
  std::filesystem::remove_all(folder / "Data");
  std::ofstream(folder / "Data") << "a file where the folder belongs";
  dialogs.AnswerMessageBox(gui::IDRETRY);
  dialogs.AnswerMessageBox(gui::IDCANCEL);
  form->ADataReadExecute(form->ADataRead);
  ASSERT_EQ(dialogs.MessageBoxes().size(), 2u);
  EXPECT_EQ(dialogs.MessageBoxes()[0].Text, "Не могу создать папку "_cp + rtl::ProgramFolder() + "Data/");
  EXPECT_EQ(dialogs.MessageBoxes()[0].Flags,
            gui::MB_RETRYCANCEL | gui::MB_ICONQUESTION | gui::MB_DEFBUTTON2 | gui::MB_TASKMODAL);
  EXPECT_EQ(dialogs.MessageBoxes()[0].Caption, app::kApplicationTitle);
  EXPECT_FALSE(form->Link().Busy());
  EXPECT_TRUE(line->written.empty());
}

TEST_F(WindowTest, RetryTwiceOnTheFileQuestionThenTheSameProcessAndTheNext) {
  HookedForm* f = CreateHooked();
  std::filesystem::create_directories(DataFile("130307_0905.b"));
  int asked = 0;
  f->beforeAsk = [&](const rtl::AnsiString&) {
    if (++asked == 2) std::filesystem::remove_all(DataFile("130307_0905.b"));
  };
  dialogs.AnswerMessageBox(gui::IDRETRY);
  dialogs.AnswerMessageBox(gui::IDRETRY);
  FirstTick();
  EXPECT_EQ(asked, 2);
  for (int slot = 0; slot < 3; ++slot)
    EXPECT_EQ(ReadFile(DataFile(ArchiveName(line->model, slot))), ExpectedArchive(line->model, slot)) << slot;
  EXPECT_EQ(Sent(0x06, 0xF9), 3);
  EXPECT_EQ(Sent(0x00, 0x00), 0);
}

TEST_F(WindowTest, TimerTicksLampAndProgress) {
  model = std::make_unique<sim::RecorderModel>();
  sim::AddDemoProcesses(*model);
  Create();
  int ticks = 0;
  clock.OnSleep = [&](std::uint32_t) { ticks += form->ProgressBar1->Visible() && form->btnLinkCancel->Visible(); };
  FirstTick();
  clock.OnSleep = nullptr;
  EXPECT_GT(ticks, 0);  // both showed while the read ran
  EXPECT_EQ(form->Timer1->Interval(), 5000u);
  EXPECT_EQ(form->ShapeLink->BrushColor(), gui::clBtnFace);
  // It waits for its second tick, unless the read took longer than the
  // interval on a busy machine and the real timer has ticked already.
  if (form->Timer1->Enabled()) form->Timer1Timer(form->Timer1);  // the version came: nothing to cancel
  EXPECT_FALSE(form->Timer1->Enabled());
  EXPECT_FALSE(form->Link().Cancelled());
  form->SetLamp(app::TLamp::Red);
  EXPECT_EQ(form->ShapeLink->BrushColor(), gui::RGB(255, 0, 0));
  form->SetLamp(app::TLamp::Green);
  EXPECT_EQ(form->ShapeLink->BrushColor(), gui::RGB(0, 255, 0));
}

TEST_F(WindowTest, StartAndStopFollowTheFirmware) {
  model = std::make_unique<sim::RecorderModel>();
  model->firmware = "26.03.2012";
  Create();
  FirstTick();
  EXPECT_FALSE(form->AProcStart->Enabled());
  EXPECT_FALSE(form->AProcAlarm->Enabled());
  EXPECT_EQ(Sent(0x11, 0xEE), 0);  // no device type for old firmware
  line->model.firmware = "27.03.2012";
  clock.Advance(3000);
  form->ADataReadExecute(form->ADataRead);
  EXPECT_TRUE(form->AProcStop->Enabled());
  clock.Advance(3000);
  form->AProcStart->Execute();
  EXPECT_EQ(Panel(0), "Процесс запущен"_cp);
}

TEST_F(WindowTest, TheLinkAsksAndWarnsThroughTheWindowsBoxes) {
  model = std::make_unique<sim::RecorderModel>();
  model->firmware = "27.03.2012";
  Create();
  FirstTick();
  const std::size_t before = dialogs.MessageBoxes().size();
  // Clearing the recorder's archive: Yes/No with No as default.
  dialogs.AnswerMessageBox(gui::IDNO);
  form->AClearGaugeArchExecute(nullptr);
  ASSERT_EQ(dialogs.MessageBoxes().size(), before + 1);
  const gui::MessageBoxRecord& clear = dialogs.MessageBoxes().back();
  EXPECT_EQ(clear.Flags, gui::MB_YESNO | gui::MB_ICONQUESTION | gui::MB_DEFBUTTON2 | gui::MB_TASKMODAL);
  EXPECT_EQ(clear.Caption, app::kApplicationTitle);
  EXPECT_EQ(Sent(0x08, 0xF7), 0);
  dialogs.AnswerMessageBox(gui::IDYES);
  form->AClearGaugeArchExecute(nullptr);
  EXPECT_EQ(Sent(0x08, 0xF7), 1);
  // A start the recorder does not answer: a plain box with OK.
  line->plugged = false;
  clock.Advance(3000);
  form->AProcStart->Execute();
  const gui::MessageBoxRecord& error = dialogs.MessageBoxes().back();
  EXPECT_EQ(error.Text, "Ошибка связи с прибором"_cp);
  EXPECT_EQ(error.Flags, unsigned(gui::MB_OK));
}

TEST_F(WindowTest, DiagnosticsAreRefusedWhileAnExchangeRuns) {
  Create();
  form->Link().SetBusy(true);
  const auto next = form->Link().NextOperationTick();
  clock.Advance(5000);
  form->ASelfcheckExecute(nullptr);
  EXPECT_EQ(form->Link().NextOperationTick(), next);  // it did not even start
  EXPECT_TRUE(line->written.empty());
  EXPECT_TRUE(dialogs.MessageBoxes().empty());
  form->Link().SetBusy(false);
}

TEST_F(WindowTest, StoredLeftAndTopAreTheFramesSoTheTitleBarStaysOnScreen) {
  std::ofstream(folder / "Zarnik.ini") << "[FormMain]\nLeft=0\nTop=0\nWidth=500\nHeight=480\n";
  Create();
  form->Show();
  gui::Application->ProcessMessages();
  EXPECT_EQ(form->Left(), 0);
  EXPECT_EQ(form->Top(), 0);
  // The window's frame is at 0, 0: its client area starts inside it.
  EXPECT_GT(form->ClientToScreen({0, 0}).X, 0);
  gui::TCloseAction action = gui::caFree;
  form->FormClose(form.get(), action);
  auto ini = [&](const char* key) {
    return rtl::GetPrivateProfileString("FormMain", key, "", 20, (folder / "Zarnik.ini").string());
  };
  EXPECT_EQ(ini("Left"), "0");
  EXPECT_EQ(ini("Top"), "0");
}

TEST_F(WindowTest, MaximizedWindowStoresItsNormalBounds) {
  std::ofstream(folder / "Zarnik.ini") << "[FormMain]\nLeft=10\nTop=20\nWidth=500\nHeight=480\nMaximized=1\n";
  Create();
  form->Show();
  gui::Application->ProcessMessages();
  EXPECT_EQ(form->WindowState(), gui::wsMaximized);
  gui::TCloseAction action = gui::caFree;
  form->FormClose(form.get(), action);
  auto ini = [&](const char* key) {
    return rtl::GetPrivateProfileString("FormMain", key, "", 20, (folder / "Zarnik.ini").string());
  };
  EXPECT_EQ(ini("Maximized"), "1");
  EXPECT_EQ(ini("Width"), "500");
  EXPECT_EQ(ini("Height"), "480");
  EXPECT_EQ(ini("Left"), "10");
}

TEST_F(WindowTest, NoSerialPortsAtAll) {
  app::TForm1Setup s;
  s.makePort = [this](comm::TThreadComm&) {
    auto l = std::make_unique<apptest::FakeLine>(clock);
    line = l.get();
    return std::unique_ptr<app::TLinkPort>(std::move(l));
  };
  s.portNames = [] { return std::vector<std::string>{}; };
  dialogs.AnswerMessageBox(gui::IDIGNORE);
  form.reset(new app::TForm1(nullptr, s));
  form->Timer1->SetEnabled(false);
  ASSERT_EQ(dialogs.MessageBoxes().size(), 1u);
  EXPECT_EQ(dialogs.MessageBoxes()[0].Text,
            "Выбранный COM-порт (COM1) не существует.\nСвязь с прибором невозможна.\nПродолжить выполнение?"_cp);
  for (int i = 0; i < 10; ++i) EXPECT_FALSE(form->ACOM[i]->Visible()) << i;
  EXPECT_FALSE(line->Enabled());
  form->ADataReadExecute(form->ADataRead);
  EXPECT_EQ(Panel(0), "COM-порт занят другой программой или не работает"_cp);
}

// The toolkit's own dialogs and menus speak the program's language.
TEST(WindowLanguage, ToolkitTextsAreRussian) { EXPECT_TRUE(gui::ToolkitSpeaksRussian()); }
