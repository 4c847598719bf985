#include "report/dialogs_gui.h"  // expect: gui
#include "report/view.h"         // expect: gui
#include "report/xml.h"
