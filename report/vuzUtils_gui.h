// The utilities that need the GUI: the handlers through which the report
// engine talks to the user, a control's repaint, and the finder of the
// application's global components (its forms; the program has no data
// modules or frames) that dotted names in templates are looked up through.
#pragma once
#include <memory>

#include "platform/gui/controls.h"

namespace report {

class TfrxDialogPage;
class TfrxDialogWindow;
class TfrxTimer;

// Installs the GUI's handlers in vuzGuiHooks: message boxes, the message
// pump, the progress window, the password dialog, dialog-page windows and
// the start timer. ReportClassesGuiStartup calls it; tests of windows call
// it alone.
void vuzUseGuiHandlers();

// The GUI pieces the handlers make (vuzClassReport_gui.cpp and
// vuzDialogPage_gui.cpp).
std::unique_ptr<TfrxTimer> vuzCreateGuiTimer();
std::unique_ptr<TfrxDialogWindow> vuzCreateDialogForm(TfrxDialogPage& page);

// Repaints the control now, or, without repaint, has its pending paint done.
void vuzUpdateControl(gui::TWinControl* control, bool repaint);

// Installs vuzSetGlobalComponentFinder and vuzSetGlobalComponentLister over
// the screen's forms ("Form1.vuzReport1" finds the report on the window
// named Form1). The program calls it at start-up.
void vuzInstallFormComponentFinder();

}  // namespace report
