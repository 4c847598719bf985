// The text export's two windows: the options dialog with its live preview
// and the printer dialog shown before printing the exported file.
#pragma once

namespace report {

class TfrxTXTExport;

// Makes every TfrxTXTExport show the options dialog (then the save dialog)
// when an export asks for its dialog, and the printer dialog before it
// prints.
void vuzExportTXTGuiStartup();

// The two windows, shown modally; each answers the modal result. Their
// controls carry the names of the form they stand for ("CB_OEM",
// "BtnPreview", "CB1", "ComboBox1"...), so a test reaches them by name.
int vuzShowTXTExportDialog(TfrxTXTExport& filter);
int vuzShowPrnInitDialog(TfrxTXTExport& filter);

}  // namespace report
