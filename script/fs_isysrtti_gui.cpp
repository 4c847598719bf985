#include "script/fs_isysrtti_gui.h"

#include "platform/gui/dialogs.h"
#include "script/fs_isysrtti.h"

namespace script {

void fsUseGuiMessageBoxes() {
  fsSetShowMessageHandler([](const AnsiString& text) { gui::ShowMessage(text); });
}

}  // namespace script
