#include "comm/line.h"  // expect: layer
#include "platform/rtl/strings.h"
