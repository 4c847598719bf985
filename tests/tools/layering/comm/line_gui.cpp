// expect: headless
// A GUI companion in a folder that must stay headless.
#include "comm/line.h"
