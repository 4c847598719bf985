#include "export/vuzExportXLSDialog.h"

#include "platform/rtl/files.h"
#include "report/vuzClassReport.h"

namespace report {

TfrxXLSDialogValues vuzXLSDialogLoad(TfrxXLSExport& f) {
  if (f.ExportToTemp) f.OpenExcelAfterExport = false;
  TfrxXLSDialogValues v;
  v.openExcelVisible = !f.ExportToTemp;
  v.continuous = !f.EmptyLines || f.SuppressPageHeadersFooters;
  v.pictures = f.ExportPictures;
  v.merge = f.MergeCells;
  v.wysiwyg = f.Wysiwyg;
  v.openExcel = f.OpenExcelAfterExport;
  v.asText = f.AsText;
  v.background = f.Background;
  v.fastExport = f.FastExport;
  v.pageBreaks = f.PageBreaks;
  v.gridLines = f.GridLines;
  if (!f.PageNumbers.empty()) {
    v.pageNumbers = f.PageNumbers;
    v.pages = TfrxXLSDialogValues::pgNumbers;
  }
  return v;
}

void vuzXLSDialogApply(const TfrxXLSDialogValues& v, TfrxXLSExport& f) {
  f.PageNumbers.clear();
  f.CurPage = false;
  if (v.pages == TfrxXLSDialogValues::pgCurrent) f.CurPage = true;
  if (v.pages == TfrxXLSDialogValues::pgNumbers) f.PageNumbers = v.pageNumbers;
  f.EmptyLines = !v.continuous;
  f.SuppressPageHeadersFooters = v.continuous;
  f.ExportPictures = v.pictures;
  f.MergeCells = v.merge;
  f.Wysiwyg = v.wysiwyg;
  f.OpenExcelAfterExport = v.openExcel && v.openExcelVisible;
  f.AsText = v.asText;
  f.Background = v.background;
  f.FastExport = v.fastExport;
  f.PageBreaks = v.pageBreaks;
  f.GridLines = v.gridLines;
}

AnsiString vuzXLSSaveName(const TfrxXLSExport& f) {
  if (!f.FileName.empty() || f.ExportToTemp) return f.FileName;
  auto* report = dynamic_cast<TfrxReport*>(f.Report);
  AnsiString name = report ? report->FileName() : AnsiString();
  for (char& c : name)
    if (c == '/') c = '\\';
  name = name.substr(name.find_last_of('\\') == AnsiString::npos ? 0 : name.find_last_of('\\') + 1);
  return name.empty() ? name : rtl::ChangeFileExt(name, f.DefaultExt);
}

}  // namespace report
