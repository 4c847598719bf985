// What the model needs to ask the user something and to describe a window
// without the window system: the modal results, the message-box button sets
// with their answers, and the border, placement and state of a window. The
// GUI layer uses these same values; a model unit that only names them links
// no toolkit.
#pragma once
#include <vector>

namespace rtl {

// Modal results: what ShowModal, message boxes and buttons answer.
using TModalResult = int;
enum : TModalResult {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
  mrAll = 8,
  mrNoToAll = 9,
  mrYesToAll = 10,
};

// Button sets, icons, default buttons and modality of a message box (the
// Windows flag values, which templates and callers rely on).
using TMessageBoxFlags = unsigned;
enum : TMessageBoxFlags {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_ABORTRETRYIGNORE = 0x2,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5,
  MB_TYPEMASK = 0xF,
  MB_ICONHAND = 0x10,
  MB_ICONERROR = 0x10,
  MB_ICONSTOP = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONWARNING = 0x30,
  MB_ICONASTERISK = 0x40,
  MB_ICONINFORMATION = 0x40,
  MB_ICONMASK = 0xF0,
  MB_DEFBUTTON1 = 0x0,
  MB_DEFBUTTON2 = 0x100,
  MB_DEFBUTTON3 = 0x200,
  MB_DEFMASK = 0xF00,
  MB_APPLMODAL = 0x0,
  MB_SYSTEMMODAL = 0x1000,
  MB_TASKMODAL = 0x2000,
};
// What a message box answers: the same numbers as the modal results.
enum : int {
  IDOK = mrOk,
  IDCANCEL = mrCancel,
  IDABORT = mrAbort,
  IDRETRY = mrRetry,
  IDIGNORE = mrIgnore,
  IDYES = mrYes,
  IDNO = mrNo
};

// The buttons of a flag set in order, and the answer of its default button
// (what a question answers where no one can answer it).
std::vector<int> MessageBoxButtons(TMessageBoxFlags flags);
int MessageBoxDefault(TMessageBoxFlags flags);

// Window borders, placements and states, in the order templates and forms
// number them.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter,
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

}  // namespace rtl
