// The RTF options dialog and the progress window of the writing step:
// installed at GUI start-up.
#pragma once

namespace report {

// Makes every TfrxRTFExport show the options dialog (and then the save
// dialog) when an export asks for its dialog, and a progress window with
// Cancel while it writes.
void vuzExportRTFGuiStartup();

}  // namespace report
