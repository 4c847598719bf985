// ShowMessage of scripts through the GUI layer's message box, for hosts that
// talk to the user (the computing units of the script library stay free of
// the GUI).
#pragma once

namespace script {

// From now on a script's ShowMessage shows a message box with an OK button
// and waits for it.
void fsUseGuiMessageBoxes();

}  // namespace script
