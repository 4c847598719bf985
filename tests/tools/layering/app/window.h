#pragma once
#include "report/xml.h"
