// What the report engine asks of the user, as handlers the GUI companions
// install at start-up (vuzUseGuiHandlers in vuzUtils_gui.h), in the way the
// script engine routes ShowMessage. Without them nobody is asked and nothing
// waits: errors and notes go to the error output, questions take their
// default button, progress is silent, a password request fails, a dialog
// page answers Cancel at once, and message pumping does nothing. So a program
// that prepares, prints or exports a report links no window system.
#pragma once
#include <functional>
#include <memory>

#include "platform/rtl/strings.h"
#include "platform/rtl/user_answers.h"

namespace gfx {
class TFont;
}

namespace report {

using rtl::AnsiString;

class TfrxCustomProgress;
class TfrxDialogPage;
class TfrxDialogWindow;
class TfrxTimer;

struct TfrxGuiHooks {
  // Lets the window system handle what is waiting.
  std::function<void()> ProcessMessages;
  // Shows an error or a note and waits for OK.
  std::function<void(const AnsiString& text)> ErrorMessage;
  std::function<void(const AnsiString& text)> InfoMessage;
  // Asks a question with the message-box buttons; the button pressed.
  std::function<rtl::TModalResult(const AnsiString& text, rtl::TMessageBoxFlags buttons)> Confirm;
  // The progress window of runs, printing and export.
  std::function<std::unique_ptr<TfrxCustomProgress>()> CreateProgress;
  // Asks for a password; true with OK, the typed text in password.
  std::function<bool(AnsiString& password)> AskPassword;
  // The window of a dialog page.
  std::function<std::unique_ptr<TfrxDialogWindow>(TfrxDialogPage& page)> CreateDialogWindow;
  // Asks what to do with objects whose names a parent template already
  // has: -1 cancel, 1 delete them, 2 rename them (TfrxInheriteMode values).
  std::function<int()> AskInheritMode;
  // The colour and font dialogs of the property editors: true with OK.
  std::function<bool(int& color)> ChooseColor;
  std::function<bool(gfx::TFont& font)> ChooseFont;
  // The start timer of ShowReport.
  std::function<std::unique_ptr<TfrxTimer>()> CreateTimer;
};
TfrxGuiHooks& vuzGuiHooks();

// Writes the text (1251) to the error output as a line of UTF-8.
void vuzWriteErrorOutput(const AnsiString& text);

// Lets the window system handle what is waiting; nothing without a GUI.
void vuzProcessMessages();

}  // namespace report
