// The base of every visible control: a thin object over one Qt widget. It holds
// position and size, visibility, enabling, caption, hint, font, colour,
// alignment inside its parent, the pop-up menu and the common events. Each
// concrete control creates its widget and hands it to Attach; the widget lives
// exactly as long as the control.
#pragma once
#include <memory>
#include <vector>

#include "platform/gui/actions.h"

class QWidget;
class QObject;

namespace gfx {
class TCanvas;
class TBitmap;
}  // namespace gfx

namespace gui {

class TControl;
class TForm;
class TPopupMenu;

// The font of a control: setting a field applies it at once.
class TControlFont {
 public:
  explicit TControlFont(TControl* owner) : owner_(owner) {}
  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& name);
  // Size in points; Height in pixels (negative: character height, as stored).
  int Size() const { return size_; }
  void SetSize(int points);
  void SetHeight(int pixels);
  TColor Color() const { return color_; }
  void SetColor(TColor c);
  bool Bold() const { return bold_; }
  void SetBold(bool b);
  bool Italic() const { return italic_; }
  void SetItalic(bool b);
  bool Underline() const { return underline_; }
  void SetUnderline(bool b);

 private:
  void Apply();
  TControl* owner_;
  AnsiString name_;
  int size_ = 0;
  TColor color_ = clWindowText;
  bool bold_ = false, italic_ = false, underline_ = false;
};

class TControl : public TComponent, public TActionClient {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  // Parent: the control this one sits in (its coordinates are the parent's
  // client coordinates). A control without a parent is not shown.
  TControl* Parent() const { return parent_; }
  virtual void SetParent(TControl* parent);
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int i) const { return controls_.at(static_cast<std::size_t>(i)); }
  // The form this control is on (itself for a form), or nullptr.
  TForm* ParentForm() const;

  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
  void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
  void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
  void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return Bounds(Left(), Top(), Width(), Height()); }
  virtual int ClientWidth() const;
  virtual int ClientHeight() const;
  virtual void SetClientWidth(int w);
  virtual void SetClientHeight(int h);
  TRect ClientRect() const { return Rect(0, 0, ClientWidth(), ClientHeight()); }
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;

  TAlign Align() const { return align_; }
  void SetAlign(TAlign a);
  // Lays out the aligned children (alTop, alBottom, alLeft, alRight, alClient)
  // within AlignRect.
  virtual void Realign();
  // The part of the client area aligned children fill (a group box leaves
  // out its caption and frame, a panel its bevels).
  virtual TRect AlignRect() const;

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent visible.
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool e);

  // The text the control shows (caption of labels and buttons, text of edits).
  virtual AnsiString Caption() const { return caption_; }
  virtual void SetCaption(const AnsiString& text);
  AnsiString Text() const { return Caption(); }
  void SetText(const AnsiString& text) { SetCaption(text); }

  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& hint);
  // Hints show where ShowHint is on; a control takes its parent's setting
  // until ShowHint is set on it (ParentShowHint).
  bool ShowHint() const;
  void SetShowHint(bool v);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool v) { parentShowHint_ = v; }
  // Whether pointing at the control shows its hint.
  bool HintShown() const { return ShowHint() && !hint_.empty(); }

  TControlFont& Font() { return font_; }
  const TControlFont& Font() const { return font_; }
  TColor Color() const { return color_; }
  virtual void SetColor(TColor c);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor c);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int v) { helpContext_ = v; }
  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int v) { tabOrder_ = v; }
  bool TabStop() const;
  void SetTabStop(bool v);

  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* m) { popupMenu_ = m; }

  // The action this control follows (caption, enabled, visible, hint) and
  // executes when clicked; nullptr for none.
  TAction* Action() const { return action_; }
  virtual void SetAction(TAction* a);

  bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();
  void Invalidate();
  void Repaint();
  void Update();
  void BringToFront();
  void SendToBack();

  // Runs the click behaviour as a user click would (the action, then OnClick).
  virtual void Click();

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TNotifyEvent OnResize;
  // The wheel turned over the control (delta 120 per notch, the pointer in
  // screen coordinates); the parents are asked in turn until one handles it.
  std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)> OnMouseWheel;

  // Platform-internal: the outer widget and the widget children go into.
  QWidget* Handle() const { return widget_; }
  virtual QWidget* ClientHandle() const { return client_ ? client_ : widget_; }
  // Called by the action this control follows when the action changes.
  void ActionChanged() override;
  void ActionDestroyed() override { action_ = nullptr; }
  // Event hooks of the dispatcher; subclasses extend them.
  virtual void DoResize();
  // Controls that use Enter/Esc themselves (memo, buttons) keep them from the
  // form's default and cancel buttons.
  virtual bool WantsKey(Word key) const;
  // Mouse clicks on controls without a click of their own run OnClick.
  virtual bool ClickOnMouseUp() const { return false; }
  // The mouse as the dispatcher hands it over; the defaults run the events.
  // Controls with behaviour of their own (the chart's zoom and scroll)
  // override them and call these to keep the events. A double click arrives
  // as DblClick followed by MouseDown with ssDouble, then MouseUp.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void DblClick();
  // The keys likewise (after the form's key preview): the defaults run
  // OnKeyDown, OnKeyPress and OnKeyUp; setting the key to 0 swallows it.
  virtual void KeyDown(Word& key, TShiftState shift);
  virtual void KeyPress(char& key);
  virtual void KeyUp(Word& key, TShiftState shift);

 protected:
  // Adopts the widget this control stands for (and, for containers, the
  // widget its children go into).
  void Attach(QWidget* widget, QWidget* client = nullptr);
  void ApplyFont();
  void ApplyColor();

 private:
  friend class TControlFont;
  void InsertChild(TControl* c);
  void RemoveChild(TControl* c);
  void ApplyVisibility();

  QWidget* widget_ = nullptr;
  QWidget* client_ = nullptr;
  TControl* parent_ = nullptr;
  std::vector<TControl*> controls_;
  TAlign align_ = alNone;
  bool visible_ = true;
  bool enabled_ = true;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  AnsiString caption_;
  AnsiString hint_;
  TControlFont font_{this};
  TColor color_ = clDefault;
  TCursor cursor_ = crDefault;
  int helpContext_ = 0;
  int tabOrder_ = 0;
  TPopupMenu* popupMenu_ = nullptr;
  TAction* action_ = nullptr;
  bool realigning_ = false;
  int notifiedWidth_ = -1, notifiedHeight_ = -1;
  std::vector<QObject*> registered_;

 protected:
  // Owner of every signal connection of this control: deleting it first
  // cuts them all, so no Qt signal reaches a control being destroyed.
  QObject* context_ = nullptr;
  // Registers an inner widget (viewport, inner edit) as part of this control.
  void RegisterInner(QObject* w);
  // Records the parent without moving the widget (containers that place
  // their children's widgets themselves, such as page controls).
  void LinkParent(TControl* parent);
  bool Realigning() const { return realigning_; }
};

using TWinControl = TControl;

// A control that paints itself: Paint (by default OnPaint) draws on
// Canvas(), a bitmap of the control's size drawn by the graphics layer, which
// the control then shows. It takes the focus and sees every key, arrows
// included; derived controls (the preview's page area) override Paint.
class TCustomControl : public TControl {
 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  gfx::TCanvas& Canvas();
  TNotifyEvent OnPaint;
  bool ClickOnMouseUp() const override { return true; }

 protected:
  // Fills the control's colour and runs OnPaint.
  virtual void Paint();

 private:
  std::unique_ptr<gfx::TBitmap> bitmap_;
};

}  // namespace gui
