#include "preview/vuzPreviewStartup.h"

#include "preview/vuzPreviewPages.h"

namespace preview {

namespace {
int g_nesting = 0;
}  // namespace

void vuzPreviewStartup() {
  if (g_nesting++ > 0) return;
  vuzInstallStoreOutline();
}

void vuzPreviewShutdown() {
  if (g_nesting == 0 || --g_nesting > 0) return;
  report::TfrxCustomPreviewPages::SetOutlineFactory(nullptr);
}

}  // namespace preview
