// The job, calibration and diagnostics dialogs against the simulated
// recorder, with the clock injected and the modal dialogs scripted.
#include "app/CalibrTC.h"
#include "app/Job.h"
#include "app/SelfTestFigures.h"
#include "app/frmSelfTest.h"
#include "platform/gui/simulate.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/inifiles.h"
#include "tests/app/form_fixture.h"

using namespace rtl::literals;

namespace {

class DialogsTest : public apptest::FormFixture {
 protected:
  void SetUp() override { model = std::make_unique<sim::RecorderModel>(); }
  void Job(std::function<void(app::TfrmJob&)> script) {
    dialogs.OnModal([script](gui::TForm& f) { script(dynamic_cast<app::TfrmJob&>(f)); });
    clock.Advance(3000);
    form->AJobFormExecute(form->AJobForm);
  }
};

}  // namespace

// --- the job ---

TEST_F(DialogsTest, JobDialogShowsTheJobAndWritesAChange) {
  model->job = {90, 1441, 1};
  Create();
  Job([](app::TfrmJob& d) {
    EXPECT_EQ(d.EditPointPeriod->Text(), "1");
    EXPECT_EQ(d.EditDuration->Text(), "24");
    EXPECT_EQ(d.EditPoints->Text(), "1441");
    EXPECT_EQ(d.EditMemory->Text(), "6,6 %");
    int h, m, s, ms;
    rtl::DecodeTime(d.DTPickerStartDelay->Time(), h, m, s, ms);
    EXPECT_EQ(h * 60 + m, 90);
    d.EditDuration->SetText("48");
    d.EditPointPeriod->SetText("2");
    EXPECT_EQ(d.EditPoints->Text(), "1441");
    d.btnWrite->Click();
  });
  EXPECT_EQ(line->model.job.points, 1441);
  EXPECT_EQ(line->model.job.period, 2);
  EXPECT_EQ(line->model.job.delay, 90);
  EXPECT_EQ(Sent(0x02, 0xFD), 1);
  EXPECT_EQ(Sent(0x03, 0xFC), 1);
  EXPECT_EQ(Sent(0x04, 0xFB), 1);
  EXPECT_EQ(Panel(0), "Задание на процесс регистрации изменено"_cp);
  EXPECT_FALSE(form->Link().Busy());
  EXPECT_FALSE(form->btnLinkCancel->Visible());
}

TEST_F(DialogsTest, UnchangedJobIsNotWritten) {
  Create();
  Job([](app::TfrmJob& d) { d.btnWrite->Click(); });
  EXPECT_EQ(Sent(0x04, 0xFB), 0);
  EXPECT_EQ(Panel(0), "Задание не изменилось"_cp);
  EXPECT_EQ(Panel(1), "Запись не требуется"_cp);
}

TEST_F(DialogsTest, APeriodOneByteCannotHoldIsNeverWritten) {
  Create();
  for (const char* period : {"300", "256", ""}) {
    Job([&](app::TfrmJob& d) {
      d.EditDuration->SetText("24");
      d.EditPointPeriod->SetText(period);
      EXPECT_EQ(d.EditPointPeriod->Font().Color(), gui::clRed) << period;
      EXPECT_FALSE(d.btnWrite->Enabled());
      d.btnWriteClick(d.btnWrite);  // even a click that gets through writes nothing
      EXPECT_EQ(d.ModalResult(), gui::mrNone);
      d.SetModalResult(gui::mrCancel);
    });
    EXPECT_EQ(line->model.job.period, 1) << period;
    EXPECT_EQ(line->model.job.points, 1441);
  }
  EXPECT_EQ(Sent(0x04, 0xFB), 0);
}

// The hints are hints: what the memory holds is written, over it the points
// are capped (red) and written capped.
TEST_F(DialogsTest, DurationsBeyondTheHintsAreWritten) {
  Create();
  struct Case {
    const char *hours, *period;
    int points, period_;
    bool red;
  } cases[] = {{"1001", "10", 6007, 10, false},
               {"0", "10", 1, 10, false},
               {"24", "0", 1441, 1, false},
               {"", "10", 21706, 10, true},
               {"24", "250", 6, 250, false}};
  for (const auto& c : cases) {
    Job([&](app::TfrmJob& d) {
      d.EditDuration->SetText(c.hours);
      d.EditPointPeriod->SetText(c.period);
      EXPECT_EQ(d.EditDuration->Font().Color(), c.red ? gui::clRed : gui::clWindowText) << c.hours;
      EXPECT_TRUE(d.btnWrite->Enabled());
      d.btnWrite->Click();
    });
    EXPECT_EQ(line->model.job.points, c.points) << c.hours << "/" << c.period;
    EXPECT_EQ(line->model.job.period, c.period_) << c.hours << "/" << c.period;
    clock.Advance(3000);
  }
}

TEST_F(DialogsTest, OverTheMemoryIsRedButCappedAndWritable) {
  Create();
  Job([](app::TfrmJob& d) {
    d.EditDuration->SetText("1000");
    d.EditPointPeriod->SetText("2");
    EXPECT_EQ(d.EditPoints->Text(), "21706");
    EXPECT_EQ(d.EditDuration->Font().Color(), gui::clRed);
    EXPECT_TRUE(d.btnWrite->Enabled());
    d.EditDuration->SetText("100");
    EXPECT_EQ(d.EditDuration->Font().Color(), gui::clWindowText);
    d.EditDuration->SetText("1000");
    d.btnWrite->Click();
  });
  EXPECT_EQ(line->model.job.points, 21706);
  EXPECT_EQ(line->model.job.period, 2);
}

TEST_F(DialogsTest, StartDelayOfADayOrMoreShowsZero) {
  model->job = {1500, 1441, 1};
  Create();
  Job([](app::TfrmJob& d) {
    int h, m, s, ms;
    rtl::DecodeTime(d.DTPickerStartDelay->Time(), h, m, s, ms);
    EXPECT_EQ(h * 60 + m, 0);
    d.btnWrite->Click();
  });
  EXPECT_EQ(line->model.job.delay, 0);
}

TEST_F(DialogsTest, JobKeysAndEsc) {
  app::TRecordingJob job{0, 1441, 1};
  Create();
  app::TfrmJob d(form.get(), job, 3);
  for (char k : {'5', '.', '\b', '\t', 'x', '-', ' '}) {
    char key = k;
    d.EditKeyPress(d.EditDuration, key);
    EXPECT_EQ(key, (k >= '0' && k <= '9') || k == '.' || k == '\b' || k == '\t' ? k : 0) << k;
  }
  // Tab moves out of the duration and the period, as a user expects.
  d.Show();
  d.EditDuration->SetFocus();
  gui::simulate::PressKey(*d.EditDuration, gui::VK_TAB);
  EXPECT_FALSE(d.EditDuration->Focused());
  d.EditPointPeriod->SetFocus();
  gui::simulate::PressKey(*d.EditPointPeriod, gui::VK_TAB);
  EXPECT_FALSE(d.EditPointPeriod->Focused());
  d.Hide();
  gui::Word esc = gui::VK_ESCAPE;
  d.FormKeyUp(&d, esc, {});
  EXPECT_EQ(d.ModalResult(), gui::mrCancel);
}

TEST_F(DialogsTest, JobCancelledWhileReading) {
  Create();
  line->plugged = false;
  int pumps = 0;
  clock.OnSleep = [&](std::uint32_t) {
    if (++pumps == 3000) form->Link().SetCancel(true);
  };
  clock.Advance(3000);
  form->AJobFormExecute(form->AJobForm);
  clock.OnSleep = nullptr;
  EXPECT_EQ(Panel(1), "Команда отменена"_cp);
  EXPECT_FALSE(form->Link().Busy());
  EXPECT_FALSE(form->btnLinkCancel->Visible());
  EXPECT_EQ(dialogs.PendingAnswers(), 0);
}

// --- calibration ---

TEST_F(DialogsTest, CalibrationModesFromTheRecorder) {
  Create();
  using M = app::TCalibrMode;
  struct Case {
    std::uint32_t a1, a0;
    M mode;
    const char *textA1, *textA0;
    bool enabled;
  } cases[] = {
      {0xEEEEEEEE, 0xEEEEEEEE, M::NoDS1820, "0xEEEEEEEE", "0xEEEEEEEE", false},
      {0xFFFFFFFF, 0xFFFFFFFF, M::DS1820, "0xFFFFFFFF", "0xFFFFFFFF", false},
      {0, 0, M::U, "0", "0", false},
      {app::FloatWord(0.5f), app::FloatWord(7.0f), M::TCDebug, "0.5", "0.5", false},
      {app::FloatWord(1.5f), app::FloatWord(-2.25f), M::T, "1,5000000", "-2,2500000", true},
  };
  for (const auto& c : cases) {
    line->model.a1 = c.a1;
    line->model.a0 = c.a0;
    app::TfrmCalibrTC d(form.get(), *form);
    EXPECT_EQ(d.CheckedMode(), c.mode) << c.textA1;
    EXPECT_TRUE(d.ModeButton(c.mode)->Checked());
    EXPECT_EQ(d.EditA1->Text(), c.textA1);
    EXPECT_EQ(d.EditA0->Text(), c.textA0);
    EXPECT_EQ(d.EditA1->Enabled(), c.enabled);
    EXPECT_EQ(Panel(0), "Коэффициенты термопары считаны"_cp);
    EXPECT_FALSE(form->Link().Busy());
  }
}

TEST_F(DialogsTest, CalibrationWrite) {
  Create();
  line->model.a1 = app::FloatWord(1.5f);
  app::TfrmCalibrTC d(form.get(), *form);
  d.EditA1->SetText("2.5");
  d.EditA0->SetText("-0,125");
  d.AWriteToGaugeExecute(d.btnWrite);
  EXPECT_EQ(line->model.a1, app::FloatWord(2.5f));
  EXPECT_EQ(line->model.a0, app::FloatWord(-0.125f));
  EXPECT_EQ(Panel(0), "Коэффициенты термопары записаны"_cp);
  EXPECT_EQ(d.ModalResult(), gui::mrOk);
  // A marker mode sends its markers.
  d.RadioButtonDS1820->Click();
  EXPECT_EQ(d.EditA1->Text(), "0xFFFFFFFF");
  d.AWriteToGaugeExecute(d.btnWrite);
  EXPECT_EQ(line->model.a1, 0xFFFFFFFFu);
  EXPECT_EQ(line->model.a0, 0xFFFFFFFFu);
  // Back to T: "1.0" replaces the marker in A1.
  d.RadioButtonT->Click();
  EXPECT_EQ(d.EditA1->Text(), "1.0");
  EXPECT_TRUE(d.EditA1->Enabled());
}

TEST_F(DialogsTest, CalibrationTextsThatDoNotConvertAreRedAndNothingIsSent) {
  Create();
  line->model.a1 = 0xEEEEEEEE;
  app::TfrmCalibrTC d(form.get(), *form);
  d.RadioButtonT->Click();
  EXPECT_EQ(d.EditA1->Text(), "0xEEEEEEEE");
  const int before = Sent(0x0A, 0xF5);
  d.AWriteToGaugeExecute(d.btnWrite);
  EXPECT_EQ(Sent(0x0A, 0xF5), before);
  EXPECT_EQ(d.EditA1->Font().Color(), gui::clRed);
  EXPECT_EQ(d.EditA0->Font().Color(), gui::clRed);
  EXPECT_EQ(line->model.a1, 0xEEEEEEEEu);
  d.EditA1->SetText("1.0");
  d.EditA0->SetText("0");
  d.AWriteToGaugeExecute(d.btnWrite);
  EXPECT_EQ(d.EditA1->Font().Color(), gui::clWindowText);
  EXPECT_EQ(line->model.a1, app::FloatWord(1.0f));
}

TEST_F(DialogsTest, CalibrationWithTheWrongChecksumRepeatsAndClosedPortReports) {
  Create();
  line->model.a1 = app::FloatWord(3.0f);
  line->model.faults.badChecksums = 2;
  {
    app::TfrmCalibrTC d(form.get(), *form);
    EXPECT_EQ(d.EditA1->Text(), "3,0000000");
  }
  EXPECT_EQ(Sent(0x09, 0xF6), 3);
  line->Close();
  app::TfrmCalibrTC d(form.get(), *form);
  EXPECT_EQ(Panel(0), "COM-порт занят другой программой или не работает"_cp);
  EXPECT_FALSE(form->Link().Busy());
}

TEST_F(DialogsTest, AfterTheCalibrationTheExtraTemperatureIsStillConverted) {
  sim::AddDemoProcesses(*model);
  Create();
  FirstTick();
  form->StringGridProcessList->SetRow(2);  // four channels: one extra temperature
  form->ShowProcess();
  const std::vector<float> before = form->ShownProcess().extra1;
  ASSERT_FALSE(before.empty());
  const std::string cell = form->StringGridData->Cells(5, 1);
  clock.Advance(3000);
  dialogs.OnModal([](gui::TForm& f) { f.SetModalResult(gui::mrCancel); });
  form->ACalibrExecute(form->ACalibr);
  EXPECT_EQ(Sent(0x09, 0xF6), 1);
  form->ShowProcess();
  EXPECT_EQ(form->ShownProcess().extra1, before);
  EXPECT_EQ(form->StringGridData->Cells(5, 1), cell);
}

TEST_F(DialogsTest, CalibrationExchangesLeaveNoProgressTextBehind) {
  Create();
  line->model.a1 = app::FloatWord(1.5f);
  app::TfrmCalibrTC d(form.get(), *form);  // reads the coefficients
  EXPECT_EQ(Panel(0), "Коэффициенты термопары считаны"_cp);
  EXPECT_EQ(Panel(1), "");
  d.AWriteToGaugeExecute(d.btnWrite);
  EXPECT_EQ(Panel(0), "Коэффициенты термопары записаны"_cp);
  EXPECT_EQ(Panel(1), "");
  // A cancelled read leaves nothing either.
  line->plugged = false;
  clock.OnSleep = [&](std::uint32_t) {
    if (form->btnLinkCancel->Visible()) form->btnLinkCancel->Click();
  };
  d.ARdIntoGaugeExecute(d.btnRead);
  clock.OnSleep = nullptr;
  EXPECT_EQ(Panel(1), "");
  EXPECT_FALSE(form->Link().Busy());
}

// --- diagnostics ---

namespace {
double g_now = 0;
double FixedNow() { return g_now; }

class DiagTest : public DialogsTest {
 protected:
  ~DiagTest() override { rtl::SetNowSource(nullptr); }
  // The recorder's clock at t, the computer's offset seconds away.
  void Clocks(const sim::DateTime& t, int offsetSeconds) {
    line->model.SetClock(t, double(clock.NowMs()) * 1000.0);
    g_now = rtl::EncodeDateTime(t.year, t.month, t.day, t.hour, t.minute, t.second, 0) + offsetSeconds / 86400.0;
    rtl::SetNowSource(FixedNow);
  }
  std::unique_ptr<app::TfrmTest> Open() {
    auto d = std::make_unique<app::TfrmTest>(form.get(), *form);
    d->Timer1->SetEnabled(false);  // the test runs the ticks
    return d;
  }
};
}  // namespace

TEST_F(DiagTest, OneExchangeFillsEveryLine) {
  model->battery = {3450, 3520, 120, 80};
  sim::AddDemoProcesses(*model);
  Create();
  FirstTick();  // the directory's battery words
  Clocks({2013, 3, 7, 9, 5, 7}, 0);
  auto d = Open();
  d->Timer1Timer(d->Timer1);
  EXPECT_EQ(d->LabelDateTime->Caption(), "7.03.2013, 9:05:07");
  EXPECT_EQ(d->LabelDateTime->Font().Color(), gui::clWindowText);
  EXPECT_EQ(d->LabelAlarm->Caption(), "Alarm: 0:00:00");
  EXPECT_EQ(d->LabelU->Caption(),
            "Напряжение батареи в последнем процессе регистрации 3,52 В (среднее), 3,45 В (мин)"_cp);
  EXPECT_EQ(d->LabelDU->Caption(), "Просадка под нагрузкой 80 мВ (средняя), 120 мВ (макс.)"_cp);
  float t, rh;
  const std::uint16_t raw[2] = {line->model.rawT, line->model.rawRH};
  app::ConvertSht(raw, t, rh, true);
  EXPECT_EQ(d->LabelT->Caption(), app::DiagTemperatureText(t));
  EXPECT_EQ(d->LabelRh->Caption(), app::DiagHumidityText(rh));
  EXPECT_EQ(d->LabelL->Caption(), "12,345 мм"_cp);
  EXPECT_EQ(d->LableSHTType->Caption(), "SHT21");
  EXPECT_EQ(Panel(1), "Принято"_cp);
  EXPECT_EQ(app::Recorder().Sample[2], 12345);
  EXPECT_TRUE(app::Recorder().Current.Sht21());
}

TEST_F(DiagTest, ClockColour) {
  Create();
  struct Case {
    int offset;
    gui::TColor colour;
  } cases[] = {{31, gui::clRed}, {29, gui::clWindowText}, {-31, gui::clRed}, {0, gui::clWindowText}};
  auto d = Open();
  for (const auto& c : cases) {
    Clocks({2013, 3, 7, 9, 5, 7}, c.offset);
    d->Timer1Timer(d->Timer1);
    EXPECT_EQ(d->LabelDateTime->Font().Color(), c.colour) << c.offset;
  }
}

TEST_F(DiagTest, SensorNotConnectedAndZeroSetting) {
  Create();
  auto d = Open();
  line->model.rawT = 0x7FFF;
  line->model.rawRH = 0xFFFF;
  d->Timer1Timer(d->Timer1);
  EXPECT_EQ(d->LabelT->Caption(), "Датчик не подключен?"_cp);
  EXPECT_EQ(d->LabelRh->Caption(), "Датчик не подключен?"_cp);
  EXPECT_EQ(d->LabelT->Font().Color(), gui::clRed);
  EXPECT_EQ(d->LableSHTType->Caption(), "");
  line->model.rawT = 6233;
  line->model.rawRH = 2163;
  line->model.rawShrink = 12345;
  d->Timer1Timer(d->Timer1);
  EXPECT_EQ(d->LabelT->Font().Color(), gui::clWindowText);
  d->Button1Click(d->Button1);
  EXPECT_EQ(d->ShrinkZero(), 12345);
  line->model.rawShrink = 12000;
  d->Timer1Timer(d->Timer1);
  EXPECT_EQ(d->LabelL->Caption(), "-0,345 мм"_cp);
  line->model.SetSht21(false);
  d->Timer1Timer(d->Timer1);
  EXPECT_EQ(d->LableSHTType->Caption(), "SHT15");
  // Key A shows and hides the alarm and sensor kind lines together.
  EXPECT_FALSE(d->LableSHTType->Visible());
  gui::Word a = 'A';
  d->FormKeyUp(d.get(), a, {});
  EXPECT_TRUE(d->LableSHTType->Visible());
  EXPECT_TRUE(d->LabelAlarm->Visible());
  d->FormKeyUp(d.get(), a, {});
  EXPECT_FALSE(d->LabelAlarm->Visible());
}

TEST_F(DiagTest, NoRecorderShowsEveryNotReadText) {
  Create();
  auto d = Open();
  line->plugged = false;
  d->Timer1Timer(d->Timer1);
  EXPECT_EQ(d->LabelDateTime->Caption(), "...Не считано..."_cp);
  EXPECT_EQ(d->LabelU->Caption(), "Процессы регистрации не считаны."_cp);
  EXPECT_EQ(d->LabelDU->Caption(), "Напряжение батареи проверяется в ходе регистрации"_cp);
  for (auto* l : {d->LabelT, d->LabelRh, d->LabelL}) EXPECT_EQ(l->Caption(), "Не считано"_cp);
  EXPECT_EQ(Panel(1), "Ошибка чтения"_cp);
  EXPECT_EQ(form->ShapeLink->BrushColor(), gui::RGB(255, 0, 0));
}

TEST_F(DiagTest, PeriodSettingAndSchedule) {
  Create();
  struct Case {
    const char* stored;
    int index;
  } cases[] = {{"1", 1}, {"9", 9}, {"x", 0}};
  for (const auto& c : cases) {
    app::TForm1::IniWrite("SelfTest", "Period", c.stored);
    app::TForm1::IniWrite("SelfTest", "Auto", "Y");
    auto d = Open();
    EXPECT_EQ(d->ComboBoxPeriod->ItemIndex(), c.index) << c.stored;
    EXPECT_TRUE(d->CheckBoxAutoRetry->Checked());
    // The next due time lies one period after this one's, whatever the exchange took.
    app::TfrmTest::DueTick() = rtl::GetTickCount();
    const std::uint32_t due = app::TfrmTest::DueTick();
    d->Timer1Timer(d->Timer1);
    EXPECT_EQ(app::TfrmTest::DueTick(), due + std::uint32_t(c.index + 1) * 1000) << c.stored;
    EXPECT_EQ(d->Timer1->Interval(), app::TfrmTest::DueTick() - rtl::GetTickCount());
    EXPECT_TRUE(d->Timer1->Enabled());
    d->Timer1->SetEnabled(false);
  }
  // "Измерение": repetition off ("N" stored), exactly one exchange pending.
  auto d = Open();
  d->ButtonMeasClick(d->ButtonMeas);
  EXPECT_FALSE(d->CheckBoxAutoRetry->Checked());
  EXPECT_EQ(app::TForm1::IniRead("SelfTest", "Auto", "Y"), "N");
  EXPECT_EQ(d->Timer1->Interval(), 100u);
  d->Timer1Timer(d->Timer1);
  EXPECT_FALSE(d->Timer1->Enabled());
  // A new period is stored as its index.
  d->ComboBoxPeriod->SetItemIndex(4);
  d->ComboBoxPeriodChange(d->ComboBoxPeriod);
  EXPECT_EQ(app::TForm1::IniRead("SelfTest", "Period", "1"), "4");
}

TEST_F(DiagTest, ActionOpensTheDialogOnce) {
  Create();
  dialogs.OnModal([this](gui::TForm& f) {
    auto& d = dynamic_cast<app::TfrmTest&>(f);
    // The first exchange is due 100 ms after opening; on a slow machine the
    // real timer may have run it already.
    EXPECT_TRUE(d.Timer1->Enabled() || d.LabelDateTime->Caption() != "");
    d.Timer1Timer(d.Timer1);
    // The start-up read due meanwhile does not start inside the dialog.
    EXPECT_TRUE(form->Link().Busy());
    const int before = Sent(0x01, 0xFE);
    form->ADataReadExecute(form->ADataRead);
    EXPECT_EQ(Sent(0x01, 0xFE), before);
    d.ButtonExitClick(d.ButtonExit);
    EXPECT_FALSE(d.Timer1->Enabled());
  });
  clock.Advance(3000);
  form->ASelfcheckExecute(form->ASelfcheck);
  EXPECT_FALSE(form->Link().Busy());
  EXPECT_GE(Sent(0x0B, 0xF4), 1);
  EXPECT_EQ(dialogs.PendingAnswers(), 0);
  EXPECT_EQ(form->ShapeLink->BrushColor(), gui::clBtnFace);
}

// The main window's Cancel button cannot be reached from a modal dialog, so
// Esc there ends an exchange with a recorder that does not answer.
TEST_F(DialogsTest, EscEndsACalibrationReadThatGetsNoAnswer) {
  Create();
  app::TfrmCalibrTC d(form.get(), *form);
  line->plugged = false;
  int sleeps = 0;
  clock.OnSleep = [&](std::uint32_t) {
    if (++sleeps == 20000) {
      gui::Word esc = gui::VK_ESCAPE;
      d.FormKeyUp(&d, esc, {});
    }
  };
  d.ARdIntoGaugeExecute(d.btnRead);
  clock.OnSleep = nullptr;
  EXPECT_EQ(d.ModalResult(), gui::mrCancel);
  EXPECT_FALSE(form->Link().Busy());
  EXPECT_FALSE(form->btnLinkCancel->Visible());
  EXPECT_GT(Sent(0x09, 0xF6), 1);  // it had been asking again and again
}

TEST_F(DialogsTest, JobWithTheRecorderUnreachable) {
  Create();
  line->Close();
  clock.Advance(3000);
  form->AJobFormExecute(form->AJobForm);
  EXPECT_EQ(Panel(0), "COM-порт занят другой программой или не работает"_cp);
  EXPECT_FALSE(form->Link().Busy());
  EXPECT_FALSE(form->btnLinkCancel->Visible());
}
