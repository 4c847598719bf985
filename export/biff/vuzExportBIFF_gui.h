// The workbook export's options dialog: installed at GUI start-up as the
// filter's dialog.
#pragma once

namespace report {

// Makes every TfrxBIFFExport show the options dialog (and then the save
// dialog) when an export asks for its dialog.
void vuzExportBIFFGuiStartup();

}  // namespace report
