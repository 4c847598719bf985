#include "platform/rtl/strings.h"

#include <sys/stat.h>

#include "blocks_p.h"
#include "platform/rtl/blocks_p.h"
#include "report/xml.h"  // expect: layer
