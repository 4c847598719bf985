#include <unistd.h>

#include "platform/rtl/blocks_p.h"
