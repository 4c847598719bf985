#pragma once
#include "platform/rtl/strings.h"
