// Making the archive folder, asking the user when it cannot be made. Apart
// from the header and file-name rules, which read and compute only.
#include "app/ProcessHeader.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/rtl/files.h"

namespace app {

using namespace rtl::literals;

bool EnsureDataFolder() {
  const AnsiString folder = DataFolder();
  for (;;) {
    if (rtl::DirectoryExists(folder) || rtl::CreateDir(rtl::ExcludeTrailingPathDelimiter(folder))) return true;
    const int answer =
        gui::MessageBox("Не могу создать папку "_cp + folder, gui::Application->Title(),
                        gui::MB_RETRYCANCEL | gui::MB_ICONQUESTION | gui::MB_DEFBUTTON2 | gui::MB_TASKMODAL);
    if (answer != gui::IDRETRY) return false;
  }
}

}  // namespace app
