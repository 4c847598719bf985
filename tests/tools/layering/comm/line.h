#pragma once
#include "platform/serial/port.h"
