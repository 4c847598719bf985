// Platform-internal: what the GUI units share about Qt. Only .cpp files of this
// folder include it; the public headers stay free of Qt.
#pragma once
#include <QColor>
#include <QKeySequence>
#include <QString>
#include <QWidget>
#include <string_view>

#include "platform/gui/types.h"

namespace gui {
class TControl;
}

namespace gui::detail {

// Creates the Qt application object on first use (every widget needs it).
void EnsureQtApp();
// The cursor the screen's table holds under the number, or null.
const QCursor* TableCursor(TCursor c);

// 1251 bytes <-> Qt text.
QString ToQ(std::string_view ansi);
AnsiString FromQ(const QString& s);
// "&Файл" keeps its accelerator; a lone "&&" is a literal ampersand in both.
QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);

// Key codes and modifiers.
Word KeyCodeOf(int qtKey);
int QtKeyOf(Word key);
TShiftState ShiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons = Qt::NoButton);
QKeySequence ToKeySequence(TShortCut sc);

// The control a widget belongs to (its own widget or any widget inside it).
void RegisterWidget(QObject* w, TControl* c);
void UnregisterWidget(QObject* w);
TControl* ControlOf(QObject* w);
// The control registered for exactly this widget, or nullptr.
TControl* ControlAt(QObject* w);

// Disposes of a toolkit object that may be emitting the signal whose handler
// is destroying its owner (a timer freed in its own OnTimer): its signals
// are cut now, the object itself goes once control is back in the loop.
void DisposeLater(QObject* o);

// Runs a handler from a Qt callback: an exception never crosses Qt's frames;
// it goes to the application's exception handler instead.
void HandleCurrentException();
template <class F>
void Guarded(F&& f) {
  try {
    f();
  } catch (...) {
    HandleCurrentException();
  }
}

// Dispatches the key, mouse, resize, close and context-menu events of our
// controls; true when the event was consumed.
bool DispatchControlEvent(QObject* receiver, QEvent* e);
// Runs after Qt has delivered the event (mouse, focus, resize, activation).
void AfterControlEvent(QObject* receiver, QEvent* e);
void ForgetFocus(TControl* c);

}  // namespace gui::detail
