// Synthetic input for tests: key presses and mouse clicks delivered through
// the same path as the desktop's, so KeyPreview, key filters, default buttons
// and click handlers run as they would for a user.
#pragma once
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

// For tests of real (unscripted) dialogs: once the next modal dialog of the
// toolkit is open, presses the key in it; a dialog still open a second later
// is closed, so a test never hangs.
void PressKeyInNextDialog(Word key);

}  // namespace gui::simulate
