// The print dialog's window over its window-free model
// (vuzPrintDialogModel): printer, pages, copies, order, duplex, print mode
// with its sheet, and printing into a file.
#pragma once
#include "preview/vuzPreviewHost.h"

namespace preview {

// Shows the dialog for a report's print settings; true when confirmed, with
// the settings written back (the chosen printer is current already).
bool vuzShowPrintDialog(TfrxComponent* report, TfrxPrintSettings& settings);

}  // namespace preview
