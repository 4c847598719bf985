// Internal to platform/rtl.
#pragma once
#include <unistd.h>
