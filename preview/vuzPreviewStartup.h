// Start-up and shut-down of the preview library: installs what the report
// core makes through hooks (the outline of prepared pages, the prepared-pages
// store a report creates) and the object hooks of the concrete classes.
#pragma once

namespace preview {

// Runs once (a nesting counter makes a second call do nothing).
void vuzPreviewStartup();
// Removes the hooks again; every report must be gone.
void vuzPreviewShutdown();

}  // namespace preview
