// The picture exports' options dialog.
#pragma once

namespace report {

class TfrxCustomImageExport;

// Makes every picture filter show the options dialog (then the save dialog)
// when an export asks for its dialog.
void vuzExportImageGuiStartup();

// The window, shown modally; answers the modal result. Its controls carry
// the names of the form ("Quality", "Resolution", "SeparateCB"...), so a test
// reaches them by name.
int vuzShowIMGExportDialog(TfrxCustomImageExport& filter);

}  // namespace report
