// What every export dialog shares, without a toolkit: the save dialog's
// first file name and the keys the page-number edit takes.
#pragma once
#include "report/vuzClassServices.h"

namespace report {

// FileName when set (or when exporting to the temporary folder), else the
// report's file name without folder ("/" read as "\"), with DefaultExt.
AnsiString vuzExportSaveName(const TfrxCustomExportFilter& filter);
// Digits, ",", "-" and backspace.
bool vuzExportPageNumberKey(char key);

}  // namespace report
