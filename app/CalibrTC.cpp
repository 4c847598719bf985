// The thermocouple calibration dialog (commands 09 and 0A) and its action.
#include "app/CalibrTC.h"

#include "app/FormMain.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

namespace {
std::uint32_t Le32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}
}  // namespace

TfrmCalibrTC::TfrmCalibrTC(TComponent* owner, TForm1& main) : TForm(owner), main_(main) {
  SetName("frmCalibrTC");
  SetCaption("Калибровка термопары"_cp);
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetBounds(0, 0, 380, 300);
  SetKeyPreview(true);
  OnKeyUp = [this](TObject* s, Word& k, TShiftState sh) { FormKeyUp(s, k, sh); };

  Label1 = new TLabel(this);
  Label1->SetParent(this);
  Label1->SetCaption("Калибровочные коэффициенты (эдс термопары = U * A1 + A0)"_cp);
  Label1->SetBounds(8, 8, 360, 16);
  auto edit = [this](const char* label, int top) {
    auto* l = new TLabel(this);
    l->SetParent(this);
    l->SetCaption(label);
    l->SetBounds(16, top + 4, 24, 16);
    auto* e = new TEdit(this);
    e->SetParent(this);
    e->SetBounds(44, top, 160, 22);
    return e;
  };
  EditA0 = edit("A0", 32);
  EditA1 = edit("A1", 60);
  btnRead = new TButton(this);
  btnRead->SetParent(this);
  btnRead->SetCaption("Чтение"_cp);
  btnRead->SetBounds(220, 32, 80, 26);
  btnRead->OnClick = [this](TObject* s) { ARdIntoGaugeExecute(s); };
  btnWrite = new TButton(this);
  btnWrite->SetParent(this);
  btnWrite->SetCaption("Запись"_cp);
  btnWrite->SetBounds(220, 60, 80, 26);
  btnWrite->OnClick = [this](TObject* s) { AWriteToGaugeExecute(s); };
  auto radio = [this](const AnsiString& caption, int top, TCalibrMode mode) {
    auto* r = new TRadioButton(this);
    r->SetParent(this);
    r->SetCaption(caption);
    r->SetBounds(16, top, 350, 20);
    r->OnClick = [this, mode](TObject*) { ModeClick(mode); };
    return r;
  };
  RadioButtonNoDS1820 = radio("Датчик DS1820 отсутствует"_cp, 100, TCalibrMode::NoDS1820);
  RadioButtonDS1820 = radio("Использовать только датчик DS1820"_cp, 124, TCalibrMode::DS1820);
  RadioButtonU = radio("Коэффициенты для получения напряжения U"_cp, 148, TCalibrMode::U);
  RadioButtonTCDebug = radio("Коэффициенты для включения отладочного режима"_cp, 172, TCalibrMode::TCDebug);
  RadioButtonT = radio("Коэффициенты для получения температуры термопары"_cp, 196, TCalibrMode::T);

  ARdIntoGaugeExecute(this);
}

TRadioButton* TfrmCalibrTC::ModeButton(TCalibrMode mode) const {
  switch (mode) {
    case TCalibrMode::NoDS1820: return RadioButtonNoDS1820;
    case TCalibrMode::DS1820: return RadioButtonDS1820;
    case TCalibrMode::U: return RadioButtonU;
    case TCalibrMode::TCDebug: return RadioButtonTCDebug;
    case TCalibrMode::T: break;
  }
  return RadioButtonT;
}

TCalibrMode TfrmCalibrTC::CheckedMode() const {
  for (TCalibrMode m : {TCalibrMode::NoDS1820, TCalibrMode::DS1820, TCalibrMode::U, TCalibrMode::TCDebug})
    if (ModeButton(m)->Checked()) return m;
  return TCalibrMode::T;
}

void TfrmCalibrTC::ModeClick(TCalibrMode mode) {
  if (mode == TCalibrMode::T) {
    EditA0->SetEnabled(true);
    EditA1->SetEnabled(true);
    if (EditA1->Text() == "0xFFFFFFFF" || EditA1->Text() == "0") EditA1->SetText("1.0");
    return;
  }
  EditA0->SetText(CalibrModeText(mode));
  EditA1->SetText(CalibrModeText(mode));
  EditA0->SetEnabled(false);
  EditA1->SetEnabled(false);
}

bool TfrmCalibrTC::BeginExchange(std::optional<TLinkBusy>& busy) {
  TRecorderLink& link = main_.Link();
  busy.emplace(link);
  if (!busy->Acquired()) return false;
  link.SetCancel(false);
  main_.ClearStatusPanels();
  if (!link.PortOpen()) {
    main_.SetPanelText(0, "COM-порт занят другой программой или не работает"_cp);
    return false;
  }
  main_.ShowCancelButton(true);
  return true;
}

void TfrmCalibrTC::ARdIntoGaugeExecute(TObject*) {
  std::optional<TLinkBusy> busy;
  if (!BeginExchange(busy)) return;
  TRecorderLink& link = main_.Link();
  main_.SetPanelText(1, "Чтение коэффициентов..."_cp);
  const std::vector<std::uint8_t> request = {0x09, 0xF6};
  std::uint8_t reply[10];
  if (link.Exchange(request, reply, 10, [&](const std::uint8_t* r) {
        return TRecorderLink::ChecksumMatches(request, r, 8);
      }) == TExchangeResult::Done) {
    const std::uint32_t a1 = Le32(reply), a0 = Le32(reply + 4);
    main_.SetPanelText(0, "Коэффициенты термопары считаны"_cp);
    const TCalibrMode mode = CalibrModeFromA1(a1);
    ModeButton(mode)->SetChecked(true);
    ModeClick(mode);  // also when the button was checked already
    if (mode == TCalibrMode::T) {
      EditA1->SetText(CoefficientText(a1));
      EditA0->SetText(CoefficientText(a0));
    }
  }
  main_.SetPanelText(1, "");
  main_.ShowCancelButton(false);
}

void TfrmCalibrTC::AWriteToGaugeExecute(TObject*) {
  const TCalibrWords words = CalibrWordsFor(CheckedMode(), EditA1->Text(), EditA0->Text());
  EditA1->Font().SetColor(words.A1Bad ? clRed : clWindowText);
  EditA0->Font().SetColor(words.A0Bad ? clRed : clWindowText);
  if (!words.Ok()) return;
  std::vector<std::uint8_t> request = {0x0A, 0xF5};
  PutLe32(request, words.A1);
  PutLe32(request, words.A0);
  const std::uint16_t cs = FrameChecksum(request.data(), request.size());
  request.push_back(std::uint8_t(cs));
  request.push_back(std::uint8_t(cs >> 8));
  std::optional<TLinkBusy> busy;
  if (!BeginExchange(busy)) return;
  TRecorderLink& link = main_.Link();
  main_.SetPanelText(1, "Запись коэффициентов..."_cp);
  std::uint8_t answer = 0;
  const bool written =
      link.Exchange(request, &answer, 1, [](const std::uint8_t* r) { return r[0] == 0x0A; }) == TExchangeResult::Done;
  if (written) main_.SetPanelText(0, "Коэффициенты термопары записаны"_cp);
  main_.SetPanelText(1, "");
  main_.ShowCancelButton(false);
  busy->Release();
  if (written) SetModalResult(mrOk);
}

void TfrmCalibrTC::FormKeyUp(TObject*, Word& Key, TShiftState) {
  if (Key != VK_ESCAPE) return;
  // The main window's Cancel button cannot be reached from here, so Esc
  // also ends an exchange that waits for a recorder that does not answer.
  main_.Link().SetCancel(true);
  SetModalResult(mrCancel);
}

void TForm1::ACalibrExecute(TObject*) {
  link_->WaitSpacing();
  {
    TfrmCalibrTC dialog(this, *this);
    dialog.ShowModal();
  }
  // The display keeps converting the extra temperature: a new calibration
  // changes what the recorder records next, not the processes already read.
  LampIdle();
}

}  // namespace app
