// A model header that pulls in the GUI.
#pragma once
#include "platform/gui/forms.h"  // expect: gui
