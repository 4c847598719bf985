// Synthetic input for tests: key presses and mouse clicks delivered through
// the same path as the desktop's, so KeyPreview, key filters, default buttons
// and click handlers run as they would for a user.
#pragma once
#include <memory>
#include <string>

#include "platform/gui/controls.h"

namespace gui::simulate {

// Presses and releases a key on the control (Enter: VK_RETURN, letters 'A'..).
// ch is the character typed (0: the one the key makes, none with Ctrl/Alt).
void PressKey(TControl& control, Word key, TShiftState shift = {}, char ch = 0);
// Types the characters one by one (1251 text).
void TypeText(TControl& control, const AnsiString& text);
// Presses and releases a mouse button at a point of the control.
void Click(TControl& control, int x, int y, TMouseButton button = mbLeft);
void DoubleClick(TControl& control, int x, int y);
// Turns the wheel over a point of the control (120 per notch, up positive).
void Wheel(TControl& control, int x, int y, int delta, TShiftState shift = {});
// Presses the left button at one point of the control, moves to another and
// releases there.
void Drag(TControl& control, int x1, int y1, int x2, int y2);
// The same with any button (a right-drag scrolls a chart).
void DragWith(TControl& control, TMouseButton button, int x1, int y1, int x2, int y2);
// Moves the pointer over the control to a point, no button held.
void MoveMouse(TControl& control, int x, int y);

// What a real dialog showed before the key was pressed in it.
struct TDialogSeen {
  bool Seen = false;
  AnsiString Title;
  AnsiString Text;       // a message box's text, else its labels' texts, a line each
  bool Grabbed = false;  // the picture was written
};

// For tests of real (unscripted) dialogs: once the next modal dialog of the
// toolkit is open, presses the key in it; a dialog still open a second later
// is closed, so a test never hangs. The result fills in when the dialog was
// found; with pngPath, the dialog is grabbed into that file first.
std::shared_ptr<const TDialogSeen> PressKeyInNextDialog(Word key, const std::string& pngPath = {});

}  // namespace gui::simulate
