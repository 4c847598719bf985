// The diagnostics dialog (command 0B) and its action.
#include "app/frmSelfTest.h"

#include "app/FormMain.h"
#include "app/SelfTestFigures.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/textcase.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

std::uint32_t& TfrmTest::DueTick() {
  static std::uint32_t due = 0;
  return due;
}

TfrmTest::TfrmTest(TComponent* owner, TForm1& main) : TForm(owner), main_(main) {
  SetName("frmTest");
  SetCaption("Диагностика"_cp);
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetBounds(0, 0, 520, 330);
  SetKeyPreview(true);
  OnKeyUp = [this](TObject* s, Word& k, TShiftState sh) { FormKeyUp(s, k, sh); };

  int y = 8;
  auto label = [this, &y](const AnsiString& caption, int left = 8, bool newLine = true) {
    auto* l = new TLabel(this);
    l->SetParent(this);
    l->SetCaption(caption);
    l->SetBounds(left, y, 500 - left, 16);
    if (newLine) y += 20;
    return l;
  };
  label("Результаты проверки:"_cp);
  label("Дата и время по часам прибора:"_cp, 8, false);
  LabelDateTime = label("", 220);
  LabelAlarm = label("", 220);
  LabelAlarm->SetVisible(false);
  LabelU = label("");
  LabelDU = label("");
  label("Текущие показания датчиков:"_cp);
  label("Температура среды"_cp, 16, false);
  LabelT = label("", 220);
  label("Влажность среды"_cp, 16, false);
  LabelRh = label("", 220);
  label("Датчик усадки"_cp, 16, false);
  LabelL = label("", 220);
  LableSHTType = label("", 16);
  LableSHTType->SetVisible(false);

  ShapeLink = new TShape(this);
  ShapeLink->SetParent(this);
  ShapeLink->SetShape(stCircle);
  ShapeLink->SetBrushColor(clBtnFace);
  ShapeLink->SetBounds(490, 8, 14, 14);
  auto button = [this](const AnsiString& caption, int left) {
    auto* b = new TButton(this);
    b->SetParent(this);
    b->SetCaption(caption);
    b->SetBounds(left, 260, 100, 26);
    return b;
  };
  ButtonMeas = button("Измерение"_cp, 8);
  ButtonMeas->OnClick = [this](TObject* s) { ButtonMeasClick(s); };
  Button1 = button("Установка 0"_cp, 116);
  Button1->OnClick = [this](TObject* s) { Button1Click(s); };
  ButtonExit = button("Выход"_cp, 404);
  ButtonExit->OnClick = [this](TObject* s) { ButtonExitClick(s); };
  CheckBoxAutoRetry = new TCheckBox(this);
  CheckBoxAutoRetry->SetParent(this);
  CheckBoxAutoRetry->SetCaption("Автоповтор с периодом"_cp);
  CheckBoxAutoRetry->SetBounds(8, 232, 180, 20);
  ComboBoxPeriod = new TComboBox(this);
  ComboBoxPeriod->SetParent(this);
  ComboBoxPeriod->SetStyle(csDropDownList);
  ComboBoxPeriod->SetBounds(192, 230, 80, 22);
  for (int i = 1; i <= 10; ++i) ComboBoxPeriod->AddItem(rtl::IntToStr(i) + " сек"_cp);
  Timer1 = new TTimer(this);
  Timer1->SetEnabled(false);
  Timer1->OnTimer = [this](TObject* s) { Timer1Timer(s); };

  for (TLabel* l : {LabelDateTime, LabelU, LabelDU, LabelT, LabelRh, LabelL}) l->SetCaption("");
  zero_ = 0;
  ComboBoxPeriod->SetItemIndex(DiagPeriodIndex(TForm1::IniRead("SelfTest", "Period", "1")));
  CheckBoxAutoRetry->OnClick = [this](TObject* s) { CheckBoxAutoRetryClick(s); };
  ComboBoxPeriod->OnChange = [this](TObject* s) { ComboBoxPeriodChange(s); };
  const bool autoRepeat = TForm1::IniRead("SelfTest", "Auto", "Y").substr(0, 1) == "Y";
  if (CheckBoxAutoRetry->Checked() != autoRepeat) CheckBoxAutoRetry->SetChecked(autoRepeat);
  // One exchange always runs right after opening.
  StartSoon();
}

void TfrmTest::StartSoon() {
  Timer1->SetInterval(100);
  Timer1->SetEnabled(true);
}

void TfrmTest::CheckBoxAutoRetryClick(TObject*) {
  if (CheckBoxAutoRetry->Checked()) {
    StartSoon();
    TForm1::IniWrite("SelfTest", "Auto", "Y");
  } else {
    Timer1->SetEnabled(false);
    TForm1::IniWrite("SelfTest", "Auto", "N");
  }
}

void TfrmTest::ComboBoxPeriodChange(TObject*) {
  TForm1::IniWrite("SelfTest", "Period", rtl::IntToStr(std::max(0, ComboBoxPeriod->ItemIndex())));
  StartSoon();
}

void TfrmTest::ButtonMeasClick(TObject*) {
  CheckBoxAutoRetry->SetChecked(false);
  StartSoon();
}

void TfrmTest::Button1Click(TObject*) { zero_ = lastShrink_; }

void TfrmTest::ButtonExitClick(TObject*) {
  Timer1->SetEnabled(false);
  SetModalResult(mrOk);
}

void TfrmTest::FormKeyUp(TObject*, Word& Key, TShiftState) {
  if (Key == VK_ESCAPE) {
    Timer1->SetEnabled(false);
    // An exchange waiting for a silent recorder ends at once.
    main_.Link().SetCancel(true);
    SetModalResult(mrCancel);
  } else if (Key == 'A') {
    const bool show = !LabelAlarm->Visible();
    LabelAlarm->SetVisible(show);
    LableSHTType->SetVisible(show);
  }
}

void TfrmTest::Timer1Timer(TObject*) {
  if (busy_) return;
  busy_ = true;
  Timer1->SetEnabled(false);
  ShapeLink->SetBrushColor(clLime);
  TRecorderLink& link = main_.Link();
  link.SendCommand({0x0B, 0xF4});

  std::uint8_t clock[6];
  if (link.WaitForBytes(6) != TWaitResult::Arrived) {
    LabelDateTime->SetCaption("...Не считано..."_cp);
  } else {
    link.Read(clock, 6);
    LabelDateTime->SetCaption(DiagClockText(clock));
    const TClockColour colour = DiagClockColour(clock, rtl::Now());
    if (colour != TClockColour::Unchanged)
      LabelDateTime->Font().SetColor(colour == TClockColour::Red ? clRed : clWindowText);
  }

  std::uint8_t alarm[4];
  if (link.WaitForBytes(4) == TWaitResult::Arrived) {
    link.Read(alarm, 4);
    LabelAlarm->SetCaption(DiagAlarmText(alarm));
  }

  std::uint8_t block[16];
  if (link.WaitForBytes(16) != TWaitResult::Arrived) {
    LabelU->SetCaption("Процессы регистрации не считаны."_cp);
    LabelDU->SetCaption("Напряжение батареи проверяется в ходе регистрации"_cp);
  } else {
    link.Read(block, 16);
    AnsiString u, du;
    DiagBatteryLines(Recorder().Battery, Recorder().ProcessCount, u, du);
    LabelU->SetCaption(u);
    LabelDU->SetCaption(du);
  }

  const bool sensors = link.WaitForBytes(22) == TWaitResult::Arrived;
  if (!sensors) {
    for (TLabel* l : {LabelT, LabelRh, LabelL}) l->SetCaption("Не считано"_cp);
  } else {
    std::uint8_t s[22];
    link.Read(s, 22);
    TRecorderState& state = Recorder();
    for (int i = 0; i < 3; ++i) state.Sample[std::size_t(i)] = std::uint16_t(s[2 * i] | (s[2 * i + 1] << 8));
    std::copy(s + 6, s + 22, state.Current.Bytes.begin());
    const bool sht21 = state.Current.Sht21();
    lastShrink_ = state.Sample[2];
    const std::uint16_t raw[2] = {state.Sample[0], state.Sample[1]};
    float t = 0, rh = 0;
    ConvertSht(raw, t, rh, sht21);
    if (DiagSensorMissing(raw[0], raw[1])) {
      for (TLabel* l : {LabelT, LabelRh}) {
        l->SetCaption("Датчик не подключен?"_cp);
        l->Font().SetColor(clRed);
      }
      LableSHTType->SetCaption("");
    } else {
      LabelT->SetCaption(DiagTemperatureText(t));
      LabelRh->SetCaption(DiagHumidityText(rh));
      LabelT->Font().SetColor(clWindowText);
      LabelRh->Font().SetColor(clWindowText);
      LableSHTType->SetCaption(sht21 ? "SHT21" : "SHT15");
    }
    LabelL->SetCaption(DiagShrinkText(lastShrink_, zero_));
  }
  main_.SetPanelText(1, sensors ? "Принято"_cp : "Ошибка чтения"_cp);
  if (sensors)
    main_.LampIdle();
  else
    main_.LampRed();
  ShapeLink->SetBrushColor(clBtnFace);

  // Due times follow each other by the period, not by the exchange's end.
  std::uint32_t& due = DueTick();
  const int index = std::max(0, ComboBoxPeriod->ItemIndex());
  if (CheckBoxAutoRetry->Checked()) {
    Timer1->SetInterval(DiagNextInterval(due, index, rtl::GetTickCount()));
    Timer1->SetEnabled(true);
  } else {
    due += std::uint32_t(index + 1) * 1000;
  }
  busy_ = false;
}

void TForm1::ASelfcheckExecute(TObject*) {
  // Its requests must not interleave with the frames of a running read.
  // Held while the dialog is open, so the start-up read cannot start inside it.
  const TLinkBusy busy(*link_);
  if (!busy.Acquired()) return;
  link_->WaitSpacing();
  link_->SetCancel(false);
  ClearStatusPanels();
  {
    TfrmTest dialog(this, *this);
    dialog.ShowModal();
  }
  LampIdle();
}

}  // namespace app
