#include "platform/gui/forms.h"

#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/menus.h"
#include "platform/gui/qt_bridge_p.h"
#include "platform/gui/stdctrls.h"
#include "platform/rtl/exceptions.h"

namespace gui {

namespace {
QMenuBar* MenuBarOf(QWidget* w) { return w->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly); }
}  // namespace

TForm::TForm(TComponent* owner) : TControl(owner) {
  auto* window = new QWidget(nullptr, Qt::Window);
  clientArea_ = new QWidget(window);
  Attach(window, clientArea_);
  window->hide();
  SetVisible(false);
  window->resize(320, 240);
  LayoutFrame();
  Screen->AddForm(this);
}

TForm::~TForm() {
  Destroying();
  try {
    if (OnDestroy) OnDestroy(this);
  } catch (...) {
    detail::HandleCurrentException();
  }
  if (Application->MainForm() == this) Application->SetMainForm(nullptr);
  Screen->RemoveForm(this);
}

QWidget* TForm::ClientHandle() const { return clientArea_; }

void TForm::SetCaption(const AnsiString& text) {
  TControl::SetCaption(text);
  Handle()->setWindowTitle(detail::ToQ(text));
}

void TForm::LayoutFrame() {
  int menuHeight = 0;
  if (QMenuBar* bar = MenuBarOf(Handle())) {
    if (menu_) {
      menuHeight = bar->sizeHint().height();
      bar->setGeometry(0, 0, Handle()->width(), menuHeight);
      bar->show();
    } else {
      bar->hide();
    }
  }
  clientArea_->setGeometry(0, menuHeight, Handle()->width(), std::max(0, Handle()->height() - menuHeight));
}

void TForm::DoResize() {
  LayoutFrame();
  TControl::DoResize();
}

void TForm::SetBounds(int left, int top, int width, int height) {
  QWidget* w = Handle();
  if (constraints_.MinWidth > 0) width = std::max(width, constraints_.MinWidth);
  if (constraints_.MinHeight > 0) height = std::max(height, constraints_.MinHeight);
  if (constraints_.MaxWidth > 0) width = std::min(width, constraints_.MaxWidth);
  if (constraints_.MaxHeight > 0) height = std::min(height, constraints_.MaxHeight);
  // The size is the window's own, the position its frame's: a window placed
  // at 0, 0 keeps its title bar on screen.
  if (FixedSize()) {
    // Code may still size a fixed window: the fixed size follows it.
    w->setMinimumSize(0, 0);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  w->resize(std::max(0, width), std::max(0, height));
  if (FixedSize()) ApplySizeLimits();
  w->move(left, top);
  normalPos_ = {left, top};
  DoResize();
}

void TForm::NoteMoved() {
  if (Handle()->isVisible() && WindowState() == wsNormal) normalPos_ = {Left(), Top()};
}

int TForm::ClientWidth() const { return clientArea_->width(); }
int TForm::ClientHeight() const { return clientArea_->height(); }
void TForm::SetClientWidth(int w) { SetBounds(Left(), Top(), w, Height()); }
void TForm::SetClientHeight(int h) { SetBounds(Left(), Top(), Width(), h + (Height() - ClientHeight())); }

TRect TForm::NormalBounds() const {
  const QWidget* w = Handle();
  if (WindowState() == wsNormal) return BoundsRect();
  QRect r = w->normalGeometry();
  if (!r.isValid()) r = w->geometry();
  // The toolkit's normal position is the frame's only until the window has
  // been shown normal: the position is kept apart, as the frame's.
  return Bounds(normalPos_.X, normalPos_.Y, r.width(), r.height());
}

void TForm::SetConstraints(const TSizeConstraints& c) {
  constraints_ = c;
  ApplySizeLimits();
  SetBounds(Left(), Top(), Width(), Height());
}

void TForm::ApplySizeLimits() {
  QWidget* w = Handle();
  if (FixedSize()) {
    // Equal minimum and maximum sizes: the window manager offers no resizing.
    w->setFixedSize(w->size());
    return;
  }
  const TSizeConstraints& c = constraints_;
  w->setMinimumSize(c.MinWidth, c.MinHeight);
  w->setMaximumSize(c.MaxWidth > 0 ? c.MaxWidth : QWIDGETSIZE_MAX, c.MaxHeight > 0 ? c.MaxHeight : QWIDGETSIZE_MAX);
}

void TForm::SetBorderStyle(TFormBorderStyle s) {
  borderStyle_ = s;
  ApplyWindowFlags();
  ApplySizeLimits();
}

void TForm::SetFormStyle(TFormStyle s) {
  formStyle_ = s;
  ApplyWindowFlags();
}

void TForm::ApplyWindowFlags() {
  QWidget* w = Handle();
  bool wasVisible = w->isVisible();
  Qt::WindowFlags f = Qt::Window;
  switch (borderStyle_) {
    case bsNone: f |= Qt::FramelessWindowHint; break;
    // A dialog has a title and a close box only: no minimising, no maximising.
    case bsDialog: f = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
    // A single border may be minimised, as on the desktop the forms were
    // made for, but not maximised: its size is fixed.
    case bsSingle:
      f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint;
      break;
    case bsToolWindow:
    case bsSizeToolWin: f = Qt::Tool; break;
    case bsSizeable: break;
  }
  if (formStyle_ == fsStayOnTop) f |= Qt::WindowStaysOnTopHint;
  w->setWindowFlags(f);
  if (wasVisible) w->show();
}

void TForm::SetMenu(TMainMenu* m) {
  menu_ = m;
  QMenuBar* bar = MenuBarOf(Handle());
  if (m && !bar) bar = new QMenuBar(Handle());
  if (m) m->Items()->SetTarget(bar);
  LayoutFrame();
  Realign();
}

void TForm::PlaceOnShow() {
  QWidget* w = Handle();
  auto centreOn = [&](QRect area) {
    QRect want(area.x() + (area.width() - w->width()) / 2, area.y() + (area.height() - w->height()) / 2, w->width(),
               w->height());
    w->setGeometry(want);
  };
  QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry() : QRect();
  TForm* other = nullptr;
  if (position_ == poMainFormCenter) other = Application->MainForm();
  if (position_ == poOwnerFormCenter) other = dynamic_cast<TForm*>(Owner());
  switch (position_) {
    case poScreenCenter:
    case poDesktopCenter: centreOn(screen); break;
    case poMainFormCenter:
    case poOwnerFormCenter:
      if (other && other != this && other->Visible())
        centreOn(other->Handle()->geometry());
      else
        centreOn(screen);
      break;
    default: break;
  }
}

void TForm::SetVisible(bool v) {
  if (v == Visible() && v == Handle()->isVisible()) return;
  if (v) {
    bool first = !shownOnce_;
    shownOnce_ = true;
    if (first) PlaceOnShow();
    if (OnShow) OnShow(this);
    TControl::SetVisible(true);
    LayoutFrame();
    Realign();
    FocusFirstControl();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) Handle()->raise();
    Handle()->activateWindow();
    Screen->NoteActivated(this);
  } else {
    if (OnHide && Handle()->isVisible()) OnHide(this);
    TControl::SetVisible(false);
  }
}

TWindowState TForm::WindowState() const {
  Qt::WindowStates s = Handle()->windowState();
  if (s & Qt::WindowMinimized) return wsMinimized;
  if (s & (Qt::WindowMaximized | Qt::WindowFullScreen)) return wsMaximized;
  return wsNormal;
}

void TForm::SetWindowState(TWindowState s) {
  Qt::WindowStates q = s == wsMaximized   ? Qt::WindowMaximized
                       : s == wsMinimized ? Qt::WindowMinimized
                                          : Qt::WindowNoState;
  // The window system applies the state (and the new size) asynchronously;
  // the resize that follows lays the form out.
  Handle()->setWindowState(q);
  LayoutFrame();
  Realign();
}

void TForm::SetModalResult(TModalResult r) {
  modalResult_ = r;
  if (r != mrNone && modalLoop_) modalLoop_->quit();
}

TModalResult TForm::ShowModal() {
  if (Visible() || !Enabled()) throw rtl::EInvalidOperation("Cannot make a visible window modal");
  QWidget* w = Handle();
  modalResult_ = mrNone;
  w->setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  modalLoop_ = &loop;
  Application->EnterModal(&loop);
  struct Restore {
    TForm* f;
    QEventLoop* loop;
    ~Restore() {
      f->modalLoop_ = nullptr;
      Application->LeaveModal(loop);
      f->Handle()->setWindowModality(Qt::NonModal);
    }
  } restore{this, &loop};

  std::function<void(TForm&)> script;
  DialogScript* scripting = DialogScript::Current();
  bool scripted = scripting && scripting->TakeModal(script);
  Show();
  if (scripted) {
    QTimer::singleShot(0, context_, [this, script] { detail::Guarded([&] { script(*this); }); });
  } else if (scripting) {
    // Under a test script a modal form nobody answers is cancelled.
    QTimer::singleShot(0, context_, [this] {
      if (modalResult_ == mrNone) SetModalResult(mrCancel);
    });
  }
  for (;;) {
    if (modalResult_ == mrNone && !Application->Terminated()) loop.exec();
    if (Application->Terminated()) {
      if (modalResult_ == mrNone) modalResult_ = mrCancel;
      break;
    }
    if (modalResult_ == mrNone) continue;
    // Closing a modal form still asks OnCloseQuery and OnClose.
    bool can = true;
    TCloseAction action = caHide;
    detail::Guarded([&] {
      can = CloseQuery();
      if (can && OnClose) OnClose(this, action);
    });
    if (!can || action == caNone) {
      modalResult_ = mrNone;
      continue;
    }
    break;
  }
  Hide();
  return modalResult_;
}

bool TForm::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

void TForm::Close() {
  if (closing_) return;
  if (Modal()) {
    SetModalResult(mrCancel);
    return;
  }
  closing_ = true;
  struct Reset {
    bool& b;
    ~Reset() { b = false; }
  } reset{closing_};
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  if (Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree:
      Hide();
      Release();
      break;
    default: break;
  }
}

bool TForm::HandleCloseRequest() {
  Close();
  return true;
}

void TForm::Release() {
  QTimer::singleShot(0, QCoreApplication::instance(), [this] {
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (Screen->Forms(i) == this) {
        delete this;
        return;
      }
  });
}

bool TForm::DragStep(bool press, int globalX, int globalY) {
  if (!dragByBody_) return false;
  if (press) {
    dragging_ = true;
    dragFrom_ = {globalX, globalY};
    return false;
  }
  if (!dragging_) return false;
  SetBounds(Left() + globalX - dragFrom_.X, Top() + globalY - dragFrom_.Y, Width(), Height());
  dragFrom_ = {globalX, globalY};
  return true;
}

bool TForm::Active() const { return Handle()->isActiveWindow(); }

void TForm::SetFocus() {
  Handle()->activateWindow();
  Screen->NoteActivated(this);
}

TControl* TForm::ActiveControl() const {
  QWidget* f = Handle()->focusWidget();
  TControl* c = f ? detail::ControlOf(f) : nullptr;
  return c == this ? nullptr : c;
}

void TForm::SetActiveControl(TControl* c) {
  if (c) c->SetFocus();
}

namespace {
TControl* FirstTabStop(const TControl* container) {
  std::vector<TControl*> children;
  for (int i = 0; i < container->ControlCount(); ++i) children.push_back(container->Controls(i));
  std::stable_sort(children.begin(), children.end(),
                   [](const TControl* a, const TControl* b) { return a->TabOrder() < b->TabOrder(); });
  for (TControl* c : children) {
    // Visible here means within the form: the form itself may not be shown yet.
    if (!c->Visible() || !c->Enabled()) continue;
    if (c->TabStop()) return c;
    if (TControl* inner = FirstTabStop(c)) return inner;
  }
  return nullptr;
}
}  // namespace

TControl* TForm::FirstTabControl() const { return FirstTabStop(this); }

void TForm::FocusFirstControl() {
  // A control focused by code (in OnShow, or left from the last showing)
  // keeps the focus; otherwise the first one the user could tab to takes it,
  // so typing goes into the dialog at once.
  QWidget* current = Handle()->focusWidget();
  if (current && current != Handle() && current->isVisible() && current->isEnabled()) return;
  if (TControl* first = FirstTabControl()) first->SetFocus();
}

bool TForm::OpenMainMenu() {
  QMenuBar* bar = menu_ ? MenuBarOf(Handle()) : nullptr;
  if (!bar || !bar->isVisible()) return false;
  for (QAction* a : bar->actions()) {
    if (a->isVisible() && a->isEnabled() && !a->isSeparator()) {
      bar->setActiveAction(a);
      return true;
    }
  }
  return false;
}

bool GrabToPng(TControl& control, const AnsiString& fileName) {
  QPixmap p = control.Handle()->grab();
  return p.save(detail::ToQ(fileName), "PNG");
}

TGrabbedImage GrabImage(TControl& control) {
  QImage img = control.Handle()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  TGrabbedImage out;
  out.Width = img.width();
  out.Height = img.height();
  out.Pixels.resize(static_cast<std::size_t>(out.Width) * out.Height);
  for (int y = 0; y < out.Height; ++y) {
    auto* row = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y));
    std::copy(row, row + out.Width, out.Pixels.begin() + static_cast<std::ptrdiff_t>(y) * out.Width);
  }
  return out;
}

}  // namespace gui

namespace gui {

void GrabToBitmap(TControl& control, gfx::TBitmap& out) {
  TGrabbedImage img = GrabImage(control);
  for (auto& p : img.Pixels) p &= 0xFFFFFFu;
  out.SetPixelFormat(gfx::pf24bit);
  out.SetSize(img.Width, img.Height);
  if (!img.Pixels.empty()) out.FromRGB32(img.Pixels.data());
}

}  // namespace gui
