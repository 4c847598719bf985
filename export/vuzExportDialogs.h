// What the filters' option dialogs share, without a toolkit: the save
// dialog's first name and the keys a page-number edit takes.
#pragma once
#include "report/vuzClassServices.h"

namespace report {

// FileName when set (or when exporting to the temporary folder, where no
// save dialog is asked), else the report's file name without its folder and
// with the filter's DefaultExt; "" when the report has no file name.
AnsiString vuzExportSaveName(const TfrxCustomExportFilter& filter);
// Digits, ",", "-" and backspace.
bool vuzPageNumberKey(char key);

}  // namespace report
