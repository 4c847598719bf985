#include "app/RecorderExportFilters.h"

#include "export/biff/vuzExportBIFF.h"
#include "export/vuzExportHTML.h"
#include "export/vuzExportODF.h"
#include "export/vuzExportPDF.h"
#include "export/vuzExportRTF.h"
#include "export/vuzExportTXT.h"
#include "export/vuzExportXLS.h"
#include "platform/rtl/components.h"
#include "platform/rtl/typinfo.h"

namespace app {

namespace {

using report::TfrxCustomExportFilter;

struct TStoredValue {
  const char* name;
  rtl::Variant value;
};

// Every filter of the window is stored with the file cache and progress on,
// no overwrite prompt and the whole report (not data only).
void StoreCommon(TfrxCustomExportFilter& filter) {
  filter.UseFileCache = true;
  filter.ShowProgress = true;
  filter.OverwritePrompt = false;
  filter.DataOnly = false;
}

// A filter with its own stored values, set through the published properties
// as loading the form would.
template <class Filter>
Filter* Stored(rtl::TComponent* owner, std::initializer_list<TStoredValue> values) {
  auto* filter = new Filter(owner);
  StoreCommon(*filter);
  for (const TStoredValue& v : values) rtl::SetPropValue(*filter, v.name, v.value);
  return filter;
}

void CreateTXT(rtl::TComponent* owner) {
  Stored<report::TfrxTXTExport>(owner, {{"ScaleWidth", rtl::Variant(1.0)},
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
}

// The spreadsheet and the text document are stored alike.
void StoreODF(report::TfrxODFExport& f) {
  StoreCommon(f);
  f.PictureType = report::gpPNG;
  f.Background = true;
  f.Creator = "ReziZuzore";
  f.Language = "en";
  f.SuppressPageHeadersFooters = false;
}

void CreateBIFF(rtl::TComponent* owner) {
  auto* f = new report::TfrxBIFFExport(owner);
  StoreCommon(*f);
  f->SetRowHeightScale(1);
  f->SetChunkSize(0);
  f->Inaccuracy = 10;
  f->FitPages = false;
  f->Pictures = true;
  f->SetParallelPages(0);  // pages are converted on the calling thread
}

void CreatePDF(rtl::TComponent* owner) {
  auto* f = new report::TfrxPDFExport(owner);
  StoreCommon(*f);
  f->PrintOptimized = false;
  f->Outline = false;
  f->Background = false;
  f->HTMLTags = true;
  f->Quality = 95;
  f->Author = u"ReziZuzore";
  f->Subject = u"ReziZuzore PDF export";
  f->SetProtectionFlags((1u << report::ePrint) | (1u << report::eModify) | (1u << report::eCopy) |
                        (1u << report::eAnnot));
  f->HideToolbar = f->HideMenubar = f->HideWindowUI = false;
  f->FitWindow = f->CenterWindow = f->PrintScaling = false;
}

void CreateRTF(rtl::TComponent* owner) {
  Stored<report::TfrxRTFExport>(owner, {{"PictureType", rtl::Variant(static_cast<int>(report::gpPNG))},
                                        {"Wysiwyg", rtl::Variant(true)},
                                        {"Creator", rtl::Variant(rtl::AnsiString("ReziZuzore"))},
                                        {"HeaderFooterMode", rtl::Variant(static_cast<int>(report::hfText))},
                                        {"AutoSize", rtl::Variant(false)}})
      ->SuppressPageHeadersFooters = false;
}

}  // namespace

void CreateRecorderExportFilters(rtl::TComponent* owner) {
  report::vuzExportODFStartup();
  report::vuzExportBIFFStartup();
  report::vuzExportXLSStartup();
  report::vuzExportRTFStartup();
  // In the export menu's order.
  Stored<report::TfrxXLSExport>(owner, {{"ExportEMF", rtl::Variant(true)},
                                        {"AsText", rtl::Variant(false)},
                                        {"Background", rtl::Variant(true)},
                                        {"FastExport", rtl::Variant(true)},
                                        {"PageBreaks", rtl::Variant(true)},
                                        {"EmptyLines", rtl::Variant(true)},
                                        {"SuppressPageHeadersFooters", rtl::Variant(false)}});
  CreateTXT(owner);
  StoreODF(*new report::TfrxODSExport(owner));
  StoreODF(*new report::TfrxODTExport(owner));
  CreateBIFF(owner);
  CreatePDF(owner);
  report::vuzExportHTMLStartup();
  Stored<report::TfrxHTMLExport>(owner, {{"FixedWidth", rtl::Variant(true)},
                                         {"Background", rtl::Variant(false)},
                                         {"Centered", rtl::Variant(false)},
                                         {"EmptyLines", rtl::Variant(true)},
                                         {"Print", rtl::Variant(false)},
                                         {"PictureType", rtl::Variant(static_cast<int>(report::gpPNG))}});
  CreateRTF(owner);
}

}  // namespace app
