// Start-up and shut-down of the preview library: installs what the report
// core makes through hooks (the outline of prepared pages, the prepared-pages
// store a report creates, the printer a report selects, the paper new report
// pages take).
#pragma once

namespace preview {

// Runs once (a nesting counter makes a second call do nothing).
void vuzPreviewStartup();
// Removes the report and printer hooks again (the store's outline stays: it
// serves any store, and the library installs it when it loads).
void vuzPreviewShutdown();

}  // namespace preview
