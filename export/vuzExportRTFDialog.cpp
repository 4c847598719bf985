#include "export/vuzExportRTFDialog.h"

namespace report {

TfrxRTFDialogValues vuzRTFDialogLoad(const TfrxRTFExport& f) {
  TfrxRTFDialogValues v;
  v.openAfterVisible = !f.ExportToTemp;
  v.openAfter = f.OpenAfterExport && !f.ExportToTemp;
  v.continuous = f.SuppressPageHeadersFooters;
  v.pictures = f.ExportPictures;
  v.pageBreaks = f.ExportPageBreaks;
  v.wysiwyg = f.Wysiwyg;
  if (!f.PageNumbers.empty()) {
    v.pageNumbers = f.PageNumbers;
    v.pages = TfrxRTFDialogValues::pgNumbers;
  }
  v.headerFooter = f.HeaderFooterMode;
  return v;
}

void vuzRTFDialogApply(const TfrxRTFDialogValues& v, TfrxRTFExport& f) {
  f.HeaderFooterMode = v.headerFooter;
  f.PageNumbers.clear();
  f.CurPage = v.pages == TfrxRTFDialogValues::pgCurrent;
  if (v.pages == TfrxRTFDialogValues::pgNumbers) f.PageNumbers = v.pageNumbers;
  f.SuppressPageHeadersFooters = v.continuous || v.headerFooter == hfPrint;
  f.ExportPictures = v.pictures;
  f.ExportPageBreaks = v.pageBreaks;
  f.Wysiwyg = v.wysiwyg;
  f.OpenAfterExport = v.openAfter && v.openAfterVisible;
}

}  // namespace report
