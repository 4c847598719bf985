// The message boxes of vuzUtils.h: the one part of the utilities that talks
// to the user, kept apart so the utilities themselves stay free of the GUI.
#include "platform/gui/dialogs.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace report {

void vuzErrorMsg(const AnsiString& text) {
  gui::MessageBox(text, vuzResources().Get("mbError"), gui::MB_OK | gui::MB_ICONERROR);
}

void vuzInfoMsg(const AnsiString& text) {
  gui::MessageBox(text, vuzResources().Get("mbInfo"), gui::MB_OK | gui::MB_ICONINFORMATION);
}

int vuzConfirmMsg(const AnsiString& text, int buttons) {
  return gui::MessageBox(text, vuzResources().Get("mbConfirm"), static_cast<unsigned>(buttons) | gui::MB_ICONQUESTION);
}

}  // namespace report
