// The export filters the main window places on its form, created in the order
// the preview's export menu lists them, each with the settings the window
// stores. The main window owns its set; the report tool and the tests make
// the same set through TReportEngineStartup.
#pragma once

namespace rtl {
class TComponent;
}

namespace app {

// Creates the filters, owned (and so freed) by owner; each registers itself
// in the report engine's filter list as it is made.
void CreateRecorderExportFilters(rtl::TComponent* owner);

}  // namespace app
