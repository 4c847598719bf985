#include "platform/gui/controls.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFont>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>
#include <QWheelEvent>
#include <algorithm>
#include <unordered_map>

#include "platform/gui/application.h"
#include "platform/gui/forms.h"
#include "platform/gui/menus.h"
#include "platform/gui/qt_bridge_p.h"
#include "platform/gui/stdctrls.h"

namespace gui {

namespace detail {

// ---- text and colours ------------------------------------------------------

QString ToQ(std::string_view ansi) {
  rtl::WideString w = rtl::AnsiToWide(ansi);
  return QString(reinterpret_cast<const QChar*>(w.data()), static_cast<qsizetype>(w.size()));
}

AnsiString FromQ(const QString& s) {
  return rtl::WideToAnsi(
      std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size())));
}

QColor ToQColor(TColor c) {
  if (c == clDefault || c == clNone) return {};
  gfx::TColorRef rgb = gfx::ColorToRGB(c);
  return QColor(static_cast<int>(gfx::GetRValue(rgb)), static_cast<int>(gfx::GetGValue(rgb)),
                static_cast<int>(gfx::GetBValue(rgb)));
}

TColor FromQColor(const QColor& c) {
  return static_cast<TColor>(
      gfx::RGB(static_cast<unsigned>(c.red()), static_cast<unsigned>(c.green()), static_cast<unsigned>(c.blue())));
}

// ---- keys ------------------------------------------------------------------

namespace {
struct KeyPair {
  int qt;
  Word vk;
};
constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK},  {Qt::Key_Tab, VK_TAB},        {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN},   {Qt::Key_Enter, VK_RETURN},   {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},       {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_Escape, VK_ESCAPE},   {Qt::Key_Space, VK_SPACE},    {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},   {Qt::Key_End, VK_END},        {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},       {Qt::Key_Up, VK_UP},          {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},       {Qt::Key_Insert, VK_INSERT},  {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Plus, VK_ADD},        {Qt::Key_Minus, VK_SUBTRACT}, {Qt::Key_Comma, 188},
    {Qt::Key_Period, 190},
};
}  // namespace

Word KeyCodeOf(int qtKey) {
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
    return static_cast<Word>(qtKey);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return static_cast<Word>(VK_F1 + (qtKey - Qt::Key_F1));
  for (const auto& k : kKeys)
    if (k.qt == qtKey) return k.vk;
  return 0;
}

int QtKeyOf(Word key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return key;
  if (key >= VK_F1 && key <= VK_F12) return Qt::Key_F1 + (key - VK_F1);
  for (const auto& k : kKeys)
    if (k.vk == key) return k.qt;
  return 0;
}

TShiftState ShiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
  unsigned s = 0;
  if (mods & Qt::ShiftModifier) s |= TShiftState::ssShift;
  if (mods & Qt::AltModifier) s |= TShiftState::ssAlt;
  if (mods & Qt::ControlModifier) s |= TShiftState::ssCtrl;
  if (buttons & Qt::LeftButton) s |= TShiftState::ssLeft;
  if (buttons & Qt::RightButton) s |= TShiftState::ssRight;
  if (buttons & Qt::MiddleButton) s |= TShiftState::ssMiddle;
  return TShiftState(s);
}

QKeySequence ToKeySequence(TShortCut sc) {
  if (sc == 0) return {};
  int key = QtKeyOf(static_cast<Word>(sc & 0x1FFF));
  if (key == 0) return {};
  Qt::KeyboardModifiers mods;
  if (sc & scShift) mods |= Qt::ShiftModifier;
  if (sc & scCtrl) mods |= Qt::ControlModifier;
  if (sc & scAlt) mods |= Qt::AltModifier;
  return QKeySequence(QKeyCombination(mods, static_cast<Qt::Key>(key)));
}

// ---- widget registry -------------------------------------------------------

namespace {
std::unordered_map<const QObject*, TControl*>& Registry() {
  static std::unordered_map<const QObject*, TControl*> r;
  return r;
}
TControl* lastFocused = nullptr;
bool resending = false;
}  // namespace

void DisposeLater(QObject* o) {
  if (!o) return;
  QObject::disconnect(o, nullptr, nullptr, nullptr);
  o->deleteLater();
}

void RegisterWidget(QObject* w, TControl* c) { Registry()[w] = c; }
void UnregisterWidget(QObject* w) { Registry().erase(w); }

TControl* ControlAt(QObject* w) {
  auto it = Registry().find(w);
  return it == Registry().end() ? nullptr : it->second;
}

TControl* ControlOf(QObject* w) {
  for (; w; w = w->parent())
    if (TControl* c = ControlAt(w)) return c;
  return nullptr;
}

// ---- event dispatch --------------------------------------------------------

namespace {

char KeyChar(const QKeyEvent* ke) {
  QString t = ke->text();
  if (!t.isEmpty()) {
    AnsiString a = FromQ(t.left(1));
    return a.empty() ? 0 : a[0];
  }
  if ((ke->modifiers() & Qt::ControlModifier) && ke->key() >= Qt::Key_A && ke->key() <= Qt::Key_Z)
    return static_cast<char>(ke->key() - Qt::Key_A + 1);
  return 0;
}

bool ButtonUsable(TButton* b) { return b && b->Showing() && b->Enabled(); }

bool DispatchKeyDown(QObject* receiver, QKeyEvent* ke) {
  TControl* control = ControlOf(receiver);
  if (!control) return false;
  TForm* form = control->ParentForm();
  Word key = KeyCodeOf(ke->key());
  TShiftState shift = ShiftOf(ke->modifiers());
  if (key != 0) {
    if (form && form->KeyPreview() && form != control) form->KeyDown(key, shift);
    if (key != 0) control->KeyDown(key, shift);
    if (key == 0) return true;
    // Shortcuts of the form's actions and main menu come before the control.
    if (form) {
      TShortCut sc = ShortCut(key, shift);
      if (TAction::ExecuteShortCut(form, sc) || (form->Menu() && form->Menu()->Items()->ExecuteShortCut(sc)))
        return true;
    }
    // F10 opens the main menu, as desktops do, unless a shortcut took it.
    if (form && key == VK_F10 && shift.Empty() && form->OpenMainMenu()) return true;
    // Enter and Esc press the form's default and cancel buttons.
    if (form && (key == VK_RETURN || key == VK_ESCAPE) && shift.Empty() && !control->WantsKey(key)) {
      TButton* b = key == VK_RETURN ? form->DefaultButton() : form->CancelButton();
      if (ButtonUsable(b)) {
        b->Click();
        return true;
      }
    }
  }
  char ch = KeyChar(ke);
  if (ch == 0) return false;
  char original = ch;
  if (form && form->KeyPreview() && form != control) form->KeyPress(ch);
  if (ch != 0) control->KeyPress(ch);
  if (ch == 0) return true;
  if (ch != original) {
    // A handler replaced the character: deliver the new one instead.
    QKeyEvent replaced(ke->type(), ke->key(), ke->modifiers(), ToQ(std::string_view(&ch, 1)));
    resending = true;
    QCoreApplication::sendEvent(receiver, &replaced);
    resending = false;
    return true;
  }
  return false;
}

bool DispatchKeyUp(QObject* receiver, QKeyEvent* ke) {
  if (ke->isAutoRepeat()) return false;
  TControl* control = ControlOf(receiver);
  if (!control) return false;
  TForm* form = control->ParentForm();
  Word key = KeyCodeOf(ke->key());
  if (key == 0) return false;
  TShiftState shift = ShiftOf(ke->modifiers());
  if (form && form->KeyPreview() && form != control) form->KeyUp(key, shift);
  if (key != 0) control->KeyUp(key, shift);
  return key == 0;
}

TMouseButton ButtonOf(Qt::MouseButton b) {
  return b == Qt::RightButton ? mbRight : b == Qt::MiddleButton ? mbMiddle : mbLeft;
}

QPoint ToControl(TControl* c, QObject* receiver, QPoint p) {
  auto* w = static_cast<QWidget*>(receiver);
  return c->Handle()->mapFromGlobal(w->mapToGlobal(p));
}

}  // namespace

// A popup (an edit's context menu, a combo box's list) parented to a control
// handles its own keys: Esc closes it and must not also press the form's
// cancel button, nor any key reach the control under it.
bool InPopup(QObject* receiver) { return static_cast<QWidget*>(receiver)->window()->windowType() == Qt::Popup; }

bool DispatchControlEvent(QObject* receiver, QEvent* e) {
  if (resending || !receiver->isWidgetType()) return false;
  if ((e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) && InPopup(receiver)) return false;
  switch (e->type()) {
    case QEvent::KeyPress: {
      bool handled = false;
      Guarded([&] { handled = DispatchKeyDown(receiver, static_cast<QKeyEvent*>(e)); });
      return handled;
    }
    case QEvent::KeyRelease: {
      bool handled = false;
      Guarded([&] { handled = DispatchKeyUp(receiver, static_cast<QKeyEvent*>(e)); });
      return handled;
    }
    case QEvent::Close: {
      auto* form = dynamic_cast<TForm*>(ControlAt(receiver));
      if (!form || !e->spontaneous()) return false;
      e->ignore();
      Guarded([&] { form->HandleCloseRequest(); });
      return true;
    }
    case QEvent::Wheel: {
      auto* we = static_cast<QWheelEvent*>(e);
      bool handled = false;
      QPoint g = we->globalPosition().toPoint();
      Guarded([&] {
        for (TControl* c = ControlOf(receiver); c && !handled; c = c->Parent())
          if (c->OnMouseWheel)
            c->OnMouseWheel(c, ShiftOf(we->modifiers(), we->buttons()), we->angleDelta().y(), TPoint{g.x(), g.y()},
                            handled);
      });
      return handled;
    }
    case QEvent::ToolTip: {
      // A hint shows only where ShowHint says so.
      TControl* c = ControlOf(receiver);
      if (c && !c->HintShown()) {
        e->ignore();
        return true;
      }
      return false;
    }
    case QEvent::ContextMenu: {
      TControl* c = ControlOf(receiver);
      for (TControl* p = c; p; p = p->Parent()) {
        if (TPopupMenu* m = p->PopupMenu()) {
          if (!m->AutoPopup()) return false;
          QPoint g = static_cast<QContextMenuEvent*>(e)->globalPos();
          m->SetPopupComponent(p);
          Guarded([&] { m->Popup(g.x(), g.y()); });
          return true;
        }
      }
      return false;
    }
    default: return false;
  }
}

// Runs after Qt has handled the event: mouse events, focus and resizing
// reach the handlers once the widget has done its own part.
void AfterControlEvent(QObject* receiver, QEvent* e) {
  if (!receiver->isWidgetType()) return;
  switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      TControl* c = ControlOf(receiver);
      if (!c) return;
      auto* me = static_cast<QMouseEvent*>(e);
      QPoint p = ToControl(c, receiver, me->position().toPoint());
      TShiftState shift = ShiftOf(me->modifiers(), me->buttons() | me->button());
      TMouseButton b = ButtonOf(me->button());
      QPointer<QObject> alive(receiver);
      if (TForm* form = c->ParentForm(); form && b == mbLeft && e->type() != QEvent::MouseButtonDblClick) {
        QPoint g = me->globalPosition().toPoint();
        if (e->type() == QEvent::MouseButtonPress) form->DragStep(true, g.x(), g.y());
      }
      Guarded([&] {
        if (e->type() == QEvent::MouseButtonPress) {
          c->MouseDown(b, shift, p.x(), p.y());
        } else if (e->type() == QEvent::MouseButtonDblClick) {
          // The second press of a double click: the double click first,
          // then the press itself, so handlers see press, release, double
          // click, press, release.
          c->DblClick();
          if (alive && ControlOf(receiver) == c) c->MouseDown(b, shift | ssDouble, p.x(), p.y());
        } else {
          c->MouseUp(b, shift, p.x(), p.y());
          if (alive && ControlOf(receiver) == c && b == mbLeft && c->ClickOnMouseUp() &&
              QRect(QPoint(0, 0), c->Handle()->size()).contains(p))
            c->Click();
        }
      });
      return;
    }
    case QEvent::MouseMove: {
      TControl* c = ControlOf(receiver);
      if (!c) return;
      auto* me = static_cast<QMouseEvent*>(e);
      if (TForm* form = c->ParentForm(); form && (me->buttons() & Qt::LeftButton)) {
        QPoint g = me->globalPosition().toPoint();
        if (form->DragStep(false, g.x(), g.y())) return;
      }
      QPoint p = ToControl(c, receiver, me->position().toPoint());
      Guarded([&] { c->MouseMove(ShiftOf(me->modifiers(), me->buttons()), p.x(), p.y()); });
      return;
    }
    case QEvent::FocusIn: {
      TControl* c = ControlOf(receiver);
      if (!c || c == lastFocused) return;
      TControl* previous = lastFocused;
      lastFocused = c;
      Guarded([&] {
        if (previous && previous->OnExit) previous->OnExit(previous);
        if (c->OnEnter) c->OnEnter(c);
      });
      return;
    }
    case QEvent::Resize: {
      if (TControl* c = ControlAt(receiver)) Guarded([&] { c->DoResize(); });
      return;
    }
    case QEvent::Move: {
      if (auto* f = dynamic_cast<TForm*>(ControlAt(receiver))) f->NoteMoved();
      return;
    }
    case QEvent::WindowActivate: {
      if (auto* f = dynamic_cast<TForm*>(ControlAt(receiver))) {
        Screen->NoteActivated(f);
        Guarded([&] {
          if (f->OnActivate) f->OnActivate(f);
        });
      }
      return;
    }
    case QEvent::WindowDeactivate: {
      if (auto* f = dynamic_cast<TForm*>(ControlAt(receiver)))
        Guarded([&] {
          if (f->OnDeactivate) f->OnDeactivate(f);
        });
      return;
    }
    default: return;
  }
}

void ForgetFocus(TControl* c) {
  if (lastFocused == c) lastFocused = nullptr;
}

}  // namespace detail

// ---- TControlFont ----------------------------------------------------------

void TControlFont::SetName(const AnsiString& name) {
  name_ = name;
  Apply();
}
void TControlFont::SetSize(int points) {
  size_ = points;
  Apply();
}
void TControlFont::SetHeight(int pixels) {
  size_ = (pixels < 0 ? -pixels : pixels) * 72 / 96;
  Apply();
}
void TControlFont::SetColor(TColor c) {
  color_ = c;
  owner_->ApplyColor();
}
void TControlFont::SetBold(bool b) {
  bold_ = b;
  Apply();
}
void TControlFont::SetItalic(bool b) {
  italic_ = b;
  Apply();
}
void TControlFont::SetUnderline(bool b) {
  underline_ = b;
  Apply();
}
void TControlFont::Apply() { owner_->ApplyFont(); }

// ---- TControl --------------------------------------------------------------

TControl::TControl(TComponent* owner) : TComponent(owner) {
  detail::EnsureQtApp();
  context_ = new QObject;
}

TControl::~TControl() {
  Destroying();
  delete context_;
  context_ = nullptr;
  // Owned components go before the widget their widgets may sit in.
  DestroyComponents();
  if (action_) action_->RemoveClient(this);
  for (TControl* child : std::vector<TControl*>(controls_)) child->SetParent(nullptr);
  if (parent_) parent_->RemoveChild(this);
  for (QObject* w : registered_) detail::UnregisterWidget(w);
  detail::ForgetFocus(this);
  if (widget_) {
    widget_->hide();
    widget_->setParent(nullptr);
    widget_->deleteLater();
  }
}

void TControl::Attach(QWidget* widget, QWidget* client) {
  widget_ = widget;
  client_ = client;
  RegisterInner(widget);
  // Without a parent a control is not shown (it would become a window).
  if (!widget->isWindow() || dynamic_cast<TForm*>(this) == nullptr) widget->setVisible(false);
}

void TControl::RegisterInner(QObject* w) {
  detail::RegisterWidget(w, this);
  registered_.push_back(w);
}

TForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

void TControl::SetParent(TControl* parent) {
  if (parent == parent_) return;
  QRect geometry = widget_->geometry();
  TControl* old = parent_;
  if (old) old->RemoveChild(this);
  parent_ = parent;
  if (parent) {
    parent->InsertChild(this);
    widget_->setParent(parent->ClientHandle());
  } else {
    widget_->setParent(nullptr);
  }
  widget_->setGeometry(geometry);
  ApplyVisibility();
  if (old) old->Realign();
  if (parent) parent->Realign();
}

void TControl::LinkParent(TControl* parent) {
  if (parent_) parent_->RemoveChild(this);
  parent_ = parent;
  if (parent_) parent_->InsertChild(this);
}

void TControl::InsertChild(TControl* c) { controls_.push_back(c); }
void TControl::RemoveChild(TControl* c) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
}

// A window's position is its frame's (title bar included), as on the desktop;
// a child's is its place in the parent.
int TControl::Left() const { return widget_->x(); }
int TControl::Top() const { return widget_->y(); }
int TControl::Width() const { return widget_->width(); }
int TControl::Height() const { return widget_->height(); }
int TControl::ClientWidth() const { return ClientHandle()->width(); }
int TControl::ClientHeight() const { return ClientHandle()->height(); }
void TControl::SetClientWidth(int w) { SetWidth(Width() - ClientWidth() + w); }
void TControl::SetClientHeight(int h) { SetHeight(Height() - ClientHeight() + h); }

void TControl::SetBounds(int left, int top, int width, int height) {
  widget_->setGeometry(left, top, std::max(0, width), std::max(0, height));
  DoResize();
  if (parent_) parent_->Realign();
}

TPoint TControl::ClientToScreen(TPoint p) const {
  QPoint g = ClientHandle()->mapToGlobal(QPoint(p.X, p.Y));
  return {g.x(), g.y()};
}

TPoint TControl::ScreenToClient(TPoint p) const {
  QPoint l = ClientHandle()->mapFromGlobal(QPoint(p.X, p.Y));
  return {l.x(), l.y()};
}

void TControl::SetAlign(TAlign a) {
  align_ = a;
  if (parent_) parent_->Realign();
}

void TControl::Realign() {
  if (realigning_) return;
  realigning_ = true;
  TRect area = AlignRect();
  int l = area.Left, t = area.Top, r = area.Right, b = area.Bottom;
  // A container placed here lays out its own children at once: a hidden
  // window gets no resize events until it shows.
  auto place = [](TControl* c, int x, int y, int w, int h) {
    c->widget_->setGeometry(x, y, std::max(0, w), std::max(0, h));
    c->DoResize();
  };
  auto of = [&](TAlign a) {
    std::vector<TControl*> v;
    for (TControl* c : controls_)
      if (c->align_ == a && c->visible_) v.push_back(c);
    return v;
  };
  auto tops = of(alTop);
  std::stable_sort(tops.begin(), tops.end(), [](TControl* x, TControl* y) { return x->Top() < y->Top(); });
  for (TControl* c : tops) {
    place(c, l, t, r - l, c->Height());
    t += c->Height();
  }
  auto bottoms = of(alBottom);
  std::stable_sort(bottoms.begin(), bottoms.end(), [](TControl* x, TControl* y) { return x->Top() > y->Top(); });
  for (TControl* c : bottoms) {
    place(c, l, b - c->Height(), r - l, c->Height());
    b -= c->Height();
  }
  auto lefts = of(alLeft);
  std::stable_sort(lefts.begin(), lefts.end(), [](TControl* x, TControl* y) { return x->Left() < y->Left(); });
  for (TControl* c : lefts) {
    place(c, l, t, c->Width(), b - t);
    l += c->Width();
  }
  auto rights = of(alRight);
  std::stable_sort(rights.begin(), rights.end(), [](TControl* x, TControl* y) { return x->Left() > y->Left(); });
  for (TControl* c : rights) {
    place(c, r - c->Width(), t, c->Width(), b - t);
    r -= c->Width();
  }
  for (TControl* c : of(alClient)) place(c, l, t, r - l, b - t);
  realigning_ = false;
}

void TControl::KeyDown(Word& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}
void TControl::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}
void TControl::KeyUp(Word& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}
void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::DoResize() {
  Realign();
  // OnResize runs once per new size, whether the size came from code or
  // from the window system.
  int w = widget_->width(), h = widget_->height();
  if (w == notifiedWidth_ && h == notifiedHeight_) return;
  notifiedWidth_ = w;
  notifiedHeight_ = h;
  if (OnResize) OnResize(this);
}

TRect TControl::AlignRect() const {
  QWidget* client = ClientHandle();
  return Rect(0, 0, client->width(), client->height());
}

void TControl::SetVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  ApplyVisibility();
  if (parent_) parent_->Realign();
}

void TControl::ApplyVisibility() {
  bool show = visible_ && (parent_ != nullptr || widget_->isWindow());
  if (!parent_ && !dynamic_cast<TForm*>(this)) show = false;
  widget_->setVisible(show);
}

bool TControl::Showing() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return ParentForm() != nullptr;
}

void TControl::SetEnabled(bool e) {
  enabled_ = e;
  widget_->setEnabled(e);
}

void TControl::SetCaption(const AnsiString& text) { caption_ = text; }

void TControl::SetHint(const AnsiString& hint) {
  hint_ = hint;
  // "short|long": the tooltip shows the short part.
  widget_->setToolTip(detail::ToQ(hint.substr(0, hint.find('|'))));
}

bool TControl::ShowHint() const {
  if (parentShowHint_ && parent_) return parent_->ShowHint();
  return showHint_;
}

void TControl::SetShowHint(bool v) {
  showHint_ = v;
  parentShowHint_ = false;
}

void TControl::SetColor(TColor c) {
  color_ = c;
  ApplyColor();
}

void TControl::ApplyColor() {
  QPalette pal = widget_->palette();
  QColor bg = detail::ToQColor(color_);
  if (bg.isValid()) {
    pal.setColor(QPalette::Window, bg);
    pal.setColor(QPalette::Base, bg);
    widget_->setAutoFillBackground(true);
  }
  QColor fg = detail::ToQColor(font_.Color());
  if (fg.isValid()) {
    pal.setColor(QPalette::WindowText, fg);
    pal.setColor(QPalette::Text, fg);
    pal.setColor(QPalette::ButtonText, fg);
  }
  widget_->setPalette(pal);
}

void TControl::ApplyFont() {
  QFont f = widget_->font();
  if (!font_.Name().empty()) f.setFamily(detail::ToQ(font_.Name()));
  if (font_.Size() > 0) f.setPointSize(font_.Size());
  f.setBold(font_.Bold());
  f.setItalic(font_.Italic());
  f.setUnderline(font_.Underline());
  widget_->setFont(f);
}

void TControl::SetCursor(TCursor c) {
  cursor_ = c;
  if (const QCursor* own = detail::TableCursor(c)) {
    widget_->setCursor(*own);
    return;
  }
  switch (c) {
    case crHourGlass: widget_->setCursor(Qt::WaitCursor); break;
    case crCross: widget_->setCursor(Qt::CrossCursor); break;
    case crHandPoint: widget_->setCursor(Qt::PointingHandCursor); break;
    case crSizeWE:
    case crHSplit: widget_->setCursor(Qt::SizeHorCursor); break;
    case crSizeNS:
    case crVSplit: widget_->setCursor(Qt::SizeVerCursor); break;
    default: widget_->unsetCursor(); break;
  }
}

bool TControl::TabStop() const { return widget_->focusPolicy() & Qt::TabFocus; }
void TControl::SetTabStop(bool v) {
  widget_->setFocusPolicy(v ? Qt::StrongFocus
                            : (widget_->focusPolicy() & Qt::ClickFocus ? Qt::ClickFocus : Qt::NoFocus));
}

void TControl::SetAction(TAction* a) {
  if (action_) action_->RemoveClient(this);
  action_ = a;
  if (a) {
    a->AddClient(this);
    ActionChanged();
  }
}

void TControl::ActionChanged() {
  if (!action_) return;
  SetCaption(action_->Caption());
  SetEnabled(action_->Enabled());
  SetVisible(action_->Visible());
  SetHint(action_->Hint());
}

bool TControl::CanFocus() const { return Showing() && enabled_ && widget_->focusPolicy() != Qt::NoFocus; }
bool TControl::Focused() const {
  QWidget* f = QApplication::focusWidget();
  return f && detail::ControlOf(f) == this;
}
void TControl::SetFocus() {
  widget_->setFocus(Qt::OtherFocusReason);
  // Offscreen and inactive windows keep no focus widget: tell the handlers.
  if (QApplication::focusWidget() != widget_) {
    QFocusEvent fe(QEvent::FocusIn, Qt::OtherFocusReason);
    detail::AfterControlEvent(widget_, &fe);
  }
}
void TControl::Invalidate() { widget_->update(); }
void TControl::Repaint() { widget_->repaint(); }
void TControl::Update() { widget_->update(); }
void TControl::BringToFront() { widget_->raise(); }
void TControl::SendToBack() { widget_->lower(); }

void TControl::Click() {
  if (action_) {
    action_->Execute();
    // An action with its own handler is the click; OnClick is not run too.
    if (action_ && action_->OnExecute) return;
  }
  if (OnClick) OnClick(this);
}

bool TControl::WantsKey(Word) const { return false; }

}  // namespace gui
