// Start-up and shut-down of the export filters: one filter of each kind,
// created with its stored settings and registered in vuzExportFilters (in
// the order the preview's export menu lists them), kept for the process's
// life. Both the program and the report tool call it once at start.
#pragma once

namespace report {

// Creates and registers the filters; a second call does nothing until the
// shut-down.
void vuzExportStartup();
// Frees the filters, which unregisters them.
void vuzExportShutdown();

}  // namespace report
