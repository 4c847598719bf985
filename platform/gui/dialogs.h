// Message boxes (the Win32 button sets, icons and default buttons), the
// message dialog, and the open and save file dialogs. Tests script their
// answers through DialogScript so that no test waits on a window.
#pragma once
#include <deque>
#include <vector>

#include "platform/gui/component.h"
#include "platform/rtl/user_answers.h"

namespace gui {

// Button sets, icons, default buttons and answers of MessageBox are the
// runtime layer's, so model units name them without the GUI.
using rtl::IDABORT;
using rtl::IDCANCEL;
using rtl::IDIGNORE;
using rtl::IDNO;
using rtl::IDOK;
using rtl::IDRETRY;
using rtl::IDYES;
using rtl::MB_ABORTRETRYIGNORE;
using rtl::MB_APPLMODAL;
using rtl::MB_DEFBUTTON1;
using rtl::MB_DEFBUTTON2;
using rtl::MB_DEFBUTTON3;
using rtl::MB_DEFMASK;
using rtl::MB_ICONASTERISK;
using rtl::MB_ICONERROR;
using rtl::MB_ICONEXCLAMATION;
using rtl::MB_ICONHAND;
using rtl::MB_ICONINFORMATION;
using rtl::MB_ICONMASK;
using rtl::MB_ICONQUESTION;
using rtl::MB_ICONSTOP;
using rtl::MB_ICONWARNING;
using rtl::MB_OK;
using rtl::MB_OKCANCEL;
using rtl::MB_RETRYCANCEL;
using rtl::MB_SYSTEMMODAL;
using rtl::MB_TASKMODAL;
using rtl::MB_TYPEMASK;
using rtl::MB_YESNO;
using rtl::MB_YESNOCANCEL;
using rtl::MessageBoxButtons;
using rtl::MessageBoxDefault;
using rtl::TMessageBoxFlags;
// Shows a modal message box with the caption and flags; answers the button.
int MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags = MB_OK);
// The answer that cancels a box of the flag set: Cancel where there is one,
// else Abort, No or OK. A box open when the application terminates answers it.
int MessageBoxCancelAnswer(unsigned flags);

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
// A set of TMsgDlgBtn as bits (1 << mbYes | 1 << mbNo ...).
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons MsgButtons(std::initializer_list<TMsgDlgBtn> l) {
  TMsgDlgButtons s = 0;
  for (auto b : l) s |= 1u << b;
  return s;
}
constexpr TMsgDlgButtons mbYesNo = (1u << mbYes) | (1u << mbNo);
constexpr TMsgDlgButtons mbYesNoCancel = mbYesNo | (1u << mbCancel);
constexpr TMsgDlgButtons mbOKCancel = (1u << mbOK) | (1u << mbCancel);
constexpr TMsgDlgButtons mbAbortRetryIgnore = (1u << mbAbort) | (1u << mbRetry) | (1u << mbIgnore);
// A message dialog captioned by its type; answers mrYes, mrNo, mrOk, ...
int MessageDlg(const AnsiString& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx = 0);
void ShowMessage(const AnsiString& msg);

// Options of the file dialogs (bits).
enum TOpenOption : unsigned {
  ofReadOnly = 1u << 0,
  ofOverwritePrompt = 1u << 1,
  ofHideReadOnly = 1u << 2,
  ofNoChangeDir = 1u << 3,
  ofShowHelp = 1u << 4,
  ofNoValidate = 1u << 5,
  ofAllowMultiSelect = 1u << 6,
  ofExtensionDifferent = 1u << 7,
  ofPathMustExist = 1u << 8,
  ofFileMustExist = 1u << 9,
  ofCreatePrompt = 1u << 10,
  ofShareAware = 1u << 11,
  ofNoReadOnlyReturn = 1u << 12,
  ofNoTestFileCreate = 1u << 13,
  ofNoNetworkButton = 1u << 14,
  ofNoLongNames = 1u << 15,
  ofOldStyleDialog = 1u << 16,
  ofNoDereferenceLinks = 1u << 17,
  ofEnableIncludeNotify = 1u << 18,
  ofEnableSizing = 1u << 19,
};
using TOpenOptions = unsigned;

class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* owner = nullptr) : TComponent(owner) {}
  // Shows the dialog; true when the user chose a file (FileName holds it).
  virtual bool Execute();

  // "Описание|*.zrn|Все файлы (*.*)|*.*": pairs of description and patterns.
  AnsiString Filter;
  int FilterIndex = 1;
  // Appended (with a dot) to a chosen name that has no extension; a leading
  // "*." or "." is ignored.
  AnsiString DefaultExt;
  AnsiString InitialDir;
  AnsiString FileName;
  AnsiString Title;
  TOpenOptions Options = ofHideReadOnly | ofEnableSizing;
  std::vector<AnsiString> Files;

 protected:
  virtual bool IsSave() const { return false; }
  AnsiString WithDefaultExt(const AnsiString& name) const;
};

class TSaveDialog : public TOpenDialog {
 public:
  using TOpenDialog::TOpenDialog;

 protected:
  bool IsSave() const override { return true; }
};

// Lets the user pick an existing folder, starting at initialDir (folders
// only are shown). True and the folder in chosen when one was picked.
// Scripted like the file dialogs (the record's Folder is set).
bool SelectFolder(const AnsiString& title, const AnsiString& initialDir, AnsiString& chosen);

// The test hook: while a DialogScript is alive, message boxes and file dialogs
// are not shown. Each takes the next scripted answer (an unscripted message
// box takes its default button, an unscripted file dialog is cancelled, a
// modal form without a script is cancelled) and is recorded with what was
// asked.
struct MessageBoxRecord {
  AnsiString Text;
  AnsiString Caption;
  unsigned Flags = 0;
  unsigned Buttons() const { return Flags & MB_TYPEMASK; }
  unsigned Icon() const { return Flags & MB_ICONMASK; }
  unsigned DefaultButton() const { return Flags & MB_DEFMASK; }
  int Answer = 0;
  bool Scripted = false;
};

struct FileDialogRecord {
  bool Save = false;
  bool Folder = false;  // a folder dialog (SelectFolder)
  AnsiString Title, Filter, DefaultExt, InitialDir, FileName;
  TOpenOptions Options = 0;
  bool Accepted = false;
  AnsiString Result;
};

class TForm;

class DialogScript {
 public:
  DialogScript();
  ~DialogScript();
  DialogScript(const DialogScript&) = delete;
  DialogScript& operator=(const DialogScript&) = delete;
  // The script in force, or nullptr when dialogs are real.
  static DialogScript* Current();

  // Queues the answers of the next message boxes (IDYES, IDNO, ...).
  void AnswerMessageBox(int id) { boxAnswers_.push_back(id); }
  // Answers the message boxes that have no queued answer with id instead of
  // their default button (0 restores the default button).
  void AnswerOtherMessageBoxes(int id) { otherAnswer_ = id; }
  // Queues the choice of the next file dialog: a path, or a cancel.
  void ChooseFile(const AnsiString& path) { fileAnswers_.push_back({true, path}); }
  void CancelFileDialog() { fileAnswers_.push_back({false, {}}); }
  // Queues what the next modal form does once shown (set controls, then
  // set its ModalResult). The form's own loop runs meanwhile.
  void OnModal(std::function<void(TForm&)> script) { modalScripts_.push_back(std::move(script)); }

  const std::vector<MessageBoxRecord>& MessageBoxes() const { return boxes_; }
  const std::vector<FileDialogRecord>& FileDialogs() const { return files_; }
  int PendingAnswers() const {
    return static_cast<int>(boxAnswers_.size() + fileAnswers_.size() + modalScripts_.size());
  }

  // Platform-internal.
  int TakeMessageBox(MessageBoxRecord rec);
  bool TakeFileDialog(FileDialogRecord rec, AnsiString& result);
  bool TakeModal(std::function<void(TForm&)>& script);

 private:
  struct FileAnswer {
    bool accept;
    AnsiString path;
  };
  DialogScript* previous_;
  std::deque<int> boxAnswers_;
  int otherAnswer_ = 0;
  std::deque<FileAnswer> fileAnswers_;
  std::deque<std::function<void(TForm&)>> modalScripts_;
  std::vector<MessageBoxRecord> boxes_;
  std::vector<FileDialogRecord> files_;
};

}  // namespace gui
