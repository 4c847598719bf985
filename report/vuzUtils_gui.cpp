// The handlers through which the report engine talks to the user, kept
// apart so the engine itself links no window system.
#include "report/vuzUtils_gui.h"

#include "platform/gui/answering.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/rtl/textcase.h"
#include "report/vuzClassReport.h"
#include "report/vuzDialogPage.h"
#include "report/vuzGuiHooks.h"
#include "report/vuzInheritError.h"
#include "report/vuzPassw.h"
#include "report/vuzProgress.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace report {

void vuzUseGuiHandlers() {
  TfrxGuiHooks& hooks = vuzGuiHooks();
  hooks.ProcessMessages = [] { gui::Application->ProcessMessages(); };
  // Where no one can answer (no display), a message box would wait for
  // ever: the text goes to the error output and a question takes its
  // default, as without a GUI.
  hooks.ErrorMessage = [](const AnsiString& text) {
    if (!gui::UserCanAnswer()) return vuzWriteErrorOutput(text);
    gui::MessageBox(text, vuzResources().Get("mbError"), gui::MB_OK | gui::MB_ICONERROR);
  };
  hooks.InfoMessage = [](const AnsiString& text) {
    if (!gui::UserCanAnswer()) return vuzWriteErrorOutput(text);
    gui::MessageBox(text, vuzResources().Get("mbInfo"), gui::MB_OK | gui::MB_ICONINFORMATION);
  };
  hooks.Confirm = [](const AnsiString& text, rtl::TMessageBoxFlags buttons) {
    if (!gui::UserCanAnswer()) return rtl::MessageBoxDefault(buttons);
    return gui::MessageBox(text, vuzResources().Get("mbConfirm"), buttons | gui::MB_ICONQUESTION);
  };
  hooks.CreateProgress = []() -> std::unique_ptr<TfrxCustomProgress> { return std::make_unique<TfrxProgress>(); };
  hooks.AskPassword = [](AnsiString& password) {
    TfrxPasswordForm form;
    if (!form.ShowModal()) return false;
    password = form.Password();
    return true;
  };
  hooks.AskInheritMode = [] {
    if (!gui::UserCanAnswer()) return -1;  // as without a GUI: nothing changes
    TfrxInheritErrorForm form;
    if (!form.ShowModal()) return -1;
    return form.DeleteDuplicates() ? static_cast<int>(imDelete) : static_cast<int>(imRename);
  };
  hooks.CreateDialogWindow = vuzCreateDialogForm;
  hooks.CreateTimer = vuzCreateGuiTimer;
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
