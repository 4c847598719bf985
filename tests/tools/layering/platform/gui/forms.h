#pragma once
#include <QWidget>

#include "platform/rtl/strings.h"
