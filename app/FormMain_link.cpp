// The main window's side of the link: the port actions and the status bar's
// port menu, the lamp, the cancel button, and the device actions that are
// single commands.
#include <cstdlib>

#include "app/FormMain.h"
#include "platform/gui/application.h"
#include "platform/rtl/textcase.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

void TForm1::NewCOM_Port(int n) {
  const AnsiString number = rtl::IntToStr(n);
  StatusBar1->SetPanelText(2, "COM" + number);
  StatusBar1->SetPanelText(0, "Выбран порт COM"_cp + number);
  link_->ClosePort();
  link_->OpenComPort(n);
  IniWrite("Config", "COMPortNumber", number);
  for (TAction* a : ACOM) a->SetChecked(a->Tag == n);
}

void TForm1::ACOM1Execute(TObject* Sender) {
  auto* action = dynamic_cast<TAction*>(Sender);
  if (action) NewCOM_Port(static_cast<int>(action->Tag));
}

void TForm1::btnLinkCancelClick(TObject*) { link_->SetCancel(true); }

void TForm1::StatusBar1MouseDown(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  if (Button != mbRight) return;
  popupOverPort_ = StatusBar1->PanelAt(X) == 2;
  const TPoint p = StatusBar1->ClientToScreen({X, Y});
  PopupMenuStatusBar->Popup(p.X, p.Y);
}

void TForm1::StatusBar1DblClick(TObject*) {
  const TPoint p = StatusBar1->ScreenToClient(MouseCursorPos());
  popupOverPort_ = StatusBar1->PanelAt(p.X) == 2;
  const TPoint at = MouseCursorPos();
  PopupMenuStatusBar->Popup(at.X, at.Y);
}

void TForm1::PopupMenuStatusBarPopup(TObject*) {
  // Only the port panel offers the ports.
  for (int i = 0; i < 10; ++i) itmPopupStatusCOM[i]->SetVisible(popupOverPort_ && ACOM[i]->Visible());
}

void TForm1::AClearGaugeArchExecute(TObject*) { link_->ClearGaugeArchive(); }
void TForm1::AProcStartExecute(TObject*) { link_->ProcStart(); }
void TForm1::AProcStopExecute(TObject*) { link_->ProcStop(); }

// --- what the link shows ---

void TForm1::SetPanelText(int panel, const AnsiString& text) { StatusBar1->SetPanelText(panel, text); }
AnsiString TForm1::PanelText(int panel) { return StatusBar1->PanelText(panel); }

void TForm1::SetLamp(TLamp lamp) {
  ShapeLink->SetBrushColor(lamp == TLamp::Red ? RGB(255, 0, 0) : lamp == TLamp::Green ? RGB(0, 255, 0) : clBtnFace);
  ProcessMessages();
}

void TForm1::ProcessMessages() { Application->ProcessMessages(); }

void TForm1::ShowCancelButton(bool visible) {
  if (visible) {
    const TRect r = StatusBar1->PanelRect(1);
    btnLinkCancel->SetBounds(r.Left + r.Width() - 60, r.Top, 60, r.Height());
  }
  btnLinkCancel->SetVisible(visible);
}

void TForm1::ShowProgressBar(bool visible) {
  if (visible) {
    const TRect r = StatusBar1->PanelRect(1);
    ProgressBar1->SetBounds(r.Left, r.Top, r.Width() - 62, r.Height());
  }
  ProgressBar1->SetVisible(visible);
}

void TForm1::EnableRecordingActions(bool enabled) {
  for (TAction* a : {AProcStart, AProcStop, AProcAlarm}) a->SetEnabled(enabled);
}

bool TForm1::RecordingActionsEnabled() { return AProcStart->Enabled(); }

void TForm1::ShowPortList(const std::vector<int>& ports, int checked) {
  for (int i = 0; i < 10; ++i) {
    TAction* a = ACOM[i];
    if (i < int(ports.size())) {
      const int n = ports[std::size_t(i)];
      a->SetVisible(true);
      a->Tag = n;
      a->SetCaption("COM" + rtl::IntToStr(n));
      if (n == checked) a->SetChecked(true);
    } else {
      a->SetVisible(false);
    }
  }
}

int TForm1::Ask(const AnsiString& text, unsigned flags) { return MessageBox(text, Application->Title(), flags); }

TPortAnswer TForm1::AskPortProblem(const AnsiString& text) {
  const int answer = Ask(text, MB_ABORTRETRYIGNORE | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TASKMODAL);
  // The program is being ended (a termination signal closed the box): it
  // goes on without the recorder to its normal end instead of halting with
  // a failure status and unsaved settings.
  if (Application->Terminated()) return TPortAnswer::Ignore;
  switch (answer) {
    case IDABORT: return TPortAnswer::Abort;
    case IDIGNORE: return TPortAnswer::Ignore;
    default: return TPortAnswer::Retry;
  }
}

bool TForm1::Confirm(const AnsiString& text) {
  return Ask(text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TASKMODAL) == IDYES;
}

void TForm1::ShowLinkError(const AnsiString& text) { Ask(text, MB_OK); }

void TForm1::Halt(int code) {
  if (setup_.halt) return setup_.halt(code);
  std::_Exit(code);  // at once: nothing is saved
}

}  // namespace app
