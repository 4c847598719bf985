// expect: build-folder
#include "report/xml.h"
