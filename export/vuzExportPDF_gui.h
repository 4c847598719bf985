// The PDF options dialog: installed at GUI start-up as the filter's dialog.
#pragma once

namespace report {

// Makes every TfrxPDFExport show the options dialog (and then the save
// dialog) when an export asks for its dialog.
void vuzExportPDFGuiStartup();

}  // namespace report
