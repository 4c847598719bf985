#include "export/vuzExportStartup.h"

#include <memory>

#include "export/vuzExportODF.h"
#include "export/vuzExportPDF.h"
#include "export/vuzExportRTF.h"
#include "export/vuzExportTXT.h"
#include "platform/rtl/components.h"
#include "platform/rtl/typinfo.h"

namespace report {

namespace {

// Owns the filters; deleting it frees them, last created first, and each
// filter unregisters itself as it goes.
std::unique_ptr<rtl::TComponent>& FilterOwner() {
  static std::unique_ptr<rtl::TComponent> owner;
  return owner;
}

struct TStoredValue {
  const char* name;
  rtl::Variant value;
};

// Sets what the main window stores for a filter: the settings every filter
// is stored with, then its own.
template <class Filter>
Filter* Stored(rtl::TComponent* owner, std::initializer_list<TStoredValue> values) {
  auto* filter = new Filter(owner);
  for (const TStoredValue& v :
       {TStoredValue{"UseFileCache", rtl::Variant(true)}, TStoredValue{"ShowProgress", rtl::Variant(true)},
        TStoredValue{"OverwritePrompt", rtl::Variant(false)}, TStoredValue{"DataOnly", rtl::Variant(false)}})
    rtl::SetPropValue(*filter, v.name, v.value);
  for (const TStoredValue& v : values) rtl::SetPropValue(*filter, v.name, v.value);
  return filter;
}

}  // namespace

void vuzExportStartup() {
  auto& owner = FilterOwner();
  if (owner) return;
  owner = std::make_unique<rtl::TComponent>(nullptr);
  // One line per filter, in the export menu's order: a filter created with
  // an owner registers itself. Each export adds its own line here.
  Stored<TfrxTXTExport>(owner.get(), {{"ScaleWidth", rtl::Variant(1.0)},
                                      {"ScaleHeight", rtl::Variant(1.0)},
                                      {"Borders", rtl::Variant(false)},
                                      {"Pseudogrpahic", rtl::Variant(false)},
                                      {"PageBreaks", rtl::Variant(true)},
                                      {"OEMCodepage", rtl::Variant(false)},
                                      {"EmptyLines", rtl::Variant(false)},
                                      {"LeadSpaces", rtl::Variant(false)},
                                      {"PrintAfter", rtl::Variant(false)},
                                      {"PrinterDialog", rtl::Variant(true)},
                                      {"UseSavedProps", rtl::Variant(true)}});
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
  new TfrxPDFExport(owner.get());
  vuzExportRTFStartup();
  Stored<TfrxRTFExport>(owner.get(), {{"PictureType", rtl::Variant(static_cast<int>(gpPNG))},
                                      {"Wysiwyg", rtl::Variant(true)},
                                      {"Creator", rtl::Variant(AnsiString("ReziZuzore"))},
                                      {"HeaderFooterMode", rtl::Variant(static_cast<int>(hfText))},
                                      {"AutoSize", rtl::Variant(false)}})
      ->SuppressPageHeadersFooters = false;
}

void vuzExportShutdown() { FilterOwner().reset(); }

}  // namespace report
