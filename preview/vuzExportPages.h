// Which pages an export covers: the filter's page-range text (or the page
// the preview shows, when the filter asks for the current page), turned into
// 0-based page indices in ascending order, as the export driver walks them.
#pragma once
#include <vector>

#include "platform/rtl/strings.h"

namespace preview {

using rtl::AnsiString;

// previewPage is the preview's current page (1-based), 0 without a preview.
// Page numbers beyond pageCount are ignored; an empty text means every page.
// Text that is not a page list answers false with the conversion error's
// text in error, for the driver to report like any failure of an export.
bool vuzExportPageIndices(const AnsiString& pageNumbers, bool curPage, int previewPage, int pageCount,
                          std::vector<int>& indices, AnsiString& error);

}  // namespace preview
