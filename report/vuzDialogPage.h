// Dialog pages: windows a report may show before it is built, with their
// size, caption, colour, border, placement and script handler names. The
// page is a model object (it reads and writes templates without the GUI);
// its window is made through the handler the GUI companion
// (vuzDialogPage_gui.cpp) installs, the first time the page needs it, so
// reading a template costs no window unless the page stores a client size.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/gfx/colors.h"
#include "platform/rtl/user_answers.h"
#include "report/vuzClassPage.h"

namespace report {

// Window borders, placements and states as templates store them (by name):
// the runtime layer's enums, which the GUI layer uses too.
using rtl::bsDialog;
using rtl::bsNone;
using rtl::bsSingle;
using rtl::bsSizeable;
using rtl::bsSizeToolWin;
using rtl::bsToolWindow;
using rtl::TFormBorderStyle;
const rtl::TEnumType& FormBorderStyleType();
using rtl::poDefault;
using rtl::poDefaultPosOnly;
using rtl::poDefaultSizeOnly;
using rtl::poDesigned;
using rtl::poDesktopCenter;
using rtl::poMainFormCenter;
using rtl::poOwnerFormCenter;
using rtl::poScreenCenter;
using rtl::TPosition;
const rtl::TEnumType& PositionType();
using rtl::TWindowState;
using rtl::wsMaximized;
using rtl::wsMinimized;
using rtl::wsNormal;
const rtl::TEnumType& WindowStateType();

class TfrxDialogPage;

// What the page asks of its window (outer size includes the border).
class TfrxDialogWindow {
 public:
  virtual ~TfrxDialogWindow() = default;
  virtual int Left() const = 0;
  virtual int Top() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetLeft(int value) = 0;
  virtual void SetTop(int value) = 0;
  virtual void SetWidth(int value) = 0;
  virtual void SetHeight(int value) = 0;
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
  virtual void SetClientWidth(int value) = 0;
  virtual void SetClientHeight(int value) = 0;
  virtual void SetCaption(const AnsiString& text) = 0;
  virtual void SetColor(gfx::TColor color) = 0;
  virtual void SetFont(const gfx::TFont& font) = 0;
  // Hides the window, applies the page's placement and state, and ties the
  // window's events to the page's handlers.
  virtual void Initialize() = 0;
  // Shows the window modally with the page's border; its modal result.
  virtual rtl::TModalResult ShowModal() = 0;
  virtual rtl::TModalResult ModalResult() const = 0;
  virtual void SetModalResult(rtl::TModalResult value) = 0;
};

// The window the GUI installed (vuzGuiHooks) for the page; without a GUI a
// window that keeps the page's geometry and answers Cancel without waiting.
std::unique_ptr<TfrxDialogWindow> vuzCreateDialogWindow(TfrxDialogPage& page);

class TfrxDialogPage : public TfrxPage {
  RTL_CLASS_INFO
 public:
  // Font Tahoma 8, sizeable border, centred on the screen, normal state,
  // clBtnFace.
  explicit TfrxDialogPage(rtl::TComponent* owner);
  TfrxDialogPage(rtl::TComponent* owner, std::uint16_t flags);
  ~TfrxDialogPage() override;
  AnsiString GetDescription() const override;

  // The window, made on first use.
  TfrxDialogWindow& Window();
  bool HasWindow() const { return window_ != nullptr; }

  void SetLeft(long double value) override;
  void SetTop(long double value) override;
  void SetWidth(long double value) override;
  void SetHeight(long double value) override;
  void FontChanged() override;

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle value) { borderStyle_ = value; }
  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& value);
  gfx::TColor Color() const { return color_; }
  void SetColor(gfx::TColor value);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition value) { position_ = value; }
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState value) { windowState_ = value; }
  // The window's client size; setting one makes the page's Width (Height)
  // the window's outer size.
  int ClientWidth() const;
  int ClientHeight() const;
  // Stored once a window or a client size exists.
  bool IsClientSizeStored() const;
  // The Tag a page carries while its window is made in a thread-safe run:
  // the window then skips its stored form.
  static constexpr int kSkipStoredFormTag = 318;
  void SetClientWidth(int value);
  void SetClientHeight(int value);

  // Initialize, then show the window modally; the modal result.
  rtl::TModalResult ShowModal();
  void Initialize();
  rtl::TModalResult GetModalResult();
  void SetModalResult(rtl::TModalResult value);
  // The page takes the window's position and size (after the user moved or
  // resized it).
  void DoModify();

  // The window's events, passed to the report's script handlers (a key of 0
  // swallows the key; Shift is the set of shift keys as an integer).
  void DoOnActivate();
  void DoOnClick();
  void DoOnCloseQuery(bool& canClose);
  void DoOnDeactivate();
  void DoOnHide();
  void DoOnKeyDown(std::uint16_t& key, unsigned shift);
  void DoOnKeyPress(char& key);
  void DoOnKeyUp(std::uint16_t& key, unsigned shift);
  void DoOnShow();
  void DoOnResize();
  void DoOnMouseMove();

  AnsiString OnActivate, OnClick, OnCloseQuery, OnDeactivate, OnHide, OnKeyDown, OnKeyPress, OnKeyUp, OnShow, OnResize;

 private:
  void InitDialogPage();
  void Notify(const AnsiString& handler);
  void KeyEvent(const AnsiString& handler, std::uint16_t& key, unsigned shift);

  std::unique_ptr<TfrxDialogWindow> window_;
  TFormBorderStyle borderStyle_ = bsSizeable;
  AnsiString caption_;
  gfx::TColor color_ = gfx::clBtnFace;
  TPosition position_ = poScreenCenter;
  TWindowState windowState_ = wsNormal;
  int clientWidth_ = 0, clientHeight_ = 0;  // the client size last set
};

}  // namespace report
