// Tells the report engine's new pages the current printer's default paper:
// the report layer cannot reach the printers (they live above it), so the
// program installs this once at start-up.
#pragma once

namespace preview {

// Sets the report pages' printer-defaults hook to read the current printer
// of vuzPrinters() (paper number, width, height and orientation); without
// a current printer the pages fall back to A4 portrait.
void vuzInstallPrinterDefaults();

}  // namespace preview
