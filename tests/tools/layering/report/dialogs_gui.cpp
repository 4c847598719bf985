#include "report/dialogs_gui.h"

#include "platform/gui/forms.h"
#include "report/view.h"
#include "report/xml.h"
