// The GUI's objects are the runtime's components: a control belongs to its
// owner, which destroys it (last created first) when it is destroyed itself.
#pragma once
#include "platform/gui/types.h"
#include "platform/rtl/components.h"

namespace gui {

using rtl::TComponent;
using rtl::TObject;

}  // namespace gui
