// The application and screen objects: the GUI thread's message loop, nested
// message pumping, termination, the title, the default exception display and
// the screen's size, active form and cursor.
#pragma once
#include <exception>
#include <functional>
#include <utility>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gui/component.h"

class QDialog;
class QEventLoop;

namespace gui {

class TForm;

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  // Creates the toolkit's application object; widgets call it themselves.
  void Initialize();
  // Shows the main form and runs the message loop until Terminate. When
  // Terminate came before, it only closes the main form (running its close
  // handler) and returns.
  void Run();
  // Handles every message that is waiting (timers that are due included,
  // handlers of other threads handed over with Synchronize as well) and
  // returns without waiting. Safe to call from inside any handler.
  void ProcessMessages();
  // Waits for at least one message (at most maxWaitMs) and handles it.
  void HandleMessage(int maxWaitMs = 50);
  // Ends the message loop, every modal loop and every toolkit dialog that is
  // open (as cancelled); message boxes asked afterwards answer at once as
  // cancelled, so no code path can keep the program waiting for a user.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Tests that ended the loop make room for the next one.
  void ResetTerminated() { terminated_ = false; }

  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& title);
  // The program file's full path (1251).
  AnsiString ExeName() const;

  TForm* MainForm() const { return mainForm_; }
  void SetMainForm(TForm* form) { mainForm_ = form; }
  // Creates a form owned by the application; the first becomes the main form.
  template <class F, class... Args>
  F* CreateForm(Args&&... args) {
    Initialize();
    F* form = new F(this, std::forward<Args>(args)...);
    if (!mainForm_) mainForm_ = form;
    return form;
  }

  // A Windows-style message box (MB_* flags; answers IDOK, IDYES, ...).
  int MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags = 0);

  // Shows the exception being handled (call from a catch block): OnException
  // when assigned, else a message box with the title as caption. An EAbort
  // is silent.
  void HandleException(TObject* sender);
  void ShowException(const std::exception& e);
  std::function<void(TObject* Sender, const std::exception& E)> OnException;
  // Runs when the loop has handled everything that was waiting.
  std::function<void(TObject* Sender, bool& Done)> OnIdle;

  void Minimize();
  void Restore();
  // Nesting depth of modal loops (0 when none is open).
  int ModalLevel() const { return modalLevel_; }

  // Platform-internal: modal loops register themselves so Terminate ends them.
  void EnterModal(QEventLoop* loop);
  void LeaveModal(QEventLoop* loop);
  // Platform-internal: runs a toolkit dialog (message box, file dialog)
  // modally, registered so Terminate closes it; answers its result code, or
  // rejected at once when the application is terminated.
  int ExecDialog(QDialog& dialog);

 private:
  bool terminated_ = false;
  AnsiString title_;
  TForm* mainForm_ = nullptr;
  int modalLevel_ = 0;
  std::vector<QEventLoop*> modalLoops_;
  std::vector<QDialog*> modalDialogs_;
};

class TScreen {
 public:
  int Width() const;
  int Height() const;
  int PixelsPerInch() const { return 96; }
  // The form that has the focus, or the most recently shown visible form.
  TForm* ActiveForm() const;
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TForm* Forms(int i) const { return forms_.at(static_cast<std::size_t>(i)); }
  TCursor Cursor() const { return cursor_; }
  // crHourGlass and the others apply to every window until crDefault.
  void SetCursor(TCursor c);
  // The cursor table's own entries: a picture (pixels of the transparent
  // colour are left out) with its hot spot, used wherever the number is set
  // (Screen and controls). An empty picture removes the entry.
  void SetCursorImage(TCursor c, const gfx::TBitmap& image, TColor transparent, int hotX, int hotY);
  bool HasCursorImage(TCursor c) const;

  // Platform-internal bookkeeping of the forms that exist.
  void AddForm(TForm* f) { forms_.push_back(f); }
  void RemoveForm(TForm* f);
  void NoteActivated(TForm* f) { lastActive_ = f; }

 private:
  std::vector<TForm*> forms_;
  TForm* lastActive_ = nullptr;
  TCursor cursor_ = crDefault;
};

// Whether the toolkit's own texts (file dialogs, edit context menus) are
// shown in Russian: its translations are installed and loaded.
bool ToolkitSpeaksRussian();

extern TApplication* const Application;
extern TScreen* const Screen;

}  // namespace gui
