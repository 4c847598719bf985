#include "app/window.h"
#include "platform/gui/forms.h"  // expect: gui
