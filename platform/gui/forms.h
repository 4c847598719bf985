// Forms: top-level windows, shown modelessly (Show) or modally (ShowModal,
// which runs a nested message loop until ModalResult is set). A form sees the
// keys of its controls first when KeyPreview is on; Enter and Esc press its
// default and cancel buttons.
#pragma once
#include <string>

#include "platform/gfx/bitmap.h"
#include "platform/gui/controls.h"

class QEventLoop;

namespace gui {

class TMainMenu;
class TButton;

// Placements and states are the runtime layer's (templates store them too).
using rtl::poDefault;
using rtl::poDefaultPosOnly;
using rtl::poDefaultSizeOnly;
using rtl::poDesigned;
using rtl::poDesktopCenter;
using rtl::poMainFormCenter;
using rtl::poOwnerFormCenter;
using rtl::poScreenCenter;
using rtl::TPosition;
using rtl::TWindowState;
using rtl::wsMaximized;
using rtl::wsMinimized;
using rtl::wsNormal;
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };

struct TSizeConstraints {
  int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
};

class TForm : public TControl {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  void SetCaption(const AnsiString& text) override;

  void SetVisible(bool v) override;
  // Shows the form modally and returns its modal result.
  TModalResult ShowModal();
  TModalResult ModalResult() const { return modalResult_; }
  // Setting a non-zero result while the form is modal closes it.
  void SetModalResult(TModalResult r);
  bool Modal() const { return modalLoop_ != nullptr; }
  // Asks OnCloseQuery, runs OnClose and hides (or frees) the form; the main
  // form's closing ends the application.
  void Close();
  bool CloseQuery();
  // Frees the form once the handler that called Release has returned.
  void Release();

  TPosition Position() const { return position_; }
  void SetPosition(TPosition p) { position_ = p; }
  TWindowState WindowState() const;
  void SetWindowState(TWindowState s);
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle s);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle s);
  const TSizeConstraints& Constraints() const { return constraints_; }
  void SetConstraints(const TSizeConstraints& c);
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool v) { keyPreview_ = v; }

  void SetBounds(int left, int top, int width, int height) override;
  int ClientWidth() const override;
  int ClientHeight() const override;
  void SetClientWidth(int w) override;
  void SetClientHeight(int h) override;
  // The normal (not maximized) bounds of the window.
  TRect NormalBounds() const;

  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* m);
  TControl* ActiveControl() const;
  void SetActiveControl(TControl* c);
  // The first control the user can tab to, by TabOrder among siblings (then
  // creation order), looking into containers; nullptr when there is none. A
  // form being shown without a focused control gives it the focus.
  TControl* FirstTabControl() const;
  // F10: opens the main menu's first menu, as desktops do; false without a
  // main menu.
  bool OpenMainMenu();
  // The buttons Enter and Esc press (set by TButton::SetDefault/SetCancel).
  TButton* DefaultButton() const { return defaultButton_; }
  TButton* CancelButton() const { return cancelButton_; }
  void SetDefaultButton(TButton* b) { defaultButton_ = b; }
  void SetCancelButton(TButton* b) { cancelButton_ = b; }
  bool Active() const;
  void SetFocus() override;
  // A borderless window that the user drags by any part of its body.
  bool DragByBody() const { return dragByBody_; }
  void SetDragByBody(bool d) { dragByBody_ = d; }

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnDestroy;
  TCloseQueryEvent OnCloseQuery;
  TCloseEvent OnClose;

  // Platform-internal.
  QWidget* ClientHandle() const override;
  void DoResize() override;
  // The window system asked to close the window (its close box).
  bool HandleCloseRequest();
  // The window moved: a normal window's frame position is its normal one.
  void NoteMoved();

 private:
  void ApplyWindowFlags();
  // Dialog and single borders keep the size code gives them; the user cannot
  // change it. Other borders keep the size constraints.
  void ApplySizeLimits();
  bool FixedSize() const { return borderStyle_ == bsDialog || borderStyle_ == bsSingle; }
  void FocusFirstControl();
  void PlaceOnShow();
  void LayoutFrame();

  QWidget* clientArea_ = nullptr;
  TMainMenu* menu_ = nullptr;
  TModalResult modalResult_ = mrNone;
  QEventLoop* modalLoop_ = nullptr;
  TPosition position_ = poDesigned;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TFormStyle formStyle_ = fsNormal;
  TSizeConstraints constraints_;
  TWindowState pendingState_ = wsNormal;
  bool keyPreview_ = false;
  bool shownOnce_ = false;
  TButton* defaultButton_ = nullptr;
  TButton* cancelButton_ = nullptr;
  bool closing_ = false;
  bool dragByBody_ = false;
  // Where the frame of the normal (not maximized) window is.
  TPoint normalPos_;

 public:
  // Platform-internal: a mouse press or move over the form's body while it
  // is dragged by it (global pointer position); true when it moved the window.
  bool DragStep(bool press, int globalX, int globalY);

 private:
  TPoint dragFrom_;
  bool dragging_ = false;
};

// Writes a picture of the form (or any control) as it is drawn now into a PNG
// file; works offscreen. Answers false when the file cannot be written.
bool GrabToPng(TControl& control, const AnsiString& fileName);
// The same picture as 32-bit pixels 0xAARRGGBB, row by row.
struct TGrabbedImage {
  int Width = 0, Height = 0;
  std::vector<std::uint32_t> Pixels;
  std::uint32_t Pixel(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
};
TGrabbedImage GrabImage(TControl& control);
// The same picture in a bitmap (24 bits per pixel, the control's size).
void GrabToBitmap(TControl& control, gfx::TBitmap& out);

}  // namespace gui
