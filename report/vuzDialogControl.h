// The base of the report objects that wrap a window control on a dialog page
// (edits, buttons, lists...): the object keeps the control's geometry, font,
// caption and state in step with its own properties, places the control in
// the window of its parent, passes the control's events to the report's
// script handlers, and draws the control as a picture at design time.
// No concrete control class is part of this system: a subclass hands its
// control over with InitControl, through the TfrxDialogControlWindow face,
// so the model stays free of the window system.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "report/vuzClass.h"

namespace report {

class TfrxDialogPage;
class TfrxDialogWindow;

// What the wrapper asks of its window control.
class TfrxDialogControlWindow {
 public:
  virtual ~TfrxDialogControlWindow() = default;
  virtual void SetBounds(int left, int top, int width, int height) = 0;
  virtual void SetVisible(bool value) = 0;
  // Controls that show their caption (buttons, labels) answer true.
  virtual bool ShowsCaption() const = 0;
  virtual AnsiString Caption() const = 0;
  virtual void SetCaption(const AnsiString& text) = 0;
  virtual gfx::TColor Color() const = 0;
  virtual void SetColor(gfx::TColor color) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool value) = 0;
  virtual void SetHint(const AnsiString& text) = 0;
  virtual void SetShowHint(bool value) = 0;
  // Window controls take the focus and have a tab stop.
  virtual bool IsWindowControl() const = 0;
  virtual bool TabStop() const = 0;
  virtual void SetTabStop(bool value) = 0;
  virtual void SetParentFont(bool value) = 0;
  virtual void SetFont(const gfx::TFont& font) = 0;
  // The window the control lies in: another control's, a dialog page's, or
  // the hidden parent form of controls outside a dialog.
  virtual void SetParentControl(TfrxDialogControlWindow* parent) = 0;
  virtual void SetParentWindow(TfrxDialogWindow* window) = 0;
  virtual void SetParentHidden() = 0;
  // Paints the control into the canvas (a bitmap of its size).
  virtual void PaintTo(gfx::TCanvas& canvas) = 0;

  // The control's events; enter, exit and the keys only for window controls.
  struct Events {
    std::function<void()> Click, DblClick, Enter, Exit;
    std::function<void(std::uint16_t&key, unsigned shift)> KeyDown, KeyUp;
    std::function<void(char& key)> KeyPress;
    std::function<void(int button, unsigned shift, int x, int y)> MouseDown, MouseUp;
    std::function<void(unsigned shift, int x, int y)> MouseMove;
  };
  virtual void Bind(Events events) = 0;
};

class TfrxDialogControl : public TfrxReportComponent {
  RTL_CLASS_INFO
 public:
  explicit TfrxDialogControl(rtl::TComponent* owner);
  ~TfrxDialogControl() override;

  // Takes the control, binds its events to this object's handlers and
  // places it under the parent again. The base name becomes the class name
  // without "Tfrx" and "Control".
  void InitControl(std::unique_ptr<TfrxDialogControlWindow> control);
  TfrxDialogControlWindow* Control() const { return control_.get(); }

  void SetParent(TfrxComponent* parent) override;
  void SetName(const AnsiString& name) override;
  void SetLeft(long double value) override;
  void SetTop(long double value) override;
  void SetWidth(long double value) override;
  void SetHeight(long double value) override;
  void SetVisible(bool value) override;
  void SetParentFont(bool value) override;
  void FontChanged() override;

  AnsiString Caption() const;
  void SetCaption(const AnsiString& value);
  gfx::TColor Color() const;
  void SetColor(gfx::TColor value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& value);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  // Window controls only; other controls report True.
  bool TabStop() const;
  void SetTabStop(bool value);

  // A picture of the control at its absolute position (scale and offset
  // are ignored: this is the designer's view).
  void Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
            long double offsetY) override;

  // The control's events, passed to the report's script handlers.
  void DoOnClick();
  void DoOnDblClick();
  void DoOnEnter();
  void DoOnExit();
  void DoOnKeyDown(std::uint16_t& key, unsigned shift);
  void DoOnKeyPress(char& key);
  void DoOnKeyUp(std::uint16_t& key, unsigned shift);
  void DoOnMouseDown(int button, unsigned shift, int x, int y);
  void DoOnMouseMove(unsigned shift, int x, int y);
  void DoOnMouseUp(int button, unsigned shift, int x, int y);

  // Called with the page when the dialog becomes active (a control may set it).
  std::function<void(TfrxDialogPage* page)> OnActivate;
  AnsiString OnClick, OnDblClick, OnEnter, OnExit, OnKeyDown, OnKeyPress, OnKeyUp, OnMouseDown, OnMouseMove, OnMouseUp;

 private:
  void ApplyBounds();
  void ApplyParent();
  void Notify(const AnsiString& handler);

  std::unique_ptr<TfrxDialogControlWindow> control_;
  bool enabled_ = true;
  AnsiString hint_;
  bool showHint_ = false;
};

}  // namespace report
