// The adapters connected to host events, so that a new handler for the same
// event, or the end of a handler procedure, disconnects the old adapter.
#pragma once
#include "script/fs_iinterpreter.h"

namespace script {

void fsRememberEvent(TfsCustomEvent* adapter);
void fsForgetEvent(TfsCustomEvent* adapter);
// The connected adapter of a host object's event, or nullptr.
TfsCustomEvent* fsConnectedEvent(const rtl::TObject* host, std::string_view eventName);
// Disconnects every adapter that calls `handler` and clears its handler.
void fsForgetEventHandler(TfsProcVariable* handler);

}  // namespace script
