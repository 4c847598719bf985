// The common dialogs and message boxes for scripts. A GUI companion.
#pragma once
#include "script/fs_iinterpreter.h"

namespace script {
namespace fs_idialogsrtti {

class TFunctions : public TfsRTTIModule {
 public:
  explicit TFunctions(TfsScript* script);
};

}  // namespace fs_idialogsrtti

// The dialogs the GUI library lacks (colour, font, print, printer set-up):
// scripts can make and configure them; Execute answers False, as a
// cancelled dialog does.
class TfsUnavailableDialog : public rtl::TComponent {
 public:
  using rtl::TComponent::TComponent;
};

// The input dialog of InputBox and InputQuery: true with OK, the typed text
// in value.
bool fsInputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value);

void fsDialogsRTTIStartup();
void fsDialogsRTTIShutdown();

}  // namespace script
