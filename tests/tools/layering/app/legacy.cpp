// Listed as known-gui: reported as a note, not a fault.
#include "platform/gui/forms.h"
