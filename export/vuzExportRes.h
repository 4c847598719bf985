// The export texts: captions, filters, progress messages and errors of the
// export filters and their dialogs, added to the process-wide language table
// (vuzResources) on first use. Readers ask vuzGet(number) or
// vuzResources().Get(name); a key without a text reads back as the key.
#pragma once
#include <string>
#include <vector>

#include "platform/rtl/strings.h"

namespace report {

// Adds the export texts to vuzResources() once per process (later calls do
// nothing). Every export filter and dialog calls it before reading a text.
void vuzLoadExportResources();

// One row of the export table: the key and its text as UTF-8.
struct TfrxExportText {
  const char* Name;
  const char* Text;
};
// The rows in table order.
const std::vector<TfrxExportText>& vuzExportTexts();
// The table as the built-in XML text (one line, UTF-8, root "Resources" with
// CodePage 1251, one StrRes per row).
const std::string& vuzExportResourceXML();

}  // namespace report
