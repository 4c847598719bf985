// The GUI library's forms and controls for scripts: constants (modal
// results, cursors, border styles, virtual keys, colours of alignment),
// enumerations and sets, the control and form classes with their events
// bound through the event adapters, and the Application object. A GUI
// companion: only programs that link the window system register it.
#pragma once
#include "script/fs_iinterpreter.h"

namespace script {
namespace fs_iformsrtti {

class TFunctions : public TfsRTTIModule {
 public:
  explicit TFunctions(TfsScript* script);
};

}  // namespace fs_iformsrtti

// The script class of a name the module registers ("TForm", "TButton" ...).
TClass fsFormsClass(std::string_view name);

void fsFormsRTTIStartup();
void fsFormsRTTIShutdown();

// The three GUI binding modules (forms, dialogs, graphics) together.
void fsGuiBindingsStartup();
void fsGuiBindingsShutdown();

}  // namespace script
