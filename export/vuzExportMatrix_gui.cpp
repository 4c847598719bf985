#include "export/vuzExportMatrix_gui.h"

#include <memory>

#include "export/vuzExportMatrix.h"
#include "report/vuzProgress.h"

namespace report {

namespace {

std::unique_ptr<TfrxProgress>& Window() {
  static std::unique_ptr<TfrxProgress> window;
  return window;
}

}  // namespace

void vuzMatrixProgressGuiStartup() {
  TfrxIEMProgressHooks& hooks = vuzMatrixProgressHooks();
  hooks.Start = [](int maximum, const AnsiString& message) {
    Window() = std::make_unique<TfrxProgress>();
    Window()->Execute(maximum, message, true, false);
  };
  hooks.Tick = [] {
    if (Window()) Window()->Tick();
  };
  hooks.Stop = [] { Window().reset(); };
}

void vuzMatrixProgressGuiShutdown() {
  vuzMatrixProgressHooks() = TfrxIEMProgressHooks{};
  Window().reset();
}

}  // namespace report
