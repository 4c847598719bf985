// The folder-picking dialog of the export filters' file helpers.
#pragma once
#include "platform/rtl/strings.h"

namespace report {

// Lets the user pick a folder, starting at path, with the title; answers
// the chosen folder, or path when the dialog is cancelled, in both cases
// with a trailing "/" (an empty answer stays empty).
rtl::AnsiString BrowseDialog(const rtl::AnsiString& path, const rtl::AnsiString& title);

}  // namespace report
