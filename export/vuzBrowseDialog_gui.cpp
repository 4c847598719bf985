#include "export/vuzBrowseDialog_gui.h"

#include "export/vuzFileUtils.h"
#include "platform/gui/dialogs.h"

namespace report {

rtl::AnsiString BrowseDialog(const rtl::AnsiString& path, const rtl::AnsiString& title) {
  rtl::AnsiString chosen;
  const bool picked = gui::SelectFolder(title, path, chosen);
  return BrowseDialogResult(path, picked, chosen);
}

}  // namespace report
