// Event adapters: a host event calls a script procedure.
#include <algorithm>
#include <vector>

#include "platform/rtl/object_handles.h"
#include "platform/rtl/textcase.h"
#include "script/fs_ievents_registry.h"
#include "script/fs_iinterpreter.h"

namespace script {

namespace {
// Connected adapters; scripts run on one thread, as do their hosts' events.
std::vector<TfsCustomEvent*>& Connected() {
  static std::vector<TfsCustomEvent*> adapters;
  return adapters;
}
}  // namespace

void fsRememberEvent(TfsCustomEvent* adapter) { Connected().push_back(adapter); }

void fsForgetEvent(TfsCustomEvent* adapter) {
  auto& all = Connected();
  all.erase(std::remove(all.begin(), all.end(), adapter), all.end());
}

TfsCustomEvent* fsConnectedEvent(const rtl::TObject* host, std::string_view eventName) {
  for (TfsCustomEvent* adapter : Connected())
    if (adapter->HostObject() == host && rtl::SameText(adapter->EventName(), eventName)) return adapter;
  return nullptr;
}

void fsForgetEventHandler(TfsProcVariable* handler) {
  std::vector<TfsCustomEvent*> calling;
  for (TfsCustomEvent* adapter : Connected())
    if (adapter->HandlerProc == handler) calling.push_back(adapter);
  for (TfsCustomEvent* adapter : calling) {
    adapter->Release();
    adapter->HandlerProc = nullptr;
  }
}

TfsCustomEvent::TfsCustomEvent(rtl::TObject* hostObject, TfsProcVariable* handler)
    : HandlerProc(handler), hostHandle_(rtl::ObjectHandles::HandleOf<rtl::TObject>(hostObject)) {}

TfsCustomEvent::~TfsCustomEvent() { Release(); }

rtl::TObject* TfsCustomEvent::HostObject() const {
  return rtl::ObjectHandles::IsValid(hostHandle_) ? rtl::ObjectHandles::Resolve<rtl::TObject>(hostHandle_) : nullptr;
}

void TfsCustomEvent::Connect(const AnsiString& eventName) {
  Release();
  rtl::TObject* host = HostObject();
  if (!host) return;
  eventName_ = eventName;
  unhook_ = Hook(host, eventName);
  connected_ = true;
  fsRememberEvent(this);
}

void TfsCustomEvent::Release() {
  if (!connected_) return;
  connected_ = false;
  fsForgetEvent(this);
  if (rtl::TObject* host = HostObject())
    if (unhook_) unhook_(host);
  unhook_ = nullptr;
}

void TfsCustomEvent::CallHandler(std::span<const Variant> arguments) {
  TfsProcVariable* proc = HandlerProc;
  if (!proc || proc->Running) return;
  for (int i = 0; i < proc->Count(); ++i)
    proc->GetParam(i)->SetValue(static_cast<size_t>(i) < arguments.size() ? arguments[static_cast<size_t>(i)]
                                                                          : Variant::Null());
  proc->WantsResult = false;
  proc->GetValue();
}

}  // namespace script
