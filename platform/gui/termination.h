// Ending the program when the desktop or the terminal asks for it: SIGTERM
// (logging out, `kill`) and SIGINT (Ctrl+C) close the main form as the user
// would, so its close handler saves the settings and the program ends
// normally with exit status 0, also while a modal box, dialog or device
// exchange is open: those end as cancelled.
#pragma once

namespace gui {

// Installs the handlers; call once after Application->Initialize(). The
// signal is only noted in the handler; the form closes in the message loop.
void CloseMainFormOnTerminationSignals();

}  // namespace gui
