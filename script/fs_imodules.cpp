// The process-wide binding-module list and the global unit.
#include "script/fs_iinterpreter.h"
#include "script/fs_isysrtti.h"

namespace script {

namespace {
struct ModuleState {
  std::vector<TfsRTTIModuleClass>* modules = nullptr;
  TfsScript* global = nullptr;
  bool shutDown = false;
  ~ModuleState() { fsShutdownModules(); }
};
ModuleState& State() {
  static ModuleState state;
  return state;
}
}  // namespace

std::vector<TfsRTTIModuleClass>* fsRTTIModules() {
  ModuleState& s = State();
  if (s.shutDown) return nullptr;
  // The system library is always the first module.
  if (!s.modules) s.modules = new std::vector<TfsRTTIModuleClass>{&fsCreateSysFunctions};
  return s.modules;
}

TfsScript* fsGlobalUnit() {
  ModuleState& s = State();
  if (s.shutDown) return nullptr;
  if (!s.global) {
    s.global = new TfsScript(nullptr);
    s.global->AddRTTI();
  }
  return s.global;
}

void fsShutdownModules() {
  ModuleState& s = State();
  delete s.global;
  s.global = nullptr;
  delete s.modules;
  s.modules = nullptr;
  s.shutDown = true;
}

}  // namespace script
