#include "script/fs_ibindings.h"

#include <algorithm>
#include <map>

#include "platform/rtl/textcase.h"

namespace script {

rtl::TStream* fsStreamOf(const Variant& value) {
  TfsStreamObject* holder = fsAs<TfsStreamObject>(value);
  return holder ? &holder->Stream() : nullptr;
}

namespace {
std::map<AnsiString, TfsClassFactory, std::less<>>& Factories() {
  static std::map<AnsiString, TfsClassFactory, std::less<>> factories;
  return factories;
}
AnsiString Key(const AnsiString& name) { return rtl::UpperCase(name); }
}  // namespace

void fsRegisterClassFactory(const AnsiString& name, TfsClassFactory factory) {
  if (factory)
    Factories()[Key(name)] = std::move(factory);
  else
    Factories().erase(Key(name));
}

rtl::TObject* fsCreateByFactory(const AnsiString& name, rtl::TComponent* owner) {
  auto it = Factories().find(Key(name));
  return it == Factories().end() ? nullptr : it->second(owner);
}

namespace {
std::map<TfsRTTIModuleClass, int>& Users() {
  static std::map<TfsRTTIModuleClass, int> users;
  return users;
}
}  // namespace

void fsAddBindingModule(TfsRTTIModuleClass module) {
  if (Users()[module]++ > 0) return;
  auto* modules = fsRTTIModules();
  if (!modules) return;
  // Host bindings go before the modules of higher layers (the report's
  // classes descend from TComponent and TPersistent registered here).
  std::size_t at = std::min<std::size_t>(1, modules->size());
  for (std::size_t i = 0; i < modules->size(); ++i)
    if ((*modules)[i] != module && Users().count((*modules)[i])) at = i + 1;
  modules->insert(modules->begin() + static_cast<std::ptrdiff_t>(at), module);
}

void fsRemoveBindingModule(TfsRTTIModuleClass module) {
  auto it = Users().find(module);
  if (it == Users().end() || --it->second > 0) return;
  Users().erase(it);
  if (auto* modules = fsRTTIModules()) std::erase(*modules, module);
}

}  // namespace script
