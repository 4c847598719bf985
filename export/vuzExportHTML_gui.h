// The HTML and OpenDocument options dialogs: installed at GUI start-up as the
// filters' dialogs.
#pragma once

namespace report {

// Makes every TfrxHTMLExport show its options dialog (and then the save
// dialog) when an export asks for its dialog.
void vuzExportHTMLGuiStartup();
// The same for the OpenDocument spreadsheet and text filters.
void vuzExportODFGuiStartup();

}  // namespace report
