#include "export/vuzExportHTMLDialog.h"

#include "platform/rtl/datetime.h"
#include "platform/rtl/files.h"
#include "report/vuzClassReport.h"

namespace report {

namespace {

template <class Values>
void LoadPages(const TfrxCustomExportFilter& filter, Values& v) {
  v.pages = dpAll;
  if (!filter.PageNumbers.empty()) {
    v.pages = dpNumbers;
    v.pageNumbers = filter.PageNumbers;
  }
}

template <class Values>
void ApplyPages(const Values& v, TfrxCustomExportFilter& filter) {
  filter.PageNumbers.clear();
  filter.CurPage = v.pages == dpCurrent;
  if (v.pages == dpNumbers) filter.PageNumbers = v.pageNumbers;
}

}  // namespace

TfrxHTMLDialogValues vuzHTMLDialogLoad(TfrxHTMLExport& f) {
  TfrxHTMLDialogValues v;
  if (f.ExportToTemp) {
    v.openAfterVisible = false;
    v.multipageEnabled = v.backgroundEnabled = v.navigatorEnabled = v.picsSameEnabled = false;
    f.OpenAfterExport = f.Navigator = f.Multipage = f.Background = false;
    f.ExportPictures = f.PicsInSameFolder = true;
  }
  v.styles = f.ExportStyles;
  v.picsSame = f.PicsInSameFolder;
  v.openAfter = f.OpenAfterExport;
  v.fixedWidth = f.FixedWidth;
  v.navigator = f.Navigator;
  v.multipage = f.Multipage;
  v.background = f.Background;
  v.pictureFormat = !f.ExportPictures ? 0 : f.PictureType == gpBMP ? 2 : f.PictureType == gpGIF ? 3 : 1;
  LoadPages(f, v);
  return v;
}

void vuzHTMLDialogApply(const TfrxHTMLDialogValues& v, TfrxHTMLExport& f) {
  ApplyPages(v, f);
  f.ExportStyles = v.styles;
  f.PicsInSameFolder = v.picsSame;
  f.ExportPictures = v.pictureFormat > 0;
  f.PictureType = v.pictureFormat == 1 ? gpJPG : v.pictureFormat == 2 ? gpBMP : v.pictureFormat == 3 ? gpGIF : gpPNG;
  f.OpenAfterExport = v.openAfter;
  f.FixedWidth = v.fixedWidth;
  f.Multipage = v.multipage;
  f.Navigator = v.navigator;
  f.Background = v.background;
}

TfrxODFDialogValues vuzODFDialogLoad(TfrxODFExport& f) {
  TfrxODFDialogValues v;
  if (f.ExportToTemp) {
    v.openAfterVisible = false;
    f.OpenAfterExport = false;
  }
  v.continuous = f.SingleSheet;
  v.pageBreaks = f.ExportPageBreaks;
  v.wysiwyg = f.Wysiwyg;
  v.openAfter = f.OpenAfterExport;
  v.background = f.Background;
  LoadPages(f, v);
  return v;
}

void vuzODFDialogApply(const TfrxODFDialogValues& v, TfrxODFExport& f) {
  ApplyPages(v, f);
  f.SingleSheet = v.continuous;
  f.ExportPageBreaks = v.pageBreaks;
  f.Wysiwyg = v.wysiwyg;
  f.OpenAfterExport = v.openAfter;
  f.Background = v.background;
  f.CreationTime = rtl::Now();
}

}  // namespace report
