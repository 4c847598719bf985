// What every export dialog shares, without a toolkit: the keys the
// page-number edit takes (the save dialog's first name is
// vuzExportSaveName, beside the HTML dialog's values).
#pragma once
#include "report/vuzClassServices.h"

namespace report {

// Digits, ",", "-" and backspace.
bool vuzExportPageNumberKey(char key);

}  // namespace report
