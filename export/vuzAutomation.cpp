#include "export/vuzAutomation.h"

#include <map>
#include <mutex>
#include <vector>

namespace report {

namespace {

struct Registry {
  std::mutex lock;
  std::map<AnsiString, TAutomationFactory> servers;
};

Registry& Servers() {
  static Registry registry;
  return registry;
}

// Identifiers are told apart without regard to case, as class lookups are.
AnsiString Key(const AnsiString& progId) {
  AnsiString k = progId;
  for (char& c : k)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return k;
}

// The error code of a left-out optional argument.
constexpr std::int32_t kParamNotFound = static_cast<std::int32_t>(0x80020004u);

}  // namespace

void vuzRegisterAutomationServer(const AnsiString& progId, TAutomationFactory factory) {
  Registry& r = Servers();
  std::lock_guard<std::mutex> hold(r.lock);
  if (factory)
    r.servers[Key(progId)] = std::move(factory);
  else
    r.servers.erase(Key(progId));
}

bool vuzAutomationServerExists(const AnsiString& progId) {
  Registry& r = Servers();
  std::lock_guard<std::mutex> hold(r.lock);
  return r.servers.count(Key(progId)) != 0;
}

rtl::Variant vuzCreateOleObject(const AnsiString& progId) {
  TAutomationFactory factory;
  {
    Registry& r = Servers();
    std::lock_guard<std::mutex> hold(r.lock);
    auto it = r.servers.find(Key(progId));
    if (it == r.servers.end()) throw EOleError("Invalid class string: " + progId);
    factory = it->second;
  }
  rtl::Variant object = factory();
  if (!object.AsDispatch()) throw EOleError(progId + ": the server made no object");
  return object;
}

rtl::Variant OleInvoke(const rtl::Variant& object, std::string_view member, rtl::DispatchKind kind,
                       std::initializer_list<rtl::Variant> args) {
  rtl::IDispatch* target = object.Type() == rtl::varDispatch ? object.AsDispatch() : nullptr;
  if (!target) throw EOleError("Variant does not reference an automation object (" + AnsiString(member) + ")");
  std::vector<rtl::Variant> list(args);
  return target->Invoke(member, kind, std::span<rtl::Variant>(list));
}

rtl::Variant OleEmptyParam() { return rtl::Variant::FromError(kParamNotFound); }

bool OleIsEmptyParam(const rtl::Variant& v) {
  return v.IsEmpty() || (v.Type() == rtl::varError && v.RawInt() == kParamNotFound);
}

TAutomationPicture& vuzAutomationClipboard() {
  static TAutomationPicture clipboard;
  return clipboard;
}

}  // namespace report
