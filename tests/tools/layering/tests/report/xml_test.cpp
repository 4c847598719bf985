#include <QWidget>

#include "app/window.h"
#include "platform/gui/forms.h"
#include "platform/rtl/blocks_p.h"  // expect: internal
