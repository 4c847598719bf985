// The page settings and search dialogs' windows over their window-free
// model (vuzPageSettingsModel).
#pragma once
#include "platform/rtl/strings.h"
#include "report/vuzClass.h"

namespace report {
class TfrxReport;
}

namespace preview {

// Edits a prepared page's paper, orientation and margins in the designer's
// unit (read from the report's settings). True when confirmed with every
// field a number, the page changed; applyToAll: for every page.
bool vuzShowPageSettings(report::TfrxReport* report, report::TfrxComponent* page, bool& applyToAll);

// Asks for the text to find: the last confirmed text is offered, selected.
// False when cancelled (the remembered text is kept then).
bool vuzShowSearchDialog(rtl::AnsiString& text, bool& fromTop, bool& matchCase);

}  // namespace preview
