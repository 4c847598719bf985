// The utilities that need the GUI: a control's repaint, and the finder of
// the application's global components (its forms; the program has no data
// modules or frames) that dotted names in templates are looked up through.
#pragma once
#include "platform/gui/controls.h"

namespace report {

// Repaints the control now, or, without repaint, has its pending paint done.
void vuzUpdateControl(gui::TWinControl* control, bool repaint);

// Installs vuzSetGlobalComponentFinder and vuzSetGlobalComponentLister over
// the screen's forms ("Form1.vuzReport1" finds the report on the window
// named Form1). The program calls it at start-up.
void vuzInstallFormComponentFinder();

}  // namespace report
