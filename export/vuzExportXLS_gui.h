// The spreadsheet export's options dialog: installed at GUI start-up as the
// filter's dialog.
#pragma once

namespace report {

// Makes every TfrxXLSExport show the options dialog (and then the save
// dialog) when an export asks for its dialog.
void vuzExportXLSGuiStartup();

}  // namespace report
