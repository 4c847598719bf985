// The message boxes of vuzUtils.h: the one part of the utilities that talks
// to the user, kept apart so the utilities themselves stay free of the GUI.
#include "report/vuzUtils_gui.h"

#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/rtl/textcase.h"
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

void vuzUpdateControl(gui::TWinControl* control, bool repaint) {
  if (!control) return;
  if (repaint)
    control->Repaint();
  else
    control->Update();
}

void vuzInstallFormComponentFinder() {
  vuzSetGlobalComponentFinder([](const AnsiString& name) -> rtl::TComponent* {
    for (int i = 0; i < gui::Screen->FormCount(); ++i)
      if (gui::TForm* form = gui::Screen->Forms(i); !name.empty() && rtl::AnsiSameText(form->Name(), name)) return form;
    return nullptr;
  });
  vuzSetGlobalComponentLister([] {
    std::vector<rtl::TComponent*> forms;
    for (int i = 0; i < gui::Screen->FormCount(); ++i) forms.push_back(gui::Screen->Forms(i));
    return forms;
  });
}

}  // namespace report
