#include "app/window.h"

#include "platform/gui/forms.h"
#include "report/dialogs_gui.h"
