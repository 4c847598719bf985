#include "platform/gui/simulate.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWheelEvent>
#include <functional>
#include <memory>

#include "platform/gui/qt_bridge_p.h"

namespace gui::simulate {

namespace {

QWidget* KeyTarget(TControl& control) {
  QWidget* w = control.Handle();
  // Composite widgets pass their keys to the widget that takes the focus.
  if (QWidget* proxy = w->focusProxy()) w = proxy;
  return w;
}

Qt::KeyboardModifiers ModsOf(TShiftState s) {
  Qt::KeyboardModifiers m;
  if (s.Contains(TShiftState::ssShift)) m |= Qt::ShiftModifier;
  if (s.Contains(TShiftState::ssCtrl)) m |= Qt::ControlModifier;
  if (s.Contains(TShiftState::ssAlt)) m |= Qt::AltModifier;
  return m;
}

QString TextOf(Word key, TShiftState shift, char ch) {
  if (ch) return detail::ToQ(std::string_view(&ch, 1));
  if (shift.Contains(TShiftState::ssCtrl) || shift.Contains(TShiftState::ssAlt)) return {};
  if (key == VK_RETURN) return QStringLiteral("\r");
  if (key == VK_ESCAPE) return QString(QChar(27));
  if (key == VK_BACK) return QStringLiteral("\b");
  if (key == VK_SPACE) return QStringLiteral(" ");
  if (key >= '0' && key <= '9') return QString(QChar(key));
  if (key >= 'A' && key <= 'Z') return QString(QChar(shift.Contains(TShiftState::ssShift) ? key : key + 32));
  return {};
}

}  // namespace

void PressKey(TControl& control, Word key, TShiftState shift, char ch) {
  QWidget* target = KeyTarget(control);
  int qtKey = detail::QtKeyOf(key);
  if (qtKey == 0 && ch) qtKey = Qt::Key_unknown;
  QString text = TextOf(key, shift, ch);
  QKeyEvent press(QEvent::KeyPress, qtKey, ModsOf(shift), text);
  QCoreApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, qtKey, ModsOf(shift), text);
  QCoreApplication::sendEvent(target, &release);
}

void TypeText(TControl& control, const AnsiString& text) {
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    Word key = (u >= 'a' && u <= 'z')                             ? static_cast<Word>(u - 32)
               : (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') ? u
                                                                  : 0;
    PressKey(control, key, {}, c);
  }
}

namespace {
void SendMouse(TControl& control, int x, int y, TMouseButton button, bool dbl) {
  QWidget* top = control.Handle();
  QPoint p(x, y);
  QWidget* target = top->childAt(p);
  if (!target) target = top;
  QPoint local = target->mapFrom(top, p);
  QPointF global = top->mapToGlobal(QPointF(p));
  Qt::MouseButton b = button == mbRight ? Qt::RightButton : button == mbMiddle ? Qt::MiddleButton : Qt::LeftButton;
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(local), global, b, b, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(local), global, b, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &release);
  if (dbl) {
    QMouseEvent dblPress(QEvent::MouseButtonDblClick, QPointF(local), global, b, b, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dblPress);
    QMouseEvent dblRelease(QEvent::MouseButtonRelease, QPointF(local), global, b, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dblRelease);
  }
}
}  // namespace

void Wheel(TControl& control, int x, int y, int delta, TShiftState shift) {
  QWidget* top = control.Handle();
  QWidget* target = top->childAt(QPoint(x, y));
  if (!target) target = top;
  QPointF local = QPointF(target->mapFrom(top, QPoint(x, y)));
  QPointF global = top->mapToGlobal(QPointF(x, y));
  QWheelEvent ev(local, global, QPoint(), QPoint(0, delta), Qt::NoButton, ModsOf(shift), Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(target, &ev);
}

void DragWith(TControl& control, TMouseButton button, int x1, int y1, int x2, int y2) {
  QWidget* top = control.Handle();
  QWidget* target = top->childAt(QPoint(x1, y1));
  if (!target) target = top;
  Qt::MouseButton b = button == mbRight ? Qt::RightButton : button == mbMiddle ? Qt::MiddleButton : Qt::LeftButton;
  auto send = [&](QEvent::Type type, int x, int y, Qt::MouseButtons held) {
    QPoint local = target->mapFrom(top, QPoint(x, y));
    QPointF global = top->mapToGlobal(QPointF(x, y));
    QMouseEvent ev(type, QPointF(local), global, type == QEvent::MouseMove ? Qt::NoButton : b, held, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &ev);
  };
  send(QEvent::MouseButtonPress, x1, y1, b);
  send(QEvent::MouseMove, x2, y2, b);
  send(QEvent::MouseButtonRelease, x2, y2, Qt::NoButton);
}

void Drag(TControl& control, int x1, int y1, int x2, int y2) { DragWith(control, mbLeft, x1, y1, x2, y2); }

void MoveMouse(TControl& control, int x, int y) {
  QWidget* top = control.Handle();
  QWidget* target = top->childAt(QPoint(x, y));
  if (!target) target = top;
  QPoint local = target->mapFrom(top, QPoint(x, y));
  QPointF global = top->mapToGlobal(QPointF(x, y));
  QMouseEvent ev(QEvent::MouseMove, QPointF(local), global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &ev);
}

void Click(TControl& control, int x, int y, TMouseButton button) { SendMouse(control, x, y, button, false); }
void DoubleClick(TControl& control, int x, int y) { SendMouse(control, x, y, mbLeft, true); }

std::shared_ptr<const TDialogSeen> PressKeyInNextDialog(Word key, const std::string& pngPath) {
  detail::EnsureQtApp();
  auto seen = std::make_shared<TDialogSeen>();
  auto tries = std::make_shared<int>(0);
  // The step holds itself only weakly (a strong hold would be a cycle that
  // is never freed); each pending timer holds it strongly until it runs.
  auto step = std::make_shared<std::function<void()>>();
  std::weak_ptr<std::function<void()>> weak = step;
  *step = [key, tries, weak, seen, pngPath] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) {
      if (auto self = weak.lock(); self && ++*tries < 500) QTimer::singleShot(2, [self] { (*self)(); });
      return;
    }
    seen->Seen = true;
    seen->Title = detail::FromQ(modal->windowTitle());
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      seen->Text = detail::FromQ(box->text());
    } else {
      for (QLabel* label : modal->findChildren<QLabel*>())
        if (label->isVisible() && !label->text().isEmpty()) seen->Text += detail::FromQ(label->text()) + "\n";
    }
    if (!pngPath.empty()) seen->Grabbed = modal->grab().save(QString::fromStdString(pngPath), "PNG");
    QPointer<QWidget> open(modal);
    QWidget* target = modal->focusWidget() ? modal->focusWidget() : modal;
    int qtKey = detail::QtKeyOf(key);
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
    QTimer::singleShot(1000, [open] {
      if (auto* d = qobject_cast<QDialog*>(open.data())) d->reject();
    });
  };
  QTimer::singleShot(0, [step] { (*step)(); });
  return seen;
}

}  // namespace gui::simulate
