#include "export/vuzExportStartup.h"

#include <memory>

#include "platform/rtl/components.h"

namespace report {

namespace {

// Owns the filters; deleting it frees them, last created first, and each
// filter unregisters itself as it goes.
std::unique_ptr<rtl::TComponent>& FilterOwner() {
  static std::unique_ptr<rtl::TComponent> owner;
  return owner;
}

}  // namespace

void vuzExportStartup() {
  auto& owner = FilterOwner();
  if (owner) return;
  owner = std::make_unique<rtl::TComponent>(nullptr);
  // One line per filter, in the export menu's order: a filter created with
  // an owner registers itself. Each export adds its own line here, e.g.
  //   new TfrxPDFExport(owner.get());
  (void)owner;
}

void vuzExportShutdown() { FilterOwner().reset(); }

}  // namespace report
