#pragma once
#include "platform/rtl/blocks_p.h"  // expect: internal
