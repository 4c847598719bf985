// The recording-job dialog and the action that reads the job from the
// recorder, shows the dialog and writes a changed job back.
#include "app/Job.h"

#include "app/FormMain.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/textcase.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

TfrmJob::TfrmJob(TComponent* owner, TRecordingJob& job, int channels) : TForm(owner), job_(job), channels_(channels) {
  SetName("frmJob");
  SetCaption("Параметры процесса регистрации"_cp);
  SetBorderStyle(bsDialog);
  SetFormStyle(fsStayOnTop);
  SetPosition(poMainFormCenter);
  SetBounds(0, 0, 370, 250);
  SetKeyPreview(true);
  OnKeyUp = [this](TObject* s, Word& k, TShiftState sh) { FormKeyUp(s, k, sh); };

  GroupBox1 = new TGroupBox(this);
  GroupBox1->SetParent(this);
  GroupBox1->SetCaption("Задание на новый процесс регистрации"_cp);
  GroupBox1->SetBounds(8, 8, 346, 170);
  EditDuration = AddEdit("Длительность, часов"_cp, "(1-1000)", 20);
  EditPointPeriod = AddEdit("Период отсчетов, минут"_cp, "(1-240)", 48);
  EditPoints = AddEdit("Количество отсчетов"_cp, "", 76);
  EditPoints->SetEnabled(false);
  EditMemory = AddEdit("Занимаемая память, %"_cp, "", 104);
  EditMemory->SetEnabled(false);
  auto* delayLabel = new TLabel(this);
  delayLabel->SetParent(GroupBox1);
  delayLabel->SetCaption("Задержка старта"_cp);
  delayLabel->SetBounds(8, 136, 150, 16);
  DTPickerStartDelay = new TDateTimePicker(this);
  DTPickerStartDelay->SetParent(GroupBox1);
  DTPickerStartDelay->SetKind(dtkTime);
  DTPickerStartDelay->SetFormat("H:mm");
  DTPickerStartDelay->SetBounds(170, 132, 70, 22);
  AddHint("(до 24 часов)"_cp, 132);

  btnWrite = new TButton(this);
  btnWrite->SetParent(this);
  btnWrite->SetCaption("Записать"_cp);
  btnWrite->SetBounds(190, 188, 80, 26);
  btnWrite->SetDefault(true);
  btnWrite->OnClick = [this](TObject* s) { btnWriteClick(s); };
  btnCancel = new TButton(this);
  btnCancel->SetParent(this);
  btnCancel->SetCaption("Отменить"_cp);
  btnCancel->SetBounds(274, 188, 80, 26);
  btnCancel->SetModalResult(mrCancel);

  EditPointPeriod->SetText(rtl::IntToStr(job_.Period));
  EditDuration->SetText(rtl::IntToStr(JobDurationHours(job_)));
  Compute();
  int hours = 0, minutes = 0;
  JobDelayToTime(job_.Delay, hours, minutes);
  DTPickerStartDelay->SetTime(rtl::EncodeTime(hours, minutes, 0, 0));
  for (TEdit* e : {EditDuration, EditPointPeriod}) {
    e->OnChange = [this](TObject*) { Compute(); };
    e->OnKeyPress = [this](TObject* s, char& k) { EditKeyPress(s, k); };
  }
  DTPickerStartDelay->OnChange = [this](TObject* s) { DTPickerStartDelayChange(s); };
}

TEdit* TfrmJob::AddEdit(const AnsiString& label, const AnsiString& hint, int top) {
  auto* l = new TLabel(this);
  l->SetParent(GroupBox1);
  l->SetCaption(label);
  l->SetBounds(8, top + 4, 150, 16);
  auto* e = new TEdit(this);
  e->SetParent(GroupBox1);
  e->SetBounds(170, top, 70, 22);
  if (!hint.empty()) AddHint(hint, top);
  return e;
}

void TfrmJob::AddHint(const AnsiString& hint, int top) {
  auto* h = new TLabel(this);
  h->SetParent(GroupBox1);
  h->SetCaption(hint);
  h->SetBounds(246, top + 4, 92, 16);  // "(до 24 часов)" whole
}

void TfrmJob::Compute() {
  figures_ = ComputeJob(EditDuration->Text(), EditPointPeriod->Text(), channels_);
  // The figures reach the job at once, capped at the memory; only a period
  // the recorder cannot hold keeps the job from being written.
  if (figures_.Valid) {
    job_.Period = static_cast<std::uint8_t>(figures_.Period);
    job_.Points = static_cast<std::uint16_t>(figures_.Points);
  }
  for (TEdit* e : {EditDuration, EditPointPeriod}) e->Font().SetColor(figures_.Red ? clRed : clWindowText);
  EditPoints->SetText(rtl::IntToStr(figures_.Points));
  EditMemory->SetText(figures_.Memory);
  btnWrite->SetEnabled(figures_.Valid);
}

void TfrmJob::EditKeyPress(TObject*, char& Key) {
  // Tab still moves on to the next control.
  if (!((Key >= '0' && Key <= '9') || Key == '.' || Key == '\b' || Key == '\t')) Key = 0;
}

void TfrmJob::DTPickerStartDelayChange(TObject*) {
  int h, m, s, ms;
  rtl::DecodeTime(DTPickerStartDelay->Time(), h, m, s, ms);
  if (s != 0 || ms != 0) DTPickerStartDelay->SetTime(rtl::EncodeTime(h, m, 0, 0));
}

void TfrmJob::btnWriteClick(TObject*) {
  if (!figures_.Valid) return;  // a period one byte cannot hold is never written
  int h, m, s, ms;
  rtl::DecodeTime(DTPickerStartDelay->Time(), h, m, s, ms);
  job_.Delay = static_cast<std::uint16_t>(h * 60 + m);
  SetModalResult(mrOk);
}

void TfrmJob::FormKeyUp(TObject*, Word& Key, TShiftState) {
  if (Key == VK_ESCAPE) SetModalResult(mrCancel);
}

// --- the action ---

void TForm1::AJobFormExecute(TObject*) {
  TRecorderLink& link = *link_;
  TLinkBusy busy(link);
  if (!busy.Acquired()) return;
  link.WaitSpacing();
  link.SetCancel(false);
  ShowCancelButton(true);
  ClearStatusPanels();
  auto end = [&] {
    ShowCancelButton(false);
    busy.Release();
    LampIdle();
  };
  auto cancelled = [&] {
    SetPanelText(1, "Команда отменена"_cp);
    end();
  };
  if (!link.PortOpen()) {
    SetPanelText(0, "COM-порт занят другой программой или не работает"_cp);
    return end();
  }
  if (link.SetDeviceClock() == TExchangeResult::Cancelled) return cancelled();
  rtl::Sleep(50);
  link.ReadJob();
  if (link.Cancelled()) return cancelled();
  TRecordingJob& job = Recorder().Job;
  const TRecordingJob before = job;
  TModalResult result;
  {
    TfrmJob dialog(this, job, Recorder().Current.Channels());
    result = dialog.ShowModal();
  }
  end();
  if (result != mrOk) return;
  if (job.Delay == before.Delay && job.Points == before.Points && job.Period == before.Period) {
    SetPanelText(0, "Задание не изменилось"_cp);
    SetPanelText(1, "Запись не требуется"_cp);
    return;
  }
  // The write is a device operation like the others: nothing may start inside it.
  {
    const TLinkBusy writing(link);
    if (!writing.Acquired()) return;
    link.WriteJob();
  }
  if (link.Cancelled()) SetPanelText(1, "Команда отменена"_cp);
}

}  // namespace app
