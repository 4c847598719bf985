#include "export/vuzExportStartup.h"

#include <memory>

#include "export/vuzExportODF.h"
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
  vuzExportODFStartup();
  // The main window's stored settings of the two OpenDocument filters.
  for (TfrxODFExport* f : {static_cast<TfrxODFExport*>(new TfrxODSExport(owner.get())),
                           static_cast<TfrxODFExport*>(new TfrxODTExport(owner.get()))}) {
    f->UseFileCache = true;
    f->ShowProgress = true;
    f->OverwritePrompt = false;
    f->DataOnly = false;
    f->PictureType = gpPNG;
    f->Background = true;
    f->Creator = "ReziZuzore";
    f->Language = "en";
    f->SuppressPageHeadersFooters = false;
  }
}

void vuzExportShutdown() { FilterOwner().reset(); }

}  // namespace report
