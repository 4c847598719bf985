// expect: table
#include "report/xml.h"
